#include "ui/uTuningDev.h"

#include "model/uConfig.h"
#include "model/uNaming.h"
#include "ui/uMessageBoxes.h"
#include "ui/uUiUtil.h"
#include "ui_uTuningDev.h"

#include <array>

namespace {

constexpr int IDLength = 12;

// Six pairs of hexadecimal digits, shown in upper case with "X" in unfilled positions. The
// mask drops every other character, typed or pasted.
const QString IDMask = QStringLiteral(">HH-HH-HH-HH-HH-HH;X");

// "Состояние раздела" and "Состояние ШС" show a partition; the other modes need none.
bool ModeNeedsPart(int mode) { return mode >= 2; }

std::array<QRadioButton *, 4> ModeButtons(const Ui::TfmTuningDev &form)
{
    return {form.rb0, form.rb1, form.rb2, form.rb3};
}

// The mode of the button chosen, 0 when none is.
int CheckedMode(const Ui::TfmTuningDev &form)
{
    const auto buttons = ModeButtons(form);
    for (int mode = 0; mode < static_cast<int>(buttons.size()); ++mode)
        if (buttons[mode]->isChecked())
            return mode;
    return 0;
}

// The dialog of the device's model.
std::unique_ptr<TfmTuningDev> NewTuningDialog(const TConfig &config, bool realTime, int address,
                                              TDevice &device, TMessageBoxes &boxes,
                                              QWidget *parent)
{
    if (TKP *keypad = device.AsKP())
        return std::make_unique<TfmTuningKP>(config, realTime, address, *keypad, boxes, parent);
    if (TIndicDev *unit = device.AsIndicDev()) {
        if (IsIB8(device.Type))
            return std::make_unique<TfmTuningIB>(config, realTime, address, *unit, boxes, parent);
        return std::make_unique<TfmTuningVMS>(config, realTime, address, *unit, boxes, parent);
    }
    return std::make_unique<TfmTuningDev>(config, realTime, address, device, boxes, parent);
}

} // namespace

TfmTuningDev::TfmTuningDev(const TConfig &config, bool realTime, int address, TDevice &device,
                           TMessageBoxes &boxes, QWidget *parent)
    : TDialogFrame(boxes, parent), FUi(std::make_unique<Ui::TfmTuningDev>()), FConfig(config),
      FDevice(device), FAddress(address)
{
    FUi->setupUi(this);
    setWindowTitle(QStringLiteral("Настройка ") + device.Type);
    FUi->gbDev->setTitle(device.Type);

    QStringList addresses;
    const int index = config.FillFreeAddresses(addresses, address);
    FUi->cbAddr->addItems(addresses);
    FUi->cbAddr->setCurrentIndex(index);
    // The module stays at address 1.
    FUi->cbAddr->setEnabled(!device.IsCM());

    FUi->edID->setInputMask(IDMask);
    // A shorter stored identifier means the same device widened with leading zeros.
    if (!device.ID.isEmpty())
        FUi->edID->setText(PadLeft(TrimControls(device.ID), u'0', IDLength));
    FShownID = IDDigits();
    // In real-time mode every write first identifies the module by this identifier; a changed
    // one would make each of them fail with a mismatch.
    FUi->edID->setReadOnly(realTime && device.IsCM());
    SetUpFrame();
}

TfmTuningDev::~TfmTuningDev() = default;

// The digits typed; the edit's text keeps the separators but not the unfilled positions.
QString TfmTuningDev::IDDigits() const { return FUi->edID->text().remove(u'-'); }

void TfmTuningDev::OkClicked()
{
    QString id;
    int address = 0;
    if (!TakeID(id) || !TakeOfferedNumber(FUi->cbAddr, address, Boxes) || !TakeFields())
        return;
    const auto store = [this, &id, address] {
        FDevice.ID = id;
        StoreFields();
        FAddress = address;
    };
    if (FConfig.Device(FAddress) == nullptr) { // a device being added
        store();
        FinishAccepted();
        return;
    }
    FinishEdit(address != FAddress || id != FShownID || FieldsChanged(), store);
}

bool TfmTuningDev::TakeID(QString &id)
{
    id = IDDigits();
    QString refusal;
    if (id.size() != IDLength) {
        refusal = QStringLiteral("Введите идентификатор!");
    } else {
        const int holder = FConfig.FindDeviceByID(id);
        if (holder != 0 && holder != FAddress)
            refusal = QStringLiteral("Идентификатор присвоен другому устройству. Введите другой.");
    }
    if (refusal.isEmpty())
        return true;
    Boxes.ShowMessage(refusal);
    FUi->edID->setFocus();
    return false;
}

void TfmTuningDev::ShowPart(std::uint8_t part)
{
    QStringList items;
    const int index = FConfig.FillPartChoices(items, part);
    const QString shown = items.at(index);
    // A device is bound to one partition or to none, never to any.
    const QString any = NumToName(255);
    items.removeOne(any);
    FUi->cbPart->addItems(items);
    // A reference to any partition (from a file or the module) has no item: the box shows no
    // choice, and the reference stays until another item is picked.
    FUi->cbPart->setCurrentIndex(static_cast<int>(items.indexOf(shown)));
    if (shown == any)
        FUi->cbPart->lineEdit()->setPlaceholderText(any);
    FShownPart = part;
}

bool TfmTuningDev::TakePart(std::uint8_t &part)
{
    QComboBox *box = FUi->cbPart;
    if (box->currentIndex() < 0 && box->currentText().trimmed().isEmpty()) {
        part = FShownPart;
        return true;
    }
    int number = 0;
    if (!TakeOfferedNumber(box, number, Boxes))
        return false;
    part = NameToNum(box->currentText()); // "Нет" as well as a number
    return true;
}

TfmTuningKP::TfmTuningKP(const TConfig &config, bool realTime, int address, TKP &device,
                         TMessageBoxes &boxes, QWidget *parent)
    : TfmTuningDev(config, realTime, address, device, boxes, parent), FKP(device),
      FPart(device.Part)
{
    ShowPart(device.Part);
    FUi->chb1->setChecked(device.SoundKeys());
    FUi->chb2->setChecked(device.SoundArm());
    FUi->gbPart->show();
    FUi->gbSoundKP->show();
}

bool TfmTuningKP::TakeFields() { return TakePart(FPart); }

bool TfmTuningKP::FieldsChanged() const
{
    return FPart != FKP.Part || FUi->chb1->isChecked() != FKP.SoundKeys() ||
           FUi->chb2->isChecked() != FKP.SoundArm();
}

void TfmTuningKP::StoreFields()
{
    FKP.SetSound(FUi->chb1->isChecked(), FUi->chb2->isChecked());
    FKP.Part = FPart;
}

TfmTuningVMS::TfmTuningVMS(const TConfig &config, bool realTime, int address, TIndicDev &device,
                           TMessageBoxes &boxes, QWidget *parent)
    : TfmTuningVMS(config, realTime, address, device, true, boxes, parent)
{
}

TfmTuningVMS::TfmTuningVMS(const TConfig &config, bool realTime, int address, TIndicDev &device,
                           bool withSound, TMessageBoxes &boxes, QWidget *parent)
    : TfmTuningDev(config, realTime, address, device, boxes, parent), FUnit(device),
      FWithSound(withSound), FPart(device.Part)
{
    ShowPart(device.Part);
    FUi->chbSound->setChecked((device.Sound & 1) != 0);
    FUi->gbPart->show();
    FUi->gbSoundVMS->setVisible(withSound);
    FUi->gbMode->show();
    const auto buttons = ModeButtons(*FUi);
    if (device.Mode < buttons.size())
        buttons[device.Mode]->setChecked(true);
    // The box opens as the stored mode asks, but keeps the stored partition: opening a device
    // and pressing OK changes nothing.
    EnablePartFor(device.Mode);
    for (int mode = 0; mode < static_cast<int>(buttons.size()); ++mode)
        connect(buttons[mode], &QRadioButton::toggled, this, [this, mode](bool checked) {
            if (checked)
                ModeChosen(mode);
        });
}

void TfmTuningVMS::ModeChosen(int mode) { EnablePartFor(mode); }

// "ИБ-40" and "ИБ-8" take a partition only in the modes that show one; "ВМС-8" and "ВМС-16"
// always take one.
void TfmTuningVMS::EnablePartFor(int mode)
{
    if (IsIB8(FUnit.Type) || FUnit.Type == u"ИБ-40")
        FUi->cbPart->setEnabled(ModeNeedsPart(mode));
}

bool TfmTuningVMS::TakeFields()
{
    if (!TakePart(FPart))
        return false;
    if (ModeNeedsPart(CheckedMode(*FUi)) && FPart == 0) {
        Boxes.ShowMessage(
            QStringLiteral("В данном режиме работы необходимо выбрать привязку к разделу"));
        return false;
    }
    return true;
}

bool TfmTuningVMS::FieldsChanged() const
{
    return FPart != FUnit.Part || CheckedMode(*FUi) != FUnit.Mode ||
           (FWithSound && FUi->chbSound->isChecked() != ((FUnit.Sound & 1) != 0));
}

void TfmTuningVMS::StoreFields()
{
    FUnit.Part = FPart;
    FUnit.Mode = static_cast<std::uint8_t>(CheckedMode(*FUi));
    if (FWithSound)
        FUnit.Sound = FUi->chbSound->isChecked() ? 1 : 0;
}

TfmTuningIB::TfmTuningIB(const TConfig &config, bool realTime, int address, TIndicDev &device,
                         TMessageBoxes &boxes, QWidget *parent)
    : TfmTuningVMS(config, realTime, address, device, false, boxes, parent)
{
}

void TfmTuningIB::ModeChosen(int mode)
{
    TfmTuningVMS::ModeChosen(mode);
    if (!ModeNeedsPart(mode))
        FUi->cbPart->setCurrentIndex(FUi->cbPart->findText(NumToName(0)));
}

bool EditDevice(const TConfig &config, bool realTime, int &address, TDevice &device,
                TMessageBoxes &boxes, QWidget *parent)
{
    const auto dialog = NewTuningDialog(config, realTime, address, device, boxes, parent);
    dialog->exec();
    if (dialog->IsAccepted())
        address = dialog->Address();
    return dialog->IsAccepted();
}
