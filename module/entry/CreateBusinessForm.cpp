#include "CreateBusinessForm.h"

#include "form_registry.h"

#include <memory>

// The function codes 0x9AE11D to 0x9AE12B; a maintenance window registers the code its table
// declares. Codes of the block that no window registered have none.
extern "C" __attribute__((visibility("default"))) TfrmMDIChild*
CreateBusinessForm(int functionCode, MSysmgntDef::SOperator* op)
{
    const rsimform::FormFactory create = rsimform::RegisteredForm(functionCode);
    if (op == nullptr || create == nullptr)
        return nullptr;
    std::unique_ptr<TfrmRemoteSimBase> form(create());
    if (!form)
        return nullptr;
    form->Update();
    if (!form->InitForm(0, op))
        return nullptr;
    return form.release();
}
