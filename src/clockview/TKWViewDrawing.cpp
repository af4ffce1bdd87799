// The drawing half of TKWView: one frame from the caches, in a fixed order.

#include "clockview/Decorations.h"
#include "clockview/DialMarks.h"
#include "clockview/HandShapes.h"
#include "clockview/TKWView.h"
#include "graphics/Canvas.h"
#include "settings/SettingsKeys.h"
#include "time/DateFormatter.h"

#include <QPaintEvent>
#include <QPainter>

#include <cmath>
#include <cstring>
#include <vector>

namespace tockwise {

namespace {

QTransform handFrame(Point center, float angle)
{
    return QTransform().translate(center.x, center.y).rotate(angle);
}

} // namespace

void TKWView::paintEvent(QPaintEvent *event)
{
    {
        QPainter painter(this);
        drawRect(painter);
    }
    Q_EMIT painted(event->region());
}

QImage TKWView::renderImage(qreal devicePixelRatio)
{
    const Rect area = bounds();
    QImage image(static_cast<int>(std::ceil(area.width * devicePixelRatio)),
                 static_cast<int>(std::ceil(area.height * devicePixelRatio)),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    drawRect(painter);
    return image;
}

QImage TKWView::renderImage(qreal devicePixelRatio, const QRect &area)
{
    QImage image(static_cast<int>(std::ceil(area.width() * devicePixelRatio)),
                 static_cast<int>(std::ceil(area.height() * devicePixelRatio)),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.translate(-area.topLeft());
    drawRect(painter);
    return image;
}

QImage TKWView::dialLayer(qreal devicePixelRatio)
{
    if (!mWoken || !mCachesDial || mDefiningDial || mModel.digital) {
        return {};
    }
    return currentDialLayer(devicePixelRatio, decorationTexts());
}

void TKWView::drawRect(QPainter &painter)
{
    if (!mWoken) {
        return;
    }
    Canvas canvas(painter, bounds().size());
    if (mModel.digital) {
        const DigitalReadout readout = digitalTimeStringForDate(mLastDate.value_or(Instant{}));
        drawDigitalFaceForString(canvas, readout);
        drawDigitalTimeString(canvas, readout);
        return;
    }
    if (mDefiningDial) {
        drawClockFace(canvas);
        const float dx = mDragEnd.x - mDragStart.x;
        const float dy = mDragEnd.y - mDragStart.y;
        const float r = std::sqrt(dx * dx + dy * dy);
        canvas.strokeEllipse({mDragStart.x - r, mDragStart.y - r, 2 * r, 2 * r}, Color::black(),
                             1.0f);
        return;
    }
    const DecorationTexts texts = decorationTexts();
    if (!mCachesDial) {
        drawDial(canvas, texts);
        drawClockHands(canvas);
    } else if (keepsHandsLayer(canvas.devicePixelRatio())) {
        canvas.copyImage(currentHandsLayer(canvas.devicePixelRatio(), texts), bounds());
        drawSecondHand(canvas);
    } else {
        drawDialLayer(canvas, texts);
        drawClockHands(canvas);
    }
}

void TKWView::drawDial(Canvas &canvas, const DecorationTexts &texts)
{
    drawClockFace(canvas);
    drawClockDecorations(canvas, texts);
    if (mModel.pipStyle != ClockModel::PipStyle::None) {
        if (mModel.minutePips) {
            drawClockMinutePips(canvas);
        }
        drawClockPips(canvas, mModel.pipStyle);
    }
}

void TKWView::drawDialLayer(Canvas &canvas, const DecorationTexts &texts)
{
    // Frames are drawn on a cleared surface (a translucent window's backing store,
    // a transparent image), where copying the layer gives exactly the pixels that
    // drawing the dial there would give, and copies faster than blending.
    canvas.copyImage(currentDialLayer(canvas.devicePixelRatio(), texts), bounds());
}

const QImage &TKWView::currentDialLayer(qreal ratio, const DecorationTexts &texts)
{
    const Rect area = bounds();
    DialLayerKey key{mSettingsGeneration,         area.size(), ratio, mCenter, mRadius,
                     mModel.faceImage.cacheKey(), texts};
    if (!mDialLayerKey || !(*mDialLayerKey == key)) {
        mDialLayer = QImage(static_cast<int>(std::ceil(area.width * ratio)),
                            static_cast<int>(std::ceil(area.height * ratio)),
                            QImage::Format_ARGB32_Premultiplied);
        mDialLayer.setDevicePixelRatio(ratio);
        mDialLayer.fill(Qt::transparent);
        QPainter layerPainter(&mDialLayer);
        Canvas layer(layerPainter, area.size());
        drawDial(layer, texts);
        mDialLayerKey = std::move(key);
    }
    return mDialLayer;
}

bool TKWView::keepsHandsLayer(qreal ratio) const
{
    // A clock with a second hand is drawn every second, but its other hands move
    // only every few seconds: filling their polygons every second costs more than
    // copying them. Beyond a certain size the copy would hold too much memory.
    // Where the clock is not a whole number of pixels across (a picture's aspect),
    // the dial layer is scaled as it is copied, and hands drawn on it would be too.
    constexpr double largestLayerPixels = 512.0 * 512.0;
    const Rect area = bounds();
    const double width = area.width * ratio;
    const double height = area.height * ratio;
    return mModel.showSeconds && width * height <= largestLayerPixels &&
           width == std::floor(width) && height == std::floor(height);
}

const QImage &TKWView::currentHandsLayer(qreal ratio, const DecorationTexts &texts)
{
    const QImage &dial = currentDialLayer(ratio, texts);
    // Any change of settings draws the dial afresh, under a new cache key.
    const HandsLayerKey key{dial.cacheKey(), mDrawn.h, mDrawn.m, mDrawn.a};
    if (!mHandsLayerKey || !(*mHandsLayerKey == key)) {
        const bool sameBuffer =
            mHandsLayer.size() == dial.size() && mHandsLayer.format() == dial.format();
        // Where the layer is drawn again; none: all of it.
        std::optional<QRegion> change;
        if (sameBuffer && mHandsLayerKey && mHandsLayerKey->dial == key.dial &&
            ratio == std::floor(ratio)) {
            // Only where a hand was or is now differs, and at a whole number of
            // pixels a point that is whole pixels: the dial again there, and the
            // hands drawn over it as everywhere else.
            const HandsLayerKey &was = *mHandsLayerKey;
            change = stillHandsChange(was.h, was.m, was.a, key.h, key.m, key.a);
            const int scale = static_cast<int>(ratio);
            const QRect pixels = mHandsLayer.rect();
            for (const QRect &area : *change) {
                const QRect copied = QRect(area.topLeft() * scale, area.size() * scale) & pixels;
                for (int y = copied.top(); y <= copied.bottom(); ++y) {
                    std::memcpy(mHandsLayer.scanLine(y) + std::size_t(copied.left()) * 4,
                                dial.constScanLine(y) + std::size_t(copied.left()) * 4,
                                std::size_t(copied.width()) * 4);
                }
            }
        } else if (sameBuffer) {
            // The same buffer again, rather than a new one every few seconds.
            std::memcpy(mHandsLayer.bits(), dial.constBits(), dial.sizeInBytes());
            mHandsLayer.setDevicePixelRatio(dial.devicePixelRatio());
        } else {
            mHandsLayer = dial.copy();
        }
        QPainter layerPainter(&mHandsLayer);
        if (change) {
            layerPainter.setClipRegion(*change);
        }
        Canvas layer(layerPainter, bounds().size());
        drawStillHands(layer);
        mHandsLayerKey = key;
    }
    return mHandsLayer;
}

// --- The analog dial ----------------------------------------------------------

const QImage &TKWView::faceImageScaledTo(Size size, qreal devicePixelRatio)
{
    // Resampled once per size with a proper filter, instead of on every frame.
    const QSize pixels(static_cast<int>(std::lround(size.width * devicePixelRatio)),
                       static_cast<int>(std::lround(size.height * devicePixelRatio)));
    if (pixels.isEmpty() || pixels == mModel.faceImage.size()) {
        return mModel.faceImage;
    }
    if (mFaceImageScaled.size() != pixels || mFaceImageScaledFrom != mModel.faceImage.cacheKey()) {
        mFaceImageScaled =
            mModel.faceImage.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        mFaceImageScaledFrom = mModel.faceImage.cacheKey();
    }
    return mFaceImageScaled;
}

void TKWView::drawClockFace(Canvas &canvas)
{
    const float opacity = mModel.opacity;
    const Rect area = bounds();
    if (!mModel.faceImage.isNull()) {
        canvas.drawImage(faceImageScaledTo(area.size(), canvas.devicePixelRatio()), area, opacity);
        return;
    }
    const Color face = mModel.faceColor;
    const Rect disc = DialMarks::faceDisc(area, mRadius);
    canvas.fillEllipse(disc, face.withAlphaComponent(opacity));
    if (opacity > 0.0f && mModel.drawBorder) {
        canvas.strokeEllipse(disc, ClockModel::borderColor(face),
                             DialMarks::borderLineWidth(mRadius),
                             DialMarks::borderTransform(mRadius));
    }
}

void TKWView::drawClockPips(Canvas &canvas, ClockModel::PipStyle style)
{
    if (style == ClockModel::PipStyle::None || style == ClockModel::PipStyle::Unknown) {
        return;
    }
    const bool twentyFour = mModel.twentyFour;
    const DialMarks::Marks marks = DialMarks::hourMarks(twentyFour);
    const Color color = mModel.pipColor;
    const Rect dot = DialMarks::dotRect(mRadius);
    const Point anchor = DialMarks::labelAnchor(mRadius);
    const Font font = Font::systemFontOfSize(DialMarks::labelFontSize(mRadius, twentyFour));

    float angle = marks.firstAngle;
    for (int i = 0; i < marks.count; ++i, angle -= marks.step) {
        const QTransform frame = handFrame(mCenter, angle);
        if (style == ClockModel::PipStyle::Dots) {
            // A round dot is the same in any rotation of its frame: only its centre
            // moves, and an upright circle there is far cheaper to fill.
            const QPointF centre =
                frame.map(QPointF(dot.x + 0.5 * dot.width, dot.y + 0.5 * dot.height));
            canvas.fillEllipse({static_cast<float>(centre.x()) - 0.5f * dot.width,
                                static_cast<float>(centre.y()) - 0.5f * dot.height, dot.width,
                                dot.height},
                               color);
            continue;
        }
        const QString label = DialMarks::hourLabel(style, i, mModel.romanNumerals);
        const QPointF at = frame.map(QPointF(anchor.x, anchor.y));
        const Size size = font.sizeOfText(label);
        canvas.drawText(label, font,
                        {static_cast<float>(at.x()) - 0.5f * size.width,
                         static_cast<float>(at.y()) - 0.5f * size.height},
                        color);
    }
}

void TKWView::drawClockMinutePips(Canvas &canvas)
{
    const DialMarks::Marks marks = DialMarks::minuteMarks(mModel.twentyFour);
    const Color color = mModel.pipColor;
    const auto [from, to] = DialMarks::minuteTick(mRadius);
    // Each tick is turned into place, then all are stroked at once: a straight
    // segment strokes the same whether its frame or its ends were turned.
    std::vector<std::pair<Point, Point>> ticks;
    ticks.reserve(static_cast<std::size_t>(marks.count));
    float angle = marks.firstAngle;
    for (int i = 0; i < marks.count; ++i, angle -= marks.step) {
        if (i % 5 == 0) {
            continue;
        }
        const QTransform frame = handFrame(mCenter, angle);
        const QPointF a = frame.map(QPointF(from.x, from.y));
        const QPointF b = frame.map(QPointF(to.x, to.y));
        ticks.push_back({{static_cast<float>(a.x()), static_cast<float>(a.y())},
                         {static_cast<float>(b.x()), static_cast<float>(b.y())}});
    }
    canvas.strokeLines(ticks, color, 1.0f);
}

TKWView::DecorationTexts TKWView::decorationTexts()
{
    DecorationTexts texts;
    if (mModel.showMeridian) {
        texts.meridian = mMeridianString.value_or(QString());
    }
    if (mModel.showTimeZone) {
        texts.zone = mTimeZoneAbbr.value_or(QString());
    }
    const bool date = mModel.showDate;
    const bool weekday = mModel.showWeekday;
    if (!date && !weekday) {
        return texts;
    }
    const Instant when = mLastDate.value_or(Instant{});
    const TimeZone zone = clockTimeZone();
    const bool dayOnly = mModel.showDayOnly;
    // The date and the weekday change once a day: they are formatted again only
    // when the clock's local day (or what is shown of it) changes.
    const auto local = std::chrono::floor<std::chrono::seconds>(when).time_since_epoch().count() +
                       zone.secondsFromGMT(when);
    const std::int64_t day = local >= 0 ? local / 86400 : -((-local + 86399) / 86400);
    DayTexts &cache = mDayTexts;
    if (cache.zone != zone.name() || cache.day != day || cache.dayOnly != dayOnly ||
        cache.date.isNull() != !date || cache.weekday.isNull() != !weekday) {
        cache.zone = zone.name();
        cache.day = day;
        cache.dayOnly = dayOnly;
        cache.date = !date     ? QString()
                     : dayOnly ? DateFormatter::shared(QStringLiteral("dd"), zone).format(when)
                               : DateFormatter::shared(DateFormatter::Style::Short,
                                                       DateFormatter::Style::None, zone)
                                     .format(when);
        cache.weekday =
            weekday ? DateFormatter::shared(QStringLiteral("EEE"), zone).format(when) : QString();
    }
    if (date) {
        texts.date = cache.date;
    }
    if (weekday) {
        texts.weekday = cache.weekday;
    }
    return texts;
}

void TKWView::drawClockDecorations(Canvas &canvas, const DecorationTexts &texts)
{
    const Color color = mModel.otherDataColor;
    const Font font = Font::systemFontOfSize(Decorations::fontSize(mRadius));
    const auto draw = [&](const std::optional<QString> &text, auto place) {
        if (text) {
            const Size size = font.sizeOfText(*text);
            canvas.drawText(*text, font, place(mCenter, mRadius, size), color);
        }
    };
    draw(texts.meridian, Decorations::meridianOrigin);
    draw(texts.zone, Decorations::zoneOrigin);
    draw(texts.date, Decorations::dateOrigin);
    draw(texts.weekday, Decorations::weekdayOrigin);
}

void TKWView::drawClockHands(Canvas &canvas)
{
    drawStillHands(canvas);
    drawSecondHand(canvas);
}

void TKWView::drawStillHands(Canvas &canvas)
{
    if (alternateTimeZone()) {
        const Color color =
            mModel.alternateZoneColor.withAlphaComponent(HandShapes::alternateDiscAlpha);
        // A disc is the same in any rotation of its frame: it is filled upright at
        // its turned centre, which costs a fraction of a turned fill.
        const Rect disc = HandShapes::alternateDisc(mRadius);
        const QPointF centre =
            handFrame(mCenter, mDrawn.a)
                .map(QPointF(disc.x + 0.5 * disc.width, disc.y + 0.5 * disc.height));
        canvas.fillEllipse({static_cast<float>(centre.x()) - 0.5f * disc.width,
                            static_cast<float>(centre.y()) - 0.5f * disc.height, disc.width,
                            disc.height},
                           color);
    }
    const Color hands = mModel.handColor;
    {
        Canvas::Transformed turned(canvas, handFrame(mCenter, mDrawn.h));
        canvas.fillPolygon(HandShapes::hourHand(mRadius), hands);
    }
    {
        Canvas::Transformed turned(canvas, handFrame(mCenter, mDrawn.m));
        canvas.fillPolygon(HandShapes::minuteHand(mRadius), hands);
    }
}

void TKWView::drawSecondHand(Canvas &canvas)
{
    if (mModel.showSeconds) {
        const Color color = mModel.secondHandColor;
        Canvas::Transformed turned(canvas, handFrame(mCenter, mDrawn.s));
        canvas.fillPolygon(HandShapes::secondHand(mRadius), color);
    }
}

} // namespace tockwise
