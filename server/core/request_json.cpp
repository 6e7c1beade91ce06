#include "request_json.h"

#include "tvd_json.h"

namespace rsim {
namespace {

using tvd::wire::TextFault;

constexpr tvd::wire::ReadLimits kLimits{kMaxJsonDepth, kMaxJsonText};

// A member name quoted back to the client, cut short and valid as UTF-8 (it was read as such).
std::string printable(const std::string& name)
{
    if (name.size() <= 64)
        return name;
    std::size_t cut = 64;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
        --cut;
    return name.substr(0, cut) + "…";
}

// Where a text was found: the member whose value it is, or the request.
std::string textOf(const std::string& name)
{
    return name.empty() ? std::string("请求") : "成员 \"" + printable(name) + "\" ";
}

RequestFault refusal(const TextFault& fault)
{
    const std::string at = "第 " + std::to_string(fault.position) + " 个字节附近";
    switch (fault.kind) {
    case TextFault::Empty:
        return {"请求不是合法的JSON", "请求体为空或不以 JSON 开头；需要 JSON 对象"};
    case TextFault::Syntax: return {"请求不是合法的JSON", at + "有语法错误"};
    case TextFault::Encoding:
        return {"请求中的文本不是合法的UTF-8编码", at + "；文本须为UTF-8编码"};
    case TextFault::Depth:
        return {"请求的嵌套层次过深", "JSON 嵌套不能超过 " + std::to_string(fault.size) + " 层"};
    case TextFault::Length:
        return {"请求中的文本过长", textOf(fault.name) + "的文本有 " + std::to_string(fault.size) +
                                        " 字节，不能超过 " + std::to_string(kMaxJsonText) +
                                        " 字节"};
    case TextFault::Nul:
        return {"请求中的文本含有空字符",
                textOf(fault.name) + "的文本含有 U+0000，文本中不能有空字符"};
    case TextFault::Duplicate:
        return {"请求中有重复的成员",
                "成员 \"" + printable(fault.name) + "\" 在同一对象中出现了多次"};
    }
    return {"请求不是合法的JSON", ""};
}

template <class Text>
std::optional<RequestFault> decode(Text&& body, const std::string& operationName,
                                   CTvdBasicParamObject& in, const tvd::wire::ListChunks* chunks)
{
    try {
        // Read without the JSON tree, which for a batch of a million cards would be several
        // times the size of its records.
        if (!tvd::wire::readRequest(std::forward<Text>(body), in, kLimits, chunks))
            return RequestFault{"请求格式错误：缺少 \"in\"",
                                "请求体应为 {\"in\": {...}}，操作 " + operationName};
    } catch (const tvd::wire::DecodeError& e) {
        return RequestFault{"请求参数类型错误", e.what()};
    } catch (const TextFault& e) {
        return refusal(e);
    }
    return std::nullopt;
}

} // namespace

std::optional<RequestFault> decodeCall(const std::string& body, const std::string& operationName,
                                       CTvdBasicParamObject& in,
                                       const tvd::wire::ListChunks* chunks)
{
    return decode(std::string_view(body), operationName, in, chunks);
}

std::optional<RequestFault> decodeCall(std::istream& body, const std::string& operationName,
                                       CTvdBasicParamObject& in,
                                       const tvd::wire::ListChunks* chunks)
{
    return decode(body, operationName, in, chunks);
}

std::optional<RequestFault> decodeLogin(const std::string& body, LoginRequest& out)
{
    std::vector<std::optional<std::string>> read;
    try {
        read = tvd::wire::readStrings(body, {"login", "password"}, kLimits);
    } catch (const TextFault& e) {
        return refusal(e);
    }
    if (!read[0] || !read[1])
        return RequestFault{"登录请求格式错误",
                            "需要JSON对象 {\"login\": 文本, \"password\": 文本}"};
    out = {std::move(*read[0]), std::move(*read[1])};
    return std::nullopt;
}

} // namespace rsim
