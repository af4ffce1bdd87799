#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

#include <vector>

class QAbstractItemView;
class QLabel;
class QListView;
class QScrollBar;

namespace tockwise {

class ColumnBrowser;
class ColumnBrowserModel;

// What a delegate fills in for one row of a column.
struct BrowserCell
{
    QString stringValue;
    bool leaf = false;
};

// Supplies the rows of a ColumnBrowser. The browser asks for a column only once
// every column to its left has its selection, so the answers may depend on
// selectedRowInColumn() of those columns.
class ColumnBrowserDelegate
{
public:
    virtual ~ColumnBrowserDelegate() = default;
    virtual int browserNumberOfRowsInColumn(const ColumnBrowser &browser, int column) = 0;
    virtual void browserWillDisplayCell(const ColumnBrowser &browser, BrowserCell &cell, int row,
                                        int column) = 0;
};

// A hierarchy shown as lists side by side: the row selected in one column, when it
// is a branch, opens the next column with its children. Columns that do not fit
// scroll horizontally. The browser holds no data of its own; it asks its delegate
// for each column when the column opens and for each cell when it is first needed.
//
// Keyboard: Up and Down move within a column, Right enters the next column, Left
// goes back (deselecting the column it leaves), typing jumps to a matching row.
// Return on a leaf is taken as leafActivated(); any other Return goes on to the
// parent widget, so that a dialog's default button still answers it.
class ColumnBrowser : public QWidget
{
    Q_OBJECT

public:
    explicit ColumnBrowser(QWidget *parent = nullptr);
    ~ColumnBrowser() override;

    // Setting a delegate loads column zero from it. The delegate must outlive the
    // browser or be replaced first.
    void setDelegate(ColumnBrowserDelegate *delegate);
    ColumnBrowserDelegate *delegate() const { return mDelegate; }

    // "/" followed by the titles of the selected cells joined with "/", such as
    // "/America/New_York"; "/" when nothing is selected.
    QString path() const;
    // Selects the path's components column by column, as far as they are found;
    // "/" deselects every column. Components are always taken from column zero,
    // with or without the leading "/". True when every component was found.
    bool setPath(const QString &path);

    // Selects a row as a click would (-1 deselects the column): the columns to its
    // right close, and a branch opens the next column. The column must be open.
    void selectRow(int row, int column);
    int selectedRowInColumn(int column) const;
    // The rightmost column with a selection; -1 when nothing is selected.
    int selectedColumn() const;
    bool selectionIsLeaf() const;
    // The rightmost open column; -1 before column zero is loaded.
    int lastColumn() const { return static_cast<int>(mOpenColumns) - 1; }
    // The cell at a row of an open column, asked of the delegate on first need.
    BrowserCell cell(int row, int column) const;

    // A header shown above the column; columns without one show an empty header.
    void setTitle(const QString &title, int column);
    QString titleOfColumn(int column) const;

    // Asks the delegate afresh for column zero; every selection ends.
    void loadColumnZero();
    // Asks the delegate afresh for an open column; its selection and the columns
    // to its right end.
    void reloadColumn(int column);

    // The list of an open column; null for a column that is not open.
    QAbstractItemView *columnView(int column) const;

    // As many columns are shown side by side as fit at this width.
    static constexpr int minimumColumnWidth = 140;
    QSize sizeHint() const override;

Q_SIGNALS:
    // Any change of the selection, by the user or through this interface.
    void selectionChanged();
    // A double click or Return on a leaf.
    void leafActivated();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;

private:
    struct Column
    {
        QWidget *box = nullptr;
        QLabel *header = nullptr;
        QListView *view = nullptr;
        ColumnBrowserModel *model = nullptr;
        int selectedRow = -1;
    };

    Column &columnAt(int index);
    void openColumn(int index);
    void closeColumnsAfter(int index);
    void nameColumn(int index);
    void applySelection(int column, int row);
    void showSelectionInView(int column);
    void viewSelectionChanged(int column);
    void layoutColumns();
    void scrollToColumn(int column);
    bool handleKey(int column, const QKeyEvent &event);
    int columnOfView(const QObject *view) const;

    ColumnBrowserDelegate *mDelegate = nullptr;
    // The columns stand side by side on the strip, which slides within the
    // viewport as the scroll bar below it moves.
    QWidget *mViewport = nullptr;
    QWidget *mStrip = nullptr;
    QScrollBar *mScrollBar = nullptr;
    // Column widgets are kept once made: those past the open ones stand empty to
    // fill the width, and come back into use when the hierarchy deepens again.
    std::vector<Column> mColumns;
    std::size_t mOpenColumns = 0;
    QStringList mTitles;
    // Set while the views' selections are brought in line with ours.
    bool mSyncing = false;
};

} // namespace tockwise
