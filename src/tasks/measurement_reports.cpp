#include "tasks/measurement_reports.h"

#include <algorithm>
#include <cstddef>
#include <optional>

#include "common/cp1251.h"
#include "common/number_text.h"
#include "points/point_store.h"
#include "tasks/measurements.h"

namespace korvela {
namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kSelectExactlyThree = "Надо выбрать ровно три точки!";
constexpr std::string_view kSelectExactlyTwo = "Надо выбрать ровно две точки!";
constexpr std::string_view kPointsCoincide = "Точки совпадают!";

std::vector<std::size_t> indicesWhere(const std::vector<std::int32_t>& selected,
                                      bool (*isWanted)(std::int32_t flag)) {
    std::vector<std::size_t> indices;
    for (std::size_t i = 0; i < selected.size(); ++i) {
        if (isWanted(selected[i])) indices.push_back(i);
    }
    return indices;
}

void appendVertexBlock(std::string& text, const PointStore& store, std::size_t vertex,
                       std::size_t a, std::size_t b) {
    text += store.number()[vertex];
    text += kCrLf;
    const std::optional<double> angle =
        SpaceAngle(spacePointAt(store, vertex), spacePointAt(store, a), spacePointAt(store, b));
    if (angle) {
        text += angleText(AngleToDms(*angle));
    } else {
        text += utf8ToCp1251(kPointsCoincide);
        text += kCrLf;
    }
    text += kCrLf;
}

}  // namespace

std::optional<std::string> lengthReportRefusal(const std::vector<std::int32_t>& selected) {
    const auto count = static_cast<std::size_t>(std::count(selected.begin(), selected.end(), 1));
    const std::size_t pairs = count < 2 ? 0 : count * (count - 1) / 2;
    if (pairs <= kMostLengthPairs) return std::nullopt;
    return "Выбрано точек: " + std::to_string(count) + ", пар: " + std::to_string(pairs) +
           ". Отчёт «Длина» перечисляет не более " + std::to_string(kMostLengthPairs) +
           " пар: выберите меньше точек.";
}

std::string lengthReport(const PointStore& store, const std::vector<std::int32_t>& selected) {
    // Only selected points pair up, so the pairs are walked over the selected indices: the
    // order is the same as over the whole store, without touching every pair of the store.
    const std::vector<std::size_t> chosen =
        indicesWhere(selected, [](std::int32_t flag) { return flag == 1; });
    std::string text;
    if (chosen.size() < 2) return text;
    const std::size_t pairs = chosen.size() * (chosen.size() - 1) / 2;
    text.reserve(pairs * 32);  // about the length of one block
    char distance[kNumberTextCapacity];
    for (std::size_t first = 0; first < chosen.size(); ++first) {
        const std::size_t i = chosen[first];
        const SpacePoint p = spacePointAt(store, i);
        for (std::size_t second = first + 1; second < chosen.size(); ++second) {
            const std::size_t j = chosen[second];
            text += store.number()[i];
            text += ' ';
            text += store.number()[j];
            text += kCrLf;
            text.append(distance,
                        formatNumberInto(SlopeDistance(p, spacePointAt(store, j)), distance));
            text += kCrLf;
            text += kCrLf;
        }
    }
    return text;
}

std::string interiorAnglesReport(const PointStore& store,
                                 const std::vector<std::int32_t>& selected) {
    const std::vector<std::size_t> chosen =
        indicesWhere(selected, [](std::int32_t flag) { return flag != 0; });
    if (chosen.size() != 3) return utf8ToCp1251(kSelectExactlyThree);
    std::string text;
    appendVertexBlock(text, store, chosen[0], chosen[1], chosen[2]);
    appendVertexBlock(text, store, chosen[1], chosen[0], chosen[2]);
    appendVertexBlock(text, store, chosen[2], chosen[1], chosen[0]);
    return text;
}

std::string directionalAngleReport(const PointStore& store, std::string_view fromNumber,
                                   std::string_view toNumber) {
    std::size_t from = 0, to = 0, fromMatches = 0, toMatches = 0;
    for (std::size_t i = 0; i < store.count(); ++i) {
        if (store.number()[i] == fromNumber) {
            from = i;
            ++fromMatches;
        } else if (store.number()[i] == toNumber) {
            to = i;
            ++toMatches;
        }
    }
    if (fromMatches != 1 || toMatches != 1) return utf8ToCp1251(kSelectExactlyTwo);
    return angleText(
        AngleToDms(DirectionalAngle(spacePointAt(store, from), spacePointAt(store, to))));
}

}  // namespace korvela
