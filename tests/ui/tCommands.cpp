// The editor's commands: in configuration mode the model alone changes; in real-time mode each
// accepted change reaches the module at once, and a change that fails leaves the editor showing
// what the module holds (put back, read back, or marked as out of step).

#include "storage/uBackup.h"
#include "uUiTestSupport.h"
#include "ui/uAddShlf.h"
#include "ui/uCheckView.h"
#include "ui/uCreateDev.h"
#include "ui/uTuningUser.h"

#include <QMessageBox>
#include <QPlainTextEdit>

namespace {

using Commands = TEditorTest;

} // namespace

// In configuration mode renumbering a partition carries every reference to it, a user takes the
// number picked, and a loop taken out of its partition drops the references to it. The delete
// command acts on the active tab's objects, only on Yes (Escape in a real box answers No);
// neither the administrator nor the module goes, and a loop goes only on Yes.
TEST_F(Commands, EditingAFileCarriesTheReferencesAndDeletesOnlyOnYes)
{
    OpenFile();
    Tab(1);
    Select("lvPart", 3);
    ConfirmNext(Boxes, "cbNum", "9");
    Window.UpdateCmd();
    ASSERT_TRUE(!Window.Config->Part(3) && Window.Config->Part(9));
    EXPECT_EQ(Window.Config->Device(3)->AsVEKT()->Loop(16)->Part, 9);
    EXPECT_EQ(Window.Config->User(3)->Part1, 9);
    EXPECT_EQ(Window.Config->Device(6)->AsIndicDev()->Indicator(2)->Device, 3); // a panel address
    EXPECT_EQ(List("lvPartShlf")->topLevelItemCount(), 1);

    Tab(2);
    Select("lvUser", 3);
    ConfirmNext(Boxes, "cbNum", "4");
    Window.UpdateCmd();
    EXPECT_TRUE(!Window.Config->User(3) && Window.Config->User(4));
    Select("lvUser", 4);
    // Escape in a real Yes/No box answers No.
    Boxes.Scripted = false;
    WhenModal<QMessageBox>([](QMessageBox &box) { box.reject(); });
    Window.DeleteCmd();
    EXPECT_NE(Window.Config->User(4), nullptr);
    Boxes.Scripted = true;
    Boxes.Answers = {true};
    Child<QAction>(Window, "sbtDel")->trigger();
    EXPECT_EQ(Window.Config->User(4), nullptr);
    Select("lvUser", 111);
    Boxes.Answers = {true};
    Window.DeleteCmd();
    EXPECT_NE(Window.Config->User(111), nullptr);

    Tab(1);
    Select("lvPart", 1);
    List("lvPartShlf")->setCurrentItem(List("lvPartShlf")->topLevelItem(0));
    Boxes.Answers = {false};
    Window.RemovePartLoop();
    EXPECT_EQ(Window.Config->Device(2)->AsVEKT()->Loop(1)->Part, 1);

    TIndicator &indicator = *Window.Config->Device(6)->AsIndicDev()->Indicator(3);
    indicator = {.Mode = TIndicator::ModeShlf, .Device = 3, .Shlf = 1};
    Tab(0);
    Select("lvDev", 3);
    ConfirmNext(Boxes, "cbPart", "Нет");
    Window.EditLoopOfPanel(0);
    EXPECT_EQ(indicator.Mode, 0);
    Select("lvDev", 1);
    Boxes.Answers = {true};
    Window.DeleteCmd();
    EXPECT_NE(Window.Config->Device(1), nullptr);
}

// "Save as" asks about the name really written. Without a module a read fails with one box that
// says why; a whole write goes on only after Yes to its question, then Yes to writing without a
// backup, and fails with one box.
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
    EXPECT_EQ(HistoryEvents(), QStringList{QStringLiteral("Сохранено: plan.cfg")});

    Window.LinkSettings = {1, {}, 57600, QStringLiteral("127.0.0.2"), FreeUdpPort()};
    Window.Timings.Attempts = 1;
    const QString lost = QStringLiteral("Потеря связи с устройством!");
    Boxes.Answers = {true};
    EXPECT_FALSE(Window.ReadCfg());
    EXPECT_EQ(Window.Config->DeviceCount(), 6);
    EXPECT_EQ(Boxes.Shown.last(), QStringLiteral("Не удалось загрузить конфигурацию\n") + lost);

    // The jobs tried: each starts with a link check.
    const auto jobs = [this] {
        return Window.Log().toPlainText().count(QStringLiteral("Проверка связи"));
    };
    const qsizetype before = jobs();
    Boxes.Answers = {false};
    EXPECT_FALSE(Window.WriteCfg());
    EXPECT_EQ(jobs(), before); // nothing was read
    Boxes.Answers = {true, false};
    EXPECT_FALSE(Window.WriteCfg());
    EXPECT_EQ(Boxes.Asked.last(),
              QStringLiteral("Не удалось сохранить резервную копию конфигурации модуля (") + lost +
                  QStringLiteral("). Записать без резервной копии?"));
    EXPECT_EQ(jobs(), before + 1); // the read for the backup, no write
    Boxes.Answers = {true, true};
    EXPECT_FALSE(Window.WriteCfg());
    EXPECT_EQ(Boxes.Shown.last(),
              QStringLiteral("Ошибка записи\n") + lost + QStringLiteral("\nМодуль не изменился."));
}

// A session of changes in real-time mode: after each the module holds what the editor shows.
TEST_F(Commands, RealTimeSessionKeepsTheModuleInStep)
{
    OpenModule();
    ASSERT_EQ(Disagreements(), QStringList());

    // The administrator's new password: the jobs that follow log in with it.
    Tab(2);
    Select("lvUser", 111);
    ConfirmNext(Boxes, "edPwd1", "2468");
    Window.UpdateCmd();
    EXPECT_EQ(Module.Site.User(111)->Pswrd1, QStringLiteral("2468"));

    // A relay of the module, a partition's delay and an SMS record.
    Tab(0);
    Select("lvDev", 1);
    ConfirmNext(Boxes, "sedDelay", "80");
    Window.EditRelay(1);
    EXPECT_EQ(Module.Site.Device(1)->AsRelayDev()->Relay(1)->Delay, 80);
    Tab(1);
    Select("lvPart", 2);
    ConfirmNext(Boxes, "sedDelay", "70");
    Window.UpdateCmd();
    EXPECT_EQ(Module.Site.Part(2)->Delay, 70);
    ConfirmNext(Boxes, "edPhone", "79990001122");
    Window.EditSMS(2);
    EXPECT_EQ(Module.Site.Part(2)->SMS(3)->Phone, QStringLiteral("79990001122"));

    // A loop bound to a partition goes alone, whatever else was marked before.
    Window.Config->Part(2)->SMS(1)->Phone = QStringLiteral("70000000000");
    Window.Config->Part(2)->SMS(1)->Changed = true;
    WhenModal<TfmAddShlf>([](TfmAddShlf &dialog) {
        auto *loops = Child<QTreeWidget>(dialog, "lvShlf");
        loops->findItems(QStringLiteral("3/7"), Qt::MatchExactly, 1).first()->setSelected(true);
        PressOk(dialog);
    });
    Window.AddLoopsToPart();
    EXPECT_EQ(Module.Site.Device(3)->AsVEKT()->Loop(7)->Part, 2);
    EXPECT_EQ(Module.Site.Part(2)->SMS(1)->Phone, QStringLiteral("79007654321"));
    Window.Config->Part(2)->SMS(1)->Phone = QStringLiteral("79007654321");
    EXPECT_EQ(Disagreements(), QStringList());

    // The panel an "АСПТ" relay watches moves: the relay follows it on the module, and the keys
    // typed in the editor survive the read that follows the move.
    Window.Config->Device(2)->KeyDB = QStringLiteral("777001");
    Window.Config->Part(3)->KeyDB = QStringLiteral("777003");
    Tab(0);
    Select("lvDev", 2);
    ConfirmNext(Boxes, "cbAddr", "30");
    Window.UpdateCmd();
    EXPECT_EQ(Module.Site.Device(1)->AsRelayDev()->Relay(2)->Device, 30);
    ASSERT_NE(Window.Config->Device(30), nullptr);
    EXPECT_EQ(Window.Config->Device(30)->KeyDB, QStringLiteral("777001"));
    EXPECT_EQ(Window.Config->Part(3)->KeyDB, QStringLiteral("777003"));
    EXPECT_EQ(Disagreements(), QStringList());

    // Taking the loop that relay watches out of its partition writes the relay too.
    Tab(1);
    Select("lvPart", 1);
    QTreeWidget *loops = List("lvPartShlf");
    loops->setCurrentItem(loops->topLevelItem(2)); // 30/3
    Boxes.Answers = {true};
    Window.RemovePartLoop();
    EXPECT_EQ(Module.Site.Device(30)->AsVEKT()->Loop(3)->Part, 0);
    EXPECT_EQ(Module.Site.Device(1)->AsRelayDev()->Relay(2)->Mode, 0);

    // A user who loses the first partition holds no second one, on the wire or in the editor.
    Select("lvPart", 1);
    Boxes.Answers = {true};
    Window.DeleteCmd();
    EXPECT_EQ(Window.Config->User(1)->Part2, 0u);
    EXPECT_EQ(Disagreements(), QStringList());

    // A panel goes with the partition its loops alone made up and the indicator on its loop.
    Tab(0);
    Select("lvDev", 3);
    Boxes.Answers = {true, true};
    Window.DeleteCmd();
    EXPECT_EQ(Module.Site.Device(3), nullptr);
    EXPECT_EQ(Disagreements(), QStringList());
    EXPECT_FALSE(Boxes.Shown.join(u'\n').contains(QStringLiteral("Ошибка записи")));

    // The session's end takes what it changed into the history.
    Boxes.Answers = {true};
    EXPECT_TRUE(Window.close());
    const QStringList events = HistoryEvents();
    EXPECT_EQ(events.first(), QStringLiteral("Изменено в реальном времени: known"));
    EXPECT_EQ(events.last(), QStringLiteral("Считано из модуля: known"));
}

// A change the module refuses leaves it as it was (an output it had deleted is put back) and
// the editor showing what it holds, with the same row selected, after one box.
TEST(RealTimeRefusals, LeaveTheModuleAsItWasAndTheEditorInStep)
{
    const struct {
        const char *What;
        std::uint8_t Code;
        int Tab;
        int Row;
        const char *Box; // set in the dialog that opens, if one does
        const char *Value;
        std::function<void(TfmCfg &)> Command;
    } cases[] = {
        {"relay", 0x43, 0, 1, "sedDelay", "80", [](TfmCfg &w) { w.EditRelay(1); }},
        {"loop", 0x41, 0, 2, "sedDelay", "50", [](TfmCfg &w) { w.EditLoopOfPanel(0); }},
        {"indicator", 0x42, 0, 6, "cbPart", "2", [](TfmCfg &w) { w.EditIndicator(0); }},
        {"keypad", 0x46, 0, 4, "cbPart", "2", &TfmCfg::UpdateCmd},
        {"new device", 0x46, 0, 3, "edID", "0020FF78CA01",
         [](TfmCfg &w) {
             WhenModal<TfmCreateDev>([](TfmCreateDev &kinds) { kinds.accept(); });
             w.AddCmd();
         }},
        {"SMS", 0x4A, 1, 2, "edPhone", "79990001122", [](TfmCfg &w) { w.EditSMS(2); }},
        {"user", 0x44, 2, 1, "edPwd1", "9999", &TfmCfg::UpdateCmd},
        {"new user", 0x44, 2, 2, "edPwd1", "9999", &TfmCfg::AddCmd},
        {"deleted device", 0x30, 0, 5, nullptr, nullptr, &TfmCfg::DeleteCmd},
        {"deleted user", 0x32, 2, 3, nullptr, nullptr, &TfmCfg::DeleteCmd},
    };
    const char *lists[] = {"lvDev", "lvPart", "lvUser"};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.What);
        TEditorSession s;
        s.Module.Faults.RefuseOnce = {c.Code};
        s.OpenModule();
        const std::unique_ptr<TConfig> site = s.Module.Site.Clone();
        s.Tab(c.Tab);
        s.Select(lists[c.Tab], c.Row);
        if (c.Box)
            ConfirmNext(s.Boxes, c.Box, c.Value);
        s.Boxes.Answers = {true};
        c.Command(s.Window);
        ASSERT_FALSE(s.Boxes.Shown.isEmpty());
        EXPECT_TRUE(s.Boxes.Shown.last().startsWith(QStringLiteral("Ошибка записи\n")));
        EXPECT_EQ(ConfigDifferences(*site, s.Module.Site, TCompare::Settings), QStringList());
        EXPECT_EQ(s.Disagreements(), QStringList());
        EXPECT_EQ(s.Selected(), QString::number(c.Row));
    }
}

// A module that refuses a relay's record for good has lost the relay once it deleted it: the
// editor shows that, and the box says so plainly.
TEST_F(Commands, AnOutputThatCannotBePutBackIsShownAsTheModuleHoldsIt)
{
    Module.Faults.RefuseCodes = {0x43};
    OpenModule();
    Select("lvDev", 1);
    ConfirmNext(Boxes, "sedDelay", "80");
    Window.EditRelay(1);
    EXPECT_EQ(Module.Site.Device(1)->AsRelayDev()->Relay(1)->Mode, 0);
    EXPECT_EQ(Disagreements(), QStringList());
    EXPECT_TRUE(Boxes.Shown.last().contains(
        QStringLiteral("Реле №1 (СА: 1): новые настройки модуль не принял, а прежние вернуть")));
}

// A link lost between an output's delete and its new record leaves the editor marked as out of
// step after one box: changes are refused, and a read puts it back in step.
TEST_F(Commands, ALinkLostMidChangeMarksTheEditorOutOfStep)
{
    OpenModule();
    Window.Timings.Attempts = 3;
    Module.Core->FallSilentAfter(10); // link check, identification, login, the relay's delete
    Boxes.Shown.clear();
    Select("lvDev", 1);
    ConfirmNext(Boxes, "sedDelay", "80");
    Window.EditRelay(1);
    EXPECT_TRUE(Window.OutOfStep);
    ASSERT_EQ(Boxes.Shown.size(), 1);
    EXPECT_TRUE(
        Boxes.Shown[0].startsWith(QStringLiteral("Ошибка записи\nПотеря связи с устройством!\n")));

    Tab(2);
    Select("lvUser", 3);
    Boxes.Asked.clear();
    Window.DeleteCmd();
    EXPECT_TRUE(Boxes.Asked.isEmpty());
    EXPECT_NE(Window.Config->User(3), nullptr);

    // The module answers again.
    Module.Server->Stop();
    ASSERT_TRUE(Module.Start());
    Boxes.Answers = {true};
    EXPECT_TRUE(Window.ReadCfg());
    EXPECT_FALSE(Window.OutOfStep);
    EXPECT_EQ(Disagreements(), QStringList());
}

// A whole write asks first, then keeps a backup and logs how much it changes. Refused half-way,
// it offers to write the backup back, and the module ends as it was; a write that succeeds says
// so. The site's report saves as HTML or PDF.
TEST_F(Commands, WholeWriteKeepsABackupAndRestoresItOnFailure)
{
    Module.Faults.RefuseOnce = {0x44};
    OpenModule();
    const std::unique_ptr<TConfig> site = Module.Site.Clone();
    Window.Config->User(3)->Pswrd1 = QStringLiteral("9999");
    Boxes.Answers = {true, true};
    EXPECT_FALSE(Window.WriteCfg());
    EXPECT_EQ(Boxes.Asked.first(),
              QStringLiteral("Записать конфигурацию?\nОшибок: 0, предупреждений: 2"));
    EXPECT_TRUE(Boxes.Asked.last().startsWith(QStringLiteral("Запись не удалась")));
    EXPECT_TRUE(Boxes.Shown.last().endsWith(
        QStringLiteral("Модуль восстановлен из резервной копии, сделанной перед записью.")));
    EXPECT_EQ(ConfigDifferences(*site, Module.Site, TCompare::Settings), QStringList());
    EXPECT_TRUE(Window.Log().toPlainText().contains(
        QStringLiteral("Отличий от конфигурации модуля: 1\n  Пользователь №3: ")));

    Boxes.Answers = {true};
    ASSERT_TRUE(Window.WriteCfg());
    EXPECT_EQ(Boxes.Shown.last(), QStringLiteral("Конфигурация записана"));
    EXPECT_EQ(Module.Site.User(3)->Pswrd1, QStringLiteral("9999"));
    EXPECT_EQ(HistoryEvents(), (QStringList{QStringLiteral("Записано в модуль: known"),
                                            QStringLiteral("Считано из модуля: known")}));
    const QStringList backups =
        ListBackups(LoadBackupSettings(Window.IniPath), Module.Site.Device(1)->ID);
    ASSERT_EQ(backups.size(), 2);
    TConfig before;
    ASSERT_TRUE(LoadSite(backups[0], before));
    EXPECT_EQ(before.User(3)->Pswrd1, QStringLiteral("777"));

    for (const char *name : {"site.html", "site.pdf"}) {
        const QString report = Dir.filePath(QString::fromLatin1(name));
        Window.ChooseReportFile = [report] { return report; };
        ASSERT_TRUE(Window.SaveReport());
        EXPECT_TRUE(ReadText(report).startsWith(report.endsWith(u"pdf") ? u"%PDF-" : u"<!DOC"));
    }
}

// "Проверить конфигурацию" lists the problems, errors first; a double click on one selects its
// object. With an error the whole write's question says so, and No ends it.
TEST_F(Commands, CheckSelectsAProblemsObjectAndTheWriteAsksAboutErrors)
{
    OpenFile();
    Window.Config->Device(3)->AsVEKT()->Loop(2)->Part = 9;
    Tab(2);
    WhenModal<TfmCheck>([](TfmCheck &view) {
        auto *rows = Child<QTreeWidget>(view, "lvProblems");
        ASSERT_EQ(rows->topLevelItemCount(), 4);
        EXPECT_EQ(rows->topLevelItem(0)->text(1),
                  QStringLiteral("Устройство [3] ВЕКТ-16Р, шлейф 2"));
        Q_EMIT rows->itemActivated(rows->topLevelItem(0), 0);
    });
    Child<QAction>(Window, "NCheck")->trigger();
    EXPECT_EQ(Selected(), QStringLiteral("3"));
    EXPECT_EQ(List("lvVEKTShlf")->currentItem()->text(0), QStringLiteral("2"));

    Boxes.Answers = {false};
    EXPECT_FALSE(Window.WriteCfg());
    EXPECT_EQ(Boxes.Asked.last(), QStringLiteral("В конфигурации есть ошибки. Всё равно записать?\n"
                                                 "Ошибок: 1, предупреждений: 3"));
}

// The main commands from the keyboard alone: F5 reads; in the users' list Insert adds a user
// (typed into its dialog, taken with Enter), Enter opens a row, Delete deletes it; Ctrl+S
// saves.
TEST_F(Commands, TheKeyboardReachesTheMainCommands)
{
    OpenModule();
    Window.show();
    // The window is active again when a job's window or a dialog has closed; a window manager
    // sees to that, here it is done by hand.
    const auto focus = [this](QTreeWidget *list) {
        QApplication::setActiveWindow(&Window);
        list->setFocus();
        return list;
    };
    QTreeWidget *devices = focus(List("lvDev"));
    Boxes.Answers = {true};
    QTest::keyClick(devices, Qt::Key_F5);
    EXPECT_EQ(Boxes.Asked.last(), QStringLiteral("Считать конфигурацию?"));
    focus(devices);

    QTest::keyClick(devices, Qt::Key_Tab, Qt::ControlModifier);
    QTest::keyClick(List("lvPart"), Qt::Key_Tab, Qt::ControlModifier);
    QTreeWidget *users = focus(List("lvUser"));
    ASSERT_TRUE(users->isVisible());
    WhenModal<TfmTuningUser>([](TfmTuningUser &dialog) {
        QLineEdit *password = Edit(dialog, "edPwd1");
        QApplication::setActiveWindow(&dialog);
        for (int i = 0; i < 10 && QApplication::focusWidget() != password; ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QApplication::processEvents();
        QTest::keyClicks(password, QStringLiteral("5678"));
        QTest::keyClick(password, Qt::Key_Return);
    });
    QTest::keyClick(users, Qt::Key_Insert);
    ASSERT_NE(Module.Site.User(4), nullptr);
    EXPECT_EQ(Module.Site.User(4)->Pswrd1, QStringLiteral("5678"));

    Select("lvUser", 4);
    focus(users);
    bool opened = false;
    WhenModal<TfmTuningUser>([&opened](TfmTuningUser &dialog) {
        opened = true;
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    QTest::keyClick(users, Qt::Key_Return);
    EXPECT_TRUE(opened);
    Boxes.Answers = {true};
    QTest::keyClick(focus(users), Qt::Key_Delete);
    EXPECT_EQ(Module.Site.User(4), nullptr);

    const QString saved = Dir.filePath(QStringLiteral("keys.cfg"));
    Window.ChooseSaveFile = [saved] { return saved; };
    QTest::keyClick(focus(users), Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(QFile::exists(saved));
}
