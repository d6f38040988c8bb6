#include "points/view_state.h"

#include <bit>
#include <cmath>


namespace korvela {
namespace {

class ImageWriter {
public:
    explicit ImageWriter(ViewState::Image& image) : image_(image) {}

    void put(double value) { putBits(std::bit_cast<std::uint64_t>(value), 8); }
    void put(std::int32_t value) { putBits(static_cast<std::uint32_t>(value), 4); }
    void put(std::uint8_t value) { putBits(value, 1); }

private:
    void putBits(std::uint64_t bits, std::size_t byteCount) {
        for (std::size_t i = 0; i < byteCount; ++i)
            image_[at_++] = static_cast<std::uint8_t>(bits >> (8 * i));
    }

    ViewState::Image& image_;
    std::size_t at_ = 0;
};

class ImageReader {
public:
    explicit ImageReader(const ViewState::Image& image) : image_(image) {}

    void get(double& value) { value = std::bit_cast<double>(getBits(8)); }
    void get(std::int32_t& value) {
        value = static_cast<std::int32_t>(static_cast<std::uint32_t>(getBits(4)));
    }
    void get(std::uint8_t& value) { value = static_cast<std::uint8_t>(getBits(1)); }

private:
    std::uint64_t getBits(std::size_t byteCount) {
        std::uint64_t bits = 0;
        for (std::size_t i = 0; i < byteCount; ++i) bits |= std::uint64_t{image_[at_++]} << (8 * i);
        return bits;
    }

    const ViewState::Image& image_;
    std::size_t at_ = 0;
};

}  // namespace

ViewState::Image ViewState::toImage() const {
    Image image{};
    ImageWriter writer(image);
    for (double value : {offsetX, offsetY, offsetZ, rollDeg, tiltDeg, azimuthDeg, scale, panDown,
                         panRight, depthOffset}) {
        writer.put(value);
    }
    writer.put(cursorRadius);
    writer.put(showNumbers);
    writer.put(showHeights);
    writer.put(scaleLabelsWithZoom);
    return image;
}

ViewState ViewState::fromImage(const Image& image) {
    ViewState view;
    ImageReader reader(image);
    for (double* value :
         {&view.offsetX, &view.offsetY, &view.offsetZ, &view.rollDeg, &view.tiltDeg,
          &view.azimuthDeg, &view.scale, &view.panDown, &view.panRight, &view.depthOffset}) {
        reader.get(*value);
    }
    reader.get(view.cursorRadius);
    reader.get(view.showNumbers);
    reader.get(view.showHeights);
    reader.get(view.scaleLabelsWithZoom);
    return view;
}

void takePlacement(ViewState& view, const ViewState& from) {
    ViewState placed = from;
    placed.cursorRadius = view.cursorRadius;
    placed.showNumbers = view.showNumbers;
    placed.showHeights = view.showHeights;
    placed.scaleLabelsWithZoom = view.scaleLabelsWithZoom;
    view = placed;
}

}  // namespace korvela
