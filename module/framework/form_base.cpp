#include "form_base.h"

#include "SysMgntService_tvd_c.h"
#include "control_kinds.h"

using namespace rsimform;

namespace {

constexpr const char* kSysMgntInitFailed = "异常：初始化系统管理接口失败！\n[%s]\n[%s]!";

} // namespace

TfrmRemoteSimBase::TfrmRemoteSimBase(QWidget* owner, RightIds rights, InitSteps steps)
    : TfrmMDIChild(owner), rightIds_(rights), steps_(steps)
{}

bool TfrmRemoteSimBase::InitForm(int reserved, const MSysmgntDef::SOperator* op)
{
    if (steps_.waitBox)
        ShowWaitBox("正在初始化控件界面中，请稍候...");
    bool ready = false;
    try {
        operator_ = *op;
        InitLibraries(reserved, *op);
        if (steps_.checkRights)
            CheckRights(op->OP_ID, op->ORG_ID);
        FillOpInfo(*op);
        if (LoadServiceLists()) {
            if (steps_.codeLists)
                PrepareWithCodeLists(reserved, *op);
            else
                Prepare();
            ready = FinishInit();
        }
    } catch (const CGUIException& e) {
        ShowException(e);
    }
    if (steps_.waitBox)
        CloseWaitBox();
    return ready;
}

void TfrmRemoteSimBase::InitLibraries(int reserved, const MSysmgntDef::SOperator& op)
{
    remoteSim_.Init(reserved, op.REGION_CODE, op.COUNTY_CODE, op.ORG_ID, op.OP_ID);
    if (sysMgnt_.Init(reserved, op.REGION_CODE, op.COUNTY_CODE, op.ORG_ID, op.OP_ID))
        return;
    if (steps_.sysMgntRequired)
        throw CGUIException(kResourceLibrary, kInitFailedString);
    ShowGUIMessage(kSysMgntInitFailed, "异常", MB_ICONINFORMATION,
                   sysMgnt_.LastError().message.c_str(), sysMgnt_.LastError().hint.c_str());
}

void TfrmRemoteSimBase::PrepareWithCodeLists(int reserved, const MSysmgntDef::SOperator& op)
{
    CAccountPublic account;
    if (!account.Initialize(reserved, op.REGION_CODE, op.COUNTY_CODE, op.ORG_ID, op.OP_ID))
        throw CGUIException(kResourceLibrary, kInitFailedString);
    account_ = &account;
    try {
        Prepare();
    } catch (...) {
        account_ = nullptr;
        throw;
    }
    account_ = nullptr;
}

void TfrmRemoteSimBase::CheckRights(int opId, int orgId)
{
    MSysmgntDef::SOperPrivAuthList request;
    for (int entity : rsimcatalog::RightsAsked()) {
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
