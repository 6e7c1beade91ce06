// Parts of the demo data (seed.cpp, seed_inventory.cpp). Codes of regions (10 广州, 11 深圳,
// 12 珠海), counties (region × 100 + n), business halls (county × 100 + n) and operators
// (1 admin, 2 viewer) are those of the system-management demo data.
#pragma once

#include "stored_table.h"

#include <cstdio>

namespace rsim::tables {

template <class List>
auto& appended(List& list)
{
    return *static_cast<typename List::value_type*>(list.append());
}

inline std::string zeroPadded(long long value, int width)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%0*lld", width, value);
    return buffer;
}

void seedReferenceData(db::Driver& db, const secrets::SecretBox& box);
void seedInventory(db::Driver& db, const secrets::SecretBox& box);

} // namespace rsim::tables
