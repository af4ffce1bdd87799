#include "widgets/ColumnBrowser.h"

#include "widgets/ColumnBrowserItemDelegate.h"
#include "widgets/ColumnBrowserModel.h"

#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>

namespace tockwise {

ColumnBrowser::ColumnBrowser(QWidget *parent)
    : QWidget(parent), mViewport(new QWidget(this)), mStrip(new QWidget(mViewport)),
      mScrollBar(new QScrollBar(Qt::Horizontal, this))
{
    mScrollBar->setFocusPolicy(Qt::NoFocus);
    connect(mScrollBar, &QScrollBar::valueChanged, this,
            [this](int value) { mStrip->move(-value, 0); });
    layoutColumns();
}

ColumnBrowser::~ColumnBrowser()
{
    // The views report to this object as they go, so they must go while it is
    // still whole rather than with the rest of the children.
    mSyncing = true;
    delete mViewport;
    mColumns.clear();
}

QSize ColumnBrowser::sizeHint() const
{
    return {3 * minimumColumnWidth, minimumColumnWidth};
}

void ColumnBrowser::setDelegate(ColumnBrowserDelegate *delegate)
{
    mDelegate = delegate;
    loadColumnZero();
}

// --- Selection ----------------------------------------------------------------

QString ColumnBrowser::path() const
{
    QString path;
    for (int column = 0; column <= lastColumn(); ++column) {
        const int row = selectedRowInColumn(column);
        if (row < 0) {
            break;
        }
        path += u'/' + cell(row, column).stringValue;
    }
    return path.isEmpty() ? QStringLiteral("/") : path;
}

bool ColumnBrowser::setPath(const QString &path)
{
    if (lastColumn() < 0) {
        openColumn(0);
    }
    std::vector<int> before;
    for (int column = 0; column <= lastColumn(); ++column) {
        before.push_back(selectedRowInColumn(column));
    }

    applySelection(0, -1);
    bool found = true;
    const QStringList components = path.split(u'/', Qt::SkipEmptyParts);
    for (int column = 0; column < components.size(); ++column) {
        const int row = column <= lastColumn()
                            ? columnAt(column).model->rowOfStringValue(components[column])
                            : -1;
        if (row < 0) {
            found = false;
            break;
        }
        applySelection(column, row);
    }

    std::vector<int> after;
    for (int column = 0; column <= lastColumn(); ++column) {
        after.push_back(selectedRowInColumn(column));
    }
    if (after != before) {
        Q_EMIT selectionChanged();
    }
    return found;
}

void ColumnBrowser::selectRow(int row, int column)
{
    if (column < 0 || column > lastColumn() || row < -1 ||
        row >= columnAt(column).model->rowCount() || row == selectedRowInColumn(column)) {
        return;
    }
    applySelection(column, row);
    Q_EMIT selectionChanged();
}

int ColumnBrowser::selectedRowInColumn(int column) const
{
    if (column < 0 || column > lastColumn()) {
        return -1;
    }
    return mColumns[static_cast<std::size_t>(column)].selectedRow;
}

int ColumnBrowser::selectedColumn() const
{
    for (int column = lastColumn(); column >= 0; --column) {
        if (selectedRowInColumn(column) >= 0) {
            return column;
        }
    }
    return -1;
}

bool ColumnBrowser::selectionIsLeaf() const
{
    const int column = selectedColumn();
    return column >= 0 && cell(selectedRowInColumn(column), column).leaf;
}

BrowserCell ColumnBrowser::cell(int row, int column) const
{
    if (column < 0 || column > lastColumn()) {
        return {};
    }
    return mColumns[static_cast<std::size_t>(column)].model->cell(row);
}

// --- Titles and loading -------------------------------------------------------

void ColumnBrowser::setTitle(const QString &title, int column)
{
    if (column < 0) {
        return;
    }
    while (mTitles.size() <= column) {
        mTitles.append(QString());
    }
    mTitles[column] = title;
    if (column <= lastColumn()) {
        columnAt(column).header->setText(title);
        nameColumn(column);
    }
}

QString ColumnBrowser::titleOfColumn(int column) const
{
    return mTitles.value(column);
}

void ColumnBrowser::loadColumnZero()
{
    const bool hadSelection = selectedColumn() >= 0;
    closeColumnsAfter(-1);
    openColumn(0);
    layoutColumns();
    if (hadSelection) {
        Q_EMIT selectionChanged();
    }
}

void ColumnBrowser::reloadColumn(int column)
{
    if (column < 0 || column > lastColumn()) {
        return;
    }
    const bool hadSelection = selectedColumn() >= column;
    closeColumnsAfter(column - 1);
    openColumn(column);
    layoutColumns();
    if (hadSelection) {
        Q_EMIT selectionChanged();
    }
}

QAbstractItemView *ColumnBrowser::columnView(int column) const
{
    if (column < 0 || column > lastColumn()) {
        return nullptr;
    }
    return mColumns[static_cast<std::size_t>(column)].view;
}

// --- Columns ------------------------------------------------------------------

ColumnBrowser::Column &ColumnBrowser::columnAt(int index)
{
    while (static_cast<int>(mColumns.size()) <= index) {
        const int made = static_cast<int>(mColumns.size());
        Column column;
        column.box = new QWidget(mStrip);
        column.header = new QLabel(column.box);
        column.header->setAlignment(Qt::AlignCenter);
        column.header->setContentsMargins(4, 3, 4, 3);
        column.header->setMinimumHeight(column.header->fontMetrics().height() + 6);
        column.view = new QListView(column.box);
        column.view->setFocusPolicy(Qt::NoFocus);
        column.view->setSelectionMode(QAbstractItemView::SingleSelection);
        column.view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        column.view->setUniformItemSizes(true);
        column.view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        column.view->setTextElideMode(Qt::ElideRight);
        column.view->setItemDelegate(new ColumnBrowserItemDelegate(column.view));
        column.model = new ColumnBrowserModel(*this, made, column.box);
        column.view->setModel(column.model);
        column.view->installEventFilter(this);
        auto *layout = new QVBoxLayout(column.box);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        layout->addWidget(column.header);
        layout->addWidget(column.view);

        connect(column.view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                [this, made] { viewSelectionChanged(made); });
        connect(column.view, &QAbstractItemView::doubleClicked, this,
                [this](const QModelIndex &index) {
                    if (index.data(ColumnBrowserModel::LeafRole).toBool()) {
                        Q_EMIT leafActivated();
                    }
                });
        mColumns.push_back(column);
        nameColumn(made);
    }
    return mColumns[static_cast<std::size_t>(index)];
}

void ColumnBrowser::openColumn(int index)
{
    Column &column = columnAt(index);
    column.selectedRow = -1;
    {
        const QScopedValueRollback syncing(mSyncing, true);
        column.model->reload();
    }
    column.view->setFocusPolicy(Qt::StrongFocus);
    column.header->setText(titleOfColumn(index));
    mOpenColumns = static_cast<std::size_t>(index) + 1;
    nameColumn(index);
}

// A screen reader names a list by what it holds: its title, else the row chosen to
// its left ("Europe"); an empty column by its place.
void ColumnBrowser::nameColumn(int index)
{
    QString name;
    if (index <= lastColumn()) {
        name = titleOfColumn(index);
        if (const int chosen = selectedRowInColumn(index - 1); name.isEmpty() && chosen >= 0) {
            name = cell(chosen, index - 1).stringValue;
        }
    }
    if (name.isEmpty()) {
        //: What a screen reader calls a column of the time zone browser that shows nothing.
        name = tr("Column %1").arg(index + 1);
    }
    // Qt tells screen readers of every call, even one that changes nothing.
    QListView *view = mColumns[static_cast<std::size_t>(index)].view;
    if (view->accessibleName() != name) {
        view->setAccessibleName(name);
    }
}

void ColumnBrowser::closeColumnsAfter(int index)
{
    const QScopedValueRollback syncing(mSyncing, true);
    for (int closing = lastColumn(); closing > index; --closing) {
        Column &column = mColumns[static_cast<std::size_t>(closing)];
        if (column.view->hasFocus() && index >= 0) {
            mColumns[static_cast<std::size_t>(index)].view->setFocus();
        }
        column.selectedRow = -1;
        column.model->clear();
        column.view->setFocusPolicy(Qt::NoFocus);
        column.header->clear();
    }
    mOpenColumns = static_cast<std::size_t>(std::min(lastColumn(), index) + 1);
    for (int closed = index + 1; closed < static_cast<int>(mColumns.size()); ++closed) {
        nameColumn(closed);
    }
}

// Every change of selection, the user's or ours, comes through here, which keeps
// the rule that a column is asked for only after the ones to its left have their
// selection.
void ColumnBrowser::applySelection(int column, int row)
{
    Column &selected = columnAt(column);
    selected.selectedRow = row;
    showSelectionInView(column);
    closeColumnsAfter(column);
    if (row >= 0 && !selected.model->cell(row).leaf) {
        openColumn(column + 1);
    }
    layoutColumns();
    scrollToColumn(lastColumn());
}

void ColumnBrowser::showSelectionInView(int column)
{
    const QScopedValueRollback syncing(mSyncing, true);
    const Column &shown = columnAt(column);
    QItemSelectionModel *selection = shown.view->selectionModel();
    if (shown.selectedRow < 0) {
        selection->clear();
        return;
    }
    const QModelIndex index = shown.model->index(shown.selectedRow);
    selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    shown.view->scrollTo(index);
}

void ColumnBrowser::viewSelectionChanged(int column)
{
    if (mSyncing || column > lastColumn()) {
        return;
    }
    const QModelIndexList rows = columnAt(column).view->selectionModel()->selectedIndexes();
    const int row = rows.isEmpty() ? -1 : rows.constFirst().row();
    if (row == selectedRowInColumn(column)) {
        return;
    }
    applySelection(column, row);
    Q_EMIT selectionChanged();
}

void ColumnBrowser::layoutColumns()
{
    const int width = std::max(1, this->width());
    const int visible = std::max(1, width / minimumColumnWidth);
    const int shown = std::max(visible, lastColumn() + 1);
    const auto left = [&](int column) { return column * width / visible; };

    const bool scrolls = shown > visible;
    const int barHeight = scrolls ? mScrollBar->sizeHint().height() : 0;
    const int height = std::max(0, this->height() - barHeight);
    mViewport->setGeometry(0, 0, width, height);
    mScrollBar->setGeometry(0, height, width, barHeight);
    mScrollBar->setVisible(scrolls);
    mScrollBar->setRange(0, left(shown) - width);
    mScrollBar->setPageStep(width);
    mScrollBar->setSingleStep(left(1));
    mStrip->setGeometry(-mScrollBar->value(), 0, left(shown), height);

    for (int index = 0; index < std::max(static_cast<int>(mColumns.size()), shown); ++index) {
        Column &column = columnAt(index);
        column.box->setGeometry(left(index), 0, left(index + 1) - left(index), height);
        column.box->setVisible(index < shown);
    }
}

void ColumnBrowser::scrollToColumn(int column)
{
    if (column < 0) {
        return;
    }
    const QRect box = columnAt(column).box->geometry();
    if (box.right() - mScrollBar->value() >= mViewport->width()) {
        mScrollBar->setValue(box.right() + 1 - mViewport->width());
    } else if (box.left() < mScrollBar->value()) {
        mScrollBar->setValue(box.left());
    }
}

// --- Events -------------------------------------------------------------------

bool ColumnBrowser::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const int column = columnOfView(watched);
        if (column >= 0 && handleKey(column, *static_cast<QKeyEvent *>(event))) {
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool ColumnBrowser::handleKey(int column, const QKeyEvent &event)
{
    switch (event.key()) {
    case Qt::Key_Right: {
        const int next = column + 1;
        if (selectedRowInColumn(column) < 0 || next > lastColumn()) {
            return true;
        }
        if (selectedRowInColumn(next) < 0) {
            selectRow(0, next);
        }
        columnView(next)->setFocus(Qt::TabFocusReason);
        scrollToColumn(next);
        return true;
    }
    case Qt::Key_Left:
        if (column > 0) {
            columnView(column - 1)->setFocus(Qt::BacktabFocusReason);
            selectRow(-1, column);
            scrollToColumn(column - 1);
        }
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (selectedColumn() == column && selectionIsLeaf()) {
            Q_EMIT leafActivated();
            return true;
        }
        return false;
    default:
        return false;
    }
}

int ColumnBrowser::columnOfView(const QObject *view) const
{
    for (int column = 0; column <= lastColumn(); ++column) {
        if (mColumns[static_cast<std::size_t>(column)].view == view) {
            return column;
        }
    }
    return -1;
}

void ColumnBrowser::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutColumns();
}

void ColumnBrowser::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    if (QAbstractItemView *view = columnView(std::max(selectedColumn(), 0))) {
        view->setFocus(event->reason());
    }
}

} // namespace tockwise
