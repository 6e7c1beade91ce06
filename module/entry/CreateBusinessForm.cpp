#include "CreateBusinessForm.h"

#include "TfrmAucVerifyInfo.h"
#include "TfrmFactoryCardTypeModule.h"
#include "TfrmRemoteInfoQuery.h"
#include "TfrmRemoteSimAucRole.h"
#include "TfrmRemoteSimCard.h"
#include "TfrmRemoteSimErrMsg.h"
#include "TfrmRemoteSimImsiMsisdnGrp.h"
#include "TfrmRemoteSimInfo.h"
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
    {TableOf<SResRemoteCardVendorDll>().functionCode, create<TfrmFactoryCardTypeModule>},
    {TableOf<SResRemoteDllErrMsg>().functionCode, create<TfrmRemoteSimErrMsg>},
    {TableOf<SResRemoteSysAuc>().functionCode, create<TfrmRemoteSimAucRole>},
    {TableOf<SResRemoteAucInfo>().functionCode, create<TfrmAucVerifyInfo>},
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
