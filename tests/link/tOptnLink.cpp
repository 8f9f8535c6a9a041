#include "link/uOptnLink.h"

#include "support/uTestSupport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct LinkSettings : testing::Test {
    QTemporaryDir Dir;
    QString Path = Dir.filePath(QStringLiteral("lorim-config.ini"));
    TMessageRecorder Messages;
};

} // namespace

TEST_F(LinkSettings, DefaultsWithoutAFile)
{
    const TOptnLink link = LoadLinkSettings(Path);
    EXPECT_EQ(link.Type, 0);
    EXPECT_EQ(link.COMPort, QStringLiteral("COM1"));
    EXPECT_EQ(link.COMSpeed, 57600);
    EXPECT_EQ(link.IP, QString());
    EXPECT_EQ(link.Port, 10001);
}

TEST_F(LinkSettings, RoundTripKeepsOtherSections)
{
    WriteText(Path, QStringLiteral("[Config]\nCount=1\nPath1=/data/офис.cfg\n"));
    const TOptnLink link{1, QStringLiteral("/dev/ttyUSB0"), 9600, QStringLiteral("192.168.1.20"),
                         4001};
    ASSERT_TRUE(SaveLinkSettings(Path, link, Messages));
    EXPECT_EQ(LoadLinkSettings(Path), link);
    EXPECT_TRUE(Messages.Messages.isEmpty());
    EXPECT_EQ(ReadText(Path), QStringLiteral("[Config]\nCount=1\nPath1=/data/офис.cfg\n\n"
                                             "[Link]\nType=1\nCOMPort=/dev/ttyUSB0\nCOMSpeed=9600\n"
                                             "IP=192.168.1.20\nPort=4001\n"));
}

TEST_F(LinkSettings, WrongValuesReadAsDefaults)
{
    WriteText(Path, QStringLiteral("[Link]\nType=UDP\nCOMSpeed=fast\nPort=70000\nIP= 10.0.0.1\n"));
    TOptnLink link = LoadLinkSettings(Path);
    EXPECT_EQ(link.Type, 0);
    EXPECT_EQ(link.COMSpeed, 57600);
    EXPECT_EQ(link.Port, 10001);
    EXPECT_EQ(link.IP, QStringLiteral(" 10.0.0.1"));

    WriteText(Path, QStringLiteral("[Link]\nType=2\nCOMSpeed=-1\nPort=0\n"));
    link = LoadLinkSettings(Path);
    EXPECT_EQ(link.Type, 0);
    EXPECT_EQ(link.COMSpeed, 57600);
    EXPECT_EQ(link.Port, 10001);
}

TEST_F(LinkSettings, WriteFailureIsReported)
{
    WriteText(Dir.filePath(QStringLiteral("file")), QString());
    EXPECT_FALSE(
        SaveLinkSettings(Dir.filePath(QStringLiteral("file/x.ini")), TOptnLink{}, Messages));
    EXPECT_EQ(Messages.Messages, QStringList{QStringLiteral("Ошибка записи в ini-файл")});
}

TEST(UdpAddress, AddressAndOptionalPort)
{
    QString address;
    int port = 10001;
    ASSERT_TRUE(ParseUdpAddress(QStringLiteral("192.168.0.7"), address, port));
    EXPECT_EQ(address, QStringLiteral("192.168.0.7"));
    EXPECT_EQ(port, 10001);
    ASSERT_TRUE(ParseUdpAddress(QStringLiteral("127.0.0.2:4001"), address, port));
    EXPECT_EQ(port, 4001);
    for (const char16_t *bad : {u"127.0.0.2:0", u"127.0.0.2:65536", u"h:x", u":5", u"a:1:2"})
        EXPECT_FALSE(ParseUdpAddress(QString::fromUtf16(bad), address, port));
    EXPECT_EQ(port, 4001);
}
