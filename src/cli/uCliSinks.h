#pragma once

#include "model/uNotify.h"

#include <cstdio>

// The command-line tool's side of the library's interfaces: the log on standard output, link
// errors on standard error, the progress bar on standard error when that is a terminal.

class TStdoutLog : public TLogSink {
public:
    void WriteLog(const QString &line) override;
};

class TStderrMessages : public TMessageSink {
public:
    void ShowMessage(const QString &text) override;
};

class TTerminalProgress : public TProgress {
public:
    ~TTerminalProgress() override;
    // Null when standard error is not a terminal.
    static TTerminalProgress *IfTerminal(TTerminalProgress &bar);

    void ProgressMax(int count) override;
    void ProgressReset() override;
    void ProgressStep() override;
    void ProgressFull() override;

private:
    void Draw();
    int FMax = 0;
    int FPosition = 0;
    bool FDrawn = false;
};
