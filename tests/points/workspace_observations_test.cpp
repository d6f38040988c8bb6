// The observations kept beside the points: which commands replace them, keep them, and how
// undo and redo bring them back.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "points/workspace.h"

namespace korvela {
namespace {

using Kind = WorkspaceChange::Kind;

PointStore pointsNumbered(const std::vector<std::string>& numbers) {
    PointStore store;
    for (const std::string& number : numbers) {
        const double x = static_cast<double>(store.count() + 1);
        store.append(number, x, 2 * x, 3 * x, kColourAqua, kKindPoint);
    }
    return store;
}

// A set-up at `station` with one sight to each target.
ObservationList observationsFrom(const std::string& station, std::vector<std::string> targets) {
    ObservationList list;
    list.names.append(station);
    list.setUps.push_back({0, 1.5, VerticalReading::Zenith});
    for (const std::string& target : targets) {
        list.names.append(target);
        Sight sight;
        sight.target = static_cast<std::uint32_t>(list.names.size() - 1);
        // Every other sight without its distance: a value not recorded in both lists counts
        // as the same.
        sight.value[0] = 10.0 * static_cast<double>(list.sights.size());
        sight.value[1] = 90;
        sight.value[2] = list.sights.size() % 2 == 0 ? 25 : kNotRecorded;
        list.sights.push_back(sight);
    }
    return list;
}

class Recorder : public WorkspaceObserver {
public:
    void workspaceChanged(const WorkspaceChange& change) override { kinds.push_back(change.kind); }
    std::vector<Kind> kinds;
};

struct Coordinates {
    std::vector<double> x, y, z;
    bool operator==(const Coordinates&) const = default;
};
Coordinates coordinatesOf(const PointStore& store) { return {store.x(), store.y(), store.z()}; }

// A command on a workspace holding an import of a-c with observations; what the observations
// and points must be after it, and whether undo and redo bring each state back.
TEST(WorkspaceObservations, CommandsReplaceOrKeepThemAndUndoRestoresThem) {
    const ObservationList imported = observationsFrom("S", {"a", "b", "c"});
    const ObservationList other = observationsFrom("T", {"x"});
    ObservationList excluded = imported;
    excluded.sights[0].excluded = excluded.sights[2].excluded = true;
    const PointStore importedPoints = pointsNumbered({"a", "b", "c"});
    PointStore moved = importedPoints;
    moved.setX(1, 100);
    moved.setZ(1, -5);
    moved.append("n", 7, 8, 9, kColourAqua, kKindStation);

    const struct {
        const char* what;
        std::function<void(Workspace&)> command;
        ObservationList observations;
        Kind announced;
    } cases[] = {
        {"import", [&](Workspace& w) { w.replaceAll(pointsNumbered({"x"}), other, {}, "f.sdr"); },
         other, Kind::Replaced},
        {"close", [](Workspace& w) { w.replaceAll(PointStore(), ObservationList(), {}, ""); },
         ObservationList(), Kind::Replaced},
        {"edit all", [](Workspace& w) { w.replace(pointsNumbered({"p", "q"}), {}, "f.sdr"); },
         imported, Kind::Replaced},
        {"join", [](Workspace& w) { w.append(pointsNumbered({"j"})); }, imported, Kind::Appended},
        {"exclude", [](Workspace& w) { w.setSightsExcluded({0, 2}, true); }, excluded,
         Kind::ObservationsChanged},
        {"coordinates",
         [](Workspace& w) {
             w.setCoordinates({{1, 100, 4, -5}}, pointsNumbered({"n"}));
         },
         imported, Kind::Replaced},
    };
    for (const auto& c : cases) {
        Workspace workspace;
        workspace.replaceAll(importedPoints, imported, {}, "f.sdr");
        Recorder recorder;
        workspace.addObserver(recorder);
        c.command(workspace);
        EXPECT_EQ(recorder.kinds, std::vector<Kind>{c.announced}) << c.what;
        EXPECT_EQ(workspace.observations(), c.observations) << c.what;
        const ObservationList after = workspace.observations();
        const Coordinates pointsAfter = coordinatesOf(workspace.store());
        ASSERT_TRUE(workspace.undo()) << c.what;
        EXPECT_EQ(workspace.observations(), imported) << c.what;
        EXPECT_EQ(coordinatesOf(workspace.store()), coordinatesOf(importedPoints)) << c.what;
        ASSERT_TRUE(workspace.redo()) << c.what;
        EXPECT_EQ(workspace.observations(), after) << c.what;
        EXPECT_EQ(coordinatesOf(workspace.store()), pointsAfter) << c.what;
        workspace.removeObserver(recorder);
    }
}

TEST(WorkspaceObservations, SetCoordinatesMovesPointsAndAppendsStationsUnselected) {
    Workspace workspace;
    workspace.replaceAll(pointsNumbered({"a", "b", "c"}), ObservationList(), {1, 1, 1}, "f.sdr");
    PointStore stations;
    stations.append("n", 7, 8, 9, kColourAqua, kKindStation);
    workspace.setCoordinates({{1, 100, 4, -5}, {2, 0.5, 0.25, 0}}, stations);
    const PointStore& store = workspace.store();
    EXPECT_EQ(store.x(), (std::vector<double>{1, 100, 0.5, 7}));
    EXPECT_EQ(store.y(), (std::vector<double>{2, 4, 0.25, 8}));
    EXPECT_EQ(store.z(), (std::vector<double>{3, -5, 0, 9}));
    EXPECT_EQ(store.kind()[3], kKindStation);
    EXPECT_EQ(workspace.selected(), (std::vector<std::int32_t>{1, 1, 1, 0}));
    EXPECT_EQ(workspace.history().undoName(), "Записать координаты");
    EXPECT_THROW(workspace.setCoordinates({{9, 0, 0, 0}}, PointStore()), std::out_of_range);

    // The same result written again changes nothing: no step, no announcement.
    Recorder recorder;
    workspace.addObserver(recorder);
    const std::size_t steps = workspace.history().undoCount();
    workspace.setCoordinates({{1, 100, 4, -5}, {2, 0.5, 0.25, 0}}, PointStore());
    EXPECT_EQ(workspace.history().undoCount(), steps);
    EXPECT_TRUE(recorder.kinds.empty());
    workspace.removeObserver(recorder);
}

// Flags already as asked make no step and announce nothing; a sight outside the list is refused before any change.
TEST(WorkspaceObservations, ExcludingSightsAlreadyExcludedMakesNoStep) {
    Workspace workspace;
    workspace.replaceAll(pointsNumbered({"a"}), observationsFrom("S", {"a", "b"}), {}, "f.sdr");
    const std::size_t steps = workspace.history().undoCount();
    Recorder recorder;
    workspace.addObserver(recorder);
    workspace.setSightsExcluded({0}, false);
    EXPECT_EQ(workspace.history().undoCount(), steps);
    EXPECT_TRUE(recorder.kinds.empty());  // nothing announced either
    workspace.removeObserver(recorder);
    workspace.setSightsExcluded({1}, true, "Исключить наблюдение");
    EXPECT_EQ(workspace.history().undoName(), "Исключить наблюдение");
    EXPECT_THROW(workspace.setSightsExcluded({5}, true), std::out_of_range);
    EXPECT_TRUE(workspace.observations().sights[1].excluded);
}

}  // namespace
}  // namespace korvela
