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

void registerHandlers(HandlerTable& handlers)
{
#define RSIM_REGISTER_FAMILY_(Rec, suffix, addCode, modCode, delCode, qryCode, listName, critName, \
                              CritT)                                                               \
    {                                                                                              \
        const std::string table = tableOf<MResRemoteMgntDef::Rec>();                               \
        const auto& rights = rsimcatalog::TableOf<MResRemoteMgntDef::Rec>().rights;                \
        handlers.add(kInterface, addCode, {writeHandler(table, Action::Add), rights.add, true});   \
        handlers.add(kInterface, modCode,                                                          \
                     {writeHandler(table, Action::Modify), rights.modify, true});                  \
        handlers.add(kInterface, delCode,                                                          \
                     {writeHandler(table, Action::Remove), rights.remove, true});                  \
        handlers.add(kInterface, qryCode, {queryHandler(table), 0, false});                        \
    }
#define RSIM_REGISTER_INQUIRY_(op, code, CritT, critName, Rec, listName)                           \
    handlers.add(kInterface, code, {queryHandler(tableOf<MResRemoteMgntDef::Rec>()), 0, false});
    RSIM_FAMILIES(RSIM_REGISTER_FAMILY_)
    RSIM_INQUIRIES(RSIM_REGISTER_INQUIRY_)
    handlers.add(MResSysMgnt::IResSysMgnt::kInterfaceName, "RMRESD31",
                 {queryHandler(tableOf<MResSysMgnt::SResCodeDefInfo>()), 0, false});
}

} // namespace rsim::tables
