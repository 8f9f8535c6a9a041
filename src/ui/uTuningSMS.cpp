#include "ui/uTuningSMS.h"

#include "model/uNaming.h"
#include "ui/uUiUtil.h"
#include "ui_uTuningSMS.h"

#include <QKeyEvent>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

#include <algorithm>

namespace {

const QChar Plus = u'+';

bool SameSettings(const TSMS &a, const TSMS &b)
{
    return a.Type == b.Type && a.Phone == b.Phone && a.Plus == b.Plus && a.Code == b.Code;
}

} // namespace

TfmTuningSMS::TfmTuningSMS(const TSMS &record, TMessageBoxes &boxes, QWidget *parent)
    : TDialogFrame(boxes, parent), FUi(std::make_unique<Ui::TfmTuningSMS>()), FRecord(record)
{
    FUi->setupUi(this);
    for (const char16_t *name : SMSTypeNames)
        FUi->cbType->addItem(QString::fromUtf16(name));
    SelectOrShowName(FUi->cbType, static_cast<int>(FRecord.Type), FRecord.TypeName());
    // Digits behind an optional "+": pasted and dropped text is checked as typed text is.
    FUi->edPhone->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral(R"(\+?[0-9]*)")), FUi->edPhone));
    const QString phone = FRecord.Plus != 0 ? Plus + FRecord.Phone : FRecord.Phone;
    // A longer number from the module or a file is shown whole, not cut to what may be typed.
    FUi->edPhone->setMaxLength(std::max(FUi->edPhone->maxLength(), static_cast<int>(phone.size())));
    FUi->edPhone->setText(phone);
    ShowPlus();
    (FRecord.Code != 0 ? FUi->rb2 : FUi->rb1)->setChecked(true);
    connect(FUi->edPhone, &QLineEdit::textChanged, this, &TfmTuningSMS::ShowPlus);
    // Toggled, not clicked: the accessibility bus's action on a check box toggles it.
    connect(FUi->chbPlus, &QCheckBox::toggled, this, &TfmTuningSMS::PlusClicked);
    SetUpFrame();
}

TfmTuningSMS::~TfmTuningSMS() = default;

bool TfmTuningSMS::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == FUi->edPhone && event->type() == QEvent::KeyPress) {
        MoveSelectionPastPlus();
        if (PhoneKeyDropped(static_cast<const QKeyEvent &>(*event)))
            return true;
    }
    return TDialogFrame::eventFilter(watched, event);
}

// Before every key a caret or selection at the very start moves behind the "+", so nothing is
// typed or deleted in front of it.
void TfmTuningSMS::MoveSelectionPastPlus()
{
    QLineEdit &phone = *FUi->edPhone;
    if (!phone.text().startsWith(Plus))
        return;
    if (!phone.hasSelectedText()) {
        if (phone.cursorPosition() == 0)
            phone.setCursorPosition(1);
    } else if (phone.selectionStart() == 0) {
        phone.setSelection(1, phone.selectionLength() - 1);
    }
}

// Backspace right after the "+" would remove it, and a "+" is never typed: the plus box puts it
// in. Everything else is left to the validator.
bool TfmTuningSMS::PhoneKeyDropped(const QKeyEvent &key) const
{
    const QLineEdit &phone = *FUi->edPhone;
    if (key.key() == Qt::Key_Backspace)
        return phone.text().startsWith(Plus) && phone.cursorPosition() == 1 &&
               !phone.hasSelectedText();
    return key.text() == Plus;
}

// A number already as long as the box allows gets no "+", which would push out its last digit.
void TfmTuningSMS::PlusClicked(bool ticked)
{
    QLineEdit &phone = *FUi->edPhone;
    const QString text = phone.text();
    if (ticked && !text.startsWith(Plus) && text.size() < phone.maxLength())
        phone.setText(Plus + text);
    else if (!ticked && text.startsWith(Plus))
        phone.setText(text.mid(1));
    ShowPlus();
}

void TfmTuningSMS::ShowPlus() { FUi->chbPlus->setChecked(FUi->edPhone->text().startsWith(Plus)); }

void TfmTuningSMS::OkClicked()
{
    TSMS edited;
    edited.Type = static_cast<unsigned>(PickedOr(FUi->cbType, static_cast<int>(FRecord.Type)));
    // The plus flag is read from the text, so a paste that replaced the "+" never costs a digit.
    const QString phone = TrimControls(FUi->edPhone->text());
    edited.Plus = phone.startsWith(Plus) ? 1 : 0;
    edited.Phone = phone.mid(static_cast<int>(edited.Plus));
    edited.Code = FUi->rb1->isChecked() ? 0 : 1;
    FinishEdit(!SameSettings(edited, FRecord), [this, &edited] { FRecord.Assign(edited); });
}

bool EditSMSDialog(TSMS &record, TMessageBoxes &boxes, QWidget *parent)
{
    TfmTuningSMS dialog(record, boxes, parent);
    dialog.exec();
    if (dialog.IsAccepted())
        record.Assign(dialog.Record());
    return dialog.IsAccepted();
}
