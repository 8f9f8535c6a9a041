#include "ui/uDialogFrame.h"

#include "model/uNaming.h"
#include "ui/uMessageBoxes.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QKeyEvent>
#include <QLayout>
#include <QPushButton>

TDialogFrame::TDialogFrame(TMessageBoxes &boxes, QWidget *parent) : QDialog(parent), Boxes(boxes) {}

void TDialogFrame::SetUpFrame()
{
    if (auto *ok = findChild<QPushButton *>(QStringLiteral("btOK")))
        connect(ok, &QPushButton::clicked, this, [this] { OkClicked(); });
    if (auto *cancel = findChild<QPushButton *>(QStringLiteral("btCancel")))
        connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    // The dialog sees every key before its controls do.
    for (QWidget *w : findChildren<QWidget *>())
        w->installEventFilter(this);
    if (layout())
        layout()->setSizeConstraint(QLayout::SetFixedSize);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
}

bool TDialogFrame::eventFilter(QObject *watched, QEvent *event)
{
    // An open drop-down list keeps its own keys.
    if (event->type() != QEvent::KeyPress || QApplication::activePopupWidget())
        return QDialog::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent *>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        CommitTypedNumbers();
        OkClicked();
        return true;
    }
    if (key == Qt::Key_Escape) {
        reject();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

// A number box takes typed text when it loses the focus, which the ОК button's click brings
// about and Enter does not: taken here, a typed value is corrected in view before OK reads it.
void TDialogFrame::CommitTypedNumbers()
{
    for (QAbstractSpinBox *box : findChildren<QAbstractSpinBox *>())
        box->interpretText();
}

void TDialogFrame::FinishEdit(bool changed, const std::function<void()> &store)
{
    if (changed && ConfirmChange(Boxes)) {
        store();
        FinishAccepted();
        return;
    }
    reject();
}

void TDialogFrame::FinishAccepted()
{
    FAccepted = true;
    accept();
}
