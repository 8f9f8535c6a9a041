// Damaged copies of a real configuration file, made deterministically in SQL: dropped tables,
// text in integer columns, huge numbers, NULLs and duplicate rows. Each loads quickly, a load that
// fails says why, and a missing table is always noticed. Damage to the bytes of the file is
// fuzz/fDB.cpp's.

#include "model/uConfig.h"
#include "storage/uCatalog.h"
#include "storage/uDB.h"
#include "storage/uFileOps.h"
#include "support/uSampleConfigs.h"
#include "support/uTestSupport.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QStringList Tables{
    QStringLiteral("Part"),      QStringLiteral("SMS"),    QStringLiteral("Device"),
    QStringLiteral("RelayDev"),  QStringLiteral("VEKT"),   QStringLiteral("IndicDev"),
    QStringLiteral("KP"),        QStringLiteral("Shleif"), QStringLiteral("Relay"),
    QStringLiteral("Indicator"), QStringLiteral("User")};

// Integer columns of each table, for the damage that puts other things into them.
const QList<QPair<QString, QStringList>> IntegerColumns{
    {QStringLiteral("Part"), {QStringLiteral("Num"), QStringLiteral("Delay")}},
    {QStringLiteral("SMS"),
     {QStringLiteral("Part"), QStringLiteral("Num"), QStringLiteral("Type"),
      QStringLiteral("Plus")}},
    {QStringLiteral("Device"), {QStringLiteral("NA"), QStringLiteral("State")}},
    {QStringLiteral("IndicDev"),
     {QStringLiteral("NA"), QStringLiteral("Mode"), QStringLiteral("Part")}},
    {QStringLiteral("KP"), {QStringLiteral("Sound"), QStringLiteral("Part")}},
    {QStringLiteral("Shleif"),
     {QStringLiteral("NA"), QStringLiteral("Num"), QStringLiteral("Type"), QStringLiteral("Part")}},
    {QStringLiteral("Relay"),
     {QStringLiteral("Num"), QStringLiteral("Mode"), QStringLiteral("Device"),
      QStringLiteral("TwoShlf")}},
    {QStringLiteral("Indicator"), {QStringLiteral("Mode"), QStringLiteral("Shlf")}},
    {QStringLiteral("User"),
     {QStringLiteral("Num"), QStringLiteral("Type"), QStringLiteral("Part1")}},
};

const QStringList BadValues{QStringLiteral("'abc'"),
                            QStringLiteral("NULL"),
                            QStringLiteral("9223372036854775807"),
                            QStringLiteral("-9223372036854775808"),
                            QStringLiteral("1e300"),
                            QStringLiteral("-1"),
                            QStringLiteral("257"),
                            QStringLiteral("x'00FF'"),
                            QStringLiteral("''"),
                            QStringLiteral("2.5")};

struct DamagedFiles : testing::Test {
    QTemporaryDir Dir;
    QString Good = Dir.filePath(QStringLiteral("good.cfg"));
    QString Bad = Dir.filePath(QStringLiteral("bad.cfg"));

    void SetUp() override
    {
        InitAppDir();
        TConfig config;
        FillEveryKind(config);
        ASSERT_EQ(
            SaveConfigFile(config, Good, AppDir + QStringLiteral("config.md_"), nullptr, nullptr),
            TSaveResult::Saved);
    }

    // A copy of the good file with SQL damage done to it.
    void DamageWith(const QStringList &statements)
    {
        ASSERT_TRUE(CopyFileOver(Good, Bad));
        TSqlConnection db;
        ASSERT_TRUE(db.Open(Bad));
        // A scratch copy needs no waiting for the disk.
        db.Execute(QStringLiteral("PRAGMA synchronous=OFF"));
        db.Execute(QStringLiteral("PRAGMA journal_mode=MEMORY"));
        for (const QString &sql : statements)
            db.Execute(sql);
    }

    // Loads the damaged file as the editor would; it must come back quickly, and a load that
    // fails says why in its last log line. True when the damage was noticed: the file was not
    // opened, or something in it could not be read.
    bool Load()
    {
        QElapsedTimer clock;
        clock.start();
        TConfig config;
        TLogRecorder log;
        TDBConfig db(&config, &log);
        const bool opened = db.Connect(Bad);
        const bool loaded = opened && db.LoadConfig();
        if (opened && !loaded) {
            EXPECT_TRUE(log.Lines.last().startsWith(QStringLiteral("Не удалось открыть таблицу")))
                << log.Lines.last().toStdString();
        }
        EXPECT_LT(clock.elapsed(), 1000);
        EXPECT_LE(config.DeviceCount(), TConfig::MaxAddress);
        const QString all = log.Lines.join(u'\n');
        return !loaded || all.contains(QStringLiteral("Error")) ||
               all.contains(QStringLiteral("Не удалось"));
    }
};

} // namespace

TEST_F(DamagedFiles, LoadQuicklyAndSayWhatFailed)
{
    // Dropped tables, one and two at a time.
    for (const QString &a : Tables)
        for (const QString &b : Tables) {
            DamageWith({QStringLiteral("DROP TABLE [") + a + u']',
                        QStringLiteral("DROP TABLE IF EXISTS [") + b + u']'});
            EXPECT_TRUE(Load()) << "a missing table is logged";
        }
    // Text, NULLs, huge and negative numbers, blobs in integer columns, row by row or whole.
    for (const auto &[table, columns] : IntegerColumns)
        for (const QString &column : columns)
            for (const QString &value : BadValues) {
                const QString set = QStringLiteral("UPDATE [") + table + QStringLiteral("] SET [") +
                                    column + QStringLiteral("]=") + value;
                DamageWith({set});
                Load();
                DamageWith({set + QStringLiteral(" WHERE rowid % 2 = 0")});
                Load();
            }
    // Duplicate rows in every table, and texts where texts belong but too long.
    for (const QString &table : Tables) {
        DamageWith({QStringLiteral("INSERT INTO [") + table + QStringLiteral("] SELECT * FROM [") +
                    table + u']'});
        Load();
    }
    DamageWith({QStringLiteral("UPDATE [Device] SET [ID]=hex(randomblob(5000)), [Type]='ЦМ'")});
    Load();
    DamageWith({QStringLiteral("UPDATE [User] SET [Pswrd1]=hex(randomblob(100))")});
    Load();
}
