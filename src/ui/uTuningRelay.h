#pragma once

#include "ui/uDialogFrame.h"

#include <memory>

class QWidget;
class TConfig;
class TMessageBoxes;
class TRelay;

namespace Ui {
class TfmTuningRelay;
}

// The dialog "Настройка реле": the mode of a relay, its delay and what drives it: a partition,
// or in mode "АСПТ" a fire loop of a control panel, optionally together with its pair partner.
class TfmTuningRelay : public TDialogFrame {
    Q_OBJECT
public:
    TfmTuningRelay(const TConfig &config, TRelay &relay, TMessageBoxes &boxes,
                   QWidget *parent = nullptr);
    ~TfmTuningRelay() override;

protected:
    void OkClicked() override;

private:
    bool IsASPT() const;
    int ChosenPanel() const;
    void ModeChanged();
    void PanelChanged();
    void LoopChanged();

    std::unique_ptr<Ui::TfmTuningRelay> FUi;
    const TConfig &FConfig;
    TRelay &FRelay;
};

// The relay dialog; true when accepted, and then the relay holds the input.
bool EditRelayDialog(const TConfig &config, TRelay &relay, TMessageBoxes &boxes, QWidget *parent);
