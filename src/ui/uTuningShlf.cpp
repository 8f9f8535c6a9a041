#include "ui/uTuningShlf.h"

#include "model/uConfig.h"
#include "model/uNaming.h"
#include "ui/uMessageBoxes.h"
#include "ui/uTuningPart.h"
#include "ui/uUiUtil.h"
#include "ui_uTuningShlf.h"

#include <tuple>

namespace {

constexpr int Excluded = 0;  // "ИСКЛЮЧЁН"
constexpr int FireType1 = 1; // "ПОЖАРНЫЙ ТИП1"
// "ПОЖАРНЫЙ ТИП2", "ПОЖАРНЫЙ ТИП3" and "ТЕХНОЛОГИЧЕСКИЙ", which a "ВЕКТ-8 v4" does not have.
constexpr int TypesOnlyInFullList = 3;

bool IsSecurity(int type) { return type == 2 || type == 3; }

QString LastLoopQuestion(int part)
{
    const QString number = QString::number(part);
    return QStringLiteral("У раздела №") + number +
           QStringLiteral(" это последний шлейф. Привязка шлейфа к другому разделу приведёт к "
                          "удалению раздела №") +
           number + QStringLiteral(". Вы действительно хотите сделать привязку к другому разделу?");
}

bool SameSettings(const TShleif &a, const TShleif &b)
{
    return std::tie(a.Type, a.Delay, a.Flags, a.Part) == std::tie(b.Type, b.Delay, b.Flags, b.Part);
}

} // namespace

TfmTuningShlf::TfmTuningShlf(TConfig &config, TShleif &loop, bool partFixed, bool fullTypes,
                             TMessageBoxes &boxes, QWidget *parent)
    : TDialogFrame(boxes, parent), FUi(std::make_unique<Ui::TfmTuningShlf>()), FConfig(config),
      FLoop(loop), FPartFixed(partFixed)
{
    FUi->setupUi(this);
    for (const char16_t *name : ShleifTypeNames)
        FUi->cbType->addItem(QString::fromUtf16(name));
    FUi->cbPart->setEnabled(!partFixed);
    if (!fullTypes) {
        for (int i = 0; i < TypesOnlyInFullList; ++i)
            FUi->cbType->removeItem(FUi->cbType->count() - 1);
        FUi->gbFlags->hide();
    }
    SelectOrShowName(FUi->cbType, FLoop.Type, FLoop.TypeName());
    TypeChanged();
    const auto flagBoxes = FlagBoxes();
    for (std::size_t i = 0; i < flagBoxes.size(); ++i)
        if ((FLoop.Flags & (1U << i)) != 0)
            flagBoxes[i]->setChecked(true);
    if (FUi->chb2->isChecked())
        DoubleChanged();
    FUi->sedDelay->setValue(FLoop.Delay);
    FUi->cbPart->setCurrentIndex(FillPartBox(FUi->cbPart, config, FLoop.Part));
    RemoveAnyFromPartBox(FUi->cbPart);
    PartChanged();

    connect(FUi->cbType, &QComboBox::currentIndexChanged, this, &TfmTuningShlf::TypeChanged);
    connect(FUi->cbPart, &QComboBox::currentIndexChanged, this, &TfmTuningShlf::PartChanged);
    connect(FUi->chb2, &QCheckBox::toggled, this, &TfmTuningShlf::DoubleChanged);
    SetUpFrame();
}

TfmTuningShlf::~TfmTuningShlf() = default;

// The boxes of flag values 1, 2 and 4.
std::array<QCheckBox *, 3> TfmTuningShlf::FlagBoxes() const
{
    return {FUi->chb1, FUi->chb2, FUi->chb3};
}

// The type picked, or the loop's own while the list does not offer it (a "ВЕКТ-8 v4" loop of a
// type of the full list).
std::uint8_t TfmTuningShlf::ShownType() const
{
    return static_cast<std::uint8_t>(PickedOr(FUi->cbType, FLoop.Type));
}

// The type decides which flags and whether a delay apply; their ticks and value are kept.
void TfmTuningShlf::TypeChanged()
{
    for (QCheckBox *box : FlagBoxes())
        box->setEnabled(false);
    if (ShownType() == Excluded) {
        if (FPartFixed) {
            SelectQuietly(FUi->cbType, FireType1);
        } else {
            SelectQuietly(FUi->cbPart, FUi->cbPart->findText(NumToName(0)));
            PartChanged();
        }
    }
    TShleif shown;
    shown.Type = ShownType();
    const bool delay = shown.HasDelay();
    FUi->sedDelay->setEnabled(delay);
    if (!delay)
        FUi->sedDelay->setValue(0);
    FUi->chb1->setEnabled(shown.IsFire());
    FUi->chb2->setEnabled(shown.IsFire());
    FUi->chb3->setEnabled(IsSecurity(shown.Type));
}

void TfmTuningShlf::PartChanged()
{
    const bool none = PartOfBox(FUi->cbPart) == 0;
    FUi->cbType->setEnabled(!none);
    const bool excluded = ShownType() == Excluded;
    if (none != excluded) {
        SelectQuietly(FUi->cbType, none ? Excluded : FireType1);
        TypeChanged();
    }
}

// A loop that must trigger twice has no delay.
void TfmTuningShlf::DoubleChanged()
{
    const bool ticked = FUi->chb2->isChecked();
    if (ticked)
        FUi->sedDelay->setValue(0);
    FUi->sedDelay->setEnabled(!ticked);
}

void TfmTuningShlf::OkClicked()
{
    TShleif edited;
    edited.Type = ShownType();
    edited.Delay = static_cast<std::uint8_t>(FUi->sedDelay->value());
    edited.Part = PartOfBox(FUi->cbPart);
    const auto flagBoxes = FlagBoxes();
    for (std::size_t i = 0; i < flagBoxes.size(); ++i)
        if (flagBoxes[i]->isChecked())
            edited.Flags |= static_cast<std::uint8_t>(1U << i);
    if (!SameSettings(edited, FLoop) && !ConfirmChange(Boxes)) {
        reject();
        return;
    }
    const std::uint8_t left = FLoop.Part;
    const bool lastLoop =
        edited.Part != left && FConfig.Part(left) && FConfig.CountLoopsOfPart(left) < 2;
    if (lastLoop && !Boxes.AskYesNo(LastLoopQuestion(left), QStringLiteral("Внимание")))
        return;
    // Stored before the partition is unbound, so that the relays and indicators on this loop,
    // which is in a partition again, stay.
    FLoop.Assign(edited);
    if (lastLoop)
        FConfig.UnbindPartition(left);
    FinishAccepted();
}

bool EditLoopDialog(TConfig &config, TShleif &loop, bool partFixed, bool fullTypes,
                    TMessageBoxes &boxes, QWidget *parent)
{
    TfmTuningShlf dialog(config, loop, partFixed, fullTypes, boxes, parent);
    dialog.exec();
    return dialog.IsAccepted();
}
