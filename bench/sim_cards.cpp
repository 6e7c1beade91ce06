#include "sim_cards.h"
#include "tvd_member.h"

#include <cstdio>

using namespace MResRemoteMgntDef;

SRemoteSimInfo card(long long n)
{
    char imsi[16], iccid[21];
    std::snprintf(imsi, sizeof imsi, "46002%010lld", n);
    std::snprintf(iccid, sizeof iccid, "898602%014lld", n);
    SRemoteSimInfo sim;
    sim.set_IMSI(imsi);
    sim.set_SIM_ID(iccid);
    sim.set_PIN1("1234");
    sim.set_PIN2("5678");
    sim.set_PUK1("12345678");
    sim.set_PUK2("87654321");
    sim.set_KI_CODE("0123456789ABCDEF0123456789ABCDEF");
    sim.set_RES_CODE("C64");
    sim.set_VENDOR_CODE("V01");
    sim.set_SMSP("+8613800200500");
    sim.set_REGION_CODE(10);
    sim.set_COUNTY_CODE(1001);
    sim.set_ORG_ID(100101);
    sim.set_STS(1);
    return sim;
}

// Rows of the same cards as the service stores them (all 44 columns, KI sealed).
std::vector<rsim::db::Row> rowsOf(const SRemoteSimInfoList& cards,
                                  const rsim::secrets::SecretBox& box)
{
    std::vector<rsim::db::Row> rows;
    rows.reserve(cards.size());
    for (const auto& c : cards) {
        rsim::db::Row row;
        for (int i = 0; i < SRemoteSimInfo::MEMBER_COUNT; ++i)
            row.push_back(std::visit(
                TvdOverloaded{
                    [&](const std::string* text) -> rsim::db::Value {
                        if (i != SRemoteSimInfo::idx_KI_CODE)
                            return *text;
                        return box.encrypt(*text, {"rsim_sim", "KI_CODE", {c.IMSI}});
                    },
                    [](const CBSDateTime*) { return rsim::db::Value{}; },
                    [](const auto* number) { return rsim::db::Value{std::int64_t{*number}}; }},
                tvd_member(c, i)));
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<std::string> simColumns()
{
    std::vector<std::string> names;
    for (const STvdMemberTypeInfo* m = SRemoteSimInfo::memberTable(); m->kind != TVD_END; ++m)
        names.push_back(m->name);
    return names;
}

void storeCards(rsim::db::Driver& db, const rsim::secrets::SecretBox& box, long long first,
                long long count)
{
    for (long long done = 0; done < count; done += 100000) {
        SRemoteSimInfoList cards;
        for (long long i = done; i < std::min(count, done + 100000); ++i)
            cards.push_back(card(first + i));
        rsim::db::Transaction tx(db);
        db.insertMany("rsim_sim", simColumns(), rowsOf(cards, box));
        tx.commit();
    }
}

void bareRangeQuery(rsim::db::Driver& db, int times)
{
    std::string columns;
    for (const auto& c : simColumns())
        columns += (columns.empty() ? "" : ", ") + c;
    const std::string sql =
        "SELECT " + columns + " FROM rsim_sim WHERE IMSI >= ? AND IMSI <= ? ORDER BY IMSI LIMIT 50";
    for (int i = 0; i < times; ++i)
        db.query(sql, {std::string("460020000500000"), std::string("460020000600000")},
                 [](const rsim::db::Row&) {});
}

namespace {

constexpr int kLogEntries = 1000000;
constexpr int kRegions = 10;
constexpr int kOperatorsPerRegion = 20;

std::string numbered(const char* prefix, long long n, int width)
{
    char text[32];
    std::snprintf(text, sizeof text, "%s%0*lld", prefix, width, n);
    return text;
}

// Entry n of a year from 2026-01-01, spread evenly over the regions and their operators.
rsim::db::Row logEntry(int n)
{
    const int region = 20 + n % kRegions;
    const int op = region * 100 + (n / kRegions) % kOperatorsPerRegion;
    const CBSDateTime when =
        CBSDateTime::fromTDateTime(CBSDateTime(2026, 1, 1).toTDateTime() + 365.0 * n / kLogEntries);
    return {std::int64_t{500000000000LL + n},
            numbered("898603", n, 14),
            numbered("46003", n, 10),
            std::int64_t{op},
            std::int64_t{1},
            when.toWire(),
            std::string("写卡成功"),
            std::string(n % 6 ? "0" : "1"),
            std::int64_t{0},
            numbered("139", n, 8),
            n % 6 ? rsim::db::Value{} : rsim::db::Value{numbered("147", n, 8)},
            std::int64_t{region},
            rsim::db::Value{}};
}

} // namespace

std::vector<std::string> writeLogColumns()
{
    return {"SO_NBR",    "SIM_ID",    "IMSI",   "OP_ID",  "OP_TYPE",     "OP_TIME", "OP_STR",
            "CARD_FLAG", "OP_RESULT", "PHONE1", "PHONE2", "REGION_CODE", "REMARK"};
}

void storeWriteLog(rsim::db::Driver& db, bool postgres)
{
    for (int done = 0; done < kLogEntries; done += 100000) {
        std::vector<rsim::db::Row> rows;
        for (int n = done; n < done + 100000; ++n)
            rows.push_back(logEntry(n));
        rsim::db::Transaction tx(db);
        db.insertMany("rsim_write_log", writeLogColumns(), rows);
        tx.commit();
    }
    if (postgres)
        db.exec("ANALYZE rsim_write_log");
}
