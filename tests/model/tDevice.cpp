#include "model/uDevice.h"
#include "model/uPart.h"
#include "model/uUser.h"

#include <gtest/gtest.h>

namespace {

template <typename T> std::unique_ptr<T> Make(const char16_t *type)
{
    auto device = NewDevice(QString::fromUtf16(type), QStringLiteral("0020FF78C534"),
                            QStringLiteral("7"), QStringLiteral("1.2"), QStringLiteral("2.1"), 5);
    EXPECT_NE(dynamic_cast<T *>(device.get()), nullptr);
    return std::unique_ptr<T>(dynamic_cast<T *>(device.release()));
}

} // namespace

TEST(Devices, NewDevicesHaveTheirClassAndClearedOutputs)
{
    const auto panel = Make<TVEKT>(u"ВЕКТ-24Р");
    ASSERT_EQ(panel->Count(), 24);
    for (int n = 1; n <= 24; ++n) {
        EXPECT_EQ(panel->Loop(n)->Type, 0);
        EXPECT_EQ(panel->Loop(n)->Part, 0);
    }
    EXPECT_EQ(panel->Loop(0), nullptr);
    EXPECT_EQ(panel->Loop(25), nullptr);

    const auto cm = Make<TRelayDev>(u"ЦМ");
    ASSERT_EQ(cm->Count(), 3);
    EXPECT_EQ(cm->Relay(3)->Mode, 0);
    EXPECT_EQ(cm->Relay(4), nullptr);
    EXPECT_EQ(Make<TRelayDev>(u"БР-2")->Count(), 2);

    const auto ib = Make<TIndicDev>(u"ИБ-40");
    ASSERT_EQ(ib->Count(), 40);
    EXPECT_EQ(ib->Indicator(40)->Mode, 0);
    EXPECT_EQ(ib->Sound, 1);
    EXPECT_EQ(ib->Mode, 0);
    EXPECT_EQ(ib->Part, 0);

    const auto kp = Make<TKP>(u"КП");
    EXPECT_EQ(kp->Sound, 3);
    EXPECT_TRUE(kp->SoundKeys() && kp->SoundArm());
    kp->SetSound(false, true);
    EXPECT_EQ(kp->Sound, 2);

    EXPECT_EQ(NewDevice(QStringLiteral("ВЕКТ-8 "), {}, {}, {}, {}, 0), nullptr);
    EXPECT_EQ(kp->AsVEKT(), nullptr);
    EXPECT_EQ(panel->AsKP(), nullptr);
}

TEST(Devices, LoopRules)
{
    TShleif loop;
    loop.SetPart(4);
    EXPECT_EQ(loop.Type, 2);
    EXPECT_EQ(loop.TypeName(), QStringLiteral("ОХРАННЫЙ БЕЗ ЗАДЕРЖКИ"));
    loop.Type = 7;
    loop.SetPart(5);
    EXPECT_EQ(loop.Type, 7);

    loop.Type = 1;
    loop.Delay = 30;
    loop.Flags = TShleif::DoubleFire;
    EXPECT_FALSE(loop.HasDelay());
    EXPECT_EQ(loop.DelayText(), QString());
    loop.Flags = TShleif::ResetFire;
    EXPECT_TRUE(loop.HasDelay());
    EXPECT_EQ(loop.DelayText(), QStringLiteral("30"));
    loop.Type = 3;
    loop.Flags = TShleif::DoubleFire;
    EXPECT_TRUE(loop.HasDelay());
    loop.Type = 2;
    EXPECT_FALSE(loop.HasDelay());
    // A type that came from the wire beyond the table has no name and no delay.
    loop.Type = 15;
    EXPECT_EQ(loop.TypeName(), QString());
    EXPECT_FALSE(loop.HasDelay());

    loop.Changed = true;
    loop.Clear();
    EXPECT_EQ(loop.Part, 0);
    EXPECT_TRUE(loop.Changed);
}

TEST(Devices, OutputTextsFollowTheMode)
{
    TRelay relay;
    relay.Mode = 1;
    relay.Device = 255;
    EXPECT_EQ(relay.PartText(), QStringLiteral("Любой"));
    EXPECT_EQ(relay.DeviceText(), QString());
    relay.Mode = TRelay::ModeASPT;
    relay.Device = 4;
    relay.Shlf = 9;
    EXPECT_EQ(relay.PartText(), QString());
    EXPECT_EQ(relay.DeviceText(), QStringLiteral("4"));
    EXPECT_EQ(relay.ShlfText(), QStringLiteral("9"));
    EXPECT_EQ(relay.ModeName(), QStringLiteral("АСПТ"));

    TIndicator ind;
    ind.Mode = 1;
    ind.Device = 0;
    EXPECT_EQ(ind.PartText(), QStringLiteral("Нет"));
    EXPECT_EQ(ind.ShlfText(), QString());
    ind.Mode = 2;
    ind.Device = 3;
    ind.Shlf = 8;
    EXPECT_EQ(ind.PartText(), QString());
    EXPECT_EQ(ind.DeviceText(), QStringLiteral("3"));
    EXPECT_EQ(ind.ModeName(), QStringLiteral("Состояние ШС"));
    ind.Mode = 6;
    EXPECT_EQ(ind.ModeName(), QString());
}

TEST(Devices, ReferenceRemovalClearsAndMarks)
{
    auto panel = Make<TVEKT>(u"ВЕКТ-8");
    panel->Loop(1)->SetPart(3);
    panel->Loop(2)->SetPart(255);
    panel->Loop(3)->SetPart(4);
    panel->ClearLoopsOfPart(3);
    EXPECT_EQ(panel->Loop(1)->Part, 0);
    EXPECT_TRUE(panel->Loop(1)->Changed);
    EXPECT_EQ(panel->Loop(2)->Part, 255);
    EXPECT_FALSE(panel->Loop(2)->Changed);
    EXPECT_TRUE(panel->HasBoundLoops());
    panel->ClearLoopsOfPart(255);
    EXPECT_FALSE(panel->HasBoundLoops());

    auto cm = Make<TRelayDev>(u"ЦМ");
    cm->Relay(1)->Mode = TRelay::ModeASPT;
    cm->Relay(1)->Device = 2;
    cm->Relay(1)->Shlf = 5;
    cm->Relay(2)->Mode = 1;
    cm->Relay(2)->Device = 2;
    cm->ClearRelaysOfPart(2);
    EXPECT_EQ(cm->Relay(1)->Mode, TRelay::ModeASPT);
    EXPECT_EQ(cm->Relay(2)->Mode, 0);
    EXPECT_TRUE(cm->Relay(2)->Changed);
    cm->ClearRelaysOfLoop(2, 6);
    EXPECT_EQ(cm->Relay(1)->Mode, TRelay::ModeASPT);
    cm->ClearRelaysOfDevice(2);
    EXPECT_EQ(cm->Relay(1)->Mode, 0);

    auto vms = Make<TIndicDev>(u"ВМС-16");
    vms->Indicator(1)->Mode = 2;
    vms->Indicator(1)->Device = 3;
    vms->Indicator(1)->Shlf = 1;
    vms->Indicator(2)->Mode = 1;
    vms->Indicator(2)->Device = 3;
    vms->ClearIndicatorsOfPart(3);
    EXPECT_EQ(vms->Indicator(1)->Mode, 2);
    EXPECT_EQ(vms->Indicator(2)->Mode, 0);
    vms->ClearIndicatorsOfLoop(3, 1);
    EXPECT_EQ(vms->Indicator(1)->Mode, 0);
    EXPECT_TRUE(vms->Indicator(1)->Changed);
}

TEST(Devices, PairsAndIdentifierText)
{
    auto panel = Make<TVEKT>(u"ВЕКТ-8");
    panel->Loop(2)->Type = 8;
    panel->Loop(7)->Type = 1;
    EXPECT_TRUE(panel->PairIsFire(1));
    EXPECT_FALSE(panel->PairIsFire(2));
    EXPECT_TRUE(panel->PairIsFire(8));
    EXPECT_FALSE(panel->PairIsFire(0));
    EXPECT_FALSE(panel->PairIsFire(9));

    EXPECT_EQ(panel->IDText(), QStringLiteral("00-20-FF-78-C5-34"));
    panel->ID = QStringLiteral("AB");
    EXPECT_EQ(panel->IDText(), QStringLiteral("AB"));
    panel->ID = QStringLiteral("ABC");
    EXPECT_EQ(panel->IDText(), QStringLiteral("A-BC"));
}

// A copy keeps every setting but no change mark, so the editor can restore an object.
TEST(Devices, CopiesKeepSettingsButNotFlags)
{
    auto ib = Make<TIndicDev>(u"ИБ-8");
    ib->Mode = 2;
    ib->Part = 9;
    ib->Indicator(8)->Mode = 2;
    ib->Indicator(8)->Shlf = 4;
    ib->MarkDeleted();
    const auto copy = ib->Clone();
    ASSERT_NE(copy->AsIndicDev(), nullptr);
    EXPECT_EQ(copy->Type, ib->Type);
    EXPECT_EQ(copy->ID, ib->ID);
    EXPECT_EQ(copy->KeyDB, ib->KeyDB);
    EXPECT_EQ(copy->vSoft, ib->vSoft);
    EXPECT_EQ(copy->State, 5);
    EXPECT_FALSE(copy->Changed || copy->Deleted);
    EXPECT_EQ(copy->AsIndicDev()->Part, 9);
    EXPECT_EQ(copy->AsIndicDev()->Indicator(8)->Shlf, 4);

    ib->Indicator(8)->Shlf = 1;
    ib->Assign(*copy);
    EXPECT_EQ(ib->Indicator(8)->Shlf, 4);

    // Panels of different sizes copy the loops both have.
    auto small = Make<TVEKT>(u"ВЕКТ-8");
    auto large = Make<TVEKT>(u"ВЕКТ-24Р");
    large->Loop(8)->SetPart(1);
    large->Loop(24)->SetPart(1);
    small->Assign(*large);
    EXPECT_EQ(small->Loop(8)->Part, 1);
    EXPECT_EQ(small->Type, QStringLiteral("ВЕКТ-8"));

    TPart part(40, QStringLiteral("12"));
    part.SMS(2)->Phone = QStringLiteral("79001234567");
    part.MarkDeleted();
    const TPart partCopy(part);
    EXPECT_EQ(partCopy.Delay, 40u);
    EXPECT_EQ(partCopy.KeyDB, QStringLiteral("12"));
    EXPECT_EQ(partCopy.SMS(2)->Phone, QStringLiteral("79001234567"));
    EXPECT_FALSE(partCopy.Changed || partCopy.Deleted);
    EXPECT_EQ(part.SMS(0), nullptr);
    EXPECT_EQ(part.SMS(4), nullptr);

    const TUser admin = TUser::Administrator();
    EXPECT_EQ(admin.TypeName(), QStringLiteral("Администратор"));
    EXPECT_EQ(admin.Part1Text(), QStringLiteral("Любой"));
    EXPECT_EQ(TUser::Default().Part1Text(), QStringLiteral("Нет"));
    EXPECT_EQ(TUser::Default().Pswrd2, QStringLiteral("9603"));
}
