#pragma once

class QWidget;

namespace korvela {

class TForm10;
class UserDialogs;
class Workspace;

// Table pop-up ▸ "Добавить много точек": the workbook (made empty when there is none) opens in the
// spreadsheet program and in TForm10; after "Ok" every row the user filled is appended as a
// new point, unselected. A workbook that cannot be read, or a coordinate that is no number,
// is reported and appends nothing.
void N15Click(QWidget* parent, Workspace& points, TForm10& form10, UserDialogs& dialogs);

// Table pop-up ▸ "Отредактировать всё в Excel": every point is written into the workbook, which the
// user edits; after "Ok" the store is rebuilt from the edited rows, every point active, aqua and
// ordinary, the selection kept by row position. The edited workbook is read completely
// first: when that fails the message is shown and the points stay exactly as they were.
void Excel1Click(QWidget* parent, Workspace& points, TForm10& form10, UserDialogs& dialogs);

}  // namespace korvela
