// The module's own code-name lookup over a vector of entries.
#pragma once

#include "PublicLookup.h"

#include <vector>

class CAutoLookup : public CContainerLookup<std::vector<TCNameCodeInfo>> {
public:
    explicit CAutoLookup(std::vector<TCNameCodeInfo> entries)
        : CContainerLookup(
              std::move(entries), [](const TCNameCodeInfo& e) { return e.GetCode(); },
              [](const TCNameCodeInfo& e) { return e.GetName(); })
    {}
};
