// TListViewEx: the view side; the rows are in list_model.cpp.
#include "list_model.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>

#include <algorithm>
#include <array>

namespace {

// Grid lines between cells, as the report list view draws them. Every row is one line high: the
// height is measured once per font and kind of cell (with or without a check box) instead of by
// laying out the first row's texts after every refill. Widths are measured only when a column is
// fitted to its contents.
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

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        if (measureWidths_)
            return QStyledItemDelegate::sizeHint(option, index);
        const bool checkable = index.data(Qt::CheckStateRole).isValid();
        if (option.font != font_ || option.widget != widget_) {
            font_ = option.font;
            widget_ = option.widget;
            heights_ = {-1, -1};
        }
        int& height = heights_[checkable ? 1 : 0];
        if (height < 0)
            height = OneLineHeight(option, index);
        return {0, height};
    }

    // Fitting a column to its contents needs the texts' widths.
    template <class Measure>
    auto measuringWidths(Measure measure) const
    {
        measureWidths_ = true;
        const auto result = measure();
        measureWidths_ = false;
        return result;
    }

private:
    // A cell of one line, in both scripts the lists show.
    int OneLineHeight(const QStyleOptionViewItem& option, const QModelIndex& index) const
    {
        QStyleOptionViewItem cell = option;
        initStyleOption(&cell, index);
        cell.text = QStringLiteral("[0] 全部 Ag");
        const QWidget* widget = option.widget;
        const QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
        return style->sizeFromContents(QStyle::CT_ItemViewItem, &cell, QSize(), widget).height();
    }

    mutable bool measureWidths_ = false;
    mutable QFont font_;
    mutable const QWidget* widget_ = nullptr;
    mutable std::array<int, 2> heights_ = {-1, -1};
};

// The header's height is measured again only when its sections, font or style change, not each
// time a refill resets the rows.
class FixedHeader : public QHeaderView {
public:
    explicit FixedHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent)
    {
        setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter); // as a tree view's own header
        connect(this, &QHeaderView::sectionCountChanged, this, [this] { hint_ = QSize(); });
    }

    QSize sizeHint() const override
    {
        if (!hint_.isValid())
            hint_ = QHeaderView::sizeHint();
        return hint_;
    }

protected:
    void changeEvent(QEvent* event) override
    {
        if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
            hint_ = QSize();
        QHeaderView::changeEvent(event);
    }

private:
    mutable QSize hint_;
};

} // namespace

TListViewEx::TListViewEx(QWidget* parent)
    : QTreeView(parent), model_(new Model(this)), shown_(model_),
      sorted_(new SortedView(model_, this))
{
    setHeader(new FixedHeader(this));
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
    if (row < 0 || row >= rowCount() || columnCount() == 0)
        return {};
    return sorted_->mapFromSource(shown_->index(row, 0));
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

int TListViewEx::sizeHintForColumn(int column) const
{
    return static_cast<GridDelegate*>(itemDelegate())->measuringWidths([&] {
        return QTreeView::sizeHintForColumn(column);
    });
}

int TListViewEx::columnCount() const
{
    return shown_->columnCount();
}

void TListViewEx::showRows(QAbstractItemModel* rows)
{
    shown_ = rows != nullptr ? rows : model_;
    sorted_->setSourceModel(shown_);
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

int TListViewEx::addRow(const QString& caption, const QStringList& subItems)
{
    return addRow(PackedCells(caption, subItems));
}

int TListViewEx::addRow(PackedCells cells)
{
    return model_->append(ListRow{std::move(cells), false});
}

void TListViewEx::removeRow(int row)
{
    if (shown_ != model_) {
        if (row >= 0 && row < rowCount())
            shown_->removeRows(row, 1);
    } else if (model_->row(row) != nullptr) {
        model_->remove(row);
    }
}

void TListViewEx::clear()
{
    if (shown_ == model_)
        model_->removeAll();
    else if (rowCount() > 0)
        shown_->removeRows(0, rowCount());
}

int TListViewEx::rowCount() const
{
    return shown_->rowCount();
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
    if (shown_ != model_)
        return shown_->index(row, column).data().toString();
    const ListRow* r = model_->row(row);
    return r != nullptr && column >= 0 ? r->text(column) : QString();
}

void TListViewEx::setCellText(int row, int column, const QString& text)
{
    if (shown_ != model_) {
        shown_->setData(shown_->index(row, column), text, Qt::EditRole);
        return;
    }
    ListRow* r = model_->mutableRow(row);
    if (r == nullptr || column < 0)
        return;
    r->cells.setText(column, text);
    model_->rowChanged(row, column, Qt::DisplayRole);
}

bool TListViewEx::isChecked(int row) const
{
    if (shown_ != model_)
        return shown_->index(row, 0).data(Qt::CheckStateRole).toInt() ==
               static_cast<int>(Qt::Checked);
    const ListRow* r = model_->row(row);
    return r != nullptr && r->checked;
}

void TListViewEx::setChecked(int row, bool checked)
{
    if (shown_ != model_) {
        shown_->setData(shown_->index(row, 0),
                        static_cast<int>(checked ? Qt::Checked : Qt::Unchecked),
                        Qt::CheckStateRole);
        return;
    }
    ListRow* r = model_->mutableRow(row);
    if (r == nullptr || r->checked == checked)
        return;
    r->checked = checked;
    model_->rowChanged(row, 0, Qt::CheckStateRole);
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
