// What a screen reader meets through Qt's accessibility: a clock's name and time,
// said again only as a minute turns; a name of its own for each control of the
// panels; the clock's menu from the keyboard. In English and in German.

#include "Support.h"
#include "app/StringTable.h"
#include "app/TKWController.h"
#include "clockview/TKWView.h"
#include "settings/SettingsKeys.h"
#include "tzpanel/QZTimeZonePanel.h"
#include "window/TKWWindow.h"
#include "window/TKWWindowController.h"

#include <QAbstractItemView>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

#include <private/qguiapplication_p.h>

using namespace tockwise;

namespace {

QList<QAccessible::Event> said; // to the clocks' windows

QString spoken(QObject *object, QAccessible::Text text = QAccessible::Name)
{
    return QAccessible::queryAccessibleInterface(object)->text(text);
}

// Each control a user can operate has a name, and no two of a window share one.
QStringList expectNamedControls(const QWidget &window)
{
    const QList<QAccessible::Role> controls = {
        QAccessible::Button, QAccessible::CheckBox, QAccessible::ComboBox,    QAccessible::SpinBox,
        QAccessible::Slider, QAccessible::List,     QAccessible::EditableText};
    QStringList names;
    for (QWidget *widget : window.findChildren<QWidget *>()) {
        const QAccessibleInterface *control = QAccessible::queryAccessibleInterface(widget);
        // A spin box's field is part of the spin box.
        if (controls.contains(control->role()) && widget->parentWidget()->focusProxy() != widget) {
            names.append(control->text(QAccessible::Name));
        }
    }
    EXPECT_FALSE(names.contains(QString()));
    EXPECT_EQ(QSet<QString>(names.begin(), names.end()).size(), names.size())
        << names.join("|").toStdString();
    return names;
}

// Tokyo's clock and a local one at 10:42:30 on Monday 7 December in Tokyo.
void expectSpokenClocksAndPanels(QStringList expected)
{
    QPlatformAccessibility *bridge = QGuiApplicationPrivate::platformIntegration()->accessibility();
    bridge->setActive(false);
    QAccessible::installUpdateHandler([](QAccessibleEvent *event) {
        if (qobject_cast<TKWWindow *>(event->object())) {
            said.append(event->type());
        }
    });
    const Instant monday{std::chrono::seconds(1796607750)};
    PinnedTime now(monday);
    TKWController controller;
    const auto clock = controller.addClock(TKWWindowController::initWithTimeZoneName("Asia/Tokyo"));
    const auto local = TKWWindowController::initWithTimeZoneName(std::nullopt);
    clock->showWindow();
    local->showWindow();
    TKWWindow *window = clock->window();
    // Nothing is worked out for nobody, and a covered clock sleeps; a screen reader
    // that comes hears it at once, and the covered clock wakes as its minute turns.
    EXPECT_EQ(window->accessibleDescription(), QString());
    clock->clockView()->setCovered(true);
    EXPECT_EQ(clock->clockView()->nextChange(), std::nullopt);
    bridge->setActive(true);
    EXPECT_EQ(clock->clockView()->nextChange(), monday + std::chrono::seconds(30));
    clock->clockView()->setCovered(false);
    EXPECT_EQ(QStringList({spoken(window), spoken(local->window()),
                           spoken(window, QAccessible::Description)}),
              expected.mid(0, 3));
    said.clear();
    for (const int second : {31, 59, 60}) {
        now.set(monday + std::chrono::seconds(second - 30));
        clock->clockView()->timerFired();
    }
    EXPECT_EQ(spoken(window, QAccessible::Description), expected[2].replace("10:42", "10:43"));
    // Seoul's time is Tokyo's: only the name changes.
    clock->clockSettings()->setValue(Keys::TimeZone, PropertyList::string("Asia/Seoul"));
    EXPECT_EQ(said, (QList{QAccessible::DescriptionChanged, QAccessible::NameChanged}));
    // A hand for London: its time is said after the clock's own.
    clock->clockSettings()->setValue(Keys::AlternateTimeZone,
                                     PropertyList::string("Europe/London"));
    EXPECT_EQ(spoken(window, QAccessible::Description), expected[5]);

    // The settings, New Clock and time zone panels.
    clock->showSettingsPanel();
    controller.showNewClockPanel();
    const auto zones = QZTimeZonePanel::timeZonePanel();
    zones->browser()->setPath("/America/Argentina/Buenos_Aires");
    zones->browser()->setPath("/America"); // the third column closes
    const auto columns = zones->browser()->findChildren<QAbstractItemView *>();
    EXPECT_EQ(QStringList({spoken(controller.zoneBrowser()->columnView(0)), spoken(columns[1]),
                           spoken(columns[2])}),
              QStringList({"Region", "America", expected[4]}));
    QStringList names;
    for (const QWidget *panel : QApplication::topLevelWidgets()) {
        names += expectNamedControls(*panel);
    }
    EXPECT_TRUE(names.contains(expected[3]));

    // The clock takes the focus, and its menu opens at its centre, not at the pointer.
    window->move(200, 150);
    for (const auto modifier : {Qt::NoModifier, Qt::ShiftModifier}) {
        window->activateWindow();
        ASSERT_TRUE(waitFor([&] { return QApplication::focusWidget() == window; }));
        QTest::keyClick(window, modifier ? Qt::Key_F10 : Qt::Key_Menu, modifier);
        QWidget *menu = nullptr;
        ASSERT_TRUE(waitFor([&] { return (menu = QApplication::activePopupWidget()) != nullptr; }));
        EXPECT_EQ(menu->pos(), window->mapToGlobal(window->rect().center()));
        menu->close();
    }
}

} // namespace

TEST(Accessibility, ClocksAndPanelsTellAScreenReaderWhatTheyAre)
{
    expectSpokenClocksAndPanels({"Clock, Tokyo", "Clock, local time",
                                 "10:42\u202fAM, Monday, December 7", "Choose time zone",
                                 "Column 3",
                                 "10:43\u202fAM, Monday, December 7; 1:43\u202fAM in London"});
}

TEST(GermanLocaleAccessibility, ClocksAndPanelsTellAScreenReaderInGerman)
{
    if (!qEnvironmentVariable("TOCKWISE_TEST_LANG").startsWith(u"de")) {
        GTEST_SKIP() << "runs under the german_locale test";
    }
    ASSERT_TRUE(StringTable::install());
    expectSpokenClocksAndPanels({"Uhr, Tokio", "Uhr, Ortszeit", "10:42, Montag, 7. Dezember",
                                 "Zeitzone auswählen", "Spalte 3",
                                 "10:43, Montag, 7. Dezember; in London 01:43"});
}
