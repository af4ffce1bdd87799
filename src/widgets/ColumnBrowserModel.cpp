#include "widgets/ColumnBrowserModel.h"

#include <algorithm>

namespace tockwise {

ColumnBrowserModel::ColumnBrowserModel(const ColumnBrowser &browser, int column, QObject *parent)
    : QAbstractListModel(parent), mBrowser(browser), mColumn(column)
{}

void ColumnBrowserModel::reload()
{
    beginResetModel();
    int rows = 0;
    if (ColumnBrowserDelegate *delegate = mBrowser.delegate()) {
        rows = std::max(0, delegate->browserNumberOfRowsInColumn(mBrowser, mColumn));
    }
    mCells.assign(static_cast<std::size_t>(rows), std::nullopt);
    endResetModel();
}

void ColumnBrowserModel::clear()
{
    if (mCells.empty()) {
        return;
    }
    beginResetModel();
    mCells.clear();
    endResetModel();
}

BrowserCell ColumnBrowserModel::cell(int row) const
{
    if (row < 0 || row >= rowCount()) {
        return {};
    }
    std::optional<BrowserCell> &cached = mCells[static_cast<std::size_t>(row)];
    if (!cached) {
        cached.emplace();
        if (ColumnBrowserDelegate *delegate = mBrowser.delegate()) {
            delegate->browserWillDisplayCell(mBrowser, *cached, row, mColumn);
        }
    }
    return *cached;
}

int ColumnBrowserModel::rowOfStringValue(const QString &value) const
{
    for (int row = 0; row < rowCount(); ++row) {
        if (cell(row).stringValue == value) {
            return row;
        }
    }
    return -1;
}

int ColumnBrowserModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(mCells.size());
}

QVariant ColumnBrowserModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return {};
    }
    switch (role) {
    case Qt::DisplayRole:
        return cell(index.row()).stringValue;
    case LeafRole:
        return cell(index.row()).leaf;
    default:
        return {};
    }
}

Qt::ItemFlags ColumnBrowserModel::flags(const QModelIndex &index) const
{
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

} // namespace tockwise
