// TListViewEx: the view side; the rows are in list_model.cpp.
#include "list_model.h"

#include <QAction>
#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>

#include <algorithm>

namespace {

// Grid lines between cells, as the report list view draws them.
class GridDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        QStyledItemDelegate::paint(painter, option, index);
        painter->save();
        painter->setPen(QColor(208, 208, 208));
        painter->drawLine(option.rect.topRight(), option.rect.bottomRight());
        painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
        painter->restore();
    }
};

} // namespace

TListViewEx::TListViewEx(QWidget* parent)
    : QTreeView(parent), model_(new Model(this)), sorted_(new SortedView(model_, this))
{
    setModel(sorted_);
    setItemDelegate(new GridDelegate(this));
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true); // without it one check-mark toggle re-measures every row
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    header()->setMinimumSectionSize(0);
    header()->setSortIndicator(-1, Qt::AscendingOrder); // unsorted until a header is clicked
    setSortingEnabled(true);
    createActions();
    connect(this, &QAbstractItemView::clicked, this, &TListViewEx::rowClicked);
}

void TListViewEx::createActions()
{
    setContextMenuPolicy(Qt::ActionsContextMenu);
    auto add = [this](const char* name, const QString& text, QKeySequence keys, auto slot) {
        auto* action = new QAction(text, this);
        action->setObjectName(name);
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WidgetShortcut);
        connect(action, &QAction::triggered, this, slot);
        addAction(action);
    };
    add("actCopyRows", "复制选中行(&C)", QKeySequence::Copy, &TListViewEx::copySelectedRows);
    add("actSelectAllRows", "全选(&A)", QKeySequence::SelectAll, &QAbstractItemView::selectAll);
    add("actExportCsv", "导出CSV文件(&E)…", QKeySequence::Save, &TListViewEx::exportToChosenFile);
}

QModelIndex TListViewEx::shownIndex(int row) const
{
    if (model_->row(row) == nullptr || columnCount() == 0)
        return {};
    return sorted_->mapFromSource(model_->index(row, 0));
}

int TListViewEx::rowOf(const QModelIndex& shown) const
{
    return shown.isValid() ? sorted_->mapToSource(shown).row() : -1;
}

int TListViewEx::shownRow(int position) const
{
    return position >= 0 && position < sorted_->rowCount() ? rowOf(sorted_->index(position, 0))
                                                           : -1;
}

TListViewEx::~TListViewEx() = default;

void TListViewEx::setColumns(const std::vector<std::pair<QString, int>>& captionsAndWidths)
{
    QStringList captions;
    for (const auto& column : captionsAndWidths)
        captions.append(column.first);
    model_->setCaptions(captions);
    for (std::size_t i = 0; i < captionsAndWidths.size(); ++i)
        setColumnWidth(static_cast<int>(i), captionsAndWidths[i].second);
}

int TListViewEx::columnCount() const
{
    return model_->columnCount();
}

void TListViewEx::setCheckBoxes(bool on)
{
    model_->setCheckBoxes(on);
}

bool TListViewEx::checkBoxes() const
{
    return model_->checkBoxes();
}

void TListViewEx::beginUpdate()
{
    model_->beginBatch();
}

void TListViewEx::endUpdate()
{
    model_->endBatch();
}

int TListViewEx::addRow(const QString& caption, const QStringList& subItems, int imageIndex)
{
    return addRow(PackedCells(caption, subItems), imageIndex);
}

int TListViewEx::addRow(PackedCells cells, int imageIndex)
{
    return model_->append(ListRow{std::move(cells), 0, imageIndex, false});
}

void TListViewEx::removeRow(int row)
{
    if (model_->row(row) != nullptr)
        model_->remove(row);
}

void TListViewEx::clear()
{
    model_->removeAll();
}

int TListViewEx::rowCount() const
{
    return model_->rowCount();
}

QString TListViewEx::caption(int row) const
{
    return cellText(row, 0);
}

QString TListViewEx::subItem(int row, int index) const
{
    return index < 0 ? QString() : cellText(row, index + 1);
}

QString TListViewEx::cellText(int row, int column) const
{
    const ListRow* r = model_->row(row);
    return r != nullptr && column >= 0 ? r->text(column) : QString();
}

std::string_view TListViewEx::cellUtf8(int row, int column) const
{
    const ListRow* r = model_->row(row);
    return r != nullptr ? r->cells.utf8(column) : std::string_view();
}

void TListViewEx::setCellText(int row, int column, const QString& text)
{
    ListRow* r = model_->mutableRow(row);
    if (r == nullptr || column < 0)
        return;
    r->cells.setText(column, text);
    model_->rowChanged(row, column, Qt::DisplayRole);
}

int TListViewEx::imageIndex(int row) const
{
    const ListRow* r = model_->row(row);
    return r != nullptr ? r->imageIndex : -1;
}

void TListViewEx::setImageIndex(int row, int index)
{
    if (ListRow* r = model_->mutableRow(row))
        r->imageIndex = index;
}

bool TListViewEx::isChecked(int row) const
{
    const ListRow* r = model_->row(row);
    return r != nullptr && r->checked;
}

void TListViewEx::setChecked(int row, bool checked)
{
    ListRow* r = model_->mutableRow(row);
    if (r == nullptr || r->checked == checked)
        return;
    r->checked = checked;
    model_->rowChanged(row, 0, Qt::CheckStateRole);
}

qint64 TListViewEx::rowData(int row) const
{
    const ListRow* r = model_->row(row);
    return r != nullptr ? r->data : 0;
}

void TListViewEx::setRowData(int row, qint64 data)
{
    if (ListRow* r = model_->mutableRow(row))
        r->data = data;
}

int TListViewEx::selectedRow() const
{
    const QModelIndex current = selectionModel()->currentIndex();
    if (current.isValid() && selectionModel()->isRowSelected(current.row(), current.parent()))
        return rowOf(current);
    const QItemSelection selection = selectionModel()->selection();
    if (selection.isEmpty())
        return -1;
    const auto highest =
        std::min_element(selection.begin(), selection.end(),
                         [](const auto& a, const auto& b) { return a.top() < b.top(); });
    return rowOf(sorted_->index(highest->top(), 0));
}

void TListViewEx::setSelectedRow(int row)
{
    const QModelIndex shown = shownIndex(row);
    if (!shown.isValid()) {
        selectionModel()->clearSelection();
        return;
    }
    selectionModel()->select(shown,
                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

std::vector<int> TListViewEx::selectedRows() const
{
    std::vector<int> positions;
    for (const QItemSelectionRange& range : selectionModel()->selection())
        for (int position = range.top(); position <= range.bottom(); ++position)
            positions.push_back(position);
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    for (int& position : positions)
        position = shownRow(position);
    return positions;
}

int TListViewEx::focusedRow() const
{
    return rowOf(selectionModel()->currentIndex());
}

void TListViewEx::setFocusedRow(int row)
{
    selectionModel()->setCurrentIndex(shownIndex(row), QItemSelectionModel::NoUpdate);
}

void TListViewEx::Click()
{
    emit rowClicked();
}
