#include "storage/uDB.h"

#include "model/uConfig.h"
#include "storage/uCatalog.h"
#include "storage/uFileOps.h"
#include "support/uSampleConfigs.h"
#include "support/uTestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <random>

namespace {

struct Database : testing::Test {
    QTemporaryDir Dir;
    QString Template;
    QString Path = Dir.filePath(QStringLiteral("site.cfg"));
    TLogRecorder Log;
    TProgressRecorder Progress;

    void SetUp() override
    {
        InitAppDir();
        Template = AppDir + QStringLiteral("config.md_");
        ASSERT_TRUE(QFile::exists(Template));
    }

    // A fresh copy of the template with the given statements run on it.
    void MakeFile(const QStringList &statements)
    {
        ASSERT_TRUE(CopyFileOver(Template, Path));
        TSqlConnection db;
        ASSERT_TRUE(db.Open(Path));
        for (const QString &sql : statements)
            ASSERT_TRUE(db.Execute(sql))
                << sql.toStdString() << ": " << db.LastError().toStdString();
    }

    bool Load(TConfig &c)
    {
        TDBConfig db(&c, &Log, &Progress);
        return db.Connect(Path) && db.LoadConfig();
    }

    int Rows(const QString &table)
    {
        TSqlConnection db;
        TSqlQuery q;
        return db.Open(Path) && q.Open(db, QStringLiteral("SELECT * FROM [") + table + u']')
                   ? q.RecordCount()
                   : -1;
    }

    QByteArray Bytes(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

} // namespace

TEST_F(Database, EveryKindOfObjectRoundTrips)
{
    TConfig saved;
    FillEveryKind(saved);
    ASSERT_EQ(SaveConfigFile(saved, Path, Template, &Log, &Progress), TSaveResult::Saved);
    EXPECT_EQ(Progress.Max, saved.PartCount() + saved.DeviceCount() + saved.UserCount());
    EXPECT_EQ(Progress.Position, Progress.Max);
    EXPECT_TRUE(Log.Lines.contains(QStringLiteral("  ВЕКТ-24Р [6]: OK")));
    EXPECT_TRUE(Log.Lines.contains(QStringLiteral("    СМС3: OK")));
    EXPECT_FALSE(Log.Lines.join(u'\n').contains(QStringLiteral("Error")));

    TConfig loaded;
    Log.Lines.clear();
    ASSERT_TRUE(Load(loaded));
    EXPECT_EQ(ConfigDifferences(saved, loaded), QStringList());
    EXPECT_EQ(Progress.Position, Progress.Max);
    EXPECT_EQ(Log.Lines.first(), QStringLiteral("Загрузка конфигурации из БД..."));
    EXPECT_TRUE(Log.Lines.contains(QStringLiteral("  ИБ-40 [12]: OK")));
    EXPECT_TRUE(Log.Lines.contains(QStringLiteral("    Индикатор40: OK")));
    // What the file does not keep comes back as a new object has it.
    EXPECT_FALSE(loaded.Device(2)->Changed);
    EXPECT_FALSE(loaded.WriteAll);

    TDBConfig db(nullptr, nullptr);
    ASSERT_TRUE(db.Connect(Path));
    EXPECT_EQ(db.ReadModuleID(), saved.Device(1)->ID);
    EXPECT_EQ(db.ReadAdminPassword(), QStringLiteral("4321"));
}

TEST_F(Database, FreshConfigurationWritesModuleAndAdministratorOnly)
{
    TConfig fresh;
    ASSERT_EQ(SaveConfigFile(fresh, Path, Template, nullptr, nullptr), TSaveResult::Saved);
    EXPECT_EQ(Rows(QStringLiteral("Device")), 1);
    EXPECT_EQ(Rows(QStringLiteral("RelayDev")), 1);
    EXPECT_EQ(Rows(QStringLiteral("Relay")), 3);
    EXPECT_EQ(Rows(QStringLiteral("User")), 1);
    EXPECT_EQ(Rows(QStringLiteral("Part")), 0);
    EXPECT_EQ(Rows(QStringLiteral("SMS")), 0);

    // The administrator's row alone can be rewritten.
    fresh.User(111)->Pswrd1 = QStringLiteral("0007");
    TDBConfig db(&fresh, nullptr);
    ASSERT_TRUE(db.Connect(Path));
    EXPECT_TRUE(db.SaveAdminUser());
    EXPECT_EQ(db.ReadAdminPassword(), QStringLiteral("0007"));
    EXPECT_EQ(Rows(QStringLiteral("User")), 1);
}

TEST_F(Database, LoadPassesOverRowsThatPointNowhere)
{
    MakeFile({
        QStringLiteral("INSERT INTO [Part] VALUES (2, 'k2', 30)"),
        QStringLiteral("INSERT INTO [Part] VALUES (200, 'k200', 0)"),
        QStringLiteral("INSERT INTO [SMS] VALUES (2, 3, 9, '123', 7, 5)"),
        QStringLiteral("INSERT INTO [SMS] VALUES (9, 1, 1, '1', 0, 0)"),
        QStringLiteral("INSERT INTO [Device] VALUES (1, '00000000000A', 'd1', 'ЦМ', '', '', 0)"),
        QStringLiteral("INSERT INTO [RelayDev] VALUES (1)"),
        QStringLiteral("INSERT INTO [Relay] VALUES (1, 1, 1, 9, 0, 20, 0)"),  // missing partition
        QStringLiteral("INSERT INTO [Relay] VALUES (1, 2, 5, 7, 3, 20, 1)"),  // no panel at 7
        QStringLiteral("INSERT INTO [Relay] VALUES (1, 3, 1, 2, 0, 270, 0)"), // 270 reads as 14
        QStringLiteral("INSERT INTO [Device] VALUES (3, 'C', 'd3', 'ВМС-8', '', '', 0)"),
        QStringLiteral("INSERT INTO [IndicDev] VALUES (3, 2, 1, 2)"),
        QStringLiteral("INSERT INTO [Indicator] VALUES (3, 1, 1, 2, 0)"), // not individual
        QStringLiteral("INSERT INTO [Shleif] VALUES (9, 1, 2, 0, 0, 2)"), // no panel at 9
        QStringLiteral("INSERT INTO [Device] VALUES (4, 'D', 'd4', 'ВЕКТ-9', '', '', 0)"),
        QStringLiteral("INSERT INTO [VEKT] VALUES (4)"),
        QStringLiteral(
            "INSERT INTO [Device] VALUES (5, 'E', 'd5', 'КП', '', '', 0)"), // no kind row
        QStringLiteral("INSERT INTO [Device] VALUES (6, 'F', 'd6', 'ВЕКТ-8', '', '', 0)"),
        QStringLiteral("INSERT INTO [VEKT] VALUES (6)"),
        QStringLiteral("INSERT INTO [Shleif] VALUES (6, 1, 'fire', 0, 0, 2)"), // text for a type
        QStringLiteral("INSERT INTO [Shleif] VALUES (6, 2, 3, 257, 0, 2)"),    // delay 257 reads 1
        QStringLiteral("INSERT INTO [User] VALUES (5, 1, 255, 2, '12', '34')"),
        QStringLiteral("INSERT INTO [User] VALUES (6, 9, 77, 2, '12', '34')"),
        QStringLiteral("INSERT INTO [User] VALUES (7, 0, 2, 2, '12', '34')"),
        QStringLiteral("INSERT INTO [User] VALUES (256, 0, 2, 2, '12', '34')"), // number 0
    });
    TConfig c;
    ASSERT_TRUE(Load(c));
    EXPECT_EQ(c.PartCount(), 1);
    EXPECT_EQ(c.Part(2)->Delay, 30u);
    EXPECT_EQ(c.Part(2)->SMS(3)->Type, 0u);
    EXPECT_EQ(c.Part(2)->SMS(3)->Code, 0u);
    EXPECT_EQ(c.Part(2)->SMS(3)->Plus, 7u);

    const TRelayDev *cm = c.Device(1)->AsRelayDev();
    EXPECT_EQ(cm->Relay(1)->Mode, 0);
    EXPECT_EQ(cm->Relay(2)->Mode, 0);
    EXPECT_EQ(cm->Relay(3)->Delay, 14);
    EXPECT_EQ(c.Device(3)->AsIndicDev()->Indicator(1)->Mode, 0);
    EXPECT_EQ(c.Device(4), nullptr);
    EXPECT_EQ(c.Device(5), nullptr);
    EXPECT_EQ(c.Device(6)->AsVEKT()->Loop(1)->Part, 0);
    EXPECT_EQ(c.Device(6)->AsVEKT()->Loop(2)->Delay, 1);

    EXPECT_EQ(c.User(5)->Part1, 255u);
    EXPECT_EQ(c.User(5)->Part2, 0u);
    EXPECT_EQ(c.User(6)->Part1, 0u);
    EXPECT_EQ(c.User(6)->Part2, 0u);
    EXPECT_EQ(c.User(6)->Type, 0u);
    EXPECT_EQ(c.User(7)->Part2, 2u);
    EXPECT_EQ(c.UserCount(), 4); // 5, 6, 7 and the fresh container's administrator

    const QStringList expected{
        QStringLiteral("  2: OK"),           QStringLiteral("    СМС3: OK"),
        QStringLiteral("    Реле1: OK"),     QStringLiteral("    Реле2: OK"),
        QStringLiteral("    Реле3: OK"),     QStringLiteral("  ВЕКТ-9 [4]: Error"),
        QStringLiteral("    Шлейф1: Error"), QStringLiteral("    Шлейф2: OK"),
    };
    for (const QString &line : expected)
        EXPECT_TRUE(Log.Lines.contains(line)) << line.toStdString();
    EXPECT_FALSE(Log.Lines.contains(QStringLiteral("    Индикатор1: OK")));
    // Every row steps the bar but the device row without a kind row, which no query meets.
    EXPECT_EQ(Progress.Position, Progress.Max - 1);
}

TEST_F(Database, MissingTablesAndForeignFiles)
{
    MakeFile({QStringLiteral("DROP TABLE [Indicator]")});
    TConfig c;
    EXPECT_TRUE(Load(c));
    EXPECT_TRUE(Log.Lines.contains(QStringLiteral("  Не удалось открыть таблицу Indicator")));

    MakeFile({QStringLiteral("DROP TABLE [User]")});
    EXPECT_FALSE(Load(c));
    EXPECT_EQ(Log.Lines.last(), QStringLiteral("Не удалось открыть таблицу User"));

    MakeFile({QStringLiteral("DROP TABLE [KP]")});
    EXPECT_TRUE(Load(c));
    EXPECT_TRUE(Log.Lines.contains(QStringLiteral("Не удалось открыть таблицы Device и KP")));

    // An SQLite file of another program opens, but holds none of the tables.
    TSqlConnection other;
    WriteText(Path, QString());
    QFile::remove(Path);
    {
        QFile f(Path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    ASSERT_TRUE(other.Open(Path));
    ASSERT_TRUE(other.Execute(QStringLiteral("CREATE TABLE notes (x TEXT)")));
    other.Close();
    EXPECT_FALSE(Load(c));
    EXPECT_EQ(Log.Lines.last(), QStringLiteral("Не удалось открыть таблицу Part"));

    TDBConfig db(&c, nullptr);
    EXPECT_FALSE(db.Connect(Dir.filePath(QStringLiteral("missing.cfg"))));
    EXPECT_FALSE(QFile::exists(Dir.filePath(QStringLiteral("missing.cfg"))));
    WriteText(Path, QStringLiteral("this is not a database, just some text"));
    EXPECT_FALSE(db.Connect(Path));
    EXPECT_EQ(db.ReadModuleID(), QString());
}

// Old files lack the column of the "two loops" option; they load with the option off.
TEST_F(Database, FilesWithoutTheTwoLoopsColumnLoad)
{
    MakeFile({QStringLiteral("ALTER TABLE [Relay] DROP COLUMN [TwoShlf]"),
              QStringLiteral("INSERT INTO [Part] VALUES (1, 'p', 0)"),
              QStringLiteral("INSERT INTO [Device] VALUES (1, '1', '1', 'ЦМ', '', '', 0)"),
              QStringLiteral("INSERT INTO [RelayDev] VALUES (1)"),
              QStringLiteral("INSERT INTO [Device] VALUES (2, '2', '2', 'ВЕКТ-8', '', '', 0)"),
              QStringLiteral("INSERT INTO [VEKT] VALUES (2)"),
              QStringLiteral("INSERT INTO [Relay] VALUES (1, 1, 5, 2, 3, 40)")});
    TConfig c;
    ASSERT_TRUE(Load(c));
    const TRelay *r = c.Device(1)->AsRelayDev()->Relay(1);
    EXPECT_EQ(r->Mode, TRelay::ModeASPT);
    EXPECT_EQ(r->Shlf, 3);
    EXPECT_EQ(r->Delay, 40);
    EXPECT_EQ(r->TwoShlf, 0);
}

// A save that cannot be completed leaves the file that was there byte for byte.
TEST_F(Database, FailedSaveKeepsThePreviousFile)
{
    TConfig first;
    FillEveryKind(first);
    ASSERT_EQ(SaveConfigFile(first, Path, Template, nullptr, nullptr), TSaveResult::Saved);
    const QByteArray before = Bytes(Path);

    // A template whose [User] table refuses rows after the first few fails halfway.
    const QString broken = Dir.filePath(QStringLiteral("broken.md_"));
    ASSERT_TRUE(CopyFileOver(Template, broken));
    {
        TSqlConnection db;
        ASSERT_TRUE(db.Open(broken));
        ASSERT_TRUE(db.Execute(
            QStringLiteral("CREATE TRIGGER stop BEFORE INSERT ON [User] WHEN NEW.Num > 100 "
                           "BEGIN SELECT RAISE(ABORT, 'disk full'); END")));
    }
    TConfig second;
    FillEveryKind(second);
    second.Part(1)->KeyDB = QStringLiteral("changed");
    Log.Lines.clear();
    EXPECT_EQ(SaveConfigFile(second, Path, broken, &Log, nullptr), TSaveResult::NotWritten);
    EXPECT_TRUE(Log.Lines.contains(QStringLiteral("  111: Error")));
    EXPECT_TRUE(Log.Lines.contains(QStringLiteral("  3: OK")));
    EXPECT_EQ(Bytes(Path), before);
    EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2); // no leftovers

    EXPECT_EQ(
        SaveConfigFile(second, Path, Dir.filePath(QStringLiteral("none.md_")), nullptr, nullptr),
        TSaveResult::NoTemplate);
    WriteText(broken, QStringLiteral("not a database"));
    EXPECT_EQ(SaveConfigFile(second, Path, broken, nullptr, nullptr), TSaveResult::CannotOpen);
    EXPECT_EQ(SaveConfigFile(second, Dir.filePath(QStringLiteral("no/such/dir.cfg")), Template,
                             nullptr, nullptr),
              TSaveResult::CannotCreate);
    EXPECT_EQ(Bytes(Path), before);
}

// Damaged files load what can be read and never crash: truncated copies and flipped bytes.
TEST_F(Database, DamagedFilesNeverCrash)
{
    TConfig saved;
    FillEveryKind(saved);
    ASSERT_EQ(SaveConfigFile(saved, Path, Template, nullptr, nullptr), TSaveResult::Saved);
    const QByteArray good = Bytes(Path);
    std::mt19937 rng(42);
    for (int round = 0; round < 60; ++round) {
        QByteArray bad = good;
        if (round % 3 == 0)
            bad.truncate(static_cast<qsizetype>(rng() % good.size()));
        for (int flips = 0; flips < 1 + round % 8; ++flips)
            if (!bad.isEmpty())
                bad[static_cast<qsizetype>(rng() % bad.size())] = static_cast<char>(rng());
        QFile f(Path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bad);
        f.close();
        TConfig c;
        TDBConfig db(&c, nullptr);
        if (db.Connect(Path))
            db.LoadConfig();
        EXPECT_LE(c.DeviceCount(), TConfig::MaxAddress);
    }
}
