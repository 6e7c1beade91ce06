#pragma once

#include "table_def.h"

#include <string>

namespace rsim::tables {

bool matchesFormat(Format format, const std::string& value);
// What the format asks for, as shown to the operator ("必须为15位数字").
const char* formatDescription(Format format);

} // namespace rsim::tables
