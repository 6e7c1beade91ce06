#include "request_json.h"

#include "tvd_json.h"
#include "tvd_json_stream.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>

namespace rsim {
namespace {

using nlohmann::json;

// Walks the text once, without building anything, and stops at the first place it crosses a
// limit: a deep or oversized document is refused there, before any decoding.
class LimitChecker : public nlohmann::json_sax<json> {
public:
    std::optional<RequestFault> fault;

    bool null() override { return true; }
    bool boolean(bool) override { return true; }
    bool number_integer(number_integer_t) override { return true; }
    bool number_unsigned(number_unsigned_t) override { return true; }
    bool number_float(number_float_t, const string_t&) override { return true; }
    bool binary(binary_t&) override { return refuse("请求不是合法的JSON", "不支持二进制值"); }

    bool string(string_t& value) override
    {
        if (value.size() > kMaxJsonText)
            return refuse("请求中的文本过长", where() + "的文本有 " + std::to_string(value.size()) +
                                                  " 字节，不能超过 " +
                                                  std::to_string(kMaxJsonText) + " 字节");
        return true;
    }

    bool start_object(std::size_t) override { return open(); }
    bool start_array(std::size_t) override { return open(); }
    bool end_object() override { return close(); }
    bool end_array() override { return close(); }

    bool key(string_t& name) override
    {
        if (!levels_[depth_ - 1].add(name))
            return refuse("请求中有重复的成员",
                          "成员 \"" + printable(name) + "\" 在同一对象中出现了多次");
        key_ = std::move(name);
        return true;
    }

    bool parse_error(std::size_t position, const std::string&,
                     const nlohmann::detail::exception& e) override
    {
        const bool encoding = std::strstr(e.what(), "UTF-8") != nullptr ||
                              std::strstr(e.what(), "surrogate") != nullptr;
        const std::string at = "第 " + std::to_string(position) + " 个字节附近";
        if (encoding)
            return refuse("请求中的文本不是合法的UTF-8编码", at + "；文本须为UTF-8编码");
        if (position <= 1 && e.id == 101)
            return refuse("请求不是合法的JSON", "请求体为空或不以 JSON 开头；需要 JSON 对象");
        return refuse("请求不是合法的JSON", at + "有语法错误");
    }

private:
    // The member names of one open object (none for an array). A batch holds many records of a
    // few dozen members each: their names are compared in a list whose strings keep their
    // storage from one record to the next; only a larger object takes a hash set.
    class Names {
    public:
        void clear()
        {
            count_ = 0;
            many_.clear();
        }
        // False when the object has the name already.
        bool add(const std::string& name)
        {
            if (count_ < kListed) {
                if (std::find(list_.begin(), list_.begin() + static_cast<std::ptrdiff_t>(count_),
                              name) != list_.begin() + static_cast<std::ptrdiff_t>(count_))
                    return false;
                if (count_ < list_.size())
                    list_[count_].assign(name);
                else
                    list_.push_back(name);
                ++count_;
                return true;
            }
            if (count_++ == kListed)
                many_.insert(list_.begin(), list_.end());
            return many_.insert(name).second;
        }

    private:
        static constexpr std::size_t kListed = 64;
        std::vector<std::string> list_;
        std::size_t count_ = 0;
        std::unordered_set<std::string> many_;
    };

    // Levels keep their storage when closed, for the next object at that depth.
    bool open()
    {
        if (depth_ >= kMaxJsonDepth)
            return refuse("请求的嵌套层次过深",
                          "JSON 嵌套不能超过 " + std::to_string(kMaxJsonDepth) + " 层");
        if (depth_ == levels_.size())
            levels_.emplace_back();
        levels_[depth_++].clear();
        return true;
    }

    bool close()
    {
        --depth_;
        return true;
    }

    bool refuse(std::string message, std::string hint)
    {
        fault = RequestFault{std::move(message), std::move(hint)};
        return false;
    }

    std::string where() const
    {
        return key_.empty() ? std::string("请求") : "成员 \"" + printable(key_) + "\" ";
    }

    // A member name quoted back to the client, cut short and valid as UTF-8 (it was parsed).
    static std::string printable(const std::string& name)
    {
        if (name.size() <= 64)
            return name;
        std::size_t cut = 64;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
            --cut;
        return name.substr(0, cut) + "…";
    }

    std::vector<Names> levels_;
    std::size_t depth_ = 0;
    std::string key_;
};

template <class Text>
std::optional<RequestFault> checkLimits(Text&& body)
{
    LimitChecker checker;
    if (json::sax_parse(std::forward<Text>(body), &checker, json::input_format_t::json, true))
        return std::nullopt;
    if (!checker.fault)
        checker.fault = RequestFault{"请求不是合法的JSON", ""};
    return checker.fault;
}

template <class Text>
std::optional<RequestFault> decode(Text&& body, const std::string& operationName,
                                   CTvdBasicParamObject& in, const tvd::wire::ListChunks* chunks)
{
    try {
        // Read without the JSON tree, which for a batch of a million cards would be several
        // times the size of its records.
        if (!tvd::wire::readRequest(std::forward<Text>(body), in, chunks))
            return RequestFault{"请求格式错误：缺少 \"in\"",
                                "请求体应为 {\"in\": {...}}，操作 " + operationName};
    } catch (const tvd::wire::DecodeError& e) {
        return RequestFault{"请求参数类型错误", e.what()};
    } catch (const tvd::wire::SyntaxError&) {
        return RequestFault{"请求不是合法的JSON", "操作 " + operationName};
    }
    return std::nullopt;
}

} // namespace

std::optional<RequestFault> checkRequestJson(const std::string& body)
{
    return checkLimits(body);
}

std::optional<RequestFault> checkRequestJson(std::istream& body)
{
    return checkLimits(body);
}

std::optional<RequestFault> parseRequestJson(const std::string& body, json& out)
{
    if (auto fault = checkRequestJson(body))
        return fault;
    out = json::parse(body);
    return std::nullopt;
}

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

} // namespace rsim
