#pragma once

#include "link/uOptnLink.h"
#include "link/uPort.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>

class TConfig;
class TLogSink;
class TMessageSink;
class TPasswordSearch;
class TProgress;
class TQuestion;

// The long jobs of the editor, by code: the four link jobs, and the file jobs.
enum TJobCode : int {
    JobReadCfg = 0,
    JobWriteCfg = 1,
    JobConnectCfg = 2,
    JobClockCfg = 3,
    JobSaveFile = 10,
    JobLoadFile = 11,
};

// How a job ended: Ok done; No a link job whose login was refused or that found no access
// password, or a file job that failed; Cancel a link job that failed in any other way.
enum class TJobResult { Ok, No, Cancel };

// How a job ended, beside its result: what a link job did to the module and why it stopped,
// and the messages it had for the user (link errors, a failed save), which the caller shows
// together, as one box for one fault.
struct TJobOutcome {
    TModuleEffect Effect = TModuleEffect::None;
    TRestore Restore = TRestore::NotNeeded;
    bool LinkLost = false;
    bool Cancelled = false;
    int LoginStatus = -1;
    QStringList Messages;
};

// What a job works on; the editor fills it from its own state and takes Access back after a
// link job (the connect job may have found the password).
struct TJobContext {
    TConfig *Config = nullptr;
    QString FileName;
    TOptnLink Link;
    TOptnAccess Access;
    TLinkTimings Timings;
    TPasswordSearch *Search = nullptr;
    // A write's fallback: what the module held before it (see TThreadPort::Previous), and who
    // is asked before a failed whole write is undone with it.
    TConfig *Previous = nullptr;
    TQuestion *RestoreQuestion = nullptr;
    // Set from any thread to stop a link job at its next exchange.
    std::shared_ptr<std::atomic<bool>> CancelRequest = std::make_shared<std::atomic<bool>>(false);
    std::function<QDateTime()> Now = [] { return QDateTime::currentDateTime(); };
    TJobOutcome Outcome;
};

// Where a job reports: log lines, messages to the user (link errors, a failed save), the
// progress bar. Each may be called from the thread the job runs on.
struct TJobSinks {
    TLogSink *Log = nullptr;
    TMessageSink *Messages = nullptr;
    TProgress *Progress = nullptr;
};

// Runs one job to its end on the calling thread. A save goes through the safe save (the file
// there is replaced only by a complete one) and tells every failure; a load tells only why it
// failed, which its caller shows under its own message. What the job tells goes into the context's
// outcome as well as to the message sink. A code that names no job ends at once with No.
TJobResult ExecuteJob(int code, TJobContext &context, const TJobSinks &sinks);

// Runs jobs for the editor: the progress window in the program, a plain call in tests.
class TJobRunner {
public:
    virtual ~TJobRunner() = default;
    virtual TJobResult Run(int code, TJobContext &context) = 0;
};

// Runs each job on the calling thread with the sinks given.
class TDirectRunner : public TJobRunner {
public:
    explicit TDirectRunner(const TJobSinks &sinks) : FSinks(sinks) {}
    TJobResult Run(int code, TJobContext &context) override
    {
        return ExecuteJob(code, context, FSinks);
    }

private:
    TJobSinks FSinks;
};
