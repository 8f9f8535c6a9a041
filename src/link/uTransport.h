#pragma once

#include "link/uOptnLink.h"

#include <QByteArray>
#include <QString>

#include <memory>

class TFrame;

// The line to the module: a serial port or a UDP socket. Created and used on one thread only.
class TTransport {
public:
    virtual ~TTransport() = default;

    // Opens the port or binds the socket; false when that fails.
    virtual bool Open() = 0;
    // Sends the wire form of a request. Bytes that arrived before it (late answers to an
    // earlier attempt) are dropped first, so they cannot pass for the reply to this one.
    virtual void Send(const QByteArray &wire) = 0;
    // Appends the bytes that have arrived to the frame, a start marker restarting it; when none
    // are waiting, waits at most waitMs for some.
    virtual void ReadInto(TFrame &frame, int waitMs) = 0;
};

// The transport the link settings name: UDP for Type 1, else the serial port.
std::unique_ptr<TTransport> MakeTransport(const TOptnLink &link);

// Over UDP a request datagram is never shorter than this; the rest is zero bytes.
inline constexpr int MinDatagram = 46;
// At most this much of a datagram is taken.
inline constexpr int MaxDatagramTaken = 101;
