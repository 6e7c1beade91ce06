// The windows' figures: opening a window, and committing 100,000 staged cards through the SIM
// window, each against a baseline measured in the same run (list fill and import: bench/tvgui).
#include "CreateBusinessForm.h"
#include "TVGUICommon.h"
#include "TfrmRemoteSimInfo.h"
#include "bench_common.h"
#include "driver.h"
#include "rsimd_process.h"
#include "sim_cards.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <sys/resource.h>

namespace {

constexpr int kRows = 100000;

QString cardFile(const QTemporaryDir& folder)
{
    const QString path = folder.filePath("cards.txt");
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    for (int i = 0; i < kRows; ++i)
        file.write(QString("4600300%1 8986030000%2 1234 5678 12345678 87654321 0123456789ABCDEF0123456789ABCDEF\n")
                       .arg(i, 8, 10, QChar('0'))
                       .arg(i, 10, 10, QChar('0'))
                       .toUtf8());
    return path;
}

void openWindow(MSysmgntDef::SOperator& op, const testsupport::RsimdProcess& server)
{
    MResRemoteMgntApp::IResRemoteMgnt client;
    client.bind(server.address());
    const double query = millis([&] {
        MResRemoteMgntDef::SResRemoteProvCodeList out;
        CBSErrorMsg error;
        client.qry_provinceCode(MResRemoteMgntDef::SResRemoteProvCode(), out, error, nullptr);
    }, 10);
    const double open = millis([&] { delete CreateBusinessForm(10150173, &op); }, 10);
    report("opening the province window (create, InitForm, rights, lookups)", open, query, 0);
}

void commit(MSysmgntDef::SOperator& op, const testsupport::RsimdProcess& server, const QString& path,
            RecordingInteraction& gui)
{
    std::unique_ptr<TfrmRemoteSimInfo> form(static_cast<TfrmRemoteSimInfo*>(CreateBusinessForm(10150176, &op)));
    form->chkImport->setChecked(true);
    gui.nextFile(path);
    form->btnImportClick();
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    const double window = millis([&] { form->btnCommitClick(); });
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    std::printf("commit answered: %s\n", gui.messages().back().text.toUtf8().constData());

    auto db = rsim::db::connect(server.database());
    db->exec("CREATE TABLE bench_sim AS SELECT * FROM rsim_sim WHERE 1 = 0");
    db->exec("CREATE UNIQUE INDEX bench_sim_imsi ON bench_sim (IMSI)");
    db->exec("CREATE UNIQUE INDEX bench_sim_sim ON bench_sim (SIM_ID)");
    std::vector<std::string> columns;
    for (const STvdMemberTypeInfo* m = MResRemoteMgntDef::SRemoteSimInfo::memberTable(); m->kind != TVD_END; ++m)
        columns.push_back(m->name);
    const double bare = millis([&] {
        std::vector<rsim::db::Row> rows;
        db->query("SELECT * FROM rsim_sim", {}, [&](const rsim::db::Row& row) { rows.push_back(row); });
        rsim::db::Transaction tx(*db);
        db->insertMany("bench_sim", columns, rows);
        tx.commit();
    });
    report("commit of 100,000 staged cards (window to service to database)", window, bare, 5);
    std::printf("client peak memory: %.0f MiB before the commit, %.0f MiB after\n", before.ru_maxrss / 1024.0,
                after.ru_maxrss / 1024.0);
}

void windowRangeQuery(MSysmgntDef::SOperator& op, const testsupport::RsimdProcess& server)
{
    auto db = rsim::db::connect(server.database());
    storeCards(*db, rsim::secrets::SecretBox::fromKeyFile(server.keyFile(), false), 0, 900000);
    std::unique_ptr<TfrmRemoteSimInfo> form(static_cast<TfrmRemoteSimInfo*>(CreateBusinessForm(10150176, &op)));
    for (QCheckBox* box : {form->ckbQryResCode, form->ckbQrySts, form->ckbQryResSts, form->ckbQryRegionCode})
        box->setChecked(false);
    form->ckbQryImsi->setChecked(true);
    form->edtQryImsiFirst->setText("460020000500000");
    form->edtQryImsiLast->setText("460020000600000");
    constexpr int kQueries = 50;
    const double window = millis([&] {
        for (int i = 0; i < kQueries; ++i)
            form->btnQueryClick();
    });
    std::printf("the window lists %d cards\n", form->lstShowDataList->rowCount());
    const double direct = millis([&] { bareRangeQuery(*db, kQueries); });
    report("IMSI range query, MAX_NUM 50, 1,000,000 cards, through the SIM window (50 queries)", window, direct, 0);
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
    const QString path = cardFile(folder);

    testsupport::RsimdProcess server;
    setenv("TAV_BROKER_TAVORINE", server.address().c_str(), 1);
    MSysmgntDef::SOperator op;
    CBSErrorMsg error;
    if (tvd_login("TAVORINE", "admin", "admin123", op, error) != 0)
        return 1;
    openWindow(op, server);
    commit(op, server, path, gui);
    windowRangeQuery(op, server);
    setGuiInteraction(nullptr);
}
