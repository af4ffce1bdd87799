#pragma once

#include <QStyledItemDelegate>

namespace tockwise {

// Draws the rows of a ColumnBrowser column: a branch row carries the style's right
// arrow at its far end, its text elided short of it, while the selection still
// spans the whole row. Leaf rows are drawn as any list draws them.
class ColumnBrowserItemDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};

} // namespace tockwise
