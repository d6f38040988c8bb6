#include "points/point_table_text.h"

#include <gtest/gtest.h>

#include "common/conversion_error.h"
#include "points/point_store.h"

namespace korvela {
namespace {

TEST(TypedCoordinate, TheFirstCommaIsTheDecimalPoint) {
    const struct {
        const char* text;
        std::optional<double> value;
    } cases[] = {
        {"1,5", 1.5},          {"1.5", 1.5},
        {"-0,25", -0.25},      {" 7 ", 7.0},
        {"1e3", 1000.0},       {"1,5,2", std::nullopt},
        {"", std::nullopt},    {"-", std::nullopt},
        {"12a", std::nullopt}, {"1.5,2", std::nullopt},
        {",", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(parseTypedCoordinate(c.text), c.value) << c.text;
}

TEST(TypedCoordinate, StrictFormQuotesTheConvertedText) {
    EXPECT_EQ(toTypedCoordinateStrict("2,75"), 2.75);
    try {
        toTypedCoordinateStrict("1,5,2");
        ADD_FAILURE() << "accepted 1,5,2";
    } catch (const ConversionError& error) {
        EXPECT_STREQ(error.what(), "'1.5,2' is not a valid floating point value");
    }
}

TEST(TypedCell, ChangesTheTypedValueOnlyWhenItConverts) {
    PointStore store;
    store.append("1", 10, 20, 30, kColourAqua, kKindPoint);
    EXPECT_TRUE(applyTypedCell(store, 0, kXColumn, "1,5"));
    EXPECT_FALSE(applyTypedCell(store, 0, kXColumn, "1,5,2"));
    EXPECT_TRUE(applyTypedCell(store, 0, kYColumn, "-2"));
    EXPECT_TRUE(applyTypedCell(store, 0, kHeightColumn, "150.25"));
    EXPECT_TRUE(applyTypedCell(store, 0, kNumberColumn, ""));
    EXPECT_FALSE(applyTypedCell(store, 0, kKindColumn, "0"));
    EXPECT_FALSE(applyTypedCell(store, 0, kCheckColumn, "5"));
    EXPECT_EQ(store.x()[0], 1.5);
    EXPECT_EQ(store.y()[0], -2);
    EXPECT_EQ(store.z()[0], 150.25);
    EXPECT_EQ(store.number()[0], "");
    EXPECT_EQ(store.kind()[0], kKindPoint);
}

TEST(PointCellText, ShowsTheStoredValuesAsNumberText) {
    PointStore store;
    store.append(
        "\xCF\xD3"
        "7",
        5412112.345, 0.00001, 100, kColourAqua, kKindStation);
    EXPECT_EQ(pointCellText(store, 0, kCheckColumn), "");
    EXPECT_EQ(pointCellText(store, 0, kNumberColumn),
              "\xCF\xD3"
              "7");
    EXPECT_EQ(pointCellText(store, 0, kXColumn), "5412112.345");
    EXPECT_EQ(pointCellText(store, 0, kYColumn), "0.00001");
    EXPECT_EQ(pointCellText(store, 0, kHeightColumn), "100");
    EXPECT_EQ(pointCellText(store, 0, kKindColumn), "0");
}

TEST(PointStore, EraseFlaggedKeepsTheUnflaggedInOrder) {
    PointStore store;
    for (int i = 0; i < 5; ++i) store.append(std::to_string(i), i, i, i, i, kKindPoint);
    EXPECT_EQ(store.eraseFlagged({1, 0, 2, 1, 0}), 2u);  // only exactly 1 counts
    EXPECT_EQ(std::vector<std::string>(store.number().begin(), store.number().end()),
              (std::vector<std::string>{"1", "2", "4"}));
    EXPECT_EQ(store.colour(), (std::vector<std::int32_t>{1, 2, 4}));
    EXPECT_EQ(store.eraseFlagged({1, 1, 1}), 3u);
    EXPECT_EQ(store.count(), 0u);
}

}  // namespace
}  // namespace korvela
