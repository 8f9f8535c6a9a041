#include "model/uKinds.h"

#include <gtest/gtest.h>

TEST(Kinds, CodesAndNamesMapBackExactly)
{
    for (int code = 0; code < 256; ++code) {
        const QString name = KindName(static_cast<std::uint8_t>(code));
        EXPECT_EQ(KindCode(name), name.isEmpty() ? 0 : code) << code;
    }
    // Names are compared whole and exactly; Latin look-alikes are other names.
    for (const char16_t *inexact : {u"ВЕКТ-8 ", u"вект-8", u"ВЕКТ-8 V4", u"", u"BEKT-8"})
        EXPECT_EQ(KindCode(inexact), 0) << QString::fromUtf16(inexact).toStdString();
}
