// The device dialogs: the models offered, the checks at OK, the partition box and the mode
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

TEST_F(DeviceDialogs, NewDeviceNeedsAWholeIdentifierNoOtherDeviceHolds)
{
    const auto relay = NewDevice(QStringLiteral("БР-2"), {}, {}, {}, {}, 0);
    const auto dialog = Open<TfmTuningDev>(4, *relay);
    QLineEdit *id = Edit(*dialog, "edID");
    PressOk(*dialog);
    QTest::keyClicks(id, QStringLiteral("1234567890g1")); // the letter is dropped
    PressOk(*dialog);
    id->setText(PanelID.toLower());
    PressOk(*dialog);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(
        Boxes.Shown,
        QStringList(
            {QStringLiteral("Введите идентификатор!"), QStringLiteral("Введите идентификатор!"),
             QStringLiteral("Идентификатор присвоен другому устройству. Введите другой.")}));

    id->setText(QStringLiteral("0020ff78c534"));
    PressOk(*dialog);
    EXPECT_TRUE(dialog->IsAccepted());
    EXPECT_TRUE(Boxes.Asked.isEmpty());
    EXPECT_EQ(relay->ID, QStringLiteral("0020FF78C534"));
    EXPECT_EQ(dialog->Address(), 4);
}

// The device's own identifier is no conflict and a typed occupied address is refused; a change
// is asked about and stored only on Yes.
TEST_F(DeviceDialogs, EditRefusesATypedOccupiedAddressAndStoresOnlyOnYes)
{
    TDevice &panel = *Config.Device(2);
    const auto unchanged = Open<TfmTuningDev>(2, panel);
    Edit(*unchanged, "edID")->setText(PanelID);
    PressOk(*unchanged);
    EXPECT_FALSE(unchanged->isVisible() || unchanged->IsAccepted());

    const auto occupied = Open<TfmTuningDev>(2, panel);
    Edit(*occupied, "edID")->setText(QStringLiteral("000000000077"));
    Box(*occupied, "cbAddr")->setCurrentText(QStringLiteral("1"));
    PressOk(*occupied);
    EXPECT_EQ(Boxes.Shown, QStringList{QStringLiteral("Выберите номер из списка")});
    EXPECT_TRUE(Boxes.Asked.isEmpty());
    EXPECT_TRUE(occupied->isVisible());

    Boxes.Answers = {false, true};
    for (const bool confirmed : {false, true}) {
        const auto dialog = Open<TfmTuningDev>(2, panel);
        Edit(*dialog, "edID")->setText(QStringLiteral("000000000077"));
        Box(*dialog, "cbAddr")->setCurrentText(QStringLiteral("5"));
        PressOk(*dialog);
        EXPECT_EQ(dialog->IsAccepted(), confirmed);
        EXPECT_EQ(panel.ID, confirmed ? QStringLiteral("000000000077") : PanelID);
        EXPECT_EQ(dialog->Address(), confirmed ? 5 : 2);
    }
    EXPECT_EQ(Boxes.Asked.size(), 2);
    // Every real-time write names the module by its identifier: there it cannot be edited.
    EXPECT_TRUE(Edit(*Open<TfmTuningDev>(1, *Config.Device(1), true), "edID")->isReadOnly());
}

TEST_F(DeviceDialogs, IB8ModesWithoutAPartitionDropIt)
{
    TIndicDev &unit = *Put(4, QStringLiteral("ИБ-8")).AsIndicDev();
    unit.Mode = 2;
    unit.Part = 3;
    const auto dialog = Open<TfmTuningIB>(4, unit);
    QComboBox *part = Box(*dialog, "cbPart");
    Child<QRadioButton>(*dialog, "rb1")->click();
    EXPECT_EQ(part->currentText(), QStringLiteral("Нет"));
    EXPECT_FALSE(part->isEnabled());
    Child<QRadioButton>(*dialog, "rb3")->click();
    EXPECT_TRUE(part->isEnabled());
    PressOk(*dialog);
    EXPECT_EQ(Boxes.Shown, QStringList{QStringLiteral(
                               "В данном режиме работы необходимо выбрать привязку к разделу")});
    EXPECT_TRUE(dialog->isVisible());

    unit.Mode = 0;
    unit.Part = 0;
    EXPECT_FALSE(Box(*Open<TfmTuningIB>(4, unit), "cbPart")->isEnabled());
}

// A keypad is bound to one partition or to none, so "Любой" is never offered; a keypad bound
// to any partition (from a file or the module) stays so unless another is picked.
TEST_F(DeviceDialogs, KeypadBoundToAnyPartitionStaysSoUnlessAnotherIsPicked)
{
    TKP &keypad = *Put(4, QStringLiteral("КП")).AsKP();
    keypad.Part = 255;
    const auto untouched = Open<TfmTuningKP>(4, keypad);
    EXPECT_EQ(Items(Box(*untouched, "cbPart")), QStringLiteral("3|Нет"));
    EXPECT_EQ(Box(*untouched, "cbPart")->currentIndex(), -1);
    PressOk(*untouched);
    EXPECT_TRUE(Boxes.Asked.isEmpty());

    Boxes.Answers = {true};
    const auto dialog = Open<TfmTuningKP>(4, keypad);
    Child<QCheckBox>(*dialog, "chb1")->click();
    PressOk(*dialog);
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
