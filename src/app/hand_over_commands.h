#pragma once

namespace korvela {

class PlanView;
class TForm2;
class TForm5;
class TGeop;
class Workspace;

// The main window's commands whose results go to another subsystem's window: the area
// window and the rotation result window.

// "Площадь" button and Задачи ▸ "Площадь": the selected points that are not frozen go to the
// area window.
void Button1Click(const Workspace& points, TGeop& area);
// "Rotate" button and Задачи ▸ "Rotate": clears the result window, proposes an angle, shows
// the rotation dialog.
void Button2Click(const Workspace& points, TForm5& result, TForm2& dialog);
// "Повернуть" of the rotation dialog: the selected points turned into the result window, and
// the plan turned with them.
void rotate(const Workspace& points, PlanView& view, const TForm2& dialog, TForm5& result);

}  // namespace korvela
