#pragma once

#include "ui/uDialogFrame.h"

#include <memory>

class QWidget;
class TConfig;
class TMessageBoxes;
class TUser;

namespace Ui {
class TfmTuningUser;
}

// The dialog "Настройка пользователя": number, type, main and additional partition and the two
// passwords of a user. The administrator (user 111) can change only the passwords.
class TfmTuningUser : public TDialogFrame {
    Q_OBJECT
public:
    TfmTuningUser(const TConfig &config, bool realTime, int number, TUser &user,
                  TMessageBoxes &boxes, QWidget *parent = nullptr);
    ~TfmTuningUser() override;

    int Number() const { return FNumber; }

protected:
    void OkClicked() override;

private:
    void ShowTypeAndPartitions();
    void ShowAdministrator();
    void NumberChanged();
    bool IsAdministrator() const;
    void MainPartChanged();

    std::unique_ptr<Ui::TfmTuningUser> FUi;
    const TConfig &FConfig;
    TUser &FUser;
    int FNumber;
    bool FExists;
};

// The user dialog: number in and out; true when accepted, and then the user holds the input.
bool EditUser(const TConfig &config, bool realTime, int &number, TUser &user, TMessageBoxes &boxes,
              QWidget *parent);
