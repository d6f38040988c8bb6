#include "app/tform1.h"

#include <QAction>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QMetaObject>
#include <QMouseEvent>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QWheelEvent>

#include "app/forms.h"
#include "app/hand_over_commands.h"
#include "app/program_data.h"
#include "app/project_commands.h"
#include "area/tgeop.h"
#include "common/version.h"
#include "exchange/code_table_window.h"
#include "exchange/csv_dialog.h"
#include "exchange/export_commands.h"
#include "exchange/workbook_commands.h"
#include "plan/pick_list.h"
#include "plan/plan_image.h"
#include "plan/plan_navigation.h"
#include "plan/plan_paper_commands.h"
#include "plan/tform7.h"
#include "plan/tsettings.h"
#include "points/find_point_dialog.h"
#include "points/live_edit_delegate.h"
#include "points/point_table_model.h"
#include "points/point_table_text.h"
#include "points/point_table_view.h"
#include "points/survey_open_dialog.h"
#include "points/survey_reader.h"
#include "points/tform4.h"
#include "tasks/cogo_window.h"
#include "tasks/field_journal.h"
#include "tasks/survey_tasks.h"
#include "tasks/tform11.h"
#include "tasks/tform2.h"
#include "tasks/tform8.h"
#include "tasks/transform_command.h"
#include "ui/column_widener.h"
#include "ui/help_window.h"
#include "ui/korvela_application.h"
#include "ui/qt_text.h"
#include "ui/user_dialogs.h"
#include "ui/window_style.h"

namespace korvela {
namespace {

const char* const kMainCaption = "KORVELA " KORVELA_VERSION_TEXT;
const QColor kGridColour(215, 228, 242);  // the desktop's inactive caption gradient
constexpr int kDesignClientWidth = 974;
constexpr int kDesignClientHeight = 775;
constexpr int kTableColumnWidth = 54;
constexpr int kWindowShrinkOnFirstPaint = 15;

}  // namespace

namespace {

QPushButton* createButton(QWidget* parent, const char* name, const char* caption, QRect geometry) {
    auto* button = new QPushButton(QString::fromUtf8(caption), parent);
    button->setObjectName(name);
    button->setGeometry(geometry);
    return button;
}

QAction* addItem(QMenu* menu, const char* name, const char* caption) {
    QAction* action = menu->addAction(QString::fromUtf8(caption));
    action->setObjectName(name);
    return action;
}

template <typename Handler>
QAction* addCommand(QMenu* menu, const char* name, const char* caption, QObject* context,
                    Handler handler) {
    QAction* action = addItem(menu, name, caption);
    connectCommand(action, &QAction::triggered, context, handler);
    return action;
}

}  // namespace

TForm1::TForm1(ProgramData& data, UserDialogs& dialogs) : data_(data), dialogs_(dialogs) {
    setObjectName("TForm1");
    setWindowTitle(QString::fromUtf8(kMainCaption));
    setFont(windowFont(12));
    createControls();
    createMenus();
    createTablePopupMenu();
    resize(kDesignClientWidth,
           kDesignClientHeight + menuBar()->sizeHint().height() + statusBar()->height());
}

TForm1::~TForm1() { data_.points.removeObserver(*this); }

void TForm1::attachForms(Forms& forms) {
    forms_ = &forms;
    traversePath_ = std::make_unique<TraversePath>(*this, dialogs_, data_.points, *forms.form11,
                                                   *forms.form8);
    projects_ = std::make_unique<ProjectCommands>(
        ProjectWindows{*this, dialogs_, data_.points, data_.view, *Image1});
    data_.points.addObserver(*this);
    connectCommand(forms.form2.get(), &TForm2::rotateRequested, this, [this] {
        rotate(data_.points, data_.view, *forms_->form2, *forms_->form5);
    });
    connectCommand(forms.form11.get(), &TForm11::computeRequested, this,
                   [this] { traversePath_->traverseRequested(); });
}

void TForm1::createControls() {
    client_ = new QWidget(this);
    setCentralWidget(client_);

    OpenButton = createButton(client_, "OpenButton", "Import Project", {0, 0, 454, 31});
    Button2 = createButton(client_, "Button2", "Rotate", {453, 0, 464, 31});
    Button3 = createButton(client_, "Button3", "Выбрать все", {0, 31, 303, 31});
    Button4 = createButton(client_, "Button4", "Убрать все", {303, 31, 303, 31});
    Button1 = createButton(client_, "Button1", "Площадь", {606, 31, 311, 31});
    connectCommand(OpenButton, &QPushButton::clicked, this, [this] { OpenButtonClick(); });
    connectCommand(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    connectCommand(Button4, &QPushButton::clicked, this, [this] { Button4Click(); });
    connectCommand(Button1, &QPushButton::clicked, this, [this] { areaClick(); });
    connectCommand(Button2, &QPushButton::clicked, this, [this] { rotateClick(); });

    ControlBar1 = createGreenBar(client_, "ControlBar1");
    ControlBar1->setGeometry(0, 61, 41, 692);
    Panel2 = new QFrame(client_);
    Panel2->setObjectName("Panel2");
    Panel2->setGeometry(41, 62, 369, 692);

    tableModel_ = new PointTableModel(data_.points, this);
    StringGrid1 = new PointTableView(Panel2);
    StringGrid1->setObjectName("StringGrid1");
    StringGrid1->setModel(tableModel_);
    StringGrid1->setItemDelegate(new LiveEditDelegate(StringGrid1));
    StringGrid1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    StringGrid1->setEditTriggers(QAbstractItemView::AnyKeyPressed |
                                 QAbstractItemView::DoubleClicked |
                                 QAbstractItemView::EditKeyPressed);
    StringGrid1->setGeometry(0, -1, 369, 693);
    StringGrid1->verticalHeader()->hide();
    StringGrid1->horizontalHeader()->setDefaultSectionSize(kTableColumnWidth);
    StringGrid1->horizontalHeader()->setMinimumSectionSize(10);
    StringGrid1->setShowGrid(true);
    StringGrid1->verticalHeader()->setDefaultSectionSize(24);
    StringGrid1->setTextElideMode(Qt::ElideNone);  // a narrow column clips its text
    new ColumnWidener(StringGrid1, std::vector<int>(tableModel_->columnCount(), kTableColumnWidth));
    QPalette gridPalette = StringGrid1->palette();
    gridPalette.setColor(QPalette::Base, kGridColour);
    StringGrid1->setPalette(gridPalette);

    ControlBar3 = createGreenBar(client_, "ControlBar3");
    ControlBar3->setGeometry(410, 62, 49, 692);
    Image1 = new PlanImage(client_, data_.points, data_.view);
    Image1->setGeometry(452, 61, 470, 443);
    Image1->setBitmapSize(Image1->controlSize());
    connect(Image1, &PlanImage::pressed, this, &TForm1::Panel1MouseDown);
    connect(Image1, &PlanImage::moved, this, &TForm1::OnMouseMove);
    connect(Image1, &PlanImage::released, this, &TForm1::Panel1MouseUp);
    ControlBar2 = createGreenBar(client_, "ControlBar2");
    ControlBar2->setGeometry(928, 62, 46, 692);

    statusBar()->setObjectName("StatusBar1");
    statusBar()->setSizeGripEnabled(false);
    statusBar()->setFixedHeight(21);
    statusLine_ = new QLabel(statusBar());
    statusLine_->setObjectName("statusLine");
    statusBar()->addWidget(statusLine_, 1);
}

void TForm1::createMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName("MainMenu1");

    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    file->setObjectName("File1");
    addCommand(file, "Open1", "Open Project", this, [this] {
        projects_->Open11Click();
    })->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    addCommand(file, "Save2", "Save Project", this, [this] {
        projects_->Save21Click();
    })->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    addCommand(file, "AddtoProject1", "Add to Project", this, [this] {
        AddtoProject1Click(this, dialogs_, data_.points, data_.view, *forms_->form7,
                           *forms_->form9);
    });
    addCommand(file, "CloseProject1", "Close Project", this,
               [this] { projects_->CloseProject1Click(); });
    addCommand(file, "ImportProject1", "Import Project", this, [this] {
        OnClickF();
    })->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    QMenu* exportMenu = file->addMenu(QStringLiteral("Export Project"));
    exportMenu->setObjectName("ExportProject");
    addCommand(exportMenu, "SaveProject1", "Export txt", this,
               [this] { SaveProject1Click(this, dialogs_, data_.points.store()); });
    addCommand(exportMenu, "ExportProject1", "Export AutoCad", this,
               [this] { ExportProject1Click(this, dialogs_, *tableModel_, data_.points.store()); });
    addCommand(exportMenu, "ExportCsv1", "Export CSV", this,
               [this] { ExportCsvClick(this, dialogs_, data_.points.store()); });
    addCommand(file, "ImportCsv1", "Импорт CSV", this, [this] {
        if (auto csv = askCsvImport(this, dialogs_))
            importPoints(std::move(csv->points), ObservationList(), csv->path, "Импорт CSV");
    });
    addCommand(file, "SavePlan1", "Сохранить план…", this,
               [this] { SavePlanClick(this, dialogs_, planPictureOf(data_.points, data_.view.state(), *Image1)); });
    addCommand(file, "PrintPlan1", "Печать плана", this,
               [this] { PrintPlanClick(this, dialogs_, planPictureOf(data_.points, data_.view.state(), *Image1)); });
    addCommand(file, "Quit1", "Quit", this, [this] {
        Quit1Click();
    })->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    QMenu* edit = bar->addMenu(QString::fromUtf8("&Правка"));
    edit->setObjectName("Edit1");
    undoAction_ =
        addCommand(edit, "Undo1", "Отменить", this, [this] { takeStep(&Workspace::undo); });
    undoAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    redoAction_ =
        addCommand(edit, "Redo1", "Повторить", this, [this] { takeStep(&Workspace::redo); });
    redoAction_->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    showHistory();

    QMenu* settings = bar->addMenu(QStringLiteral("&Settings"));
    settings->setObjectName("SettingsMenu");
    addCommand(settings, "Settings1", "Settings", this, [this] { Settings1Click(); });
    addCommand(settings, "CodeTable", "Коды", this, [this] {
        CodeTableWindow window(this, dialogs_);
        window.exec();
    });
    addCommand(settings, "ShowAllPoints", "Показать все точки", this, [this] {
        showAllPoints();
    })->setShortcut(QKeySequence(Qt::Key_Home));
    addCommand(settings, "FindPoint", "Найти точку", this, [this] {
        findPoint();
    })->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));

    QMenu* tasks = bar->addMenu(QString::fromUtf8("&Задачи"));
    tasks->setObjectName("Tasks1");
    addCommand(tasks, "Rotate1", "Rotate", this, [this] { rotateClick(); });
    addCommand(tasks, "N7", "Площадь", this, [this] { areaClick(); });
    addCommand(tasks, "N8", "Длина", this,
               [this] { N8Click(this, dialogs_, data_.points, *forms_->form8); });
    addCommand(tasks, "N9", "Углы", this, [this] { N9Click(data_.points, *forms_->form8); });
    addCommand(tasks, "N14", "Дирекционные углы", this,
               [this] { N14Click(data_.points, *forms_->form9, *forms_->form8); });
    addCommand(tasks, "N13", "Один Цвет", this, [this] { N13Click(); });
    addCommand(tasks, "N16", "Выбрать путь хода", this, [this] { traversePath_->N16Click(); });
    addCommand(tasks, "FieldJournal1", "Полевой журнал", this,
               [this] { forms_->fieldJournal->showJournal(); });
    addCommand(tasks, "Transform1", "Трансформация по общим точкам", this,
               [this] { TransformClick(this, dialogs_, *forms_->form8, data_.points, data_.view); });
    addCommand(tasks, "Cogo1", "Геодезические задачи", this,
               [this] { CogoClick(this, dialogs_, *forms_->form8, data_.points, data_.view); });

    // Shown, and doing nothing.
    QMenu* protocol = bar->addMenu(QString::fromUtf8("&Вывод протокола"));
    protocol->setObjectName("Protocol1");
    for (const char* caption : {"Rotate", "Площадь", "Длина", "Углы"}) {
        protocol->addAction(QString::fromUtf8(caption));
    }
    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    help->setObjectName("Help1");
    addCommand(help, "UserGuide", "Руководство пользователя", this, [this] {
        openUserGuide();
    })->setShortcut(QKeySequence(Qt::Key_F1));
}

void TForm1::createTablePopupMenu() {
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    addCommand(PopupMenu1, "N1", "Удалить", this, [this] { N1Click(); });
    addCommand(PopupMenu1, "N4", "Добавить", this, [this] { N4Click(); });
    addCommand(PopupMenu1, "N2", "Заморозить", this, [this] { N2Click(); });
    addCommand(PopupMenu1, "N3", "Разморозить", this, [this] { N3Click(); });
    addCommand(PopupMenu1, "N15", "Добавить много точек", this,
               [this] { N15Click(this, data_.points, *forms_->form10, dialogs_); });
    addCommand(PopupMenu1, "Excel1", "Отредактировать всё в Excel", this,
               [this] { Excel1Click(this, data_.points, *forms_->form10, dialogs_); });
    StringGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(StringGrid1, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        PopupMenu1->popup(StringGrid1->viewport()->mapToGlobal(at));
    });
}

QString TForm1::statusText() const { return statusLine_->text(); }

// A cell still being edited is left first: its editor would otherwise type its text over what
// undo brings back (its keystrokes are one step with the ones before).
void TForm1::takeStep(bool (Workspace::*direction)()) {
    static_cast<PointTableView*>(StringGrid1)->finishEditing();
    (data_.points.*direction)();
}

// "Отменить" and "Повторить" name the steps they take, and are enabled only when there is one.
void TForm1::showHistory() {
    const ChangeHistory& history = data_.points.history();
    const auto caption = [](const char* command, const std::string& step) {
        QString text = QString::fromUtf8(command);
        return step.empty() ? text : text + QStringLiteral(": ") + QString::fromStdString(step);
    };
    undoAction_->setText(caption("Отменить", history.undoName()));
    undoAction_->setEnabled(history.canUndo());
    redoAction_->setText(caption("Повторить", history.redoName()));
    redoAction_->setEnabled(history.canRedo());
}

void TForm1::workspaceChanged(const WorkspaceChange& change) {
    statusLine_->setText(QString::fromStdString(data_.points.status()));
    showHistory();
    using Kind = WorkspaceChange::Kind;
    // New rows come with the selection ticked again: each tick runs the traverse rule.
    if (change.kind == Kind::Replaced || change.kind == Kind::Appended ||
        change.kind == Kind::Inserted) {
        traversePath_->addSelectedStations(false);
    }
    // A box ticked in the table, or a found point selected: the traverse rule runs for it.
    if (change.kind == Kind::SelectionChanged && change.point) {
        traversePath_->stationTicked(*change.point);
    }
    if (change.kind != Kind::TypedTextChanged) redraw();
}

void TForm1::OpenButtonClick() {
    pointerDragFlag_ = 0;
    const std::optional<QString> path = dialogs_.askOpenPath(this, surveyOpenDialog());
    if (!path) return;
    importSurvey(*path);
}

void TForm1::OnClickF() { OpenButtonClick(); }

void TForm1::importSurvey(const QString& path) {
    PointStore points;
    ObservationList observations;
    SurveyNotes notes;
    const auto error = loadSurveyWhileBusy(this, path, points, &observations, &notes);
    // An unreadable file leaves no data, so the status line does not claim any.
    const std::string note = notes.statusText();
    const QString status = note.empty() ? path : path + QStringLiteral(" (") + fromUtf8(note) + ')';
    importPoints(std::move(points), std::move(observations), error ? QString() : status);
    if (error) dialogs_.showMessage(this, fromUtf8(error->message()));
}

void TForm1::importPoints(PointStore points, ObservationList observations, const QString& status,
                          const char* stepName) {
    const ViewState viewFound = data_.view.state();
    Image1->setBitmapSize(Image1->controlSize());
    data_.view.set(viewAfterImport(viewFound, points));
    data_.points.replaceAll(std::move(points), std::move(observations), {}, toUtf8(status),
                            stepName, viewFound);
}

void TForm1::redraw() { Image1->redraw(); }

// "Выбрать все" and "Убрать все": every check box at once, one redraw.
void TForm1::Button3Click() {
    traversePath_->stationsTicked(data_.points.setAllSelected(true));
}

void TForm1::Button4Click() { data_.points.setAllSelected(false); }

// "Удалить": the selected points go, without a question.
void TForm1::N1Click() { data_.points.eraseSelected(); }

// "Заморозить" and "Разморозить" act on the selected points.
void TForm1::N2Click() { data_.points.setActiveOfSelected(0, "Заморозить"); }

void TForm1::N3Click() { data_.points.setActiveOfSelected(1, "Разморозить"); }

// "Добавить": one point through the small dialog, appended unselected.
void TForm1::N4Click() {
    TForm4& dialog = *forms_->form4;
    if (dialog.exec() != QDialog::Accepted) return;
    const TypedPoint& typed = dialog.acceptedPoint();
    PointStore point;
    point.append(typed.number, typed.x, typed.y, typed.z, kColourAqua, kKindPoint);
    data_.points.append(point, false, "Добавить");
}

void TForm1::Image1Click() { OpenButton->setFocus(); }

void TForm1::OnMouseMove(QPoint at) {
    Image1->setCursor(Qt::BlankCursor);
    const int radius = effectiveCursorRadius(data_.view.state().cursorRadius);
    Image1->drawCursor(static_cast<int>(at.x() * Image1->widthRatio()),
                       static_cast<int>(at.y() * Image1->heightRatio()), radius);
}

// A press toggles the points under the cursor's circle and starts a drag.
void TForm1::Panel1MouseDown(QPoint at) {
    Image1Click();
    Image1->eraseCursor();
    pressPosition_ = at;
    pointerDragFlag_ = 1;
    const double bx = at.x() * Image1->widthRatio();
    const double by = at.y() * Image1->heightRatio();
    int caught = 0;
    // Every selected point gets its box ticked, and the plan shows the new selection.
    data_.points.changeSelection([&](std::vector<std::int32_t>& selected) {
        caught = PickAt(Image1->pickList(), data_.view.state().cursorRadius, bx, by, selected);
    });
    if (caught > 1) forms_->form7->showNotice(QString::fromUtf8(kSeveralPointsCaption));
    traversePath_->addSelectedStations(true);
}

// The release ends a drag: the plan follows the pointer by the distance dragged.
void TForm1::Panel1MouseUp(QPoint at) {
    if (pointerDragFlag_ == 1) {
        data_.view.change([&](ViewState& view) {
            dragPan(view, pressPosition_.x(), pressPosition_.y(), at.x(), at.y(),
                    Image1->controlSize());
        });
    }
    pointerDragFlag_ = 0;
}

void TForm1::wheelEvent(QWheelEvent* event) {
    wheelRemainder_ += event->angleDelta().y();
    constexpr int kNotch = 120;
    for (; wheelRemainder_ >= kNotch; wheelRemainder_ -= kNotch) OnMouseWhellUp();
    for (; wheelRemainder_ <= -kNotch; wheelRemainder_ += kNotch) OnMouseWhellDown();
    event->accept();
}

void TForm1::OnMouseWhellUp() { zoomOneNotch(true); }

void TForm1::OnMouseWhellDown() { zoomOneNotch(false); }

void TForm1::zoomOneNotch(bool up) {
    Image1->eraseCursor();
    if (data_.view.state().scaleLabelsWithZoom == 0) {
        data_.view.change([up](ViewState& view) { zoomScale(view, up); });
    } else {
        Image1->setBitmapSize(zoomBitmap(Image1->bitmapSize(), up, Image1->controlSize()));
    }
}

void TForm1::areaClick() { Button1Click(data_.points, *forms_->geop); }

void TForm1::rotateClick() { Button2Click(data_.points, *forms_->form5, *forms_->form2); }

void TForm1::Settings1Click() { forms_->settings->show(); }

// "Один Цвет": every point aqua again.
void TForm1::N13Click() { data_.points.setAllColours(kColourAqua, "Один Цвет"); }

void TForm1::showAllPoints() {
    data_.view.change(
        [this](ViewState& view) { fitViewToActivePoints(view, data_.points.store()); });
}

void TForm1::findPoint() {
    FindPointDialog dialog(this, data_.points.store());
    if (dialog.exec() != QDialog::Accepted) return;
    selectAndShow(dialog.foundPoint());
}

// The found point is selected as a click on its box would select it, its row comes into
// view and the plan is centred on it.
void TForm1::selectAndShow(std::size_t point) {
    const PointStore& store = data_.points.store();
    if (data_.points.selected()[point] != 1) data_.points.setSelected(point, true);
    StringGrid1->scrollTo(tableModel_->index(static_cast<int>(point), kNumberColumn));
    data_.view.change([&](ViewState& view) {
        centreViewOn(view, store.x()[point], store.y()[point], store.z()[point]);
    });
}

void TForm1::openUserGuide() { forms_->help->showGuide(this); }

void TForm1::mousePressEvent(QMouseEvent* event) {
    OpenButton->setFocus();
    QMainWindow::mousePressEvent(event);
}

void TForm1::Quit1Click() { close(); }

// The window starts maximised; its first paint turns it into a normal window at the
// screen's top left corner, 15 pixels narrower and lower than the maximised one.
void TForm1::paintEvent(QPaintEvent* event) {
    QMainWindow::paintEvent(event);
    if (windowState() & Qt::WindowMaximized) {
        QMetaObject::invokeMethod(this, &TForm1::leaveMaximisedState, Qt::QueuedConnection);
    }
}

void TForm1::leaveMaximisedState() {
    if (!(windowState() & Qt::WindowMaximized)) return;
    const QSize outer = frameGeometry().size();
    const QSize frame = outer - size();
    setWindowState(windowState() & ~Qt::WindowMaximized);
    move(0, 0);
    resize(outer - QSize(kWindowShrinkOnFirstPaint, kWindowShrinkOnFirstPaint) - frame);
}

void TForm1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    LayoutMainWindow();
}

// The side strips, the table and the plan keep their widths; the plan takes what is left
// of the width, everything takes the height between the button rows and the status line.
void TForm1::LayoutMainWindow() {
    const int clientWidth = client_->width();
    const int buttonRows = OpenButton->height() + Button3->height();
    ControlBar2->move(clientWidth - ControlBar2->width(), ControlBar2->y());
    ControlBar2->resize(ControlBar2->width(), client_->height() - buttonRows);
    const int imageWidth = clientWidth + 3 - ControlBar1->width() - ControlBar2->width() -
                           ControlBar3->width() - Panel2->width();
    if (imageWidth > 0) Image1->resize(imageWidth, Image1->height());
    Image1->setGeometry(clientWidth - ControlBar2->width() - Image1->width(), Image1->y(),
                        Image1->width(), ControlBar2->height());
    Image1->followControlSize();
    for (QWidget* column : {static_cast<QWidget*>(ControlBar1), static_cast<QWidget*>(ControlBar3),
                            static_cast<QWidget*>(Panel2), static_cast<QWidget*>(StringGrid1)}) {
        column->resize(column->width(), ControlBar2->height());
    }
    redraw();
}

}  // namespace korvela
