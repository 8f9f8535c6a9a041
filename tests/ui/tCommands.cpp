// The editor's commands: in configuration mode the model alone changes; in real-time mode each
// accepted change reaches the module at once, and a change the module refuses is undone or read
// back, so that the editor and the module always agree.

#include "storage/uBackup.h"
#include "storage/uDB.h"
#include "support/uSampleConfigs.h"
#include "uUiTestSupport.h"
#include "ui/uTuningDev.h"
#include "ui/uTuningPart.h"
#include "ui/uTuningRelay.h"
#include "ui/uTuningSMS.h"
#include "ui/uTuningUser.h"

#include <QMessageBox>

namespace {

struct Commands : TEditorTest {
    TLinkRig Module;

    // The demo site from a file (configuration mode).
    void OpenFile()
    {
        Window.FileName = Dir.filePath(QStringLiteral("site.cfg"));
        ASSERT_TRUE(SaveSite(Module.Site, Window.FileName));
        ASSERT_TRUE(Window.StartUp());
    }
    // The demo site from the simulated module (real-time mode); the catalogue knows its password.
    void OpenModule()
    {
        const QString file = Dir.filePath(QStringLiteral("known.cfg"));
        ASSERT_TRUE(SaveSite(Module.Site, file));
        ASSERT_TRUE(SaveCatalog(Window.IniPath, {{QStringLiteral("known"), {}, file}}, Boxes));
        ASSERT_TRUE(Module.Start());
        Window.LinkSettings = Module.Port.Link;
        ASSERT_TRUE(Window.StartUp());
        ASSERT_TRUE(Window.RealTime);
    }
    QStringList Disagreements() const
    {
        return ConfigDifferences(Module.Site, *Window.Config, TCompare::Settings);
    }
    void Select(const char *list, int number) const
    {
        QTreeWidget *l = Child<QTreeWidget>(Window, list);
        for (int i = 0; i < l->topLevelItemCount(); ++i)
            if (l->topLevelItem(i)->text(0).trimmed().toInt() == number)
                return l->setCurrentItem(l->topLevelItem(i));
        ADD_FAILURE() << "no row " << number;
    }
};

} // namespace

// The delete command acts on the active tab's objects, only on Yes (Escape in a real box answers
// No); neither the administrator nor the module, found by its address whatever its row, goes.
TEST_F(Commands, DeleteFollowsTheTabAndSparesTheAdministratorAndTheModule)
{
    OpenFile();
    Tab(2);
    Select("lvUser", 3);
    // Escape in a real Yes/No box answers No.
    Boxes.Scripted = false;
    WhenModal<QMessageBox>([](QMessageBox &box) { box.reject(); });
    Window.DeleteCmd();
    EXPECT_NE(Window.Config->User(3), nullptr);
    Boxes.Scripted = true;
    Boxes.Answers = {true};
    Child<QAction>(Window, "sbtDel")->trigger();
    EXPECT_EQ(Window.Config->User(3), nullptr);
    Select("lvUser", 111);
    Boxes.Answers = {true};
    Window.DeleteCmd();
    EXPECT_NE(Window.Config->User(111), nullptr);

    Tab(0);
    Select("lvDev", 1);
    Boxes.Answers = {true};
    Window.DeleteCmd();
    EXPECT_NE(Window.Config->Device(1), nullptr);
    Window.Config->DeleteDevice(1, true);
    Window.FillDevList();
    Select("lvDev", 2);
    Boxes.Answers = {true, true};
    Window.DeleteCmd();
    EXPECT_EQ(Window.Config->Device(2), nullptr);
}

// Renumbering a partition carries every reference to it.
TEST_F(Commands, RenumberingAPartitionCarriesItsReferences)
{
    OpenFile();
    Tab(1);
    Select("lvPart", 3);
    ConfirmModal<TfmTuningPart>(
        Boxes, [](auto &dialog) { Pick(Box(dialog, "cbNum"), QStringLiteral("9")); });
    Window.UpdateCmd();
    ASSERT_EQ(Window.Config->Part(3), nullptr);
    ASSERT_NE(Window.Config->Part(9), nullptr);
    EXPECT_EQ(Window.Config->Device(3)->AsVEKT()->Loop(16)->Part, 9);
    EXPECT_EQ(Window.Config->User(3)->Part1, 9);
    EXPECT_EQ(Window.Config->Device(6)->AsIndicDev()->Indicator(2)->Device, 3); // a panel address
    EXPECT_EQ(Child<QTreeWidget>(Window, "lvPartShlf")->topLevelItemCount(), 1);
}

// "Save as" asks about the name really written; a failed read leaves the model and says so; a
// failed write says so.
TEST_F(Commands, SaveAsReadAndWriteFailures)
{
    OpenFile();
    const QString cfg = Dir.filePath(QStringLiteral("plan.cfg"));
    WriteText(cfg, QStringLiteral("keep"));
    Window.ChooseSaveFile = [this] { return Dir.filePath(QStringLiteral("plan.txt")); };
    Boxes.Answers = {false};
    EXPECT_FALSE(Window.SaveAs());
    EXPECT_EQ(Boxes.Asked.last(),
              QStringLiteral("Файл ") + cfg + QStringLiteral(" уже существует. Заменить его?"));
    EXPECT_EQ(ReadText(cfg), QStringLiteral("keep"));
    Boxes.Answers = {true};
    EXPECT_TRUE(Window.SaveAs());
    EXPECT_EQ(Window.FileName, cfg);

    Window.LinkSettings = {1, {}, 57600, QStringLiteral("127.0.0.2"), FreeUdpPort()};
    Window.Timings.Attempts = 1;
    Boxes.Answers = {true};
    EXPECT_FALSE(Window.ReadCfg());
    EXPECT_EQ(Window.Config->DeviceCount(), 6);
    EXPECT_EQ(Boxes.Shown.last(), QStringLiteral("Не удалось загрузить конфигурацию"));
    Boxes.Answers = {true, true}; // without a backup, then the write itself
    EXPECT_FALSE(Window.WriteCfg());
    EXPECT_TRUE(Boxes.Asked[Boxes.Asked.size() - 2].endsWith(
        QStringLiteral("Записать без резервной копии?")));
    EXPECT_EQ(Boxes.Shown.last(), QStringLiteral("Ошибка записи"));
}

// A session of changes in real-time mode: after each the module holds what the editor shows.
// (Adding a device and a user, deleting one and the clock are walked end to end.)
TEST_F(Commands, RealTimeSessionKeepsTheModuleInStep)
{
    OpenModule();
    ASSERT_EQ(Disagreements(), QStringList());

    // A relay of the module, a partition's delay and an SMS record.
    Select("lvDev", 1);
    ConfirmModal<TfmTuningRelay>(Boxes, [](auto &dialog) {
        Box(dialog, "cbMode")->setCurrentIndex(1);
        Pick(Box(dialog, "cbPart"), QStringLiteral("2"));
    });
    Window.EditRelay(3);
    EXPECT_EQ(Module.Site.Device(1)->AsRelayDev()->Relay(3)->Device, 2);
    Tab(1);
    Select("lvPart", 2);
    ConfirmModal<TfmTuningPart>(
        Boxes, [](auto &dialog) { Child<QSpinBox>(dialog, "sedDelay")->setValue(70); });
    Window.UpdateCmd();
    EXPECT_EQ(Module.Site.Part(2)->Delay, 70);
    ConfirmModal<TfmTuningSMS>(Boxes, [](auto &dialog) {
        Edit(dialog, "edPhone")->setText(QStringLiteral("79990001122"));
    });
    Window.EditSMS(2);
    EXPECT_EQ(Module.Site.Part(2)->SMS(3)->Phone, QStringLiteral("79990001122"));
    EXPECT_EQ(Disagreements(), QStringList());

    // Taking the loop that an "АСПТ" relay watches out of its partition writes the relay too.
    Select("lvPart", 1);
    QTreeWidget *loops = Child<QTreeWidget>(Window, "lvPartShlf");
    loops->setCurrentItem(loops->topLevelItem(2)); // 2/3
    Boxes.Answers = {true};
    Window.RemovePartLoop();
    EXPECT_EQ(Module.Site.Device(2)->AsVEKT()->Loop(3)->Part, 0);
    EXPECT_EQ(Module.Site.Device(1)->AsRelayDev()->Relay(2)->Mode, 0);
    EXPECT_EQ(Disagreements(), QStringList());

    EXPECT_FALSE(Boxes.Shown.contains(QStringLiteral("Ошибка записи")));
}

// A change the module refuses is taken back; one it took in part is read back from it.
TEST_F(Commands, RefusedWritesAreUndone)
{
    Module.Faults.RefuseCodes = {0x44, 0x47};
    OpenModule();
    Tab(2);
    Select("lvUser", 1);
    ConfirmModal<TfmTuningUser>(
        Boxes, [](auto &dialog) { Edit(dialog, "edPwd1")->setText(QStringLiteral("9999")); });
    Window.UpdateCmd();
    EXPECT_EQ(Boxes.Shown.last(), QStringLiteral("Ошибка записи"));
    EXPECT_EQ(Window.Config->User(1)->Pswrd1, QStringLiteral("1234"));

    // The keypad on another partition at a new address: its record goes, the move is refused.
    Tab(0);
    Select("lvDev", 4);
    ConfirmModal<TfmTuningDev>(Boxes, [](auto &dialog) {
        Pick(Box(dialog, "cbAddr"), QStringLiteral("20"));
        Pick(Box(dialog, "cbPart"), QStringLiteral("2"));
    });
    Window.UpdateCmd();
    EXPECT_EQ(Boxes.Shown.last(), QStringLiteral("Ошибка записи"));
    ASSERT_NE(Window.Config->Device(4), nullptr);
    EXPECT_EQ(Window.Config->Device(4)->AsKP()->Part, 2);
    EXPECT_EQ(Disagreements(), QStringList());
}

// A whole write first keeps what the module held as a backup, and its question counts the
// differences; the site's report saves as HTML or PDF.
TEST_F(Commands, WriteKeepsABackupAndCountsTheChanges)
{
    OpenModule();
    Window.Config->User(3)->Pswrd1 = QStringLiteral("9999");
    Boxes.Answers = {true};
    ASSERT_TRUE(Window.WriteCfg());
    EXPECT_TRUE(Boxes.Asked.last().endsWith(QStringLiteral("Отличий от конфигурации модуля: 1")));
    EXPECT_EQ(Module.Site.User(3)->Pswrd1, QStringLiteral("9999"));
    const QStringList backups =
        ListBackups(LoadBackupSettings(Window.IniPath), Module.Site.Device(1)->ID);
    ASSERT_EQ(backups.size(), 1);
    TConfig before;
    TDBConfig db(&before, nullptr);
    ASSERT_TRUE(db.Connect(backups[0]) && db.LoadConfig());
    EXPECT_EQ(before.User(3)->Pswrd1, QStringLiteral("777"));

    for (const char *name : {"site.html", "site.pdf"}) {
        const QString report = Dir.filePath(QString::fromLatin1(name));
        Window.ChooseReportFile = [report] { return report; };
        ASSERT_TRUE(Window.SaveReport());
        QFile file(report);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_TRUE(file.read(5) == (report.endsWith(u"pdf") ? "%PDF-" : "<!DOC"));
    }
}
