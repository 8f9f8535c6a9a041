#pragma once

#include <QDialog>
#include <QString>

#include <memory>

namespace Ui {
class TfmCreateDev;
}

// The dialog "Создание устройства": the model of a new device. The module is never offered, since
// a configuration holds exactly one, at address 1.
class TfmCreateDev : public QDialog {
    Q_OBJECT
public:
    explicit TfmCreateDev(QWidget *parent = nullptr);
    ~TfmCreateDev() override;

    QString Model() const;

private:
    std::unique_ptr<Ui::TfmCreateDev> FUi;
};

// The model of a new device, chosen in the "Создание устройства" dialog; empty when cancelled.
QString ChooseDeviceModel(QWidget *parent);
