// lorim-cli: the link and file jobs of the configuration tool without a window.
//
//   lorim-cli read OUT.cfg [link options] [--password DIGITS] [--ini FILE] [--log]
//   lorim-cli write FILE.cfg [link options] [--password DIGITS] [--ini FILE] [--log]
//   lorim-cli clock [link options] [--password DIGITS] [--ini FILE] [--log]
//   lorim-cli dump FILE.cfg
//
// Exit status: 0 done, 1 file error, 2 usage error, 3 login refused or no password found,
// 4 link failure.

#include "cli/uCliSinks.h"
#include "cli/uDump.h"
#include "link/uPort.h"
#include "model/uConfig.h"
#include "storage/uCatalog.h"
#include "storage/uDB.h"
#include "storage/uIniFile.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

namespace {

enum TExit { ExitDone = 0, ExitFile = 1, ExitUsage = 2, ExitRefused = 3, ExitLink = 4 };

void Err(const QString &text) { std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData()); }

class TUsageError {
public:
    explicit TUsageError(QString text) : Text(std::move(text)) {}
    QString Text;
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
        if (pos.size() != 2)
            throw TUsageError(pos.isEmpty() ? QStringLiteral("a command is needed")
                                            : QStringLiteral("wrong arguments for ") + command);
        if (command == u"read")
            return Read(pos[1]);
        if (command == u"write")
            return Write(pos[1]);
        if (command == u"dump")
            return Dump(pos[1]);
        throw TUsageError(QStringLiteral("unknown command ") + command);
    }

private:
    TLogSink *Log() { return FArgs.isSet(QStringLiteral("log")) ? &FLog : nullptr; }

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

    // Runs a link job on the configuration, logging in with the password given; its result.
    int RunJob(int job, TConfig &config, const QString &password)
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
        port.Execute();
        if (job == JobConnect && port.ResultCode == 0 && port.Access.Password.isEmpty())
            Err(QStringLiteral("No configuration file of the catalogue holds this module's "
                               "password; give it with --password."));
        return port.ResultCode;
    }

    int Read(const QString &out)
    {
        const bool withPassword = FArgs.isSet(QStringLiteral("password"));
        TConfig config;
        const int result = RunJob(withPassword ? JobRead : JobConnect, config,
                                  FArgs.value(QStringLiteral("password")));
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
    // password unless another is given.
    int Write(const QString &file)
    {
        TConfig config;
        if (!Load(file, config))
            return ExitFile;
        const TUser *admin = config.User(TUser::AdminNumber);
        const QString password = FArgs.isSet(QStringLiteral("password"))
                                     ? FArgs.value(QStringLiteral("password"))
                                 : admin ? admin->Pswrd1
                                         : QString();
        config.WriteAll = true;
        return ExitOfResult(RunJob(JobWrite, config, password));
    }

    // Sets the module's clock from this computer's, logging in with the password given or
    // else the administrator's password of a new configuration.
    int Clock()
    {
        TConfig config;
        const QString password = FArgs.isSet(QStringLiteral("password"))
                                     ? FArgs.value(QStringLiteral("password"))
                                     : config.User(TUser::AdminNumber)->Pswrd1;
        return ExitOfResult(RunJob(JobClock, config, password));
    }

    int Dump(const QString &file)
    {
        TConfig config;
        if (!Load(file, config))
            return ExitFile;
        for (const QString &line : DumpConfig(config))
            std::fprintf(stdout, "%s\n", line.toLocal8Bit().constData());
        return ExitDone;
    }

    const QCommandLineParser &FArgs;
    const TIniPath FIniPath;
    TStdoutLog FLog;
    TStderrMessages FErrors;
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
        "  write FILE.cfg  erase the module's configuration and write FILE.cfg to it\n"
        "  clock           set the module's clock from this computer's\n"
        "  dump FILE.cfg   print a configuration file as text\n\n"
        "Exit status: 0 done, 1 file error, 2 usage error, 3 login refused or no password "
        "found, 4 link failure."));
    args.addHelpOption();
    args.addVersionOption();
    args.addPositionalArgument(QStringLiteral("command"),
                               QStringLiteral("read, write, clock or dump"));
    args.addPositionalArgument(QStringLiteral("file"),
                               QStringLiteral("the configuration file (not for clock)"));
    args.addOptions({
        {QStringLiteral("udp"), QStringLiteral("Reach the module over UDP at IP[:PORT]."),
         QStringLiteral("ip")},
        {QStringLiteral("serial"), QStringLiteral("Reach the module over this serial port."),
         QStringLiteral("device")},
        {QStringLiteral("password"),
         QStringLiteral("Log in with this password (else: read searches the catalogue for it, "
                        "write takes the file's administrator password, clock takes 8522)."),
         QStringLiteral("digits")},
        {QStringLiteral("ini"),
         QStringLiteral("The INI file with the link settings and the catalogue."),
         QStringLiteral("file")},
        {QStringLiteral("log"), QStringLiteral("Print every log line as it is written.")},
        {QStringLiteral("attempts"),
         QStringLiteral("Send each request at most this many times (1..15, default 15)."),
         QStringLiteral("n")},
    });
    if (!args.parse(QCoreApplication::arguments())) {
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
    }
}
