// Each undoable command driven through the handler the user reaches (a menu command, a
// button, a dialog), then taken back and repeated while model testers check every signal of
// the tables; and each command run so that it changes nothing, which records no step and
// announces nothing.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <numbers>

#include "exchange/tform10.h"
#include "exchange/workbook_reader.h"
#include "exchange/workbook_writer.h"
#include "main_window_fixture.h"
#include "points/point_table_text.h"
#include "points/project_extension.h"
#include "tasks/cogo_window.h"
#include "tasks/field_journal.h"
#include "tasks/field_journal_model.h"
#include "tasks/link_traverse_survey.h"
#include "tasks/tform11.h"

namespace korvela {
namespace {

using testing::Seen;

// The points, flags and observations a command should leave, worked out by hand from those
// it found. A coordinate expected as NaN is one the command does not determine.
struct Expected {
    PointStore points;
    std::vector<std::int32_t> selected;
    ObservationList observations;
    double tolerance = 0;  // for the coordinates, m
};

// The height of a point the command places in plan only.
constexpr double kUndetermined = std::numeric_limits<double>::quiet_NaN();

void appendPoint(Expected& expected, const char* number, double x, double y, double z,
                 std::int32_t colour, std::int32_t kind) {
    expected.points.append(number, x, y, z, colour, kind);
    expected.selected.push_back(0);
}

void expectCoordinate(double expected, double got, double tolerance, const std::string& what) {
    if (!std::isnan(expected)) {
        EXPECT_NEAR(got, expected, tolerance) << what;
    }
}

void expectPoints(const Expected& expected, const Workspace& got) {
    const PointStore &want = expected.points, &have = got.store();
    ASSERT_EQ(have.count(), want.count());
    for (std::size_t i = 0; i < want.count(); ++i) {
        const std::string number(want.number()[i]);
        EXPECT_EQ(have.number()[i], number) << i;
        expectCoordinate(want.x()[i], have.x()[i], expected.tolerance, number + " x");
        expectCoordinate(want.y()[i], have.y()[i], expected.tolerance, number + " y");
        expectCoordinate(want.z()[i], have.z()[i], expected.tolerance, number + " z");
        EXPECT_EQ(have.active()[i], want.active()[i]) << number;
        EXPECT_EQ(have.kind()[i], want.kind()[i]) << number;
        EXPECT_EQ(have.colour()[i], want.colour()[i]) << number;
    }
    EXPECT_EQ(got.selected(), expected.selected);
    // Compared as the project file keeps them: a value not recorded is NaN.
    EXPECT_EQ(projectExtensionBytes(got.observations()),
              projectExtensionBytes(expected.observations));
}

// Counts every signal by which a model announces a change.
class ModelSignals {
public:
    explicit ModelSignals(QAbstractItemModel* model) {
        const auto count = [this] { ++count_; };
        using Model = QAbstractItemModel;
        QObject::connect(model, &Model::dataChanged, &receiver_, count);
        QObject::connect(model, &Model::headerDataChanged, &receiver_, count);
        QObject::connect(model, &Model::layoutChanged, &receiver_, count);
        QObject::connect(model, &Model::modelReset, &receiver_, count);
        QObject::connect(model, &Model::rowsInserted, &receiver_, count);
        QObject::connect(model, &Model::rowsRemoved, &receiver_, count);
        QObject::connect(model, &Model::columnsInserted, &receiver_, count);
        QObject::connect(model, &Model::columnsRemoved, &receiver_, count);
    }
    int count() const { return count_; }

private:
    QObject receiver_;
    int count_ = 0;
};

class UndoHandlersTest;

struct HandlerCase {
    const char* id;                                  // the test's name
    const char* step;                                // the step's name in the Undo command
    std::function<void(UndoHandlersTest&)> prepare;  // ticks and windows, before the command
    std::function<void(UndoHandlersTest&)> run;
    // The state before made into the one the command should leave.
    std::function<void(UndoHandlersTest&, Expected&)> expect;
    bool movesView;  // the points come off the plan, so the plan shows them all
    std::function<void(UndoHandlersTest&)> runChangingNothing;
    bool changesNothingTheSecondTime;  // runChangingNothing runs once before it is checked
    friend void PrintTo(const HandlerCase& c, std::ostream* out) { *out << c.id; }
};

class UndoHandlersTest : public testing::MainWindowFixture,
                         public ::testing::WithParamInterface<HandlerCase> {
public:
    // The link traverse's survey, three known points ticked, a text that is no number typed
    // into a cell, the plan looking far from every point.
    UndoHandlersTest() {
        importSurveyBytes(testing::linkTraverse());
        for (const char* number : kBasePoints) setTicked(pointNumbered(number), true);
        typeInto(pointNumbered("OB"), kHeightColumn, "12a");
        data.view.change([](ViewState& view) { view.offsetX += 1e6; });
        forms.form10->setWorkbookFolder(QString::fromStdString(workbooks.path().string()));
        forms.form10->setDocumentOpener([this](const QString& path) {
            if (userEdit) userEdit(path.toStdString());
            QTimer::singleShot(0, forms.form10.get(), [this] { leaveWorkbook(); });
            return true;
        });
    }

    int pointNumbered(const std::string& number) {
        const PointStore& store = data.points.store();
        for (std::size_t i = 0; i < store.count(); ++i) {
            if (store.number()[i] == number) return static_cast<int>(i);
        }
        ADD_FAILURE() << "no point " << number;
        return 0;
    }

    // "Добавить много точек", the user filling the workbook with these rows.
    void addMany(const PointStore& rows) {
        userEdit = [rows](const std::string& path) {
            ASSERT_FALSE(writeWorkbookPoints(path, rows));
        };
        action("N15")->trigger();
    }

    // "Отредактировать всё в Excel", the user editing the workbook's points so.
    void editAll(const std::function<void(PointStore&)>& edit) {
        userEdit = [edit](const std::string& path) {
            PointStore points;
            ASSERT_FALSE(readWorkbookPointsFile(path, points));
            edit(points);
            ASSERT_FALSE(writeWorkbookPoints(path, points));
        };
        action("Excel1")->trigger();
    }

    // File ▸ "Add to Project" through the base points a, b, c of the second survey.
    void addToProject(bool cancelled = false) {
        answerSecondSurvey({"a", "b", "c"}, cancelled);
        if (!cancelled) answerNumbers("a", "b", "c");
        action("AddtoProject1")->trigger();
    }

    // Задачи ▸ "Трансформация по общим точкам", the common points numbered as in the first.
    void transform(bool cancelled = false) {
        answerSecondSurvey(kBasePoints, cancelled);
        action("Transform1")->trigger();
    }

    // A second survey, the first turned by -90° about the vertical through the origin (x, y
    // become y, -x): A, OA and B under the given numbers, and one more point at kSecondOnly;
    // the file dialog answers it (or is cancelled).
    void answerSecondSurvey(std::array<const char*, 3> numbers, bool cancelled = false) {
        std::string bytes = "second\r\n";
        const PointStore& store = data.points.store();
        for (std::size_t k = 0; k < numbers.size(); ++k) {
            const auto i = static_cast<std::size_t>(pointNumbered(kBasePoints[k]));
            bytes += surveyLine(numbers[k], store.y()[i], -store.x()[i], store.z()[i]);
        }
        bytes += surveyLine("n", kSecondOnly[0], kSecondOnly[1], kSecondOnly[2]);
        const std::string path = surveys.file("second.txt");
        testing::writeFile(path, bytes);
        dialogs.answer(cancelled ? std::nullopt : std::optional(QString::fromStdString(path)));
    }

    void pickTraversePath() {
        action("N16")->trigger();
        auto* stations = forms.form11->findChild<QComboBox*>("FileStations");
        for (const char* station : {"A", "P1", "P2", "B"}) {
            stations->setCurrentIndex(stations->findText(station));
            QTest::mouseClick(forms.form11->findChild<QPushButton*>("AddStationButton"),
                              Qt::LeftButton);
        }
    }
    // "Расчитать элементы хода" in the traverse window, the path as picked.
    void computeTraverse() {
        action("N16")->trigger();
        QTest::mouseClick(forms.form11->findChild<QPushButton*>("Button1"), Qt::LeftButton);
    }

    QAbstractItemModel& journal() {
        return *forms.fieldJournal->findChild<QTableView*>("JournalGrid")->model();
    }
    // The field journal opened, its model under a tester too.
    void openJournal() {
        action("FieldJournal1")->trigger();
        journalTester = std::make_unique<QAbstractItemModelTester>(
            &journal(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    }
    int firstSightRow() {
        const auto& model = static_cast<const FieldJournalModel&>(journal());
        for (int row = 0; row < model.rowCount(); ++row) {
            if (model.sightOfRow(row)) return row;
        }
        ADD_FAILURE() << "no sight in the journal";
        return 0;
    }
    void tickSight(int row, Qt::CheckState state) {
        journal().setData(journal().index(row, FieldJournalModel::ExcludedColumn), state,
                          Qt::CheckStateRole);
    }

    CogoWindow& cogo() { return *main().findChild<CogoWindow*>("CogoWindow"); }
    void openCogoTab(const char* tab) {
        action("Cogo1")->trigger();
        auto* tabs = cogo().findChild<QTabWidget*>("Tasks");
        tabs->setCurrentWidget(cogo().findChild<QWidget*>(tab));
    }
    void typeInCogo(const char* field, const QString& text) {
        cogo().findChild<QLineEdit*>(field)->setText(text);
    }
    // The directional angles from A and OB to kNewPoint typed as the intersection's rays.
    void fillIntersection() {
        openCogoTab("IntersectionTab");
        auto* rays = cogo().findChild<QTableWidget*>("IntersectionRays");
        const PointStore& store = data.points.store();
        int row = 0;
        for (const char* number : {"A", "OB"}) {
            const auto i = static_cast<std::size_t>(pointNumbered(number));
            const double angle =
                std::atan2(kNewPoint[1] - store.y()[i], kNewPoint[0] - store.x()[i]);
            const double degrees = std::fmod(angle * 180 / std::numbers::pi + 360, 360);
            rays->setItem(row, 0, new QTableWidgetItem(number));
            rays->setItem(row++, 1, new QTableWidgetItem(QString::number(degrees, 'f', 10)));
        }
        typeInCogo("IntersectionName", "N1");
    }
    void computeCogo() { cogo().findChild<QPushButton*>("Compute")->click(); }

    // The join pairs its base points in store order with the numbers typed.
    static constexpr std::array<const char*, 3> kBasePoints = {"OA", "A", "B"};
    static constexpr double kSecondOnly[] = {150, 250, 4};  // in the second survey
    static constexpr double kNewPoint[] = {1200, 1250};     // the intersection's point

    std::function<void(const std::string& path)> userEdit;
    testing::TempDir workbooks;
    // Every signal of the point table checked against the model rules while a test runs.
    QAbstractItemModelTester tableTester{model(),
                                         QAbstractItemModelTester::FailureReportingMode::Fatal};
    std::unique_ptr<QAbstractItemModelTester> journalTester;

private:
    static std::string surveyLine(const char* number, double x, double y, double z) {
        return std::string(number) + ",--------," + std::to_string(x) + "," + std::to_string(y) +
               "," + std::to_string(z) + "\r\n";
    }

    // The user presses "Ok"; a read that fails would leave the window open.
    void leaveWorkbook() {
        QTest::mouseClick(forms.form10->findChild<QPushButton*>("Button1"), Qt::LeftButton);
        if (!forms.form10->isVisible()) return;
        ADD_FAILURE() << dialogs.takeMessages().join('\n').toStdString();
        forms.form10->reject();
    }
};

// The second survey's points in the first's system, as a join or a transformation appends them.
void appendSecondSurvey(UndoHandlersTest& t, Expected& expected,
                        std::array<const char*, 3> numbers) {
    const PointStore before = expected.points;
    for (std::size_t k = 0; k < numbers.size(); ++k) {
        const auto i = static_cast<std::size_t>(t.pointNumbered(UndoHandlersTest::kBasePoints[k]));
        appendPoint(expected, numbers[k], before.x()[i], before.y()[i], before.z()[i], kColourGreen,
                    kKindPoint);
    }
    const auto& at = UndoHandlersTest::kSecondOnly;  // turned back by 90°
    appendPoint(expected, "n", -at[1], at[0], at[2], kColourGreen, kKindPoint);
    expected.tolerance = 1e-4;  // the join rounds to four decimals
}

const HandlerCase kCases[] = {
    {"AddMany", "Добавить много точек", nullptr,
     [](UndoHandlersTest& t) {
         PointStore rows;
         rows.append("w1", 1.5, -2, 7, kColourAqua, kKindPoint);
         rows.append("w2", 3, 4, 5, kColourAqua, kKindPoint);
         t.addMany(rows);
     },
     [](UndoHandlersTest&, Expected& e) {
         appendPoint(e, "w1", 1.5, -2, 7, kColourAqua, kKindPoint);
         appendPoint(e, "w2", 3, 4, 5, kColourAqua, kKindPoint);
     },
     false, [](UndoHandlersTest& t) { t.addMany(PointStore()); }, false},
    {"EditAll", "Отредактировать всё в Excel", nullptr,
     [](UndoHandlersTest& t) {
         const auto p2 = static_cast<std::size_t>(t.pointNumbered("P2"));
         t.editAll([p2](PointStore& points) { points.setX(p2, 1234.5); });
     },
     [](UndoHandlersTest& t, Expected& e) {  // every point active, aqua and ordinary
         for (std::size_t i = 0; i < e.points.count(); ++i) {
             e.points.setActive(i, 1);
             e.points.setColour(i, kColourAqua);
         }
         PointSequences sequences = e.points.takeFrom(0);
         std::fill(sequences.kind.begin(), sequences.kind.end(), kKindPoint);
         e.points.assign(std::move(sequences));
         e.points.setX(static_cast<std::size_t>(t.pointNumbered("P2")), 1234.5);
     },
     false, [](UndoHandlersTest& t) { t.editAll([](PointStore&) {}); }, true},
    {"AddToProject", "Добавить к проекту", nullptr, [](UndoHandlersTest& t) { t.addToProject(); },
     [](UndoHandlersTest& t, Expected& e) {
         appendSecondSurvey(t, e, {"a", "b", "c"});
     },
     true, [](UndoHandlersTest& t) { t.addToProject(true); }, false},
    {"Transformation", "Трансформация по общим точкам", nullptr,
     [](UndoHandlersTest& t) { t.transform(); },
     [](UndoHandlersTest& t, Expected& e) {
         appendSecondSurvey(t, e, UndoHandlersTest::kBasePoints);
     },
     true, [](UndoHandlersTest& t) { t.transform(true); }, false},
    {"Traverse", "Уравнивание хода", [](UndoHandlersTest& t) { t.pickTraversePath(); },
     [](UndoHandlersTest& t) { t.computeTraverse(); },
     [](UndoHandlersTest& t, Expected& e) {
         const testing::SdrSurveyText geometry = testing::linkGeometry();
         for (const char* station : {"P1", "P2"}) {
             const auto i = static_cast<std::size_t>(t.pointNumbered(station));
             e.points.setX(i, geometry.at(station).x);
             e.points.setY(i, geometry.at(station).y);
             e.points.setZ(i, geometry.at(station).z);
         }
         e.tolerance = 0.001;
     },
     false, [](UndoHandlersTest& t) { t.computeTraverse(); }, true},
    {"ExcludeSight", "Исключить наблюдение", [](UndoHandlersTest& t) { t.openJournal(); },
     [](UndoHandlersTest& t) { t.tickSight(t.firstSightRow(), Qt::Checked); },
     [](UndoHandlersTest& t, Expected& e) {
         const auto& journal = static_cast<const FieldJournalModel&>(t.journal());
         e.observations.sights.at(*journal.sightOfRow(t.firstSightRow())).excluded = true;
     },
     false, [](UndoHandlersTest& t) { t.tickSight(t.firstSightRow(), Qt::Unchecked); }, false},
    {"CogoIntersection", "Прямая засечка", [](UndoHandlersTest& t) { t.fillIntersection(); },
     [](UndoHandlersTest& t) { t.computeCogo(); },
     [](UndoHandlersTest&, Expected& e) {
         appendPoint(e, "N1", UndoHandlersTest::kNewPoint[0], UndoHandlersTest::kNewPoint[1],
                     kUndetermined, kColourAqua, kKindPoint);
         e.tolerance = 1e-6;
     },
     true,
     [](UndoHandlersTest& t) {  // the inverse task reports and adds no point
         t.openCogoTab("InverseTab");
         t.typeInCogo("InverseFrom", "A");
         t.typeInCogo("InverseTo", "B");
         t.computeCogo();
     },
     false},
};

TEST_P(UndoHandlersTest, TheCommandIsOneStepThatUndoTakesBackAndRedoRepeats) {
    const HandlerCase& c = GetParam();
    if (c.prepare) c.prepare(*this);
    const Seen before = seen();
    Expected expected{data.points.store(), data.points.selected(), data.points.observations()};
    c.expect(*this, expected);
    const std::size_t depth = data.points.history().undoCount();

    c.run(*this);
    expectPoints(expected, data.points);
    const Seen after = seen();
    EXPECT_EQ(after.view != before.view, c.movesView);
    EXPECT_EQ(data.points.history().undoCount(), depth + 1);
    EXPECT_EQ(action("Undo1")->text(), QString::fromUtf8("Отменить: ") + c.step);

    action("Undo1")->trigger();
    EXPECT_EQ(seen(), before);
    action("Redo1")->trigger();
    EXPECT_EQ(seen(), after);
    EXPECT_FALSE(action("Redo1")->isEnabled());

    // Back at the start of the history a further undo finds nothing to take back.
    while (data.points.undo()) {}
    const Seen start = seen();
    const ModelSignals announced(model());
    EXPECT_FALSE(action("Undo1")->isEnabled());
    EXPECT_FALSE(data.points.undo());
    EXPECT_EQ(seen(), start);
    EXPECT_EQ(announced.count(), 0);
}

TEST_P(UndoHandlersTest, RunSoThatItChangesNothingItRecordsNoStepAndAnnouncesNothing) {
    const HandlerCase& c = GetParam();
    if (c.prepare) c.prepare(*this);
    if (c.changesNothingTheSecondTime) c.runChangingNothing(*this);
    const Seen before = seen();
    const std::size_t depth = data.points.history().undoCount();
    const QString undoText = action("Undo1")->text();
    const ModelSignals announced(model());

    c.runChangingNothing(*this);
    EXPECT_EQ(seen(), before);
    EXPECT_EQ(data.points.history().undoCount(), depth);
    EXPECT_EQ(action("Undo1")->text(), undoText);
    EXPECT_EQ(announced.count(), 0);
}

INSTANTIATE_TEST_SUITE_P(Commands, UndoHandlersTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.id); });

}  // namespace
}  // namespace korvela
