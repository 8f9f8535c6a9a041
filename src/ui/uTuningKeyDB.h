#pragma once

#include "ui/uDialogFrame.h"

#include <QString>

#include <memory>

namespace Ui {
class TfmTuningKeyDB;
}
class TConfig;

// The dialog "Введите ключ БД": the database key of a device or a partition, which no other
// device or partition may hold.
class TfmTuningKeyDB : public TDialogFrame {
    Q_OBJECT
public:
    TfmTuningKeyDB(const TConfig &config, const QString &key, TMessageBoxes &boxes,
                   QWidget *parent = nullptr);
    ~TfmTuningKeyDB() override;

    const QString &Key() const { return FKey; }

protected:
    void OkClicked() override;

private:
    std::unique_ptr<Ui::TfmTuningKeyDB> FUi;
    const TConfig &FConfig;
    QString FKey;
};

// The database key dialog: key in and out; true when the key typed was taken (the key passed in,
// kept as it was, included).
bool EditKeyDBDialog(const TConfig &config, QString &key, TMessageBoxes &boxes, QWidget *parent);
