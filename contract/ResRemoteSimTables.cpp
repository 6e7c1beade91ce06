#include "ResRemoteSimTables.h"

namespace rsimcatalog {

std::vector<Window> Windows()
{
    std::vector<Window> windows;
    for (const auto& table : kTables)
        if (table.functionCode != 0)
            windows.push_back({table.functionCode, table.caption});
    std::sort(windows.begin(), windows.end(),
              [](const Window& a, const Window& b) { return a.functionCode < b.functionCode; });
    return windows;
}

std::vector<int> RightsAsked()
{
    std::vector<int> ids;
    for (const auto& table : kTables)
        for (int id :
             {table.rights.read, table.rights.add, table.rights.modify, table.rights.remove})
            if (id != 0)
                ids.push_back(id);
    std::sort(ids.begin(), ids.end(),
              [](int a, int b) { return a / 1000 != b / 1000 ? a / 1000 > b / 1000 : a < b; });
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    return ids;
}

} // namespace rsimcatalog
