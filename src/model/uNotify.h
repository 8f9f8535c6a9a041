#pragma once

#include <QString>

// How the library reaches the user without showing a window itself: the GUI implements these
// interfaces with message boxes and its message pane, the command-line tool with the terminal,
// tests with recorders and scripted answers.

// A notice or error shown to the user (a message box with the text alone).
class TMessageSink {
public:
    virtual ~TMessageSink() = default;
    virtual void ShowMessage(const QString &text) = 0;
};

// The operation log: one line at a time, appended to the editor's message pane.
class TLogSink {
public:
    virtual ~TLogSink() = default;
    virtual void WriteLog(const QString &line) = 0;
};

// A modal Yes/No question; true for Yes.
class TQuestion {
public:
    virtual ~TQuestion() = default;
    virtual bool AskYesNo(const QString &text, const QString &caption) = 0;
};

// The progress bar of the window that runs a long operation.
class TProgress {
public:
    virtual ~TProgress() = default;
    virtual void ProgressMax(int count) = 0;
    virtual void ProgressReset() = 0;
    virtual void ProgressStep() = 0;
    virtual void ProgressFull() = 0;
};

// Finds the access password of a module by its identifier (the catalogue's files are searched
// for one whose module has it); empty when none is found.
class TPasswordSearch {
public:
    virtual ~TPasswordSearch() = default;
    virtual QString FindAccessPassword(const QString &moduleID) = 0;
};
