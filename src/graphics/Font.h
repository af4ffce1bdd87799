#pragma once

#include "graphics/Geometry.h"

#include <QFont>
#include <QStaticText>
#include <QString>

namespace tockwise {

// A typeface at a size in points, where one point is one unit of the view, at any
// fractional size: the same text measures the same on the screen, in an image
// and at any pixel ratio. "System" and "user" fonts are both the desktop's
// general font family.
class Font
{
public:
    // A size of 0 or less asks for the desktop's standard size.
    static Font systemFontOfSize(float points);
    static Font userFontOfSize(float points);

    float pointSize() const { return mPoints; }

    // The advance width of the text and the height of its line.
    Size sizeOfText(const QString &text) const;
    float lineHeight() const;
    float ascent() const;

    // Qt sizes fonts in whole pixels. A fractional size is drawn with the font of
    // the nearest whole size, scaled by this factor.
    const QFont &qfont() const { return mFont; }
    float scale() const { return mScale; }
    // The text laid out in qfont(), its top at 0 (before the scale).
    const QStaticText &staticText(const QString &text) const;
    qreal qfontAscent() const;

    friend bool operator==(const Font &a, const Font &b)
    {
        return a.mPoints == b.mPoints && a.mFont == b.mFont;
    }

private:
    explicit Font(float points);

    QFont mFont;
    float mPoints = 0;
    float mScale = 1;
};

} // namespace tockwise
