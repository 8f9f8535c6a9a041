#pragma once

#include "model/uNotify.h"

#include <QFile>
#include <QString>
#include <QStringList>

#include <functional>
#include <ostream>

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

// Texts in test failures as text, not as arrays of code units.
inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }

// Records what the library tells the user.
struct TMessageRecorder : TMessageSink {
    QStringList Messages;
    void ShowMessage(const QString &text) override { Messages.append(text); }
};

// Records the log lines the library writes.
struct TLogRecorder : TLogSink {
    QStringList Lines;
    void WriteLog(const QString &line) override { Lines.append(line); }
};

// Answers Yes/No questions with a fixed answer and records what was asked.
struct TScriptedQuestion : TQuestion {
    explicit TScriptedQuestion(bool answer) : Answer(answer) {}
    bool Answer;
    QStringList Texts;
    bool AskYesNo(const QString &text, const QString &) override
    {
        Texts.append(text);
        return Answer;
    }
};

// Follows the progress bar the library drives.
struct TProgressRecorder : TProgress {
    int Max = -1;
    int Position = 0;
    void ProgressMax(int count) override { Max = count; }
    void ProgressReset() override { Position = 0; }
    void ProgressStep() override { ++Position; }
    void ProgressFull() override { Position = Max; }
};

// Runs check in a child process, as an unprivileged user when the tests run as root (root may
// write anywhere); true when it returned true there.
inline bool AsUnprivilegedUser(const std::function<bool()> &check)
{
    const pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 &&
            (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0))
            _exit(2);
        _exit(check() ? 0 : 1);
    }
    int status = -1;
    return waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

inline void WriteText(const QString &path, const QString &text)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(text.toUtf8());
}

inline QString ReadText(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}
