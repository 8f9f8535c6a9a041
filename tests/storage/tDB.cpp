// Configuration files. Damage to the bytes of a file is fuzz/fDB.cpp's.

#include "storage/uDB.h"

#include "model/uConfig.h"
#include "storage/uCatalog.h"
#include "support/uSampleConfigs.h"
#include "support/uTestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <tuple>

using namespace Qt::StringLiterals;

namespace {

struct Database : testing::Test {
    QTemporaryDir Dir;
    QString Template;
    QString Path = Dir.filePath(u"site.cfg"_s);
    TLogRecorder Log;
    TProgressRecorder Progress;

    void SetUp() override
    {
        InitAppDir();
        Template = AppDir + u"config.md_"_s;
        ASSERT_TRUE(QFile::exists(Template));
    }

    // A fresh copy of the template (or of from) at Path (or to) with the statements run on it.
    void MakeFile(const QStringList &statements, const QString &from = {}, const QString &to = {})
    {
        const QString path = to.isEmpty() ? Path : to;
        QFile::remove(path);
        ASSERT_TRUE(QFile::copy(from.isEmpty() ? Template : from, path));
        ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
        TSqlConnection db;
        ASSERT_TRUE(db.Open(path));
        for (const QString &sql : statements)
            ASSERT_TRUE(db.Execute(sql))
                << sql.toStdString() << ": " << db.LastError().toStdString();
    }

    bool Load(TConfig &c)
    {
        TDBConfig db(&c, &Log, &Progress);
        return db.Connect(Path) && db.LoadConfig();
    }

    int Rows(const char *table)
    {
        TSqlConnection db;
        TSqlQuery q;
        return db.Open(Path) && q.Open(db, u"SELECT * FROM [%1]"_s.arg(QString::fromUtf8(table)))
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
    EXPECT_FALSE(Log.Lines.join(u'\n').contains(u"Error"_s));

    TConfig loaded;
    Log.Lines.clear();
    ASSERT_TRUE(Load(loaded));
    EXPECT_FALSE(Log.Lines.join(u'\n').contains(u"Error"_s));
    EXPECT_EQ(ConfigDifferences(saved, loaded), QStringList());
    loaded.Device(6)->AsVEKT()->Loop(24)->Flags = 0; // and the comparison sees a change
    EXPECT_EQ(ConfigDifferences(saved, loaded), QStringList{u"device 6 loop 24 Flags: 6 / 0"_s});
    EXPECT_EQ(Progress.Position, Progress.Max);
    // What the file does not keep comes back as a new object has it.
    EXPECT_FALSE(loaded.Device(2)->Changed);
}

TEST_F(Database, FreshConfigurationWritesModuleAndAdministratorOnly)
{
    TConfig fresh;
    ASSERT_EQ(SaveConfigFile(fresh, Path, Template, nullptr, nullptr), TSaveResult::Saved);
    EXPECT_EQ((std::vector<int>{Rows("Device"), Rows("RelayDev"), Rows("Relay"), Rows("User"),
                                Rows("Part"), Rows("SMS")}),
              (std::vector<int>{1, 1, 3, 1, 0, 0}));
    // The administrator's password alone can be set; a file without the administrator gets one.
    TDBConfig db(nullptr, nullptr);
    ASSERT_TRUE(db.Connect(Path));
    EXPECT_TRUE(db.SaveAdminPassword(u"0007"_s));
    EXPECT_EQ(db.ReadAdminPassword(), u"0007"_s);
    MakeFile({});
    ASSERT_TRUE(db.Connect(Path));
    EXPECT_TRUE(db.SaveAdminPassword(u"12"_s));
    EXPECT_EQ(db.ReadAdminPassword(), u"12"_s);
    EXPECT_EQ(Rows("User"), 1);
}

TEST_F(Database, LoadPassesOverRowsThatPointNowhere)
{
    MakeFile({
        u"INSERT INTO [Part] VALUES (2, 'k2', 30)"_s,
        u"INSERT INTO [Part] VALUES (200, 'k200', 0)"_s,
        u"INSERT INTO [SMS] VALUES (2, 3, 9, '123', 7, 5)"_s,
        u"INSERT INTO [SMS] VALUES (9, 1, 1, '1', 0, 0)"_s,
        u"INSERT INTO [Device] VALUES (1, '00000000000A', 'd1', 'ЦМ', '', '', 0)"_s,
        u"INSERT INTO [RelayDev] VALUES (1)"_s,
        u"INSERT INTO [Relay] VALUES (1, 1, 1, 9, 0, 20, 0)"_s,  // missing partition
        u"INSERT INTO [Relay] VALUES (1, 2, 5, 7, 3, 20, 1)"_s,  // no panel at 7
        u"INSERT INTO [Relay] VALUES (1, 3, 1, 2, 0, 270, 0)"_s, // 270 reads as 14
        u"INSERT INTO [Device] VALUES (3, 'C', 'd3', 'ВМС-8', '', '', 0)"_s,
        u"INSERT INTO [IndicDev] VALUES (3, 2, 1, 2)"_s,
        u"INSERT INTO [Indicator] VALUES (3, 1, 1, 2, 0)"_s, // not individual
        u"INSERT INTO [Shleif] VALUES (9, 1, 2, 0, 0, 2)"_s, // no panel at 9
        u"INSERT INTO [Device] VALUES (4, 'D', 'd4', 'ВЕКТ-9', '', '', 0)"_s,
        u"INSERT INTO [VEKT] VALUES (4)"_s,
        u"INSERT INTO [Device] VALUES (5, 'E', 'd5', 'КП', '', '', 0)"_s, // no KP row
        u"INSERT INTO [Device] VALUES (6, 'F', 'd6', 'ВЕКТ-8', '', '', 0)"_s,
        u"INSERT INTO [VEKT] VALUES (6)"_s,
        u"INSERT INTO [Shleif] VALUES (6, 1, 'fire', 0, 0, 2)"_s, // text for a type
        u"INSERT INTO [Shleif] VALUES (6, 2, 3, 257, 0, 2)"_s,    // delay 257 reads 1
        u"INSERT INTO [Shleif] VALUES (6, 3, 3, 0, 0, 9)"_s,      // missing partition
        u"INSERT INTO [User] VALUES (5, 1, 255, 2, '12', '34')"_s,
        u"INSERT INTO [User] VALUES (6, 9, 77, 2, '12', '34')"_s,
        u"INSERT INTO [User] VALUES (7, 0, 2, 2, '12', '34')"_s,
        u"INSERT INTO [User] VALUES (256, 0, 2, 2, '12', '34')"_s, // number 0
    });
    TConfig c;
    ASSERT_TRUE(Load(c));
    EXPECT_EQ(c.PartCount(), 1);
    const TSMS &sms = *c.Part(2)->SMS(3);
    EXPECT_EQ((std::tuple{c.Part(2)->Delay, sms.Type, sms.Code, sms.Plus}),
              (std::tuple{30u, 0u, 0u, 7u}));
    const TRelayDev *cm = c.Device(1)->AsRelayDev();
    EXPECT_EQ((std::vector<int>{cm->Relay(1)->Mode, cm->Relay(2)->Mode, cm->Relay(3)->Delay,
                                c.Device(3)->AsIndicDev()->Indicator(1)->Mode,
                                c.Device(6)->AsVEKT()->Loop(1)->Part,
                                c.Device(6)->AsVEKT()->Loop(2)->Delay,
                                c.Device(6)->AsVEKT()->Loop(3)->Part}),
              (std::vector<int>{0, 0, 14, 0, 0, 1, 0}));
    EXPECT_TRUE(!c.Device(4) && !c.Device(5));
    EXPECT_EQ((std::vector<unsigned>{c.User(5)->Part1, c.User(5)->Part2, c.User(6)->Part1,
                                     c.User(6)->Part2, c.User(6)->Type, c.User(7)->Part2}),
              (std::vector<unsigned>{255, 0, 0, 0, 0, 2}));
    EXPECT_EQ(c.UserCount(), 4); // 5, 6, 7 and the fresh container's administrator
    for (const char *line :
         {"  2: OK", "    СМС3: OK", "    Реле1: OK", "    Реле2: OK", "    Реле3: OK",
          "  ВЕКТ-9 [4]: Error", "    Шлейф1: Error", "    Шлейф2: OK"})
        EXPECT_TRUE(Log.Lines.contains(QString::fromUtf8(line))) << line;
    // Every row steps the bar but the device row without a kind row, which no query meets.
    EXPECT_EQ(Progress.Position, Progress.Max - 1);
}

// Older files lack the column of the "two loops" option; they load with the option off, and
// a configuration saves into such a file with the rest of each relay.
TEST_F(Database, FilesWithoutTheTwoLoopsColumnLoadAndSave)
{
    MakeFile(
        {u"ALTER TABLE [Relay] DROP COLUMN [TwoShlf]"_s, u"INSERT INTO [Part] VALUES (1, 'p', 0)"_s,
         u"INSERT INTO [Device] VALUES (1, '1', '1', 'ЦМ', '', '', 0)"_s,
         u"INSERT INTO [RelayDev] VALUES (1)"_s,
         u"INSERT INTO [Device] VALUES (2, '2', '2', 'ВЕКТ-8', '', '', 0)"_s,
         u"INSERT INTO [VEKT] VALUES (2)"_s, u"INSERT INTO [Relay] VALUES (1, 1, 5, 2, 3, 40)"_s});
    TConfig c;
    ASSERT_TRUE(Load(c));
    const TRelay &r = *c.Device(1)->AsRelayDev()->Relay(1);
    EXPECT_EQ((std::vector<int>{r.Mode, r.Shlf, r.Delay, r.TwoShlf}),
              (std::vector<int>{TRelay::ModeASPT, 3, 40, 0}));

    const QString older = Dir.filePath(u"older.md_"_s);
    MakeFile({u"ALTER TABLE [Relay] DROP COLUMN [TwoShlf]"_s}, {}, older);
    TConfig every;
    FillEveryKind(every);
    ASSERT_EQ(SaveConfigFile(every, Path, older, nullptr, nullptr), TSaveResult::Saved);
    TConfig back;
    ASSERT_TRUE(Load(back));
    for (TConfig *x : {&every, &back})
        for (int a = 1; a <= TConfig::MaxAddress; ++a)
            if (TRelayDev *d = x->Device(a) ? x->Device(a)->AsRelayDev() : nullptr)
                for (int n = 1; n <= d->Count(); ++n)
                    d->Relay(n)->TwoShlf = 0;
    EXPECT_EQ(ConfigDifferences(every, back, TCompare::Settings), QStringList());
}

// A file that does not load says why: missing, some other file, or a damaged configuration.
TEST_F(Database, FilesThatDoNotLoadSayWhy)
{
    TConfig site;
    FillEveryKind(site);
    const QString notConfiguration = u"не является файлом конфигурации"_s;
    const struct {
        std::function<void()> make;
        QString cause;
    } cases[] = {
        {[this] { QFile::remove(Path); }, u"файл не найден"_s},
        {[this] { WriteText(Path, u"just some text"_s); }, notConfiguration},
        {[this] { WriteText(Path, QString()); }, notConfiguration},
        // An SQLite file of another program opens, but holds none of the tables.
        {[this] {
             MakeFile({u"DROP TABLE [Part]"_s, u"DROP TABLE [User]"_s});
         },
         notConfiguration},
        {[this, &site] {
             SaveConfigFile(site, Path, Template, nullptr, nullptr);
             QFile::resize(Path, QFileInfo(Path).size() / 10);
         },
         u"файл повреждён: не удалось прочитать список таблиц"_s},
        {[this] { MakeFile({u"DROP TABLE [User]"_s}); },
         u"файл повреждён: не удалось прочитать таблицу User"_s},
    };
    for (const auto &c : cases) {
        c.make();
        TConfig config;
        TDBConfig db(&config, nullptr);
        EXPECT_FALSE(db.Connect(Path) && db.LoadConfig()) << c.cause.toStdString();
        EXPECT_EQ(db.Failure(), c.cause);
        EXPECT_EQ(db.ReadModuleID(), QString());
    }
    // Each other table missing from a file is noticed: the load fails, or says which table it
    // could not open.
    for (const char *table : {"Part", "SMS", "Device", "RelayDev", "VEKT", "IndicDev", "KP",
                              "Shleif", "Relay", "Indicator"}) {
        MakeFile({u"DROP TABLE [%1]"_s.arg(QLatin1String(table))});
        TConfig c;
        Log.Lines.clear();
        const bool loaded = Load(c);
        const QString log = Log.Lines.join(u'\n');
        EXPECT_TRUE(!loaded ||
                    (log.contains(u"Не удалось открыть") && log.contains(QLatin1String(table))))
            << table;
    }
    // Trying a missing file does not make one.
    const QString missing = Dir.filePath(u"missing.cfg"_s);
    EXPECT_FALSE(TDBConfig(nullptr, nullptr).Connect(missing) || QFile::exists(missing));
}

// A save that cannot be completed leaves the file that was there byte for byte.
TEST_F(Database, FailedSaveKeepsThePreviousFile)
{
    TConfig config;
    FillEveryKind(config);
    ASSERT_EQ(SaveConfigFile(config, Path, Template, nullptr, nullptr), TSaveResult::Saved);
    const QByteArray before = Bytes(Path);

    // A template whose [User] table refuses rows after the first few fails halfway.
    const QString broken = Dir.filePath(u"broken.md_"_s);
    MakeFile({u"CREATE TRIGGER stop BEFORE INSERT ON [User] WHEN NEW.Num > 100 "
              "BEGIN SELECT RAISE(ABORT, 'disk full'); END"_s},
             {}, broken);
    config.Part(1)->KeyDB = u"changed"_s;
    Log.Lines.clear();
    EXPECT_EQ(SaveConfigFile(config, Path, broken, &Log, nullptr), TSaveResult::NotWritten);
    EXPECT_TRUE(Log.Lines.contains(u"  111: Error"_s));
    EXPECT_TRUE(Log.Lines.contains(u"  3: OK"_s));
    EXPECT_EQ(Bytes(Path), before);
    EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2); // no leftovers

    const QString none = Dir.filePath(u"none.md_"_s);
    EXPECT_EQ(SaveConfigFile(config, Path, none, nullptr, nullptr), TSaveResult::NoTemplate);
    WriteText(broken, u"not a database"_s);
    EXPECT_EQ(SaveConfigFile(config, Path, broken, nullptr, nullptr), TSaveResult::CannotOpen);
    const QString noDir = Dir.filePath(u"no/such/dir.cfg"_s);
    EXPECT_EQ(SaveConfigFile(config, noDir, Template, nullptr, nullptr), TSaveResult::CannotCreate);
    EXPECT_EQ(Bytes(Path), before);

    // A file marked read-only is refused.
    ASSERT_TRUE(
        QFile::setPermissions(Path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    EXPECT_EQ(SaveConfigFile(config, Path, Template, nullptr, nullptr), TSaveResult::ReadOnly);
    EXPECT_EQ(Bytes(Path), before);
}
