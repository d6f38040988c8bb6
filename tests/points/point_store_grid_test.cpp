#include "points/point_store_grid.h"

#include <gtest/gtest.h>

#include "points/point_store.h"

namespace korvela {
namespace {

TEST(PointStoreGrid, ShowsTheStoreAsAFreshlyFilledTable) {
    PointStore store;
    store.append(
        "\xCF\xD3"
        "1",
        5412112.345, -0.0, 1e-7, kColourAqua, kKindPoint);
    store.append(" 7 ", 100, 1234567890123456.0, 15.25, kColourAqua, kKindStation);
    const PointStoreGrid grid(store);
    ASSERT_EQ(grid.rows(), 3);
    const std::vector<std::vector<std::string>> expected = {
        {"", "\xED\xEE\xEC\xE5\xF0", "x", "y", "h", "\xF5\xEE\xE4 \xF2\xEE\xF7\xEA\xE0"},
        {"",
         "\xCF\xD3"
         "1",
         "5412112.345", "0", "1E-7", "1"},
        {"", " 7 ", "100", "1.23456789012346E15", "15.25", "0"}};
    for (int row = 0; row < grid.rows(); ++row) {
        for (int column = 0; column < 6; ++column) {
            EXPECT_EQ(grid.text(row, column), expected[row][column]) << row << ' ' << column;
        }
    }
}

TEST(PointStoreGrid, AnEmptyStoreShowsOneEmptyRow) {
    const PointStore store;
    const PointStoreGrid grid(store);
    ASSERT_EQ(grid.rows(), 2);
    for (int column = 0; column < 6; ++column) EXPECT_EQ(grid.text(1, column), "");
}

}  // namespace
}  // namespace korvela
