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

#include "app/forms.h"
#include "app/qt_text.h"
#include "app/user_dialogs.h"
#include "exchange/export_commands.h"
#include "plan/plan_image.h"
#include "plan/view_state.h"
#include "points/point_table_model.h"
#include "points/program_data.h"

namespace korvela {
namespace {

const char* const kMainCaption = "KORVELA 16.06.10";
const QColor kMoneyGreen(192, 220, 192);
const QColor kGridColour(215, 228, 242);  // the desktop's inactive caption gradient
constexpr int kDesignClientWidth = 974;
constexpr int kDesignClientHeight = 775;
constexpr int kTableColumnWidth = 54;
constexpr int kWindowShrinkOnFirstPaint = 15;

const FileDialogRequest& surveyOpenDialog() {
    static const FileDialogRequest request{
        QString(),
        {QString::fromUtf8("sdr, dxf, txt (*.sdr *.dxf *.txt)"),
         QString::fromUtf8("Sokkia - sdr (*.sdr)"), QString::fromUtf8("*.dxf (*.dxf)"),
         QString::fromUtf8("*.* (*)")},
        QString(), QString()};
    return request;
}

QFrame* createBar(QWidget* parent, const char* name) {
    auto* bar = new QFrame(parent);
    bar->setObjectName(name);
    bar->setAutoFillBackground(true);
    QPalette palette = bar->palette();
    palette.setColor(QPalette::Window, kMoneyGreen);
    bar->setPalette(palette);
    return bar;
}

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

}  // namespace

TForm1::TForm1(ProgramData& data, UserDialogs& dialogs) : data_(data), dialogs_(dialogs) {
    setObjectName("TForm1");
    setWindowTitle(QString::fromUtf8(kMainCaption));
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(12);
    setFont(font);
    createControls();
    createMenus();
    createTablePopupMenu();
    resize(kDesignClientWidth, kDesignClientHeight + menuBar()->sizeHint().height() + statusBar()->height());
}

TForm1::~TForm1() = default;

void TForm1::attachForms(Forms& forms) { forms_ = &forms; }

void TForm1::createControls() {
    client_ = new QWidget(this);
    setCentralWidget(client_);

    OpenButton = createButton(client_, "OpenButton", "Import Project", {0, 0, 454, 31});
    Button2 = createButton(client_, "Button2", "Rotate", {453, 0, 464, 31});
    Button3 = createButton(client_, "Button3", "Выбрать все", {0, 31, 303, 31});
    Button4 = createButton(client_, "Button4", "Убрать все", {303, 31, 303, 31});
    Button1 = createButton(client_, "Button1", "Площадь", {606, 31, 311, 31});
    connect(OpenButton, &QPushButton::clicked, this, &TForm1::OpenButtonClick);

    ControlBar1 = createBar(client_, "ControlBar1");
    ControlBar1->setGeometry(0, 61, 41, 692);
    Panel2 = new QFrame(client_);
    Panel2->setObjectName("Panel2");
    Panel2->setGeometry(41, 62, 369, 692);

    tableModel_ = new PointTableModel(data_.store, this);
    StringGrid1 = new QTableView(Panel2);
    StringGrid1->setObjectName("StringGrid1");
    StringGrid1->setModel(tableModel_);
    StringGrid1->setGeometry(0, -1, 369, 693);
    StringGrid1->verticalHeader()->hide();
    StringGrid1->horizontalHeader()->setDefaultSectionSize(kTableColumnWidth);
    StringGrid1->horizontalHeader()->setMinimumSectionSize(10);
    StringGrid1->setShowGrid(true);
    StringGrid1->setTextElideMode(Qt::ElideNone);  // a narrow column clips its text
    QPalette gridPalette = StringGrid1->palette();
    gridPalette.setColor(QPalette::Base, kGridColour);
    StringGrid1->setPalette(gridPalette);

    ControlBar3 = createBar(client_, "ControlBar3");
    ControlBar3->setGeometry(410, 62, 49, 692);
    Image1 = new PlanImage(client_);
    Image1->setGeometry(452, 61, 470, 443);
    connect(Image1, &PlanImage::clicked, this, &TForm1::Image1Click);
    ControlBar2 = createBar(client_, "ControlBar2");
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

    QMenu* file = bar->addMenu(QStringLiteral("File"));
    file->setObjectName("File1");
    addItem(file, "Open1", "Open Project");
    addItem(file, "Save2", "Save Project");
    addItem(file, "AddtoProject1", "Add to Project");
    addItem(file, "CloseProject1", "Close Project");
    connect(addItem(file, "ImportProject1", "Import Project"), &QAction::triggered, this,
            &TForm1::OnClickF);
    QMenu* exportMenu = file->addMenu(QStringLiteral("Export Project"));
    exportMenu->setObjectName("ExportProject");
    connect(addItem(exportMenu, "SaveProject1", "Export txt"), &QAction::triggered, this,
            [this] { SaveProject1Click(this, dialogs_, data_.store); });
    connect(addItem(exportMenu, "ExportProject1", "Export AutoCad"), &QAction::triggered, this,
            [this] { ExportProject1Click(this, dialogs_, *tableModel_, data_.store); });
    connect(addItem(file, "Quit1", "Quit"), &QAction::triggered, this, &TForm1::Quit1Click);

    QAction* settings = bar->addAction(QStringLiteral("Settings"));
    settings->setObjectName("Settings1");

    QMenu* tasks = bar->addMenu(QString::fromUtf8("Задачи"));
    tasks->setObjectName("Tasks1");
    addItem(tasks, "Rotate1", "Rotate");
    addItem(tasks, "N7", "Площадь");
    addItem(tasks, "N8", "Длина");
    addItem(tasks, "N9", "Углы");
    addItem(tasks, "N14", "Дирекционные углы");
    addItem(tasks, "N13", "Один Цвет");
    addItem(tasks, "N16", "Выбрать путь хода");

    // Shown, and doing nothing.
    QMenu* protocol = bar->addMenu(QString::fromUtf8("Вывод протокола"));
    protocol->setObjectName("Protocol1");
    for (const char* caption : {"Rotate", "Площадь", "Длина", "Углы"}) {
        protocol->addAction(QString::fromUtf8(caption));
    }
    bar->addMenu(QStringLiteral("Help"))->setObjectName("Help1");
}

void TForm1::createTablePopupMenu() {
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    addItem(PopupMenu1, "N1", "Удалить");
    addItem(PopupMenu1, "N4", "Добавить");
    addItem(PopupMenu1, "N2", "Заморозить");
    addItem(PopupMenu1, "N3", "Разморозить");
    addItem(PopupMenu1, "N15", "Добавить много точек");
    addItem(PopupMenu1, "Excel1", "Отредактировать всё в Excel");
    StringGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(StringGrid1, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        PopupMenu1->popup(StringGrid1->viewport()->mapToGlobal(at));
    });
}

QString TForm1::statusText() const { return statusLine_->text(); }

void TForm1::setStatusText(const QString& text) { statusLine_->setText(text); }

void TForm1::OpenButtonClick() {
    pointerDragFlag_ = 0;
    const std::optional<QString> path = dialogs_.askOpenPath(this, surveyOpenDialog());
    if (!path) return;
    importSurvey(*path);
}

void TForm1::OnClickF() { OpenButtonClick(); }

void TForm1::importSurvey(const QString& path) {
    const auto error = data_.store.loadSurveyFile(toLocalPath(path));
    // An unreadable file leaves no data, so the status line does not claim any.
    setStatusText(error ? QString() : path);
    data_.selected.assign(data_.store.count(), 0);
    CentreViewOnStore(data_.view, data_.store);
    tableModel_->fillTable();
    if (error) dialogs_.showMessage(this, fromUtf8(error->message()));
}

void TForm1::Image1Click() { OpenButton->setFocus(); }

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
    for (QWidget* column : {static_cast<QWidget*>(ControlBar1), static_cast<QWidget*>(ControlBar3),
                            static_cast<QWidget*>(Panel2), static_cast<QWidget*>(StringGrid1)}) {
        column->resize(column->width(), ControlBar2->height());
    }
}

}  // namespace korvela
