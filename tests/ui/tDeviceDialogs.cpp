// The device dialogs: the identifier and address checks at OK, the partition box and the mode
// rules, and the database key dialog.

#include "uUiTestSupport.h"
#include "ui/uTuningDev.h"
#include "ui/uTuningKeyDB.h"

namespace {

const QString PanelID = QStringLiteral("AABBCCDDEEFF");

// A module, a panel at address 2 holding PanelID and key "7", and partition 3 with key "9".
class DeviceDialogs : public testing::Test {
protected:
    DeviceDialogs()
    {
        Config.AddDevice(2, QStringLiteral("ВЕКТ-8"), PanelID, 0, {}, {}, QStringLiteral("7"));
        Config.PutPart(3, Config.CreatePart(0, QStringLiteral("9")));
    }

    // A device of the model at address, with the identifier its address gives.
    TDevice &Put(int address, const QString &model)
    {
        Config.AddDevice(address, model, QStringLiteral("00000000000%1").arg(address), 0, {}, {},
                         {});
        return *Config.Device(address);
    }

    // The dialog, shown so that its closing can be seen.
    template <typename D, typename Device>
    std::unique_ptr<D> Open(int address, Device &device, bool realTime = false)
    {
        auto dialog = std::make_unique<D>(Config, realTime, address, device, Boxes);
        dialog->show();
        return dialog;
    }

    TConfig Config;
    TScriptedBoxes Boxes;
};

// A new device needs a whole identifier no other device holds, and is stored unasked; an edited
// one keeps its own identifier, and a typed address another device holds is refused. In real
// time the module's identifier, by which every write names it, cannot be edited.
TEST_F(DeviceDialogs, IdentifierAndAddressAreChecked)
{
    const auto relay = NewDevice(QStringLiteral("БР-2"), {}, {}, {}, {}, 0);
    const auto fresh = Open<TfmTuningDev>(4, *relay);
    QLineEdit *id = Edit(*fresh, "edID");
    QTest::keyClicks(id, QStringLiteral("1234567890g1")); // the letter is dropped
    PressOk(*fresh);
    id->setText(PanelID.toLower());
    PressOk(*fresh);
    id->setText(QStringLiteral("0020ff78c534"));
    PressOk(*fresh);
    EXPECT_TRUE(fresh->IsAccepted());
    EXPECT_EQ(relay->ID, QStringLiteral("0020FF78C534"));

    const auto panel = Open<TfmTuningDev>(2, *Config.Device(2));
    Box(*panel, "cbAddr")->setCurrentText(QStringLiteral("1"));
    PressOk(*panel);
    Box(*panel, "cbAddr")->setCurrentText(QStringLiteral("5"));
    ConfirmOk(Boxes, *panel);
    EXPECT_TRUE(panel->IsAccepted());
    EXPECT_EQ(panel->Address(), 5);
    EXPECT_EQ(
        Boxes.Shown,
        QStringList({QStringLiteral("Введите идентификатор!"),
                     QStringLiteral("Идентификатор присвоен другому устройству. Введите другой."),
                     QStringLiteral("Выберите номер из списка")}));
    EXPECT_EQ(Boxes.Asked.size(), 1);
    EXPECT_TRUE(Edit(*Open<TfmTuningDev>(1, *Config.Device(1), true), "edID")->isReadOnly());
}

// An indication unit in a mode without a partition drops it; in one that shows a partition it
// needs one. A keypad is bound to one partition or to none, so "Любой" is never offered; one
// bound to any partition (from a file or the module) stays so unless another is picked.
TEST_F(DeviceDialogs, PartitionBoxFollowsTheMode)
{
    TIndicDev &unit = *Put(4, QStringLiteral("ИБ-8")).AsIndicDev();
    unit.Mode = 2;
    unit.Part = 3;
    const auto ib = Open<TfmTuningIB>(4, unit);
    Child<QRadioButton>(*ib, "rb1")->click();
    EXPECT_EQ(Box(*ib, "cbPart")->currentText(), QStringLiteral("Нет"));
    EXPECT_FALSE(Box(*ib, "cbPart")->isEnabled());
    Child<QRadioButton>(*ib, "rb3")->click();
    PressOk(*ib);
    EXPECT_EQ(Boxes.Shown, QStringList{QStringLiteral(
                               "В данном режиме работы необходимо выбрать привязку к разделу")});
    EXPECT_TRUE(ib->isVisible());

    TKP &keypad = *Put(5, QStringLiteral("КП")).AsKP();
    keypad.Part = 255;
    const auto untouched = Open<TfmTuningKP>(5, keypad);
    EXPECT_EQ(Items(Box(*untouched, "cbPart")), QStringLiteral("3|Нет"));
    PressOk(*untouched);
    EXPECT_TRUE(Boxes.Asked.isEmpty());
    const auto dialog = Open<TfmTuningKP>(5, keypad);
    Child<QCheckBox>(*dialog, "chb1")->click();
    ConfirmOk(Boxes, *dialog);
    EXPECT_TRUE(dialog->IsAccepted());
    EXPECT_EQ((std::tuple{keypad.SoundKeys(), keypad.Part}), (std::tuple{false, 255}));
}

TEST_F(DeviceDialogs, KeyDBIsRefusedWhenEmptyOrHeldElsewhere)
{
    TfmTuningKeyDB dialog(Config, QStringLiteral("7"), Boxes);
    dialog.show();
    QLineEdit *key = Edit(dialog, "edKeyDB");
    key->setText(QStringLiteral("9"));
    PressOk(dialog);
    key->clear();
    PressOk(dialog);
    EXPECT_EQ(
        Boxes.Shown,
        QStringList({QStringLiteral("Этот ключ БД присвоен другому устройству. Введите другой."),
                     QStringLiteral("Введите ключ БД!")}));
    EXPECT_TRUE(dialog.isVisible());
    key->setText(QStringLiteral(" 7 "));
    PressOk(dialog);
    EXPECT_TRUE(dialog.IsAccepted());
    EXPECT_EQ(dialog.Key(), QStringLiteral("7"));
}

} // namespace
