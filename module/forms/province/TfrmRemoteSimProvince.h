// Province codes: a code and a name per province.
#pragma once

#include "maintenance_form.h"

class TfrmRemoteSimProvince : public TfrmMaintenance {
public:
    explicit TfrmRemoteSimProvince(QWidget* owner);
};
