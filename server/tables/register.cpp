// The remote-SIM operations as handlers of the dispatcher, from the operation lists.
#include "table.h"

#include "ResRemoteSimMgnt_operations.h"
#include "ResSysMgnt_operations.h"

namespace rsim::tables {
namespace {

constexpr const char* kInterface = MResRemoteMgntApp::IResRemoteMgntOperations::kInterfaceName;

enum class Action { Add, Modify, Remove };

// One write call on a table, carrying its batch from a chunk of records to the next.
class TableWriter : public RecordWriter {
public:
    TableWriter(const Table& table, Action action, CallContext& context)
        : table_(table), action_(action), context_(context)
    {}
    int write(const CTvdBasicListObject& records, CBSErrorMsg& error) override
    {
        switch (action_) {
        case Action::Add: return table_.add(context_, records, batch_, error);
        case Action::Modify: return table_.modify(context_, records, batch_, error);
        case Action::Remove: return table_.remove(context_, records, batch_, error);
        }
        return 1;
    }

private:
    const Table& table_;
    const Action action_;
    CallContext& context_;
    Table::Batch batch_;
};

WriterFactory tableWriter(const Table& target, Action action)
{
    return [&target, action](CallContext& context) {
        return std::make_unique<TableWriter>(target, action, context);
    };
}

// A query of the table by records of the criteria type, planned once here; it needs the read
// right, and its answer reveals secrets to an operator who holds the modify right.
HandlerEntry tableQuery(const Table& target, const CTvdTypeInfo& criteriaType,
                        std::int32_t readEntity)
{
    return HandlerEntry::query(
        [&target,
         plan = target.planQuery(criteriaType)](CallContext& context, CTvdBasicParamObject& in,
                                                CTvdBasicParamObject& out, CBSErrorMsg& error) {
            return target.query(plan, context, static_cast<CTvdBasicStructObject&>(*in.object(0)),
                                static_cast<CTvdBasicListObject&>(*out.object(0)), error);
        },
        readEntity, target.revealEntity());
}

} // namespace

void registerHandlers(HandlerTable& handlers)
{
#define RSIM_REGISTER_FAMILY_(Rec, suffix, addCode, modCode, delCode, qryCode, listName, critName, \
                              CritT)                                                               \
    {                                                                                              \
        const Table& table = StoredTable<MResRemoteMgntDef::Rec>();                                \
        const auto& rights = rsimcatalog::TableOf<MResRemoteMgntDef::Rec>().rights;                \
        handlers.add(kInterface, addCode,                                                          \
                     HandlerEntry::write(tableWriter(table, Action::Add), rights.add));            \
        handlers.add(kInterface, modCode,                                                          \
                     HandlerEntry::write(tableWriter(table, Action::Modify), rights.modify));      \
        handlers.add(kInterface, delCode,                                                          \
                     HandlerEntry::write(tableWriter(table, Action::Remove), rights.remove));      \
        handlers.add(kInterface, qryCode,                                                          \
                     tableQuery(table, MResRemoteMgntDef::CritT::typeInfo(), rights.read));        \
    }
#define RSIM_REGISTER_INQUIRY_(op, code, CritT, critName, Rec, listName)                           \
    handlers.add(kInterface, code,                                                                 \
                 tableQuery(StoredTable<MResRemoteMgntDef::Rec>(),                                 \
                            MResRemoteMgntDef::CritT::typeInfo(),                                  \
                            rsimcatalog::TableOf<MResRemoteMgntDef::Rec>().rights.read));
    RSIM_FAMILIES(RSIM_REGISTER_FAMILY_)
    RSIM_INQUIRIES(RSIM_REGISTER_INQUIRY_)
    handlers.add(MResSysMgnt::IResSysMgntOperations::kInterfaceName, "RMRESD31",
                 tableQuery(StoredTable<MResSysMgnt::SResCodeDefInfo>(),
                            MResSysMgnt::SQueryResCodeIn::typeInfo(), 0));
}

} // namespace rsim::tables
