// The partition, user, add-loops, loop, relay and indicator dialogs: the rules that keep their
// boxes consistent, what they refuse, and what OK stores.

#include "uUiTestSupport.h"
#include "ui/uAddShlf.h"
#include "ui/uTuningAccess.h"
#include "ui/uTuningIndic.h"
#include "ui/uTuningPart.h"
#include "ui/uTuningRelay.h"
#include "ui/uTuningSMS.h"
#include "ui/uTuningShlf.h"
#include "ui/uTuningUser.h"

#include <QAccessible>

namespace {

const QString NoPart = QStringLiteral("Нет");
const QString AnyPart = QStringLiteral("Любой");

// Partitions 3, 5 and 6. Panel 2 ("ВЕКТ-8"): fire loop 1 and security loop 2 in partition 3,
// fire loops 3 and 4 in partition 5, delayed loop 5 in any partition, fire loop 6 the only
// loop of partition 6, loops 7 and 8 free. Panel 4 ("ВЕКТ-8 v4"): security loop 1 in
// partition 5. Panel 7: every loop free. The module's relay 1 is "АСПТ" on loop 2/6, relay 2
// a siren of partition 3. User 1 has partitions 3 and 5.
class ObjectDialogs : public testing::Test {
protected:
    ObjectDialogs()
    {
        for (const int p : {3, 5, 6})
            Config.PutPart(p, Config.CreatePart(0, QString()));
        for (const auto &[address, model] :
             {std::pair{2, u"ВЕКТ-8"}, std::pair{4, u"ВЕКТ-8 v4"}, std::pair{7, u"ВЕКТ-8"}})
            Config.AddDevice(address, QString::fromUtf16(model), {}, 0, {}, {}, {});
        const TShleif loops[] = {
            {.Type = 1, .Part = 3},
            {.Type = 2, .Part = 3},
            {.Type = 7, .Part = 5},
            {.Type = 8, .Part = 5},
            {.Type = 3, .Delay = 20, .Part = 255},
            {.Type = 1, .Delay = 20, .Part = 6},
        };
        for (int n = 1; n <= 6; ++n)
            Loop(2, n).Assign(loops[n - 1]);
        Loop(4, 1).Assign({.Type = 2, .Part = 5});
        *Relay(1) = TRelay{.Mode = TRelay::ModeASPT, .Device = 2, .Shlf = 6};
        *Relay(2) = TRelay{.Mode = 1, .Delay = 30, .Device = 3};
        Config.AddUser(1, 0, 3, 5, QStringLiteral("1234"), QStringLiteral("5678"));
        Config.ClearFlags();
    }

    TShleif &Loop(int address, int n) { return *Config.Device(address)->AsVEKT()->Loop(n); }
    TRelay *Relay(int n) { return Config.Device(1)->AsRelayDev()->Relay(n); }

    TConfig Config;
    TScriptedBoxes Boxes;
};

// A delay typed and taken with Enter counts as with the ОК button: one between the tens is
// rounded in the box before the question, one past the top becomes the top.
TEST_F(ObjectDialogs, TypedDelayIsTakenByEnterRoundedInView)
{
    TfmTuningPart part(Config, false, 3, *Config.Part(3), Boxes);
    TfmTuningShlf loop(Config, Loop(2, 5), false, true, Boxes);
    TfmTuningRelay relay(Config, *Relay(2), Boxes);
    const struct {
        TDialogFrame *dialog;
        QString typed;
        QString shown;
        std::function<unsigned()> stored;
    } cases[] = {
        {&part, QStringLiteral("90"), QStringLiteral("90"),
         [this] { return Config.Part(3)->Delay; }},
        {&loop, QStringLiteral("45"), QStringLiteral("40"),
         [this] { return Loop(2, 5).Delay + 0u; }},
        {&relay, QStringLiteral("155"), QStringLiteral("150"),
         [this] { return Relay(2)->Delay + 0u; }},
    };
    for (const auto &c : cases) {
        c.dialog->show();
        auto *delay = Child<QSpinBox>(*c.dialog, "sedDelay");
        TypeOver(delay, c.typed);
        Boxes.Answers = {true};
        QTest::keyClick(delay, Qt::Key_Return);
        EXPECT_TRUE(c.dialog->IsAccepted()) << c.typed.toStdString();
        EXPECT_EQ(delay->text(), c.shown);
        EXPECT_EQ(c.stored(), c.shown.toUInt());
    }
    EXPECT_EQ(Boxes.Asked.size(), 3);
}

// A value a list cannot offer or a box cannot hold, as a file or the module may have it, is kept
// while the user changes other boxes: a user of the administrator's type who is not 111, with
// an additional partition "Любой"; a "ВЕКТ-8 v4" loop of a type of the full list; an SMS number
// of 16 digits behind "+".
TEST_F(ObjectDialogs, ValuesTheBoxesCannotOfferAreKept)
{
    TUser &user = *Config.User(1);
    user.Type = TUser::TypeAdmin;
    user.Part2 = 255;
    TShleif &loop = Loop(4, 1);
    loop.Type = 8;
    TSMS sms{.Phone = QStringLiteral("1234567890123456"), .Plus = 1};
    TfmTuningUser userDialog(Config, false, 1, user, Boxes);
    TfmTuningShlf loopDialog(Config, loop, false, false, Boxes);
    TfmTuningSMS smsDialog(sms, Boxes);
    const struct {
        TDialogFrame *dialog;
        std::function<void()> changeAnother;
        std::function<bool()> kept;
    } cases[] = {
        {&userDialog, [&] { TypeOver(Edit(userDialog, "edPwd2"), QStringLiteral("1")); },
         [&] {
             return user.Type == TUser::TypeAdmin && user.Part2 == 255 &&
                    user.Pswrd2 == QStringLiteral("1");
         }},
        {&loopDialog,
         [&] { TypeOver(Child<QSpinBox>(loopDialog, "sedDelay"), QStringLiteral("30")); },
         [&] { return loop.Type == 8 && loop.Delay == 30; }},
        {&smsDialog, [&] { QTest::keyClick(Box(smsDialog, "cbType"), Qt::Key_Down); },
         [&] { return smsDialog.Record().Phone == sms.Phone && smsDialog.Record().Plus == 1; }},
    };
    for (const auto &c : cases) {
        c.dialog->show();
        c.changeAnother();
        ConfirmOk(Boxes, *c.dialog);
        EXPECT_TRUE(c.dialog->IsAccepted() && c.kept()) << c.dialog->windowTitle().toStdString();
    }
}

// Opening an object and pressing OK changes nothing: the dialog closes as Cancel, unasked.
TEST_F(ObjectDialogs, UnchangedOkEndsAsCancelWithoutAQuestion)
{
    TIndicator loopIndicator{.Mode = TIndicator::ModeShlf, .Device = 2, .Shlf = 3};
    TIndicator partIndicator{.Mode = TIndicator::ModePart, .Device = 255};
    TfmTuningPart part(Config, false, 3, *Config.Part(3), Boxes);
    TfmTuningUser user(Config, false, 1, *Config.User(1), Boxes);
    TfmTuningUser admin(Config, false, 111, *Config.User(111), Boxes);
    TfmTuningRelay aspt(Config, *Relay(1), Boxes);
    TfmTuningRelay siren(Config, *Relay(2), Boxes);
    TfmTuningIndic onLoop(Config, loopIndicator, Boxes);
    TfmTuningIndic onPart(Config, partIndicator, Boxes);
    TfmTuningSMS sms(TSMS{.Type = 1, .Phone = QStringLiteral("79161234567"), .Plus = 1}, Boxes);
    for (TDialogFrame *dialog : std::initializer_list<TDialogFrame *>{
             &part, &user, &admin, &aspt, &siren, &onLoop, &onPart, &sms}) {
        dialog->show();
        PressOk(*dialog);
        EXPECT_FALSE(dialog->isVisible() || dialog->IsAccepted());
    }
    EXPECT_TRUE(Boxes.Asked.isEmpty());
    EXPECT_TRUE(Boxes.Shown.isEmpty());
}

// Neither the administrator's password nor the access password may be empty, and the
// administrator keeps type and partition; so does a new user given number 111 (a read that did
// not bring the administrator), "Любой" being added when there are no partitions.
TEST_F(ObjectDialogs, AdministratorAndAccessNeedAPassword)
{
    TUser &admin = *Config.User(111);
    TfmTuningUser user(Config, false, 111, admin, Boxes);
    TfmTuningAccess access(TOptnAccess{QStringLiteral("1234")}, Boxes);
    for (const auto &[dialog, edit] :
         {std::pair<TDialogFrame *, const char *>{&user, "edPwd1"}, {&access, "edPswrd"}}) {
        dialog->show();
        Edit(*dialog, edit)->clear();
        PressOk(*dialog);
        EXPECT_TRUE(dialog->isVisible());
        Edit(*dialog, edit)->setText(QStringLiteral("12"));
        ConfirmOk(Boxes, *dialog);
        EXPECT_TRUE(dialog->IsAccepted());
    }
    EXPECT_EQ(Boxes.Shown, QStringList(2, QStringLiteral("Пароль не может быть пустым")));
    EXPECT_EQ((std::tuple{admin.Type, admin.Part1, admin.Pswrd1, access.Access().Password}),
              (std::tuple{TUser::TypeAdmin, 255u, QStringLiteral("12"), QStringLiteral("12")}));

    TConfig bare;
    bare.DeleteUser(111);
    TUser added(TUser::Default());
    TfmTuningUser picked(bare, false, 2, added, Boxes);
    Pick(Box(picked, "cbNum"), QStringLiteral("111"));
    PressOk(picked);
    EXPECT_TRUE(picked.IsAccepted());
    EXPECT_EQ((std::tuple{picked.Number(), added.Type, added.Part1}),
              (std::tuple{111, TUser::TypeAdmin, 255u}));
}

// The additional partition never offers "Любой" nor the main partition, and counts only beside
// one main partition.
TEST_F(ObjectDialogs, UserPartitions)
{
    TUser &user = *Config.User(1);
    TfmTuningUser dialog(Config, false, 1, user, Boxes);
    QComboBox *main = Box(dialog, "cbPart1");
    QComboBox *extra = Box(dialog, "cbPart2");
    EXPECT_EQ(Items(extra), QStringLiteral("5|6|Нет"));
    // The selected additional partition becomes the main one: "Нет" is shown, not a neighbour.
    Pick(main, QStringLiteral("5"));
    EXPECT_EQ(Items(extra), QStringLiteral("6|Нет"));
    EXPECT_EQ(extra->currentText(), NoPart);
    for (const QString &none : {NoPart, AnyPart}) {
        Pick(main, none);
        EXPECT_FALSE(extra->isEnabled());
    }
    ConfirmOk(Boxes, dialog);
    EXPECT_EQ((std::tuple{user.Part1, user.Part2}), (std::tuple{255u, 0u}));
}

// Only free loops are listed, and one must be chosen; a double-clicked one leaves the list and
// is bound. In real-time mode each loop is bound and written alone, with the line to show should
// the write fail; after a failure no further loop is tried, and with none taken the dialog ends
// as Cancel.
TEST_F(ObjectDialogs, AddingLoops)
{
    const auto row = [](const TfmAddShlf &dialog, const char *pair) {
        const auto rows = Child<QTreeWidget>(dialog, "lvShlf")
                              ->findItems(QString::fromLatin1(pair), Qt::MatchExactly, 1);
        return rows.isEmpty() ? nullptr : rows.first();
    };
    TfmAddShlf dialog(Config, 9, false, {}, Boxes);
    dialog.show();
    auto *list = Child<QTreeWidget>(dialog, "lvShlf");
    EXPECT_EQ(list->topLevelItemCount(), 17);
    PressOk(dialog);
    EXPECT_EQ(Boxes.Shown,
              QStringList{QStringLiteral("В разделе должно быть не меньше одного шлейфа")});
    // A real double click: press and release, then the double click on the same row.
    const QPoint at = list->visualItemRect(row(dialog, "2/7")).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(row(dialog, "2/7"), nullptr);
    list->clearSelection();
    PressOk(dialog);
    EXPECT_TRUE(dialog.IsAccepted());
    EXPECT_EQ((std::tuple{Loop(2, 7).Part, Loop(2, 7).Type}), (std::tuple{9, 2}));

    QList<bool> results{true}; // then refusals
    QStringList written;
    QString failure;
    const auto write = [&](const std::function<void()> &change, const QString &line) {
        Config.ClearFlags();
        change();
        for (const int a : {2, 4})
            for (int n = 1; n <= 8; ++n)
                if (Loop(a, n).Changed)
                    written << QStringLiteral("%1/%2").arg(a).arg(n);
        failure = line;
        return !results.isEmpty() && results.takeFirst();
    };
    TfmAddShlf realTime(Config, 9, true, write, Boxes);
    for (const char *pair : {"2/8", "4/2", "4/3"})
        row(realTime, pair)->setSelected(true);
    PressOk(realTime);
    EXPECT_EQ(written, (QStringList{QStringLiteral("2/8"), QStringLiteral("4/2")}));
    EXPECT_EQ(failure, QStringLiteral("Не удалось записать настройки шлейфа №2 СА: 4"));
    EXPECT_EQ(Loop(4, 3).Part, 0);
    EXPECT_TRUE(realTime.IsAccepted());

    TfmAddShlf refused(Config, 9, true, write, Boxes);
    row(refused, "4/3")->setSelected(true);
    PressOk(refused);
    EXPECT_FALSE(refused.IsAccepted());
}

// A "ВЕКТ-8 v4" offers its seven types; a loop that must trigger twice has no delay; a loop
// without a partition is excluded, and only then.
TEST_F(ObjectDialogs, LoopTypeDelayAndPartition)
{
    TfmTuningShlf v4(Config, Loop(4, 1), false, false, Boxes);
    EXPECT_EQ(Box(v4, "cbType")->count(), 7);

    TfmTuningShlf fire(Config, Loop(2, 6), false, true, Boxes);
    auto *delay = Child<QSpinBox>(fire, "sedDelay");
    Child<QCheckBox>(fire, "chb2")->click();
    EXPECT_EQ((std::tuple{delay->value(), delay->isEnabled()}), (std::tuple{0, false}));

    TfmTuningShlf dialog(Config, Loop(2, 2), false, true, Boxes);
    QComboBox *type = Box(dialog, "cbType");
    Pick(Box(dialog, "cbPart"), NoPart);
    EXPECT_EQ(type->currentText(), QStringLiteral("ИСКЛЮЧЁН"));
    EXPECT_FALSE(type->isEnabled());
    Pick(Box(dialog, "cbPart"), QStringLiteral("5"));
    EXPECT_EQ(type->currentText(), QStringLiteral("ПОЖАРНЫЙ ТИП1"));
}

// A loop in any partition stays there, and OK without a change ends as OK here. Only a move
// of a partition's last loop asks whether the partition may go; the relay on the moved loop
// stays, as the loop is stored before the partition is unbound.
TEST_F(ObjectDialogs, LoopOkKeepsAnyPartitionAndAsksBeforeEmptyingOne)
{
    TShleif &any = Loop(2, 5);
    TShleif &last = Loop(2, 6);
    TfmTuningShlf unchanged(Config, any, false, true, Boxes);
    PressOk(unchanged);
    EXPECT_TRUE(unchanged.IsAccepted());
    for (TShleif *loop : {&any, &last}) {
        TfmTuningShlf delayOnly(Config, *loop, false, true, Boxes);
        Child<QSpinBox>(delayOnly, "sedDelay")->setValue(40);
        ConfirmOk(Boxes, delayOnly);
        EXPECT_TRUE(delayOnly.IsAccepted());
    }
    EXPECT_EQ(Boxes.Asked.size(), 2); // the change confirmations alone
    EXPECT_EQ((std::tuple{any.Part, any.Type, any.Delay}), (std::tuple{255, 3, 40}));

    TfmTuningShlf dialog(Config, last, false, true, Boxes);
    dialog.show();
    Pick(Box(dialog, "cbPart"), QStringLiteral("5"));
    Boxes.Asked.clear();
    Boxes.Answers = {true, false};
    PressOk(dialog);
    ASSERT_EQ(Boxes.Asked.size(), 2);
    EXPECT_TRUE(Boxes.Asked[1].contains(QStringLiteral("удалению раздела №6")));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(last.Part, 6);
    EXPECT_FALSE(Config.Part(6)->Deleted);

    Boxes.Answers = {true, true};
    PressOk(dialog);
    EXPECT_TRUE(dialog.IsAccepted());
    EXPECT_EQ(last.Part, 5);
    EXPECT_TRUE(Config.Part(6)->Deleted);
    EXPECT_EQ((std::tuple{Relay(1)->Mode, Relay(1)->Shlf}), (std::tuple{TRelay::ModeASPT, 6}));
}

// "АСПТ" offers fire panels and their fire loops, and two loops only with a fire partner, also
// as the dialog opens; other modes need a partition, and an undefined relay drives nothing.
TEST_F(ObjectDialogs, RelayModes)
{
    TRelay &relay = *Relay(2);
    TfmTuningRelay aspt(Config, relay, Boxes);
    Pick(Box(aspt, "cbMode"), QStringLiteral("АСПТ"));
    QComboBox *loop = Box(aspt, "cbShlf");
    auto *two = Child<QCheckBox>(aspt, "chb");
    EXPECT_EQ(Items(Box(aspt, "cbVEKT")), QStringLiteral("2"));
    EXPECT_EQ(Items(loop), QStringLiteral("1|3|4|6"));
    EXPECT_FALSE(two->isEnabled()); // loop 1's partner is a security loop
    Pick(loop, QStringLiteral("3"));
    EXPECT_TRUE(two->isEnabled());
    two->click();
    Pick(loop, QStringLiteral("6"));
    EXPECT_FALSE(two->isEnabled() || two->isChecked());
    ConfirmOk(Boxes, aspt);
    EXPECT_EQ((std::tuple{relay.Mode, relay.Device, relay.Shlf, relay.TwoShlf}),
              (std::tuple{TRelay::ModeASPT, 2, 6, 0}));
    TRelay onThree{.Mode = TRelay::ModeASPT, .Device = 2, .Shlf = 3, .TwoShlf = 1};
    EXPECT_TRUE(Child<QCheckBox>(TfmTuningRelay(Config, onThree, Boxes), "chb")->isEnabled());

    TfmTuningRelay dialog(Config, relay, Boxes);
    dialog.show();
    Pick(Box(dialog, "cbMode"), QStringLiteral("Не определён"));
    EXPECT_EQ(Box(dialog, "cbPart")->currentText(), NoPart);
    PressOk(dialog);
    EXPECT_EQ(Boxes.Shown,
              QStringList{QStringLiteral("В данном режиме работы необходимо выбрать раздел!")});
    EXPECT_TRUE(dialog.isVisible());
    Pick(Box(dialog, "cbPart"), QStringLiteral("5"));
    ConfirmOk(Boxes, dialog);
    EXPECT_EQ((std::tuple{relay.Mode, relay.Delay, relay.Device}), (std::tuple{0, 0, 0}));
}

// An indicator opens on its loop; one of a partition needs the partition. A mode chosen through
// the accessibility bus, as a screen reader does, rules the boxes too.
TEST_F(ObjectDialogs, IndicatorOpensOnItsLoopAndNeedsItsPartition)
{
    TIndicator indicator{.Mode = TIndicator::ModeShlf, .Device = 2, .Shlf = 3};
    TfmTuningIndic dialog(Config, indicator, Boxes);
    dialog.show();
    EXPECT_TRUE(Child<QRadioButton>(dialog, "rb3")->isChecked());
    EXPECT_EQ(Box(dialog, "cbVEKT")->currentText().trimmed(), QStringLiteral("2"));
    EXPECT_EQ(Box(dialog, "cbShlf")->currentText().trimmed(), QStringLiteral("3"));
    EXPECT_FALSE(Box(dialog, "cbPart")->isEnabled());

    QAccessibleActionInterface *action =
        QAccessible::queryAccessibleInterface(Child<QRadioButton>(dialog, "rb2"))
            ->actionInterface();
    action->doAction(action->actionNames().value(0));
    EXPECT_TRUE(Box(dialog, "cbPart")->isEnabled() && !Box(dialog, "cbVEKT")->isEnabled());
    Pick(Box(dialog, "cbPart"), NoPart);
    PressOk(dialog);
    EXPECT_EQ(Boxes.Shown, QStringList{QStringLiteral("Необходимо выбрать раздел!")});
    Pick(Box(dialog, "cbPart"), QStringLiteral("5"));
    ConfirmOk(Boxes, dialog);
    EXPECT_EQ((std::tuple{indicator.Mode, indicator.Device, indicator.Shlf}),
              (std::tuple{TIndicator::ModePart, 5, 0}));
}

} // namespace
