#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace korvela {

// Where the plan looks and how it labels points: the record the project file starts with and
// the undo history keeps. Its file image is 88 bytes, little-endian, written and read field by
// field. The program's one view is a PlanView (plan/plan_view.h), which announces its changes.
struct ViewState {
    double offsetX = 0;  // added to a point's X, Y, Z before projection
    double offsetY = 0;
    double offsetZ = 0;
    double rollDeg = 0;  // view angles in degrees
    double tiltDeg = 0;
    double azimuthDeg = 0;
    double scale = 0.03;  // zoom factor
    double panDown = 0;   // pan in scaled units
    double panRight = 0;
    double depthOffset = 0;         // carried and stored; takes no part in the picture
    std::int32_t cursorRadius = 5;  // pick radius in bitmap pixels
    std::uint8_t showNumbers = 1;
    std::uint8_t showHeights = 1;
    std::uint8_t scaleLabelsWithZoom = 0;

    static constexpr std::size_t kImageSize = 88;
    using Image = std::array<std::uint8_t, kImageSize>;

    Image toImage() const;
    static ViewState fromImage(const Image& image);

    bool operator==(const ViewState&) const = default;
};

// Where the plan looks (offsets, view angles, scale, pans, depth offset) becomes that of
// `from`; the labels' and the cursor's settings stay.
void takePlacement(ViewState& view, const ViewState& from);

// The plan's view as the undo history reaches it: a step that moved the view keeps the one it
// found, and taking the step back or again puts that placement back.
class ViewPlacement {
public:
    virtual const ViewState& state() const = 0;
    // Where the plan looks becomes that of `placement`; the label settings stay.
    virtual void place(const ViewState& placement) = 0;

protected:
    ~ViewPlacement() = default;
};

}  // namespace korvela
