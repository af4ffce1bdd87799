#include "clockview/Decorations.h"
#include "clockview/DialMarks.h"
#include "clockview/DigitalReadout.h"
#include "clockview/HandShapes.h"
#include "settings/ClockDefaults.h"

#include <QTransform>

#include <gtest/gtest.h>

#include <cmath>

TEST(HandShapes, WorkedVerticesForARadiusOf64)
{
    const float R = 64;
    EXPECT_EQ(HandShapes::hourHand(R), (HandShapes::Polygon{{{float(-3.84), 0},
                                                             {0, float(-1.92)},
                                                             {32, float(-0.48)},
                                                             {32, float(0.48)},
                                                             {0, float(1.92)}}}));
    EXPECT_EQ(HandShapes::minuteHand(R)[2], (Point{48, float(-0.48)}));
    // 0.0075 R = 0.48 is below half a point, so the second hand's base is 1 point.
    EXPECT_EQ(HandShapes::secondHand(R), (HandShapes::Polygon{{{float(-3.84), 0},
                                                               {0, -0.5f},
                                                               {float(57.6), float(-0.48)},
                                                               {float(57.6), float(0.48)},
                                                               {0, 0.5f}}}));
    EXPECT_EQ(HandShapes::alternateDisc(R), (Rect{float(52.8 - 4), -4, 8, 8}));
}

TEST(HandShapes, TheSecondHandBecomesABarAboveTwoThirdsOfAHundred)
{
    const HandShapes::Polygon bar = HandShapes::secondHand(100);
    EXPECT_EQ(bar[1], (Point{0, -0.75f}));
    EXPECT_EQ(bar[2], (Point{90, -0.75f}));
    const HandShapes::Polygon even = HandShapes::secondHand(200.0f / 3.0f);
    EXPECT_FLOAT_EQ(even[1].y, even[2].y);
}

TEST(DialMarks, WorkedValuesForARadiusOf64)
{
    const float r = 64;
    const Rect dot = DialMarks::dotRect(r);
    EXPECT_FLOAT_EQ(dot.width, 3.84f);
    EXPECT_FLOAT_EQ(dot.x + dot.width / 2, 52.8f);
    EXPECT_FLOAT_EQ(dot.y + dot.height / 2, 0.0f);
    EXPECT_EQ(DialMarks::labelAnchor(r).x, dot.x + dot.width * 0.5f);
    EXPECT_EQ(DialMarks::labelFontSize(r, false), 12.0f);
    EXPECT_EQ(DialMarks::labelFontSize(r, true), 8.0f);
    EXPECT_EQ(DialMarks::labelFontSize(4.9f, false), 0.0f); // the standard size
    const auto [from, to] = DialMarks::minuteTick(r);
    EXPECT_FLOAT_EQ(from.x, 52.16f);
    EXPECT_FLOAT_EQ(to.x, 53.44f);
    EXPECT_FLOAT_EQ(DialMarks::borderLineWidth(r), 1.28f);
    // The border circle: radius 0.99 r about the centre of the square face.
    const QPointF onBorder = DialMarks::borderTransform(r).map(QPointF(2 * r, r));
    EXPECT_NEAR(onBorder.x() - r, 63.36, 1e-9);
    EXPECT_EQ(DialMarks::faceDisc({0, 0, 96, 128}, 48), (Rect{0, 16, 96, 96}));
}

TEST(DialMarks, HourMarksRunClockwiseFromTheFirstHour)
{
    for (const bool twentyFour : {false, true}) {
        const DialMarks::Marks marks = DialMarks::hourMarks(twentyFour);
        const int perTurn = twentyFour ? 24 : 12;
        EXPECT_EQ(marks.count, perTurn);
        float angle = marks.firstAngle;
        for (int k = 1; k <= marks.count; ++k, angle -= marks.step) {
            EXPECT_EQ(angle, 90.0f - 360.0f / perTurn * k);
        }
    }
    EXPECT_EQ(DialMarks::minuteMarks(false).count, 60);
    EXPECT_EQ(DialMarks::minuteMarks(true).step, 3.0f);
}

TEST(DialMarks, LabelsOfEachStyle)
{
    const QStringList roman = ClockDefaults::romanNumerals();
    EXPECT_EQ(DialMarks::hourLabel(2, 3, roman), QStringLiteral("IIII"));
    EXPECT_EQ(DialMarks::hourLabel(2, 22, roman), QStringLiteral("XXIII"));
    EXPECT_EQ(DialMarks::hourLabel(2, 23, roman), QString()); // hour 24 has no numeral
    EXPECT_EQ(DialMarks::hourLabel(2, 0, {}), QString());
    EXPECT_EQ(DialMarks::hourLabel(3, 23, roman), QStringLiteral("24"));
    EXPECT_EQ(DialMarks::hourLabel(1, 0, roman), QString());
}

TEST(Decorations, FontSizesAndFixedPlaces)
{
    EXPECT_EQ(Decorations::fontSize(64), 12.0f);
    EXPECT_EQ(Decorations::fontSize(32), 9.0f);
    EXPECT_EQ(Decorations::fontSize(100), 16.0f);
    const Point c{64, 64};
    const Size text{20, 14};
    EXPECT_EQ(Decorations::meridianOrigin(c, 64, text), (Point{54, 64 - 8 - 14}));
    EXPECT_EQ(Decorations::zoneOrigin(c, 64, text), (Point{54, 64 - 8 - 28}));
    EXPECT_EQ(Decorations::dateOrigin(c, 64, text), (Point{54, 72}));
    EXPECT_EQ(Decorations::weekdayOrigin(c, 64, text), (Point{54, 86}));
}

TEST(DigitalLayout, PatternsAndSamplesFollowTheSwitches)
{
    EXPECT_EQ(DigitalLayout::timePattern(false, true, true), QStringLiteral("h:mm:ss a"));
    EXPECT_EQ(DigitalLayout::timePattern(true, false, false), QStringLiteral("HH:mm"));
    EXPECT_EQ(DigitalLayout::timePattern(true, true, true), QStringLiteral("HH:mm:ss a"));
    EXPECT_EQ(DigitalLayout::fittingSample(true, true), QStringLiteral("12:00:00 AM"));
    EXPECT_EQ(DigitalLayout::fittingSample(true, false), QStringLiteral("12:00:00"));
    EXPECT_EQ(DigitalLayout::fittingSample(false, true), QStringLiteral("12:00 AM"));
    EXPECT_EQ(DigitalLayout::fittingSample(false, false), QStringLiteral("12:00"));
}

TEST(DigitalLayout, FittingShrinksBy0_9375AndEndsAtOnePoint)
{
    QList<float> tried;
    const float size = DigitalLayout::fitTypeSize(64, 115.2f, [&tried](float s) {
        tried << s;
        return s * 2.0f; // a text twice as wide as its type is high
    });
    EXPECT_EQ(tried, (QList<float>{64, 60, 56.25f}));
    EXPECT_EQ(size, 56.25f);

    // A view of width 0: no size fits, and the search still ends.
    int steps = 0;
    EXPECT_EQ(DigitalLayout::fitTypeSize(128, 0,
                                         [&steps](float s) {
                                             ++steps;
                                             return s;
                                         }),
              1.0f);
    EXPECT_LT(steps, 100);
    EXPECT_EQ(DigitalLayout::fitTypeSize(0, 10, [](float s) { return s; }), 1.0f);
    EXPECT_EQ(DigitalLayout::fitTypeSize(std::nanf(""), 10, [](float s) { return s; }), 1.0f);
}

TEST(DigitalLayout, TheBorderCoversTheOutermostBand)
{
    const Rect bounds{0, 0, 128, 58};
    EXPECT_FLOAT_EQ(DigitalLayout::borderLineWidth(bounds), 1.28f);
    const Rect border = DigitalLayout::borderRect(bounds);
    EXPECT_FLOAT_EQ(border.x, 0.64f);
    EXPECT_FLOAT_EQ(border.width, 128 - 1.28f);
}

TEST(DigitalReadout, MeasuresTheWidestLineByTheStackedHeights)
{
    DigitalReadout readout;
    readout.lines = {{QStringLiteral("10:10:30 AM"), Font::userFontOfSize(20), Color::black()},
                     {QStringLiteral("UTC"), Font::userFontOfSize(12.5f), Color::black()},
                     {QStringLiteral("Wednesday"), Font::userFontOfSize(11), Color::black()}};
    const Size time = readout.lines[0].font.sizeOfText(readout.lines[0].text);
    const Size zone = readout.lines[1].font.sizeOfText(readout.lines[1].text);
    const Size day = readout.lines[2].font.sizeOfText(readout.lines[2].text);
    const Size size = readout.size();
    EXPECT_EQ(size.width, std::max({time.width, zone.width, day.width}));
    EXPECT_FLOAT_EQ(size.height, time.height + zone.height + day.height);
    // Fractional type sizes are honoured: 12.5 points is not 12 or 13.
    EXPECT_GT(zone.width, Font::userFontOfSize(12).sizeOfText(QStringLiteral("UTC")).width);
    EXPECT_LT(zone.width, Font::userFontOfSize(13).sizeOfText(QStringLiteral("UTC")).width);

    const QList<Point> origins = readout.lineOrigins({0, 10, 128, size.height});
    EXPECT_FLOAT_EQ(origins[0].y, 10 + size.height - time.height);
    EXPECT_FLOAT_EQ(origins[2].y, 10.0f);
    EXPECT_FLOAT_EQ(origins[1].x, 0.5f * (128 - zone.width));
}
