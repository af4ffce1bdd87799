#pragma once

// Draws clocks into images for pixel tests: a woken, configured view in a frame
// that lives in memory, at a pinned instant.

#include "clockview/TKWView.h"
#include "platform/TimeSource.h"

#include <QColor>
#include <QImage>

#include <chrono>
#include <cmath>

class TKWViewTestAccess
{
public:
    static void defineDial(TKWView &view, Point start, Point end)
    {
        view.mDefiningDial = true;
        view.mDragStart = start;
        view.mDragEnd = end;
    }
    static void cacheDial(TKWView &view, bool caches) { view.mCachesDial = caches; }
};

inline Instant utcInstant(int year, int month, int day, int hour, int minute, int second)
{
    using namespace std::chrono;
    return sys_days(std::chrono::year(year) / month / day) + hours(hour) + minutes(minute) +
           seconds(second);
}

class RenderedClock
{
public:
    // The default clock settings in UTC, with `overrides` on top.
    RenderedClock(Instant instant, const PropertyList::Dictionary &overrides, bool wake = true);

    QImage render(qreal scale = 1) { return view.renderImage(scale); }
    Rect frame() const { return window->frame(); }

    PinnedTime now;
    std::shared_ptr<DetachedWindowFrame> window;
    TKWView view;
};

// The pixel under a point of the view (y upward, in points).
QColor pixelAt(const QImage &image, Point point);
// The point at `fraction` of the radius from the centre along a dial angle.
Point alongAngle(const TKWView &view, float degrees, float fraction);

// Opaque and close to black.
bool isInk(const QColor &color);
// The stock face colour at half alpha.
bool isHalfAlphaFace(const QColor &color);
