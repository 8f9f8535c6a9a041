#pragma once

#include "link/uFrame.h"
#include "link/uOptnLink.h"

#include <QDateTime>
#include <QString>
#include <QThread>

#include <atomic>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>

class TConfig;
class TLogSink;
class TMessageSink;
class TPasswordSearch;
class TProgress;
class TTransport;

// The waits of an exchange. One value, so that tests can shrink them.
struct TLinkTimings {
    int FirstByteMs = 100;   // a reply is absent when no byte came within this time
    int EndMarkMs = 3000;    // and incomplete when its end marker did not come within this
    int RetryPauseMs = 1000; // pause after a failed attempt
    int Attempts = 15;       // attempts of one request before the link counts as lost
    int ErasePollMs = 50;    // pause between the polls of a module that is still erasing
    int EraseMs = 120000;    // an erase that takes longer than this is given up
};

// The jobs a link thread runs.
enum TLinkJob : int { JobRead = 0, JobWrite = 1, JobConnect = 2, JobClock = 3 };

// Carries out one job against the communication module and ends: opens the transport, runs
// link check, identification and login as user 111, the job's commands and logout, through one
// frame with retries, logging every frame. Execute runs the job on the calling thread; start()
// runs it on the thread. The caller sets the fields first; it must not touch Config until Done.
class TThreadPort : public QThread {
public:
    TThreadPort();
    ~TThreadPort() override;

    int Job = JobRead;
    std::atomic<bool> Done{false};
    TConfig *Config = nullptr;
    TLogSink *Log = nullptr;                   // log lines; may be null
    TMessageSink *Errors = nullptr;            // the link error box; may be null
    TProgress *Progress = nullptr;             // may be null
    TPasswordSearch *PasswordSearch = nullptr; // for the connect job; may be null
    TOptnLink Link;
    TOptnAccess Access;
    TLinkTimings Timings;
    // The clock the clock job sends; the computer's local time unless a test sets another.
    std::function<QDateTime()> Now = [] { return QDateTime::currentDateTime(); };
    // -1 the job did not complete, 0 login did not succeed or no password was found, 1 done.
    std::atomic<int> ResultCode{-1};
    // Objects the module accepted in this job's writes, so that a caller can tell a write that
    // failed before anything changed on the module from one it carried out in part.
    int Accepted = 0;

    void Execute();

    // The stop request: raised by a lost link and a failed erase; job steps test it.
    void Terminate() { FStop = true; }
    bool Terminated() const { return FStop; }

    // Exchange primitives.
    std::uint8_t NextSeq();
    void SendFrame();
    void ReceiveFrame();
    bool Transact();
    bool Poll();
    bool Acknowledge(std::uint8_t seq);
    bool FinishExchange(std::uint8_t seq);

    // Login and reading.
    bool CheckLink();
    QString Identify();
    bool Login();
    void Logout();
    bool ReadConfiguration();
    bool ReadPartitions();
    bool ReadUsers();
    bool ReadDevices();
    bool ReadRecordStream();

    // Writing and the clock.
    bool WriteConfiguration();
    bool EraseConfiguration();
    bool SendPanels();
    bool SendPartitions();
    bool SendDevices();
    bool SendUsers();
    bool SendDevice(int address);
    bool SendLoops(int address);
    bool SendRelays(int address);
    bool SendIndicators(int address);
    bool SendPartition(int number);
    bool SendSMS(int number);
    bool SendUser(int number);
    // A refusal fails the write unless refusalFails is false.
    bool DeleteObject(std::uint8_t code, std::uint8_t first, std::uint8_t second,
                      bool refusalFails = true);
    bool ChangeAddress(int address);
    bool ConnectDevices();
    bool SetClock();

    TFrame Frame;
    std::uint8_t SeqNo = 0;
    bool Initialised = false;

protected:
    void run() override { Execute(); }

private:
    void RunJob();
    void WriteLog(const QString &line);
    void ShowLinkError(const QString &text);
    void LinkLost();
    // Clears the frame and appends the bytes of a request.
    void Build(std::initializer_list<std::uint8_t> bytes);
    // A configuration command: 00 32 01 seq group 00 code, then args.
    void BuildCommand(std::uint8_t group, std::uint8_t code,
                      std::initializer_list<std::uint8_t> args = {});
    bool ReadStream(const QString &title, std::uint8_t code);
    // Acknowledges the frame in Frame within a record stream; leaves the next one there.
    bool AcknowledgeInStream();
    void ProgressStep();

    // The outcome of sending one object: accepted, refused, or the link was lost.
    enum class TSent { Accepted, Refused, Lost };
    // Runs the exchange of the request in Frame: Transact, Poll, then FinishExchange (or a
    // single Acknowledge). A refusal is counted as a failure of the write when refusalFails.
    TSent SendObject(bool acknowledgeOnly = false, bool refusalFails = true);
    struct TOutputKind;
    template <typename OutputAt, typename Taken>
    bool SendOutputs(int address, int count, OutputAt outputAt, const TOutputKind &kind,
                     Taken taken);
    bool SendDeviceGroup(bool panels);
    // Sends every object of a table (numbers 1..last that exist) in order until the stop
    // request, stepping the progress bar; true unless one failed.
    template <typename Exists, typename Send>
    bool SendTable(const QString &header, int last, Exists exists, Send send);

    int FFailures = 0; // objects refused in the current write

    std::unique_ptr<TTransport> FTransport;
    std::atomic<bool> FStop{false};
};
