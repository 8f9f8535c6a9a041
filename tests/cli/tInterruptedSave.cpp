// lorim-cli killed (SIGKILL) at many points while it saves a configuration over an existing
// file: every time the file is the previous one byte for byte, or the new one complete.

#include "model/uConfig.h"
#include "storage/uDB.h"
#include "support/uProcesses.h"
#include "support/uSampleConfigs.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray Bytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Starts a read into the file and kills it delayUs microseconds after it announces its save.
void KillDuringSave(const QString &sim, const QString &file, int delayUs)
{
    QProcess cli;
    cli.start(AppDir + QStringLiteral("lorim-cli"),
              {QStringLiteral("read"), file, QStringLiteral("--udp"), sim,
               QStringLiteral("--password"), QStringLiteral("8522"), QStringLiteral("--log")});
    for (int waited = 0; waited < 10000 && cli.state() != QProcess::NotRunning;) {
        if (cli.canReadLine()) {
            if (cli.readLine().startsWith("Сохранение")) {
                QThread::usleep(static_cast<unsigned long>(delayUs));
                break;
            }
            continue;
        }
        cli.waitForReadyRead(10);
        waited += 10;
    }
    cli.kill();
    cli.waitForFinished(5000);
}

} // namespace

TEST(InterruptedSave, ThePreviousFileSurvivesOrTheNewOneIsWhole)
{
    InitAppDir();
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("site.cfg"));
    TConfig previous;
    FillEveryKind(previous);
    ASSERT_EQ(
        SaveConfigFile(previous, file, AppDir + QStringLiteral("config.md_"), nullptr, nullptr),
        TSaveResult::Saved);
    const QByteArray before = Bytes(file);

    TSimProcess sim({});
    ASSERT_TRUE(sim.Started);
    TConfig demo;
    FillDemoSite(demo);
    int kept = 0;
    int replaced = 0;
    // The save takes a few milliseconds: the kills fall every 100 us over its course.
    for (int delay = 0; delay < 6000; delay += 100) {
        KillDuringSave(sim.Address(), file, delay);
        if (Bytes(file) == before) {
            ++kept;
            continue;
        }
        // Anything else must be the whole new configuration.
        TConfig loaded;
        TDBConfig db(&loaded, nullptr);
        ASSERT_TRUE(db.Connect(file) && db.LoadConfig()) << "delay " << delay;
        EXPECT_EQ(ConfigDifferences(demo, loaded, TCompare::NoKeys), QStringList()) << delay;
        ++replaced;
        ASSERT_EQ(
            SaveConfigFile(previous, file, AppDir + QStringLiteral("config.md_"), nullptr, nullptr),
            TSaveResult::Saved);
        ASSERT_EQ(Bytes(file), before);
    }
    std::printf("interrupted saves: %d kept the previous file, %d left the new one\n", kept,
                replaced);
}
