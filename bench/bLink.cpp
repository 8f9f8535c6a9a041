// Times a full read of the largest configuration from the module simulator over loopback UDP.
// Usage: lorim_bench_link [rounds]

#include "link/uPort.h"
#include "model/uConfig.h"
#include "model/uNotify.h"
#include "sim/uSimCore.h"
#include "sim/uSimServer.h"
#include "support/uLinkRig.h"
#include "uMaximal.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>

namespace {

// Counts the requests the tool sends.
struct TExchangeCounter : TLogSink {
    int Requests = 0;
    void WriteLog(const QString &line) override
    {
        if (line.startsWith(u"out:"))
            ++Requests;
    }
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    TConfig site;
    FillMaximal(site);
    site.User(111)->Pswrd1 = QStringLiteral("8522");

    TSimEndpoint endpoint;
    endpoint.Port = FreeUdpPort();
    TModuleCore core(site);
    TSimServer server(core, endpoint);
    QString error;
    if (!server.Start(error)) {
        std::fprintf(stderr, "simulator: %s\n", qPrintable(error));
        return 1;
    }

    double best = 1e9;
    int exchanges = 0;
    for (int r = 0; r < rounds; ++r) {
        TConfig config;
        TExchangeCounter counter;
        TThreadPort port;
        port.Job = JobRead;
        port.Config = &config;
        port.Log = &counter;
        port.Link.Type = 1;
        port.Link.IP = endpoint.Address;
        port.Link.Port = endpoint.Port;
        port.Access.Password = QStringLiteral("8522");
        QElapsedTimer t;
        t.start();
        port.Execute();
        const double ms = t.nsecsElapsed() / 1e6;
        if (port.ResultCode != 1 || config.DeviceCount() != site.DeviceCount()) {
            std::fprintf(stderr, "read failed\n");
            return 1;
        }
        best = std::min(best, ms);
        exchanges = counter.Requests;
    }
    server.Stop();
    std::printf("exchanges: %d\ntotal: %.1f ms\nper exchange: %.3f ms\n(best of %d rounds)\n",
                exchanges, best, best / exchanges, rounds);
    return 0;
}
