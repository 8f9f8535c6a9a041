// What the dialogs' text boxes refuse, typed or pasted; the link, SMS and access dialogs: what
// they show, what they refuse at OK, and what OK stores.

#include "link/uOptnLink.h"
#include "uUiTestSupport.h"
#include "ui/uAddShlf.h"
#include "ui/uCreateDev.h"
#include "ui/uMain.h"
#include "ui/uTuningAccess.h"
#include "ui/uTuningDev.h"
#include "ui/uTuningIndic.h"
#include "ui/uTuningKeyDB.h"
#include "ui/uTuningLink.h"
#include "ui/uTuningPart.h"
#include "ui/uTuningRelay.h"
#include "ui/uTuningSMS.h"
#include "ui/uTuningShlf.h"
#include "ui/uTuningUser.h"
#include "ui/uUpdateCfg.h"
#include "ui/uViewCfg.h"

#include <QMessageBox>

namespace {

// Validators, unlike key filters, also stop pasted text: typed or pasted, a box keeps only what
// it takes. Eight digits fit the module's silent-alarm password.
TEST(TextBoxes, KeepOnlyWhatTheyTakeTypedOrPasted)
{
    QTemporaryDir dir;
    TScriptedBoxes boxes;
    TConfig config;
    TfmTuningUser user(config, false, 111, *config.User(111), boxes);
    TfmTuningAccess access(TOptnAccess{}, boxes);
    TfmTuningLink link(TOptnLink{1, {}, 57600, {}, 10001},
                       dir.filePath(QStringLiteral("lorim.ini")), {}, boxes);
    const struct {
        QWidget *dialog;
        const char *edit;
        QString typed;
        QString kept;
    } cases[] = {
        {&user, "edPwd1", QStringLiteral("1a2b345"), QStringLiteral("1234")},
        {&user, "edPwd2", QStringLiteral("123456789"), QStringLiteral("12345678")},
        {&access, "edPswrd", QStringLiteral("1a2b345"), QStringLiteral("1234")},
        {&link, "edIP", QStringLiteral("1a2.300"), QStringLiteral("12.30")},
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

class TuningLink : public testing::Test {
protected:
    // The dialog, shown so that its closing can be seen.
    std::unique_ptr<TfmTuningLink> Open(const QStringList &ports = {QStringLiteral("/dev/ttyS0")})
    {
        auto dialog = std::make_unique<TfmTuningLink>(Link, Ini, ports, Boxes);
        dialog->show();
        return dialog;
    }
    TOptnLink Saved() const { return LoadLinkSettings(Ini); }

    QTemporaryDir Dir;
    QString Ini = Dir.filePath(QStringLiteral("lorim.ini"));
    TScriptedBoxes Boxes;
    TOptnLink Link{0, QStringLiteral("/dev/ttyS0"), 57600, QStringLiteral("10.0.0.1"), 10001};
};

// The link runs at 57600 whatever speed is stored; a stored port the machine does not list (the
// simulator's pseudo-terminal, or a machine with no port at all) stays selected. Either is
// saved only when the change is confirmed.
TEST_F(TuningLink, SpeedAndUnlistedPortAreSavedOnlyWhenConfirmed)
{
    Link.COMSpeed = 9600;
    Link.COMPort = QStringLiteral("/dev/pts/3");
    const QStringList listed{QStringLiteral("/dev/ttyS0")};
    Boxes.Answers = {false, true, true};
    for (const QStringList &ports : {listed, listed, QStringList{}}) {
        const bool confirmed = Boxes.Answers.first();
        const auto dialog = Open(ports);
        EXPECT_EQ(Box(*dialog, "cbSpeed")->currentText(), QStringLiteral("57600"));
        EXPECT_EQ(Box(*dialog, "cbCOM")->currentText(), Link.COMPort);
        PressOk(*dialog);
        EXPECT_EQ(dialog->IsAccepted(), confirmed);
        EXPECT_EQ(QFile::exists(Ini), confirmed);
    }
    EXPECT_EQ((std::tuple{Saved().COMSpeed, Saved().COMPort}), (std::tuple{57600, Link.COMPort}));
    EXPECT_EQ(Boxes.Asked.size(), 3);
}

TEST_F(TuningLink, UdpAddressIsCheckedAndStoredInNormalForm)
{
    Link.Type = 1;
    const auto dialog = Open();
    Edit(*dialog, "edIP")->setText(QStringLiteral("12.30"));
    PressOk(*dialog);
    EXPECT_EQ(Boxes.Shown, QStringList{QStringLiteral("Неверный IP-адрес")});
    EXPECT_TRUE(Boxes.Asked.isEmpty());
    EXPECT_TRUE(dialog->isVisible());

    // Read as octal, "010" would be 8.
    Edit(*dialog, "edIP")->setText(QStringLiteral("192.168.001.010"));
    ConfirmOk(Boxes, *dialog);
    EXPECT_TRUE(dialog->IsAccepted());
    EXPECT_EQ(Saved().IP, QStringLiteral("192.168.1.10"));
}

class TuningSMS : public testing::Test {
protected:
    TuningSMS()
    {
        Record.Type = 1;
        Record.Phone = QStringLiteral("79161234567");
        Record.Plus = 1;
    }

    TScriptedBoxes Boxes;
    TSMS Record;
};

// The plus box and the text's "+" follow each other; nothing is typed, deleted or pasted in
// front of the "+", and no letter gets in.
TEST_F(TuningSMS, PlusBoxAndPhoneText)
{
    TfmTuningSMS dialog(Record, Boxes);
    dialog.show();
    QLineEdit *phone = Edit(dialog, "edPhone");
    auto *plus = Child<QCheckBox>(dialog, "chbPlus");
    EXPECT_EQ(phone->text(), QStringLiteral("+79161234567"));
    EXPECT_TRUE(plus->isChecked());
    plus->click();
    EXPECT_EQ(phone->text(), QStringLiteral("79161234567"));
    plus->click();
    EXPECT_EQ(phone->text(), QStringLiteral("+79161234567"));

    phone->setCursorPosition(1);
    QTest::keyClick(phone, Qt::Key_Backspace);
    EXPECT_EQ(phone->text(), QStringLiteral("+79161234567"));
    phone->setCursorPosition(0);
    QTest::keyClicks(phone, QStringLiteral("5+"));
    EXPECT_EQ(phone->text(), QStringLiteral("+579161234567"));
    PasteOverAll(phone, QStringLiteral("7916abc"));
    EXPECT_EQ(phone->text(), QStringLiteral("+579161234567"));
    phone->selectAll();
    QTest::keyClick(phone, Qt::Key_Delete);
    EXPECT_EQ(phone->text(), QStringLiteral("+"));
    PasteOverAll(phone, QStringLiteral("89161234567"));
    EXPECT_FALSE(plus->isChecked());
}

// OK stores only a confirmed change, with the plus taken from the text: a whole number pasted
// over while the box was ticked loses no digit.
TEST_F(TuningSMS, OkStoresAConfirmedChangeWithThePlusTakenFromTheText)
{
    TfmTuningSMS unchanged(Record, Boxes);
    PressOk(unchanged);
    EXPECT_FALSE(unchanged.IsAccepted());
    EXPECT_TRUE(Boxes.Asked.isEmpty());

    const auto confirmed = [this](const std::function<void(QLineEdit *)> &edit) {
        TfmTuningSMS dialog(Record, Boxes);
        Box(dialog, "cbType")->setCurrentIndex(3);
        Child<QRadioButton>(dialog, "rb2")->setChecked(true);
        edit(Edit(dialog, "edPhone"));
        ConfirmOk(Boxes, dialog);
        EXPECT_TRUE(dialog.IsAccepted());
        const TSMS &r = dialog.Record();
        return std::tuple{r.Type, r.Phone, r.Plus, r.Code};
    };
    EXPECT_EQ(confirmed([](QLineEdit *phone) {
                  phone->end(false);
                  QTest::keyClick(phone, Qt::Key_8);
              }),
              (std::tuple{3u, QStringLiteral("791612345678"), 1u, 1u}));
    EXPECT_EQ(
        confirmed([](QLineEdit *phone) { PasteOverAll(phone, QStringLiteral("89161234567")); }),
        (std::tuple{3u, QStringLiteral("89161234567"), 0u, 1u}));
    EXPECT_EQ(Boxes.Asked.size(), 2);
}

TEST(TuningAccess, OkRefusesEmptyAndStoresOnlyAConfirmedChange)
{
    TScriptedBoxes boxes;
    const TOptnAccess access{QStringLiteral("1234")};
    TfmTuningAccess dialog(access, boxes);
    dialog.show();
    QLineEdit *password = Edit(dialog, "edPswrd");
    password->clear();
    PressOk(dialog);
    EXPECT_EQ(boxes.Shown, QStringList{QStringLiteral("Пароль не может быть пустым")});
    EXPECT_TRUE(dialog.isVisible());
    password->setText(access.Password);
    PressOk(dialog);
    EXPECT_FALSE(dialog.isVisible() || dialog.IsAccepted());
    EXPECT_TRUE(boxes.Asked.isEmpty());

    TfmTuningAccess changed(access, boxes);
    Edit(changed, "edPswrd")->setText(QStringLiteral("12"));
    ConfirmOk(boxes, changed);
    EXPECT_TRUE(changed.IsAccepted());
    EXPECT_EQ(changed.Access().Password, QStringLiteral("12"));
}

} // namespace

// Tab walks every dialog as it is laid out: top to bottom, and left to right along a row.
TEST(Dialogs, TabFollowsTheLayout)
{
    QTemporaryDir dir;
    TScriptedBoxes boxes;
    TConfig site;
    FillDemoSite(site);
    site.AddDevice(7, QStringLiteral("ИБ-8"), QStringLiteral("0020FF78CA02"), 0, {}, {}, {});
    const QString ini = dir.filePath(QStringLiteral("lorim.ini"));
    std::vector<std::unique_ptr<QWidget>> dialogs;
    dialogs.push_back(std::make_unique<TfmTuningLink>(TOptnLink{1, {}, 57600, {}, 10001}, ini,
                                                      QStringList{}, boxes));
    dialogs.push_back(std::make_unique<TfmCreateDev>());
    dialogs.push_back(std::make_unique<TfmTuningDev>(site, false, 3, *site.Device(3), boxes));
    dialogs.push_back(
        std::make_unique<TfmTuningKP>(site, false, 4, *site.Device(4)->AsKP(), boxes));
    dialogs.push_back(
        std::make_unique<TfmTuningVMS>(site, false, 6, *site.Device(6)->AsIndicDev(), boxes));
    dialogs.push_back(
        std::make_unique<TfmTuningIB>(site, false, 7, *site.Device(7)->AsIndicDev(), boxes));
    dialogs.push_back(std::make_unique<TfmTuningKeyDB>(site, site.Device(2)->KeyDB, boxes));
    dialogs.push_back(std::make_unique<TfmTuningPart>(site, false, 1, *site.Part(1), boxes));
    dialogs.push_back(std::make_unique<TfmTuningUser>(site, false, 1, *site.User(1), boxes));
    dialogs.push_back(
        std::make_unique<TfmAddShlf>(site, 3, false, TfmAddShlf::TWriteChange{}, boxes));
    dialogs.push_back(std::make_unique<TfmTuningShlf>(site, *site.Device(3)->AsVEKT()->Loop(1),
                                                      false, true, boxes));
    dialogs.push_back(
        std::make_unique<TfmTuningRelay>(site, *site.Device(1)->AsRelayDev()->Relay(2), boxes));
    dialogs.push_back(
        std::make_unique<TfmTuningIndic>(site, *site.Device(6)->AsIndicDev()->Indicator(2), boxes));
    dialogs.push_back(std::make_unique<TfmTuningSMS>(*site.Part(1)->SMS(1), boxes));
    dialogs.push_back(
        std::make_unique<TfmTuningAccess>(TOptnAccess{QStringLiteral("8522")}, boxes));
    dialogs.push_back(std::make_unique<TfmUpdateCfg>(
        TfmUpdateCfg::Change, TCatalogEntry{QStringLiteral("Склад"), {}, QStringLiteral("s.cfg")},
        ini, boxes));
    dialogs.push_back(std::make_unique<TfmViewCfg>(boxes, ini, TOptnLink{}));
    dialogs.push_back(std::make_unique<TfmMain>(boxes, ini));
    for (const auto &dialog : dialogs) {
        dialog->show();
        // Each control Tab reaches next stands lower, or further right (the next column).
        QPoint last(-1, -1);
        QWidget *w = dialog.get();
        for (int i = 0; i < 100 && (w = w->nextInFocusChain()) != dialog.get(); ++i) {
            if (!w->isVisible() || !w->isEnabled() || !(w->focusPolicy() & Qt::TabFocus))
                continue;
            const QPoint at = w->mapTo(dialog.get(), QPoint(0, 0));
            EXPECT_TRUE(at.y() > last.y() || at.x() > last.x())
                << dialog->metaObject()->className() << ": " << w->objectName().toStdString();
            last = at;
        }
    }
}
