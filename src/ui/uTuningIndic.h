#pragma once

#include "ui/uDialogFrame.h"

#include <memory>

class QWidget;
class TConfig;
class TIndicator;
class TMessageBoxes;

namespace Ui {
class TfmTuningIndic;
}

// The dialog "Настройка индикатора": what an indicator of an indication unit shows: nothing,
// the state of a partition, or the state of a bound loop of a control panel.
class TfmTuningIndic : public TDialogFrame {
    Q_OBJECT
public:
    TfmTuningIndic(const TConfig &config, TIndicator &indicator, TMessageBoxes &boxes,
                   QWidget *parent = nullptr);
    ~TfmTuningIndic() override;

protected:
    void OkClicked() override;

private:
    void ModeChanged();
    void PanelChanged();

    std::unique_ptr<Ui::TfmTuningIndic> FUi;
    const TConfig &FConfig;
    TIndicator &FIndicator;
};

// The indicator dialog; true when accepted, and then the indicator holds the input.
bool EditIndicatorDialog(const TConfig &config, TIndicator &indicator, TMessageBoxes &boxes,
                         QWidget *parent);
