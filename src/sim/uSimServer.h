#pragma once

#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

class TModuleCore;

// Where the simulated module listens: UDP, or on Unix a pseudo-terminal.
struct TSimEndpoint {
    QString Address = QStringLiteral("127.0.0.2"); // UDP: the address bound and replied from
    int Port = 10001;                              // UDP: the port bound and replied from
    int ReplyDelayMs = 0; // every reply is held this long, as by a slow module
#ifdef Q_OS_UNIX
    bool Serial = false;  // a pseudo-terminal instead of UDP
    int ByteDelayUs = -1; // serial: >= 0 sends replies byte by byte with this pause
#endif
};

// Runs a module core on its own thread, over UDP or over a pseudo-terminal it creates, until
// it is stopped or destroyed. The core must not be used by anyone else meanwhile.
class TSimServer {
public:
    TSimServer(TModuleCore &core, const TSimEndpoint &endpoint);
    ~TSimServer();
    TSimServer(const TSimServer &) = delete;
    TSimServer &operator=(const TSimServer &) = delete;

    // Binds the socket or creates the pseudo-terminal and starts answering; false with a text
    // in error when it cannot.
    bool Start(QString &error);
    void Stop();
#ifdef Q_OS_UNIX
    // The device path of the pseudo-terminal for the tool to open.
    QString SerialPath() const { return FSerialPath; }
#endif

    // Called on the server's thread after each request has been answered.
    std::function<void()> AfterRequest;
    // Called on the server's thread with each request and reply in hexadecimal.
    std::function<void(const QString &)> Trace;

private:
    void ServeUdp(std::function<void(bool, QString)> ready);
    void Answer(const QByteArray &request, const std::function<void(const QByteArray &)> &send);

    TModuleCore &FCore;
    TSimEndpoint FEndpoint;
    std::atomic<bool> FStop{false};
    std::thread FThread;
#ifdef Q_OS_UNIX
    bool StartSerial(QString &error);
    void ServeSerial();

    int FMaster = -1; // pseudo-terminal: the simulator's side
    int FSlave = -1;  // held open so that the line stays up between the tool's jobs
    QString FSerialPath;
#endif
};
