#include "cli/uCliSinks.h"

#include <QString>

#include <unistd.h>

void TStdoutLog::WriteLog(const QString &line)
{
    std::fprintf(stdout, "%s\n", line.toLocal8Bit().constData());
    std::fflush(stdout);
}

void TStderrMessages::ShowMessage(const QString &text)
{
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

TTerminalProgress::~TTerminalProgress()
{
    if (FDrawn)
        std::fputs("\n", stderr);
}

TTerminalProgress *TTerminalProgress::IfTerminal(TTerminalProgress &bar)
{
    return ::isatty(STDERR_FILENO) ? &bar : nullptr;
}

void TTerminalProgress::ProgressMax(int count)
{
    FMax = count;
    Draw();
}

void TTerminalProgress::ProgressReset()
{
    FPosition = 0;
    Draw();
}

void TTerminalProgress::ProgressStep()
{
    // The read's three streams each set the maximum while the position runs on: the bar
    // stops at its end, as the window's does.
    FPosition = std::min(FPosition + 1, FMax);
    Draw();
}

void TTerminalProgress::ProgressFull()
{
    FPosition = FMax;
    Draw();
}

void TTerminalProgress::Draw()
{
    constexpr int Width = 40;
    const int filled = FMax > 0 ? std::min(Width, FPosition * Width / FMax) : 0;
    std::fprintf(stderr, "\r[%s%s] %d/%d", QByteArray(filled, '#').constData(),
                 QByteArray(Width - filled, ' ').constData(), FPosition, FMax);
    std::fflush(stderr);
    FDrawn = true;
}
