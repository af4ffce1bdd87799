// Two-way bindings between panel controls and a clock's settings.

#include "window/ObjectController.h"

#include "platform/Color.h"
#include "platform/ValueTransformer.h"
#include "settings/SettingsKeys.h"
#include "settings/TKWPathToAliasTransformer.h"
#include "settings/TKWSizeTransformer.h"
#include "window/ColorWell.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLabel>
#include <QSlider>
#include <QSpinBox>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

template <class W> W *bound(QWidget &root, const QString &key, const char *transformer = nullptr)
{
    auto *widget = new W(&root);
    widget->setProperty(ObjectController::bindingKeyProperty, key);
    if (transformer) {
        widget->setProperty(ObjectController::valueTransformerProperty,
                            QString::fromUtf8(transformer));
    }
    return widget;
}

void enabledBy(QWidget *widget, const QString &key, bool when = true)
{
    widget->setProperty(ObjectController::enabledKeyProperty, key);
    widget->setProperty(ObjectController::enabledWhenProperty, when);
}

PropertyList colorValue(const Color &color)
{
    return PropertyList::data(color.encode());
}

// A panel of every kind of control, and a record of every change of the settings.
class Bindings : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ValueTransformer::setValueTransformer(std::make_unique<TKWSizeTransformer>(),
                                              QStringLiteral("TKWSizeTransformer"));
        ValueTransformer::setValueTransformer(std::make_unique<TKWPathToAliasTransformer>(),
                                              QStringLiteral("TKWPathToAliasTransformer"));
        slider->setRange(0, 100);
        size->setRange(4, 512);
        radius->setRange(0, 1);
        radius->setDecimals(3);
        pips->addItems({QStringLiteral("None"), QStringLiteral("Dots"), QStringLiteral("Roman"),
                        QStringLiteral("Arabic")});
        zone->setProperty(ObjectController::nullPlaceholderProperty, QStringLiteral("Local time"));
        enabledBy(minutePips, Keys::PipStyle);
        enabledBy(pipColor, Keys::PipStyle);
        enabledBy(dayOnly, Keys::ShowDate);
        enabledBy(calibrate, Keys::UseFaceImage, false);
    }

    void watch(const std::shared_ptr<ObservableDictionary> &settings)
    {
        changes.clear();
        mWatch = settings->observeAll([this](const QString &key) { changes << key; });
    }

    QWidget root;
    QCheckBox *seconds = bound<QCheckBox>(root, Keys::ShowSeconds);
    QSlider *slider = bound<QSlider>(root, Keys::Opacity);
    QSpinBox *size = bound<QSpinBox>(root, Keys::ClockSize, "TKWSizeTransformer");
    QDoubleSpinBox *radius = bound<QDoubleSpinBox>(root, Keys::RadiusFactor);
    QComboBox *pips = bound<QComboBox>(root, Keys::PipStyle);
    QLabel *zone = bound<QLabel>(root, Keys::TimeZone);
    QLabel *picture = bound<QLabel>(root, Keys::FaceImage, "TKWPathToAliasTransformer");
    ColorWell *hand = bound<ColorWell>(root, Keys::HandColor);
    ColorWell *pipColor = bound<ColorWell>(root, Keys::PipColor);
    QCheckBox *minutePips = bound<QCheckBox>(root, Keys::MinutePips);
    QCheckBox *dayOnly = bound<QCheckBox>(root, Keys::ShowDayOnly);
    QPushButton *calibrate = new QPushButton(&root);
    ObjectController controller{&root};
    QStringList changes;

private:
    Observation mWatch;
};

} // namespace

TEST_F(Bindings, ControlsShowTheSettingsAndFollowEveryChangeWithoutWritingBack)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("face.png"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("x") == 1);
    file.close();
    const PropertyList alias =
        TKWPathToAliasTransformer().reverseTransformedValue(PropertyList::string(path));
    ASSERT_FALSE(alias.isNone());

    auto settings = std::make_shared<ObservableDictionary>(PropertyList::Dictionary{
        {Keys::ShowSeconds, PropertyList::integer(1)},
        {Keys::Opacity, PropertyList::real(0.25)},
        {Keys::ClockSize, PropertyList::real(130)},
        {Keys::PipStyle, PropertyList::integer(2)},
        {Keys::TimeZone, PropertyList::string(QStringLiteral("Europe/Paris"))},
        {Keys::HandColor, colorValue(Color::red())},
        {Keys::FaceImage, alias}});
    watch(settings);
    controller.setContent(settings);
    EXPECT_TRUE(seconds->isChecked());
    EXPECT_EQ(slider->value(), 25);
    EXPECT_EQ(size->value(), 32); // 32.5 steps, cut as the clock cuts a size
    EXPECT_EQ(pips->currentIndex(), 2);
    EXPECT_EQ(zone->text(), QStringLiteral("Europe/Paris"));
    EXPECT_EQ(picture->text(), path);
    EXPECT_EQ(hand->color(), Color::red());

    settings->setValue(Keys::ShowSeconds, PropertyList::boolean(false));
    settings->setValue(Keys::Opacity, PropertyList::real(1.0));
    settings->setValue(Keys::ClockSize, PropertyList::integer(200));
    settings->setValue(Keys::PipStyle, PropertyList::real(3.9));
    settings->removeValue(Keys::TimeZone);
    settings->setValue(Keys::HandColor, colorValue(Color::calibratedWhite(0.5f, 0.5f)));
    settings->removeValue(Keys::FaceImage);
    EXPECT_FALSE(seconds->isChecked());
    EXPECT_EQ(slider->value(), 100);
    EXPECT_EQ(size->value(), 50);
    EXPECT_EQ(pips->currentIndex(), 3);
    EXPECT_EQ(zone->text(), QStringLiteral("Local time"));
    EXPECT_TRUE(picture->text().isEmpty());
    EXPECT_EQ(hand->color(), Color::calibratedWhite(0.5f, 0.5f));

    // Outside the four styles nothing is selected, and nothing is rewritten.
    settings->setValue(Keys::PipStyle, PropertyList::integer(7));
    EXPECT_EQ(pips->currentIndex(), -1);
    EXPECT_EQ(changes.size(), 8) << changes.join(u' ').toStdString();
    EXPECT_EQ(*settings->value(Keys::PipStyle), PropertyList::integer(7));
}

TEST_F(Bindings, EachUserChangeWritesItsKeyOnceInTheStoredForm)
{
    auto settings = std::make_shared<ObservableDictionary>(PropertyList::Dictionary{
        {Keys::ShowSeconds, PropertyList::integer(1)}, {Keys::PipStyle, PropertyList::integer(9)}});
    controller.setContent(settings);
    watch(settings);

    seconds->click();
    slider->setValue(37);
    size->setValue(33);
    radius->setValue(0.125);
    pips->setCurrentIndex(3);
    EXPECT_EQ(changes, (QStringList{Keys::ShowSeconds, Keys::Opacity, Keys::ClockSize,
                                    Keys::RadiusFactor, Keys::PipStyle}));
    EXPECT_EQ(*settings->value(Keys::ShowSeconds), PropertyList::boolean(false));
    EXPECT_NEAR(*settings->value(Keys::Opacity)->asReal(), 0.37, 1e-12);
    EXPECT_EQ(*settings->value(Keys::ClockSize), PropertyList::real(132));
    EXPECT_EQ(*settings->value(Keys::RadiusFactor), PropertyList::real(0.125));
    EXPECT_EQ(*settings->value(Keys::PipStyle), PropertyList::integer(3));
}

TEST_F(Bindings, DamagedSettingsShowAsNothingAndStayAsTheyWere)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const PropertyList::Dictionary damaged{
        {Keys::ShowSeconds, PropertyList::data("\x01")},
        {Keys::Opacity, PropertyList::real(nan)},
        {Keys::ClockSize, PropertyList::string(QStringLiteral("huge"))},
        {Keys::RadiusFactor, PropertyList::real(std::numeric_limits<double>::infinity())},
        {Keys::PipStyle, PropertyList::data("\x02")},
        {Keys::TimeZone, PropertyList::integer(5)},
        {Keys::HandColor, PropertyList::data("TKWc\x09garbage")},
        {Keys::FaceImage, PropertyList::string(QStringLiteral("/no/such/alias"))},
        {Keys::ShowDate, PropertyList::array({PropertyList::integer(1)})}};
    auto settings = std::make_shared<ObservableDictionary>(damaged);
    // Controls that move when shown would write, were anything to write.
    seconds->setChecked(true);
    slider->setValue(50);
    size->setValue(100);
    hand->setColorValue(colorValue(Color::red()));
    watch(settings);
    controller.setContent(settings);
    EXPECT_TRUE(changes.isEmpty());
    EXPECT_EQ(settings->contents(), damaged);
    EXPECT_FALSE(seconds->isChecked());
    EXPECT_EQ(slider->value(), 0);
    EXPECT_EQ(size->value(), size->minimum());
    EXPECT_EQ(pips->currentIndex(), -1);
    EXPECT_EQ(zone->text(), QStringLiteral("Local time"));
    EXPECT_EQ(hand->color(), Color::black());
    EXPECT_FALSE(dayOnly->isEnabled());
}

TEST_F(Bindings, ControlsGreyOutWithTheirEnablingKeyAndWithoutContent)
{
    controller.setContent(nullptr);
    for (QWidget *widget : controller.boundWidgets()) {
        EXPECT_FALSE(widget->isEnabled()) << widget->metaObject()->className();
    }
    EXPECT_EQ(controller.boundWidgets().size(), 12);

    auto settings = std::make_shared<ObservableDictionary>(
        PropertyList::Dictionary{{Keys::PipStyle, PropertyList::integer(0)}});
    controller.setContent(settings);
    EXPECT_TRUE(seconds->isEnabled());
    EXPECT_FALSE(minutePips->isEnabled());
    EXPECT_FALSE(pipColor->isEnabled());
    EXPECT_FALSE(dayOnly->isEnabled());
    EXPECT_TRUE(calibrate->isEnabled());

    settings->setValue(Keys::PipStyle, PropertyList::integer(3));
    settings->setValue(Keys::ShowDate, PropertyList::integer(1));
    settings->setValue(Keys::UseFaceImage, PropertyList::boolean(true));
    EXPECT_TRUE(minutePips->isEnabled());
    EXPECT_TRUE(pipColor->isEnabled());
    EXPECT_TRUE(dayOnly->isEnabled());
    EXPECT_FALSE(calibrate->isEnabled());
}

TEST_F(Bindings, NewContentTakesTheBindingsOverFromTheOld)
{
    auto first = std::make_shared<ObservableDictionary>(
        PropertyList::Dictionary{{Keys::ShowSeconds, PropertyList::integer(1)}});
    auto second = std::make_shared<ObservableDictionary>(
        PropertyList::Dictionary{{Keys::ShowSeconds, PropertyList::integer(0)}});
    controller.setContent(first);
    controller.setContent(second);
    EXPECT_EQ(first->observerCount(Keys::ShowSeconds), 0u);
    EXPECT_FALSE(seconds->isChecked());

    first->setValue(Keys::ShowSeconds, PropertyList::integer(0));
    first->setValue(Keys::ShowSeconds, PropertyList::integer(1));
    EXPECT_FALSE(seconds->isChecked());
    seconds->click();
    EXPECT_EQ(*second->value(Keys::ShowSeconds), PropertyList::boolean(true));
    EXPECT_EQ(*first->value(Keys::ShowSeconds), PropertyList::integer(1));
}

TEST_F(Bindings, TheSharedColorDialogWritesTheColourOfTheWellItWasOpenedFor)
{
    auto settings = std::make_shared<ObservableDictionary>(PropertyList::Dictionary{
        {Keys::HandColor, colorValue(Color::red())}, {Keys::PipStyle, PropertyList::integer(1)}});
    controller.setContent(settings);
    watch(settings);

    hand->click();
    QColorDialog *dialog = ColorWell::sharedColorDialog(false);
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(dialog->isModal());
    EXPECT_TRUE(dialog->testOption(QColorDialog::ShowAlphaChannel));
    EXPECT_EQ(dialog->currentColor(), QColor(Qt::red));

    // The dialog keeps 8 bits a channel; what it hands over is what is stored.
    dialog->setCurrentColor(QColor::fromRgbF(0.2f, 0.4f, 0.6f, 0.5f));
    const QColor picked = dialog->currentColor();
    dialog->accept();
    ASSERT_EQ(changes, QStringList{Keys::HandColor});
    const std::optional<Color> stored = Color::decode(*settings->value(Keys::HandColor)->asData());
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->space(), Color::Space::CalibratedRGB);
    EXPECT_EQ(*stored, ColorWell::colorFromDialog(picked));
    EXPECT_NEAR(stored->alpha(), 0.5f, 1.0f / 255);

    // The dialog now works for the other well; greyed out, that well takes nothing.
    pipColor->click();
    EXPECT_EQ(ColorWell::sharedColorDialog(true), dialog);
    settings->setValue(Keys::PipStyle, PropertyList::integer(0));
    changes.clear();
    dialog->accept();
    EXPECT_TRUE(changes.isEmpty());
    dialog->close();
}
