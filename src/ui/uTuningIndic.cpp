#include "ui/uTuningIndic.h"

#include "model/uConfig.h"
#include "ui/uMessageBoxes.h"
#include "ui/uTuningPart.h"
#include "ui/uUiUtil.h"
#include "ui_uTuningIndic.h"

#include <tuple>

TfmTuningIndic::TfmTuningIndic(const TConfig &config, TIndicator &indicator, TMessageBoxes &boxes,
                               QWidget *parent)
    : TDialogFrame(boxes, parent), FUi(std::make_unique<Ui::TfmTuningIndic>()), FConfig(config),
      FIndicator(indicator)
{
    FUi->setupUi(this);
    const int part = FillPartBox(FUi->cbPart, config, FIndicator.Device);
    FUi->cbPart->setCurrentIndex(0);
    FUi->cbVEKT->addItems(config.BoundPanels());
    if (FUi->cbVEKT->count() > 0) {
        FUi->cbVEKT->setCurrentIndex(0);
        PanelChanged();
    }
    switch (FIndicator.Mode) {
    case TIndicator::ModePart:
        FUi->rb2->setChecked(true);
        FUi->cbPart->setCurrentIndex(part);
        break;
    case TIndicator::ModeShlf:
        FUi->rb3->setChecked(true);
        FUi->cbVEKT->setCurrentIndex(FUi->cbVEKT->findText(PaddedNumber(FIndicator.Device)));
        PanelChanged();
        FUi->cbShlf->setCurrentIndex(FUi->cbShlf->findText(PaddedNumber(FIndicator.Shlf, 2)));
        break;
    default:
        FUi->rb1->setChecked(true);
        break;
    }
    ModeChanged();

    // Toggled, not clicked: the accessibility bus's action on a radio button toggles it.
    for (QRadioButton *mode : {FUi->rb1, FUi->rb2, FUi->rb3})
        connect(mode, &QRadioButton::toggled, this, &TfmTuningIndic::ModeChanged);
    connect(FUi->cbVEKT, &QComboBox::currentIndexChanged, this, &TfmTuningIndic::PanelChanged);
    SetUpFrame();
}

TfmTuningIndic::~TfmTuningIndic() = default;

void TfmTuningIndic::ModeChanged()
{
    FUi->cbPart->setEnabled(FUi->rb2->isChecked());
    FUi->cbVEKT->setEnabled(FUi->rb3->isChecked());
    FUi->cbShlf->setEnabled(FUi->rb3->isChecked());
}

void TfmTuningIndic::PanelChanged()
{
    FUi->cbShlf->clear();
    FUi->cbShlf->addItems(FConfig.BoundLoops(NumberIn(FUi->cbVEKT)));
    if (FUi->cbShlf->count() > 0)
        FUi->cbShlf->setCurrentIndex(0);
}

void TfmTuningIndic::OkClicked()
{
    TIndicator edited;
    if (FUi->rb2->isChecked()) {
        edited.Mode = TIndicator::ModePart;
        edited.Device = PartOfBox(FUi->cbPart);
        if (edited.Device == 0) {
            Boxes.ShowMessage(QStringLiteral("Необходимо выбрать раздел!"));
            return;
        }
    } else if (FUi->rb3->isChecked()) {
        edited.Mode = TIndicator::ModeShlf;
        edited.Device = static_cast<std::uint8_t>(NumberIn(FUi->cbVEKT));
        if (edited.Device == 0) {
            Boxes.ShowMessage(QStringLiteral("Необходимо выбрать расширитель!"));
            return;
        }
        edited.Shlf = static_cast<std::uint8_t>(NumberIn(FUi->cbShlf));
    }
    const bool changed = std::tie(edited.Mode, edited.Device, edited.Shlf) !=
                         std::tie(FIndicator.Mode, FIndicator.Device, FIndicator.Shlf);
    FinishEdit(changed, [this, &edited] { FIndicator.Assign(edited); });
}

bool EditIndicatorDialog(const TConfig &config, TIndicator &indicator, TMessageBoxes &boxes,
                         QWidget *parent)
{
    TfmTuningIndic dialog(config, indicator, boxes, parent);
    dialog.exec();
    return dialog.IsAccepted();
}
