// The long file commands count their work for the status line: each ends with every unit of
// its total done, neither more nor less, also when the total is not a multiple of the batch.
// A stop requested meanwhile ends each at its next count, the files as they were.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <variant>

#include "common/local_time.h"
#include "common/safe_file_writer.h"
#include "common/work_progress.h"
#include "exchange/csv_points.h"
#include "exchange/dxf_writer.h"
#include "exchange/text_listing.h"
#include "exchange/workbook_reader.h"
#include "exchange/workbook_writer.h"
#include "points/view_state.h"
#include "points/point_store.h"
#include "points/point_store_grid.h"
#include "points/point_table_text.h"
#include "points/project_file.h"
#include "points/survey_reader.h"
#include "test_support.h"

namespace korvela {
namespace {

constexpr std::size_t kPoints = 40'123;  // two batches of the counter and a rest

PointStore survey() {
    PointStore store;
    store.reserve(kPoints);
    for (std::size_t i = 0; i < kPoints; ++i) {
        const double along = static_cast<double>(i);
        store.append(std::to_string(i + 1), 5412000 + along * 0.731, 7312000 + along * 0.519,
                     140 + along * 0.001, 0, i % 10 == 0 ? 0 : 1);
    }
    return store;
}

struct Work {
    const char* name;
    // Runs the command on `store` with files in `folder`; returns its total as expected.
    std::function<std::uint64_t(const PointStore&, const testing::TempDir&, WorkProgress&)> run;
};

const Work kWorks[] = {
    {"SurveyImport",
     [](const PointStore& store, const testing::TempDir& folder, WorkProgress& progress) {
         // The text listing of the store, read back on two threads: its body (all but the five
         // header lines) is counted once.
         const std::string path = folder.file("p.txt");
         EXPECT_FALSE(writeFileSafely(path, [&](std::ostream& out) {
             writeTextListing(store, LocalTime{2011, 1, 1, 9, 5, 7}, out);
         }));
         const std::string listing = testing::readFile(path);
         std::size_t bodyStart = 0;
         for (int line = 0; line < 5; ++line) bodyStart = listing.find('\n', bodyStart) + 1;
         PointStore read;
         EXPECT_FALSE(readSurveyFile(path, read, 2, &progress));
         EXPECT_EQ(read.count(), kPoints - (kPoints + 9) / 10);  // the kind-1 points
         return std::uint64_t{listing.size() - bodyStart};
     }},
    {"DxfExport",
     [](const PointStore& store, const testing::TempDir& folder, WorkProgress& progress) {
         const PointStoreGrid table(store);
         EXPECT_FALSE(writeDxfFile(folder.file("p.dxf"), table, kPointTableDxfColumns, store.kind(),
                                   true, &progress));
         return std::uint64_t{3} * kPoints;
     }},
    {"TextListing",
     [](const PointStore& store, const testing::TempDir& folder, WorkProgress& progress) {
         EXPECT_FALSE(writeFileSafely(folder.file("p.txt"), [&](std::ostream& out) {
             writeTextListing(store, LocalTime{2011, 1, 1, 9, 5, 7}, out, &progress);
         }));
         return std::uint64_t{kPoints};
     }},
    {"ProjectSave",
     [](const PointStore& store, const testing::TempDir& folder, WorkProgress& progress) {
         const std::vector<std::int32_t> selected(store.count(), 0);
         EXPECT_FALSE(
             saveProjectFile(folder.file("p.kpr"), ViewState{}, selected, store, &progress));
         return std::uint64_t{8} * kPoints;
     }},
    {"ProjectOpen",
     [](const PointStore& store, const testing::TempDir& folder, WorkProgress& progress) {
         const std::string path = folder.file("p.kpr");
         EXPECT_FALSE(
             saveProjectFile(path, ViewState{}, std::vector<std::int32_t>(kPoints, 0), store));
         EXPECT_TRUE(std::holds_alternative<ProjectContent>(openProjectFile(path, &progress)));
         return static_cast<std::uint64_t>(std::filesystem::file_size(path));
     }},
    {"CsvExport",
     [](const PointStore& store, const testing::TempDir& folder, WorkProgress& progress) {
         EXPECT_FALSE(writeFileSafely(folder.file("p.csv"), [&](std::ostream& out) {
             writeCsvPoints(store, CsvWriteOptions{}, out, &progress);
         }));
         return std::uint64_t{kPoints};
     }},
    {"WorkbookWrite",
     [](const PointStore& store, const testing::TempDir& folder, WorkProgress& progress) {
         EXPECT_FALSE(writeWorkbookPoints(folder.file("1.xlsx"), store, &progress));
         return std::uint64_t{kPoints};
     }},
    {"WorkbookRead",
     [](const PointStore& store, const testing::TempDir& folder, WorkProgress& progress) {
         const std::string path = folder.file("1.xlsx");
         EXPECT_FALSE(writeWorkbookPoints(path, store));
         PointStore read;
         EXPECT_FALSE(readWorkbookPointsFile(path, read, {}, &progress));
         EXPECT_EQ(read.count(), kPoints);
         return progress.total();  // the sheet's unpacked size, known only to the package
     }},
};

class FileProgressTest : public ::testing::TestWithParam<Work> {};

TEST_P(FileProgressTest, CountsEveryUnitOfItsTotal) {
    static const PointStore store = survey();
    const testing::TempDir folder;
    WorkProgress progress;
    EXPECT_EQ(progress.percent(), std::nullopt);
    const std::uint64_t expectedTotal = GetParam().run(store, folder, progress);
    EXPECT_GT(progress.total(), kPoints / 2);
    EXPECT_EQ(progress.total(), expectedTotal);
    EXPECT_EQ(progress.done(), progress.total());
    EXPECT_EQ(progress.percent(), 100);
}

INSTANTIATE_TEST_SUITE_P(Commands, FileProgressTest, ::testing::ValuesIn(kWorks),
                         [](const auto& info) { return std::string(info.param.name); });

const LocalTime kListingTime{2011, 1, 1, 9, 5, 7};

// The file a command starts from: what a reader reads, the old file a writer would replace.
using FileBefore = std::function<void(const PointStore&, const std::string& path)>;
const FileBefore kOldFile = [](const PointStore&, const std::string& path) {
    testing::writeFile(path, "the file written before\n");
};
const FileBefore kListing = [](const PointStore& store, const std::string& path) {
    EXPECT_FALSE(writeFileSafely(
        path, [&](std::ostream& out) { writeTextListing(store, kListingTime, out); }));
};

struct StoppedWork {
    const char* name;
    FileBefore before;
    std::function<void(const PointStore&, const std::string& path, WorkProgress&)> run;
};

const StoppedWork kStoppedWorks[] = {
    {"SurveyImport", kListing,
     [](const PointStore&, const std::string& path, WorkProgress& progress) {
         PointStore read;
         readSurveyFile(path, read, 2, &progress);
     }},
    {"CsvImport", kListing,
     [](const PointStore&, const std::string& path, WorkProgress& progress) {
         PointStore read;
         readCsvPoints(testing::readFile(path), CsvLayout{}, read, &progress);
     }},
    {"ProjectOpen",
     [](const PointStore& store, const std::string& path) {
         EXPECT_FALSE(saveProjectFile(path, ViewState{}, {}, store));
     },
     [](const PointStore&, const std::string& path, WorkProgress& progress) {
         openProjectFile(path, &progress);
     }},
    {"WorkbookRead",
     [](const PointStore& store, const std::string& path) {
         EXPECT_FALSE(writeWorkbookPoints(path, store));
     },
     [](const PointStore&, const std::string& path, WorkProgress& progress) {
         PointStore read;
         readWorkbookPointsFile(path, read, {}, &progress);
     }},
    {"DxfExport", kOldFile,
     [](const PointStore& store, const std::string& path, WorkProgress& progress) {
         writeDxfFile(path, PointStoreGrid(store), kPointTableDxfColumns, store.kind(), true,
                      &progress);
     }},
    {"TextListing", kOldFile,
     [](const PointStore& store, const std::string& path, WorkProgress& progress) {
         writeFileSafely(path, [&](std::ostream& out) {
             writeTextListing(store, kListingTime, out, &progress);
         });
     }},
    {"ProjectSave", kOldFile,
     [](const PointStore& store, const std::string& path, WorkProgress& progress) {
         saveProjectFile(path, ViewState{}, {}, store, &progress);
     }},
    {"CsvExport", kOldFile,
     [](const PointStore& store, const std::string& path, WorkProgress& progress) {
         writeFileSafely(path, [&](std::ostream& out) {
             writeCsvPoints(store, CsvWriteOptions{}, out, &progress);
         });
     }},
    {"WorkbookWrite", kOldFile,
     [](const PointStore& store, const std::string& path, WorkProgress& progress) {
         writeWorkbookPoints(path, store, &progress);
     }},
};

class StoppedWorkTest : public ::testing::TestWithParam<StoppedWork> {};

TEST_P(StoppedWorkTest, EndsAtItsNextCountLeavingItsFileAsItWas) {
    static const PointStore store = survey();
    const testing::TempDir folder;
    const std::string path = folder.file("file");
    GetParam().before(store, path);
    const std::string bytesBefore = testing::readFile(path);
    WorkProgress progress;
    progress.requestStop();
    EXPECT_THROW(GetParam().run(store, path, progress), WorkStopped);
    EXPECT_LT(progress.done(), kPoints / 2);
    EXPECT_EQ(testing::readFile(path), bytesBefore);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
}

INSTANTIATE_TEST_SUITE_P(Commands, StoppedWorkTest, ::testing::ValuesIn(kStoppedWorks),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace korvela
