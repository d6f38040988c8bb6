#pragma once

#include <QDateTime>
#include <QDialog>
#include <QFileSystemWatcher>
#include <QTimer>
#include <functional>

class QLabel;
class QPushButton;
class QTableView;

namespace korvela {

class WorkbookSheetModel;

// The window that shows the workbook while the user edits it in the desktop's spreadsheet
// program: columns A-D of its first sheet, read-only, refreshed from the file whenever the
// window gets the focus or the file changes on disk; "Ok" closes it.
class TForm10 : public QDialog {
    Q_OBJECT
public:
    explicit TForm10(QWidget* parent);

    // The workbook "1.xlsx": in the program's folder when the program may write there,
    // otherwise in the user's data folder (or in the folder set below).
    QString workbookPath() const;
    void setWorkbookFolder(const QString& folder) { workbookFolder_ = folder; }

    // Opens a file in the program the desktop opens it with; returns whether that started.
    // Tests put a stand-in for the user and the spreadsheet program here.
    using DocumentOpener = std::function<bool(const QString& path)>;
    void setDocumentOpener(DocumentOpener opener) { openDocument_ = std::move(opener); }

    // Reads the workbook the user saved; false (after saying why) when it cannot be read.
    using ReadBack = std::function<bool()>;
    // Shows the workbook at path modally. "Ok" reads it back: the window closes once that
    // succeeded, and stays open otherwise, for the user to mend the workbook and press "Ok"
    // again. Returns whether it was read back (not when the user closed the window).
    bool showWorkbook(const QString& path, ReadBack readBack);

    // Whether the workbook holds edits of "Отредактировать всё в Excel" not read back yet.
    bool holdsUnreadEdits() const { return holdsUnreadEdits_; }
    void setHoldsUnreadEdits(bool holds) { holdsUnreadEdits_ = holds; }

    // On show: the workbook opens in the spreadsheet program.
    void FormShow();
    // The window got the focus: the sheet is read again.
    void OleContainer1Enter();
    void Button1Click();  // "Ok": the saved rows are read
    // The button that opens the spreadsheet program again.
    void OpenSpreadsheetButtonClick();

protected:
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;

private:
    void refresh();
    void watchWorkbook();

    QTableView* OleContainer1 = nullptr;
    WorkbookSheetModel* sheetModel_ = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* OpenSpreadsheetButton = nullptr;
    QLabel* workbookState_ = nullptr;  // why the sheet shown may not be the file's
    QFileSystemWatcher watcher_;
    QTimer refreshSoon_;  // a save writes the file in steps: read once it has settled
    QString path_;
    QDateTime shownModified_;  // the file as last shown: read again only when it changed
    qint64 shownSize_ = -1;
    QString workbookFolder_;
    DocumentOpener openDocument_;
    ReadBack readBack_;
    bool holdsUnreadEdits_ = false;
};

}  // namespace korvela
