#pragma once

#include "widgets/ColumnBrowser.h"

#include <QAbstractListModel>

#include <optional>
#include <vector>

namespace tockwise {

// One column of a ColumnBrowser as a list model. The row count is taken from the
// browser's delegate when the column is loaded and held until the next load, so
// that the views see a stable model; each cell is asked for when it is first
// needed, typically when it scrolls into view.
class ColumnBrowserModel : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Role
    {
        LeafRole = Qt::UserRole + 1,
    };

    ColumnBrowserModel(const ColumnBrowser &browser, int column, QObject *parent = nullptr);

    int column() const { return mColumn; }

    // Asks the delegate afresh.
    void reload();
    // No rows, until the next reload.
    void clear();

    BrowserCell cell(int row) const;
    // The first row showing the text; -1 when none does.
    int rowOfStringValue(const QString &value) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    const ColumnBrowser &mBrowser;
    const int mColumn;
    mutable std::vector<std::optional<BrowserCell>> mCells;
};

} // namespace tockwise
