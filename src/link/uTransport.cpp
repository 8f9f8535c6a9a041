#include "link/uTransport.h"

#include "link/uFrame.h"

#include <QHostAddress>
#include <QNetworkDatagram>
#include <QSerialPort>
#include <QUdpSocket>

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

    bool Open() override
    {
        return FSocket.bind(QHostAddress::AnyIPv4, static_cast<quint16>(FLink.Port),
                            QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint);
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
    QUdpSocket FSocket;
};

// Serial: always 57600 baud, 8 data bits, no parity, one stop bit, no flow control, whatever
// speed the settings show.
class TSerialTransport : public TTransport {
public:
    explicit TSerialTransport(const TOptnLink &link) { FPort.setPortName(link.COMPort); }

    bool Open() override
    {
        FPort.setBaudRate(QSerialPort::Baud57600);
        FPort.setDataBits(QSerialPort::Data8);
        FPort.setParity(QSerialPort::NoParity);
        FPort.setStopBits(QSerialPort::OneStop);
        FPort.setFlowControl(QSerialPort::NoFlowControl);
        if (!FPort.open(QIODevice::ReadWrite))
            return false;
        // A pseudo-terminal refuses the modem lines; that is no reason to fail.
        FPort.setDataTerminalReady(false);
        FPort.setRequestToSend(false);
        FPort.clearError();
        return true;
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
    QSerialPort FPort;
};

} // namespace

std::unique_ptr<TTransport> MakeTransport(const TOptnLink &link)
{
    if (link.Type == 1)
        return std::make_unique<TUdpTransport>(link);
    return std::make_unique<TSerialTransport>(link);
}
