#pragma once

#include "ui/uDialogFrame.h"

#include <QString>

#include <cstdint>
#include <memory>

namespace Ui {
class TfmTuningDev;
}
class QWidget;
class TConfig;
class TDevice;
class TIndicDev;
class TKP;
class TMessageBoxes;

// The settings dialog of a device: its network address and identifier. The keypad and the
// indicator units add their own groups to the same form. The dialog checks the input against the
// configuration and changes the device in place only when the input is accepted; a device that
// does not stand at the dialog's address yet (one being added) is accepted without a question.
class TfmTuningDev : public TDialogFrame {
    Q_OBJECT
public:
    // address: the device's address, or for a new device the address proposed.
    TfmTuningDev(const TConfig &config, bool realTime, int address, TDevice &device,
                 TMessageBoxes &boxes, QWidget *parent = nullptr);
    ~TfmTuningDev() override;

    // The address chosen, once the input was accepted.
    int Address() const { return FAddress; }

protected:
    void OkClicked() final;

    // The dialog's own fields. TakeFields reads them and checks them, false after a message;
    // FieldsChanged compares what it read with the device; StoreFields writes it to the device.
    virtual bool TakeFields() { return true; }
    virtual bool FieldsChanged() const { return false; }
    virtual void StoreFields() {}

    // Shows the partition box, offering the partitions and "Нет", with the reference part.
    void ShowPart(std::uint8_t part);
    // The partition chosen, or the one shown while nothing is chosen (a reference to any
    // partition has no item); false after a message.
    bool TakePart(std::uint8_t &part);

    std::unique_ptr<Ui::TfmTuningDev> FUi;

private:
    QString IDDigits() const;
    bool TakeID(QString &id);

    const TConfig &FConfig;
    TDevice &FDevice;
    int FAddress;
    QString FShownID;
    std::uint8_t FShownPart = 0;
};

// "КП": the partition it belongs to and when it sounds.
class TfmTuningKP : public TfmTuningDev {
    Q_OBJECT
public:
    TfmTuningKP(const TConfig &config, bool realTime, int address, TKP &device,
                TMessageBoxes &boxes, QWidget *parent = nullptr);

protected:
    bool TakeFields() override;
    bool FieldsChanged() const override;
    void StoreFields() override;

private:
    TKP &FKP;
    std::uint8_t FPart;
};

// "ВМС-8", "ВМС-16" and "ИБ-40": partition, operating mode and the arming sound.
class TfmTuningVMS : public TfmTuningDev {
    Q_OBJECT
public:
    TfmTuningVMS(const TConfig &config, bool realTime, int address, TIndicDev &device,
                 TMessageBoxes &boxes, QWidget *parent = nullptr);

protected:
    TfmTuningVMS(const TConfig &config, bool realTime, int address, TIndicDev &device,
                 bool withSound, TMessageBoxes &boxes, QWidget *parent);

    // A mode button was chosen.
    virtual void ModeChosen(int mode);

    bool TakeFields() override;
    bool FieldsChanged() const override;
    void StoreFields() override;

private:
    // Enables the partition box as the mode asks.
    void EnablePartFor(int mode);

    TIndicDev &FUnit;
    const bool FWithSound;
    std::uint8_t FPart;
};

// "ИБ-8": partition and operating mode, no sound; a mode without a partition drops it.
class TfmTuningIB : public TfmTuningVMS {
    Q_OBJECT
public:
    TfmTuningIB(const TConfig &config, bool realTime, int address, TIndicDev &device,
                TMessageBoxes &boxes, QWidget *parent = nullptr);

protected:
    void ModeChosen(int mode) override;
};

// Opens the settings dialog of the device's model on it. address is the device's address (for a
// new device, the address proposed) and takes the address chosen; true when the input was
// accepted, and then the device holds it. In real-time mode the module's identifier is locked.
bool EditDevice(const TConfig &config, bool realTime, int &address, TDevice &device,
                TMessageBoxes &boxes, QWidget *parent);
