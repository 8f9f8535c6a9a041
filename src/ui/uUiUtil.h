#pragma once

#include <QString>

class QTreeWidget;
class QWidget;

// Turns a window's redrawing off while it is refilled, and back on with one repaint of the
// whole window. A null window is left alone.
void LockRedraw(QWidget *window, bool lock);

// Selects row index of a list, or its last row when index is past the end; an empty list is
// left alone.
void SelectNearRow(QTreeWidget *list, int index);

// A number as the lists show it: padded on the left with blanks to width characters, so that
// text order is numeric order.
QString PaddedNumber(int n, int width = 3);
