// The progress window: how each job ends, the save job's messages, and how the job reaches the
// window while it runs.

#include "uUiTestSupport.h"
#include "ui/uGuiSinks.h"
#include "ui/uStatus.h"

#include <QPlainTextEdit>
#include <QThread>

namespace {

// Remembers, for each message, whether it came on the GUI thread with the progress window
// stepped aside.
struct TWatchingBoxes : TScriptedBoxes {
    QList<bool> ShownAside;
    void ShowMessage(const QString &text) override
    {
        ShownAside << (QThread::currentThread() == qApp->thread() && OpenProgressWindow &&
                       !OpenProgressWindow->isVisible());
        TScriptedBoxes::ShowMessage(text);
    }
};

struct Status : testing::Test {
    QTemporaryDir Dir;
    TWatchingBoxes Boxes;
    QPlainTextEdit Pane;
    TGuiLog Log{Pane};
    TStatusRunner Runner{Log, Boxes, nullptr};
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
// cannot be closed meanwhile, and a link error is shown on the GUI thread with the window
// stepped aside.
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
    EXPECT_EQ(Boxes.Shown.last(), QStringLiteral("Ошибка ввода пароля"));

    Context.Link.Port = FreeUdpPort(); // nobody answers there
    Context.Timings.Attempts = 2;
    EXPECT_EQ(Run(JobReadCfg), TJobResult::Cancel);
    EXPECT_EQ(Boxes.Shown.last(), QStringLiteral("Потеря связи с устройством!"));
    EXPECT_EQ(Boxes.ShownAside, QList<bool>(Boxes.Shown.size(), true));

    EXPECT_EQ(Run(4), TJobResult::No);
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
    EXPECT_TRUE(Boxes.Shown.isEmpty());

    const QString file = Dir.filePath(QStringLiteral("site.cfg"));
    Context.FileName = file;
    Context.Config = &Config;
    SetAppDir(Dir.path());
    EXPECT_EQ(Run(JobSaveFile), TJobResult::No); // no template beside the program
    WriteText(Dir.filePath(QStringLiteral("config.md_")), QStringLiteral("not a database"));
    EXPECT_EQ(Run(JobSaveFile), TJobResult::No);
    Context.FileName = Dir.filePath(QStringLiteral("no/folder/site.cfg"));
    EXPECT_EQ(Run(JobSaveFile), TJobResult::No);
    InitAppDir();
    EXPECT_EQ(Boxes.Shown,
              (QStringList{QStringLiteral("Не удалось найти файл config.md_"),
                           QStringLiteral("Не удалось открыть БД ") + file,
                           QStringLiteral("Не удалось создать файл ") + Context.FileName}));
}

TEST(OpenProgress, WithoutAWindowNothingHappens)
{
    TOpenProgress progress;
    progress.ProgressMax(5);
    progress.ProgressStep();
    progress.ProgressFull();
    EXPECT_EQ(OpenProgressWindow, nullptr);
}
