// rsimctl import: a card file read as the window reads it, the fields it lacks filled from the
// options as the window fills them from its edit area, and all cards added in one call.
#include "commands.h"

#include "card_file.h"
#include "secret_input.h"

#include "ResRemoteSimMgnt_tvd_c.h"
#include "SysMgntService_tvd_c.h"

#include <QElapsedTimer>
#include <QRegularExpression>

using MResRemoteMgntApp::IResRemoteMgnt;
using namespace MResRemoteMgntDef;

namespace {

void addOptions(QCommandLineParser& parser)
{
    parser.setApplicationDescription(
        "把卡数据文件中的卡一次全部新增到服务：全部存储，或（有一张不合格时）一张也不存储。\n"
        "文件格式与客户端的导入相同：每行一张卡，IMSI号 SIM号 PIN1 PIN2 PUK1 PUK2 "
        "KI，UTF-8或GBK。\n"
        "文件没有的字段取自选项；短信中心号取系统参数 SmspCode，与客户端相同。");
    parser.addPositionalArgument("CARDFILE", "卡数据文件");
    parser.addOptions({
        {"card-type", "资源型号（卡类型）代码（必填）", "CODE"},
        {"vendor", "SIM卡商代码（必填）", "CODE"},
        {"status", "状态代码（默认 1）", "N", "1"},
        {"purpose", "用途代码（默认 1）", "N", "1"},
        {"region", "分公司代码（默认为操作员的）", "N"},
        {"county", "县公司代码（默认为操作员的）", "N"},
        {"org", "营业厅代码（默认为操作员的）", "N"},
        {"ki-key-file", "KI密钥所在的文件（取首行；默认取环境变量 RSIM_KI_KEY，都没有时为空）",
         "FILE"},
        {"ask-ki-key", "在终端上输入KI密钥（不回显）"},
        {"remark", "备注，原样存储", "TEXT"},
        {"dry-run", "只按服务的规则检查文件和卡，不存储"},
    });
    // The old form, which put the key in every user's process list: refused with what replaces it.
    QCommandLineOption kiKeyOnCommandLine("ki-key", "", "KEY");
    kiKeyOnCommandLine.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(kiKeyOnCommandLine);
}

// The numeric options and their largest values.
const std::pair<const char*, qint64> kNumbers[] = {{"status", INT16_MAX},
                                                   {"purpose", INT16_MAX},
                                                   {"region", INT16_MAX},
                                                   {"county", INT16_MAX},
                                                   {"org", INT32_MAX}};

// False after a usage error, which names the option.
bool checkOptions(const QCommandLineParser& parser)
{
    if (parser.isSet("ki-key")) {
        Complain(SecretOnCommandLine("ki-key",
                                     "环境变量 RSIM_KI_KEY、--ki-key-file FILE 或 --ask-ki-key"));
        return false;
    }
    for (const char* required : {"card-type", "vendor"})
        if (parser.value(required).isEmpty()) {
            Complain(QString("缺少 --%1（rsimctl import --help 显示用法）").arg(required));
            return false;
        }
    for (const auto& [name, max] : kNumbers)
        if (parser.isSet(name) && !IntegerOption(parser, name, 0, max))
            return false;
    return true;
}

// The fields a card file lacks, from the (checked) options, the KI key and the operator.
SRemoteSimInfo sharedFields(const QCommandLineParser& parser, const MSysmgntDef::SOperator& op,
                            const QString& kiKey)
{
    SRemoteSimInfo shared;
    shared.set_RES_CODE(parser.value("card-type").toStdString());
    shared.set_VENDOR_CODE(parser.value("vendor").toStdString());
    shared.set_KI_KEY(kiKey.toStdString());
    shared.set_REMARK(parser.value("remark").toStdString());
    auto number = [&](const char* name, qint64 fallback) {
        return parser.isSet(name) ? parser.value(name).toLongLong() : fallback;
    };
    shared.set_STS(static_cast<std::int16_t>(number("status", 1)));
    shared.set_PURPOSE(static_cast<std::int16_t>(number("purpose", 1)));
    shared.set_REGION_CODE(static_cast<std::int16_t>(number("region", op.REGION_CODE)));
    shared.set_COUNTY_CODE(static_cast<std::int16_t>(number("county", op.COUNTY_CODE)));
    shared.set_ORG_ID(static_cast<std::int32_t>(number("org", op.ORG_ID)));
    return shared;
}

// The SMS-centre number the window puts in its edit area: the system parameter "SmspCode".
bool smsCentre(std::string& number, CBSErrorMsg& error)
{
    MSysSvcApp::ISysMgnt system;
    if (system.bind_tavBroker("TAVORINE") != 0) {
        error.set(-1, 2, "无法连接系统管理服务", "");
        return false;
    }
    MSysmgntDef::SPublicParam criteria;
    criteria.set_PARAM_CODE("SmspCode");
    MSysmgntDef::SPublicParamList values;
    if (system.qry_sysParam(criteria, values, error, nullptr) != 0)
        return false;
    if (values.empty()) {
        error.set(1, 3, "系统参数未配置：SmspCode", "请在系统参数表配置短信中心号码");
        return false;
    }
    number = values[0].PARAM_VALUE;
    for (const auto& value : values)
        number = std::max(number, value.PARAM_VALUE);
    return true;
}

SRemoteSimInfoList cardsOf(const CardFile& file, const SRemoteSimInfo& shared)
{
    SRemoteSimInfoList cards;
    cards.reserve(static_cast<int>(file.rows.size()));
    for (const CardRow& row : file.rows) {
        SRemoteSimInfo card = shared;
        card.set_IMSI(std::string(row.cells.utf8(0)));
        card.set_SIM_ID(std::string(row.cells.utf8(1)));
        card.set_PIN1(std::string(row.cells.utf8(2)));
        card.set_PIN2(std::string(row.cells.utf8(3)));
        card.set_PUK1(std::string(row.cells.utf8(4)));
        card.set_PUK2(std::string(row.cells.utf8(5)));
        card.set_KI_CODE(std::string(row.cells.utf8(7))); // cell 6 is the file's extra field
        cards.push_back(card);
    }
    return cards;
}

// The refusal, with the file's line when the service names a card by its position.
int refusedBatch(const QString& path, const CardFile& file, const CBSErrorMsg& error)
{
    static const QRegularExpression position("第(\\d+)条记录");
    const QRegularExpressionMatch match = position.match(QString::fromStdString(error.hint));
    const std::size_t index = match.hasMatch() ? match.captured(1).toULongLong() : 0;
    const QString where = index >= 1 && index <= file.rows.size()
                              ? QString("%1 第%2行").arg(path).arg(file.rows[index - 1].line)
                              : path;
    return Refused(where + "：服务拒绝了这批卡，未存储任何卡", error);
}

} // namespace

int RunImport(const Connection& connection, const QStringList& arguments)
{
    QCommandLineParser parser;
    addOptions(parser);
    if (auto status = ParseCommand(parser, arguments, 1))
        return *status;
    if (!checkOptions(parser))
        return kExitUsage;
    QString problem;
    const auto kiKey = ReadSecret(parser.value("ki-key-file"), "RSIM_KI_KEY",
                                  parser.isSet("ask-ki-key"), "KI密钥：", problem);
    if (!kiKey)
        return Complain(problem), kExitRefused;
    const QString path = parser.positionalArguments().front();
    const bool dryRun = parser.isSet("dry-run");
    QElapsedTimer clock;
    clock.start();
    ProgressLine progress;

    progress.show("读取 " + path + " …");
    QByteArray bytes;
    if (!ReadCardFile(path, bytes, problem))
        return Complain(problem), kExitRefused;
    const CardFile file = ParseCardFile(std::move(bytes));
    if (!file.error.isEmpty())
        return Complain(path + "：" + file.error), kExitRefused;

    MSysmgntDef::SOperator op;
    IResRemoteMgnt service;
    service.setCheckOnly(dryRun);
    if (auto failed = Connect(connection, service, op))
        return *failed;
    SRemoteSimInfo common = sharedFields(parser, op, *kiKey);
    CBSErrorMsg error;
    if (std::string smsp; smsCentre(smsp, error))
        common.set_SMSP(smsp);
    else
        return Refused("读取短信中心号失败", error);

    const SRemoteSimInfoList cards = cardsOf(file, common);
    progress.show(QString("%1 %2 张卡 …").arg(dryRun ? "检查" : "存储").arg(cards.size()));
    MResRemoteMgntApp::SOpInfo opInfo;
    opInfo.set_REGION_CODE(op.REGION_CODE);
    opInfo.set_COUNTY_CODE(op.COUNTY_CODE);
    opInfo.set_ORG_ID(op.ORG_ID);
    opInfo.set_OP_ID(op.OP_ID);
    if (service.add_simInfo(opInfo, cards, error, nullptr) != 0) {
        progress.clear();
        if (dryRun && error.code == -1 && error.message.find("HTTP 404") != std::string::npos)
            error.message = "服务不支持只检查不存储（--dry-run），未存储任何卡";
        return refusedBatch(path, file, error);
    }
    progress.clear();
    Print(QString(dryRun ? "%1：%2 张卡检查通过，未存储（--dry-run），用时 %3 秒。\n"
                         : "%1：已存储 %2 张卡，用时 %3 秒。\n")
              .arg(path)
              .arg(cards.size())
              .arg(clock.elapsed() / 1000.0, 0, 'f', 1));
    return kExitDone;
}
