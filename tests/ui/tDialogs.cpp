// The link, SMS and access dialogs: what they show, what input they refuse, and what OK stores.

#include "link/uOptnLink.h"
#include "support/uTestSupport.h"
#include "uUiTestSupport.h"
#include "ui/uTuningAccess.h"
#include "ui/uTuningLink.h"
#include "ui/uTuningSMS.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

template <typename T> T *Child(const QWidget &dialog, const char *name)
{
    return dialog.findChild<T *>(QLatin1String(name));
}

void PressOk(const QWidget &dialog) { Child<QPushButton>(dialog, "btOK")->click(); }

// Pastes over the whole text, as a mouse and the context menu can.
void PasteOverAll(QLineEdit *edit, const QString &text)
{
    QApplication::clipboard()->setText(text);
    edit->selectAll();
    edit->paste();
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

TEST_F(TuningLink, UnchangedOkAndEscapeCloseAsCancelWithoutAskingOrWriting)
{
    const auto pressedOk = Open();
    PressOk(*pressedOk);
    const auto escaped = Open();
    QTest::keyClick(Child<QComboBox>(*escaped, "cbCOM"), Qt::Key_Escape);
    for (const TfmTuningLink *dialog : {pressedOk.get(), escaped.get()}) {
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_FALSE(dialog->IsAccepted());
        EXPECT_EQ(dialog->result(), QDialog::Rejected);
    }
    EXPECT_TRUE(Boxes.Asked.isEmpty());
    EXPECT_FALSE(QFile::exists(Ini));
}

TEST_F(TuningLink, StoredSpeedShowsAs57600AndIsSavedOnlyWhenConfirmed)
{
    Link.COMSpeed = 9600;
    Boxes.Answers = {false, true};
    for (const bool confirmed : {false, true}) {
        const auto dialog = Open();
        EXPECT_EQ(Child<QComboBox>(*dialog, "cbSpeed")->currentText(), QStringLiteral("57600"));
        PressOk(*dialog);
        EXPECT_EQ(dialog->IsAccepted(), confirmed);
        EXPECT_EQ(QFile::exists(Ini), confirmed);
    }
    EXPECT_EQ(Boxes.Asked.size(), 2);
    EXPECT_EQ(Saved().COMSpeed, 57600);
}

// The simulator's pseudo-terminal is never listed, and a machine may list no port at all.
TEST_F(TuningLink, UnlistedStoredPortStaysSelectedAndIsSavedUnchanged)
{
    Link.COMPort = QStringLiteral("/dev/pts/3");
    Link.COMSpeed = 9600; // so that OK saves
    for (const QStringList &ports : {QStringList{QStringLiteral("/dev/ttyS0")}, QStringList{}}) {
        Boxes.Answers = {true};
        const auto dialog = Open(ports);
        EXPECT_EQ(Child<QComboBox>(*dialog, "cbCOM")->currentText(), Link.COMPort);
        PressOk(*dialog);
        EXPECT_TRUE(dialog->IsAccepted());
        EXPECT_EQ(Saved().COMPort, Link.COMPort);
    }
}

TEST_F(TuningLink, UdpAddressIsCheckedAndStoredInNormalForm)
{
    Link.Type = 1;
    const auto dialog = Open();
    auto *ip = Child<QLineEdit>(*dialog, "edIP");
    ip->clear();
    QTest::keyClicks(ip, QStringLiteral("1a2.300"));
    EXPECT_EQ(ip->text(), QStringLiteral("12.30"));
    PressOk(*dialog);
    EXPECT_EQ(Boxes.Shown, QStringList{QStringLiteral("Неверный IP-адрес")});
    EXPECT_TRUE(Boxes.Asked.isEmpty());
    EXPECT_TRUE(dialog->isVisible());

    // Read as octal, "010" would be 8.
    ip->setText(QStringLiteral("192.168.001.010"));
    Boxes.Answers = {true};
    PressOk(*dialog);
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

TEST_F(TuningSMS, PlusBoxAndTextFollowEachOther)
{
    TfmTuningSMS dialog(Record, Boxes);
    auto *phone = Child<QLineEdit>(dialog, "edPhone");
    auto *plus = Child<QCheckBox>(dialog, "chbPlus");
    EXPECT_EQ(phone->text(), QStringLiteral("+79161234567"));
    EXPECT_TRUE(plus->isChecked());
    plus->click();
    EXPECT_EQ(phone->text(), QStringLiteral("79161234567"));
    plus->click();
    EXPECT_EQ(phone->text(), QStringLiteral("+79161234567"));
    PasteOverAll(phone, QStringLiteral("89161234567"));
    EXPECT_FALSE(plus->isChecked());
}

TEST_F(TuningSMS, NothingIsTypedDeletedOrPastedInFrontOfPlus)
{
    TfmTuningSMS dialog(Record, Boxes);
    dialog.show();
    auto *phone = Child<QLineEdit>(dialog, "edPhone");
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
}

TEST_F(TuningSMS, OkStoresOnlyAConfirmedChangeWithThePlusTakenFromTheText)
{
    TfmTuningSMS unchanged(Record, Boxes);
    PressOk(unchanged);
    EXPECT_FALSE(unchanged.IsAccepted());
    EXPECT_TRUE(Boxes.Asked.isEmpty());

    const auto confirmed = [this](const std::function<void(QLineEdit *)> &edit) {
        TfmTuningSMS dialog(Record, Boxes);
        Child<QComboBox>(dialog, "cbType")->setCurrentIndex(3);
        Child<QRadioButton>(dialog, "rb2")->setChecked(true);
        edit(Child<QLineEdit>(dialog, "edPhone"));
        Boxes.Answers = {true};
        PressOk(dialog);
        EXPECT_TRUE(dialog.IsAccepted());
        return dialog.Record();
    };
    const TSMS typed = confirmed([](QLineEdit *phone) {
        phone->end(false);
        QTest::keyClick(phone, Qt::Key_8);
    });
    EXPECT_EQ(typed.Type, 3u);
    EXPECT_EQ(typed.Phone, QStringLiteral("791612345678"));
    EXPECT_EQ(typed.Plus, 1u);
    EXPECT_EQ(typed.Code, 1u);
    // The whole number pasted over while the box was ticked: no digit is lost.
    const TSMS pasted =
        confirmed([](QLineEdit *phone) { PasteOverAll(phone, QStringLiteral("89161234567")); });
    EXPECT_EQ(pasted.Phone, QStringLiteral("89161234567"));
    EXPECT_EQ(pasted.Plus, 0u);
    EXPECT_EQ(Boxes.Asked.size(), 2);
}

TEST(TuningAccess, PasswordTakesAtMostFourDigits)
{
    TScriptedBoxes boxes;
    TfmTuningAccess dialog(TOptnAccess{}, boxes);
    dialog.show();
    auto *password = Child<QLineEdit>(dialog, "edPswrd");
    QTest::keyClicks(password, QStringLiteral("1a2b345"));
    EXPECT_EQ(password->text(), QStringLiteral("1234"));
}

TEST(TuningAccess, OkRefusesEmptyAndStoresOnlyAConfirmedChange)
{
    TScriptedBoxes boxes;
    const TOptnAccess access{QStringLiteral("1234")};
    TfmTuningAccess dialog(access, boxes);
    dialog.show();
    auto *password = Child<QLineEdit>(dialog, "edPswrd");
    password->clear();
    PressOk(dialog);
    EXPECT_EQ(boxes.Shown, QStringList{QStringLiteral("Пароль не может быть пустым")});
    EXPECT_TRUE(dialog.isVisible());
    password->setText(access.Password);
    PressOk(dialog);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(dialog.IsAccepted());
    EXPECT_TRUE(boxes.Asked.isEmpty());

    TfmTuningAccess changed(access, boxes);
    Child<QLineEdit>(changed, "edPswrd")->setText(QStringLiteral("12"));
    boxes.Answers = {true};
    PressOk(changed);
    EXPECT_TRUE(changed.IsAccepted());
    EXPECT_EQ(boxes.Asked.size(), 1);
    EXPECT_EQ(changed.Access().Password, QStringLiteral("12"));
}

} // namespace
