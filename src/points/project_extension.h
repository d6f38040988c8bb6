#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "points/observations.h"
#include "points/point_codes.h"

namespace korvela {

// What a project keeps besides its points, after the point blocks: the tag, then blocks of
// (uint32 kind, uint32 version, uint64 payload length, payload), little-endian. Nothing of it
// is written when there is nothing to keep, so such a project is what it always was.
inline constexpr std::string_view kProjectExtensionTag = "KVLBLKS1";

enum class ProjectBlockKind : std::uint32_t {
    Observations = 1,  // version 1: the observation list (README, "Project file")
    Codes = 2,         // version 1: uint32 count, then per coded point uint32 index and text
};
inline constexpr std::uint32_t kObservationsBlockVersion = 1;
inline constexpr std::uint32_t kCodesBlockVersion = 1;

// The tag and the blocks for the observations and the points' codes; empty when the list is
// empty and no point has a code.
std::string projectExtensionBytes(const ObservationList& observations,
                                  const PointCodes& codes = PointCodes());

struct ProjectExtension {
    ObservationList observations;
    PointCodes codes;
    bool damaged = false;  // a block could not be read: what it held is left empty
};

// Reads the blocks that follow the tag, for a project of `pointCount` points. Blocks of
// unknown kinds or versions are skipped; a block that runs past the end, or whose payload
// does not read exactly (codes: indices rising and below the count), is damage.
ProjectExtension readProjectExtension(std::string_view blocks, std::size_t pointCount = 0);

}  // namespace korvela
