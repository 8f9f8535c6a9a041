#include "sim/uSimCore.h"

#include "link/uFrame.h"
#include "model/uConfig.h"
#include "model/uKinds.h"

#include <QDate>
#include <QStringList>
#include <QTime>

#include <algorithm>
#include <array>
#include <memory>

// Reads a command's arguments byte by byte. Reading past the end marks them short, so that a
// command is carried out only when its arguments are exactly as long as their layout says.
class TSimReader {
public:
    TSimReader(const std::vector<std::uint8_t> &bytes, std::size_t from) : FBytes(bytes), FPos(from)
    {
    }

    std::uint8_t Next()
    {
        if (FPos < FBytes.size())
            return FBytes[FPos++];
        FShort = true;
        return 0;
    }

    // Every byte read, none missing.
    bool Complete() const { return !FShort && FPos == FBytes.size(); }

private:
    const std::vector<std::uint8_t> &FBytes;
    std::size_t FPos;
    bool FShort = false;
};

namespace {

using TBytes = std::vector<std::uint8_t>;

constexpr std::uint8_t StartMark = 0x7E;
constexpr std::uint8_t EndMark = 0x7F;
constexpr std::uint8_t EscapeMark = 0x7D;

constexpr std::uint8_t ServiceConfig = 0x32;
constexpr std::uint8_t ServiceLink = 0x42;

// Field 2. A reply of ControlPoll to a poll means there is nothing to send.
constexpr std::uint8_t ControlPoll = 0x00;
constexpr std::uint8_t ControlFrame = 0x01; // a command, or a data frame to acknowledge
constexpr std::uint8_t ControlLinkOk = 0x02;
constexpr std::uint8_t ControlAck = 0x03;
constexpr std::uint8_t MoreBit = 0x80;
constexpr std::uint8_t LinkLostBit = 0x20;

// Field 4.
constexpr std::uint8_t GroupIdentify = 0x02;
constexpr std::uint8_t GroupConfig = 0x04;

// Field 6 of a command. The read codes are also the codes of the records that the tool counts
// in the stream they start.
enum : std::uint8_t {
    CmdIdentify = 0x10,
    CmdLogin = 0x03,
    CmdLogout = 0x04,
    CmdReadDevices = 0x10,
    CmdReadParts = 0x11,
    CmdReadUsers = 0x12,
    CmdDeleteDevice = 0x30,
    CmdDeletePart = 0x31,
    CmdDeleteUser = 0x32,
    CmdDeleteLoop = 0x33,
    CmdDeleteIndicator = 0x34,
    CmdDeleteRelay = 0x35,
    CmdDevice = 0x40,
    CmdLoop = 0x41,
    CmdIndicator = 0x42,
    CmdRelay = 0x43,
    CmdUser = 0x44,
    CmdPart = 0x45,
    CmdDeviceChange = 0x46,
    CmdMove = 0x47,
    CmdSMS = 0x4A,
    CmdClock = 0x50,
    CmdConnect = 0x80,
    CmdErase = 0x81,
};

// Field 6 of a reply frame that is not the command's own code.
enum : std::uint8_t {
    ReplyEnd = 0x00,
    ReplyErasing = 0x03,
    ReplyLogin = 0x05,
    ReplyRefused = 0xC5,
};

// Field 6 of the records of a read stream.
enum : std::uint8_t {
    RecDevice = 0x10,
    RecPart = 0x11,
    RecUser = 0x12,
    RecLoop = 0x13,
    RecIndicator = 0x14,
    RecRelay = 0x15,
    RecSMS = 0x18,
};

// Login status.
constexpr std::uint8_t LoginWrongPassword = 0;
constexpr std::uint8_t LoginAccepted = 1;
constexpr std::uint8_t LoginUnknownUser = 4;

constexpr int ModuleAddress = 1;

std::uint8_t Byte(unsigned v) { return static_cast<std::uint8_t>(v); }

// ---- wire form ----

bool NeedsEscape(std::uint8_t b)
{
    return b < 0x20 || b == 0x2B || b == EscapeMark || b == StartMark || b == EndMark || b == 0xFF;
}

QByteArray WireForm(const TBytes &content)
{
    QByteArray wire(1, static_cast<char>(StartMark));
    for (const std::uint8_t b : content) {
        if (NeedsEscape(b)) {
            wire.append(static_cast<char>(EscapeMark));
            wire.append(static_cast<char>(b ^ 0x20));
        } else {
            wire.append(static_cast<char>(b));
        }
    }
    wire.append(static_cast<char>(EndMark));
    return wire;
}

void AppendCrc(TBytes &content)
{
    const std::uint16_t crc = TFrame::Crc16(content.data(), static_cast<int>(content.size()));
    content.push_back(Byte(crc >> 8));
    content.push_back(Byte(crc));
}

// The unescaped bytes from the first start marker to the end marker that follows it; nothing
// when a marker is missing or a second start marker comes first.
std::optional<TBytes> Unescaped(const QByteArray &wire)
{
    qsizetype i = wire.indexOf(static_cast<char>(StartMark));
    if (i < 0)
        return std::nullopt;
    TBytes content;
    while (++i < wire.size()) {
        std::uint8_t b = static_cast<std::uint8_t>(wire[i]);
        if (b == EndMark)
            return content;
        if (b == StartMark)
            return std::nullopt;
        if (b == EscapeMark) {
            if (++i == wire.size())
                return std::nullopt;
            b = static_cast<std::uint8_t>(wire[i]) ^ 0x20;
        }
        content.push_back(b);
    }
    return std::nullopt;
}

// A request's content from the service byte on, without its address bytes and CRC; nothing
// when it is broken or fails its CRC.
std::optional<TBytes> RequestBody(const QByteArray &wire)
{
    const std::optional<TBytes> content = Unescaped(wire);
    if (!content || content->size() < 3)
        return std::nullopt;
    const TBytes &c = *content;
    const std::size_t size = c.size() - 2;
    if (c[size] * 256u + c[size + 1] != TFrame::Crc16(c.data(), static_cast<int>(size)))
        return std::nullopt;
    const std::size_t service = 1u + (c[0] & 0x0F) + (c[0] >> 4);
    if (service >= size)
        return std::nullopt;
    return TBytes(c.begin() + static_cast<std::ptrdiff_t>(service),
                  c.begin() + static_cast<std::ptrdiff_t>(size));
}

// ---- values on the wire ----

void PutLittleEndian(TBytes &out, quint64 v, int count)
{
    for (int i = 0; i < count; ++i)
        out.push_back(Byte(static_cast<unsigned>(v >> (8 * i))));
}

quint64 TakeLittleEndian(TSimReader &in, int count)
{
    quint64 v = 0;
    for (int i = 0; i < count; ++i)
        v |= static_cast<quint64>(in.Next()) << (8 * i);
    return v;
}

// The value of a text of decimal digits; 0 for any other text.
quint64 DecimalValue(const QString &text)
{
    const bool digits = !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) {
        return c >= u'0' && c <= u'9';
    });
    return digits ? text.toULongLong() : 0;
}

// A password travels in four bytes, least significant first: its decimal value in 28 bits and
// its number of characters in the top four, so that leading zeros count.
quint64 PasswordWord(const QString &password)
{
    const auto length = static_cast<quint64>(password.size() & 0x0F);
    return (DecimalValue(password) & 0x0FFFFFFF) | length << 28;
}

void PutPassword(TBytes &out, const QString &password)
{
    PutLittleEndian(out, PasswordWord(password), 4);
}

QString TakePassword(TSimReader &in)
{
    const quint64 word = TakeLittleEndian(in, 4);
    const int length = static_cast<int>(word >> 28);
    return QString::number(word & 0x0FFFFFFF).left(length).rightJustified(length, u'0');
}

// An identifier is 12 hexadecimal digits, sent least significant byte first.
void PutID(TBytes &out, const QString &id)
{
    PutLittleEndian(out, id.rightJustified(12, u'0').right(12).toULongLong(nullptr, 16), 6);
}

QString TakeID(TSimReader &in)
{
    return QString::number(TakeLittleEndian(in, 6), 16).toUpper().rightJustified(12, u'0');
}

// "2.1" as 0x21: the two numbers in the high and the low nibble; 0 for any other text.
std::uint8_t VersionByte(const QString &version)
{
    const QStringList parts = version.split(u'.');
    if (parts.size() != 2)
        return 0;
    bool majorOk = false;
    bool minorOk = false;
    const unsigned major = parts[0].toUInt(&majorOk);
    const unsigned minor = parts[1].toUInt(&minorOk);
    return majorOk && minorOk && major < 16 && minor < 16 ? Byte(major << 4 | minor) : 0;
}

// Delays are held in seconds and travel in tens of seconds, one byte each way.
std::uint8_t DelayOnWire(unsigned seconds) { return Byte((seconds & 0xFF) / 10); }
std::uint8_t DelayFromWire(std::uint8_t tens) { return Byte(tens * 10u); }

// ---- record layouts ----
// The module keeps its own rules for the optional bytes of a record, so that a record the tool
// lays out by other rules is refused for its length rather than silently accepted.

bool LoopHasDelay(const TShleif &l)
{
    const bool fire = l.Type == 1 || l.Type == 7 || l.Type == 8;
    return l.Type == 3 || (fire && (l.Flags & TShleif::DoubleFire) == 0);
}

bool RelayHasDelay(const TRelay &r) { return r.Mode == 1 || (r.Mode >= 3 && r.Mode <= 7); }
bool RelayOnLoop(const TRelay &r) { return r.Mode == TRelay::ModeASPT; }
bool IndicatorOnLoop(const TIndicator &i) { return i.Mode == TIndicator::ModeShlf; }
bool UserHasPart2(unsigned part1) { return part1 != 0 && part1 != 255; }
// The indication expanders send their mode first and their partition only when it counts.
bool IsIndicationExpander(const QString &type) { return IsIB8(type) || type == u"ИБ-40"; }
bool IndicDevModeNeedsPart(std::uint8_t mode) { return mode == 2 || mode == 3; }

void Encode(TBytes &out, const TShleif &l)
{
    out.push_back(l.Part);
    out.push_back(Byte((l.Flags & 0x07u) << 5 | (l.Type & 0x0Fu)));
    if (LoopHasDelay(l))
        out.push_back(DelayOnWire(l.Delay));
}

void Decode(TSimReader &in, TShleif &l)
{
    l.Clear();
    l.Part = in.Next();
    const std::uint8_t b = in.Next();
    l.Type = b & 0x0F;
    l.Flags = b >> 5;
    if (LoopHasDelay(l))
        l.Delay = DelayFromWire(in.Next());
    if (l.Part == 0) // a loop outside every partition is excluded
        l.Clear();
}

void Encode(TBytes &out, const TRelay &r)
{
    out.push_back(Byte(r.Mode | (RelayOnLoop(r) && r.TwoShlf != 0 ? 0x80u : 0u)));
    if (RelayHasDelay(r))
        out.push_back(DelayOnWire(r.Delay));
    out.push_back(r.Device);
    if (RelayOnLoop(r))
        out.push_back(r.Shlf);
}

void Decode(TSimReader &in, TRelay &r)
{
    r.Clear();
    const std::uint8_t b = in.Next();
    r.Mode = b & 0x0F;
    if (RelayOnLoop(r))
        r.TwoShlf = b >> 7;
    if (RelayHasDelay(r))
        r.Delay = DelayFromWire(in.Next());
    r.Device = in.Next();
    if (RelayOnLoop(r))
        r.Shlf = in.Next();
}

void Encode(TBytes &out, const TIndicator &i)
{
    out.push_back(IndicatorOnLoop(i) ? Byte(i.Mode | i.Shlf << 3u) : i.Mode);
    out.push_back(i.Device);
}

void Decode(TSimReader &in, TIndicator &i)
{
    i.Clear();
    const std::uint8_t b = in.Next();
    i.Mode = b & 0x07;
    if (IndicatorOnLoop(i))
        i.Shlf = b >> 3;
    i.Device = in.Next();
}

void Encode(TBytes &out, const TUser &u)
{
    out.push_back(Byte(u.Type));
    PutPassword(out, u.Pswrd1);
    PutPassword(out, u.Pswrd2);
    out.push_back(Byte(u.Part1));
    if (UserHasPart2(u.Part1))
        out.push_back(Byte(u.Part2));
}

void Decode(TSimReader &in, TUser &u)
{
    u.Type = in.Next();
    u.Pswrd1 = TakePassword(in);
    u.Pswrd2 = TakePassword(in);
    u.Part1 = in.Next();
    u.Part2 = UserHasPart2(u.Part1) ? in.Next() : 0;
}

// The number in 54 bits: six bytes and the low six bits of the seventh, whose bit 6 is the "+".
void Encode(TBytes &out, const TSMS &s)
{
    const quint64 v = DecimalValue(s.Phone);
    PutLittleEndian(out, v, 6);
    out.push_back(Byte(static_cast<unsigned>((v >> 48) & 0x3F) | (s.Plus != 0 ? 0x40u : 0u)));
    out.push_back(Byte((s.Code & 0x01) | (s.Type & 0x07) << 2));
}

void Decode(TSimReader &in, TSMS &s)
{
    const quint64 low = TakeLittleEndian(in, 6);
    const std::uint8_t high = in.Next();
    const std::uint8_t kind = in.Next();
    const quint64 v = low | static_cast<quint64>(high & 0x3F) << 48;
    s.Phone = v == 0 ? QString() : QString::number(v);
    s.Plus = (high >> 6) & 0x01;
    s.Code = kind & 0x01;
    s.Type = (kind >> 2) & 0x07;
}

// The fields a device class adds to the device record; the same in both directions.
void EncodeExtras(TBytes &out, const TDevice &d)
{
    if (const TKP *kp = d.AsKP()) {
        out.push_back(kp->Part);
        out.push_back(kp->Sound & (TKP::SoundOnKeys | TKP::SoundOnArm));
        return;
    }
    const TIndicDev *ind = d.AsIndicDev();
    if (!ind)
        return;
    const unsigned sound = ind->Sound & 0x01;
    if (!IsIndicationExpander(d.Type)) {
        out.push_back(ind->Part);
        out.push_back(Byte(ind->Mode << 1 | sound));
        return;
    }
    out.push_back(IsIB8(d.Type) ? ind->Mode : Byte(ind->Mode | sound << 7));
    if (IndicDevModeNeedsPart(ind->Mode))
        out.push_back(ind->Part);
}

void DecodeExtras(TSimReader &in, TDevice &d)
{
    if (TKP *kp = d.AsKP()) {
        kp->Part = in.Next();
        kp->Sound = in.Next() & (TKP::SoundOnKeys | TKP::SoundOnArm);
        return;
    }
    TIndicDev *ind = d.AsIndicDev();
    if (!ind)
        return;
    if (!IsIndicationExpander(d.Type)) {
        ind->Part = in.Next();
        const std::uint8_t b = in.Next();
        ind->Sound = b & 0x01;
        ind->Mode = (b >> 1) & 0x07;
        return;
    }
    const std::uint8_t b = in.Next();
    ind->Mode = b & 0x07;
    if (!IsIB8(d.Type))
        ind->Sound = b >> 7;
    ind->Part = IndicDevModeNeedsPart(ind->Mode) ? in.Next() : 0;
}

TBytes DeviceRecord(int address, const TDevice &d)
{
    TBytes out{Byte(address), KindCode(d.Type), d.State, VersionByte(d.vSoft), VersionByte(d.vDev)};
    PutID(out, d.ID);
    EncodeExtras(out, d);
    return out;
}

// ---- outputs ----

struct TLoops {
    static constexpr std::uint8_t Record = RecLoop;
    static TVEKT *Owner(TDevice &d) { return d.AsVEKT(); }
    static TShleif *At(TVEKT &v, int n) { return v.Loop(n); }
};

struct TRelays {
    static constexpr std::uint8_t Record = RecRelay;
    static TRelayDev *Owner(TDevice &d) { return d.AsRelayDev(); }
    static TRelay *At(TRelayDev &r, int n) { return r.Relay(n); }
};

struct TIndicators {
    static constexpr std::uint8_t Record = RecIndicator;
    static TIndicDev *Owner(TDevice &d) { return d.AsIndicDev(); }
    static TIndicator *At(TIndicDev &i, int n) { return i.Indicator(n); }
};

// Output n of the device at an address, when that device has outputs of this kind.
template <typename K> auto *OutputAt(TConfig &config, int address, int n)
{
    TDevice *d = config.Device(address);
    auto *owner = d ? K::Owner(*d) : nullptr;
    return owner ? K::At(*owner, n) : nullptr;
}

// ---- read streams: each calls put(code, data) for its records in the order they are sent ----

template <typename K, typename F> void OutputRecords(TDevice &d, int address, const F &put)
{
    if (auto *owner = K::Owner(d))
        for (int n = 1; n <= owner->Count(); ++n) {
            TBytes data{Byte(address), Byte(n)};
            Encode(data, *K::At(*owner, n));
            put(K::Record, std::move(data));
        }
}

template <typename F> void DeviceRecords(TConfig &config, const F &put)
{
    for (int a = 1; a <= TConfig::MaxAddress; ++a)
        if (TDevice *d = config.Device(a)) {
            put(RecDevice, DeviceRecord(a, *d));
            OutputRecords<TLoops>(*d, a, put);
            OutputRecords<TRelays>(*d, a, put);
            OutputRecords<TIndicators>(*d, a, put);
        }
}

template <typename F> void PartRecords(const TConfig &config, const F &put)
{
    for (int p = 1; p <= TConfig::MaxPart; ++p)
        if (const TPart *part = config.Part(p)) {
            put(RecPart, TBytes{Byte(p), DelayOnWire(part->Delay)});
            for (int k = 1; k <= TPart::SMSCount; ++k) {
                TBytes data{Byte(p), Byte(k)};
                Encode(data, *part->SMS(k));
                put(RecSMS, std::move(data));
            }
        }
}

template <typename F> void UserRecords(const TConfig &config, const F &put)
{
    for (int u = 1; u <= TConfig::MaxUser; ++u)
        if (const TUser *user = config.User(u)) {
            TBytes data{Byte(u)};
            Encode(data, *user);
            put(RecUser, std::move(data));
        }
}

// ---- writes: each takes a command's arguments and is false when it refuses them ----

bool IsAddress(int a) { return a >= 1 && a <= TConfig::MaxAddress; }

// Decodes a record over a copy of its target and stores it only when the record was whole.
template <typename T> bool Overwrite(T *target, TSimReader &in)
{
    if (!target)
        return false;
    T value = *target;
    Decode(in, value);
    if (!in.Complete())
        return false;
    *target = value;
    return true;
}

template <typename K> bool WriteOutput(TConfig &config, TSimReader &in)
{
    const int address = in.Next();
    const int n = in.Next();
    return Overwrite(OutputAt<K>(config, address, n), in);
}

template <typename K> bool ClearOutput(TConfig &config, TSimReader &in)
{
    const int address = in.Next();
    const int n = in.Next();
    auto *output = OutputAt<K>(config, address, n);
    if (!output || !in.Complete())
        return false;
    output->Clear();
    return true;
}

// A device record puts a new device of its model at its address. The module stands at its
// own address and nowhere else. A change write of the same model keeps the device's outputs.
bool ReplaceDevice(TConfig &config, TSimReader &in, bool keepOutputs)
{
    const int address = in.Next();
    const QString type = KindName(in.Next());
    const QString id = TakeID(in);
    if (!IsAddress(address) || type.isEmpty() || (address == ModuleAddress) != IsCM(type))
        return false;
    const TDevice *old = config.Device(address);
    std::unique_ptr<TDevice> device =
        keepOutputs && old && old->Type == type
            ? TConfig::CloneDevice(*old)
            : config.CreateDevice(type, id, 0, QString(), QString(), old ? old->KeyDB : QString());
    if (!device)
        return false;
    device->ID = id;
    DecodeExtras(in, *device);
    if (!in.Complete())
        return false;
    config.DeleteDevice(address, true);
    return config.PutDevice(address, std::move(device));
}

// A partition record sets the delay of a partition, creating it when it is missing.
bool StorePart(TConfig &config, TSimReader &in)
{
    const int number = in.Next();
    const std::uint8_t delay = DelayFromWire(in.Next());
    if (!in.Complete())
        return false;
    if (TPart *part = config.Part(number)) {
        part->Delay = delay;
        return true;
    }
    return config.PutPart(number, config.CreatePart(delay, QString()));
}

bool StoreSMS(TConfig &config, TSimReader &in)
{
    const int number = in.Next();
    const int k = in.Next();
    TPart *part = config.Part(number);
    return Overwrite(part ? part->SMS(k) : nullptr, in);
}

bool StoreUser(TConfig &config, TSimReader &in)
{
    const int number = in.Next();
    auto user = std::make_unique<TUser>(TUser::Default());
    Decode(in, *user);
    return in.Complete() && config.PutUser(number, std::move(user));
}

bool MoveDevice(TConfig &config, TSimReader &in)
{
    const int from = in.Next();
    const int to = in.Next();
    if (!in.Complete() || from == ModuleAddress || !config.Device(from) || !IsAddress(to) ||
        config.Device(to))
        return false;
    config.MoveDevice(from, to);
    return true;
}

// A delete command naming one object by its number; refused when there is no such object.
template <typename Exists, typename Remove>
bool DeleteNamed(TSimReader &in, Exists exists, Remove remove)
{
    const int n = in.Next();
    if (!in.Complete() || !exists(n))
        return false;
    remove(n);
    return true;
}

} // namespace

TModuleCore::TModuleCore(TConfig &config, const TSimFaults &faults)
    : FConfig(config), FFaults(faults), FRandom(faults.Seed)
{
}

QByteArray TModuleCore::Handle(const QByteArray &request)
{
    ++FRequests;
    if (FFaults.SilentAfter > 0 && FRequests > FFaults.SilentAfter)
        return {};
    const std::optional<TBytes> body = RequestBody(request);
    if (!body)
        return {};
    TBytes reply = Answer(*body);
    return reply.empty() ? QByteArray() : Send(std::move(reply));
}

TModuleCore::TBytes TModuleCore::Answer(const TBytes &body)
{
    if (body == TBytes{ServiceLink, ControlFrame})
        return {ServiceLink, ControlLinkOk};
    if (body.size() < 2 || body[0] != ServiceConfig)
        return {};
    switch (body[1]) {
    case ControlPoll:
        return body.size() == 2 ? NextFrame() : TBytes();
    case ControlAck:
        if (body.size() != 3)
            return {};
        Acknowledge(body[2]);
        return NextFrame();
    case ControlFrame:
        return body.size() >= 6 ? Command(body) : TBytes();
    default:
        return {};
    }
}

TModuleCore::TBytes TModuleCore::Command(const TBytes &body)
{
    if (body == FLastCommand)
        return FLastAck;
    // A new command: whatever the previous one left for the tool is no longer wanted.
    if (FOutstanding)
        ++FAbandoned;
    FQueue.clear();
    FOutstanding.reset();

    const std::uint8_t seq = body[2];
    const std::uint8_t group = body[3];
    const std::uint8_t code = body[5];
    TSimReader args(body, 6);
    const bool refused = FFaults.RefuseCodes.contains(code) || FFaults.RefuseOnce.erase(code) > 0;
    const bool done = body[4] == 0 && !refused && Execute(group, code, args);
    if (!done) {
        FQueue.clear();
        Queue(group, ReplyRefused);
    }
    // Every command leaves at least its result frame queued.
    TBytes ack{ServiceConfig, ControlAck | MoreBit, seq};
    if (!done)
        ack.insert(ack.end(), {group, 0x00, ReplyRefused});
    FLastCommand = body;
    FLastAck = ack;
    return ack;
}

bool TModuleCore::Execute(std::uint8_t group, std::uint8_t code, TSimReader &args)
{
    if (group == GroupIdentify)
        return code == CmdIdentify && Identify(args);
    if (group != GroupConfig)
        return false;
    switch (code) {
    case CmdLogin:
        return Login(args);
    case CmdReadDevices:
    case CmdReadParts:
    case CmdReadUsers:
        return ReadStream(code, args);
    case CmdErase:
        if (!Erase(args))
            return false;
        ++FChanges;
        return true;
    default:
        if (!CarryOut(code, args))
            return false;
        if (code == CmdLogout)
            ++FLogouts;
        else if (code != CmdConnect && code != CmdClock)
            ++FChanges;
        Queue(GroupConfig, code);
        if (FFaults.TrailingFrame && code >= CmdDevice)
            Queue(GroupConfig, ReplyEnd);
        return true;
    }
}

bool TModuleCore::CarryOut(std::uint8_t code, TSimReader &args)
{
    switch (code) {
    case CmdLogout:
        args.Next(); // the user number
        return args.Complete();
    case CmdConnect:
        return args.Complete();
    case CmdClock:
        return SetClock(args);
    case CmdDevice:
        return ReplaceDevice(FConfig, args, false);
    case CmdDeviceChange:
        return ReplaceDevice(FConfig, args, true);
    case CmdLoop:
        return WriteOutput<TLoops>(FConfig, args);
    case CmdIndicator:
        return WriteOutput<TIndicators>(FConfig, args);
    case CmdRelay:
        return WriteOutput<TRelays>(FConfig, args);
    case CmdUser:
        return StoreUser(FConfig, args);
    case CmdPart:
        return StorePart(FConfig, args);
    case CmdSMS:
        return StoreSMS(FConfig, args);
    case CmdMove:
        return MoveDevice(FConfig, args);
    case CmdDeleteDevice:
        return DeleteNamed(
            args, [this](int a) { return a != ModuleAddress && FConfig.Device(a) != nullptr; },
            [this](int a) { FConfig.DeleteDevice(a, true); });
    case CmdDeletePart:
        return DeleteNamed(
            args, [this](int p) { return FConfig.Part(p) != nullptr; },
            [this](int p) { FConfig.DeletePart(p); });
    case CmdDeleteUser:
        return DeleteNamed(
            args, [this](int u) { return FConfig.User(u) != nullptr; },
            [this](int u) { FConfig.DeleteUser(u); });
    case CmdDeleteLoop:
        return ClearOutput<TLoops>(FConfig, args);
    case CmdDeleteIndicator:
        return ClearOutput<TIndicators>(FConfig, args);
    case CmdDeleteRelay:
        return ClearOutput<TRelays>(FConfig, args);
    default:
        return false;
    }
}

// Fields 7..12 of the answer are not used by the tool; the identifier follows in 13..18.
bool TModuleCore::Identify(TSimReader &args)
{
    if (!args.Complete())
        return false;
    const TDevice *module = FConfig.Device(ModuleAddress);
    TBytes data(6, 0);
    PutID(data, module ? module->ID : QString());
    Queue(GroupIdentify, CmdIdentify, std::move(data));
    return true;
}

bool TModuleCore::Login(TSimReader &args)
{
    const std::uint8_t number = args.Next();
    const quint64 password = TakeLittleEndian(args, 4);
    if (!args.Complete())
        return false;
    const TUser *user = FConfig.User(number);
    std::uint8_t status = LoginUnknownUser;
    if (FFaults.LoginStatus >= 0)
        status = Byte(static_cast<unsigned>(FFaults.LoginStatus));
    else if (user)
        status = PasswordWord(user->Pswrd1) == password ? LoginAccepted : LoginWrongPassword;
    Queue(GroupConfig, ReplyLogin, {number, status});
    return true;
}

// A header whose fields 7..9 add up to the records the tool counts (those of the code read),
// then the records, then an end frame.
bool TModuleCore::ReadStream(std::uint8_t code, TSimReader &args)
{
    if (args.Next() != 0 || !args.Complete())
        return false;
    const std::size_t header = FQueue.size();
    Queue(GroupConfig, code, TBytes(3, 0));
    const auto put = [this](std::uint8_t record, TBytes data) {
        Queue(GroupConfig, record, std::move(data));
    };
    if (code == CmdReadDevices)
        DeviceRecords(FConfig, put);
    else if (code == CmdReadParts)
        PartRecords(FConfig, put);
    else
        UserRecords(FConfig, put);
    const auto counted =
        std::count_if(FQueue.begin() + static_cast<std::ptrdiff_t>(header) + 1, FQueue.end(),
                      [code](const TPending &f) { return f.Code == code; });
    FQueue[header].Data[code - CmdReadDevices] = Byte(static_cast<unsigned>(counted));
    Queue(GroupConfig, ReplyEnd);
    return true;
}

// Everything goes but the module itself, whose relays are cleared. Erasing takes the module a
// while, which it reports until it is done.
bool TModuleCore::Erase(TSimReader &args)
{
    if (!args.Complete())
        return false;
    const TDevice *current = FConfig.Device(ModuleAddress);
    std::unique_ptr<TDevice> module = current ? TConfig::CloneDevice(*current) : nullptr;
    FConfig.ClearAll();
    if (module) {
        if (TRelayDev *relays = module->AsRelayDev())
            for (int n = 1; n <= relays->Count(); ++n)
                relays->Relay(n)->Clear();
        FConfig.PutDevice(ModuleAddress, std::move(module));
    }
    for (int i = 0; i < FFaults.ErasingReplies; ++i)
        Queue(GroupConfig, ReplyErasing);
    Queue(GroupConfig, CmdErase);
    return true;
}

// Second, minute, hour, day of the week (1 Monday), day, month, year - 2000; refused unless
// they make a date and time whose day of the week is the one given.
bool TModuleCore::SetClock(TSimReader &args)
{
    std::array<int, 7> b{};
    for (int &v : b)
        v = args.Next();
    const QTime time(b[2], b[1], b[0]);
    const QDate date(2000 + b[6], b[5], b[4]);
    if (!args.Complete() || !time.isValid() || !date.isValid() || date.dayOfWeek() != b[3])
        return false;
    FClock = QStringLiteral("%1 %2, day %3")
                 .arg(date.toString(u"yyyy-MM-dd"), time.toString(u"hh:mm:ss"))
                 .arg(b[3]);
    return true;
}

void TModuleCore::Queue(std::uint8_t group, std::uint8_t code, TBytes data)
{
    FQueue.push_back(TPending{group, code, std::move(data)});
}

void TModuleCore::Acknowledge(std::uint8_t seq)
{
    if (FOutstanding && FOutstanding->Seq == seq)
        FOutstanding.reset();
}

TModuleCore::TBytes TModuleCore::NextFrame()
{
    if (!FOutstanding && !FQueue.empty()) {
        FOutstanding = TOutstanding{NextSeq(), std::move(FQueue.front())};
        FQueue.pop_front();
    }
    if (!FOutstanding)
        return {ServiceConfig, ControlPoll};
    const TPending &f = FOutstanding->Frame;
    const std::uint8_t control = FQueue.empty() ? ControlFrame : ControlFrame | MoreBit;
    TBytes body{ServiceConfig, control, FOutstanding->Seq, f.Group, 0x00, f.Code};
    body.insert(body.end(), f.Data.begin(), f.Data.end());
    return body;
}

std::uint8_t TModuleCore::NextSeq()
{
    FSeq = FSeq == 255 ? 1 : FSeq + 1;
    return FSeq;
}

// Address bytes, when asked for, are 01, 02, ...: values the tool must carry and not read.
QByteArray TModuleCore::Send(TBytes body)
{
    const int number = ++FReplies;
    if (FFaults.LinkLostFrom > 0 && number >= FFaults.LinkLostFrom)
        body[1] |= LinkLostBit;
    TBytes content{Byte(static_cast<unsigned>(FFaults.AddressBytes))};
    for (int i = 1; i <= FFaults.AddressBytes; ++i)
        content.push_back(Byte(static_cast<unsigned>(i)));
    content.insert(content.end(), body.begin(), body.end());
    AppendCrc(content);
    if (FFaults.CorruptReplies.contains(number) || Chance(FFaults.CorruptRate))
        content.back() ^= 0x01;
    const bool dropped = FFaults.DropReplies.contains(number) || Chance(FFaults.DropRate);
    return dropped ? QByteArray() : WireForm(content);
}

bool TModuleCore::Chance(double rate)
{
    return rate > 0 && std::uniform_real_distribution<double>(0, 1)(FRandom) < rate;
}
