// The command-line tool and the simulator as separate programs.

#include "model/uConfig.h"
#include "sim/uDemoSite.h"
#include "storage/uCatalog.h"
#include "storage/uDB.h"
#include "support/uLinkRig.h"
#include "support/uSampleConfigs.h"
#include "support/uTestSupport.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// A lorim-sim process (AppDir must be set); it is stopped when the object goes.
class TSimProcess {
public:
    explicit TSimProcess(const QStringList &args) : Port(FreeUdpPort())
    {
        FProcess.start(AppDir + QStringLiteral("lorim-sim"),
                       QStringList{QStringLiteral("--udp"), Address()} + args);
        FProcess.waitForReadyRead(5000);
        Started = FProcess.readLine().startsWith("udp ");
    }
    ~TSimProcess()
    {
        FProcess.terminate();
        FProcess.waitForFinished(5000);
    }
    QString Address() const { return QStringLiteral("127.0.0.2:") + QString::number(Port); }
    // Waits for a line of output that starts with the text.
    bool WaitFor(const QByteArray &head)
    {
        for (int i = 0; i < 50; ++i) {
            while (FProcess.canReadLine())
                if (FProcess.readLine().startsWith(head))
                    return true;
            FProcess.waitForReadyRead(100);
        }
        return false;
    }

    const int Port;
    bool Started = false;

private:
    QProcess FProcess;
};

struct TRun {
    int Exit = -1;
    QString Out;
    QString Err;
};

const QString Password = u"LORIM_PASSWORD=8522"_s;

// The tool runs in the test's folder, so that file names may be given bare.
struct Cli : testing::Test {
    QTemporaryDir Dir;
    QString Ini = Dir.filePath(u"lorim-config.ini"_s);

    void SetUp() override { InitAppDir(); }

    QString File(const QString &name) const { return Dir.filePath(name); }

    // Starts lorim-cli with the blank-separated words of args and an environment variable
    // ("NAME=value").
    void Start(QProcess &p, const QString &args, const QString &variable = {}) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (!variable.isEmpty())
            environment.insert(variable.section(u'=', 0, 0), variable.section(u'=', 1));
        p.setProcessEnvironment(environment);
        p.setWorkingDirectory(Dir.path());
        p.start(AppDir + u"lorim-cli"_s,
                args.split(u' ', Qt::SkipEmptyParts) + QStringList{u"--ini"_s, Ini});
    }

    // Runs lorim-cli to its end, with what it reads on standard input.
    TRun Run(const QString &args, const QString &variable = {}, const QByteArray &input = {}) const
    {
        QProcess p;
        Start(p, args, variable);
        p.write(input);
        p.closeWriteChannel();
        p.waitForFinished(60000);
        return {p.exitCode(), QString::fromLocal8Bit(p.readAllStandardOutput()),
                QString::fromLocal8Bit(p.readAllStandardError())};
    }

    void Save(TConfig &config, const QString &name) const
    {
        ASSERT_EQ(SaveConfigFile(config, File(name), AppDir + u"config.md_"_s, nullptr, nullptr),
                  TSaveResult::Saved);
    }

    // The demo site with loop 5 of panel 2 moved from partition 2 to 3, saved as changed.cfg.
    void SaveChangedSite() const
    {
        TConfig changed;
        FillDemoSite(changed);
        changed.Device(2)->AsVEKT()->Loop(5)->Part = 3;
        Save(changed, u"changed.cfg"_s);
    }
};

// The backup the output of a write names.
QString BackupNamed(const TRun &write)
{
    return write.Out.section(u"Резервная копия конфигурации модуля: "_s, 1).trimmed();
}

} // namespace

// A site read from one module, compared with files and the network, and written whole to a
// second module after what that held was kept as a backup; the clock set. diff says by its exit
// status whether the two sides agree.
TEST_F(Cli, ReadDiffWriteAndClockAgainstSimulators)
{
    TSimProcess a({});
    ASSERT_TRUE(a.Started);
    const QString atA = u" --password 8522 --udp "_s + a.Address();
    const TRun read = Run(u"read a.cfg --log"_s + atA);
    ASSERT_EQ(read.Exit, 0) << read.Err.toStdString();
    EXPECT_TRUE(read.Out.contains(u"\n  ВЕКТ-16Р [3]: OK\n"_s));

    SaveChangedSite();
    const QString line = u"Устройство [2] ВЕКТ-8, шлейф 5: раздел 2 → 3\n"_s;
    const TRun sameFile = Run(u"diff a.cfg a.cfg"_s);
    const TRun otherFile = Run(u"diff a.cfg changed.cfg"_s);
    const TRun sameNetwork = Run(u"diff a.cfg"_s + atA);
    const TRun otherNetwork = Run(u"diff changed.cfg"_s + atA);
    EXPECT_EQ((std::pair{sameFile.Exit, sameFile.Out}), (std::pair{0, QString()}));
    EXPECT_EQ((std::pair{otherFile.Exit, otherFile.Out}), (std::pair{5, line}));
    EXPECT_EQ((std::pair{sameNetwork.Exit, sameNetwork.Out}), (std::pair{0, QString()}));
    EXPECT_EQ((std::pair{otherNetwork.Exit, otherNetwork.Out}),
              (std::pair{5, u"Устройство [2] ВЕКТ-8, шлейф 5: раздел 3 → 2\n"_s}));
    EXPECT_EQ(Run(u"diff a.cfg changed.cfg"_s + atA).Exit, 2);
    EXPECT_EQ(Run(u"diff missing.cfg a.cfg"_s).Exit, 1);

    // A second module with the same identifier and nothing else takes the file whole.
    WriteText(Ini, u"[Backup]\nFolder="_s + File(u"backups"_s) + u'\n');
    TConfig empty;
    empty.Device(1)->ID = u"0020FF78C534"_s;
    Save(empty, u"empty.cfg"_s);
    TSimProcess b({u"--config"_s, File(u"empty.cfg"_s), u"--save"_s, File(u"b.cfg"_s)});
    ASSERT_TRUE(b.Started);
    const TRun write = Run(u"write a.cfg --udp "_s + b.Address());
    ASSERT_EQ(write.Exit, 0) << write.Err.toStdString();
    ASSERT_TRUE(b.WaitFor("saved "));
    EXPECT_EQ(Run(u"diff a.cfg b.cfg"_s).Exit, 0);
    ASSERT_TRUE(BackupNamed(write).startsWith(File(u"backups/0020FF78C534/"_s)))
        << write.Out.toStdString();
    EXPECT_EQ(Run(u"diff empty.cfg "_s + BackupNamed(write)).Exit, 0);

    // Without a backup nothing is erased or written.
    WriteText(Ini, u"[Backup]\nFolder="_s + File(u"a.cfg/x"_s) + u'\n');
    const TRun unsafe = Run(u"write empty.cfg --udp "_s + b.Address());
    EXPECT_EQ(unsafe.Exit, 1);
    EXPECT_TRUE(unsafe.Err.contains(u"запись не выполнена"_s));
    EXPECT_EQ(Run(u"diff a.cfg --password 8522 --udp "_s + b.Address()).Exit, 0);

    const TRun clock = Run(u"clock --udp "_s + b.Address());
    EXPECT_EQ(clock.Exit, 0) << clock.Err.toStdString();
    EXPECT_TRUE(b.WaitFor("clock: "));

    // A module that refuses a user record once: the write fails after the erase, and the
    // backup is written back, so that the module holds what it held before.
    WriteText(Ini, u"[Backup]\nFolder="_s + File(u"backups"_s) + u'\n');
    TSimProcess c({u"--refuse-once"_s, u"0x44"_s});
    ASSERT_TRUE(c.Started);
    const TRun failed = Run(u"write empty.cfg --udp "_s + c.Address());
    EXPECT_EQ(failed.Exit, 1);
    EXPECT_TRUE(
        failed.Err.contains(u"Модуль восстановлен из резервной копии, сделанной перед записью."_s))
        << failed.Err.toStdString();
    EXPECT_EQ(
        Run(u"diff "_s + BackupNamed(failed) + u" --password 8522 --udp "_s + c.Address()).Exit, 0);
}

// The exit status tells what went wrong. The access password stays off the command line: it
// comes from the environment or a file (standard input here); one given on the command line
// still works, with a warning.
TEST_F(Cli, ExitStatusesAndWhereThePasswordComesFrom)
{
    const TRun usage = Run({});
    EXPECT_EQ(usage.Exit, 2);
    EXPECT_TRUE(usage.Err.contains(u"Usage:"_s));
    EXPECT_EQ(Run(u"fetch x.cfg"_s).Exit, 2);
    EXPECT_EQ(Run(u"read x.cfg --udp 127.0.0.2:99999"_s).Exit, 2);
    const TRun missing = Run(u"dump missing.cfg"_s);
    EXPECT_EQ(missing.Exit, 1);
    EXPECT_TRUE(missing.Err.contains(u"Не удалось открыть БД "_s));

    TSimProcess sim({});
    ASSERT_TRUE(sim.Started);
    const QString read = u"read x.cfg --udp "_s + sim.Address();
    EXPECT_EQ(Run(read).Exit, 3); // no password, and none in the catalogue
    const TRun refused = Run(read, u"LORIM_PASSWORD=1111"_s);
    EXPECT_EQ(refused.Exit, 3);
    EXPECT_TRUE(refused.Err.contains(u"Ошибка ввода пароля"_s));
    EXPECT_FALSE(QFile::exists(File(u"x.cfg"_s)));
    EXPECT_EQ(Run(read, Password).Exit, 0);
    const TRun piped = Run(read + u" --password-file -"_s, {}, "8522\n");
    EXPECT_EQ(piped.Exit, 0) << piped.Err.toStdString();
    EXPECT_TRUE(piped.Err.isEmpty());
    const TRun shown = Run(read + u" --password 8522"_s);
    EXPECT_EQ(shown.Exit, 0);
    EXPECT_TRUE(shown.Err.startsWith(u"lorim-cli: --password DIGITS shows"_s));

    const TRun silent = Run(u"read y.cfg --password 8522 --attempts 1 --udp 127.0.0.2:"_s +
                            QString::number(FreeUdpPort()));
    EXPECT_EQ(silent.Exit, 4);
    EXPECT_TRUE(silent.Err.contains(u"Потеря связи с устройством!"_s));
}

// Two jobs on one UDP port of this computer would take each other's replies: the second ends at
// once, and neither file is harmed. The link settings come from an INI file whose address has
// blanks around it, as a hand-edited one may.
TEST_F(Cli, OneJobPerUdpPort)
{
    TSimProcess sim({u"--reply-delay"_s, u"10"_s});
    ASSERT_TRUE(sim.Started);
    WriteText(Ini, u"[Link]\nType=1\nIP = 127.0.0.2 \nPort=%1\n"_s.arg(sim.Port));
    QProcess first;
    Start(first, u"read first.cfg --password 8522 --log"_s);
    ASSERT_TRUE(first.waitForReadyRead(10000)); // its first log line: it holds the port
    QElapsedTimer clock;
    clock.start();
    const TRun second = Run(u"read second.cfg --password 8522"_s);
    EXPECT_EQ(second.Exit, 4);
    EXPECT_TRUE(second.Err.contains(u"UDP-порт %1 занят другим заданием"_s.arg(sim.Port)))
        << second.Err.toStdString();
    EXPECT_LT(clock.elapsed(), 2000);
    ASSERT_TRUE(first.waitForFinished(60000));
    EXPECT_EQ(first.exitCode(), 0);
    EXPECT_FALSE(QFile::exists(File(u"second.cfg"_s)));
    EXPECT_TRUE(Run(u"dump first.cfg"_s).Out.startsWith(u"Устройства: 6\n"_s));
}

// check prints a line per problem, errors first, or JSON, and its exit status says whether there
// is an error; write refuses a configuration with errors unless forced; the network's
// configuration is checked as read. A report goes into the file -o names, titled with the
// catalogue's name for the configuration file, or to standard output as HTML; a form it does not
// know is a usage error.
TEST_F(Cli, CheckAndReportOfAFile)
{
    TConfig site;
    FillDemoSite(site);
    site.Part(2)->SMS(2)->Type = 1;
    Save(site, u"site.cfg"_s);
    const TRun text = Run(u"check site.cfg"_s);
    EXPECT_EQ(text.Exit, 6);
    EXPECT_TRUE(text.Out.startsWith(u"ошибка: Раздел №2, СМС 2: тип «Все», но нет номера "
                                    "телефона\nпредупреждение: Пользователь №3: "_s))
        << text.Out.toStdString();
    const QJsonObject check =
        QJsonDocument::fromJson(Run(u"check site.cfg --format json"_s).Out.toUtf8()).object();
    EXPECT_EQ(check[u"errors"].toInt(), 1);
    EXPECT_EQ(check[u"problems"].toArray()[0].toObject()[u"sms"].toInt(), 2);

    TSimProcess sim({});
    ASSERT_TRUE(sim.Started);
    const QString write = u"write site.cfg --no-backup --udp "_s + sim.Address();
    const TRun refused = Run(write);
    EXPECT_EQ(refused.Exit, 6);
    EXPECT_TRUE(refused.Err.contains(u"запись не выполнена"_s)) << refused.Err.toStdString();
    const QString network = u"check --udp "_s + sim.Address();
    EXPECT_EQ(Run(network, Password).Exit, 0);
    EXPECT_EQ(Run(write + u" --force"_s).Exit, 0);
    EXPECT_EQ(Run(network, Password).Out, text.Out);

    WriteText(Ini, u"[Config]\nCount=1\nPath1=site.cfg\nName1=Склад №1\n"_s);
    const TRun json = Run(u"report site.cfg --format json -o site.json"_s);
    ASSERT_EQ(json.Exit, 0) << json.Err.toStdString();
    EXPECT_TRUE(json.Out.isEmpty());
    const QJsonObject report =
        QJsonDocument::fromJson(ReadText(File(u"site.json"_s)).toUtf8()).object();
    EXPECT_EQ(report[u"title"].toString(), u"Склад №1"_s);
    EXPECT_EQ(report[u"devices"].toArray().size(), site.DeviceCount());
    const TRun html = Run(u"report site.cfg"_s);
    EXPECT_EQ(html.Exit, 0);
    EXPECT_TRUE(html.Out.startsWith(u"<!DOCTYPE html>"_s) && html.Out.contains(u"«Склад №1»"_s));
    EXPECT_EQ(Run(u"report site.cfg --format xml"_s).Exit, 2);
}

// The history from the command line: the versions a read and a write took, the changed loop
// between two of them, one saved into a file; a sync without its server fails and leaves the
// history as it was.
TEST_F(Cli, HistoryOfTheSitesReadAndWritten)
{
    WriteText(Ini, u"[History]\nFolder=%1\nRemote=%2\nAuthor=Иванов\n"_s.arg(File(u"history"_s),
                                                                             File(u"gone.git"_s)));
    SaveChangedSite();
    TSimProcess demo({});
    TSimProcess other({u"--config"_s, File(u"changed.cfg"_s)});
    ASSERT_TRUE(demo.Started && other.Started);
    ASSERT_EQ(Run(u"read site.cfg --udp "_s + demo.Address(), Password).Exit, 0);
    ASSERT_EQ(Run(u"write site.cfg --udp "_s + other.Address()).Exit, 0);
    const TRun listed = Run(u"history list 00-20-FF-78-C5-34"_s);
    QStringList events;
    for (const QString &line : listed.Out.split(u'\n', Qt::SkipEmptyParts))
        events << line.section(u"  "_s, 2);
    EXPECT_EQ(events, (QStringList{u"Иванов  Записано в модуль: site.cfg"_s,
                                   u"Иванов  Перед записью в модуль: site.cfg"_s,
                                   u"Иванов  Считано из модуля: site.cfg"_s}));

    const TRun diff = Run(u"history diff 0020FF78C534 @~1 "_s + listed.Out.left(7));
    EXPECT_EQ(diff.Exit, 5);
    EXPECT_EQ(diff.Out, u"Устройство [2] ВЕКТ-8, шлейф 5: раздел 3 → 2\n"_s);
    EXPECT_EQ(Run(u"history get 0020FF78C534 @~1 -o old.cfg"_s).Exit, 0);
    EXPECT_EQ(Run(u"diff old.cfg changed.cfg"_s).Exit, 0);

    const TRun sync = Run(u"history sync"_s);
    EXPECT_EQ(sync.Exit, 7);
    EXPECT_TRUE(sync.Err.startsWith(u"Нет связи с общим хранилищем истории "_s))
        << sync.Err.toStdString();
    EXPECT_EQ(Run(u"history list 0020FF78C534"_s).Out, listed.Out);
}
