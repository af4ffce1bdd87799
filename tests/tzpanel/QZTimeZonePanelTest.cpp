#include "tzpanel/QZTimeZonePanel.h"

#include "platform/TimeZone.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QPushButton>
#include <QScreen>
#include <QSet>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <utility>

namespace {

const QStringList someNames = {QStringLiteral("America/Argentina/Buenos_Aires"),
                               QStringLiteral("America/New_York"), QStringLiteral("Europe/Berlin"),
                               QStringLiteral("Europe/Paris"), QStringLiteral("GMT")};

// Runs the panel and, once it is up and active, performs `whileUp`, which is to
// end the run. Returns the run's code.
int runWith(QZTimeZonePanel &panel, const std::optional<QString> &name, bool primary,
            const std::function<void()> &whileUp)
{
    bool wasUp = false;
    QTimer::singleShot(0, &panel, [&] {
        wasUp = QApplication::activeModalWidget() == &panel && QTest::qWaitForWindowActive(&panel);
        whileUp();
        if (panel.isVisible()) {
            ADD_FAILURE() << "the panel is still up";
            panel.dismissPanel(-1);
        }
    });
    const int code = panel.runModalForTimeZoneName(name, primary);
    EXPECT_TRUE(wasUp);
    return code;
}

// The key goes where the user's would: to the widget with the focus.
void press(Qt::Key key)
{
    QWidget *focused = QApplication::focusWidget();
    ASSERT_NE(focused, nullptr);
    QTest::keyClick(focused, key);
}

QStringList shownIn(const ColumnBrowser &browser, int column)
{
    QStringList shown;
    for (int row = 0; row < browser.columnView(column)->model()->rowCount(); ++row) {
        shown << browser.cell(row, column).stringValue;
    }
    return shown;
}

} // namespace

TEST(QZTimeZonePanel, RegionsAndSingleNamesShareTheFirstColumn)
{
    const auto panel = QZTimeZonePanel::timeZonePanel();
    const ColumnBrowser &browser = *panel->browser();
    QSet<QString> firstParts;
    for (const QString &name : TimeZone::knownTimeZoneNames()) {
        firstParts.insert(name.section(u'/', 0, 0));
    }
    const QStringList shown = shownIn(browser, 0);
    EXPECT_EQ(shown.size(), firstParts.size());
    EXPECT_EQ(browser.titleOfColumn(0), QStringLiteral("Region"));

    const int gmt = static_cast<int>(shown.indexOf(QStringLiteral("GMT")));
    ASSERT_GT(gmt, 0);
    EXPECT_TRUE(browser.cell(gmt, 0).leaf);
    EXPECT_EQ(shown.value(gmt - 1), QStringLiteral("Europe"));
    EXPECT_FALSE(browser.cell(gmt - 1, 0).leaf);
    EXPECT_EQ(shown.value(gmt + 1), QStringLiteral("Indian"));
}

TEST(QZTimeZonePanel, ColumnsSortByCharacterValue)
{
    QZTimeZonePanel panel({QStringLiteral("Zone/b"), QStringLiteral("Zone/_c"),
                           QStringLiteral("Zone/aZ"), QStringLiteral("Zone/B"),
                           QStringLiteral("Zone/a_"), QStringLiteral("Zone/A"),
                           QStringLiteral("Solo"), QStringLiteral("Zone")});
    const ColumnBrowser &browser = *panel.browser();
    EXPECT_EQ(shownIn(browser, 0), QStringList({QStringLiteral("Solo"), QStringLiteral("Zone")}));
    EXPECT_TRUE(browser.cell(0, 0).leaf);
    EXPECT_FALSE(browser.cell(1, 0).leaf) << "a name that begins longer ones is a branch";

    panel.browser()->setPath(QStringLiteral("/Zone"));
    EXPECT_EQ(shownIn(browser, 1),
              QStringList({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("_c"),
                           QStringLiteral("aZ"), QStringLiteral("a_"), QStringLiteral("b")}));
}

TEST(QZTimeZonePanel, OpensCentredWithItsPartsWhereTheyBelong)
{
    const auto panel = QZTimeZonePanel::timeZonePanel();
    const QPoint offCentre =
        panel->geometry().center() - QGuiApplication::primaryScreen()->availableGeometry().center();
    EXPECT_LE(offCentre.manhattanLength(), 1);

    EXPECT_EQ(panel->browser()->geometry(), QRect(20, 0, 432, 162));
    const std::pair<const QPushButton *, int> buttons[] = {
        {panel->clearButton(), 20}, {panel->cancelButton(), 266}, {panel->okButton(), 362}};
    for (const auto &[button, left] : buttons) {
        EXPECT_TRUE(QRect(left, 178, 96, 32).contains(button->geometry()))
            << button->text().toStdString();
    }
}

TEST(QZTimeZonePanel, AThreePartNameSpansThreeColumnsAndStaysForTheNextRun)
{
    const auto panel = QZTimeZonePanel::timeZonePanel();
    const ColumnBrowser &browser = *panel->browser();
    const QString buenosAires = QStringLiteral("America/Argentina/Buenos_Aires");
    const int code = runWith(*panel, buenosAires, false, [&] {
        EXPECT_EQ(browser.lastColumn(), 2);
        const QStringList parts = buenosAires.split(u'/');
        for (int column = 0; column < parts.size(); ++column) {
            EXPECT_EQ(browser.cell(browser.selectedRowInColumn(column), column).stringValue,
                      parts[column]);
        }
        QTest::mouseClick(panel->okButton(), Qt::LeftButton);
    });
    EXPECT_EQ(code, QZTimeZonePanel::okCode);
    EXPECT_EQ(panel->timeZoneName(), buenosAires);

    const int again = runWith(*panel, std::nullopt, false, [&] {
        EXPECT_EQ(browser.path(), u'/' + buenosAires);
        QTest::mouseClick(panel->cancelButton(), Qt::LeftButton);
    });
    EXPECT_EQ(again, QZTimeZonePanel::cancelCode);
}

TEST(QZTimeZonePanel, ClearEmptiesTheSelectionAndIsTitledForTheRun)
{
    QZTimeZonePanel panel(someNames);
    const int cleared = runWith(panel, QStringLiteral("Europe/Paris"), true, [&] {
        EXPECT_EQ(panel.clearButton()->text(), QStringLiteral("Local"));
        QTest::mouseClick(panel.clearButton(), Qt::LeftButton);
        EXPECT_TRUE(panel.isVisible());
        QTest::mouseClick(panel.okButton(), Qt::LeftButton);
    });
    EXPECT_EQ(cleared, QZTimeZonePanel::okCode);
    EXPECT_EQ(panel.timeZoneName(), std::nullopt);

    const int cancelled = runWith(panel, QStringLiteral("Europe/Paris"), false, [&] {
        EXPECT_EQ(panel.clearButton()->text(), QStringLiteral("Clear"));
        QTest::mouseClick(panel.cancelButton(), Qt::LeftButton);
    });
    EXPECT_EQ(cancelled, QZTimeZonePanel::cancelCode);
}

TEST(QZTimeZonePanel, ReturnConfirmsAndEscapeOrClosingCancels)
{
    QZTimeZonePanel panel(someNames);
    const auto gmt = QStringLiteral("GMT");
    EXPECT_EQ(runWith(panel, gmt, false,
                      [&] {
                          EXPECT_TRUE(panel.browser()->isAncestorOf(QApplication::focusWidget()));
                          press(Qt::Key_Escape);
                      }),
              QZTimeZonePanel::cancelCode);
    EXPECT_EQ(runWith(panel, gmt, false, [&] { panel.close(); }), QZTimeZonePanel::cancelCode);
    EXPECT_EQ(runWith(panel, gmt, false, [&] { press(Qt::Key_Return); }), QZTimeZonePanel::okCode);
    EXPECT_EQ(runWith(panel, gmt, false,
                      [&] {
                          panel.clearButton()->setFocus();
                          press(Qt::Key_Return);
                      }),
              QZTimeZonePanel::okCode);
    EXPECT_EQ(panel.timeZoneName(), gmt) << "Return belongs to OK alone";
}

TEST(QZTimeZonePanel, ARegionAloneCannotBeConfirmed)
{
    QZTimeZonePanel panel(someNames);
    const int code = runWith(panel, QStringLiteral("Europe"), false, [&] {
        EXPECT_FALSE(panel.okButton()->isEnabled());
        press(Qt::Key_Return);
        EXPECT_TRUE(panel.isVisible());
        panel.browser()->selectRow(0, 1);
        press(Qt::Key_Return);
    });
    EXPECT_EQ(code, QZTimeZonePanel::okCode);
    EXPECT_EQ(panel.timeZoneName(), QStringLiteral("Europe/Berlin"));
}
