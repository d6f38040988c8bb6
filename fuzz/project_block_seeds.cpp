// Writes the seed corpus of the project's block reader: the blocks (after the tag) of the
// observations of each survey given, of a small list with every kind of sight and flag, and of
// that list behind a block of an unknown kind.
// Usage: korvela_project_block_seeds OUT_FOLDER SURVEY...
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "points/observations.h"
#include "points/point_store.h"
#include "points/project_extension.h"
#include "points/survey_reader.h"

namespace {

using korvela::ObservationList;

bool writeSeed(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

std::string blocksOf(const ObservationList& list) {
    return korvela::projectExtensionBytes(list).substr(korvela::kProjectExtensionTag.size());
}

ObservationList everyKindOfSight() {
    ObservationList list;
    list.distanceUnit = korvela::DistanceUnit::Feet;
    list.names.append("A");
    list.names.append("\xCF\xD3");
    list.setUps.push_back({0, 1.5, korvela::VerticalReading::Horizon});
    for (int kind = 0; kind <= static_cast<int>(korvela::SightKind::Reduced); ++kind) {
        korvela::Sight sight;
        sight.target = 1;
        sight.kind = static_cast<korvela::SightKind>(kind);
        sight.excluded = kind % 2 == 0;
        sight.inBadSet = kind == 3;
        sight.set = static_cast<std::uint16_t>(kind);
        sight.value[0] = 10.5 * kind;
        list.sights.push_back(sight);
    }
    list.derived.push_back({4, 2});
    return list;
}

// A block of an unknown kind: readers skip it.
std::string unknownBlock() {
    std::string bytes(16, '\0');
    bytes[0] = 42;
    bytes[4] = 1;
    bytes[8] = 3;
    return bytes + "abc";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: korvela_project_block_seeds OUT_FOLDER SURVEY...\n";
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    bool written = writeSeed(folder / "every-kind", blocksOf(everyKindOfSight())) &&
                   writeSeed(folder / "unknown-first", unknownBlock() +
                                                           blocksOf(everyKindOfSight()));
    for (int i = 2; i < argc; ++i) {
        korvela::PointStore store;
        ObservationList list;
        if (korvela::readSurveyFile(argv[i], store, 1, nullptr, &list) || list.empty()) continue;
        written = written && writeSeed(folder / std::filesystem::path(argv[i]).filename(),
                                       blocksOf(list));
    }
    return written ? 0 : 1;
}
