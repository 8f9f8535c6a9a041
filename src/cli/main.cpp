// lorim-cli: the link and file jobs of the configuration tool without a window.
//
//   lorim-cli read OUT.cfg [link options] [password options] [--ini FILE] [--log]
//   lorim-cli write FILE.cfg [link options] [password options] [--ini FILE] [--log] [--no-backup]
//             [--no-restore] [--force]
//   lorim-cli clock [link options] [password options] [--ini FILE] [--log]
//   lorim-cli dump FILE.cfg
//   lorim-cli report FILE.cfg [--format html|csv|json] [-o OUT] [--passwords]
//   lorim-cli diff FILE.cfg OTHER.cfg
//   lorim-cli diff FILE.cfg [link options] [password options] [--ini FILE] [--log]
//   lorim-cli check FILE.cfg [--format text|json]
//   lorim-cli check [link options] [password options] [--ini FILE] [--log] [--format text|json]
//   lorim-cli history list [ID] | diff ID REV1 [REV2] | get ID REV -o FILE.cfg | sync [--ini FILE]
//
// The password options: --password-file FILE ("-": standard input), --password alone (asked
// for on the terminal), --password DIGITS (seen by every user of the computer: warned about);
// else the environment's LORIM_PASSWORD.
//
// Exit status: 0 done, 1 file error, 2 usage error, 3 login refused or no password found,
// 4 link failure, 5 the configurations differ, 6 the configuration has errors (check; write
// without --force), 7 the history could not be shared (history sync).

#include "cli/uCliSinks.h"
#include "cli/uDump.h"
#include "cli/uSecret.h"
#include "link/uPort.h"
#include "model/uCheck.h"
#include "model/uCompare.h"
#include "model/uConfig.h"
#include "model/uReport.h"
#include "storage/uBackup.h"
#include "storage/uCatalog.h"
#include "storage/uDB.h"
#include "storage/uHistory.h"
#include "storage/uIniFile.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

#include <cstdio>
#include <optional>

namespace {

enum TExit {
    ExitDone = 0,
    ExitFile = 1,
    ExitUsage = 2,
    ExitRefused = 3,
    ExitLink = 4,
    ExitDiffer = 5,
    ExitErrors = 6,
    ExitUnshared = 7
};

void Err(const QString &text) { std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData()); }

void Print(const QStringList &lines)
{
    for (const QString &line : lines)
        std::fprintf(stdout, "%s\n", line.toLocal8Bit().constData());
}

class TUsageError {
public:
    explicit TUsageError(QString text) : Text(std::move(text)) {}
    QString Text;
};

// A run that cannot go on, with its message and exit status.
class TFailure {
public:
    TFailure(QString text, int exit) : Text(std::move(text)), Exit(exit) {}
    QString Text;
    int Exit;
};

// The link settings: section "Link" of the INI file, then --udp or --serial over them.
TOptnLink LinkOptions(const QCommandLineParser &args, const TIniPath &iniPath)
{
    TOptnLink link = LoadLinkSettings(iniPath);
    if (args.isSet(QStringLiteral("udp")) && args.isSet(QStringLiteral("serial")))
        throw TUsageError(QStringLiteral("--udp and --serial exclude each other"));
    if (args.isSet(QStringLiteral("udp"))) {
        link.Type = 1;
        if (!ParseUdpAddress(args.value(QStringLiteral("udp")), link.IP, link.Port))
            throw TUsageError(QStringLiteral("--udp takes IP[:PORT]"));
    }
    if (args.isSet(QStringLiteral("serial"))) {
        link.Type = 0;
        link.COMPort = args.value(QStringLiteral("serial"));
    }
    return link;
}

// The message the editor shows for a failed save.
int ExitOfResult(int resultCode)
{
    return resultCode == 1 ? ExitDone : resultCode == 0 ? ExitRefused : ExitLink;
}

class TCli {
public:
    explicit TCli(const QCommandLineParser &args)
        : FArgs(args), FIniPath(args.isSet(QStringLiteral("ini"))
                                    ? args.value(QStringLiteral("ini"))
                                    : IniPathFor(AppDir + QStringLiteral("lorim-config")))
    {
    }

    int Run()
    {
        const QStringList pos = FArgs.positionalArguments();
        const QString command = pos.value(0);
        if (command == u"clock" && pos.size() == 1)
            return Clock();
        if (command == u"diff" && (pos.size() == 2 || pos.size() == 3))
            return Diff(pos.mid(1));
        if (command == u"check" && pos.size() <= 2)
            return Check(pos.value(1));
        if (command == u"history")
            return History(pos.mid(1));
        if (pos.size() != 2)
            throw TUsageError(pos.isEmpty() ? QStringLiteral("a command is needed")
                                            : QStringLiteral("wrong arguments for ") + command);
        if (command == u"read")
            return Read(pos[1]);
        if (command == u"write")
            return Write(pos[1]);
        if (command == u"dump")
            return Dump(pos[1]);
        if (command == u"report")
            return Report(pos[1]);
        throw TUsageError(QStringLiteral("unknown command ") + command);
    }

private:
    TLogSink *Log() { return FArgs.isSet(QStringLiteral("log")) ? &FLog : nullptr; }

    bool LinkGiven() const
    {
        return FArgs.isSet(QStringLiteral("udp")) || FArgs.isSet(QStringLiteral("serial"));
    }

    int Attempts() const
    {
        if (!FArgs.isSet(QStringLiteral("attempts")))
            return TLinkTimings().Attempts;
        bool ok = false;
        const int n = FArgs.value(QStringLiteral("attempts")).toInt(&ok);
        if (!ok || n < 1 || n > 15)
            throw TUsageError(QStringLiteral("--attempts takes 1 to 15"));
        return n;
    }

    // Runs a link job on the configuration, logging in with the password given; its result. A
    // whole write that fails after the erase writes previous back, when given.
    int RunJob(int job, TConfig &config, const QString &password, TConfig *previous = nullptr)
    {
        TTerminalProgress bar;
        TCatalogPasswordSearch search(FIniPath);
        TThreadPort port;
        port.Job = job;
        port.Config = &config;
        port.Link = LinkOptions(FArgs, FIniPath);
        port.Access.Password = password;
        port.Log = Log();
        port.Errors = &FErrors;
        port.Progress = TTerminalProgress::IfTerminal(bar);
        port.PasswordSearch = &search;
        port.Timings.Attempts = Attempts();
        port.Previous = previous;
        port.Execute();
        FEffect = port.Effect;
        FRestore = port.Restore;
        if (job == JobConnect && port.ResultCode == 0 && port.Access.Password.isEmpty())
            Err(QStringLiteral("No configuration file of the catalogue holds this module's "
                               "password; give it with --password."));
        return port.ResultCode;
    }

    // The access password given for this run, taken once: from --password-file, from
    // --password (asked for on the terminal when it has no value), or from LORIM_PASSWORD.
    std::optional<QString> GivenPassword()
    {
        if (FPasswordTaken)
            return FPassword;
        FPasswordTaken = true;
        const bool fromFile = FArgs.isSet(QStringLiteral("password-file"));
        const bool fromOption = FArgs.isSet(QStringLiteral("password"));
        if (fromFile && fromOption)
            throw TUsageError(QStringLiteral("--password and --password-file exclude each other"));
        if (fromFile) {
            const QString path = FArgs.value(QStringLiteral("password-file"));
            FPassword = ReadSecretFile(path);
            if (!FPassword || FPassword->isEmpty())
                throw TFailure(QStringLiteral("Не удалось прочитать пароль из ") + path, ExitFile);
        } else if (fromOption) {
            FPassword = FArgs.value(QStringLiteral("password"));
            if (FPassword->isEmpty())
                FPassword = AskSecret(QStringLiteral("Пароль доступа: "));
            else
                Err(QStringLiteral("lorim-cli: --password DIGITS shows the password to every user "
                                   "of this computer; use LORIM_PASSWORD, --password-file or "
                                   "--password alone"));
            if (!FPassword)
                throw TUsageError(QStringLiteral("--password alone asks on the terminal, and there "
                                                 "is none: use LORIM_PASSWORD or --password-file"));
        } else if (qEnvironmentVariableIsSet("LORIM_PASSWORD")) {
            FPassword = qEnvironmentVariable("LORIM_PASSWORD");
        }
        return FPassword;
    }

    // Reads the network's whole configuration, logging in with the password given or else one
    // found in the catalogue; the job's result.
    // The configuration is taken into the history as read, named after file (see
    // HistorySiteName).
    int ReadNetwork(TConfig &config, const QString &file)
    {
        const std::optional<QString> given = GivenPassword();
        const int result = RunJob(given ? JobRead : JobConnect, config, given.value_or(QString()));
        if (result == 1)
            RecordVersion(config, THistoryEvent::Read, file);
        return result;
    }

    // Takes a version of the site into the history; a history that cannot be written is said
    // on standard error and changes nothing else.
    void RecordVersion(const TConfig &config, THistoryEvent event, const QString &file)
    {
        const TDevice *module = config.Device(1);
        const QString site = HistorySiteName(FIniPath, file, module ? module->ID : QString());
        THistory history(LoadHistorySettings(FIniPath), Log());
        if (!history.Record(config, VersionMessage(event, site), QDateTime::currentDateTime()))
            Err(history.Failure());
    }

    int Read(const QString &out)
    {
        TConfig config;
        const int result = ReadNetwork(config, out);
        if (result != 1)
            return ExitOfResult(result);
        const TSaveResult saved = SaveConfigFile(config, out, TemplatePath(), Log(), nullptr);
        if (saved == TSaveResult::Saved)
            return ExitDone;
        Err(SaveFailure(saved, out));
        return ExitFile;
    }

    // Loads a configuration file as the editor opens one; false (with a message) when it cannot.
    bool Load(const QString &file, TConfig &config)
    {
        TDBConfig db(&config, Log());
        if (!db.Connect(file)) {
            Err(QStringLiteral("Не удалось открыть БД ") + file);
            return false;
        }
        if (!db.LoadConfig()) {
            Err(QStringLiteral("Не удалось загрузить конфигурацию из ") + file);
            return false;
        }
        return true;
    }

    // Writes a configuration file to the module whole, logging in with the file's administrator
    // password unless another is given. The write erases the module first: unless told
    // otherwise, what the module holds is read and kept as a backup before, without a backup
    // nothing is written, and a write that fails after the erase writes the backup back.
    int Write(const QString &file)
    {
        TConfig config;
        if (!Load(file, config))
            return ExitFile;
        if (!PassesCheck(config))
            return ExitErrors;
        const TUser *admin = config.User(TUser::AdminNumber);
        const QString password = GivenPassword().value_or(admin ? admin->Pswrd1 : QString());
        TConfig before;
        QString backup;
        const bool keep = !FArgs.isSet(QStringLiteral("no-backup"));
        if (keep && !Backup(password, before, backup))
            return ExitFile;
        if (keep)
            RecordVersion(before, THistoryEvent::BeforeWrite, file);
        config.WriteAll = true;
        const bool restore = keep && !FArgs.isSet(QStringLiteral("no-restore"));
        const int result = RunJob(JobWrite, config, password, restore ? &before : nullptr);
        if (result == 1)
            RecordVersion(config, THistoryEvent::Written, file);
        if (result == 1 || FEffect == TModuleEffect::None)
            return ExitOfResult(result);
        Err(WholeWriteOutcome(FRestore, FEffect, backup));
        return ExitFile;
    }

    // Says on standard error what the check of a configuration to be written finds; false,
    // having said that nothing is written, when it finds errors and --force is not given.
    bool PassesCheck(const TConfig &config)
    {
        const QList<TProblem> problems = CheckConfig(config);
        for (const QString &line : ProblemLines(problems))
            Err(line);
        if (CountErrors(problems) == 0 || FArgs.isSet(QStringLiteral("force")))
            return true;
        Err(QStringLiteral("В конфигурации есть ошибки; запись не выполнена (--force: записать "
                           "всё равно)"));
        return false;
    }

    bool Backup(const QString &password, TConfig &before, QString &backup)
    {
        QString failure = QStringLiteral("модуль не ответил");
        if (const int read = RunJob(JobRead, before, password); read == 1)
            backup = SaveBackup(before, LoadBackupSettings(FIniPath), QDateTime::currentDateTime(),
                                failure);
        else if (read == 0)
            failure = QStringLiteral("модуль отклонил вход");
        if (backup.isEmpty()) {
            Err(QStringLiteral("Не удалось сохранить резервную копию конфигурации модуля (") +
                failure + QStringLiteral("); запись не выполнена (--no-backup: без копии)"));
            return false;
        }
        Print({QStringLiteral("Резервная копия конфигурации модуля: ") + backup});
        return true;
    }

    // Sets the module's clock from this computer's, logging in with the password given or
    // else the administrator's password of a new configuration.
    int Clock()
    {
        TConfig config;
        const QString password = GivenPassword().value_or(config.User(TUser::AdminNumber)->Pswrd1);
        return ExitOfResult(RunJob(JobClock, config, password));
    }

    int Dump(const QString &file)
    {
        TConfig config;
        if (!Load(file, config))
            return ExitFile;
        Print(DumpConfig(config));
        return ExitDone;
    }

    // Compares a configuration file with a second file, or else with the network, printing
    // each difference.
    int Diff(const QStringList &files)
    {
        const bool withFile = files.size() == 2;
        if (withFile && LinkGiven())
            throw TUsageError(QStringLiteral("diff takes a second file or the link, not both"));
        TConfig first;
        TConfig second;
        if (!Load(files[0], first) || (withFile && !Load(files[1], second)))
            return ExitFile;
        if (!withFile)
            if (const int result = ReadNetwork(second, files[0]); result != 1)
                return ExitOfResult(result);
        const QStringList differences = CompareConfigs(first, second);
        Print(differences);
        return differences.isEmpty() ? ExitDone : ExitDiffer;
    }

    // Checks a configuration file, or without one the network's configuration, and prints each
    // problem, errors first: a line each, or the JSON document --format json asks for.
    int Check(const QString &file)
    {
        const bool json = CheckInJson();
        if (!file.isEmpty() && LinkGiven())
            throw TUsageError(QStringLiteral("check takes a file or the link, not both"));
        TConfig config;
        if (!file.isEmpty() && !Load(file, config))
            return ExitFile;
        if (file.isEmpty())
            if (const int result = ReadNetwork(config, QString()); result != 1)
                return ExitOfResult(result);
        const QList<TProblem> problems = CheckConfig(config);
        if (json) {
            const QByteArray document = ProblemsJson(problems);
            std::fwrite(document.constData(), 1, static_cast<size_t>(document.size()), stdout);
        } else {
            Print(ProblemLines(problems));
        }
        return CountErrors(problems) > 0 ? ExitErrors : ExitDone;
    }

    // The history of the sites: its versions, the differences between two, one of them into a
    // file, and the sync with the shared history.
    int History(const QStringList &args)
    {
        const QString command = args.value(0);
        THistory history(LoadHistorySettings(FIniPath), nullptr);
        if (command == u"list" && args.size() <= 2)
            return ListVersions(history, args.size() == 2 ? ModuleArgument(args[1]) : QString());
        if (command == u"diff" && (args.size() == 3 || args.size() == 4))
            return DiffVersions(history, ModuleArgument(args[1]), args[2],
                                args.value(3, QStringLiteral("@")));
        if (command == u"get" && args.size() == 3)
            return GetVersion(history, ModuleArgument(args[1]), args[2]);
        if (command == u"sync" && args.size() == 1)
            return Sync(history);
        throw TUsageError(QStringLiteral(
            "history takes list [ID], diff ID REV1 [REV2], get ID REV -o FILE.cfg or sync"));
    }

    // A module identifier as typed: 12 hexadecimal digits, which may be grouped by "-" or ":".
    static QString ModuleArgument(const QString &text)
    {
        static const QRegularExpression identifier(QStringLiteral("^[0-9A-F]{12}$"));
        const QString id = QString(text).remove(u'-').remove(u':').toUpper();
        if (!identifier.match(id).hasMatch())
            throw TUsageError(QStringLiteral("ID is a module identifier: 12 hexadecimal digits"));
        return id;
    }

    // Prints the versions of a module (of every module, then naming it), newest first.
    static int ListVersions(THistory &history, const QString &moduleID)
    {
        QStringList lines;
        for (const THistoryVersion &v : history.Versions(moduleID)) {
            QStringList fields{v.Short, v.When.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"))};
            if (moduleID.isEmpty())
                fields << v.ModuleID;
            lines << (fields << v.Author << v.Message).join(QStringLiteral("  "));
        }
        Print(lines);
        return ExitDone;
    }

    // Loads a version of a module; false, having said why, when there is none.
    static bool LoadVersion(THistory &history, const QString &moduleID, const QString &revision,
                            TConfig &config)
    {
        const QString commit = history.Resolve(moduleID, revision);
        if (!commit.isEmpty() && history.Load(moduleID, commit, config))
            return true;
        Err(history.Failure());
        return false;
    }

    // Prints the differences between two versions of a module, as diff does two files.
    static int DiffVersions(THistory &history, const QString &moduleID, const QString &first,
                            const QString &second)
    {
        TConfig a;
        TConfig b;
        if (!LoadVersion(history, moduleID, first, a) || !LoadVersion(history, moduleID, second, b))
            return ExitFile;
        const QStringList differences = CompareConfigs(a, b);
        Print(differences);
        return differences.isEmpty() ? ExitDone : ExitDiffer;
    }

    // Saves a version of a module as a configuration file, the one -o names.
    int GetVersion(THistory &history, const QString &moduleID, const QString &revision)
    {
        if (!FArgs.isSet(QStringLiteral("output")))
            throw TUsageError(QStringLiteral("history get needs -o FILE.cfg"));
        const QString out = FArgs.value(QStringLiteral("output"));
        TConfig config;
        if (!LoadVersion(history, moduleID, revision, config))
            return ExitFile;
        const TSaveResult saved = SaveConfigFile(config, out, TemplatePath(), Log(), nullptr);
        if (saved == TSaveResult::Saved)
            return ExitDone;
        Err(SaveFailure(saved, out));
        return ExitFile;
    }

    static int Sync(THistory &history)
    {
        const TSyncResult result = history.Sync();
        if (!result.Ok) {
            for (const QString &line : result.Lines)
                Err(line);
            return ExitUnshared;
        }
        Print(result.Lines);
        return ExitDone;
    }

    // Whether check prints JSON (--format json) rather than lines (text, the default).
    bool CheckInJson() const
    {
        const QString name = FArgs.value(QStringLiteral("format"));
        if (!FArgs.isSet(QStringLiteral("format")) || name == u"text")
            return false;
        if (name == u"json")
            return true;
        throw TUsageError(QStringLiteral("check: --format takes text or json"));
    }

    // The form --format names, HTML when it is not given.
    TReportFormat ReportFormat() const
    {
        if (!FArgs.isSet(QStringLiteral("format")))
            return TReportFormat::Html;
        const QString name = FArgs.value(QStringLiteral("format"));
        const std::pair<const char16_t *, TReportFormat> formats[] = {
            {u"html", TReportFormat::Html},
            {u"csv", TReportFormat::Csv},
            {u"json", TReportFormat::Json}};
        for (const auto &[text, format] : formats)
            if (name == QStringView(text))
                return format;
        throw TUsageError(QStringLiteral("--format takes html, csv or json"));
    }

    // The site's name: the catalogue's name for the file, else the file's own name.
    QString SiteName(const QString &file) const
    {
        const QString name = CatalogName(FIniPath, file);
        return name.isEmpty() ? QFileInfo(file).completeBaseName() : name;
    }

    // Writes the report of a configuration file into the file -o names (replacing it only
    // when the new one is complete), else to standard output.
    int Report(const QString &file)
    {
        const TReportFormat format = ReportFormat();
        TConfig config;
        if (!Load(file, config))
            return ExitFile;
        const QByteArray report =
            SiteReport(config, format, FArgs.isSet(QStringLiteral("passwords")), SiteName(file));
        if (!FArgs.isSet(QStringLiteral("output"))) {
            std::fwrite(report.constData(), 1, static_cast<size_t>(report.size()), stdout);
            return ExitDone;
        }
        const QString out = FArgs.value(QStringLiteral("output"));
        QSaveFile saved(out);
        if (saved.open(QIODevice::WriteOnly) && saved.write(report) == report.size() &&
            saved.commit())
            return ExitDone;
        Err(QStringLiteral("Не удалось записать отчёт в ") + out);
        return ExitFile;
    }

    const QCommandLineParser &FArgs;
    const TIniPath FIniPath;
    TStdoutLog FLog;
    TStderrMessages FErrors;
    TModuleEffect FEffect = TModuleEffect::None; // of the last link job
    TRestore FRestore = TRestore::NotNeeded;
    bool FPasswordTaken = false;
    std::optional<QString> FPassword;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("lorim-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(LORIM_VERSION));
    InitAppDir();
    QCommandLineParser args;
    args.setApplicationDescription(QStringLiteral(
        "The link and file jobs of the LORIM configuration tool.\n\n"
        "Commands:\n"
        "  read OUT.cfg    read the configuration from the module and save it into OUT.cfg\n"
        "  write FILE.cfg  erase the module's configuration and write FILE.cfg to it, after\n"
        "                  keeping what the module held as a backup (section Backup of the INI\n"
        "                  file: Folder, Keep); should the write fail after the erase, the\n"
        "                  backup is written back (exit status 1)\n"
        "  clock           set the module's clock from this computer's\n"
        "  dump FILE.cfg   print a configuration file as text\n"
        "  report FILE.cfg print a report of a configuration file: HTML, CSV or JSON\n"
        "  diff FILE.cfg [OTHER.cfg]\n"
        "                  print how FILE.cfg differs from OTHER.cfg, or else from the module\n"
        "  check [FILE.cfg]\n"
        "                  check FILE.cfg, or else the module's configuration, before it goes\n"
        "                  to the alarm system: one line per error, then per warning\n"
        "  history list [ID]\n"
        "                  list the versions of a module (of every module) in the history,\n"
        "                  newest first (section History of the INI file: Folder, Remote,\n"
        "                  Author); read, write, diff and check with the module add versions\n"
        "  history diff ID REV1 [REV2]\n"
        "                  print how version REV1 differs from REV2 (else the newest); REV is\n"
        "                  a commit hash or its start, or @~N, the Nth version before the newest\n"
        "  history get ID REV -o FILE.cfg\n"
        "                  save a version as a configuration file\n"
        "  history sync    bring in the versions of the shared history (Remote) and send ours\n\n"
        "Exit status: 0 done (diff: no differences; check: no error), 1 file error, 2 usage "
        "error, 3 login refused or no password found, 4 link failure, 5 the configurations "
        "differ, 6 the configuration has errors (check; write without --force), 7 the history "
        "could not be shared."));
    args.addHelpOption();
    args.addVersionOption();
    args.addPositionalArgument(
        QStringLiteral("command"),
        QStringLiteral("read, write, clock, dump, diff, report, check or history"));
    args.addPositionalArgument(
        QStringLiteral("file"),
        QStringLiteral("the configuration file (not for clock; check: else the module's)"));
    args.addPositionalArgument(QStringLiteral("other"),
                               QStringLiteral("diff: the file to compare with (else the module)"),
                               QStringLiteral("[other]"));
    args.addOptions({
        {QStringLiteral("udp"), QStringLiteral("Reach the module over UDP at IP[:PORT]."),
         QStringLiteral("ip")},
        {QStringLiteral("serial"), QStringLiteral("Reach the module over this serial port."),
         QStringLiteral("device")},
        {QStringLiteral("password"),
         QStringLiteral("Log in with this password; given alone, it is asked for on the "
                        "terminal. A password on the command line is seen by every user of the "
                        "computer: prefer LORIM_PASSWORD or --password-file. Without any: read, "
                        "diff and check search the catalogue for it, write takes the file's "
                        "administrator password, clock takes 8522."),
         QStringLiteral("digits")},
        {QStringLiteral("password-file"),
         QStringLiteral("Log in with the password on the first line of this file (- for "
                        "standard input)."),
         QStringLiteral("file")},
        {QStringLiteral("ini"),
         QStringLiteral("The INI file with the link settings and the catalogue."),
         QStringLiteral("file")},
        {QStringLiteral("log"), QStringLiteral("Print every log line as it is written.")},
        {QStringLiteral("no-backup"),
         QStringLiteral("write: do not read and keep the module's configuration first.")},
        {QStringLiteral("no-restore"),
         QStringLiteral("write: should the write fail after the erase, leave the module as it "
                        "is instead of writing the backup back.")},
        {QStringLiteral("force"),
         QStringLiteral("write: write even a configuration whose check finds errors.")},
        {QStringLiteral("attempts"),
         QStringLiteral("Send each request at most this many times (1..15, default 15)."),
         QStringLiteral("n")},
        {QStringLiteral("format"),
         QStringLiteral("report: html (the default), csv or json; check: text (the default) or "
                        "json."),
         QStringLiteral("format")},
        {{QStringLiteral("o"), QStringLiteral("output")},
         QStringLiteral("report: write into this file instead of standard output; history "
                        "get: the file to save the version into."),
         QStringLiteral("file")},
        {QStringLiteral("passwords"), QStringLiteral("report: show the users' passwords.")},
    });
    if (!args.parse(MarkPasswordToAsk(QCoreApplication::arguments()))) {
        Err(args.errorText());
        Err(args.helpText());
        return ExitUsage;
    }
    if (args.isSet(QStringLiteral("help"))) {
        std::fprintf(stdout, "%s", args.helpText().toLocal8Bit().constData());
        return ExitDone;
    }
    if (args.isSet(QStringLiteral("version"))) {
        std::fprintf(stdout, "lorim-cli %s\n", LORIM_VERSION);
        return ExitDone;
    }
    try {
        return TCli(args).Run();
    } catch (const TUsageError &e) {
        Err(QStringLiteral("lorim-cli: ") + e.Text);
        Err(args.helpText());
        return ExitUsage;
    } catch (const TFailure &e) {
        Err(e.Text);
        return e.Exit;
    }
}
