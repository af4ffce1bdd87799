#pragma once

#include "graphics/Geometry.h"
#include "settings/SettingKinds.h"

#include <QSizeF>

#include <cstdint>
#include <optional>

namespace tockwise {

// Where the dial sits in the view, and how big the clock's window is.

struct DialGeometry
{
    Point center;
    float radius = 0;
};

// Without a picture the dial fills the middle of the view. With one, its centre and
// radius are the calibrated fractions of the view (the radius of its width); a
// radius factor of 0 means half the smaller side.
DialGeometry faceGeometry(const Rect &bounds, bool picture, QSizeF centerFactor,
                          float radiusFactor);

namespace WindowSizing {

inline constexpr float smallestClockSize = SettingKinds::smallestClockSize;
inline constexpr float largestClockSize = SettingKinds::largestClockSize;

// The stored size as drawn: sizes beyond the bounds are drawn at the nearest one,
// while the setting keeps what the user stored.
float clockSize(std::int32_t stored);

// A picture gives the window its proportions with the longer side n; a digital
// clock is n wide and leaves the same margin above and below its text as beside
// it, but never less height than its time line; an analog clock is n square.
Size windowSize(float n, std::optional<Size> picture, bool digital, Size digitalText,
                float timeLineHeight);

// The top of the primary screen: only a window on it is kept below the menu bar.
struct MenuBar
{
    float screenHeight = 0;
    float height = 0;
};

// The new frame keeps the window's centre where it was.
Rect resizedFrame(const Rect &old, Size size, std::optional<MenuBar> menuBar);

// A window with less than 5 points inside the visible frame on a side is pulled
// 20 points inside it; none when it may stay where it is.
std::optional<Rect> offScreenCorrection(const Rect &frame, const Rect &visible);

} // namespace WindowSizing

} // namespace tockwise
