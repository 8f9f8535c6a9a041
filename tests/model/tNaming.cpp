#include "model/uNaming.h"

#include <gtest/gtest.h>

// Partition references as texts, loop pairs, integers and trimming as the dialogs and the files
// take them.
TEST(Naming, TextsAndNumbers)
{
    for (int n = 0; n < 256; ++n)
        EXPECT_EQ(NameToNum(NumToName(static_cast<std::uint8_t>(n))), n);
    EXPECT_EQ(NameToNum(u"  Любой \t"), 255);
    EXPECT_EQ(NameToNum(u" 17"), 17);
    // Numbers that do not fit the byte are no partition references.
    for (const char16_t *bad : {u"abc", u"", u"300", u"-1"})
        EXPECT_EQ(NameToNum(bad), 0) << QString::fromUtf16(bad).toStdString();

    // A pair needs two numbers, neither zero.
    std::uint8_t a = 9;
    std::uint8_t b = 9;
    EXPECT_TRUE(ParsePair(u"110/24", a, b));
    EXPECT_TRUE(a == 110 && b == 24);
    for (const char16_t *bad :
         {u"/5", u"2/", u"0/5", u"25", u"", u"a/b", u"300/5", u"2/256", u"2/5/7"})
        EXPECT_FALSE(ParsePair(bad, a, b)) << QString::fromUtf16(bad).toStdString();

    EXPECT_EQ(StrToIntDef(u" 42 ", 7), 42);
    EXPECT_EQ(StrToIntDef(u"-3", 7), -3);
    for (const char16_t *bad : {u"4x", u"99999999999", u""})
        EXPECT_EQ(StrToIntDef(bad, 7), 7);
    EXPECT_EQ(TrimControls(u"\t\x01 a b \r\n"), QStringLiteral("a b"));
    EXPECT_EQ(TrimControls(u"   "), QString());
    EXPECT_EQ(DigitsValue(u"0012"), 12u);
    EXPECT_EQ(DigitsValue(u"9999999999999999"), 9999999999999999u);
    for (const char16_t *notDigits : {u" 12", u"+12", u"12a", u"", u"99999999999999999999999"})
        EXPECT_EQ(DigitsValue(notDigits), 0u) << QString::fromUtf16(notDigits).toStdString();
}
