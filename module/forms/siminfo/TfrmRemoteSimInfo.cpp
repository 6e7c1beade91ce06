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

// The controls the window's handlers name, found by their objectNames once they are built.
void TfrmRemoteSimInfo::FindControls()
{
    auto find = [this](auto*& control, const char* name) {
        control = findChild<std::remove_reference_t<decltype(*control)>*>(name);
    };
    find(ckbQryRegionCode, "ckbQryRegionCode");
    find(ckbQryCountyCode, "ckbQryCountyCode");
    find(ckbQryOrgId, "ckbQryOrgId");
    find(ckbQryMaxNum, "ckbQryMaxNum");
    find(edtQryImsiFirst, "edtQryImsiFirst");
    find(edtQryImsiLast, "edtQryImsiLast");
    find(edtQrySimFirst, "edtQrySimFirst");
    find(edtQrySimLast, "edtQrySimLast");
    find(edtQryMaxNum, "edtQryMaxNum");
    find(cmbQryResCode, "cmbQryResCode");
    find(cmbQrySts, "cmbQrySts");
    find(cmbQryResSts, "cmbQryResSts");
    find(cmbQryRegionCode, "cmbQryRegionCode");
    find(cmbQryCountyCode, "cmbQryCountyCode");
    find(cmbQryOrgId, "cmbQryOrgId");
    find(edSmsp, "edSmsp");
    find(edKiKey, "edKiKey");
    find(cmbRegionCode, "cmbRegionCode");
    find(cmbCountyCode, "cmbCountyCode");
    find(cmbOrgId, "cmbOrgId");
    find(cmbResCode, "cmbResCode");
    find(cmbSts, "cmbSts");
    find(cmbPurpose, "cmbPurpose");
    find(cmbVendor, "cmbVendor");
}

const std::vector<rsimform::CriterionDeclaration>& TfrmRemoteSimInfo::Criteria()
{
    using Q = SRemoteSimQryIn;
    using rsimform::CodeListCombo;
    using rsimform::TextEdit;
    static const std::vector<rsimform::CriterionDeclaration> criteria = {
        {"ckbQryImsi",
         "开始IMSI号：",
         {{"edtQryImsiFirst", TextEdit(15), Q::idx_START_IMSI, "请输入查询条件[开始IMSI号]!"},
          {"edtQryImsiLast", TextEdit(15), Q::idx_END_IMSI, "请输入查询条件[结束IMSI号]!",
           "结束IMSI号："}}},
        {"ckbQrySim",
         "开始 SIM号：",
         {{"edtQrySimFirst", TextEdit(20), Q::idx_START_SIM_ID, "请输入查询条件[开始SIM号]!"},
          {"edtQrySimLast", TextEdit(20), Q::idx_END_SIM_ID, "请输入查询条件[结束SIM号]!",
           "结束 SIM号："}}},
        {"ckbQryResCode",
         "卡  类  型：",
         {{"cmbQryResCode", rsimform::ServiceCombo(rsimform::CardTypes()), Q::idx_RES_CODE,
           "请选择查询条件[卡类型]!"}}},
        {"ckbQrySts",
         "状　态：",
         {{"cmbQrySts", CodeListCombo(Status), Q::idx_STS, "请选择查询条件[状态]!"}}},
        {"ckbQryResSts",
         "资源状态：",
         {{"cmbQryResSts", CodeListCombo(ResStatus), Q::idx_RES_STS, "请选择查询条件[资源状态]!"}}},
        {"ckbQryRegionCode",
         "分  公  司：",
         {{"cmbQryRegionCode", CodeListCombo(Region), Q::idx_REGION_CODE,
           "请选择查询条件[分公司]!"}}},
        {"ckbQryCountyCode",
         "县公司：",
         {{"cmbQryCountyCode", CodeListCombo(County), Q::idx_COUNTY_CODE,
           "请选择查询条件[县公司]!"}}},
        {"ckbQryOrgId",
         "营 业 厅：",
         {{"cmbQryOrgId", CodeListCombo(Org), Q::idx_ORG_ID, "请选择查询条件[营业厅]!"}}},
        {"ckbQryMaxNum",
         "查 询 记 录：",
         {{"edtQryMaxNum", TextEdit(5), Q::idx_MAX_NUM, "请选择查询条件[查询记录]!"}}},
    };
    return criteria;
}

// The combo boxes are filled by the window: the places by their cascades, the others from their
// code lists or service lists.
const std::vector<TfrmRemoteSimInfo::EditField>& TfrmRemoteSimInfo::EditFields()
{
    using R = SRemoteSimInfo;
    using rsimform::CodeListCombo;
    using rsimform::TextEdit;
    constexpr int kNoColumn = -1;
    static const std::vector<EditField> fields = {
        {{"IMSI号：", "edImsi", TextEdit(15), R::idx_IMSI, "请输入[IMSI号]!"},
         Source::Key,
         ColImsi,
         0},
        {{"SIM号：", "edSimId", TextEdit(20), R::idx_SIM_ID, "请输入[SIM号]!"},
         Source::Key,
         ColSimId,
         0},
        {{"分公司：", "cmbRegionCode", CodeListCombo(Region), R::idx_REGION_CODE,
          "请选择[分公司]!"},
         Source::Shared,
         ColRegion,
         Fixed},
        {{"县公司：", "cmbCountyCode", CodeListCombo(County), R::idx_COUNTY_CODE,
          "请选择[县公司]!"},
         Source::Shared,
         ColCounty,
         Fixed},
        {{"营业厅：", "cmbOrgId", CodeListCombo(Org), R::idx_ORG_ID, "请选择[营业厅]!"},
         Source::Shared,
         ColOrg,
         Fixed},
        {{"卡类型：", "cmbResCode", rsimform::ServiceCombo(rsimform::CardTypes()), R::idx_RES_CODE,
          "请选择[卡类型]!"},
         Source::Shared,
         ColResCode,
         0},
        {{"状态：", "cmbSts", CodeListCombo(Status), R::idx_STS, "请选择[状态]!"},
         Source::Shared,
         ColSts,
         0},
        {{"用途：", "cmbPurpose", CodeListCombo(Purpose), R::idx_PURPOSE, "请选择[用途]!"},
         Source::Shared,
         ColPurpose,
         0},
        {{"短信中心号：", "edSmsp", TextEdit(30), R::idx_SMSP, "请输到系统参数表配置短信中心号码!"},
         Source::Shared,
         ColSmsp,
         Fixed},
        {{"SIM卡商：", "cmbVendor", rsimform::ServiceCombo(rsimform::Vendors()), R::idx_VENDOR_CODE,
          "请选择[SIM卡商]!"},
         Source::Shared,
         ColVendor,
         KeptOnClick},
        {{"PIN1码：", "edPIN1", TextEdit(8), R::idx_PIN1, "请输入[PIN1码]!"},
         Source::Own,
         ColPin1,
         Digits},
        {{"PIN2码：", "edPIN2", TextEdit(8), R::idx_PIN2, "请输入[PIN2码]!"},
         Source::Own,
         ColPin2,
         Digits},
        {{"PUK1码：", "edPUK1", TextEdit(8), R::idx_PUK1, "请输入[PUK1码]!"},
         Source::Own,
         ColPuk1,
         Digits},
        {{"PUK2码：", "edPUK2", TextEdit(8), R::idx_PUK2, "请选择[PUK2码]!"},
         Source::Own,
         ColPuk2,
         Digits},
        {{"KI值：", "edKI", TextEdit(64), R::idx_KI_CODE, "请选择[KI值]!"},
         Source::Own,
         ColKi,
         KeptOnClick},
        {{"KI密钥：", "edKiKey", TextEdit(32), R::idx_KI_KEY}, Source::Commit, kNoColumn, 0},
        {{"备注：", "edRemark", TextEdit(64), R::idx_REMARK},
         Source::Shared,
         ColRemark,
         TrimmedCell},
    };
    return fields;
}

bool TfrmRemoteSimInfo::NoneEmpty(const std::vector<rsimform::EditorDeclaration>& editors)
{
    for (const rsimform::EditorDeclaration& editor : editors) {
        QWidget* control = Control(editor.name);
        if (!editor.message.isEmpty() && Text(editor).isEmpty()) {
            ShowGUIMessage("%s", "提示", 0, editor.message.toUtf8().constData());
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
    setCaption(rsimform::CaptionOf<SRemoteSimInfo>());
    BuildLayout();
    FindControls();
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
    const std::vector<rsimform::ColumnDeclaration> columns = {
        {"IMSI号", 150}, {"SIM卡号", 150}, {"PIN1码"},   {"PIN2码"}, {"PUK1码"}, {"PUK2码"},
        {"未知字段"},    {"KI"},           {"资源型号"}, {"状态"},   {"用途"},   {"短信中心号"},
        {"SIM卡商"},     {"分公司"},       {"县公司"},   {"营业厅"}, {"备注"}};
    QStringList captions;
    for (const rsimform::ColumnDeclaration& column : columns)
        captions.append(column.caption);
    rows_ = new SimCardRows(
        captions,
        [this](const SRemoteSimInfo& card, int column) { return ResultCell(card, column); }, this);
    lstShowDataList = rsimform::AddListArea(layout, this, "lstShowDataList", columns, rows_);
    layout->addWidget(BuildEditArea());
    layout->addWidget(BuildButtons());
}

QWidget* TfrmRemoteSimInfo::BuildCriteria()
{
    auto* group = MakeGroupBox(this, "查询条件");
    auto* grid = new QGridLayout(group);
    int row = 0;
    int cell = 0;
    for (const rsimform::CriterionDeclaration& criterion : Criteria()) {
        auto* box = new QCheckBox(criterion.caption, group);
        box->setObjectName(criterion.box);
        box->setChecked(true);
        const rsimform::EditorDeclaration& firstEditor = criterion.editors.front();
        QWidget* first = firstEditor.kind->Create(group, firstEditor.name);
        if (criterion.editors.size() > 1) { // a range: a row of its own
            const rsimform::EditorDeclaration& last = criterion.editors.back();
            grid->addWidget(box, row, 0);
            grid->addWidget(first, row, 1);
            grid->addWidget(new QLabel(last.label, group), row, 2);
            grid->addWidget(last.kind->Create(group, last.name), row++, 3);
            continue;
        }
        grid->addWidget(box, row + cell / 3, (cell % 3) * 2);
        grid->addWidget(first, row + cell / 3, (cell % 3) * 2 + 1);
        ++cell;
    }
    findChild<QLineEdit*>("edtQryMaxNum")->setText("50");
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
        grid->addWidget(new QLabel(field.declared.label, group), cell / 4, (cell % 4) * 2);
        QWidget* control = field.declared.kind->Create(group, field.declared.name);
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
    for (const rsimform::CriterionDeclaration& criterion : Criteria()) {
        auto* box = findChild<QCheckBox*>(criterion.box);
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
            auto* edit = findChild<QLineEdit*>(field.declared.name);
            TfrmMDIChild::OnEditKeyPress(edit);
            TfrmMDIChild::OnEditPaste(edit);
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

void TfrmRemoteSimInfo::CriterionBoxToggled(QCheckBox* box, bool checked)
{
    for (const rsimform::CriterionDeclaration& criterion : Criteria())
        if (criterion.box == box->objectName())
            for (const rsimform::EditorDeclaration& editor : criterion.editors)
                checked ? MakeDefault(Control(editor.name)) : MakeReadOnly(Control(editor.name));
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
    std::vector<rsimform::EditorDeclaration> ticked;
    for (const rsimform::CriterionDeclaration& criterion : Criteria())
        if (findChild<QCheckBox*>(criterion.box)->isChecked())
            ticked.insert(ticked.end(), criterion.editors.begin(), criterion.editors.end());
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
    for (const rsimform::CriterionDeclaration& criterion : Criteria())
        if (findChild<QCheckBox*>(criterion.box)->isChecked())
            for (const rsimform::EditorDeclaration& editor : criterion.editors)
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
    ShowResult();
    for (QPushButton* button : {btnAdd, btnModify, btnDelete, btnCommit})
        MakeReadOnly(button);
}
