#pragma once

#include "link/uOptnLink.h"
#include "ui/uDialogFrame.h"

#include <memory>

namespace Ui {
class TfmTuningAccess;
}

// The dialog "Настройка доступа": the access password the tool logs in to the communication
// module with. Its data transfer group is shown for information only.
class TfmTuningAccess : public TDialogFrame {
    Q_OBJECT
public:
    TfmTuningAccess(const TOptnAccess &access, TMessageBoxes &boxes, QWidget *parent = nullptr);
    ~TfmTuningAccess() override;

    const TOptnAccess &Access() const { return FAccess; }

protected:
    void OkClicked() override;

private:
    std::unique_ptr<Ui::TfmTuningAccess> FUi;
    TOptnAccess FAccess;
};

// Opens the dialog on access; true when it closed with OK, and then access holds the new
// password.
bool EditAccess(TOptnAccess &access, TMessageBoxes &boxes, QWidget *parent);
