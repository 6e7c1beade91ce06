// The result list of a table window as a table model over its records: each row shows a record
// of the list object the window holds, cell by cell as the columns declare. A row the window
// appends, or whose cells it rewrites in place after a write, shows the texts it was given.
#pragma once

#include "window_parts.h"

#include <QAbstractTableModel>

#include <map>
#include <vector>

namespace rsimform {

class RecordRows : public QAbstractTableModel {
public:
    RecordRows(std::vector<ColumnDeclaration> columns, FormContext& context, QObject* parent);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // One row per record of the list, in its order; the list must outlive the rows or be
    // replaced first. Null shows no row.
    void Show(CTvdBasicListObject* records);
    // A row of these cells, the first one the caption, that shows no record.
    void Append(const QStringList& cells);
    void SetCell(int row, int column, const QString& text);
    void Remove(int row);
    // The position in the list of the record a row shows; -1 for a row that shows none.
    int Position(int row) const;
    CTvdBasicStructObject* Record(int row) const;

private:
    struct Row {
        int position = -1;
        std::map<int, QString> given; // cells shown instead of the record's
    };

    std::vector<ColumnDeclaration> columns_;
    CTvdBasicListObject* records_ = nullptr;
    std::vector<Row> rows_;
    mutable ListCells cells_;
};

} // namespace rsimform
