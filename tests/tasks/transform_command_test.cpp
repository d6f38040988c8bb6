// Задачи ▸ "Трансформация по общим точкам" from the menu: the report, the appended points.
#include <QPlainTextEdit>

#include "main_window_fixture.h"
#include "tasks/tform8.h"

namespace korvela {
namespace {

class TransformCommandTest : public testing::MainWindowFixture {
protected:
    TransformCommandTest() { importPoints(12); }  // "1" … "12" at (100 + i, 200 + i, 10 + i)

    QString reportText() { return forms.form8->findChild<QPlainTextEdit*>("Memo1")->toPlainText(); }
};

TEST_F(TransformCommandTest, ReportsAndAppendsOrNoticesAndKeepsThePoints) {
    // The second survey: the first's points 1-3 shifted by (-100, -200, -10), one more point.
    const std::string shifted =
        "second\r\n1,--------,1,1,1\r\n2,--------,2,2,2\r\n"
        "3,--------,3,3,3\r\nX,--------,5,0,0\r\n";
    const struct {
        const char* name;
        std::vector<int> rows;
        bool asksForFile;
        std::size_t appended;
        const char* reportStart;
    } cases[] = {
        {"three common, one left out", {0, 1, 2, 3}, true, 4, "Общих точек: 3\n"},
        {"one selected: no file asked", {0}, false, 0, "Надо выбрать не меньше двух"},
        {"two selected, one partner", {0, 4}, true, 0, "Надо выбрать не меньше двух"},
    };
    const std::string second = surveys.file("second.txt");
    testing::writeFile(second, shifted);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        data.points.setAllSelected(false);
        for (const int row : c.rows) setTicked(row, true);
        const std::size_t before = data.points.store().count();
        if (c.asksForFile) dialogs.answer(QString::fromStdString(second));
        action("Transform1")->trigger();
        EXPECT_EQ(forms.form8->windowTitle(), QString::fromUtf8("Трансформация по общим точкам"));
        EXPECT_TRUE(reportText().startsWith(QString::fromUtf8(c.reportStart)))
            << reportText().toStdString();
        const PointStore& store = data.points.store();
        ASSERT_EQ(store.count(), before + c.appended);
        if (c.appended == 0) continue;
        EXPECT_TRUE(reportText().endsWith(QString::fromUtf8("(не участвуют):\n4\n")));
        EXPECT_EQ(store.number()[store.count() - 1], "X");
        EXPECT_DOUBLE_EQ(store.x().back(), 105);
        EXPECT_DOUBLE_EQ(store.y().back(), 200);
        EXPECT_DOUBLE_EQ(store.z().back(), 10);
        EXPECT_EQ(store.colour().back(), kColourGreen);
        EXPECT_EQ(model()->rowCount(), static_cast<int>(store.count()));
        EXPECT_EQ(data.points.selected().back(), 0);
        EXPECT_EQ(data.points.selected()[3], 1);  // the selection stays
    }
}

}  // namespace
}  // namespace korvela
