#include "CreateBusinessForm.h"

#include "TfrmBareWindow.h"
#include "TfrmRemoteInfoQuery.h"
#include "TfrmRemoteSimInfo.h"
#include "TfrmRemoteSimCard.h"
#include "TfrmRemoteSimImsiMsisdnGrp.h"
#include "TfrmRemoteSimMsisdnGroup.h"
#include "TfrmRemoteSimMsisdnGrp.h"
#include "TfrmRemoteSimProvince.h"
#include "TfrmRemoteSimVendor.h"

#include "ResRemoteSimTables.h"

#include <memory>

namespace {

using namespace MResRemoteMgntDef;
using rsimcatalog::TableOf;
using Factory = TfrmRemoteSimBase* (*)();

struct FormEntry {
    int code;
    Factory create;
};

template <class Form>
TfrmRemoteSimBase* create()
{
    return new Form(nullptr);
}

template <const char* Caption>
TfrmRemoteSimBase* createBare()
{
    return new TfrmBareWindow(nullptr, QString::fromUtf8(Caption));
}

constexpr char kVendorModule[] = "远程写卡卡商/卡类型/写卡组件维护";
constexpr char kErrMsg[] = "远程写卡错误代码表维护";
constexpr char kAucRole[] = "远程写卡鉴权卡权限信息维护";
constexpr char kAucVerify[] = "远程写卡鉴权卡登陆校验信息维护";

// The function codes 0x9AE11D to 0x9AE12B; a maintenance window opens by the code its table
// declares. Codes of the block not listed have no window.
constexpr FormEntry kForms[] = {
    {TableOf<SResRemoteProvCode>().functionCode, create<TfrmRemoteSimProvince>},
    {TableOf<SResRemoteCardType>().functionCode, create<TfrmRemoteSimCard>},
    {TableOf<SResRemoteVendorCode>().functionCode, create<TfrmRemoteSimVendor>},
    {TableOf<SRemoteSimInfo>().functionCode, create<TfrmRemoteSimInfo>},
    {TableOf<SResRemoteImsiMsisdnGrp>().functionCode, create<TfrmRemoteSimImsiMsisdnGrp>},
    {TableOf<SResRemoteMsisdnGrp>().functionCode, create<TfrmRemoteSimMsisdnGrp>},
    {TableOf<SResRemoteMsisdnGroup>().functionCode, create<TfrmRemoteSimMsisdnGroup>},
    {TableOf<SResRemoteCardVendorDll>().functionCode, createBare<kVendorModule>},
    {TableOf<SResRemoteDllErrMsg>().functionCode, createBare<kErrMsg>},
    {TableOf<SResRemoteSysAuc>().functionCode, createBare<kAucRole>},
    {TableOf<SResRemoteAucInfo>().functionCode, createBare<kAucVerify>},
    {10150187, create<TfrmRemoteInfoQuery>},
};

} // namespace

extern "C" __attribute__((visibility("default"))) TfrmMDIChild*
CreateBusinessForm(int functionCode, MSysmgntDef::SOperator* op)
{
    if (op == nullptr)
        return nullptr;
    for (const auto& entry : kForms) {
        if (entry.code != functionCode)
            continue;
        std::unique_ptr<TfrmRemoteSimBase> form(entry.create());
        if (!form)
            return nullptr;
        form->Update();
        if (!form->InitForm(0, op))
            return nullptr;
        return form.release();
    }
    return nullptr;
}
