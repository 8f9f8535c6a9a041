#include "ui/uTuningKeyDB.h"

#include "model/uConfig.h"
#include "model/uNaming.h"
#include "ui/uMessageBoxes.h"
#include "ui_uTuningKeyDB.h"

#include <QLayout>

TfmTuningKeyDB::TfmTuningKeyDB(const TConfig &config, const QString &key, TMessageBoxes &boxes,
                               QWidget *parent)
    : TDialogFrame(boxes, parent), FUi(std::make_unique<Ui::TfmTuningKeyDB>()), FConfig(config),
      FKey(key)
{
    FUi->setupUi(this);
    FUi->edKeyDB->setText(FKey);
    SetUpFrame();
    // Unlike the settings dialogs, this one may be resized.
    layout()->setSizeConstraint(QLayout::SetDefaultConstraint);
}

TfmTuningKeyDB::~TfmTuningKeyDB() = default;

void TfmTuningKeyDB::OkClicked()
{
    const QString key = TrimControls(FUi->edKeyDB->text());
    QString refusal;
    if (key.isEmpty())
        refusal = QStringLiteral("Введите ключ БД!");
    else if (key != TrimControls(FKey) && FConfig.FindByKeyDB(key) != 0)
        refusal = QStringLiteral("Этот ключ БД присвоен другому устройству. Введите другой.");
    if (!refusal.isEmpty()) {
        Boxes.ShowMessage(refusal);
        FUi->edKeyDB->setFocus();
        return;
    }
    FKey = key;
    FinishAccepted();
}

bool EditKeyDBDialog(const TConfig &config, QString &key, TMessageBoxes &boxes, QWidget *parent)
{
    TfmTuningKeyDB dialog(config, key, boxes, parent);
    dialog.exec();
    if (dialog.IsAccepted())
        key = dialog.Key();
    return dialog.IsAccepted();
}
