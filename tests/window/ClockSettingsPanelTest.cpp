// The settings panel as its interface file builds it.

#include "window/ClockSettingsPanel.h"

#include "settings/ClockDefaults.h"
#include "settings/SettingsKeys.h"
#include "settings/TKWGreyableTextField.h"
#include "window/ObjectController.h"

#include <QPushButton>
#include <QSet>

#include <gtest/gtest.h>

namespace {

std::shared_ptr<ObservableDictionary> newClockSettings()
{
    return std::make_shared<ObservableDictionary>(ClockDefaults::defaultConfig());
}

} // namespace

TEST(ClockSettingsPanel, BindsEveryUserSettableSettingAndWritesNothingWhenShown)
{
    auto settings = newClockSettings();
    int changes = 0;
    Observation watch = settings->observeAll([&](const QString &) { ++changes; });
    ClockSettingsPanel panel(settings);
    panel.show();

    QSet<QString> keys;
    for (QWidget *widget : panel.objectController()->boundWidgets()) {
        keys.insert(widget->property(ObjectController::bindingKeyProperty).toString());
    }
    keys.remove(QString());
    // Where the hands turn on a picture is set on the clock itself, not here.
    const QSet<QString> expected{
        Keys::TimeZone,    Keys::AlternateTimeZone, Keys::ClockSize,       Keys::DigitalClock,
        Keys::FaceColor,   Keys::Opacity,           Keys::DrawBorder,      Keys::UseFaceImage,
        Keys::FaceImage,   Keys::HandColor,         Keys::SecondHandColor, Keys::AlternateZoneColor,
        Keys::FadeHands,   Keys::ShowSeconds,       Keys::PipStyle,        Keys::MinutePips,
        Keys::PipColor,    Keys::TwentyFour,        Keys::ShowDate,        Keys::ShowDayOnly,
        Keys::ShowWeekday, Keys::ShowMeridian,      Keys::ShowTimeZone,    Keys::OtherDataColor};
    EXPECT_EQ(keys, expected);
    EXPECT_EQ(changes, 0);
    EXPECT_FALSE(panel.isModal());
    EXPECT_EQ(panel.windowTitle(), QStringLiteral("Clock Settings"));

    auto *secondHandLabel =
        panel.findChild<TKWGreyableTextField *>(QStringLiteral("secondHandColorLabel"));
    ASSERT_NE(secondHandLabel, nullptr);
    EXPECT_TRUE(secondHandLabel->isEnabled());
    settings->setValue(Keys::ShowSeconds, PropertyList::integer(0));
    EXPECT_FALSE(secondHandLabel->isEnabled());
}

TEST(ClockSettingsPanel, ButtonsAnnounceTheWorkOfOthers)
{
    ClockSettingsPanel panel(newClockSettings());
    QStringList heard;
    const auto hear = [&](const char *name) {
        return [&heard, name] { heard << QString::fromUtf8(name); };
    };
    QObject::connect(&panel, &ClockSettingsPanel::selectPrimaryTimeZoneRequested, hear("zone"));
    QObject::connect(&panel, &ClockSettingsPanel::selectAlternateTimeZoneRequested,
                     hear("alternate"));
    QObject::connect(&panel, &ClockSettingsPanel::selectFaceImageRequested, hear("picture"));
    QObject::connect(&panel, &ClockSettingsPanel::beginMovingClockHandsRequested,
                     hear("calibrate"));
    QObject::connect(&panel, &ClockSettingsPanel::resetHandLocationRequested, hear("reset"));
    QObject::connect(&panel, &ClockSettingsPanel::removeClockRequested, hear("remove"));
    QObject::connect(&panel, &ClockSettingsPanel::closeSettingsDialogRequested, hear("close"));
    panel.show();

    for (const char *button :
         {"chooseTimeZoneButton", "chooseAlternateZoneButton", "chooseFaceImageButton",
          "calibrateHandsButton", "resetHandsButton", "removeClockButton", "closeButton"}) {
        auto *found = panel.findChild<QPushButton *>(QString::fromUtf8(button));
        ASSERT_NE(found, nullptr) << button;
        found->click();
    }
    EXPECT_EQ(heard, (QStringList{QStringLiteral("zone"), QStringLiteral("alternate"),
                                  QStringLiteral("picture"), QStringLiteral("calibrate"),
                                  QStringLiteral("reset"), QStringLiteral("remove"),
                                  QStringLiteral("close")}));
    EXPECT_FALSE(panel.isVisible());
}
