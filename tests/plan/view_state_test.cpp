#include "plan/plan_view.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "points/point_store.h"

namespace korvela {
namespace {

double doubleAt(const ViewState::Image& image, std::size_t offset) {
    double value = 0;
    std::memcpy(&value, image.data() + offset, sizeof value);  // the test machine is little-endian
    return value;
}

TEST(ViewState, StartsAtTheResetValues) {
    const ViewState view;
    EXPECT_EQ(view.scale, 0.03);
    EXPECT_EQ(view.cursorRadius, 5);
    EXPECT_EQ(view.showNumbers, 1);
    EXPECT_EQ(view.showHeights, 1);
    EXPECT_EQ(view.scaleLabelsWithZoom, 0);
    EXPECT_EQ(view.offsetX, 0);
    EXPECT_EQ(view.panDown, 0);
}

TEST(ViewState, FileImageHasTheFixedLayout) {
    ViewState view;
    const double doubles[] = {1.5, -2.25, 3, 45, 30, 315, 0.0456, -7, 8, 9.5};
    double* fields[] = {&view.offsetX,  &view.offsetY,    &view.offsetZ, &view.rollDeg,
                        &view.tiltDeg,  &view.azimuthDeg, &view.scale,   &view.panDown,
                        &view.panRight, &view.depthOffset};
    for (std::size_t i = 0; i < 10; ++i) *fields[i] = doubles[i];
    view.cursorRadius = -0x01020304;
    view.showNumbers = 0;
    view.showHeights = 1;
    view.scaleLabelsWithZoom = 1;

    const ViewState::Image image = view.toImage();
    for (std::size_t i = 0; i < 10; ++i) EXPECT_EQ(doubleAt(image, 8 * i), doubles[i]) << i;
    // int32 −0x01020304 little-endian is FC FC FD FE
    EXPECT_EQ(image[80], 0xFC);
    EXPECT_EQ(image[81], 0xFC);
    EXPECT_EQ(image[82], 0xFD);
    EXPECT_EQ(image[83], 0xFE);
    EXPECT_EQ(image[84], 0);
    EXPECT_EQ(image[85], 1);
    EXPECT_EQ(image[86], 1);
    EXPECT_EQ(image[87], 0);
    EXPECT_EQ(ViewState::fromImage(image), view);
}

PointStore storeOf(int count) {
    PointStore store;
    for (int i = 0; i < count; ++i)
        store.append(std::to_string(i), 100.0 + i, 200.0 + i, 50.0 + i, kColourAqua, 1);
    return store;
}

TEST(ViewState, CentreViewOnStoreLooksAtTheEleventhPoint) {
    ViewState view;
    view.scale = 7;
    view.cursorRadius = 12;
    CentreViewOnStore(view, storeOf(10));
    EXPECT_EQ(view, ViewState());  // ten points: only the reset

    CentreViewOnStore(view, storeOf(11));
    EXPECT_EQ(view.offsetX, -110);
    EXPECT_EQ(view.offsetY, -210);
    EXPECT_EQ(view.offsetZ, 60.0 - 20.0);
    EXPECT_EQ(view.scale, 0.03);
}

TEST(ViewState, RestoreFromProjectTakesScalePansAndDepthOnly) {
    ViewState view;
    view.offsetX = 5;
    view.rollDeg = 90;
    ViewState fromFile;
    fromFile.offsetX = 99;
    fromFile.rollDeg = 10;
    fromFile.cursorRadius = 40;
    fromFile.scale = 0.5;
    fromFile.panDown = 1;
    fromFile.panRight = 2;
    fromFile.depthOffset = 3;
    RestoreViewFromProject(view, fromFile);
    EXPECT_EQ(view.offsetX, 5);
    EXPECT_EQ(view.rollDeg, 90);
    EXPECT_EQ(view.cursorRadius, 5);
    EXPECT_EQ(view.scale, 0.5);
    EXPECT_EQ(view.panDown, 1);
    EXPECT_EQ(view.panRight, 2);
    EXPECT_EQ(view.depthOffset, 3);
}

TEST(ViewState, AScaleThePlanCannotUseFallsBackToTheResetScale) {
    for (double bad : {0.0, -1.0, std::numeric_limits<double>::infinity(),
                       std::numeric_limits<double>::quiet_NaN()}) {
        ViewState view;
        view.scale = 2;
        ViewState fromFile;
        fromFile.scale = bad;
        RestoreViewFromProject(view, fromFile);
        EXPECT_EQ(view.scale, 0.03) << bad;
    }
}

}  // namespace
}  // namespace korvela
