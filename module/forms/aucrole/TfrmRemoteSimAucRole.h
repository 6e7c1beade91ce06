// The rights of the authentication cards: which entity of which right type a card serves.
#pragma once

#include "maintenance_form.h"

class TfrmRemoteSimAucRole : public TfrmMaintenance {
public:
    explicit TfrmRemoteSimAucRole(QWidget* owner);
};
