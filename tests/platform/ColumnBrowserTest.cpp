// The time zone panel's column browser, driven by keys and clicks.

#include "widgets/ColumnBrowser.h"

#include "Support.h"

#include <QAbstractItemView>
#include <QSignalSpy>

using namespace tockwise;

namespace {

// Columns of two: a and b open c (a branch) and d; c opens the leaves e and f.
class Tree : public ColumnBrowserDelegate
{
public:
    int browserNumberOfRowsInColumn(const ColumnBrowser &, int column) override
    {
        return column < 3 ? 2 : 0;
    }
    void browserWillDisplayCell(const ColumnBrowser &, BrowserCell &cell, int row,
                                int column) override
    {
        cell.stringValue = QChar(u'a' + 2 * column + row);
        cell.leaf = column == 2 || (column == 1 && row == 1);
    }
};

} // namespace

TEST(ColumnBrowser, KeysAndClicksWalkTheTreeAndActivateOnlyLeaves)
{
    Tree tree;
    ColumnBrowser browser;
    browser.resize(2 * ColumnBrowser::minimumColumnWidth + 30, 160);
    browser.setDelegate(&tree);
    browser.show();
    QSignalSpy activations(&browser, &ColumnBrowser::leafActivated);
    const auto view = [&](int column) { return browser.columnView(column); };
    const auto key = [&](int column, Qt::Key key) { QTest::keyClick(view(column), key); };
    const auto doubleClick = [&](int row, int column) {
        const QPoint at = view(column)->visualRect(view(column)->model()->index(row, 0)).center();
        // Delivered, as by the window system, after a first click.
        QTest::mouseClick(view(column)->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(view(column)->viewport(), Qt::LeftButton, {}, at);
    };
    key(0, Qt::Key_Down);
    key(0, Qt::Key_Right);
    EXPECT_EQ(browser.path(), "/a/c");
    const int left = view(2)->mapTo(&browser, QPoint()).x();
    EXPECT_TRUE(left >= 0 && left + view(2)->width() <= browser.width()) << "scrolled to";
    key(1, Qt::Key_Down);
    key(1, Qt::Key_Right); // nothing to the right of a leaf
    key(1, Qt::Key_Return);
    EXPECT_EQ(browser.path(), "/a/d");
    EXPECT_EQ(activations.count(), 1);
    key(1, Qt::Key_Left);
    key(0, Qt::Key_Return);
    EXPECT_EQ(browser.path(), "/a");
    QTest::keyClicks(view(0), "b");
    EXPECT_EQ(browser.path(), "/b");
    doubleClick(0, 0);
    EXPECT_EQ(browser.path(), "/a");
    EXPECT_EQ(activations.count(), 1) << "branches open, only leaves activate";
    doubleClick(1, 1);
    EXPECT_EQ(browser.path(), "/a/d");
    EXPECT_EQ(activations.count(), 2);
}
