#include "ui/uUiUtil.h"

#include "model/uNaming.h"

#include <QTreeWidget>

#include <algorithm>

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
