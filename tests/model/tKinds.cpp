#include "model/uKinds.h"

#include <gtest/gtest.h>

#include <vector>

TEST(Kinds, CodesAndNamesMapBackExactly)
{
    int named = 0;
    for (int code = 0; code < 256; ++code) {
        const QString name = KindName(static_cast<std::uint8_t>(code));
        named += name.isEmpty() ? 0 : 1;
        EXPECT_EQ(KindCode(name), name.isEmpty() ? 0 : code) << code;
    }
    EXPECT_EQ(named, 12);
    for (const TKind &k : Kinds)
        EXPECT_EQ(KindName(KindCode(k.Name)), QString::fromUtf16(k.Name));
    EXPECT_TRUE(KindName(101).isEmpty() && KindName(0).isEmpty() && KindName(255).isEmpty());
    EXPECT_EQ((std::vector<QString>{KindName(103), KindName(104), KindName(105)}),
              (std::vector<QString>{QStringLiteral("ВЕКТ-24Р"), QStringLiteral("ВЕКТ-16Р"),
                                    QStringLiteral("ВЕКТ-8")}));
    // Names are compared whole and exactly; Latin look-alikes are other names.
    for (const char16_t *inexact : {u"ВЕКТ-8 ", u"вект-8", u"ВЕКТ-8 V4", u"", u"BEKT-8"})
        EXPECT_EQ(KindCode(inexact), 0) << QString::fromUtf16(inexact).toStdString();
}

// Each model falls into exactly one device class and has the outputs of that class only.
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
    EXPECT_EQ(
        (std::vector<int>{RelayCount(u"ЦМ"), RelayCount(u"БР-2"), LoopCount(u"ВЕКТ-8 v4"),
                          LoopCount(u"ВЕКТ-16Р"), LoopCount(u"ВЕКТ-24Р"), IndicatorCount(u"ИБ-8"),
                          IndicatorCount(u"ВМС-16"), IndicatorCount(u"ИБ-40")}),
        (std::vector<int>{3, 2, 8, 16, 24, 8, 16, 40}));
    EXPECT_TRUE(IsVMSGroup(u"ИБ-40") && IsCM(u"ЦМ") && IsBR(u"БР-2"));
}
