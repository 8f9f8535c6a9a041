#pragma once

#include "link/uFrame.h"
#include "link/uOptnLink.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
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
class TQuestion;
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

// What a job's writes did to the module's configuration: nothing (every change it accepted was
// put back), changes it accepted, or perhaps changes (a request went out and no verdict came).
enum class TModuleEffect { None, Changed, Unknown };

// What became of a whole write that failed after the module had been erased.
enum class TRestore { NotNeeded, Declined, Done, Failed, LinkLost };

// What a failed whole write left on the module, for the user: one sentence, naming the backup
// file when there is one.
QString WholeWriteOutcome(TRestore restore, TModuleEffect effect, const QString &backup);

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
    // What the module held before this write, when the caller knows it. A change write puts
    // back from it an output it deleted on the module and then could not send anew; a whole
    // write that fails after the erase writes it back whole, once RestoreQuestion (when given)
    // has been answered Yes.
    TConfig *Previous = nullptr;
    TQuestion *RestoreQuestion = nullptr;

    // The job's outcome beside ResultCode.
    TModuleEffect Effect = TModuleEffect::None;
    TRestore Restore = TRestore::NotNeeded;
    bool LinkLost = false;  // the link was lost
    bool Cancelled = false; // the caller's cancel request stopped the job
    int LoginStatus = -1;   // the status of a refused login (0 a wrong password), else -1

    void Execute();

    // Asks the job to stop at its next exchange; any thread may call it, or set the flag shared
    // here. An output deleted on the module and not yet sent anew is put back first, and a
    // whole write is offered its restore.
    std::shared_ptr<std::atomic<bool>> CancelRequest = std::make_shared<std::atomic<bool>>(false);
    void Cancel() { *CancelRequest = true; }

    // The stop request: raised by a lost link, a failed erase and a cancel; job steps test it.
    void Terminate() { FStop = true; }
    bool Terminated();

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
    // Shows an error once per job; the log keeps every line.
    void ShowError(const QString &text);
    void LoseLink();
    // Requests are sent this many times at most: once after the link was lost or a cancel was
    // asked for (so that a put-back or a logout costs no long wait), else Timings.Attempts.
    int Attempts() const;
    // Clears the frame and appends the bytes of a request.
    void Build(std::initializer_list<std::uint8_t> bytes);
    // A configuration command: 00 32 01 seq group 00 code, then args.
    void BuildCommand(std::uint8_t group, std::uint8_t code,
                      std::initializer_list<std::uint8_t> args = {});
    bool ReadStream(const QString &title, std::uint8_t code);
    // Acknowledges the frame in Frame within a record stream; leaves the next one there.
    bool AcknowledgeInStream();
    void ProgressStep();

    // The outcome of sending one object: not sent, accepted, refused, or no verdict (the link
    // was lost).
    enum class TSent { NotSent, Accepted, Refused, Lost };
    // Runs the exchange of the request in Frame: Transact, Poll, then FinishExchange (or a
    // single Acknowledge). A refusal is counted as a failure of the write when refusalFails.
    TSent SendObject(bool acknowledgeOnly = false, bool refusalFails = true);
    // Takes back what an exchange added to the module's effect, once what it did is undone.
    void Forget(TSent sent);
    TSent Delete(std::uint8_t code, std::uint8_t first, std::uint8_t second, bool refusalFails);
    // Deletes a device, partition or user, logging line with the verdict; false when refused.
    bool DeleteLogged(std::uint8_t code, int n, const QString &line);
    struct TOutputKind;
    template <typename OutputAt, typename Taken>
    bool SendOutputs(int address, int count, OutputAt outputAt, const TOutputKind &kind,
                     Taken taken);
    // Sends output n of the device at an address as Previous holds it, after its new record
    // failed; true when the module took it.
    template <typename OutputAt, typename Taken>
    bool PutBackOutput(int address, int n, OutputAt outputAt, const TOutputKind &kind, Taken taken);
    // The whole write of Previous after a whole write that failed past the erase.
    void RestorePrevious();
    bool SendDeviceGroup(bool panels);
    // Sends every object of a table (numbers 1..last that exist) in order until the stop
    // request, stepping the progress bar; true unless one failed.
    template <typename Exists, typename Send>
    bool SendTable(const QString &header, int last, Exists exists, Send send);

    int FFailures = 0;  // objects refused in the current write
    int FChanges = 0;   // changes the module accepted and that were not put back
    int FUnknown = 0;   // changes sent without a verdict and not put back
    QStringList FShown; // errors shown in this job

    std::unique_ptr<TTransport> FTransport;
    std::atomic<bool> FStop{false};
};
