#pragma once

#include "platform/Color.h"
#include "platform/ObservableDictionary.h"
#include "platform/TimeZone.h"

#include <QWidget>

#include <cstdint>
#include <memory>
#include <optional>

// The face of one clock. It samples the time once per tick and caches what a frame
// needs (angles, AM/PM, zone abbreviation); drawing reads only those caches.
class TKWView : public QWidget
{
    Q_OBJECT

public:
    explicit TKWView(QWidget *parent = nullptr);
    ~TKWView() override;

    // Registers the view's user defaults; runs once per process, before the first
    // view exists.
    static void initialize();

    const std::shared_ptr<ObservableDictionary> &configData() const { return mConfigData; }
    void setConfigData(std::shared_ptr<ObservableDictionary> settings);

    // Typed reading of the clock settings. Absent or mistyped values read as none,
    // NO, 0 or 0.0; only the integer reader of a view without settings falls back
    // to the user defaults.
    const PropertyList *objectSettingForKey(const QString &key) const;
    bool boolSettingForKey(const QString &key) const;
    std::int32_t integerSettingForKey(const QString &key) const;
    float floatSettingForKey(const QString &key) const;
    Color colorSettingForKey(const QString &key) const;
    static Color borderColor(const Color &color);

    void timerFired();
    void cacheDrawingParameters();
    void cacheAlternateHourAngle();
    // A "TKWTimeZone" that names no zone reads as the system zone.
    TimeZone clockTimeZone() const;
    std::optional<TimeZone> alternateTimeZone() const;

    // The caches of the last sample.
    std::optional<Instant> lastDate() const { return mLastDate; }
    std::optional<QString> meridianString() const { return mMeridianString; }
    std::optional<QString> timeZoneAbbr() const { return mTimeZoneAbbr; }
    std::optional<std::int32_t> secondOfDay() const { return mSecondOfDay; }
    float angleH() const { return mAngleH; }
    float angleM() const { return mAngleM; }
    float angleS() const { return mAngleS; }
    float angleA() const { return mAngleA; }
    bool isWoken() const { return mWoken; }

private:
    void reassertClickThrough();

    std::shared_ptr<ObservableDictionary> mConfigData;

    std::optional<Instant> mLastDate;
    std::optional<QString> mMeridianString;
    std::optional<QString> mTimeZoneAbbr;
    std::optional<std::int32_t> mSecondOfDay;
    float mAngleH = 0;
    float mAngleM = 0;
    float mAngleS = 0;
    float mAngleA = 0;
    bool mFlagPM = false;
    bool mWoken = false;
};
