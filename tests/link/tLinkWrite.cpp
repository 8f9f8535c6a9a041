#include "support/uLinkRig.h"
#include "support/uSampleConfigs.h"

#include <gtest/gtest.h>

namespace {

const QString Admin = QStringLiteral("8522");

// Writes from the tool's configuration (Config) to a module that holds Site.
struct LinkWrite : testing::Test, TLinkRig {
    // The requests of a given command code that went out, as their logged bytes.
    QStringList Requests(std::uint8_t code) const
    {
        QStringList found;
        for (const QString &line : LinesStarting(QStringLiteral("out:   00 32 01 ")))
            if (line.mid(25, 2).toUInt(nullptr, 16) == code)
                found << line;
        return found;
    }

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
        QStringLiteral("Запись конфигурации..."),
        QStringLiteral("Очистка конфигурации ЛОРИМ..."),
        QStringLiteral("Кофигурация стёрта успешно"),
        QStringLiteral("Запись ВЕКТ..."),
        QStringLiteral("Запись разделов"),
        QStringLiteral("Запись устройств..."),
        QStringLiteral("  Запись реле ЦМ..."),
        QStringLiteral("Запись пользователей..."),
        QStringLiteral("  Пользователь №111: OK"),
        QStringLiteral("Подключение устройств: OK"),
    };
    EXPECT_EQ(phases.mid(phases.indexOf(expected.first()), expected.size()), expected);
    EXPECT_TRUE(Requests(0x40).isEmpty());
    EXPECT_TRUE(Requests(0x43).isEmpty());
    EXPECT_EQ(Site.DeviceCount(), 1);
    EXPECT_EQ(Site.UserCount(), 1);
    EXPECT_EQ(Site.PartCount(), 0);
}

TEST_F(LinkWrite, AChangeWriteWithoutMarksSendsNothing)
{
    CopySiteIntoConfig();
    ASSERT_TRUE(Start());
    ASSERT_EQ(RunJob(JobWrite, Admin), 1);
    const QStringList commands = LinesStarting(QStringLiteral("out:   00 32 01 "));
    ASSERT_EQ(commands.size(), 3); // identification, login, logout
    EXPECT_TRUE(commands[1].contains(QStringLiteral(" 04 00 03 6F ")));
    EXPECT_TRUE(commands[2].endsWith(QStringLiteral(" 04 00 04 6F")));
}

TEST_F(LinkWrite, ChangeWriteSendsWhatIsMarked)
{
    CopySiteIntoConfig();
    // A loop taken out of its partition is deleted and not sent again.
    TShleif *loop = Config.Device(2)->AsVEKT()->Loop(5);
    loop->Clear();
    loop->Changed = true;
    // A changed relay is deleted, then sent again.
    Config.Device(1)->AsRelayDev()->Relay(1)->Delay = 90;
    Config.Device(1)->AsRelayDev()->Relay(1)->Changed = true;
    // A partition marked deleted, a changed user, a changed SMS record.
    Config.Part(3)->MarkDeleted();
    Config.User(3)->Pswrd1 = QStringLiteral("0001");
    Config.User(3)->Changed = true;
    Config.Part(1)->SMS(3)->Phone = QStringLiteral("70000000000");
    Config.Part(1)->SMS(3)->Changed = true;
    // A changed keypad.
    Config.Device(4)->AsKP()->Part = 2;
    Config.Device(4)->Changed = true;
    ASSERT_TRUE(Start());
    ASSERT_EQ(RunJob(JobWrite, Admin), 1);

    ASSERT_EQ(Requests(0x33).size(), 1);
    EXPECT_TRUE(Requests(0x33).first().endsWith(QStringLiteral(" 04 00 33 02 05")));
    EXPECT_TRUE(Requests(0x41).isEmpty());
    EXPECT_EQ(Requests(0x35).size(), 1);
    EXPECT_EQ(Requests(0x43).size(), 1);
    EXPECT_EQ(Site.Device(2)->AsVEKT()->Loop(5)->Part, 0);
    EXPECT_EQ(Site.Device(1)->AsRelayDev()->Relay(1)->Delay, 90);
    EXPECT_EQ(Site.Part(3), nullptr);
    EXPECT_EQ(Site.User(3)->Pswrd1, QStringLiteral("0001"));
    EXPECT_EQ(Site.Part(1)->SMS(3)->Phone, QStringLiteral("70000000000"));
    EXPECT_EQ(Site.Device(4)->AsKP()->Part, 2);
    EXPECT_TRUE(Log.Lines.contains(QStringLiteral("    Удаление шлейфа №5(СА: 2): ОК")));
    EXPECT_TRUE(Log.Lines.contains(QStringLiteral("  Удаление раздела №3: OK")));
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
    EXPECT_TRUE(LinesStarting(QStringLiteral("    Удаление шлейфа")).isEmpty());
    EXPECT_TRUE(Log.Lines.contains(QStringLiteral("    Шлейф №8(СА: 2): ОК")));
    EXPECT_EQ(Site.Device(2)->AsVEKT()->Loop(8)->Part, 3);

    TLinkRig relays;
    relays.Faults.RefuseCodes = {0x35};
    relays.Config.Device(1)->ID = Site.Device(1)->ID;
    relays.Config.Device(1)->AsRelayDev()->Relay(3)->Changed = true;
    ASSERT_TRUE(relays.Start());
    EXPECT_NE(relays.RunJob(JobWrite, Admin), 1);
    EXPECT_TRUE(relays.Log.Lines.contains(QStringLiteral("    Удаление реле №3(СА: 1): Error")));
    EXPECT_TRUE(relays.Log.Lines.contains(QStringLiteral("Отклонено запросов: 1")));
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

// A module that never finishes erasing is given up after the erase time, and the write fails.
TEST_F(LinkWrite, AnEraseThatNeverEndsIsGivenUp)
{
    CopySiteIntoConfig();
    Config.WriteAll = true;
    Faults.ErasingReplies = 3000; // seconds of polling: longer than the erase time
    Port.Timings.EraseMs = 30;
    ASSERT_TRUE(Start());
    EXPECT_NE(RunJob(JobWrite, Admin), 1);
    EXPECT_TRUE(Requests(0x40).isEmpty());
}

// A device with a new address is sent with the change code and then moved, without outputs.
TEST_F(LinkWrite, ADeviceWithANewAddressIsMoved)
{
    CopySiteIntoConfig();
    Config.Device(3)->Changed = true;
    Config.Device(3)->NewNA = 40;
    Config.Device(3)->AsVEKT()->Loop(1)->Changed = true;
    ASSERT_TRUE(Start());
    ASSERT_EQ(RunJob(JobWrite, Admin), 1);
    EXPECT_EQ(Requests(0x46).size(), 1);
    ASSERT_EQ(Requests(0x47).size(), 1);
    EXPECT_TRUE(Requests(0x47).first().endsWith(QStringLiteral(" 04 00 47 03 28")));
    EXPECT_TRUE(Requests(0x41).isEmpty());
    EXPECT_TRUE(Log.Lines.contains(QStringLiteral("  Смена СА ВЕКТ-16Р [3 на 40]: OK")));
    EXPECT_EQ(Site.Device(3), nullptr);
    ASSERT_NE(Site.Device(40), nullptr);
    EXPECT_EQ(Site.Device(40)->AsVEKT()->Loop(16)->Part, 3);
}

TEST_F(LinkWrite, IndicatorsGoOnlyForIndividualUnits)
{
    Site.Device(6)->AsIndicDev()->Mode = 2;
    Site.Device(6)->AsIndicDev()->Part = 1;
    ASSERT_TRUE(Start());
    CopySiteIntoConfig();
    Config.WriteAll = true;
    ASSERT_EQ(RunJob(JobWrite, Admin), 1);
    EXPECT_TRUE(Requests(0x42).isEmpty());
}

// A refused object gives its error line and fails the job, while the rest is still written.
TEST_F(LinkWrite, RefusedObjectsFailTheWrite)
{
    CopySiteIntoConfig();
    Config.WriteAll = true;
    Faults.RefuseCodes = {0x41};
    ASSERT_TRUE(Start());
    EXPECT_NE(RunJob(JobWrite, Admin), 1);
    EXPECT_TRUE(Log.Lines.contains(QStringLiteral("    Шлейф №1(СА: 2): Error")));
    EXPECT_EQ(Site.UserCount(), 4);
    EXPECT_EQ(Site.Device(1)->AsRelayDev()->Relay(2)->Mode, TRelay::ModeASPT);
    EXPECT_TRUE(Log.Lines.contains(QStringLiteral("Подключение устройств: OK")));
    EXPECT_TRUE(Log.Lines.contains(QStringLiteral("Отклонено запросов: 12")));
}

// A module that cannot erase gets nothing but the final connect command.
TEST_F(LinkWrite, AFailedEraseStopsTheWrite)
{
    CopySiteIntoConfig();
    Config.WriteAll = true;
    Faults.RefuseCodes = {0x81};
    ASSERT_TRUE(Start());
    EXPECT_NE(RunJob(JobWrite, Admin), 1);
    EXPECT_TRUE(Requests(0x40).isEmpty());
    EXPECT_TRUE(Requests(0x45).isEmpty());
    EXPECT_EQ(Requests(0x80).size(), 1);
    EXPECT_EQ(Requests(0x04).size(), 1); // the logout still goes
}

TEST_F(LinkWrite, AnotherModuleIsNotWrittenTo)
{
    CopySiteIntoConfig();
    Config.Device(1)->ID = QStringLiteral("0020FF78C535");
    ASSERT_TRUE(Start());
    EXPECT_EQ(RunJob(JobWrite, Admin), -1);
    const QString text =
        QStringLiteral("Связь с устройством прервана. Несоответствие идентификаторов");
    EXPECT_EQ(Errors.Messages, QStringList{text});
    EXPECT_EQ(Log.Lines.last(), text);
    EXPECT_TRUE(LinesStarting(QStringLiteral("Вход")).isEmpty());
}

TEST_F(LinkWrite, TheClockGoesOutAsSevenBytes)
{
    Port.Now = [] { return QDateTime(QDate(2024, 12, 31), QTime(23, 59, 58)); };
    ASSERT_TRUE(Start());
    ASSERT_EQ(RunJob(JobClock, Admin), 1);
    ASSERT_EQ(Requests(0x50).size(), 1);
    EXPECT_TRUE(Requests(0x50).first().endsWith(QStringLiteral(" 50 3A 3B 17 02 1F 0C 18")));
    EXPECT_EQ(Core->Clock(), QStringLiteral("2024-12-31 23:59:58, day 2"));
    EXPECT_TRUE(Log.Lines.contains(QStringLiteral("Запись даты и времени...")));
}
