// The rules of devices and their outputs. Reference removal is checked through the container's
// cascades in tConfig.cpp.

#include "model/uDevice.h"
#include "model/uPart.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

std::unique_ptr<TDevice> Make(const char16_t *type)
{
    return NewDevice(QString::fromUtf16(type), QStringLiteral("0020FF78C534"), QStringLiteral("7"),
                     QStringLiteral("1.2"), QStringLiteral("2.1"), 5);
}

} // namespace

TEST(Devices, EachModelGetsItsClassAndOutputs)
{
    for (const TKind &k : Kinds) {
        const auto d = Make(k.Name);
        ASSERT_NE(d, nullptr);
        const QStringView n(k.Name);
        const TVEKT *v = d->AsVEKT();
        const TRelayDev *r = d->AsRelayDev();
        const TIndicDev *i = d->AsIndicDev();
        EXPECT_EQ((std::tuple{!!v, !!r, !!i, !!d->AsKP()}),
                  (std::tuple{IsVEKT(n), IsRelayDevKind(n), IsIndicDevKind(n), IsKP(n)}));
        const int count = v ? v->Count() : r ? r->Count() : i ? i->Count() : 0;
        EXPECT_EQ(count, LoopCount(n) + RelayCount(n) + IndicatorCount(n));
        EXPECT_TRUE(v ? !v->Loop(0) && !v->Loop(count + 1) && v->Loop(count)->Part == 0 : true);
        EXPECT_TRUE(r ? !r->Relay(0) && !r->Relay(count + 1) && r->Relay(count)->Mode == 0 : true);
        EXPECT_TRUE(i ? !i->Indicator(0) && !i->Indicator(count + 1) &&
                            i->Indicator(count)->Mode == 0
                      : true);
    }
    EXPECT_EQ(NewDevice(QStringLiteral("ВЕКТ-8 "), {}, {}, {}, {}, 0), nullptr);
    // New indicator devices sound; new keypads sound on keys and on arming.
    EXPECT_EQ(Make(u"ИБ-40")->AsIndicDev()->Sound, 1);
    const auto keypad = Make(u"КП");
    TKP &kp = *keypad->AsKP();
    EXPECT_TRUE(kp.Sound == 3 && kp.SoundKeys() && kp.SoundArm());
    kp.SetSound(false, true);
    EXPECT_EQ(kp.Sound, 2);
}

// A loop joining a partition becomes a security loop unless it has a type; a loop has a delay
// when it is "with delay", or a fire loop without the double-trigger flag.
TEST(Devices, LoopRules)
{
    TShleif loop;
    loop.SetPart(4);
    EXPECT_EQ(loop.Type, 2);
    loop.Type = 7;
    loop.SetPart(5);
    EXPECT_EQ(loop.Type, 7);
    const std::tuple<int, int, bool> delays[] = {
        {1, TShleif::DoubleFire, false},
        {1, TShleif::ResetFire, true},
        {8, 0, true},
        {3, TShleif::DoubleFire, true},
        {2, 0, false},
        {15, 0, false},
    };
    for (const auto &[type, flags, has] : delays) {
        loop.Type = static_cast<std::uint8_t>(type);
        loop.Flags = static_cast<std::uint8_t>(flags);
        EXPECT_EQ(loop.HasDelay(), has) << type << " " << flags;
    }
}

TEST(Devices, PairsAndIdentifierText)
{
    auto d = Make(u"ВЕКТ-8");
    TVEKT &panel = *d->AsVEKT();
    panel.Loop(2)->Type = 8;
    panel.Loop(7)->Type = 1;
    for (int n = 0; n <= 9; ++n)
        EXPECT_EQ(panel.PairIsFire(n), n == 1 || n == 8) << n;

    EXPECT_EQ(panel.IDText(), QStringLiteral("00-20-FF-78-C5-34"));
    panel.ID = QStringLiteral("AB");
    EXPECT_EQ(panel.IDText(), QStringLiteral("AB"));
    panel.ID = QStringLiteral("ABC");
    EXPECT_EQ(panel.IDText(), QStringLiteral("A-BC"));
}

// A copy keeps every setting but no change mark, so the editor can restore an object.
TEST(Devices, CopiesKeepSettingsButNotFlags)
{
    auto ib = Make(u"ИБ-8");
    TIndicDev &dev = *ib->AsIndicDev();
    dev.Mode = 2;
    dev.Part = 9;
    dev.Sound = 0;
    dev.Indicator(8)->Shlf = 4;
    ib->MarkDeleted();
    const auto copy = ib->Clone();
    const TIndicDev &c = *copy->AsIndicDev();
    EXPECT_EQ((std::tuple{c.Type, c.ID, c.KeyDB, c.vSoft, c.vDev, c.State}),
              (std::tuple{ib->Type, ib->ID, ib->KeyDB, ib->vSoft, ib->vDev, ib->State}));
    EXPECT_EQ((std::tuple{c.Mode, c.Part, c.Sound, c.Indicator(8)->Shlf}),
              (std::tuple{2, 9, 0, 4}));
    EXPECT_FALSE(c.Changed || c.Deleted);
    dev.Indicator(8)->Shlf = 1;
    ib->Assign(*copy);
    EXPECT_EQ(dev.Indicator(8)->Shlf, 4);

    // Panels of different sizes copy the loops both have.
    auto small = Make(u"ВЕКТ-8");
    auto large = Make(u"ВЕКТ-24Р");
    large->AsVEKT()->Loop(8)->SetPart(1);
    large->AsVEKT()->Loop(24)->SetPart(1);
    small->Assign(*large);
    EXPECT_EQ(small->AsVEKT()->Loop(8)->Part, 1);
    EXPECT_EQ(small->Type, QStringLiteral("ВЕКТ-8"));

    TPart part(40, QStringLiteral("12"));
    part.SMS(2)->Phone = QStringLiteral("79001234567");
    part.MarkDeleted();
    const TPart partCopy(part);
    EXPECT_EQ((std::tuple{partCopy.Delay, partCopy.KeyDB, partCopy.SMS(2)->Phone}),
              (std::tuple{40u, part.KeyDB, part.SMS(2)->Phone}));
    EXPECT_FALSE(partCopy.Changed || partCopy.Deleted);
}
