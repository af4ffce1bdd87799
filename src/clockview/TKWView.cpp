#include "clockview/TKWView.h"

#include "clockview/HandAngles.h"
#include "platform/DateFormatter.h"
#include "platform/UserDefaults.h"
#include "settings/ClockDefaults.h"
#include "settings/SettingsKeys.h"

#include <QWindow>

#include <mutex>

TKWView::TKWView(QWidget *parent) : QWidget(parent)
{
    initialize();
}

TKWView::~TKWView() = default;

void TKWView::initialize()
{
    static std::once_flag once;
    std::call_once(once, [] {
        UserDefaults::standard().registerDefaults(ClockDefaults::viewRegisteredDefaults());
    });
}

void TKWView::setConfigData(std::shared_ptr<ObservableDictionary> settings)
{
    mConfigData = std::move(settings);
    cacheDrawingParameters();
    update();
}

// --- Typed reading ----------------------------------------------------------

const PropertyList *TKWView::objectSettingForKey(const QString &key) const
{
    return mConfigData ? mConfigData->value(key) : nullptr;
}

bool TKWView::boolSettingForKey(const QString &key) const
{
    const PropertyList *value = objectSettingForKey(key);
    return value ? value->boolValue().value_or(false) : false;
}

std::int32_t TKWView::integerSettingForKey(const QString &key) const
{
    if (!mConfigData) {
        // Only a view that has no settings yet asks the user defaults.
        return static_cast<std::int32_t>(UserDefaults::standard().integerForKey(key));
    }
    const PropertyList *value = mConfigData->value(key);
    return value ? value->intValue().value_or(0) : 0;
}

float TKWView::floatSettingForKey(const QString &key) const
{
    const PropertyList *value = objectSettingForKey(key);
    return value ? value->floatValue().value_or(0.0f) : 0.0f;
}

Color TKWView::colorSettingForKey(const QString &key) const
{
    const PropertyList *value = objectSettingForKey(key);
    if (!value && key != Keys::HandColor) {
        value = objectSettingForKey(Keys::HandColor);
    }
    // Damaged colour data (or no hand colour at all) still gives a visible clock.
    std::optional<Color> color;
    if (value && value->asData()) {
        color = Color::decode(*value->asData());
    }
    const Color decoded = color.value_or(Color::black());
    if (boolSettingForKey(Keys::FadeHands)) {
        return decoded.withAlphaComponent(floatSettingForKey(Keys::Opacity));
    }
    return decoded;
}

Color TKWView::borderColor(const Color &color)
{
    const std::optional<Color> rgb = color.usingCalibratedRGB();
    if (!rgb) {
        return Color::black();
    }
    // The order of the sums is part of the result: it decides the colours whose
    // luminance lies within a rounding of 0.3.
    double luminance = static_cast<double>(rgb->greenComponent()) * 0.59;
    luminance = static_cast<double>(rgb->redComponent()) * 0.3 + luminance;
    luminance = luminance + static_cast<double>(rgb->blueComponent()) * 0.11;
    const float y = static_cast<float>(luminance);
    return static_cast<double>(y) < 0.3 ? Color::white() : Color::black();
}

// --- Time sampling ----------------------------------------------------------

void TKWView::timerFired()
{
    reassertClickThrough();
    cacheDrawingParameters();
    update();
}

void TKWView::reassertClickThrough()
{
    QWindow *handle = window() ? window()->windowHandle() : nullptr;
    if (handle && handle->flags().testFlag(Qt::WindowTransparentForInput)) {
        handle->setFlag(Qt::WindowTransparentForInput, true);
    }
}

TimeZone TKWView::clockTimeZone() const
{
    const PropertyList *name = objectSettingForKey(Keys::TimeZone);
    if (name && name->asString()) {
        if (std::optional<TimeZone> zone = TimeZone::named(*name->asString())) {
            return *zone;
        }
    }
    return TimeZone::system();
}

std::optional<TimeZone> TKWView::alternateTimeZone() const
{
    const PropertyList *name = objectSettingForKey(Keys::AlternateTimeZone);
    if (!name || !name->asString()) {
        return std::nullopt;
    }
    return TimeZone::named(*name->asString());
}

void TKWView::cacheAlternateHourAngle()
{
    const std::optional<TimeZone> alternate = alternateTimeZone();
    if (!alternate) {
        return;
    }
    const TimeOfDay time = alternate->timeOfDay(TimeSource::now());
    mAngleA = HandAngles::hour(time, boolSettingForKey(Keys::TwentyFour));
}

void TKWView::cacheDrawingParameters()
{
    cacheAlternateHourAngle();
    const TimeZone zone = clockTimeZone();
    const Instant now = TimeSource::now();
    mLastDate = now;
    const TimeOfDay time = zone.timeOfDay(now);

    const std::int32_t secondOfDay = time.secondOfDay();
    if (secondOfDay != mSecondOfDay) {
        mSecondOfDay = secondOfDay;
        mAngleH = HandAngles::hour(time, boolSettingForKey(Keys::TwentyFour));
        mAngleM = HandAngles::minute(time);
        mAngleS = HandAngles::second(time);
    }

    const bool pm = time.hour > 11;
    if (!mMeridianString || mFlagPM != pm) {
        mMeridianString = DateFormatter(QStringLiteral("a"), zone).format(now);
        mFlagPM = pm;
    }

    const QString abbreviation = zone.abbreviation(now);
    if (!mTimeZoneAbbr || *mTimeZoneAbbr != abbreviation) {
        mTimeZoneAbbr = zone.abbreviation();
    }
}
