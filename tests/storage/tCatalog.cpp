#include "storage/uCatalog.h"

#include "support/uTestSupport.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct Catalog : testing::Test {
    QTemporaryDir Dir;
    QString Path = Dir.filePath(QStringLiteral("lorim-config.ini"));
    TMessageRecorder Messages;
};

} // namespace

TEST_F(Catalog, EmptyPathsAreDroppedAndTheRestRenumbered)
{
    WriteText(Path, QStringLiteral("[Link]\nType=1\n\n"
                                   "[Config]\nCount=3\n"
                                   "Path1=/a.cfg\nName1=A\nNote1=first\n"
                                   "Path2=\nName2=B\nNote2=gone\n"
                                   "Path3=  /c d.cfg  \nName3= C \nNote3=third\n"
                                   "Path4=/beyond-count.cfg\n"));
    const TCatalog entries = LoadCatalog(Path);
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0], (TCatalogEntry{QStringLiteral("A"), QStringLiteral("first"),
                                         QStringLiteral("/a.cfg")}));
    // Paths are trimmed, names and descriptions are not.
    EXPECT_EQ(entries[1], (TCatalogEntry{QStringLiteral(" C "), QStringLiteral("third"),
                                         QStringLiteral("/c d.cfg")}));

    ASSERT_TRUE(SaveCatalog(Path, entries, Messages));
    EXPECT_EQ(ReadText(Path), QStringLiteral("[Link]\nType=1\n\n"
                                             "[Config]\nCount=2\n"
                                             "Path1=/a.cfg\nName1=A\nNote1=first\n"
                                             "Path2=/c d.cfg\nName2= C \nNote2=third\n"));
}

TEST_F(Catalog, TextsRoundTripUnchanged)
{
    const TCatalog entries{
        {QStringLiteral("Объект №1, корпус \"Б\"; этаж 2"),
         QStringLiteral("пожарная, охранная; \\ ок"),
         QStringLiteral("C:\\Конфиг\\site, main;1.cfg")},
        {QStringLiteral("=x="), QString(), QStringLiteral("/home/user/dir with spaces/b.cfg")},
    };
    ASSERT_TRUE(SaveCatalog(Path, entries, Messages));
    EXPECT_EQ(LoadCatalog(Path), entries);
    QStringList paths{QStringLiteral("kept")};
    ReadCatalogPaths(Path, paths);
    EXPECT_EQ(paths, (QStringList{QStringLiteral("kept"), entries[0].Path, entries[1].Path}));
}

TEST_F(Catalog, MissingOrOddSectionsGiveNoEntries)
{
    QStringList paths;
    ReadCatalogPaths(Path, paths);
    EXPECT_TRUE(paths.isEmpty());

    WriteText(Path, QStringLiteral("[Link]\nType=1\n"));
    ReadCatalogPaths(Path, paths);
    EXPECT_TRUE(paths.isEmpty());

    WriteText(Path, QStringLiteral("[Config]\nCount=many\nPath1=/a.cfg\n"));
    EXPECT_TRUE(LoadCatalog(Path).isEmpty());

    WriteText(Path, QStringLiteral("[Config]\nCount=-5\nPath1=/a.cfg\n"));
    EXPECT_TRUE(LoadCatalog(Path).isEmpty());

    WriteText(Path, QStringLiteral("[Config]\nPath1=   \n"));
    EXPECT_TRUE(LoadCatalog(Path).isEmpty());

    // A huge count is read quickly; only the stored entries come back.
    WriteText(Path, QStringLiteral("[Config]\nCount=2147483647\nPath7=/g.cfg\n"));
    ASSERT_EQ(LoadCatalog(Path).size(), 1);
    EXPECT_EQ(LoadCatalog(Path)[0].Path, QStringLiteral("/g.cfg"));
}

TEST_F(Catalog, WriteFailureIsReported)
{
    WriteText(Dir.filePath(QStringLiteral("file")), QString());
    EXPECT_FALSE(SaveCatalog(Dir.filePath(QStringLiteral("file/x.ini")), {}, Messages));
    EXPECT_EQ(Messages.Messages, QStringList{QStringLiteral("Ошибка записи в ini-файл")});
}

TEST(AppDirTest, EndsInOneSeparator)
{
    SetAppDir(QStringLiteral("/opt/lorim"));
    EXPECT_EQ(AppDir, QStringLiteral("/opt/lorim") + QDir::separator());
    SetAppDir(QStringLiteral("/opt/lorim/"));
    EXPECT_EQ(AppDir, QStringLiteral("/opt/lorim") + QDir::separator());
    InitAppDir();
    EXPECT_TRUE(AppDir.endsWith(QDir::separator()));
    EXPECT_TRUE(QDir(AppDir).exists());
}
