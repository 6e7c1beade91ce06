// The windows' figures: filling the list, importing a card file, opening a window, and
// committing 100,000 staged cards, each against a baseline measured in the same run.
#include "CImportUtil.h"
#include "CreateBusinessForm.h"
#include "TVGUICommon.h"
#include "TfrmRemoteSimInfo.h"
#include "bench_common.h"
#include "driver.h"
#include "rsimd_process.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <sys/resource.h>

namespace {

constexpr int kRows = 100000;

QStringList rowOf(int i)
{
    QStringList row;
    for (int c = 1; c < 17; ++c)
        row.append(QString::number(i * 17 + c));
    return row;
}

void listFill()
{
    std::vector<QStringList> rows;
    const double baseline = millis([&] {
        rows.clear();
        rows.reserve(kRows);
        for (int i = 0; i < kRows; ++i)
            rows.push_back(rowOf(i));
    }, 3);
    TListViewEx list;
    std::vector<std::pair<QString, int>> columns(17, {"列", 100});
    list.setColumns(columns);
    const double fill = millis([&] {
        list.beginUpdate();
        list.clear();
        for (int i = 0; i < kRows; ++i)
            list.addRow(QString::number(i), rowOf(i), i);
        list.endUpdate();
    }, 3);
    report("TListViewEx fill, 100,000 rows x 17 columns", fill, baseline, 3);
}

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

void import(const QString& path, RecordingInteraction& gui)
{
    const double baseline = millis([&] {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        std::vector<QStringList> lines;
        for (const QByteArray& line : file.readAll().split('\n'))
            lines.push_back(QString::fromUtf8(line).split(' ', Qt::SkipEmptyParts));
    }, 3);
    TListViewEx list;
    list.setColumns(std::vector<std::pair<QString, int>>(17, {"列", 100}));
    CImportUtil util;
    const double imported = millis([&] {
        gui.nextFile(path);
        util.ImportListView(&list, 2, ".txt", 0, 0);
    }, 3);
    report("import of a 100,000-line card file into the list", imported, baseline, 3);
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
    listFill();
    import(path, gui);

    testsupport::RsimdProcess server;
    setenv("TAV_BROKER_TAVORINE", server.address().c_str(), 1);
    MSysmgntDef::SOperator op;
    CBSErrorMsg error;
    if (tvd_login("TAVORINE", "admin", "admin123", op, error) != 0)
        return 1;
    openWindow(op, server);
    commit(op, server, path, gui);
    setGuiInteraction(nullptr);
}
