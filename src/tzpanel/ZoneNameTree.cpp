#include "tzpanel/ZoneNameTree.h"

#include <iterator>

namespace tockwise {

QStringList ZoneNameTree::Node::sortedKeys() const
{
    QStringList keys;
    keys.reserve(static_cast<qsizetype>(children.size()));
    for (const auto &[key, child] : children) {
        keys.append(key);
    }
    return keys;
}

ZoneNameTree ZoneNameTree::fromNames(const QStringList &names)
{
    ZoneNameTree tree;
    for (const QString &name : names) {
        Node *node = &tree.mRoot;
        for (const QString &part : name.split(u'/')) {
            node = &node->children[part];
        }
    }
    return tree;
}

const ZoneNameTree::Node *
ZoneNameTree::nodeForColumn(int column, const std::function<int(int)> &selectedRowInColumn) const
{
    const Node *node = &mRoot;
    for (int i = 0; i < column; ++i) {
        const int row = selectedRowInColumn(i);
        if (row < 0 || row >= static_cast<int>(node->children.size())) {
            return nullptr;
        }
        node = &std::next(node->children.begin(), row)->second;
    }
    return node;
}

ZoneBrowserDelegate::ZoneBrowserDelegate(std::function<const ZoneNameTree &()> tree)
    : mTree(std::move(tree))
{}

const ZoneNameTree::Node *ZoneBrowserDelegate::nodeForColumn(const ColumnBrowser &browser,
                                                             int column) const
{
    return mTree().nodeForColumn(
        column, [&browser](int earlier) { return browser.selectedRowInColumn(earlier); });
}

int ZoneBrowserDelegate::browserNumberOfRowsInColumn(const ColumnBrowser &browser, int column)
{
    const ZoneNameTree::Node *node = nodeForColumn(browser, column);
    return node ? static_cast<int>(node->children.size()) : 0;
}

void ZoneBrowserDelegate::browserWillDisplayCell(const ColumnBrowser &browser, BrowserCell &cell,
                                                 int row, int column)
{
    const ZoneNameTree::Node *node = nodeForColumn(browser, column);
    if (!node || row < 0 || row >= static_cast<int>(node->children.size())) {
        return;
    }
    const auto child = std::next(node->children.begin(), row);
    cell.stringValue = child->first;
    cell.leaf = child->second.isLeaf();
}

} // namespace tockwise
