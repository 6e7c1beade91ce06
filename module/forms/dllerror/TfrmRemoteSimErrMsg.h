// The error codes of the vendors' card-writing libraries, with the text shown for each.
#pragma once

#include "registry_form.h"

class TfrmRemoteSimErrMsg : public TfrmRegistry {
public:
    explicit TfrmRemoteSimErrMsg(QWidget* owner);
};
