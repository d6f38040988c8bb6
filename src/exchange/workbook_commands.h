#pragma once

class QWidget;

namespace korvela {

class TForm10;
class UserDialogs;
class Workspace;

// Table pop-up ▸ "Добавить много точек": the workbook (made empty when there is none) opens in the
// spreadsheet program and in TForm10; "Ok" appends every row the user filled as a new point,
// unselected. A workbook that cannot be read, or a coordinate that is no number, is reported
// (naming the cell) and appends nothing; the window stays open, and "Ok" reads again.
void N15Click(QWidget* parent, Workspace& points, TForm10& form10, UserDialogs& dialogs);

// Table pop-up ▸ "Отредактировать всё в Excel": every point is written into the workbook, which the
// user edits; "Ok" rebuilds the store from the edited rows, every point active, aqua and
// ordinary, the selection kept by row position. The edited workbook is read completely
// first: when that fails the message is shown, the points stay exactly as they were, the
// window stays open and "Ok" reads again. Closed without a read, the workbook keeps the
// user's edits: the next use shows it as it is instead of writing the points over them.
void Excel1Click(QWidget* parent, Workspace& points, TForm10& form10, UserDialogs& dialogs);

}  // namespace korvela
