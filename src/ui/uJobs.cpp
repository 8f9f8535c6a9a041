#include "ui/uJobs.h"

#include "model/uNotify.h"
#include "storage/uCatalog.h"
#include "storage/uDB.h"

namespace {

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
    port.Execute();
    context.Access = port.Access;
    context.Accepted = port.Accepted;
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
    return db.Connect(context.FileName) && db.LoadConfig() ? TJobResult::Ok : TJobResult::No;
}

} // namespace

TJobResult ExecuteJob(int code, TJobContext &context, const TJobSinks &sinks)
{
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
