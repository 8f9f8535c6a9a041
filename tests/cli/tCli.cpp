// The command-line tool and the simulator as separate programs.

#include "model/uConfig.h"
#include "sim/uDemoSite.h"
#include "storage/uCatalog.h"
#include "storage/uDB.h"
#include "support/uLinkRig.h"
#include "support/uProcesses.h"
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

namespace {

struct TRun {
    int Exit = -1;
    QString Out;
    QString Err;
};

struct Cli : testing::Test {
    QTemporaryDir Dir;
    QString Ini = Dir.filePath(QStringLiteral("lorim-config.ini"));

    void SetUp() override { InitAppDir(); }

    QString File(const char *name) const { return Dir.filePath(QString::fromLatin1(name)); }

    // Runs lorim-cli with the arguments, an environment variable ("NAME=value") and what it
    // reads on standard input.
    TRun RunCli(const QStringList &args, const QString &variable = {}, const QByteArray &input = {})
    {
        QProcess p;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (!variable.isEmpty())
            environment.insert(variable.section(u'=', 0, 0), variable.section(u'=', 1));
        p.setProcessEnvironment(environment);
        p.start(AppDir + QStringLiteral("lorim-cli"),
                args + QStringList{QStringLiteral("--ini"), Ini});
        p.write(input);
        p.closeWriteChannel();
        p.waitForFinished(60000);
        return {p.exitCode(), QString::fromLocal8Bit(p.readAllStandardOutput()),
                QString::fromLocal8Bit(p.readAllStandardError())};
    }

    // The differences in settings between two configuration files.
    QStringList FileDifferences(const QString &first, const QString &second)
    {
        TConfig a;
        TConfig b;
        TDBConfig da(&a, nullptr);
        TDBConfig db(&b, nullptr);
        EXPECT_TRUE(da.Connect(first) && da.LoadConfig());
        EXPECT_TRUE(db.Connect(second) && db.LoadConfig());
        return ConfigDifferences(a, b, TCompare::Settings);
    }
};

} // namespace

TEST_F(Cli, ReadDumpWriteAndClockAgainstSimulators)
{
    TSimProcess a({});
    ASSERT_TRUE(a.Started);
    const TRun read =
        RunCli({QStringLiteral("read"), File("a.cfg"), QStringLiteral("--udp"), a.Address(),
                QStringLiteral("--password"), QStringLiteral("8522"), QStringLiteral("--log")});
    ASSERT_EQ(read.Exit, 0) << read.Err.toStdString();
    EXPECT_TRUE(read.Out.contains(QStringLiteral("  ВЕКТ-16Р [3]: OK\n")));
    EXPECT_TRUE(read.Out.contains(QStringLiteral("Сохранение конфигурации в БД...")));

    const TRun dump = RunCli({QStringLiteral("dump"), File("a.cfg")});
    ASSERT_EQ(dump.Exit, 0);
    EXPECT_TRUE(dump.Out.startsWith(QStringLiteral("Устройства: 6\n")));
    EXPECT_TRUE(dump.Out.contains(QStringLiteral("Пользователи: 4\n")));

    // A second module with the same identifier and nothing else takes the file whole, after
    // what it held has been kept as a backup.
    WriteText(Ini, QStringLiteral("[Backup]\nFolder=") + File("backups") + u'\n');
    TConfig empty;
    empty.Device(1)->ID = QStringLiteral("0020FF78C534");
    ASSERT_EQ(SaveConfigFile(empty, File("empty.cfg"), AppDir + QStringLiteral("config.md_"),
                             nullptr, nullptr),
              TSaveResult::Saved);
    TSimProcess b(
        {QStringLiteral("--config"), File("empty.cfg"), QStringLiteral("--save"), File("b.cfg")});
    ASSERT_TRUE(b.Started);
    const TRun write =
        RunCli({QStringLiteral("write"), File("a.cfg"), QStringLiteral("--udp"), b.Address()});
    ASSERT_EQ(write.Exit, 0) << write.Err.toStdString();
    ASSERT_TRUE(b.WaitFor("saved "));
    EXPECT_EQ(FileDifferences(File("a.cfg"), File("b.cfg")), QStringList());
    const QString backup =
        write.Out.section(QStringLiteral("Резервная копия конфигурации модуля: "), 1).trimmed();
    ASSERT_TRUE(backup.startsWith(File("backups/0020FF78C534/"))) << write.Out.toStdString();
    EXPECT_EQ(RunCli({QStringLiteral("diff"), backup, File("empty.cfg")}).Exit, 0);

    // Without a backup nothing is erased or written.
    WriteText(Ini, QStringLiteral("[Backup]\nFolder=") + File("a.cfg") + QStringLiteral("/x\n"));
    const TRun unsafe =
        RunCli({QStringLiteral("write"), File("empty.cfg"), QStringLiteral("--udp"), b.Address()});
    EXPECT_EQ(unsafe.Exit, 1);
    EXPECT_TRUE(unsafe.Err.contains(QStringLiteral("запись не выполнена")));
    EXPECT_EQ(RunCli({QStringLiteral("diff"), File("a.cfg"), QStringLiteral("--udp"), b.Address(),
                      QStringLiteral("--password"), QStringLiteral("8522")})
                  .Exit,
              0);

    const TRun clock = RunCli({QStringLiteral("clock"), QStringLiteral("--udp"), b.Address()});
    EXPECT_EQ(clock.Exit, 0) << clock.Err.toStdString();
    EXPECT_TRUE(b.WaitFor("clock: "));

    // A module that refuses a user record once: the write fails after the erase, and the
    // backup is written back, so that the module holds what it held before.
    WriteText(Ini, QStringLiteral("[Backup]\nFolder=") + File("backups") + u'\n');
    TSimProcess c({QStringLiteral("--refuse-once"), QStringLiteral("0x44")});
    ASSERT_TRUE(c.Started);
    const TRun failed =
        RunCli({QStringLiteral("write"), File("empty.cfg"), QStringLiteral("--udp"), c.Address()});
    EXPECT_EQ(failed.Exit, 1);
    EXPECT_TRUE(failed.Err.contains(
        QStringLiteral("Модуль восстановлен из резервной копии, сделанной перед записью.")))
        << failed.Err.toStdString();
    const QString kept =
        failed.Out.section(QStringLiteral("Резервная копия конфигурации модуля: "), 1).trimmed();
    EXPECT_EQ(RunCli({QStringLiteral("diff"), kept, QStringLiteral("--udp"), c.Address(),
                      QStringLiteral("--password"), QStringLiteral("8522")})
                  .Exit,
              0);
}

// The access password stays off the command line: it comes from the environment or a file
// (standard input here); one given on the command line still works, with a warning.
TEST_F(Cli, PasswordsFromTheEnvironmentOrAFile)
{
    TSimProcess sim({});
    ASSERT_TRUE(sim.Started);
    const QStringList read{QStringLiteral("read"), File("site.cfg"), QStringLiteral("--udp"),
                           sim.Address()};
    EXPECT_EQ(RunCli(read).Exit, 3); // no password, and none in the catalogue
    EXPECT_EQ(RunCli(read, QStringLiteral("LORIM_PASSWORD=8522")).Exit, 0);
    EXPECT_EQ(RunCli(read, QStringLiteral("LORIM_PASSWORD=1111")).Exit, 3);
    const TRun piped = RunCli(
        read + QStringList{QStringLiteral("--password-file"), QStringLiteral("-")}, {}, "8522\n");
    EXPECT_EQ(piped.Exit, 0) << piped.Err.toStdString();
    EXPECT_TRUE(piped.Err.isEmpty());
    const TRun shown =
        RunCli(read + QStringList{QStringLiteral("--password"), QStringLiteral("8522")});
    EXPECT_EQ(shown.Exit, 0);
    EXPECT_TRUE(shown.Err.startsWith(QStringLiteral("lorim-cli: --password DIGITS shows")));
}

// Two jobs on one UDP port of this computer would take each other's replies: the second ends at
// once, and neither file is harmed. The link settings come from an INI file whose address has
// blanks around it, as a hand-edited one may.
TEST_F(Cli, OneJobPerUdpPort)
{
    TSimProcess sim({QStringLiteral("--reply-delay"), QStringLiteral("10")});
    ASSERT_TRUE(sim.Started);
    WriteText(Ini, QStringLiteral("[Link]\nType=1\nIP = 127.0.0.2 \nPort=%1\n").arg(sim.Port));
    const QStringList args{QStringLiteral("--password"), QStringLiteral("8522"),
                           QStringLiteral("--log"), QStringLiteral("--ini"), Ini};
    QProcess first;
    first.start(AppDir + QStringLiteral("lorim-cli"),
                QStringList{QStringLiteral("read"), File("first.cfg")} + args);
    ASSERT_TRUE(first.waitForReadyRead(10000)); // its first log line: it holds the port
    QElapsedTimer clock;
    clock.start();
    const TRun second = RunCli({QStringLiteral("read"), File("second.cfg"),
                                QStringLiteral("--password"), QStringLiteral("8522")});
    EXPECT_EQ(second.Exit, 4);
    EXPECT_TRUE(
        second.Err.contains(QStringLiteral("UDP-порт %1 занят другим заданием").arg(sim.Port)))
        << second.Err.toStdString();
    EXPECT_LT(clock.elapsed(), 2000);
    ASSERT_TRUE(first.waitForFinished(60000));
    EXPECT_EQ(first.exitCode(), 0);
    EXPECT_FALSE(QFile::exists(File("second.cfg")));
    const TRun dump = RunCli({QStringLiteral("dump"), File("first.cfg")});
    EXPECT_EQ(dump.Exit, 0);
    EXPECT_TRUE(dump.Out.startsWith(QStringLiteral("Устройства: 6\n")));
}

TEST_F(Cli, ExitStatusesTellWhatWentWrong)
{
    const TRun usage = RunCli({});
    EXPECT_EQ(usage.Exit, 2);
    EXPECT_TRUE(usage.Err.contains(QStringLiteral("Usage:")));
    EXPECT_EQ(RunCli({QStringLiteral("fetch"), File("x.cfg")}).Exit, 2);
    EXPECT_EQ(RunCli({QStringLiteral("read"), File("x.cfg"), QStringLiteral("--udp"),
                      QStringLiteral("127.0.0.2:99999")})
                  .Exit,
              2);

    const TRun missing = RunCli({QStringLiteral("dump"), File("missing.cfg")});
    EXPECT_EQ(missing.Exit, 1);
    EXPECT_TRUE(missing.Err.contains(QStringLiteral("Не удалось открыть БД ")));

    TSimProcess sim({});
    ASSERT_TRUE(sim.Started);
    const TRun refused = RunCli({QStringLiteral("read"), File("x.cfg"), QStringLiteral("--udp"),
                                 sim.Address(), QStringLiteral("--password"), QStringLiteral("1")});
    EXPECT_EQ(refused.Exit, 3);
    EXPECT_TRUE(refused.Err.contains(QStringLiteral("Ошибка ввода пароля")));
    EXPECT_FALSE(QFile::exists(File("x.cfg")));

    // No catalogue file holds this module's password.
    EXPECT_EQ(
        RunCli({QStringLiteral("read"), File("x.cfg"), QStringLiteral("--udp"), sim.Address()})
            .Exit,
        3);

    const TRun silent = RunCli({QStringLiteral("read"), File("x.cfg"), QStringLiteral("--udp"),
                                QStringLiteral("127.0.0.2:") + QString::number(FreeUdpPort()),
                                QStringLiteral("--password"), QStringLiteral("8522"),
                                QStringLiteral("--attempts"), QStringLiteral("1")});
    EXPECT_EQ(silent.Exit, 4);
    EXPECT_TRUE(silent.Err.contains(QStringLiteral("Потеря связи с устройством!")));
}

// diff compares a file with a second file or with the network, and says by its exit status
// whether they agree.
TEST_F(Cli, DiffComparesWithAFileAndWithTheNetwork)
{
    TSimProcess sim({});
    ASSERT_TRUE(sim.Started);
    const QStringList link{QStringLiteral("--udp"), sim.Address(), QStringLiteral("--password"),
                           QStringLiteral("8522")};
    const QString diff = QStringLiteral("diff");
    ASSERT_EQ(RunCli(QStringList{QStringLiteral("read"), File("site.cfg")} + link).Exit, 0);

    // The same site with one loop bound to another partition.
    TConfig changed;
    TDBConfig db(&changed, nullptr);
    ASSERT_TRUE(db.Connect(File("site.cfg")) && db.LoadConfig());
    changed.Device(2)->AsVEKT()->Loop(5)->Part = 3;
    ASSERT_EQ(SaveConfigFile(changed, File("changed.cfg"), AppDir + QStringLiteral("config.md_"),
                             nullptr, nullptr),
              TSaveResult::Saved);
    const QString line = QStringLiteral("Устройство [2] ВЕКТ-8, шлейф 5: раздел 2 → 3\n");

    const TRun sameFile = RunCli({diff, File("site.cfg"), File("site.cfg")});
    EXPECT_EQ(sameFile.Exit, 0);
    EXPECT_EQ(sameFile.Out, QString());
    const TRun otherFile = RunCli({diff, File("site.cfg"), File("changed.cfg")});
    EXPECT_EQ(otherFile.Exit, 5);
    EXPECT_EQ(otherFile.Out, line);

    const TRun sameNetwork = RunCli(QStringList{diff, File("site.cfg")} + link);
    EXPECT_EQ(sameNetwork.Exit, 0) << sameNetwork.Err.toStdString();
    EXPECT_EQ(sameNetwork.Out, QString());
    const TRun otherNetwork = RunCli(QStringList{diff, File("changed.cfg")} + link);
    EXPECT_EQ(otherNetwork.Exit, 5) << otherNetwork.Err.toStdString();
    EXPECT_EQ(otherNetwork.Out, QStringLiteral("Устройство [2] ВЕКТ-8, шлейф 5: раздел 3 → 2\n"));

    EXPECT_EQ(RunCli(QStringList{diff, File("site.cfg"), File("changed.cfg")} + link).Exit, 2);
    EXPECT_EQ(RunCli({diff, File("missing.cfg"), File("site.cfg")}).Exit, 1);
}

// A report goes into the file -o names, titled with the catalogue's name for the configuration
// file, or to standard output as HTML; a form it does not know is a usage error.
TEST_F(Cli, ReportIntoAFileOrStandardOutput)
{
    TConfig config;
    FillEveryKind(config);
    ASSERT_EQ(SaveConfigFile(config, File("site.cfg"), AppDir + QStringLiteral("config.md_"),
                             nullptr, nullptr),
              TSaveResult::Saved);
    WriteText(Ini, QStringLiteral("[Config]\nCount=1\nPath1=site.cfg\nName1=Склад №1\n"));
    const TRun json =
        RunCli({QStringLiteral("report"), File("site.cfg"), QStringLiteral("--format"),
                QStringLiteral("json"), QStringLiteral("-o"), File("site.json")});
    ASSERT_EQ(json.Exit, 0) << json.Err.toStdString();
    EXPECT_TRUE(json.Out.isEmpty());
    const QJsonObject site = QJsonDocument::fromJson(ReadText(File("site.json")).toUtf8()).object();
    EXPECT_EQ(site[u"title"].toString(), QStringLiteral("Склад №1"));
    EXPECT_EQ(site[u"devices"].toArray().size(), config.DeviceCount());

    const TRun html = RunCli({QStringLiteral("report"), File("site.cfg")});
    EXPECT_EQ(html.Exit, 0);
    EXPECT_TRUE(html.Out.startsWith(QStringLiteral("<!DOCTYPE html>")));
    EXPECT_TRUE(html.Out.contains(QStringLiteral("«Склад №1»")));

    const TRun bad = RunCli({QStringLiteral("report"), File("site.cfg"), QStringLiteral("--format"),
                             QStringLiteral("xml")});
    EXPECT_EQ(bad.Exit, 2);
    EXPECT_TRUE(bad.Err.contains(QStringLiteral("--format takes html, csv or json")));
}

// check prints a line per problem, errors first, or JSON, and its exit status says whether there
// is an error; write refuses a configuration with errors unless forced. The network's
// configuration is checked as read.
TEST_F(Cli, CheckFindsErrorsAndWriteRefusesThemUnlessForced)
{
    TConfig site;
    FillDemoSite(site);
    site.Part(2)->SMS(2)->Type = 1;
    ASSERT_EQ(SaveConfigFile(site, File("site.cfg"), AppDir + QStringLiteral("config.md_"), nullptr,
                             nullptr),
              TSaveResult::Saved);
    const TRun text = RunCli({QStringLiteral("check"), File("site.cfg")});
    EXPECT_EQ(text.Exit, 6);
    EXPECT_TRUE(text.Out.startsWith(
        QStringLiteral("ошибка: Раздел №2, СМС 2: тип «Все», но нет номера телефона\n"
                       "предупреждение: Пользователь №3: ")))
        << text.Out.toStdString();
    const TRun json = RunCli({QStringLiteral("check"), File("site.cfg"), QStringLiteral("--format"),
                              QStringLiteral("json")});
    const QJsonObject report = QJsonDocument::fromJson(json.Out.toUtf8()).object();
    EXPECT_EQ(report[u"errors"].toInt(), 1);
    EXPECT_EQ(report[u"problems"].toArray()[0].toObject()[u"sms"].toInt(), 2);

    TSimProcess sim({});
    ASSERT_TRUE(sim.Started);
    const QStringList write{QStringLiteral("write"), File("site.cfg"), QStringLiteral("--udp"),
                            sim.Address(), QStringLiteral("--no-backup")};
    const TRun refused = RunCli(write);
    EXPECT_EQ(refused.Exit, 6);
    EXPECT_TRUE(refused.Err.contains(QStringLiteral("запись не выполнена")))
        << refused.Err.toStdString();
    const QStringList network{QStringLiteral("check"), QStringLiteral("--udp"), sim.Address()};
    EXPECT_EQ(RunCli(network, QStringLiteral("LORIM_PASSWORD=8522")).Exit, 0);
    EXPECT_EQ(RunCli(write + QStringList{QStringLiteral("--force")}).Exit, 0);
    EXPECT_EQ(RunCli(network, QStringLiteral("LORIM_PASSWORD=8522")).Out, text.Out);
}

// The history from the command line: the versions a read and a write took, the changed loop
// between two of them, one saved into a file; a sync without its server fails and leaves the
// history as it was.
TEST_F(Cli, HistoryOfTheSitesReadAndWritten)
{
    WriteText(Ini, QStringLiteral("[History]\nFolder=%1\nRemote=%2\nAuthor=Иванов\n")
                       .arg(File("history"), File("gone.git")));
    TConfig changed;
    FillDemoSite(changed);
    changed.Device(2)->AsVEKT()->Loop(5)->Part = 3;
    ASSERT_EQ(SaveConfigFile(changed, File("changed.cfg"), AppDir + QStringLiteral("config.md_"),
                             nullptr, nullptr),
              TSaveResult::Saved);
    TSimProcess demo({});
    TSimProcess other({QStringLiteral("--config"), File("changed.cfg")});
    ASSERT_TRUE(demo.Started && other.Started);
    const QString password = QStringLiteral("LORIM_PASSWORD=8522");
    ASSERT_EQ(
        RunCli({QStringLiteral("read"), File("site.cfg"), QStringLiteral("--udp"), demo.Address()},
               password)
            .Exit,
        0);
    ASSERT_EQ(RunCli({QStringLiteral("write"), File("site.cfg"), QStringLiteral("--udp"),
                      other.Address()})
                  .Exit,
              0);
    const auto history = [this](const QStringList &args) {
        return RunCli(QStringList{QStringLiteral("history")} + args);
    };
    const QStringList list{QStringLiteral("list"), QStringLiteral("00-20-FF-78-C5-34")};
    const TRun listed = history(list);
    QStringList events;
    for (const QString &line : listed.Out.split(u'\n', Qt::SkipEmptyParts))
        events << line.section(QStringLiteral("  "), 2);
    EXPECT_EQ(events, (QStringList{QStringLiteral("Иванов  Записано в модуль: site.cfg"),
                                   QStringLiteral("Иванов  Перед записью в модуль: site.cfg"),
                                   QStringLiteral("Иванов  Считано из модуля: site.cfg")}));

    const TRun diff = history({QStringLiteral("diff"), QStringLiteral("0020FF78C534"),
                               QStringLiteral("@~1"), listed.Out.left(7)});
    EXPECT_EQ(diff.Exit, 5);
    EXPECT_EQ(diff.Out, QStringLiteral("Устройство [2] ВЕКТ-8, шлейф 5: раздел 3 → 2\n"));
    EXPECT_EQ(history({QStringLiteral("get"), QStringLiteral("0020FF78C534"), QStringLiteral("@~1"),
                       QStringLiteral("-o"), File("old.cfg")})
                  .Exit,
              0);
    EXPECT_EQ(FileDifferences(File("old.cfg"), File("changed.cfg")), QStringList());

    const TRun sync = history({QStringLiteral("sync")});
    EXPECT_EQ(sync.Exit, 7);
    EXPECT_TRUE(sync.Err.startsWith(QStringLiteral("Нет связи с общим хранилищем истории ")))
        << sync.Err.toStdString();
    EXPECT_EQ(history(list).Out, listed.Out);
}
