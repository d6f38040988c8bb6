#pragma once

#include <QDialog>
#include <string>

class QFrame;
class QPushButton;
class QTableView;

namespace korvela {

class PointStore;
class TextCellModel;
class TextGrid;
class UserDialogs;

// The rotation result window "AutoCAD": the rotated points in a grid of 4 editable columns
// (number, X, Y, H; row 0 stays empty), written on to DXF by ">> В AutoCAD >>".
class TForm5 : public QDialog {
    Q_OBJECT
public:
    TForm5(QWidget* parent, const PointStore& store, UserDialogs& dialogs);

    // What the rotation calls: clear the grid (2 empty rows), write the rows from 1 on
    // (texts in Windows-1251; a row beyond the grid adds rows), set the row count, then show().
    void clearGrid();
    void setRow(int row, std::string number, std::string x, std::string y, std::string height);
    void setRowCount(int rows);

    // The grid's cells as the export reads them.
    const TextGrid& grid() const;

    // ">> В AutoCAD >>": every data row to DXF, column 2 as DXF X, column 1 as DXF Y.
    void Button1Click();

private:
    const PointStore& store_;
    UserDialogs& dialogs_;
    TextCellModel* cells_ = nullptr;

    QPushButton* Button1 = nullptr;
    QFrame* ControlBar3 = nullptr;
    QTableView* StringGrid1 = nullptr;
    QFrame* ControlBar1 = nullptr;
};

}  // namespace korvela
