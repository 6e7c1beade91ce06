#include "sim_card_rows.h"

#include <algorithm>

using MResRemoteMgntDef::SRemoteSimInfo;

SimCardRows::SimCardRows(QStringList captions, CellOf cellOf, QObject* parent)
    : QAbstractTableModel(parent), captions_(std::move(captions)), cellOf_(std::move(cellOf))
{}

int SimCardRows::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int SimCardRows::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(captions_.size());
}

// The view may paint within a batch, while rows are already gone.
bool SimCardRows::InRange(const QModelIndex& index) const
{
    return index.isValid() && index.row() < rowCount() && index.column() < columnCount();
}

QVariant SimCardRows::data(const QModelIndex& index, int role) const
{
    if (!InRange(index))
        return {};
    if (role == Qt::DisplayRole)
        return QString::fromUtf8(Utf8(index.row(), index.column()));
    if (role == Qt::CheckStateRole && index.column() == 0)
        return static_cast<int>(
            rows_[static_cast<std::size_t>(index.row())].checked ? Qt::Checked : Qt::Unchecked);
    return {};
}

bool SimCardRows::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!InRange(index))
        return false;
    Row& row = rows_[static_cast<std::size_t>(index.row())];
    if (role == Qt::CheckStateRole && index.column() == 0) {
        row.checked = value.toInt() == static_cast<int>(Qt::Checked);
    } else if (role == Qt::EditRole) {
        if (row.cells.count() == 0) { // a queried card's texts, kept from now on
            std::vector<std::string_view> cells;
            for (int column = 0; column < columnCount(); ++column)
                cells.push_back(Utf8(index.row(), column));
            row.cells = PackedCells(cells);
        }
        row.cells.setText(index.column(), value.toString());
    } else {
        return false;
    }
    emit dataChanged(index, index, {role == Qt::EditRole ? Qt::DisplayRole : role});
    return true;
}

Qt::ItemFlags SimCardRows::flags(const QModelIndex& index) const
{
    if (!InRange(index))
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    return index.column() == 0 ? flags | Qt::ItemIsUserCheckable : flags;
}

QVariant SimCardRows::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return {};
    if (role == Qt::InitialSortOrderRole) // the first click on a header sorts ascending
        return static_cast<int>(Qt::AscendingOrder);
    return role == Qt::DisplayRole ? QVariant(captions_[section]) : QVariant();
}

bool SimCardRows::removeRows(int row, int count, const QModelIndex& parent)
{
    if (parent.isValid() || row < 0 || count <= 0 || row + count > rowCount())
        return false;
    if (count == rowCount()) {
        beginResetModel();
        rows_.clear();
        rows_.shrink_to_fit();
        endResetModel();
        return true;
    }
    beginRemoveRows({}, row, row + count - 1);
    rows_.erase(rows_.begin() + row, rows_.begin() + row + count);
    endRemoveRows();
    return true;
}

void SimCardRows::Show(const MResRemoteMgntDef::SRemoteSimInfoList* records)
{
    beginResetModel();
    records_ = records;
    rows_.clear();
    const int count = records != nullptr ? records->count() : 0;
    rows_.reserve(static_cast<std::size_t>(count));
    for (int position = 0; position < count; ++position)
        rows_.push_back({position, {}, false});
    endResetModel();
}

void SimCardRows::Append(PackedCells cells)
{
    const int at = rowCount();
    if (!batch_)
        beginInsertRows({}, at, at);
    rows_.push_back({-1, std::move(cells), false});
    if (!batch_)
        endInsertRows();
}

void SimCardRows::BeginBatch(int coming)
{
    beginResetModel();
    rows_.reserve(rows_.size() + static_cast<std::size_t>(std::max(coming, 0)));
    batch_ = true;
}

void SimCardRows::EndBatch()
{
    batch_ = false;
    endResetModel();
}

const SRemoteSimInfo* SimCardRows::Record(int row) const
{
    if (row < 0 || row >= rowCount() || records_ == nullptr)
        return nullptr;
    const int position = rows_[static_cast<std::size_t>(row)].position;
    return position >= 0 && position < records_->count() ? &records_->element(position) : nullptr;
}

std::string_view SimCardRows::Utf8(int row, int column) const
{
    if (row < 0 || row >= rowCount() || column < 0)
        return {};
    const Row& shown = rows_[static_cast<std::size_t>(row)];
    if (shown.cells.count() > 0 || shown.position < 0)
        return shown.cells.utf8(column);
    const SRemoteSimInfo* record = Record(row);
    return record != nullptr ? cellOf_(*record, column) : std::string_view();
}
