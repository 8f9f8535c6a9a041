#pragma once

#include "storage/uCatalog.h"
#include "support/uLinkRig.h"

#include <QProcess>
#include <QStringList>

// A lorim-sim process (AppDir must be set); it is stopped when the object goes.
class TSimProcess {
public:
    explicit TSimProcess(const QStringList &args) : Port(FreeUdpPort())
    {
        FProcess.start(AppDir + QStringLiteral("lorim-sim"),
                       QStringList{QStringLiteral("--udp"), Address()} + args);
        FProcess.waitForReadyRead(5000);
        Started = FProcess.readLine().startsWith("udp ");
    }
    ~TSimProcess()
    {
        FProcess.terminate();
        FProcess.waitForFinished(5000);
    }
    QString Address() const { return QStringLiteral("127.0.0.2:") + QString::number(Port); }
    // Waits for a line of output that starts with the text.
    bool WaitFor(const QByteArray &head)
    {
        for (int i = 0; i < 50; ++i) {
            while (FProcess.canReadLine())
                if (FProcess.readLine().startsWith(head))
                    return true;
            FProcess.waitForReadyRead(100);
        }
        return false;
    }

    const int Port;
    bool Started = false;

private:
    QProcess FProcess;
};
