#pragma once

#include "graphics/Color.h"
#include "graphics/Font.h"
#include "graphics/Geometry.h"

#include <QPainter>
#include <QTransform>

#include <span>
#include <utility>

class QImage;

namespace tockwise {

// A painter seen in the clock's own coordinates: origin at the lower left of the
// view, y upward, one unit a point. Text and pictures stay upright. This is the one
// place where drawing turns to Qt's downward y.
class Canvas
{
public:
    Canvas(QPainter &painter, Size viewSize);
    ~Canvas();
    Canvas(const Canvas &) = delete;
    Canvas &operator=(const Canvas &) = delete;

    // Holds a transform of the clock's coordinates (rotations counter-clockwise in
    // degrees) while it lives, then puts the previous one back.
    class Transformed
    {
    public:
        Transformed(Canvas &canvas, const QTransform &transform);
        ~Transformed();
        Transformed(const Transformed &) = delete;
        Transformed &operator=(const Transformed &) = delete;

    private:
        QPainter &mPainter;
    };

    void fillEllipse(const Rect &rect, const Color &color);
    void strokeEllipse(const Rect &rect, const Color &color, float lineWidth,
                       const QTransform &pathTransform = {});
    void fillPolygon(std::span<const Point> points, const Color &color);
    void strokeLine(Point from, Point to, const Color &color, float lineWidth);
    // Many segments of one colour and width in one pass.
    void strokeLines(std::span<const std::pair<Point, Point>> segments, const Color &color,
                     float lineWidth);
    // Replaces what lies under the rectangle, alpha included.
    void replaceRect(const Rect &rect, const Color &color);
    void strokeRect(const Rect &rect, const Color &color, float lineWidth);
    // Draws the text with the lower-left corner of its box (advance width by line
    // height) at `origin`.
    void drawText(const QString &text, const Font &font, Point origin, const Color &color);
    void drawImage(const QImage &image, const Rect &target, float opacity);
    // Replaces what lies under the image, alpha included, drawn at its own size (its
    // pixels over its device pixel ratio) from the top left of `target`: a layer a
    // whole number of pixels tall, drawn into a fractional height, would be squeezed.
    void copyImage(const QImage &image, const Rect &target);

    QPainter &painter() { return mPainter; }
    // The widget pixels (y downward) that cover a rectangle of a view this high.
    static QRect widgetRect(const Rect &rect, float viewHeight);
    // The point of a view this high at a widget position (y downward).
    static Point viewPoint(const QPointF &widgetPosition, float viewHeight);
    qreal devicePixelRatio() const;

private:
    QPainter &mPainter;
};

} // namespace tockwise
