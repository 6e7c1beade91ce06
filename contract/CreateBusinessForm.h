// The module's one export: the window of a business function code.
#pragma once

#include "sysmgnt_def_tvd_c.h"

class TfrmMDIChild;

// Creates, paints and initialises the window of the function code for the operator and returns
// it (the caller owns it and shows it as an MDI child), or null: for a null operator, a code
// that has no window, or a window whose initialisation failed (it has shown why). Called on the
// GUI thread.
extern "C" TfrmMDIChild* CreateBusinessForm(int functionCode, MSysmgntDef::SOperator* op);
using CreateBusinessFormFn = TfrmMDIChild* (*)(int, MSysmgntDef::SOperator*);
