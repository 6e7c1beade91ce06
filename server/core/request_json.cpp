#include "request_json.h"

#include "tvd_json.h"

#include <cstring>

namespace rsim {
namespace {

using nlohmann::json;

// Builds the document like nlohmann's own DOM reader, checking the limits on the way, so that a
// deep or oversized document is refused at the point it crosses a limit, not after it is built.
class LimitedReader : public nlohmann::json_sax<json> {
public:
    explicit LimitedReader(json& root) : root_(root) {}

    std::optional<RequestFault> fault;

    bool null() override { return put(nullptr); }
    bool boolean(bool value) override { return put(value); }
    bool number_integer(number_integer_t value) override { return put(value); }
    bool number_unsigned(number_unsigned_t value) override { return put(value); }
    bool number_float(number_float_t value, const string_t&) override { return put(value); }
    bool binary(binary_t&) override { return refuse("请求不是合法的JSON", "不支持二进制值"); }

    bool string(string_t& value) override
    {
        if (value.size() > kMaxJsonText)
            return refuse("请求中的文本过长", where() + "的文本有 " + std::to_string(value.size()) +
                                                  " 字节，不能超过 " + std::to_string(kMaxJsonText) + " 字节");
        return put(std::move(value));
    }

    bool start_object(std::size_t) override { return open(json::object()); }
    bool start_array(std::size_t) override { return open(json::array()); }
    bool end_object() override { return close(); }
    bool end_array() override { return close(); }

    bool key(string_t& name) override
    {
        if (stack_.back()->contains(name))
            return refuse("请求中有重复的成员", "成员 \"" + printable(name) + "\" 在同一对象中出现了多次");
        key_ = std::move(name);
        return true;
    }

    bool parse_error(std::size_t position, const std::string&, const nlohmann::detail::exception& e) override
    {
        const bool encoding = std::strstr(e.what(), "UTF-8") != nullptr || std::strstr(e.what(), "surrogate") != nullptr;
        const std::string at = "第 " + std::to_string(position) + " 个字节附近";
        if (encoding)
            return refuse("请求中的文本不是合法的UTF-8编码", at + "；文本须为UTF-8编码");
        if (position <= 1 && e.id == 101)
            return refuse("请求不是合法的JSON", "请求体为空或不以 JSON 开头；需要 JSON 对象");
        return refuse("请求不是合法的JSON", at + "有语法错误");
    }

private:
    template <class Value>
    bool put(Value&& value)
    {
        place(json(std::forward<Value>(value)));
        return true;
    }

    json* place(json&& value)
    {
        if (stack_.empty()) {
            root_ = std::move(value);
            return &root_;
        }
        json& top = *stack_.back();
        if (top.is_array()) {
            top.push_back(std::move(value));
            return &top.back();
        }
        return &(top[key_] = std::move(value));
    }

    bool open(json&& container)
    {
        if (stack_.size() >= kMaxJsonDepth)
            return refuse("请求的嵌套层次过深", "JSON 嵌套不能超过 " + std::to_string(kMaxJsonDepth) + " 层");
        stack_.push_back(place(std::move(container)));
        return true;
    }

    bool close()
    {
        stack_.pop_back();
        return true;
    }

    bool refuse(std::string message, std::string hint)
    {
        fault = RequestFault{std::move(message), std::move(hint)};
        return false;
    }

    std::string where() const { return key_.empty() ? std::string("请求") : "成员 \"" + printable(key_) + "\" "; }

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

    json& root_;
    std::vector<json*> stack_;
    std::string key_;
};

} // namespace

std::optional<RequestFault> parseRequestJson(const std::string& body, json& out)
{
    LimitedReader reader(out);
    if (json::sax_parse(body, &reader, json::input_format_t::json, true))
        return std::nullopt;
    if (!reader.fault)
        reader.fault = RequestFault{"请求不是合法的JSON", ""};
    return reader.fault;
}

std::optional<RequestFault> decodeCall(const std::string& body, const std::string& operationName,
                                       CTvdBasicParamObject& in)
{
    json request;
    if (auto fault = parseRequestJson(body, request))
        return fault;
    if (!request.is_object() || !request.contains("in"))
        return RequestFault{"请求格式错误：缺少 \"in\"", "请求体应为 {\"in\": {...}}，操作 " + operationName};
    try {
        tvd::wire::decodeParams(request["in"], in, "in");
    } catch (const tvd::wire::DecodeError& e) {
        return RequestFault{"请求参数类型错误", e.what()};
    }
    return std::nullopt;
}

} // namespace rsim
