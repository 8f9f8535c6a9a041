#include "storage/uFileOps.h"

#include "support/uTestSupport.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(FileOps, CopyFileOverReplacesOrLeavesAlone)
{
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("template.md_"));
    const QString target = dir.filePath(QStringLiteral("site.cfg"));
    QByteArray big(300000, '\0');
    for (int i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>(i * 7);
    QFile s(source);
    ASSERT_TRUE(s.open(QIODevice::WriteOnly));
    s.write(big);
    s.close();

    WriteText(target, QStringLiteral("old"));
    ASSERT_TRUE(CopyFileOver(source, target));
    QFile t(target);
    ASSERT_TRUE(t.open(QIODevice::ReadOnly));
    EXPECT_EQ(t.readAll(), big);

    WriteText(target, QStringLiteral("old"));
    EXPECT_FALSE(CopyFileOver(dir.filePath(QStringLiteral("missing")), target));
    EXPECT_EQ(ReadText(target), QStringLiteral("old"));
    EXPECT_FALSE(CopyFileOver(source, dir.filePath(QStringLiteral("site.cfg/inside"))));
}
