#include "link/uFrame.h"
#include "model/uConfig.h"
#include "model/uNotify.h"
#include "support/uFrames.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace {

using TPswd = std::array<std::uint8_t, 4>;

template <typename T> TVec Written(const T &object)
{
    TFrame f;
    object.WriteRecord(f);
    return Content(f);
}

// Device record data from field 7: address, kind, state 5A, versions 12 and 1A, the identifier
// 0A2BFF78C534 (field 12 least significant), then the class's own fields.
TVec DeviceData(std::uint8_t address, std::uint8_t kind, const TVec &extras)
{
    TVec d{address, kind, 0x5A, 0x12, 0x1A, 0x34, 0xC5, 0x78, 0xFF, 0x2B, 0x0A};
    for (const std::uint8_t b : extras) // (insert trips a false array-bounds warning of g++ 12)
        d.push_back(b);
    return d;
}

std::unique_ptr<TDevice> Make(const QString &type, const QString &id = QStringLiteral("1"))
{
    return NewDevice(type, id, QStringLiteral("1"), QString(), QString(), 0);
}

// The device read back from what it writes.
std::unique_ptr<TDevice> ReadBack(const TDevice &d)
{
    const TVec w = Written(d);
    TVec data{1, w[0], 0x5A, 0x12, 0x1A};
    data.insert(data.end(), w.begin() + 1, w.end());
    auto copy = Make(d.Type, QString());
    copy->ReadRecord(Reply(0x10, data));
    return copy;
}

using T4 = std::tuple<int, int, int, int>;
using T5 = std::tuple<int, int, int, int, int>;
T4 Fields(const TShleif &l) { return {l.Part, l.Type, l.Flags, l.Delay}; }
T5 Fields(const TRelay &r) { return {r.Mode, r.TwoShlf, r.Delay, r.Device, r.Shlf}; }
T4 Fields(const TIndicDev &d) { return {d.Part, d.Mode, d.Sound, 0}; }

struct TLogRecorder : TLogSink {
    QStringList Lines;
    void WriteLog(const QString &line) override { Lines.append(line); }
};

} // namespace

TEST(Records, DeviceReadTakesCommonPartAndClassFields)
{
    auto cm = Make(QStringLiteral("ЦМ"));
    cm->ReadRecord(Reply(0x10, DeviceData(1, 1, {0x33, 0x44})));
    EXPECT_EQ(cm->State, 0x5A);
    EXPECT_EQ(cm->vSoft, QStringLiteral("1.2"));
    EXPECT_EQ(cm->vDev, QStringLiteral("1.10"));
    EXPECT_EQ(cm->ID, QStringLiteral("0A2BFF78C534"));

    // ВМС: partition, then sound in bit 0 and mode in bits 1..3. ИБ: mode in bits 0..2 (ИБ-40
    // also sound in bit 7), partition only in modes 2 and 3. A new device has sound 1.
    struct {
        QString Type;
        std::uint8_t F18, F19;
        T4 Read;   // part, mode, sound
        TVec Sent; // written back, after the identifier
    } const cases[] = {
        {QStringLiteral("ВМС-8"), 0x09, 0x07, {9, 3, 1, 0}, {0x09, 0x07}},
        {QStringLiteral("ВМС-16"), 0x7F, 0xF4, {127, 2, 0, 0}, {0x7F, 0x04}},
        {QStringLiteral("ИБ-8"), 0x82, 0x09, {9, 2, 1, 0}, {0x02, 0x09}},
        {QStringLiteral("ИБ-8"), 0x01, 0x09, {0, 1, 1, 0}, {0x01}},
        {QStringLiteral("ИБ-40"), 0x83, 0x04, {4, 3, 1, 0}, {0x83, 0x04}},
        {QStringLiteral("ИБ-40"), 0x7A, 0x04, {4, 2, 0, 0}, {0x02, 0x04}},
        {QStringLiteral("ИБ-40"), 0x80, 0x04, {0, 0, 1, 0}, {0x80}},
    };
    for (const auto &c : cases) {
        const std::string name = c.Type.toStdString() + " " + std::to_string(c.F18);
        auto d = Make(c.Type);
        d->ReadRecord(Reply(0x10, DeviceData(5, KindCode(c.Type), {c.F18, c.F19})));
        EXPECT_EQ(d->ID, QStringLiteral("0A2BFF78C534")) << name;
        EXPECT_EQ(Fields(*d->AsIndicDev()), c.Read) << name;
        TVec sent = {KindCode(c.Type), 0x34, 0xC5, 0x78, 0xFF, 0x2B, 0x0A};
        sent.insert(sent.end(), c.Sent.begin(), c.Sent.end());
        EXPECT_EQ(Written(*d), sent) << name;
    }
}

TEST(Records, DeviceWriteSendsKindWidenedIdentifierAndClassFields)
{
    auto cm = Make(QStringLiteral("ЦМ"), QStringLiteral("0020FF78C534"));
    EXPECT_EQ(Written(*cm), (TVec{0x01, 0x34, 0xC5, 0x78, 0xFF, 0x20, 0x00}));
    auto vekt = Make(QStringLiteral("ВЕКТ-24Р"), QStringLiteral("ABC"));
    EXPECT_EQ(Written(*vekt), (TVec{0x67, 0xBC, 0x0A, 0x00, 0x00, 0x00, 0x00}));

    auto kp = Make(QStringLiteral("КП"), QStringLiteral("12345"));
    kp->AsKP()->Part = 255;
    kp->AsKP()->SetSound(false, true);
    EXPECT_EQ(Written(*kp), (TVec{0x0A, 0x45, 0x23, 0x01, 0x00, 0x00, 0x00, 0xFF, 0x02}));

    auto ib8 = Make(QStringLiteral("ИБ-8"), QStringLiteral("7"));
    ib8->AsIndicDev()->Mode = 3;
    ib8->AsIndicDev()->Part = 6;
    EXPECT_EQ(Written(*ib8), (TVec{0x1E, 0x07, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03, 0x06}));

    // What is written reads back to the same settings and is written again byte for byte.
    for (const TDevice *d : {cm.get(), vekt.get(), kp.get(), ib8.get()}) {
        auto back = ReadBack(*d);
        EXPECT_EQ(back->ID, PadLeft(d->ID, u'0', 12)) << d->Type.toStdString();
        EXPECT_EQ(Written(*back), Written(*d)) << d->Type.toStdString();
    }
}

TEST(Records, LoopKeepsDelayOnlyWhenItHasOne)
{
    auto d = Make(QStringLiteral("ВЕКТ-8"));
    TVEKT &panel = *d->AsVEKT();
    panel.ReadLoop(Reply(0x13, {2, 3, 0x04, 0xA3, 0x06})); // type 3, flags 5, 6 tens
    EXPECT_EQ(Fields(*panel.Loop(3)), (T4{4, 3, 5, 60}));
    EXPECT_EQ(Written(*panel.Loop(3)), (TVec{0x04, 0xA3, 0x06}));
    panel.ReadLoop(Reply(0x13, {2, 1, 0x07, 0x21, 0x03})); // fire, reset flag: a delay
    EXPECT_EQ(Fields(*panel.Loop(1)), (T4{7, 1, 1, 30}));
    panel.ReadLoop(Reply(0x13, {2, 2, 0x07, 0x47, 0x09})); // fire, double flag: none
    EXPECT_EQ(Fields(*panel.Loop(2)), (T4{7, 7, 2, 0}));
    EXPECT_EQ(Written(*panel.Loop(2)), (TVec{0x07, 0x47}));
    panel.ReadLoop(Reply(0x13, {2, 4, 0x07, 0x02, 0x09})); // security without delay
    EXPECT_EQ(Fields(*panel.Loop(4)), (T4{7, 2, 0, 0}));

    // Partition 0: the loop is stored excluded, whatever else the record holds.
    panel.ReadLoop(Reply(0x13, {2, 3, 0x00, 0xA3, 0x06}));
    EXPECT_EQ(Fields(*panel.Loop(3)), (T4{0, 0, 0, 0}));
    // Loop numbers 0 and past the count touch nothing.
    panel.ReadLoop(Reply(0x13, {2, 0, 0x07, 0x03, 0x01}));
    panel.ReadLoop(Reply(0x13, {2, 9, 0x07, 0x03, 0x01}));
    for (int n = 5; n <= 8; ++n)
        EXPECT_EQ(panel.Loop(n)->Part, 0) << n;

    EXPECT_EQ(Written(TShleif{.Type = 8, .Delay = 155, .Part = 255}), (TVec{0xFF, 0x08, 0x0F}));
}

TEST(Records, RelayFieldsFollowItsMode)
{
    auto d = Make(QStringLiteral("БР-2"));
    TRelayDev &dev = *d->AsRelayDev();
    dev.ReadRelay(Reply(0x15, {3, 1, 0x85, 0x03, 0x02, 0x07}));
    EXPECT_EQ(Fields(*dev.Relay(1)), (T5{5, 1, 30, 2, 7}));
    EXPECT_EQ(Written(*dev.Relay(1)), (TVec{0x85, 0x03, 0x02, 0x07}));
    // Bit 7 outside "АСПТ" is no option; the delay moves the partition to field 11.
    dev.ReadRelay(Reply(0x15, {3, 2, 0x81, 0x02, 0x06, 0x07}));
    EXPECT_EQ(Fields(*dev.Relay(2)), (T5{1, 0, 20, 6, 0}));
    EXPECT_EQ(Written(*dev.Relay(2)), (TVec{0x01, 0x02, 0x06}));
    // Without a delay the partition is field 10; in mode 0 nothing more is read.
    dev.ReadRelay(Reply(0x15, {3, 2, 0x02, 0x06, 0x09, 0x07}));
    EXPECT_EQ(Fields(*dev.Relay(2)), (T5{2, 0, 0, 6, 0}));
    dev.ReadRelay(Reply(0x15, {3, 1, 0x00, 0x05, 0x06, 0x07}));
    EXPECT_EQ(Fields(*dev.Relay(1)), (T5{0, 0, 0, 0, 0}));
    // Relays 0 and 3 of a two-relay expander are ignored.
    dev.ReadRelay(Reply(0x15, {3, 0, 0x08, 0x06}));
    dev.ReadRelay(Reply(0x15, {3, 3, 0x08, 0x06}));
    EXPECT_EQ(dev.Relay(1)->Mode, 0);
    EXPECT_EQ(dev.Relay(2)->Mode, 2);

    // The option, delay and loop are sent only in the modes that have them.
    TRelay r{.Mode = 2, .Delay = 40, .Device = 6, .Shlf = 3, .TwoShlf = 1};
    EXPECT_EQ(Written(r), (TVec{0x02, 0x06}));
    r.Mode = 7;
    EXPECT_EQ(Written(r), (TVec{0x07, 0x04, 0x06}));
    r.Mode = 5;
    r.TwoShlf = 0;
    EXPECT_EQ(Written(r), (TVec{0x05, 0x04, 0x06, 0x03}));
}

TEST(Records, IndicatorPartitionAndSms)
{
    auto d = Make(QStringLiteral("ИБ-40"));
    TIndicDev &dev = *d->AsIndicDev();
    dev.ReadIndicator(Reply(0x14, {6, 40, 0xC2, 0x03})); // loop 24 of panel 3
    const TIndicator &shlf = *dev.Indicator(40);
    EXPECT_EQ((T4{shlf.Mode, shlf.Shlf, shlf.Device, 0}), (T4{2, 24, 3, 0}));
    EXPECT_EQ(Written(shlf), (TVec{0xC2, 0x03}));
    // The loop number is not sent outside the loop mode.
    EXPECT_EQ(Written(TIndicator{.Mode = 1, .Device = 5, .Shlf = 7}), (TVec{0x01, 0x05}));

    TPart p(0, QStringLiteral("1"));
    p.ReadRecord(Reply(0x11, {3, 15}));
    EXPECT_EQ(p.Delay, 150u);
    EXPECT_EQ(Written(p), TVec{0x0F});
    p.ReadRecord(Reply(0x11, {3, 26}));
    EXPECT_EQ(p.Delay, 4u); // 260 kept to one byte

    // Eleven digits with "+": the value in bytes 1..7, the sign in bit 6 of byte 7.
    TSMS &sms = *p.SMS(2);
    sms.Phone = QStringLiteral("79161234567");
    sms.Plus = 1;
    sms.Code = 1;
    sms.Type = 3;
    EXPECT_EQ(Written(sms), (TVec{0x87, 0x94, 0x60, 0x6E, 0x12, 0x00, 0x40, 0x0D}));
    sms.Phone = QStringLiteral("9999999999999999");
    sms.Plus = 0;
    sms.Type = 2;
    EXPECT_EQ(Written(sms), (TVec{0xFF, 0xFF, 0xC0, 0x6F, 0xF2, 0x86, 0x23, 0x09}));
    sms.Phone = QStringLiteral("12a");
    EXPECT_EQ(Written(sms), (TVec{0, 0, 0, 0, 0, 0, 0, 0x09}));

    // Field 15: bits 0..5 value, bit 6 sign, bit 7 not part of the number.
    p.ReadSMS(Reply(0x18, {3, 3, 0xFF, 0xFF, 0xC0, 0x6F, 0xF2, 0x86, 0xE3, 0xFD}));
    const TSMS &back = *p.SMS(3);
    EXPECT_EQ(back.Phone, QStringLiteral("9999999999999999"));
    EXPECT_EQ((T4{int(back.Plus), int(back.Code), int(back.Type), 0}), (T4{1, 1, 7, 0}));
    p.ReadSMS(Reply(0x18, {3, 4, 0x01, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_TRUE(p.SMS(1)->Phone.isEmpty());
}

TEST(Records, UserPasswordsAndAdditionalPartition)
{
    // Leading zeros change only the count nibble; a text that is no number sends value 0.
    EXPECT_EQ(EncodePassword(QStringLiteral("8522")), (TPswd{0x4A, 0x21, 0x00, 0x40}));
    EXPECT_EQ(EncodePassword(QStringLiteral("008522")), (TPswd{0x4A, 0x21, 0x00, 0x60}));
    EXPECT_EQ(EncodePassword(QStringLiteral("268435455")), (TPswd{0xFF, 0xFF, 0xFF, 0x9F}));
    EXPECT_EQ(EncodePassword(QStringLiteral("12a")), (TPswd{0, 0, 0, 0x30}));
    EXPECT_EQ(DecodePassword({0x4A, 0x21, 0x00, 0x60}), QStringLiteral("008522"));
    EXPECT_EQ(DecodePassword({0x4A, 0x21, 0x00, 0x20}), QStringLiteral("85"));
    EXPECT_EQ(DecodePassword({0x00, 0x00, 0x00, 0x30}), QStringLiteral("000"));
    EXPECT_TRUE(DecodePassword({0x4A, 0x21, 0x00, 0x00}).isEmpty());

    const TVec record{0x01, 0x0C, 0, 0, 0x40, 0x83, 0x25, 0, 0x40, 5, 9};
    TVec data{12};
    data.insert(data.end(), record.begin(), record.end());
    TUser u = TUser::Default();
    u.ReadRecord(Reply(0x12, data));
    EXPECT_EQ(u.Pswrd1, QStringLiteral("0012"));
    EXPECT_EQ(u.Pswrd2, QStringLiteral("9603"));
    EXPECT_EQ((T4{int(u.Type), int(u.Part1), int(u.Part2), 0}), (T4{1, 5, 9, 0}));
    EXPECT_EQ(Written(u), record);

    // With Part1 "Нет" or "Любой" the additional partition is neither read nor sent.
    for (const std::uint8_t part1 : {0, 255}) {
        data[10] = part1;
        u.ReadRecord(Reply(0x12, data));
        EXPECT_EQ(u.Part2, 0u) << int(part1);
        u.Part2 = 9;
        TVec sent(record.begin(), record.end() - 1);
        sent.back() = part1;
        EXPECT_EQ(Written(u), sent) << int(part1);
    }
}

TEST(Records, ConfigurationPrefixesNumbersAndHonoursAddressBytes)
{
    TConfig cfg;
    ASSERT_TRUE(cfg.AddDevice(7, QStringLiteral("КП"), QStringLiteral("0020FF78C534"), 0, QString(),
                              QString(), QString()));
    cfg.Device(7)->AsKP()->Part = 5;
    cfg.Device(7)->AsKP()->Sound = 1;
    ASSERT_TRUE(cfg.PutPart(3, cfg.CreatePart(150, QString())));
    const auto sent = [&](auto write, int n) {
        TFrame f;
        (cfg.*write)(n, f);
        return Content(f);
    };
    EXPECT_EQ(sent(&TConfig::WriteDevice, 7),
              (TVec{0x07, 0x0A, 0x34, 0xC5, 0x78, 0xFF, 0x20, 0x00, 0x05, 0x01}));
    EXPECT_EQ(sent(&TConfig::WritePart, 3), (TVec{0x03, 0x0F}));
    EXPECT_EQ(sent(&TConfig::WriteUser, 111),
              (TVec{0x6F, 0x02, 0x4A, 0x21, 0x00, 0x40, 0x83, 0x25, 0x00, 0x40, 0xFF}));
    EXPECT_TRUE(sent(&TConfig::WriteDevice, 8).empty());

    // Every reader takes its fields after the address bytes.
    TLogRecorder log;
    const TVec sms{6, 1, 0x87, 0x94, 0x60, 0x6E, 0x12, 0x00, 0x40, 0x0D};
    const TVec user{12, 1, 0x0C, 0, 0, 0x40, 0x83, 0x25, 0, 0x40, 5, 9};
    cfg.ApplyRecord(Reply(0x10, DeviceData(9, 10, {0x04, 0x02}), true), &log);
    cfg.ApplyRecord(Reply(0x10, DeviceData(4, 105, {0x01, 0x01}), true), &log);
    cfg.ApplyRecord(Reply(0x13, {4, 3, 0x06, 0xA3, 0x02}, true), &log);
    cfg.ApplyRecord(Reply(0x15, {1, 2, 0x85, 0x03, 0x04, 0x07}, true), &log);
    cfg.ApplyRecord(Reply(0x11, {6, 12}, true), &log);
    cfg.ApplyRecord(Reply(0x18, sms, true), &log);
    cfg.ApplyRecord(Reply(0x12, user, true), &log);
    EXPECT_EQ(log.Lines,
              (QStringList{QStringLiteral("  КП [9]: OK"), QStringLiteral("  ВЕКТ-8 [4]: OK"),
                           QStringLiteral("    Шлейф №3: OK"), QStringLiteral("    Реле №2: OK"),
                           QStringLiteral("  Раздел №6: OK"), QStringLiteral("    СМС №1: OK"),
                           QStringLiteral("  Пользователь №12: OK")}));

    const TKP &kp = *cfg.Device(9)->AsKP();
    EXPECT_EQ(kp.ID, QStringLiteral("0A2BFF78C534"));
    EXPECT_EQ(kp.vSoft, QStringLiteral("1.2"));
    EXPECT_EQ((T4{kp.State, kp.Part, kp.Sound, 0}), (T4{0x5A, 4, 2, 0}));
    EXPECT_EQ(Fields(*cfg.Device(4)->AsVEKT()->Loop(3)), (T4{6, 3, 5, 20}));
    EXPECT_EQ(Fields(*cfg.Device(1)->AsRelayDev()->Relay(2)), (T5{5, 1, 30, 4, 7}));
    EXPECT_EQ(cfg.Part(6)->Delay, 120u);
    EXPECT_EQ(cfg.Part(6)->SMS(1)->Phone, QStringLiteral("79161234567"));
    EXPECT_EQ(cfg.Part(6)->SMS(1)->Plus, 1u);
    EXPECT_EQ(cfg.User(12)->Pswrd1, QStringLiteral("0012"));
    EXPECT_EQ(cfg.User(12)->Part2, 9u);
    EXPECT_EQ(cfg.ReadUser(Reply(0x12, {0, 1})), 0);
}
