// The remote-SIM operations as handlers of the dispatcher, from the operation lists.
#include "table.h"

#include "stored_table.h"

#include "ResRemoteSimMgnt_tvd_c.h"
#include "ResSysMgnt_tvd_c.h"

namespace rsim::tables {
namespace {

constexpr const char* kInterface = MResRemoteMgntApp::IResRemoteMgnt::kInterfaceName;

// The table that stores a record type.
const Table& tableOf(const CTvdTypeInfo& record)
{
    for (const auto& table : Tables())
        if (table.def().recordType() == &record)
            return table;
    throw std::logic_error("no table stores " + record.name());
}

// Writes take the operation-info record (ignored: the session names the operator) and a list.
template <int (Table::*write)(CallContext&, const CTvdBasicListObject&, CBSErrorMsg&) const>
HandlerEntry writeEntry(const Table& table, std::int32_t right)
{
    Handler handler = [&table](CallContext& context, CTvdBasicParamObject& in, CTvdBasicParamObject&,
                               CBSErrorMsg& error) {
        return (table.*write)(context, static_cast<const CTvdBasicListObject&>(*in.object(1)), error);
    };
    return {std::move(handler), right, true};
}

HandlerEntry queryEntry(const Table& table)
{
    Handler handler = [&table](CallContext& context, CTvdBasicParamObject& in, CTvdBasicParamObject& out,
                               CBSErrorMsg&) {
        return table.query(context, static_cast<const CTvdBasicStructObject&>(*in.object(0)),
                           static_cast<CTvdBasicListObject&>(*out.object(0)));
    };
    return {std::move(handler), 0, false};
}

} // namespace

std::vector<db::Migration> schema()
{
    db::Migration tables{100, {}};
    for (const auto& table : Tables())
        for (auto& statement : table.schema())
            tables.statements.push_back(std::move(statement));
    return {tables};
}

void registerHandlers(HandlerTable& handlers)
{
#define RSIM_REGISTER_FAMILY_(Rec, suffix, addCode, modCode, delCode, qryCode, listName, critName, CritT) \
    {                                                                                                    \
        const Table& table = tableOf(MResRemoteMgntDef::Rec::typeInfo());                                \
        const auto& rights = table.def().rights;                                                        \
        handlers.add(kInterface, addCode, writeEntry<&Table::add>(table, rights[0]));                    \
        handlers.add(kInterface, modCode, writeEntry<&Table::modify>(table, rights[1]));                 \
        handlers.add(kInterface, delCode, writeEntry<&Table::remove>(table, rights[2]));                 \
        handlers.add(kInterface, qryCode, queryEntry(table));                                            \
    }
#define RSIM_REGISTER_INQUIRY_(op, code, CritT, critName, Rec, listName) \
    handlers.add(kInterface, code, queryEntry(tableOf(MResRemoteMgntDef::Rec::typeInfo())));
    RSIM_FAMILIES(RSIM_REGISTER_FAMILY_)
    RSIM_INQUIRIES(RSIM_REGISTER_INQUIRY_)
#undef RSIM_REGISTER_FAMILY_
#undef RSIM_REGISTER_INQUIRY_
    handlers.add(MResSysMgnt::IResSysMgnt::kInterfaceName, "RMRESD31",
                 queryEntry(tableOf(MResSysMgnt::SResCodeDefInfo::typeInfo())));
}

} // namespace rsim::tables
