// Writes the seed corpus of the project reader: projects of the example surveys as the
// import leaves them, an empty one, a small one with frozen, selected and odd points, and one
// whose `kind` and `active` hold values another program may have written (7, -1).
// Usage: korvela_project_seeds OUT_FOLDER SURVEY...
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "plan/plan_view.h"
#include "points/point_store.h"
#include "points/project_file.h"

namespace {

using korvela::PointStore;
using korvela::ViewState;

bool save(const std::filesystem::path& path, const ViewState& view,
          const std::vector<std::int32_t>& selected, const PointStore& store) {
    if (const auto error = korvela::saveProjectFile(path.string(), view, selected, store)) {
        std::cerr << error->message() << '\n';
        return false;
    }
    return true;
}

bool saveOddProject(const std::filesystem::path& path) {
    PointStore store;
    store.append("ST1", 5412100, 7312100, 151.2, korvela::kColourAqua, korvela::kKindStation);
    store.append("", -0.0, std::numeric_limits<double>::quiet_NaN(), 1e308, korvela::kColourGreen,
                 korvela::kKindPoint);
    store.append(
        "\xCF\xD3"
        "1",
        1, 2, 3, -1, 7);
    store.setActive(1, 0);
    ViewState view;
    view.rollDeg = 90.5;
    view.scale = -1;
    view.cursorRadius = 12;
    view.showNumbers = 0;
    view.scaleLabelsWithZoom = 1;
    return save(path, view, {1, 0, 2}, store);
}

// A project of two points whose flags, as bytes in the file, are neither 0 nor 1: the store
// never writes such values, so they are put into the saved bytes.
bool saveForeignFlagsProject(const std::filesystem::path& path) {
    PointStore store;
    store.append("1", 10, 20, 30, korvela::kColourAqua, korvela::kKindPoint);
    store.append("2", 11, 21, 31, korvela::kColourAqua, korvela::kKindStation);
    std::ostringstream out;
    korvela::writeProject(out, ViewState(), {0, 1}, store);
    std::string bytes = out.str();
    constexpr std::size_t kFirstKind = 88 + 4 + 2 * 4 + 4;  // view, selection, kind's count
    constexpr std::size_t kFirstActive = kFirstKind + 2 * 4 + 4;
    const std::int32_t seven = 7, minusOne = -1;  // little-endian host, as the file
    std::memcpy(bytes.data() + kFirstKind, &seven, sizeof seven);
    std::memcpy(bytes.data() + kFirstActive + 4, &minusOne, sizeof minusOne);
    std::ofstream file(path, std::ios::binary);
    file << bytes;
    return static_cast<bool>(file.flush());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: korvela_project_seeds OUT_FOLDER SURVEY...\n";
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    bool written = save(folder / "empty.kpr", ViewState(), {}, PointStore()) &&
                   saveOddProject(folder / "odd.kpr") &&
                   saveForeignFlagsProject(folder / "foreign-flags.kpr");
    for (int i = 2; i < argc && written; ++i) {
        PointStore store;
        if (const auto error = store.loadSurveyFile(argv[i])) {
            std::cerr << error->message() << '\n';
            return 1;
        }
        ViewState view;
        korvela::CentreViewOnStore(view, store);
        const std::string name = std::filesystem::path(argv[i]).filename().string() + ".kpr";
        written = save(folder / name, view, std::vector<std::int32_t>(store.count(), 0), store);
    }
    return written ? 0 : 1;
}
