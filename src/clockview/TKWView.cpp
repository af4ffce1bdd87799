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
#include <QWindow>

#include <array>
#include <mutex>

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
    // Neither a settings change nor a tick may reach a view being destroyed.
    stopObservingSettings();
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
    prepareFace();
    cacheFaceGeometry();
    mWoken = true;
    connect(&ClockTick::instance(), &ClockTick::tick, this, &TKWView::timerFired,
            Qt::UniqueConnection);
    setNeedsDisplay();
}

void TKWView::setConfigData(std::shared_ptr<ObservableDictionary> settings)
{
    stopObservingSettings();
    ++mSettingsGeneration;
    mConfigData = std::move(settings);
    startObservingSettings();

    prepareFace();
    resizeClockWindow();

    WindowFrame &window = windowFrame();
    const ScreenInfo screen = window.screen().value_or(window.mainScreen());
    if (const auto corrected =
            WindowSizing::offScreenCorrection(window.frame(), screen.visibleFrame)) {
        window.setFrame(*corrected, true);
    }

    cacheFaceGeometry();
    setNeedsDisplay();
}

void TKWView::startObservingSettings()
{
    if (!mConfigData) {
        return;
    }
    for (const QString &key : observedKeys()) {
        mSettingsObservations.push_back(mConfigData->observe(
            key, [this](const QString &changed) { observeValueForKeyPath(changed); }));
    }
}

void TKWView::stopObservingSettings()
{
    mSettingsObservations.clear();
}

void TKWView::observeValueForKeyPath(const QString &key)
{
    ++mSettingsGeneration;
    const auto resize = [this] {
        resizeClockWindow();
        setNeedsDisplay();
    };
    if (key == Keys::ClockSize || key == Keys::TimeZone || key == Keys::DigitalClock) {
        resize();
    } else if (key == Keys::FaceImage) {
        mFaceImage = loadFaceImage();
        resize();
    } else if (key == Keys::UseFaceImage) {
        mFaceImage = boolSettingForKey(Keys::UseFaceImage) ? loadFaceImage() : QImage();
        resize();
    } else if (boolSettingForKey(Keys::DigitalClock) && key != Keys::Opacity &&
               key != Keys::FadeHands && !key.endsWith(Keys::ColorSuffix)) {
        // A digital clock's window follows the length of its readout.
        resize();
    } else {
        setNeedsDisplay();
    }
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

Color TKWView::faceColor() const
{
    // The face colour is read raw, never faded; a missing or damaged one gives the
    // stock face rather than nothing.
    const PropertyList *value = objectSettingForKey(Keys::FaceColor);
    std::optional<Color> color;
    if (value && value->asData()) {
        color = Color::decode(*value->asData());
    }
    return color.value_or(ClockDefaults::faceColor());
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
    reassertClickThrough();
    cacheDrawingParameters();
    scheduleRepaint();
    requestNextTick();
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
        mAlternateTime.reset();
        return;
    }
    const TimeOfDay time = alternate->timeOfDay(TimeSource::now());
    mAlternateTime = time;
    mAngleA = HandAngles::hour(time, boolSettingForKey(Keys::TwentyFour));
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

// --- Geometry and the face --------------------------------------------------

void TKWView::cacheFaceGeometry()
{
    const PropertyList *factor = objectSettingForKey(Keys::CenterFactor);
    const QSizeF centerFactor = factor && factor->asString()
                                    ? SizeString::sizeFromString(*factor->asString())
                                    : QSizeF(0, 0);
    const DialGeometry dial = faceGeometry(bounds(), !mFaceImage.isNull(), centerFactor,
                                           floatSettingForKey(Keys::RadiusFactor));
    mCenter = dial.center;
    mRadius = dial.radius;
}

void TKWView::resizeClockWindow()
{
    WindowFrame &window = windowFrame();
    const Rect old = window.frame();
    const float n = WindowSizing::clockSize(integerSettingForKey(Keys::ClockSize));

    std::optional<Size> picture;
    if (!mFaceImage.isNull()) {
        picture =
            Size{static_cast<float>(mFaceImage.width()), static_cast<float>(mFaceImage.height())};
    }
    const bool digital = boolSettingForKey(Keys::DigitalClock);
    Size text;
    float timeLine = 0;
    if (!picture && digital) {
        // Measured at the view's present size, before the window changes.
        const DigitalReadout readout =
            digitalTimeStringForDate(mLastDate.value_or(TimeSource::now()));
        text = readout.size();
        timeLine = readout.lines.isEmpty() ? 0 : readout.lines.first().font.lineHeight();
    }
    const Size size = WindowSizing::windowSize(n, picture, digital, text, timeLine);
    if (picture) {
        window.setFrame({old.x, old.y, size.width, size.height}, true);
    }

    std::optional<WindowSizing::MenuBar> menuBar;
    if (const std::optional<ScreenInfo> screen = window.screen(); screen && screen->isMain) {
        const ScreenInfo main = window.mainScreen();
        menuBar = WindowSizing::MenuBar{main.frame.height, main.menuBarHeight};
    }
    window.setFrame(WindowSizing::resizedFrame(old, size, menuBar), false);
    cacheFaceGeometry();
}

QImage TKWView::loadFaceImage() const
{
    const ValueTransformer *transformer =
        ValueTransformer::valueTransformerForName(QStringLiteral("TKWPathToAliasTransformer"));
    const PropertyList *alias = objectSettingForKey(Keys::FaceImage);
    if (!transformer || !alias) {
        return {};
    }
    const PropertyList path = transformer->transformedValue(*alias);
    if (!path.asString()) {
        return {};
    }
    return PictureReader::read(*path.asString());
}

void TKWView::prepareFace()
{
    WindowFrame &window = windowFrame();
    const Rect old = window.frame();
    if (boolSettingForKey(Keys::UseFaceImage)) {
        mFaceImage = loadFaceImage();
    }
    if (boolSettingForKey(Keys::UseFaceImage) && !mFaceImage.isNull()) {
        window.setFrame({old.x, old.y, static_cast<float>(mFaceImage.width()),
                         static_cast<float>(mFaceImage.height())},
                        true);
    } else {
        const float n = WindowSizing::clockSize(integerSettingForKey(Keys::ClockSize));
        window.setFrame({old.x, old.y, n, n}, true);
    }
}
