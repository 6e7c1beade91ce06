#include "CreateBusinessForm.h"

#include "form_registry.h"

#include <deque>
#include <memory>
#include <string>
#include <vector>

// A window registers the function code its table declares; codes no window registered have
// none.
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

namespace {

// The catalog's windows that a window registered, in the order of their codes.
struct Menu {
    Menu()
    {
        for (const auto& window : rsimcatalog::Windows())
            if (rsimform::RegisteredForm(window.functionCode) != nullptr)
                entries.push_back(
                    {window.functionCode, captions.emplace_back(window.caption).c_str()});
    }
    std::deque<std::string> captions; // stays in place as it grows
    std::vector<BusinessFunction> entries;
};

} // namespace

extern "C" __attribute__((visibility("default"))) const BusinessFunction*
BusinessFunctions(int* count)
{
    static const Menu menu;
    *count = static_cast<int>(menu.entries.size());
    return menu.entries.data();
}
