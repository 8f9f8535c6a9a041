#include "model/uKinds.h"

#include <gtest/gtest.h>

TEST(Kinds, CodesAndNamesMapBothWays)
{
    for (const TKind &k : Kinds) {
        const QString name = QString::fromUtf16(k.Name);
        EXPECT_EQ(KindCode(KindName(k.Code)), k.Code) << name.toStdString();
        EXPECT_EQ(KindName(KindCode(name)), name) << name.toStdString();
    }
    int named = 0;
    for (int code = 0; code < 256; ++code)
        named += KindName(static_cast<std::uint8_t>(code)).isEmpty() ? 0 : 1;
    EXPECT_EQ(named, 12);
    EXPECT_EQ(KindName(105), QStringLiteral("ВЕКТ-8"));
    EXPECT_EQ(KindName(103), QStringLiteral("ВЕКТ-24Р"));
    EXPECT_EQ(KindName(104), QStringLiteral("ВЕКТ-16Р"));
}

TEST(Kinds, UnknownCodesAndInexactNamesGiveNoModel)
{
    EXPECT_TRUE(KindName(101).isEmpty());
    EXPECT_TRUE(KindName(0).isEmpty());
    EXPECT_TRUE(KindName(255).isEmpty());
    EXPECT_EQ(KindCode(QStringLiteral("ВЕКТ-8 ")), 0);
    EXPECT_EQ(KindCode(QStringLiteral("вект-8")), 0);
    EXPECT_EQ(KindCode(QStringLiteral("ВЕКТ-8 V4")), 0);
    EXPECT_EQ(KindCode(QString()), 0);
    // Latin look-alikes are other names.
    EXPECT_EQ(KindCode(QStringLiteral("BEKT-8")), 0);
}

// Each model falls into exactly one device class, tried in the order relay device, keypad,
// control panel, indicator device.
TEST(Kinds, EveryModelHasOneClassAndItsOutputs)
{
    for (const TKind &k : Kinds) {
        const QStringView n(k.Name);
        EXPECT_EQ(IsRelayDevKind(n) + IsKP(n) + IsVEKT(n) + IsIndicDevKind(n), 1);
        EXPECT_EQ(IsIndicDevKind(n), IsVMSGroup(n) || IsIB8(n));
        EXPECT_FALSE(IsVMSGroup(n) && IsIB8(n));
        EXPECT_EQ(RelayCount(n) > 0, IsRelayDevKind(n));
        EXPECT_EQ(LoopCount(n) > 0, IsVEKT(n));
        EXPECT_EQ(IndicatorCount(n) > 0, IsIndicDevKind(n));
    }
    EXPECT_EQ(RelayCount(u"ЦМ"), 3);
    EXPECT_EQ(RelayCount(u"БР-2"), 2);
    EXPECT_EQ(LoopCount(u"ВЕКТ-8 v4"), 8);
    EXPECT_EQ(LoopCount(u"ВЕКТ-16Р"), 16);
    EXPECT_EQ(LoopCount(u"ВЕКТ-24Р"), 24);
    EXPECT_EQ(IndicatorCount(u"ИБ-8"), 8);
    EXPECT_EQ(IndicatorCount(u"ВМС-16"), 16);
    EXPECT_EQ(IndicatorCount(u"ИБ-40"), 40);
    EXPECT_TRUE(IsVMSGroup(u"ИБ-40"));
    EXPECT_TRUE(IsCM(u"ЦМ"));
    EXPECT_TRUE(IsBR(u"БР-2"));
}
