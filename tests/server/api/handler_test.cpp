#include "handler.h"

#include <gtest/gtest.h>

namespace {

class NoWriter : public rsim::RecordWriter {
public:
    int write(const CTvdBasicListObject&, CBSErrorMsg&) override { return 0; }
};

// A write when it needs an entity right, a query otherwise.
rsim::HandlerEntry entry(std::int32_t requiredEntity)
{
    if (requiredEntity != 0)
        return rsim::HandlerEntry::write(
            [](rsim::CallContext&) -> std::unique_ptr<rsim::RecordWriter> {
                return std::make_unique<NoWriter>();
            },
            requiredEntity);
    return rsim::HandlerEntry::query([](rsim::CallContext&, CTvdBasicParamObject&,
                                        CTvdBasicParamObject&, CBSErrorMsg&) { return 0; });
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
    EXPECT_TRUE(add->writes());
    const rsim::HandlerEntry* query = table.find("MResRemoteMgntApp_IResRemoteMgnt", "RMOSMQ04");
    ASSERT_NE(query, nullptr);
    EXPECT_FALSE(query->writes());

    // A prefix, an extension or a code under another interface is no match.
    EXPECT_EQ(table.find("MResRemoteMgntApp_IResRemoteMgnt", "RMOSMQ0"), nullptr);
    EXPECT_EQ(table.find("MResRemoteMgntApp_IResRemoteMgnt", "RMOSMQ011"), nullptr);
    EXPECT_EQ(table.find("MResRemoteMgntApp_IResRemoteMgn", "RMOSMQ01"), nullptr);
    EXPECT_EQ(table.find("MSysSvcApp_ISysMgnt", "RMOSMQ01"), nullptr);
    EXPECT_EQ(table.find("", ""), nullptr);
}

} // namespace
