// The editor window: start-up from a file and from the module, what the lists show, and
// closing.

#include "uUiTestSupport.h"
#include "ui/uTuningAccess.h"

namespace {

using Editor = TEditorTest;

QStringList Row(const QTreeWidget *list, int row)
{
    QStringList texts;
    const QTreeWidgetItem *item = list->topLevelItem(row);
    for (int c = 0; item && c < item->columnCount(); ++c)
        texts << item->text(c);
    return texts;
}

} // namespace

// A file that does not load: the message with its cause on a second line, and the window closes
// without a question. One that loads: the lists show every object to its last number, and the
// partition's pane its three SMS rows, each number as the module keeps it; closing asks.
TEST_F(Editor, ShowsAFileAndAsksBeforeClosing)
{
    Window.FileName = Dir.filePath(QStringLiteral("missing.cfg"));
    Window.show();
    EXPECT_FALSE(Window.StartUp());
    EXPECT_EQ(Boxes.Shown,
              QStringList{QStringLiteral("Не удалось загрузить конфигурацию\nфайл не найден")});
    EXPECT_TRUE(Window.close());
    EXPECT_TRUE(Boxes.Asked.isEmpty());

    *Module.Site.Part(1)->SMS(3) = TSMS{.Phone = QStringLiteral("000123"), .Plus = 1};
    Module.Site.AddUser(255, 0, 0, 0, QStringLiteral("1"), QStringLiteral("2"));
    OpenFile();
    Window.show();
    EXPECT_EQ(Window.AccessPassword.Password, QStringLiteral("8522"));
    EXPECT_EQ(Row(List("lvDev"), 0), (QStringList{QStringLiteral("  1"), QStringLiteral("ЦМ"),
                                                  QStringLiteral("00-20-FF-78-C5-34"),
                                                  QStringLiteral("2.1"), QStringLiteral("1.0")}));
    Tab(1);
    EXPECT_EQ(Row(List("lvPart"), 0), (QStringList{QStringLiteral("  1"), QStringLiteral("10")}));
    EXPECT_EQ(Row(List("lvPartShlf"), 1).value(3), QString()); // 2/2 has no delay
    EXPECT_EQ(Row(List("lvPartSMS"), 0)[1], QStringLiteral("+79001234567"));
    EXPECT_EQ(Row(List("lvPartSMS"), 2).mid(0, 2),
              (QStringList{QStringLiteral("Нет сообщений"), QStringLiteral("+123")}));
    Tab(2);
    EXPECT_EQ(Row(List("lvUser"), 1),
              (QStringList{QStringLiteral("  2"), QStringLiteral("Техник"), QStringLiteral("Любой"),
                           QStringLiteral("Нет")}));
    EXPECT_EQ(Row(List("lvUser"), 4).value(0), QStringLiteral("255"));

    Boxes.Answers = {false};
    EXPECT_FALSE(Window.close());
    EXPECT_TRUE(Window.isVisible());
    Boxes.Answers = {true};
    EXPECT_TRUE(Window.close());
    EXPECT_EQ(Boxes.Asked.size(), 2);
}

// Real time: the access dialog asks for a password when the catalogue knows none, and the one
// typed is tried; keeping one the module refused ends the tries. A start that cannot succeed (no
// module, the administrator logged in already) asks for none. A failed start says why.
TEST(EditorStart, RealTimeAsksForThePasswordOnlyWhereItCanHelp)
{
    const struct {
        const char *What;
        bool Running;        // whether a module answers
        const char *Known;   // the administrator's password in the catalogue's file, if any
        int LoginStatus;     // the module's answer to the right password; -1: accepted
        const char *Typed;   // into the access dialog; OK as it opened when null
        const char *Offered; // by the access dialog; null when it must not open
        const char *Shown;   // the boxes, joined by "|"
    } cases[] = {
        {"no password known", true, nullptr, -1, "8522", "", ""},
        {"a refused password kept", true, "1111", -1, nullptr, "1111",
         "Ошибка ввода пароля|Не удалось загрузить конфигурацию"},
        {"administrator logged in", true, "8522", 2, nullptr, nullptr,
         "Не удалось загрузить конфигурацию\nПользователь в системе"},
        {"no module", false, nullptr, -1, nullptr, nullptr,
         "Не удалось загрузить конфигурацию\nПотеря связи с устройством!"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.What);
        TEditorSession s;
        if (c.Known) {
            const std::unique_ptr<TConfig> known = s.Module.Site.Clone();
            known->User(111)->Pswrd1 = QString::fromLatin1(c.Known);
            s.AddToCatalogue(*known);
        }
        s.Module.Faults.LoginStatus = c.LoginStatus;
        ASSERT_TRUE(!c.Running || s.Module.Start());
        s.Window.LinkSettings = s.Module.Port.Link;
        s.Window.Timings.Attempts = 2;
        QStringList offered;
        const QPointer<QTimer> poll = WhenModal<TfmTuningAccess>([&](TfmTuningAccess &dialog) {
            offered << Edit(dialog, "edPswrd")->text();
            if (c.Typed)
                Set(dialog, "edPswrd", QString::fromLatin1(c.Typed));
            ConfirmOk(s.Boxes, dialog);
        });
        EXPECT_EQ(s.Window.StartUp(), c.Typed != nullptr);
        delete poll;
        EXPECT_EQ(offered, c.Offered ? QStringList{QString::fromLatin1(c.Offered)} : QStringList());
        EXPECT_EQ(s.Boxes.Shown.join(u'|'), QString::fromUtf8(c.Shown));
        EXPECT_EQ(s.Window.CloseRequested, c.Typed == nullptr);
        EXPECT_TRUE(!c.Typed || s.Window.Config->DeviceCount() == 6);
    }
}
