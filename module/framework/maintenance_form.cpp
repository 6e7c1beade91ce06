#include "maintenance_form.h"

#include "cut_notice.h"
#include "record_access.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <set>

using namespace rsimform;

namespace {

QString textOf(QWidget* control)
{
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        return edit->text();
    if (auto* combo = qobject_cast<QComboBox*>(control))
        return combo->currentText();
    return {};
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    return b;
}

// Selects the province item whose bracketed code equals code, scanning from the last item.
void showProvince(QComboBox* combo, const QString& code)
{
    for (int i = combo->count() - 1; i >= 0; --i) {
        const QString item = combo->itemText(i);
        if (item.mid(1, item.indexOf(']') - 1) == code) {
            PostionComboBoxItem(combo, item);
            return;
        }
    }
    PostionComboBoxItem(combo, QString());
}

} // namespace

TfrmMaintenance::TfrmMaintenance(QWidget* owner, MaintenanceSpec spec)
    : TfrmRemoteSimBase(owner, spec.rights), spec_(std::move(spec)),
      result_(static_cast<CTvdBasicListObject*>(spec_.operations.listType->create().release())),
      current_(NewRecord())
{
    setCaption(spec_.caption);
    BuildLayout();
}

TfrmMaintenance::~TfrmMaintenance() = default;

bool TfrmMaintenance::InitForm(int reserved, const MSysmgntDef::SOperator* op)
{
    return InitMaintenanceForm(reserved, op);
}

std::unique_ptr<CTvdBasicStructObject> TfrmMaintenance::NewRecord() const
{
    const CTvdTypeInfo* recordType =
        CTvdTypeInfo::find(spec_.operations.listType->memberTypes().front().typeName);
    return std::unique_ptr<CTvdBasicStructObject>(
        static_cast<CTvdBasicStructObject*>(recordType->create().release()));
}

std::unique_ptr<CTvdBasicListObject> TfrmMaintenance::ListOf(const CTvdBasicStructObject& record) const
{
    std::unique_ptr<CTvdBasicListObject> list(
        static_cast<CTvdBasicListObject*>(spec_.operations.listType->create().release()));
    CopyRecord(record, *list->append());
    return list;
}

void TfrmMaintenance::BuildLayout()
{
    resize(640, 480);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(BuildCriteria());

    auto* listGroup = MakeGroupBox(this, "数据列表");
    auto* listLayout = new QVBoxLayout(listGroup);
    lstShowDataList = new TListViewEx(listGroup);
    lstShowDataList->setObjectName("lstShowDataList");
    std::vector<std::pair<QString, int>> columns;
    for (const auto& column : spec_.columns)
        columns.emplace_back(column.caption, column.width);
    lstShowDataList->setColumns(columns);
    listLayout->addWidget(lstShowDataList);
    layout->addWidget(listGroup, 1);
    QObject::connect(lstShowDataList, &TListViewEx::rowClicked, this, [this] { lstShowDataListClick(); });

    layout->addWidget(BuildEditArea());

    auto* buttons = MakeGroupBox(this, QString());
    auto* row = new QHBoxLayout(buttons);
    row->addStretch();
    btnClear = button(buttons, "btnClear", "清空");
    btnAdd = button(buttons, "btnAdd", "增加");
    btnModify = button(buttons, "btnModify", "修改");
    btnDelete = button(buttons, "btnDelete", "删除");
    btnClose = button(buttons, "btnClose", "关闭");
    for (auto* b : {btnClear, btnAdd, btnModify, btnDelete, btnClose})
        row->addWidget(b);
    layout->addWidget(buttons);

    QObject::connect(btnQuery, &QPushButton::clicked, this, [this] { btnQueryClick(); });
    QObject::connect(btnClearBase, &QPushButton::clicked, this, [this] { btnClearBaseClick(); });
    QObject::connect(btnClear, &QPushButton::clicked, this, [this] { btnClearClick(); });
    QObject::connect(btnAdd, &QPushButton::clicked, this, [this] { btnAddClick(); });
    QObject::connect(btnModify, &QPushButton::clicked, this, [this] { btnModifyClick(); });
    QObject::connect(btnDelete, &QPushButton::clicked, this, [this] { btnDeleteClick(); });
    QObject::connect(btnClose, &QPushButton::clicked, this, [this] { btnCloseClick(); });
}

QWidget* TfrmMaintenance::BuildControl(Control kind, const QString& name, int maxLength)
{
    QWidget* control = nullptr;
    if (kind == Control::Edit) {
        auto* edit = new QLineEdit(this);
        if (maxLength > 0)
            edit->setMaxLength(maxLength);
        control = edit;
    } else {
        control = new QComboBox(this);
    }
    control->setObjectName(name);
    return control;
}

QGroupBox* TfrmMaintenance::BuildCriteria()
{
    auto* group = MakeGroupBox(this, "查询条件");
    auto* grid = new QGridLayout(group);
    int row = 0;
    for (const auto& criterion : spec_.criteria) {
        QWidget* editor = BuildControl(criterion.control, criterion.editor, criterion.maxLength);
        if (criterion.checkBox.isEmpty()) {
            grid->addWidget(new QLabel(criterion.caption, group), row / 2, (row % 2) * 2);
        } else {
            auto* box = new QCheckBox(criterion.caption, group);
            box->setObjectName(criterion.checkBox);
            box->setChecked(true);
            criterionBoxes_.push_back(box);
            QObject::connect(box, &QCheckBox::toggled, this,
                             [this, &criterion](bool ticked) { CriterionToggled(criterion, ticked); });
            grid->addWidget(box, row / 2, (row % 2) * 2);
        }
        grid->addWidget(editor, row / 2, (row % 2) * 2 + 1);
        ++row;
    }
    btnQuery = button(group, "btnQuery", "查询");
    grid->addWidget(btnQuery, 0, 4);
    return group;
}

QGroupBox* TfrmMaintenance::BuildEditArea()
{
    auto* group = MakeGroupBox(this, "基本资料");
    auto* grid = new QGridLayout(group);
    int row = 0;
    for (const auto& field : spec_.fields) {
        const QString label = field.required ? "＊" + field.label : field.label;
        grid->addWidget(new QLabel(label, group), row / 2, (row % 2) * 2);
        grid->addWidget(BuildControl(field.kind, field.control, field.maxLength), row / 2,
                        (row % 2) * 2 + 1);
        ++row;
    }
    btnClearBase = button(group, "btnClearBase", "清空");
    grid->addWidget(btnClearBase, 0, 4);
    return group;
}

QWidget* TfrmMaintenance::Editor(const QString& name) const
{
    return findChild<QWidget*>(name);
}

const CBasicLookup* TfrmMaintenance::Lookup(int category) const
{
    auto it = lookups_.find(category);
    return it == lookups_.end() ? nullptr : it->second.get();
}

void TfrmMaintenance::Prepare(CAccountPublic& account)
{
    std::set<int> categories;
    bool provinces = false;
    for (const auto& c : spec_.criteria) {
        categories.insert(c.category);
        provinces |= c.control == Control::ProvinceCombo;
    }
    for (const auto& f : spec_.fields) {
        categories.insert(f.category);
        provinces |= f.kind == Control::ProvinceCombo;
    }
    for (const auto& column : spec_.columns)
        categories.insert(column.category);
    categories.erase(0);
    for (int category : categories)
        lookups_[category] = LoadLookup(account, category);
    auto fill = [this](Control kind, int category, const QString& name) {
        if (kind != Control::LookupCombo)
            return;
        auto* combo = qobject_cast<QComboBox*>(Editor(name));
        combo->clear();
        lookups_.at(category)->FillComboBox(combo);
    };
    for (const auto& c : spec_.criteria)
        fill(c.control, c.category, c.editor);
    for (const auto& f : spec_.fields)
        fill(f.kind, f.category, f.control);
    if (provinces)
        LoadProvinces();
    btnClearClick();
}

void TfrmMaintenance::LoadProvinces()
{
    MResRemoteMgntDef::SResRemoteProvCode all;
    MResRemoteMgntDef::SResRemoteProvCodeList provinces;
    CBSErrorMsg error;
    if (!remoteSim_.qry_provinceCode(all, provinces, error)) {
        ShowCallFailure("异常：调用查询接口失败\n[%s]\n[%s]!", error);
        return;
    }
    auto fill = [&](Control kind, const QString& name) {
        if (kind != Control::ProvinceCombo)
            return;
        auto* combo = qobject_cast<QComboBox*>(Editor(name));
        combo->clear();
        remoteSim_.FillProvinceCombo(provinces, combo);
    };
    for (const auto& c : spec_.criteria)
        fill(c.control, c.editor);
    for (const auto& f : spec_.fields)
        fill(f.kind, f.control);
}

void TfrmMaintenance::CriterionToggled(const CriterionSpec& criterion, bool ticked)
{
    QWidget* editor = Editor(criterion.editor);
    ticked ? MakeDefault(editor) : MakeReadOnly(editor);
}

bool TfrmMaintenance::CheckQueryInput()
{
    std::size_t box = 0;
    for (const auto& criterion : spec_.criteria) {
        if (criterion.checkBox.isEmpty())
            continue;
        QCheckBox* ticked = criterionBoxes_[box++];
        QWidget* editor = Editor(criterion.editor);
        if (ticked->isChecked() && textOf(editor).isEmpty()) {
            ShowGUIMessage("%s", "提示", 0, criterion.message.toUtf8().constData());
            if (editor->isEnabled())
                editor->setFocus();
            return false;
        }
    }
    return true;
}

bool TfrmMaintenance::CheckBaseInput()
{
    for (const auto& field : spec_.fields) {
        QWidget* control = Editor(field.control);
        if (field.required && textOf(control).isEmpty()) {
            ShowGUIMessage("%s", "提示", 0, field.message.toUtf8().constData());
            control->setFocus();
            return false;
        }
    }
    return true;
}

void TfrmMaintenance::ReadFromControl(QWidget* control, Control kind, int category,
                                      CTvdBasicStructObject& record, int member) const
{
    const QString text = textOf(control);
    switch (kind) {
    case Control::Edit: setMemberText(record, member, text); break;
    case Control::LookupCombo:
        setMemberInteger(record, member, Lookup(category)->CodeOfItem(text.toStdString()));
        break;
    case Control::ProvinceCombo:
        setMemberText(record, member,
                      QString::fromStdString(CResRemoteSim::ExtractCode(text.toStdString())));
        break;
    }
}

void TfrmMaintenance::ShowInControl(QWidget* control, Control kind, int category,
                                   CTvdBasicStructObject& record, int member)
{
    switch (kind) {
    case Control::Edit: qobject_cast<QLineEdit*>(control)->setText(memberText(record, member)); break;
    case Control::LookupCombo:
        PostionComboBoxItem(qobject_cast<QComboBox*>(control),
                            QString::fromUtf8(Lookup(category)->ItemOfCode(memberInteger(record, member))));
        break;
    case Control::ProvinceCombo:
        showProvince(qobject_cast<QComboBox*>(control), memberText(record, member));
        break;
    }
}

void TfrmMaintenance::ReadRecord(CTvdBasicStructObject& record)
{
    for (const auto& field : spec_.fields)
        ReadFromControl(Editor(field.control), field.kind, field.category, record, field.member);
}

void TfrmMaintenance::ShowRecord(CTvdBasicStructObject& record)
{
    for (const auto& field : spec_.fields)
        ShowInControl(Editor(field.control), field.kind, field.category, record, field.member);
}

QString TfrmMaintenance::ColumnText(CTvdBasicStructObject& record, const ColumnSpec& column) const
{
    if (column.category == 0)
        return memberText(record, column.member);
    return QString::fromUtf8(Lookup(column.category)->ItemOfCode(memberInteger(record, column.member)));
}

void TfrmMaintenance::FillList()
{
    lstShowDataList->beginUpdate();
    lstShowDataList->clear();
    for (int i = 0; i < result_->count(); ++i) {
        auto& record = result_->element(i);
        QStringList subItems;
        for (std::size_t c = 1; c < spec_.columns.size(); ++c)
            subItems.append(ColumnText(record, spec_.columns[c]));
        lstShowDataList->addRow(ColumnText(record, spec_.columns.front()), subItems, i);
    }
    lstShowDataList->endUpdate();
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
    ShowRecord(*current_);
    btnAdd->setEnabled(false);
    btnModify->setEnabled(modifyRight_);
    btnDelete->setEnabled(deleteRight_);
    for (const auto& field : spec_.fields)
        if (field.key)
            MakeReadOnly(Editor(field.control));
}

void TfrmMaintenance::btnQueryClick()
{
    if (!CheckQueryInput())
        return;
    auto criteria = std::unique_ptr<CTvdBasicStructObject>(
        static_cast<CTvdBasicStructObject*>(spec_.operations.criteriaType->create().release()));
    std::size_t box = 0;
    for (const auto& criterion : spec_.criteria) {
        if (criterion.checkBox.isEmpty() || !criterionBoxes_[box++]->isChecked())
            continue;
        QWidget* editor = Editor(criterion.editor);
        if (criterion.control == Control::Edit)
            setMemberText(*criteria, criterion.member, textOf(editor).trimmed());
        else
            ReadFromControl(editor, criterion.control, criterion.category, *criteria, criterion.member);
    }
    result_->resize(0);
    lstShowDataList->clear();
    ShowWaitBox("正在查询信息中，请稍候...");
    try {
        CBSErrorMsg error;
        if (!spec_.operations.query(remoteSim_, *criteria, *result_, error)) {
            ShowCallFailure("异常：调用查询接口失败\n[%s]\n[%s]!", error);
            CloseWaitBox();
            return;
        }
        CloseWaitBox();
        if (result_->count() == 0) {
            ShowGUIMessage("没有查询到数据!", "提示", 16);
            return;
        }
        FillList();
        MakeReadOnly(btnAdd);
        MakeReadOnly(btnModify);
        MakeReadOnly(btnDelete);
    } catch (const CGUIException& e) {
        ShowException(e);
        CloseWaitBox();
    }
}

bool TfrmMaintenance::Write(const Operations::Write& operation, const char* waitText,
                            CTvdBasicStructObject& record)
{
    ShowWaitBox(waitText);
    try {
        CBSErrorMsg error;
        if (!operation(remoteSim_, opInfo_, *ListOf(record), error)) {
            ShowCallFailure("异常：调用接口失败\n[%s]\n[%s]!", error);
            CloseWaitBox();
            return false;
        }
        UpdateWaitBox("正在更新控件界面中，请稍候...");
        return true;
    } catch (const CGUIException& e) {
        ShowException(e);
        CloseWaitBox();
        return false;
    }
}

void TfrmMaintenance::btnAddClick()
{
    if (!CheckBaseInput())
        return;
    auto record = NewRecord();
    ReadRecord(*record);
    if (!Write(spec_.operations.add, "正在添加信息中，请稍候...", *record))
        return;
    result_ = ListOf(*record);
    FillList();
    CloseWaitBox();
    ShowGUIMessage("%s", "提示", 0, spec_.texts.addOk.toUtf8().constData());
}

void TfrmMaintenance::btnModifyClick()
{
    if (ShowGUIMessage("您确认修改吗？", "确认操作", 292) != 6)
        return;
    if (!CheckBaseInput())
        return;
    const int row = lstShowDataList->selectedRow();
    if (row < 0)
        return;
    auto record = NewRecord();
    ReadRecord(*record);
    if (!Write(spec_.operations.modify, "正在修改中，请稍候...", *record))
        return;
    const int position = lstShowDataList->imageIndex(row);
    if (position >= 0 && position < result_->count())
        CopyRecord(*record, result_->element(position));
    FillList();
    CloseWaitBox();
    ShowGUIMessage("%s", "提示", 0, spec_.texts.modifyOk.toUtf8().constData());
}

void TfrmMaintenance::btnDeleteClick()
{
    if (ShowGUIMessage("您确认删除吗？", "确认操作", 292) != 6)
        return;
    const int row = lstShowDataList->selectedRow();
    if (row < 0)
        return;
    auto record = NewRecord();
    ReadRecord(*record);
    if (!Write(spec_.operations.remove, spec_.texts.deleteWait.toUtf8().constData(), *record))
        return;
    const int position = lstShowDataList->imageIndex(row);
    if (position >= 0 && position < result_->count())
        result_->removeAt(position);
    FillList();
    CloseWaitBox();
    ShowGUIMessage("%s", "提示", 0, spec_.texts.deleteOk.toUtf8().constData());
}

void TfrmMaintenance::btnClearClick()
{
    for (QCheckBox* box : criterionBoxes_)
        box->setChecked(false);
    for (const auto& criterion : spec_.criteria)
        if (auto* edit = qobject_cast<QLineEdit*>(Editor(criterion.editor)))
            edit->clear();
    current_ = NewRecord();
    result_->resize(0);
    FillList();
    btnClearBaseClick();
}

void TfrmMaintenance::btnClearBaseClick()
{
    lstShowDataList->clear();
    for (const auto& field : spec_.fields)
        if (auto* edit = qobject_cast<QLineEdit*>(Editor(field.control)))
            edit->clear();
    auto empty = NewRecord();
    ShowRecord(*empty);
    btnAdd->setEnabled(addRight_);
    btnModify->setEnabled(false);
    btnDelete->setEnabled(false);
    for (const auto& field : spec_.fields)
        if (field.key)
            MakeDefault(Editor(field.control));
}
