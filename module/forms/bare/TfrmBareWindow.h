// A business window whose own behaviour is not built yet: it binds its service object and the
// system-management library like every window, so opening it proves the service is reachable,
// and shows its caption.
#pragma once

#include "form_base.h"

class TfrmBareWindow : public TfrmRemoteSimBase {
public:
    TfrmBareWindow(QWidget* owner, const QString& caption);
    bool InitForm(int reserved, const MSysmgntDef::SOperator* op) override;
};
