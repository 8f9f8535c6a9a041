// The editor window: start-up from a file and from the module, what the lists show, and
// closing.

#include "uUiTestSupport.h"
#include "ui/uTuningAccess.h"

namespace {

struct Editor : TEditorTest {
    QTreeWidget *List(const char *name) const { return Child<QTreeWidget>(Window, name); }
    QStringList Row(const char *list, int row) const
    {
        QStringList texts;
        const QTreeWidgetItem *item = List(list)->topLevelItem(row);
        for (int c = 0; item && c < item->columnCount(); ++c)
            texts << item->text(c);
        return texts;
    }
};

// The demo site with an SMS number of leading zeros and user 255, in a configuration file.
QString SiteFile(const QTemporaryDir &dir)
{
    TConfig site;
    FillDemoSite(site);
    *site.Part(1)->SMS(3) = TSMS{.Phone = QStringLiteral("000123"), .Plus = 1};
    site.AddUser(255, 0, 0, 0, QStringLiteral("1"), QStringLiteral("2"));
    const QString path = dir.filePath(QStringLiteral("site.cfg"));
    EXPECT_TRUE(SaveSite(site, path));
    return path;
}

} // namespace

// The lists show every object to its last number, and the partition's pane its three SMS rows,
// each number as the module keeps it.
TEST_F(Editor, ShowsAConfigurationFile)
{
    Window.FileName = SiteFile(Dir);
    ASSERT_TRUE(Window.StartUp());
    EXPECT_FALSE(Window.RealTime);
    EXPECT_EQ(Window.AccessPassword.Password, QStringLiteral("8522"));
    EXPECT_EQ(Row("lvDev", 0), (QStringList{QStringLiteral("  1"), QStringLiteral("ЦМ"),
                                            QStringLiteral("00-20-FF-78-C5-34"),
                                            QStringLiteral("2.1"), QStringLiteral("1.0")}));
    Tab(1);
    EXPECT_EQ(Row("lvPart", 0), (QStringList{QStringLiteral("  1"), QStringLiteral("10")}));
    EXPECT_EQ(Row("lvPartSMS", 0)[1], QStringLiteral("+79001234567"));
    EXPECT_EQ(Row("lvPartSMS", 2).mid(0, 2),
              (QStringList{QStringLiteral("Нет сообщений"), QStringLiteral("+123")}));
    Tab(2);
    EXPECT_EQ(Row("lvUser", 1), (QStringList{QStringLiteral("  2"), QStringLiteral("Техник"),
                                             QStringLiteral("Любой"), QStringLiteral("Нет")}));
    EXPECT_EQ(Row("lvUser", 4).value(0), QStringLiteral("255"));
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
