#pragma once

#include "model/uPart.h"
#include "ui/uDialogFrame.h"

#include <memory>

namespace Ui {
class TfmTuningSMS;
}
class QKeyEvent;

// The dialog "Настройка SMS": message type, phone number with an optional leading "+" and text
// encoding of one SMS record of a partition.
class TfmTuningSMS : public TDialogFrame {
    Q_OBJECT
public:
    TfmTuningSMS(const TSMS &record, TMessageBoxes &boxes, QWidget *parent = nullptr);
    ~TfmTuningSMS() override;

    const TSMS &Record() const { return FRecord; }

protected:
    void OkClicked() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void MoveSelectionPastPlus();
    bool PhoneKeyDropped(const QKeyEvent &key) const;
    void PlusClicked(bool ticked);
    void ShowPlus();

    std::unique_ptr<Ui::TfmTuningSMS> FUi;
    TSMS FRecord;
};

// Opens the dialog on record; true when it closed with OK, and then record holds the new type,
// phone, plus flag and encoding (its change flag is left alone).
bool EditSMSDialog(TSMS &record, TMessageBoxes &boxes, QWidget *parent);
