// A thousand and more damaged copies of a real configuration file, made deterministically:
// truncations, flipped bytes in the header and in the pages, dropped tables, text in integer
// columns, huge numbers, NULLs and duplicate rows. Each loads without a crash or a hang.

#include "model/uConfig.h"
#include "storage/uCatalog.h"
#include "storage/uDB.h"
#include "storage/uFileOps.h"
#include "support/uSampleConfigs.h"
#include "support/uTestSupport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <random>

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
    QByteArray GoodBytes;
    int Tried = 0;
    int Refused = 0;    // not opened at all
    int PartlyRead = 0; // opened, with a log line for what could not be read

    void SetUp() override
    {
        InitAppDir();
        TConfig config;
        FillEveryKind(config);
        ASSERT_EQ(
            SaveConfigFile(config, Good, AppDir + QStringLiteral("config.md_"), nullptr, nullptr),
            TSaveResult::Saved);
        QFile f(Good);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        GoodBytes = f.readAll();
    }

    void WriteBad(const QByteArray &bytes)
    {
        QFile f(Bad);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
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
    // fails says why in its last log line.
    void Load()
    {
        ++Tried;
        QElapsedTimer clock;
        clock.start();
        TConfig config;
        TLogRecorder log;
        TDBConfig db(&config, &log);
        if (!db.Connect(Bad)) {
            ++Refused;
        } else if (!db.LoadConfig()) {
            ++PartlyRead;
            EXPECT_TRUE(log.Lines.last().startsWith(QStringLiteral("Не удалось открыть таблицу")))
                << log.Lines.last().toStdString();
        } else {
            const QString all = log.Lines.join(u'\n');
            if (all.contains(QStringLiteral("Error")) || all.contains(QStringLiteral("Не удалось")))
                ++PartlyRead;
        }
        EXPECT_LT(clock.elapsed(), 1000);
        EXPECT_LE(config.DeviceCount(), TConfig::MaxAddress);
    }
};

} // namespace

TEST_F(DamagedFiles, LoadWithoutCrashOrHang)
{
    std::mt19937 rng(1206);
    const auto pick = [&rng](qsizetype n) { return static_cast<qsizetype>(rng() % n); };

    // Random bytes, some behind a genuine SQLite header.
    for (int i = 0; i < 20; ++i) {
        QByteArray bytes(static_cast<qsizetype>(1 + rng() % 20000), '\0');
        for (char &c : bytes)
            c = static_cast<char>(rng());
        if (i % 2 == 1)
            bytes.replace(0, 100, GoodBytes.left(100));
        WriteBad(bytes);
        Load();
    }
    // Truncations, everywhere from the empty file to one byte short.
    for (int i = 0; i < 200; ++i) {
        WriteBad(GoodBytes.left(i == 0 ? 0 : pick(GoodBytes.size())));
        Load();
    }
    // Flipped bytes in the 100-byte header and anywhere in the pages.
    for (int i = 0; i < 300; ++i) {
        QByteArray bytes = GoodBytes;
        const qsizetype span = i < 100 ? 100 : bytes.size();
        for (int flips = 0; flips <= i % 5; ++flips)
            bytes[pick(span)] ^= static_cast<char>(1 + rng() % 255);
        WriteBad(bytes);
        Load();
    }
    // Dropped tables, one and two at a time.
    for (const QString &a : Tables)
        for (const QString &b : Tables) {
            DamageWith({QStringLiteral("DROP TABLE [") + a + u']',
                        QStringLiteral("DROP TABLE IF EXISTS [") + b + u']'});
            const int before = Refused + PartlyRead;
            Load();
            EXPECT_EQ(Refused + PartlyRead, before + 1) << "a missing table is logged";
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

    EXPECT_GE(Tried, 1000);
    std::printf("damaged files: %d tried, %d refused, %d partly read\n", Tried, Refused,
                PartlyRead);
}
