// TListViewEx: the report list view, a QTreeView over a table model whose rows live in a vector.
//
// A row has a caption (column 0), sub-items (columns 1..n-1), a check mark, and a number of the
// caller's own. The
// selection (the view's selection model) and the focus mark (its current index) are kept apart
// from each other and from the check mark: a click sets the selection and the focus, never the
// check mark. Rows added between beginUpdate and endUpdate cost no signal each: the view is reset
// once at the end.
#pragma once

#include "packed_cells.h"

#include <QStringList>
#include <QTreeView>

#include <utility>
#include <vector>

class TListViewEx : public QTreeView {
    Q_OBJECT
public:
    explicit TListViewEx(QWidget* parent = nullptr);
    ~TListViewEx() override;

    // Captions and widths. A width of 0 hides a column's content; it stays a column. Widths
    // are read and changed with QTreeView's columnWidth(column) and setColumnWidth(column, w).
    void setColumns(const std::vector<std::pair<QString, int>>& captionsAndWidths);
    int columnCount() const;
    // Shows the rows of a table model of the caller's (a model over its records) instead of the
    // list's own; null goes back to its own. removeRow, clear, setCellText (Qt::EditRole) and
    // the check marks (Qt::CheckStateRole of column 0) act on the shown model; addRow and row
    // data on the list's own rows only. The captions are the model's header data; set the widths
    // after.
    void showRows(QAbstractItemModel* rows);
    // Check boxes in column 0 that the user toggles by clicking them.
    void setCheckBoxes(bool on);
    bool checkBoxes() const;

    // A batch: no per-row signals until the outermost endUpdate, which resets the view once.
    void beginUpdate();
    void endUpdate();

    // Returns the new row's number. Sub-items beyond the columns are kept but not shown.
    int addRow(const QString& caption, const QStringList& subItems = {});
    int addRow(PackedCells cells); // the caption, then the sub-items
    void removeRow(int row);
    void clear();
    int rowCount() const;

    // Out-of-range rows and columns read as empty / -1 / false and are ignored when written.
    QString caption(int row) const;
    QString subItem(int row, int index) const;   // index 0 is column 1
    QString cellText(int row, int column) const; // column 0 is the caption
    void setCellText(int row, int column, const QString& text);
    bool isChecked(int row) const;
    void setChecked(int row, bool checked);

    // Several rows may be selected (shift and ctrl clicks); selectedRow is the focused row when it
    // is selected, otherwise the selected row shown highest.
    int selectedRow() const;               // -1: none
    void setSelectedRow(int row);          // -1 clears the selection; the focus mark stays
    std::vector<int> selectedRows() const; // in the order shown
    int focusedRow() const;                // -1: none
    void setFocusedRow(int row);           // the focus mark only, not the selection; -1 clears it

    // Runs the click handler as a click on a row would (VCL's Click).
    void Click();

    // QTreeView's sortByColumn(column, order) sorts the view as a header click does; column -1
    // goes back to the list's own order.
    int shownRow(int position) const; // the row shown at that position; -1 beyond the end

    // The selected rows as shown, with the header line: tab-separated, one row per line.
    QString selectedRowsText() const;
    // Puts selectedRowsText on the clipboard; nothing when no row is selected.
    void copySelectedRows();
    // Writes every row as shown to a CSV file; empty on success, else why it failed.
    QString exportCsv(const QString& path) const;
    // Asks for a file through the interaction seam and exports to it, with a message after.
    void exportToChosenFile();

protected:
    // Fitting a column to its contents measures its texts; nothing else does.
    int sizeHintForColumn(int column) const override;

signals:
    // The OnClick event: the user clicked a row; the selection is already updated. (QTreeView's
    // own clicked(QModelIndex) keeps its name, hence this one.)
    void rowClicked();

private:
    class Model;
    class SortedView;
    std::vector<int> shownColumns() const;
    QModelIndex shownIndex(int row) const;
    int rowOf(const QModelIndex& shown) const;
    void createActions();

    Model* model_;
    QAbstractItemModel* shown_; // model_, or the caller's rows
    SortedView* sorted_;
};
