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
    TfmAddShlf(TConfig &config, int number, bool realTime, std::function<bool()> writeChanges,
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
    std::function<bool()> FWriteChanges;
    QStringList FChosen; // "address/loop" texts
};

// Binds loops that belong to no partition to partition number (1..127; any other: nothing is
// opened, false). In real-time mode each loop is written as it is bound, through writeChanges
// (true when the module took it); a loop the module did not take is put back as it was.
// True when at least one loop was bound.
bool AddLoopsDialog(TConfig &config, int number, bool realTime,
                    const std::function<bool()> &writeChanges, TMessageBoxes &boxes,
                    QWidget *parent);
