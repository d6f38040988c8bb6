#include "points/project_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <bit>
#include <cerrno>
#include <cstring>
#include <limits>
#include <sstream>

#include "test_support.h"

namespace korvela {
namespace {

std::string le32(std::int32_t value) {
    std::string bytes;
    for (int i = 0; i < 4; ++i)
        bytes += static_cast<char>(static_cast<std::uint32_t>(value) >> (8 * i));
    return bytes;
}

std::string le64(double value) {
    std::string bytes;
    const auto bits = std::bit_cast<std::uint64_t>(value);
    for (int i = 0; i < 8; ++i) bytes += static_cast<char>(bits >> (8 * i));
    return bytes;
}

std::string imageOf(const ViewState& view) {
    const ViewState::Image image = view.toImage();
    return {reinterpret_cast<const char*>(image.data()), image.size()};
}

std::string projectBytes(const ViewState& view, const std::vector<std::int32_t>& selected,
                         const PointStore& store) {
    std::ostringstream out;
    writeProject(out, view, selected, store);
    return out.str();
}

ProjectContent readWhole(const std::string& bytes) {
    auto read = readProject(bytes);
    if (const auto* damage = std::get_if<ProjectDamage>(&read)) {
        ADD_FAILURE() << "damage " << static_cast<int>(*damage);
        return {};
    }
    return std::move(std::get<ProjectContent>(read));
}

std::optional<ProjectDamage> damageOf(const std::string& bytes) {
    auto read = readProject(bytes);
    if (const auto* damage = std::get_if<ProjectDamage>(&read)) return *damage;
    return std::nullopt;
}

// Three points: a station, a frozen one with an empty number, one with a Windows-1251 number.
struct Sample {
    ViewState view;
    std::vector<std::int32_t> selected{1, 0, 1};
    PointStore store;

    Sample() {
        view.offsetX = -5412100;
        view.offsetY = -7312100;
        view.offsetZ = 131.2;
        view.rollDeg = 90;
        view.tiltDeg = 12.5;
        view.azimuthDeg = 359;
        view.scale = 0.0457;
        view.panDown = -3.25;
        view.panRight = 7.75;
        view.depthOffset = 1e-300;
        view.cursorRadius = 12;
        view.showNumbers = 0;
        view.showHeights = 1;
        view.scaleLabelsWithZoom = 1;
        store.append("ST1", 5412100, 7312100, 151.2, kColourAqua, kKindStation);
        store.append("", -0.0, std::numeric_limits<double>::denorm_min(), 1e308, kColourGreen,
                     kKindPoint);
        store.append(
            "\xCF\xD3"
            "1",
            0.1 + 0.2, -1.5, -std::numeric_limits<double>::max(), -1, kKindPoint);
        store.setActive(1, 0);
    }

    std::string bytes() const { return projectBytes(view, selected, store); }
};

TEST(ProjectFile, AnEmptyStoreGivesTheViewRecordAndEightZeroCounts) {
    const ViewState view;
    const std::string bytes = projectBytes(view, {}, PointStore());
    ASSERT_EQ(bytes.size(), 120u);
    EXPECT_EQ(bytes, imageOf(view) + std::string(32, '\0'));

    const ProjectContent read = readWhole(bytes);
    EXPECT_EQ(read.view, view);
    EXPECT_TRUE(read.selected.empty());
    EXPECT_EQ(read.store.count(), 0u);
}

TEST(ProjectFile, BlocksFollowEachOtherInTheirOrderLittleEndian) {
    const Sample sample;
    const std::string expected =
        imageOf(sample.view) + le32(3) + le32(1) + le32(0) + le32(1)  // selected
        + le32(3) + le32(0) + le32(1) + le32(1)                       // kind
        + le32(3) + le32(1) + le32(0) + le32(1)                       // active
        + le32(3) + le64(5412100) + le64(-0.0) + le64(0.1 + 0.2)      // x
        + le32(3) + le64(7312100) + le64(std::numeric_limits<double>::denorm_min()) + le64(-1.5) +
        le32(3) + le64(151.2) + le64(1e308) + le64(-std::numeric_limits<double>::max()) + le32(3) +
        le32(kColourAqua) + le32(kColourGreen) + le32(-1)  // colour
        + le32(3) + le32(3) + "ST1" + le32(0) + le32(3) +
        "\xCF\xD3"
        "1";  // number
    const std::string bytes = sample.bytes();
    EXPECT_EQ(bytes.size(), 88u + 32u + 40u * 3u + (4u + 3u) + 4u + (4u + 3u));
    EXPECT_EQ(bytes, expected);
}

TEST(ProjectFile, ReadingBackRestoresEverythingBitForBit) {
    const Sample sample;
    const std::string bytes = sample.bytes();
    const ProjectContent read = readWhole(bytes);

    EXPECT_EQ(imageOf(read.view), imageOf(sample.view));
    EXPECT_EQ(read.selected, sample.selected);
    EXPECT_EQ(read.store.number(), sample.store.number());
    EXPECT_EQ(read.store.kind(), sample.store.kind());
    EXPECT_EQ(read.store.active(), sample.store.active());
    EXPECT_EQ(read.store.colour(), sample.store.colour());
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(std::bit_cast<std::uint64_t>(read.store.x()[i]),
                  std::bit_cast<std::uint64_t>(sample.store.x()[i]));
        EXPECT_EQ(std::bit_cast<std::uint64_t>(read.store.y()[i]),
                  std::bit_cast<std::uint64_t>(sample.store.y()[i]));
        EXPECT_EQ(std::bit_cast<std::uint64_t>(read.store.z()[i]),
                  std::bit_cast<std::uint64_t>(sample.store.z()[i]));
    }
    // Saving what was read gives the same file.
    EXPECT_EQ(projectBytes(read.view, read.selected, read.store), bytes);
}

void expectSamePoints(const PointStore& got, const PointStore& want) {
    EXPECT_EQ(got.active(), want.active());
    EXPECT_EQ(got.number(), want.number());
    EXPECT_EQ(got.x(), want.x());
    EXPECT_EQ(got.y(), want.y());
    EXPECT_EQ(got.z(), want.z());
    EXPECT_EQ(got.kind(), want.kind());
    EXPECT_EQ(got.colour(), want.colour());
}

TEST(ProjectFile, LargeProjectsCrossTheBlocksOfWritingAndReading) {
    PointStore store;
    const std::size_t count = 140'000;  // x, y, z each more than one 1 MiB block
    for (std::size_t i = 0; i < count; ++i) {
        store.append(std::string(i % 13, 'n') + std::to_string(i), 1.0 * i, -2.0 * i, 0.5 * i,
                     static_cast<std::int32_t>(i), static_cast<std::int32_t>(i % 2));
    }
    std::vector<std::int32_t> selected(count, 0);
    selected[count - 1] = 1;
    const std::string bytes = projectBytes(ViewState(), selected, store);
    const ProjectContent fromBytes = readWhole(bytes);
    expectSamePoints(fromBytes.store, store);
    EXPECT_EQ(fromBytes.selected, selected);

    testing::TempDir dir;
    testing::writeFile(dir.file("large.kpr"), bytes);
    auto opened = openProjectFile(dir.file("large.kpr"));
    ASSERT_TRUE(std::holds_alternative<ProjectContent>(opened));
    expectSamePoints(std::get<ProjectContent>(opened).store, store);
    EXPECT_EQ(std::get<ProjectContent>(opened).selected, selected);

    testing::writeFile(dir.file("cut.kpr"), bytes.substr(0, bytes.size() - 1));
    auto cut = openProjectFile(dir.file("cut.kpr"));
    ASSERT_TRUE(std::holds_alternative<DamagedProjectFile>(cut));
    EXPECT_EQ(std::get<DamagedProjectFile>(cut).damage, ProjectDamage::EndsEarly);
}

TEST(ProjectFile, ANumberOfTheLongestLengthReadsBackOneLongerDoesNot) {
    for (const std::size_t length : {kLongestProjectNumber, kLongestProjectNumber + 1}) {
        PointStore store;
        store.append(std::string(length, '7'), 1, 2, 3, kColourAqua, kKindPoint);
        const std::string bytes = projectBytes(ViewState(), {0}, store);
        if (length == kLongestProjectNumber) {
            EXPECT_EQ(readWhole(bytes).store.number()[0].size(), length);
        } else {
            EXPECT_EQ(damageOf(bytes), ProjectDamage::NumberTooLong);
        }
    }
}

TEST(ProjectFile, EveryEarlyEndIsDamage) {
    const std::string bytes = Sample().bytes();
    for (std::size_t length = 0; length < bytes.size(); ++length) {
        EXPECT_EQ(damageOf(bytes.substr(0, length)), ProjectDamage::EndsEarly) << length;
    }
}

TEST(ProjectFile, BytesAfterTheLastBlockAreIgnored) {
    const Sample sample;
    EXPECT_EQ(readWhole(sample.bytes() + "tail").store.number(), sample.store.number());
}

// The offsets of the counts in Sample's file: selected, kind, active, x, y, z, colour, number.
constexpr std::size_t kCountAt[] = {88, 104, 120, 136, 164, 192, 220, 236};

std::string withInt32At(std::string bytes, std::size_t offset, std::int32_t value) {
    bytes.replace(offset, 4, le32(value));
    return bytes;
}

TEST(ProjectFile, DamagedCountsAndLengthsAreReported) {
    const std::string bytes = Sample().bytes();
    ASSERT_EQ(bytes.substr(kCountAt[7], 4), le32(3));
    const std::size_t firstLengthAt = kCountAt[7] + 4;
    struct Case {
        const char* what;
        std::size_t offset;
        std::int32_t value;
        ProjectDamage damage;
    };
    const Case cases[] = {
        {"selected count -1", kCountAt[0], -1, ProjectDamage::NegativeCount},
        {"x count -3", kCountAt[3], -3, ProjectDamage::NegativeCount},
        {"number length most negative", firstLengthAt, std::numeric_limits<std::int32_t>::min(),
         ProjectDamage::NegativeCount},
        {"number length 10000", firstLengthAt, 10'000, ProjectDamage::NumberTooLong},
        {"number length past the end", firstLengthAt, 100, ProjectDamage::EndsEarly},
        {"selected count far beyond the file", kCountAt[0],
         std::numeric_limits<std::int32_t>::max(), ProjectDamage::EndsEarly},
        {"selected count 2", kCountAt[0], 2, ProjectDamage::CountsDiffer},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(damageOf(withInt32At(bytes, c.offset, c.value)), c.damage) << c.what;
    }
    for (std::size_t block = 1; block < 8; ++block) {
        for (const std::int32_t count : {2, 4}) {
            EXPECT_EQ(damageOf(withInt32At(bytes, kCountAt[block], count)),
                      ProjectDamage::CountsDiffer)
                << "block " << block << " count " << count;
        }
    }
}

// Other programs may write any int32 as `active` or `kind`: what is neither 0 nor 1 stays so.
TEST(ProjectFile, FlagsOtherThanZeroAndOneReadAsNeither) {
    std::string bytes = Sample().bytes();
    bytes = withInt32At(bytes, kCountAt[1] + 12, 7);  // kind of point 3
    bytes = withInt32At(bytes, kCountAt[2] + 4, -1);  // active of point 1
    const PointStore store = readWhole(bytes).store;
    EXPECT_EQ(store.kind(), (std::vector<PointFlag>{0, 1, kOtherFlag}));
    EXPECT_EQ(store.active(), (std::vector<PointFlag>{kOtherFlag, 0, 1}));
}

std::string withDoubleAt(std::string bytes, std::size_t offset, double value) {
    bytes.replace(offset, 8, le64(value));
    return bytes;
}

TEST(ProjectFile, ACoordinateOrViewValueThatIsNotFiniteIsDamage) {
    const std::string bytes = Sample().bytes();
    const double notFinite[] = {std::numeric_limits<double>::infinity(),
                                -std::numeric_limits<double>::infinity(),
                                std::numeric_limits<double>::quiet_NaN()};
    // The ten doubles of the view record, then the first and last value of x, y and z.
    std::vector<std::size_t> offsets;
    for (std::size_t field = 0; field < 10; ++field) offsets.push_back(field * 8);
    for (std::size_t block = 3; block <= 5; ++block) {
        offsets.push_back(kCountAt[block] + 4);
        offsets.push_back(kCountAt[block] + 4 + 2 * 8);
    }
    for (const std::size_t offset : offsets) {
        for (const double value : notFinite) {
            EXPECT_EQ(damageOf(withDoubleAt(bytes, offset, value)), ProjectDamage::NotFinite)
                << offset << ' ' << value;
        }
    }
}

TEST(ProjectFile, HugeCountsInATinyFileAreDamageNotAllocations) {
    const std::int32_t huge = std::numeric_limits<std::int32_t>::max();
    // Each block claims two billion values; the reader must notice before it allocates.
    std::string bytes = imageOf(ViewState());
    for (int block = 0; block < 8; ++block) bytes += le32(huge);
    EXPECT_EQ(damageOf(bytes), ProjectDamage::EndsEarly);
    // Empty sequences up to the numbers, whose count alone is huge.
    bytes = imageOf(ViewState()) + std::string(28, '\0') + le32(huge);
    EXPECT_EQ(damageOf(bytes), ProjectDamage::CountsDiffer);
}

TEST(ProjectFile, SaveAndOpenThroughFiles) {
    testing::TempDir dir;
    const Sample sample;
    const std::string path = dir.file("work.kpr");
    ASSERT_FALSE(saveProjectFile(path, sample.view, sample.selected, sample.store));
    EXPECT_EQ(testing::readFile(path), sample.bytes());

    auto opened = openProjectFile(path);
    ASSERT_TRUE(std::holds_alternative<ProjectContent>(opened));
    EXPECT_EQ(std::get<ProjectContent>(opened).store.number(), sample.store.number());
}

TEST(ProjectFile, FilesThatCannotBeReadOrWrittenAreFileErrors) {
    testing::TempDir dir;
    const auto missing = openProjectFile(dir.file("missing.kpr"));
    ASSERT_TRUE(std::holds_alternative<FileError>(missing));
    EXPECT_EQ(std::get<FileError>(missing).errorNumber, ENOENT);
    const auto folder = openProjectFile(dir.path().string());
    ASSERT_TRUE(std::holds_alternative<FileError>(folder));
    EXPECT_EQ(std::get<FileError>(folder).errorNumber, EISDIR);

    // A pipe nobody writes into is refused at once, not waited on.
    ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0600), 0);
    const auto pipe = openProjectFile(dir.file("pipe"));
    ASSERT_TRUE(std::holds_alternative<FileError>(pipe));
    EXPECT_EQ(std::get<FileError>(pipe).errorNumber, kNotRegularFile);
    EXPECT_NE(std::get<FileError>(pipe).message().find("это не обычный файл"), std::string::npos);

    const auto written =
        saveProjectFile(dir.file("no-such-folder/work.kpr"), ViewState(), {}, PointStore());
    ASSERT_TRUE(written);
    EXPECT_EQ(written->operation, FileError::Operation::Write);
}

TEST(ProjectFile, ADamagedFileIsNamedInTheMessage) {
    testing::TempDir dir;
    const std::string path = dir.file("broken.kpr");
    testing::writeFile(path, Sample().bytes().substr(0, 200));
    const auto opened = openProjectFile(path);
    ASSERT_TRUE(std::holds_alternative<DamagedProjectFile>(opened));
    EXPECT_EQ(std::get<DamagedProjectFile>(opened).damage, ProjectDamage::EndsEarly);
    EXPECT_EQ(std::get<DamagedProjectFile>(opened).message(), "Файл проекта повреждён: " + path);
}

TEST(ProjectFile, OpeningTicksEveryRowWhoseFlagIsNotZero) {
    EXPECT_EQ(selectionAfterOpening({0, 1, 2, -1, 0}), (std::vector<std::int32_t>{0, 1, 1, 1, 0}));
}

}  // namespace
}  // namespace korvela
