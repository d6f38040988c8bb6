#include "area/tgeop.h"

#include <QAction>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QTableView>
#include <QTimer>
#include <QUrl>
#include <QWindow>
#include <algorithm>
#include <iterator>
#include <numeric>

#include "area/area_cell_delegate.h"
#include "area/area_computation.h"
#include "area/area_files.h"
#include "area/area_sheet_printer.h"
#include "area/area_table_model.h"
#include "common/conversion_error.h"
#include "common/number_parse.h"
#include "ui/column_widener.h"
#include "ui/korvela_application.h"
#include "ui/program_files.h"
#include "ui/qt_text.h"
#include "ui/user_dialogs.h"
#include "ui/window_style.h"

namespace korvela {
namespace {

const char* const kCaption = "Вычисление площадей";
const char* const kStatementSwitch = "-p";
const char* const kHandOverStatement = "~TEMP.tdl";
const char* const kReadMeFile = "ReadMe.txt";
const char* const kLicenceFile = "License.txt";

const char* const kSaveFailed = "Ошибка сохранения!";
const char* const kTooManyPointsToSave =
    "В файл расчета площади можно сохранить не более %1 точек.";
const char* const kOpenFailed = "Ошибка открытия файла!";
const char* const kPrintFailed = "Ошибка печати: принтер недоступен.";

const char* const kOpenTitle = "Открыть";
const char* const kSaveTitle = "Сохранить";
const char* const kStatementTitle = "Импортировать из ведомости";
const char* const kAreaFileFilter = "Файл расчета площади (*.tdp)";
const char* const kStatementFilter = "Координатная ведомость (*.tdl)";
// The desktop's "all files" pattern; "*.*" would hide names without a dot here.
const char* const kAllFilesFilter = "Все файлы (*)";
const char* const kAreaFileSuffix = "tdp";

constexpr int kClientWidth = 598;
constexpr int kClientHeight = 357;
constexpr int kColumnWidths[] = {40, 60, 60, 60, 60, 85, 81};
constexpr int kRowHeight = 16;
constexpr int kDragStripHeight = 15;
constexpr int kGridLeft = 8;
constexpr int kGridTop = 62;
constexpr int kHeadingTop = 16;
constexpr int kHeadingHeight = kGridTop - kHeadingTop - 2;
constexpr int kHeadingPixelSize = 10;
constexpr int kGroupBoxHeight = 88;
constexpr int kResultHeight = 24;
constexpr int kMargin = 8;
constexpr int kPointCountLength = 3;

struct MenuItem {
    const char* name;
    const char* caption;
    QKeyCombination shortcut;
    void (TGeop::*handler)();
};

const MenuItem kMenuItems[] = {
    {"N5", "Вычислить", {}, &TGeop::N5Click},
    {"N3", "Открыть", QKeyCombination(Qt::ControlModifier, Qt::Key_O), &TGeop::N3Click},
    {"N4", "Сохранить", QKeyCombination(Qt::ControlModifier, Qt::Key_S), &TGeop::N4Click},
    {"N18", "Загрузить из ведомости", QKeyCombination(Qt::ControlModifier, Qt::Key_I),
     &TGeop::N18Click},
    {"N19", "Образец", {}, &TGeop::N19Click},
    {"N20", "Очистить", QKeyCombination(Qt::ControlModifier, Qt::Key_E), &TGeop::N20Click},
    {"N22", "Печать", QKeyCombination(Qt::ControlModifier, Qt::Key_P), &TGeop::N22Click},
    {"N24", "Выход", QKeyCombination(Qt::ControlModifier, Qt::Key_X), &TGeop::N24Click},
};

struct WindowKey {
    QKeyCombination key;
    void (TGeop::*handler)();
};

// Keys the window handles before its controls (also inside a cell being edited).
const WindowKey kWindowKeys[] = {
    {QKeyCombination(Qt::Key_Escape), &TGeop::N24Click},
    {QKeyCombination(Qt::ControlModifier, Qt::Key_O), &TGeop::N3Click},
    {QKeyCombination(Qt::ControlModifier, Qt::Key_S), &TGeop::N4Click},
    {QKeyCombination(Qt::ControlModifier, Qt::Key_I), &TGeop::N18Click},
    {QKeyCombination(Qt::ControlModifier, Qt::Key_E), &TGeop::N20Click},
    {QKeyCombination(Qt::ControlModifier, Qt::Key_P), &TGeop::N22Click},
    {QKeyCombination(Qt::ControlModifier, Qt::Key_X), &TGeop::N24Click},
    {QKeyCombination(Qt::ControlModifier, Qt::Key_R), &TGeop::openReadMe},
    {QKeyCombination(Qt::ControlModifier, Qt::Key_L), &TGeop::openLicence},
    {QKeyCombination(Qt::Key_F1), &TGeop::openHelp},
};

QStringList filtersWith(const char* first) {
    return {QString::fromUtf8(first), QString::fromUtf8(kAllFilesFilter)};
}

void openProgramFile(const char* name) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(programFilePath(QString::fromUtf8(name))));
}

}  // namespace

TGeop::TGeop(UserDialogs& dialogs, QString firstArgument)
    : dialogs_(dialogs), firstArgument_(std::move(firstArgument)) {
    setObjectName("TGeop");
    setWindowTitle(QString::fromUtf8(kCaption));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    // A secondary window: it never keeps the program running once the main window is gone.
    setAttribute(Qt::WA_QuitOnClose, false);
    setFont(windowFont(12));
    createControls();
    createMenu();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    sheet_.buildTable(8);
    sheetRebuilt();
    QCoreApplication::instance()->installEventFilter(this);
}

// The grid, its editors and its model go while the sheet still exists: an editor that is
// closed writes its text into the sheet.
TGeop::~TGeop() {
    QCoreApplication::instance()->removeEventFilter(this);
    delete takeCentralWidget();
    delete model_;
}

QString TGeop::programFirstArgument() {
    const QStringList arguments = QCoreApplication::arguments();
    return arguments.size() > 1 ? arguments[1] : QString();
}

void TGeop::createControls() {
    client_ = new QWidget(this);
    client_->setObjectName("client");
    client_->setFixedSize(kClientWidth, kClientHeight);
    setCentralWidget(client_);

    model_ = new AreaTableModel(sheet_, this);
    Table = new QTableView(client_);
    Table->setObjectName("Table");
    Table->setModel(model_);
    Table->setItemDelegate(new AreaCellDelegate(Table));
    Table->horizontalHeader()->hide();
    Table->verticalHeader()->hide();
    Table->horizontalHeader()->setMinimumSectionSize(1);
    Table->verticalHeader()->setMinimumSectionSize(1);
    Table->verticalHeader()->setDefaultSectionSize(kRowHeight);
    Table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    Table->setEditTriggers(QAbstractItemView::AllEditTriggers);  // the editor is always shown
    Table->setSelectionMode(QAbstractItemView::SingleSelection);
    Table->setTextElideMode(Qt::ElideNone);
    Table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    createHeadings();

    txtP = new QLineEdit(client_);
    txtP->setObjectName("txtP");
    txtP->setReadOnly(true);
    txtP->setAlignment(Qt::AlignCenter);

    GroupBox1 = new QGroupBox(QString::fromUtf8("Число точек:"), client_);
    GroupBox1->setObjectName("GroupBox1");
    groupBoxWidth_ =
        kClientWidth - 3 * kMargin -
        gridWidth(std::accumulate(std::begin(kColumnWidths), std::end(kColumnWidths), 0));
    txtNum = new QLineEdit(GroupBox1);
    txtNum->setObjectName("txtNum");
    // Typing is limited to three characters; a longer count handed over is still shown in
    // full (a maximum length would cut it).
    txtNum->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral(".{0,%1}").arg(kPointCountLength)), txtNum));
    txtNum->setGeometry(12, 24, 44, 22);
    Button2 = new QPushButton(QString::fromUtf8("Построить"), GroupBox1);
    Button2->setObjectName("Button2");
    Button2->setGeometry(12, 54, groupBoxWidth_ - 24, 26);
    connectCommand(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });

    // The columns widen to their longest texts (the summary rows' always counted); the
    // window grows to hold the grid.
    new ColumnWidener(Table, std::vector<int>(std::begin(kColumnWidths), std::end(kColumnWidths)),
                      AreaSheet::kSummaryRows);
    connect(Table->horizontalHeader(), &QHeaderView::sectionResized, this, &TGeop::layOutControls);
    layOutControls();
}

// The grid's outer width for columns of the given total width.
int TGeop::gridWidth(int columnsWidth) const {
    return columnsWidth + 2 * Table->frameWidth() +
           Table->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, Table);
}

std::vector<int> TGeop::columnWidths() const {
    std::vector<int> widths;
    for (int column = 0; column < AreaSheet::ColumnCount; ++column)
        widths.push_back(Table->columnWidth(column));
    return widths;
}

void TGeop::createHeadings() {
    QFont font = this->font();
    font.setPixelSize(kHeadingPixelSize);
    int number = 1;
    for (const AreaSheetHeading& heading : kAreaSheetHeadings) {
        auto* label = new QLabel(QString::fromUtf8(heading.text), client_);
        label->setObjectName(QStringLiteral("Label%1").arg(number++));
        label->setFont(font);
        label->setAlignment(Qt::AlignCenter);
        label->setWordWrap(true);
        headingLabels_.push_back(label);
    }
}

void TGeop::layOutControls() {
    const std::vector<int> widths = columnWidths();
    const int grid = gridWidth(Table->horizontalHeader()->length());
    const int boxLeft = kGridLeft + grid + kMargin;
    client_->setFixedSize(std::max(kClientWidth, boxLeft + groupBoxWidth_ + kMargin),
                          kClientHeight);
    const int resultTop = kClientHeight - kMargin - kResultHeight;
    Table->setGeometry(kGridLeft, kGridTop, grid, resultTop - kMargin / 2 - kGridTop);
    txtP->setGeometry(kGridLeft, resultTop, grid, kResultHeight);
    GroupBox1->setGeometry(boxLeft, kGridTop, groupBoxWidth_, kGroupBoxHeight);
    for (std::size_t k = 0; k < headingLabels_.size(); ++k) {
        const auto [left, top, width, height] =
            headingPlace(kAreaSheetHeadings[k], widths, kGridLeft + Table->frameWidth(),
                         kHeadingTop, kHeadingHeight);
        headingLabels_[k]->setGeometry(left, top, width, height);
    }
    adjustSize();
}

void TGeop::createMenu() {
    menuBar()->setObjectName("MainMenu1");
    QMenu* menu = menuBar()->addMenu(QString::fromUtf8("Действия"));
    menu->setObjectName("ActionsMenu");
    for (const MenuItem& item : kMenuItems) {
        QAction* action = menu->addAction(QString::fromUtf8(item.caption));
        action->setObjectName(item.name);
        // The window's key handling runs the command; the menu only shows the key.
        action->setShortcut(QKeySequence(item.shortcut));
        action->setShortcutContext(Qt::WidgetShortcut);
        connectCommand(action, &QAction::triggered, this,
                       [this, handler = item.handler] { (this->*handler)(); });
    }
}

void TGeop::setPointCount(int count) {
    txtNum->setText(QString::number(count));
    Button2Click();
}

void TGeop::handOver(AreaSheet sheet) {
    sheet_ = std::move(sheet);
    sheetRebuilt();
}

void TGeop::setCellText(int row, int column, const QString& text) {
    model_->setData(model_->index(row, column), text, Qt::EditRole);
}

QString TGeop::cellText(int row, int column) const { return fromCp1251(sheet_.cell(row, column)); }

void TGeop::Button2Click() {
    const std::string text = toUtf8(txtNum->text());
    const std::int32_t count = toIntStrict(text);
    // A table cannot have fewer than no rows.
    if (count < 0) throw ConversionError::notInteger(text);
    sheet_.buildTable(count);
    sheetRebuilt();
}

void TGeop::N5Click() { computeAndShow(); }

void TGeop::computeAndShow() {
    const bool computed = computeArea(sheet_);
    sheetChanged();
    if (!computed) dialogs_.showMessage(this, QString::fromUtf8(kAreaComputationFailedMessage));
}

// A file the system could not read gets the window's own message; a refused content says why.
void TGeop::showOpenError(const FileError& error) {
    dialogs_.showMessage(this, error.reason.empty() ? QString::fromUtf8(kOpenFailed)
                                                    : QString::fromUtf8(error.message()));
}

void TGeop::N3Click() {
    const FileDialogRequest request{QString::fromUtf8(kOpenTitle), filtersWith(kAreaFileFilter),
                                    QString(), QString()};
    const std::optional<QString> path = dialogs_.askOpenPath(this, request);
    if (!path) return;
    if (const auto error = openAreaFile(toLocalPath(*path), sheet_)) {
        return showOpenError(*error);
    }
    sheetRebuilt();
    computeAndShow();
}

void TGeop::N4Click() {
    if (sheet_.pointCount() > kLargestAreaFileCount) {
        return dialogs_.showMessage(
            this, QString::fromUtf8(kTooManyPointsToSave).arg(kLargestAreaFileCount));
    }
    const FileDialogRequest request{QString::fromUtf8(kSaveTitle), filtersWith(kAreaFileFilter),
                                    QString::fromUtf8(kAreaFileSuffix), QString()};
    std::optional<QString> path = dialogs_.askSavePath(this, request);
    if (!path) return;
    if (QFileInfo(*path).suffix().isEmpty())
        *path += QStringLiteral(".") + QString::fromUtf8(kAreaFileSuffix);
    const auto error = saveAreaFile(toLocalPath(*path), sheet_);
    sheetChanged();
    if (error) dialogs_.showMessage(this, QString::fromUtf8(kSaveFailed));
}

void TGeop::N18Click() {
    const FileDialogRequest request{QString::fromUtf8(kStatementTitle),
                                    filtersWith(kStatementFilter), QString(), QString()};
    const std::optional<QString> path = dialogs_.askOpenPath(this, request);
    if (!path) return;
    importStatement(*path);
}

void TGeop::importStatement(const QString& path) {
    const auto error = loadStatementFile(toLocalPath(path), sheet_);
    if (error) {
        sheetChanged();
        return showOpenError(*error);
    }
    sheetRebuilt();
    computeAndShow();
}

void TGeop::N19Click() {
    fillSampleSheet(sheet_);
    sheetRebuilt();
}

void TGeop::N20Click() {
    sheet_.clear();
    sheetRebuilt();
}

void TGeop::N22Click() {
    QPrinter printer(QPrinter::HighResolution);
    // Without a default printer the user chooses one, or printing into a PDF file.
    if (QPrinterInfo::defaultPrinter().isNull() && !dialogs_.askPrinter(this, printer)) return;
    if (!printSheet(printer)) dialogs_.showMessage(this, QString::fromUtf8(kPrintFailed));
}

bool TGeop::printSheet(QPrinter& printer) {
    AreaSheetLook look;
    look.columnWidths = columnWidths();
    const int lastRow = sheet_.rowCount() - 1;
    for (int column = 0; column < AreaSheet::ColumnCount; ++column) {  // rows out of view too
        look.columnWidths[column] = std::max(look.columnWidths[column],
                                             ColumnWidener::textWidth(*Table, column, 0, lastRow));
    }
    look.rowHeight = kRowHeight;
    look.headingHeight = kHeadingHeight;
    look.resultHeight = kResultHeight;
    look.cellFont = Table->font();
    look.headingFont = headingLabels_.front()->font();
    look.screenDpi = client_->logicalDpiY();
    return printAreaSheet(printer, sheet_, look);
}

void TGeop::N24Click() { hide(); }

void TGeop::openReadMe() { openProgramFile(kReadMeFile); }

void TGeop::openLicence() { openProgramFile(kLicenceFile); }

void TGeop::openHelp() { emit helpRequested(); }

void TGeop::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!event->spontaneous() && firstArgument_ == QString::fromUtf8(kStatementSwitch)) {
        importStatement(QString::fromUtf8(kHandOverStatement));
    }
}

bool TGeop::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::ShortcutOverride:
        case QEvent::KeyPress:
            return handleWindowKey(watched, event);
        case QEvent::MouseButtonPress: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            // The top strip of the client area moves the window, like its title bar.
            if (watched != client_ || mouse->button() != Qt::LeftButton ||
                mouse->position().y() >= kDragStripHeight) {
                return false;
            }
            if (QWindow* window = windowHandle()) window->startSystemMove();
            return true;
        }
        case QEvent::FocusIn:
            // Entering the point count or the result selects its text.
            if (watched == txtNum || watched == txtP) {
                QTimer::singleShot(0, static_cast<QLineEdit*>(watched), &QLineEdit::selectAll);
            }
            return false;
        default:
            return false;
    }
}

// The window sees its keys before any of its controls, an open cell editor included.
bool TGeop::handleWindowKey(QObject* watched, QEvent* event) {
    const auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || widget->window() != this) return false;
    const QKeyCombination key = static_cast<QKeyEvent*>(event)->keyCombination();
    const auto found =
        std::find_if(std::begin(kWindowKeys), std::end(kWindowKeys),
                     [key](const WindowKey& windowKey) { return windowKey.key == key; });
    if (found == std::end(kWindowKeys)) return false;
    event->accept();
    if (event->type() == QEvent::KeyPress) (this->*found->handler)();
    return true;
}

void TGeop::sheetChanged() {
    model_->reload();
    txtP->setText(fromCp1251(sheet_.result()));
}

void TGeop::sheetRebuilt() {
    txtNum->setText(QString::number(sheet_.pointCount()));
    sheetChanged();
}

}  // namespace korvela
