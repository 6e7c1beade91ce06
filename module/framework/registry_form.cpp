#include "registry_form.h"

#include "record_access.h"

#include <QGridLayout>
#include <QLabel>

using namespace rsimform;

namespace {

constexpr const char* kQueryFailed = "异常：调用查询接口失败\n[%s]\n[%s]!";
constexpr const char* kAddFailed = "异常：调用新增接口失败\n[%s]\n[%s]!";
constexpr const char* kDeleteFailed = "异常：调用信息删除接口失败\n[%s]\n[%s]!";

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

} // namespace

TfrmRegistry::TfrmRegistry(QWidget* owner, RegistryDeclaration declaration)
    : TfrmRemoteSimBase(
          owner, declaration.rights,
          {.waitBox = false, .sysMgntRequired = false, .codeLists = declaration.codeLists}),
      declaration_(std::move(declaration))
{
    setCaption(declaration_.caption);
    result_ = NewList();
    current_ = NewRecord();
    BuildLayout();
}

TfrmRegistry::~TfrmRegistry() = default;

std::unique_ptr<CTvdBasicStructObject> TfrmRegistry::NewRecord() const
{
    return declaration_.operations.criteriaType->createRecord();
}

std::unique_ptr<CTvdBasicListObject> TfrmRegistry::NewList() const
{
    return declaration_.operations.listType->createList();
}

void TfrmRegistry::BuildLayout()
{
    resize(640, 480);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(BuildCriteria());
    lstShowDataList = AddListArea(layout, this, "lstvShowList", declaration_.columns);
    QObject::connect(lstShowDataList, &TListViewEx::rowClicked, this,
                     [this] { lstShowDataListClick(); });
    layout->addWidget(BuildEditArea());
    layout->addWidget(BuildButtons());
}

QWidget* TfrmRegistry::BuildCriteria()
{
    auto* group = MakeGroupBox(this, "查询条件");
    auto* grid = new QGridLayout(group);
    for (std::size_t i = 0; i < declaration_.criteria.size(); ++i) {
        const RegistryCriterion& criterion = declaration_.criteria[i];
        auto* box = new QCheckBox(criterion.caption, group);
        box->setObjectName(criterion.box);
        box->setChecked(true);
        QWidget* editor = criterion.kind->Create(group, criterion.editor);
        QObject::connect(box, &QCheckBox::toggled, this, [editor](bool ticked) {
            ticked ? MakeDefault(editor) : MakeReadOnly(editor);
        });
        const int row = static_cast<int>(i / 2);
        const int column = static_cast<int>(i % 2) * 2;
        grid->addWidget(box, row, column);
        grid->addWidget(editor, row, column + 1);
    }
    btnQuery = NewButton(group, "btnQuery", "查询", [this] { btnQueryClick(); });
    grid->addWidget(btnQuery, 0, 4);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    return group;
}

QWidget* TfrmRegistry::BuildEditArea()
{
    auto* group = MakeGroupBox(this, "基本资料");
    auto* grid = new QGridLayout(group);
    for (std::size_t i = 0; i < declaration_.fields.size(); ++i) {
        const RegistryField& field = declaration_.fields[i];
        const int row = static_cast<int>(i / 2);
        const int column = static_cast<int>(i % 2) * 2;
        grid->addWidget(new QLabel(field.label, group), row, column);
        grid->addWidget(field.kind->Create(group, field.name), row, column + 1);
    }
    btnClearBase = NewButton(group, "btnClearBase", "清空", [this] { btnClearBaseClick(); });
    grid->addWidget(btnClearBase, 0, 4);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    return group;
}

QWidget* TfrmRegistry::BuildButtons()
{
    auto* bar = MakeGroupBox(this, QString());
    btnClear = NewButton(bar, "btnClear", "清空", [this] { btnClearClick(); });
    btnAdd = NewButton(bar, "btnAdd", "增加", [this] { btnAddClick(); });
    btnModify = NewButton(bar, "btnMod", "修改", [this] { btnModifyClick(); });
    btnDelete = NewButton(bar, "btnDel", "删除", [this] { btnDeleteClick(); });
    btnClose = NewButton(bar, "btnClose", "关闭", [this] { btnCloseClick(); });
    bottomBar_ = ButtonRow(bar, {btnClear, btnAdd, btnModify, btnDelete, btnClose});
    return bar;
}

bool TfrmRegistry::LoadServiceLists()
{
    for (const ServiceList* list : declaration_.serviceLists)
        if (!LoadServiceItems(*list))
            return false;
    return true;
}

void TfrmRegistry::Prepare()
{
    auto load = [this](const Kind& kind, const QString& name) {
        kind->Load(*this);
        if (!name.isEmpty())
            kind->Fill(Control(name), *this);
    };
    for (const auto& criterion : declaration_.criteria)
        load(criterion.kind, criterion.editor);
    for (const auto& field : declaration_.fields)
        load(field.kind, field.name);
    for (const auto& column : declaration_.columns)
        if (column.shownAs)
            load(column.shownAs, QString());
    btnClearClick();
}

bool TfrmRegistry::CheckQueryInput()
{
    for (const auto& criterion : declaration_.criteria) {
        QWidget* editor = Control(criterion.editor);
        if (findChild<QCheckBox*>(criterion.box)->isChecked() &&
            criterion.kind->Text(editor).isEmpty()) {
            note(criterion.message);
            focus(editor);
            return false;
        }
    }
    return true;
}

bool TfrmRegistry::CheckBaseInput()
{
    for (const auto& check : declaration_.checks) {
        QWidget* control = Control(check.field);
        const auto field =
            std::find_if(declaration_.fields.begin(), declaration_.fields.end(),
                         [&](const RegistryField& f) { return f.name == check.field; });
        if (field->kind->Text(control).trimmed().isEmpty()) {
            note(check.message);
            focus(control);
            return false;
        }
    }
    return true;
}

void TfrmRegistry::btnQueryClick()
{
    if (!CheckQueryInput())
        return;
    lstShowDataList->clear();
    auto criteria = NewRecord();
    for (const auto& criterion : declaration_.criteria)
        if (findChild<QCheckBox*>(criterion.box)->isChecked())
            criterion.kind->Read(Control(criterion.editor), *criteria, criterion.member, *this,
                                 !criterion.sentAsTyped);
    Stamp(*criteria);
    result_->resize(0);
    CBSErrorMsg error;
    if (!declaration_.operations.query(remoteSim_, *criteria, *result_, error)) {
        ShowCallFailure(kQueryFailed, error);
        return;
    }
    if (result_->count() == 0) {
        note("提示：没有查到相关信息!", MB_ICONINFORMATION);
        return;
    }
    FillRows(lstShowDataList, *result_, declaration_.columns, *this);
    for (auto* button : {btnAdd, btnModify, btnDelete})
        button->setEnabled(false);
}

QString TfrmRegistry::Cell(CTvdBasicStructObject& record, const ColumnDeclaration& column)
{
    return ListCells(*this).Cell(record, column);
}

void TfrmRegistry::lstShowDataListClick()
{
    const int row = lstShowDataList->selectedRow();
    const int index = lstShowDataList->imageIndex(row);
    if (row < 0 || index < 0 || index >= result_->count())
        return;
    CopyRecord(result_->element(index), *current_);
    for (const auto& field : declaration_.fields) {
        QWidget* control = Control(field.name);
        const bool choice = qobject_cast<QComboBox*>(control) != nullptr;
        if (!choice || field.showsEmptyCode || !memberText(*current_, field.member).isEmpty())
            field.kind->Show(control, *current_, field.member, *this);
        if (field.key)
            MakeReadOnly(control);
    }
    MakeReadOnly(btnAdd);
    btnModify->setEnabled(ModifyRight());
    btnDelete->setEnabled(DeleteRight());
}

std::unique_ptr<CTvdBasicStructObject> TfrmRegistry::RecordFromEditArea(bool keyFromClicked,
                                                                        bool skipEditedKeys)
{
    auto record = NewRecord();
    for (const auto& field : declaration_.fields) {
        if (keyFromClicked && field.key && !(skipEditedKeys && field.modifySendsEdited))
            setMemberText(*record, field.member, memberText(*current_, field.member));
        else
            field.kind->Read(Control(field.name), *record, field.member, *this, false);
    }
    Stamp(*record);
    return record;
}

std::unique_ptr<CTvdBasicStructObject> TfrmRegistry::KeyOfClicked()
{
    auto record = NewRecord();
    for (const auto& field : declaration_.fields)
        if (field.key)
            setMemberText(*record, field.member, memberText(*current_, field.member));
    Stamp(*record);
    return record;
}

bool TfrmRegistry::Send(const Operations::Write& write, CTvdBasicStructObject& record,
                        const QString& failure)
{
    auto list = NewList();
    CopyRecord(record, *list->append());
    CBSErrorMsg error;
    if (write(remoteSim_, opInfo_, *list, error))
        return true;
    ShowCallFailure(failure.toUtf8().constData(), error);
    return false;
}

QStringList TfrmRegistry::AppendedCells(CTvdBasicStructObject& sent)
{
    QStringList cells;
    for (const auto& column : declaration_.columns) {
        const auto field =
            std::find_if(declaration_.fields.begin(), declaration_.fields.end(),
                         [&](const RegistryField& f) { return f.member == column.member; });
        cells.append(field != declaration_.fields.end() ? field->kind->Text(Control(field->name))
                                                        : Cell(sent, column));
    }
    return cells;
}

void TfrmRegistry::btnAddClick()
{
    if (!CheckBaseInput())
        return;
    auto record = RecordFromEditArea(false, false);
    const bool added = Send(declaration_.operations.add, *record, kAddFailed);
    btnAdd->setEnabled(false);
    if (!added)
        return;
    QStringList cells = AppendedCells(*record);
    const QString caption = cells.takeFirst();
    lstShowDataList->addRow(caption, cells);
    note(declaration_.texts.addOk);
}

void TfrmRegistry::btnModifyClick()
{
    const int row = lstShowDataList->selectedRow();
    if (row < 0) {
        note("请选择要修改的记录!");
        return;
    }
    if (!CheckBaseInput())
        return;
    auto record = RecordFromEditArea(true, true);
    if (!Send(declaration_.operations.modify, *record, declaration_.texts.modifyFailed)) {
        btnModify->setEnabled(false);
        return;
    }
    for (int column : declaration_.modifyRefreshes)
        lstShowDataList->setCellText(
            row, column, Cell(*record, declaration_.columns[static_cast<std::size_t>(column)]));
    note("提示：信息修改成功!");
}

void TfrmRegistry::btnDeleteClick()
{
    if (lstShowDataList->selectedRow() < 0) {
        note("请选择要删除的记录!");
        return;
    }
    auto record = KeyOfClicked();
    if (!Send(declaration_.operations.remove, *record, kDeleteFailed)) {
        btnDelete->setEnabled(false);
        return;
    }
    lstShowDataList->removeRow(lstShowDataList->focusedRow());
    note("提示:信息删除成功!");
}

void TfrmRegistry::btnClearClick()
{
    for (const auto& criterion : declaration_.criteria) {
        QWidget* editor = Control(criterion.editor);
        findChild<QCheckBox*>(criterion.box)->setChecked(criterion.tickedByClear);
        if (auto* combo = qobject_cast<QComboBox*>(editor);
            combo != nullptr && criterion.tickedByClear)
            combo->setCurrentIndex(combo->count() > 0 ? 0 : -1);
        else if (!criterion.tickedByClear)
            criterion.kind->Empty(editor);
    }
    btnClearBaseClick();
}

void TfrmRegistry::btnClearBaseClick()
{
    lstShowDataList->clear();
    for (const auto& field : declaration_.fields) {
        QWidget* control = Control(field.name);
        if (auto* combo = qobject_cast<QComboBox*>(control))
            combo->setCurrentIndex(combo->count() > 0 ? 0 : -1);
        else
            field.kind->Empty(control);
        if (field.key)
            MakeDefault(control);
    }
    btnModify->setEnabled(false);
    btnDelete->setEnabled(false);
    MakeDefault(btnAdd);
    btnAdd->setEnabled(AddRight());
}
