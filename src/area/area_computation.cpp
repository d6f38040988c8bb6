#include "area/area_computation.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "area/area_sheet.h"
#include "common/cp1251.h"
#include "common/number_parse.h"
#include "common/number_text.h"

namespace korvela {

const char* const kAreaComputationFailedMessage = "Ошибка вычисления!\nПроверьте исходные данные.";

namespace {

// Beyond this a value has no whole-number rounding (the sheet's integers are 64-bit).
constexpr double kLargestRoundable = 9223372036854775808.0;  // 2^63
constexpr double kScales[] = {1.0, 10.0, 100.0};
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

class Computation {
public:
    explicit Computation(AreaSheet& sheet) : sheet_(sheet), count_(sheet.pointCount()) {}

    bool run();

private:
    int previous(int row) const { return row == 0 ? count_ - 1 : row - 1; }
    // With a single point the next row is the first summary row.
    int next(int row) const { return row + 1 < count_ || count_ == 1 ? row + 1 : 0; }
    double value(int row, int column) const { return readSheetNumber(sheet_.cell(row, column)); }

    bool computeDifferences(int row);
    bool computeProducts(int row);
    bool writeRounded(int row, int column, double exact, int decimals);
    void writeSummary(int column, const SignedSums& sums, std::string total);
    void writeProductSummaries();
    bool writeResult();

    AreaSheet& sheet_;
    const int count_;
    SignedSums xDifferences_, yDifferences_, yProducts_, xProducts_;
};

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
    const double xDifference = value(previous(row), AreaSheet::XColumn) - value(next(row), AreaSheet::XColumn);
    const double yDifference = value(next(row), AreaSheet::YColumn) - value(previous(row), AreaSheet::YColumn);
    return writeRounded(row, AreaSheet::XDifferenceColumn, xDifference, 2) &&
           writeRounded(row, AreaSheet::YDifferenceColumn, yDifference, 2) &&
           addTo(xDifferences_, value(row, AreaSheet::XDifferenceColumn), true) &&
           addTo(yDifferences_, value(row, AreaSheet::YDifferenceColumn), true);
}

bool Computation::computeProducts(int row) {
    const double yProduct = value(row, AreaSheet::YColumn) * value(row, AreaSheet::XDifferenceColumn);
    const double xProduct = value(row, AreaSheet::XColumn) * value(row, AreaSheet::YDifferenceColumn);
    if (!writeRounded(row, AreaSheet::YProductColumn, yProduct, 0) ||
        !writeRounded(row, AreaSheet::XProductColumn, xProduct, 0)) {
        return false;
    }
    addTo(yProducts_, value(row, AreaSheet::YProductColumn), false);
    addTo(xProducts_, value(row, AreaSheet::XProductColumn), false);
    return true;
}

bool Computation::writeRounded(int row, int column, double exact, int decimals) {
    const auto rounded = roundToDecimals(exact, decimals);
    if (!rounded) return false;
    sheet_.setCell(row, column, formatNumber(*rounded));
    return true;
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
        (yProducts_.positive + yProducts_.negative + xProducts_.positive + xProducts_.negative) * 0.25;
    const auto hectares = roundToDecimals(area * kSquareMetresToHectares, 2);
    if (!hectares) return false;
    static const std::string squareMetres = utf8ToCp1251(kSquareMetresText);
    static const std::string hectaresUnit = utf8ToCp1251(kHectaresText);
    sheet_.setResult(kAreaText + formatNumber(area) + squareMetres + formatNumber(*hectares) + hectaresUnit);
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

// Scaling by the exact powers 1, 10, 100 (rather than dividing by 0.01) gives the double
// nearest to the decimal result.
std::optional<double> roundToDecimals(double value, int decimals) {
    const double scale = kScales[decimals];
    const double scaled = value * scale;
    if (!(std::fabs(scaled) < kLargestRoundable)) return std::nullopt;
    return std::nearbyint(scaled) / scale;
}

bool computeArea(AreaSheet& sheet) { return Computation(sheet).run(); }

}  // namespace korvela
