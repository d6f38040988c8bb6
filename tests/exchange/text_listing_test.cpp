#include "exchange/text_listing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <sstream>

#include "common/local_time.h"
#include "points/point_store.h"
#include "points/survey_reader.h"
#include "test_support.h"

namespace korvela {
namespace {

constexpr LocalTime kNineFiveSeven{2010, 3, 7, 9, 5, 7};

std::string listingNumber(double value) {
    char text[kListingNumberCapacity];
    return std::string(text, formatListingNumber(value, text));
}

std::string listingOf(const PointStore& store, const LocalTime& now = kNineFiveSeven) {
    std::ostringstream out;
    writeTextListing(store, now, out);
    return out.str();
}

const std::string kHeader =
    "Sokkia - sdr\r\nPROGRAM \"vex\"\r\n9:5:7\r\n7:3:2010\r\nN     X          Y          Z\r\n";

TEST(TextListing, NumbersKeepAsManyDigitsAsTenCharactersHold) {
    const std::pair<double, const char*> cases[] = {
        {1234.5678, "1234.5678"},
        {6123456.789, "6123456.79"},
        {0.5, "0.5"},
        {150, "150"},
        {123456.789, "123456.789"},
        {-123456.789, "-123456.79"},
        {5412112.345, "5412112.34"},
        {5412130.002, "5412130"},
        {0, "0"},
        {-12.5, "-12.5"},
        {0.0001234, "0.0001234"},
        {0.00001234, "1.234e-05"},
        {1e-7, "1e-07"},
        {0.1 + 0.2, "0.3"},
        {1.0 / 3, "0.33333333"},
        {9999999999.0, "9999999999"},
        {12345678901.0, "1.2346e+10"},
        {-0.0000123456, "-1.235e-05"},
        {0.0000123456789, "1.2346e-05"},
        {1e10, "1e+10"},
        {-1234567890123.0, "-1.235e+12"},
        {1e100, "1e+100"},
        {-1.5e-300, "-1.5e-300"},
        {99999.99999999, "100000"},
        {5e-324, "4.941e-324"},  // subnormal: fewer digits than its shortest text suggests
    };
    for (const auto& [value, text] : cases) EXPECT_EQ(listingNumber(value), text) << value;
}

// The text must be exactly printf's %.*g at the largest precision from 15 down to 1 that
// fits 10 characters.
std::string referenceListingNumber(double value) {
    char text[64];
    for (int precision = 15; precision > 1; --precision) {
        if (std::snprintf(text, sizeof text, "%.*g", precision, value) <= 10) return text;
    }
    std::snprintf(text, sizeof text, "%.1g", value);
    return text;
}

TEST(TextListing, NumbersMatchPrintfForAnyValue) {
    std::mt19937_64 random(20110101);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    std::uniform_int_distribution<int> decimals(0, 6);
    std::uniform_int_distribution<int> magnitude(-12, 16);
    for (int i = 0; i < 200000; ++i) {
        double value = unit(random) * std::pow(10.0, magnitude(random));
        if (i % 2 == 0) {  // survey-like values with few decimals, many halfway cases
            const double scale = std::pow(10.0, decimals(random));
            value = std::round(value * scale) / scale;
        }
        ASSERT_EQ(listingNumber(value), referenceListingNumber(value)) << std::hexfloat << value;
    }
    // Coordinates of a national grid to the tenth of a millimetre: rounded to ten characters,
    // often at an exact half of their last digit kept.
    std::uniform_int_distribution<std::int64_t> tenThousandths(0, 99'999'999'999);
    for (int i = 0; i < 100000; ++i) {
        const double value = (i % 2 ? -1 : 1) * static_cast<double>(tenThousandths(random)) / 1e4;
        ASSERT_EQ(listingNumber(value), referenceListingNumber(value)) << std::hexfloat << value;
    }
    for (double subnormal = 5e-324; subnormal < 2.3e-308; subnormal *= 3.7) {
        ASSERT_EQ(listingNumber(-subnormal), referenceListingNumber(-subnormal)) << subnormal;
    }
}

TEST(TextListing, APointLineIsFortyFiveCharactersWithFieldsAtTheirColumns) {
    PointStore store;
    store.append("12", 1234.5678, 0.5, 150, kColourAqua, kKindPoint);
    EXPECT_EQ(listingOf(store), kHeader + "12    1234.5678  0.5        150              \r\n");
}

// The import reads the number from columns 0-5: a longer one left beyond them would be
// read as part of x.
TEST(TextListing, ANumberIsCutAtTheXColumnAndNoFieldRunsIntoTheNext) {
    PointStore store;
    store.append("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcdefghijklmnop", 1, 2, 3, kColourAqua,
                 kKindPoint);
    store.append("1234567", -1234567890123.0, -12345678901.0, -0.00001234, kColourAqua, kKindPoint);
    store.append("7", 1, 2, -1.5e-300, kColourAqua, kKindPoint);
    EXPECT_EQ(listingOf(store), kHeader +
                                    "ABCDEF1          2          3                \r\n"
                                    "123456-1.235e+12 -1.235e+10 -1.234e-05       \r\n"
                                    "7     1          2          -1.5e-300        \r\n");
}

TEST(TextListing, LineBreaksInANumberBecomeBlanks) {
    PointStore store;
    store.append("A\rB\nC", 1, 2, 3, kColourAqua, kKindPoint);
    EXPECT_EQ(listingOf(store), kHeader + "A B C 1          2          3                \r\n");
}

TEST(TextListing, OnlyOrdinaryPointsAreListedInStoreOrder) {
    PointStore store;
    EXPECT_EQ(listingOf(store), kHeader);
    store.append("ST1", 1, 1, 1, kColourAqua, kKindStation);
    EXPECT_EQ(listingOf(store), kHeader);
    store.append(
        "\xCF\xD3"
        "2",
        2, 2, 2, kColourAqua, kKindPoint);
    store.append("ST2", 3, 3, 3, kColourAqua, kKindStation);
    store.append("4", 4, 4, 4, kColourAqua, kKindPoint);
    EXPECT_EQ(listingOf(store), kHeader +
                                    "\xCF\xD3"
                                    "2   2          2          2                \r\n"
                                    "4     4          4          4                \r\n");
}

TEST(TextListing, TheTimeAndDateHaveNoLeadingZeros) {
    const std::pair<LocalTime, const char*> cases[] = {
        {{2011, 1, 1, 0, 0, 0}, "0:0:0\r\n1:1:2011\r\n"},
        {{2010, 12, 31, 23, 59, 59}, "23:59:59\r\n31:12:2010\r\n"},
        {{2024, 10, 5, 10, 0, 9}, "10:0:9\r\n5:10:2024\r\n"},
    };
    for (const auto& [now, lines] : cases) {
        const std::string listing = listingOf(PointStore(), now);
        EXPECT_EQ(listing, std::string("Sokkia - sdr\r\nPROGRAM \"vex\"\r\n") + lines +
                               "N     X          Y          Z\r\n");
    }
}

// What the listing exists for: "Import Project" reads it back.
TEST(TextListing, AListingImportedBackGivesTheSamePoints) {
    PointStore store;
    std::mt19937_64 random(7);
    // Ten characters: six digits before the point, five with a minus sign.
    std::uniform_real_distribution<double> local(-99999.0, 999999.0);
    std::uniform_real_distribution<double> grid(1000000.0, 9999999.0);
    for (int i = 0; i < 2000; ++i) {
        const double x = std::round(local(random) * 1000) / 1000;
        const double y = std::round(grid(random) * 1000) / 1000;
        const double z = std::round(local(random)) / 1000;
        store.append(i % 3 == 0 ? "\xC0" + std::to_string(i) : std::to_string(i), x, y, z,
                     kColourAqua, kKindPoint);
    }
    PointStore readBack;
    readSurvey(listingOf(store), readBack);
    ASSERT_EQ(readBack.count(), store.count());
    for (std::size_t i = 0; i < store.count(); ++i) {
        EXPECT_EQ(readBack.number()[i], store.number()[i]);
        // Up to six characters before the point: the millimetre; seven: the centimetre.
        EXPECT_TRUE(testing::near(store.x()[i], readBack.x()[i], 0.0005)) << i;
        EXPECT_TRUE(testing::near(store.y()[i], readBack.y()[i], 0.00501)) << i;
        EXPECT_TRUE(testing::near(store.z()[i], readBack.z()[i], 0.0005)) << i;
    }
}

// Values that need fewer than 7 digits to fit, next to each other in one line, come back
// as their texts say: no field runs into the next.
TEST(TextListing, ValuesThatDoNotFitAtPrecisionSevenReadBackWhole) {
    const double values[] = {0.0000123456789, -46130.5,         -0.0000123456, -1234567890123.0,
                             12345678901.0,   -9.87654321e-100, 1e300,         -2.5e-7};
    PointStore store;
    for (std::size_t i = 0; i < std::size(values); ++i) {
        store.append(std::to_string(i), values[i], values[(i + 1) % std::size(values)],
                     values[(i + 2) % std::size(values)], kColourAqua, kKindPoint);
    }
    PointStore readBack;
    readSurvey(listingOf(store), readBack);
    ASSERT_EQ(readBack.count(), store.count());
    const auto written = [](double value) {
        return std::strtod(listingNumber(value).c_str(), nullptr);
    };
    for (std::size_t i = 0; i < store.count(); ++i) {
        EXPECT_EQ(readBack.x()[i], written(store.x()[i])) << i;
        EXPECT_EQ(readBack.y()[i], written(store.y()[i])) << i;
        EXPECT_EQ(readBack.z()[i], written(store.z()[i])) << i;
    }
}

TEST(TextListing, ANumberStartingWithTheEndOfTextIsWrittenWithABlankThere) {
    PointStore store;
    for (const char* number : {"1",
                               "\x03"
                               "7",
                               "<ETX>", "2"}) {
        store.append(number, 1, 2, 3, kColourAqua, kKindPoint);
    }
    const std::string listing = listingOf(store);
    EXPECT_NE(listing.find("\r\n 7    1 "), std::string::npos);
    EXPECT_NE(listing.find("\r\n ETX> 1 "), std::string::npos);
    PointStore readBack;
    readSurvey(listing, readBack);
    ASSERT_EQ(readBack.count(), 4u);
    EXPECT_EQ(readBack.number()[3], "2");
}

}  // namespace
}  // namespace korvela
