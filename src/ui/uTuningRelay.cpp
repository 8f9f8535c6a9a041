#include "ui/uTuningRelay.h"

#include "model/uConfig.h"
#include "model/uNaming.h"
#include "ui/uMessageBoxes.h"
#include "ui/uTuningPart.h"
#include "ui/uUiUtil.h"
#include "ui_uTuningRelay.h"

#include <QSignalBlocker>

#include <initializer_list>
#include <tuple>

namespace {

bool SameSettings(const TRelay &a, const TRelay &b)
{
    return std::tie(a.Mode, a.Delay, a.Device, a.Shlf, a.TwoShlf) ==
           std::tie(b.Mode, b.Delay, b.Device, b.Shlf, b.TwoShlf);
}

} // namespace

TfmTuningRelay::TfmTuningRelay(const TConfig &config, TRelay &relay, TMessageBoxes &boxes,
                               QWidget *parent)
    : TDialogFrame(boxes, parent), FUi(std::make_unique<Ui::TfmTuningRelay>()), FConfig(config),
      FRelay(relay)
{
    FUi->setupUi(this);
    for (const char16_t *name : RelayModeNames)
        FUi->cbMode->addItem(QString::fromUtf16(name));
    FUi->cbMode->setCurrentIndex(FRelay.Mode);
    ModeChanged();
    FUi->sedDelay->setValue(FRelay.Delay);
    const int part = FillPartBox(FUi->cbPart, config, FRelay.Device);
    FUi->cbVEKT->addItems(config.FirePanels());
    if (FUi->cbVEKT->count() > 0) {
        FUi->cbVEKT->setCurrentIndex(0);
        PanelChanged();
    }
    if (FRelay.IsASPT()) {
        FUi->cbVEKT->setCurrentIndex(FUi->cbVEKT->findText(PaddedNumber(FRelay.Device)));
        PanelChanged();
        FUi->cbShlf->setCurrentIndex(FUi->cbShlf->findText(PaddedNumber(FRelay.Shlf, 2)));
        // The two-loop box follows the relay's own loop, not the first one of the list.
        LoopChanged();
    } else {
        FUi->cbPart->setCurrentIndex(part);
    }
    FUi->chb->setChecked(FRelay.TwoShlf != 0);

    connect(FUi->cbMode, &QComboBox::currentIndexChanged, this, &TfmTuningRelay::ModeChanged);
    connect(FUi->cbVEKT, &QComboBox::currentIndexChanged, this, &TfmTuningRelay::PanelChanged);
    connect(FUi->cbShlf, &QComboBox::currentIndexChanged, this, &TfmTuningRelay::LoopChanged);
    SetUpFrame();
}

TfmTuningRelay::~TfmTuningRelay() = default;

bool TfmTuningRelay::IsASPT() const { return FUi->cbMode->currentIndex() == TRelay::ModeASPT; }

int TfmTuningRelay::ChosenPanel() const { return NumberIn(FUi->cbVEKT); }

// "АСПТ" is driven by a panel's loop, every other mode by a partition.
void TfmTuningRelay::ModeChanged()
{
    const bool aspt = IsASPT();
    FUi->lbDevice->setText(aspt ? QStringLiteral("Расширитель:") : QStringLiteral("Раздел:"));
    FUi->lbDevice->setBuddy(aspt ? FUi->cbVEKT : FUi->cbPart);
    for (QWidget *loopWidget :
         std::initializer_list<QWidget *>{FUi->cbVEKT, FUi->lbShlf, FUi->cbShlf, FUi->chb})
        loopWidget->setVisible(aspt);
    FUi->cbPart->setVisible(!aspt);
    if (!aspt) {
        SelectQuietly(FUi->cbPart, FUi->cbPart->findText(NumToName(0)));
    } else if (FUi->cbVEKT->count() > 0) {
        SelectQuietly(FUi->cbVEKT, 0);
        PanelChanged();
    }
    TRelay shown;
    shown.Mode = static_cast<std::uint8_t>(FUi->cbMode->currentIndex());
    FUi->sedDelay->setEnabled(shown.HasDelay());
    if (!shown.HasDelay())
        FUi->sedDelay->setValue(0);
}

void TfmTuningRelay::PanelChanged()
{
    {
        const QSignalBlocker blocker(FUi->cbShlf);
        FUi->cbShlf->clear();
        FUi->cbShlf->addItems(FConfig.FireLoops(ChosenPanel()));
    }
    if (FUi->cbShlf->count() > 0) {
        SelectQuietly(FUi->cbShlf, 0);
        LoopChanged();
    }
}

// Triggering by two loops needs a fire loop as the chosen loop's pair partner.
void TfmTuningRelay::LoopChanged()
{
    const int loop = NumberIn(FUi->cbShlf);
    if (ChosenPanel() < 1 || loop < 1)
        return;
    const TDevice *device = FConfig.Device(ChosenPanel());
    const bool pairIsFire = device && device->AsVEKT() && device->AsVEKT()->PairIsFire(loop);
    FUi->chb->setEnabled(pairIsFire);
    if (!pairIsFire)
        FUi->chb->setChecked(false);
}

void TfmTuningRelay::OkClicked()
{
    TRelay edited;
    edited.Mode = static_cast<std::uint8_t>(FUi->cbMode->currentIndex());
    edited.Delay = static_cast<std::uint8_t>(FUi->sedDelay->value());
    if (!IsASPT()) {
        edited.Device = PartOfBox(FUi->cbPart);
        if (edited.Device == 0) {
            Boxes.ShowMessage(QStringLiteral("В данном режиме работы необходимо выбрать раздел!"));
            return;
        }
    } else {
        edited.Device = static_cast<std::uint8_t>(ChosenPanel());
        if (edited.Device == 0) {
            Boxes.ShowMessage(QStringLiteral("В данном режиме работы необходимо выбрать ВЕКТ!"));
            return;
        }
        edited.Shlf = static_cast<std::uint8_t>(NumberIn(FUi->cbShlf));
        edited.TwoShlf = FUi->chb->isChecked() ? 1 : 0;
    }
    // An undefined relay drives nothing; its partition was asked for all the same.
    if (edited.Mode == 0) {
        edited.Delay = 0;
        edited.Device = 0;
    }
    FinishEdit(!SameSettings(edited, FRelay), [this, &edited] { FRelay.Assign(edited); });
}

bool EditRelayDialog(const TConfig &config, TRelay &relay, TMessageBoxes &boxes, QWidget *parent)
{
    TfmTuningRelay dialog(config, relay, boxes, parent);
    dialog.exec();
    return dialog.IsAccepted();
}
