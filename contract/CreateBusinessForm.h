// The module's exports: its function menu and the window of a business function code.
#pragma once

#include "sysmgnt_def_tvd_c.h"

class TfrmMDIChild;

// Creates, paints and initialises the window of the function code for the operator and returns
// it (the caller owns it and shows it as an MDI child), or null: for a null operator, a code
// that has no window, or a window whose initialisation failed (it has shown why). Called on the
// GUI thread.
extern "C" TfrmMDIChild* CreateBusinessForm(int functionCode, MSysmgntDef::SOperator* op);
using CreateBusinessFormFn = TfrmMDIChild* (*)(int, MSysmgntDef::SOperator*);

// An entry of the module's function menu: a function code and its caption (UTF-8).
struct BusinessFunction {
    int functionCode;
    const char* caption;
};

// The functions the module has a window for, in menu order; count receives their number. The
// entries live as long as the module is loaded.
extern "C" const BusinessFunction* BusinessFunctions(int* count);
using BusinessFunctionsFn = const BusinessFunction* (*)(int*);
