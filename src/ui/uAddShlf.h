#pragma once

#include "ui/uDialogFrame.h"

#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>

class QTreeWidgetItem;
class QWidget;
class TConfig;
class TMessageBoxes;

namespace Ui {
class TfmAddShlf;
}

// The dialog "Добавление шлейфов к разделу": lists the loops that belong to no partition and
// binds the chosen ones (double-clicked or selected) to the partition on OK.
class TfmAddShlf : public TDialogFrame {
    Q_OBJECT
public:
    // Writes one change in real-time mode: runs change (which binds and marks a loop), writes
    // it, and when that fails says so with the failure line; true when the module took it.
    using TWriteChange =
        std::function<bool(const std::function<void()> &change, const QString &failure)>;

    TfmAddShlf(TConfig &config, int number, bool realTime, TWriteChange writeChange,
               TMessageBoxes &boxes, QWidget *parent = nullptr);
    ~TfmAddShlf() override;

protected:
    void OkClicked() override;

private:
    void ChooseRow(QTreeWidgetItem *row);
    bool BindLoop(const QString &pair);

    std::unique_ptr<Ui::TfmAddShlf> FUi;
    TConfig &FConfig;
    std::uint8_t FNumber;
    bool FRealTime;
    TWriteChange FWriteChange;
    QStringList FChosen; // "address/loop" texts
};

// Binds loops that belong to no partition to partition number (1..127; any other: nothing is
// opened, false). In real-time mode each loop is written as it is bound, through writeChange;
// after a loop the module did not take, no further loop is bound. True when at least one loop
// was bound.
bool AddLoopsDialog(TConfig &config, int number, bool realTime,
                    const TfmAddShlf::TWriteChange &writeChange, TMessageBoxes &boxes,
                    QWidget *parent);
