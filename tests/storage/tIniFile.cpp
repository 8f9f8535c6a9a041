#include "storage/uIniFile.h"

#include "support/uTestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct IniFile : testing::Test {
    QTemporaryDir Dir;
    QString Path = Dir.filePath(QStringLiteral("lorim-config.ini"));
};

} // namespace

TEST_F(IniFile, ValuesAreTakenAsTheyStand)
{
    WriteText(Path, QStringLiteral("; comment=1\n"
                                   "[Config]\n"
                                   "Path1=C:\\Data\\site.cfg\n"
                                   "Name1= Офис, склад; \"главный\" \n"
                                   "  count = 3\n"
                                   "Eq=a=b\n"
                                   ";Note1=hidden\n"
                                   "Name1=second\n"));
    const TIniFile ini(Path);
    EXPECT_EQ(ini.ReadString(QStringLiteral("config"), QStringLiteral("PATH1"), QString()),
              QStringLiteral("C:\\Data\\site.cfg"));
    EXPECT_EQ(ini.ReadString(QStringLiteral("Config"), QStringLiteral("Name1"), QString()),
              QStringLiteral(" Офис, склад; \"главный\" "));
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("Config"), QStringLiteral("Count"), 0), 3);
    EXPECT_EQ(ini.ReadString(QStringLiteral("Config"), QStringLiteral("Eq"), QString()),
              QStringLiteral("a=b"));
    EXPECT_EQ(
        ini.ReadString(QStringLiteral("Config"), QStringLiteral("Note1"), QStringLiteral("d")),
        QStringLiteral("d"));
    EXPECT_EQ(ini.ReadString(QStringLiteral("Link"), QStringLiteral("Count"), QStringLiteral("d")),
              QStringLiteral("d"));
}

TEST_F(IniFile, ReplacingASectionKeepsTheRestInPlace)
{
    WriteText(Path, QStringLiteral("; made by hand\r\n"
                                   "[First]\r\nA=1\r\n\r\n"
                                   "[link]\r\nType=1\r\nOld=x\r\n\r\n"
                                   "[Last]\r\n; keep me\r\nB=2\r\n"));
    TIniFile ini(Path);
    ini.ReplaceSection(QStringLiteral("Link"),
                       {{QStringLiteral("Type"), QStringLiteral("0")},
                        {QStringLiteral("IP"), QStringLiteral("10.0.0.5")}});
    ASSERT_TRUE(ini.Save());
    EXPECT_EQ(ReadText(Path), QStringLiteral("; made by hand\r\n"
                                             "[First]\r\nA=1\r\n\r\n"
                                             "[Link]\r\nType=0\r\nIP=10.0.0.5\r\n\r\n"
                                             "[Last]\r\n; keep me\r\nB=2\r\n"));

    // A new section goes to the end, after a blank line.
    ini.ReplaceSection(QStringLiteral("Config"), {{QStringLiteral("Count"), QStringLiteral("0")}});
    ASSERT_TRUE(ini.Save());
    EXPECT_TRUE(ReadText(Path).endsWith(QStringLiteral("B=2\r\n\r\n[Config]\r\nCount=0\r\n")));
}

TEST_F(IniFile, RepeatedSectionsCollapseIntoOne)
{
    WriteText(Path, QStringLiteral("[A]\nx=1\n[B]\ny=2\n[a]\nx=3\nz=4\n"));
    TIniFile ini(Path);
    EXPECT_EQ(ini.ReadString(QStringLiteral("A"), QStringLiteral("x"), QString()),
              QStringLiteral("1"));
    EXPECT_EQ(ini.ReadString(QStringLiteral("A"), QStringLiteral("z"), QString()),
              QStringLiteral("4"));
    ini.ReplaceSection(QStringLiteral("A"), {{QStringLiteral("k"), QStringLiteral("v")}});
    ASSERT_TRUE(ini.Save());
    EXPECT_EQ(ReadText(Path), QStringLiteral("[A]\nk=v\n[B]\ny=2\n"));
}

TEST_F(IniFile, LineBreaksInValuesCannotInjectKeys)
{
    TIniFile ini(Path);
    ini.ReplaceSection(QStringLiteral("Config"),
                       {{QStringLiteral("Note1"), QStringLiteral("a\nPath9=evil\r\nb")}});
    ASSERT_TRUE(ini.Save());
    const TIniFile back(Path);
    EXPECT_EQ(back.ReadString(QStringLiteral("Config"), QStringLiteral("Note1"), QString()),
              QStringLiteral("a Path9=evil  b"));
    EXPECT_TRUE(
        back.ReadString(QStringLiteral("Config"), QStringLiteral("Path9"), QString()).isEmpty());
}

TEST_F(IniFile, UnwritableFileIsReportedAndLeftAlone)
{
    WriteText(Dir.filePath(QStringLiteral("blocker")), QStringLiteral("x"));
    TIniFile ini(Dir.filePath(QStringLiteral("blocker/sub/lorim.ini")));
    ini.ReplaceSection(QStringLiteral("Link"), {{QStringLiteral("Type"), QStringLiteral("1")}});
    TMessageRecorder messages;
    EXPECT_FALSE(ini.Save(messages));
    EXPECT_EQ(messages.Messages, QStringList{QStringLiteral("Ошибка записи в ini-файл")});
    EXPECT_EQ(ReadText(Dir.filePath(QStringLiteral("blocker"))), QStringLiteral("x"));
}

TEST_F(IniFile, LivesBesideTheExecutableOrInTheUserFolder)
{
    const QString exe = Dir.filePath(QStringLiteral("lorim-config"));
    EXPECT_EQ(IniPathFor(exe), exe + QStringLiteral(".ini"));
    EXPECT_EQ(IniPathFor(QStringLiteral("/nonexistent-folder/lorim-config")),
              QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                  QStringLiteral("/lorim-config.ini"));
}
