#include "exchange/tform10.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableView>
#include <QUrl>

#include "exchange/workbook_reader.h"
#include "exchange/workbook_sheet_model.h"
#include "ui/program_files.h"
#include "ui/qt_text.h"

namespace korvela {
namespace {

const char* const kCaption = "Добавить много точек";
const char* const kWorkbookName = "1.xlsx";
const char* const kOpenAgainCaption = "Открыть книгу";
const char* const kNotOpenedText = "Книгу не удалось открыть в программе для таблиц";
constexpr int kRefreshDelayMs = 300;

QString defaultWorkbookFolder() {
    const QString folder =
        workingFolder(QCoreApplication::applicationDirPath(),
                      QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    QDir().mkpath(folder);
    return folder;
}

bool openWithDesktop(const QString& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

}  // namespace

TForm10::TForm10(QWidget* parent) : QDialog(parent), openDocument_(openWithDesktop) {
    setObjectName("TForm10");
    setWindowTitle(QString::fromUtf8(kCaption));
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(13);
    setFont(font);
    setFixedSize(1017, 540);

    sheetModel_ = new WorkbookSheetModel(this);
    OleContainer1 = new QTableView(this);
    OleContainer1->setObjectName("OleContainer1");
    OleContainer1->setGeometry(8, 8, 1001, 493);
    OleContainer1->setModel(sheetModel_);
    OleContainer1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    OleContainer1->horizontalHeader()->setDefaultSectionSize(160);

    OpenSpreadsheetButton = new QPushButton(QString::fromUtf8(kOpenAgainCaption), this);
    OpenSpreadsheetButton->setObjectName("OpenSpreadsheetButton");
    OpenSpreadsheetButton->setGeometry(8, 507, 150, 25);
    connect(OpenSpreadsheetButton, &QPushButton::clicked, this,
            &TForm10::OpenSpreadsheetButtonClick);
    Button1 = new QPushButton(QStringLiteral("Ok"), this);
    Button1->setObjectName("Button1");
    Button1->setGeometry(480, 507, 75, 25);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &TForm10::Button1Click);
    workbookState_ = new QLabel(this);
    workbookState_->setObjectName("workbookState");
    workbookState_->setGeometry(565, 507, 444, 25);

    refreshSoon_.setSingleShot(true);
    refreshSoon_.setInterval(kRefreshDelayMs);
    connect(&refreshSoon_, &QTimer::timeout, this, &TForm10::refresh);
    // A spreadsheet program saves into a new file that replaces the old one: the folder's
    // change tells of that too, and the file is watched anew.
    connect(&watcher_, &QFileSystemWatcher::fileChanged, &refreshSoon_,
            qOverload<>(&QTimer::start));
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, &refreshSoon_,
            qOverload<>(&QTimer::start));
}

QString TForm10::workbookPath() const {
    const QString folder = workbookFolder_.isEmpty() ? defaultWorkbookFolder() : workbookFolder_;
    return QDir(folder).filePath(QString::fromUtf8(kWorkbookName));
}

bool TForm10::showWorkbook(const QString& path, ReadBack readBack) {
    path_ = path;
    shownSize_ = -1;
    readBack_ = std::move(readBack);
    const bool readBackDone = exec() == QDialog::Accepted;
    readBack_ = nullptr;
    refreshSoon_.stop();
    if (!watcher_.files().isEmpty()) watcher_.removePaths(watcher_.files());
    if (!watcher_.directories().isEmpty()) watcher_.removePaths(watcher_.directories());
    return readBackDone;
}

void TForm10::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

bool TForm10::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) OleContainer1Enter();
    return QDialog::event(event);
}

void TForm10::FormShow() {
    refresh();
    OpenSpreadsheetButtonClick();
}

void TForm10::OleContainer1Enter() {
    if (!path_.isEmpty()) refresh();
}

void TForm10::Button1Click() {
    if (!readBack_ || readBack_()) accept();
}

void TForm10::OpenSpreadsheetButtonClick() {
    if (!openDocument_(path_)) workbookState_->setText(QString::fromUtf8(kNotOpenedText));
}

void TForm10::refresh() {
    watchWorkbook();
    // Focus changes and other files in the folder come often; the workbook is read again
    // only when it was saved since it was last shown.
    const QFileInfo file(path_);
    if (file.exists() && file.size() == shownSize_ && file.lastModified() == shownModified_) return;
    shownSize_ = file.exists() ? file.size() : -1;
    shownModified_ = file.lastModified();
    WorkbookSheet sheet;
    if (const auto error = readFirstSheetFile(toLocalPath(path_), sheet)) {
        workbookState_->setText(fromUtf8(error->message()));  // what was shown last stays
        return;
    }
    workbookState_->clear();
    sheetModel_->setSheet(std::move(sheet));
}

void TForm10::watchWorkbook() {
    if (!watcher_.files().contains(path_) && QFileInfo::exists(path_)) watcher_.addPath(path_);
    const QString folder = QFileInfo(path_).absolutePath();
    if (!watcher_.directories().contains(folder)) watcher_.addPath(folder);
}

}  // namespace korvela
