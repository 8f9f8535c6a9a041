// lorim-sim: a communication module for development, tests and demonstrations. It answers the
// tool over UDP (or on Unix over a pseudo-terminal) with the demo site or a configuration file,
// and can be told to make the faults a real line makes.

#include "link/uOptnLink.h"
#include "model/uConfig.h"
#include "sim/uDemoSite.h"
#include "sim/uSimCore.h"
#include "sim/uSimServer.h"
#include "storage/uCatalog.h"
#include "storage/uDB.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

#ifdef Q_OS_UNIX
#include <csignal>
#else
#include <atomic>

#include <windows.h>
#endif

namespace {

void Print(const QString &line)
{
    std::fprintf(stdout, "%s\n", line.toLocal8Bit().constData());
    std::fflush(stdout);
}

[[noreturn]] void Fail(const QString &text)
{
    std::fprintf(stderr, "lorim-sim: %s\n", text.toLocal8Bit().constData());
    std::exit(2);
}

int IntOption(const QCommandLineParser &args, const QString &name, int def)
{
    if (!args.isSet(name))
        return def;
    bool ok = false;
    const int v = args.value(name).toInt(&ok, 0);
    if (!ok || v < 0)
        Fail(QStringLiteral("--") + name + QStringLiteral(" takes a whole number"));
    return v;
}

double RateOption(const QCommandLineParser &args, const QString &name)
{
    bool ok = true;
    const double v = args.isSet(name) ? args.value(name).toDouble(&ok) : 0.0;
    if (!ok || v < 0 || v > 1)
        Fail(QStringLiteral("--") + name + QStringLiteral(" takes a share from 0 to 1"));
    return v;
}

TSimFaults FaultOptions(const QCommandLineParser &args)
{
    TSimFaults f;
    f.DropRate = RateOption(args, QStringLiteral("drop"));
    f.CorruptRate = RateOption(args, QStringLiteral("corrupt"));
    f.Seed = static_cast<unsigned>(IntOption(args, QStringLiteral("seed"), 1));
    f.SilentAfter = IntOption(args, QStringLiteral("silent-after"), 0);
    f.LinkLostFrom = IntOption(args, QStringLiteral("link-lost-from"), 0);
    f.AddressBytes = IntOption(args, QStringLiteral("address-bytes"), 0);
    if (f.AddressBytes > 15)
        Fail(QStringLiteral("--address-bytes takes 0 to 15"));
    f.LoginStatus = args.isSet(QStringLiteral("login-status"))
                        ? IntOption(args, QStringLiteral("login-status"), 0)
                        : -1;
    const auto codes = [&args](const QString &option, std::set<std::uint8_t> &into) {
        for (const QString &code : args.values(option)) {
            bool ok = false;
            const uint v = code.toUInt(&ok, 0);
            if (!ok || v > 255)
                Fail(QStringLiteral("--") + option +
                     QStringLiteral(" takes a command code such as 0x43"));
            into.insert(static_cast<std::uint8_t>(v));
        }
    };
    codes(QStringLiteral("refuse"), f.RefuseCodes);
    codes(QStringLiteral("refuse-once"), f.RefuseOnce);
    return f;
}

TSimEndpoint EndpointOptions(const QCommandLineParser &args)
{
    TSimEndpoint e;
#ifdef Q_OS_UNIX
    e.Serial = args.isSet(QStringLiteral("serial"));
    e.ByteDelayUs = IntOption(args, QStringLiteral("byte-delay"), -1);
#endif
    e.ReplyDelayMs = IntOption(args, QStringLiteral("reply-delay"), 0);
    if (args.isSet(QStringLiteral("udp"))) {
        if (!ParseUdpAddress(args.value(QStringLiteral("udp")), e.Address, e.Port))
            Fail(QStringLiteral("--udp takes ADDRESS[:PORT]"));
    }
    return e;
}

#ifdef Q_OS_UNIX
// SIGINT (Ctrl+C) and SIGTERM end the simulator. They are blocked from the start, so that the
// server's thread inherits the block and Wait alone takes them.
class TStopSignals {
public:
    TStopSignals()
    {
        sigemptyset(&FSignals);
        sigaddset(&FSignals, SIGINT);
        sigaddset(&FSignals, SIGTERM);
        pthread_sigmask(SIG_BLOCK, &FSignals, nullptr);
    }
    void Wait() const
    {
        int signal = 0;
        sigwait(&FSignals, &signal);
    }

private:
    sigset_t FSignals;
};
#else
// Ctrl+C, Ctrl+Break and closing the console end the simulator; Windows runs the handler on a
// thread of its own.
class TStopSignals {
public:
    TStopSignals() { SetConsoleCtrlHandler(Stop, TRUE); }
    void Wait() const { FStopped.wait(false); }

private:
    static BOOL WINAPI Stop(DWORD)
    {
        FStopped = true;
        FStopped.notify_all();
        return TRUE;
    }
    static inline std::atomic<bool> FStopped{false};
};
#endif

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("lorim-sim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(LORIM_VERSION));
    InitAppDir();
    QCommandLineParser args;
    QString description =
        QStringLiteral("Answers the configuration tool as a communication module would, until it "
                       "is interrupted (Ctrl+C).");
    args.addHelpOption();
    args.addVersionOption();
    args.addOption({QStringLiteral("udp"),
                    QStringLiteral("Listen on ADDRESS[:PORT] (default 127.0.0.2:10001)."),
                    QStringLiteral("address")});
#ifdef Q_OS_UNIX
    args.addOptions({
        {QStringLiteral("serial"),
         QStringLiteral("Listen on a new pseudo-terminal; its path is printed.")},
        {QStringLiteral("byte-delay"),
         QStringLiteral("Serial: send replies byte by byte, this many microseconds apart."),
         QStringLiteral("us")},
    });
#else
    description += QStringLiteral(" On this system it listens on UDP alone: its serial line is a "
                                  "Unix pseudo-terminal.");
#endif
    args.setApplicationDescription(description);
    args.addOptions({
        {QStringLiteral("config"),
         QStringLiteral("Answer with this configuration file instead of the demo site."),
         QStringLiteral("file")},
        {QStringLiteral("save"),
         QStringLiteral("After every job that changed the configuration, save it into this file."),
         QStringLiteral("file")},
        {QStringLiteral("verbose"), QStringLiteral("Print every request and reply.")},
        {QStringLiteral("drop"), QStringLiteral("Drop this share of replies at random (0..1)."),
         QStringLiteral("rate")},
        {QStringLiteral("corrupt"),
         QStringLiteral("Corrupt this share of replies at random (0..1)."), QStringLiteral("rate")},
        {QStringLiteral("seed"), QStringLiteral("Seed of the random faults."), QStringLiteral("n")},
        {QStringLiteral("silent-after"), QStringLiteral("Fall silent after this many requests."),
         QStringLiteral("n")},
        {QStringLiteral("link-lost-from"),
         QStringLiteral("Set the link-lost bit from this reply on."), QStringLiteral("n")},
        {QStringLiteral("refuse"), QStringLiteral("Refuse this command code (repeatable)."),
         QStringLiteral("code")},
        {QStringLiteral("refuse-once"),
         QStringLiteral("Refuse this command code the next time only (repeatable)."),
         QStringLiteral("code")},
        {QStringLiteral("address-bytes"),
         QStringLiteral("Put this many address bytes in front of replies."), QStringLiteral("n")},
        {QStringLiteral("login-status"), QStringLiteral("Answer every login with this status."),
         QStringLiteral("n")},
        {QStringLiteral("reply-delay"),
         QStringLiteral("Hold every reply this many milliseconds, as a slow module does."),
         QStringLiteral("ms")},
    });
    args.process(app);
    if (!args.positionalArguments().isEmpty())
        Fail(QStringLiteral("unexpected argument ") + args.positionalArguments().first());

    TConfig config;
    if (args.isSet(QStringLiteral("config"))) {
        TDBConfig db(&config, nullptr);
        if (!db.Connect(args.value(QStringLiteral("config"))) || !db.LoadConfig())
            Fail(QStringLiteral("cannot load ") + args.value(QStringLiteral("config")));
    } else {
        FillDemoSite(config);
    }

    const TStopSignals stopSignals;
    TModuleCore core(config, FaultOptions(args));
    const TSimEndpoint endpoint = EndpointOptions(args);
    TSimServer server(core, endpoint);
    if (args.isSet(QStringLiteral("verbose")))
        server.Trace = Print;
    QString clock;
    int savedChanges = 0;
    int logouts = 0;
    const QString savePath = args.value(QStringLiteral("save"));
    server.AfterRequest = [&] {
        if (core.Clock() != clock) {
            clock = core.Clock();
            Print(QStringLiteral("clock: ") + clock);
        }
        // A job ends with its logout; the configuration is saved when the job changed it.
        if (core.Logouts() == logouts)
            return;
        logouts = core.Logouts();
        if (savePath.isEmpty() || core.Changes() == savedChanges)
            return;
        savedChanges = core.Changes();
        const bool saved = SaveConfigFile(config, savePath, TemplatePath(), nullptr, nullptr) ==
                           TSaveResult::Saved;
        Print((saved ? QStringLiteral("saved ") : QStringLiteral("cannot save ")) + savePath);
    };
    QString error;
    if (!server.Start(error))
        Fail(error);
    QString listening =
        QStringLiteral("udp ") + endpoint.Address + u':' + QString::number(endpoint.Port);
#ifdef Q_OS_UNIX
    if (endpoint.Serial)
        listening = QStringLiteral("serial ") + server.SerialPath();
#endif
    Print(listening);
    stopSignals.Wait();
    server.Stop();
    return 0;
}
