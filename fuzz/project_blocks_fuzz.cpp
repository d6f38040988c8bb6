// libFuzzer target: the reader of the blocks after a project's points, on any bytes. It must
// never read outside the bytes nor allocate from an unchecked count; every index of what it
// accepts points into its list, and what it accepts writes back to bytes that read back the
// same.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "points/project_extension.h"

namespace {

void requireIndicesInside(const korvela::ObservationList& list) {
    for (const korvela::StationSetUp& setUp : list.setUps) {
        if (setUp.station >= list.names.size()) std::abort();
    }
    for (const korvela::Sight& sight : list.sights) {
        if (sight.setUp >= list.setUps.size() || sight.target >= list.names.size()) std::abort();
    }
    for (const korvela::DerivedPoint& derived : list.derived) {
        if (derived.sight >= list.sights.size()) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const korvela::ProjectExtension read = korvela::readProjectExtension(input);
    if (read.damaged && !read.observations.empty()) std::abort();
    requireIndicesInside(read.observations);
    const std::string written = korvela::projectExtensionBytes(read.observations);
    if (written.empty()) return 0;
    const auto again = korvela::readProjectExtension(
        std::string_view(written).substr(korvela::kProjectExtensionTag.size()));
    if (again.damaged || korvela::projectExtensionBytes(again.observations) != written) {
        std::abort();
    }
    return 0;
}
