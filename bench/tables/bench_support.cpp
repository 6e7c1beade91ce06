#include "bench_support.h"

#include "stored_table.h"
#include "table.h"
#include "tvd_client.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <stdexcept>

namespace tablesbench {

BenchDatabase::BenchDatabase(Backend backend)
    : backend_(backend), box_(rsim::secrets::SecretBox::withRandomKey())
{
    std::random_device random;
    if (backend == Backend::Sqlite) {
        place_ = (std::filesystem::temp_directory_path() / ("rsim-bench-" + std::to_string(random()))).string();
        std::filesystem::create_directories(place_);
        db_ = rsim::db::connect("sqlite:" + place_ + "/rsim.db");
    } else {
        const char* server = std::getenv("RSIM_TEST_PG");
        if (server == nullptr)
            throw std::runtime_error("RSIM_TEST_PG is not set");
        place_ = "tables_bench_" + std::to_string(random());
        rsim::db::connect(server)->exec("CREATE SCHEMA " + place_);
        db_ = rsim::db::connect(std::string(server) + "?options=-csearch_path%3D" + place_);
    }
    rsim::db::migrate(*db_, rsim::tables::schema());
    rsim::tables::seedDemo(*db_, box_);
}

BenchDatabase::~BenchDatabase()
{
    db_.reset();
    if (backend_ == Backend::Sqlite)
        std::filesystem::remove_all(place_);
    else
        rsim::db::connect(std::getenv("RSIM_TEST_PG"))->exec("DROP SCHEMA " + place_ + " CASCADE");
}

void callHandler(rsim::db::Driver& db, const rsim::secrets::SecretBox& box, const char* code,
                 tvd::wire::OwnedParams& in, tvd::wire::OwnedParams& out)
{
    static const rsim::HandlerTable handlers = [] {
        rsim::HandlerTable table;
        rsim::tables::registerHandlers(table);
        return table;
    }();
    const rsim::HandlerEntry* entry = handlers.find("MResRemoteMgntApp_IResRemoteMgnt", code);
    rsim::CallContext context{db, box, 1, 100101, {}};
    CBSErrorMsg error;
    int result = 0;
    if (entry->writes) {
        rsim::db::Transaction transaction(db);
        result = entry->handler(context, in.params(), out.params(), error);
        if (result == 0)
            transaction.commit();
    } else {
        result = entry->handler(context, in.params(), out.params(), error);
    }
    if (result != 0)
        throw std::runtime_error(std::string(code) + " refused: " + error.message + " " + error.hint);
}

MResRemoteMgntDef::SRemoteSimInfoList cards(int count)
{
    MResRemoteMgntDef::SRemoteSimInfoList list;
    list.reserve(count);
    char imsi[16], iccid[21], ki[33];
    for (int n = 0; n < count; ++n) {
        std::snprintf(imsi, sizeof imsi, "4600099%08d", n);
        std::snprintf(iccid, sizeof iccid, "89860099%012d", n);
        std::snprintf(ki, sizeof ki, "%08X%08X%08X%08X", n, n * 7, n * 13, n * 31);
        MResRemoteMgntDef::SRemoteSimInfo sim;
        sim.set_IMSI(imsi);
        sim.set_SIM_ID(iccid);
        sim.set_PIN1("1234");
        sim.set_PIN2("5678");
        sim.set_PUK1("12345678");
        sim.set_PUK2("87654321");
        sim.set_KI_CODE(ki);
        sim.set_RES_CODE("C64");
        sim.set_VENDOR_CODE("V01");
        sim.set_SMSP("+8613800200500");
        sim.set_REGION_CODE(10);
        sim.set_COUNTY_CODE(1001);
        sim.set_ORG_ID(100101);
        sim.set_STS(1);
        sim.set_RES_STS(1);
        sim.set_PURPOSE(1);
        list.push_back(sim);
    }
    return list;
}

std::vector<rsim::db::Row> storedRows(const MResRemoteMgntDef::SRemoteSimInfoList& records,
                                      const rsim::secrets::SecretBox& box)
{
    const auto& sim = rsim::tables::TableOf("rsim_sim");
    auto rows = sim.batchOf(records).rows;
    for (auto& row : rows)
        sim.encryptSecrets(row, box);
    return rows;
}

std::vector<std::string> simColumns()
{
    std::vector<std::string> names;
    for (const auto& column : rsim::tables::TableOf("rsim_sim").columns())
        names.push_back(column.name);
    return names;
}

double millisecondsOf(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

void report(const std::string& name, double ms, double baselineMs)
{
    std::printf("%s: %.2f ms vs baseline %.2f ms, ratio %.2f\n", name.c_str(), ms, baselineMs, ms / baselineMs);
    std::fflush(stdout);
}

} // namespace tablesbench
