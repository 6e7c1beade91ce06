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
    const std::string remote = "MResRemoteMgntApp_IResRemoteMgnt", sys = "MSysSvcApp_ISysMgnt";
    rsim::HandlerTable table;
    table.add(remote, "RMOSMQ01", entry(53701));
    table.add(remote, "RMOSMQ04", entry(0));
    table.add(sys, "SYSMQ01", entry(0));
    const rsim::HandlerEntry* add = table.find(remote, "RMOSMQ01");
    ASSERT_NE(add, nullptr);
    EXPECT_EQ(add->requiredEntity, 53701);
    EXPECT_TRUE(add->writes());
    ASSERT_NE(table.find(remote, "RMOSMQ04"), nullptr);
    EXPECT_FALSE(table.find(remote, "RMOSMQ04")->writes());
    // A prefix, an extension or a code under another interface is no match.
    for (const auto& [interface, code] : std::vector<std::pair<std::string, std::string>>{
             {remote, "RMOSMQ0"}, {remote, "RMOSMQ011"}, {remote.substr(1), "RMOSMQ01"},
             {sys, "RMOSMQ01"}, {"", ""}})
        EXPECT_EQ(table.find(interface, code), nullptr) << interface << " " << code;
}

} // namespace
