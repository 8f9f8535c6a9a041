#pragma once

#include "model/uNotify.h"

#include <QMutex>
#include <QObject>
#include <QStringList>

#include <functional>

class QPlainTextEdit;
class TMessageBoxes;

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

// Messages from a job on any thread, shown as message boxes on the GUI thread while the job
// waits. The open progress window steps aside while its box is up.
class TGuiMessages : public TMessageSink {
public:
    explicit TGuiMessages(TMessageBoxes &boxes) : FBoxes(boxes) {}
    void ShowMessage(const QString &text) override;

private:
    TMessageBoxes &FBoxes;
};
