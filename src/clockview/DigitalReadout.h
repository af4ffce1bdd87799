#pragma once

#include "graphics/Color.h"
#include "graphics/Font.h"
#include "graphics/Geometry.h"

#include <QList>
#include <QString>

#include <functional>

namespace tockwise {

// The text of a digital clock: lines, each in its own font and colour, centred
// across and stacked from the top.
struct DigitalReadout
{
    struct Line
    {
        QString text;
        Font font;
        Color color;
    };
    QList<Line> lines;

    // The widest line by the stacked heights of all lines, as they are drawn.
    Size size() const;
    // The lower-left corner of each line's box when the readout fills `rect`.
    QList<Point> lineOrigins(const Rect &rect) const;
};

namespace DigitalLayout {

inline constexpr float shrinkFactor = 0.9375f;
inline constexpr float smallestTypeSize = 1;
inline constexpr float secondaryScale = 0.625f;

// The Unicode date pattern of the time line, such as "h:mm:ss a" or "HH:mm".
QString timePattern(bool twentyFour, bool seconds, bool meridian);
// The text the time's type size is fitted to, such as "12:00:00 AM".
QString fittingSample(bool seconds, bool meridian);

// The first size, from `start` down in steps of 0.9375, at which `widthAt(size)`
// is at most `limit`; never below 1 point, so that a view with no width ends too.
float fitTypeSize(float start, float limit, const std::function<float(float)> &widthAt);

// The border of the readout's face: this wide, covering the outermost band.
float borderLineWidth(const Rect &bounds);
Rect borderRect(const Rect &bounds);

} // namespace DigitalLayout

} // namespace tockwise
