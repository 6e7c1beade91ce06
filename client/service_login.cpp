#include "service_login.h"

#include "http_transport.h"
#include "tvd_client.h"

#include <QUrl>

namespace {

constexpr const char* kBroker = "TAVORINE";
constexpr const char* kBrokerVariable = "TAV_BROKER_TAVORINE";
constexpr int kConnectSeconds = 3;
// Longer than the service's keep-alive wait, so a busy service is not taken for a dead one.
constexpr int kAnswerSeconds = 6;

QString reasonOf(tvd::HttpResult::Fault fault)
{
    switch (fault) {
    case tvd::HttpResult::Fault::Unreachable: return "连接被拒绝或主机不可达";
    case tvd::HttpResult::Fault::Certificate:
        return "服务的证书无法验证（私有CA的证书文件可由环境变量 TAV_CA_FILE 指定）";
    default: return QString("服务在 %1 秒内没有应答").arg(kAnswerSeconds);
    }
}

// The middleware speaks only these schemes.
bool isServiceAddress(const QString& service)
{
    const QUrl url(service, QUrl::StrictMode);
    return url.isValid() && (url.scheme() == "http" || url.scheme() == "https") &&
           !url.host().isEmpty() && url.path().isEmpty();
}

// The middleware's own check waits as long as a business call may take; a login must not.
QString problemReachingOne(const QString& service)
{
    tvd::HttpTransport http(service.toStdString());
    http.setTimeouts(kConnectSeconds, kConnectSeconds + kAnswerSeconds);
    const auto answer = http.get("/v1/ping");
    if (answer.fault != tvd::HttpResult::Fault::None)
        return QString("无法连接远程写卡管理服务 %1：%2").arg(service, reasonOf(answer.fault));
    if (answer.status != 200)
        return QString("%1 不是远程写卡管理服务（/v1/ping 应答 HTTP %2）")
            .arg(service)
            .arg(answer.status);
    return {};
}

// Empty as soon as one of the addresses answers; otherwise what went wrong with each.
QString problemReaching(const QString& service)
{
    const QStringList addresses = service.split(u',');
    for (const QString& address : addresses)
        if (!isServiceAddress(address))
            return QString("服务地址 %1 无效，应为 http://主机:端口").arg(address);
    QStringList problems;
    for (const QString& address : addresses) {
        const QString problem = problemReachingOne(address);
        if (problem.isEmpty())
            return {};
        problems.append(problem);
    }
    return problems.join("；");
}

} // namespace

QString NormalisedServiceAddress(const QString& typed)
{
    QStringList addresses;
    for (const QString& part : typed.split(u',')) {
        QString address = part.trimmed();
        if (!address.isEmpty() && !address.contains("://"))
            address.prepend("http://");
        while (address.endsWith('/') && !address.endsWith("://"))
            address.chop(1);
        addresses.append(address);
    }
    return addresses.join(u',');
}

QString PlainHttpWarning(const QString& service)
{
    for (const QString& address : service.split(u',')) {
        const QUrl url(address);
        const QString host = url.host().toLower();
        const bool loopback = host == "localhost" || host.startsWith("127.") || host == "::1";
        if (url.scheme() == "http" && !host.isEmpty() && !loopback)
            return QString(
                       "警告：%1 是未加密的 http:// 连接，密码、会话和KI等数据在网络上以明文传输；"
                       "连接其他主机请使用 https://。")
                .arg(address);
    }
    return {};
}

QString LogInAtService(const QString& service, const QString& login, const QString& password,
                       MSysmgntDef::SOperator& op)
{
    if (login.isEmpty())
        return "请输入登录名。";
    if (service.isEmpty())
        return "请输入服务地址。";
    if (const QString problem = problemReaching(service); !problem.isEmpty())
        return problem;
    qputenv(kBrokerVariable, service.toUtf8());
    CBSErrorMsg error;
    if (tvd_login(kBroker, login.toStdString(), password.toStdString(), op, error) == 0)
        return {};
    QString reason = error.message.empty() ? QString("登录失败（错误 %1）").arg(error.code)
                                           : QString::fromStdString(error.message);
    if (!error.hint.empty())
        reason += "（" + QString::fromStdString(error.hint) + "）";
    return reason;
}

QString LogOutOfService()
{
    CBSErrorMsg error;
    if (tvd_logout(kBroker, error) == 0)
        return {};
    return QString::fromStdString(error.message +
                                  (error.hint.empty() ? "" : "（" + error.hint + "）"));
}
