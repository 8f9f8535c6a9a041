#pragma once

#include <QSpinBox>
#include <QString>

class QComboBox;
class QLabel;
class QLineEdit;
class QTreeWidget;
class QWidget;
class TMessageBoxes;

// Turns a window's redrawing off while it is refilled, and back on with one repaint of the
// whole window. A null window is left alone.
void LockRedraw(QWidget *window, bool lock);

// Selects row index of a list, or its last row when index is past the end; an empty list is
// left alone.
void SelectNearRow(QTreeWidget *list, int index);

// Shows a value in a label that stands beside its caption, and gives it the caption and the
// value as its accessible name ("Задержка: 20"), so that a screen reader reads both; the
// caption is the label before it in its layout, whatever that says now.
void ShowValue(QLabel *value, const QString &text);

// A number as the lists show it: padded on the left with blanks to width characters, so that
// text order is numeric order.
QString PaddedNumber(int n, int width = 3);

// The number chosen in a number box (address, partition or user number): the box may be typed
// into, but only a number it offers counts, so a typed number can never replace another object.
// False, with a message and the focus in the box, when the text is not an offered number.
bool TakeOfferedNumber(QComboBox *box, int &number, TMessageBoxes &boxes);

// Selects the item at index of a pick-only list. A value past its items, which a file or the
// module may hold though the list does not offer it, is shown by its name with no item
// selected, and stays as it is until the user picks an item.
void SelectOrShowName(QComboBox *box, int index, const QString &name);
// The index of the item picked in a box, or kept while the box shows a value it does not offer.
int PickedOr(const QComboBox *box, int kept);

// Makes a box select its whole text whenever it takes the focus, by key or by mouse, so that
// what is typed replaces the text shown instead of being added to it.
void SelectAllOnFocus(QLineEdit *edit);

// A delay in seconds as the module keeps it: 0 to 150 in tens. Typed text that is not a
// multiple of 10 is taken down to one, and a number past 150 as 150, when the box is left or
// the dialog's OK takes it.
class TDelaySpinBox : public QSpinBox {
    Q_OBJECT
public:
    explicit TDelaySpinBox(QWidget *parent = nullptr);

protected:
    QValidator::State validate(QString &text, int &pos) const override;
    void fixup(QString &input) const override;
};
