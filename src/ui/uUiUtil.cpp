#include "ui/uUiUtil.h"

#include "model/uNaming.h"
#include "ui/uMessageBoxes.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTreeWidget>

#include <algorithm>

namespace {

class TSelectAllOnFocus : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // Queued, so that it comes after a mouse press that brought the focus has placed the
        // caret.
        if (event->type() == QEvent::FocusIn)
            QMetaObject::invokeMethod(static_cast<QLineEdit *>(watched), &QLineEdit::selectAll,
                                      Qt::QueuedConnection);
        return false;
    }
};

// The label before a widget in the layout that holds it: to its left in a grid, the item before
// it in a row or column; null when there is none.
const QLabel *LabelBefore(const QWidget *widget)
{
    const QWidget *parent = widget->parentWidget();
    if (!parent)
        return nullptr;
    for (const QLayout *layout : parent->findChildren<QLayout *>()) {
        const int index = layout->indexOf(widget);
        if (index < 0)
            continue;
        const QLayoutItem *before = nullptr;
        if (const auto *grid = qobject_cast<const QGridLayout *>(layout)) {
            int row = 0, column = 0, rows = 0, columns = 0;
            grid->getItemPosition(index, &row, &column, &rows, &columns);
            before = column > 0 ? grid->itemAtPosition(row, column - 1) : nullptr;
        } else if (index > 0) {
            before = layout->itemAt(index - 1);
        }
        return before ? qobject_cast<const QLabel *>(before->widget()) : nullptr;
    }
    return nullptr;
}

} // namespace

void ShowValue(QLabel *value, const QString &text)
{
    value->setText(text);
    const QLabel *caption = LabelBefore(value);
    const QString name = caption ? caption->text().remove(u'&').trimmed()
                                 : value->accessibleName().section(u':', 0, 0);
    value->setAccessibleName((name.endsWith(u':') ? name.chopped(1) : name) + QStringLiteral(": ") +
                             text);
}

void LockRedraw(QWidget *window, bool lock)
{
    if (!window)
        return;
    window->setUpdatesEnabled(!lock);
    if (!lock)
        window->update();
}

void SelectNearRow(QTreeWidget *list, int index)
{
    const int rows = list->topLevelItemCount();
    if (rows == 0)
        return;
    list->setCurrentItem(list->topLevelItem(std::clamp(index, 0, rows - 1)));
}

QString PaddedNumber(int n, int width) { return PadLeft(QString::number(n), u' ', width); }

bool TakeOfferedNumber(QComboBox *box, int &number, TMessageBoxes &boxes)
{
    const QString text = box->currentText().trimmed();
    for (int i = 0; i < box->count(); ++i) {
        if (box->itemText(i).trimmed() == text) {
            number = StrToIntDef(text, 0);
            return true;
        }
    }
    boxes.ShowMessage(QStringLiteral("Выберите номер из списка"));
    box->setFocus();
    return false;
}

void SelectOrShowName(QComboBox *box, int index, const QString &name)
{
    if (index >= box->count()) {
        box->setPlaceholderText(name);
        index = -1;
    }
    box->setCurrentIndex(index);
}

int PickedOr(const QComboBox *box, int kept)
{
    const int picked = box->currentIndex();
    return picked >= 0 ? picked : kept;
}

void SelectAllOnFocus(QLineEdit *edit) { edit->installEventFilter(new TSelectAllOnFocus(edit)); }

TDelaySpinBox::TDelaySpinBox(QWidget *parent) : QSpinBox(parent)
{
    setRange(0, 150);
    setSingleStep(10);
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
}

QValidator::State TDelaySpinBox::validate(QString &text, int &pos) const
{
    // Three digits past the top stay in view until the box takes them as the top.
    static const QRegularExpression threeDigits(
        QRegularExpression::anchoredPattern(QStringLiteral("[0-9]{1,3}")));
    if (threeDigits.match(text).hasMatch() && text.toInt() > maximum())
        return QValidator::Intermediate;
    const QValidator::State state = QSpinBox::validate(text, pos);
    if (state != QValidator::Acceptable)
        return state;
    return valueFromText(text) % 10 == 0 ? QValidator::Acceptable : QValidator::Intermediate;
}

void TDelaySpinBox::fixup(QString &input) const
{
    const int value = std::clamp(StrToIntDef(input, 0), minimum(), maximum());
    input = textFromValue(value - value % 10);
}
