// Card types: code, name, status and whether a card carries two numbers.
#pragma once

#include "maintenance_form.h"

class TfrmRemoteSimCard : public TfrmMaintenance {
public:
    explicit TfrmRemoteSimCard(QWidget* owner);
};
