// The editor window: start-up from a file and from the module, what the lists and panes show,
// and closing.

#include "uUiTestSupport.h"
#include "ui/uTuningAccess.h"

#include <QLabel>
#include <QStackedWidget>

namespace {

struct Editor : TEditorTest {
    QString Text(const char *label) const { return Child<QLabel>(Window, label)->text(); }
    QString Page() const
    {
        return Child<QStackedWidget>(Window, "pcTuning")->currentWidget()->objectName();
    }
    QTreeWidget *List(const char *name) const { return Child<QTreeWidget>(Window, name); }
    QStringList Row(const char *list, int row) const
    {
        QStringList texts;
        const QTreeWidgetItem *item = List(list)->topLevelItem(row);
        for (int c = 0; item && c < item->columnCount(); ++c)
            texts << item->text(c);
        return texts;
    }
    void Select(const char *list, int row) const
    {
        List(list)->setCurrentItem(List(list)->topLevelItem(row));
    }
};

// The demo site and two indication units more, in a configuration file.
QString SiteFile(const QTemporaryDir &dir)
{
    TConfig site;
    FillDemoSite(site);
    site.AddDevice(7, QStringLiteral("ИБ-40"), QStringLiteral("0020FF78CA01"), 0, {}, {}, {});
    site.AddDevice(8, QStringLiteral("ИБ-8"), QStringLiteral("0020FF78CA02"), 0, {}, {}, {});
    *site.Part(1)->SMS(3) = TSMS{.Phone = QStringLiteral("000123"), .Plus = 1};
    site.AddUser(255, 0, 0, 0, QStringLiteral("1"), QStringLiteral("2"));
    const QString path = dir.filePath(QStringLiteral("site.cfg"));
    EXPECT_TRUE(SaveSite(site, path));
    return path;
}

} // namespace

TEST_F(Editor, ShowsAConfigurationFile)
{
    Window.FileName = SiteFile(Dir);
    ASSERT_TRUE(Window.StartUp());
    EXPECT_FALSE(Window.RealTime);
    EXPECT_EQ(Window.AccessPassword.Password, QStringLiteral("8522"));

    // The module's row is selected and its pane shown: relay 1 on a partition, relay 2 on a
    // loop of a control panel with the second-loop box.
    EXPECT_EQ(Row("lvDev", 0), (QStringList{QStringLiteral("  1"), QStringLiteral("ЦМ"),
                                            QStringLiteral("00-20-FF-78-C5-34"),
                                            QStringLiteral("2.1"), QStringLiteral("1.0")}));
    EXPECT_EQ(Page(), QStringLiteral("tsCM"));
    EXPECT_EQ(Text("lbCMDev1") + Text("lbCMDevVal1"), QStringLiteral("Раздел:1"));
    EXPECT_TRUE(Child<QLabel>(Window, "lbCMShlfVal1")->isHidden());
    EXPECT_EQ(Text("lbCMDev2") + Text("lbCMDevVal2") + Text("lbCMShlfVal2"),
              QStringLiteral("Расширитель:23"));
    EXPECT_TRUE(!Child<QCheckBox>(Window, "chbCM2")->isHidden() &&
                Child<QCheckBox>(Window, "chbCM2")->isChecked());
    EXPECT_EQ(Text("lbCMDev3") + Text("lbCMDevVal3"), QStringLiteral("Раздел:Нет"));

    Select("lvDev", 5); // ВМС-8, set up indicator by indicator
    EXPECT_EQ(Page(), QStringLiteral("tsVMS"));
    EXPECT_EQ(Row("lvVMSIndic", 1),
              (QStringList{QStringLiteral("2"), QStringLiteral("Состояние ШС"), QString(),
                           QStringLiteral("3"), QStringLiteral("16")}));
    Select("lvDev", 6); // ИБ-40: the same pane, its indicator list empty outside mode 1
    EXPECT_EQ(Page(), QStringLiteral("tsVMS"));
    EXPECT_EQ(List("lvVMSIndic")->topLevelItemCount(), 0);
    EXPECT_FALSE(List("lvVMSIndic")->isEnabled());
    Select("lvDev", 7);
    EXPECT_EQ(Page(), QStringLiteral("tsIB"));
    Select("lvDev", 2);
    EXPECT_EQ(Page(), QStringLiteral("tsVEKT"));
    EXPECT_EQ(List("lvVEKTShlf")->topLevelItemCount(), 16);
    EXPECT_EQ(Row("lvVEKTShlf", 0),
              (QStringList{QStringLiteral("1"), QStringLiteral("2"),
                           QStringLiteral("ОХРАННЫЙ С ЗАДЕРЖКОЙ"), QStringLiteral("40")}));

    // Partitions: loops counted in the caption, three SMS rows whatever they hold, each number
    // as the module keeps it.
    Tab(1);
    EXPECT_EQ(Row("lvPart", 0), (QStringList{QStringLiteral("  1"), QStringLiteral("10")}));
    EXPECT_EQ(Page(), QStringLiteral("tsPart"));
    EXPECT_EQ(List("lvPartSMS")->topLevelItemCount(), 3);
    EXPECT_EQ(Row("lvPartSMS", 0)[1], QStringLiteral("+79001234567"));
    EXPECT_EQ(Row("lvPartSMS", 2).mid(0, 2),
              (QStringList{QStringLiteral("Нет сообщений"), QStringLiteral("+123")}));

    Tab(2);
    EXPECT_EQ(Row("lvUser", 1), (QStringList{QStringLiteral("  2"), QStringLiteral("Техник"),
                                             QStringLiteral("Любой"), QStringLiteral("Нет")}));
    EXPECT_EQ(Row("lvUser", 4).value(0), QStringLiteral("255")); // the last number too
}

// A file that does not load: the message with its cause on a second line, and the window
// closes without a question; a window that did start asks once before it closes.
TEST_F(Editor, ClosingAsksOnlyAfterAStart)
{
    Window.FileName = Dir.filePath(QStringLiteral("missing.cfg"));
    Window.show();
    EXPECT_FALSE(Window.StartUp());
    EXPECT_EQ(Boxes.Shown,
              QStringList{QStringLiteral("Не удалось загрузить конфигурацию\nфайл не найден")});
    EXPECT_TRUE(Window.close());
    EXPECT_TRUE(Boxes.Asked.isEmpty());

    Window.FileName = SiteFile(Dir);
    ASSERT_TRUE(Window.StartUp());
    Window.show();
    Boxes.Answers = {false};
    EXPECT_FALSE(Window.close());
    EXPECT_TRUE(Window.isVisible());
    Boxes.Answers = {true};
    EXPECT_TRUE(Window.close());
    EXPECT_EQ(Boxes.Asked.size(), 2);
}

// Real time: with no password known the access dialog asks for one, and the site is read.
TEST_F(Editor, RealTimeAsksForThePasswordTheModuleNeeds)
{
    TLinkRig module;
    ASSERT_TRUE(module.Start());
    Window.LinkSettings = module.Port.Link;
    int asked = 0;
    ConfirmModal<TfmTuningAccess>(Boxes, [&](auto &dialog) {
        ++asked;
        Edit(dialog, "edPswrd")->setText(QStringLiteral("8522"));
    });
    ASSERT_TRUE(Window.StartUp());
    EXPECT_TRUE(Window.RealTime);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(Window.Config->DeviceCount(), 6);
    EXPECT_EQ(List("lvDev")->topLevelItemCount(), 6);
    EXPECT_EQ(Window.AccessPassword.Password, QStringLiteral("8522"));
}

// The catalogue gives a password the module refuses; keeping it ends the tries.
TEST_F(Editor, RealTimeEndsWhenThePasswordIsKept)
{
    TLinkRig module;
    TConfig stale;
    FillDemoSite(stale);
    stale.User(111)->Pswrd1 = QStringLiteral("1111");
    const QString file = Dir.filePath(QStringLiteral("old.cfg"));
    ASSERT_TRUE(SaveSite(stale, file));
    ASSERT_TRUE(SaveCatalog(Window.IniPath, {{QStringLiteral("old"), {}, file}}, Boxes));
    ASSERT_TRUE(module.Start());
    Window.LinkSettings = module.Port.Link;
    QString offered;
    WhenModal<TfmTuningAccess>([&](TfmTuningAccess &dialog) {
        offered = Edit(dialog, "edPswrd")->text();
        PressOk(dialog);
    });
    EXPECT_FALSE(Window.StartUp());
    EXPECT_EQ(offered, QStringLiteral("1111"));
    EXPECT_EQ(Boxes.Shown, (QStringList{QStringLiteral("Ошибка ввода пароля"),
                                        QStringLiteral("Не удалось загрузить конфигурацию")}));
}

// A start that cannot succeed ends with one box that says why, and asks for no password: no
// module at all, or a module that has the administrator logged in already.
TEST_F(Editor, RealTimeStartFailuresAskNoPassword)
{
    Window.LinkSettings = {1, {}, 57600, QStringLiteral("127.0.0.2"), FreeUdpPort()};
    Window.Timings.Attempts = 2;
    EXPECT_FALSE(Window.StartUp());
    EXPECT_TRUE(Window.CloseRequested);
    EXPECT_EQ(Boxes.Shown, QStringList{QStringLiteral("Не удалось загрузить конфигурацию\n"
                                                      "Потеря связи с устройством!")});

    TLinkRig module;
    module.Faults.LoginStatus = 2;
    const QString file = Dir.filePath(QStringLiteral("known.cfg"));
    ASSERT_TRUE(SaveSite(module.Site, file));
    ASSERT_TRUE(SaveCatalog(Window.IniPath, {{QStringLiteral("known"), {}, file}}, Boxes));
    ASSERT_TRUE(module.Start());
    Window.LinkSettings = module.Port.Link;
    int asked = 0;
    const QPointer<QTimer> poll = WhenModal<TfmTuningAccess>([&asked](TfmTuningAccess &dialog) {
        ++asked;
        dialog.reject();
    });
    Boxes.Shown.clear();
    EXPECT_FALSE(Window.StartUp());
    EXPECT_EQ(asked, 0);
    delete poll;
    EXPECT_EQ(Boxes.Shown, QStringList{QStringLiteral("Не удалось загрузить конфигурацию\n"
                                                      "Пользователь в системе")});
}
