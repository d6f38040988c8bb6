#pragma once

#include <QFont>
#include <QImage>
#include <QWidget>

#include <optional>

#include "exchange/code_table.h"
#include "plan/pick_list.h"
#include "plan/plan_navigation.h"
#include "plan/plan_view.h"
#include "plan/point_grid.h"

namespace korvela {

class Workspace;

// The image control of the plan (Image1): owns the plan bitmap, shows it stretched to its own
// size, and draws the pointer's cursor over it. It draws again after every change of the
// view; a redraw is done once, when the picture is next needed, however many commands asked for
// one in a row.
class PlanImage : public QWidget, private PlanViewObserver {
    Q_OBJECT
public:
    PlanImage(QWidget* parent, const Workspace& points, PlanView& view);
    ~PlanImage() override;

    // Asks for the plan to be drawn again from the data; discards the cursor.
    void redraw();

    // The picture as last drawn (drawn now if a redraw is pending) and its pick list.
    const QImage& bitmap();
    const PickList& pickList();

    PixelSize bitmapSize() const { return {bitmap_.width(), bitmap_.height()}; }
    // A new bitmap size (at most kLargestPlanBitmap a side); its ratio to the control's size
    // is what later layouts keep.
    void setBitmapSize(PixelSize size);
    // After the control was resized: the bitmap takes the control's size times the ratio it
    // had. A control with no area leaves the bitmap as it is.
    void followControlSize();
    PixelSize controlSize() const { return {width(), height()}; }
    // Bitmap pixels per control pixel, per axis, as the bitmap is now.
    double widthRatio() const;
    double heightRatio() const;

    const QFont& labelFont() const { return labelFont_; }
    // Draws the points whose code the table holds in its colours from the next redraw on;
    // none: in their own colours.
    void setCodeColours(std::optional<CodeTable> table);
    // The font of the labels from the next redraw on.
    void setLabelFont(const QFont& font) { labelFont_ = font; }

    // The cursor: a yellow cross and circle of the pick radius at a bitmap position.
    void drawCursor(int centreX, int centreY, int radius);
    void eraseCursor();
    bool cursorShown() const { return cursorShown_; }

signals:
    void pressed(QPoint at);
    void moved(QPoint at);
    void released(QPoint at);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void viewChanged(const ViewState& before) override;
    void renderIfNeeded();
    QRect cursorArea() const;

    const Workspace& points_;
    PlanView& view_;
    QImage bitmap_;
    double keptWidthRatio_ = 1;
    double keptHeightRatio_ = 1;
    PickList pickList_;
    PointGrid grid_;
    std::optional<CodeTable> codeColours_;
    QFont labelFont_;
    bool redrawPending_ = true;
    bool cursorShown_ = false;
    QPoint cursorCentre_;
    int cursorRadius_ = 0;
};

}  // namespace korvela
