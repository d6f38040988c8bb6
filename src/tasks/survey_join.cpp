#include "tasks/survey_join.h"

#include <cmath>

#include "common/cp1251.h"
#include "common/number_text.h"
#include "common/round4.h"
#include "points/point_store.h"
#include "tasks/plane_similarity.h"

namespace korvela {
namespace {

constexpr std::string_view kWrongBasePointsText = "Надо выбрать ровно о три точки с каждой стороны";
constexpr std::string_view kSingularMatrixText =
    "Матрица сингулярная. Бесконечно много решений. Поменяйте точки.";
// The departure's message, around the point's number, the distance and the limit.
constexpr std::string_view kDepartureBeforeNumber =
    "Точки не добавлены. Преобразование по трём базовым точкам ставит точку «";
constexpr std::string_view kDepartureBeforeDistance = "» в ";
constexpr std::string_view kDepartureBeforeLimit =
    " м от положения, которое даёт подобие (сдвиг, поворот, масштаб и сдвиг высот) по тем же "
    "точкам; допуск ";
constexpr std::string_view kDepartureAdvice =
    " м. Так бывает, когда съёмки различаются сдвигом или базовые точки лежат почти на одной "
    "прямой: воспользуйтесь Задачи ▸ «Трансформация по общим точкам».";
constexpr int kDepartureDecimals = 4;  // the join rounds its coordinates to 0.1 mm

Vector3 coordinatesOf(const PointStore& store, std::size_t i) {
    return {store.x()[i], store.y()[i], store.z()[i]};
}

std::vector<SpacePoint> spacePointsOf(const std::array<Vector3, 3>& points) {
    std::vector<SpacePoint> result;
    for (const auto& [x, y, z] : points) result.push_back({x, y, z});
    return result;
}

// The second-survey point of each typed number: a point counts for the first number it
// equals; each number must match exactly one point.
std::optional<std::array<std::size_t, 3>> matchBaseNumbers(
    const PointStore& second, const std::array<std::string, 3>& baseNumbers) {
    std::array<std::size_t, 3> found{};
    std::array<int, 3> matches{};
    for (std::size_t i = 0; i < second.count(); ++i) {
        for (std::size_t k = 0; k < 3; ++k) {
            if (second.number()[i] == baseNumbers[k]) {
                found[k] = i;
                ++matches[k];
                break;
            }
        }
    }
    if (matches != std::array<int, 3>{1, 1, 1}) return std::nullopt;
    return found;
}

// Written so that a coordinate that is not a number fails too.
bool reproducesBasePoints(const JoinMap& map, const std::array<Vector3, 3>& first,
                          const std::array<Vector3, 3>& second) {
    for (std::size_t k = 0; k < 3; ++k) {
        const Vector3 mapped = map.map(second[k]);
        for (std::size_t axis = 0; axis < 3; ++axis) {
            if (!(std::fabs(mapped[axis] - first[k][axis]) <= kJoinBaseTolerance)) return false;
        }
    }
    return true;
}

// The point of the second survey that the map places farthest from the similarity's place
// for it; a distance that is not a number (a place that is none) ends the search.
JoinDeparture farthestDeparture(const JoinMap& map, const PlaneSimilarity& similarity,
                                const PointStore& second) {
    JoinDeparture farthest;
    std::size_t farthestIndex = 0;
    for (std::size_t i = 0; i < second.count(); ++i) {
        const auto [x, y, z] = map.map({second.x()[i], second.y()[i], second.z()[i]});
        const auto [sx, sy, sz] = similarity.apply(second.x()[i], second.y()[i], second.z()[i]);
        const double distance = std::hypot(x - sx, y - sy, z - sz);
        if (!(distance <= farthest.distance)) {
            farthest.distance = distance;
            farthestIndex = i;
            if (std::isnan(distance)) break;
        }
    }
    if (second.count() > 0) farthest.number = second.number()[farthestIndex];
    return farthest;
}

}  // namespace

bool isValidJoinLimit(double limit) { return limit > 0 && std::isfinite(limit); }

std::string joinDepartureText(const JoinDeparture& departure) {
    std::string text(kDepartureBeforeNumber);
    text += cp1251ToUtf8(departure.number);
    text += kDepartureBeforeDistance;
    text += formatFixed(departure.distance, kDepartureDecimals);
    text += kDepartureBeforeLimit;
    text += formatNumber(departure.limit);
    text += kDepartureAdvice;
    return text;
}

std::string_view joinNoticeText(JoinNotice notice) {
    return notice == JoinNotice::SingularMatrix ? kSingularMatrixText : kWrongBasePointsText;
}

std::optional<std::array<std::size_t, 3>> joinBasePoints(
    const std::vector<std::int32_t>& selected) {
    std::array<std::size_t, 3> base{};
    std::size_t count = 0;
    for (std::size_t i = 0; i < selected.size(); ++i) {
        if (selected[i] == 0) continue;
        if (count == 3) return std::nullopt;
        base[count++] = i;
    }
    if (count != 3) return std::nullopt;
    return base;
}

Vector3 JoinMap::map(const Vector3& point) const {
    const auto [x, y, z] = point;
    return {x * cX[0] + y * cX[1] + z * cX[2], x * cY[0] + y * cY[1] + z * cY[2],
            x * cZ[0] + y * cZ[1] + z * cZ[2]};
}

std::array<double, 3> JoinMap::apply(double x, double y, double z) const {
    const auto [mappedX, mappedY, mappedZ] = map({x, y, z});
    return {Round4(mappedX), Round4(mappedY), Round4(mappedZ)};
}

std::optional<JoinMap> solveJoinMap(const std::array<Vector3, 3>& first,
                                    const std::array<Vector3, 3>& second) {
    const JoinSolver solver(second);
    if (solver.singular()) return std::nullopt;
    const auto component = [&](int axis) {
        return solver.solve({first[0][axis], first[1][axis], first[2][axis]});
    };
    const JoinMap map{component(0), component(1), component(2)};
    if (!reproducesBasePoints(map, first, second)) return std::nullopt;
    return map;
}

JoinOutcome computeJoin(const PointStore& store, const std::vector<std::int32_t>& selected,
                        const PointStore& second, const std::array<std::string, 3>& baseNumbers,
                        double limit) {
    const auto base = joinBasePoints(selected);
    const auto matched = matchBaseNumbers(second, baseNumbers);
    if (!base || !matched) return {JoinNotice::WrongBasePoints, {}, {}};
    std::array<Vector3, 3> first, secondBase;
    for (std::size_t k = 0; k < 3; ++k) {
        first[k] = coordinatesOf(store, (*base)[k]);
        secondBase[k] = coordinatesOf(second, (*matched)[k]);
    }
    const std::optional<JoinMap> map = solveJoinMap(first, secondBase);
    // Base points at one place in the plan carry no similarity, nor a sound map; nor do
    // coordinates too large to fit one with.
    const std::optional<PlaneSimilarity> similarity =
        fitPlaneSimilarity(spacePointsOf(first), spacePointsOf(secondBase));
    if (!map || !similarity || !similarity->finite()) return {JoinNotice::SingularMatrix, {}, {}};
    JoinDeparture departure = farthestDeparture(*map, *similarity, second);
    if (!(departure.distance <= limit)) {
        departure.limit = limit;
        return {{}, std::move(departure), {}};
    }

    JoinOutcome outcome;
    outcome.points.reserve(second.count());
    for (std::size_t i = 0; i < second.count(); ++i) {
        const auto [x, y, z] = map->apply(second.x()[i], second.y()[i], second.z()[i]);
        outcome.points.push_back({std::string(second.number()[i]), x, y, z});
    }
    return outcome;
}

PointStore joinedPoints(std::vector<JoinedPoint> points) {
    PointStore store;
    store.reserve(points.size());
    for (JoinedPoint& point : points) {
        store.append(std::move(point.number), point.x, point.y, point.z, kColourGreen, kKindPoint);
    }
    return store;
}

}  // namespace korvela
