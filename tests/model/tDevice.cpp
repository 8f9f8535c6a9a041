// The rules of devices and their outputs. Reference removal is checked through the container's
// cascades in tConfig.cpp.

#include "model/uDevice.h"
#include "model/uPart.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace {

std::unique_ptr<TDevice> Make(const char16_t *type)
{
    return NewDevice(QString::fromUtf16(type), QStringLiteral("0020FF78C534"), QStringLiteral("7"),
                     QStringLiteral("1.2"), QStringLiteral("2.1"), 5);
}

} // namespace

// Each model falls into exactly one device class, and its device has that class with the
// outputs of the class only, numbered from 1.
TEST(Devices, EachModelHasOneClassAndItsOutputs)
{
    for (const TKind &k : Kinds) {
        const auto d = Make(k.Name);
        ASSERT_NE(d, nullptr);
        const QStringView n(k.Name);
        const TVEKT *v = d->AsVEKT();
        const TRelayDev *r = d->AsRelayDev();
        const TIndicDev *i = d->AsIndicDev();
        EXPECT_EQ(IsRelayDevKind(n) + IsKP(n) + IsVEKT(n) + IsIndicDevKind(n), 1) << int(k.Code);
        EXPECT_EQ((std::tuple{!!v, !!r, !!i, !!d->AsKP()}),
                  (std::tuple{IsVEKT(n), IsRelayDevKind(n), IsIndicDevKind(n), IsKP(n)}));
        EXPECT_EQ(IsIndicDevKind(n), IsVMSGroup(n) != IsIB8(n));
        EXPECT_EQ((std::tuple{LoopCount(n) > 0, RelayCount(n) > 0, IndicatorCount(n) > 0}),
                  (std::tuple{!!v, !!r, !!i}));
        const int count = v ? v->Count() : r ? r->Count() : i ? i->Count() : 0;
        EXPECT_EQ(count, LoopCount(n) + RelayCount(n) + IndicatorCount(n));
        EXPECT_TRUE(v ? !v->Loop(0) && !v->Loop(count + 1) && v->Loop(count)->Part == 0 : true);
        EXPECT_TRUE(r ? !r->Relay(0) && !r->Relay(count + 1) && r->Relay(count)->Mode == 0 : true);
        EXPECT_TRUE(i ? !i->Indicator(0) && !i->Indicator(count + 1) &&
                            i->Indicator(count)->Mode == 0
                      : true);
    }
    EXPECT_EQ(
        (std::vector<int>{RelayCount(u"ЦМ"), RelayCount(u"БР-2"), LoopCount(u"ВЕКТ-8 v4"),
                          LoopCount(u"ВЕКТ-16Р"), LoopCount(u"ВЕКТ-24Р"), IndicatorCount(u"ИБ-8"),
                          IndicatorCount(u"ВМС-16"), IndicatorCount(u"ИБ-40")}),
        (std::vector<int>{3, 2, 8, 16, 24, 8, 16, 40}));
    EXPECT_TRUE(IsVMSGroup(u"ИБ-40") && IsCM(u"ЦМ") && IsBR(u"БР-2"));
    EXPECT_EQ(NewDevice(QStringLiteral("ВЕКТ-8 "), {}, {}, {}, {}, 0), nullptr);
    // New indicator devices sound; new keypads sound on keys and on arming.
    EXPECT_EQ(Make(u"ИБ-40")->AsIndicDev()->Sound, 1);
    const auto keypad = Make(u"КП");
    TKP &kp = *keypad->AsKP();
    EXPECT_TRUE(kp.Sound == 3 && kp.SoundKeys() && kp.SoundArm());
    kp.SetSound(false, true);
    EXPECT_EQ(kp.Sound, 2);
}

// A loop joining a partition becomes a security loop unless it has a type. Which loops have a
// delay: Records.Loop.
TEST(Devices, ALoopJoiningAPartitionIsASecurityLoop)
{
    TShleif loop;
    loop.SetPart(4);
    EXPECT_EQ(loop.Type, 2);
    loop.Type = 7;
    loop.SetPart(5);
    EXPECT_EQ(loop.Type, 7);
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
