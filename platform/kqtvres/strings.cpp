// The string table of the resource library "kqtvres.dll".
#include <algorithm>
#include <iterator>

namespace {

struct ResourceString {
    unsigned id;
    const char* text;
};

constexpr ResourceString kStrings[] = {
    {24339,
     "公共服务初始化失败：无法连接系统管理服务或远程写卡管理服务，请检查服务地址与网络后重试。"},
};

} // namespace

extern "C" __attribute__((visibility("default"))) const char* tv_resource_string(unsigned id)
{
    const auto* found = std::find_if(std::begin(kStrings), std::end(kStrings),
                                     [id](const ResourceString& s) { return s.id == id; });
    return found == std::end(kStrings) ? nullptr : found->text;
}
