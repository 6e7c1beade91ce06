// rsimd's schema: every declared table has its columns, and a database made at the baseline
// upgrades in place with its rows.
#include "backend_fixture.h"
#include "formats.h"
#include "schema.h"
#include "secrets.h"
#include "table.h"

#include <gtest/gtest.h>

using namespace rsim::db;

namespace {

constexpr int kBaseline = 100;

TEST(Schema, EveryDeclaredTableHasAColumnForEachMemberOfItsRecord)
{
    testsupport::ScratchDatabase database(testsupport::Backend::Sqlite);
    auto db = connect(database.address());
    migrate(*db, schemaMigrations());
    for (const auto& def : rsim::tables::TableDefs()) {
        std::string columns;
        for (const auto* member = def.record().memberTable(); member->kind != TVD_END; ++member)
            columns += (columns.empty() ? "" : ", ") + std::string(member->name);
        EXPECT_NO_THROW(db->exec("SELECT " + columns + " FROM " + def.name() + " WHERE 1 = 0"))
            << def.name()
            << ": a member added to the record needs a migration that adds its column";
    }
}

// The demo gives a maintained table that its data leaves empty one sample row, which its rules
// accept: formats met, references to stored keys.
TEST(Schema, AnEmptyMaintainedTableTakesOneSampleRowThatItsRulesAccept)
{
    testsupport::ScratchDatabase database(testsupport::Backend::Sqlite);
    auto db = connect(database.address());
    migrate(*db, schemaMigrations());
    const auto box = rsim::secrets::SecretBox::withRandomKey();
    for (const auto& table : rsim::tables::Tables()) {
        if (table.def().table.rights.add == 0)
            continue;
        table.seedSample(*db, box);
        table.seedSample(*db, box);
        EXPECT_EQ(asText(db->scalar("SELECT COUNT(*) FROM " + table.name())), "1") << table.name();
        for (const auto& rule : table.def().rules) {
            const Value value = db->scalar("SELECT " + rule.member + " FROM " + table.name());
            if (!rule.secret) {
                EXPECT_TRUE(rsim::tables::matchesFormat(rule.format, asText(value)))
                    << table.name() << "." << rule.member;
            }
            if (!rule.references.empty()) {
                EXPECT_EQ(asText(db->scalar(
                              "SELECT COUNT(*) FROM " + std::string(rule.references) + " WHERE " +
                                  rsim::tables::TableDefOf(rule.references).keyNames()[0] + " = ?",
                              {value})),
                          "1")
                    << table.name() << "." << rule.member;
            }
        }
    }
}

using Upgrade = testsupport::DatabaseTest;

// A database as the first release made it: the baseline migrations and rows written then.
TEST_P(Upgrade, ADatabaseAtTheBaselineUpgradesInPlaceWithItsRowsIntact)
{
    std::vector<Migration> baseline;
    for (const auto& migration : schemaMigrations())
        if (migration.version <= kBaseline)
            baseline.push_back(migration);
    migrate(*db_, baseline);
    db_->exec("INSERT INTO rsim_province (PROVINCE_CODE, PROVINCE_NAME) VALUES ('98', '旧库省份')");
    db_->exec("INSERT INTO rsim_vendor (VENDOR_CODE, VENDOR_NAME, IS_KI) VALUES ('V98', "
              "'旧厂商', 1)");
    db_->exec("INSERT INTO rsim_sim (IMSI, SIM_ID, RES_CODE, VENDOR_CODE, REGION_CODE, STS) "
              "VALUES ('460009800000001', '8986009800000000001', 'C64', 'V98', 10, 1)");
    db_->exec("INSERT INTO sys_region (REGION_CODE, REGION_NAME) VALUES (98, '旧库地市')");
    // Card passwords were stored in plain then.
    db_->exec("INSERT INTO rsim_auc_info (PROVINCE_CODE, VENDOR_CODE, CARD_TYPE, SIM_SEQUENCE, "
              "PWD) VALUES ('98', 'V98', 'C64', '0001', 'old-pass')");

    testsupport::RsimdProcess rsimd(database_->address(), true);
    ASSERT_TRUE(rsimd.listening()) << "exit status " << rsimd.stop();
    EXPECT_EQ(rsimd.stop(), 0);
    const auto box = rsim::secrets::SecretBox::fromKeyFile(rsimd.keyFile(), false);

    EXPECT_EQ(number("SELECT COUNT(*) FROM schema_version"), std::ssize(schemaMigrations()));
    EXPECT_EQ(number("SELECT MAX(version) FROM schema_version"), schemaMigrations().back().version);
    EXPECT_EQ(text("SELECT PROVINCE_NAME FROM rsim_province WHERE PROVINCE_CODE = '98'"),
              "旧库省份");
    EXPECT_EQ(number("SELECT IS_KI FROM rsim_vendor WHERE VENDOR_CODE = 'V98'"), 1);
    EXPECT_EQ(text("SELECT SIM_ID FROM rsim_sim WHERE IMSI = '460009800000001'"),
              "8986009800000000001");
    EXPECT_EQ(text("SELECT REGION_NAME FROM sys_region WHERE REGION_CODE = 98"), "旧库地市");
    const std::string password = text("SELECT PWD FROM rsim_auc_info WHERE SIM_SEQUENCE = '0001'");
    EXPECT_TRUE(rsim::secrets::SecretBox::looksSealed(password))
        << "the plain password was left unsealed";
    EXPECT_EQ(box.decrypt(password, {"rsim_auc_info", "PWD", {"98", "V98", "C64", "0001"}}),
              "old-pass");
}

RSIM_ON_EVERY_BACKEND(Upgrade);

} // namespace
