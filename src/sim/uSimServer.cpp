#include "sim/uSimServer.h"

#include "sim/uSimCore.h"

#include <QHostAddress>
#include <QNetworkDatagram>
#include <QUdpSocket>

#include <chrono>
#include <future>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace {

constexpr int PollMs = 20;

QString Hex(const QByteArray &bytes) { return QString::fromLatin1(bytes.toHex(' ').toUpper()); }

} // namespace

TSimServer::TSimServer(TModuleCore &core, const TSimEndpoint &endpoint)
    : FCore(core), FEndpoint(endpoint)
{
}

TSimServer::~TSimServer()
{
    Stop();
#ifdef Q_OS_UNIX
    if (FSlave >= 0)
        ::close(FSlave);
    if (FMaster >= 0)
        ::close(FMaster);
#endif
}

bool TSimServer::Start(QString &error)
{
    FStop = false;
#ifdef Q_OS_UNIX
    if (FEndpoint.Serial)
        return StartSerial(error);
#endif
    // The socket lives on the server's thread; it reports whether it could bind.
    std::promise<std::pair<bool, QString>> bound;
    auto result = bound.get_future();
    FThread = std::thread([this, &bound] {
        ServeUdp([&bound](bool ok, QString text) { bound.set_value({ok, std::move(text)}); });
    });
    const auto [ok, text] = result.get();
    if (!ok) {
        error = text;
        Stop();
    }
    return ok;
}

void TSimServer::Stop()
{
    FStop = true;
    if (FThread.joinable())
        FThread.join();
}

void TSimServer::Answer(const QByteArray &request,
                        const std::function<void(const QByteArray &)> &send)
{
    const QByteArray reply = FCore.Handle(request);
    if (Trace)
        Trace(QStringLiteral("req: ") + Hex(request) + QStringLiteral("\nrep: ") +
              (reply.isEmpty() ? QStringLiteral("(none)") : Hex(reply)));
    if (!reply.isEmpty()) {
        if (FEndpoint.ReplyDelayMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(FEndpoint.ReplyDelayMs));
        send(reply);
    }
    if (AfterRequest)
        AfterRequest();
}

void TSimServer::ServeUdp(std::function<void(bool, QString)> ready)
{
    QUdpSocket socket;
    // The tool binds the same port on all addresses; both sides need address reuse.
    if (!socket.bind(QHostAddress(FEndpoint.Address), static_cast<quint16>(FEndpoint.Port),
                     QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint)) {
        ready(false, socket.errorString());
        return;
    }
    ready(true, QString());
    while (!FStop) {
        if (!socket.hasPendingDatagrams() && !socket.waitForReadyRead(PollMs))
            continue;
        const QNetworkDatagram d = socket.receiveDatagram();
        Answer(d.data(), [&](const QByteArray &reply) {
            socket.writeDatagram(reply, d.senderAddress(), static_cast<quint16>(d.senderPort()));
        });
    }
}

#ifdef Q_OS_UNIX
bool TSimServer::StartSerial(QString &error)
{
    FMaster = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (FMaster < 0 || ::grantpt(FMaster) != 0 || ::unlockpt(FMaster) != 0) {
        error = QStringLiteral("cannot create a pseudo-terminal");
        return false;
    }
    FSerialPath = QString::fromLocal8Bit(::ptsname(FMaster));
    FSlave = ::open(::ptsname(FMaster), O_RDWR | O_NOCTTY);
    termios raw{};
    if (FSlave >= 0 && ::tcgetattr(FSlave, &raw) == 0) {
        ::cfmakeraw(&raw);
        ::tcsetattr(FSlave, TCSANOW, &raw);
    }
    FThread = std::thread([this] { ServeSerial(); });
    return true;
}

void TSimServer::ServeSerial()
{
    constexpr char StartMark = 0x7E;
    constexpr char EndMark = 0x7F;
    QByteArray pending;
    const auto send = [this](const QByteArray &reply) {
        if (FEndpoint.ByteDelayUs < 0) {
            [[maybe_unused]] const auto n = ::write(FMaster, reply.constData(), reply.size());
            return;
        }
        for (const char b : reply) {
            [[maybe_unused]] const auto n = ::write(FMaster, &b, 1);
            ::usleep(static_cast<useconds_t>(FEndpoint.ByteDelayUs));
        }
    };
    while (!FStop) {
        pollfd p{FMaster, POLLIN, 0};
        if (::poll(&p, 1, PollMs) <= 0 || !(p.revents & POLLIN))
            continue;
        char buffer[256];
        const auto n = ::read(FMaster, buffer, sizeof buffer);
        if (n <= 0)
            continue;
        pending.append(buffer, n);
        // One request runs from a start marker to the next end marker; a start marker in
        // between restarts it.
        for (qsizetype end; (end = pending.indexOf(EndMark)) >= 0;) {
            const qsizetype start = pending.lastIndexOf(StartMark, end);
            if (start >= 0)
                Answer(pending.mid(start, end - start + 1), send);
            pending.remove(0, end + 1);
        }
    }
}
#endif
