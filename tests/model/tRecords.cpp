// One table per record kind: a hand-built record is read into an object that holds other values,
// then the object writes its record. Address bytes: tConfig.cpp; every model and mode over the
// link: tSoak.cpp.

#include "link/uFrame.h"
#include "model/uConfig.h"
#include "support/uFrames.h"
#include "support/uTestSupport.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace Qt::StringLiterals;

namespace {

using T3 = std::tuple<int, int, int>;
using T4 = std::tuple<int, int, int, int>;

template <typename T> TVec Written(const T &object)
{
    TFrame f;
    object.WriteRecord(f);
    return Content(f);
}

template <typename TRead> struct TCase {
    TVec Data; // the record after its numbers
    TRead Read;
    TVec Sent;
};

// read gives the fields read from the reply and the record then written.
template <typename TRead, typename F>
void Check(std::uint8_t code, const TVec &numbers, std::initializer_list<TCase<TRead>> cases,
           F read)
{
    for (const TCase<TRead> &c : cases) {
        const auto [fields, sent] = read(Reply(code, Join(numbers, c.Data)));
        EXPECT_EQ(fields, c.Read) << testing::PrintToString(c.Data);
        EXPECT_EQ(sent, c.Sent) << testing::PrintToString(c.Data);
    }
}

} // namespace

// Address, kind, state, versions, the identifier least significant byte first, then the class's
// fields: КП partition and two sound bits; ВМС partition, then sound in bit 0 and mode in bits
// 1..3; ИБ mode in bits 0..2 (ИБ-40 sound in bit 7), partition only in modes 2 and 3.
TEST(Records, Device)
{
    const std::tuple<const char16_t *, TVec, T3, TVec> cases[] = {
        // type, extras read, (partition, mode, sound), extras sent
        {u"ЦМ", {0x33, 0x44}, {0, 0, 0}, {}},
        {u"КП", {0xFF, 0x07}, {255, 0, 7}, {0xFF, 0x03}},
        {u"ВМС-8", {0x09, 0x07}, {9, 3, 1}, {0x09, 0x07}},
        {u"ВМС-16", {0x7F, 0xF4}, {127, 2, 0}, {0x7F, 0x04}},
        {u"ИБ-8", {0x82, 0x09}, {9, 2, 1}, {0x02, 0x09}},
        {u"ИБ-8", {0x01, 0x09}, {0, 1, 1}, {0x01}},
        {u"ИБ-40", {0x83, 0x04}, {4, 3, 1}, {0x83, 0x04}},
        {u"ИБ-40", {0x7A, 0x04}, {4, 2, 0}, {0x02, 0x04}},
        {u"ИБ-40", {0x80, 0x04}, {0, 0, 1}, {0x80}},
    };
    const TVec id{0x34, 0xC5, 0x78, 0xFF, 0x2B, 0x0A};
    for (const auto &[type, extras, read, sent] : cases) {
        auto d = NewDevice(QString::fromUtf16(type), {}, {}, {}, {}, 0);
        const std::uint8_t kind = KindCode(d->Type);
        d->ReadRecord(Reply(0x10, Join(Join({5, kind, 0x5A, 0x12, 0x1A}, id), extras)));
        EXPECT_EQ((std::tuple{d->State, d->vSoft, d->vDev, d->ID}),
                  (std::tuple{0x5A, u"1.2"_s, u"1.10"_s, u"0A2BFF78C534"_s}));
        T3 got{0, 0, 0};
        if (const TKP *kp = d->AsKP())
            got = {kp->Part, 0, kp->Sound};
        if (const TIndicDev *ind = d->AsIndicDev())
            got = {ind->Part, ind->Mode, ind->Sound};
        EXPECT_EQ(got, read) << d->Type.toStdString();
        EXPECT_EQ(Written(*d), Join(Join({kind}, id), sent)) << d->Type.toStdString();
    }
    // A short identifier is widened with leading zeros.
    const auto vekt = NewDevice(u"ВЕКТ-24Р"_s, u"ABC"_s, {}, {}, {}, 0);
    EXPECT_EQ(Written(*vekt), (TVec{0x67, 0xBC, 0x0A, 0, 0, 0, 0}));
}

// Partition, type in bits 0..3 and flags in bits 5..7, the delay in tens of seconds only for a
// loop that has one; partition 0 stores the loop excluded. Loop numbers 0 and 9 of an eight-loop
// panel are ignored.
TEST(Records, Loop)
{
    const auto d = NewDevice(u"ВЕКТ-8"_s, {}, {}, {}, {}, 0);
    TVEKT &panel = *d->AsVEKT();
    Check<T4>(0x13, {2, 3},
              {{{0x04, 0xA3, 0x06}, {4, 3, 5, 60}, {0x04, 0xA3, 0x06}},
               {{0x07, 0x21, 0x03}, {7, 1, 1, 30}, {0x07, 0x21, 0x03}}, // fire, reset: a delay
               {{0x08, 0x08, 0x02}, {8, 8, 0, 20}, {0x08, 0x08, 0x02}}, // fire: a delay
               {{0x07, 0x47, 0x09}, {7, 7, 2, 0}, {0x07, 0x47}},        // fire, double: none
               {{0x04, 0x43, 0x06}, {4, 3, 2, 60}, {0x04, 0x43, 0x06}}, // with delay, double
               {{0x07, 0x02, 0x09}, {7, 2, 0, 0}, {0x07, 0x02}},
               {{0x00, 0xA3, 0x06}, {0, 0, 0, 0}, {0x00, 0x00}}},
              [&panel](const TFrame &f) {
                  *panel.Loop(3) = TShleif{.Type = 9, .Delay = 90, .Flags = 7, .Part = 9};
                  panel.ReadLoop(f);
                  const TShleif &l = *panel.Loop(3);
                  return std::pair{T4{l.Part, l.Type, l.Flags, l.Delay}, Written(l)};
              });
    panel.ReadLoop(Reply(0x13, {2, 0, 0x07, 0x03, 0x01}));
    panel.ReadLoop(Reply(0x13, {2, 9, 0x07, 0x03, 0x01}));
    EXPECT_FALSE(panel.HasBoundLoops());
    EXPECT_EQ(Written(TShleif{.Type = 8, .Delay = 155, .Part = 255}), (TVec{0xFF, 0x08, 0x0F}));
}

// Mode in bits 0..3 with the two-loop flag in bit 7 for "АСПТ" only, the delay in modes 1 and 3
// to 7, then the partition or panel, and the loop for "АСПТ". Relays 0 and 3 are ignored.
TEST(Records, Relay)
{
    using T5 = std::tuple<int, int, int, int, int>;
    const auto d = NewDevice(u"БР-2"_s, {}, {}, {}, {}, 0);
    TRelayDev &dev = *d->AsRelayDev();
    // (mode, two loops, delay, partition or panel, loop), one row for each of the ten modes
    Check<T5>(0x15, {3, 2},
              {{{0x80, 0x02, 0x06, 0x07}, {0, 0, 0, 0, 0}, {0x00, 0x00}},
               {{0x81, 0x02, 0x06, 0x07}, {1, 0, 20, 6, 0}, {0x01, 0x02, 0x06}},
               {{0x82, 0x02, 0x06, 0x07}, {2, 0, 0, 2, 0}, {0x02, 0x02}},
               {{0x83, 0x02, 0x06, 0x07}, {3, 0, 20, 6, 0}, {0x03, 0x02, 0x06}},
               {{0x84, 0x02, 0x06, 0x07}, {4, 0, 20, 6, 0}, {0x04, 0x02, 0x06}},
               {{0x85, 0x02, 0x06, 0x07}, {5, 1, 20, 6, 7}, {0x85, 0x02, 0x06, 0x07}},
               {{0x86, 0x02, 0x06, 0x07}, {6, 0, 20, 6, 0}, {0x06, 0x02, 0x06}},
               {{0x87, 0x02, 0x06, 0x07}, {7, 0, 20, 6, 0}, {0x07, 0x02, 0x06}},
               {{0x88, 0x02, 0x06, 0x07}, {8, 0, 0, 2, 0}, {0x08, 0x02}},
               {{0x89, 0x02, 0x06, 0x07}, {9, 0, 0, 2, 0}, {0x09, 0x02}}},
              [&dev](const TFrame &f) {
                  *dev.Relay(2) = TRelay{.Mode = 9, .Delay = 9, .Device = 9, .Shlf = 9};
                  dev.ReadRelay(f);
                  const TRelay &r = *dev.Relay(2);
                  return std::pair{T5{r.Mode, r.TwoShlf, r.Delay, r.Device, r.Shlf}, Written(r)};
              });
    dev.ReadRelay(Reply(0x15, {3, 0, 0x08, 0x06}));
    dev.ReadRelay(Reply(0x15, {3, 3, 0x08, 0x06}));
    EXPECT_EQ(dev.Relay(1)->Mode, 0);
    // Fields the mode does not have are not sent, whatever they hold.
    TRelay r{.Mode = 2, .Delay = 40, .Device = 6, .Shlf = 3, .TwoShlf = 1};
    EXPECT_EQ(Written(r), (TVec{0x02, 0x06}));
    r.Mode = 7;
    EXPECT_EQ(Written(r), (TVec{0x07, 0x04, 0x06}));
}

// Indicator: mode in bits 0..2 and the loop in bits 3..7, then the partition or panel.
// Partition: the delay in tens of seconds, kept to one byte.
TEST(Records, IndicatorAndPartition)
{
    const auto d = NewDevice(u"ИБ-40"_s, {}, {}, {}, {}, 0);
    TIndicator &ind = *d->AsIndicDev()->Indicator(40);
    Check<T3>(0x14, {6, 40},
              {{{0xC2, 0x03}, {2, 24, 3}, {0xC2, 0x03}}, {{0x01, 0x05}, {1, 0, 5}, {0x01, 0x05}}},
              [&](const TFrame &f) {
                  d->AsIndicDev()->ReadIndicator(f);
                  return std::pair{T3{ind.Mode, ind.Shlf, ind.Device}, Written(ind)};
              });
    EXPECT_EQ(Written(TIndicator{.Mode = 1, .Device = 5, .Shlf = 7}), (TVec{0x01, 0x05}));

    Check<unsigned>(0x11, {3}, {{{15}, 150, {0x0F}}, {{26}, 4, {0x00}}}, [](const TFrame &f) {
        TPart p(77, QString());
        p.ReadRecord(f);
        return std::pair{p.Delay, Written(p)};
    });
}

// The number in bytes 1..7 (bits 0..5 of byte 7), "+" in bit 6 of byte 7, the encoding in bit 0
// and the type in bits 2..4 of byte 8. Value 0 is no number; SMS records 0 and 4 are ignored.
TEST(Records, Sms)
{
    using TSms = std::tuple<QString, unsigned, unsigned, unsigned>;
    TPart p(0, QString());
    Check<TSms>(0x18, {3, 2},
                {{{0x87, 0x94, 0x60, 0x6E, 0x12, 0x00, 0x40, 0x0D},
                  {u"79161234567"_s, 1, 1, 3},
                  {0x87, 0x94, 0x60, 0x6E, 0x12, 0x00, 0x40, 0x0D}},
                 {{0xFF, 0xFF, 0xC0, 0x6F, 0xF2, 0x86, 0xE3, 0xFD},
                  {u"9999999999999999"_s, 1, 1, 7},
                  {0xFF, 0xFF, 0xC0, 0x6F, 0xF2, 0x86, 0x63, 0x1D}},
                 {{0, 0, 0, 0, 0, 0, 0, 0x09}, {QString(), 0, 1, 2}, {0, 0, 0, 0, 0, 0, 0, 0x09}}},
                [&p](const TFrame &f) {
                    *p.SMS(2) = TSMS{.Type = 6, .Phone = u"5"_s, .Plus = 1};
                    p.ReadSMS(f);
                    const TSMS &s = *p.SMS(2);
                    return std::pair{TSms{s.Phone, s.Plus, s.Code, s.Type}, Written(s)};
                });
    p.ReadSMS(Reply(0x18, {3, 4, 0x01}));
    p.ReadSMS(Reply(0x18, {3, 0, 0x01}));
    EXPECT_TRUE(p.SMS(1)->Phone.isEmpty() && p.SMS(3)->Phone.isEmpty());
    EXPECT_EQ(Written(TSMS{.Phone = u"12a"_s}), TVec(8, 0));
}

// Passwords: the value in bits 0..27 and the digit count in the high nibble, so leading zeros
// survive; a text that is no number sends 0. The user record: type, the two passwords, Part1,
// and Part2 only when Part1 is neither "Нет" nor "Любой".
TEST(Records, User)
{
    const std::pair<const char16_t *, std::array<std::uint8_t, 4>> passwords[] = {
        {u"0123", {0x7B, 0, 0, 0x40}},
        {u"123", {0x7B, 0, 0, 0x30}},
        {u"268435455", {0xFF, 0xFF, 0xFF, 0x9F}},
        {u"000", {0, 0, 0, 0x30}},
        {u"", {0, 0, 0, 0}},
    };
    for (const auto &[text, bytes] : passwords) {
        EXPECT_EQ(EncodePassword(QString::fromUtf16(text)), bytes);
        EXPECT_EQ(DecodePassword(bytes), QString::fromUtf16(text));
    }
    EXPECT_EQ(EncodePassword(u"12a"_s), (std::array<std::uint8_t, 4>{0, 0, 0, 0x30}));
    EXPECT_EQ(DecodePassword({0x4A, 0x21, 0x00, 0x20}), u"85"_s);

    const TVec head{0x01, 0x0C, 0, 0, 0x40, 0x83, 0x25, 0, 0x40};
    using TUserFields = std::tuple<QString, QString, unsigned, unsigned, unsigned>;
    const auto fields = [](unsigned part1, unsigned part2) {
        return TUserFields{u"0012"_s, u"9603"_s, 1, part1, part2};
    };
    Check<TUserFields>(
        0x12, {12},
        {{Join(head, {5, 9}), fields(5, 9), Join(head, {5, 9})},
         {Join(head, {0, 9}), fields(0, 0), Join(head, {0})},
         {Join(head, {255, 9}), fields(255, 0), Join(head, {255})}},
        [](const TFrame &f) {
            TUser u(0, 0, 7, QString(), QString());
            u.ReadRecord(f);
            return std::pair{TUserFields{u.Pswrd1, u.Pswrd2, u.Type, u.Part1, u.Part2}, Written(u)};
        });
}
