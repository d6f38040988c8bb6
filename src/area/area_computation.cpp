#include "area/area_computation.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "area/area_sheet.h"
#include "common/cp1251.h"
#include "common/number_parse.h"
#include "common/number_text.h"

namespace korvela {

const char* const kAreaComputationFailedMessage = "Ошибка вычисления!\nПроверьте исходные данные.";

namespace {

// Beyond this a value has no whole-number rounding (the sheet's integers are 64-bit).
constexpr double kLargestRoundable = 9223372036854775808.0;  // 2^63
// 10^-k for k = 0 … 6 decimals.
constexpr double kDecimalSteps[] = {1.0, 0.1, 0.01, 0.001, 0.0001, 0.00001, 0.000001};
// The products take the coordinate differences to the micrometre: a difference of
// millimetre coordinates rounded to centimetres would make each product of a national-grid
// coordinate (millions of metres) up to tens of thousands of square metres wrong.
constexpr int kProductDifferenceDecimals = 6;
constexpr double kSquareMetresToHectares = 0.0001;

const char* const kAreaText = "P = ";
const char* const kSquareMetresText = " м^2 = ";
const char* const kHectaresText = " га";
const char* const kDoubledAreaText = "2P = ";
const char* const kDifferencesTotal = "0";

struct SignedSums {
    double positive = 0;
    double negative = 0;
};

// The computation reads every cell once: the coordinates, which it never writes, up front,
// and each value it writes as read back from the cell's text.
class Computation {
public:
    explicit Computation(AreaSheet& sheet);

    bool run();

private:
    int previous(int row) const { return row == 0 ? count_ - 1 : row - 1; }
    // With a single point the next row is the first summary row.
    int next(int row) const { return row + 1 < count_ || count_ == 1 ? row + 1 : 0; }

    bool computeDifferences(int row);
    bool computeProducts(int row);
    std::optional<double> writeRounded(int row, int column, double exact, int decimals);
    void writeSummary(int column, const SignedSums& sums, std::string total);
    void writeProductSummaries();
    bool writeResult();

    AreaSheet& sheet_;
    const int count_;
    std::vector<double> x_, y_;                      // rows 0 … count (the first summary row)
    std::vector<double> xDifference_, yDifference_;  // to the micrometre, for the products
    SignedSums xDifferences_, yDifferences_, yProducts_, xProducts_;
};

Computation::Computation(AreaSheet& sheet)
    : sheet_(sheet), count_(sheet.pointCount()), x_(count_ + 1), y_(count_ + 1),
      xDifference_(count_), yDifference_(count_) {
    for (int row = 0; row <= count_; ++row) {
        x_[row] = readSheetNumber(sheet.cell(row, AreaSheet::XColumn));
        y_[row] = readSheetNumber(sheet.cell(row, AreaSheet::YColumn));
    }
}

// Adds a value to the sum of its sign; the differences' sums are rounded to whole metres
// after every addition, the products' sums are not.
bool addTo(SignedSums& sums, double value, bool roundToWhole) {
    double& sum = value >= 0 ? sums.positive : sums.negative;
    sum += value;
    if (!roundToWhole) return true;
    const auto rounded = roundToDecimals(sum, 0);
    if (!rounded) return false;
    sum = *rounded;
    return true;
}

// The difference rounded to micrometres, as the value its 15-digit number text stands for
// (so centimetre coordinates give exactly the centimetre differences of columns 3 and 4).
// Beyond the magnitudes that can be rounded so, a double has no micrometres to round.
double productDifference(double exact) {
    const double rounded = roundToDecimals(exact, kProductDifferenceDecimals).value_or(exact);
    char text[kNumberTextCapacity];
    return readSheetNumber(std::string_view(text, formatNumberInto(rounded, text)));
}

bool Computation::run() {
    for (int row = 0; row < count_; ++row) {
        if (!computeDifferences(row)) return false;
    }
    writeSummary(AreaSheet::XDifferenceColumn, xDifferences_, kDifferencesTotal);
    writeSummary(AreaSheet::YDifferenceColumn, yDifferences_, kDifferencesTotal);

    // The product summaries show the sums so far; written once for all rows done, which
    // leaves the same cells as rewriting them after every row.
    for (int row = 0; row < count_; ++row) {
        if (!computeProducts(row)) {
            if (row > 0) writeProductSummaries();
            return false;
        }
    }
    if (count_ > 0) writeProductSummaries();
    return writeResult();
}

bool Computation::computeDifferences(int row) {
    const double xExact = x_[previous(row)] - x_[next(row)];
    const double yExact = y_[next(row)] - y_[previous(row)];
    const auto xDifference = writeRounded(row, AreaSheet::XDifferenceColumn, xExact, 2);
    if (!xDifference) return false;
    const auto yDifference = writeRounded(row, AreaSheet::YDifferenceColumn, yExact, 2);
    if (!yDifference) return false;
    xDifference_[row] = productDifference(xExact);
    yDifference_[row] = productDifference(yExact);
    return addTo(xDifferences_, *xDifference, true) && addTo(yDifferences_, *yDifference, true);
}

bool Computation::computeProducts(int row) {
    const auto yProduct =
        writeRounded(row, AreaSheet::YProductColumn, y_[row] * xDifference_[row], 0);
    if (!yProduct) return false;
    const auto xProduct =
        writeRounded(row, AreaSheet::XProductColumn, x_[row] * yDifference_[row], 0);
    if (!xProduct) return false;
    addTo(yProducts_, *yProduct, false);
    addTo(xProducts_, *xProduct, false);
    return true;
}

// Writes the rounded value as number text and returns the value that text stands for.
std::optional<double> Computation::writeRounded(int row, int column, double exact, int decimals) {
    const auto rounded = roundToDecimals(exact, decimals);
    if (!rounded) return std::nullopt;
    char text[kNumberTextCapacity];
    const std::string_view written(text, formatNumberInto(*rounded, text));
    sheet_.setCell(row, column, std::string(written));
    return readSheetNumber(written);
}

void Computation::writeSummary(int column, const SignedSums& sums, std::string total) {
    sheet_.setCell(count_, column, "+" + formatNumber(sums.positive));
    sheet_.setCell(count_ + 1, column, formatNumber(sums.negative));
    sheet_.setCell(count_ + 2, column, std::move(total));
}

void Computation::writeProductSummaries() {
    for (const auto& [column, sums] : {std::pair{AreaSheet::YProductColumn, yProducts_},
                                       std::pair{AreaSheet::XProductColumn, xProducts_}}) {
        writeSummary(column, sums, kDoubledAreaText + formatNumber(sums.positive + sums.negative));
    }
}

// P is the mean of the two doubled areas, halved; it keeps its sign.
bool Computation::writeResult() {
    const double area =
        (yProducts_.positive + yProducts_.negative + xProducts_.positive + xProducts_.negative) *
        0.25;
    const auto hectares = roundToDecimals(area * kSquareMetresToHectares, 2);
    if (!hectares) return false;
    static const std::string squareMetres = utf8ToCp1251(kSquareMetresText);
    static const std::string hectaresUnit = utf8ToCp1251(kHectaresText);
    sheet_.setResult(kAreaText + formatNumber(area) + squareMetres + formatNumber(*hectares) +
                     hectaresUnit);
    return true;
}

}  // namespace

double readSheetNumber(std::string_view text) {
    double value = 0;
    if (text.find(',') == std::string_view::npos) return parseWholeNumber(text, value) ? value : 0;
    std::string withPoint(text);
    std::replace(withPoint.begin(), withPoint.end(), ',', '.');
    return parseWholeNumber(withPoint, value) ? value : 0;
}

// Divided by 10^-k rather than multiplied by 10^k: the two differ in the last bit, and so
// round some ties the other way (0.045 ha divided gives 4.5 and rounds to 0.04).
std::optional<double> roundToDecimals(double value, int decimals) {
    const double step = kDecimalSteps[decimals];
    const double scaled = value / step;
    if (!(std::fabs(scaled) < kLargestRoundable)) return std::nullopt;
    return std::nearbyint(scaled) * step;
}

bool computeArea(AreaSheet& sheet) { return Computation(sheet).run(); }

}  // namespace korvela
