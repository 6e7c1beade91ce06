// The row model behind TListViewEx: the rows live in a vector; the view reads them through
// QAbstractTableModel, sorted by a proxy so that sorting never moves the rows themselves.
#pragma once

#include "TListViewEx.h"

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>

struct ListRow {
    PackedCells cells; // the caption, then the sub-items
    bool checked = false;

    QString text(int column) const { return cells.text(column); }
};

class TListViewEx::Model : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void setCaptions(const QStringList& captions);
    void setCheckBoxes(bool on);
    bool checkBoxes() const { return checkBoxes_; }

    // Between the outermost beginBatch and endBatch rows change without signals; endBatch
    // resets the views once.
    void beginBatch();
    void endBatch();

    int append(ListRow row);
    void remove(int row);
    void removeAll();
    const ListRow* row(int row) const;
    // The row to change in place, followed by rowChanged for the column and role changed.
    ListRow* mutableRow(int row);
    void rowChanged(int row, int column, int role);

private:
    bool inRange(const QModelIndex& index) const;

    std::vector<ListRow> rows_;
    QStringList captions_;
    bool checkBoxes_ = false;
    int batchDepth_ = 0;
};

// The order the view shows: the rows by one column, compared as numbers when both texts are all
// digits (IMSIs, codes, counts), otherwise as text. The model's row numbers never change.
class TListViewEx::SortedView : public QSortFilterProxyModel {
public:
    explicit SortedView(Model* rows, QObject* parent);

protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    const Model* rows_;
};

// Negative, zero or positive as left sorts before, with or after right.
int CompareCellTexts(const QString& left, const QString& right);
