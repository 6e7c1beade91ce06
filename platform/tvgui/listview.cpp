// TListViewEx: the view side; the rows are in list_model.cpp.
#include "list_model.h"

#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>

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

TListViewEx::TListViewEx(QWidget* parent) : QTreeView(parent), model_(new Model(this))
{
    setModel(model_);
    setItemDelegate(new GridDelegate(this));
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true); // without it one check-mark toggle re-measures every row
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    header()->setStretchLastSection(false);
    header()->setSectionsClickable(false);
    header()->setSectionsMovable(false);
    header()->setMinimumSectionSize(0);
    connect(this, &QAbstractItemView::clicked, this, &TListViewEx::rowClicked);
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
    return model_->append(ListRow{caption, subItems, 0, imageIndex, false});
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

void TListViewEx::setCellText(int row, int column, const QString& text)
{
    ListRow* r = model_->mutableRow(row);
    if (r == nullptr || column < 0)
        return;
    if (column == 0) {
        r->caption = text;
    } else {
        if (r->subItems.size() < column)
            r->subItems.resize(column);
        r->subItems[column - 1] = text;
    }
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
    const QItemSelection selection = selectionModel()->selection();
    return selection.isEmpty() ? -1 : selection.first().top();
}

void TListViewEx::setSelectedRow(int row)
{
    if (model_->row(row) == nullptr || columnCount() == 0) {
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
    const bool exists = model_->row(row) != nullptr && columnCount() > 0;
    selectionModel()->setCurrentIndex(exists ? model_->index(row, 0) : QModelIndex(),
                                      QItemSelectionModel::NoUpdate);
}

void TListViewEx::Click()
{
    emit rowClicked();
}
