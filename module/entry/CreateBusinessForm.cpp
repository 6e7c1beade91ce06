#include "CreateBusinessForm.h"

#include "TfrmAucVerifyInfo.h"
#include "TfrmFactoryCardTypeModule.h"
#include "TfrmRemoteSimAucRole.h"
#include "TfrmRemoteSimErrMsg.h"
#include "TfrmRemoteInfoQuery.h"
#include "TfrmRemoteSimInfo.h"
#include "TfrmRemoteSimCard.h"
#include "TfrmRemoteSimImsiMsisdnGrp.h"
#include "TfrmRemoteSimMsisdnGroup.h"
#include "TfrmRemoteSimMsisdnGrp.h"
#include "TfrmRemoteSimProvince.h"
#include "TfrmRemoteSimVendor.h"

#include <memory>

namespace {

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

// The function codes 0x9AE11D to 0x9AE12B; codes of the block not listed have no window.
constexpr FormEntry kForms[] = {
    {10150173, create<TfrmRemoteSimProvince>},
    {10150174, create<TfrmRemoteSimCard>},
    {10150175, create<TfrmRemoteSimVendor>},
    {10150176, create<TfrmRemoteSimInfo>},
    {10150177, create<TfrmRemoteSimImsiMsisdnGrp>},
    {10150178, create<TfrmRemoteSimMsisdnGrp>},
    {10150179, create<TfrmRemoteSimMsisdnGroup>},
    {10150182, create<TfrmFactoryCardTypeModule>},
    {10150183, create<TfrmRemoteSimErrMsg>},
    {10150185, create<TfrmRemoteSimAucRole>},
    {10150186, create<TfrmAucVerifyInfo>},
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
