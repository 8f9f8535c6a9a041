#include "sim/uSimCore.h"

#include "link/uFrame.h"
#include "model/uConfig.h"
#include "support/uFrames.h"
#include "support/uSampleConfigs.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

using TInts = std::vector<int>;

bool Escapable(std::uint8_t b)
{
    return b < 0x20 || b == 0x2B || b == 0x7D || b == 0x7E || b == 0x7F || b == 0xFF;
}

QByteArray Raw(const TVec &bytes)
{
    return QByteArray(reinterpret_cast<const char *>(bytes.data()),
                      static_cast<qsizetype>(bytes.size()));
}

// A request in wire form (the tool's encoding, checked byte by byte in tFrame.cpp), padded with
// zeros to a 46-byte datagram.
QByteArray Wire(const TVec &content)
{
    TFrame f;
    for (const std::uint8_t b : content)
        f.AddByte(b);
    f.Encode();
    TVec wire = Content(f);
    wire.resize(std::max<std::size_t>(wire.size(), 46), 0x00);
    return Raw(wire);
}

// Between its markers a reply holds escapable bytes only in their escaped form.
bool ProperlyEscaped(const QByteArray &wire)
{
    for (qsizetype i = 1; i + 1 < wire.size(); ++i) {
        const auto b = static_cast<std::uint8_t>(wire[i]);
        if (b == 0x7D && i + 2 < wire.size() &&
            Escapable(static_cast<std::uint8_t>(wire[i + 1]) ^ 0x20))
            ++i;
        else if (Escapable(b))
            return false;
    }
    return wire.startsWith('\x7E') && wire.endsWith('\x7F');
}

TFrame Decoded(const QByteArray &wire)
{
    TFrame f;
    for (const char c : wire)
        f.AddWireByte(static_cast<std::uint8_t>(c));
    f.Decode();
    return f;
}

// Fields first to the last before the CRC.
TVec Fields(const TFrame &f, int first = 1)
{
    TVec out;
    for (int k = first; k <= f.Size() - f.DataOffset() - 3; ++k)
        out.push_back(f.Field(k));
    return out;
}

// The tool's side of the exchange, built from the frame layouts.
struct TTool {
    explicit TTool(TConfig &config, const TSimFaults &faults = {}) : Module(config, faults) {}

    TModuleCore Module;
    std::uint8_t Seq = 0;

    TFrame Send(const TVec &content)
    {
        const QByteArray reply = Module.Handle(Wire(content));
        EXPECT_TRUE(reply.isEmpty() || ProperlyEscaped(reply)) << reply.toHex(' ').toStdString();
        return Decoded(reply);
    }
    TVec CommandBytes(std::uint8_t code, const TVec &args, std::uint8_t group = 0x04)
    {
        TVec c{0x00, 0x32, 0x01, ++Seq, group, 0x00, code};
        for (const std::uint8_t b : args)
            c.push_back(b);
        return c;
    }
    // The acknowledgement of a command.
    TFrame Command(std::uint8_t code, const TVec &args = {}, std::uint8_t group = 0x04)
    {
        return Send(CommandBytes(code, args, group));
    }
    TFrame Poll() { return Send({0x00, 0x32, 0x00}); }
    TFrame Ack(std::uint8_t seq) { return Send({0x00, 0x32, 0x03, seq}); }
    // The data frames waiting, fetched by a poll and then one acknowledgement each.
    std::vector<TFrame> Frames()
    {
        std::vector<TFrame> out;
        for (TFrame f = Poll(); (f.Field(2) & 0x03) == 0x01; f = Ack(f.ReplySeq()))
            out.push_back(f);
        return out;
    }
    TInts Codes(std::uint8_t code, const TVec &args = {})
    {
        Command(code, args);
        TInts out;
        for (const TFrame &f : Frames())
            out.push_back(f.ReplyCode());
        return out;
    }
    // The code of the single result frame of a command, or 0 when there is not exactly one.
    int Result(std::uint8_t code, const TVec &args)
    {
        const TInts codes = Codes(code, args);
        return codes.size() == 1 ? codes[0] : 0;
    }
};

// The record a writer of the tool builds, after the numbers given.
template <typename F> TVec Written(TVec numbers, F write)
{
    TFrame f;
    write(f);
    for (const std::uint8_t b : Content(f))
        numbers.push_back(b);
    return numbers;
}

} // namespace

TEST(SimCore, AnswersWellFormedFramesOnly)
{
    TConfig config;
    TModuleCore module(config);
    const auto answer = [&module](const TVec &request) {
        const TFrame reply = Decoded(module.Handle(Raw(request)));
        EXPECT_TRUE(reply.CheckCrc());
        return Fields(reply);
    };
    TVec linkCheck{0x7E, 0x7D, 0x20, 0x42, 0x7D, 0x21, 0xA0, 0x80, 0x7F};
    EXPECT_EQ(answer(linkCheck), (TVec{0x42, 0x02}));
    linkCheck.resize(46, 0x00);
    EXPECT_EQ(answer(linkCheck), (TVec{0x42, 0x02}));
    EXPECT_EQ(answer({0x7E, 0x7D, 0x20, 0x32, 0x7D, 0x20, 0xA0, 0x64, 0x7F}), (TVec{0x32, 0x00}));
    // A wrong CRC, no end marker, no start marker: no reply.
    for (const TVec &bad : {TVec{0x7E, 0x7D, 0x20, 0x42, 0x7D, 0x21, 0xA0, 0x81, 0x7F},
                            TVec{0x7E, 0x7D, 0x20, 0x42, 0x7D, 0x21, 0xA0, 0x80},
                            TVec{0x7D, 0x20, 0x42, 0x7D, 0x21, 0xA0, 0x80, 0x7F}})
        EXPECT_TRUE(module.Handle(Raw(bad)).isEmpty());
    EXPECT_EQ((TInts{module.Requests(), module.Replies()}), (TInts{6, 3}));
}

TEST(SimCore, IdentifiesAndChecksTheLoginPassword)
{
    TConfig config;
    config.Device(1)->ID = QStringLiteral("0A0B0C0D0E0F");
    config.User(111)->Pswrd1 = QStringLiteral("0012");
    TTool tool(config);
    EXPECT_EQ(Fields(tool.Command(0x10, {}, 0x02)), (TVec{0x32, 0x83, 0x01}));
    const TFrame id = tool.Poll();
    EXPECT_EQ(Fields(id).size(), 18u);
    EXPECT_EQ((TVec{id.Field(2), id.Field(3), id.Field(4), id.Field(6)}),
              (TVec{0x01, 0x01, 0x02, 0x10}));
    EXPECT_EQ(Fields(id, 13), (TVec{0x0F, 0x0E, 0x0D, 0x0C, 0x0B, 0x0A}));
    EXPECT_EQ(Fields(tool.Ack(id.ReplySeq())), (TVec{0x32, 0x00}));

    // Login of user 111: code 0x05 with the user and the status in fields 7 and 8.
    const auto status = [&tool](std::uint8_t count) {
        tool.Command(0x03, {0x6F, 0x0C, 0x00, 0x00, count});
        const std::vector<TFrame> frames = tool.Frames();
        return frames.size() == 1 && frames[0].ReplyCode() == 0x05 ? Fields(frames[0], 7) : TVec{};
    };
    EXPECT_EQ(status(0x40), (TVec{0x6F, 1})); // "0012"
    EXPECT_EQ(status(0x20), (TVec{0x6F, 0})); // "12"
    config.DeleteUser(111);
    EXPECT_EQ(status(0x40), (TVec{0x6F, 4}));
}

TEST(SimCore, StreamsRecordsInOrderAndMarksAllButTheLast)
{
    TConfig config;
    config.AddDevice(2, QStringLiteral("ВЕКТ-8"), QStringLiteral("2B"), 0, QString(),
                     QStringLiteral("2.1"), QString());
    TShleif *loop = config.Device(2)->AsVEKT()->Loop(1);
    loop->SetPart(1);
    loop->Type = 3;
    loop->Delay = 30;
    config.PutPart(1, config.CreatePart(20, QString()));
    TTool tool(config);

    // The header's fields 7 to 9 add up to the number of objects to come.
    const auto stream = [&tool](std::uint8_t code, const TInts &codes, int count) {
        const TFrame ack = tool.Command(code, {0x00});
        EXPECT_EQ(Fields(ack), (TVec{0x32, 0x83, tool.Seq}));
        const std::vector<TFrame> frames = tool.Frames();
        TInts got;
        for (std::size_t i = 0; i < frames.size(); ++i) {
            EXPECT_EQ(frames[i].Field(2), i + 1 < frames.size() ? 0x81 : 0x01) << i;
            got.push_back(frames[i].ReplyCode());
        }
        EXPECT_EQ(got, codes);
        EXPECT_EQ(frames.at(0).Field(7) + frames[0].Field(8) + frames[0].Field(9), count);
        return frames;
    };
    const std::vector<TFrame> devices = stream(
        0x10,
        {0x10, 0x10, 0x15, 0x15, 0x15, 0x10, 0x13, 0x13, 0x13, 0x13, 0x13, 0x13, 0x13, 0x13, 0}, 2);
    EXPECT_EQ(Fields(devices[5], 7),
              (TVec{0x02, 105, 0x00, 0x21, 0x00, 0x2B, 0x00, 0x00, 0x00, 0x00, 0x00}));
    EXPECT_EQ(Fields(devices[6], 7), (TVec{0x02, 0x01, 0x01, 0x03, 0x03}));
    EXPECT_EQ(Fields(devices[7], 7), (TVec{0x02, 0x02, 0x00, 0x00}));
    EXPECT_EQ(Fields(stream(0x11, {0x11, 0x11, 0x18, 0x18, 0x18, 0}, 1)[1], 7), (TVec{1, 2}));
    EXPECT_EQ(Fields(stream(0x12, {0x12, 0x12, 0}, 1)[1], 7),
              (TVec{0x6F, 0x02, 0x4A, 0x21, 0x00, 0x40, 0x83, 0x25, 0x00, 0x40, 0xFF}));
}

// The records the module sends, taken in by the tool's readers, give the configuration back;
// the records the tool's writers build, carried out by the module, give it to the module.
TEST(SimCore, RecordsMeetTheToolsCodecs)
{
    TConfig source;
    FillEveryKind(source);
    source.Part(127)->Delay = 120;              // only the low byte of a delay travels
    source.Device(12)->AsIndicDev()->Sound = 0; // not what a new device starts with

    TTool reader(source);
    TConfig read;
    read.ClearAll();
    for (const std::uint8_t code : {0x11, 0x12, 0x10}) {
        reader.Command(code, {0x00});
        const std::vector<TFrame> frames = reader.Frames();
        for (std::size_t i = 1; i < frames.size(); ++i) // past the header
            read.ApplyRecord(frames[i], nullptr);
    }
    // Keys are the tool's own; versions never set and numbers that are no numbers come back 0.
    const QRegularExpression readNoise(
        QStringLiteral(R"(KeyDB|(vSoft|vDev):  / 0\.0$|Phone: ('12')? / 0?$)"));
    const QStringList readDiff = ConfigDifferences(source, read);
    EXPECT_EQ(readDiff.filter(readNoise), readDiff);

    TConfig written;
    TTool writer(written);
    const auto send = [&writer](std::uint8_t code, const TVec &args) {
        EXPECT_EQ(writer.Result(code, args), code) << int(code) << " " << int(args[0]);
    };
    const auto n = [](int number) { return static_cast<std::uint8_t>(number); };
    for (int p = 1; p <= TConfig::MaxPart; ++p)
        if (const TPart *part = source.Part(p)) {
            send(0x45, Written({}, [&](TFrame &f) { source.WritePart(p, f); }));
            for (int k = 1; k <= 3; ++k)
                send(0x4A, Written({n(p), n(k)}, [&](TFrame &f) { part->SMS(k)->WriteRecord(f); }));
        }
    for (int a = 1; a <= TConfig::MaxAddress; ++a) {
        TDevice *d = source.Device(a);
        if (!d)
            continue;
        if (a != 1)
            send(0x40, Written({}, [&](TFrame &f) { source.WriteDevice(a, f); }));
        const auto outputs = [&](std::uint8_t code, int count, auto at) {
            for (int k = 1; k <= count; ++k)
                send(code, Written({n(a), n(k)}, [&](TFrame &f) { at(k)->WriteRecord(f); }));
        };
        if (TVEKT *v = d->AsVEKT())
            outputs(0x41, v->Count(), [v](int k) { return v->Loop(k); });
        if (TRelayDev *r = d->AsRelayDev())
            outputs(0x43, r->Count(), [r](int k) { return r->Relay(k); });
        if (TIndicDev *i = d->AsIndicDev())
            outputs(0x42, i->Count(), [i](int k) { return i->Indicator(k); });
    }
    for (int u = 1; u <= TConfig::MaxUser; ++u)
        if (source.User(u))
            send(0x44, Written({}, [&](TFrame &f) { source.WriteUser(u, f); }));
    // Writes carry neither keys nor what the devices report of themselves.
    const QRegularExpression writeNoise(QStringLiteral("KeyDB|vSoft|vDev|State|Phone: '12' / $"));
    const QStringList writeDiff = ConfigDifferences(source, written);
    EXPECT_EQ(writeDiff.filter(writeNoise), writeDiff);
}

TEST(SimCore, WriteCommandsChangeTheConfigurationOrAreRefused)
{
    TConfig config;
    TTool tool(config);
    const TVec device{0x02, 105, 0x0F, 0x0E, 0x0D, 0x0C, 0x0B, 0x0A};
    EXPECT_EQ(tool.Result(0x45, {0x05, 0x03}), 0x45);
    // 79001234567 with "+", in Russian, alarms and arming.
    EXPECT_EQ(tool.Result(0x4A, {0x05, 0x01, 0x87, 0x2C, 0xD7, 0x64, 0x12, 0x00, 0x40, 0x0D}),
              0x4A);
    EXPECT_EQ(tool.Result(0x40, device), 0x40);
    EXPECT_EQ(tool.Result(0x41, {0x02, 0x01, 0x05, 0x23, 0x03}), 0x41);
    EXPECT_EQ(tool.Result(0x43, {0x01, 0x01, 0x85, 0x06, 0x03, 0x02}), 0x43);
    EXPECT_EQ(tool.Result(0x44, {0x07, 0x01, 0x0C, 0x00, 0x00, 0x20, 0x0C, 0x00, 0x00, 0x40, 0xFF}),
              0x44);
    EXPECT_EQ(tool.Result(0x50, {0x3A, 0x3B, 0x17, 0x02, 0x1F, 0x0C, 0x18}), 0x50);
    const TSMS &sms = *config.Part(5)->SMS(1);
    EXPECT_EQ((std::tuple{config.Part(5)->Delay, sms.Phone, sms.Plus, sms.Code, sms.Type}),
              (std::tuple{30u, QStringLiteral("79001234567"), 1u, 1u, 3u}));
    EXPECT_EQ(config.Device(2)->ID, QStringLiteral("0A0B0C0D0E0F"));
    const TShleif &loop = *config.Device(2)->AsVEKT()->Loop(1);
    EXPECT_EQ((TVec{loop.Part, loop.Type, loop.Flags, loop.Delay}), (TVec{5, 3, 1, 30}));
    const TRelay &relay = *config.Device(1)->AsRelayDev()->Relay(1);
    EXPECT_EQ((TVec{relay.Mode, relay.TwoShlf, relay.Delay, relay.Device, relay.Shlf}),
              (TVec{5, 1, 60, 3, 2}));
    EXPECT_EQ(config.User(7)->Pswrd1 + u' ' + config.User(7)->Pswrd2, QStringLiteral("12 0012"));
    EXPECT_EQ(tool.Module.Clock(), QStringLiteral("2024-12-31 23:59:58, day 2"));

    // A changed device keeps its outputs; a device record replaces the device; 0x47 moves it.
    EXPECT_EQ(tool.Result(0x46, device), 0x46);
    EXPECT_EQ(config.Device(2)->AsVEKT()->Loop(1)->Part, 5);
    EXPECT_EQ(tool.Result(0x40, device), 0x40);
    EXPECT_EQ(config.Device(2)->AsVEKT()->Loop(1)->Part, 0);
    EXPECT_EQ(tool.Result(0x47, {0x02, 0x03}), 0x47);
    EXPECT_TRUE(config.Device(3) && !config.Device(2));

    // Refused with 0xC5: no device at the address, a second partition byte after "any", a wrong
    // day of the week, an unknown model, the module moved away.
    const TFrame refusal = tool.Command(0x41, {0x09, 0x01, 0x05, 0x02});
    EXPECT_EQ(Fields(refusal), (TVec{0x32, 0x83, tool.Seq, 0x04, 0x00, 0xC5}));
    EXPECT_EQ(Fields(tool.Frames().at(0), 6), TVec{0xC5});
    EXPECT_EQ(
        tool.Result(0x44, {0x08, 0x01, 0x0C, 0x00, 0x00, 0x20, 0x0C, 0x00, 0x00, 0x40, 0xFF, 0x01}),
        0xC5);
    EXPECT_EQ(tool.Result(0x50, {0x3A, 0x3B, 0x17, 0x03, 0x1F, 0x0C, 0x18}), 0xC5);
    EXPECT_EQ(tool.Result(0x40, {0x04, 101, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00}), 0xC5);
    EXPECT_EQ(tool.Result(0x47, {0x01, 0x09}), 0xC5);
    EXPECT_FALSE(config.User(8) || config.Device(4) || config.Device(9));
    EXPECT_EQ(tool.Module.Clock(), QStringLiteral("2024-12-31 23:59:58, day 2"));
}

TEST(SimCore, KeepsTheExchangeInStep)
{
    TConfig config;
    config.PutPart(1, config.CreatePart(0, QString()));
    config.PutPart(2, config.CreatePart(0, QString()));
    TTool tool(config);

    // A repeated command is answered alike and carried out once.
    const TVec remove = tool.CommandBytes(0x31, {0x01});
    const QByteArray first = tool.Module.Handle(Wire(remove));
    EXPECT_EQ(tool.Module.Handle(Wire(remove)), first);
    EXPECT_EQ(config.PartCount(), 1);
    EXPECT_EQ(tool.Frames().size(), 1u);

    // A frame handed out goes out again until it is acknowledged; a new command drops the rest.
    tool.Command(0x12, {0x00});
    const TFrame header = tool.Poll();
    EXPECT_EQ(tool.Poll().ReplySeq(), header.ReplySeq());
    EXPECT_EQ(tool.Ack(header.ReplySeq() + 1).ReplySeq(), header.ReplySeq());
    EXPECT_EQ(tool.Ack(header.ReplySeq()).ReplyCode(), 0x12);
    EXPECT_EQ(tool.Result(0x04, {0x6F}), 0x04);

    // The module numbers its frames 1..255, then 1 again.
    TTool counter(config);
    TInts seqs;
    for (int i = 0; i < 256; ++i) {
        counter.Command(0x80);
        seqs.push_back(counter.Frames().at(0).ReplySeq());
    }
    EXPECT_EQ((TInts{seqs[0], seqs[254], seqs[255]}), (TInts{1, 255, 1}));
}

// Erase answers 0x03 a few times before 0x81 and keeps the module itself, with its relays off.
TEST(SimCore, EraseReportsProgressBeforeItsResult)
{
    TConfig config;
    FillEveryKind(config);
    const QString id = config.Device(1)->ID;
    TTool tool(config);
    EXPECT_EQ(tool.Codes(0x81), (TInts{0x03, 0x03, 0x81}));
    EXPECT_EQ((TInts{config.DeviceCount(), config.PartCount(), config.UserCount()}),
              (TInts{1, 0, 0}));
    EXPECT_EQ(config.Device(1)->ID, id);
    const TRelayDev &module = *config.Device(1)->AsRelayDev();
    for (int n = 1; n <= module.Count(); ++n)
        EXPECT_EQ(module.Relay(n)->Mode, 0) << n;
}

TEST(SimCore, FaultsShapeTheReplies)
{
    TConfig config;
    const auto replies = [&](const TSimFaults &faults, int count) {
        TModuleCore module(config, faults);
        std::vector<QByteArray> out;
        for (int i = 0; i < count; ++i)
            out.push_back(module.Handle(Wire({0x00, 0x42, 0x01})));
        return out;
    };
    TSimFaults f;
    f.DropReplies = {2};
    const std::vector<QByteArray> dropped = replies(f, 3);
    EXPECT_TRUE(!dropped[0].isEmpty() && dropped[1].isEmpty() && !dropped[2].isEmpty());
    f = {};
    f.CorruptReplies = {1};
    const TFrame bad = Decoded(replies(f, 1)[0]);
    EXPECT_EQ(Fields(bad), (TVec{0x42, 0x02}));
    EXPECT_FALSE(bad.CheckCrc());
    f = {};
    f.AddressBytes = 3;
    const TFrame shifted = Decoded(replies(f, 1)[0]);
    EXPECT_TRUE(shifted.CheckCrc());
    EXPECT_EQ((TInts{shifted.GetByte(0, false), shifted.DataOffset()}), (TInts{0x03, 0x03}));
    EXPECT_EQ(Fields(shifted), (TVec{0x42, 0x02}));
    f = {};
    f.LinkLostFrom = 2;
    const std::vector<QByteArray> late = replies(f, 2);
    EXPECT_EQ((TVec{Decoded(late[0]).Field(2), Decoded(late[1]).Field(2)}), (TVec{0x02, 0x22}));
    f = {};
    f.SilentAfter = 2;
    EXPECT_TRUE(replies(f, 3)[2].isEmpty());
    f = {};
    f.RefuseCodes = {0x80};
    TTool refused(config, f);
    EXPECT_EQ(Fields(refused.Command(0x80)), (TVec{0x32, 0x83, 0x01, 0x04, 0x00, 0xC5}));
    EXPECT_EQ(refused.Frames().at(0).ReplyCode(), 0xC5);
    f = {};
    f.DropRate = 0.5;
    f.Seed = 7;
    const std::vector<QByteArray> once = replies(f, 40);
    EXPECT_EQ(replies(f, 40), once);
    const auto empties =
        std::count_if(once.begin(), once.end(), [](const QByteArray &r) { return r.isEmpty(); });
    EXPECT_TRUE(empties > 5 && empties < 35) << empties;
}
