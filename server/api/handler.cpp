#include "handler.h"

namespace rsim {

void HandlerTable::add(const std::string& interfaceName, const std::string& code,
                       HandlerEntry entry)
{
    entries_.push_back({interfaceName, code, std::move(entry)});
}

const HandlerEntry* HandlerTable::find(std::string_view interfaceName, std::string_view code) const
{
    for (const auto& registered : entries_)
        if (registered.interfaceName == interfaceName && registered.code == code)
            return &registered.entry;
    return nullptr;
}

} // namespace rsim
