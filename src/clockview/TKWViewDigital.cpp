// The digital half of TKWView's drawing: the readout, its sizes and its face.

#include "clockview/DigitalReadout.h"
#include "clockview/TKWView.h"
#include "graphics/Canvas.h"
#include "graphics/Font.h"
#include "settings/SettingsKeys.h"
#include "time/DateFormatter.h"

namespace tockwise {

// --- The digital readout ------------------------------------------------------

DigitalReadout TKWView::digitalTimeStringForDate(Instant date) const
{
    const TimeZone zone = clockTimeZone();
    const QString pattern =
        DigitalLayout::timePattern(mModel.twentyFour, mModel.showSeconds, mModel.showMeridian);
    const QString time = DateFormatter::shared(pattern, zone).format(date);

    const Rect area = bounds();
    const float timeSize = digitalTimeSize(area);
    const float lineSize = DigitalLayout::secondaryScale * timeSize;
    const Color color = mModel.handColor;

    DigitalReadout readout;
    readout.lines.append({time, Font::userFontOfSize(timeSize), color});
    if (mModel.showTimeZone) {
        // Not the last sample's: a window is fitted to a new zone before its tick.
        readout.lines.append({zone.abbreviation(date), Font::userFontOfSize(lineSize), color});
    }
    if (mModel.showWeekday) {
        const QString weekday = DateFormatter::shared(QStringLiteral("EEEE"), zone).format(date);
        readout.lines.append(
            {weekday, Font::userFontOfSize(digitalWeekdaySize(area, weekday, timeSize)), color});
    }
    if (mModel.showDate) {
        const QString text = mModel.showDayOnly
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
    const QString sample = DigitalLayout::fittingSample(mModel.showSeconds, mModel.showMeridian);
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
    const float opacity = mModel.opacity;
    const Rect area = bounds();
    if (!mModel.faceImage.isNull()) {
        // At its own size from the lower-left corner: a larger picture is cut.
        canvas.drawImage(mModel.faceImage,
                         {0, 0, static_cast<float>(mModel.faceImage.width()),
                          static_cast<float>(mModel.faceImage.height())},
                         opacity);
        return;
    }
    const Color face = mModel.faceColor;
    canvas.replaceRect(area, face.withAlphaComponent(opacity));
    if (opacity > 0.0f && mModel.drawBorder) {
        canvas.strokeRect(DigitalLayout::borderRect(area), ClockModel::borderColor(face),
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

} // namespace tockwise
