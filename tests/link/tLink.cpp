#include "link/uTransport.h"
#include "storage/uCatalog.h"
#include "storage/uDB.h"
#include "support/uLinkRig.h"
#include "support/uSampleConfigs.h"

#include <QNetworkDatagram>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

const QString Admin = u"8522"_s;

struct Link : testing::Test, TLinkRig {};

} // namespace

// The demo site read over UDP; the first reply fails its CRC and is asked for again.
TEST_F(Link, ReadsTheDemoSiteOverUdp)
{
    Faults.CorruptReplies = {1};
    ASSERT_TRUE(Start());
    TProgressRecorder progress;
    Port.Progress = &progress;
    ASSERT_EQ(RunJob(JobRead, Admin), 1);
    EXPECT_EQ(ConfigDifferences(Site, Config, TCompare::NoKeys), QStringList());
    EXPECT_TRUE(Errors.Messages.isEmpty());
    // The three streams step once per device, partition and user.
    EXPECT_EQ(progress.Position, Site.DeviceCount() + Site.PartCount() + Site.UserCount());
    // The same bytes again, with the same sequence number, and no "CRC:" line before them.
    const QStringList out = LinesStarting(u"out:"_s);
    EXPECT_EQ(out[0], u"out:   00 42 01"_s);
    EXPECT_EQ(out[1], out[0]);
    EXPECT_TRUE(Log.Lines[2].startsWith(u"in:"_s) && Log.Lines[3] == out[1]);
    EXPECT_TRUE(Log.Lines[5].startsWith(u"CRC: "_s));

    // Sequence numbers run 1, 2, 3 ... over the job's commands and acknowledgements, and wrap
    // from 255 to 1.
    int expected = 1;
    for (const QString &line : LinesStarting(u"out:   00 32 01 "_s)) {
        const int seq = line.mid(16, 2).toInt(nullptr, 16);
        EXPECT_GE(seq, expected);
        expected = seq + 1;
    }
    Port.SeqNo = 254;
    EXPECT_EQ(Port.NextSeq(), 255);
    EXPECT_EQ(Port.NextSeq(), 1);
}

// The demo site read whole over the lines and faults a module may bring: a pseudo-terminal
// answering byte by byte, replies behind address bytes, replies lost now and then (the answers
// to acknowledgements inside a record stream among them).
TEST(LinkLines, ReadsTheSiteOverEveryKindOfLine)
{
    const std::function<void(TLinkRig &)> lines[] = {
        [](TLinkRig &r) {
            r.Endpoint.Serial = true;
            r.Endpoint.ByteDelayUs = 50;
        },
        [](TLinkRig &r) { r.Faults.AddressBytes = 3; },
        [](TLinkRig &r) {
            r.Faults.DropReplies = {11, 12, 30};
            r.Faults.DropRate = 0.1;
            r.Faults.Seed = 20261206;
        },
    };
    for (const auto &line : lines) {
        TLinkRig rig;
        line(rig);
        ASSERT_TRUE(rig.Start());
        ASSERT_EQ(rig.RunJob(JobRead, Admin), 1);
        EXPECT_EQ(ConfigDifferences(rig.Site, rig.Config, TCompare::NoKeys), QStringList());
    }
}

// A refused login ends the job with its reason and without a logout; statuses 1 and 7 let the
// tool in. A wrong password is refused by the module itself.
TEST(LinkLogin, RefusalsAndAcceptedStatuses)
{
    const std::tuple<int, QString, const char16_t *> logins[] = {
        {0, Admin, u"Ошибка ввода пароля"},
        {2, Admin, u"Пользователь в системе"},
        {3, Admin, u"Недостаточно прав доступа"},
        {4, Admin, u"Пользователь не зарегистрирован в системе"},
        {-1, u"08522"_s, u"Ошибка ввода пароля"},
        {1, Admin, nullptr},
        {7, Admin, nullptr},
    };
    for (const auto &[status, password, refusal] : logins) {
        TLinkRig rig;
        rig.Faults.LoginStatus = status;
        ASSERT_TRUE(rig.Start());
        EXPECT_EQ(rig.RunJob(JobRead, password), refusal ? 0 : 1) << status;
        EXPECT_EQ(rig.Errors.Messages,
                  refusal ? QStringList{QString::fromUtf16(refusal)} : QStringList());
        EXPECT_EQ(rig.LinesStarting(u"Выход"_s).isEmpty(), refusal != nullptr) << status;
    }
}

TEST_F(Link, ConnectJobFindsThePasswordInTheCatalogue)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath(u"lorim-config.ini"_s);
    const QString other = dir.filePath(u"other.cfg"_s);
    const QString site = dir.filePath(u"site.cfg"_s);
    InitAppDir();
    const QString templ = AppDir + u"config.md_"_s;
    TConfig otherConfig; // another module: identifier 000000000001
    otherConfig.User(111)->Pswrd1 = u"1111"_s;
    ASSERT_EQ(SaveConfigFile(otherConfig, other, templ, nullptr, nullptr), TSaveResult::Saved);
    ASSERT_EQ(SaveConfigFile(Site, site, templ, nullptr, nullptr), TSaveResult::Saved);
    TMessageRecorder messages;
    ASSERT_TRUE(SaveCatalog(ini,
                            {{u"other"_s, {}, other},
                             {u"site"_s, {}, site},
                             {u"missing"_s, {}, dir.filePath(u"no.cfg"_s)}},
                            messages));
    TCatalogPasswordSearch search(ini);
    Port.PasswordSearch = &search;
    ASSERT_TRUE(Start());
    ASSERT_EQ(RunJob(JobConnect, QString()), 1);
    EXPECT_EQ(Port.Access.Password, Admin);
    EXPECT_EQ(ConfigDifferences(Site, Config, TCompare::NoKeys), QStringList());

    // Once the password is found, a failure is a failure of the link, not a refused login.
    TLinkRig silent;
    silent.Port.PasswordSearch = &search;
    silent.Port.Timings.Attempts = 2;
    silent.Faults.SilentAfter = 12;
    ASSERT_TRUE(silent.Start());
    EXPECT_EQ(silent.RunJob(JobConnect, QString()), -1);
    EXPECT_EQ(silent.Port.Access.Password, Admin);
}

// A module that never answers: the same request goes out 15 times, as 46-byte datagrams, and
// the link is declared lost.
TEST_F(Link, ASilentModuleIsDeclaredLost)
{
    QUdpSocket listener;
    ASSERT_TRUE(listener.bind(QHostAddress(Endpoint.Address), static_cast<quint16>(Endpoint.Port),
                              QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint));
    Port.Timings.FirstByteMs = 5;
    EXPECT_EQ(RunJob(JobRead, Admin), -1);
    EXPECT_EQ(Errors.Messages, QStringList{u"Потеря связи с устройством!"_s});

    int datagrams = 0;
    while (listener.hasPendingDatagrams()) {
        const QNetworkDatagram d = listener.receiveDatagram();
        EXPECT_EQ(d.data().size(), 46);
        EXPECT_TRUE(d.data().startsWith(QByteArray::fromHex("7E7D20427D21A0807F")));
        ++datagrams;
    }
    EXPECT_EQ(datagrams, 15);
}

TEST_F(Link, TheLinkLostBitCountsOnlyAfterIdentification)
{
    Faults.LinkLostFrom = 2; // the identification's replies already carry it
    ASSERT_TRUE(Start());
    EXPECT_EQ(RunJob(JobRead, Admin), 0); // login gets no valid answer
    EXPECT_TRUE(Port.Initialised);
    EXPECT_TRUE(Log.Lines.contains(u"Потеря связи с устройством!"_s));
    EXPECT_FALSE(Log.Lines.contains(u"Чтение конфигурации..."_s));
}

// The link socket does not broadcast: a broadcast address taken for the module's fails to send.
TEST(LinkPort, TheSocketDoesNotBroadcast)
{
    QUdpSocket socket;
    ASSERT_TRUE(BindLinkSocket(socket, FreeUdpPort()));
    EXPECT_EQ(socket.writeDatagram(QByteArray(46, '\0'), QHostAddress(u"127.255.255.255"_s), 10001),
              -1);
}

// A serial port the user may not open: the message says how to mend it. The job runs in a
// child process, as an unprivileged user when the tests run as root.
TEST(LinkPort, APortThatCannotBeOpenedIsReported)
{
    QTemporaryDir dir;
    const QString device = dir.filePath(u"ttyS9"_s);
    WriteText(device, QString());
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                          QFile::ReadOther | QFile::ExeOther);
    EXPECT_TRUE(AsUnprivilegedUser([&] {
        TConfig config;
        TMessageRecorder errors;
        TThreadPort port;
        port.Config = &config;
        port.Errors = &errors;
        port.Link.Type = 0;
        port.Link.COMPort = device;
        port.Execute();
        return port.ResultCode == -1 && errors.Messages.size() == 1 &&
               errors.Messages[0].startsWith(u"Не удалось открыть порт\n"_s) &&
               errors.Messages[0].contains(u"группу dialout"_s);
    }));
}
