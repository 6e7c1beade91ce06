#include "list_model.h"

#include <algorithm>

int TListViewEx::Model::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int TListViewEx::Model::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(captions_.size());
}

// The view may paint between beginBatch and endBatch, while rows are already gone.
bool TListViewEx::Model::inRange(const QModelIndex& index) const
{
    return index.isValid() && index.row() < static_cast<int>(rows_.size()) &&
           index.column() < static_cast<int>(captions_.size());
}

QVariant TListViewEx::Model::data(const QModelIndex& index, int role) const
{
    if (!inRange(index))
        return {};
    const ListRow& row = rows_[static_cast<std::size_t>(index.row())];
    if (role == Qt::DisplayRole)
        return row.text(index.column());
    if (role == Qt::CheckStateRole && checkBoxes_ && index.column() == 0)
        return static_cast<int>(row.checked ? Qt::Checked : Qt::Unchecked);
    return {};
}

bool TListViewEx::Model::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!inRange(index) || role != Qt::CheckStateRole || !checkBoxes_ || index.column() != 0)
        return false;
    rows_[static_cast<std::size_t>(index.row())].checked =
        value.toInt() == static_cast<int>(Qt::Checked);
    emit dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

Qt::ItemFlags TListViewEx::Model::flags(const QModelIndex& index) const
{
    if (!inRange(index))
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (checkBoxes_ && index.column() == 0)
        flags |= Qt::ItemIsUserCheckable;
    return flags;
}

QVariant TListViewEx::Model::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= captions_.size())
        return {};
    if (role == Qt::InitialSortOrderRole) // the first click on a header sorts ascending
        return static_cast<int>(Qt::AscendingOrder);
    return role == Qt::DisplayRole ? QVariant(captions_[section]) : QVariant();
}

void TListViewEx::Model::setCaptions(const QStringList& captions)
{
    if (batchDepth_ == 0)
        beginResetModel();
    captions_ = captions;
    if (batchDepth_ == 0)
        endResetModel();
}

void TListViewEx::Model::setCheckBoxes(bool on)
{
    checkBoxes_ = on;
    if (batchDepth_ == 0 && !rows_.empty() && !captions_.isEmpty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::CheckStateRole});
}

void TListViewEx::Model::beginBatch()
{
    if (batchDepth_++ == 0)
        beginResetModel();
}

void TListViewEx::Model::endBatch()
{
    if (batchDepth_ > 0 && --batchDepth_ == 0)
        endResetModel();
}

int TListViewEx::Model::append(ListRow row)
{
    const int number = rowCount();
    if (batchDepth_ == 0)
        beginInsertRows({}, number, number);
    rows_.push_back(std::move(row));
    if (batchDepth_ == 0)
        endInsertRows();
    return number;
}

void TListViewEx::Model::remove(int row)
{
    if (batchDepth_ == 0)
        beginRemoveRows({}, row, row);
    rows_.erase(rows_.begin() + row);
    if (batchDepth_ == 0)
        endRemoveRows();
}

void TListViewEx::Model::removeAll()
{
    beginBatch();
    rows_.clear();
    rows_.shrink_to_fit();
    endBatch();
}

const ListRow* TListViewEx::Model::row(int row) const
{
    return row >= 0 && row < rowCount() ? &rows_[static_cast<std::size_t>(row)] : nullptr;
}

ListRow* TListViewEx::Model::mutableRow(int row)
{
    return row >= 0 && row < rowCount() ? &rows_[static_cast<std::size_t>(row)] : nullptr;
}

void TListViewEx::Model::rowChanged(int row, int column, int role)
{
    if (batchDepth_ == 0 && column < columnCount()) {
        const QModelIndex changed = index(row, column);
        emit dataChanged(changed, changed, {role});
    }
}

namespace {

bool allDigits(const QString& text)
{
    return !text.isEmpty() &&
           std::all_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); });
}

QStringView withoutLeadingZeros(const QString& digits)
{
    qsizetype first = 0;
    while (first + 1 < digits.size() && digits[first] == u'0')
        ++first;
    return QStringView(digits).mid(first);
}

} // namespace

int CompareCellTexts(const QString& left, const QString& right)
{
    if (allDigits(left) && allDigits(right)) {
        const QStringView a = withoutLeadingZeros(left);
        const QStringView b = withoutLeadingZeros(right);
        if (a.size() != b.size())
            return a.size() < b.size() ? -1 : 1;
        if (const int byValue = a.compare(b); byValue != 0)
            return byValue;
    }
    return left.compare(right);
}

TListViewEx::SortedView::SortedView(Model* rows, QObject* parent)
    : QSortFilterProxyModel(parent), rows_(rows)
{
    setSourceModel(rows);
}

// Reads the list's own rows directly: going through data() would build a QVariant per comparison.
bool TListViewEx::SortedView::lessThan(const QModelIndex& left, const QModelIndex& right) const
{
    if (sourceModel() != rows_)
        return CompareCellTexts(left.data().toString(), right.data().toString()) < 0;
    const ListRow* a = rows_->row(left.row());
    const ListRow* b = rows_->row(right.row());
    if (a == nullptr || b == nullptr)
        return false;
    return CompareCellTexts(a->text(left.column()), b->text(right.column())) < 0;
}
