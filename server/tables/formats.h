// The formats of the trade: what a member must look like, how it is stored, how far an end
// bound of a range criterion reaches.
#pragma once

#include "table_def.h"

#include <string>

namespace rsim::tables {

bool matchesFormat(Format format, const std::string& value);
// What the format asks for, as shown to the operator ("必须为15位数字").
const char* formatDescription(Format format);
// The stored form of a value: ICCIDs in capitals, so that letter case never makes two cards of one.
std::string normalised(Format format, std::string value);
// The greatest value of the format that starts with prefix, so that an end bound "4600012"
// takes every IMSI that begins with it.
std::string upperBound(Format format, std::string prefix);

} // namespace rsim::tables
