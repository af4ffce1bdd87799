#include "clockview/TKWView.h"

#include "clockview/FaceGeometry.h"
#include "clockview/HandAngles.h"
#include "time/ClockTick.h"
#include "time/DateFormatter.h"

#include <QPainter>

#include <utility>

namespace tockwise {

TKWView::TKWView(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
    // A picture file dropped on the clock becomes its face.
    setAcceptDrops(true);
}

TKWView::~TKWView()
{
    // No tick may reach a view being destroyed.
    disconnect(&ClockTick::instance(), nullptr, this, nullptr);
}

void TKWView::setWindowFrame(std::shared_ptr<WindowFrame> frame)
{
    mWindowFrame = std::move(frame);
}

WindowFrame &TKWView::windowFrame()
{
    if (!mWindowFrame) {
        mWindowFrame = std::make_shared<WidgetWindowFrame>(window());
    }
    return *mWindowFrame;
}

Rect TKWView::bounds() const
{
    if (mWindowFrame) {
        const Rect frame = mWindowFrame->frame();
        return {0, 0, frame.width, frame.height};
    }
    return {0, 0, static_cast<float>(width()), static_cast<float>(height())};
}

// --- Lifecycle ------------------------------------------------------------

void TKWView::awakeFromNib()
{
    Q_EMIT sizeWanted(Sizing::Face);
    cacheFaceGeometry();
    mWoken = true;
    connect(&ClockTick::instance(), &ClockTick::tick, this, &TKWView::timerFired,
            Qt::UniqueConnection);
    setNeedsDisplay();
}

void TKWView::setModel(ClockModel model, ClockSettings::Change change)
{
    using Change = ClockSettings::Change;
    mModel = std::move(model);
    switch (change) {
    case Change::None:
        return;
    case Change::All:
        ++mSettingsGeneration;
        Q_EMIT sizeWanted(Sizing::Settings);
        cacheFaceGeometry();
        setNeedsDisplay();
        return;
    case Change::Dial:
        cacheFaceGeometry();
        setNeedsDisplay();
        return;
    case Change::Resize:
    case Change::Picture:
        ++mSettingsGeneration;
        resizeToContent();
        return;
    case Change::Readout:
        ++mSettingsGeneration;
        // A digital clock's window follows the length of its readout.
        if (mModel.digital) {
            resizeToContent();
        } else {
            setNeedsDisplay();
        }
        return;
    case Change::Redraw:
        ++mSettingsGeneration;
        setNeedsDisplay();
        return;
    }
}

void TKWView::resizeToContent()
{
    Q_EMIT sizeWanted(Sizing::Content);
    cacheFaceGeometry();
    setNeedsDisplay();
}

// --- Time sampling ----------------------------------------------------------

void TKWView::timerFired()
{
    // Click-through is not asserted again here: the empty input region that
    // makes a window ignore the mouse stays with the window on the display
    // server until it is changed, and Qt gives it anew to any window it makes
    // again; a flag set to the value it has would send nothing anyway.
    cacheDrawingParameters();
    scheduleRepaint();
    requestNextTick();
}

TimeZone TKWView::clockTimeZone() const
{
    return mModel.timeZone();
}

std::optional<TimeZone> TKWView::alternateTimeZone() const
{
    return mModel.alternateZone;
}

void TKWView::cacheAlternateHourAngle()
{
    const std::optional<TimeZone> alternate = alternateTimeZone();
    if (!alternate) {
        mAlternateTime.reset();
        return;
    }
    const TimeOfDay time = alternate->timeOfDay(TimeSource::now());
    mAlternateTime = time;
    mAngleA = HandAngles::hour(time, mModel.twentyFour);
}

void TKWView::cacheDrawingParameters()
{
    cacheAlternateHourAngle();
    const TimeZone zone = clockTimeZone();
    const Instant now = TimeSource::now();
    mLastDate = now;
    const TimeOfDay time = zone.timeOfDay(now);
    mTime = time;

    const std::int32_t secondOfDay = time.secondOfDay();
    if (secondOfDay != mSecondOfDay) {
        mSecondOfDay = secondOfDay;
        mAngleH = HandAngles::hour(time, mModel.twentyFour);
        mAngleM = HandAngles::minute(time);
        mAngleS = HandAngles::second(time);
    }

    const bool pm = time.hour > 11;
    if (!mMeridianString || mFlagPM != pm) {
        mMeridianString = DateFormatter(QStringLiteral("a"), zone).format(now);
        mFlagPM = pm;
    }

    mTimeZoneAbbr = zone.abbreviation(now);
    mSpoken.update(*window(), mModel, zone, now);
}

void TKWView::sayTimeNow()
{
    // A tick out of turn: a covered clock's last sample may be long past, and from
    // now on it wakes as its minute turns, for the listener's sake.
    if (mLastDate) {
        timerFired();
    }
}

// --- Geometry and the face --------------------------------------------------

void TKWView::cacheFaceGeometry()
{
    const DialGeometry dial = faceGeometry(bounds(), !mModel.faceImage.isNull(),
                                           mModel.centerFactor, mModel.radiusFactor);
    mCenter = dial.center;
    mRadius = dial.radius;
}

void TKWView::frameResized()
{
    cacheFaceGeometry();
}

} // namespace tockwise
