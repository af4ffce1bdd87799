// The panel in which a time zone is chosen, driven by keys and clicks.

#include "tzpanel/QZTimeZonePanel.h"

#include "Support.h"
#include "tzpanel/ZoneSearchField.h"

#include <QAbstractItemView>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

using namespace tockwise;

namespace {

// Runs the panel with `name` chosen and, once it is up and active, does
// `whileUp`, which is to end the run; gives the run's code.
int runWith(QZTimeZonePanel &panel, const QString &name, const std::function<void()> &whileUp)
{
    QTimer::singleShot(0, &panel, [&] {
        EXPECT_TRUE(QTest::qWaitForWindowActive(&panel));
        whileUp();
        if (panel.isVisible()) {
            ADD_FAILURE() << "the panel is still up";
            panel.dismissPanel(-1);
        }
    });
    return panel.runModalForTimeZoneName(name, false);
}

} // namespace

TEST(QZTimeZonePanel, ColumnsSortByCharacterValue)
{
    QZTimeZonePanel panel(
        {"Zone/b", "Zone/_c", "Zone/aZ", "Zone/B", "Zone/a_", "Zone/A", "Solo", "Zone"});
    const ColumnBrowser &browser = *panel.browser();
    const auto shownIn = [&browser](int column) {
        QStringList shown;
        for (int row = 0; row < browser.columnView(column)->model()->rowCount(); ++row) {
            shown << browser.cell(row, column).stringValue;
        }
        return shown;
    };
    EXPECT_EQ(shownIn(0), QStringList({"Solo", "Zone"}));
    EXPECT_FALSE(browser.cell(1, 0).leaf) << "a name that begins longer ones is a branch";
    panel.browser()->setPath("/Zone");
    EXPECT_EQ(shownIn(1), QStringList({"A", "B", "_c", "aZ", "a_", "b"}));
}

// Keys go where the user's would: to the widget with the focus.
TEST(QZTimeZonePanel, ReturnConfirmsAZoneWhereverTheFocusIsAndEscapeOrClosingCancels)
{
    QZTimeZonePanel panel({"America/Argentina/Buenos_Aires", "Europe/Berlin", "GMT"});
    const auto press = [](Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key); };
    EXPECT_EQ(runWith(panel, "GMT", [&] { press(Qt::Key_Escape); }), QZTimeZonePanel::cancelCode);
    EXPECT_EQ(runWith(panel, "GMT", [&] { panel.close(); }), QZTimeZonePanel::cancelCode);
    const int code = runWith(panel, "America/Argentina/Buenos_Aires", [&] {
        panel.clearButton()->setFocus();
        press(Qt::Key_Return);
    });
    EXPECT_EQ(code, QZTimeZonePanel::okCode);
    EXPECT_EQ(panel.timeZoneName(), "America/Argentina/Buenos_Aires");
    // A region alone names no zone.
    EXPECT_EQ(runWith(panel, "Europe",
                      [&] {
                          EXPECT_FALSE(panel.okButton()->isEnabled());
                          press(Qt::Key_Return);
                          EXPECT_TRUE(panel.isVisible());
                          panel.browser()->selectRow(0, 1);
                          press(Qt::Key_Return);
                      }),
              QZTimeZonePanel::okCode);
    EXPECT_EQ(panel.timeZoneName(), "Europe/Berlin");
}

// The search has the keys from the start: typing lists matches, the browser
// follows the one marked, Up and Down mark another, Return confirms it, Escape
// empties the search first and cancels only then. A search confirms nothing: with
// nothing marked, the browser is back where it was before.
TEST(QZTimeZonePanel, TypingFindsAZoneWhoseKeysStayInTheSearch)
{
    QZTimeZonePanel panel({"America/Argentina/Buenos_Aires", "Europe/Berlin", "Europe/Busingen",
                           "Europe/Paris", "GMT"});
    ZoneSearchField &search = *panel.search();
    QLineEdit *field = search.field();
    const auto press = [](Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key); };
    const int code = runWith(panel, "GMT", [&] {
        ASSERT_EQ(QApplication::focusWidget(), field);
        QTest::keyClicks(field, "GERMANY");
        EXPECT_EQ(search.listedZones(), QStringList({"Europe/Berlin", "Europe/Busingen"}));
        EXPECT_EQ(panel.browser()->path(), "/Europe/Berlin");
        press(Qt::Key_Down);
        EXPECT_EQ(panel.browser()->path(), "/Europe/Busingen");
        press(Qt::Key_Up);
        EXPECT_EQ(panel.browser()->path(), "/Europe/Berlin");
        press(Qt::Key_Escape);
        EXPECT_TRUE(field->text().isEmpty() && search.matchList()->isHidden());
        QTest::keyClicks(field, "berlin tokyo"); // Tokyo is not among this panel's zones
        EXPECT_TRUE(search.listedZones().isEmpty());
        EXPECT_EQ(panel.browser()->path(), "/GMT");
        press(Qt::Key_Return);
        EXPECT_TRUE(panel.isVisible()) << "Return with nothing found confirms nothing";
        field->clear();
        QTest::keyClicks(field, "buenos");
        EXPECT_EQ(QApplication::focusWidget(), field);
        press(Qt::Key_Return);
    });
    EXPECT_EQ(code, QZTimeZonePanel::okCode);
    EXPECT_EQ(panel.timeZoneName(), "America/Argentina/Buenos_Aires");
    EXPECT_EQ(runWith(panel, "America/Argentina/Buenos_Aires",
                      [&] {
                          EXPECT_TRUE(field->text().isEmpty()) << "each run starts afresh";
                          QTest::keyClicks(field, "paris");
                          press(Qt::Key_Escape);
                          press(Qt::Key_Return);
                      }),
              QZTimeZonePanel::okCode);
    EXPECT_EQ(panel.timeZoneName(), "America/Argentina/Buenos_Aires") << "as the run began";
    runWith(panel, "GMT", [&] {
        QTest::keyClicks(field, "paris");
        QTest::keyClicks(field, "\b\b\b\b\b"); // Backspace five times
        panel.okButton()->click();
    });
    EXPECT_EQ(panel.timeZoneName(), "GMT") << "emptied by hand";
    // What the user selects during a search is no longer the search's to give back.
    EXPECT_EQ(runWith(panel, "GMT",
                      [&] {
                          QTest::keyClicks(field, "paris");
                          panel.clearButton()->click();
                          press(Qt::Key_Escape);
                          EXPECT_EQ(panel.browser()->path(), "/");
                          press(Qt::Key_Escape);
                      }),
              QZTimeZonePanel::cancelCode);
}
