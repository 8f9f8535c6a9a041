#include "ui/uCreateDev.h"

#include "model/uKinds.h"
#include "ui_uCreateDev.h"

TfmCreateDev::TfmCreateDev(QWidget *parent)
    : QDialog(parent), FUi(std::make_unique<Ui::TfmCreateDev>())
{
    FUi->setupUi(this);
    for (const TKind &kind : Kinds)
        if (!IsCM(kind.Name))
            FUi->cbDev->addItem(QString::fromUtf16(kind.Name));
}

TfmCreateDev::~TfmCreateDev() = default;

QString TfmCreateDev::Model() const { return FUi->cbDev->currentText(); }

QString ChooseDeviceModel(QWidget *parent)
{
    TfmCreateDev dialog(parent);
    return dialog.exec() == QDialog::Accepted ? dialog.Model() : QString();
}
