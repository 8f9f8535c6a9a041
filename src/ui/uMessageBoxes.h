#pragma once

#include "model/uNotify.h"

#include <QList>
#include <QMessageBox>
#include <QString>
#include <QStringList>

// Every message box of the program: an error or a notice with its text alone, and the Yes/No
// question whose Escape and close button answer No. One object serves all windows and dialogs;
// tests script it so that no box is ever shown and no test races a modal box.
class TMessageBoxes : public TQuestion, public TMessageSink {
public:
    bool AskYesNo(const QString &text, const QString &caption) override;
    // An error, a refusal or a failure: with the warning icon.
    void ShowMessage(const QString &text) override;
    // That something went well: with the information icon.
    void ShowNotice(const QString &text);
    // A Yes/No question with lines the user may open under it ("Показать подробности..."); No
    // is the default answer when noByDefault.
    bool Ask(const QString &text, const QString &caption, const QStringList &details,
             bool noByDefault = false);

    // While Scripted is set nothing is shown: each question takes the next of Answers (No when
    // none is left), and the texts asked and shown are recorded.
    bool Scripted = false;
    QList<bool> Answers;
    QStringList Asked;
    QStringList Shown;

private:
    void Show(QMessageBox::Icon icon, const QString &text);
};
