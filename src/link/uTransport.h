#pragma once

#include "link/uOptnLink.h"

#include <QByteArray>
#include <QString>

#include <memory>

class QLockFile;
class QUdpSocket;
class TFrame;

// The line to the module: a serial port or a UDP socket. Created and used on one thread only.
class TTransport {
public:
    virtual ~TTransport() = default;

    // Opens the port or binds the socket; the text to show the user when that fails (its first
    // line says what failed, a second one, when there is one, how to mend it), else empty.
    virtual QString Open() = 0;
    // Sends the wire form of a request. Bytes that arrived before it (late answers to an
    // earlier attempt) are dropped first, so they cannot pass for the reply to this one.
    virtual void Send(const QByteArray &wire) = 0;
    // Appends the bytes that have arrived to the frame, a start marker restarting it; when none
    // are waiting, waits at most waitMs for some.
    virtual void ReadInto(TFrame &frame, int waitMs) = 0;
};

// The transport the link settings name: UDP for Type 1, else the serial port.
std::unique_ptr<TTransport> MakeTransport(const TOptnLink &link);

// An exclusive claim on one UDP port of this computer for the length of a link job. The port is
// bound with address sharing, so a second job on it would bind without error and the two would
// take each other's replies. The claim is a lock file per port in the temporary folder, shared
// by every user of the computer as the port is; the claim of a job that died is found stale by
// its process number and taken over.
class TUdpPortClaim {
public:
    explicit TUdpPortClaim(int port);
    ~TUdpPortClaim();
    TUdpPortClaim(const TUdpPortClaim &) = delete;
    TUdpPortClaim &operator=(const TUdpPortClaim &) = delete;

    bool Held() const { return FHeld; }

private:
    std::unique_ptr<QLockFile> FLock;
    bool FHeld = false;
};

// Binds the link's UDP socket to the port on all IPv4 addresses, shared with a simulator on the
// same host, and switches broadcast off (Qt switches it on for every UDP socket), so that a
// broadcast address typed as the module's fails to send instead of reaching every device.
bool BindLinkSocket(QUdpSocket &socket, int port);

// Over UDP a request datagram is never shorter than this; the rest is zero bytes.
inline constexpr int MinDatagram = 46;
// At most this much of a datagram is taken.
inline constexpr int MaxDatagramTaken = 101;
