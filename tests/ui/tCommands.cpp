// The editor's commands: in configuration mode the model alone changes; in real-time mode each
// accepted change reaches the module at once, and a change the module refuses is undone or read
// back, so that the editor and the module always agree.

#include "model/uConfig.h"
#include "storage/uCatalog.h"
#include "storage/uDB.h"
#include "support/uLinkRig.h"
#include "support/uSampleConfigs.h"
#include "support/uTestSupport.h"
#include "uUiTestSupport.h"
#include "ui/uCfg.h"
#include "ui/uCreateDev.h"
#include "ui/uTuningDev.h"
#include "ui/uTuningPart.h"
#include "ui/uTuningRelay.h"
#include "ui/uTuningSMS.h"
#include "ui/uTuningUser.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

template <typename W> W *Child(const QObject &parent, const char *name)
{
    return parent.findChild<W *>(QLatin1String(name));
}

void Pick(QComboBox *box, const QString &text)
{
    for (int i = 0; i < box->count(); ++i)
        if (box->itemText(i).trimmed() == text)
            return box->setCurrentIndex(i);
    ADD_FAILURE() << "no item " << text.toStdString();
}

void PressOk(const QWidget &dialog) { Child<QPushButton>(dialog, "btOK")->click(); }

struct Commands : testing::Test {
    QTemporaryDir Dir;
    TScriptedBoxes Boxes;
    TfmCfg Window{Boxes};
    TLinkRig Module;

    void SetUp() override
    {
        InitAppDir();
        Window.IniPath = Dir.filePath(QStringLiteral("lorim-config.ini"));
        Window.Timings = TestTimings();
    }

    // The demo site from a file (configuration mode).
    void OpenFile()
    {
        Window.FileName = Dir.filePath(QStringLiteral("site.cfg"));
        ASSERT_EQ(SaveConfigFile(Module.Site, Window.FileName,
                                 AppDir + QStringLiteral("config.md_"), nullptr, nullptr),
                  TSaveResult::Saved);
        ASSERT_TRUE(Window.StartUp());
    }
    // The demo site from the simulated module (real-time mode); the catalogue knows its password.
    void OpenModule()
    {
        const QString file = Dir.filePath(QStringLiteral("known.cfg"));
        ASSERT_EQ(SaveConfigFile(Module.Site, file, AppDir + QStringLiteral("config.md_"), nullptr,
                                 nullptr),
                  TSaveResult::Saved);
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
    void Tab(int index) const { Child<QTabWidget>(Window, "pcObj")->setCurrentIndex(index); }
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

// The "Конфигурация" menu names the objects of the active tab, and its commands act on them.
TEST_F(Commands, CaptionsAndDispatchFollowTheTab)
{
    OpenFile();
    auto *menu = Child<QMenu>(Window, "N2");
    const char *expected[][3] = {
        {"Добавить устройство", "Изменить настройки устройства", "Удалить устройство"},
        {"Добавить раздел", "Изменить настройки раздела", "Удалить раздел"},
        {"Добавить пользователя", "Изменить настройки пользователя", "Удалить пользователя"}};
    for (int tab = 0; tab < 3; ++tab) {
        Tab(tab);
        emit menu->aboutToShow();
        int i = 0;
        for (const char *item : {"NAddObj", "NUpdtObj", "NDelObj"})
            EXPECT_EQ(Child<QAction>(Window, item)->text(), QString::fromUtf8(expected[tab][i++]));
    }

    Select("lvUser", 3);
    Boxes.Answers = {true};
    Child<QAction>(Window, "sbtDel")->trigger();
    EXPECT_EQ(Window.Config->User(3), nullptr);
    EXPECT_EQ(Boxes.Asked.last(), QStringLiteral("Удалить пользователя?"));
    Select("lvUser", 111);
    Boxes.Answers = {true};
    Window.DeleteCmd();
    EXPECT_EQ(Boxes.Shown.last(), QStringLiteral("Нельзя удалить администратора!"));

    // The module is found by its address, whatever row it is in.
    Tab(0);
    Select("lvDev", 1);
    Boxes.Answers = {true};
    Window.DeleteCmd();
    EXPECT_EQ(Boxes.Shown.last(), QStringLiteral("Нельзя удалить ЦМ"));
    Window.Config->DeleteDevice(1, true);
    Window.FillDevList();
    Select("lvDev", 2);
    Boxes.Answers = {true, true};
    Window.DeleteCmd();
    EXPECT_EQ(Window.Config->Device(2), nullptr);
}

// Escape in a real Yes/No box answers No: nothing is deleted.
TEST_F(Commands, EscapeAnswersNo)
{
    OpenFile();
    Boxes.Scripted = false;
    Tab(2);
    Select("lvUser", 3);
    WhenModal<QMessageBox>([](QMessageBox &box) { box.reject(); });
    Window.DeleteCmd();
    EXPECT_NE(Window.Config->User(3), nullptr);
}

// Renumbering a partition carries every reference to it.
TEST_F(Commands, RenumberingAPartitionCarriesItsReferences)
{
    OpenFile();
    Tab(1);
    Select("lvPart", 3);
    WhenModal<TfmTuningPart>([this](TfmTuningPart &dialog) {
        Pick(Child<QComboBox>(dialog, "cbNum"), QStringLiteral("9"));
        Boxes.Answers = {true};
        PressOk(dialog);
    });
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
    Boxes.Answers = {true};
    EXPECT_FALSE(Window.WriteCfg());
    EXPECT_EQ(Boxes.Shown.last(), QStringLiteral("Ошибка записи"));
}

// A session of changes in real-time mode: after each the module holds what the editor shows.
TEST_F(Commands, RealTimeSessionKeepsTheModuleInStep)
{
    OpenModule();
    ASSERT_EQ(Disagreements(), QStringList());

    // A relay of the module.
    Select("lvDev", 1);
    WhenModal<TfmTuningRelay>([this](TfmTuningRelay &dialog) {
        Child<QComboBox>(dialog, "cbMode")->setCurrentIndex(1);
        Pick(Child<QComboBox>(dialog, "cbPart"), QStringLiteral("2"));
        Boxes.Answers = {true};
        PressOk(dialog);
    });
    Window.EditRelay(3);
    EXPECT_EQ(Module.Site.Device(1)->AsRelayDev()->Relay(3)->Device, 2);
    EXPECT_EQ(Disagreements(), QStringList());

    // A new device: its model, then its settings.
    WhenModal<TfmCreateDev>([](TfmCreateDev &kind) {
        Pick(Child<QComboBox>(kind, "cbDev"), QStringLiteral("ВЕКТ-8Р"));
        WhenModal<TfmTuningDev>([](TfmTuningDev &dialog) {
            Child<QLineEdit>(dialog, "edID")->setText(QStringLiteral("0020FF78CB01"));
            PressOk(dialog);
        });
        PressOk(kind);
    });
    Window.AddCmd();
    ASSERT_NE(Module.Site.Device(7), nullptr);
    EXPECT_EQ(Module.Site.Device(7)->Type, QStringLiteral("ВЕКТ-8Р"));

    // The keypad goes; a partition's delay and an SMS record change; a user is added.
    Select("lvDev", 4);
    Boxes.Answers = {true};
    Window.DeleteCmd();
    EXPECT_EQ(Module.Site.Device(4), nullptr);
    Tab(1);
    Select("lvPart", 2);
    WhenModal<TfmTuningPart>([this](TfmTuningPart &dialog) {
        Child<QSpinBox>(dialog, "sedDelay")->setValue(70);
        Boxes.Answers = {true};
        PressOk(dialog);
    });
    Window.UpdateCmd();
    EXPECT_EQ(Module.Site.Part(2)->Delay, 70);
    WhenModal<TfmTuningSMS>([this](TfmTuningSMS &dialog) {
        Child<QLineEdit>(dialog, "edPhone")->setText(QStringLiteral("79990001122"));
        Boxes.Answers = {true};
        PressOk(dialog);
    });
    Window.EditSMS(2);
    EXPECT_EQ(Module.Site.Part(2)->SMS(3)->Phone, QStringLiteral("79990001122"));
    Tab(2);
    WhenModal<TfmTuningUser>([](TfmTuningUser &dialog) { PressOk(dialog); });
    Window.AddCmd();
    EXPECT_EQ(Module.Site.UserCount(), 5);
    EXPECT_EQ(Disagreements(), QStringList());

    // Taking the loop that an "АСПТ" relay watches out of its partition writes the relay too.
    Tab(1);
    Select("lvPart", 1);
    QTreeWidget *loops = Child<QTreeWidget>(Window, "lvPartShlf");
    loops->setCurrentItem(loops->topLevelItem(2)); // 2/3
    Boxes.Answers = {true};
    Window.RemovePartLoop();
    EXPECT_EQ(Module.Site.Device(2)->AsVEKT()->Loop(3)->Part, 0);
    EXPECT_EQ(Module.Site.Device(1)->AsRelayDev()->Relay(2)->Mode, 0);
    EXPECT_EQ(Disagreements(), QStringList());

    Boxes.Answers = {true};
    Window.SetClock();
    EXPECT_EQ(Boxes.Shown.last(), QStringLiteral("Время синхронизировано"));
    EXPECT_FALSE(Module.Core->Clock().isEmpty());
    EXPECT_FALSE(Boxes.Shown.contains(QStringLiteral("Ошибка записи")));
}

// A change the module refuses is taken back; one it took in part is read back from it.
TEST_F(Commands, RefusedWritesAreUndone)
{
    Module.Faults.RefuseCodes = {0x44, 0x47};
    OpenModule();
    Tab(2);
    Select("lvUser", 1);
    WhenModal<TfmTuningUser>([this](TfmTuningUser &dialog) {
        Child<QLineEdit>(dialog, "edPwd1")->setText(QStringLiteral("9999"));
        Boxes.Answers = {true};
        PressOk(dialog);
    });
    Window.UpdateCmd();
    EXPECT_EQ(Boxes.Shown.last(), QStringLiteral("Ошибка записи"));
    EXPECT_EQ(Window.Config->User(1)->Pswrd1, QStringLiteral("1234"));

    // The keypad on another partition at a new address: its record goes, the move is refused.
    Tab(0);
    Select("lvDev", 4);
    WhenModal<TfmTuningDev>([this](TfmTuningDev &dialog) {
        Pick(Child<QComboBox>(dialog, "cbAddr"), QStringLiteral("20"));
        Pick(Child<QComboBox>(dialog, "cbPart"), QStringLiteral("2"));
        Boxes.Answers = {true};
        PressOk(dialog);
    });
    Window.UpdateCmd();
    EXPECT_EQ(Boxes.Shown.last(), QStringLiteral("Ошибка записи"));
    ASSERT_NE(Window.Config->Device(4), nullptr);
    EXPECT_EQ(Window.Config->Device(4)->AsKP()->Part, 2);
    EXPECT_EQ(Disagreements(), QStringList());
}
