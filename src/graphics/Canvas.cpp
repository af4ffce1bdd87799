#include "graphics/Canvas.h"

#include <QImage>
#include <QPainterPath>

#include <cmath>

namespace tockwise {

namespace {

QRectF toQRect(const Rect &rect)
{
    return {rect.x, rect.y, rect.width, rect.height};
}

QPen pen(const Color &color, float lineWidth)
{
    QPen pen(color.toQColor(), static_cast<qreal>(lineWidth));
    // Stroked paths end flat and turn their corners mitred, as the dial was designed.
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

} // namespace

Canvas::Canvas(QPainter &painter, Size viewSize) : mPainter(painter)
{
    mPainter.save();
    mPainter.setRenderHint(QPainter::Antialiasing);
    mPainter.setRenderHint(QPainter::TextAntialiasing);
    mPainter.setRenderHint(QPainter::SmoothPixmapTransform);
    mPainter.translate(0, viewSize.height);
    mPainter.scale(1, -1);
}

Canvas::~Canvas()
{
    mPainter.restore();
}

qreal Canvas::devicePixelRatio() const
{
    return mPainter.device() ? mPainter.device()->devicePixelRatioF() : 1.0;
}

Canvas::Transformed::Transformed(Canvas &canvas, const QTransform &transform)
    : mPainter(canvas.mPainter)
{
    mPainter.save();
    mPainter.setTransform(transform, true);
}

Canvas::Transformed::~Transformed()
{
    mPainter.restore();
}

void Canvas::fillEllipse(const Rect &rect, const Color &color)
{
    mPainter.setPen(Qt::NoPen);
    mPainter.setBrush(color.toQColor());
    mPainter.drawEllipse(toQRect(rect));
}

void Canvas::strokeEllipse(const Rect &rect, const Color &color, float lineWidth,
                           const QTransform &pathTransform)
{
    QPainterPath path;
    if (pathTransform.type() <= QTransform::TxScale) {
        // The stroke of an ellipse is the band between two ellipses half a line
        // width outside and inside it; filling that band gives the same pixels as
        // the stroker at a fraction of its cost.
        const QRectF centre = pathTransform.mapRect(toQRect(rect));
        const qreal half = lineWidth / 2.0;
        path.addEllipse(centre.adjusted(-half, -half, half, half));
        path.addEllipse(centre.adjusted(half, half, -half, -half));
        path.setFillRule(Qt::OddEvenFill);
        mPainter.setPen(Qt::NoPen);
        mPainter.setBrush(color.toQColor());
        mPainter.drawPath(path);
        return;
    }
    path.addEllipse(toQRect(rect));
    mPainter.setPen(pen(color, lineWidth));
    mPainter.setBrush(Qt::NoBrush);
    mPainter.drawPath(pathTransform.map(path));
}

void Canvas::fillPolygon(std::span<const Point> points, const Color &color)
{
    QPolygonF polygon;
    polygon.reserve(static_cast<qsizetype>(points.size()));
    for (const Point &p : points) {
        polygon.append(QPointF(p.x, p.y));
    }
    mPainter.setPen(Qt::NoPen);
    mPainter.setBrush(color.toQColor());
    mPainter.drawPolygon(polygon);
}

void Canvas::strokeLine(Point from, Point to, const Color &color, float lineWidth)
{
    mPainter.setPen(pen(color, lineWidth));
    mPainter.drawLine(QPointF(from.x, from.y), QPointF(to.x, to.y));
}

void Canvas::strokeLines(std::span<const std::pair<Point, Point>> segments, const Color &color,
                         float lineWidth)
{
    QList<QLineF> lines;
    lines.reserve(static_cast<qsizetype>(segments.size()));
    for (const auto &[from, to] : segments) {
        lines.append(QLineF(from.x, from.y, to.x, to.y));
    }
    mPainter.setPen(pen(color, lineWidth));
    mPainter.drawLines(lines);
}

void Canvas::replaceRect(const Rect &rect, const Color &color)
{
    const QPainter::CompositionMode mode = mPainter.compositionMode();
    mPainter.setCompositionMode(QPainter::CompositionMode_Source);
    mPainter.fillRect(toQRect(rect), color.toQColor());
    mPainter.setCompositionMode(mode);
}

void Canvas::strokeRect(const Rect &rect, const Color &color, float lineWidth)
{
    mPainter.setPen(pen(color, lineWidth));
    mPainter.setBrush(Qt::NoBrush);
    mPainter.drawRect(toQRect(rect));
}

void Canvas::drawText(const QString &text, const Font &font, Point origin, const Color &color)
{
    // Upright: the flip is undone about the text's own baseline.
    const float baseline = font.lineHeight() - font.ascent();
    mPainter.save();
    mPainter.translate(origin.x, origin.y + baseline);
    mPainter.scale(font.scale(), -font.scale());
    mPainter.setFont(font.qfont());
    mPainter.setPen(color.toQColor());
    // Laid out once and kept: the same labels are drawn on every frame.
    mPainter.drawStaticText(QPointF(0, -font.qfontAscent()), font.staticText(text));
    mPainter.restore();
}

void Canvas::drawImage(const QImage &image, const Rect &target, float opacity)
{
    mPainter.save();
    mPainter.setOpacity(static_cast<qreal>(opacity));
    mPainter.translate(target.x, target.y + target.height);
    mPainter.scale(1, -1);
    mPainter.drawImage(QRectF(0, 0, target.width, target.height), image);
    mPainter.restore();
}

void Canvas::copyImage(const QImage &image, const Rect &target)
{
    mPainter.save();
    mPainter.setCompositionMode(QPainter::CompositionMode_Source);
    mPainter.translate(target.x, target.y + target.height);
    mPainter.scale(1, -1);
    mPainter.drawImage(QPointF(0, 0), image);
    mPainter.restore();
}

Point Canvas::viewPoint(const QPointF &widgetPosition, float viewHeight)
{
    return {static_cast<float>(widgetPosition.x()),
            viewHeight - static_cast<float>(widgetPosition.y())};
}

QRect Canvas::widgetRect(const Rect &rect, float viewHeight)
{
    const int left = static_cast<int>(std::floor(rect.x));
    const int right = static_cast<int>(std::ceil(rect.x + rect.width));
    const int top = static_cast<int>(std::floor(viewHeight - (rect.y + rect.height)));
    const int bottom = static_cast<int>(std::ceil(viewHeight - rect.y));
    return {left, top, right - left, bottom - top};
}

} // namespace tockwise
