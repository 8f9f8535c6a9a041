// The INI file and what the program keeps in it: the catalogue of configuration files and the
// link settings.

#include "storage/uIniFile.h"

#include "link/uOptnLink.h"
#include "storage/uCatalog.h"
#include "support/uTestSupport.h"

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct IniFile : testing::Test {
    QTemporaryDir Dir;
    QString Path = Dir.filePath(QStringLiteral("lorim-config.ini"));
    TMessageRecorder Messages;

    QString Read(const char *section, const char *key, const char *def = "") const
    {
        return TIniFile(Path).ReadString(QString::fromUtf8(section), QString::fromUtf8(key),
                                         QString::fromUtf8(def));
    }
};

} // namespace

TEST_F(IniFile, ValuesAreTakenAsTheyStand)
{
    WriteText(Path, QStringLiteral("; comment=1\n[Config]\nPath1=C:\\Data\\site.cfg\n"
                                   "Name1= Офис, склад; \"главный\" \n  count = 3\nEq=a=b\n"
                                   ";Note1=hidden\nName1=second\n"));
    EXPECT_EQ(Read("config", "PATH1"), QStringLiteral("C:\\Data\\site.cfg"));
    EXPECT_EQ(Read("Config", "Name1"), QStringLiteral(" Офис, склад; \"главный\" "));
    EXPECT_EQ(TIniFile(Path).ReadInteger(QStringLiteral("Config"), QStringLiteral("Count"), 0), 3);
    EXPECT_EQ(Read("Config", "Eq"), QStringLiteral("a=b"));
    EXPECT_EQ(Read("Config", "Note1", "d"), QStringLiteral("d"));
    EXPECT_EQ(Read("Link", "Count", "d"), QStringLiteral("d"));
}

TEST_F(IniFile, ReplacingASectionKeepsTheRestInPlace)
{
    WriteText(Path,
              QStringLiteral("; made by hand\r\n[First]\r\nA=1\r\n\r\n"
                             "[link]\r\nType=1\r\nOld=x\r\n\r\n[Last]\r\n; keep me\r\nB=2\r\n"));
    TIniFile ini(Path);
    ini.ReplaceSection(QStringLiteral("Link"),
                       {{QStringLiteral("Type"), QStringLiteral("0")},
                        {QStringLiteral("IP"), QStringLiteral("10.0.0.5")}});
    ASSERT_TRUE(ini.Save());
    EXPECT_EQ(
        ReadText(Path),
        QStringLiteral("; made by hand\r\n[First]\r\nA=1\r\n\r\n"
                       "[Link]\r\nType=0\r\nIP=10.0.0.5\r\n\r\n[Last]\r\n; keep me\r\nB=2\r\n"));
    // A new section goes to the end, after a blank line.
    ini.ReplaceSection(QStringLiteral("Config"), {{QStringLiteral("Count"), QStringLiteral("0")}});
    ASSERT_TRUE(ini.Save());
    EXPECT_TRUE(ReadText(Path).endsWith(QStringLiteral("B=2\r\n\r\n[Config]\r\nCount=0\r\n")));
}

TEST_F(IniFile, RepeatedSectionsCollapseIntoOne)
{
    WriteText(Path, QStringLiteral("[A]\nx=1\n[B]\ny=2\n[a]\nx=3\nz=4\n"));
    EXPECT_EQ(Read("A", "x") + Read("A", "z"), QStringLiteral("14"));
    TIniFile ini(Path);
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
    EXPECT_EQ(Read("Config", "Note1"), QStringLiteral("a Path9=evil  b"));
    EXPECT_TRUE(Read("Config", "Path9").isEmpty());
}

// Every writer of the file reports a failure and leaves what is there alone.
TEST_F(IniFile, WriteFailuresAreReported)
{
    WriteText(Dir.filePath(QStringLiteral("blocker")), QStringLiteral("x"));
    const QString path = Dir.filePath(QStringLiteral("blocker/sub/lorim.ini"));
    TIniFile ini(path);
    ini.ReplaceSection(QStringLiteral("Link"), {{QStringLiteral("Type"), QStringLiteral("1")}});
    EXPECT_FALSE(ini.Save(Messages));
    EXPECT_FALSE(SaveCatalog(path, {}, Messages));
    EXPECT_FALSE(SaveLinkSettings(path, TOptnLink{}, Messages));
    EXPECT_EQ(Messages.Messages, QStringList(3, QStringLiteral("Ошибка записи в ini-файл")));
    EXPECT_EQ(ReadText(Dir.filePath(QStringLiteral("blocker"))), QStringLiteral("x"));
}

TEST_F(IniFile, CatalogueDropsEmptyPathsAndRenumbers)
{
    WriteText(Path, QStringLiteral("[Link]\nType=1\n\n[Config]\nCount=3\n"
                                   "Path1=/a.cfg\nName1=A\nNote1=first\n"
                                   "Path2=\nName2=B\nNote2=gone\n"
                                   "Path3=  /c d.cfg  \nName3= C \nNote3=third\n"
                                   "Path4=/beyond-count.cfg\n"));
    const TCatalog entries = LoadCatalog(Path);
    // Paths are trimmed, names and descriptions are not.
    EXPECT_EQ(
        entries,
        (TCatalog{{QStringLiteral("A"), QStringLiteral("first"), QStringLiteral("/a.cfg")},
                  {QStringLiteral(" C "), QStringLiteral("third"), QStringLiteral("/c d.cfg")}}));
    ASSERT_TRUE(SaveCatalog(Path, entries, Messages));
    EXPECT_EQ(ReadText(Path), QStringLiteral("[Link]\nType=1\n\n[Config]\nCount=2\n"
                                             "Path1=/a.cfg\nName1=A\nNote1=first\n"
                                             "Path2=/c d.cfg\nName2= C \nNote2=third\n"));

    // Texts with the characters other INI dialects treat specially come back unchanged.
    const TCatalog odd{
        {QStringLiteral("Объект №1, корпус \"Б\"; этаж 2"),
         QStringLiteral("пожарная, охранная; \\ ок"),
         QStringLiteral("C:\\Конфиг\\site, main;1.cfg")},
        {QStringLiteral("=x="), QString(), QStringLiteral("sites/dir with spaces/b.cfg")},
    };
    ASSERT_TRUE(SaveCatalog(Path, odd, Messages));
    EXPECT_EQ(LoadCatalog(Path), odd);
    QStringList paths{QStringLiteral("kept")};
    ReadCatalogPaths(Path, paths);
    EXPECT_EQ(paths, (QStringList{QStringLiteral("kept"), odd[0].Path, odd[1].Path}));
    // A relative path names a file beside the INI file, wherever the program runs from.
    EXPECT_EQ(CatalogFilePath(Path, odd[1].Path),
              Dir.filePath(QStringLiteral("sites/dir with spaces/b.cfg")));
    EXPECT_EQ(CatalogFilePath(Path, QStringLiteral("/abs/c.cfg")), QStringLiteral("/abs/c.cfg"));
}

TEST_F(IniFile, CatalogueOfMissingOrOddSectionsIsEmpty)
{
    QStringList paths;
    ReadCatalogPaths(Path, paths);
    EXPECT_TRUE(paths.isEmpty());
    for (const char *text : {"[Link]\nType=1\n", "[Config]\nCount=many\nPath1=/a.cfg\n",
                             "[Config]\nCount=-5\nPath1=/a.cfg\n", "[Config]\nPath1=   \n"}) {
        WriteText(Path, QString::fromUtf8(text));
        ReadCatalogPaths(Path, paths);
        EXPECT_TRUE(paths.isEmpty() && LoadCatalog(Path).isEmpty()) << text;
    }
    // A huge count is read quickly; only the stored entries come back.
    WriteText(Path, QStringLiteral("[Config]\nCount=2147483647\nPath7=/g.cfg\n"));
    ASSERT_EQ(LoadCatalog(Path).size(), 1);
    EXPECT_EQ(LoadCatalog(Path)[0].Path, QStringLiteral("/g.cfg"));
}

// The INI file beside the executable, or in the user's folder; AppDir ends in one separator.
TEST_F(IniFile, WhereFilesLive)
{
    const QString exe = Dir.filePath(QStringLiteral("lorim-config"));
    EXPECT_EQ(IniPathFor(exe).Write, exe + QStringLiteral(".ini"));
    const TIniPath elsewhere = IniPathFor(QStringLiteral("/nonexistent-folder/lorim-config"));
    EXPECT_EQ(elsewhere.Write,
              QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                  QStringLiteral("/lorim-config.ini"));
    EXPECT_EQ(elsewhere.Read, elsewhere.Write);
    // An installed program keeps its settings in the user's folder, even run by root.
    ASSERT_TRUE(QDir(Dir.path()).mkpath(QStringLiteral("usr/bin")) &&
                QDir(Dir.path()).mkpath(QStringLiteral("usr/share/lorim")));
    WriteText(Dir.filePath(QStringLiteral("usr/share/lorim/config.md_")), QString());
    EXPECT_EQ(IniPathFor(Dir.filePath(QStringLiteral("usr/bin/lorim-config"))).Write,
              elsewhere.Write);
    for (const char16_t *folder : {u"/opt/lorim", u"/opt/lorim/"}) {
        SetAppDir(QString::fromUtf16(folder));
        EXPECT_EQ(AppDir, QStringLiteral("/opt/lorim") + QDir::separator());
    }
    InitAppDir();
    EXPECT_TRUE(AppDir.endsWith(QDir::separator()) && QDir(AppDir).exists());
}

// Without a file, and for values that are no numbers or out of range, the defaults.
TEST_F(IniFile, LinkSettingsDefaults)
{
    const TOptnLink defaults{0, QStringLiteral("COM1"), 57600, QString(), 10001};
    EXPECT_EQ(LoadLinkSettings(Path), defaults);
    for (const char *text : {"[Link]\nType=UDP\nCOMSpeed=fast\nPort=70000\n",
                             "[Link]\nType=2\nCOMSpeed=-1\nPort=0\n"}) {
        WriteText(Path, QString::fromUtf8(text));
        EXPECT_EQ(LoadLinkSettings(Path), defaults) << text;
    }
}

TEST_F(IniFile, LinkSettingsRoundTripKeepingOtherSections)
{
    WriteText(Path, QStringLiteral("[Config]\nCount=1\nPath1=/data/офис.cfg\n"));
    const TOptnLink link{1, QStringLiteral("/dev/ttyUSB0"), 9600, QStringLiteral("10.0.0.1"), 4001};
    ASSERT_TRUE(SaveLinkSettings(Path, link, Messages));
    EXPECT_EQ(LoadLinkSettings(Path), link);
    EXPECT_TRUE(Messages.Messages.isEmpty());
    EXPECT_EQ(ReadText(Path), QStringLiteral("[Config]\nCount=1\nPath1=/data/офис.cfg\n\n"
                                             "[Link]\nType=1\nCOMPort=/dev/ttyUSB0\nCOMSpeed=9600\n"
                                             "IP=10.0.0.1\nPort=4001\n"));
    // Blanks around a hand-edited address or port name are no part of it.
    WriteText(Path, QStringLiteral("[Link]\nType=1\nIP = 10.0.0.1 \nCOMPort= /dev/ttyUSB0\t\n"
                                   "COMSpeed=9600\nPort=4001\n"));
    EXPECT_EQ(LoadLinkSettings(Path), link);
}

// A read-only INI file beside the program is read until the user's own copy exists; changes go
// to the user's copy, which then is the one read.
TEST_F(IniFile, AReadOnlyFileBesideTheProgramIsStillRead)
{
    const QString beside = Dir.filePath(QStringLiteral("lorim-config.ini"));
    const QString own = Dir.filePath(QStringLiteral("home/lorim-config.ini"));
    WriteText(beside, QStringLiteral("[Link]\nType=1\nIP=10.0.0.9\n\n[Config]\nCount=1\n"
                                     "Path1=sites/a.cfg\nName1=A\n"));
    EXPECT_EQ(ChooseIniPath(beside, true, own).Write, beside);
    const TIniPath ini = ChooseIniPath(beside, false, own);
    EXPECT_EQ(ini.Read, beside);
    EXPECT_EQ(ini.Write, own);
    EXPECT_EQ(LoadLinkSettings(ini).IP, QStringLiteral("10.0.0.9"));
    EXPECT_EQ(CatalogFilePath(ini, QStringLiteral("sites/a.cfg")),
              Dir.filePath(QStringLiteral("sites/a.cfg")));

    TOptnLink link = LoadLinkSettings(ini);
    link.Port = 4001;
    ASSERT_TRUE(SaveLinkSettings(ini, link, Messages));
    EXPECT_TRUE(ReadText(beside).contains(u"IP=10.0.0.9\n\n[Config]")); // untouched
    EXPECT_EQ(LoadLinkSettings(ini), link);
    const TIniPath after = ChooseIniPath(beside, false, own);
    EXPECT_EQ(after.Read, own);
    EXPECT_EQ(LoadLinkSettings(after), link);
    EXPECT_EQ(LoadCatalog(after).size(), 1); // the catalogue came along
}

// A writable INI file in a folder that cannot take a temporary file is not written in place
// (which could leave it cut short): the save fails and the file stays whole. The save runs in
// a child process, as an unprivileged user when the tests run as root.
TEST_F(IniFile, NoWriteInPlace)
{
    const QString folder = Dir.filePath(QStringLiteral("locked"));
    const QString path = folder + QStringLiteral("/lorim-config.ini");
    ASSERT_TRUE(QDir().mkdir(folder));
    WriteText(path, QStringLiteral("[Link]\nType=1\n"));
    const auto passable = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther;
    ASSERT_TRUE(QFile::setPermissions(Dir.path(), passable | QFile::WriteOwner));
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner |
                                                QFile::ReadOther | QFile::WriteOther));
    ASSERT_TRUE(QFile::setPermissions(folder, passable));
    EXPECT_TRUE(AsUnprivilegedUser([&] {
        TIniFile ini(path);
        ini.ReplaceSection(QStringLiteral("Link"), {{QStringLiteral("Type"), QStringLiteral("0")}});
        return !ini.Save();
    }));
    EXPECT_EQ(ReadText(path), QStringLiteral("[Link]\nType=1\n"));
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST(UdpAddress, AddressAndOptionalPort)
{
    QString address;
    int port = 10001;
    ASSERT_TRUE(ParseUdpAddress(QStringLiteral("192.168.0.7"), address, port));
    EXPECT_EQ(address + u':' + QString::number(port), QStringLiteral("192.168.0.7:10001"));
    ASSERT_TRUE(ParseUdpAddress(QStringLiteral("127.0.0.2:4001"), address, port));
    EXPECT_EQ(port, 4001);
    for (const char16_t *bad : {u"127.0.0.2:0", u"127.0.0.2:65536", u"h:x", u":5", u"a:1:2"})
        EXPECT_FALSE(ParseUdpAddress(QString::fromUtf16(bad), address, port));
    EXPECT_EQ(port, 4001);
}
