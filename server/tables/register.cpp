// The remote-SIM operations as handlers of the dispatcher, from the operation lists.
#include "table.h"

#include "ResRemoteSimMgnt_tvd_c.h"
#include "ResSysMgnt_tvd_c.h"

namespace rsim::tables {
namespace {

constexpr const char* kInterface = "MResRemoteMgntApp_IResRemoteMgnt";

enum class Action { Add, Modify, Remove };

Handler writeHandler(const std::string& table, Action action)
{
    return [table, action](CallContext& context, CTvdBasicParamObject& in, CTvdBasicParamObject&,
                           CBSErrorMsg& error) {
        const auto& records = static_cast<const CTvdBasicListObject&>(*in.object(1));
        const Table& target = TableOf(table);
        switch (action) {
        case Action::Add: return target.add(context, records, error);
        case Action::Modify: return target.modify(context, records, error);
        case Action::Remove: return target.remove(context, records, error);
        }
        return 1;
    };
}

Handler queryHandler(const std::string& table)
{
    return [table](CallContext& context, CTvdBasicParamObject& in, CTvdBasicParamObject& out,
                   CBSErrorMsg& error) {
        return TableOf(table).query(context, static_cast<CTvdBasicStructObject&>(*in.object(0)),
                                    static_cast<CTvdBasicListObject&>(*out.object(0)), error);
    };
}

template <class R>
std::string tableOf()
{
    return std::string(rsimcatalog::TableOf<R>().name);
}

} // namespace

std::vector<db::Migration> schema()
{
    db::Migration tables{100, {}};
    for (const auto& table : Tables())
        for (auto& statement : table.schema())
            tables.statements.push_back(std::move(statement));
    // The write log grows by every card written. The inquiry window asks by the operator's region
    // and id within a span of days, newest first; other callers by a span alone or by a number.
    // Each number index leads with the number and carries the window's scope after it, so that
    // the planner prefers it to the scope index when both apply.
    db::Migration writeLogIndexes{
        101,
        {"CREATE INDEX rsim_write_log_time ON rsim_write_log (OP_TIME)",
         "CREATE INDEX rsim_write_log_scope ON rsim_write_log (REGION_CODE, OP_ID, OP_TIME)",
         "CREATE INDEX rsim_write_log_imsi ON rsim_write_log (IMSI, REGION_CODE, OP_ID, OP_TIME)",
         "CREATE INDEX rsim_write_log_sim ON rsim_write_log (SIM_ID, REGION_CODE, OP_ID, OP_TIME)",
         "CREATE INDEX rsim_write_log_phone1 ON rsim_write_log (PHONE1, REGION_CODE, OP_ID, OP_TIME)",
         "CREATE INDEX rsim_write_log_phone2 ON rsim_write_log (PHONE2, REGION_CODE, OP_ID, OP_TIME)"}};
    return {tables, writeLogIndexes};
}

void registerHandlers(HandlerTable& handlers)
{
#define RSIM_REGISTER_FAMILY_(Rec, suffix, addCode, modCode, delCode, qryCode, listName, critName, \
                              CritT)                                                               \
    {                                                                                              \
        const std::string table = tableOf<MResRemoteMgntDef::Rec>();                               \
        const auto& rights = rsimcatalog::TableOf<MResRemoteMgntDef::Rec>().rights;                \
        handlers.add(kInterface, addCode, {writeHandler(table, Action::Add), rights.add, true});   \
        handlers.add(kInterface, modCode, {writeHandler(table, Action::Modify), rights.modify, true}); \
        handlers.add(kInterface, delCode, {writeHandler(table, Action::Remove), rights.remove, true}); \
        handlers.add(kInterface, qryCode, {queryHandler(table), 0, false});                        \
    }
#define RSIM_REGISTER_INQUIRY_(op, code, CritT, critName, Rec, listName)                           \
    handlers.add(kInterface, code,                                                                 \
                 {queryHandler(tableOf<MResRemoteMgntDef::Rec>()), 0, false});
    RSIM_FAMILIES(RSIM_REGISTER_FAMILY_)
    RSIM_INQUIRIES(RSIM_REGISTER_INQUIRY_)
    handlers.add(MResSysMgnt::IResSysMgnt::kInterfaceName, "RMRESD31",
                 {queryHandler(tableOf<MResSysMgnt::SResCodeDefInfo>()), 0, false});
}

} // namespace rsim::tables
