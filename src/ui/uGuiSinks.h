#pragma once

#include "model/uNotify.h"

#include <QMutex>
#include <QObject>
#include <QStringList>

#include <functional>

class QPlainTextEdit;

// Runs f on the GUI thread and waits until it has run; directly when called there already.
void RunOnGuiThread(const std::function<void()> &f);

// The editor's message pane as a log: lines may come from any thread and are appended in
// batches, one per turn of the GUI thread's event loop, so that the tens of thousands of lines
// of a whole read cost the link nothing and the pane one update per batch.
class TGuiLog : public QObject, public TLogSink {
    Q_OBJECT
public:
    explicit TGuiLog(QPlainTextEdit &pane);

    void WriteLog(const QString &line) override;
    // Appends the lines that wait; GUI thread only.
    void Flush();

private:
    QPlainTextEdit &FPane;
    QMutex FLock;
    QStringList FWaiting;
    bool FFlushPosted = false;
};

// A question from a job on any thread, asked on the GUI thread while the job waits. The open
// progress window steps aside while its box is up.
class TGuiQuestion : public TQuestion {
public:
    explicit TGuiQuestion(TQuestion &asked) : FAsked(asked) {}
    bool AskYesNo(const QString &text, const QString &caption) override;

private:
    TQuestion &FAsked;
};
