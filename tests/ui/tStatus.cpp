// The progress window: how each job ends, the save job's messages, and how the job reaches the
// window while it runs.

#include "support/uSampleConfigs.h"
#include "uUiTestSupport.h"
#include "ui/uGuiSinks.h"
#include "ui/uStatus.h"

#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QThread>

namespace {

// Remembers, for each question, whether it came on the GUI thread with the progress window
// stepped aside.
struct TWatchingBoxes : TScriptedBoxes {
    QList<bool> AskedAside;
    bool AskYesNo(const QString &text, const QString &caption) override
    {
        AskedAside << (QThread::currentThread() == qApp->thread() && OpenProgressWindow &&
                       !OpenProgressWindow->isVisible());
        return TScriptedBoxes::AskYesNo(text, caption);
    }
};

struct Status : testing::Test {
    QTemporaryDir Dir;
    TWatchingBoxes Boxes;
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

// Link jobs end with OK, No for a refused login, Cancel for a lost link; an unknown code ends
// at once with No. The log reaches the pane while the job runs, the bar moves, the window
// cannot be closed meanwhile, and what the job tells waits in its outcome, each text once.
TEST_F(Status, LinkJobsEndAsTheirResultSays)
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
    EXPECT_TRUE(Pane.toPlainText().contains(QStringLiteral("\nВыход пользователя (Login: 111)")));
    EXPECT_EQ(OpenProgressWindow, nullptr);

    Context.Access.Password = QStringLiteral("1");
    EXPECT_EQ(Run(JobReadCfg), TJobResult::No);
    EXPECT_EQ(Context.Outcome.Messages, QStringList{QStringLiteral("Ошибка ввода пароля")});
    EXPECT_EQ(Context.Outcome.LoginStatus, 0);

    Context.Link.Port = FreeUdpPort(); // nobody answers there
    Context.Timings.Attempts = 2;
    EXPECT_EQ(Run(JobReadCfg), TJobResult::Cancel);
    EXPECT_EQ(Context.Outcome.Messages, QStringList{QStringLiteral("Потеря связи с устройством!")});
    EXPECT_TRUE(Context.Outcome.LinkLost);
    EXPECT_TRUE(Boxes.Shown.isEmpty());

    EXPECT_EQ(Run(4), TJobResult::No);
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
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(Run(JobReadCfg), TJobResult::Cancel);
    EXPECT_LT(clock.elapsed(), 700);
    EXPECT_TRUE(Context.Outcome.Cancelled);
    EXPECT_FALSE(Context.Outcome.LinkLost);
    EXPECT_TRUE(Context.Outcome.Messages.isEmpty());
    EXPECT_TRUE(Pane.toPlainText().contains(QStringLiteral("Отменено пользователем")));
}

// A whole write refused half-way asks, with the window stepped aside, whether to write back what
// the module held; Yes leaves the module as it was.
TEST_F(Status, AFailedWholeWriteOffersTheRestore)
{
    TLinkRig module;
    module.Faults.RefuseOnce = {0x44};
    ASSERT_TRUE(module.Start());
    Context.Link = module.Port.Link;
    Context.Access.Password = QStringLiteral("8522");
    const std::unique_ptr<TConfig> before = module.Site.Clone();
    FillDemoSite(Config);
    Config.User(3)->Pswrd1 = QStringLiteral("4444");
    Config.WriteAll = true;
    Context.Previous = before.get();
    Context.RestoreQuestion = &Boxes;
    Boxes.Answers = {true};
    EXPECT_EQ(Run(JobWriteCfg), TJobResult::Cancel);
    EXPECT_EQ(Boxes.AskedAside, QList<bool>{true});
    EXPECT_EQ(Context.Outcome.Restore, TRestore::Done);
    module.Server->Stop();
    EXPECT_EQ(ConfigDifferences(*before, module.Site, TCompare::Settings), QStringList());
}

// Load: OK, or No without a message. Save: OK, or No with the message of what failed.
TEST_F(Status, FileJobs)
{
    FillDemoSite(Config);
    EXPECT_EQ(Run(JobSaveFile), TJobResult::Ok);
    TConfig loaded;
    Context.Config = &loaded;
    EXPECT_EQ(Run(JobLoadFile), TJobResult::Ok);
    EXPECT_EQ(loaded.DeviceCount(), 6);
    Context.FileName = Dir.filePath(QStringLiteral("missing.cfg"));
    EXPECT_EQ(Run(JobLoadFile), TJobResult::No);
    EXPECT_EQ(Context.Outcome.Messages, QStringList{QStringLiteral("файл не найден")});

    const QString file = Dir.filePath(QStringLiteral("site.cfg"));
    Context.FileName = file;
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
