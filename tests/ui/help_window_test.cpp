#include "ui/help_window.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include "area/tgeop.h"
#include "main_window_fixture.h"

namespace korvela {
namespace {

class HelpWindowTest : public testing::MainWindowFixture {
protected:
    ~HelpWindowTest() override { forms.geop->hide(); }

    QTreeWidget* contents() { return forms.help->findChild<QTreeWidget*>("guideContents"); }

    void pressF1In(QWidget& window) {
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        QTest::keyClick(&window, Qt::Key_F1);
        ASSERT_TRUE(forms.help->isVisible());
    }

    // The contents as the guide's Markdown source would write them ("## Chapter", "### Section").
    QStringList listedHeadings() {
        QStringList headings;
        for (QTreeWidgetItemIterator item(contents()); *item; ++item) {
            headings << ((*item)->parent() ? "### " : "## ") + (*item)->text(0);
        }
        return headings;
    }
};

TEST_F(HelpWindowTest, F1InTheAreaAndTheMainWindowShowsTheGuideWithItsHeadingsListed) {
    QFile source(QStringLiteral(KORVELA_SOURCE_DIR "/doc/guide.ru.md"));
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    const QRegularExpression heading("^###? .+$", QRegularExpression::MultilineOption);
    QStringList expected;
    for (const auto& match : heading.globalMatch(QString::fromUtf8(source.readAll()))) {
        expected << match.captured();
    }
    ASSERT_GT(expected.size(), 10);
    pressF1In(*forms.geop);
    EXPECT_EQ(listedHeadings(), expected);
    forms.help->hide();
    pressF1In(main());
}

// The line at the top edge of the text is the heading clicked (at first, the guide's title).
TEST_F(HelpWindowTest, AClickOnAHeadingBringsItToTheTopOfTheText) {
    pressF1In(main());
    std::vector<QTreeWidgetItem*> items;
    for (QTreeWidgetItemIterator item(contents()); *item; ++item) items.push_back(*item);
    // The first chapter and section, headings further on, and back up (the last headings
    // cannot reach the top).
    for (const std::size_t index : {0ul, 1ul, items.size() / 3, items.size() / 2, 3ul}) {
        QTreeWidgetItem* item = items.at(index);
        contents()->scrollToItem(item);
        QTest::mouseClick(contents()->viewport(), Qt::LeftButton, {},
                          contents()->visualItemRect(item).center());
        const auto* text = forms.help->findChild<QTextBrowser*>("guideText");
        const QTextBlock top = text->cursorForPosition(QPoint(30, 12)).block();
        EXPECT_EQ(top.text().toStdString(), item->text(0).toStdString()) << "heading " << index;
    }
}

TEST(HelpWindow, AGuideThatCannotBeReadIsSaidAndNoWindowOpens) {
    testing::ScriptedDialogs dialogs;
    testing::TempDir folder;
    const QString missing = QString::fromStdString((folder.path() / "guide.ru.md").string());
    HelpWindow window(dialogs, missing);
    window.showGuide(nullptr);
    EXPECT_FALSE(window.isVisible());
    const QStringList messages = dialogs.takeMessages();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(missing + QString::fromUtf8("\": нет такого файла")))
        << messages[0].toStdString();
}

}  // namespace
}  // namespace korvela
