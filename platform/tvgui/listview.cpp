// TListViewEx: a QTreeView over a table model whose rows live in a vector.
#include "TVGUICommon.h"

#include <QHeaderView>
#include <QItemSelectionModel>

namespace {

struct Row {
    QString caption;
    QStringList subItems;
    int imageIndex = -1;
    bool checked = false;
};

} // namespace

class TListViewEx::Model : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(rows.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(captions.size());
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid())
            return {};
        const Row& row = rows[static_cast<std::size_t>(index.row())];
        if (role == Qt::DisplayRole)
            return text(row, index.column());
        if (role == Qt::CheckStateRole && checkBoxes && index.column() == 0)
            return row.checked ? Qt::Checked : Qt::Unchecked;
        return {};
    }

    bool setData(const QModelIndex& index, const QVariant& value, int role) override
    {
        if (!index.isValid() || role != Qt::CheckStateRole || index.column() != 0)
            return false;
        rows[static_cast<std::size_t>(index.row())].checked =
            value.toInt() == static_cast<int>(Qt::Checked);
        emit dataChanged(index, index, {Qt::CheckStateRole});
        return true;
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        if (!index.isValid())
            return Qt::NoItemFlags;
        Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (checkBoxes && index.column() == 0)
            f |= Qt::ItemIsUserCheckable;
        return f;
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
            section < static_cast<int>(captions.size()))
            return captions[static_cast<std::size_t>(section)];
        return {};
    }

    static QString text(const Row& row, int column)
    {
        if (column == 0)
            return row.caption;
        return column - 1 < row.subItems.size() ? row.subItems[column - 1] : QString();
    }

    void changed(int row, int column, int role)
    {
        const QModelIndex i = index(row, column);
        emit dataChanged(i, i, {role});
    }

    void beginReset() { beginResetModel(); }
    void endReset() { endResetModel(); }
    void beginInsert(int row) { beginInsertRows({}, row, row); }
    void endInsert() { endInsertRows(); }
    void beginRemove(int row) { beginRemoveRows({}, row, row); }
    void endRemove() { endRemoveRows(); }

    std::vector<QString> captions;
    std::vector<Row> rows;
    bool checkBoxes = false;
    int updating = 0;
};

TListViewEx::TListViewEx(QWidget* parent) : QTreeView(parent), model_(new Model(this))
{
    setModel(model_);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setItemsExpandable(false);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAlternatingRowColors(true);
    header()->setStretchLastSection(false);
    setStyleSheet("QTreeView::item { border-right: 1px solid #d0d0d0; border-bottom: 1px solid #d0d0d0; }");
    connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex&) { emit rowClicked(); });
}

TListViewEx::~TListViewEx() = default;

void TListViewEx::setColumns(const std::vector<std::pair<QString, int>>& captionsAndWidths)
{
    model_->beginReset();
    model_->captions.clear();
    for (const auto& column : captionsAndWidths)
        model_->captions.push_back(column.first);
    model_->endReset();
    for (std::size_t i = 0; i < captionsAndWidths.size(); ++i)
        setColumnWidth(static_cast<int>(i), captionsAndWidths[i].second);
}

int TListViewEx::columnCount() const { return static_cast<int>(model_->captions.size()); }

void TListViewEx::setColumnWidth(int column, int width)
{
    header()->setMinimumSectionSize(0);
    QTreeView::setColumnWidth(column, width);
}

int TListViewEx::columnWidth(int column) const { return QTreeView::columnWidth(column); }

void TListViewEx::setCheckBoxes(bool on)
{
    model_->beginReset();
    model_->checkBoxes = on;
    model_->endReset();
}

void TListViewEx::beginUpdate()
{
    if (model_->updating++ == 0)
        model_->beginReset();
}

void TListViewEx::endUpdate()
{
    if (model_->updating > 0 && --model_->updating == 0)
        model_->endReset();
}

int TListViewEx::addRow(const QString& caption, const QStringList& subItems, int imageIndex)
{
    const int row = rowCount();
    if (model_->updating == 0)
        model_->beginInsert(row);
    model_->rows.push_back({caption, subItems, imageIndex, false});
    if (model_->updating == 0)
        model_->endInsert();
    return row;
}

void TListViewEx::removeRow(int row)
{
    if (row < 0 || row >= rowCount())
        return;
    if (model_->updating == 0)
        model_->beginRemove(row);
    model_->rows.erase(model_->rows.begin() + row);
    if (model_->updating == 0)
        model_->endRemove();
}

void TListViewEx::clear()
{
    beginUpdate();
    model_->rows.clear();
    endUpdate();
}

int TListViewEx::rowCount() const { return static_cast<int>(model_->rows.size()); }

QString TListViewEx::caption(int row) const { return cellText(row, 0); }

QString TListViewEx::cellText(int row, int column) const
{
    if (row < 0 || row >= rowCount())
        return {};
    return Model::text(model_->rows[static_cast<std::size_t>(row)], column);
}

void TListViewEx::setCellText(int row, int column, const QString& text)
{
    if (row < 0 || row >= rowCount() || column < 0)
        return;
    Row& r = model_->rows[static_cast<std::size_t>(row)];
    if (column == 0) {
        r.caption = text;
    } else {
        while (r.subItems.size() < column)
            r.subItems.append(QString());
        r.subItems[column - 1] = text;
    }
    if (model_->updating == 0)
        model_->changed(row, column, Qt::DisplayRole);
}

int TListViewEx::imageIndex(int row) const
{
    return row < 0 || row >= rowCount() ? -1 : model_->rows[static_cast<std::size_t>(row)].imageIndex;
}

void TListViewEx::setImageIndex(int row, int index)
{
    if (row >= 0 && row < rowCount())
        model_->rows[static_cast<std::size_t>(row)].imageIndex = index;
}

bool TListViewEx::isChecked(int row) const
{
    return row >= 0 && row < rowCount() && model_->rows[static_cast<std::size_t>(row)].checked;
}

void TListViewEx::setChecked(int row, bool checked)
{
    if (row < 0 || row >= rowCount())
        return;
    model_->rows[static_cast<std::size_t>(row)].checked = checked;
    if (model_->updating == 0)
        model_->changed(row, 0, Qt::CheckStateRole);
}

int TListViewEx::selectedRow() const
{
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void TListViewEx::setSelectedRow(int row)
{
    if (row < 0 || row >= rowCount()) {
        selectionModel()->clearSelection();
        return;
    }
    selectionModel()->select(model_->index(row, 0),
                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

int TListViewEx::focusedRow() const
{
    const QModelIndex current = selectionModel()->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void TListViewEx::setFocusedRow(int row)
{
    const QModelIndex target = row >= 0 && row < rowCount() ? model_->index(row, 0) : QModelIndex();
    selectionModel()->setCurrentIndex(target, QItemSelectionModel::NoUpdate);
}
