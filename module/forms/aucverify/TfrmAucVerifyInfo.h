// The login check data of the authentication cards: function code, password and status per
// province, vendor, card type and card serial number. Every record the window sends carries the
// operator's own region, county and business hall.
#pragma once

#include "maintenance_form.h"

class TfrmAucVerifyInfo : public TfrmMaintenance {
public:
    explicit TfrmAucVerifyInfo(QWidget* owner);

protected:
    void Stamp(CTvdBasicStructObject& record) const override;
    QStringList AppendedCells(CTvdBasicStructObject& sent) override;
};
