// rsimctl import of a 100,000-card file against the SIM window's import and commit of the same
// file, each on a fresh rsimd with the demo data, measured in the same run.
#include "CreateBusinessForm.h"
#include "TVGUICommon.h"
#include "bench_common.h"
#include "rsimd_process.h"
#include "tvd_client.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>

namespace {

constexpr int kCards = 100000;

QString cardFile(const QTemporaryDir& folder)
{
    const QString path = folder.filePath("cards.txt");
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    for (int i = 0; i < kCards; ++i)
        file.write(QString("4600300%1 8986030000%2 1234 5678 12345678 87654321 "
                           "0123456789ABCDEF0123456789ABCDEF\n")
                       .arg(i, 8, 10, QChar('0'))
                       .arg(i, 10, 10, QChar('0'))
                       .toUtf8());
    return path;
}

// The SIM window with the import box ticked: import the file, then commit it. Returns the
// milliseconds of the commit alone in commitMs.
double windowImportAndCommit(const QString& path, double& commitMs)
{
    testsupport::RsimdProcess server;
    setenv("TAV_BROKER_TAVORINE", server.address().c_str(), 1);
    MSysmgntDef::SOperator op;
    CBSErrorMsg error;
    if (tvd_login("TAVORINE", "admin", "admin123", op, error) != 0)
        return -1;
    RecordingInteraction gui;
    GuiInteraction* previous = setGuiInteraction(&gui);
    std::unique_ptr<TfrmMDIChild> form(CreateBusinessForm(10150176, &op));
    form->findChild<QCheckBox*>("chkImport")->setChecked(true);
    // The card type and vendor that rsimctl is given below.
    auto* cardType = form->findChild<QComboBox*>("cmbResCode");
    auto* vendor = form->findChild<QComboBox*>("cmbVendor");
    cardType->setCurrentIndex(cardType->findText("[C128]", Qt::MatchStartsWith));
    vendor->setCurrentIndex(vendor->findText("[V01]", Qt::MatchStartsWith));
    std::printf("window: card type %s, vendor %s\n", cardType->currentText().toUtf8().constData(),
                vendor->currentText().toUtf8().constData());
    const double importMs = millis([&] {
        gui.nextFile(path);
        form->findChild<QPushButton*>("btnImport")->click();
    });
    commitMs = millis([&] { form->findChild<QPushButton*>("btnCommit")->click(); });
    std::printf("window: %s\n",
                gui.messages().empty() ? "" : gui.messages().back().text.toUtf8().constData());
    setGuiInteraction(previous);
    return importMs + commitMs;
}

double rsimctlImport(const QString& path)
{
    testsupport::RsimdProcess server;
    QProcess rsimctl;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("RSIM_PASSWORD", "admin123");
    rsimctl.setProcessEnvironment(environment);
    const double ms = millis([&] {
        rsimctl.start(RSIMCTL, {"--service", QString::fromStdString(server.address()), "--login",
                                "admin", "import", path, "--card-type", "C128", "--vendor", "V01"});
        rsimctl.waitForFinished(-1);
    });
    std::printf("rsimctl (exit %d): %s%s", rsimctl.exitCode(),
                rsimctl.readAllStandardOutput().constData(),
                rsimctl.readAllStandardError().constData());
    return ms;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir folder;
    const QString path = cardFile(folder);
    double commitMs = 0;
    const double window = windowImportAndCommit(path, commitMs);
    const double command = rsimctlImport(path);
    report("rsimctl import of 100,000 cards, process start to exit (vs the SIM window's import + "
           "commit)",
           command, window, 0);
    report("rsimctl import of 100,000 cards, process start to exit (vs the SIM window's commit "
           "click alone)",
           command, commitMs, 0);
}
