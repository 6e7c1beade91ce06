// The rights of the authentication cards: which entity of which right type a card serves.
#pragma once

#include "registry_form.h"

class TfrmRemoteSimAucRole : public TfrmRegistry {
public:
    explicit TfrmRemoteSimAucRole(QWidget* owner);
};
