// What a tick asks to be drawn again: only what visibly changed, and nothing
// while the clock is not shown.

#include "ClockRendering.h"
#include "settings/SettingsKeys.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QPaintEvent>

#include <gtest/gtest.h>

namespace {

// Counts the paint events a widget receives and keeps the last one's region.
class PaintCounter : public QObject
{
public:
    explicit PaintCounter(QWidget &widget) { widget.installEventFilter(this); }
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            ++paints;
            region = static_cast<QPaintEvent *>(event)->region();
        }
        return false;
    }
    int paints = 0;
    QRegion region;
};

void settle()
{
    QDeadlineTimer deadline(50);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
}

class Repaint : public ::testing::Test
{
protected:
    void show(RenderedClock &clock)
    {
        clock.view.resize(128, 128);
        clock.view.show();
        settle();
    }
    void tickAt(RenderedClock &clock, int hour, int minute, int second)
    {
        clock.now.set(utcInstant(2026, 12, 6, hour, minute, second));
        clock.view.timerFired();
        settle();
    }
};

} // namespace

TEST_F(Repaint, ASecondHandRepaintsOnlyWhereTheHandsMoved)
{
    RenderedClock clock(utcInstant(2026, 12, 6, 10, 10, 30), {});
    show(clock);
    PaintCounter counter(clock.view);
    tickAt(clock, 10, 10, 31);
    ASSERT_EQ(counter.paints, 1);
    const QRect painted = counter.region.boundingRect();
    EXPECT_LT(painted.width() * painted.height(), 128 * 128);
    // The second hand's tip at 31 s lies inside: 57.6 points out at -96 degrees.
    const Point tip = alongAngle(clock.view, -96.0f, 0.9f);
    EXPECT_TRUE(painted.contains(QPoint(static_cast<int>(tip.x), static_cast<int>(128 - tip.y))));
}

TEST_F(Repaint, WithoutSecondsTheClockRepaintsWhenTheMinuteHandVisiblyMoves)
{
    RenderedClock clock(utcInstant(2026, 12, 6, 10, 10, 30),
                        {{Keys::ShowSeconds, PropertyList::boolean(false)}});
    show(clock);
    PaintCounter counter(clock.view);
    // 0.1 degree a second moves the tip of a 48-point minute hand 0.08 points:
    // the third second is the first to reach a quarter pixel.
    tickAt(clock, 10, 10, 31);
    tickAt(clock, 10, 10, 32);
    EXPECT_EQ(counter.paints, 0);
    tickAt(clock, 10, 10, 33);
    EXPECT_EQ(counter.paints, 1);
    tickAt(clock, 10, 10, 34);
    EXPECT_EQ(counter.paints, 1);
}

TEST_F(Repaint, AChangedTextRepaintsTheWholeClock)
{
    RenderedClock clock(utcInstant(2026, 12, 6, 11, 59, 59), {});
    show(clock);
    PaintCounter counter(clock.view);
    tickAt(clock, 12, 0, 0); // AM becomes PM
    ASSERT_EQ(counter.paints, 1);
    EXPECT_EQ(counter.region.boundingRect(), QRect(0, 0, 128, 128));
}

TEST_F(Repaint, AHiddenClockDoesNotPaint)
{
    RenderedClock clock(utcInstant(2026, 12, 6, 10, 10, 30), {});
    PaintCounter counter(clock.view);
    tickAt(clock, 10, 10, 31);
    tickAt(clock, 10, 10, 32);
    EXPECT_EQ(counter.paints, 0);
    // Shown again, it draws the hands where they are now.
    show(clock);
    EXPECT_GE(counter.paints, 1);
    const QImage image = clock.render(4);
    EXPECT_TRUE(isInk(pixelAt(image, alongAngle(clock.view, -102.0f, 0.7f)))) << "32 s";
}

TEST_F(Repaint, ACoveredClockDoesNotPaintUntilUncovered)
{
    RenderedClock clock(utcInstant(2026, 12, 6, 10, 10, 30), {});
    show(clock);
    PaintCounter counter(clock.view);
    clock.view.setCovered(true);
    tickAt(clock, 10, 10, 31);
    tickAt(clock, 10, 10, 32);
    EXPECT_EQ(counter.paints, 0);
    // The window system keeps showing the last frame: all of it is drawn anew.
    clock.view.setCovered(false);
    settle();
    ASSERT_EQ(counter.paints, 1);
    EXPECT_EQ(counter.region.boundingRect(), QRect(0, 0, 128, 128));
    tickAt(clock, 10, 10, 33);
    EXPECT_EQ(counter.paints, 2);
}

TEST_F(Repaint, ADigitalClockRepaintsWithTheTimeItShows)
{
    RenderedClock clock(utcInstant(2026, 12, 6, 10, 10, 30),
                        {{Keys::DigitalClock, PropertyList::boolean(true)},
                         {Keys::ShowSeconds, PropertyList::boolean(false)}});
    show(clock);
    PaintCounter counter(clock.view);
    tickAt(clock, 10, 10, 31);
    tickAt(clock, 10, 10, 59);
    EXPECT_EQ(counter.paints, 0);
    tickAt(clock, 10, 11, 0);
    EXPECT_EQ(counter.paints, 1);
}
