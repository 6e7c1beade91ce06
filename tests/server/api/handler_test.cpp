#include "handler.h"

#include <gtest/gtest.h>

namespace {

rsim::HandlerEntry entry(std::int32_t requiredEntity)
{
    return {[](rsim::CallContext&, CTvdBasicParamObject&, CTvdBasicParamObject&, CBSErrorMsg&) {
                return 0;
            },
            requiredEntity, requiredEntity != 0};
}

TEST(HandlerTable, FindsAnEntryByItsInterfaceAndCodeOnly)
{
    rsim::HandlerTable table;
    table.add("MResRemoteMgntApp_IResRemoteMgnt", "RMOSMQ01", entry(53701));
    table.add("MResRemoteMgntApp_IResRemoteMgnt", "RMOSMQ04", entry(0));
    table.add("MSysSvcApp_ISysMgnt", "SYSMQ01", entry(0));

    const rsim::HandlerEntry* add = table.find("MResRemoteMgntApp_IResRemoteMgnt", "RMOSMQ01");
    ASSERT_NE(add, nullptr);
    EXPECT_EQ(add->requiredEntity, 53701);
    EXPECT_TRUE(add->writes);
    const rsim::HandlerEntry* query = table.find("MResRemoteMgntApp_IResRemoteMgnt", "RMOSMQ04");
    ASSERT_NE(query, nullptr);
    EXPECT_FALSE(query->writes);

    // A prefix, an extension or a code under another interface is no match.
    EXPECT_EQ(table.find("MResRemoteMgntApp_IResRemoteMgnt", "RMOSMQ0"), nullptr);
    EXPECT_EQ(table.find("MResRemoteMgntApp_IResRemoteMgnt", "RMOSMQ011"), nullptr);
    EXPECT_EQ(table.find("MResRemoteMgntApp_IResRemoteMgn", "RMOSMQ01"), nullptr);
    EXPECT_EQ(table.find("MSysSvcApp_ISysMgnt", "RMOSMQ01"), nullptr);
    EXPECT_EQ(table.find("", ""), nullptr);
}

} // namespace
