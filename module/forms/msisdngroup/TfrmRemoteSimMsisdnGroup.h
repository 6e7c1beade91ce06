// MSISDN groups: code, name, region and province of each group.
#pragma once

#include "maintenance_form.h"

class TfrmRemoteSimMsisdnGroup : public TfrmMaintenance {
public:
    explicit TfrmRemoteSimMsisdnGroup(QWidget* owner);

    // Also selects the first province of the criteria.
    void btnClearBaseClick() override;
};
