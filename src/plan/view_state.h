#pragma once

#include <array>
#include <cstdint>

namespace korvela {

class PointStore;

// Where the plan looks and how it labels points. Its file image is 88 bytes, little-endian,
// written and read field by field (the project file starts with it).
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

// Back to the reset values.
void ResetView(ViewState& view);

// After an import: reset, then, when the store holds more than ten points, look at the
// eleventh (offsets −x[10], −y[10] and z[10] − 20).
void CentreViewOnStore(ViewState& view, const PointStore& store);

// Where the plan looks (offsets, view angles, scale, pans, depth offset) becomes that of
// `from`; the labels' and the cursor's settings stay.
void takePlacement(ViewState& view, const ViewState& from);

// After opening a project: takes over scale, pans and depth offset; the rest stays.
void RestoreViewFromProject(ViewState& view, const ViewState& fromFile);

}  // namespace korvela
