#include "tasks/common_point_transform.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "common/cp1251.h"
#include "common/number_text.h"
#include "common/round4.h"
#include "points/point_store.h"

namespace korvela {
namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kTooFewText =
    "Надо выбрать не меньше двух точек, номера которых есть во втором файле ровно по одному разу";
constexpr std::string_view kCoincideText = "Общие точки во втором файле совпадают в плане";
constexpr std::string_view kFirstCoincideText = "Общие точки в первом файле совпадают в плане";
constexpr std::string_view kZeroScaleText =
    "Масштаб трансформации получается нулевым: расположение общих точек в файлах не связано "
    "поворотом и масштабом (зеркально?)";
constexpr std::string_view kNotFiniteText =
    "Трансформация не вычисляется: координаты слишком велики для вычислений";
constexpr std::string_view kUnitErrorLabel = "СКО единицы веса m0: ";
constexpr std::string_view kBlunderRule =
    "«!» — расхождение точки с трансформацией по остальным общим точкам превышает предел при "
    "вероятности ";
constexpr std::string_view kGrossErrorsOnly =
    "При четырёх общих точках заметны только грубые ошибки";
constexpr std::string_view kNoBlunderTest =
    "При трёх и менее общих точках проверить их на промахи нельзя";
// The blunder test needs three other points, whose fit keeps two degrees of freedom.
constexpr std::size_t kFewestTestedPoints = 4;
// A miss that the report would show as 0.0 mm is never suspect, however well the others fit.
constexpr double kNegligibleResidual = 0.00005;
// Others this close to one place in the plan, against the spread of all, carry no fit.
constexpr double kCoincidentSpreadShare = 1e-12;
constexpr double kMillimetres = 1000;
constexpr int kMetreDecimals = 3;
constexpr int kMillimetreDecimals = 1;
constexpr int kScaleDecimals = 9;

struct Partner {
    std::size_t index = 0;
    std::size_t occurrences = 0;
};

// The selected points' numbers with where, and how often, they occur in the second survey:
// one pass over the second survey, looking up only the few selected numbers.
std::unordered_map<std::string_view, Partner> partnersOf(const PointStore& store,
                                                         const std::vector<std::int32_t>& selected,
                                                         const PointStore& second) {
    std::unordered_map<std::string_view, Partner> partners;
    for (std::size_t i = 0; i < selected.size(); ++i) {
        if (selected[i] != 0) partners.try_emplace(store.number()[i]);
    }
    for (std::size_t i = 0; i < second.count(); ++i) {
        const auto found = partners.find(second.number()[i]);
        if (found == partners.end()) continue;
        found->second.index = i;
        ++found->second.occurrences;
    }
    return partners;
}

struct CommonPoints {
    std::vector<std::size_t> firstIndex;
    std::vector<SpacePoint> first;
    std::vector<SpacePoint> second;
};

CommonPoints pairCommonPoints(const PointStore& store, const std::vector<std::int32_t>& selected,
                              const PointStore& second, std::vector<std::string>& unpaired) {
    const auto partners = partnersOf(store, selected, second);
    CommonPoints common;
    for (std::size_t i = 0; i < selected.size(); ++i) {
        if (selected[i] == 0) continue;
        const Partner& partner = partners.at(store.number()[i]);
        if (partner.occurrences != 1) {
            unpaired.emplace_back(store.number()[i]);
            continue;
        }
        common.firstIndex.push_back(i);
        common.first.push_back(spacePointAt(store, i));
        common.second.push_back(spacePointAt(second, partner.index));
    }
    return common;
}

// The quantile f of Fisher's F(2, ν) at probability p: P(F ≤ f) = 1 − (1 + 2f/ν)^(−ν/2).
double fisherQuantileTwo(double freedom, double p) {
    return freedom / 2 * (std::pow(1 - p, -2 / freedom) - 1);
}

// The blunder test of computeCommonPointTransform. The fit without point k need not be
// made: leaving one point out of this least-squares fit multiplies its residual by 1 + q and
// takes |v|²·(1 + q) from the residuals' sum of squares.
void markBlunders(const CommonPoints& common, double planeSquares, TransformOutcome& outcome) {
    const std::size_t count = outcome.residuals.size();
    if (count < kFewestTestedPoints) return;
    const double n = static_cast<double>(count), others = n - 1;
    const double freedom = 2 * others - 4;
    const double fisher = fisherQuantileTwo(freedom, outcome.confidence);
    const auto squaredRadius = [&map = outcome.map](const SpacePoint& p) {
        const double dx = p.x - map.fromX, dy = p.y - map.fromY;
        return dx * dx + dy * dy;
    };
    double spread = 0;
    for (const SpacePoint& p : common.second) spread += squaredRadius(p);
    for (std::size_t k = 0; k < count; ++k) {
        // The others' centroid lies beyond the whole one, away from the point: the point's
        // distance from it is n/(n − 1) of r, and the others' spread is Σr² − r²·n/(n − 1).
        const double r2 = squaredRadius(common.second[k]);
        const double othersSpread = spread - r2 * n / others;
        if (!(othersSpread > kCoincidentSpreadShare * spread)) continue;
        const double q = 1 / others + r2 * (n / others) * (n / others) / othersSpread;
        CommonPointResidual& residual = outcome.residuals[k];
        const double squares = residual.vx * residual.vx + residual.vy * residual.vy;
        const double miss = std::sqrt(squares) * (1 + q);
        const double othersUnitSquare = (planeSquares - squares * (1 + q)) / freedom;
        residual.suspect =
            miss * miss > 2 * (1 + q) * othersUnitSquare * fisher && miss > kNegligibleResidual;
    }
}

bool withoutHeights(const std::vector<SpacePoint>& points) {
    return std::all_of(points.begin(), points.end(), [](const SpacePoint& p) { return p.z == 0; });
}

MissingHeights missingHeightsOf(const CommonPoints& common) {
    if (withoutHeights(common.first)) return MissingHeights::First;
    if (withoutHeights(common.second)) return MissingHeights::Second;
    return MissingHeights::None;
}

void computeResiduals(const PointStore& store, const CommonPoints& common,
                      TransformOutcome& outcome) {
    const bool heights = outcome.missingHeights == MissingHeights::None;
    double planeSquares = 0, heightSquares = 0;
    for (std::size_t k = 0; k < common.first.size(); ++k) {
        const SpacePoint& s = common.second[k];
        const auto [x, y, z] = outcome.map.apply(s.x, s.y, s.z);
        const SpacePoint& f = common.first[k];
        CommonPointResidual residual{std::string(store.number()[common.firstIndex[k]]), x - f.x,
                                     y - f.y, heights ? z - f.z : 0};
        planeSquares += residual.vx * residual.vx + residual.vy * residual.vy;
        heightSquares += residual.vz * residual.vz;
        outcome.residuals.push_back(std::move(residual));
    }
    const double n = static_cast<double>(common.first.size());
    outcome.planeRms = std::sqrt(planeSquares / n);
    outcome.heightRms = std::sqrt(heightSquares / n);
    if (n >= 3) outcome.unitError = std::sqrt(planeSquares / (2 * n - 4));
    markBlunders(common, planeSquares, outcome);
}

std::string millimetres(double metres) {
    return formatFixed(metres * kMillimetres, kMillimetreDecimals);
}

void appendLine(std::string& text, std::string_view utf8Label, const std::string& value,
                std::string_view utf8Unit = {}) {
    text += utf8ToCp1251(utf8Label);
    text += value;
    text += utf8ToCp1251(utf8Unit);
    text += kCrLf;
}

std::string rotationText(double radians) {
    // AngleToDms floors whole degrees, so a turn the other way is written with a sign.
    const std::string text = angleText(AngleToDms(std::fabs(radians)));
    return radians < 0 ? "-" + text : text;
}

void appendParameters(std::string& text, const TransformOutcome& outcome) {
    const PlaneSimilarity& map = outcome.map;
    appendLine(text, "Общих точек: ", std::to_string(outcome.residuals.size()));
    appendLine(text, "Сдвиг по X: ", formatFixed(map.shiftX(), kMetreDecimals), " м");
    appendLine(text, "Сдвиг по Y: ", formatFixed(map.shiftY(), kMetreDecimals), " м");
    if (outcome.missingHeights == MissingHeights::None) {
        appendLine(text, "Сдвиг по Z: ", formatFixed(map.shiftZ, kMetreDecimals), " м");
    } else {
        appendLine(text, missingHeightsText(outcome.missingHeights), "");
    }
    text += utf8ToCp1251("Поворот: ") + rotationText(map.rotation());
    appendLine(text, "Масштаб: ",
               formatFixed(map.scale(), kScaleDecimals) + " (" +
                   formatFixed((map.scale() - 1) * 1e6, kMillimetreDecimals) + " ppm)");
}

void appendResiduals(std::string& text, const TransformOutcome& outcome) {
    text += kCrLf;
    appendLine(text, "Точка\tvX, мм\tvY, мм\tvZ, мм", "");
    for (const CommonPointResidual& residual : outcome.residuals) {
        text += residual.number;
        for (const double v : {residual.vx, residual.vy, residual.vz}) {
            text += '\t';
            text += millimetres(v);
        }
        if (residual.suspect) text += "\t!";
        text += kCrLf;
    }
    text += kCrLf;
    appendLine(text, "СКО в плане: ", millimetres(outcome.planeRms), " мм");
    if (outcome.missingHeights == MissingHeights::None) {
        appendLine(text, "СКО по высоте: ", millimetres(outcome.heightRms), " мм");
    }
    const std::size_t count = outcome.residuals.size();
    if (count >= 3) appendLine(text, kUnitErrorLabel, millimetres(outcome.unitError), " мм");
    if (count < kFewestTestedPoints) return appendLine(text, kNoBlunderTest, "");
    appendLine(text, kBlunderRule, formatNumber(outcome.confidence));
    if (count == kFewestTestedPoints) appendLine(text, kGrossErrorsOnly, "");
}

void appendUnpaired(std::string& text, const std::vector<std::string>& unpaired) {
    if (unpaired.empty()) return;
    text += kCrLf;
    text += utf8ToCp1251("Без пары во втором файле (не участвуют):");
    text += kCrLf;
    for (const std::string& number : unpaired) {
        text += number;
        text += kCrLf;
    }
}

bool coincideInPlane(const std::vector<SpacePoint>& points) {
    return std::all_of(points.begin(), points.end(), [&](const SpacePoint& p) {
        return p.x == points.front().x && p.y == points.front().y;
    });
}

// Why the fitted similarity cannot bring the second survey in, if it cannot: a map that
// shrinks the plane to a point, or numbers beyond doubles, would append every point on one
// spot or nowhere.
std::optional<TransformNotice> unusableMap(const CommonPoints& common,
                                           const std::optional<PlaneSimilarity>& map) {
    if (!map) return TransformNotice::CommonPointsCoincide;
    if (coincideInPlane(common.first)) return TransformNotice::FirstPointsCoincide;
    if (!map->finite()) return TransformNotice::NotFinite;
    if (!(map->scale() > 0)) return TransformNotice::ZeroScale;
    return std::nullopt;
}

// The outcome as a notice: nothing to append, no parameters to report.
TransformOutcome refused(TransformOutcome outcome, TransformNotice notice) {
    TransformOutcome refusal;
    refusal.notice = notice;
    refusal.unpaired = std::move(outcome.unpaired);
    refusal.confidence = outcome.confidence;
    return refusal;
}

}  // namespace

std::string_view missingHeightsText(MissingHeights missing) {
    switch (missing) {
        case MissingHeights::First: return "Высоты не преобразованы: в первом наборе нет высот";
        case MissingHeights::Second: return "Высоты не преобразованы: во втором наборе нет высот";
        case MissingHeights::None: break;
    }
    return {};
}

bool isValidBlunderConfidence(double confidence) { return confidence > 0 && confidence < 1; }

std::string_view transformNoticeText(TransformNotice notice) {
    switch (notice) {
        case TransformNotice::TooFewCommonPoints: return kTooFewText;
        case TransformNotice::CommonPointsCoincide: return kCoincideText;
        case TransformNotice::FirstPointsCoincide: return kFirstCoincideText;
        case TransformNotice::ZeroScale: return kZeroScaleText;
        case TransformNotice::NotFinite: return kNotFiniteText;
    }
    return kNotFiniteText;
}

TransformOutcome computeCommonPointTransform(const PointStore& store,
                                             const std::vector<std::int32_t>& selected,
                                             const PointStore& second, double confidence) {
    TransformOutcome outcome;
    outcome.confidence = confidence;
    const CommonPoints common = pairCommonPoints(store, selected, second, outcome.unpaired);
    if (common.first.size() < 2) {
        outcome.notice = TransformNotice::TooFewCommonPoints;
        return outcome;
    }
    const std::optional<PlaneSimilarity> map = fitPlaneSimilarity(common.first, common.second);
    outcome.notice = unusableMap(common, map);
    if (outcome.notice) return outcome;
    outcome.map = *map;
    outcome.missingHeights = missingHeightsOf(common);
    if (outcome.missingHeights != MissingHeights::None) outcome.map.shiftZ = 0;
    computeResiduals(store, common, outcome);
    if (!std::isfinite(outcome.planeRms) || !std::isfinite(outcome.heightRms)) {
        return refused(std::move(outcome), TransformNotice::NotFinite);
    }
    outcome.points.reserve(second.count());
    for (std::size_t i = 0; i < second.count(); ++i) {
        const auto [x, y, z] = outcome.map.apply(second.x()[i], second.y()[i], second.z()[i]);
        if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z)) {
            return refused(std::move(outcome), TransformNotice::NotFinite);
        }
        outcome.points.push_back({std::string(second.number()[i]), Round4(x), Round4(y), Round4(z),
                                  static_cast<std::int32_t>(second.kind()[i])});
    }
    return outcome;
}

std::string transformReport(const TransformOutcome& outcome) {
    std::string text;
    if (outcome.notice) {
        text += utf8ToCp1251(transformNoticeText(*outcome.notice));
        text += kCrLf;
    } else {
        appendParameters(text, outcome);
        appendResiduals(text, outcome);
    }
    appendUnpaired(text, outcome.unpaired);
    return text;
}

PointStore transformedPoints(std::vector<TransformedPoint> points) {
    PointStore store;
    store.reserve(points.size());
    for (TransformedPoint& point : points) {
        store.append(std::move(point.number), point.x, point.y, point.z, kColourGreen, point.kind);
    }
    return store;
}

}  // namespace korvela
