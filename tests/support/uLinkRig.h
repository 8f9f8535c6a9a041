#pragma once

#include "link/uPort.h"
#include "model/uConfig.h"
#include "sim/uDemoSite.h"
#include "sim/uSimCore.h"
#include "sim/uSimServer.h"
#include "support/uTestSupport.h"

#include <QHostAddress>
#include <QUdpSocket>

#include <memory>

// A UDP port that nobody uses now, for one test's module and tool.
inline int FreeUdpPort()
{
    QUdpSocket probe;
    probe.bind(QHostAddress::AnyIPv4, 0);
    return probe.localPort();
}

// Waits short enough for tests and long enough for a loaded machine.
inline TLinkTimings TestTimings()
{
    TLinkTimings t;
    t.FirstByteMs = 60;
    t.EndMarkMs = 500;
    t.RetryPauseMs = 5;
    t.ErasePollMs = 1;
    return t;
}

// The tool's link thread against a simulated module that holds Site (the demo site unless the
// test changes it before Start), over loopback UDP or a pseudo-terminal.
struct TLinkRig {
    TConfig Site;
    TConfig Config;
    TSimFaults Faults;
    TSimEndpoint Endpoint;
    TLogRecorder Log;
    TMessageRecorder Errors;
    TThreadPort Port;
    std::unique_ptr<TModuleCore> Core;
    std::unique_ptr<TSimServer> Server;

    TLinkRig()
    {
        FillDemoSite(Site);
        Endpoint.Port = FreeUdpPort();
        Port.Config = &Config;
        Port.Log = &Log;
        Port.Errors = &Errors;
        Port.Timings = TestTimings();
        Port.Link.Type = 1;
        Port.Link.IP = Endpoint.Address;
        Port.Link.Port = Endpoint.Port;
    }

    // Starts the module; returns false when it could not.
    bool Start()
    {
        Core = std::make_unique<TModuleCore>(Site, Faults);
        Server = std::make_unique<TSimServer>(*Core, Endpoint);
        QString error;
        if (!Server->Start(error))
            return false;
        if (Endpoint.Serial) {
            Port.Link.Type = 0;
            Port.Link.COMPort = Server->SerialPath();
        }
        return true;
    }

    // Runs a job to its end on this thread; the module is stopped afterwards, so the test may
    // look at Site.
    int RunJob(int job, const QString &password)
    {
        Port.Job = job;
        Port.Access.Password = password;
        Port.Execute();
        if (Server)
            Server->Stop();
        return Port.ResultCode;
    }

    QStringList LinesStarting(const QString &head) const
    {
        QStringList lines;
        for (const QString &l : Log.Lines)
            if (l.startsWith(head))
                lines << l;
        return lines;
    }

    // The requests that went out with the given command code, as their logged bytes.
    QStringList Requests(std::uint8_t code) const
    {
        QStringList found;
        for (const QString &line : LinesStarting(QStringLiteral("out:   00 32 01 ")))
            if (line.mid(25, 2).toUInt(nullptr, 16) == code)
                found << line;
        return found;
    }

    // The command codes of the requests that went out, in order: "10 03 33 ... 04".
    QString Codes() const
    {
        QStringList codes;
        for (const QString &line : LinesStarting(QStringLiteral("out:   00 32 01 ")))
            codes << line.mid(25, 2);
        return codes.join(u' ');
    }
};
