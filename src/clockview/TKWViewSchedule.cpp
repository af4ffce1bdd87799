// The schedule half of TKWView: after a tick, what to draw again, and when the
// next tick is wanted.

#include "clockview/HandAngles.h"
#include "clockview/HandShapes.h"
#include "clockview/TKWView.h"
#include "desktop/x11/DirectFrame.h"
#include "graphics/Canvas.h"
#include "settings/SettingsKeys.h"
#include "time/ClockTick.h"

#include <QAccessible>

#include <array>
#include <span>

namespace tockwise {

// --- What to draw again after a tick --------------------------------------------

std::int64_t TKWView::localSecond() const
{
    const Instant now = mLastDate.value_or(Instant{});
    return std::chrono::floor<std::chrono::seconds>(now).time_since_epoch().count() +
           clockTimeZone().secondsFromGMT(now);
}

std::int64_t TKWView::readoutKey(std::int64_t local) const
{
    // The readout changes with the second it shows, or with the minute.
    return mModel.showSeconds ? local : local - ((local % 60) + 60) % 60;
}

void TKWView::setCovered(bool covered)
{
    if (covered == mCovered) {
        return;
    }
    mCovered = covered;
    if (!covered) {
        // The window system shows what was last drawn, not an exposure to draw on.
        setNeedsDisplay();
    }
}

void TKWView::setNeedsDisplay()
{
    // Ticks come only when something shown changes, so the last sample may be a
    // minute old; and angles cached for other settings (another dial, another
    // zone) must not stand. A whole new frame takes the time afresh.
    mSecondOfDay.reset();
    cacheDrawingParameters();
    redrawWhole();
    requestNextTick();
}

void TKWView::redrawWhole()
{
    mDrawn = {mAngleH, mAngleM, mAngleS, mAngleA};
    const std::int64_t local = localSecond();
    mReadoutKey = readoutKey(local);
    mPaintedMeridian = mMeridianString;
    mPaintedZone = mTimeZoneAbbr;
    mPaintedDay = local >= 0 ? local / 86400 : -((-local + 86399) / 86400);
    update();
}

void TKWView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (mWoken) {
        setNeedsDisplay();
    }
}

TKWView::HandMoves TKWView::visibleMoves(const HandPoses &poses, double ratio) const
{
    const bool alternate = mAlternateTime.has_value();
    return {HandShapes::visiblyMoved(mDrawn.h, poses.h, HandShapes::hourReach * mRadius, ratio),
            HandShapes::visiblyMoved(mDrawn.m, poses.m, HandShapes::minuteReach * mRadius, ratio),
            alternate && HandShapes::visiblyMoved(mDrawn.a, poses.a,
                                                  HandShapes::alternateReach * mRadius, ratio)};
}

QRect TKWView::handArea(std::span<const Point> shape, float angle) const
{
    constexpr float edge = 2;
    return Canvas::widgetRect(HandShapes::turnedBounds(shape, mCenter, angle).insetBy(-edge, -edge),
                              bounds().height);
}

QRegion TKWView::stillHandsChange(float fromH, float fromM, float fromA, float toH, float toM,
                                  float toA) const
{
    QRegion change;
    const auto add = [&](std::span<const Point> shape, float from, float to) {
        if (from != to) {
            change += handArea(shape, from);
            change += handArea(shape, to);
        }
    };
    add(HandShapes::hourHand(mRadius), fromH, toH);
    add(HandShapes::minuteHand(mRadius), fromM, toM);
    if (mAlternateTime) {
        const Rect disc = HandShapes::alternateDisc(mRadius);
        const std::array<Point, 4> corners = {Point{disc.x, disc.y}, Point{disc.maxX(), disc.y},
                                              Point{disc.maxX(), disc.maxY()},
                                              Point{disc.x, disc.maxY()}};
        add(corners, fromA, toA);
    }
    return change;
}

void TKWView::scheduleRepaint()
{
    if (!isVisible()) {
        // Nothing is shown: the next exposure draws the hands where they are then.
        mDrawn = {mAngleH, mAngleM, mAngleS, mAngleA};
        return;
    }
    if (mCovered) {
        // Nobody sees it; uncovered, the whole clock is drawn again.
        return;
    }
    const std::int64_t local = localSecond();
    const std::int64_t day = local >= 0 ? local / 86400 : -((-local + 86399) / 86400);
    if (mPaintedMeridian != mMeridianString || mPaintedZone != mTimeZoneAbbr ||
        mPaintedDay != day || mDefiningDial) {
        redrawWhole();
        return;
    }
    if (mModel.digital) {
        if (readoutKey(local) != mReadoutKey) {
            redrawWhole();
        }
        return;
    }

    const HandMoves moves = visibleMoves({mAngleH, mAngleM, mAngleS, mAngleA}, devicePixelRatioF());
    const HandPoses drawn = mDrawn;
    if (moves.h) {
        mDrawn.h = mAngleH;
    }
    if (moves.m) {
        mDrawn.m = mAngleM;
    }
    if (moves.a) {
        mDrawn.a = mAngleA;
    }
    QRegion changed = stillHandsChange(drawn.h, drawn.m, drawn.a, mDrawn.h, mDrawn.m, mDrawn.a);
    if (mModel.showSeconds && mDrawn.s != mAngleS) {
        const auto shape = HandShapes::secondHand(mRadius);
        changed += handArea(shape, mDrawn.s);
        changed += handArea(shape, mAngleS);
        mDrawn.s = mAngleS;
    }
    if (changed.isEmpty()) {
        return;
    }
    // One rectangle is drawn and sent faster than the few that make up the hands'
    // areas; outside those areas it holds the same pixels as before.
    const QRect dirty = changed.boundingRect();
    // Drawn now rather than posted: with many clocks, each posted request would be
    // one more wake-up call to the event loop on this tick.
    const auto draw = [&](QPainter &painter) {
        drawRect(painter);
        Q_EMIT painted(changed);
    };
    if (!DirectFrame::repaint(this, dirty, draw)) {
        repaint(dirty);
    }
}

// --- When to tick next --------------------------------------------------------

std::optional<Instant> TKWView::nextChange() const
{
    using std::chrono::seconds;
    if (!mWoken || !mLastDate || !isVisible()) {
        return std::nullopt;
    }
    if (mCovered) {
        // Nobody sees it, but a screen reader may read out the time it tells,
        // which changes as the minute turns (with UTC's, in every zone).
        if (!QAccessible::isActive()) {
            return std::nullopt;
        }
        return std::chrono::floor<std::chrono::minutes>(*mLastDate) + std::chrono::minutes(1);
    }
    const Instant second = std::chrono::floor<seconds>(*mLastDate);
    if (mDefiningDial || mModel.showSeconds) {
        return second + seconds(1);
    }
    // The texts, the day and a readout without seconds change only as a minute
    // turns (every zone's offset is whole minutes), so a tick then sees to them.
    int toMinute = 60 - mTime.second;
    if (mAlternateTime) {
        toMinute = std::min(toMinute, 60 - mAlternateTime->second);
    }
    if (!mModel.digital) {
        // Within the minute the hands turn evenly: the first second at which one
        // would stand a visible distance from where it was drawn is the one that
        // a tick every second would draw it at.
        const bool twentyFour = mModel.twentyFour;
        const double ratio = devicePixelRatioF();
        for (int ahead = 1; ahead < toMinute; ++ahead) {
            TimeOfDay time = mTime;
            time.second += ahead;
            HandPoses poses{HandAngles::hour(time, twentyFour), HandAngles::minute(time), 0, 0};
            if (mAlternateTime) {
                TimeOfDay alternate = *mAlternateTime;
                alternate.second += ahead;
                poses.a = HandAngles::hour(alternate, twentyFour);
            }
            if (visibleMoves(poses, ratio).any()) {
                return second + seconds(ahead);
            }
        }
    }
    return second + seconds(toMinute);
}

void TKWView::requestNextTick()
{
    if (const std::optional<Instant> next = nextChange()) {
        ClockTick::instance().requestTick(*next);
    }
}

} // namespace tockwise
