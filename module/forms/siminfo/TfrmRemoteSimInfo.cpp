// Layout, initialisation, lookups, cascades and the query of the SIM card inventory.
#include "TfrmRemoteSimInfo.h"

#include "PublicBusi.h"
#include "control_kinds.h"
#include "focus_exit.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

using namespace MResRemoteMgntDef;

namespace {

constexpr int kHiddenStatus = 13;

void removeItemsWithCode(QComboBox* combo, std::int64_t code)
{
    for (int i = combo->count() - 1; i >= 0; --i)
        if (ExtractItemCode(combo->itemText(i).toStdString()) == code)
            combo->removeItem(i);
}

} // namespace

template <class T>
T* TfrmRemoteSimInfo::Make(QWidget* parent, const char* name)
{
    auto* control = new T(parent);
    control->setObjectName(name);
    controls_[name] = control;
    return control;
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
    auto* listGroup = MakeGroupBox(this, "数据列表");
    auto* listLayout = new QVBoxLayout(listGroup);
    lstShowDataList = Make<TListViewEx>(listGroup, "lstShowDataList");
    lstShowDataList->setCheckBoxes(true);
    lstShowDataList->setColumns({{"IMSI号", 150},
                                 {"SIM卡号", 150},
                                 {"PIN1码", 100},
                                 {"PIN2码", 100},
                                 {"PUK1码", 100},
                                 {"PUK2码", 100},
                                 {"未知字段", 100},
                                 {"KI", 100},
                                 {"资源型号", 100},
                                 {"状态", 100},
                                 {"用途", 100},
                                 {"短信中心号", 100},
                                 {"SIM卡商", 100},
                                 {"分公司", 100},
                                 {"县公司", 100},
                                 {"营业厅", 100},
                                 {"备注", 100}});
    listLayout->addWidget(lstShowDataList);
    layout->addWidget(listGroup, 1);
    layout->addWidget(BuildEditArea());
    layout->addWidget(BuildButtons());
}

QWidget* TfrmRemoteSimInfo::BuildCriteria()
{
    auto* group = MakeGroupBox(this, "查询条件");
    auto* grid = new QGridLayout(group);
    auto box = [&](const char* name, const char* caption) {
        QCheckBox* b = Make<QCheckBox>(group, name);
        b->setText(caption);
        b->setChecked(true);
        return b;
    };
    auto edit = [&](const char* name, int maxLength) {
        QLineEdit* e = Make<QLineEdit>(group, name);
        e->setMaxLength(maxLength);
        return e;
    };
    ckbQryImsi = box("ckbQryImsi", "开始IMSI号：");
    edtQryImsiFirst = edit("edtQryImsiFirst", 15);
    edtQryImsiLast = edit("edtQryImsiLast", 15);
    ckbQrySim = box("ckbQrySim", "开始 SIM号：");
    edtQrySimFirst = edit("edtQrySimFirst", 20);
    edtQrySimLast = edit("edtQrySimLast", 20);
    ckbQryResCode = box("ckbQryResCode", "卡  类  型：");
    cmbQryResCode = Make<QComboBox>(group, "cmbQryResCode");
    ckbQrySts = box("ckbQrySts", "状　态：");
    cmbQrySts = Make<QComboBox>(group, "cmbQrySts");
    ckbQryResSts = box("ckbQryResSts", "资源状态：");
    cmbQryResSts = Make<QComboBox>(group, "cmbQryResSts");
    ckbQryRegionCode = box("ckbQryRegionCode", "分  公  司：");
    cmbQryRegionCode = Make<QComboBox>(group, "cmbQryRegionCode");
    ckbQryCountyCode = box("ckbQryCountyCode", "县公司：");
    cmbQryCountyCode = Make<QComboBox>(group, "cmbQryCountyCode");
    ckbQryOrgId = box("ckbQryOrgId", "营 业 厅：");
    cmbQryOrgId = Make<QComboBox>(group, "cmbQryOrgId");
    ckbQryMaxNum = box("ckbQryMaxNum", "查 询 记 录：");
    edtQryMaxNum = edit("edtQryMaxNum", 5);
    edtQryMaxNum->setText("50");
    btnQuery = Make<QPushButton>(group, "btnQuery");
    btnQuery->setText("查询");

    grid->addWidget(ckbQryImsi, 0, 0);
    grid->addWidget(edtQryImsiFirst, 0, 1);
    grid->addWidget(new QLabel("结束IMSI号：", group), 0, 2);
    grid->addWidget(edtQryImsiLast, 0, 3);
    grid->addWidget(ckbQrySim, 1, 0);
    grid->addWidget(edtQrySimFirst, 1, 1);
    grid->addWidget(new QLabel("结束 SIM号：", group), 1, 2);
    grid->addWidget(edtQrySimLast, 1, 3);
    const std::pair<QCheckBox*, QWidget*> rest[] = {
        {ckbQryResCode, cmbQryResCode},       {ckbQrySts, cmbQrySts},
        {ckbQryResSts, cmbQryResSts},         {ckbQryRegionCode, cmbQryRegionCode},
        {ckbQryCountyCode, cmbQryCountyCode}, {ckbQryOrgId, cmbQryOrgId},
        {ckbQryMaxNum, edtQryMaxNum}};
    int cell = 0;
    for (const auto& [b, control] : rest) {
        grid->addWidget(b, 2 + cell / 3, (cell % 3) * 2);
        grid->addWidget(control, 2 + cell / 3, (cell % 3) * 2 + 1);
        ++cell;
    }
    grid->addWidget(btnQuery, 0, 6);
    return group;
}

QWidget* TfrmRemoteSimInfo::BuildEditArea()
{
    auto* group = MakeGroupBox(this, "基本资料");
    auto* grid = new QGridLayout(group);
    struct Field {
        const char* label;
        QWidget* control;
    };
    auto edit = [&](QLineEdit*& target, const char* name, int maxLength) {
        target = Make<QLineEdit>(group, name);
        target->setMaxLength(maxLength);
        return target;
    };
    auto combo = [&](QComboBox*& target, const char* name) {
        return target = Make<QComboBox>(group, name);
    };
    const Field fields[] = {
        {"IMSI号：", edit(edImsi, "edImsi", 15)},
        {"SIM号：", edit(edSimId, "edSimId", 20)},
        {"分公司：", combo(cmbRegionCode, "cmbRegionCode")},
        {"县公司：", combo(cmbCountyCode, "cmbCountyCode")},
        {"营业厅：", combo(cmbOrgId, "cmbOrgId")},
        {"卡类型：", combo(cmbResCode, "cmbResCode")},
        {"状态：", combo(cmbSts, "cmbSts")},
        {"用途：", combo(cmbPurpose, "cmbPurpose")},
        {"短信中心号：", edit(edSmsp, "edSmsp", 30)},
        {"SIM卡商：", combo(cmbVendor, "cmbVendor")},
        {"PIN1码：", edit(edPIN1, "edPIN1", 8)},
        {"PIN2码：", edit(edPIN2, "edPIN2", 8)},
        {"PUK1码：", edit(edPUK1, "edPUK1", 8)},
        {"PUK2码：", edit(edPUK2, "edPUK2", 8)},
        {"KI值：", edit(edKI, "edKI", 64)},
        {"KI密钥：", edit(edKiKey, "edKiKey", 32)},
        {"备注：", edit(edRemark, "edRemark", 64)},
    };
    int cell = 0;
    for (const auto& field : fields) {
        grid->addWidget(new QLabel(field.label, group), cell / 4, (cell % 4) * 2);
        grid->addWidget(field.control, cell / 4, (cell % 4) * 2 + 1);
        ++cell;
    }
    for (QWidget* fixed :
         {static_cast<QWidget*>(cmbRegionCode), static_cast<QWidget*>(cmbCountyCode),
          static_cast<QWidget*>(cmbOrgId), static_cast<QWidget*>(edSmsp)})
        fixed->setEnabled(false);
    chkImport = Make<QCheckBox>(group, "chkImport");
    chkImport->setText("导入格式：IMSI号+SIM号+PIN1+PIN2+PUK1+PUK2+KI");
    grid->addWidget(chkImport, cell / 4 + 1, 0, 1, 6);
    btnClearBase = Make<QPushButton>(group, "btnClearBase");
    btnClearBase->setText("清空");
    grid->addWidget(btnClearBase, cell / 4 + 1, 7);
    return group;
}

QWidget* TfrmRemoteSimInfo::BuildButtons()
{
    auto* group = MakeGroupBox(this, QString());
    auto* row = new QHBoxLayout(group);
    row->addStretch();
    const std::pair<QPushButton**, std::pair<const char*, const char*>> buttons[] = {
        {&btnImport, {"btnImport", "导入"}}, {&btnClear, {"btnClear", "清空"}},
        {&btnAdd, {"btnAdd", "增加"}},       {&btnCancel, {"btnCancel", "取消"}},
        {&btnModify, {"btnModify", "修改"}}, {&btnDelete, {"btnDelete", "删除"}},
        {&btnCommit, {"btnCommit", "提交"}}, {&btnClose, {"btnClose", "关闭"}}};
    for (const auto& [target, nameAndCaption] : buttons) {
        *target = Make<QPushButton>(group, nameAndCaption.first);
        (*target)->setText(nameAndCaption.second);
        row->addWidget(*target);
    }
    return group;
}

void TfrmRemoteSimInfo::ConnectHandlers()
{
    const std::pair<QPushButton*, void (TfrmRemoteSimInfo::*)()> clicks[] = {
        {btnQuery, &TfrmRemoteSimInfo::btnQueryClick},
        {btnClearBase, &TfrmRemoteSimInfo::btnClearBaseClick},
        {btnImport, &TfrmRemoteSimInfo::btnImportClick},
        {btnClear, &TfrmRemoteSimInfo::btnClearClick},
        {btnAdd, &TfrmRemoteSimInfo::btnAddClick},
        {btnCancel, &TfrmRemoteSimInfo::btnCancelClick},
        {btnModify, &TfrmRemoteSimInfo::btnModifyClick},
        {btnDelete, &TfrmRemoteSimInfo::btnDeleteClick},
        {btnCommit, &TfrmRemoteSimInfo::btnCommitClick},
        {btnClose, &TfrmRemoteSimInfo::btnCloseClick}};
    for (const auto& [button, handler] : clicks)
        QObject::connect(button, &QPushButton::clicked, this,
                         [this, handler = handler] { (this->*handler)(); });
    for (QCheckBox* box : {ckbQryImsi, ckbQrySim, ckbQryResCode, ckbQrySts, ckbQryResSts,
                           ckbQryRegionCode, ckbQryCountyCode, ckbQryOrgId, ckbQryMaxNum})
        QObject::connect(box, &QCheckBox::toggled, this,
                         [this, box](bool on) { CriterionBoxToggled(box, on); });
    QObject::connect(chkImport, &QCheckBox::toggled, this, [this] { chkImportClick(); });
    QObject::connect(lstShowDataList, &TListViewEx::rowClicked, this,
                     [this] { lstShowDataListClick(); });
    rsimform::OnExitToControlOf(this, edtQryImsiFirst, [this] { edtQryImsiFirstExit(); });
    rsimform::OnExitToControlOf(this, edtQrySimFirst, [this] { edtQrySimFirstExit(); });
}

bool TfrmRemoteSimInfo::InitForm(int reserved, const MSysmgntDef::SOperator* op)
{
    return InitMaintenanceForm(reserved, op);
}

void TfrmRemoteSimInfo::Prepare()
{
    LoadLookups();
    if (!LoadCardTypesAndVendors())
        return;
    btnClearClick();
    for (QLineEdit* number : {edPIN1, edPIN2, edPUK1, edPUK2}) {
        TfrmMDIChild::OnEditKeyPress(number);
        TfrmMDIChild::OnEditPaste(number);
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

QString TfrmRemoteSimInfo::LookupText(Lookup lookup, std::int64_t code) const
{
    return QString::fromUtf8(LoadedList(lookup).ItemOfCode(code));
}

std::int64_t TfrmRemoteSimInfo::CodeOf(Lookup lookup, const QString& text) const
{
    // Every item here reads "[code] name", so the bracketed code is the item's code; "忽略" (-1)
    // and "全部" (0), which no code list holds, read right too.
    if (text.startsWith('['))
        return ExtractItemCode(text.toStdString());
    return LoadedList(lookup).CodeOfItem(text.toStdString());
}

QString TfrmRemoteSimInfo::BracketItem(const QComboBox* combo, const std::string& code)
{
    return rsimform::ItemWithCode(combo, QString::fromStdString(code));
}

void TfrmRemoteSimInfo::CriterionBoxToggled(QCheckBox* box, bool checked)
{
    const std::map<QCheckBox*, std::vector<QWidget*>> controls = {
        {ckbQryImsi, {edtQryImsiFirst, edtQryImsiLast}},
        {ckbQrySim, {edtQrySimFirst, edtQrySimLast}},
        {ckbQryResCode, {cmbQryResCode}},
        {ckbQrySts, {cmbQrySts}},
        {ckbQryResSts, {cmbQryResSts}},
        {ckbQryRegionCode, {cmbQryRegionCode}},
        {ckbQryCountyCode, {cmbQryCountyCode}},
        {ckbQryOrgId, {cmbQryOrgId}},
        {ckbQryMaxNum, {edtQryMaxNum}}};
    for (QWidget* control : controls.at(box))
        checked ? MakeDefault(control) : MakeReadOnly(control);
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
    struct Check {
        QCheckBox* box;
        QWidget* control;
        const char* message;
    };
    const Check checks[] = {
        {ckbQryImsi, edtQryImsiFirst, "请输入查询条件[开始IMSI号]!"},
        {ckbQryImsi, edtQryImsiLast, "请输入查询条件[结束IMSI号]!"},
        {ckbQrySim, edtQrySimFirst, "请输入查询条件[开始SIM号]!"},
        {ckbQrySim, edtQrySimLast, "请输入查询条件[结束SIM号]!"},
        {ckbQryResCode, cmbQryResCode, "请选择查询条件[卡类型]!"},
        {ckbQrySts, cmbQrySts, "请选择查询条件[状态]!"},
        {ckbQryResSts, cmbQryResSts, "请选择查询条件[资源状态]!"},
        {ckbQryRegionCode, cmbQryRegionCode, "请选择查询条件[分公司]!"},
        {ckbQryCountyCode, cmbQryCountyCode, "请选择查询条件[县公司]!"},
        {ckbQryOrgId, cmbQryOrgId, "请选择查询条件[营业厅]!"},
        {ckbQryMaxNum, edtQryMaxNum, "请选择查询条件[查询记录]!"},
    };
    for (const auto& check : checks) {
        const auto* edit = qobject_cast<QLineEdit*>(check.control);
        const QString text =
            edit ? edit->text() : static_cast<QComboBox*>(check.control)->currentText();
        if (check.box->isChecked() && text.isEmpty()) {
            ShowGUIMessage("%s", "提示", 0, check.message);
            if (check.control->isEnabled())
                check.control->setFocus();
            return false;
        }
    }
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
    if (ckbQryImsi->isChecked()) {
        criteria.set_START_IMSI(edtQryImsiFirst->text().trimmed().toStdString());
        criteria.set_END_IMSI(edtQryImsiLast->text().trimmed().toStdString());
    }
    if (ckbQrySim->isChecked()) {
        criteria.set_START_SIM_ID(edtQrySimFirst->text().trimmed().toStdString());
        criteria.set_END_SIM_ID(edtQrySimLast->text().trimmed().toStdString());
    }
    if (ckbQryResCode->isChecked())
        criteria.set_RES_CODE(
            CResRemoteSim::ExtractCode(cmbQryResCode->currentText().toStdString()));
    if (ckbQrySts->isChecked())
        criteria.set_STS(static_cast<std::int16_t>(CodeOf(Status, cmbQrySts->currentText())));
    if (ckbQryResSts->isChecked())
        criteria.set_RES_STS(
            static_cast<std::int16_t>(CodeOf(ResStatus, cmbQryResSts->currentText())));
    if (ckbQryRegionCode->isChecked())
        criteria.set_REGION_CODE(
            static_cast<std::int16_t>(CodeOf(Region, cmbQryRegionCode->currentText())));
    if (ckbQryCountyCode->isChecked())
        criteria.set_COUNTY_CODE(
            static_cast<std::int16_t>(CodeOf(County, cmbQryCountyCode->currentText())));
    if (ckbQryOrgId->isChecked())
        criteria.set_ORG_ID(static_cast<std::int32_t>(CodeOf(Org, cmbQryOrgId->currentText())));
    if (ckbQryMaxNum->isChecked())
        criteria.set_MAX_NUM(edtQryMaxNum->text().trimmed().toInt());
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
