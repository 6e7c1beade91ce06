#include "record_rows.h"

namespace rsimform {

RecordRows::RecordRows(std::vector<ColumnDeclaration> columns, FormContext& context,
                       QObject* parent)
    : QAbstractTableModel(parent), columns_(std::move(columns)), cells_(context)
{}

int RecordRows::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int RecordRows::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant RecordRows::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const Row& row = rows_[static_cast<std::size_t>(index.row())];
    if (const auto given = row.given.find(index.column()); given != row.given.end())
        return given->second;
    CTvdBasicStructObject* record = Record(index.row());
    return record != nullptr
               ? cells_.Cell(*record, columns_[static_cast<std::size_t>(index.column())])
               : QString();
}

QVariant RecordRows::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= columnCount())
        return {};
    return columns_[static_cast<std::size_t>(section)].caption;
}

void RecordRows::Show(CTvdBasicListObject* records)
{
    beginResetModel();
    records_ = records;
    rows_.clear();
    for (int i = 0; records != nullptr && i < records->count(); ++i)
        rows_.push_back({i, {}});
    endResetModel();
}

void RecordRows::Append(const QStringList& cells)
{
    Row row;
    for (int column = 0; column < cells.size() && column < columnCount(); ++column)
        row.given[column] = cells[column];
    const int at = rowCount();
    beginInsertRows({}, at, at);
    rows_.push_back(std::move(row));
    endInsertRows();
}

void RecordRows::SetCell(int row, int column, const QString& text)
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return;
    rows_[static_cast<std::size_t>(row)].given[column] = text;
    emit dataChanged(index(row, column), index(row, column), {Qt::DisplayRole});
}

void RecordRows::Remove(int row)
{
    if (row < 0 || row >= rowCount())
        return;
    beginRemoveRows({}, row, row);
    rows_.erase(rows_.begin() + row);
    endRemoveRows();
}

int RecordRows::Position(int row) const
{
    if (row < 0 || row >= rowCount() || records_ == nullptr)
        return -1;
    const int position = rows_[static_cast<std::size_t>(row)].position;
    return position < records_->count() ? position : -1;
}

CTvdBasicStructObject* RecordRows::Record(int row) const
{
    const int position = Position(row);
    return position >= 0 ? &records_->element(position) : nullptr;
}

} // namespace rsimform
