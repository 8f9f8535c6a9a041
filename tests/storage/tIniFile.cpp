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

using namespace Qt::StringLiterals;

namespace {

struct IniFile : testing::Test {
    QTemporaryDir Dir;
    QString Path = Dir.filePath(u"lorim-config.ini"_s);
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
    WriteText(Path, u"; comment=1\n[Config]\nPath1=C:\\Data\\site.cfg\n"
                    "Name1= Офис, склад; \"главный\" \n  count = 3\nEq=a=b\n"
                    ";Note1=hidden\nName1=second\n"_s);
    EXPECT_EQ(Read("config", "PATH1"), u"C:\\Data\\site.cfg"_s);
    EXPECT_EQ(Read("Config", "Name1"), u" Офис, склад; \"главный\" "_s);
    EXPECT_EQ(TIniFile(Path).ReadInteger(u"Config"_s, u"Count"_s, 0), 3);
    EXPECT_EQ(Read("Config", "Eq"), u"a=b"_s);
    EXPECT_EQ(Read("Config", "Note1", "d"), u"d"_s);
    EXPECT_EQ(Read("Link", "Count", "d"), u"d"_s);
}

TEST_F(IniFile, ReplacingASectionKeepsTheRestInPlace)
{
    WriteText(Path, u"; made by hand\r\n[First]\r\nA=1\r\n\r\n"
                    "[link]\r\nType=1\r\nOld=x\r\n\r\n[Last]\r\n; keep me\r\nB=2\r\n"_s);
    TIniFile ini(Path);
    ini.ReplaceSection(u"Link"_s, {{u"Type"_s, u"0"_s}, {u"IP"_s, u"10.0.0.5"_s}});
    ASSERT_TRUE(ini.Save());
    EXPECT_EQ(ReadText(Path),
              u"; made by hand\r\n[First]\r\nA=1\r\n\r\n"
              "[Link]\r\nType=0\r\nIP=10.0.0.5\r\n\r\n[Last]\r\n; keep me\r\nB=2\r\n"_s);
    // A new section goes to the end, after a blank line.
    ini.ReplaceSection(u"Config"_s, {{u"Count"_s, u"0"_s}});
    ASSERT_TRUE(ini.Save());
    EXPECT_TRUE(ReadText(Path).endsWith(u"B=2\r\n\r\n[Config]\r\nCount=0\r\n"_s));

    // A section that is there twice is read as one, and replaced as one, in the first place.
    WriteText(Path, u"[A]\nx=1\n[B]\ny=2\n[a]\nx=3\nz=4\n"_s);
    EXPECT_EQ(Read("A", "x") + Read("A", "z"), u"14"_s);
    TIniFile twice(Path);
    twice.ReplaceSection(u"A"_s, {{u"k"_s, u"v"_s}});
    ASSERT_TRUE(twice.Save());
    EXPECT_EQ(ReadText(Path), u"[A]\nk=v\n[B]\ny=2\n"_s);

    // Line breaks in a value cannot put keys of their own into the file.
    twice.ReplaceSection(u"Config"_s, {{u"Note1"_s, u"a\nPath9=evil\r\nb"_s}});
    ASSERT_TRUE(twice.Save());
    EXPECT_EQ(Read("Config", "Note1"), u"a Path9=evil  b"_s);
    EXPECT_TRUE(Read("Config", "Path9").isEmpty());
}

TEST_F(IniFile, CatalogueDropsEmptyPathsAndRenumbers)
{
    WriteText(Path, u"[Link]\nType=1\n\n[Config]\nCount=3\n"
                    "Path1=/a.cfg\nName1=A\nNote1=first\n"
                    "Path2=\nName2=B\nNote2=gone\n"
                    "Path3=  /c d.cfg  \nName3= C \nNote3=third\n"
                    "Path4=/beyond-count.cfg\n"_s);
    const TCatalog entries = LoadCatalog(Path);
    // Paths are trimmed, names and descriptions are not.
    EXPECT_EQ(entries,
              (TCatalog{{u"A"_s, u"first"_s, u"/a.cfg"_s}, {u" C "_s, u"third"_s, u"/c d.cfg"_s}}));
    ASSERT_TRUE(SaveCatalog(Path, entries, Messages));
    EXPECT_EQ(ReadText(Path), u"[Link]\nType=1\n\n[Config]\nCount=2\n"
                              "Path1=/a.cfg\nName1=A\nNote1=first\n"
                              "Path2=/c d.cfg\nName2= C \nNote2=third\n"_s);

    // Texts with the characters other INI dialects treat specially come back unchanged.
    const TCatalog odd{
        {u"Объект №1, корпус \"Б\"; этаж 2"_s, u"пожарная, охранная; \\ ок"_s,
         u"C:\\Конфиг\\site, main;1.cfg"_s},
        {u"=x="_s, QString(), u"sites/dir with spaces/b.cfg"_s},
    };
    ASSERT_TRUE(SaveCatalog(Path, odd, Messages));
    EXPECT_EQ(LoadCatalog(Path), odd);
    QStringList paths{u"kept"_s};
    ReadCatalogPaths(Path, paths);
    EXPECT_EQ(paths, (QStringList{u"kept"_s, odd[0].Path, odd[1].Path}));
    // A relative path names a file beside the INI file, wherever the program runs from.
    EXPECT_EQ(CatalogFilePath(Path, odd[1].Path), Dir.filePath(u"sites/dir with spaces/b.cfg"_s));
    EXPECT_EQ(CatalogFilePath(Path, u"/abs/c.cfg"_s), u"/abs/c.cfg"_s);

    // A missing or odd section is an empty catalogue.
    for (const char *text : {"", "[Link]\nType=1\n", "[Config]\nCount=many\nPath1=/a.cfg\n",
                             "[Config]\nCount=-5\nPath1=/a.cfg\n", "[Config]\nPath1=   \n"}) {
        WriteText(Path, QString::fromUtf8(text));
        paths.clear();
        ReadCatalogPaths(Path, paths);
        EXPECT_TRUE(paths.isEmpty() && LoadCatalog(Path).isEmpty()) << text;
    }
    // A huge count is read quickly; only the stored entries come back.
    WriteText(Path, u"[Config]\nCount=2147483647\nPath7=/g.cfg\n"_s);
    ASSERT_EQ(LoadCatalog(Path).size(), 1);
    EXPECT_EQ(LoadCatalog(Path)[0].Path, u"/g.cfg"_s);
}

// The link settings go into their section, the rest of the file kept. Without a file, and for
// values that are no numbers or out of range, they are the defaults.
TEST_F(IniFile, LinkSettingsRoundTripKeepingOtherSections)
{
    const TOptnLink defaults{0, u"COM1"_s, 57600, QString(), 10001};
    EXPECT_EQ(LoadLinkSettings(Path), defaults);
    for (const char *text : {"[Link]\nType=UDP\nCOMSpeed=fast\nPort=70000\n",
                             "[Link]\nType=2\nCOMSpeed=-1\nPort=0\n"}) {
        WriteText(Path, QString::fromUtf8(text));
        EXPECT_EQ(LoadLinkSettings(Path), defaults) << text;
    }
    WriteText(Path, u"[Config]\nCount=1\nPath1=/data/офис.cfg\n"_s);
    const TOptnLink link{1, u"/dev/ttyUSB0"_s, 9600, u"10.0.0.1"_s, 4001};
    ASSERT_TRUE(SaveLinkSettings(Path, link, Messages));
    EXPECT_EQ(LoadLinkSettings(Path), link);
    EXPECT_TRUE(Messages.Messages.isEmpty());
    EXPECT_EQ(ReadText(Path), u"[Config]\nCount=1\nPath1=/data/офис.cfg\n\n"
                              "[Link]\nType=1\nCOMPort=/dev/ttyUSB0\nCOMSpeed=9600\n"
                              "IP=10.0.0.1\nPort=4001\n"_s);
    // Blanks around a hand-edited address or port name are no part of it.
    WriteText(Path, u"[Link]\nType=1\nIP = 10.0.0.1 \nCOMPort= /dev/ttyUSB0\t\n"
                    "COMSpeed=9600\nPort=4001\n"_s);
    EXPECT_EQ(LoadLinkSettings(Path), link);
    // A file that cannot be written says so.
    EXPECT_FALSE(SaveLinkSettings(Path + u"/sub.ini"_s, link, Messages)); // Path is a file
    EXPECT_EQ(Messages.Messages, QStringList{u"Ошибка записи в ini-файл"_s});
}

// The INI file is the one beside the executable, or the user's own: an installed program keeps
// its settings in the user's folder, even run by root. A read-only INI file beside the program is
// read until the user's own copy exists; changes go to the user's copy, which then is the one
// read.
TEST_F(IniFile, WhereTheFileLives)
{
    const QString exe = Dir.filePath(u"lorim-config"_s);
    EXPECT_EQ(IniPathFor(exe).Write, exe + u".ini"_s);
    const TIniPath elsewhere = IniPathFor(u"/nonexistent-folder/lorim-config"_s);
    EXPECT_EQ(elsewhere.Write,
              QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                  u"/lorim-config.ini"_s);
    EXPECT_EQ(elsewhere.Read, elsewhere.Write);
    ASSERT_TRUE(QDir(Dir.path()).mkpath(u"usr/bin"_s) &&
                QDir(Dir.path()).mkpath(u"usr/share/lorim"_s));
    WriteText(Dir.filePath(u"usr/share/lorim/config.md_"_s), QString());
    EXPECT_EQ(IniPathFor(Dir.filePath(u"usr/bin/lorim-config"_s)).Write, elsewhere.Write);

    const QString beside = Dir.filePath(u"lorim-config.ini"_s);
    const QString own = Dir.filePath(u"home/lorim-config.ini"_s);
    WriteText(beside, u"[Link]\nType=1\nIP=10.0.0.9\n\n[Config]\nCount=1\n"
                      "Path1=sites/a.cfg\nName1=A\n"_s);
    EXPECT_EQ(ChooseIniPath(beside, true, own).Write, beside);
    const TIniPath ini = ChooseIniPath(beside, false, own);
    EXPECT_EQ((std::pair{ini.Read, ini.Write}), (std::pair{beside, own}));
    EXPECT_EQ(LoadLinkSettings(ini).IP, u"10.0.0.9"_s);
    EXPECT_EQ(CatalogFilePath(ini, u"sites/a.cfg"_s), Dir.filePath(u"sites/a.cfg"_s));

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
    const QString folder = Dir.filePath(u"locked"_s);
    const QString path = folder + u"/lorim-config.ini"_s;
    ASSERT_TRUE(QDir().mkdir(folder));
    WriteText(path, u"[Link]\nType=1\n"_s);
    const auto passable = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther;
    ASSERT_TRUE(QFile::setPermissions(Dir.path(), passable | QFile::WriteOwner));
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner |
                                                QFile::ReadOther | QFile::WriteOther));
    ASSERT_TRUE(QFile::setPermissions(folder, passable));
    EXPECT_TRUE(AsUnprivilegedUser([&] {
        TIniFile ini(path);
        ini.ReplaceSection(u"Link"_s, {{u"Type"_s, u"0"_s}});
        return !ini.Save();
    }));
    EXPECT_EQ(ReadText(path), u"[Link]\nType=1\n"_s);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST(UdpAddress, AddressAndOptionalPort)
{
    QString address;
    int port = 10001;
    ASSERT_TRUE(ParseUdpAddress(u"192.168.0.7"_s, address, port));
    EXPECT_EQ(address + u':' + QString::number(port), u"192.168.0.7:10001"_s);
    ASSERT_TRUE(ParseUdpAddress(u"127.0.0.2:4001"_s, address, port));
    EXPECT_EQ(port, 4001);
    for (const char16_t *bad : {u"127.0.0.2:0", u"127.0.0.2:65536", u"h:x", u":5", u"a:1:2"})
        EXPECT_FALSE(ParseUdpAddress(QString::fromUtf16(bad), address, port));
    EXPECT_EQ(port, 4001);
}
