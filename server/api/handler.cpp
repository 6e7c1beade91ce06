#include "handler.h"

namespace rsim {

void HandlerTable::add(const std::string& interfaceName, const std::string& code,
                       HandlerEntry entry)
{
    entries_.emplace_back(interfaceName + "/" + code, std::move(entry));
}

const HandlerEntry* HandlerTable::find(std::string_view interfaceName, std::string_view code) const
{
    for (const auto& [key, entry] : entries_)
        if (key.size() == interfaceName.size() + 1 + code.size() &&
            key.compare(0, interfaceName.size(), interfaceName) == 0 &&
            key.compare(interfaceName.size() + 1, std::string::npos, code) == 0)
            return &entry;
    return nullptr;
}

} // namespace rsim
