// Layout, initialisation, lookups, cascades and the query of the SIM card inventory.
#include "TfrmRemoteSimInfo.h"

#include "PublicBusi.h"
#include "focus_exit.h"
#include "form_registry.h"
#include "record_access.h"
#include "window_parts.h"

#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <vector>

using namespace MResRemoteMgntDef;

namespace {

constexpr int kHiddenStatus = 13;

void removeItemsWithCode(QComboBox* combo, std::int64_t code)
{
    for (int i = combo->count() - 1; i >= 0; --i)
        if (ExtractItemCode(combo->itemText(i).toStdString()) == code)
            combo->removeItem(i);
}

// The window of its table's function code.
const rsimform::FormRegistration<TfrmRemoteSimInfo>
    registration(rsimcatalog::TableOf<SRemoteSimInfo>().functionCode);

} // namespace

template <class T>
T* TfrmRemoteSimInfo::Make(QWidget* parent, const char* name)
{
    auto* control = new T(parent);
    control->setObjectName(name);
    return control;
}

const std::vector<TfrmRemoteSimInfo::Criterion>& TfrmRemoteSimInfo::Criteria()
{
    using F = TfrmRemoteSimInfo;
    using Q = SRemoteSimQryIn;
    auto edit = [](QLineEdit* F::*member, const char* name, int maxLength, const char* missing,
                   int read) { return Editor{member, nullptr, name, maxLength, missing, read}; };
    auto combo = [](QComboBox* F::*member, const char* name, const char* missing, int read,
                    Lookup lookup = NoLookup) {
        return Editor{nullptr, member, name, 0, missing, read, lookup};
    };
    static const std::vector<Criterion> criteria = {
        {&F::ckbQryImsi,
         "ckbQryImsi",
         "开始IMSI号：",
         {edit(&F::edtQryImsiFirst, "edtQryImsiFirst", 15, "请输入查询条件[开始IMSI号]!",
               Q::idx_START_IMSI),
          edit(&F::edtQryImsiLast, "edtQryImsiLast", 15, "请输入查询条件[结束IMSI号]!",
               Q::idx_END_IMSI)},
         "结束IMSI号："},
        {&F::ckbQrySim,
         "ckbQrySim",
         "开始 SIM号：",
         {edit(&F::edtQrySimFirst, "edtQrySimFirst", 20, "请输入查询条件[开始SIM号]!",
               Q::idx_START_SIM_ID),
          edit(&F::edtQrySimLast, "edtQrySimLast", 20, "请输入查询条件[结束SIM号]!",
               Q::idx_END_SIM_ID)},
         "结束 SIM号："},
        {&F::ckbQryResCode,
         "ckbQryResCode",
         "卡  类  型：",
         {combo(&F::cmbQryResCode, "cmbQryResCode", "请选择查询条件[卡类型]!", Q::idx_RES_CODE)}},
        {&F::ckbQrySts,
         "ckbQrySts",
         "状　态：",
         {combo(&F::cmbQrySts, "cmbQrySts", "请选择查询条件[状态]!", Q::idx_STS, Status)}},
        {&F::ckbQryResSts,
         "ckbQryResSts",
         "资源状态：",
         {combo(&F::cmbQryResSts, "cmbQryResSts", "请选择查询条件[资源状态]!", Q::idx_RES_STS,
                ResStatus)}},
        {&F::ckbQryRegionCode,
         "ckbQryRegionCode",
         "分  公  司：",
         {combo(&F::cmbQryRegionCode, "cmbQryRegionCode", "请选择查询条件[分公司]!",
                Q::idx_REGION_CODE, Region)}},
        {&F::ckbQryCountyCode,
         "ckbQryCountyCode",
         "县公司：",
         {combo(&F::cmbQryCountyCode, "cmbQryCountyCode", "请选择查询条件[县公司]!",
                Q::idx_COUNTY_CODE, County)}},
        {&F::ckbQryOrgId,
         "ckbQryOrgId",
         "营 业 厅：",
         {combo(&F::cmbQryOrgId, "cmbQryOrgId", "请选择查询条件[营业厅]!", Q::idx_ORG_ID, Org)}},
        {&F::ckbQryMaxNum,
         "ckbQryMaxNum",
         "查 询 记 录：",
         {edit(&F::edtQryMaxNum, "edtQryMaxNum", 5, "请选择查询条件[查询记录]!", Q::idx_MAX_NUM)}},
    };
    return criteria;
}

const std::vector<TfrmRemoteSimInfo::EditField>& TfrmRemoteSimInfo::EditFields()
{
    using F = TfrmRemoteSimInfo;
    using R = SRemoteSimInfo;
    constexpr int kNoColumn = -1;
    auto edit = [](const char* label, QLineEdit* F::*member, const char* name, int maxLength,
                   const char* missing, int read, Source source, int column, int flags = 0) {
        return EditField{
            label, {member, nullptr, name, maxLength, missing, read}, source, column, flags};
    };
    // Every combo box holds a field that an import's cards share.
    auto combo = [](const char* label, QComboBox* F::*member, const char* name, const char* missing,
                    int read, int column, Lookup lookup, int flags = 0) {
        return EditField{label,
                         {nullptr, member, name, 0, missing, read, lookup},
                         Source::Shared,
                         column,
                         flags};
    };
    static const std::vector<EditField> fields = {
        edit("IMSI号：", &F::edImsi, "edImsi", 15, "请输入[IMSI号]!", R::idx_IMSI, Source::Key,
             ColImsi),
        edit("SIM号：", &F::edSimId, "edSimId", 20, "请输入[SIM号]!", R::idx_SIM_ID, Source::Key,
             ColSimId),
        combo("分公司：", &F::cmbRegionCode, "cmbRegionCode", "请选择[分公司]!", R::idx_REGION_CODE,
              ColRegion, Region, Fixed),
        combo("县公司：", &F::cmbCountyCode, "cmbCountyCode", "请选择[县公司]!", R::idx_COUNTY_CODE,
              ColCounty, County, Fixed),
        combo("营业厅：", &F::cmbOrgId, "cmbOrgId", "请选择[营业厅]!", R::idx_ORG_ID, ColOrg, Org,
              Fixed),
        combo("卡类型：", &F::cmbResCode, "cmbResCode", "请选择[卡类型]!", R::idx_RES_CODE,
              ColResCode, NoLookup),
        combo("状态：", &F::cmbSts, "cmbSts", "请选择[状态]!", R::idx_STS, ColSts, Status),
        combo("用途：", &F::cmbPurpose, "cmbPurpose", "请选择[用途]!", R::idx_PURPOSE, ColPurpose,
              Purpose),
        edit("短信中心号：", &F::edSmsp, "edSmsp", 30, "请输到系统参数表配置短信中心号码!",
             R::idx_SMSP, Source::Shared, ColSmsp, Fixed),
        combo("SIM卡商：", &F::cmbVendor, "cmbVendor", "请选择[SIM卡商]!", R::idx_VENDOR_CODE,
              ColVendor, NoLookup, KeptOnClick),
        edit("PIN1码：", &F::edPIN1, "edPIN1", 8, "请输入[PIN1码]!", R::idx_PIN1, Source::Own,
             ColPin1, Digits),
        edit("PIN2码：", &F::edPIN2, "edPIN2", 8, "请输入[PIN2码]!", R::idx_PIN2, Source::Own,
             ColPin2, Digits),
        edit("PUK1码：", &F::edPUK1, "edPUK1", 8, "请输入[PUK1码]!", R::idx_PUK1, Source::Own,
             ColPuk1, Digits),
        edit("PUK2码：", &F::edPUK2, "edPUK2", 8, "请选择[PUK2码]!", R::idx_PUK2, Source::Own,
             ColPuk2, Digits),
        edit("KI值：", &F::edKI, "edKI", 64, "请选择[KI值]!", R::idx_KI_CODE, Source::Own, ColKi,
             KeptOnClick),
        edit("KI密钥：", &F::edKiKey, "edKiKey", 32, nullptr, R::idx_KI_KEY, Source::Commit,
             kNoColumn),
        edit("备注：", &F::edRemark, "edRemark", 64, nullptr, R::idx_REMARK, Source::Shared,
             ColRemark, TrimmedCell),
    };
    return fields;
}

QWidget* TfrmRemoteSimInfo::Create(QWidget* parent, const Editor& editor)
{
    if (editor.combo != nullptr)
        return this->*editor.combo = Make<QComboBox>(parent, editor.name);
    QLineEdit* edit = this->*editor.edit = Make<QLineEdit>(parent, editor.name);
    edit->setMaxLength(editor.maxLength);
    return edit;
}

QWidget* TfrmRemoteSimInfo::Control(const Editor& editor) const
{
    if (editor.combo != nullptr)
        return this->*editor.combo;
    return this->*editor.edit;
}

QString TfrmRemoteSimInfo::Text(const Editor& editor) const
{
    return editor.combo != nullptr ? (this->*editor.combo)->currentText()
                                   : (this->*editor.edit)->text();
}

void TfrmRemoteSimInfo::Read(const Editor& editor, CTvdBasicStructObject& record, bool trim) const
{
    Store(editor, trim ? Text(editor).trimmed() : Text(editor), record);
}

void TfrmRemoteSimInfo::Store(const Editor& editor, const QString& text,
                              CTvdBasicStructObject& record) const
{
    if (editor.lookup != NoLookup)
        rsimform::setMemberInteger(record, editor.member, CodeOf(editor.lookup, text));
    else if (editor.combo != nullptr)
        rsimform::setMemberText(
            record, editor.member,
            QString::fromStdString(CResRemoteSim::ExtractCode(text.toStdString())));
    else
        rsimform::setMemberText(record, editor.member, text);
}

bool TfrmRemoteSimInfo::NoneEmpty(const std::vector<const Editor*>& editors)
{
    for (const Editor* editor : editors) {
        QWidget* control = Control(*editor);
        if (editor->missing != nullptr && Text(*editor).isEmpty()) {
            ShowGUIMessage("%s", "提示", 0, editor->missing);
            if (control->isEnabled())
                control->setFocus();
            return false;
        }
    }
    return true;
}

TfrmRemoteSimInfo::TfrmRemoteSimInfo(QWidget* owner)
    : TfrmRemoteSimBase(owner, rsimcatalog::TableOf<MResRemoteMgntDef::SRemoteSimInfo>().rights)
{
    setCaption("远程写卡_SIM卡信息维护");
    BuildLayout();
    queryPlaces_ =
        std::make_unique<rsimform::PlaceCascade>(cmbQryRegionCode, cmbQryCountyCode, cmbQryOrgId);
    editPlaces_ = std::make_unique<rsimform::PlaceCascade>(cmbRegionCode, cmbCountyCode, cmbOrgId);
    ConnectHandlers();
}

void TfrmRemoteSimInfo::BuildLayout()
{
    resize(1000, 700);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(BuildCriteria());
    lstShowDataList = rsimform::AddListArea(layout, this, "lstShowDataList",
                                            {{"IMSI号", 150},
                                             {"SIM卡号", 150},
                                             {"PIN1码"},
                                             {"PIN2码"},
                                             {"PUK1码"},
                                             {"PUK2码"},
                                             {"未知字段"},
                                             {"KI"},
                                             {"资源型号"},
                                             {"状态"},
                                             {"用途"},
                                             {"短信中心号"},
                                             {"SIM卡商"},
                                             {"分公司"},
                                             {"县公司"},
                                             {"营业厅"},
                                             {"备注"}});
    lstShowDataList->setCheckBoxes(true);
    layout->addWidget(BuildEditArea());
    layout->addWidget(BuildButtons());
}

QWidget* TfrmRemoteSimInfo::BuildCriteria()
{
    auto* group = MakeGroupBox(this, "查询条件");
    auto* grid = new QGridLayout(group);
    int row = 0;
    int cell = 0;
    for (const Criterion& criterion : Criteria()) {
        QCheckBox* box = this->*criterion.box = Make<QCheckBox>(group, criterion.name);
        box->setText(criterion.caption);
        box->setChecked(true);
        QWidget* first = Create(group, criterion.editors.front());
        if (criterion.lastCaption != nullptr) { // a range: a row of its own
            grid->addWidget(box, row, 0);
            grid->addWidget(first, row, 1);
            grid->addWidget(new QLabel(criterion.lastCaption, group), row, 2);
            grid->addWidget(Create(group, criterion.editors.back()), row++, 3);
            continue;
        }
        grid->addWidget(box, row + cell / 3, (cell % 3) * 2);
        grid->addWidget(first, row + cell / 3, (cell % 3) * 2 + 1);
        ++cell;
    }
    edtQryMaxNum->setText("50");
    btnQuery = rsimform::NewButton(group, "btnQuery", "查询", [this] { btnQueryClick(); });
    grid->addWidget(btnQuery, 0, 6);
    return group;
}

QWidget* TfrmRemoteSimInfo::BuildEditArea()
{
    auto* group = MakeGroupBox(this, "基本资料");
    auto* grid = new QGridLayout(group);
    int cell = 0;
    for (const EditField& field : EditFields()) {
        grid->addWidget(new QLabel(field.label, group), cell / 4, (cell % 4) * 2);
        QWidget* control = Create(group, field.editor);
        control->setEnabled((field.flags & Fixed) == 0);
        grid->addWidget(control, cell / 4, (cell % 4) * 2 + 1);
        ++cell;
    }
    chkImport = Make<QCheckBox>(group, "chkImport");
    chkImport->setText("导入格式：IMSI号+SIM号+PIN1+PIN2+PUK1+PUK2+KI");
    grid->addWidget(chkImport, cell / 4 + 1, 0, 1, 6);
    btnClearBase =
        rsimform::NewButton(group, "btnClearBase", "清空", [this] { btnClearBaseClick(); });
    grid->addWidget(btnClearBase, cell / 4 + 1, 7);
    return group;
}

QWidget* TfrmRemoteSimInfo::BuildButtons()
{
    auto* bar = MakeGroupBox(this, QString());
    auto button = [this, bar](const char* name, const char* caption,
                              void (TfrmRemoteSimInfo::*handler)()) {
        return rsimform::NewButton(bar, name, caption, [this, handler] { (this->*handler)(); });
    };
    btnImport = button("btnImport", "导入", &TfrmRemoteSimInfo::btnImportClick);
    btnClear = button("btnClear", "清空", &TfrmRemoteSimInfo::btnClearClick);
    btnAdd = button("btnAdd", "增加", &TfrmRemoteSimInfo::btnAddClick);
    btnCancel = button("btnCancel", "取消", &TfrmRemoteSimInfo::btnCancelClick);
    btnModify = button("btnModify", "修改", &TfrmRemoteSimInfo::btnModifyClick);
    btnDelete = button("btnDelete", "删除", &TfrmRemoteSimInfo::btnDeleteClick);
    btnCommit = button("btnCommit", "提交", &TfrmRemoteSimInfo::btnCommitClick);
    btnClose = button("btnClose", "关闭", &TfrmRemoteSimInfo::btnCloseClick);
    rsimform::ButtonRow(
        bar, {btnImport, btnClear, btnAdd, btnCancel, btnModify, btnDelete, btnCommit, btnClose});
    return bar;
}

void TfrmRemoteSimInfo::ConnectHandlers()
{
    for (const Criterion& criterion : Criteria()) {
        QCheckBox* box = this->*criterion.box;
        QObject::connect(box, &QCheckBox::toggled, this,
                         [this, box](bool on) { CriterionBoxToggled(box, on); });
    }
    QObject::connect(chkImport, &QCheckBox::toggled, this, [this] { chkImportClick(); });
    QObject::connect(lstShowDataList, &TListViewEx::rowClicked, this,
                     [this] { lstShowDataListClick(); });
    rsimform::OnExitToControlOf(this, edtQryImsiFirst, [this] { edtQryImsiFirstExit(); });
    rsimform::OnExitToControlOf(this, edtQrySimFirst, [this] { edtQrySimFirstExit(); });
}

void TfrmRemoteSimInfo::Prepare()
{
    LoadLookups();
    if (!LoadCardTypesAndVendors())
        return;
    btnClearClick();
    for (const EditField& field : EditFields()) {
        if ((field.flags & Digits) != 0) {
            TfrmMDIChild::OnEditKeyPress(this->*field.editor.edit);
            TfrmMDIChild::OnEditPaste(this->*field.editor.edit);
        }
    }
}

// The SMS centre of the edit area, from the system parameters.
bool TfrmRemoteSimInfo::FinishInit()
{
    sysParams_.Init(0, 0, 0, 0, 0);
    std::string smsp;
    if (sysParams_.GetSysParaMaxValue(0, 0, "SmspCode", smsp) != 1) {
        ShowGUIMessage("获取短信中心号码出错.", "提示", MB_ICONHAND);
        return false;
    }
    smspCode_ = QString::fromStdString(smsp);
    edSmsp->setText(smspCode_);
    return true;
}

void TfrmRemoteSimInfo::LoadLookups()
{
    for (Lookup lookup : {Region, County, Org, Status, Purpose, ResStatus})
        CodeList(lookup);
    queryPlaces_->Fill(CodeList(Region), sysMgnt_, operator_);
    editPlaces_->Fill(CodeList(Region), sysMgnt_, operator_);
    CodeList(Status).FillComboBox(cmbQrySts);
    cmbQrySts->addItem("[0] 全部");
    CodeList(Status).FillComboBox(cmbSts);
    for (QComboBox* status : {cmbQrySts, cmbSts})
        removeItemsWithCode(status, kHiddenStatus);
    CodeList(Purpose).FillComboBox(cmbPurpose);
    CodeList(ResStatus).FillComboBox(cmbQryResSts);
}

// Card types fill both card-type combos; when the vendors cannot be read the rest of the
// preparation is skipped and the window opens without them.
bool TfrmRemoteSimInfo::LoadCardTypesAndVendors()
{
    const rsimform::Kind cardTypes = rsimform::ServiceCombo(rsimform::CardTypes());
    cardTypes->Fill(cmbResCode, *this);
    cardTypes->Fill(cmbQryResCode, *this);
    if (!LoadServiceItems(rsimform::Vendors()))
        return false;
    rsimform::ServiceCombo(rsimform::Vendors())->Fill(cmbVendor, *this);
    return true;
}

// Every code list is loaded by LoadLookups during initialisation, so reading one later changes
// nothing of the window.
const CBasicLookup& TfrmRemoteSimInfo::LoadedList(Lookup lookup) const
{
    return const_cast<TfrmRemoteSimInfo*>(this)->CodeList(lookup);
}

std::int64_t TfrmRemoteSimInfo::CodeOf(Lookup lookup, const QString& text) const
{
    // Every item here reads "[code] name", so the bracketed code is the item's code; "忽略" (-1)
    // and "全部" (0), which no code list holds, read right too.
    if (text.startsWith('['))
        return ExtractItemCode(text.toStdString());
    return LoadedList(lookup).CodeOfItem(text.toStdString());
}

void TfrmRemoteSimInfo::CriterionBoxToggled(QCheckBox* box, bool checked)
{
    for (const Criterion& criterion : Criteria())
        if (this->*criterion.box == box)
            for (const Editor& editor : criterion.editors)
                checked ? MakeDefault(Control(editor)) : MakeReadOnly(Control(editor));
    // The place boxes form a chain: region ⊇ county ⊇ business hall.
    if (!checked && box == ckbQryRegionCode) {
        ckbQryCountyCode->setChecked(false);
        ckbQryOrgId->setChecked(false);
    } else if (!checked && box == ckbQryCountyCode) {
        ckbQryOrgId->setChecked(false);
    } else if (checked && box == ckbQryCountyCode) {
        ckbQryRegionCode->setChecked(true);
    } else if (checked && box == ckbQryOrgId) {
        ckbQryRegionCode->setChecked(true);
        ckbQryCountyCode->setChecked(true);
    }
}

void TfrmRemoteSimInfo::cmbQryRegionCodeChange()
{
    queryPlaces_->RegionChanged();
}
void TfrmRemoteSimInfo::cmbQryCountyCodeChange()
{
    queryPlaces_->CountyChanged();
}
void TfrmRemoteSimInfo::cmbRegionCodeChange()
{
    editPlaces_->RegionChanged();
}
void TfrmRemoteSimInfo::cmbCountyCodeChange()
{
    editPlaces_->CountyChanged();
}

void TfrmRemoteSimInfo::edtQryImsiFirstExit()
{
    edtQryImsiLast->setText(edtQryImsiFirst->text());
}
void TfrmRemoteSimInfo::edtQrySimFirstExit()
{
    edtQrySimLast->setText(edtQrySimFirst->text());
}

bool TfrmRemoteSimInfo::CheckCriteria()
{
    std::vector<const Editor*> ticked;
    for (const Criterion& criterion : Criteria())
        if ((this->*criterion.box)->isChecked())
            for (const Editor& editor : criterion.editors)
                ticked.push_back(&editor);
    if (!NoneEmpty(ticked))
        return false;
    bool number = false;
    if (ckbQryMaxNum->isChecked() && (edtQryMaxNum->text().trimmed().toInt(&number), !number)) {
        ShowGUIMessage("查询记录必须是数字：%s", "提示", 0,
                       edtQryMaxNum->text().toUtf8().constData());
        edtQryMaxNum->setFocus();
        return false;
    }
    return true;
}

SRemoteSimQryIn TfrmRemoteSimInfo::ReadCriteria() const
{
    SRemoteSimQryIn criteria;
    for (const Criterion& criterion : Criteria())
        if ((this->*criterion.box)->isChecked())
            for (const Editor& editor : criterion.editors)
                Read(editor, criteria, true);
    return criteria;
}

void TfrmRemoteSimInfo::btnQueryClick()
{
    if (!CheckCriteria())
        return;
    const SRemoteSimQryIn criteria = ReadCriteria();
    lstShowDataList->clear();
    result_.clear();
    ShowWaitBox("正在查询信息中，请稍候...");
    if (!CallService("异常：调用查询接口失败\n[%s]\n[%s]!", [&](CBSErrorMsg& error) {
            return remoteSim_.qry_simInfo(criteria, result_, error);
        }))
        return;
    if (result_.empty()) {
        ShowGUIMessage("没有查询到数据!", "提示", MB_ICONHAND);
        return;
    }
    FillList(result_);
    for (QPushButton* button : {btnAdd, btnModify, btnDelete, btnCommit})
        MakeReadOnly(button);
}
