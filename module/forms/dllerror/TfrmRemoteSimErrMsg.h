// The error codes of the vendors' card-writing libraries, with the text shown for each.
#pragma once

#include "maintenance_form.h"

class TfrmRemoteSimErrMsg : public TfrmMaintenance {
public:
    explicit TfrmRemoteSimErrMsg(QWidget* owner);
};
