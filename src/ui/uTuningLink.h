#pragma once

#include "link/uOptnLink.h"
#include "ui/uDialogFrame.h"

#include <QStringList>

#include <memory>

namespace Ui {
class TfmTuningLink;
}

// The dialog "Настройка связи": serial port or UDP, with the settings of each. On a confirmed
// change it stores the settings in section "Link" of the INI file itself.
class TfmTuningLink : public TDialogFrame {
    Q_OBJECT
public:
    // ports: the serial ports present on the machine, as the link opens them.
    TfmTuningLink(const TOptnLink &link, const TIniPath &ini, const QStringList &ports,
                  TMessageBoxes &boxes, QWidget *parent = nullptr);
    ~TfmTuningLink() override;

    const TOptnLink &Link() const { return FLink; }

protected:
    void OkClicked() override;

private:
    void FillPorts(const QStringList &ports);
    void ShowLinkType();

    std::unique_ptr<Ui::TfmTuningLink> FUi;
    TOptnLink FLink;
    TIniPath FIni;
};

// Opens the dialog on link with the machine's serial ports; true when it closed with OK, and
// then link holds the new settings.
bool EditLinkSettings(TOptnLink &link, const TIniPath &ini, TMessageBoxes &boxes, QWidget *parent);
