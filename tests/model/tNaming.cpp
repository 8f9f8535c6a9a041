#include "model/uNaming.h"

#include <gtest/gtest.h>

TEST(Naming, PartitionReferenceTexts)
{
    EXPECT_EQ(NumToName(0), QStringLiteral("Нет"));
    EXPECT_EQ(NumToName(254), QStringLiteral("254"));
    EXPECT_EQ(NumToName(255), QStringLiteral("Любой"));
    EXPECT_EQ(NameToNum(u"  Любой \t"), 255);
    EXPECT_EQ(NameToNum(u"Нет"), 0);
    EXPECT_EQ(NameToNum(u" 17"), 17);
    EXPECT_EQ(NameToNum(u"abc"), 0);
    EXPECT_EQ(NameToNum(u""), 0);
    // Numbers that do not fit the byte are not partition references.
    EXPECT_EQ(NameToNum(u"300"), 0);
    EXPECT_EQ(NameToNum(u"-1"), 0);
    for (int n = 0; n < 256; ++n)
        EXPECT_EQ(NameToNum(NumToName(static_cast<std::uint8_t>(n))), n);
}

TEST(Naming, PadLeftWidensOnly)
{
    EXPECT_EQ(PadLeft(QStringLiteral("12345"), u'0', 8), QStringLiteral("00012345"));
    EXPECT_EQ(PadLeft(QStringLiteral("12345678901234"), u'0', 12),
              QStringLiteral("12345678901234"));
    EXPECT_EQ(PadLeft(QStringLiteral("7"), u' ', 3), QStringLiteral("  7"));
    EXPECT_EQ(PadLeft(QString(), u' ', 2), QStringLiteral("  "));
}

TEST(Naming, ParsePairNeedsTwoNonZeroNumbers)
{
    std::uint8_t a = 9;
    std::uint8_t b = 9;
    EXPECT_TRUE(ParsePair(u"2/5", a, b));
    EXPECT_EQ(a, 2);
    EXPECT_EQ(b, 5);
    EXPECT_TRUE(ParsePair(u"110/24", a, b));
    EXPECT_EQ(a, 110);
    EXPECT_EQ(b, 24);
    for (const char16_t *bad : {u"/5", u"2/", u"0/5", u"25", u"", u"a/b", u"300/5", u"2/256"})
        EXPECT_FALSE(ParsePair(bad, a, b)) << QString::fromUtf16(bad).toStdString();
    // Only the first "/" splits.
    EXPECT_FALSE(ParsePair(u"2/5/7", a, b));
}

TEST(Naming, IntegersAndTrimming)
{
    EXPECT_EQ(StrToIntDef(u" 42 ", 7), 42);
    EXPECT_EQ(StrToIntDef(u"-3", 7), -3);
    EXPECT_EQ(StrToIntDef(u"4x", 7), 7);
    EXPECT_EQ(StrToIntDef(u"99999999999", 7), 7);
    EXPECT_EQ(StrToIntDef(u"", 7), 7);
    EXPECT_EQ(TrimControls(u"\t\x01 a b \r\n"), QStringLiteral("a b"));
    EXPECT_EQ(TrimControls(u"   "), QString());
    EXPECT_EQ(DigitsValue(u"0012"), 12u);
    EXPECT_EQ(DigitsValue(u"9999999999999999"), 9999999999999999u);
    for (const char16_t *notDigits : {u" 12", u"+12", u"12a", u"", u"99999999999999999999999"})
        EXPECT_EQ(DigitsValue(notDigits), 0u) << QString::fromUtf16(notDigits).toStdString();
}
