#include "exchange/workbook_points.h"

#include <algorithm>
#include <charconv>

#include "common/cp1251.h"
#include "exchange/workbook_sheet.h"
#include "points/point_store.h"

namespace korvela {

std::vector<WorkbookPoint> readWorkbookPoints(const WorkbookSheet& sheet) {
    std::vector<WorkbookPoint> points;
    for (std::uint32_t row = 1; row <= kWorkbookMaxRows; ++row) {
        const std::string number = sheet.text(row, 1);
        if (number.empty()) break;
        points.push_back({utf8ToCp1251(number), sheet.number(row, 2), sheet.number(row, 3),
                          sheet.number(row, 4)});
    }
    return points;
}

void appendWorkbookPoints(PointStore& store, const std::vector<WorkbookPoint>& points) {
    store.reserve(store.count() + points.size());
    for (const WorkbookPoint& point : points) {
        store.append(point.number, point.x, point.y, point.z, kColourAqua, kKindPoint);
    }
}

namespace {

// The double that a 16-significant-digit rendering of value reads back as.
double atSixteenDigits(double value) {
    char text[32];
    const auto written =
        std::to_chars(text, text + sizeof text, value, std::chars_format::general, 16);
    double read = value;
    std::from_chars(text, written.ptr, read);
    return read;
}

void restore(double& read, double original) {
    if (read == atSixteenDigits(original)) read = original;
}

}  // namespace

void restoreFullPrecision(std::vector<WorkbookPoint>& points, const PointStore& written) {
    const std::size_t rows = std::min(points.size(), written.count());
    for (std::size_t k = 0; k < rows; ++k) {
        restore(points[k].x, written.x()[k]);
        restore(points[k].y, written.y()[k]);
        restore(points[k].z, written.z()[k]);
    }
}

std::optional<std::size_t> firstPointWithoutNumber(const PointStore& store) {
    const auto& numbers = store.number();
    const auto found = std::find_if(numbers.begin(), numbers.end(),
                                    [](std::string_view n) { return n.empty(); });
    if (found == numbers.end()) return std::nullopt;
    return static_cast<std::size_t>(found - numbers.begin());
}

}  // namespace korvela
