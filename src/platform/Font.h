#pragma once

#include "platform/Geometry.h"

#include <QFont>
#include <QString>

class QPaintDevice;

// A typeface at a size in points, where one point is one unit of the view: the
// same text measures the same on the screen, in an image and at any pixel ratio.
// "System" and "user" fonts are both the desktop's general font family.
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
    float descent() const;

    // The font to draw on `device`, whose logical resolution may be anything.
    QFont qfontFor(const QPaintDevice *device) const;

    friend bool operator==(const Font &a, const Font &b)
    {
        return a.mPoints == b.mPoints && a.mFont == b.mFont;
    }

private:
    Font(const QFont &base, float points);

    QFont mFont; // sized for the measuring device
    float mPoints = 0;
};
