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
