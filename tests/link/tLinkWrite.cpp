#include "support/uLinkRig.h"
#include "support/uSampleConfigs.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QString Admin = u"8522"_s;

// Writes from the tool's configuration (Config) to a module that holds Site.
struct LinkWrite : testing::Test, TLinkRig {
    // The tool starts from what the module holds, as after a read, with no change marks.
    void CopySiteIntoConfig() { Config.Assign(Site); }
};

} // namespace

// A fresh configuration: erase, the module's relays only when in use (none), the
// administrator, connect; no device record for the module itself.
TEST_F(LinkWrite, WholeWriteOfAFreshConfiguration)
{
    Config.Device(1)->ID = Site.Device(1)->ID;
    Config.User(111)->Pswrd1 = Admin;
    Config.WriteAll = true;
    ASSERT_TRUE(Start());
    ASSERT_EQ(RunJob(JobWrite, Admin), 1);
    QStringList phases;
    for (const QString &line : Log.Lines)
        if (!line.startsWith(u"out:") && !line.startsWith(u"in:") && !line.startsWith(u"CRC:"))
            phases << line;
    const QStringList expected{
        u"Запись конфигурации..."_s,
        u"Очистка конфигурации ЛОРИМ..."_s,
        u"Кофигурация стёрта успешно"_s,
        u"Запись ВЕКТ..."_s,
        u"Запись разделов"_s,
        u"Запись устройств..."_s,
        u"  Запись реле ЦМ..."_s,
        u"Запись пользователей..."_s,
        u"  Пользователь №111: OK"_s,
        u"Подключение устройств: OK"_s,
    };
    EXPECT_EQ(phases.mid(phases.indexOf(expected.first()), expected.size()), expected);
    EXPECT_TRUE(Requests(0x40).isEmpty() && Requests(0x43).isEmpty());
    EXPECT_EQ((std::tuple{Site.DeviceCount(), Site.UserCount(), Site.PartCount()}),
              (std::tuple{1, 1, 0}));
}

// A change write sends what is marked, and nothing else: identification and login, the panels,
// the partitions with their SMS records, the other devices, the users, logout. A loop taken out of
// its partition is deleted and not sent again; a changed relay is deleted, then sent again; a
// device with a new address is sent with the change code and then moved, without its outputs.
TEST_F(LinkWrite, ChangeWriteSendsWhatIsMarked)
{
    CopySiteIntoConfig();
    TShleif *loop = Config.Device(2)->AsVEKT()->Loop(5);
    loop->Clear();
    loop->Changed = true;
    Config.Device(1)->AsRelayDev()->Relay(1)->Delay = 90;
    Config.Device(1)->AsRelayDev()->Relay(1)->Changed = true;
    Config.Device(3)->Changed = true;
    Config.Device(3)->NewNA = 40;
    Config.Device(3)->AsVEKT()->Loop(1)->Changed = true;
    Config.Device(4)->AsKP()->Part = 2;
    Config.Device(4)->Changed = true;
    Config.Part(3)->MarkDeleted();
    Config.Part(1)->SMS(3)->Phone = u"70000000000"_s;
    Config.Part(1)->SMS(3)->Changed = true;
    Config.User(3)->Pswrd1 = u"0001"_s;
    Config.User(3)->Changed = true;
    ASSERT_TRUE(Start());
    ASSERT_EQ(RunJob(JobWrite, Admin), 1);

    EXPECT_EQ(Codes(), u"10 03 33 46 47 4A 31 35 43 46 44 04"_s);
    EXPECT_TRUE(Requests(0x33).value(0).endsWith(u" 04 00 33 02 05"_s));
    EXPECT_TRUE(Requests(0x47).value(0).endsWith(u" 04 00 47 03 28"_s));
    EXPECT_EQ(Site.Device(2)->AsVEKT()->Loop(5)->Part, 0);
    EXPECT_EQ(Site.Device(1)->AsRelayDev()->Relay(1)->Delay, 90);
    EXPECT_EQ(Site.Device(3), nullptr);
    ASSERT_NE(Site.Device(40), nullptr);
    EXPECT_EQ(Site.Device(40)->AsVEKT()->Loop(1)->Part, 2);
    EXPECT_EQ(Site.Device(4)->AsKP()->Part, 2);
    EXPECT_EQ(Site.Part(3), nullptr);
    EXPECT_EQ(Site.Part(1)->SMS(3)->Phone, u"70000000000"_s);
    EXPECT_EQ(Site.User(3)->Pswrd1, u"0001"_s);
    // Every mark was taken, so the next change write sends none of it again.
    EXPECT_FALSE(loop->Changed || Config.User(3)->Changed || Config.Part(1)->SMS(3)->Changed ||
                 Config.Device(4)->Changed);
}

// A module may refuse to delete a loop it does not hold yet: that is no failure and logs
// nothing, and the loop is then sent. A refused relay delete fails the write.
TEST_F(LinkWrite, ARefusedLoopDeleteIsNoFailure)
{
    CopySiteIntoConfig();
    Config.Device(2)->AsVEKT()->Loop(8)->SetPart(3);
    Config.Device(2)->AsVEKT()->Loop(8)->Changed = true;
    Faults.RefuseCodes = {0x33};
    ASSERT_TRUE(Start());
    EXPECT_EQ(RunJob(JobWrite, Admin), 1);
    EXPECT_EQ(Requests(0x33).size(), 1);
    EXPECT_TRUE(LinesStarting(u"    Удаление шлейфа"_s).isEmpty());
    EXPECT_TRUE(Log.Lines.contains(u"    Шлейф №8(СА: 2): ОК"_s));
    EXPECT_EQ(Site.Device(2)->AsVEKT()->Loop(8)->Part, 3);

    TLinkRig relays;
    relays.Faults.RefuseCodes = {0x35};
    relays.Config.Device(1)->ID = Site.Device(1)->ID;
    relays.Config.Device(1)->AsRelayDev()->Relay(3)->Changed = true;
    ASSERT_TRUE(relays.Start());
    EXPECT_NE(relays.RunJob(JobWrite, Admin), 1);
    EXPECT_TRUE(relays.Log.Lines.contains(u"    Удаление реле №3(СА: 1): Error"_s));
    EXPECT_TRUE(relays.Log.Lines.contains(u"Отклонено запросов: 1"_s));
}

// A module that follows each result with one more data frame has it acknowledged by that
// frame's own number, so no frame is left unacknowledged.
TEST_F(LinkWrite, TrailingFramesAreAcknowledgedByTheirOwnNumber)
{
    CopySiteIntoConfig();
    Config.WriteAll = true;
    Faults.TrailingFrame = true;
    ASSERT_TRUE(Start());
    ASSERT_EQ(RunJob(JobWrite, Admin), 1);
    EXPECT_EQ(Core->Abandoned(), 0);
    EXPECT_EQ(ConfigDifferences(Config, Site, TCompare::Settings), QStringList());
}

// A refused object gives its error line and fails the job, while the rest is still written.
// The indicators of a unit not set up one by one are not written.
TEST_F(LinkWrite, RefusedObjectsFailTheWrite)
{
    Site.Device(6)->AsIndicDev()->Mode = 2;
    Site.Device(6)->AsIndicDev()->Part = 1;
    CopySiteIntoConfig();
    Config.WriteAll = true;
    Faults.RefuseCodes = {0x41};
    ASSERT_TRUE(Start());
    EXPECT_NE(RunJob(JobWrite, Admin), 1);
    EXPECT_TRUE(Log.Lines.contains(u"    Шлейф №1(СА: 2): Error"_s));
    EXPECT_EQ(Site.UserCount(), 4);
    EXPECT_EQ(Site.Device(1)->AsRelayDev()->Relay(2)->Mode, TRelay::ModeASPT);
    EXPECT_TRUE(Requests(0x42).isEmpty());
    EXPECT_TRUE(Log.Lines.contains(u"Подключение устройств: OK"_s));
    EXPECT_TRUE(Log.Lines.contains(u"Отклонено запросов: 12"_s));
}

// An erase the module refuses, or one that never ends and is given up after the erase time,
// fails the write: nothing is sent after it.
TEST(LinkWriteErase, AFailedEraseStopsTheWrite)
{
    for (const bool endless : {false, true}) {
        TLinkRig rig;
        rig.Config.Assign(rig.Site);
        rig.Config.WriteAll = true;
        if (endless) {
            rig.Faults.ErasingReplies = 3000; // seconds of polling: longer than the erase time
            rig.Port.Timings.EraseMs = 30;
        } else {
            rig.Faults.RefuseCodes = {0x81};
        }
        ASSERT_TRUE(rig.Start());
        EXPECT_NE(rig.RunJob(JobWrite, Admin), 1);
        EXPECT_TRUE(rig.Requests(0x40).isEmpty() && rig.Requests(0x45).isEmpty()) << endless;
        EXPECT_EQ(rig.Requests(0x04).size(), 1) << endless; // the logout still goes
    }
}

TEST_F(LinkWrite, AnotherModuleIsNotWrittenTo)
{
    CopySiteIntoConfig();
    Config.Device(1)->ID = u"0020FF78C535"_s;
    ASSERT_TRUE(Start());
    EXPECT_EQ(RunJob(JobWrite, Admin), -1);
    const QString text = u"Связь с устройством прервана. Несоответствие идентификаторов"_s;
    EXPECT_EQ(Errors.Messages, QStringList{text});
    EXPECT_TRUE(LinesStarting(u"Вход"_s).isEmpty());
}

TEST_F(LinkWrite, TheClockGoesOutAsSevenBytes)
{
    Port.Now = [] { return QDateTime(QDate(2024, 12, 31), QTime(23, 59, 58)); };
    ASSERT_TRUE(Start());
    ASSERT_EQ(RunJob(JobClock, Admin), 1);
    ASSERT_EQ(Requests(0x50).size(), 1);
    EXPECT_TRUE(Requests(0x50).first().endsWith(u" 50 3A 3B 17 02 1F 0C 18"_s));
    EXPECT_EQ(Core->Clock(), u"2024-12-31 23:59:58, day 2"_s);
}
