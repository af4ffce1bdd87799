#pragma once

#include "widgets/ColumnBrowser.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <map>

namespace tockwise {

// The known zone names as a tree of their "/"-separated parts: regions, then
// sub-regions where there are some, then cities. A node without children is a
// zone one can choose.
class ZoneNameTree
{
public:
    struct Node
    {
        // Ordered by character value, as the columns list them: upper case before
        // "_" before lower case.
        std::map<QString, Node> children;
        bool isLeaf() const { return children.empty(); }
        QStringList sortedKeys() const;
    };

    static ZoneNameTree fromNames(const QStringList &names);

    const Node &root() const { return mRoot; }
    // The node a column shows, reached from the root through the row selected
    // in each column before it; null where a selection is missing.
    const Node *nodeForColumn(int column, const std::function<int(int)> &selectedRowInColumn) const;

private:
    Node mRoot;
};

// The tree's zones as a column browser shows them, a column for each level below
// the row selected before it. The tree is asked for when needed, so that it may be
// built on first use.
class ZoneBrowserDelegate : public ColumnBrowserDelegate
{
public:
    explicit ZoneBrowserDelegate(std::function<const ZoneNameTree &()> tree);

    int browserNumberOfRowsInColumn(const ColumnBrowser &browser, int column) override;
    void browserWillDisplayCell(const ColumnBrowser &browser, BrowserCell &cell, int row,
                                int column) override;

private:
    const ZoneNameTree::Node *nodeForColumn(const ColumnBrowser &browser, int column) const;

    std::function<const ZoneNameTree &()> mTree;
};

} // namespace tockwise
