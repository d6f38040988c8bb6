#include "app/hand_over_commands.h"

#include "area/area_hand_over.h"
#include "area/area_sheet.h"
#include "area/tgeop.h"
#include "common/number_parse.h"
#include "exchange/tform5.h"
#include "plan/plan_view.h"
#include "points/workspace.h"
#include "tasks/rotation.h"
#include "tasks/tform2.h"
#include "ui/qt_text.h"

namespace korvela {

void Button1Click(const Workspace& points, TGeop& area) {
    area.handOver(areaHandOverSheet(points.store(), points.selected()));
    area.show();
}

void Button2Click(const Workspace& points, TForm5& result, TForm2& dialog) {
    result.clearGrid();
    dialog.setAngleText(fromUtf8(proposedRotationAngle(points.store(), points.selected())));
    dialog.show();
}

void rotate(const Workspace& points, PlanView& view, const TForm2& dialog, TForm5& result) {
    const double angle = toDoubleStrict(toUtf8(dialog.angleText()));
    const std::vector<RotationRow> rows = rotatePoints(points.store(), points.selected(), angle);
    for (std::size_t k = 0; k < rows.size(); ++k) {
        result.setRow(static_cast<int>(k) + 1, rows[k].number, rows[k].x, rows[k].y, rows[k].z);
    }
    result.setRowCount(static_cast<int>(rows.size()) + 1);
    // The plan turns with the points: the "y" scroll bar follows the angle.
    view.change([&](ViewState& turned) {
        turned.rollDeg = rollScrollPositionAfterRotation(angle) - 1;
    });
    result.show();
}

}  // namespace korvela
