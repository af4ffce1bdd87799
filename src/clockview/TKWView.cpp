#include "clockview/TKWView.h"

#include "clockview/FaceGeometry.h"
#include "clockview/HandAngles.h"
#include "graphics/PictureReader.h"
#include "settings/ClockDefaults.h"
#include "settings/SettingsKeys.h"
#include "store/SizeString.h"
#include "store/UserDefaults.h"
#include "store/ValueTransformer.h"
#include "time/ClockTick.h"
#include "time/DateFormatter.h"

#include <QPainter>

#include <algorithm>
#include <array>
#include <mutex>
#include <utility>

namespace tockwise {

namespace {

// The keys whose changes the view follows; the centre and radius factors are
// not among them, since their only writer re-caches the geometry itself.
const std::array<QString, 24> &observedKeys()
{
    static const std::array<QString, 24> keys = {
        Keys::AlternateTimeZone, Keys::AlternateZoneColor,
        Keys::ClockSize,         Keys::DigitalClock,
        Keys::DrawBorder,        Keys::FaceColor,
        Keys::FaceImage,         Keys::FadeHands,
        Keys::HandColor,         Keys::MinutePips,
        Keys::Opacity,           Keys::OtherDataColor,
        Keys::PipColor,          Keys::PipStyle,
        Keys::SecondHandColor,   Keys::ShowDate,
        Keys::ShowDayOnly,       Keys::ShowMeridian,
        Keys::ShowSeconds,       Keys::ShowTimeZone,
        Keys::ShowWeekday,       Keys::TimeZone,
        Keys::TwentyFour,        Keys::UseFaceImage,
    };
    return keys;
}

} // namespace

TKWView::TKWView(QWidget *parent) : QWidget(parent)
{
    initialize();
    // Until it is given a clock's settings, the view draws the user defaults'.
    mModel = ClockModel::read(nullptr);
    setAttribute(Qt::WA_TranslucentBackground);
    // A picture file dropped on the clock becomes its face.
    setAcceptDrops(true);
    mNumeralsObservation =
        UserDefaults::standard().observe(Keys::RomanNumerals, [this](const QString &) {
            ++mNumeralsGeneration;
            setNeedsDisplay();
        });
}

TKWView::~TKWView()
{
    // No tick may reach a view being destroyed.
    disconnect(&ClockTick::instance(), nullptr, this, nullptr);
}

void TKWView::initialize()
{
    static std::once_flag once;
    std::call_once(once, [] {
        UserDefaults::standard().registerDefaults(ClockDefaults::viewRegisteredDefaults());
    });
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
    loadFace();
    Q_EMIT sizeWanted(Sizing::Face);
    cacheFaceGeometry();
    mWoken = true;
    connect(&ClockTick::instance(), &ClockTick::tick, this, &TKWView::timerFired,
            Qt::UniqueConnection);
    setNeedsDisplay();
}

void TKWView::setModel(ClockModel model, const std::optional<QString> &changed)
{
    mModel = std::move(model);
    if (!changed) {
        ++mSettingsGeneration;
        loadFace();
        Q_EMIT sizeWanted(Sizing::Settings);
        cacheFaceGeometry();
        setNeedsDisplay();
        return;
    }
    if (*changed == Keys::CenterFactor || *changed == Keys::RadiusFactor) {
        cacheFaceGeometry();
        setNeedsDisplay();
    }
    if (std::find(observedKeys().begin(), observedKeys().end(), *changed) != observedKeys().end()) {
        followChange(*changed);
    }
}

void TKWView::followChange(const QString &key)
{
    ++mSettingsGeneration;
    const auto resize = [this] {
        Q_EMIT sizeWanted(Sizing::Content);
        cacheFaceGeometry();
        setNeedsDisplay();
    };
    if (key == Keys::ClockSize || key == Keys::TimeZone || key == Keys::DigitalClock) {
        resize();
    } else if (key == Keys::FaceImage) {
        mFaceImage = loadFaceImage();
        resize();
    } else if (key == Keys::UseFaceImage) {
        mFaceImage = mModel.useFaceImage ? loadFaceImage() : QImage();
        resize();
    } else if (mModel.digital && key != Keys::Opacity && key != Keys::FadeHands &&
               !key.endsWith(Keys::ColorSuffix)) {
        // A digital clock's window follows the length of its readout.
        resize();
    } else {
        setNeedsDisplay();
    }
}

QStringList TKWView::romanNumerals() const
{
    QStringList numerals;
    const PropertyList list = UserDefaults::standard().objectForKey(Keys::RomanNumerals);
    if (const PropertyList::Array *array = list.asArray()) {
        for (const PropertyList &entry : *array) {
            numerals.append(entry.asString() ? *entry.asString() : QString());
        }
    }
    return numerals;
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
    const DialGeometry dial =
        faceGeometry(bounds(), !mFaceImage.isNull(), mModel.centerFactor, mModel.radiusFactor);
    mCenter = dial.center;
    mRadius = dial.radius;
}

void TKWView::frameResized()
{
    cacheFaceGeometry();
}

QImage TKWView::loadFaceImage()
{
    const ValueTransformer *transformer =
        ValueTransformer::valueTransformerForName(QStringLiteral("TKWPathToAliasTransformer"));
    if (!transformer || mModel.faceImage.isNone()) {
        return {};
    }
    const PropertyList path = transformer->transformedValue(mModel.faceImage);
    if (!path.asString()) {
        return {};
    }
    QImage image = PictureReader::read(*path.asString());
    if (image.isNull() && std::exchange(mUnreadablePicture, *path.asString()) != *path.asString()) {
        qWarning("The face picture %s does not read as a picture: it is damaged, of a type "
                 "Tockwise does not read (such as SVG) or too large to decode; the clock shows "
                 "its face colour.",
                 qUtf8Printable(*path.asString()));
    }
    return image;
}

void TKWView::loadFace()
{
    if (mModel.useFaceImage) {
        mFaceImage = loadFaceImage();
    }
}

} // namespace tockwise
