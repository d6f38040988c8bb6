// The DXF files we write, opened by real readers: ezdxf (Debian's Python) and GDAL's
// ogrinfo. They must read every point, text and layer name, Cyrillic included, through
// the file's code page, and find nothing to repair.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

#include "exchange/dxf_writer.h"
#include "test_support.h"
#include "vector_grid.h"

namespace korvela {
namespace {

using testing::tableHeader;
using testing::tableRow;

const std::string kPython = "/usr/bin/python3";
const std::string kOgrinfo = "/usr/bin/ogrinfo";
const std::string kEzdxfScript = KORVELA_TEST_SCRIPTS "/read_dxf_with_ezdxf.py";

struct CommandResult {
    int status = -1;
    std::string out;
    std::string err;
};

CommandResult run(const std::string& command, const testing::TempDir& dir) {
    const std::string errPath = dir.file("stderr");
    CommandResult result;
    FILE* pipe = ::popen((command + " 2>'" + errPath + "'").c_str(), "r");
    if (pipe == nullptr) return result;
    char block[4096];
    for (std::size_t read; (read = std::fread(block, 1, sizeof block, pipe)) > 0;)
        result.out.append(block, read);
    result.status = ::pclose(pipe);
    result.err = testing::readFile(errPath);
    return result;
}

// What a reader should find: an INSERT, or a POINT or TEXT inside the block.
struct Entity {
    std::string type;
    std::string layer;  // UTF-8
    double x, y, z;
    std::string text;  // the TEXT's value, or the INSERT's block name
};

const std::string kPointLayer = "Точки_обоснования";

// Rows 2 to 4 exported (row 1 is a station); the point on row 4 has line breaks in its number.
testing::VectorGrid sampleTable() {
    return testing::VectorGrid(
        {tableHeader(), tableRow("ST1", "5412100", "7312100", "151.2", "0"),
         tableRow("\xCF\xF3\xED\xEA\xF2-7", "5412112.345", "7312105.678", "150.125"),
         tableRow("12", "200", "100", "15.250"), tableRow("A\r\nB", "-0.5", "-1234567.891", "7")});
}

const std::vector<Entity> kSampleEntities = {
    {"INSERT", kPointLayer, 7312105.678, 5412112.345, 0, "BLK2"},
    {"POINT", "sloika", 7312105.678, 5412112.345, 150.125, ""},
    {"TEXT", "Имена", 7312106.178, 5412112.845, 150.125, "Пункт-7"},
    {"TEXT", "Высоты", 7312106.178, 5412111.845, 150.125, "150.125"},
    {"INSERT", kPointLayer, 100, 200, 0, "BLK3"},
    {"POINT", "sloika", 100, 200, 15.25, ""},
    {"TEXT", "Имена", 100.5, 200.5, 15.25, "12"},
    {"TEXT", "Высоты", 100.5, 199.5, 15.25, "15.25"},
    {"INSERT", kPointLayer, -1234567.891, -0.5, 0, "BLK4"},
    {"POINT", "sloika", -1234567.891, -0.5, 7, ""},
    {"TEXT", "Имена", -1234567.391, 0, 7, "A  B"},
    {"TEXT", "Высоты", -1234567.391, -1, 7, "7"},
};

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream stream(text);
    while (std::getline(stream, part, separator)) parts.push_back(part);
    return parts;
}

void expectSameEntity(const Entity& expected, const Entity& got, std::size_t index) {
    EXPECT_EQ(got.type, expected.type) << "entity " << index;
    EXPECT_EQ(got.layer, expected.layer) << "entity " << index;
    EXPECT_EQ(got.text, expected.text) << "entity " << index;
    EXPECT_TRUE(testing::near(expected.x, got.x, 1e-6)) << "entity " << index << " x";
    EXPECT_TRUE(testing::near(expected.y, got.y, 1e-6)) << "entity " << index << " y";
    EXPECT_TRUE(testing::near(expected.z, got.z, 1e-6)) << "entity " << index << " z";
}

class DxfReaders : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(writeDxfFile(path, sampleTable(), kPointTableDxfColumns, {0, 1, 1, 1}, true),
                  std::nullopt);
    }

    testing::TempDir dir;
    const std::string path = dir.file("sample.dxf");
};

TEST_F(DxfReaders, EzdxfAuditsWithoutErrorsAndReadsEveryInsertPointAndText) {
    const CommandResult result = run(kPython + " '" + kEzdxfScript + "' '" + path + "'", dir);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    const std::vector<std::string> lines = split(result.out, '\n');
    ASSERT_GE(lines.size(), 4u) << result.out;
    EXPECT_EQ(lines[0], "encoding\tcp1251");
    EXPECT_EQ(lines[1], "codepage\tANSI_1251");
    EXPECT_EQ(lines[2], "audit\t0\t0") << result.out;
    EXPECT_EQ(lines[3].rfind("layers\t" + kPointLayer + "\tИмена\tВысоты", 0), 0u) << lines[3];

    std::vector<Entity> entities;
    for (std::size_t i = 4; i < lines.size(); ++i) {
        const std::vector<std::string> fields = split(lines[i], '\t');
        ASSERT_GE(fields.size(), 5u) << lines[i];
        Entity entity{fields[0], fields[1], 0, 0, 0, ""};
        std::size_t at = 2;
        if (entity.type == "INSERT") {
            entity.layer = fields[2];
            entity.text = fields[1];
            at = 3;
        }
        ASSERT_GE(fields.size(), at + 3) << lines[i];
        entity.x = std::stod(fields[at]);
        entity.y = std::stod(fields[at + 1]);
        entity.z = std::stod(fields[at + 2]);
        if (entity.type == "TEXT") {
            ASSERT_EQ(fields.size(), 7u) << lines[i];
            EXPECT_EQ(fields[5], "0.5") << lines[i];
            entity.text = fields[6];
        }
        entities.push_back(entity);
    }
    ASSERT_EQ(entities.size(), kSampleEntities.size()) << result.out;
    for (std::size_t i = 0; i < entities.size(); ++i)
        expectSameEntity(kSampleEntities[i], entities[i], i);
}

// ogrinfo with block geometries kept apart lists each inserted POINT and TEXT as a feature.
std::vector<Entity> ogrFeatures(const std::string& listing) {
    std::vector<Entity> features;
    for (const std::string& line : split(listing, '\n')) {
        if (line.rfind("OGRFeature(", 0) == 0) {
            features.push_back({"POINT", "", 0, 0, 0, ""});
        } else if (!features.empty() && line.rfind("  Layer (String) = ", 0) == 0) {
            features.back().layer = line.substr(19);
        } else if (!features.empty() && line.rfind("  Text (String) = ", 0) == 0) {
            features.back().type = "TEXT";
            features.back().text = line.substr(18);
        } else if (!features.empty() && line.rfind("  POINT Z (", 0) == 0) {
            std::istringstream coordinates(line.substr(11));
            coordinates >> features.back().x >> features.back().y >> features.back().z;
        }
    }
    return features;
}

TEST_F(DxfReaders, GdalListsEveryPointAndTextThroughTheCodePage) {
    const CommandResult result =
        run(kOgrinfo + " -al -q --config DXF_MERGE_BLOCK_GEOMETRIES FALSE '" + path + "'", dir);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    std::vector<Entity> expected;
    for (const Entity& entity : kSampleEntities) {
        if (entity.type != "INSERT") expected.push_back(entity);
    }
    const std::vector<Entity> features = ogrFeatures(result.out);
    ASSERT_EQ(features.size(), expected.size()) << result.out;
    for (std::size_t i = 0; i < features.size(); ++i) expectSameEntity(expected[i], features[i], i);
}

}  // namespace
}  // namespace korvela
