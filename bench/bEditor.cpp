// Times the editor as the user meets it, against lorim-cli doing the same job in the same run:
// opening the largest configuration file (the editor's start-up in configuration mode against
// `lorim-cli dump`), and reading the largest configuration from the simulator in real-time
// mode (the editor's start-up with its progress window and log pane against `lorim-cli read`).
// Runs offscreen.  Usage: lorim_bench_editor [rounds]

#include "model/uConfig.h"
#include "sim/uSimCore.h"
#include "sim/uSimServer.h"
#include "storage/uCatalog.h"
#include "storage/uDB.h"
#include "support/uLinkRig.h"
#include "support/uSampleConfigs.h"
#include "ui/uCfg.h"
#include "ui/uMessageBoxes.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

// The best time of some rounds of a job, in milliseconds; a failed round ends the benchmark.
double Best(int rounds, const std::function<bool()> &job)
{
    double best = 1e12;
    for (int r = 0; r < rounds; ++r) {
        QElapsedTimer t;
        t.start();
        if (!job()) {
            std::fprintf(stderr, "a round failed\n");
            std::exit(1);
        }
        best = std::min(best, t.nsecsElapsed() / 1e6);
    }
    return best;
}

bool RunCli(const QStringList &args)
{
    QProcess p;
    p.start(AppDir + QStringLiteral("lorim-cli"), args);
    p.setStandardOutputFile(QProcess::nullDevice());
    return p.waitForFinished(120000) && p.exitCode() == 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    InitAppDir();
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("lorim-config.ini"));
    const QString file = dir.filePath(QStringLiteral("largest.cfg"));

    TConfig site;
    FillMaximal(site);
    site.User(111)->Pswrd1 = QStringLiteral("8522");
    if (SaveConfigFile(site, file, AppDir + QStringLiteral("config.md_"), nullptr, nullptr) !=
        TSaveResult::Saved)
        return 1;
    TMessageBoxes boxes;
    boxes.Scripted = true;

    const auto editorOpens = [&](const QString &fileName, const TOptnLink &link) {
        TfmCfg editor(boxes);
        editor.IniPath = ini;
        editor.FileName = fileName;
        editor.LinkSettings = link;
        editor.show();
        const bool ok = editor.StartUp() && editor.Config->DeviceCount() == site.DeviceCount() &&
                        editor.Config->UserCount() == site.UserCount();
        QApplication::processEvents(); // the lists and the log pane painted
        editor.CloseRequested = true;
        return ok;
    };
    const double openEditor = Best(rounds, [&] { return editorOpens(file, TOptnLink()); });
    const double openCli = Best(rounds, [&] {
        return RunCli({QStringLiteral("dump"), file, QStringLiteral("--ini"), ini});
    });

    TSimEndpoint endpoint;
    endpoint.Port = FreeUdpPort();
    TModuleCore core(site);
    TSimServer server(core, endpoint);
    QString error;
    if (!server.Start(error))
        return 1;
    TOptnLink link{1, QString(), 57600, endpoint.Address, endpoint.Port};
    SaveCatalog(ini, {{QStringLiteral("largest"), QString(), file}}, boxes);
    const double readEditor = Best(rounds, [&] { return editorOpens(QString(), link); });
    const double readCli = Best(rounds, [&] {
        return RunCli(
            {QStringLiteral("read"), dir.filePath(QStringLiteral("read.cfg")),
             QStringLiteral("--udp"), endpoint.Address + u':' + QString::number(endpoint.Port),
             QStringLiteral("--password"), QStringLiteral("8522"), QStringLiteral("--ini"), ini});
    });
    server.Stop();

    std::printf("largest configuration: %d devices, %d partitions, %d users\n", site.DeviceCount(),
                site.PartCount(), site.UserCount());
    std::printf("open the file:  editor %.0f ms, lorim-cli dump %.0f ms\n", openEditor, openCli);
    std::printf("real-time read: editor %.0f ms, lorim-cli read %.0f ms (ratio %.2f)\n", readEditor,
                readCli, readEditor / readCli);
    std::printf("(best of %d rounds)\n", rounds);
    return 0;
}
