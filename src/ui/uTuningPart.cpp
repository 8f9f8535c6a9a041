#include "ui/uTuningPart.h"

#include "model/uConfig.h"
#include "model/uNaming.h"
#include "ui/uUiUtil.h"
#include "ui_uTuningPart.h"

#include <QSignalBlocker>

namespace {

QString AnyPart() { return NumToName(255); }

} // namespace

TfmTuningPart::TfmTuningPart(const TConfig &config, bool realTime, int number, TPart &part,
                             TMessageBoxes &boxes, QWidget *parent)
    : TDialogFrame(boxes, parent), FUi(std::make_unique<Ui::TfmTuningPart>()), FPart(part),
      FNumber(number), FExists(config.Part(number) != nullptr)
{
    FUi->setupUi(this);
    QStringList numbers;
    const int index = config.FillFreeParts(numbers, number);
    FUi->cbNum->addItems(numbers);
    FUi->cbNum->setCurrentIndex(index);
    FUi->cbNum->setEnabled(!(realTime && FExists));
    FUi->sedDelay->setValue(static_cast<int>(FPart.Delay));
    SetUpFrame();
}

TfmTuningPart::~TfmTuningPart() = default;

void TfmTuningPart::OkClicked()
{
    int number = 0;
    if (!TakeOfferedNumber(FUi->cbNum, number, Boxes))
        return;
    const auto delay = static_cast<unsigned>(FUi->sedDelay->value());
    const auto store = [this, number, delay] {
        FNumber = number;
        FPart.Delay = delay;
    };
    if (FExists) {
        FinishEdit(number != FNumber || delay != FPart.Delay, store);
        return;
    }
    store();
    FinishAccepted();
}

bool EditPart(const TConfig &config, bool realTime, int &number, TPart &part, TMessageBoxes &boxes,
              QWidget *parent)
{
    TfmTuningPart dialog(config, realTime, number, part, boxes, parent);
    dialog.exec();
    if (dialog.IsAccepted())
        number = dialog.Number();
    return dialog.IsAccepted();
}

int FillPartBox(QComboBox *box, const TConfig &config, std::uint8_t current)
{
    QStringList choices;
    const int index = config.FillPartChoices(choices, current);
    box->clear();
    box->addItems(choices);
    return index;
}

void RemoveAnyFromPartBox(QComboBox *box)
{
    const int any = box->findText(AnyPart());
    if (any < 0)
        return;
    const bool selected = box->currentIndex() == any;
    box->removeItem(any);
    if (selected) {
        box->setPlaceholderText(AnyPart());
        box->setCurrentIndex(-1);
    }
}

std::uint8_t PartOfBox(const QComboBox *box)
{
    if (box->currentIndex() < 0)
        return box->placeholderText() == AnyPart() ? 255 : 0;
    return NameToNum(box->currentText());
}

int NumberIn(const QComboBox *box) { return StrToIntDef(box->currentText(), 0); }

void SelectQuietly(QComboBox *box, int index)
{
    const QSignalBlocker blocker(box);
    box->setCurrentIndex(index);
}
