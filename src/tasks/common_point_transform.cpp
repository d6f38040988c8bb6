#include "tasks/common_point_transform.h"

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
constexpr double kSuspectFactor = 3;
// A residual that the report shows as 0.0 mm is never suspect, however small the RMS.
constexpr double kNegligibleResidual = 0.00005;
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

void computeResiduals(const PointStore& store, const CommonPoints& common,
                      TransformOutcome& outcome) {
    double planeSquares = 0, heightSquares = 0;
    for (std::size_t k = 0; k < common.first.size(); ++k) {
        const SpacePoint& s = common.second[k];
        const auto [x, y, z] = outcome.map.apply(s.x, s.y, s.z);
        const SpacePoint& f = common.first[k];
        CommonPointResidual residual{std::string(store.number()[common.firstIndex[k]]), x - f.x,
                                     y - f.y, z - f.z};
        planeSquares += residual.vx * residual.vx + residual.vy * residual.vy;
        heightSquares += residual.vz * residual.vz;
        outcome.residuals.push_back(std::move(residual));
    }
    const double n = static_cast<double>(common.first.size());
    outcome.planeRms = std::sqrt(planeSquares / n);
    outcome.heightRms = std::sqrt(heightSquares / n);
    for (CommonPointResidual& residual : outcome.residuals) {
        const double plane = std::hypot(residual.vx, residual.vy);
        residual.suspect = plane > kSuspectFactor * outcome.planeRms && plane > kNegligibleResidual;
    }
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
    appendLine(text, "Сдвиг по Z: ", formatFixed(map.shiftZ, kMetreDecimals), " м");
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
    appendLine(text, "СКО по высоте: ", millimetres(outcome.heightRms), " мм");
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

}  // namespace

std::string_view transformNoticeText(TransformNotice notice) {
    return notice == TransformNotice::TooFewCommonPoints ? kTooFewText : kCoincideText;
}

TransformOutcome computeCommonPointTransform(const PointStore& store,
                                             const std::vector<std::int32_t>& selected,
                                             const PointStore& second) {
    TransformOutcome outcome;
    const CommonPoints common = pairCommonPoints(store, selected, second, outcome.unpaired);
    if (common.first.size() < 2) {
        outcome.notice = TransformNotice::TooFewCommonPoints;
        return outcome;
    }
    const std::optional<PlaneSimilarity> map = fitPlaneSimilarity(common.first, common.second);
    if (!map) {
        outcome.notice = TransformNotice::CommonPointsCoincide;
        return outcome;
    }
    outcome.map = *map;
    computeResiduals(store, common, outcome);
    outcome.points.reserve(second.count());
    for (std::size_t i = 0; i < second.count(); ++i) {
        const auto [x, y, z] = map->apply(second.x()[i], second.y()[i], second.z()[i]);
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
