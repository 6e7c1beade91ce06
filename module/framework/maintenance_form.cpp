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

void note(const QString& text, int flags = 0)
{
    ShowGUIMessage("%s", "提示", flags, text.toUtf8().constData());
}

// Gives the control the focus when it can take it.
void focus(QWidget* control)
{
    if (control->isEnabled() && control->focusPolicy() != Qt::NoFocus)
        control->setFocus();
}

void selectFirstItem(QComboBox* combo)
{
    combo->setCurrentIndex(combo->count() > 0 ? 0 : -1);
}

const char* const kUpdatingWait = "正在更新控件界面中，请稍候...";
const char* const kQueryFailed = "异常：调用查询接口失败\n[%s]\n[%s]!";

} // namespace

TfrmMaintenance::TfrmMaintenance(QWidget* owner, WindowDeclaration declaration)
    : TfrmRemoteSimBase(owner, declaration.rights,
                        {.waitBox = declaration.policies.waitBox,
                         .sysMgntRequired = declaration.policies.waitBox,
                         .codeLists = declaration.codeLists}),
      declaration_(std::move(declaration)), result_(declaration_.operations.listType->createList()),
      current_(NewRecord())
{
    names_ = declaration_.names;
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
    rows_ = new RecordRows(declaration_.columns, *this, this);
    lstShowDataList = AddListArea(layout, this, names_.list, declaration_.columns, rows_);
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
        btnModify = NewButton(bar, names_.modify, "修改", [this] { btnModifyClick(); });
        btnDelete = NewButton(bar, names_.remove, "删除", [this] { btnDeleteClick(); });
        row.insert(row.end(), {btnAdd, btnModify, btnDelete});
    }
    btnClose = NewButton(bar, "btnClose", "关闭", [this] { btnCloseClick(); });
    row.push_back(btnClose);
    bottomBar_ = ButtonRow(bar, row);
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
QWidget* TfrmMaintenance::BuildCriteria()
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
    btnQuery = NewButton(group, names_.query, "查询", [this] { btnQueryClick(); });
    grid->addWidget(btnQuery, 0, 4);
    if (declaration_.policies.editorsStretch) {
        grid->setColumnStretch(1, 1);
        grid->setColumnStretch(3, 1);
    }
    return group;
}

QWidget* TfrmMaintenance::BuildEditArea()
{
    auto* group = MakeGroupBox(this, "基本资料");
    auto* grid = new QGridLayout(group);
    int cell = 0;
    for (const auto& field : declaration_.fields) {
        const bool starred = declaration_.policies.starsRequired && !field.message.isEmpty();
        const QString label = starred ? "＊" + field.label : field.label;
        grid->addWidget(new QLabel(label, group), cell / 2, (cell % 2) * 2);
        grid->addWidget(Build(field.kind, group, field.name, field.copiesTo), cell / 2,
                        (cell % 2) * 2 + 1);
        ++cell;
    }
    btnClearBase = NewButton(group, "btnClearBase", "清空", [this] { btnClearBaseClick(); });
    grid->addWidget(btnClearBase, 0, 4);
    if (declaration_.policies.editorsStretch) {
        grid->setColumnStretch(1, 1);
        grid->setColumnStretch(3, 1);
    }
    return group;
}

QCheckBox* TfrmMaintenance::Box(const CriterionDeclaration& criterion) const
{
    return criterion.box.isEmpty() ? nullptr : findChild<QCheckBox*>(criterion.box);
}

bool TfrmMaintenance::LoadServiceLists()
{
    for (const ServiceList* list : declaration_.serviceLists)
        if (!LoadServiceItems(*list))
            return false;
    return true;
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
            note(editor.message);
            focus(control);
            return false;
        }
    }
    return true;
}

bool TfrmMaintenance::CheckBaseInput()
{
    std::vector<CheckDeclaration> checks = declaration_.checks;
    if (checks.empty())
        for (const auto& field : declaration_.fields)
            if (!field.message.isEmpty())
                checks.push_back({field.name, field.message});
    for (const auto& check : checks) {
        const auto field =
            std::find_if(declaration_.fields.begin(), declaration_.fields.end(),
                         [&](const FieldDeclaration& f) { return f.name == check.field; });
        QWidget* control = Control(field->name);
        QString text = field->kind->Text(control);
        if (declaration_.policies.blanksAreEmpty)
            text = text.trimmed();
        if (!text.isEmpty())
            continue;
        note(check.message);
        focus(control);
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
    const bool keepsChoice = declaration_.policies.clickKeepsChoiceOnEmptyCode;
    for (const auto& field : declaration_.fields) {
        QWidget* control = Control(field.name);
        const bool choice = qobject_cast<QComboBox*>(control) != nullptr;
        if (keepsChoice && choice && !field.showsEmptyCode &&
            memberText(record, field.member).isEmpty())
            continue;
        field.kind->Show(control, record, field.member, *this);
    }
}

QString TfrmMaintenance::Cell(CTvdBasicStructObject& record, const ColumnDeclaration& column)
{
    return ListCells(*this).Cell(record, column);
}

void TfrmMaintenance::FillList()
{
    rows_->Show(result_.get());
    rsimform::NoteCutList(lstShowDataList, result_->count());
    if (lstShowDataList->rowCount() > 0) {
        lstShowDataList->setSelectedRow(0);
        lstShowDataList->setFocusedRow(0);
        lstShowDataListClick();
    }
}

void TfrmMaintenance::Refill()
{
    FillList();
    if (Waits())
        CloseWaitBox();
}

void TfrmMaintenance::lstShowDataListClick()
{
    const CTvdBasicStructObject* clicked = rows_->Record(lstShowDataList->selectedRow());
    if (clicked == nullptr)
        return;
    CopyRecord(*clicked, *current_);
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

bool TfrmMaintenance::Run(const char* failureFormat, const std::function<bool(CBSErrorMsg&)>& call,
                          const char* successWaitText)
{
    if (Waits())
        return CallService(failureFormat, call, successWaitText);
    CBSErrorMsg error;
    if (call(error))
        return true;
    ShowCallFailure(failureFormat, error);
    return false;
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
            editor.kind->Read(Control(editor.name), *criteria, editor.member, *this,
                              !editor.sentAsTyped);
    }
    Stamp(*criteria);
    rows_->Show(nullptr);
    result_->resize(0);
    if (Waits())
        ShowWaitBox("正在查询信息中，请稍候...");
    const auto query = [&](CBSErrorMsg& error) {
        return declaration_.operations.query(remoteSim_, *criteria, *result_, error);
    };
    if (!Run(kQueryFailed, query, nullptr))
        return;
    if (result_->count() == 0) {
        note(declaration_.texts.noRows, declaration_.texts.noRowsIcon);
        return;
    }
    if (Refills())
        FillList();
    else
        rows_->Show(result_.get());
    for (QPushButton* write : {btnAdd, btnModify, btnDelete})
        MakeReadOnly(write);
}

bool TfrmMaintenance::Write(const Operations::Write& operation, const QString& waitText,
                            const QString& failureFormat, CTvdBasicStructObject& record)
{
    Stamp(record);
    if (Waits())
        ShowWaitBox(waitText.toUtf8().constData());
    const QByteArray format = failureFormat.toUtf8();
    return Run(
        format.constData(),
        [&](CBSErrorMsg& error) { return operation(remoteSim_, opInfo_, *ListOf(record), error); },
        kUpdatingWait);
}

QStringList TfrmMaintenance::AppendedCells(CTvdBasicStructObject& sent)
{
    QStringList cells;
    for (const auto& column : declaration_.columns) {
        const auto field =
            std::find_if(declaration_.fields.begin(), declaration_.fields.end(),
                         [&](const FieldDeclaration& f) { return f.member == column.member; });
        cells.append(field != declaration_.fields.end() ? field->kind->Text(Control(field->name))
                                                        : Cell(sent, column));
    }
    return cells;
}

void TfrmMaintenance::btnAddClick()
{
    if (!CheckBaseInput())
        return;
    auto record = NewRecord();
    ReadRecord(*record);
    const bool added = Write(declaration_.operations.add, "正在添加信息中，请稍候...",
                             declaration_.texts.addFailed, *record);
    if (!Refills())
        btnAdd->setEnabled(false);
    if (!added)
        return;
    if (Refills()) {
        rows_->Show(nullptr);
        result_ = ListOf(*record);
        Refill();
    } else {
        rows_->Append(AppendedCells(*record));
    }
    note(declaration_.texts.addOk);
}

std::unique_ptr<CTvdBasicStructObject> TfrmMaintenance::RecordToModify()
{
    auto record = NewRecord();
    ReadRecord(*record);
    if (declaration_.policies.modifySendsClickedKey)
        for (const auto& field : declaration_.fields)
            if (field.key && !field.modifySendsEdited)
                copyMember(*current_, *record, field.member);
    return record;
}

std::unique_ptr<CTvdBasicStructObject> TfrmMaintenance::RecordToDelete()
{
    auto record = NewRecord();
    switch (declaration_.policies.deleteSends) {
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

bool TfrmMaintenance::ConfirmedOnARow(const char* question, const QString& noRowText)
{
    if (declaration_.policies.confirm &&
        ShowGUIMessage(question, "确认操作", rsimform::kConfirm) != IDYES)
        return false;
    if (lstShowDataList->selectedRow() < 0 && !noRowText.isEmpty()) {
        note(noRowText);
        return false;
    }
    return true;
}

void TfrmMaintenance::btnModifyClick()
{
    if (!ConfirmedOnARow("您确认修改吗？", declaration_.texts.selectToModify) || !CheckBaseInput())
        return;
    const int row = lstShowDataList->selectedRow();
    if (row < 0)
        return;
    auto record = RecordToModify();
    if (!Write(declaration_.operations.modify, "正在修改中，请稍候...",
               declaration_.texts.modifyFailed, *record)) {
        if (!Refills())
            btnModify->setEnabled(false);
        return;
    }
    if (Refills()) {
        if (CTvdBasicStructObject* shown = rows_->Record(row))
            CopyRecord(*record, *shown);
        Refill();
    } else {
        for (int column : declaration_.modifyRefreshes)
            rows_->SetCell(row, column,
                           Cell(*record, declaration_.columns[static_cast<std::size_t>(column)]));
    }
    note(declaration_.texts.modifyOk);
}

void TfrmMaintenance::btnDeleteClick()
{
    if (!ConfirmedOnARow("您确认删除吗？", declaration_.texts.selectToDelete))
        return;
    const int row = lstShowDataList->selectedRow();
    if (row < 0)
        return;
    auto record = RecordToDelete();
    if (!Write(declaration_.operations.remove, declaration_.texts.deleteWait,
               declaration_.texts.deleteFailed, *record)) {
        if (!Refills())
            btnDelete->setEnabled(false);
        return;
    }
    if (Refills()) {
        if (const int position = rows_->Position(row); position >= 0)
            result_->removeAt(position);
        Refill();
    } else {
        rows_->Remove(lstShowDataList->focusedRow());
    }
    note(declaration_.texts.deleteOk);
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
    if (Refills()) {
        current_ = NewRecord();
        result_->resize(0);
        FillList();
    }
    btnClearBaseClick();
}

// Edit-area combo boxes with a declared reset keep it: showing the empty record after it would
// leave them without a selection, since no item shows an empty code.
void TfrmMaintenance::btnClearBaseClick()
{
    rows_->Show(nullptr);
    if (QueryOnlyWindow())
        return;
    auto empty = NewRecord();
    for (const auto& field : declaration_.fields) {
        QWidget* control = Control(field.name);
        field.kind->Empty(control);
        auto* combo = qobject_cast<QComboBox*>(control);
        if (!declaration_.policies.clearShowsEmptyRecord) {
            if (combo != nullptr)
                selectFirstItem(combo);
        } else if (field.reset == Reset::Default) {
            field.kind->Show(control, *empty, field.member, *this);
        } else {
            ResetControl(control, field.kind, field.member, field.reset, opInfo_.REGION_CODE,
                         RecordType(), *this);
        }
    }
    btnAdd->setEnabled(addRight_);
    btnModify->setEnabled(false);
    btnDelete->setEnabled(false);
    for (const auto& field : declaration_.fields)
        if (field.key)
            MakeDefault(Control(field.name));
}

namespace rsimform {

WindowDeclaration InPlaceEditing(WindowDeclaration declaration)
{
    declaration.names = {.list = "lstvShowList", .modify = "btnMod", .remove = "btnDel"};
    declaration.codeLists = false;
    declaration.texts.noRows = "提示：没有查到相关信息!";
    declaration.texts.noRowsIcon = MB_ICONINFORMATION;
    declaration.texts.addOk = "提示：新增信息成功!";
    declaration.texts.deleteOk = "提示:信息删除成功!";
    declaration.texts.addFailed = "异常：调用新增接口失败\n[%s]\n[%s]!";
    declaration.texts.modifyFailed = "异常：调用修改接口失败\n[%s]\n[%s]!";
    declaration.texts.deleteFailed = "异常：调用信息删除接口失败\n[%s]\n[%s]!";
    declaration.texts.selectToModify = "请选择要修改的记录!";
    declaration.texts.selectToDelete = "请选择要删除的记录!";
    declaration.policies = {.confirm = false,
                            .waitBox = false,
                            .refillAfterWrite = false,
                            .modifySendsClickedKey = true,
                            .deleteSends = DeleteSends::ClickedKey,
                            .clearShowsEmptyRecord = false,
                            .clickKeepsChoiceOnEmptyCode = true,
                            .blanksAreEmpty = true,
                            .editorsStretch = true};
    return declaration;
}

} // namespace rsimform
