#include "form_registry.h"

#include <cstdio>
#include <cstdlib>
#include <map>

namespace rsimform {
namespace {

std::map<int, FormFactory>& registry()
{
    static std::map<int, FormFactory> forms;
    return forms;
}

} // namespace

void RegisterForm(int functionCode, FormFactory create)
{
    if (!registry().emplace(functionCode, create).second) {
        std::fprintf(stderr, "libresremotesim: two windows for function code %d\n", functionCode);
        std::abort();
    }
}

FormFactory RegisteredForm(int functionCode)
{
    const auto found = registry().find(functionCode);
    return found != registry().end() ? found->second : nullptr;
}

} // namespace rsimform
