// The windows' figures: opening a window, and committing 100,000 staged cards through the SIM
// window, each against a baseline measured in the same run (list fill and import: bench/tvgui).
// "bench_gui million": import and commit of a 1,000,000-line card file alone, for its peak memory;
// "bench_gui range [N [sqlite|postgresql [CARDS]]]": the window's range query alone (N times, 50
// unless given), to profile it, on SQLite or PostgreSQL, over CARDS stored cards (900,000 unless
// given; ten million for the stock of a province over years).
#include "CreateBusinessForm.h"
#include "ResRemoteSimMgnt_tvd_c.h"
#include "TVGUICommon.h"
#include "bench_common.h"
#include "driver.h"
#include "rsimd_process.h"
#include "sim_cards.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <sys/resource.h>

namespace {

constexpr int kRows = 100000;

// A control of a window by its objectName; a benchmark without it cannot run.
template <class T>
T* control(const QWidget& window, const char* name)
{
    T* found = window.findChild<T*>(name);
    if (found == nullptr)
        qFatal("no control %s", name);
    return found;
}

// A card file of count lines; series tells files apart.
QString cardFile(const QTemporaryDir& folder, int count, int series)
{
    const QString path = folder.filePath(QString("cards%1.txt").arg(series));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    for (int i = 0; i < count; ++i)
        file.write(QString("46003%1%2 898603%1%3 1234 5678 12345678 87654321 "
                           "0123456789ABCDEF0123456789ABCDEF\n")
                       .arg(series, 2, 10, QChar('0'))
                       .arg(i, 8, 10, QChar('0'))
                       .arg(i, 12, 10, QChar('0'))
                       .toUtf8());
    return path;
}

double peakMiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// The peak memory of a process so far (VmHWM), in MiB.
double peakMiBOf(int pid)
{
    QFile status(QString("/proc/%1/status").arg(pid));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').front().toDouble() / 1024.0;
    return 0;
}

void openWindow(MSysmgntDef::SOperator& op, const testsupport::RsimdProcess& server)
{
    MResRemoteMgntApp::IResRemoteMgnt client;
    client.bind(server.address());
    const double query = millis(
        [&] {
            MResRemoteMgntDef::SResRemoteProvCodeList out;
            CBSErrorMsg error;
            client.qry_provinceCode(MResRemoteMgntDef::SResRemoteProvCode(), out, error, nullptr);
        },
        10);
    const double open = millis([&] { delete CreateBusinessForm(10150173, &op); }, 10);
    report("opening the province window (create, InitForm, rights, lookups)", open, query, 0);
}

// Imports the file into the SIM window and commits it; the commit's time in ms.
double importAndCommit(MSysmgntDef::SOperator& op, const QString& path, RecordingInteraction& gui)
{
    std::unique_ptr<TfrmMDIChild> form(CreateBusinessForm(10150176, &op));
    control<QCheckBox>(*form, "chkImport")->setChecked(true);
    gui.nextFile(path);
    control<QPushButton>(*form, "btnImport")->click();
    const int staged = control<TListViewEx>(*form, "lstShowDataList")->rowCount();
    const double window = millis([&] { control<QPushButton>(*form, "btnCommit")->click(); });
    std::printf("commit of %d cards answered: %s\n", staged,
                gui.messages().back().text.toUtf8().constData());
    return window;
}

void commit(MSysmgntDef::SOperator& op, const testsupport::RsimdProcess& server,
            const QString& path, RecordingInteraction& gui)
{
    const double before = peakMiB();
    const double window = importAndCommit(op, path, gui);
    const double after = peakMiB();

    auto db = rsim::db::connect(server.database());
    db->exec("CREATE TABLE bench_sim AS SELECT * FROM rsim_sim WHERE 1 = 0");
    db->exec("CREATE UNIQUE INDEX bench_sim_imsi ON bench_sim (IMSI)");
    db->exec("CREATE UNIQUE INDEX bench_sim_sim ON bench_sim (SIM_ID)");
    std::vector<std::string> columns;
    for (const STvdMemberTypeInfo* m = MResRemoteMgntDef::SRemoteSimInfo::memberTable();
         m->kind != TVD_END; ++m)
        columns.push_back(m->name);
    const double bare = millis([&] {
        std::vector<rsim::db::Row> rows;
        db->query("SELECT * FROM rsim_sim", {},
                  [&](const rsim::db::Row& row) { rows.push_back(row); });
        rsim::db::Transaction tx(*db);
        db->insertMany("bench_sim", columns, rows);
        tx.commit();
    });
    report("commit of 100,000 staged cards (window to service to database)", window, bare, 4);
    std::printf(
        "client peak memory: %.0f MiB before the import and commit, %.0f MiB after (aim <= 200)\n",
        before, after);
}

// 100,000 cards and then 1,000,000 through the window: the peak memory of each, and the time per
// card of the second against the first.
void million(MSysmgntDef::SOperator& op, const testsupport::RsimdProcess& server,
             const QTemporaryDir& folder, RecordingInteraction& gui)
{
    const double hundred = importAndCommit(op, cardFile(folder, kRows, 1), gui);
    std::printf("client peak memory after 100,000 cards: %.0f MiB (aim <= 200), service %.0f MiB\n",
                peakMiB(), peakMiBOf(server.pid()));
    const QString path = cardFile(folder, 10 * kRows, 2);
    const double millionMs = importAndCommit(op, path, gui);
    std::printf(
        "client peak memory after 1,000,000 cards: %.0f MiB (aim <= 1024), service %.0f MiB\n",
        peakMiB(), peakMiBOf(server.pid()));
    report("commit time per card, 1,000,000 cards (per 1,000) vs 100,000 (per 100)",
           millionMs / 1000, hundred / 100, 1);
}

void windowRangeQuery(MSysmgntDef::SOperator& op, const testsupport::RsimdProcess& server,
                      int queries = 50, const char* backend = "SQLite", long long cards = 900000)
{
    auto db = rsim::db::connect(server.database());
    storeCards(*db, rsim::secrets::SecretBox::fromKeyFile(server.keyFile(), false), 0, cards);
    const auto stock = rsim::db::asInt(db->scalar("SELECT COUNT(*) FROM rsim_sim"));
    std::unique_ptr<TfrmMDIChild> form(CreateBusinessForm(10150176, &op));
    for (const char* box : {"ckbQryResCode", "ckbQrySts", "ckbQryResSts", "ckbQryRegionCode"})
        control<QCheckBox>(*form, box)->setChecked(false);
    control<QCheckBox>(*form, "ckbQryImsi")->setChecked(true);
    control<QLineEdit>(*form, "edtQryImsiFirst")->setText("460020000500000");
    control<QLineEdit>(*form, "edtQryImsiLast")->setText("460020000600000");
    QPushButton* query = control<QPushButton>(*form, "btnQuery");
    query->click(); // the first query, as every benchmark's first call, is not timed
    const std::string service = std::to_string(server.pid());
    const double clientCpu = cpuMillisOf("self"), serviceCpu = cpuMillisOf(service);
    const double window = millisOfCalls(
        queries, [&] { query->click(); }, 3);
    const double calls = 3.0 * queries;
    std::printf("the window lists %d cards; CPU per query: client %.3f ms, service %.3f ms\n",
                control<TListViewEx>(*form, "lstShowDataList")->rowCount(),
                (cpuMillisOf("self") - clientCpu) / calls,
                (cpuMillisOf(service) - serviceCpu) / calls);
    const double direct = millis([&] { bareRangeQuery(*db, queries); }, 3);
    report(QString("IMSI range query, MAX_NUM 50, %L3 cards, %1, through the SIM window (%2 "
                   "queries)")
               .arg(backend)
               .arg(queries)
               .arg(stock)
               .toUtf8()
               .constData(),
           window, direct, 4);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    RecordingInteraction gui;
    setGuiInteraction(&gui);
    QTemporaryDir folder;
    const QByteArray only = argc > 1 ? argv[1] : "";
    const bool postgres = only == "range" && argc > 3 && QByteArray(argv[3]) == "postgresql";
    testsupport::RsimdProcess server(postgres ? testsupport::RsimdProcess::Backend::Postgres
                                              : testsupport::RsimdProcess::Backend::Sqlite);
    setenv("TAV_BROKER_TAVORINE", server.address().c_str(), 1);
    MSysmgntDef::SOperator op;
    CBSErrorMsg error;
    if (tvd_login("TAVORINE", "admin", "admin123", op, error) != 0)
        return 1;
    if (only == "million") {
        million(op, server, folder, gui);
    } else if (only == "range") {
        windowRangeQuery(op, server, argc > 2 ? std::atoi(argv[2]) : 50,
                         postgres ? "PostgreSQL" : "SQLite",
                         argc > 4 ? std::atoll(argv[4]) : 900000);
    } else {
        openWindow(op, server);
        commit(op, server, cardFile(folder, kRows, 0), gui);
        windowRangeQuery(op, server);
    }
    setGuiInteraction(nullptr);
}
