#pragma once

#include <QDialog>

#include <functional>

class TMessageBoxes;

// What every settings dialog shares: buttons "btOK" and "btCancel", Enter and Escape acting as
// them from any control of the dialog (editable combo and spin boxes included), a fixed size,
// and an accepted flag that alone makes the result OK. The dialog's own OK handler checks its
// input and ends through FinishEdit.
class TDialogFrame : public QDialog {
    Q_OBJECT
public:
    TDialogFrame(TMessageBoxes &boxes, QWidget *parent);

    bool IsAccepted() const { return FAccepted; }

protected:
    // Called once the form is set up: ties the buttons and the keys, fixes the size.
    void SetUpFrame();
    // "ОК" was pressed.
    virtual void OkClicked() = 0;
    // Ends the dialog after OK. Without a change it ends as Cancel and asks nothing; with one it
    // asks the change confirmation: Yes runs store and ends as OK, No ends as Cancel.
    void FinishEdit(bool changed, const std::function<void()> &store);
    // Ends the dialog as OK without a question.
    void FinishAccepted();

    bool eventFilter(QObject *watched, QEvent *event) override;

    TMessageBoxes &Boxes;

private:
    void CommitTypedNumbers();

    bool FAccepted = false;
};
