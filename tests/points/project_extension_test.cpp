// The observations in a project file: kept, skipped when unknown, and a damaged block that
// leaves the points readable.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <sstream>
#include <variant>

#include "points/project_extension.h"
#include "points/project_file.h"

namespace korvela {
namespace {

ObservationList sampleObservations() {
    ObservationList list;
    list.distanceUnit = DistanceUnit::Feet;
    list.anglesOption = '2';
    for (const char* name : {"ST1", "", "\xCF\xD3-7"}) list.names.append(name);
    list.setUps = {{0, 1.55, VerticalReading::Horizon}, {2, 0, VerticalReading::AssumedZenith}};
    Sight face;
    face.setUp = 1;
    face.target = 1;
    face.kind = SightKind::FaceRight;
    face.excluded = true;
    face.inBadSet = true;
    face.set = 65535;
    face.targetHeight = -1.25;
    face.value[0] = 359.99999999999994;
    face.value[2] = 1e-300;
    Sight backsight;
    backsight.kind = SightKind::Backsight;
    backsight.value[1] = 0;
    list.sights = {face, backsight};
    list.derived = {{7, 1}};
    return list;
}

std::string projectBytes(const PointStore& store, const ObservationList* observations) {
    std::ostringstream out;
    writeProject(out, ViewState(), std::vector<std::int32_t>(store.count(), 0), store, nullptr,
                 observations);
    return out.str();
}

PointStore twoPoints() {
    PointStore store;
    store.append("1", 10, 20, 30, kColourAqua, kKindStation);
    store.append("2", 11, 21, 31, kColourAqua, kKindPoint);
    return store;
}

std::string block(std::uint32_t kind, std::uint32_t version, std::string_view payload) {
    std::string bytes(16, '\0');
    const std::uint64_t length = payload.size();
    std::memcpy(bytes.data(), &kind, 4);  // the tests run on little-endian machines
    std::memcpy(bytes.data() + 4, &version, 4);
    std::memcpy(bytes.data() + 8, &length, 8);
    return bytes + std::string(payload);
}

TEST(ProjectObservations, AProjectWithoutObservationsIsWhatItAlwaysWas) {
    const ObservationList none;
    EXPECT_EQ(projectBytes(twoPoints(), &none), projectBytes(twoPoints(), nullptr));
    EXPECT_TRUE(projectExtensionBytes(none).empty());
}

// Written and read back, every field comes back as it was: the bytes written again agree.
TEST(ProjectObservations, ObservationsComeBackAsTheyWereSaved) {
    const ObservationList saved = sampleObservations();
    const std::string bytes = projectBytes(twoPoints(), &saved);
    auto read = readProject(bytes);
    ASSERT_TRUE(std::holds_alternative<ProjectContent>(read));
    const ProjectContent& content = std::get<ProjectContent>(read);
    EXPECT_FALSE(content.observationsDamaged);
    EXPECT_EQ(content.store.count(), 2u);
    const ObservationList& list = content.observations;
    EXPECT_EQ(projectExtensionBytes(list), projectExtensionBytes(saved));
    EXPECT_EQ(list.distanceUnit, DistanceUnit::Feet);
    EXPECT_EQ(list.names[2], "\xCF\xD3-7");
    EXPECT_EQ(list.setUps, saved.setUps);
    EXPECT_EQ(list.derived, saved.derived);
    EXPECT_TRUE(list.sights[0].excluded && list.sights[0].inBadSet);
    EXPECT_EQ(list.sights[0].value[0], 359.99999999999994);
    EXPECT_TRUE(std::isnan(list.sights[0].value[1]));
    EXPECT_EQ(list.sights[0].set, 65535);
}

TEST(ProjectObservations, UnknownBlocksAreSkippedAndDamageLeavesThePoints) {
    const std::string points = projectBytes(twoPoints(), nullptr);
    const std::string tag(kProjectExtensionTag);
    const std::string extension = projectExtensionBytes(sampleObservations());
    const std::string observations = extension.substr(tag.size());
    std::string badIndex = observations;
    // Block head, unit and option, name count, the three names, set-up count: the first
    // set-up's station.
    badIndex[16 + 2 + 4 + (4 + 3) + (4 + 0) + (4 + 4) + 4] = 9;
    const struct {
        const char* what;
        std::string after;
        bool observationsRead;
        bool damaged;
    } cases[] = {
        {"bytes without the tag", "trailing bytes", false, false},
        {"unknown kind first", tag + block(99, 1, "anything") + observations, true, false},
        {"unknown version", tag + block(1, 2, "anything"), false, false},
        {"cut in the payload", extension.substr(0, extension.size() - 3), false, true},
        {"cut in a block's head", tag + observations.substr(0, 10), false, true},
        {"a station name outside the names", tag + badIndex, false, true},
        {"bytes after the payload", tag + block(1, 1, observations.substr(16) + "x"), false, true},
    };
    for (const auto& c : cases) {
        auto read = readProject(points + c.after);
        ASSERT_TRUE(std::holds_alternative<ProjectContent>(read)) << c.what;
        const ProjectContent& content = std::get<ProjectContent>(read);
        EXPECT_EQ(content.store.count(), 2u) << c.what;
        EXPECT_EQ(content.observations.sights.size(), c.observationsRead ? 2u : 0u) << c.what;
        EXPECT_EQ(content.observationsDamaged, c.damaged) << c.what;
    }
}

}  // namespace
}  // namespace korvela
