#pragma once

#include "link/uOptnLink.h"
#include "storage/uIniFile.h"

#include <QDialog>

#include <functional>
#include <memory>

namespace Ui {
class TfmMain;
}
class TMessageBoxes;

// The start window: the program's main window, shown first; closing it ends the program. It
// reads the link settings and opens the window of the mode chosen, modally, hidden meanwhile.
class TfmMain : public QDialog {
    Q_OBJECT
public:
    TfmMain(TMessageBoxes &boxes, const TIniPath &iniPath, QWidget *parent = nullptr);
    ~TfmMain() override;

    TOptnLink LinkSettings;
    // Opens the window of a mode (false configuration, true real-time) with a copy of the link
    // settings and returns when it has closed; tests replace it.
    std::function<void(bool realTime, const TOptnLink &link)> OpenModeWindow;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void btOKClick();
    void btLinkClick();
    void OpenModeWindowOf(bool realTime, const TOptnLink &link);

    std::unique_ptr<Ui::TfmMain> FUi;
    TMessageBoxes &FBoxes;
    TIniPath FIniPath;
};
