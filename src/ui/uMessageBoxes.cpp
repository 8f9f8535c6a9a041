#include "ui/uMessageBoxes.h"

#include <QApplication>
#include <QMessageBox>

namespace {

// Notices carry the program's name as their caption, as the text alone would leave it blank.
const QString NoticeCaption = QStringLiteral("ЛОРИМ");

} // namespace

bool TMessageBoxes::AskYesNo(const QString &text, const QString &caption)
{
    if (Scripted) {
        Asked << text;
        return !Answers.isEmpty() && Answers.takeFirst();
    }
    // With Yes and No as its buttons, Escape and the close button give No.
    return QMessageBox::question(QApplication::activeWindow(), caption, text,
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void TMessageBoxes::ShowMessage(const QString &text)
{
    if (Scripted) {
        Shown << text;
        return;
    }
    QMessageBox::information(QApplication::activeWindow(), NoticeCaption, text);
}
