// MSISDN ranges of MSISDN groups, per region and province.
#pragma once

#include "maintenance_form.h"

class TfrmRemoteSimMsisdnGrp : public TfrmMaintenance {
public:
    explicit TfrmRemoteSimMsisdnGrp(QWidget* owner);
};
