#pragma once

#include "ui/uDialogFrame.h"

#include <array>
#include <cstdint>
#include <memory>

class QCheckBox;
class QWidget;
class TConfig;
class TMessageBoxes;
class TShleif;

namespace Ui {
class TfmTuningShlf;
}

// The dialog "Настройка шлейфа": type, partition, delay and flags of an alarm loop. A loop
// without a partition is always "ИСКЛЮЧЁН", and a loop in a partition never is.
class TfmTuningShlf : public TDialogFrame {
    Q_OBJECT
public:
    TfmTuningShlf(TConfig &config, TShleif &loop, bool partFixed, bool fullTypes,
                  TMessageBoxes &boxes, QWidget *parent = nullptr);
    ~TfmTuningShlf() override;

protected:
    void OkClicked() override;

private:
    std::array<QCheckBox *, 3> FlagBoxes() const;
    std::uint8_t ShownType() const;
    void TypeChanged();
    void PartChanged();
    void DoubleChanged();

    std::unique_ptr<Ui::TfmTuningShlf> FUi;
    TConfig &FConfig;
    TShleif &FLoop;
    bool FPartFixed;
};

// The loop dialog. partFixed: opened from a partition, the loop stays in it; fullTypes: false
// for the loops of a "ВЕКТ-8 v4" panel. May unbind and mark deleted the partition the loop was
// the last of (after the user's Yes). True when accepted.
bool EditLoopDialog(TConfig &config, TShleif &loop, bool partFixed, bool fullTypes,
                    TMessageBoxes &boxes, QWidget *parent);
