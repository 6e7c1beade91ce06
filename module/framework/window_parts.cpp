#include "window_parts.h"

#include "record_access.h"

namespace rsimform {

QString ListCells::Cell(CTvdBasicStructObject& record, const ColumnDeclaration& column)
{
    QString value = memberText(record, column.member);
    if (!column.shownAs)
        return value;
    std::pair key{column.shownAs.get(), std::move(value)};
    auto found = shown_.find(key);
    if (found == shown_.end())
        found =
            shown_.emplace(std::move(key), column.shownAs->Cell(record, column.member, context_))
                .first;
    return found->second;
}

TListViewEx* AddListArea(QBoxLayout* layout, QWidget* parent, const QString& name,
                         const std::vector<ColumnDeclaration>& columns, QAbstractItemModel* rows)
{
    auto* group = MakeGroupBox(parent, "数据列表");
    auto* groupLayout = new QVBoxLayout(group);
    auto* list = new TListViewEx(group);
    list->setObjectName(name);
    list->showRows(rows);
    std::vector<std::pair<QString, int>> headers;
    for (const auto& column : columns)
        headers.emplace_back(column.caption, column.width);
    list->setColumns(headers);
    groupLayout->addWidget(list);
    layout->addWidget(group, 1);
    return list;
}

QPushButton* NewButton(QWidget* parent, const QString& name, const QString& caption,
                       const std::function<void()>& onClick)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    QObject::connect(button, &QPushButton::clicked, parent, onClick);
    return button;
}

QHBoxLayout* ButtonRow(QWidget* bar, const std::vector<QPushButton*>& buttons)
{
    auto* row = bar != nullptr ? new QHBoxLayout(bar) : new QHBoxLayout;
    row->addStretch();
    for (QPushButton* button : buttons)
        row->addWidget(button);
    return row;
}

void ShowCode(QWidget* control, const Kind& kind, int member, std::int64_t code,
              const CTvdTypeInfo& recordType, FormContext& context)
{
    std::unique_ptr<CTvdBasicStructObject> record = recordType.createRecord();
    setMemberInteger(*record, member, code);
    kind->Show(control, *record, member, context);
}

void ResetControl(QWidget* control, const Kind& kind, int member, Reset reset,
                  std::int64_t operatorsRegion, const CTvdTypeInfo& recordType,
                  FormContext& context)
{
    if (reset == Reset::FirstItem) {
        auto* combo = qobject_cast<QComboBox*>(control);
        combo->setCurrentIndex(combo->count() > 0 ? 0 : -1);
    } else if (reset == Reset::OperatorsRegion) {
        ShowCode(control, kind, member, operatorsRegion, recordType, context);
    }
}

} // namespace rsimform
