#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvela {

class PointStore;

// The report texts of the measurement tasks, exactly as the report window shows and saves
// them: Windows-1251, lines separated by CR LF. `selected` runs parallel to the store.

// The slope distance of every two points selected (frozen ones too): for each pair, in
// store order of the first point and then the second, "NUMBER NUMBER", the distance, and an
// empty line. Empty with fewer than two points.
std::string lengthReport(const PointStore& store, const std::vector<std::int32_t>& selected);

// The most pairs a length report lists (some 150 MB of text).
inline constexpr std::size_t kMostLengthPairs = 5'000'000;

// When the selection makes more pairs than that: the message (UTF-8) that stands in for the
// report; nothing when the report can be made.
std::optional<std::string> lengthReportRefusal(const std::vector<std::int32_t>& selected);

// The interior angles of the three selected points P1, P2, P3 (store order, frozen ones
// too), one block per vertex: its number, its angle (or "Точки совпадают!" when a side at it
// has no length), an empty line. Any other count gives the one-line message.
std::string interiorAnglesReport(const PointStore& store,
                                 const std::vector<std::int32_t>& selected);

// The directional angle from the point numbered `fromNumber` to the one numbered `toNumber`
// (typed texts, Windows-1251, compared byte for byte) as one angle line; the one-line message
// unless each number names exactly one point, and a different one.
std::string directionalAngleReport(const PointStore& store, std::string_view fromNumber,
                                   std::string_view toNumber);

}  // namespace korvela
