#include "points/point_store.h"

#include <gtest/gtest.h>

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
                             {7, 8}, {}};
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

// What changed since a revision, as the plan's index of positions asks it: the points whose
// number, X or Y was set, in order (heights not), or nothing once points came or went or the
// revision is older than the changes kept.
TEST(PointStore, TellsThePointsPlacedOneAtATimeSinceARevision) {
    constexpr std::size_t kKept = PointStore::kKeptPlacementEdits;
    const struct {
        std::size_t edits;
        bool appended;
        bool told;
    } cases[] = {{0, false, true},
                 {5, false, true},
                 {kKept, false, true},
                 {kKept + 1, false, false},
                 {1, true, false}};
    for (const auto& c : cases) {
        PointStore store = threePoints();
        store.setX(1, 7);  // before the revision: no part of the answer
        const std::uint64_t revision = store.placementRevision();
        std::vector<std::size_t> placed;
        for (std::size_t edit = 0; edit < c.edits; ++edit) {
            placed.push_back(edit % 3);
            if (edit % 2 == 0) {
                store.setNumber(edit % 3, "n");
            } else {
                store.setY(edit % 3, 1);
            }
            store.setZ(2, static_cast<double>(edit));
        }
        if (c.appended) store.append("4", 0, 0, 0, kColourAqua, kKindPoint);
        const auto since = store.placementEditsSince(revision);
        ASSERT_EQ(since.has_value(), c.told) << c.edits;
        if (since) {
            EXPECT_EQ(std::vector<std::size_t>(since->begin(), since->end()), placed);
        }
    }
}

}  // namespace
}  // namespace korvela
