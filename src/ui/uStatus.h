#pragma once

#include "model/uNotify.h"
#include "ui/uJobs.h"

#include <QWidget>

#include <atomic>
#include <memory>

namespace Ui {
class TfmStatus;
}

// The progress window: a small frameless modal window with one progress bar, open while one
// long job runs. The job runs on a worker thread while the window's own event loop keeps the
// program painting and serves the job's calls into the GUI thread; close requests are refused
// until the job has ended. A link job can be stopped with "Отмена" (or Escape): it stops at its
// next exchange, leaving the module as a failed job does.
class TfmStatus : public QWidget {
    Q_OBJECT
public:
    explicit TfmStatus(QWidget *owner = nullptr);
    ~TfmStatus() override;

    int Mode = 0;         // the job code
    bool Started = false; // the job has been started; it runs once

    // Opens the window over its owner (or the screen's centre when the owner is hidden), runs
    // the job of Mode to its end and closes the window; how the job ended. The progress sink of
    // sinks is ignored: the job moves this window's bar.
    TJobResult Run(TJobContext &context, TJobSinks sinks);

    // The progress bar, on the GUI thread.
    void SetMax(int count);
    void Reset();
    void Step();
    void Full();
    int Position() const;
    int Maximum() const;

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void PlaceOverOwner();
    void CancelJob();

    std::unique_ptr<Ui::TfmStatus> FUi;
    QWidget *FOwner;
    bool FRunning = false;
    std::shared_ptr<std::atomic<bool>> FCancelRequest;
};

// The progress window that is open, or null; set while a window runs its job.
extern TfmStatus *OpenProgressWindow;

// The progress operations for a job on any thread: they act on the open progress window on the
// GUI thread, and do nothing while none is open.
class TOpenProgress : public TProgress {
public:
    void ProgressMax(int count) override;
    void ProgressReset() override;
    void ProgressStep() override;
    void ProgressFull() override;
};

// Runs every job of the editor in a progress window: its log lines go to log, its messages to
// its outcome, for the caller to show.
class TStatusRunner : public TJobRunner {
public:
    TStatusRunner(TLogSink &log, QWidget *owner) : FLog(log), FOwner(owner) {}
    TJobResult Run(int code, TJobContext &context) override;

private:
    TLogSink &FLog;
    QWidget *FOwner;
};
