#include "form_base.h"

#include "SysMgntService_tvd_c.h"
#include "control_kinds.h"

using namespace rsimform;

TfrmRemoteSimBase::TfrmRemoteSimBase(QWidget* owner, RightIds rights)
    : TfrmMDIChild(owner), rightIds_(rights)
{}

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
        account_ = &account;
        Prepare();
        account_ = nullptr;
        if (!FinishInit()) {
            CloseWaitBox();
            return false;
        }
    } catch (const CGUIException& e) {
        account_ = nullptr;
        ShowException(e);
        CloseWaitBox();
        return false;
    }
    CloseWaitBox();
    return true;
}

void TfrmRemoteSimBase::WithCodeLists(int reserved, const MSysmgntDef::SOperator& op,
                                      const std::function<void()>& load)
{
    CAccountPublic account;
    if (!account.Initialize(reserved, op.REGION_CODE, op.COUNTY_CODE, op.ORG_ID, op.OP_ID))
        throw CGUIException(kResourceLibrary, kInitFailedString);
    account_ = &account;
    try {
        load();
    } catch (...) {
        account_ = nullptr;
        throw;
    }
    account_ = nullptr;
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

const CBasicLookup& TfrmRemoteSimBase::CodeList(int category)
{
    auto& holder = codeLists_[category];
    if (holder)
        return *holder;
    if (account_ == nullptr) {
        CBSErrorMsg error;
        error.message = "代码表 " + std::to_string(category) + " 未在初始化时加载";
        throw CGUIException(error);
    }
    if (!account_->GetBaseTypeList(category, holder))
        throw CGUIException(account_->LastError());
    return *holder;
}

bool TfrmRemoteSimBase::LoadServiceItems(const ServiceList& list)
{
    auto loaded = serviceLoaded_.find(&list);
    if (loaded != serviceLoaded_.end())
        return loaded->second;
    CBSErrorMsg error;
    QStringList& items = serviceItems_[&list];
    const bool ok = list.query(remoteSim_, items, error);
    if (!ok) {
        items.clear();
        ShowCallFailure(list.failureFormat, error);
    }
    serviceLoaded_[&list] = ok;
    return ok;
}

const QStringList& TfrmRemoteSimBase::ServiceItems(const ServiceList& list)
{
    LoadServiceItems(list);
    return serviceItems_[&list];
}

void TfrmRemoteSimBase::ShowException(const CGUIException& e)
{
    e.Display("异常信息", MB_ICONHAND);
}

void TfrmRemoteSimBase::ShowCallFailure(const char* format, const CBSErrorMsg& error)
{
    ShowGUIMessage(format, "提示", MB_ICONINFORMATION, error.message.c_str(), error.hint.c_str());
}
