#include "service_login.h"

#include "tvd_client.h"

#include <QUrl>

#include <httplib.h>

namespace {

constexpr const char* kBroker = "TAVORINE";
constexpr const char* kBrokerVariable = "TAV_BROKER_TAVORINE";
constexpr int kConnectSeconds = 3;
// Longer than the service's keep-alive wait, so a busy service is not taken for a dead one.
constexpr int kAnswerSeconds = 6;

QString reasonOf(httplib::Error error)
{
    switch (error) {
    case httplib::Error::Connection:
        return "连接被拒绝或主机不可达";
    case httplib::Error::Read:
        return QString("服务在 %1 秒内没有应答").arg(kAnswerSeconds);
    default:
        return QString::fromStdString(httplib::to_string(error));
    }
}

// The HTTP client throws on any other scheme.
bool isServiceAddress(const QString& service)
{
    const QUrl url(service, QUrl::StrictMode);
    return url.isValid() && (url.scheme() == "http" || url.scheme() == "https") && !url.host().isEmpty() &&
           url.path().isEmpty();
}

// The middleware's own check waits as long as a business call may take; a login must not.
QString problemReaching(const QString& service)
{
    if (!isServiceAddress(service))
        return QString("服务地址 %1 无效，应为 http://主机:端口").arg(service);
    httplib::Client http(service.toStdString());
    http.set_connection_timeout(kConnectSeconds, 0);
    http.set_read_timeout(kAnswerSeconds, 0);
    const auto answer = http.Get("/v1/ping");
    if (!answer)
        return QString("无法连接远程写卡管理服务 %1：%2").arg(service, reasonOf(answer.error()));
    if (answer->status != 200)
        return QString("%1 不是远程写卡管理服务（/v1/ping 应答 HTTP %2）").arg(service).arg(answer->status);
    return {};
}

} // namespace

QString NormalisedServiceAddress(const QString& typed)
{
    QString address = typed.trimmed();
    if (!address.isEmpty() && !address.contains("://"))
        address.prepend("http://");
    while (address.endsWith('/') && !address.endsWith("://"))
        address.chop(1);
    return address;
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
