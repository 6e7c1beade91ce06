// IMSI ranges of MSISDN groups, per region and province.
#pragma once

#include "maintenance_form.h"

class TfrmRemoteSimImsiMsisdnGrp : public TfrmMaintenance {
public:
    explicit TfrmRemoteSimImsiMsisdnGrp(QWidget* owner);
};
