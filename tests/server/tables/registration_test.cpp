// Every remote-SIM operation has its handler, and every write asks for its entity right.
#include "ResRemoteSimMgnt_tvd_c.h"
#include "ResSysMgnt_tvd_c.h"
#include "table.h"
#include "tvd_client.h"

#include <gtest/gtest.h>

#include <map>

namespace {

constexpr const char* kInterface = MResRemoteMgntApp::IResRemoteMgnt::kInterfaceName;

// The right to add records of each family; modify and delete need the next two.
const std::map<std::string, std::int32_t> kAddRights = {
    {"RMOSMQ01", 53701}, {"RMOSMQ05", 53704}, {"RMOSMQ09", 53707}, {"RMOSMQ13", 53719},
    {"RMOSMQ17", 53713}, {"RMOSMQ21", 53716}, {"RMOSMQ25", 53719}, {"RMOSMQ30", 53722},
    {"RMOSMQ34", 53722}, {"RMOSMQ40", 53731}, {"RMOSMQ44", 53734},
};

void expectQuery(const rsim::HandlerTable& handlers, const char* interfaceName, const char* code)
{
    SCOPED_TRACE(code);
    ASSERT_NE(tvd_findOperation(interfaceName, code), nullptr);
    const rsim::HandlerEntry* entry = handlers.find(interfaceName, code);
    ASSERT_NE(entry, nullptr);
    EXPECT_FALSE(entry->writes);
    EXPECT_EQ(entry->requiredEntity, 0);
}

void expectWrite(const rsim::HandlerTable& handlers, const char* code, std::int32_t right)
{
    SCOPED_TRACE(code);
    ASSERT_NE(tvd_findOperation(kInterface, code), nullptr);
    const rsim::HandlerEntry* entry = handlers.find(kInterface, code);
    ASSERT_NE(entry, nullptr);
    EXPECT_TRUE(entry->writes);
    EXPECT_EQ(entry->requiredEntity, right);
}

TEST(Registration, EveryOperationHasAHandlerAndEveryWriteItsRight)
{
    rsim::HandlerTable handlers;
    rsim::tables::registerHandlers(handlers);
    int operations = 0;
#define CHECK_FAMILY_(Rec, suffix, addCode, modCode, delCode, qryCode, listName, critName, CritT) \
    expectWrite(handlers, addCode, kAddRights.at(addCode));                                        \
    expectWrite(handlers, modCode, kAddRights.at(addCode) + 1);                                    \
    expectWrite(handlers, delCode, kAddRights.at(addCode) + 2);                                    \
    expectQuery(handlers, kInterface, qryCode);                                                    \
    operations += 4;
#define CHECK_INQUIRY_(op, code, CritT, critName, Rec, listName) \
    expectQuery(handlers, kInterface, code);                     \
    ++operations;
    RSIM_FAMILIES(CHECK_FAMILY_)
    RSIM_INQUIRIES(CHECK_INQUIRY_)
#undef CHECK_FAMILY_
#undef CHECK_INQUIRY_
    EXPECT_EQ(operations, 47);
    expectQuery(handlers, MResSysMgnt::IResSysMgnt::kInterfaceName, "RMRESD31");
}

} // namespace
