// What the dialogs' text boxes refuse, typed or pasted; the message boxes; the link and SMS
// dialogs: what they refuse at OK, and what OK stores.

#include "link/uOptnLink.h"
#include "uUiTestSupport.h"
#include "ui/uTuningAccess.h"
#include "ui/uTuningLink.h"
#include "ui/uTuningSMS.h"
#include "ui/uTuningUser.h"

#include <QMessageBox>

namespace {

// Validators, unlike key filters, also stop pasted text: typed or pasted, a box keeps only what
// it takes. Eight digits fit the module's silent-alarm password.
TEST(TextBoxes, KeepOnlyWhatTheyTakeTypedOrPasted)
{
    TScriptedBoxes boxes;
    TConfig config;
    TfmTuningUser user(config, false, 111, *config.User(111), boxes);
    TfmTuningAccess access(TOptnAccess{}, boxes);
    const struct {
        QWidget *dialog;
        const char *edit;
        QString typed;
        QString kept;
    } cases[] = {
        {&user, "edPwd1", QStringLiteral("1a2b345"), QStringLiteral("1234")},
        {&user, "edPwd2", QStringLiteral("123456789"), QStringLiteral("12345678")},
        {&access, "edPswrd", QStringLiteral("1a2b345"), QStringLiteral("1234")},
    };
    for (const auto &c : cases) {
        c.dialog->show();
        QLineEdit *edit = Edit(*c.dialog, c.edit);
        edit->clear();
        QTest::keyClicks(edit, c.typed);
        EXPECT_EQ(edit->text(), c.kept) << c.edit;
        PasteOverAll(edit, QStringLiteral("12ab"));
        EXPECT_EQ(edit->text(), c.kept) << c.edit;
    }
}

// A password box selects its text as it takes the focus, by mouse or by Tab, so a password
// typed for a new user replaces the default shown instead of being added to it.
TEST(TextBoxes, TypedPasswordsReplaceTheDefaults)
{
    TScriptedBoxes boxes;
    TConfig config;
    TUser user(TUser::Default());
    TfmTuningUser dialog(config, false, 1, user, boxes);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    const auto type = [](const QString &keys) {
        QCoreApplication::processEvents();
        QTest::keyClicks(QApplication::focusWidget(), keys);
    };
    QTest::mouseClick(Edit(dialog, "edPwd1"), Qt::LeftButton);
    type(QStringLiteral("1234"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    type(QStringLiteral("55"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_TRUE(dialog.IsAccepted());
    EXPECT_EQ((std::tuple{user.Pswrd1, user.Pswrd2}),
              (std::tuple{QStringLiteral("1234"), QStringLiteral("55")}));
}

// An error is shown with the warning icon, a notice that something went well with the
// information icon.
TEST(MessageBoxes, ErrorsWarnNoticesInform)
{
    TMessageBoxes boxes;
    QList<QMessageBox::Icon> icons;
    for (const auto show : {&TMessageBoxes::ShowMessage, &TMessageBoxes::ShowNotice}) {
        WhenModal<QMessageBox>([&icons](QMessageBox &box) {
            icons << box.icon();
            box.accept();
        });
        (boxes.*show)(QStringLiteral("Текст"));
    }
    EXPECT_EQ(icons, (QList{QMessageBox::Warning, QMessageBox::Information}));
}

// The link runs at 57600 whatever speed is stored, and a stored port the machine does not list
// (the simulator's pseudo-terminal, or a machine with no port at all) stays selected; either is
// saved only when the change is confirmed. A UDP address is checked, and saved in its normal form.
TEST(TuningLink, SavesAConfirmedChangeAsTheLinkRuns)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("lorim.ini"));
    TScriptedBoxes boxes;
    TOptnLink link{0, QStringLiteral("/dev/pts/3"), 9600, QStringLiteral("10.0.0.1"), 10001};
    for (const bool confirmed : {false, true}) {
        const QStringList ports =
            confirmed ? QStringList() : QStringList{QStringLiteral("/dev/ttyS0")};
        TfmTuningLink dialog(link, ini, ports, boxes);
        EXPECT_EQ(Box(dialog, "cbSpeed")->currentText(), QStringLiteral("57600"));
        EXPECT_EQ(Box(dialog, "cbCOM")->currentText(), link.COMPort);
        boxes.Answers = {confirmed};
        PressOk(dialog);
        EXPECT_EQ(QFile::exists(ini), confirmed);
    }
    EXPECT_EQ((std::tuple{LoadLinkSettings(ini).COMSpeed, LoadLinkSettings(ini).COMPort}),
              (std::tuple{57600, link.COMPort}));

    link.Type = 1;
    TfmTuningLink udp(link, ini, {}, boxes);
    udp.show();
    Edit(udp, "edIP")->setText(QStringLiteral("12.30"));
    PressOk(udp);
    EXPECT_EQ(boxes.Shown, QStringList{QStringLiteral("Неверный IP-адрес")});
    EXPECT_TRUE(udp.isVisible());
    // Read as octal, "010" would be 8.
    Edit(udp, "edIP")->setText(QStringLiteral("192.168.001.010"));
    ConfirmOk(boxes, udp);
    EXPECT_EQ(LoadLinkSettings(ini).IP, QStringLiteral("192.168.1.10"));
}

// The plus box and the text's "+" follow each other; nothing is typed, deleted or pasted in
// front of the "+", and no letter gets in. OK takes the plus from the text: a whole number
// pasted over while the box was ticked loses no digit.
TEST(TuningSMS, PlusBoxAndPhoneTextFollowEachOther)
{
    TScriptedBoxes boxes;
    TfmTuningSMS dialog(TSMS{.Type = 1, .Phone = QStringLiteral("79161234567"), .Plus = 1}, boxes);
    dialog.show();
    QLineEdit *phone = Edit(dialog, "edPhone");
    auto *plus = Child<QCheckBox>(dialog, "chbPlus");
    EXPECT_EQ(phone->text(), QStringLiteral("+79161234567"));
    plus->click();
    EXPECT_EQ(phone->text(), QStringLiteral("79161234567"));
    plus->click();
    phone->setCursorPosition(1);
    QTest::keyClick(phone, Qt::Key_Backspace);
    EXPECT_EQ(phone->text(), QStringLiteral("+79161234567"));
    phone->setCursorPosition(0);
    QTest::keyClicks(phone, QStringLiteral("5+"));
    EXPECT_EQ(phone->text(), QStringLiteral("+579161234567"));
    PasteOverAll(phone, QStringLiteral("7916abc"));
    EXPECT_EQ(phone->text(), QStringLiteral("+579161234567"));
    PasteOverAll(phone, QStringLiteral("89161234567"));
    EXPECT_FALSE(plus->isChecked());
    ConfirmOk(boxes, dialog);
    EXPECT_TRUE(dialog.IsAccepted());
    EXPECT_EQ((std::tuple{dialog.Record().Phone, dialog.Record().Plus}),
              (std::tuple{QStringLiteral("89161234567"), 0u}));
}

} // namespace
