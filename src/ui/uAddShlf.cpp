#include "ui/uAddShlf.h"

#include "model/uConfig.h"
#include "model/uNaming.h"
#include "ui/uMessageBoxes.h"
#include "ui_uAddShlf.h"

namespace {

// The column of the "РС/ШС" texts.
constexpr int PairColumn = 1;

} // namespace

TfmAddShlf::TfmAddShlf(TConfig &config, int number, bool realTime, TWriteChange writeChange,
                       TMessageBoxes &boxes, QWidget *parent)
    : TDialogFrame(boxes, parent), FUi(std::make_unique<Ui::TfmAddShlf>()), FConfig(config),
      FNumber(static_cast<std::uint8_t>(number)), FRealTime(realTime),
      FWriteChange(std::move(writeChange))
{
    FUi->setupUi(this);
    for (const TLoopRow &row : FConfig.FillLoopsOfPart(0))
        new QTreeWidgetItem(FUi->lvShlf, {row.Caption, row.Pair, row.TypeName, row.Delay});
    connect(FUi->lvShlf, &QTreeWidget::itemDoubleClicked, this, &TfmAddShlf::ChooseRow);
    SetUpFrame();
}

TfmAddShlf::~TfmAddShlf() = default;

// A double-clicked loop is chosen and leaves the list, so that it cannot be chosen twice.
void TfmAddShlf::ChooseRow(QTreeWidgetItem *row)
{
    FChosen.append(row->text(PairColumn));
    // The item taken out of the list is freed here.
    const std::unique_ptr<QTreeWidgetItem> taken(
        FUi->lvShlf->takeTopLevelItem(FUi->lvShlf->indexOfTopLevelItem(row)));
}

void TfmAddShlf::OkClicked()
{
    for (int i = 0; i < FUi->lvShlf->topLevelItemCount(); ++i)
        if (const QTreeWidgetItem *row = FUi->lvShlf->topLevelItem(i); row->isSelected())
            FChosen.append(row->text(PairColumn));
    if (FChosen.isEmpty()) {
        Boxes.ShowMessage(QStringLiteral("В разделе должно быть не меньше одного шлейфа"));
        return;
    }
    // In real-time mode a loop the module did not take is not bound, and the rest are left.
    bool bound = false;
    for (const QString &pair : std::as_const(FChosen)) {
        if (BindLoop(pair))
            bound = true;
        else if (FRealTime)
            break;
    }
    if (bound)
        FinishAccepted();
    else
        reject();
}

// Binds one loop; in real-time mode also writes it. True when it stays bound.
bool TfmAddShlf::BindLoop(const QString &pair)
{
    std::uint8_t address = 0;
    std::uint8_t number = 0;
    if (!ParsePair(pair, address, number))
        return false;
    TDevice *device = FConfig.Device(address);
    TShleif *loop = device && device->AsVEKT() ? device->AsVEKT()->Loop(number) : nullptr;
    if (!loop)
        return false;
    const auto bind = [loop, this] {
        loop->SetPart(FNumber);
        loop->Changed = true;
    };
    if (!FRealTime) {
        bind();
        return true;
    }
    // A write that fails settles the configuration itself: the loop is not touched after it.
    return FWriteChange(bind, QStringLiteral("Не удалось записать настройки шлейфа №") +
                                  QString::number(number) + QStringLiteral(" СА: ") +
                                  QString::number(address));
}

bool AddLoopsDialog(TConfig &config, int number, bool realTime,
                    const TfmAddShlf::TWriteChange &writeChange, TMessageBoxes &boxes,
                    QWidget *parent)
{
    if (number < 1 || number > TConfig::MaxPart)
        return false;
    TfmAddShlf dialog(config, number, realTime, writeChange, boxes, parent);
    dialog.exec();
    return dialog.IsAccepted();
}
