// The busy indicator of long commands: nothing for short work; past half a second the busy
// cursor and the status line, with the window repainting while the work runs.
#include "ui/busy_indicator.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QMainWindow>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <stdexcept>
#include <thread>

namespace korvela {
namespace {

class PaintCounter : public QWidget {
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent*) override { ++paints; }
};

struct Window {
    QMainWindow main;
    PaintCounter* plan = new PaintCounter;
    Window() {
        main.setCentralWidget(plan);
        main.resize(200, 100);
        main.show();
        QCoreApplication::processEvents();
    }
};

bool busyCursorShown() {
    return QApplication::overrideCursor() != nullptr &&
           QApplication::overrideCursor()->shape() == Qt::WaitCursor;
}

struct Case {
    int workMs;
    bool shown;
};

class BusyIndicatorTest : public testing::TestWithParam<Case> {};

TEST_P(BusyIndicatorTest, ShowsOnlyPastHalfASecondAndRepaintsMeanwhile) {
    Window window;
    {
        BusyIndicator busy(window.plan, QString::fromUtf8("Импорт"));
        const int paintsBefore = window.plan->paints;
        window.plan->update();
        const int result = busy.run([ms = GetParam().workMs] {
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
            return 42;
        });
        EXPECT_EQ(result, 42);
        EXPECT_EQ(busyCursorShown(), GetParam().shown);
        EXPECT_EQ(
            window.main.statusBar()->currentMessage().startsWith(QString::fromUtf8("Импорт…")),
            GetParam().shown);
        if (GetParam().shown) {
            EXPECT_GT(window.plan->paints, paintsBefore);
        }
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(window.main.statusBar()->currentMessage().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Work, BusyIndicatorTest,
                         testing::Values(Case{200, false}, Case{800, true}));

// The status line shows the share done once the work counts, the seconds spent before.
TEST(BusyIndicator, StatusLineShowsTheShareDoneOnceTheWorkCounts) {
    Window window;
    BusyIndicator busy(window.plan, QString::fromUtf8("Экспорт DXF"));
    EXPECT_EQ(busy.statusText(2400), QString::fromUtf8("Экспорт DXF… 2 с"));
    const struct {
        std::uint64_t total, done;
        const char* text;
    } cases[] = {{400, 0, "Экспорт DXF… 0 %"},
                 {400, 171, "Экспорт DXF… 42 %"},
                 {400, 400, "Экспорт DXF… 100 %"},
                 {3, 7, "Экспорт DXF… 100 %"}};
    for (const auto& c : cases) {
        busy.progress().begin(c.total);
        busy.progress().add(c.done);
        EXPECT_EQ(busy.statusText(2400), QString::fromUtf8(c.text)) << c.done;
    }
    // Shown in the status line while the work runs: the work ends once it has been shown.
    QString shown;
    std::atomic<bool> seen{false};
    QObject::connect(window.main.statusBar(), &QStatusBar::messageChanged,
                     [&](const QString& message) {
                         if (message.isEmpty()) return;
                         shown = message;
                         seen = true;
                     });
    busy.run([&] {
        busy.progress().begin(10);
        busy.progress().add(5);
        for (int waited = 0; !seen && waited < 10000; waited += 10) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return 0;
    });
    EXPECT_EQ(shown, QString::fromUtf8("Экспорт DXF… 50 %"));
}

// While the work runs the button is the only control that takes input: a click elsewhere and
// a shortcut do nothing. Pressed, it stops the work at its next count and the command's later
// work, and the status line says so after the end; a dialog has a status line of the
// indicator's own meanwhile.
TEST(BusyIndicator, TheButtonAloneTakesInputAndStopsTheWork) {
    const auto showAfter = BusyIndicator::setShowAfter(std::chrono::milliseconds(0));
    for (const bool inDialog : {false, true}) {
        SCOPED_TRACE(inDialog ? "dialog" : "main window");
        Window window;
        QDialog dialog(&window.main);
        QWidget& busyWindow = inDialog ? static_cast<QWidget&>(dialog) : window.main;
        dialog.resize(300, 100);
        if (inDialog) dialog.show();
        auto* other = new QPushButton(QStringLiteral("Другая"), &busyWindow);
        other->show();
        auto* command = new QAction(&busyWindow);
        command->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
        busyWindow.addAction(command);
        int commands = 0;
        QObject::connect(other, &QPushButton::clicked, [&] { ++commands; });
        QObject::connect(command, &QAction::triggered, [&] { ++commands; });
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* stop = busyWindow.findChild<QAbstractButton*>("stopButton");
            if (stop == nullptr || !stop->isVisible()) return;
            poll.stop();
            QTest::mouseClick(other, Qt::LeftButton);
            QTest::keyClick(other, Qt::Key_O, Qt::ControlModifier);
            QTest::mouseClick(stop, Qt::LeftButton);
        });
        poll.start(1);
        {
            BusyIndicator busy(other, QString::fromUtf8("Импорт"));
            EXPECT_THROW(busy.run([&] {
                for (int waited = 0; waited < 10000; ++waited) {
                    busy.progress().add(1);
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                }
                return 0;
            }),
                         WorkStopped);
            bool laterWorkBegan = false;
            EXPECT_THROW(busy.run([&] { return laterWorkBegan = true; }), WorkStopped);
            EXPECT_FALSE(laterWorkBegan);
        }
        EXPECT_EQ(commands, 0);
        auto* statusBar = inDialog ? dialog.findChild<QStatusBar*>() : window.main.statusBar();
        ASSERT_NE(statusBar, nullptr);
        EXPECT_EQ(statusBar->currentMessage(), QString::fromUtf8("Импорт: прервано"));
        QTest::mouseClick(other, Qt::LeftButton);  // the window takes input again
        EXPECT_EQ(commands, 1);
    }
    BusyIndicator::setShowAfter(showAfter);
}

TEST(BusyIndicator, WhatTheWorkThrowsReachesTheCommand) {
    Window window;
    BusyIndicator busy(window.plan, QString::fromUtf8("Экспорт DXF"));
    EXPECT_THROW(busy.run([]() -> int { throw std::runtime_error("disk full"); }),
                 std::runtime_error);
}

}  // namespace
}  // namespace korvela
