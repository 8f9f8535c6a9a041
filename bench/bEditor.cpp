// Times the editor as the user meets it, against lorim-cli doing the same job in the same run:
// opening the largest configuration file (the editor's start-up in configuration mode against
// `lorim-cli dump`), and reading the largest configuration from the simulator in real-time
// mode (the editor's start-up with its progress window and log pane against `lorim-cli read`).
// Also: refilling the device list of the largest configuration, one real-time edit (a user's
// password changed, written and confirmed) from the dialog's OK to the refreshed list, and the
// catalogue's filter narrowing 1,000 entries as each key is typed.
// Runs offscreen.  Usage: lorim_bench_editor [rounds]

#include "model/uConfig.h"
#include "sim/uDemoSite.h"
#include "sim/uSimCore.h"
#include "sim/uSimServer.h"
#include "storage/uCatalog.h"
#include "storage/uDB.h"
#include "support/uLinkRig.h"
#include "uMaximal.h"
#include "ui/uCfg.h"
#include "ui/uMessageBoxes.h"
#include "ui/uTuningAccess.h"
#include "ui/uTuningUser.h"
#include "ui/uUiTestSupport.h"
#include "ui/uViewCfg.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTreeWidget>

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
    // The versions the reads take go into a history of the run's own.
    WriteText(ini, QStringLiteral("[History]\nFolder=") + dir.filePath(QStringLiteral("history")));

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

    // Refilling the device list of the largest configuration.
    TfmCfg refill(boxes);
    refill.IniPath = ini;
    refill.FileName = file;
    refill.show();
    refill.StartUp();
    const double fillList = Best(rounds * 10, [&] {
        refill.FillDevList();
        QApplication::processEvents();
        return true;
    });
    refill.CloseRequested = true;
    server.Stop();

    // One real-time edit over loopback UDP: a user's password changed in its dialog, from OK
    // to the list refreshed after the module took it.
    TConfig demo;
    FillDemoSite(demo);
    TSimEndpoint demoEndpoint;
    demoEndpoint.Port = FreeUdpPort();
    TModuleCore demoCore(demo);
    TSimServer demoServer(demoCore, demoEndpoint);
    if (!demoServer.Start(error))
        return 1;
    TfmCfg live(boxes);
    live.IniPath = ini;
    live.LinkSettings = {1, QString(), 57600, demoEndpoint.Address, demoEndpoint.Port};
    live.show();
    double editBest = 1e12;
    int round = 0;
    bool opened = false;
    WhenModal<TfmTuningAccess>([&](TfmTuningAccess &dialog) {
        dialog.findChild<QLineEdit *>(QStringLiteral("edPswrd"))->setText(QStringLiteral("8522"));
        boxes.Answers = {true};
        dialog.findChild<QPushButton *>(QStringLiteral("btOK"))->click();
    });
    opened = live.StartUp();
    live.findChild<QTabWidget *>(QStringLiteral("pcObj"))->setCurrentIndex(2);
    QTreeWidget *users = live.findChild<QTreeWidget *>(QStringLiteral("lvUser"));
    for (; opened && round < rounds * 5; ++round) {
        users->setCurrentItem(users->topLevelItem(0));
        QElapsedTimer t;
        WhenModal<TfmTuningUser>([&](TfmTuningUser &dialog) {
            dialog.findChild<QLineEdit *>(QStringLiteral("edPwd1"))
                ->setText(QString::number(1000 + round));
            boxes.Answers = {true};
            t.start();
            dialog.findChild<QPushButton *>(QStringLiteral("btOK"))->click();
        });
        live.UpdateCmd();
        QApplication::processEvents();
        editBest = std::min(editBest, t.nsecsElapsed() / 1e6);
        if (demo.User(1)->Pswrd1 != QString::number(1000 + round))
            return 1;
    }
    live.CloseRequested = true;
    demoServer.Stop();

    // The catalogue's filter over 1,000 entries, key by key.
    TCatalog entries;
    for (int i = 0; i < 1000; ++i)
        entries.append({QStringLiteral("Объект %1").arg(i),
                        QStringLiteral("ул. Садовая, %1").arg(i),
                        QStringLiteral("/srv/sites/site%1.cfg").arg(i)});
    SaveCatalog(ini, entries, boxes);
    TfmViewCfg catalogue(boxes, ini, TOptnLink());
    catalogue.show();
    const QString typed = QStringLiteral("садовая, 99");
    double worstKey = 0;
    for (int r = 0; r < rounds; ++r)
        for (int n = 0; n <= typed.size(); ++n) {
            const double ms = Best(1, [&] {
                catalogue.Filter(typed.left(n));
                QApplication::processEvents();
                return true;
            });
            worstKey = std::max(worstKey, ms);
        }

    std::printf("largest configuration: %d devices, %d partitions, %d users\n", site.DeviceCount(),
                site.PartCount(), site.UserCount());
    std::printf("open the file:  editor %.0f ms, lorim-cli dump %.0f ms\n", openEditor, openCli);
    std::printf("real-time read: editor %.0f ms, lorim-cli read %.0f ms (ratio %.2f)\n", readEditor,
                readCli, readEditor / readCli);
    std::printf("device list refill: %.1f ms\n", fillList);
    std::printf("real-time edit of a user, OK to refreshed list: %.1f ms\n", editBest);
    std::printf("catalogue filter, 1,000 entries: %.1f ms for the slowest key\n", worstKey);
    std::printf("(best of %d rounds)\n", rounds);
    return 0;
}
