#include "maintenance_form.h"

#include "cut_notice.h"
#include "focus_exit.h"
#include "record_access.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

using namespace rsimform;

namespace {

void copyMember(CTvdBasicStructObject& from, CTvdBasicStructObject& to, int member)
{
    if (isTextMember(from, member))
        setMemberText(to, member, memberText(from, member));
    else
        setMemberInteger(to, member, memberInteger(from, member));
}

const char* const kUpdatingWait = "正在更新控件界面中，请稍候...";

} // namespace

TfrmMaintenance::TfrmMaintenance(QWidget* owner, MaintenanceDeclaration declaration)
    : TfrmRemoteSimBase(owner, declaration.rights), declaration_(std::move(declaration)),
      result_(declaration_.operations.listType->createList()), current_(NewRecord())
{
    setCaption(declaration_.caption);
    BuildLayout();
}

TfrmMaintenance::~TfrmMaintenance() = default;

const CTvdTypeInfo& TfrmMaintenance::RecordType() const
{
    return *CTvdTypeInfo::find(declaration_.operations.listType->memberTypes().front().typeName);
}

std::unique_ptr<CTvdBasicStructObject> TfrmMaintenance::NewRecord() const
{
    return RecordType().createRecord();
}

std::unique_ptr<CTvdBasicListObject>
TfrmMaintenance::ListOf(const CTvdBasicStructObject& record) const
{
    std::unique_ptr<CTvdBasicListObject> list = declaration_.operations.listType->createList();
    CopyRecord(record, *list->append());
    return list;
}

void TfrmMaintenance::BuildLayout()
{
    resize(640, 480);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(BuildCriteria());
    lstShowDataList = AddListArea(layout, this, "lstShowDataList", declaration_.columns);
    QObject::connect(lstShowDataList, &TListViewEx::rowClicked, this,
                     [this] { lstShowDataListClick(); });

    if (!QueryOnlyWindow())
        layout->addWidget(BuildEditArea());
    layout->addWidget(BuildButtons());
}

QWidget* TfrmMaintenance::BuildButtons()
{
    auto* bar = MakeGroupBox(this, QString());
    btnClear = NewButton(bar, "btnClear", "清空", [this] { btnClearClick(); });
    std::vector<QPushButton*> row{btnClear};
    if (!QueryOnlyWindow()) {
        btnAdd = NewButton(bar, "btnAdd", "增加", [this] { btnAddClick(); });
        btnModify = NewButton(bar, "btnModify", "修改", [this] { btnModifyClick(); });
        btnDelete = NewButton(bar, "btnDelete", "删除", [this] { btnDeleteClick(); });
        row.insert(row.end(), {btnAdd, btnModify, btnDelete});
    }
    btnClose = NewButton(bar, "btnClose", "关闭", [this] { btnCloseClick(); });
    row.push_back(btnClose);
    ButtonRow(bar, row);
    return bar;
}

QWidget* TfrmMaintenance::Build(const Kind& kind, QWidget* parent, const QString& name,
                                const QString& copiesTo)
{
    QWidget* control = kind->Create(parent, name);
    if (!copiesTo.isEmpty())
        OnExitToControlOf(this, control, [this, control, copiesTo] {
            if (auto* target = qobject_cast<QLineEdit*>(Control(copiesTo)))
                target->setText(qobject_cast<QLineEdit*>(control)->text());
        });
    return control;
}

// Two criteria a row; a criterion with several editors (a range) takes a row of its own.
QGroupBox* TfrmMaintenance::BuildCriteria()
{
    auto* group = MakeGroupBox(this, "查询条件");
    auto* grid = new QGridLayout(group);
    int cell = 0;
    for (const auto& criterion : declaration_.criteria) {
        const bool range = criterion.editors.size() > 1;
        if (range && cell % 2 == 1)
            ++cell;
        const int row = cell / 2;
        int column = (cell % 2) * 2;
        if (criterion.box.isEmpty()) {
            grid->addWidget(new QLabel(criterion.caption, group), row, column++);
        } else {
            auto* box = new QCheckBox(criterion.caption, group);
            box->setObjectName(criterion.box);
            box->setChecked(true);
            QObject::connect(box, &QCheckBox::toggled, this, [this, &criterion](bool ticked) {
                CriterionClicked(criterion, ticked);
            });
            grid->addWidget(box, row, column++);
        }
        for (const auto& editor : criterion.editors) {
            if (!editor.label.isEmpty())
                grid->addWidget(new QLabel(editor.label, group), row, column++);
            grid->addWidget(Build(editor.kind, group, editor.name, editor.copiesTo), row, column++);
        }
        cell += range ? 2 : 1;
    }
    btnQuery = NewButton(group, "btnQuery", "查询", [this] { btnQueryClick(); });
    grid->addWidget(btnQuery, 0, 4);
    return group;
}

QGroupBox* TfrmMaintenance::BuildEditArea()
{
    auto* group = MakeGroupBox(this, "基本资料");
    auto* grid = new QGridLayout(group);
    int cell = 0;
    for (const auto& field : declaration_.fields) {
        const bool starred = declaration_.starsRequired && !field.message.isEmpty();
        const QString label = starred ? "＊" + field.label : field.label;
        grid->addWidget(new QLabel(label, group), cell / 2, (cell % 2) * 2);
        grid->addWidget(Build(field.kind, group, field.name, field.copiesTo), cell / 2,
                        (cell % 2) * 2 + 1);
        ++cell;
    }
    btnClearBase = NewButton(group, "btnClearBase", "清空", [this] { btnClearBaseClick(); });
    grid->addWidget(btnClearBase, 0, 4);
    return group;
}

QCheckBox* TfrmMaintenance::Box(const CriterionDeclaration& criterion) const
{
    return criterion.box.isEmpty() ? nullptr : findChild<QCheckBox*>(criterion.box);
}

void TfrmMaintenance::Prepare()
{
    for (const auto& criterion : declaration_.criteria)
        for (const auto& editor : criterion.editors) {
            editor.kind->Load(*this);
            editor.kind->Fill(Control(editor.name), *this);
        }
    for (const auto& field : declaration_.fields) {
        field.kind->Load(*this);
        field.kind->Fill(Control(field.name), *this);
    }
    for (const auto& column : declaration_.columns)
        if (column.shownAs)
            column.shownAs->Load(*this);
    btnClearClick();
}

void TfrmMaintenance::CriterionClicked(const CriterionDeclaration& criterion, bool ticked)
{
    for (const auto& editor : criterion.editors) {
        QWidget* control = Control(editor.name);
        ticked ? MakeDefault(control) : MakeReadOnly(control);
        if (criterion.clickEmptiesEditors)
            editor.kind->Empty(control);
        if (criterion.clickSelectsOperatorsRegion)
            ShowCode(control, editor.kind, editor.member, opInfo_.REGION_CODE,
                     *declaration_.operations.criteriaType, *this);
    }
}

bool TfrmMaintenance::CheckQueryInput()
{
    for (const auto& criterion : declaration_.criteria) {
        QCheckBox* box = Box(criterion);
        if (box == nullptr || !box->isChecked())
            continue;
        for (const auto& editor : criterion.editors) {
            QWidget* control = Control(editor.name);
            if (editor.message.isEmpty() || !editor.kind->Text(control).isEmpty())
                continue;
            ShowGUIMessage("%s", "提示", 0, editor.message.toUtf8().constData());
            if (control->isEnabled())
                control->setFocus();
            return false;
        }
    }
    return true;
}

bool TfrmMaintenance::CheckBaseInput()
{
    for (const auto& field : declaration_.fields) {
        QWidget* control = Control(field.name);
        if (field.message.isEmpty() || !field.kind->Text(control).isEmpty())
            continue;
        ShowGUIMessage("%s", "提示", 0, field.message.toUtf8().constData());
        control->setFocus();
        return false;
    }
    return true;
}

void TfrmMaintenance::ReadRecord(CTvdBasicStructObject& record)
{
    for (const auto& field : declaration_.fields)
        field.kind->Read(Control(field.name), record, field.member, *this, false);
}

void TfrmMaintenance::ShowRecord(CTvdBasicStructObject& record)
{
    for (const auto& field : declaration_.fields)
        field.kind->Show(Control(field.name), record, field.member, *this);
}

void TfrmMaintenance::FillList()
{
    lstShowDataList->clear();
    FillRows(lstShowDataList, *result_, declaration_.columns, *this);
    rsimform::NoteCutList(lstShowDataList, result_->count());
    if (lstShowDataList->rowCount() > 0) {
        lstShowDataList->setSelectedRow(0);
        lstShowDataList->setFocusedRow(0);
        lstShowDataListClick();
    }
}

void TfrmMaintenance::lstShowDataListClick()
{
    const int row = lstShowDataList->selectedRow();
    if (row < 0)
        return;
    const int position = lstShowDataList->imageIndex(row);
    if (position < 0 || position >= result_->count())
        return;
    CopyRecord(result_->element(position), *current_);
    if (QueryOnlyWindow())
        return;
    ShowRecord(*current_);
    btnAdd->setEnabled(false);
    btnModify->setEnabled(modifyRight_);
    btnDelete->setEnabled(deleteRight_);
    for (const auto& field : declaration_.fields)
        if (field.key)
            MakeReadOnly(Control(field.name));
}

void TfrmMaintenance::btnQueryClick()
{
    if (!CheckQueryInput())
        return;
    std::unique_ptr<CTvdBasicStructObject> criteria =
        declaration_.operations.criteriaType->createRecord();
    for (const auto& criterion : declaration_.criteria) {
        QCheckBox* box = Box(criterion);
        if (box == nullptr || !box->isChecked())
            continue;
        for (const auto& editor : criterion.editors)
            editor.kind->Read(Control(editor.name), *criteria, editor.member, *this, true);
    }
    result_->resize(0);
    lstShowDataList->clear();
    ShowWaitBox("正在查询信息中，请稍候...");
    if (!CallService("异常：调用查询接口失败\n[%s]\n[%s]!", [&](CBSErrorMsg& error) {
            return declaration_.operations.query(remoteSim_, *criteria, *result_, error);
        }))
        return;
    if (result_->count() == 0) {
        ShowGUIMessage("没有查询到数据!", "提示", MB_ICONHAND);
        return;
    }
    FillList();
    for (QPushButton* write : {btnAdd, btnModify, btnDelete})
        MakeReadOnly(write);
}

bool TfrmMaintenance::Write(const Operations::Write& operation, const QString& waitText,
                            CTvdBasicStructObject& record)
{
    ShowWaitBox(waitText.toUtf8().constData());
    return CallService(
        "异常：调用接口失败\n[%s]\n[%s]!",
        [&](CBSErrorMsg& error) { return operation(remoteSim_, opInfo_, *ListOf(record), error); },
        kUpdatingWait);
}

void TfrmMaintenance::btnAddClick()
{
    if (!CheckBaseInput())
        return;
    auto record = NewRecord();
    ReadRecord(*record);
    if (!Write(declaration_.operations.add, "正在添加信息中，请稍候...", *record))
        return;
    result_ = ListOf(*record);
    FillList();
    CloseWaitBox();
    ShowGUIMessage("%s", "提示", 0, declaration_.texts.addOk.toUtf8().constData());
}

std::unique_ptr<CTvdBasicStructObject> TfrmMaintenance::RecordToModify()
{
    auto record = NewRecord();
    ReadRecord(*record);
    if (declaration_.modifyKeepsKey)
        for (const auto& field : declaration_.fields)
            if (field.key)
                copyMember(*current_, *record, field.member);
    return record;
}

std::unique_ptr<CTvdBasicStructObject> TfrmMaintenance::RecordToDelete()
{
    auto record = NewRecord();
    switch (declaration_.deleteSends) {
    case DeleteSends::EditArea: ReadRecord(*record); break;
    case DeleteSends::ClickedRecord: CopyRecord(*current_, *record); break;
    case DeleteSends::ClickedKey:
        for (const auto& field : declaration_.fields)
            if (field.key)
                copyMember(*current_, *record, field.member);
        break;
    }
    return record;
}

void TfrmMaintenance::btnModifyClick()
{
    if (ShowGUIMessage("您确认修改吗？", "确认操作", rsimform::kConfirm) != IDYES)
        return;
    if (!CheckBaseInput())
        return;
    const int row = lstShowDataList->selectedRow();
    if (row < 0)
        return;
    auto record = RecordToModify();
    if (!Write(declaration_.operations.modify, "正在修改中，请稍候...", *record))
        return;
    const int position = lstShowDataList->imageIndex(row);
    if (position >= 0 && position < result_->count())
        CopyRecord(*record, result_->element(position));
    FillList();
    CloseWaitBox();
    ShowGUIMessage("%s", "提示", 0, declaration_.texts.modifyOk.toUtf8().constData());
}

void TfrmMaintenance::btnDeleteClick()
{
    if (ShowGUIMessage("您确认删除吗？", "确认操作", rsimform::kConfirm) != IDYES)
        return;
    const int row = lstShowDataList->selectedRow();
    if (row < 0)
        return;
    auto record = RecordToDelete();
    if (!Write(declaration_.operations.remove, declaration_.texts.deleteWait, *record))
        return;
    const int position = lstShowDataList->imageIndex(row);
    if (position >= 0 && position < result_->count())
        result_->removeAt(position);
    FillList();
    CloseWaitBox();
    ShowGUIMessage("%s", "提示", 0, declaration_.texts.deleteOk.toUtf8().constData());
}

void TfrmMaintenance::btnClearClick()
{
    for (const auto& criterion : declaration_.criteria) {
        if (QCheckBox* box = Box(criterion); box != nullptr && criterion.onClear != OnClear::Keep)
            box->setChecked(criterion.onClear == OnClear::Tick);
        for (const auto& editor : criterion.editors) {
            QWidget* control = Control(editor.name);
            editor.kind->Empty(control);
            ResetControl(control, editor.kind, editor.member, editor.reset, opInfo_.REGION_CODE,
                         *declaration_.operations.criteriaType, *this);
        }
    }
    current_ = NewRecord();
    result_->resize(0);
    FillList();
    btnClearBaseClick();
}

// Edit-area combo boxes with a declared reset keep it: showing the empty record after it would
// leave them without a selection, since no item shows an empty code.
void TfrmMaintenance::btnClearBaseClick()
{
    lstShowDataList->clear();
    if (QueryOnlyWindow())
        return;
    auto empty = NewRecord();
    for (const auto& field : declaration_.fields) {
        QWidget* control = Control(field.name);
        field.kind->Empty(control);
        if (field.reset == Reset::Default)
            field.kind->Show(control, *empty, field.member, *this);
        else
            ResetControl(control, field.kind, field.member, field.reset, opInfo_.REGION_CODE,
                         RecordType(), *this);
    }
    btnAdd->setEnabled(addRight_);
    btnModify->setEnabled(false);
    btnDelete->setEnabled(false);
    for (const auto& field : declaration_.fields)
        if (field.key)
            MakeDefault(Control(field.name));
}
