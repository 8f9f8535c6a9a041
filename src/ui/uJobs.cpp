#include "ui/uJobs.h"

#include "model/uNotify.h"
#include "storage/uCatalog.h"
#include "storage/uDB.h"

namespace {

// Keeps what a job tells in its outcome, and passes it on.
class TKeptMessages : public TMessageSink {
public:
    TKeptMessages(QStringList &kept, TMessageSink *next) : FKept(kept), FNext(next) {}
    void ShowMessage(const QString &text) override
    {
        FKept << text;
        if (FNext)
            FNext->ShowMessage(text);
    }

private:
    QStringList &FKept;
    TMessageSink *FNext;
};

TJobResult LinkJob(int code, TJobContext &context, const TJobSinks &sinks)
{
    TThreadPort port;
    port.Job = code;
    port.Config = context.Config;
    port.Link = context.Link;
    port.Access = context.Access;
    port.Timings = context.Timings;
    port.Now = context.Now;
    port.Log = sinks.Log;
    port.Errors = sinks.Messages;
    port.Progress = sinks.Progress;
    port.PasswordSearch = context.Search;
    port.Previous = context.Previous;
    port.RestoreQuestion = context.RestoreQuestion;
    port.CancelRequest = context.CancelRequest;
    port.Execute();
    context.Access = port.Access;
    TJobOutcome &outcome = context.Outcome;
    outcome.Effect = port.Effect;
    outcome.Restore = port.Restore;
    outcome.LinkLost = port.LinkLost;
    outcome.Cancelled = port.Cancelled;
    outcome.LoginStatus = port.LoginStatus;
    switch (port.ResultCode) {
    case 1:
        return TJobResult::Ok;
    case 0:
        return TJobResult::No;
    default:
        return TJobResult::Cancel;
    }
}

TJobResult SaveJob(TJobContext &context, const TJobSinks &sinks)
{
    const TSaveResult saved = SaveConfigFile(*context.Config, context.FileName, TemplatePath(),
                                             sinks.Log, sinks.Progress);
    if (saved == TSaveResult::Saved)
        return TJobResult::Ok;
    if (sinks.Messages)
        sinks.Messages->ShowMessage(SaveFailure(saved, context.FileName));
    return TJobResult::No;
}

TJobResult LoadJob(TJobContext &context, const TJobSinks &sinks)
{
    TDBConfig db(context.Config, sinks.Log, sinks.Progress);
    if (db.Connect(context.FileName) && db.LoadConfig())
        return TJobResult::Ok;
    if (sinks.Messages)
        sinks.Messages->ShowMessage(db.Failure());
    return TJobResult::No;
}

} // namespace

TJobResult ExecuteJob(int code, TJobContext &context, const TJobSinks &given)
{
    context.Outcome = TJobOutcome();
    TKeptMessages messages(context.Outcome.Messages, given.Messages);
    TJobSinks sinks = given;
    sinks.Messages = &messages;
    switch (code) {
    case JobReadCfg:
    case JobWriteCfg:
    case JobConnectCfg:
    case JobClockCfg:
        return LinkJob(code, context, sinks);
    case JobSaveFile:
        return SaveJob(context, sinks);
    case JobLoadFile:
        return LoadJob(context, sinks);
    default:
        return TJobResult::No;
    }
}
