#include "cli/uSecret.h"

#include <QFile>

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <string>

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#else
#include <termios.h>
#include <unistd.h>
#endif

namespace {

bool IsDigits(const QString &text)
{
    return !text.isEmpty() &&
           std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// Turns the terminal's echo off for as long as it lives.
class TNoEcho {
public:
    TNoEcho();
    ~TNoEcho();
    TNoEcho(const TNoEcho &) = delete;
    TNoEcho &operator=(const TNoEcho &) = delete;
    bool IsTerminal() const { return FTerminal; }

private:
    bool FTerminal = false;
#ifdef Q_OS_WIN
    HANDLE FInput = GetStdHandle(STD_INPUT_HANDLE);
    DWORD FMode = 0;
#else
    termios FMode{};
#endif
};

#ifdef Q_OS_WIN
TNoEcho::TNoEcho()
{
    FTerminal = _isatty(_fileno(stdin)) && GetConsoleMode(FInput, &FMode);
    if (FTerminal)
        SetConsoleMode(FInput, FMode & ~static_cast<DWORD>(ENABLE_ECHO_INPUT));
}

TNoEcho::~TNoEcho()
{
    if (FTerminal)
        SetConsoleMode(FInput, FMode);
}
#else
TNoEcho::TNoEcho()
{
    FTerminal = isatty(STDIN_FILENO) && tcgetattr(STDIN_FILENO, &FMode) == 0;
    if (!FTerminal)
        return;
    termios quiet = FMode;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
}

TNoEcho::~TNoEcho()
{
    if (FTerminal)
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &FMode);
}
#endif

} // namespace

QStringList MarkPasswordToAsk(QStringList arguments)
{
    for (qsizetype i = 1; i < arguments.size(); ++i)
        if (arguments[i] == u"--password" &&
            (i + 1 == arguments.size() || !IsDigits(arguments[i + 1])))
            arguments[i] = QStringLiteral("--password=");
    return arguments;
}

std::optional<QString> ReadSecretFile(const QString &path)
{
    QFile file(path);
    const bool opened =
        path == u"-" ? file.open(stdin, QIODevice::ReadOnly) : file.open(QIODevice::ReadOnly);
    if (!opened)
        return std::nullopt;
    return QString::fromUtf8(file.readLine()).trimmed();
}

std::optional<QString> AskSecret(const QString &prompt)
{
    const TNoEcho noEcho;
    if (!noEcho.IsTerminal())
        return std::nullopt;
    std::fprintf(stderr, "%s", prompt.toLocal8Bit().constData());
    std::fflush(stderr);
    std::string line;
    std::getline(std::cin, line);
    std::fprintf(stderr, "\n");
    return QString::fromLocal8Bit(line.c_str()).trimmed();
}
