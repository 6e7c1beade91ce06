// rsimctl sims and rsimctl export: the cards of an IMSI range and whole reference tables.
#include "commands.h"

#include "cli.h"
#include "table_text.h"

#include "ResRemoteSimMgnt_tvd_c.h"

#include <functional>
#include <map>

using MResRemoteMgntApp::IResRemoteMgnt;
using namespace MResRemoteMgntDef;

namespace {

// Every record of a table (the criteria record left empty) as text.
template <class Criteria, class List>
int queryAll(int (IResRemoteMgnt::*query)(const Criteria&, List&, CBSErrorMsg&, STVSession*),
             IResRemoteMgnt& service, bool csv, QString& text, CBSErrorMsg& error)
{
    List list;
    const int result = (service.*query)(Criteria(), list, error, nullptr);
    if (result == 0)
        text = TableText(list, csv);
    return result;
}

using TableQuery = std::function<int(IResRemoteMgnt&, bool, QString&, CBSErrorMsg&)>;

// The reference tables by the names the command line uses.
const std::map<QString, TableQuery>& tables()
{
    static const std::map<QString, TableQuery> all = {
        {"provinces",
         [](auto&&... a) { return queryAll(&IResRemoteMgnt::qry_provinceCode, a...); }},
        {"card-types", [](auto&&... a) { return queryAll(&IResRemoteMgnt::qry_cardType, a...); }},
        {"vendors", [](auto&&... a) { return queryAll(&IResRemoteMgnt::qry_vendorCode, a...); }},
        {"groups", [](auto&&... a) { return queryAll(&IResRemoteMgnt::qry_msisdnGroup, a...); }},
        {"imsi-ranges",
         [](auto&&... a) { return queryAll(&IResRemoteMgnt::qry_imsiMsisdnGrp, a...); }},
        {"msisdn-ranges",
         [](auto&&... a) { return queryAll(&IResRemoteMgnt::qry_msisdnGrp, a...); }},
        {"error-codes",
         [](auto&&... a) { return queryAll(&IResRemoteMgnt::qry_cardErrMsg, a...); }},
        {"auc-info",
         [](auto&&... a) { return queryAll(&IResRemoteMgnt::qry_aucVerifyInfo, a...); }},
        {"auc-rights", [](auto&&... a) { return queryAll(&IResRemoteMgnt::qry_aucSysInfo, a...); }},
    };
    return all;
}

QString tableNames()
{
    QStringList names;
    for (const auto& table : tables())
        names.append(table.first);
    return names.join(", ");
}

// "FIRST" or "FIRST-LAST" into the criteria; false when it is neither.
bool setImsiRange(const QString& range, SRemoteSimQryIn& criteria)
{
    const QStringList ends = range.split(u'-');
    if (ends.size() > 2 || ends.front().isEmpty() || ends.back().isEmpty())
        return false;
    criteria.set_START_IMSI(ends.front().trimmed().toStdString());
    criteria.set_END_IMSI(ends.back().trimmed().toStdString());
    return true;
}

} // namespace

int RunSims(const Connection& connection, const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription("列出一个IMSI号段的SIM卡（每行一张卡，首行为字段名）。");
    parser.addOptions(
        {{"imsi", "IMSI号或号段，如 460001234500000-460001234599999（必填）", "FIRST[-LAST]"},
         {"max", "最多列出的卡数（默认由服务决定）", "N"},
         {"csv", "以CSV格式输出（默认以制表符分隔）"}});
    if (auto status = ParseCommand(parser, arguments, 0))
        return *status;
    SRemoteSimQryIn criteria;
    if (!parser.isSet("imsi") || !setImsiRange(parser.value("imsi"), criteria)) {
        Complain("--imsi 应为 FIRST 或 FIRST-LAST（rsimctl sims --help 显示用法）");
        return kExitUsage;
    }
    if (parser.isSet("max")) {
        const auto max = IntegerOption(parser, "max", 1, INT32_MAX);
        if (!max)
            return kExitUsage;
        criteria.set_MAX_NUM(static_cast<std::int32_t>(*max));
    }
    IResRemoteMgnt service;
    if (MSysmgntDef::SOperator op; auto failed = Connect(connection, service, op))
        return *failed;
    SRemoteSimInfoList cards;
    CBSErrorMsg error;
    if (service.qry_simInfo(criteria, cards, error, nullptr) != 0)
        return Refused("查询SIM卡失败", error);
    Print(TableText(cards, parser.isSet("csv")));
    return kExitDone;
}

int RunExport(const Connection& connection, const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription("把一张参考表的全部记录写到标准输出（首行为字段名）。\n表：" +
                                     tableNames());
    parser.addPositionalArgument("TABLE", "表名：" + tableNames());
    parser.addOption({"csv", "以CSV格式输出（默认以制表符分隔）"});
    if (auto status = ParseCommand(parser, arguments, 1))
        return *status;
    const auto table = tables().find(parser.positionalArguments().front());
    if (table == tables().end()) {
        Complain("没有这张表：" + parser.positionalArguments().front() + "；可选：" + tableNames());
        return kExitUsage;
    }
    IResRemoteMgnt service;
    if (MSysmgntDef::SOperator op; auto failed = Connect(connection, service, op))
        return *failed;
    QString text;
    CBSErrorMsg error;
    if (table->second(service, parser.isSet("csv"), text, error) != 0)
        return Refused("查询失败", error);
    Print(text);
    return kExitDone;
}
