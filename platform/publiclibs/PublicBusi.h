// PUBLICBUSI: the item code held in a combo item text "[code] name".
#pragma once

#include <cstdint>
#include <string>

// The number between the first "[" and the following "]"; 0 when there is none.
std::int64_t ExtractItemCode(const std::string& itemText);
