// The middleware client library as the module calls it.
#pragma once

#include "tvd_client.h"
#include "tvd_datetime.h"
#include "tvd_object.h"
#include "tvd_record.h"
