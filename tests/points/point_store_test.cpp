#include "points/point_store.h"

#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <vector>

namespace korvela {
namespace {

using Numbers = std::vector<std::string>;
using Flags = std::vector<PointFlag>;

Numbers numbersOf(const PointStore& store) {
    return Numbers(store.number().begin(), store.number().end());
}

PointStore threePoints() {
    PointStore store;
    store.append("1", 10, 11, 12, 0x111111, kKindPoint);
    store.append("2", 20, 21, 22, 0x222222, kKindStation);
    store.append("3", 30, 31, 32, 0x333333, kKindPoint);
    store.setActive(1, 0);
    return store;
}

TEST(PointStore, AppendAfterClearStartsAtIndexZeroActive) {
    PointStore store = threePoints();
    store.clear();
    EXPECT_EQ(store.count(), 0u);
    store.append("", 1, 2, 3, kColourAqua, kKindPoint);  // an empty number is a number too
    ASSERT_EQ(store.count(), 1u);
    EXPECT_EQ(store.active()[0], 1);
    EXPECT_EQ(store.number()[0], "");
    EXPECT_EQ(store.colour()[0], kColourAqua);
}

TEST(PointStore, EraseFirstMovesEveryLaterPointDownInAllSequences) {
    PointStore store = threePoints();
    store.erase(0);
    ASSERT_EQ(store.count(), 2u);
    EXPECT_EQ(numbersOf(store), (Numbers{"2", "3"}));
    EXPECT_EQ(store.x(), (std::vector<double>{20, 30}));
    EXPECT_EQ(store.y(), (std::vector<double>{21, 31}));
    EXPECT_EQ(store.z(), (std::vector<double>{22, 32}));
    EXPECT_EQ(store.kind(), (Flags{kKindStation, kKindPoint}));
    EXPECT_EQ(store.colour(), (std::vector<std::int32_t>{0x222222, 0x333333}));
    EXPECT_EQ(store.active(), (Flags{0, 1}));
}

TEST(PointStore, EraseLastLeavesTheOthersUnchanged) {
    PointStore store = threePoints();
    store.erase(2);
    EXPECT_EQ(numbersOf(store), (Numbers{"1", "2"}));
    EXPECT_EQ(store.colour(), (std::vector<std::int32_t>{0x111111, 0x222222}));
    EXPECT_EQ(store.active(), (Flags{1, 0}));
}

TEST(PointStore, RepeatedNumbersStayDistinctPoints) {
    PointStore store;
    store.append("7", 1, 1, 1, kColourAqua, kKindPoint);
    store.append("7", 2, 2, 2, kColourAqua, kKindPoint);
    EXPECT_EQ(store.count(), 2u);
    store.setX(1, 5);
    EXPECT_EQ(store.x()[0], 1);
    EXPECT_EQ(store.x()[1], 5);
}

TEST(PointStore, AssignTakesWholeSequencesOfEqualLengthOnly) {
    PointStore store = threePoints();
    PointSequences sequences{{1, 0}, PointNumbers("ab", {0, 1, 2}), {1, 2}, {3, 4}, {5, 6}, {1, 0},
                             {7, 8}};
    sequences.z.push_back(9);
    EXPECT_THROW(store.assign(sequences), std::invalid_argument);
    EXPECT_EQ(store.number(), threePoints().number());  // unchanged

    sequences.z.pop_back();
    store.assign(sequences);
    EXPECT_EQ(store.count(), 2u);
    EXPECT_EQ(numbersOf(store), (Numbers{"a", "b"}));
    EXPECT_EQ(store.active(), (Flags{1, 0}));
    EXPECT_EQ(store.y(), (std::vector<double>{3, 4}));
    EXPECT_EQ(store.colour(), (std::vector<std::int32_t>{7, 8}));
}

TEST(PointStore, NumberBoundsMustFitTheirArena) {
    const struct {
        const char* bytes;
        std::vector<std::uint32_t> bounds;
    } wrong[] = {{"ab", {}}, {"ab", {1, 2}}, {"ab", {0, 2, 1, 2}}, {"ab", {0, 1}}, {"", {0, 1}}};
    for (const auto& [bytes, bounds] : wrong) {
        EXPECT_THROW(PointNumbers(bytes, bounds), std::invalid_argument) << bytes;
    }
}

// Numbers live in one arena: every change must leave the other numbers as they were.
TEST(PointStore, NumberEditsEraseAndFlaggedEraseKeepTheOtherNumbers) {
    PointStore store;
    for (const char* number : {"A1", "", "B22", "C333", "D"}) {
        store.append(number, 0, 0, 0, kColourAqua, kKindPoint);
    }
    store.setNumber(1, "new longer");
    store.setNumber(3, "c");
    EXPECT_EQ(numbersOf(store), (Numbers{"A1", "new longer", "B22", "c", "D"}));
    store.setNumber(0, "");
    store.erase(2);
    EXPECT_EQ(numbersOf(store), (Numbers{"", "new longer", "c", "D"}));
    store.eraseFlagged({0, 1, 7, 1});
    EXPECT_EQ(numbersOf(store), (Numbers{"", "c"}));
    store.append("E", 0, 0, 0, kColourAqua, kKindPoint);
    EXPECT_EQ(numbersOf(store), (Numbers{"", "c", "E"}));
}

TEST(PointStore, FlagsOtherThanZeroAndOneAreKeptAsNeither) {
    PointStore store;
    for (const std::int32_t kind : {0, 1, 2, 7, -1, 256}) {
        store.append("", 0, 0, 0, kColourAqua, kind);
        store.setActive(store.count() - 1, kind);
    }
    const Flags expected{0, 1, kOtherFlag, kOtherFlag, kOtherFlag, kOtherFlag};
    EXPECT_EQ(store.kind(), expected);
    EXPECT_EQ(store.active(), expected);
}

// What changed since a revision, as the plan's index of positions asks it: the points set one
// at a time in order, or nothing once points came or went or the revision is forgotten.
TEST(PointStore, TellsThePointsPlacedOneAtATimeSinceARevision) {
    using Edit = void (*)(PointStore&);
    const struct {
        const char* name;
        std::vector<Edit> edits;
        std::optional<std::vector<std::size_t>> since;
    } cases[] = {
        {"nothing", {}, std::vector<std::size_t>{}},
        {"x, number, height, y",
         {[](PointStore& s) { s.setX(2, 1); }, [](PointStore& s) { s.setNumber(0, "n"); },
          [](PointStore& s) { s.setZ(1, 5); }, [](PointStore& s) { s.setY(2, 1); }},
         std::vector<std::size_t>{2, 0, 2}},
        {"a point appended",
         {[](PointStore& s) { s.setX(1, 1); }, [](PointStore& s) { s.append("4", 0, 0, 0, 0, 1); }},
         std::nullopt},
        {"a point erased", {[](PointStore& s) { s.erase(0); }}, std::nullopt},
        {"as many edits as kept",
         std::vector<Edit>(PointStore::kKeptPlacementEdits,
                           [](PointStore& s) { s.setY(1, s.y()[1] + 1); }),
         std::vector<std::size_t>(PointStore::kKeptPlacementEdits, 1)},
        {"more edits than kept",
         std::vector<Edit>(PointStore::kKeptPlacementEdits + 1,
                           [](PointStore& s) { s.setY(1, s.y()[1] + 1); }),
         std::nullopt},
    };
    for (const auto& c : cases) {
        PointStore store = threePoints();
        store.setX(1, 7);  // kept edits before the revision are no part of the answer
        const std::uint64_t revision = store.placementRevision();
        for (const Edit edit : c.edits) edit(store);
        const auto since = store.placementEditsSince(revision);
        ASSERT_EQ(since.has_value(), c.since.has_value()) << c.name;
        if (since) {
            EXPECT_EQ(std::vector<std::size_t>(since->begin(), since->end()), *c.since) << c.name;
        }
    }
}

}  // namespace
}  // namespace korvela
