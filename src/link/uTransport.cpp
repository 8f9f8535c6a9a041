#include "link/uTransport.h"

#include "link/uFrame.h"

#include <QDir>
#include <QFileInfo>
#include <QHostAddress>
#include <QLockFile>
#include <QNetworkDatagram>
#include <QSerialPort>
#include <QUdpSocket>

#ifdef Q_OS_WIN
#include <winsock2.h>
#else
#include <sys/socket.h>
#endif

namespace {

void Feed(TFrame &frame, const QByteArray &bytes)
{
    for (const char b : bytes)
        frame.AddWireByte(static_cast<std::uint8_t>(b));
}

// UDP: the tool binds the module's port on all IPv4 addresses (the dual-stack address would
// report senders as "::ffff:..." and never match the configured address text) and takes only
// datagrams from the module's address and port.
class TUdpTransport : public TTransport {
public:
    explicit TUdpTransport(const TOptnLink &link) : FLink(link) {}

    QString Open() override
    {
        FClaim = std::make_unique<TUdpPortClaim>(FLink.Port);
        if (!FClaim->Held())
            return QStringLiteral("UDP-порт ") + QString::number(FLink.Port) +
                   QStringLiteral(" занят другим заданием");
        if (!BindLinkSocket(FSocket, FLink.Port))
            return QStringLiteral("Не удалось открыть порт");
        return QString();
    }

    void Send(const QByteArray &wire) override
    {
        while (FSocket.hasPendingDatagrams())
            FSocket.receiveDatagram();
        QByteArray datagram = wire;
        if (datagram.size() < MinDatagram)
            datagram.append(MinDatagram - datagram.size(), '\0');
        FSocket.writeDatagram(datagram, QHostAddress(FLink.IP), static_cast<quint16>(FLink.Port));
    }

    void ReadInto(TFrame &frame, int waitMs) override
    {
        if (!FSocket.hasPendingDatagrams())
            FSocket.waitForReadyRead(waitMs);
        while (FSocket.hasPendingDatagrams()) {
            const QNetworkDatagram d = FSocket.receiveDatagram();
            if (d.senderAddress().toString() == FLink.IP && d.senderPort() == FLink.Port)
                Feed(frame, d.data().left(MaxDatagramTaken));
        }
    }

private:
    TOptnLink FLink;
    std::unique_ptr<TUdpPortClaim> FClaim; // released after the socket is closed
    QUdpSocket FSocket;
};

// Serial: always 57600 baud, 8 data bits, no parity, one stop bit, no flow control, whatever
// speed the settings show.
class TSerialTransport : public TTransport {
public:
    explicit TSerialTransport(const TOptnLink &link) { FPort.setPortName(link.COMPort); }

    QString Open() override
    {
        FPort.setBaudRate(QSerialPort::Baud57600);
        FPort.setDataBits(QSerialPort::Data8);
        FPort.setParity(QSerialPort::NoParity);
        FPort.setStopBits(QSerialPort::OneStop);
        FPort.setFlowControl(QSerialPort::NoFlowControl);
        if (!FPort.open(QIODevice::ReadWrite))
            return QStringLiteral("Не удалось открыть порт") + OpenFailureHint();
        // The system raises DTR and RTS as the port opens; they are lowered at once. A
        // pseudo-terminal refuses the modem lines; that is no reason to fail.
        FPort.setDataTerminalReady(false);
        FPort.setRequestToSend(false);
        FPort.clearError();
        return QString();
    }

    void Send(const QByteArray &wire) override
    {
        FPort.waitForReadyRead(0); // takes in what the system holds, to be dropped
        FPort.readAll();
        FPort.write(wire);
        FPort.waitForBytesWritten(1000);
    }

    void ReadInto(TFrame &frame, int waitMs) override
    {
        // waitForReadyRead reports only new data, so what is buffered is taken first.
        if (FPort.bytesAvailable() == 0)
            FPort.waitForReadyRead(waitMs);
        Feed(frame, FPort.readAll());
    }

private:
    // Why the port did not open, when the system says it and the user can mend it.
    QString OpenFailureHint() const
    {
        if (FPort.error() != QSerialPort::PermissionError)
            return QString();
        const QString name = FPort.portName();
#ifdef Q_OS_UNIX
        const QFileInfo device(name.startsWith(u'/') ? name : QStringLiteral("/dev/") + name);
        if (device.exists() && !(device.isReadable() && device.isWritable()))
            return QStringLiteral("\nНет прав на порт ") + device.filePath() +
                   QStringLiteral(": пользователь должен входить в группу dialout "
                                  "(sudo usermod -a -G dialout $USER, затем войти в систему "
                                  "заново)");
#endif
        return QStringLiteral("\nПорт ") + name + QStringLiteral(" занят другой программой");
    }

    QSerialPort FPort;
};

// Broadcast off on a bound socket, through the system's socket call: Qt has no option for it.
bool DisableBroadcast(qintptr descriptor)
{
    const int off = 0;
#ifdef Q_OS_WIN
    return setsockopt(static_cast<SOCKET>(descriptor), SOL_SOCKET, SO_BROADCAST,
                      reinterpret_cast<const char *>(&off), sizeof off) == 0;
#else
    return setsockopt(static_cast<int>(descriptor), SOL_SOCKET, SO_BROADCAST, &off, sizeof off) ==
           0;
#endif
}

} // namespace

TUdpPortClaim::TUdpPortClaim(int port)
    : FLock(std::make_unique<QLockFile>(QDir::temp().filePath(
          QStringLiteral("lorim-udp-") + QString::number(port) + QStringLiteral(".lock"))))
{
    // A job holds its port as long as it runs, however long that is; only a dead owner makes the
    // claim stale.
    FLock->setStaleLockTime(0);
    FHeld = FLock->tryLock(0);
}

TUdpPortClaim::~TUdpPortClaim() = default;

bool BindLinkSocket(QUdpSocket &socket, int port)
{
    return socket.bind(QHostAddress::AnyIPv4, static_cast<quint16>(port),
                       QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint) &&
           DisableBroadcast(socket.socketDescriptor());
}

std::unique_ptr<TTransport> MakeTransport(const TOptnLink &link)
{
    if (link.Type == 1)
        return std::make_unique<TUdpTransport>(link);
    return std::make_unique<TSerialTransport>(link);
}
