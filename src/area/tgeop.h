#pragma once

#include <QMainWindow>
#include <vector>

#include "area/area_sheet.h"
#include "common/file_error.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPrinter;
class QPushButton;
class QTableView;

namespace korvela {

class AreaTableModel;
class UserDialogs;

// The area calculation window "Вычисление площадей": a parcel's area by the coordinate
// method on the sheet of Table, with its files, statements, sample and printing.
class TGeop : public QMainWindow {
    Q_OBJECT
public:
    // firstArgument: the program's first command-line argument; with "-p" every showing of
    // the window reads the statement "~TEMP.tdl" of the current folder and computes.
    explicit TGeop(UserDialogs& dialogs, QString firstArgument = programFirstArgument());
    ~TGeop() override;

    static QString programFirstArgument();

    // The main window's "Площадь" hand-over: the point count typed into txtNum and
    // "Построить", then the coordinates written into cells, then show().
    void setPointCount(int count);
    // The whole sheet handed over at once (the point count follows it).
    void handOver(AreaSheet sheet);
    void setCellText(int row, int column, const QString& text);
    QString cellText(int row, int column) const;
    const AreaSheet& sheet() const { return sheet_; }

    // Handlers, named after the control.
    void Button2Click();  // "Построить"
    void N5Click();       // "Вычислить"
    void N3Click();       // "Открыть"
    void N4Click();       // "Сохранить"
    void N18Click();      // "Загрузить из ведомости"
    void N19Click();      // "Образец"
    void N20Click();      // "Очистить"
    void N22Click();      // "Печать"
    void N24Click();      // "Выход"
    void openReadMe();    // Ctrl+R
    void openLicence();   // Ctrl+L
    void openHelp();      // F1: asks for the user guide

    // Prints the whole sheet with its headings and result, at its on-screen size, on as many
    // pages as it needs; false when the printer cannot be used.
    bool printSheet(QPrinter& printer);

signals:
    void helpRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void createControls();
    void createHeadings();
    void layOutControls();
    int gridWidth(int columnsWidth) const;
    std::vector<int> columnWidths() const;
    void createMenu();
    bool handleWindowKey(QObject* watched, QEvent* event);
    void computeAndShow();
    void importStatement(const QString& path);
    void showOpenError(const FileError& error);
    void sheetChanged();
    void sheetRebuilt();

    UserDialogs& dialogs_;
    const QString firstArgument_;
    AreaSheet sheet_;
    AreaTableModel* model_ = nullptr;

    QWidget* client_ = nullptr;
    QTableView* Table = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QLineEdit* txtNum = nullptr;
    QPushButton* Button2 = nullptr;
    QLineEdit* txtP = nullptr;
    std::vector<QLabel*> headingLabels_;
    int groupBoxWidth_ = 0;
};

}  // namespace korvela
