#include "PublicBusi.h"

#include <cctype>

std::int64_t ExtractItemCode(const std::string& itemText)
{
    const std::size_t open = itemText.find('[');
    if (open == std::string::npos)
        return 0;
    const std::size_t close = itemText.find(']', open);
    if (close == std::string::npos)
        return 0;
    const std::string inside = itemText.substr(open + 1, close - open - 1);
    std::size_t i = inside.size() > 0 && inside[0] == '-' ? 1 : 0;
    std::int64_t value = 0;
    for (; i < inside.size() && std::isdigit(static_cast<unsigned char>(inside[i])); ++i)
        value = value * 10 + (inside[i] - '0');
    return !inside.empty() && inside[0] == '-' ? -value : value;
}
