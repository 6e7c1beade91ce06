// The windows of the business function codes. Each window registers itself in its own source
// file, with a FormRegistration at namespace scope; CreateBusinessForm looks the code up. The
// registrations run while the module loads, before any of its functions can be called, and the
// table is made on first use, so the order in which the sources initialise does not matter.
#pragma once

#include "form_base.h"

namespace rsimform {

using FormFactory = TfrmRemoteSimBase* (*)();

// Stops the module loading when the code already has a window: two windows for one code is a
// programming error that no operator could work around.
void RegisterForm(int functionCode, FormFactory create);
// The factory of the code's window; null when no window registered it.
FormFactory RegisteredForm(int functionCode);

// Registers Form, made without an owner, as the window of the function code.
template <class Form>
class FormRegistration {
public:
    explicit FormRegistration(int functionCode)
    {
        RegisterForm(functionCode, []() -> TfrmRemoteSimBase* { return new Form(nullptr); });
    }
};

} // namespace rsimform
