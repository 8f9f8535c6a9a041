#include "ui/uMain.h"

#include "ui/uCfg.h"
#include "ui/uMessageBoxes.h"
#include "ui/uTuningLink.h"
#include "ui/uViewCfg.h"
#include "ui_uMain.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLayout>

TfmMain::TfmMain(TMessageBoxes &boxes, const TIniPath &iniPath, QWidget *parent)
    : QDialog(parent), FUi(std::make_unique<Ui::TfmMain>()), FBoxes(boxes), FIniPath(iniPath)
{
    FUi->setupUi(this);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    LinkSettings = LoadLinkSettings(FIniPath);
    OpenModeWindow = [this](bool realTime, const TOptnLink &link) {
        OpenModeWindowOf(realTime, link);
    };

    // The link is set up here for real-time mode only; the catalogue offers it for the other.
    connect(FUi->rb2, &QRadioButton::toggled, FUi->btLink, &QWidget::setEnabled);
    connect(FUi->btLink, &QPushButton::clicked, this, &TfmMain::btLinkClick);
    connect(FUi->btOK, &QPushButton::clicked, this, &TfmMain::btOKClick);
    connect(FUi->btExit, &QPushButton::clicked, this, &QDialog::reject);
    FUi->rb1->setFocus();
}

TfmMain::~TfmMain() = default;

void TfmMain::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        btOKClick();
        break;
    case Qt::Key_Escape:
        reject();
        break;
    default:
        QDialog::keyPressEvent(event);
    }
}

void TfmMain::btLinkClick() { EditLinkSettings(LinkSettings, FIniPath, FBoxes, this); }

void TfmMain::btOKClick()
{
    hide();
    OpenModeWindow(FUi->rb2->isChecked(), LinkSettings);
    show();
}

void TfmMain::OpenModeWindowOf(bool realTime, const TOptnLink &link)
{
    if (!realTime) {
        TfmViewCfg catalogue(FBoxes, FIniPath, link);
        catalogue.ExecModal();
        return;
    }
    TfmCfg editor(FBoxes);
    editor.IniPath = FIniPath;
    editor.LinkSettings = link;
    editor.ExecModal();
}
