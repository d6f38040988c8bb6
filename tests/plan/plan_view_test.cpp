// The plan as the user sees and works it: pixels of the picture, the pointer, the wheel, the
// notice and the display settings.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>

#include "main_window_fixture.h"
#include "plan/plan_image.h"
#include "plan/plan_renderer.h"
#include "plan/tform7.h"
#include "plan/tsettings.h"
#include "plan/view_transform.h"
#include "points/find_point_dialog.h"
#include "tasks/tform2.h"
#include "ui/tolerances.h"

namespace korvela {
namespace {

const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kRed = qRgb(255, 0, 0);
const QRgb kYellow = qRgb(255, 255, 0);
const QRgb kAqua = qRgb(0, 255, 255);

class PlanViewTest : public testing::MainWindowFixture {
protected:
    PlanImage& plan() { return main().plan(); }
    QImage picture() { return plan().bitmap().copy(); }
    TSettings& settings() { return *forms.settings; }
    QCheckBox* settingsBox(const char* name) { return settings().findChild<QCheckBox*>(name); }

    // Where the plan draws point i now, in bitmap pixels.
    ScreenPoint drawnAt(std::size_t i) {
        const PixelSize size = plan().bitmapSize();
        return ProjectPoint(data.view.state(), size.width * 0.5, size.height * 0.5,
                            data.points.store().x()[i], data.points.store().y()[i],
                            data.points.store().z()[i]);
    }
    // The same position in control pixels, where a click on the point lands.
    QPoint controlPosition(std::size_t i) {
        const ScreenPoint at = drawnAt(i);
        return QPoint(qRound(at.x / plan().widthRatio()), qRound(at.y / plan().heightRatio()));
    }

    void press(QPoint at) {
        emit plan().pressed(at);
        emit plan().released(at);
    }

    void wheel(int notches) {
        QWheelEvent event(QPointF(10, 10), QPointF(10, 10), QPoint(), QPoint(0, 120 * notches),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&main(), &event);
    }

    // Every pixel of the rectangle has one of the colours, and at least one has the first.
    static bool paintedWith(const QImage& image, QRect area, QRgb mainColour, QRgb otherColour) {
        bool found = false;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                const QRgb pixel = image.pixel(x, y) | 0xFF000000;
                if (pixel != mainColour && pixel != otherColour) return false;
                found = found || pixel == mainColour;
            }
        }
        return found;
    }

    QRect letterBox(int left, int top, const char* letter) {
        const QFontMetrics metrics(plan().labelFont());
        return QRect(left, top, metrics.horizontalAdvance(letter), metrics.height());
    }
};

TEST_F(PlanViewTest, TheEmptyPlanShowsTheAxisCrossAtItsFixedPlace) {
    ASSERT_EQ(plan().bitmapSize(), (PixelSize{470, 443}));
    const QImage image = picture();
    EXPECT_EQ(image.pixel(47, 398) | 0xFF000000, kRed);    // the origin
    EXPECT_EQ(image.pixel(47, 340) | 0xFF000000, kRed);    // the x arrow points up
    EXPECT_EQ(image.pixel(110, 398) | 0xFF000000, kRed);   // the y arrow to the right
    EXPECT_EQ(image.pixel(47, 320) | 0xFF000000, kBlack);  // 0.15 of the height long
    EXPECT_TRUE(paintedWith(image, letterBox(47, 373, "x"), kYellow, kRed));
    EXPECT_TRUE(paintedWith(image, letterBox(72, 398, "y"), kYellow, kRed));
    // No z letter: the only yellow is in the two letters.
    int yellow = 0;
    int yellowInLetters = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if ((image.pixel(x, y) | 0xFF000000) != kYellow) continue;
            ++yellow;
            if (letterBox(47, 373, "x").contains(x, y) || letterBox(72, 398, "y").contains(x, y))
                ++yellowInLetters;
        }
    }
    EXPECT_GT(yellow, 0);
    EXPECT_EQ(yellow, yellowInLetters);
}

TEST_F(PlanViewTest, ATurnedViewShowsTheZArrow) {
    data.view.change([&](ViewState& view) {
        view.rollDeg = 90;  // an elevation: z points straight up
    });
    main().redraw();
    const QImage image = picture();
    EXPECT_EQ(image.pixel(47, 340) | 0xFF000000, kRed);
    EXPECT_TRUE(paintedWith(image, letterBox(47, 373, "z"), kYellow, kRed));
}

TEST_F(PlanViewTest, ElevenPointsCentreTheEleventhAndTenDoNot) {
    importPoints(10);
    EXPECT_EQ(data.view.state().offsetX, 0);
    importPoints(11);
    const QImage image = picture();
    EXPECT_EQ(image.pixel(235, 221) | 0xFF000000, kAqua);
    EXPECT_EQ(image.pixel(234, 222) | 0xFF000000, kAqua);
    EXPECT_EQ(image.pixel(236, 222) | 0xFF000000, kBlack);  // a disc, not a square
}

TEST_F(PlanViewTest, SelectedPointsAreYellowWithTheirLabels) {
    importPoints(11);
    setTicked(10, true);
    const QImage labelled = picture();
    EXPECT_EQ(labelled.pixel(235, 221) | 0xFF000000, kYellow);
    EXPECT_EQ(labelled.pixel(255, 221) | 0xFF000000, kYellow);  // the leader line
    const QFontMetrics metrics(plan().labelFont());
    // Number "11" above the line, height 21 below it.
    EXPECT_TRUE(paintedWith(
        labelled, QRect(235, 221 + 1, metrics.horizontalAdvance("21"), metrics.height() - 1),
        kYellow, kBlack));
    settingsBox("ShowNumberHight")->setChecked(false);
    const QImage bare = picture();
    EXPECT_EQ(bare.pixel(235, 221) | 0xFF000000, kYellow);
    EXPECT_EQ(bare.pixel(255, 221) | 0xFF000000, kBlack);  // no leader without labels
    settingsBox("ShowNumber")->setChecked(true);           // numbers only: the leader comes back
    EXPECT_EQ(picture().pixel(255, 221) | 0xFF000000, kYellow);
    setTicked(10, false);  // an unselected point is never labelled
    EXPECT_EQ(picture().pixel(255, 221) | 0xFF000000, kBlack);
}

TEST_F(PlanViewTest, AFrozenPointIsNeitherDrawnNorPickable) {
    importPoints(11);
    setTicked(10, true);
    action("N2")->trigger();  // freeze it
    setTicked(10, false);
    EXPECT_EQ(picture().pixel(235, 221) | 0xFF000000, kBlack);
    press(controlPosition(10));
    EXPECT_EQ(data.points.selected()[10], 0);
    setTicked(10, true);
    action("N3")->trigger();  // unfreezing brings it back
    EXPECT_EQ(picture().pixel(235, 221) | 0xFF000000, kYellow);
}

TEST_F(PlanViewTest, APressTogglesThePointsUnderTheCursorAndTicksTheirRows) {
    importPoints(11);
    press(controlPosition(10));
    EXPECT_EQ(data.points.selected()[10], 1);
    EXPECT_EQ(checkState(10), Qt::Checked);
    EXPECT_FALSE(forms.form7->isVisible());
    press(controlPosition(10));  // a single selected point: the press unselects it
    EXPECT_EQ(data.points.selected()[10], 0);
    press(QPoint(2, 2));  // far from every point: nothing happens
    EXPECT_EQ(std::count(data.points.selected().begin(), data.points.selected().end(), 1), 0);
}

TEST_F(PlanViewTest, APressOnSeveralPointsSwitchesThemTogetherAndShowsTheNotice) {
    importPoints(11);
    data.view.change([&](ViewState& view) {
        view.cursorRadius = 200;  // every point under the circle
    });
    setTicked(3, true);
    press(controlPosition(10));
    EXPECT_EQ(data.points.selected(), std::vector<std::int32_t>(11, 1));
    EXPECT_TRUE(forms.form7->isVisible());
    EXPECT_EQ(forms.form7->windowTitle(), QString::fromUtf8("Выбрано сразу несколько точек"));
    press(controlPosition(10));
    EXPECT_EQ(data.points.selected(), std::vector<std::int32_t>(11, 0));
    forms.form7->Button1Click();
}

TEST_F(PlanViewTest, DraggingMovesThePictureByTheDistanceOnScreenInBothZoomModes) {
    importPoints(11);
    for (const bool labelScaling : {false, true}) {
        if (labelScaling) {
            data.view.change([&](ViewState& view) { view.scaleLabelsWithZoom = 1; });
            wheel(-3);  // the bitmap grows to a ratio other than 1
            ASSERT_NE(plan().widthRatio(), 1.0);
        }
        const ScreenPoint before = drawnAt(10);
        emit plan().pressed(QPoint(50, 60));
        emit plan().released(QPoint(150, 60));
        const ScreenPoint after = drawnAt(10);
        EXPECT_TRUE(testing::near(100, (after.x - before.x) / plan().widthRatio(), 1e-9))
            << labelScaling;
        EXPECT_TRUE(testing::near(0, after.y - before.y, 1e-9));
    }
}

TEST_F(PlanViewTest, TheWheelZoomsTheScaleOrTheBitmap) {
    wheel(1);
    EXPECT_TRUE(testing::near(0.0303, data.view.state().scale, 1e-15));
    wheel(-1);
    EXPECT_TRUE(testing::near(0.0303 - 0.000303, data.view.state().scale, 1e-15));
    data.view.change([&](ViewState& view) { view.scaleLabelsWithZoom = 1; });
    const double scale = data.view.state().scale;
    wheel(1);
    EXPECT_EQ(data.view.state().scale, scale);
    EXPECT_EQ(plan().bitmapSize(), (PixelSize{465, 438}));
}

TEST_F(PlanViewTest, ResizingKeepsTheBitmapRatio) {
    main().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main()));
    data.view.change([&](ViewState& view) { view.scaleLabelsWithZoom = 1; });
    wheel(-5);
    const double ratio = plan().widthRatio();
    main().resize(main().width() + 200, main().height() + 100);
    EXPECT_NEAR(plan().widthRatio(), ratio, 0.01);
    EXPECT_EQ(plan().controlSize().width, main().centralWidget()->width() - 502);
}

TEST_F(PlanViewTest, AWindowWithoutRoomForThePlanGetsItBackWhenItGrows) {
    main().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main()));
    const QSize normal = main().size();
    main().resize(normal.width(), 40);  // no height left for the plan
    picture();                          // drawing without room is no error
    main().resize(normal);
    EXPECT_EQ(plan().bitmapSize(), plan().controlSize());
    EXPECT_EQ(
        picture().pixel(47 * plan().bitmapSize().width / 470, plan().bitmapSize().height * 9 / 10) |
            0xFF000000,
        kRed);
}

TEST_F(PlanViewTest, TheBitmapStaysWithinItsLargestSizeThroughAResize) {
    main().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main()));
    data.view.change([&](ViewState& view) { view.scaleLabelsWithZoom = 1; });
    for (int notch = 0; notch < 300; ++notch) wheel(-1);
    EXPECT_EQ(plan().bitmapSize().width, kLargestPlanBitmap);
    main().resize(main().width() + 300, main().height() + 200);
    EXPECT_LE(plan().bitmapSize().width, kLargestPlanBitmap);
    EXPECT_LE(plan().bitmapSize().height, kLargestPlanBitmap);
}

TEST_F(PlanViewTest, TheCursorFollowsThePointerAndAPressOrRedrawRemovesIt) {
    emit plan().moved(QPoint(100, 100));
    EXPECT_TRUE(plan().cursorShown());
    EXPECT_EQ(plan().cursor().shape(), Qt::BlankCursor);
    emit plan().pressed(QPoint(100, 100));
    EXPECT_FALSE(plan().cursorShown());
    emit plan().moved(QPoint(120, 100));
    main().redraw();
    EXPECT_FALSE(plan().cursorShown());
}

// Ten points far from the origin are off the plan after the import; "Показать все точки"
// brings every one of them in, 5 % from the edges.
TEST_F(PlanViewTest, ShowAllPointsFitsAFarAwaySurveyWithAMargin) {
    importPointsAt(10, 5412000, 7312000);
    action("ShowAllPoints")->trigger();
    const PixelSize size = plan().bitmapSize();
    double left = size.width, right = 0, top = size.height, bottom = 0;
    for (std::size_t i = 0; i < 10; ++i) {
        const ScreenPoint at = drawnAt(i);
        left = std::min(left, at.x), right = std::max(right, at.x);
        top = std::min(top, at.y), bottom = std::max(bottom, at.y);
    }
    EXPECT_GE(left, 0.05 * size.width - 1e-6);
    EXPECT_LE(right, 0.95 * size.width + 1e-6);
    EXPECT_GE(top, 0.05 * size.height - 1e-6);
    EXPECT_LE(bottom, 0.95 * size.height + 1e-6);
    // The longer side of the survey reaches the margins.
    EXPECT_TRUE(std::abs(left - 0.05 * size.width) < 1e-6 ||
                std::abs(top - 0.05 * size.height) < 1e-6);
    EXPECT_EQ(action("ShowAllPoints")->shortcut(), QKeySequence(Qt::Key_Home));
}

// The plan never comes up black with the points off it: an import of ten points or fewer, an
// open project whose view looks elsewhere, and the undo of an import or of Close Project all
// show the points; undo and redo bring back the view each step found.
TEST_F(PlanViewTest, ThePointsAreOnThePlanAfterEveryCommandThatBringsThem) {
    const auto everyPointOnPlan = [this] {
        const PixelSize size = plan().bitmapSize();
        for (std::size_t i = 0; i < data.points.store().count(); ++i) {
            const ScreenPoint at = drawnAt(i);
            if (!(at.x >= 0 && at.x <= size.width && at.y >= 0 && at.y <= size.height)) return false;
        }
        return data.points.store().count() > 0;
    };
    importPointsAt(10, 5412000, 7312000);  // far from the survey origin the view looks at
    EXPECT_TRUE(everyPointOnPlan());
    const ViewState farView = data.view.state();
    const std::string project = surveys.file("far.kpr");
    dialogs.answer(QString::fromStdString(project));
    action("Save2")->trigger();

    importPoints(11);  // the eleventh point in the middle: the view stays as it is set
    ViewState centred;
    CentreViewOnStore(centred, data.points.store());
    EXPECT_EQ(data.view.state(), centred);
    action("Undo1")->trigger();
    EXPECT_EQ(data.points.store().count(), 10u);
    EXPECT_EQ(data.view.state(), farView);
    action("Redo1")->trigger();
    EXPECT_EQ(data.view.state(), centred);

    dialogs.answer(QString::fromStdString(project));
    action("Open1")->trigger();
    EXPECT_TRUE(everyPointOnPlan());

    QScrollBar* azimuthBar = forms.form2->findChild<QScrollBar*>("ScrollBar3");
    azimuthBar->setValue(31);
    action("ShowAllPoints")->trigger();
    const ViewState turned = data.view.state();
    action("CloseProject1")->trigger();
    action("Undo1")->trigger();
    EXPECT_EQ(data.view.state(), turned);
    EXPECT_EQ(azimuthBar->value(), 31);
    EXPECT_TRUE(everyPointOnPlan());
}

TEST_F(PlanViewTest, FindPointSelectsCentresAndSaysWhenTheNumberIsUnknown) {
    importPointsAt(12, 5412000, 7312000);
    QString unknownSaid;
    QTimer::singleShot(0, &main(), [&unknownSaid] {
        auto* dialog = qobject_cast<FindPointDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->findChild<QLineEdit*>("number")->setText("99");
        dialog->findClick();
        unknownSaid = dialog->findChild<QLabel*>("notFound")->text();
        dialog->findChild<QLineEdit*>("number")->setText("7");
        dialog->findClick();
    });
    action("FindPoint")->trigger();
    EXPECT_TRUE(unknownSaid.contains("99")) << unknownSaid.toStdString();
    EXPECT_EQ(data.points.selected()[6], 1);
    EXPECT_EQ(checkState(6), Qt::Checked);
    const PixelSize size = plan().bitmapSize();
    EXPECT_NEAR(drawnAt(6).x, size.width * 0.5, 1e-6);
    EXPECT_NEAR(drawnAt(6).y, size.height * 0.5, 1e-6);
}

// At the table's top the wheel goes no further: the plan keeps its scale.
TEST_F(PlanViewTest, TheWheelOverTheTableNeverZoomsThePlan) {
    importPoints(200);
    main().show();
    const double scale = data.view.state().scale;
    QWidget* viewport = grid()->viewport();
    const QPointF over(20, 20);
    QWheelEvent event(over, viewport->mapToGlobal(over), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewport, &event);
    EXPECT_TRUE(event.isAccepted());  // an accepted turn goes no further up
    EXPECT_EQ(data.view.state().scale, scale);
    wheel(1);  // elsewhere it zooms
    EXPECT_NE(data.view.state().scale, scale);
}

TEST_F(PlanViewTest, OneColourPaintsEveryPointAqua) {
    importPoints(11);
    PointStore red = data.points.store();
    for (std::size_t i = 0; i < 11; ++i) red.setColour(i, 0x000000FF);
    data.points.replace(std::move(red), {}, "survey");
    action("N13")->trigger();
    EXPECT_EQ(data.points.store().colour(), std::vector<std::int32_t>(11, kColourAqua));
    EXPECT_EQ(picture().pixel(235, 221) | 0xFF000000, kAqua);
}

TEST(Notice, ClosesItselfAfterEightTicksOrOnOk) {
    TForm7 notice(nullptr);
    EXPECT_EQ(notice.findChild<QLabel*>("Label1")->text(),
              QString::fromUtf8(kSeveralPointsCaption));
    notice.showNotice("one");
    for (int tick = 0; tick < 7; ++tick) notice.Timer1Timer();
    EXPECT_TRUE(notice.isVisible());
    notice.showNotice("two");  // already up: the count goes on
    EXPECT_EQ(notice.ticks(), 7);
    EXPECT_EQ(notice.windowTitle(), "two");
    EXPECT_EQ(notice.findChild<QLabel*>("Label1")->text(), "two");  // shown inside too
    notice.Timer1Timer();
    EXPECT_FALSE(notice.isVisible());

    notice.showNotice("three");
    EXPECT_EQ(notice.ticks(), 0);
    notice.Button1Click();
    EXPECT_FALSE(notice.isVisible());
    EXPECT_EQ(notice.ticks(), 8);
}

class SettingsTest : public PlanViewTest {
protected:
    QLineEdit* radius() { return settings().findChild<QLineEdit*>("Cursor"); }
};

TEST_F(SettingsTest, TheMasterBoxAndItsSubBoxesDriveEachOther) {
    settingsBox("ShowNumberHight")->setChecked(false);
    EXPECT_FALSE(settingsBox("ShowNumber")->isChecked());
    EXPECT_FALSE(settingsBox("ShowHight")->isChecked());
    EXPECT_EQ(data.view.state().showNumbers, 0);
    EXPECT_EQ(data.view.state().showHeights, 0);
    settingsBox("ShowNumberHight")->setChecked(true);
    EXPECT_EQ(data.view.state().showNumbers, 1);
    EXPECT_EQ(data.view.state().showHeights, 1);

    settingsBox("ShowHight")->setChecked(false);  // one sub-box off: the master stays
    EXPECT_TRUE(settingsBox("ShowNumberHight")->isChecked());
    EXPECT_EQ(data.view.state().showHeights, 0);
    settingsBox("ShowNumber")->setChecked(false);  // both off: the master follows
    EXPECT_FALSE(settingsBox("ShowNumberHight")->isChecked());
    EXPECT_EQ(data.view.state().showNumbers, 0);
}

TEST_F(SettingsTest, TheRadiusFollowsEachKeystrokeAndRejectsNonIntegers) {
    radius()->clear();
    EXPECT_EQ(dialogs.takeMessages(), QStringList{"'' is not a valid integer value"});
    QTest::keyClicks(radius(), "12");
    EXPECT_EQ(data.view.state().cursorRadius, 12);
    QTest::keyClick(radius(), Qt::Key_Backspace);
    EXPECT_EQ(data.view.state().cursorRadius, 1);
    QTest::keyClicks(radius(), "a");
    EXPECT_EQ(dialogs.takeMessages(), QStringList{"'1a' is not a valid integer value"});
    EXPECT_EQ(data.view.state().cursorRadius, 1);
}

TEST_F(SettingsTest, ABadRadiusStopsAClickOnTheMasterBoxWithOneMessage) {
    radius()->setText("x");
    EXPECT_EQ(dialogs.takeMessages().size(), 1);
    settingsBox("ShowNumberHight")->setChecked(false);
    EXPECT_EQ(dialogs.takeMessages(), QStringList{"'x' is not a valid integer value"});
    EXPECT_FALSE(settingsBox("ShowNumber")->isChecked());  // taken before the radius stopped it
    EXPECT_TRUE(settingsBox("ShowHight")->isChecked());
    EXPECT_EQ(data.view.state().cursorRadius, 5);
}

TEST_F(SettingsTest, ScalingBoxAndImportKeepTheWindowsChoices) {
    settingsBox("CheckBox1")->setChecked(true);
    EXPECT_EQ(data.view.state().scaleLabelsWithZoom, 1);
    settingsBox("ShowHight")->setChecked(false);
    importPoints(3);
    EXPECT_EQ(data.view.state().showHeights, 0);
    EXPECT_EQ(data.view.state().scaleLabelsWithZoom, 1);
}

// The caption wraps onto a second line, and a click there toggles the box as well.
TEST_F(SettingsTest, TheScalingCaptionsSecondLineTogglesTheBox) {
    QCheckBox* box = settingsBox("CheckBox1");
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->width() / 2, box->height() - 4));
    EXPECT_EQ(data.view.state().scaleLabelsWithZoom, 1);
}

// A value the task can use is kept at once (a decimal comma too); another brings the kept
// one back into the field, with a message saying what the field takes.
TEST_F(SettingsTest, ToleranceFieldsKeepOnlyValuesTheTasksCanUse) {
    const struct {
        const char* field;
        const Tolerance& tolerance;
        const char* typed;
        double kept;
        bool refused;
    } cases[] = {
        {"JoinLimit", kJoinLimit, "0,2", 0.2, false},
        {"JoinLimit", kJoinLimit, "0", 0.2, true},
        {"BlunderConfidence", kBlunderConfidence, "1", 0.99, true},
        {"Refraction", traverseTolerance(&TraverseSettings::refraction), "0", 0, false},
        {"Refraction", traverseTolerance(&TraverseSettings::refraction), "1", 0, true},
        {"SigmaDistancePpm", traverseTolerance(&TraverseSettings::sigmaDistancePpm), "0", 0,
         false},
        {"AngularLimit", traverseTolerance(&TraverseSettings::angularLimitSeconds), "-5", 60,
         true},
    };
    for (const auto& c : cases) {
        QLineEdit* field = settings().findChild<QLineEdit*>(c.field);
        field->setText(c.typed);
        QTest::keyClick(field, Qt::Key_Return);
        EXPECT_EQ(read(c.tolerance), c.kept) << c.typed;
        EXPECT_EQ(dialogs.takeMessages().size(), c.refused ? 1 : 0) << c.typed;
        EXPECT_EQ(field->text(), c.refused ? QString::number(c.kept) : c.typed);
    }
}

TEST_F(SettingsTest, ANewFontShowsFromTheNextRedrawOn) {
    const QImage before = picture();
    QFont big(QStringLiteral("DejaVu Sans"), 20);
    dialogs.answerFont(big);
    QTest::mouseClick(settings().findChild<QPushButton*>("Button2"), Qt::LeftButton);
    EXPECT_EQ(plan().labelFont(), big);
    EXPECT_EQ(picture(), before);
    main().redraw();
    EXPECT_NE(picture(), before);      // the axis letters are larger
    dialogs.answerFont(std::nullopt);  // cancelled: the font stays
    QTest::mouseClick(settings().findChild<QPushButton*>("Button2"), Qt::LeftButton);
    EXPECT_EQ(plan().labelFont(), big);
}

}  // namespace
}  // namespace korvela
