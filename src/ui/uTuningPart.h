#pragma once

#include "ui/uDialogFrame.h"

#include <cstdint>
#include <memory>

class QComboBox;
class QWidget;
class TConfig;
class TMessageBoxes;
class TPart;

namespace Ui {
class TfmTuningPart;
}

// The dialog "Настройка раздела": the number and the exit delay of a new or an existing
// partition. The number box offers the free numbers and the partition's own; in real-time mode
// an existing partition keeps its number.
class TfmTuningPart : public TDialogFrame {
    Q_OBJECT
public:
    TfmTuningPart(const TConfig &config, bool realTime, int number, TPart &part,
                  TMessageBoxes &boxes, QWidget *parent = nullptr);
    ~TfmTuningPart() override;

    int Number() const { return FNumber; }

protected:
    void OkClicked() override;

private:
    std::unique_ptr<Ui::TfmTuningPart> FUi;
    TPart &FPart;
    int FNumber;
    bool FExists;
};

// The partition dialog: number in and out (the new partition's proposed number, or the
// partition's own); true when accepted, and then the partition holds the input.
bool EditPart(const TConfig &config, bool realTime, int &number, TPart &part, TMessageBoxes &boxes,
              QWidget *parent);

// The choice boxes the object dialogs share.

// Fills a box with the container's partition choices; the index of the item that names
// current (a partition number, "Любой" for 255, "Нет" for 0). Nothing is selected.
int FillPartBox(QComboBox *box, const TConfig &config, std::uint8_t current);
// Takes "Любой" out of a box. When it was selected it stays shown, as the box's placeholder
// with no item selected, so that taking the item out does not change the reference.
void RemoveAnyFromPartBox(QComboBox *box);
// The partition reference a box names; 255 while the kept "Любой" is shown.
std::uint8_t PartOfBox(const QComboBox *box);
// The number a box shows (an address or a loop number); 0 when it shows none.
int NumberIn(const QComboBox *box);
// Selects an item without running the box's change rule: the dialogs apply their rules
// themselves, in the order their steps call for.
void SelectQuietly(QComboBox *box, int index);
