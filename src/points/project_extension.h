#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "points/observations.h"

namespace korvela {

// What a project keeps besides its points, after the point blocks: the tag, then blocks of
// (uint32 kind, uint32 version, uint64 payload length, payload), little-endian. Nothing of it
// is written when there is nothing to keep, so such a project is what it always was.
inline constexpr std::string_view kProjectExtensionTag = "KVLBLKS1";

enum class ProjectBlockKind : std::uint32_t {
    Observations = 1,  // version 1: the observation list (README, "Project file")
};
inline constexpr std::uint32_t kObservationsBlockVersion = 1;

// The tag and the blocks for the observations; empty when the list is empty.
std::string projectExtensionBytes(const ObservationList& observations);

struct ProjectExtension {
    ObservationList observations;
    bool damaged = false;  // a block could not be read: the observations are left empty
};

// Reads the blocks that follow the tag. Blocks of unknown kinds or versions are skipped; a
// block that runs past the end, or whose payload does not read exactly, is damage.
ProjectExtension readProjectExtension(std::string_view blocks);

}  // namespace korvela
