#pragma once

#include "link/uOptnLink.h"
#include "link/uPort.h"

#include <QDateTime>
#include <QString>

#include <functional>

class TConfig;
class TLogSink;
class TMessageSink;
class TPasswordSearch;
class TProgress;

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

// What a job works on; the editor fills it from its own state and takes Access back after a
// link job (the connect job may have found the password).
struct TJobContext {
    TConfig *Config = nullptr;
    QString FileName;
    TOptnLink Link;
    TOptnAccess Access;
    TLinkTimings Timings;
    TPasswordSearch *Search = nullptr;
    int Accepted = 0; // after a link job: the objects the module accepted
    std::function<QDateTime()> Now = [] { return QDateTime::currentDateTime(); };
};

// Where a job reports: log lines, messages to the user (link errors, a failed save), the
// progress bar. Each may be called from the thread the job runs on.
struct TJobSinks {
    TLogSink *Log = nullptr;
    TMessageSink *Messages = nullptr;
    TProgress *Progress = nullptr;
};

// Runs one job to its end on the calling thread. A save goes through the safe save (the file
// there is replaced only by a complete one) and tells every failure; a load tells nothing, its
// caller reports it. A code that names no job ends at once with No.
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
