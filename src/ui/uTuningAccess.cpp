#include "ui/uTuningAccess.h"

#include "model/uNaming.h"
#include "ui/uMessageBoxes.h"
#include "ui/uUiUtil.h"
#include "ui_uTuningAccess.h"

#include <QRegularExpression>
#include <QRegularExpressionValidator>

namespace {

// The key field of the data transfer group: four lines of eight zero bytes.
QString ZeroKeyText()
{
    const QString line = QStringList(8, QStringLiteral("00")).join(QStringLiteral(" - "));
    return QStringList(4, line).join(u'\n');
}

} // namespace

TfmTuningAccess::TfmTuningAccess(const TOptnAccess &access, TMessageBoxes &boxes, QWidget *parent)
    : TDialogFrame(boxes, parent), FUi(std::make_unique<Ui::TfmTuningAccess>()), FAccess(access)
{
    FUi->setupUi(this);
    // The module takes at most four decimal digits; pasted text is checked as typed text is.
    FUi->edPswrd->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{0,4}")), FUi->edPswrd));
    FUi->edPswrd->setText(FAccess.Password);
    SelectAllOnFocus(FUi->edPswrd);
    FUi->edPswrd->setFocus();
    FUi->mmCode->setPlainText(ZeroKeyText());
    SetUpFrame();
}

TfmTuningAccess::~TfmTuningAccess() = default;

void TfmTuningAccess::OkClicked()
{
    const QString password = TrimControls(FUi->edPswrd->text());
    if (password.isEmpty()) {
        Boxes.ShowMessage(QStringLiteral("Пароль не может быть пустым"));
        return;
    }
    FinishEdit(password != FAccess.Password, [this, &password] { FAccess.Password = password; });
}

bool EditAccess(TOptnAccess &access, TMessageBoxes &boxes, QWidget *parent)
{
    TfmTuningAccess dialog(access, boxes, parent);
    dialog.exec();
    if (dialog.IsAccepted())
        access = dialog.Access();
    return dialog.IsAccepted();
}
