// The drawing half of TKWView: one frame from the caches, in a fixed order.

#include "clockview/Decorations.h"
#include "clockview/DialMarks.h"
#include "clockview/FaceGeometry.h"
#include "clockview/HandAngles.h"
#include "clockview/HandShapes.h"
#include "clockview/TKWView.h"
#include "graphics/Canvas.h"
#include "settings/SettingsKeys.h"
#include "time/ClockTick.h"
#include "time/DateFormatter.h"

#include <QPainter>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

QTransform handFrame(Point center, float angle)
{
    return QTransform().translate(center.x, center.y).rotate(angle);
}

} // namespace

void TKWView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    drawRect(painter);
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
    if (!mWoken || !mCachesDial || mDefiningDial || boolSettingForKey(Keys::DigitalClock)) {
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
    if (boolSettingForKey(Keys::DigitalClock)) {
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
    if (const std::int32_t style = integerSettingForKey(Keys::PipStyle); style != 0) {
        if (boolSettingForKey(Keys::MinutePips)) {
            drawClockMinutePips(canvas);
        }
        drawClockPips(canvas, style);
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
    DialLayerKey key{
        mSettingsGeneration, area.size(), ratio, mCenter, mRadius, mFaceImage.cacheKey(), texts,
        mNumeralsGeneration};
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
    return boolSettingForKey(Keys::ShowSeconds) && width * height <= largestLayerPixels &&
           width == std::floor(width) && height == std::floor(height);
}

const QImage &TKWView::currentHandsLayer(qreal ratio, const DecorationTexts &texts)
{
    const QImage &dial = currentDialLayer(ratio, texts);
    // Any change of settings draws the dial afresh, under a new cache key.
    const HandsLayerKey key{dial.cacheKey(), mDrawn.h, mDrawn.m, mDrawn.a};
    if (!mHandsLayerKey || !(*mHandsLayerKey == key)) {
        if (mHandsLayer.size() == dial.size() && mHandsLayer.format() == dial.format()) {
            // The same buffer again, rather than a new one every few seconds.
            std::memcpy(mHandsLayer.bits(), dial.constBits(), dial.sizeInBytes());
            mHandsLayer.setDevicePixelRatio(dial.devicePixelRatio());
        } else {
            mHandsLayer = dial.copy();
        }
        QPainter layerPainter(&mHandsLayer);
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
    if (pixels.isEmpty() || pixels == mFaceImage.size()) {
        return mFaceImage;
    }
    if (mFaceImageScaled.size() != pixels || mFaceImageScaledFrom != mFaceImage.cacheKey()) {
        mFaceImageScaled =
            mFaceImage.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        mFaceImageScaledFrom = mFaceImage.cacheKey();
    }
    return mFaceImageScaled;
}

void TKWView::drawClockFace(Canvas &canvas)
{
    const float opacity = floatSettingForKey(Keys::Opacity);
    const Rect area = bounds();
    if (!mFaceImage.isNull()) {
        canvas.drawImage(faceImageScaledTo(area.size(), canvas.devicePixelRatio()), area, opacity);
        return;
    }
    const Color face = faceColor();
    const Rect disc = DialMarks::faceDisc(area, mRadius);
    canvas.fillEllipse(disc, face.withAlphaComponent(opacity));
    if (opacity > 0.0f && boolSettingForKey(Keys::DrawBorder)) {
        canvas.strokeEllipse(disc, borderColor(face), DialMarks::borderLineWidth(mRadius),
                             DialMarks::borderTransform(mRadius));
    }
}

void TKWView::drawClockPips(Canvas &canvas, std::int32_t style)
{
    if (style < 1 || style > 3) {
        return;
    }
    const bool twentyFour = boolSettingForKey(Keys::TwentyFour);
    const DialMarks::Marks marks = DialMarks::hourMarks(twentyFour);
    const QStringList numerals = romanNumerals();
    const Color color = colorSettingForKey(Keys::PipColor);
    const Rect dot = DialMarks::dotRect(mRadius);
    const Point anchor = DialMarks::labelAnchor(mRadius);
    const Font font = Font::systemFontOfSize(DialMarks::labelFontSize(mRadius, twentyFour));

    float angle = marks.firstAngle;
    for (int i = 0; i < marks.count; ++i, angle -= marks.step) {
        const QTransform frame = handFrame(mCenter, angle);
        if (style == 1) {
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
        const QString label = DialMarks::hourLabel(style, i, numerals);
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
    const DialMarks::Marks marks = DialMarks::minuteMarks(boolSettingForKey(Keys::TwentyFour));
    const Color color = colorSettingForKey(Keys::PipColor);
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
    if (boolSettingForKey(Keys::ShowMeridian)) {
        texts.meridian = mMeridianString.value_or(QString());
    }
    if (boolSettingForKey(Keys::ShowTimeZone)) {
        texts.zone = mTimeZoneAbbr.value_or(QString());
    }
    const bool date = boolSettingForKey(Keys::ShowDate);
    const bool weekday = boolSettingForKey(Keys::ShowWeekday);
    if (!date && !weekday) {
        return texts;
    }
    const Instant when = mLastDate.value_or(Instant{});
    const TimeZone zone = clockTimeZone();
    const bool dayOnly = boolSettingForKey(Keys::ShowDayOnly);
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
    const Color color = colorSettingForKey(Keys::OtherDataColor);
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
        const Color color = colorSettingForKey(Keys::AlternateZoneColor).withAlphaComponent(0.625f);
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
    const Color hands = colorSettingForKey(Keys::HandColor);
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
    if (boolSettingForKey(Keys::ShowSeconds)) {
        const Color color = colorSettingForKey(Keys::SecondHandColor);
        Canvas::Transformed turned(canvas, handFrame(mCenter, mDrawn.s));
        canvas.fillPolygon(HandShapes::secondHand(mRadius), color);
    }
}

// --- The digital readout ------------------------------------------------------

DigitalReadout TKWView::digitalTimeStringForDate(Instant date) const
{
    const TimeZone zone = clockTimeZone();
    const QString pattern = DigitalLayout::timePattern(boolSettingForKey(Keys::TwentyFour),
                                                       boolSettingForKey(Keys::ShowSeconds),
                                                       boolSettingForKey(Keys::ShowMeridian));
    const QString time = DateFormatter::shared(pattern, zone).format(date);

    const Rect area = bounds();
    const float timeSize = digitalTimeSize(area);
    const float lineSize = DigitalLayout::secondaryScale * timeSize;
    const Color color = colorSettingForKey(Keys::HandColor);

    DigitalReadout readout;
    readout.lines.append({time, Font::userFontOfSize(timeSize), color});
    if (boolSettingForKey(Keys::ShowTimeZone)) {
        readout.lines.append(
            {mTimeZoneAbbr.value_or(QString()), Font::userFontOfSize(lineSize), color});
    }
    if (boolSettingForKey(Keys::ShowWeekday)) {
        const QString weekday = DateFormatter::shared(QStringLiteral("EEEE"), zone).format(date);
        readout.lines.append(
            {weekday, Font::userFontOfSize(digitalWeekdaySize(area, weekday, timeSize)), color});
    }
    if (boolSettingForKey(Keys::ShowDate)) {
        const QString text = boolSettingForKey(Keys::ShowDayOnly)
                                 ? DateFormatter::shared(QStringLiteral("dd"), zone).format(date)
                                 : DateFormatter::shared(DateFormatter::Style::Medium,
                                                         DateFormatter::Style::None, zone)
                                       .format(date);
        readout.lines.append({text, Font::userFontOfSize(lineSize), color});
    }
    return readout;
}

float TKWView::digitalTimeSize(const Rect &rect) const
{
    const QString sample = DigitalLayout::fittingSample(boolSettingForKey(Keys::ShowSeconds),
                                                        boolSettingForKey(Keys::ShowMeridian));
    return DigitalLayout::fitTypeSize(rect.height, 0.9f * rect.width, [&sample](float size) {
        return Font::userFontOfSize(size).sizeOfText(sample).width;
    });
}

float TKWView::digitalWeekdaySize(const Rect &rect, const QString &dayName, float timeSize) const
{
    return DigitalLayout::fitTypeSize(
        DigitalLayout::secondaryScale * timeSize, 0.9f * rect.width,
        [&dayName](float size) { return Font::userFontOfSize(size).sizeOfText(dayName).width; });
}

void TKWView::drawDigitalFaceForString(Canvas &canvas, const DigitalReadout &)
{
    const float opacity = floatSettingForKey(Keys::Opacity);
    const Rect area = bounds();
    if (!mFaceImage.isNull()) {
        // At its own size from the lower-left corner: a larger picture is cut.
        canvas.drawImage(
            mFaceImage,
            {0, 0, static_cast<float>(mFaceImage.width()), static_cast<float>(mFaceImage.height())},
            opacity);
        return;
    }
    const Color face = faceColor();
    canvas.replaceRect(area, face.withAlphaComponent(opacity));
    if (opacity > 0.0f && boolSettingForKey(Keys::DrawBorder)) {
        canvas.strokeRect(DigitalLayout::borderRect(area), borderColor(face),
                          DigitalLayout::borderLineWidth(area));
    }
}

void TKWView::drawDigitalTimeString(Canvas &canvas, const DigitalReadout &readout)
{
    const Rect area = bounds();
    const float height = readout.size().height;
    const Rect block{area.x, area.y + 0.5f * area.height - 0.5f * height, area.width, height};
    const QList<Point> origins = readout.lineOrigins(block);
    for (qsizetype i = 0; i < readout.lines.size(); ++i) {
        const DigitalReadout::Line &line = readout.lines[i];
        canvas.drawText(line.text, line.font, origins[i], line.color);
    }
}

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
    return boolSettingForKey(Keys::ShowSeconds) ? local : local - ((local % 60) + 60) % 60;
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
    return {HandShapes::visiblyMoved(mDrawn.h, poses.h, 0.5f * mRadius, ratio),
            HandShapes::visiblyMoved(mDrawn.m, poses.m, 0.75f * mRadius, ratio),
            alternate && HandShapes::visiblyMoved(mDrawn.a, poses.a, 0.825f * mRadius, ratio)};
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
    if (boolSettingForKey(Keys::DigitalClock)) {
        if (readoutKey(local) != mReadoutKey) {
            redrawWhole();
        }
        return;
    }

    const float height = bounds().height;
    QRect dirty;
    const auto redrawHand = [&](std::span<const Point> shape, float from, float to) {
        // Both places, with room for the anti-aliased edge.
        constexpr float edge = 2;
        for (const float angle : {from, to}) {
            const Rect area = HandShapes::turnedBounds(shape, mCenter, angle).insetBy(-edge, -edge);
            dirty |= Canvas::widgetRect(area, height);
        }
    };
    const HandMoves moves = visibleMoves({mAngleH, mAngleM, mAngleS, mAngleA}, devicePixelRatioF());
    if (moves.h) {
        redrawHand(HandShapes::hourHand(mRadius), mDrawn.h, mAngleH);
        mDrawn.h = mAngleH;
    }
    if (moves.m) {
        redrawHand(HandShapes::minuteHand(mRadius), mDrawn.m, mAngleM);
        mDrawn.m = mAngleM;
    }
    if (boolSettingForKey(Keys::ShowSeconds) && mDrawn.s != mAngleS) {
        redrawHand(HandShapes::secondHand(mRadius), mDrawn.s, mAngleS);
        mDrawn.s = mAngleS;
    }
    if (moves.a) {
        const Rect disc = HandShapes::alternateDisc(mRadius);
        const std::array<Point, 4> corners = {Point{disc.x, disc.y}, Point{disc.maxX(), disc.y},
                                              Point{disc.maxX(), disc.maxY()},
                                              Point{disc.x, disc.maxY()}};
        redrawHand(corners, mDrawn.a, mAngleA);
        mDrawn.a = mAngleA;
    }
    if (!dirty.isEmpty()) {
        // Drawn now rather than posted: with many clocks, each posted request
        // would be one more wake-up call to the event loop on this tick.
        repaint(dirty);
    }
}

// --- When to tick next --------------------------------------------------------

std::optional<Instant> TKWView::nextChange() const
{
    using std::chrono::seconds;
    if (!mWoken || !mLastDate || !isVisible() || mCovered) {
        return std::nullopt;
    }
    const Instant second = std::chrono::floor<seconds>(*mLastDate);
    if (mDefiningDial || boolSettingForKey(Keys::ShowSeconds)) {
        return second + seconds(1);
    }
    // The texts, the day and a readout without seconds change only as a minute
    // turns (every zone's offset is whole minutes), so a tick then sees to them.
    int toMinute = 60 - mTime.second;
    if (mAlternateTime) {
        toMinute = std::min(toMinute, 60 - mAlternateTime->second);
    }
    if (!boolSettingForKey(Keys::DigitalClock)) {
        // Within the minute the hands turn evenly: the first second at which one
        // would stand a visible distance from where it was drawn is the one that
        // a tick every second would draw it at.
        const bool twentyFour = boolSettingForKey(Keys::TwentyFour);
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
