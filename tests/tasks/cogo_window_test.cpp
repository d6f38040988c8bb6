// Задачи ▸ "Геодезические задачи": each tab's fields, the report, the appended point, refusals.
#include <QComboBox>
#include <QPushButton>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTableWidget>
#include <cmath>
#include <functional>
#include <numbers>

#include "main_window_fixture.h"
#include "sdr_survey_text.h"
#include "tasks/cogo_window.h"
#include "tasks/tform8.h"

namespace korvela {
namespace {

// Known points; the new point truly at P = (75, 50).
constexpr double kPx = 75, kPy = 50;
struct Known {
    const char* number;
    double x, y;
};
constexpr Known kKnown[] = {{"A", 0, 0}, {"B", 0, 100}, {"C", 0, 250}, {"1", 100, 100}, {"3", 50, 100}};

double azimuth(double fromX, double fromY, double toX, double toY) {
    const double a = std::atan2(toY - fromY, toX - fromX) * 180 / std::numbers::pi;
    return a < 0 ? a + 360 : a;
}
QString text(double value) { return QString::number(value, 'f', 10); }
QString toP(const Known& k) { return text(azimuth(k.x, k.y, kPx, kPy)); }
QString fromP(const Known& k) { return text(azimuth(kPx, kPy, k.x, k.y)); }
QString toPDistance(const Known& k) { return text(std::hypot(kPx - k.x, kPy - k.y)); }

class CogoWindowTest : public testing::MainWindowFixture {
public:
    CogoWindowTest() {
        std::string bytes = "survey\r\n";
        for (const Known& k : kKnown)
            bytes += std::string(k.number) + ",--------," + std::to_string(k.x) + "," +
                     std::to_string(k.y) + ",10\r\n";
        importSurveyBytes(bytes);
        action("Cogo1")->trigger();
        window = main().findChild<CogoWindow*>("CogoWindow");
    }

    template <typename T>
    T* control(const char* name) { return window->findChild<T*>(name); }
    void type(const char* field, const QString& value) { control<QLineEdit>(field)->setText(value); }
    void fillRows(const char* table, const std::vector<QStringList>& rows) {
        auto* grid = control<QTableWidget>(table);
        for (int r = 0; r < static_cast<int>(rows.size()); ++r)
            for (int c = 0; c < rows[r].size(); ++c)
                grid->setItem(r, c, new QTableWidgetItem(rows[r][c]));
    }
    void tick(int row) { setTicked(row, true); }
    void openTab(const char* name) {
        auto* tabs = control<QTabWidget>("Tasks");
        tabs->setCurrentWidget(window->findChild<QWidget*>(name));
    }
    QString reportText() { return forms.form8->findChild<QPlainTextEdit*>("Memo1")->toPlainText(); }

    CogoWindow* window = nullptr;
};

TEST_F(CogoWindowTest, EachTaskFromItsTab) {
    const Known &a = kKnown[0], &b = kKnown[1], &c = kKnown[2], &one = kKnown[3];
    const double readingToP = azimuth(one.x, one.y, kPx, kPy) - 180;  // oriented on 3 at 180°
    const struct {
        const char* tab;
        std::function<void(CogoWindowTest&)> fill;
        bool appends;
        int kind;
        const char* reportHas;
    } cases[] = {
        {"InverseTab", [](CogoWindowTest& t) { t.type("InverseFrom", "1"); t.type("InverseTo", "3"); },
         false, 0, "Горизонтальное проложение, м\t50.000"},
        {"PolarTab", [&](CogoWindowTest& t) {
             t.type("PolarStation", "1");
             t.fillRows("PolarOrientation", {{"3", "0 00 00"}});
             t.type("PolarReading", text(readingToP));
             t.type("PolarDistance", toPDistance(one));
         }, true, 1, "Полярная засечка"},
        {"StakeoutTab", [](CogoWindowTest& t) {
             t.type("StakeoutStation", "1");
             t.type("StakeoutOrientation", "3");
             t.tick(1);  // B
         }, false, 0, "\nB\t"},
        {"IntersectionTab", [&](CogoWindowTest& t) { t.fillRows("IntersectionRays", {{"A", toP(a)}, {"B", toP(b)}}); },
         true, 1, "Угол пересечения лучей A, B"},
        {"DistanceTab", [&](CogoWindowTest& t) {
             t.fillRows("DistanceRows", {{"A", toPDistance(a)}, {"B", toPDistance(b)}});
             t.control<QComboBox>("DistanceSide")->setCurrentIndex(1);  // left of A - B
         }, true, 1, "слева от линии A - B"},
        {"ResectionTab", [&](CogoWindowTest& t) {
             t.fillRows("ResectionRows", {{"A", fromP(a)}, {"B", fromP(b)}, {"C", fromP(c)}});
         }, true, 0, "Угол пересечения окружностей A, B, C"},
        {"FreeStationTab", [&](CogoWindowTest& t) {
             t.fillRows("FreeStationRows", {{"A", fromP(a), toPDistance(a)}, {"C", fromP(c), toPDistance(c)}});
         }, true, 0, "Свободная станция"},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.tab);
        openTab(k.tab);
        k.fill(*this);
        const std::size_t before = data.points.store().count();
        control<QPushButton>("Compute")->click();
        EXPECT_TRUE(reportText().contains(QString::fromUtf8(k.reportHas))) << reportText().toStdString();
        EXPECT_TRUE(reportText().contains(QString::fromUtf8("Допуски")));
        const PointStore& store = data.points.store();
        ASSERT_EQ(store.count(), before + (k.appends ? 1 : 0));
        if (!k.appends) continue;
        EXPECT_NEAR(store.x().back(), kPx, 1e-4);
        EXPECT_NEAR(store.y().back(), kPy, 1e-4);
        EXPECT_EQ(store.kind().back(), k.kind);
        EXPECT_EQ(store.number()[store.count() - 1], "4");  // 3 is the largest whole number
        ASSERT_TRUE(data.points.undo());  // one step
        EXPECT_EQ(data.points.store().count(), before);
    }
}

TEST_F(CogoWindowTest, RefusalsAndUnreadableAnglesAppendNothing) {
    const struct {
        const char* tab;
        std::function<void(CogoWindowTest&)> fill;
        const char* message;
    } cases[] = {
        {"DistanceTab", [](CogoWindowTest& t) { t.fillRows("DistanceRows", {{"A", "10"}, {"B", "10"}}); },
         "не пересекаются"},
        {"IntersectionTab", [](CogoWindowTest& t) { t.fillRows("IntersectionRays", {{"A", "12 75 00"}, {"B", "10"}}); },
         "не распознан"},
        {"ResectionTab", [](CogoWindowTest& t) { t.fillRows("ResectionRows", {{"A", "0"}, {"B", "10"}, {"Z", "20"}}); },
         "Нет точки с номером «Z»"},
    };
    const std::size_t before = data.points.store().count();
    for (const auto& k : cases) {
        SCOPED_TRACE(k.tab);
        openTab(k.tab);
        k.fill(*this);
        control<QPushButton>("Compute")->click();
        const QStringList messages = dialogs.takeMessages();
        ASSERT_EQ(messages.size(), 1);
        EXPECT_TRUE(messages[0].contains(QString::fromUtf8(k.message))) << messages[0].toStdString();
        EXPECT_EQ(data.points.store().count(), before);
    }
}

// A field file from chosen coordinates: K oriented on A sights the new point P; A and B
// measure to P; the new station N sights A, B and C.
class CogoObservationsTest : public CogoWindowTest {
public:
    CogoObservationsTest() {
        survey.point("A", 1000, 1000, 100);
        survey.point("B", 1000, 1300, 101);
        survey.point("C", 1250, 1400, 102);
        survey.point("K", 1300, 1000, 100.5);
        survey.point("P", 1150, 1150, 101.2);
        survey.point("N", 1100, 1200, 100.8);
        for (const char* known : {"A", "B", "C", "K"}) survey.keyedIn(known);
        survey.setUp("K", true, 33, 1.55);
        survey.faces("A");
        survey.faces("P", 1.7);
        survey.setUp("A", true, 120);
        survey.faces("B");
        survey.faces("P");
        survey.setUp("B", true, 250);
        survey.faces("P");
        survey.setUp("N", false, 300);
        for (const char* known : {"A", "B", "C"}) survey.faces(known);
        importSurveyBytes(survey.text());
    }
    void fromObservations(const char* tab, const char* button) {
        openTab(tab);
        control<QPushButton>(button)->click();
    }
    QString cellText(const char* table, int row, int column) {
        const QTableWidgetItem* item = control<QTableWidget>(table)->item(row, column);
        return item ? item->text() : QString();
    }

    testing::SdrSurveyText survey;
};

TEST_F(CogoObservationsTest, EachStationTabFilledFromTheFieldFileGivesThePointBack) {
    const struct {
        const char* tab;
        const char* button;
        std::function<void(CogoWindowTest&)> numbers;
        const char* point;
        bool height;
    } cases[] = {
        {"PolarTab", "PolarObservations", [](CogoWindowTest& t) {
             t.type("PolarStation", "K");
             t.fillRows("PolarOrientation", {{"A"}});
             t.type("PolarName", "P");
         }, "P", true},
        {"DistanceTab", "DistanceObservations", [](CogoWindowTest& t) {
             t.fillRows("DistanceRows", {{"A"}, {"B"}});
             t.control<QComboBox>("DistanceSide")->setCurrentIndex(1);  // left of A - B
             t.type("DistanceName", "P");
         }, "P", false},
        {"ResectionTab", "ResectionObservations", [](CogoWindowTest& t) {
             t.fillRows("ResectionRows", {{"A"}, {"B"}, {"C"}});
             t.type("ResectionName", "N");
         }, "N", false},
        {"FreeStationTab", "FreeStationObservations", [](CogoWindowTest& t) {
             t.fillRows("FreeStationRows", {{"A"}, {"C"}});
             t.type("FreeStationName", "N");
         }, "N", false},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.tab);
        openTab(k.tab);
        k.numbers(*this);
        fromObservations(k.tab, k.button);
        const std::size_t before = data.points.store().count();
        control<QPushButton>("Compute")->click();
        const PointStore& store = data.points.store();
        ASSERT_EQ(store.count(), before + 1) << dialogs.takeMessages().join("\n").toStdString();
        EXPECT_EQ(store.number()[store.count() - 1], k.point);
        EXPECT_NEAR(store.x().back(), survey.at(k.point).x, 1e-3);
        EXPECT_NEAR(store.y().back(), survey.at(k.point).y, 1e-3);
        if (k.height) {
            EXPECT_NEAR(store.z().back(), survey.at(k.point).z, 1e-3);
        }
    }
}

// C never measured to P, K never sighted N: those fields keep what was typed.
TEST_F(CogoObservationsTest, AReadingNotObservedKeepsItsTypedValueAndIsNamed) {
    fillRows("DistanceRows", {{"A"}, {"C", "123.4"}});
    type("DistanceName", "P");
    fromObservations("DistanceTab", "DistanceObservations");
    type("PolarStation", "K");
    type("PolarName", "N");
    type("PolarReading", "10 00 00");
    fromObservations("PolarTab", "PolarObservations");
    const QStringList messages = dialogs.takeMessages();
    ASSERT_EQ(messages.size(), 2);
    EXPECT_TRUE(messages[0].contains(QString::fromUtf8("расстояние C - P")));
    EXPECT_TRUE(messages[1].contains(QString::fromUtf8("отсчёт K - N")));
    EXPECT_EQ(cellText("DistanceRows", 1, 1), "123.4");
    EXPECT_EQ(control<QLineEdit>("PolarReading")->text(), "10 00 00");
    EXPECT_NEAR(cellText("DistanceRows", 0, 1).toDouble(), survey.distance("A", "P"), 1e-4);
}

}  // namespace
}  // namespace korvela
