// What the window frameworks share besides initialisation: the result list's area and its cells,
// named buttons and their rows, and showing a code in a control.
#pragma once

#include "control_kinds.h"

#include <QBoxLayout>
#include <QPushButton>

#include <functional>
#include <map>
#include <vector>

namespace rsimform {

struct ColumnDeclaration {
    QString caption = {};
    int width = 100;
    int member = -1;
    Kind shownAs = nullptr; // how the member reads in the list; null: as text
};

// The cells of one fill of a list: the text a column's kind shows for a value (a code list's or
// a service list's item) is looked up once, not again on every row that holds the value.
class ListCells {
public:
    explicit ListCells(FormContext& context) : context_(context) {}
    QString Cell(CTvdBasicStructObject& record, const ColumnDeclaration& column);

private:
    FormContext& context_;
    std::map<std::pair<const ControlKind*, QString>, QString> shown_;
};

// The group box "数据列表" with a report list named name of the columns' captions and widths,
// added to layout to take the space left; the list shows rows, a model of the caller's, when
// given.
TListViewEx* AddListArea(QBoxLayout* layout, QWidget* parent, const QString& name,
                         const std::vector<ColumnDeclaration>& columns,
                         QAbstractItemModel* rows = nullptr);

QPushButton* NewButton(QWidget* parent, const QString& name, const QString& caption,
                       const std::function<void()>& onClick);

// The buttons at the right end of a row; the row is the layout of bar when bar is given.
QHBoxLayout* ButtonRow(QWidget* bar, const std::vector<QPushButton*>& buttons);

// Shows code in a control of the kind, as the member of an otherwise empty record.
void ShowCode(QWidget* control, const Kind& kind, int member, std::int64_t code,
              const CTvdTypeInfo& recordType, FormContext& context);

// What Clear selects in a combo box besides what the window does by default: the first item, or
// the operator's region shown as the member.
enum class Reset { Default, FirstItem, OperatorsRegion };
void ResetControl(QWidget* control, const Kind& kind, int member, Reset reset,
                  std::int64_t operatorsRegion, const CTvdTypeInfo& recordType,
                  FormContext& context);

} // namespace rsimform
