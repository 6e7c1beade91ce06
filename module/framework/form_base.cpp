#include "form_base.h"

#include "SysMgntService_tvd_c.h"

using namespace rsimform;

TfrmRemoteSimBase::TfrmRemoteSimBase(QWidget* owner, RightIds rights)
    : TfrmMDIChild(owner), rightIds_(rights)
{
}

bool TfrmRemoteSimBase::InitMaintenanceForm(int reserved, const MSysmgntDef::SOperator* op)
{
    ShowWaitBox("正在初始化控件界面中，请稍候...");
    try {
        operator_ = *op;
        remoteSim_.Init(reserved, op->REGION_CODE, op->COUNTY_CODE, op->ORG_ID, op->OP_ID);
        if (!sysMgnt_.Init(reserved, op->REGION_CODE, op->COUNTY_CODE, op->ORG_ID, op->OP_ID))
            throw CGUIException(kResourceLibrary, kInitFailedString);
        CheckRights(op->OP_ID, op->ORG_ID);
        CAccountPublic account;
        if (!account.Initialize(reserved, op->REGION_CODE, op->COUNTY_CODE, op->ORG_ID, op->OP_ID))
            throw CGUIException(kResourceLibrary, kInitFailedString);
        FillOpInfo(*op);
        Prepare(account);
    } catch (const CGUIException& e) {
        ShowException(e);
        CloseWaitBox();
        return false;
    }
    CloseWaitBox();
    return true;
}

void TfrmRemoteSimBase::CheckRights(int opId, int orgId)
{
    MSysmgntDef::SOperPrivAuthList request;
    for (int entity : MSysSvcDef::RightsEntities()) {
        auto& entry = *static_cast<MSysmgntDef::SOperPrivAuth*>(request.append());
        entry.set_ENT_ID(entity);
        entry.set_PRIV_ID(kPrivilege);
        entry.set_AUTHORIZED(0);
    }
    rights_.clear();
    if (!sysMgnt_.CheckOperRight(opId, orgId, request, rights_))
        throw CGUIException(sysMgnt_.LastError());
    addRight_ = HasRight(rightIds_.add);
    modifyRight_ = HasRight(rightIds_.modify);
    deleteRight_ = HasRight(rightIds_.remove);
}

bool TfrmRemoteSimBase::HasRight(int entityId) const
{
    for (const auto& entry : rights_)
        if (entry.ENT_ID == entityId && entry.AUTHORIZED == 1)
            return true;
    return false;
}

void TfrmRemoteSimBase::FillOpInfo(const MSysmgntDef::SOperator& op)
{
    opInfo_.set_REGION_CODE(static_cast<std::int16_t>(op.REGION_CODE));
    opInfo_.set_COUNTY_CODE(static_cast<std::int16_t>(op.COUNTY_CODE));
    opInfo_.set_ORG_ID(op.ORG_ID);
    opInfo_.set_OP_ID(op.OP_ID);
}

std::unique_ptr<CBasicLookup> TfrmRemoteSimBase::LoadLookup(CAccountPublic& account, int category)
{
    std::unique_ptr<CBasicLookup> holder;
    if (!account.GetBaseTypeList(category, holder))
        throw CGUIException(account.LastError());
    return holder;
}

void TfrmRemoteSimBase::ShowException(const CGUIException& e)
{
    e.Display("异常信息", 16);
}

void TfrmRemoteSimBase::ShowCallFailure(const char* format, const CBSErrorMsg& error)
{
    ShowGUIMessage(format, "提示", 64, error.message.c_str(), error.hint.c_str());
}
