#include "widgets/ColumnBrowserItemDelegate.h"

#include "widgets/ColumnBrowserModel.h"

#include <QApplication>
#include <QPainter>

namespace tockwise {

namespace {

bool isBranch(const QModelIndex &index)
{
    return !index.data(ColumnBrowserModel::LeafRole).toBool();
}

int markWidth(const QStyleOptionViewItem &option)
{
    return option.fontMetrics.height();
}

} // namespace

void ColumnBrowserItemDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                      const QModelIndex &index) const
{
    if (!isBranch(index)) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QWidget *widget = option.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &item, painter, widget);

    const int mark = markWidth(item);
    QStyleOptionViewItem text = item;
    text.rect.setRight(item.rect.right() - mark);
    style->drawControl(QStyle::CE_ItemViewItem, &text, painter, widget);

    QStyleOption arrow;
    arrow.initFrom(widget);
    arrow.state = item.state;
    arrow.rect = QRect(item.rect.right() - mark + 1, item.rect.top(), mark, item.rect.height());
    if (item.state & QStyle::State_Selected) {
        // Styles draw the arrow in the text colour of a window; on a selected row
        // that would vanish into the highlight.
        const QPalette::ColorGroup group =
            (item.state & QStyle::State_Active) ? QPalette::Active : QPalette::Inactive;
        const QBrush onHighlight = item.palette.brush(group, QPalette::HighlightedText);
        for (const QPalette::ColorRole role :
             {QPalette::WindowText, QPalette::ButtonText, QPalette::Text}) {
            arrow.palette.setBrush(role, onHighlight);
        }
    }
    style->drawPrimitive(QStyle::PE_IndicatorArrowRight, &arrow, painter, widget);
}

QSize ColumnBrowserItemDelegate::sizeHint(const QStyleOptionViewItem &option,
                                          const QModelIndex &index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    if (isBranch(index)) {
        size.rwidth() += markWidth(option);
    }
    return size;
}

} // namespace tockwise
