#include "ClockRendering.h"
#include "app/TKWController.h"
#include "platform/Color.h"
#include "platform/ValueTransformer.h"
#include "settings/SettingsKeys.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const Instant tenPastTen = utcInstant(2026, 12, 6, 10, 10, 30);

PropertyList on()
{
    return PropertyList::boolean(true);
}

// Any ink in a square of `half` points around a point.
bool inkNear(const QImage &image, Point centre, float half)
{
    const qreal scale = image.devicePixelRatio();
    for (float dx = -half; dx <= half; dx += 0.5f / static_cast<float>(scale)) {
        for (float dy = -half; dy <= half; dy += 0.5f / static_cast<float>(scale)) {
            const QColor color = pixelAt(image, {centre.x + dx, centre.y + dy});
            if (color.alpha() > 200 && color.value() < 100) {
                return true;
            }
        }
    }
    return false;
}

} // namespace

TEST(ClockRendering, TheDefaultClockAtTenPastTen)
{
    RenderedClock clock(tenPastTen, {});
    const QImage image = clock.render(4);
    ASSERT_EQ(image.size(), QSize(512, 512));
    const TKWView &view = clock.view;
    ASSERT_EQ(view.center(), (Point{64, 64}));
    ASSERT_EQ(view.radius(), 64.0f);

    EXPECT_TRUE(isInk(pixelAt(image, alongAngle(view, -215.25f, 0.3f)))) << "hour hand";
    EXPECT_TRUE(isInk(pixelAt(image, alongAngle(view, 27.0f, 0.6f)))) << "minute hand";
    EXPECT_TRUE(isInk(pixelAt(image, alongAngle(view, -90.0f, 0.7f)))) << "second hand";
    // Where no hand lies, the face shows through at half alpha.
    EXPECT_TRUE(isHalfAlphaFace(pixelAt(image, alongAngle(view, 200.0f, 0.6f))));
    EXPECT_TRUE(isHalfAlphaFace(pixelAt(image, alongAngle(view, 180.0f, 0.3f))));
    EXPECT_EQ(pixelAt(image, {0.5f, 0.5f}).alpha(), 0);
    EXPECT_EQ(pixelAt(image, {127.5f, 127.5f}).alpha(), 0);
    EXPECT_EQ(pixelAt(image, {0.5f, 127.5f}).alpha(), 0);

    // The border: a dark ring just inside the disc's edge.
    EXPECT_TRUE(isInk(pixelAt(image, alongAngle(view, 45.0f, 0.99f))));
    EXPECT_TRUE(isHalfAlphaFace(pixelAt(image, alongAngle(view, 45.0f, 0.95f))));
    // The dots of the hours, and face between them.
    EXPECT_TRUE(isInk(pixelAt(image, alongAngle(view, 0.0f, 0.825f))));
    EXPECT_TRUE(isInk(pixelAt(image, alongAngle(view, 150.0f, 0.825f))));
    EXPECT_TRUE(isHalfAlphaFace(pixelAt(image, alongAngle(view, 15.0f, 0.825f))));
}

TEST(ClockRendering, ATwentyFourHourDialAtSixInTheEveningPointsLeft)
{
    RenderedClock clock(utcInstant(2026, 12, 6, 18, 0, 20), {{Keys::TwentyFour, on()}});
    const QImage image = clock.render(4);
    EXPECT_FLOAT_EQ(clock.view.angleH(), static_cast<float>(90 - 15 * (18 + 20.0 / 3600)));
    EXPECT_TRUE(isInk(pixelAt(image, alongAngle(clock.view, 180.0f, 0.3f))));
    EXPECT_TRUE(isHalfAlphaFace(pixelAt(image, alongAngle(clock.view, 0.0f, 0.3f))));
}

TEST(ClockRendering, RomanNumeralsOnTwentyFourHoursLeaveTheTopEmpty)
{
    RenderedClock clock(utcInstant(2026, 12, 6, 18, 0, 20),
                        {{Keys::TwentyFour, on()}, {Keys::PipStyle, PropertyList::integer(2)}});
    const QImage image = clock.render(4);
    EXPECT_FALSE(inkNear(image, alongAngle(clock.view, 90.0f, 0.825f), 3)) << "hour 24";
    EXPECT_TRUE(inkNear(image, alongAngle(clock.view, 75.0f, 0.825f), 3)) << "hour 1";
    EXPECT_TRUE(inkNear(image, alongAngle(clock.view, 30.0f, 0.825f), 3)) << "hour 4";
}

TEST(ClockRendering, MarksFollowThePipStyle)
{
    const auto render = [](int style, bool minutePips) {
        return RenderedClock(tenPastTen, {{Keys::PipStyle, PropertyList::integer(style)},
                                          {Keys::MinutePips, PropertyList::boolean(minutePips)}})
            .render(2);
    };
    // Style 0 draws no marks at all, minute marks included.
    EXPECT_EQ(render(0, true), render(0, false));
    EXPECT_NE(render(0, false), render(1, false));
    // Any other unknown style still lets the minute marks through.
    const QImage ticks = render(4, true);
    EXPECT_NE(ticks, render(4, false));
    EXPECT_EQ(render(4, false), render(0, false));
    RenderedClock probe(tenPastTen, {});
    EXPECT_TRUE(isInk(pixelAt(ticks, alongAngle(probe.view, 84.0f, 0.825f))));
}

TEST(ClockRendering, FadingGivesTheHandsTheOpacity)
{
    RenderedClock clock(tenPastTen, {{Keys::FadeHands, on()}});
    const QImage image = clock.render(4);
    const QColor hour = pixelAt(image, alongAngle(clock.view, -215.25f, 0.3f));
    // Half-alpha black over the half-alpha face.
    EXPECT_NEAR(hour.alpha(), 191, 3);
    EXPECT_LT(hour.red(), 100);
}

TEST(ClockRendering, AViewThatHasNotWokenDrawsNothing)
{
    RenderedClock clock(tenPastTen, {}, false);
    const QImage image = clock.render(2);
    ASSERT_FALSE(image.isNull());
    QImage transparent(image.size(), image.format());
    transparent.setDevicePixelRatio(2);
    transparent.fill(Qt::transparent);
    EXPECT_EQ(image, transparent);
}

TEST(ClockRendering, DuringACalibrationOnlyTheFaceAndTheCircleAreDrawn)
{
    RenderedClock clock(tenPastTen, {});
    TKWViewTestAccess::defineDial(clock.view, {64, 64}, {94, 64});
    const QImage image = clock.render(4);
    EXPECT_TRUE(isInk(pixelAt(image, {94, 64})));
    EXPECT_TRUE(isInk(pixelAt(image, {64, 34})));
    EXPECT_TRUE(isHalfAlphaFace(pixelAt(image, alongAngle(clock.view, -215.25f, 0.3f))));
    EXPECT_TRUE(isHalfAlphaFace(pixelAt(image, alongAngle(clock.view, 0.0f, 0.825f))));
    EXPECT_TRUE(isInk(pixelAt(image, alongAngle(clock.view, 45.0f, 0.99f)))) << "border stays";
}

TEST(ClockRendering, TheDigitalWindowLeavesEqualMargins)
{
    RenderedClock clock(tenPastTen, {{Keys::DigitalClock, on()}, {Keys::ShowWeekday, on()}});
    const Rect frame = clock.frame();
    // The readout as it was measured: at the provisional 128-point square.
    clock.window->setFrame({frame.x, frame.y, 128, 128}, false);
    const Size text = clock.view.digitalTimeStringForDate(tenPastTen).size();
    EXPECT_EQ(frame.width, 128.0f);
    EXPECT_EQ(frame.height, std::ceil(128 - text.width + text.height));
    // The window kept its centre.
    EXPECT_EQ(frame.y, (128 - frame.height) * 0.5f + 1000);
}

TEST(ClockRendering, TheDigitalReadoutFillsItsWindow)
{
    RenderedClock clock(tenPastTen, {{Keys::DigitalClock, on()}});
    const QImage image = clock.render(2);
    const Rect frame = clock.frame();
    EXPECT_EQ(image.size(), QSize(256, static_cast<int>(2 * frame.height)));
    // Face in the corners (the fill replaces, it does not blend), ink on the border
    // and in the middle of the time.
    EXPECT_TRUE(isInk(pixelAt(image, {0.3f, frame.height / 2})));
    EXPECT_TRUE(isHalfAlphaFace(pixelAt(image, {3, 3})));
    bool inkInText = false;
    for (float x = 20; x < 108 && !inkInText; x += 0.5f) {
        inkInText = isInk(pixelAt(image, {x, frame.height / 2}));
    }
    EXPECT_TRUE(inkInText);
}

TEST(ClockRendering, APictureGivesTheWindowItsProportions)
{
    TKWController::initialize();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("face.png"));
    QImage picture(400, 300, QImage::Format_ARGB32);
    picture.fill(QColor(20, 40, 200));
    ASSERT_TRUE(picture.save(path));
    const ValueTransformer *aliases =
        ValueTransformer::valueTransformerForName(QStringLiteral("TKWPathToAliasTransformer"));
    ASSERT_NE(aliases, nullptr);
    const PropertyList alias = aliases->reverseTransformedValue(PropertyList::string(path));
    ASSERT_FALSE(alias.isNone());

    RenderedClock clock(tenPastTen, {{Keys::UseFaceImage, on()},
                                     {Keys::FaceImage, alias},
                                     {Keys::Opacity, PropertyList::real(1.0)}});
    EXPECT_EQ(clock.frame().size(), (Size{128, 96}));
    // The dial sits on the picture where the factors say: a quarter across,
    // half up, with a radius of a quarter of the width.
    EXPECT_EQ(clock.view.center(), (Point{32, 48}));
    EXPECT_EQ(clock.view.radius(), 32.0f);
    const QImage image = clock.render(1);
    EXPECT_EQ(image.size(), QSize(128, 96));
    const QColor corner = pixelAt(image, {126, 94});
    EXPECT_EQ(corner.alpha(), 255);
    EXPECT_NEAR(corner.blue(), 200, 2);

    // Switching the picture off gives the square clock with its face colour back.
    clock.view.configData()->setValue(Keys::UseFaceImage, PropertyList::boolean(false));
    EXPECT_EQ(clock.frame().size(), (Size{128, 128}));
    EXPECT_TRUE(clock.view.faceImage().isNull());
}

TEST(ClockRendering, HighPixelRatiosDrawAtFullResolution)
{
    // Across the disc's edge the border goes from transparent to opaque: at any
    // ratio within a pixel or two of the device, not in a blur scaled up.
    const auto blurredPixelsAtEdge = [](const QImage &image) {
        const int y = image.height() / 2;
        int blurred = 0;
        for (int x = 0; x < image.width() / 4; ++x) {
            const int alpha = image.pixelColor(x, y).alpha();
            if (alpha >= 250) {
                return blurred;
            }
            blurred += alpha > 0 ? 1 : 0;
        }
        return -1;
    };
    RenderedClock clock(tenPastTen, {});
    for (const qreal scale : {1.0, 1.5, 2.0, 3.0}) {
        const QImage image = clock.render(scale);
        EXPECT_EQ(image.width(), qCeil(128 * scale));
        const int blurred = blurredPixelsAtEdge(image);
        EXPECT_GE(blurred, 0) << scale;
        EXPECT_LE(blurred, 2) << scale;
    }
}

TEST(ClockRendering, WildSizesAreDrawnAtTheNearestBoundAndKeptAsStored)
{
    for (const auto &[stored, drawn] :
         {std::pair{1000000000, 2048.0f}, std::pair{-40, 16.0f}, std::pair{0, 16.0f}}) {
        RenderedClock clock(tenPastTen, {{Keys::ClockSize, PropertyList::integer(stored)}});
        EXPECT_EQ(clock.frame().size(), (Size{drawn, drawn})) << stored;
        EXPECT_EQ(clock.view.radius(), drawn / 2) << stored;
        EXPECT_EQ(*clock.view.configData()->value(Keys::ClockSize), PropertyList::integer(stored));
    }
}
