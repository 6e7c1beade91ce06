// The edit area, the list, staging of new and changed cards, and deletion.
#include "TfrmRemoteSimInfo.h"

#include "control_kinds.h"
#include "cut_notice.h"
#include "record_access.h"
#include "tvd_member.h"

#include <array>
#include <map>
#include <string_view>

using namespace MResRemoteMgntDef;

namespace {

std::string utf8(const QString& value)
{
    return value.toStdString();
}

} // namespace

bool TfrmRemoteSimInfo::CheckEditArea()
{
    std::vector<rsimform::EditorDeclaration> fields;
    for (const EditField& field : EditFields())
        fields.push_back({field.declared.name, field.declared.kind, field.declared.member,
                          field.declared.message});
    if (!NoneEmpty(fields))
        return false;
    if (edKiKey->text().size() % 8 != 0) {
        ShowGUIMessage("KI密钥长度必须为8的倍数!", "提示", 0);
        edKiKey->setFocus();
        return false;
    }
    return true;
}

SRemoteSimInfo TfrmRemoteSimInfo::ReadEditArea() const
{
    SRemoteSimInfo record;
    for (const EditField& field : EditFields())
        Read(field.declared, record, false);
    return record;
}

// How the edit fields show their members of records, in the list and in the edit area: a text as
// it is, a code-list code by its item, a bracketed code by the combo box's item (none for an empty
// code). Where each member lies is found once; the rows of an answer share a few card types,
// vendors, states and places, so the text of each code is looked up once.
class TfrmRemoteSimInfo::FieldTexts {
public:
    // An edit field, where its member lies in a record and its combo box (none for an edit).
    struct Field {
        const EditField* field;
        const STvdMemberTypeInfo* member;
        QComboBox* combo;
        bool coded; // an integer member, shown by its code list's item
    };

    explicit FieldTexts(const TfrmRemoteSimInfo& form) : form_(form)
    {
        byColumn_.fill(-1);
        for (const EditField& field : EditFields()) {
            const STvdMemberTypeInfo& member = SRemoteSimInfo::memberTable()[field.declared.member];
            if (field.column >= 0)
                byColumn_[static_cast<std::size_t>(field.column)] =
                    static_cast<int>(fields_.size());
            fields_.push_back({&field, &member, form.findChild<QComboBox*>(field.declared.name),
                               member.kind != TVD_STRING});
        }
    }

    const std::vector<Field>& Fields() const { return fields_; }
    // What the field shows of the record.
    std::string_view Of(const Field& field, const SRemoteSimInfo& record)
    {
        if (field.coded)
            return Of(*field.field, record, integerAt(record, *field.member));
        const auto& text = tvd_memberAt<std::string>(record, field.member->offset);
        if (field.combo == nullptr || text.empty())
            return text;
        return Item(field.combo, text);
    }
    // What the list's column shows of the record; nothing for a column no field shows.
    std::string_view Cell(const SRemoteSimInfo& record, int column)
    {
        const int field =
            column >= 0 && column < ColumnCount ? byColumn_[static_cast<std::size_t>(column)] : -1;
        return field >= 0 ? Of(fields_[static_cast<std::size_t>(field)], record)
                          : std::string_view();
    }

private:
    static std::int64_t integerAt(const SRemoteSimInfo& record, const STvdMemberTypeInfo& member)
    {
        return tvd_withKind(member.kind, [&](auto type) -> std::int64_t {
            using Value = typename decltype(type)::type;
            if constexpr (std::is_integral_v<Value>)
                return tvd_memberAt<Value>(record, member.offset);
            return 0;
        });
    }
    std::string_view Of(const EditField& field, const SRemoteSimInfo& record, std::int64_t code)
    {
        const rsimform::ControlKind* kind = field.declared.kind.get();
        auto found = codes_.find({kind, code});
        if (found == codes_.end()) {
            auto& shown = const_cast<SRemoteSimInfo&>(record);
            const QString item = kind->Cell(shown, field.declared.member, form_.Context());
            found = codes_.emplace(std::pair{kind, code}, utf8(item)).first;
        }
        return found->second;
    }
    std::string_view Item(const QComboBox* combo, const std::string& code)
    {
        auto found = items_.find({combo, code});
        if (found == items_.end())
            found = items_
                        .emplace(std::pair{combo, code},
                                 utf8(rsimform::ItemWithCode(combo, QString::fromStdString(code))))
                        .first;
        return found->second;
    }

    const TfrmRemoteSimInfo& form_;
    std::vector<Field> fields_;
    std::array<int, ColumnCount> byColumn_{}; // the field each column shows
    std::map<std::pair<const rsimform::ControlKind*, std::int64_t>, std::string> codes_;
    std::map<std::pair<const QComboBox*, std::string>, std::string> items_;
};

// A code that no item shows leaves its combo box without a selection, so that a following
// Modify cannot write the previous row's value into the checked rows; an empty bracketed code
// leaves the combo box as it is.
void TfrmRemoteSimInfo::ShowRecord(const SRemoteSimInfo& record)
{
    FieldTexts codes(*this);
    for (const FieldTexts::Field& field : codes.Fields()) {
        if ((field.field->flags & KeptOnClick) != 0)
            continue;
        const std::string_view cell = codes.Of(field, record);
        const QString shown = QString::fromUtf8(cell.data(), static_cast<qsizetype>(cell.size()));
        if (field.combo == nullptr)
            findChild<QLineEdit*>(field.field->declared.name)->setText(shown);
        else if (field.coded ||
                 !rsimform::memberString(record, field.field->declared.member).empty())
            PostionComboBoxItem(field.combo, shown);
    }
}

std::string_view TfrmRemoteSimInfo::ResultCell(const SRemoteSimInfo& card, int column) const
{
    return resultTexts_->Cell(card, column);
}

// The list shows the cards of result_, with the texts of their codes looked up anew.
void TfrmRemoteSimInfo::ShowResult()
{
    resultTexts_ = std::make_shared<FieldTexts>(*this);
    rows_->Show(&result_);
    ListFilled(result_.count());
}

void TfrmRemoteSimInfo::ListFilled(int answered)
{
    rsimform::NoteCutList(lstShowDataList, answered);
    if (lstShowDataList->rowCount() > 0) {
        lstShowDataList->setFocusedRow(0);
        lstShowDataListClick();
    }
    lstShowDataList->setColumnWidth(ColUnknown, 0);
}

void TfrmRemoteSimInfo::lstShowDataListClick()
{
    const int row = lstShowDataList->selectedRow();
    if (row < 0)
        return;
    lstShowDataList->setChecked(row, !lstShowDataList->isChecked(row));
    const SRemoteSimInfo* card = rows_->Record(row);
    if (card == nullptr) { // a staged card
        MakeDefault(btnCancel);
        return;
    }
    current_ = *card;
    ShowRecord(current_);
    MakeReadOnly(btnCancel);
    for (const EditField& field : EditFields())
        if (field.source == Source::Key)
            MakeReadOnly(Control(field.declared.name));
    btnAdd->setEnabled(false);
    btnModify->setEnabled(ModifyRight());
    btnDelete->setEnabled(DeleteRight());
}

void TfrmRemoteSimInfo::btnAddClick()
{
    pending_ = Pending::Add;
    if (!CheckEditArea())
        return;
    if (!result_.empty()) {
        result_.clear();
        lstShowDataList->clear();
    }
    // A staged card is listed by the texts it shows, as an imported one.
    FieldTexts texts(*this);
    const SRemoteSimInfo card = ReadEditArea();
    std::array<std::string_view, ColumnCount> cells{};
    for (int column = 0; column < ColumnCount; ++column)
        cells[static_cast<std::size_t>(column)] = texts.Cell(card, column);
    rows_->Append(PackedCells(cells));
    ListFilled(0);
    MakeDefault(btnCommit);
}

void TfrmRemoteSimInfo::btnModifyClick()
{
    pending_ = Pending::Modify;
    bool anyChecked = false;
    for (int row = 0; row < lstShowDataList->rowCount(); ++row)
        anyChecked |= lstShowDataList->isChecked(row);
    if (!anyChecked) {
        ShowGUIMessage("对不起!\n[%s!]", "提示", 0,
                       "数据列表中没有选中复选框的数据，\n请勾选要修改的数据!");
        return;
    }
    if (!CheckEditArea())
        return;
    // The edit area's texts go into every checked row; a card's keys stay.
    for (const EditField& field : EditFields()) {
        if (field.column < 0 || field.source == Source::Key)
            continue;
        const QString value = Text(field.declared);
        for (int row = 0; row < lstShowDataList->rowCount(); ++row)
            if (lstShowDataList->isChecked(row))
                lstShowDataList->setCellText(row, field.column, value);
    }
    lstShowDataList->setColumnWidth(ColUnknown, 0);
    MakeDefault(btnCommit);
}

void TfrmRemoteSimInfo::btnDeleteClick()
{
    if (lstShowDataList->selectedRow() < 0)
        return;
    if (ShowGUIMessage("您确认删除吗？", "确认操作", rsimform::kConfirm) != IDYES)
        return;
    ShowWaitBox("正在删除数据，请稍候...");
    SRemoteSimInfoList doomed;
    for (int row = lstShowDataList->rowCount() - 1; row >= 0; --row) {
        if (!lstShowDataList->isChecked(row))
            continue;
        auto& card = *static_cast<SRemoteSimInfo*>(doomed.append());
        card.set_IMSI(utf8(lstShowDataList->caption(row)));
    }
    if (!CallService("异常：调用接口失败\n[%s]\n[%s]!", [&](CBSErrorMsg& error) {
            return remoteSim_.del_simInfo(opInfo_, doomed, error);
        }))
        return;
    for (int row = lstShowDataList->rowCount() - 1; row >= 0; --row)
        if (lstShowDataList->isChecked(row))
            lstShowDataList->removeRow(row);
    ShowGUIMessage("提示:远程写卡明细数据删除成功!", "业务提交", MB_ICONINFORMATION);
}

void TfrmRemoteSimInfo::btnClearClick()
{
    lstShowDataList->clear();
    // The two ranges are unticked and emptied, every other criterion is ticked.
    for (const rsimform::CriterionDeclaration& criterion : Criteria()) {
        const bool range = criterion.editors.size() > 1;
        findChild<QCheckBox*>(criterion.box)->setChecked(!range);
        for (const rsimform::EditorDeclaration& editor : criterion.editors)
            if (range)
                findChild<QLineEdit*>(editor.name)->clear();
    }
    edtQryMaxNum->setText("50");
    chkImport->blockSignals(true);
    chkImport->setChecked(false);
    chkImport->blockSignals(false);
    chkImportClick();
    current_ = SRemoteSimInfo();
    result_.clear();
    queryPlaces_->SelectOperatorsPlace();
    editPlaces_->SelectOperatorsPlace();
    ShowResult();
    btnClearBaseClick();
}

// The place combo boxes, which the operator cannot change, keep the operator's place; the other
// combo boxes show their first item.
void TfrmRemoteSimInfo::btnClearBaseClick()
{
    lstShowDataList->clear();
    for (const EditField& field : EditFields()) {
        QWidget* control = Control(field.declared.name);
        if (field.source == Source::Key)
            MakeDefault(control);
        if (auto* edit = qobject_cast<QLineEdit*>(control))
            edit->clear();
        else if (auto* combo = qobject_cast<QComboBox*>(control); (field.flags & Fixed) == 0)
            combo->setCurrentIndex(combo->count() > 0 ? 0 : -1);
    }
    for (QPushButton* button : {btnCancel, btnModify, btnDelete, btnCommit})
        MakeReadOnly(button);
    edSmsp->setText(smspCode_);
    btnAdd->setEnabled(AddRight());
}
