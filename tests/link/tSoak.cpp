// The link under a bad line: replies lost and corrupted, a module that falls silent, and
// hostile traffic around the module's replies.

#include "model/uCompare.h"
#include "support/uFrames.h"
#include "support/uLinkRig.h"
#include "support/uSampleConfigs.h"

#include <QNetworkDatagram>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <random>
#include <thread>
#include <tuple>

using namespace Qt::StringLiterals;

namespace {

const QString Admin = u"8522"_s;

// A module at the rig's address and port that answers each request the tool sends with answer;
// the job's result.
using TAnswer = std::function<void(QUdpSocket &, const QNetworkDatagram &)>;
int RunAgainst(TLinkRig &rig, const TAnswer &answer)
{
    QUdpSocket module;
    if (!module.bind(QHostAddress(rig.Endpoint.Address), static_cast<quint16>(rig.Endpoint.Port),
                     QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint)) {
        ADD_FAILURE() << "no socket";
        return -2;
    }
    std::atomic<bool> stop{false};
    std::thread line([&] {
        while (!stop)
            if (module.hasPendingDatagrams() || module.waitForReadyRead(20))
                answer(module, module.receiveDatagram());
    });
    const int result = rig.RunJob(JobRead, Admin);
    stop = true;
    line.join();
    return result;
}

// The wire form of content, as a datagram.
QByteArray WireOf(const TVec &content)
{
    const TVec wire = Wire(content);
    return QByteArray(reinterpret_cast<const char *>(wire.data()), std::ssize(wire));
}

} // namespace

// Every device model and every mode of its outputs, read through a line that loses and corrupts
// replies, and written whole through another to a module that knew only itself: both come out
// exact. Written with all that the module does not keep, the configuration still agrees with
// what the module then holds. A lost reply costs the wait for its first byte, long enough for a
// loaded machine: a reply that came late would be taken for the next one.
TEST(LossyLink, EveryKindReadAndWrittenExactly)
{
    TSimFaults lossy;
    lossy.DropRate = 0.05;
    lossy.CorruptRate = 0.1;
    lossy.Seed = 7;
    TLinkRig source;
    TConfig site; // a fresh container's module and administrator
    FillEveryKind(site);
    site.User(111)->Pswrd1 = Admin;
    site.Part(127)->Delay = 120;              // only the low byte of a delay travels
    site.Device(12)->AsIndicDev()->Sound = 0; // not what a new device starts with
    site.Part(2)->SMS(2)->Phone = u"12"_s;    // a number travels as its digits
    source.Site.Assign(site);
    source.Faults = lossy;
    ASSERT_TRUE(source.Start());
    ASSERT_EQ(source.RunJob(JobRead, Admin), 1);
    EXPECT_EQ(ConfigDifferences(site, source.Config, TCompare::Settings), QStringList());
    // The log shows the lost and the corrupted replies being asked for again.
    EXPECT_GT(source.Log.Lines.count(u"in:    "_s), 5);

    TLinkRig target;
    target.Site.Assign(TConfig()); // the same module, holding nothing but its administrator
    target.Faults = lossy;
    target.Faults.Seed = 8;
    target.Port.Config = &source.Config;
    for (const auto &[name, change] : UnkeptChanges())
        change(source.Config);
    source.Config.WriteAll = true;
    ASSERT_TRUE(target.Start());
    ASSERT_EQ(target.RunJob(JobWrite, Admin), 1);
    EXPECT_EQ(ConfigDifferences(site, target.Site, TCompare::Settings), QStringList());
    EXPECT_EQ(CompareConfigs(source.Config, target.Site), QStringList());
}

// Around every reply of the module: replies of another module from another address and from
// another port of the module's address, garbage datagrams, a datagram longer than a frame.
// None of it changes what is read.
TEST(HostileLine, TrafficAroundTheRepliesChangesNothing)
{
    TLinkRig rig;
    TConfig otherSite;
    FillEveryKind(otherSite);
    otherSite.Device(1)->ID = rig.Site.Device(1)->ID;
    otherSite.User(111)->Pswrd1 = Admin;
    TModuleCore module(rig.Site);
    TModuleCore stranger(otherSite);
    QUdpSocket otherPort;
    QUdpSocket otherAddress;
    ASSERT_TRUE(otherPort.bind(QHostAddress(rig.Endpoint.Address), 0));
    ASSERT_TRUE(otherAddress.bind(QHostAddress(u"127.0.0.3"_s),
                                  static_cast<quint16>(rig.Endpoint.Port),
                                  QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint));
    std::mt19937 rng(99);
    const int result = RunAgainst(rig, [&](QUdpSocket &socket, const QNetworkDatagram &d) {
        const QHostAddress to = d.senderAddress();
        const auto port = static_cast<quint16>(d.senderPort());
        const QByteArray fake = stranger.Handle(d.data());
        otherAddress.writeDatagram(fake, to, port);
        otherPort.writeDatagram(fake, to, port);
        // Noise from the module's own address: never an end marker, since a random frame
        // passes the CRC once in 65,536 and would then be a reply like any other.
        for (int i = 0; i < 3; ++i) {
            QByteArray garbage(static_cast<qsizetype>(1 + rng() % 60), '\0');
            for (char &c : garbage) {
                const auto b = static_cast<std::uint8_t>(rng());
                c = static_cast<char>(b == 0x7F ? 0x7E : b);
            }
            socket.writeDatagram(garbage, to, port);
        }
        socket.writeDatagram(QByteArray(1, '\x7E') + QByteArray(250, 'A'), to, port);
        socket.writeDatagram(module.Handle(d.data()), to, port);
        otherPort.writeDatagram(fake, to, port);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(ConfigDifferences(rig.Site, rig.Config, TCompare::NoKeys), QStringList());
}

// A module that announces more data after every frame, without end, is given up with the
// lost-link message instead of being acknowledged for ever.
TEST(HostileLine, EndlessMoreDataIsGivenUp)
{
    TLinkRig rig;
    const QByteArray linkCheck = WireOf({0x00, 0x42, 0x02});
    const QByteArray more = WireOf({0x00, 0x32, 0x81, 0x07, 0x04, 0x00, 0x05, 0x6F, 0x01});
    EXPECT_NE(RunAgainst(rig,
                         [&](QUdpSocket &socket, const QNetworkDatagram &d) {
                             socket.writeDatagram(d.data().contains('B') ? linkCheck : more,
                                                  d.senderAddress(),
                                                  static_cast<quint16>(d.senderPort()));
                         }),
              1);
    EXPECT_TRUE(rig.Log.Lines.contains(u"Потеря связи с устройством!"_s));
    EXPECT_LT(rig.Log.Lines.size(), 5000);
}

// A link lost while a changed output is deleted ends the sender: the output is not sent after
// it, the lost link is reported once, and the logout is tried once, not as often as the
// requests before the loss.
TEST(LossyLink, ALinkLostInADeleteStopsTheWrite)
{
    TLinkRig rig;
    rig.Port.Timings.Attempts = 3;
    rig.Faults.SilentAfter = 7; // link check, identification (3), login (3)
    rig.Config.Device(1)->ID = rig.Site.Device(1)->ID;
    TRelay &relay = *rig.Config.Device(1)->AsRelayDev()->Relay(1);
    relay.Mode = 1;
    relay.Device = 255;
    relay.Changed = true;
    ASSERT_TRUE(rig.Start());
    EXPECT_EQ(rig.RunJob(JobWrite, Admin), -1);
    // Identification, login, the delete tried as often as any request, the logout once.
    EXPECT_EQ(rig.Codes(), u"10 03 35 35 35 04"_s);
    EXPECT_EQ(rig.Errors.Messages, QStringList{u"Потеря связи с устройством!"_s});
    EXPECT_EQ(rig.Port.Effect, TModuleEffect::Unknown);
}
