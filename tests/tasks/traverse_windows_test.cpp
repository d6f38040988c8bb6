// The traverse window's controls and its computation, and the field journal, driven through
// the main window's menus and the real windows, on a survey written from chosen coordinates.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTableView>

#include "link_traverse_survey.h"
#include "main_window_fixture.h"
#include "tasks/field_journal.h"
#include "tasks/field_journal_model.h"
#include "tasks/tform11.h"
#include "tasks/tform8.h"
#include "ui/tolerances.h"

namespace korvela {
namespace {

using testing::linkGeometry;
using testing::linkTraverse;

bool samePoints(const PointStore& a, const PointStore& b) {
    return a.number() == b.number() && a.x() == b.x() && a.y() == b.y() && a.z() == b.z() &&
           a.kind() == b.kind();
}

class TraverseWindowsTest : public testing::MainWindowFixture {
protected:
    TForm11& traverse() { return *forms.form11; }
    template <typename Control>
    Control* control(const char* name) {
        return traverse().findChild<Control*>(name);
    }

    std::size_t pointNumbered(const std::string& number) {
        const PointStore& store = data.points.store();
        for (std::size_t i = 0; i < store.count(); ++i) {
            if (store.number()[i] == number) return i;
        }
        ADD_FAILURE() << "no point " << number;
        return 0;
    }

    void addFromFileList(const QString& station) {
        QComboBox* stations = control<QComboBox>("FileStations");
        stations->setCurrentIndex(stations->findText(station));
        QTest::mouseClick(control<QPushButton>("AddStationButton"), Qt::LeftButton);
    }

    void pickPath(std::initializer_list<const char*> stations) {
        action("N16")->trigger();
        for (const char* station : stations) addFromFileList(QString::fromUtf8(station));
    }

    void compute() { QTest::mouseClick(control<QPushButton>("Button1"), Qt::LeftButton); }

    QString sights(const char* box) { return control<QPlainTextEdit>(box)->toPlainText(); }
    QString report() { return forms.form8->findChild<QPlainTextEdit*>("Memo1")->toPlainText(); }
};

TEST_F(TraverseWindowsTest, ThePathComesFromTheFilesStationsAndThePickingRulesAndOnlyClearEmptiesIt) {
    importSurveyBytes(linkTraverse());
    QComboBox* stations = control<QComboBox>("FileStations");
    ASSERT_EQ(stations->count(), 4);
    EXPECT_EQ(stations->itemText(0), "A");
    EXPECT_EQ(stations->itemText(3), "B");

    pickPath({"A", "P1", "P2"});
    EXPECT_EQ(sights("StartSights"), "OA");  // the first station's backsight
    setTicked(static_cast<int>(pointNumbered("B")), true);  // the table's picking rule
    addFromFileList("P1");                                   // no repeats
    EXPECT_EQ(traverse().stations(), (std::vector<std::string>{"A", "P1", "P2", "B"}));
    EXPECT_EQ(sights("EndSights"), "OB");  // the known point the last station sighted

    control<QCheckBox>("ClosedBox")->setChecked(true);
    control<QCheckBox>("HangingBox")->setChecked(true);
    EXPECT_FALSE(control<QCheckBox>("ClosedBox")->isChecked());
    control<QComboBox>("MethodBox")->setCurrentIndex(1);
    control<QPlainTextEdit>("StartSights")->setPlainText(" OA \n\nOB\n");
    const TraverseRequest request = traverse().request();
    EXPECT_EQ(request.shape, TraverseShape::Hanging);
    EXPECT_EQ(request.method, TraverseMethod::LeastSquares);
    EXPECT_EQ(request.startSights, (std::vector<std::string>{"OA", "OB"}));

    importSurveyBytes(linkTraverse());  // a new import keeps the list
    EXPECT_EQ(traverse().stations().size(), 4u);
    QTest::mouseClick(control<QPushButton>("ClearButton"), Qt::LeftButton);
    EXPECT_TRUE(traverse().stations().empty());
    EXPECT_EQ(control<QListWidget>("ListBox1")->count(), 0);
    EXPECT_TRUE(sights("StartSights").isEmpty());
    EXPECT_TRUE(sights("EndSights").isEmpty());
    traverse().Button1Click();
    EXPECT_EQ(dialogs.takeMessages().size(), 1);  // no path: refused
}

// The inner stations take the computed coordinates in one step that undo takes back; beyond
// a limit only when the user agrees, and the limits are read afresh at each computation.
TEST_F(TraverseWindowsTest, TheButtonWritesTheComputedStationsAsOneStep) {
    const struct {
        const char* name;
        double slopeShift;
        int method;
        std::optional<double> relativeLimit;
        std::optional<bool> answer;  // the question beyond a limit, when it comes
        bool written;
        double within;  // of the true coordinates, m
    } cases[] = {
        {"exact, distributed", 0, 0, {}, {}, true, 0.001},
        {"exact, least squares", 0, 1, {}, {}, true, 0.001},
        {"beyond 1:2000, not written", 1.0, 0, {}, false, false, 0},
        {"beyond 1:2000, written", 1.0, 0, {}, true, true, 0.6},
        {"within a limit of 1:500", 1.0, 0, 500, {}, true, 0.6},
    };
    const testing::SdrSurveyText geometry = linkGeometry();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        write(traverseTolerance(&TraverseSettings::relativeLimit).preference,
              c.relativeLimit.value_or(TraverseSettings{}.relativeLimit));
        importSurveyBytes(linkTraverse(c.slopeShift));
        const std::size_t p1 = pointNumbered("P1"), p2 = pointNumbered("P2");
        const PointStore before = data.points.store();
        QTest::mouseClick(control<QPushButton>("ClearButton"), Qt::LeftButton);
        pickPath({"A", "P1", "P2", "B"});
        control<QComboBox>("MethodBox")->setCurrentIndex(c.method);
        if (c.answer) dialogs.answerYesNo(*c.answer);
        compute();

        EXPECT_FALSE(traverse().isVisible());
        EXPECT_TRUE(forms.form8->isVisible());
        EXPECT_EQ(report().contains(QString::fromUtf8("Ведомость оценки точности")), c.method == 1);
        EXPECT_EQ(dialogs.takeMessages().size(), c.answer ? 1 : 0);
        if (!c.written) {
            EXPECT_TRUE(samePoints(data.points.store(), before));
            continue;
        }
        EXPECT_EQ(data.points.history().undoName(), "Уравнивание хода");
        for (const auto& [point, number] : {std::pair{p1, "P1"}, std::pair{p2, "P2"}}) {
            const auto& at = geometry.at(number);
            EXPECT_NEAR(data.points.store().x()[point], at.x, c.within) << number;
            EXPECT_NEAR(data.points.store().y()[point], at.y, c.within) << number;
            EXPECT_NEAR(data.points.store().z()[point], at.z, c.within) << number;
        }
        EXPECT_EQ(data.points.store().count(), before.count());
        action("Undo1")->trigger();
        EXPECT_TRUE(samePoints(data.points.store(), before));
    }
}

TEST_F(TraverseWindowsTest, ARefusalNamesItsCauseAndChangesNothing) {
    const struct {
        const char* name;
        std::initializer_list<const char*> path;
    } cases[] = {
        {"one station", {"A"}},
        {"no observation between P1 and B", {"A", "P1", "B"}},
    };
    importSurveyBytes(linkTraverse());
    const PointStore before = data.points.store();
    const std::string step = data.points.history().undoName();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTest::mouseClick(control<QPushButton>("ClearButton"), Qt::LeftButton);
        pickPath(c.path);
        compute();
        EXPECT_EQ(dialogs.takeMessages().size(), 1);
        EXPECT_FALSE(forms.form8->isVisible());
        EXPECT_TRUE(samePoints(data.points.store(), before));
        EXPECT_EQ(data.points.history().undoName(), step);
    }
}

class FieldJournalTest : public TraverseWindowsTest {
protected:
    FieldJournalTest() {
        importSurveyBytes(linkTraverse(0, 60));
        action("FieldJournal1")->trigger();
    }
    QAbstractItemModel& journal() {
        return *forms.fieldJournal->findChild<QTableView*>("JournalGrid")->model();
    }
    QString text(int row, int column) { return journal().index(row, column).data().toString(); }

    // The row of the face's sight from station to target.
    int rowOf(const char* station, const char* target, const char* face) {
        for (int row = 0; row < journal().rowCount(); ++row) {
            if (text(row, FieldJournalModel::StationColumn) == station &&
                text(row, FieldJournalModel::TargetColumn) == target &&
                text(row, FieldJournalModel::FaceColumn) == face)
                return row;
        }
        ADD_FAILURE() << station << " → " << target << ' ' << face;
        return 0;
    }
};

TEST_F(FieldJournalTest, ShowsEachSightUnderItsSetUpWithItsReductionsAndMarksTheBlunder) {
    EXPECT_TRUE(forms.fieldJournal->isVisible());
    const ObservationList& observations = data.points.observations();
    EXPECT_EQ(journal().rowCount(),
              static_cast<int>(observations.setUps.size() + observations.sights.size()));
    EXPECT_EQ(text(0, FieldJournalModel::StationColumn), "A");  // the first set-up's row
    EXPECT_TRUE(text(0, FieldJournalModel::TargetColumn).isEmpty());

    const testing::SdrSurveyText geometry = linkGeometry();
    const struct {
        const char *station, *target, *face;
    } sights[] = {{"A", "P1", "КЛ"}, {"P2", "P1", "КП"}, {"B", "OB", "КЛ"}};
    for (const auto& s : sights) {
        SCOPED_TRACE(std::string(s.station) + " → " + s.target);
        const int row = rowOf(s.station, s.target, s.face);
        EXPECT_NEAR(text(row, FieldJournalModel::HorizontalDistanceColumn).toDouble(),
                    geometry.distance(s.station, s.target), 0.0005);
        EXPECT_NEAR(text(row, FieldJournalModel::HeightDifferenceColumn).toDouble(),
                    geometry.at(s.target).z - geometry.at(s.station).z, 0.0005);
        EXPECT_FALSE(journal().index(row, 0).data(Qt::BackgroundRole).isValid());
    }
    for (const char* face : {"КЛ", "КП"}) {  // 60″ of 2c, beyond 30″
        const QModelIndex marked = journal().index(rowOf("P1", "D", face), 0);
        EXPECT_TRUE(marked.data(Qt::BackgroundRole).isValid()) << face;
        EXPECT_TRUE(marked.data(Qt::ToolTipRole).toString().contains("2c")) << face;
    }
}

TEST_F(FieldJournalTest, ATickExcludesTheSightInOneStepAndTheJournalFollowsTheWorkspace) {
    const int row = rowOf("P1", "P2", "КЛ");
    const QModelIndex box = journal().index(row, FieldJournalModel::ExcludedColumn);
    const auto excluded = [&] {
        const auto sight = static_cast<const FieldJournalModel&>(journal()).sightOfRow(row);
        return data.points.observations().sights[*sight].excluded;
    };
    ASSERT_TRUE(journal().setData(box, Qt::Checked, Qt::CheckStateRole));
    EXPECT_TRUE(excluded());
    EXPECT_EQ(box.data(Qt::CheckStateRole), Qt::Checked);
    EXPECT_EQ(data.points.history().undoName(), "Исключить наблюдение");
    action("Undo1")->trigger();
    EXPECT_FALSE(excluded());
    EXPECT_EQ(box.data(Qt::CheckStateRole), Qt::Unchecked);
    EXPECT_FALSE(journal().setData(journal().index(0, 0), Qt::Checked, Qt::CheckStateRole));

    action("CloseProject1")->trigger();
    EXPECT_EQ(journal().rowCount(), 0);
    action("Undo1")->trigger();
    EXPECT_EQ(journal().rowCount(), static_cast<int>(data.points.observations().setUps.size() +
                                                     data.points.observations().sights.size()));
}

}  // namespace
}  // namespace korvela
