#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <deque>
#include <optional>
#include <random>
#include <set>
#include <vector>

class TConfig;
class TSimReader;

// Faults the simulated module can be told to make, so tests can call them up. Replies and
// requests are counted from 1 over the module's life.
struct TSimFaults {
    std::set<int> DropReplies;    // replies not sent at all
    std::set<int> CorruptReplies; // replies sent with a wrong CRC
    double DropRate = 0;          // share of replies dropped at random (0..1)
    double CorruptRate = 0;       // share of replies corrupted at random (0..1)
    unsigned Seed = 1;            // of the random faults
    int SilentAfter = 0;          // requests answered before the module falls silent; 0: never
    int LinkLostFrom = 0;         // replies from this one on carry the link-lost bit; 0: none
    std::set<std::uint8_t> RefuseCodes; // command codes refused with 0xC5
    std::set<std::uint8_t> RefuseOnce;  // command codes refused the next time only
    int AddressBytes = 0;               // address bytes in front of every reply (0..15)
    int LoginStatus = -1;               // login status to answer; -1: 1 when the password matches
    int ErasingReplies = 2;             // "still erasing" frames before an erase's result
    // Every record write, clock and connect command's result is followed by one more data frame
    // (as a module reporting an event), which the tool must acknowledge by its own number.
    bool TrailingFrame = false;
};

// The protocol side of a communication module: takes one request in wire form and gives the
// reply in wire form, carrying out the command on the configuration it holds. Its decoding of
// requests and encoding of records are its own, not the tool's, so that a fault on one side is
// not mirrored on the other. No input and no output of its own: a runner feeds it.
class TModuleCore {
public:
    TModuleCore(TConfig &config, const TSimFaults &faults = {});

    // One request, from its start marker to its end marker (bytes after the end marker, such as
    // the zero padding of a datagram, are ignored). Returns the reply in wire form, or an empty
    // array when no reply is sent (a broken request, a fault, a silent module).
    QByteArray Handle(const QByteArray &request);

    int Requests() const { return FRequests; }
    // Answers this many more requests, then falls silent; between jobs only.
    void FallSilentAfter(int more) { FFaults.SilentAfter = FRequests + more; }
    int Replies() const { return FReplies; }
    // The clock the tool last set, as "YYYY-MM-DD hh:mm:ss, day N"; empty until then.
    QString Clock() const { return FClock; }
    // Commands carried out that changed the configuration, and logouts (ends of jobs).
    int Changes() const { return FChanges; }
    int Logouts() const { return FLogouts; }
    // Frames handed out and never acknowledged before a new command took their place.
    int Abandoned() const { return FAbandoned; }

private:
    using TBytes = std::vector<std::uint8_t>;

    // A frame waiting for the tool: its group, its code (field 6) and its data (field 7 on).
    struct TPending {
        std::uint8_t Group = 0;
        std::uint8_t Code = 0;
        TBytes Data;
    };
    // The frame handed out and not yet acknowledged, with the sequence number it went out with.
    struct TOutstanding {
        std::uint8_t Seq = 0;
        TPending Frame;
    };

    // The reply to a request's content from the service byte on; empty for no reply.
    TBytes Answer(const TBytes &body);
    TBytes Command(const TBytes &body);
    // Carries out a command, queueing its frames; false when it is refused.
    bool Execute(std::uint8_t group, std::uint8_t code, TSimReader &args);
    // The commands answered by one result frame of their own code.
    bool CarryOut(std::uint8_t code, TSimReader &args);
    bool Identify(TSimReader &args);
    bool Login(TSimReader &args);
    bool ReadStream(std::uint8_t code, TSimReader &args);
    bool Erase(TSimReader &args);
    bool SetClock(TSimReader &args);

    void Queue(std::uint8_t group, std::uint8_t code, TBytes data = {});
    void Acknowledge(std::uint8_t seq);
    // The outstanding frame again, or the next queued one, or "nothing to send".
    TBytes NextFrame();
    std::uint8_t NextSeq();
    // The reply in wire form with the faults of its number applied; empty when dropped.
    QByteArray Send(TBytes body);
    bool Chance(double rate);

    TConfig &FConfig;
    TSimFaults FFaults;
    std::mt19937 FRandom;
    int FRequests = 0;
    int FReplies = 0;
    QString FClock;
    int FChanges = 0;
    int FLogouts = 0;
    int FAbandoned = 0;

    // Exchange state: frames waiting for the tool, the one handed out and not yet
    // acknowledged, and the last command with its answer, so that a command the tool repeats
    // (its reply was lost) is answered again without being carried out twice.
    std::deque<TPending> FQueue;
    std::optional<TOutstanding> FOutstanding;
    std::uint8_t FSeq = 0;
    TBytes FLastCommand;
    TBytes FLastAck;
};
