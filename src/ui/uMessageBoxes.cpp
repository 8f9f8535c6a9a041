#include "ui/uMessageBoxes.h"

#include <QApplication>
#include <QMessageBox>

namespace {

// Errors and notices carry the program's name as their caption, as the text alone would leave
// it blank.
const QString NoticeCaption = QStringLiteral("ЛОРИМ");

} // namespace

bool TMessageBoxes::AskYesNo(const QString &text, const QString &caption)
{
    return Ask(text, caption, {});
}

bool TMessageBoxes::Ask(const QString &text, const QString &caption, const QStringList &details,
                        bool noByDefault)
{
    if (Scripted) {
        Asked << text;
        return !Answers.isEmpty() && Answers.takeFirst();
    }
    // With Yes and No as its buttons, Escape and the close button give No.
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No,
                    QApplication::activeWindow());
    box.setDefaultButton(noByDefault ? QMessageBox::No : QMessageBox::Yes);
    if (!details.isEmpty())
        box.setDetailedText(details.join(u'\n'));
    return box.exec() == QMessageBox::Yes;
}

void TMessageBoxes::ShowMessage(const QString &text) { Show(QMessageBox::Warning, text); }

void TMessageBoxes::ShowNotice(const QString &text) { Show(QMessageBox::Information, text); }

void TMessageBoxes::Show(QMessageBox::Icon icon, const QString &text)
{
    if (Scripted) {
        Shown << text;
        return;
    }
    QMessageBox box(icon, NoticeCaption, text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}
