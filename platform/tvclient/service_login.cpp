#include "service_login.h"

#include "http_transport.h"
#include "tvd_client.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <memory>
#include <optional>
#include <vector>

namespace {

constexpr const char* kBroker = "TAVORINE";
constexpr const char* kBrokerVariable = "TAV_BROKER_TAVORINE";
constexpr int kConnectSeconds = 3;
// Longer than the service's keep-alive wait, so a busy service is not taken for a dead one.
constexpr int kAnswerSeconds = 6;

std::vector<std::string> addressesOf(const std::string& service)
{
    std::vector<std::string> addresses;
    std::string::size_type start = 0;
    for (;;) {
        const auto comma = service.find(',', start);
        addresses.push_back(service.substr(start, comma - start));
        if (comma == std::string::npos)
            return addresses;
        start = comma + 1;
    }
}

std::string joined(const std::vector<std::string>& parts, const std::string& separator)
{
    std::string text;
    for (const auto& part : parts)
        text += (text.empty() ? "" : separator) + part;
    return text;
}

std::string trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// The scheme, host and path of a URL as libcurl parses it; nothing for a text that is none.
struct UrlParts {
    std::string scheme;
    std::string host;
    std::string path;
};

std::optional<UrlParts> partsOf(const std::string& address)
{
    const std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> url(curl_url(), curl_url_cleanup);
    if (!url || curl_url_set(url.get(), CURLUPART_URL, address.c_str(), 0) != CURLUE_OK)
        return std::nullopt;
    const auto part = [&](CURLUPart which) {
        char* text = nullptr;
        if (curl_url_get(url.get(), which, &text, 0) != CURLUE_OK)
            return std::string();
        std::string value(text);
        curl_free(text);
        return value;
    };
    std::string host = part(CURLUPART_HOST);
    std::transform(host.begin(), host.end(), host.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return UrlParts{part(CURLUPART_SCHEME), host, part(CURLUPART_PATH)};
}

std::string reasonOf(tvd::HttpResult::Fault fault)
{
    switch (fault) {
    case tvd::HttpResult::Fault::Unreachable: return "连接被拒绝或主机不可达";
    case tvd::HttpResult::Fault::Certificate:
        return "服务的证书无法验证（私有CA的证书文件可由环境变量 TAV_CA_FILE 指定）";
    default: return "服务在 " + std::to_string(kAnswerSeconds) + " 秒内没有应答";
    }
}

// The middleware speaks only these schemes, to a host and no path.
bool isServiceAddress(const std::string& service)
{
    const auto url = partsOf(service);
    return url && (url->scheme == "http" || url->scheme == "https") && !url->host.empty() &&
           url->path == "/" && !service.ends_with('/');
}

// The middleware's own check waits as long as a business call may take; a login must not.
std::string problemReachingOne(const std::string& service)
{
    tvd::HttpTransport http(service);
    http.setTimeouts(kConnectSeconds, kConnectSeconds + kAnswerSeconds);
    const auto answer = http.get("/v1/ping");
    if (answer.fault != tvd::HttpResult::Fault::None)
        return "无法连接远程写卡管理服务 " + service + "：" + reasonOf(answer.fault);
    if (answer.status != 200)
        return service + " 不是远程写卡管理服务（/v1/ping 应答 HTTP " +
               std::to_string(answer.status) + "）";
    return {};
}

// Empty as soon as one of the addresses answers; otherwise what went wrong with each.
std::string problemReaching(const std::string& service)
{
    const auto addresses = addressesOf(service);
    for (const auto& address : addresses)
        if (!isServiceAddress(address))
            return "服务地址 " + address + " 无效，应为 http://主机:端口";
    std::vector<std::string> problems;
    for (const auto& address : addresses) {
        std::string problem = problemReachingOne(address);
        if (problem.empty())
            return {};
        problems.push_back(std::move(problem));
    }
    return joined(problems, "；");
}

} // namespace

std::string NormalisedServiceAddress(const std::string& typed)
{
    std::vector<std::string> addresses;
    for (const auto& part : addressesOf(typed)) {
        std::string address = trimmed(part);
        if (!address.empty() && address.find("://") == std::string::npos)
            address.insert(0, "http://");
        while (address.ends_with('/') && !address.ends_with("://"))
            address.pop_back();
        addresses.push_back(std::move(address));
    }
    return joined(addresses, ",");
}

std::string PlainHttpWarning(const std::string& service)
{
    for (const auto& address : addressesOf(service)) {
        const auto url = partsOf(address);
        if (!url)
            continue;
        const std::string& host = url->host;
        const bool loopback =
            host == "localhost" || host.starts_with("127.") || host == "::1" || host == "[::1]";
        if (url->scheme == "http" && !host.empty() && !loopback)
            return "警告：" + address +
                   " 是未加密的 http:// 连接，密码、会话和KI等数据在网络上以明文传输；"
                   "连接其他主机请使用 https://。";
    }
    return {};
}

std::string LogInAtService(const std::string& service, const std::string& login,
                           const std::string& password, CTvdBasicStructObject& op)
{
    if (login.empty())
        return "请输入登录名。";
    if (service.empty())
        return "请输入服务地址。";
    if (std::string problem = problemReaching(service); !problem.empty())
        return problem;
    setenv(kBrokerVariable, service.c_str(), 1);
    CBSErrorMsg error;
    if (tvd_login(kBroker, login, password, op, error) == 0)
        return {};
    std::string reason = error.message.empty()
                             ? "登录失败（错误 " + std::to_string(error.code) + "）"
                             : error.message;
    if (!error.hint.empty())
        reason += "（" + error.hint + "）";
    return reason;
}

std::string LogOutOfService()
{
    CBSErrorMsg error;
    if (tvd_logout(kBroker, error) == 0)
        return {};
    return error.message + (error.hint.empty() ? "" : "（" + error.hint + "）");
}
