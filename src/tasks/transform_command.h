#pragma once

class QWidget;

namespace korvela {

class TForm8;
class UserDialogs;
class Workspace;
class PlanView;

// Задачи ▸ "Трансформация по общим точкам": with two or more points selected, asks for the
// second survey and shows the report in the report window; then appends every point of the
// second survey, transformed, green. A notice in the report, a cancelled dialog or a file
// that cannot be read (a message says so) appends nothing. When no point would be on the
// plan, the view shows them all.
void TransformClick(QWidget* parent, UserDialogs& dialogs, TForm8& report, Workspace& points,
                    PlanView& view);

}  // namespace korvela
