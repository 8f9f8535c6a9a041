#pragma once

#include <QString>

// How the library reaches the user without showing a window itself: the GUI implements these
// interfaces with message boxes, the command-line tool with the terminal, tests with recorders.

// A notice or error shown to the user (a message box with the text alone).
class TMessageSink {
public:
    virtual ~TMessageSink() = default;
    virtual void ShowMessage(const QString &text) = 0;
};
