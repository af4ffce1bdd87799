#include "platform/ColumnBrowser.h"

#include <QAbstractItemModelTester>
#include <QAbstractItemView>
#include <QImage>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <vector>

namespace {

// A small hierarchy keyed by path ("" for the root). It answers from the
// selection of the columns to the left, as real delegates do, and counts the
// questions asked while one of those columns had none.
class TreeDelegate : public ColumnBrowserDelegate
{
public:
    int browserNumberOfRowsInColumn(const ColumnBrowser &browser, int column) override
    {
        const auto path = pathLeftOf(browser, column);
        return path ? static_cast<int>(mChildren.at(*path).size()) : 0;
    }

    void browserWillDisplayCell(const ColumnBrowser &browser, BrowserCell &cell, int row,
                                int column) override
    {
        const auto path = pathLeftOf(browser, column);
        ASSERT_TRUE(path);
        cell.stringValue = mChildren.at(*path).at(row);
        cell.leaf = !mChildren.contains(*path + u'/' + cell.stringValue);
    }

    int blindQuestions = 0;

private:
    std::optional<QString> pathLeftOf(const ColumnBrowser &browser, int column)
    {
        QString path;
        for (int earlier = 0; earlier < column; ++earlier) {
            const int row = browser.selectedRowInColumn(earlier);
            if (row < 0) {
                ++blindQuestions;
                return std::nullopt;
            }
            path += u'/' + mChildren.at(path).at(row);
        }
        return path;
    }

    const std::map<QString, QStringList> mChildren = {
        {QString(), {QStringLiteral("America"), QStringLiteral("Europe"), QStringLiteral("GMT")}},
        {QStringLiteral("/America"), {QStringLiteral("Argentina"), QStringLiteral("New_York")}},
        {QStringLiteral("/America/Argentina"),
         {QStringLiteral("Buenos_Aires"), QStringLiteral("Cordoba")}},
        {QStringLiteral("/Europe"), {QStringLiteral("Berlin"), QStringLiteral("Paris")}},
    };
};

class ColumnBrowserTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        mBrowser.resize(3 * ColumnBrowser::minimumColumnWidth, 160);
        mBrowser.setDelegate(&mDelegate);
        mBrowser.show();
    }
    void TearDown() override { EXPECT_EQ(mDelegate.blindQuestions, 0); }

    QAbstractItemView *view(int column) const { return mBrowser.columnView(column); }
    // A double click is delivered, as by the window system, after a first click.
    void click(int row, int column, bool twice = false)
    {
        const QPoint at = view(column)->visualRect(view(column)->model()->index(row, 0)).center();
        QTest::mouseClick(view(column)->viewport(), Qt::LeftButton, {}, at);
        if (twice) {
            QTest::mouseDClick(view(column)->viewport(), Qt::LeftButton, {}, at);
        }
    }
    QString path() const { return mBrowser.path(); }

    TreeDelegate mDelegate;
    ColumnBrowser mBrowser;
};

} // namespace

// The model tester aborts the run at the first inconsistency it finds.
TEST_F(ColumnBrowserTest, ColumnModelsStayConsistentThroughEveryChange)
{
    std::vector<std::unique_ptr<QAbstractItemModelTester>> testers;
    const auto watchNewColumns = [&] {
        while (static_cast<int>(testers.size()) <= mBrowser.lastColumn()) {
            testers.push_back(std::make_unique<QAbstractItemModelTester>(
                view(static_cast<int>(testers.size()))->model(),
                QAbstractItemModelTester::FailureReportingMode::Fatal));
        }
    };
    watchNewColumns();
    for (const char *path : {"/America/Argentina/Cordoba", "/Europe", "/America/Argentina"}) {
        mBrowser.setPath(QString::fromUtf8(path));
        watchNewColumns();
    }
    mBrowser.reloadColumn(1);
    mBrowser.loadColumnZero();
    EXPECT_EQ(testers.size(), 3u);
}

TEST_F(ColumnBrowserTest, BranchesOpenColumnsAndLeavesCloseThem)
{
    QSignalSpy changes(&mBrowser, &ColumnBrowser::selectionChanged);
    EXPECT_EQ(path(), QStringLiteral("/"));
    EXPECT_TRUE(mBrowser.setPath(QStringLiteral("/America/Argentina/Buenos_Aires")));
    EXPECT_EQ(mBrowser.selectedColumn(), 2);
    EXPECT_TRUE(mBrowser.selectionIsLeaf());
    EXPECT_EQ(changes.count(), 1);

    click(1, 1); // New_York
    EXPECT_EQ(path(), QStringLiteral("/America/New_York"));
    EXPECT_EQ(mBrowser.columnView(2), nullptr);
    click(1, 0); // Europe
    EXPECT_EQ(mBrowser.lastColumn(), 1);
    EXPECT_FALSE(mBrowser.selectionIsLeaf());
    EXPECT_EQ(changes.count(), 3);

    EXPECT_FALSE(mBrowser.setPath(QStringLiteral("/America/Nowhere")));
    EXPECT_EQ(path(), QStringLiteral("/America"));
    EXPECT_FALSE(mBrowser.setPath(QStringLiteral("/GMT/Below")));
    EXPECT_EQ(path(), QStringLiteral("/GMT"));
    mBrowser.setPath(QStringLiteral("/"));
    EXPECT_EQ(mBrowser.selectedColumn(), -1);
    const auto before = changes.count();
    mBrowser.setPath(QStringLiteral("/"));
    EXPECT_EQ(changes.count(), before) << "nothing changed, nothing reported";
}

TEST_F(ColumnBrowserTest, KeysAndDoubleClicksMoveAndActivate)
{
    QSignalSpy activations(&mBrowser, &ColumnBrowser::leafActivated);
    QTest::keyClick(view(0), Qt::Key_Down);
    QTest::keyClick(view(0), Qt::Key_Right);
    EXPECT_EQ(path(), QStringLiteral("/America/Argentina"));
    QTest::keyClick(view(1), Qt::Key_Down);
    QTest::keyClick(view(1), Qt::Key_Right); // nothing to the right of a leaf
    EXPECT_EQ(path(), QStringLiteral("/America/New_York"));
    QTest::keyClick(view(1), Qt::Key_Left);
    EXPECT_EQ(path(), QStringLiteral("/America"));
    QTest::keyClicks(view(0), QStringLiteral("g"));
    EXPECT_EQ(path(), QStringLiteral("/GMT"));

    const auto returnOn = [](QWidget *view) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(view, &press);
        return press.isAccepted();
    };
    EXPECT_TRUE(returnOn(view(0)));
    mBrowser.setPath(QStringLiteral("/Europe"));
    EXPECT_FALSE(returnOn(view(0))) << "left for a dialog's default button";
    click(1, 0, true);
    EXPECT_EQ(activations.count(), 1);
    mBrowser.setPath(QStringLiteral("/Europe/Paris"));
    click(1, 1, true);
    EXPECT_EQ(activations.count(), 2);
}

TEST_F(ColumnBrowserTest, ColumnsTileTheWidthAndScrollToTheDeepest)
{
    const int width = 2 * ColumnBrowser::minimumColumnWidth + 30;
    mBrowser.resize(width, 160);
    EXPECT_EQ(view(0)->parentWidget()->width(), width / 2);
    const auto shownAt = [this](int column) {
        return QRect(view(column)->mapTo(&mBrowser, QPoint()), view(column)->size());
    };
    mBrowser.setPath(QStringLiteral("/America/Argentina"));
    EXPECT_GE(shownAt(2).left(), 0);
    EXPECT_LE(shownAt(2).right(), width - 1);
    EXPECT_LT(shownAt(0).left(), 0);
    mBrowser.setPath(QStringLiteral("/Europe"));
    EXPECT_EQ(shownAt(0).left(), 0);
}

TEST_F(ColumnBrowserTest, OnlyBranchesShowADisclosureMark)
{
    const QImage picture = view(0)->viewport()->grab().toImage();
    const QColor base = view(0)->palette().color(QPalette::Base);
    const auto inkAtRightEnd = [&](int row) {
        const QRect rect = view(0)->visualRect(view(0)->model()->index(row, 0));
        int ink = 0;
        for (int y = rect.top(); y <= rect.bottom(); ++y) {
            for (int x = rect.right() - rect.height(); x <= rect.right(); ++x) {
                ink += picture.pixelColor(x, y) != base;
            }
        }
        return ink;
    };
    EXPECT_GT(inkAtRightEnd(0), 0);
    EXPECT_GT(inkAtRightEnd(1), 0);
    EXPECT_EQ(inkAtRightEnd(2), 0);
}
