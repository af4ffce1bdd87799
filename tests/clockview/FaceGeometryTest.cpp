#include "clockview/FaceGeometry.h"

#include <gtest/gtest.h>

using namespace WindowSizing;

TEST(FaceGeometry, WithoutAPictureTheDialFillsTheMiddle)
{
    const DialGeometry dial = faceGeometry({0, 0, 96, 128}, false, QSizeF(0.1, 0.9), 0.4f);
    EXPECT_EQ(dial.center, (Point{48, 64}));
    EXPECT_EQ(dial.radius, 48.0f);
}

TEST(FaceGeometry, OnAPictureTheFactorsPlaceTheDial)
{
    DialGeometry dial = faceGeometry({0, 0, 96, 128}, true, QSizeF(0.5, 0.5), 0.4f);
    EXPECT_EQ(dial.center, (Point{48, 64}));
    EXPECT_EQ(dial.radius, 96 * 0.4f);
    // The radius is a fraction of the width, not of the smaller side.
    EXPECT_EQ(faceGeometry({0, 0, 96, 128}, true, QSizeF(0.5, 0.5), 0.5f).radius, 48.0f);
    // No radius factor: half the smaller side, while the centre keeps its factors.
    dial = faceGeometry({0, 0, 96, 128}, true, QSizeF(0.25, 0.75), 0.0f);
    EXPECT_EQ(dial.center, (Point{24, 96}));
    EXPECT_EQ(dial.radius, 48.0f);
}

TEST(WindowSizing, PicturesGiveTheirProportionsWithTheLongerSideN)
{
    EXPECT_EQ(windowSize(128, Size{400, 300}, false, {}, 0), (Size{128, 96}));
    EXPECT_EQ(windowSize(128, Size{300, 400}, false, {}, 0), (Size{96, 128}));
    EXPECT_EQ(windowSize(128, Size{500, 500}, false, {}, 0), (Size{128, 128}));
    // A picture takes precedence over digital mode.
    EXPECT_EQ(windowSize(128, Size{400, 300}, true, Size{100, 30}, 30), (Size{128, 96}));
}

TEST(WindowSizing, DigitalClocksLeaveEqualMarginsButNeverLoseTheirTimeLine)
{
    EXPECT_EQ(windowSize(128, std::nullopt, true, Size{100, 30}, 20), (Size{128, 58}));
    EXPECT_EQ(windowSize(128, std::nullopt, true, Size{100.5f, 30}, 20), (Size{128, 58}));
    // Text wider than n plus its height would leave no window at all.
    EXPECT_EQ(windowSize(128, std::nullopt, true, Size{300, 40}, 24.5f), (Size{128, 25}));
    EXPECT_EQ(windowSize(128, std::nullopt, false, Size{100, 30}, 20), (Size{128, 128}));
}

TEST(WindowSizing, StoredSizesOutsideTheRangeAreDrawnAtTheNearestBound)
{
    EXPECT_EQ(clockSize(128), 128.0f);
    EXPECT_EQ(clockSize(0), smallestClockSize);
    EXPECT_EQ(clockSize(-40), smallestClockSize);
    EXPECT_EQ(clockSize(1000000000), largestClockSize);
}

TEST(WindowSizing, ResizingKeepsTheCentreAndTheTopBelowTheMenuBar)
{
    EXPECT_EQ(resizedFrame({100, 100, 128, 128}, {128, 58}, std::nullopt),
              (Rect{100, 135, 128, 58}));
    EXPECT_EQ(resizedFrame({100, 100, 96, 128}, {128, 128}, std::nullopt),
              (Rect{84, 100, 128, 128}));
    const MenuBar bar{800, 22};
    EXPECT_EQ(resizedFrame({0, 700, 128, 128}, {128, 128}, bar), (Rect{0, 650, 128, 128}));
    // Exactly m below the top: no overflow, no move.
    EXPECT_EQ(resizedFrame({0, 650, 128, 128}, {128, 128}, bar), (Rect{0, 650, 128, 128}));
    // Off the main screen nothing holds the window down.
    EXPECT_EQ(resizedFrame({0, 700, 128, 128}, {128, 128}, std::nullopt), (Rect{0, 700, 128, 128}));
}

TEST(WindowSizing, WindowsOffTheVisibleFrameComeBack)
{
    const Rect visible{0, 0, 1440, 878};
    EXPECT_EQ(offScreenCorrection({1500, 100, 128, 128}, visible), (Rect{1292, 100, 128, 128}));
    EXPECT_EQ(offScreenCorrection({-125, 100, 128, 128}, visible), (Rect{20, 100, 128, 128}));
    EXPECT_EQ(offScreenCorrection({1435, 100, 128, 128}, visible), std::nullopt);
    EXPECT_EQ(offScreenCorrection({100, 900, 128, 128}, visible), (Rect{100, 730, 128, 128}));
    EXPECT_EQ(offScreenCorrection({100, -124, 128, 128}, visible), (Rect{100, 20, 128, 128}));
    EXPECT_EQ(offScreenCorrection({100, -123, 128, 128}, visible), std::nullopt);
}
