// Card vendors: code, name and whether the vendor's cards use KI encryption.
#pragma once

#include "maintenance_form.h"

class TfrmRemoteSimVendor : public TfrmMaintenance {
public:
    explicit TfrmRemoteSimVendor(QWidget* owner);
};
