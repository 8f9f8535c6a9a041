// The progress window: how each job ends, the save job's messages, and how the job reaches the
// window while it runs.

#include "uUiTestSupport.h"
#include "ui/uGuiSinks.h"
#include "ui/uStatus.h"

#include <QPlainTextEdit>

namespace {

struct Status : testing::Test {
    QTemporaryDir Dir;
    QPlainTextEdit Pane;
    TGuiLog Log{Pane};
    TStatusRunner Runner{Log, nullptr};
    TConfig Config;
    TJobContext Context;

    void SetUp() override
    {
        InitAppDir();
        Context.Config = &Config;
        Context.Timings = TestTimings();
        Context.FileName = Dir.filePath(QStringLiteral("site.cfg"));
    }
    TJobResult Run(int code)
    {
        const TJobResult r = Runner.Run(code, Context);
        Log.Flush();
        return r;
    }
};

} // namespace

// The log reaches the pane while a link job runs, and the window cannot be closed meanwhile (how
// the jobs end, by a refused login or a lost link, is walked through the editor).
TEST_F(Status, TheLogArrivesWhileTheJobRuns)
{
    TLinkRig module;
    ASSERT_TRUE(module.Start());
    Context.Link = module.Port.Link;
    Context.Access.Password = QStringLiteral("8522");

    int linesSeen = 0;
    bool closable = true;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (OpenProgressWindow) {
            linesSeen = std::max(linesSeen, Pane.document()->blockCount());
            OpenProgressWindow->close();
            closable = closable && !OpenProgressWindow->isVisible();
        }
    });
    watch.start(1);
    EXPECT_EQ(Run(JobReadCfg), TJobResult::Ok);
    watch.stop();
    EXPECT_EQ(Config.DeviceCount(), 6);
    EXPECT_GT(linesSeen, 10); // lines arrived before the job ended
    EXPECT_FALSE(closable);
}

// "Отмена" stops a job that waits on a silent line at its next attempt: no lost link, no box.
TEST_F(Status, CancelStopsALinkJob)
{
    Context.Link = {1, {}, 57600, QStringLiteral("127.0.0.2"), FreeUdpPort()};
    Context.Timings.RetryPauseMs = 50; // fifteen attempts would take a second
    // Pressed once the first request has gone out unanswered.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [this] {
        if (OpenProgressWindow && Pane.toPlainText().contains(u"out:"))
            Child<QPushButton>(*OpenProgressWindow, "btCancel")->click();
    });
    poll.start(5);
    EXPECT_EQ(Run(JobReadCfg), TJobResult::Cancel);
    EXPECT_LT(Pane.toPlainText().count(u"out:"), 5); // of the fifteen attempts
    EXPECT_TRUE(Context.Outcome.Cancelled);
    EXPECT_FALSE(Context.Outcome.LinkLost);
    EXPECT_TRUE(Context.Outcome.Messages.isEmpty());
    EXPECT_TRUE(Pane.toPlainText().contains(QStringLiteral("Отменено пользователем")));
}

// A saved file loads; a save that fails ends with No and the message of what failed.
TEST_F(Status, FileJobs)
{
    FillDemoSite(Config);
    EXPECT_EQ(Run(JobSaveFile), TJobResult::Ok);
    TConfig loaded;
    Context.Config = &loaded;
    EXPECT_EQ(Run(JobLoadFile), TJobResult::Ok);
    EXPECT_EQ(loaded.DeviceCount(), 6);

    const QString file = Context.FileName;
    Context.Config = &Config;
    SetAppDir(Dir.path());
    QStringList told;
    const auto save = [&] {
        EXPECT_EQ(Run(JobSaveFile), TJobResult::No);
        told += Context.Outcome.Messages;
    };
    save(); // no template beside the program
    WriteText(Dir.filePath(QStringLiteral("config.md_")), QStringLiteral("not a database"));
    save();
    Context.FileName = Dir.filePath(QStringLiteral("no/folder/site.cfg"));
    save();
    InitAppDir();
    EXPECT_EQ(told, (QStringList{QStringLiteral("Не удалось найти файл config.md_"),
                                 QStringLiteral("Не удалось открыть БД ") + file,
                                 QStringLiteral("Не удалось создать файл ") + Context.FileName}));
}
