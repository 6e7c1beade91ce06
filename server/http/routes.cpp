#include "routes.h"

namespace rsim::http {

void Routes::add(std::string path, Route route)
{
    routes_.insert_or_assign(std::move(path), std::move(route));
}

std::variant<const Route*, Reply> Routes::find(std::string_view method,
                                               std::string_view target) const
{
    const auto found = routes_.find(target);
    if (found == routes_.end())
        return Reply{404, faultBody(404, "没有这个地址", notFoundHint_)};
    if (found->second.method != method)
        return Reply{405, faultBody(405, "请求方法不对",
                                    found->second.monitoring ? "请用不带请求体的 GET"
                                                             : "请用 " + found->second.method)};
    return &found->second;
}

} // namespace rsim::http
