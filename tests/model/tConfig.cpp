#include "model/uConfig.h"

#include "link/uFrame.h"
#include "support/uFrames.h"
#include "support/uTestSupport.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <vector>

namespace {

TVEKT *Panel(TConfig &c, int address) { return c.Device(address)->AsVEKT(); }

bool Add(TConfig &c, int address, const char16_t *type)
{
    return c.AddDevice(address, QString::fromUtf16(type), QString(), 0, QString(), QString(),
                       QString());
}

void AddPart(TConfig &c, int number) { ASSERT_TRUE(c.PutPart(number, c.CreatePart(0, QString()))); }

void AddUser(TConfig &c, int number, unsigned part1, unsigned part2)
{
    ASSERT_TRUE(c.AddUser(number, 0, part1, part2, QStringLiteral("1"), QStringLiteral("2")));
}

// Panel 2 with loops in partitions 3 and 255, a relay on panel 2's loop 1 and partition 3,
// a keypad and indicator devices on partition 3, users pointing to 3 and 255.
struct Site : testing::Test {
    TConfig Config;
    void SetUp() override
    {
        AddPart(Config, 3);
        AddPart(Config, 5);
        ASSERT_TRUE(Add(Config, 2, u"ВЕКТ-8"));
        Panel(Config, 2)->Loop(1)->SetPart(3);
        Panel(Config, 2)->Loop(2)->SetPart(255);
        Panel(Config, 2)->Loop(3)->SetPart(5);
        TRelayDev *cm = Config.Device(1)->AsRelayDev();
        cm->Relay(1)->Mode = TRelay::ModeASPT;
        cm->Relay(1)->Device = 2;
        cm->Relay(1)->Shlf = 1;
        cm->Relay(2)->Mode = 1;
        cm->Relay(2)->Device = 3;
        cm->Relay(3)->Mode = 1;
        cm->Relay(3)->Device = 255;
        ASSERT_TRUE(Add(Config, 4, u"КП"));
        Config.Device(4)->AsKP()->Part = 3;
        ASSERT_TRUE(Add(Config, 5, u"ВМС-8"));
        Config.Device(5)->AsIndicDev()->Part = 3;
        Config.Device(5)->AsIndicDev()->Mode = 2;
        ASSERT_TRUE(Add(Config, 6, u"ИБ-8"));
        TIndicDev *ib = Config.Device(6)->AsIndicDev();
        ib->Part = 3;
        ib->Mode = TIndicDev::ModeIndividual;
        ib->Indicator(1)->Mode = TIndicator::ModeShlf;
        ib->Indicator(1)->Device = 2;
        ib->Indicator(1)->Shlf = 1;
        ib->Indicator(2)->Mode = TIndicator::ModePart;
        ib->Indicator(2)->Device = 3;
        AddUser(Config, 1, 3, 5);
        AddUser(Config, 2, 5, 3);
        AddUser(Config, 7, 255, 0);
        Config.ClearFlags();
    }
};

} // namespace

TEST(Config, NewConfigurationHoldsModuleAndAdministrator)
{
    TConfig c;
    EXPECT_EQ(c.DeviceCount(), 1);
    EXPECT_EQ(c.PartCount(), 0);
    EXPECT_EQ(c.UserCount(), 1);
    EXPECT_EQ(c.FirstFreeAddress(), 2);
    EXPECT_EQ(c.FirstFreePart(), 1);
    EXPECT_EQ(c.FirstFreeUser(), 1);
    ASSERT_NE(c.Device(1), nullptr);
    EXPECT_EQ(c.Device(1)->Type, QStringLiteral("ЦМ"));
    EXPECT_EQ(c.Device(1)->ID, QStringLiteral("000000000001"));
    EXPECT_EQ(c.Device(1)->KeyDB, QStringLiteral("1"));
    const TUser *admin = c.User(111);
    ASSERT_NE(admin, nullptr);
    EXPECT_EQ(admin->Type, TUser::TypeAdmin);
    EXPECT_EQ(admin->Part1, 255u);
    EXPECT_EQ(admin->Pswrd1, QStringLiteral("8522"));

    c.ClearAll();
    EXPECT_EQ(c.DeviceCount() + c.PartCount() + c.UserCount(), 0);
}

TEST(Config, LimitsAndRangesAreKept)
{
    TConfig c;
    for (int a = 2; a <= 110; ++a)
        ASSERT_TRUE(Add(c, a, u"БР-2"));
    EXPECT_EQ(c.FirstFreeAddress(), 0);
    for (int p = 1; p <= 127; ++p)
        AddPart(c, p);
    EXPECT_EQ(c.FirstFreePart(), 0);
    for (int u = 1; u <= 255; ++u)
        AddUser(c, u, 0, 0);
    EXPECT_EQ(c.FirstFreeUser(), 0);

    EXPECT_FALSE(Add(c, 0, u"БР-2"));
    EXPECT_FALSE(Add(c, 111, u"БР-2"));
    EXPECT_FALSE(c.PutPart(0, c.CreatePart(0, QString())));
    EXPECT_FALSE(c.PutPart(128, c.CreatePart(0, QString())));
    EXPECT_FALSE(c.AddUser(256, 0, 0, 0, {}, {}));
    EXPECT_EQ(c.Device(-1), nullptr);
    EXPECT_EQ(c.Part(128), nullptr);
    EXPECT_EQ(c.User(0), nullptr);
    c.DeleteDevice(111, true);
    c.DeletePart(0);
    c.DeleteUser(300);
    c.MoveDevice(2, 0);
    c.MoveUser(1, 256);
    EXPECT_EQ(c.DeviceCount(), 110);
    EXPECT_EQ(c.UserCount(), 255);

    // Moving onto an occupied slot would lose its object: it is refused.
    c.MoveDevice(2, 3);
    EXPECT_EQ(c.DeviceCount(), 110);
    c.DeleteDevice(3, true);
    const QString moved = c.Device(2)->ID;
    c.MoveDevice(2, 3);
    EXPECT_EQ(c.Device(2), nullptr);
    EXPECT_EQ(c.Device(3)->ID, moved);
}

TEST(Config, KeysAndIdentifiersStayUnique)
{
    TConfig c;
    ASSERT_TRUE(c.PutPart(1, c.CreatePart(0, QString())));
    EXPECT_EQ(c.Part(1)->KeyDB, QStringLiteral("2"));
    EXPECT_EQ(c.GenerateFreeKeyDB(), QStringLiteral("3"));
    EXPECT_EQ(c.FindByKeyDB(QStringLiteral("2")), 111);
    EXPECT_EQ(c.FindByKeyDB(QStringLiteral(" 1 ")), 1);
    EXPECT_EQ(c.FindByKeyDB(QStringLiteral("  ")), 0);
    EXPECT_EQ(c.KeyOrIDUsed(QStringLiteral("1"), QStringLiteral("9")), 1);
    EXPECT_EQ(c.KeyOrIDUsed(QStringLiteral("9"), QStringLiteral("2")), 2);
    EXPECT_EQ(c.KeyOrIDUsed(QString(), QString()), 0);

    ASSERT_TRUE(c.AddDevice(2, QStringLiteral("КП"), QStringLiteral("ABC"), 0, {}, {}, {}));
    EXPECT_EQ(c.FindDeviceByID(QStringLiteral("ABC")), 2);
    EXPECT_EQ(c.FindDeviceByID(QStringLiteral(" 000000000ABC ")), 2);
    EXPECT_EQ(c.FindDeviceByID(QStringLiteral("abc")), 0);
    EXPECT_EQ(c.FindDeviceByID(QString()), 0);
    EXPECT_EQ(c.GenerateFreeID(), QStringLiteral("000000000002"));

    std::set<QString> keys{c.Device(1)->KeyDB, c.Device(2)->KeyDB, c.Part(1)->KeyDB};
    std::set<QString> ids{c.Device(1)->ID, c.Device(2)->ID};
    for (int i = 0; i < 30; ++i) {
        ASSERT_TRUE(Add(c, c.FirstFreeAddress(), u"ВЕКТ-16Р"));
        const int p = c.FirstFreePart();
        AddPart(c, p);
        keys.insert(c.Part(p)->KeyDB);
    }
    for (int a = 3; a <= 32; ++a) {
        keys.insert(c.Device(a)->KeyDB);
        ids.insert(c.Device(a)->ID);
    }
    EXPECT_EQ(keys.size(), 63u);
    EXPECT_EQ(ids.size(), 32u);
    EXPECT_EQ(c.CreateDevice(QStringLiteral("XYZ"), {}, 0, {}, {}, {}), nullptr);
}

TEST_F(Site, UnbindingOnePartitionOfSeveral)
{
    Config.UnbindPartition(3);
    const TVEKT *panel = Panel(Config, 2);
    EXPECT_EQ(panel->Loop(1)->Part, 0);
    EXPECT_TRUE(panel->Loop(1)->Changed);
    EXPECT_EQ(panel->Loop(2)->Part, 255);
    EXPECT_EQ(panel->Loop(3)->Part, 5);

    // The relay on the now unbound loop 1 and the relay of partition 3 go; "any" stays.
    const TRelayDev *cm = Config.Device(1)->AsRelayDev();
    EXPECT_EQ(cm->Relay(1)->Mode, 0);
    EXPECT_EQ(cm->Relay(2)->Mode, 0);
    EXPECT_EQ(cm->Relay(3)->Device, 255);

    EXPECT_EQ(Config.Device(4)->AsKP()->Part, 0);
    EXPECT_TRUE(Config.Device(4)->Changed);
    const TIndicDev *vms = Config.Device(5)->AsIndicDev();
    EXPECT_EQ(vms->Part, 0);
    EXPECT_EQ(vms->Mode, 0);
    const TIndicDev *ib = Config.Device(6)->AsIndicDev();
    EXPECT_EQ(ib->Mode, TIndicDev::ModeIndividual);
    EXPECT_EQ(ib->Part, 0);
    EXPECT_EQ(ib->Indicator(1)->Mode, 0);
    EXPECT_EQ(ib->Indicator(2)->Mode, 0);

    EXPECT_EQ(Config.User(1)->Part1, 0u);
    EXPECT_EQ(Config.User(1)->Part2, 5u);
    EXPECT_EQ(Config.User(2)->Part2, 0u);
    EXPECT_TRUE(Config.User(2)->Changed);
    EXPECT_EQ(Config.User(7)->Part1, 255u);
    EXPECT_FALSE(Config.User(7)->Changed);
    EXPECT_EQ(Config.User(111)->Part1, 255u);

    EXPECT_TRUE(Config.Part(3)->Changed && Config.Part(3)->Deleted);
    EXPECT_EQ(Config.PartCount(), 2);
    Config.DeletePart(3);
    EXPECT_EQ(Config.Part(3), nullptr);
}

TEST_F(Site, UnbindingTheLastPartitionDropsAnyPartition)
{
    Config.DeletePart(5);
    Config.UnbindPartition(3);
    EXPECT_EQ(Panel(Config, 2)->Loop(2)->Part, 0);
    EXPECT_EQ(Config.Device(1)->AsRelayDev()->Relay(3)->Mode, 0);
    EXPECT_EQ(Config.User(7)->Part1, 0u);
    EXPECT_TRUE(Config.User(7)->Changed);
    // The administrator keeps "any partition".
    EXPECT_EQ(Config.User(111)->Part1, 255u);
    EXPECT_FALSE(Config.User(111)->Changed);

    Config.UnbindPartition(99); // no such partition: nothing happens
    Config.UnbindPartition(0);
}

TEST_F(Site, DeletingAPanelAsksAboutItsOwnPartitions)
{
    ASSERT_TRUE(Add(Config, 8, u"ВЕКТ-8"));
    AddPart(Config, 10);
    AddPart(Config, 2);
    TVEKT *panel = Panel(Config, 8);
    panel->Loop(1)->SetPart(10);
    panel->Loop(2)->SetPart(2);
    panel->Loop(3)->SetPart(10);
    panel->Loop(4)->SetPart(5); // shared with panel 2: not listed
    panel->Loop(5)->SetPart(255);
    TRelayDev *cm = Config.Device(1)->AsRelayDev();
    cm->Relay(3)->Mode = TRelay::ModeASPT;
    cm->Relay(3)->Device = 8;
    cm->Relay(3)->Shlf = 2;
    Config.ClearFlags();

    TScriptedQuestion no(false);
    Config.SetQuestion(&no);
    Config.DeleteDevice(8, false);
    ASSERT_EQ(no.Texts, QStringList{QStringLiteral(
                            "Вместе с этим устройством бедет удален(ы) раздел(ы) № 10, 2. "
                            "Удалить устройство?")});
    EXPECT_EQ(no.Captions.first(), QStringLiteral("Внимание"));
    ASSERT_NE(Config.Device(8), nullptr);
    EXPECT_EQ(panel->Loop(1)->Part, 10);
    EXPECT_FALSE(panel->Loop(1)->Changed);
    EXPECT_EQ(cm->Relay(3)->Device, 8);
    EXPECT_FALSE(Config.Part(10)->Changed || Config.Part(2)->Changed);

    TScriptedQuestion yes(true);
    Config.SetQuestion(&yes);
    Config.DeleteDevice(8, false);
    EXPECT_EQ(yes.Texts.size(), 1);
    EXPECT_EQ(Config.Device(8), nullptr);
    EXPECT_TRUE(Config.Part(10)->Deleted && Config.Part(2)->Deleted);
    EXPECT_FALSE(Config.Part(5)->Deleted);
    EXPECT_EQ(cm->Relay(3)->Mode, 0);

    // Without a question to ask, the answer is No.
    Config.SetQuestion(nullptr);
    ASSERT_TRUE(Add(Config, 9, u"ВЕКТ-8"));
    AddPart(Config, 20);
    Panel(Config, 9)->Loop(1)->SetPart(20);
    EXPECT_FALSE(Config.PrepareDelete(9));
}

TEST_F(Site, DeletingAPanelOfSharedPartitionsAsksNothing)
{
    ASSERT_TRUE(Add(Config, 8, u"ВЕКТ-8Р"));
    Panel(Config, 8)->Loop(1)->SetPart(3);
    Panel(Config, 8)->Loop(2)->SetPart(5);
    TScriptedQuestion no(false);
    Config.SetQuestion(&no);
    EXPECT_TRUE(Config.PrepareDelete(8));
    EXPECT_TRUE(no.Texts.isEmpty());
    EXPECT_FALSE(Panel(Config, 8)->HasBoundLoops());
    EXPECT_FALSE(Config.PrepareDelete(50));
    EXPECT_TRUE(Config.PrepareDelete(4)); // not a panel
}

TEST_F(Site, DroppingLoopReferences)
{
    TShleif *loop = Panel(Config, 2)->Loop(1);
    // Still in a partition: references stay.
    Config.DropLoopRefs(2, 1);
    EXPECT_EQ(Config.Device(1)->AsRelayDev()->Relay(1)->Mode, TRelay::ModeASPT);
    // Out of its partition but a fire loop: references stay.
    loop->Part = 0;
    loop->Type = 7;
    Config.DropLoopRefs(2, 1);
    EXPECT_EQ(Config.Device(1)->AsRelayDev()->Relay(1)->Mode, TRelay::ModeASPT);
    loop->Type = 2;
    Config.DropLoopRefs(2, 1);
    EXPECT_EQ(Config.Device(1)->AsRelayDev()->Relay(1)->Mode, 0);
    EXPECT_EQ(Config.Device(6)->AsIndicDev()->Indicator(1)->Mode, 0);
    EXPECT_EQ(Config.Device(6)->AsIndicDev()->Indicator(2)->Mode, TIndicator::ModePart);
    Config.DropLoopRefs(2, 99);
    Config.DropLoopRefs(4, 1);
}

TEST_F(Site, LoopQueriesAndLists)
{
    ASSERT_TRUE(Add(Config, 3, u"ВЕКТ-16Р"));
    Panel(Config, 3)->Loop(16)->SetPart(5);
    Panel(Config, 3)->Loop(16)->Type = 3;
    Panel(Config, 3)->Loop(16)->Delay = 20;
    Panel(Config, 3)->Loop(4)->SetPart(5);
    EXPECT_EQ(Config.CountLoopsOfPart(5), 3);
    EXPECT_EQ(Config.CountPanelsOfPart(5), 2);
    EXPECT_EQ(Config.CountPanelsOfPart(77), 0);

    const QList<TLoopRow> rows = Config.FillLoopsOfPart(5);
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[0], (TLoopRow{QStringLiteral(" 1"), QStringLiteral("2/3"),
                                 QStringLiteral("ОХРАННЫЙ БЕЗ ЗАДЕРЖКИ"), QString()}));
    EXPECT_EQ(rows[1].Pair, QStringLiteral("3/4"));
    EXPECT_EQ(rows[2], (TLoopRow{QStringLiteral(" 3"), QStringLiteral("3/16"),
                                 QStringLiteral("ОХРАННЫЙ С ЗАДЕРЖКОЙ"), QStringLiteral("20")}));

    QStringList list;
    EXPECT_EQ(Config.FillPartChoices(list, 255), 2);
    EXPECT_EQ(list, (QStringList{QStringLiteral("  3"), QStringLiteral("  5"),
                                 QStringLiteral("Любой"), QStringLiteral("Нет")}));
    EXPECT_EQ(Config.FillPartChoices(list, 5), 1);
    EXPECT_EQ(Config.FillPartChoices(list, 0), 3);
    EXPECT_EQ(Config.FillPartChoices(list, 44), 0);
    TConfig empty;
    EXPECT_EQ(empty.FillPartChoices(list, 255), 0);
    EXPECT_EQ(list, QStringList{QStringLiteral("Нет")});

    EXPECT_EQ(Config.FillFreeAddresses(list, 0), 0);
    EXPECT_EQ(list.first(), QStringLiteral("  7"));
    EXPECT_EQ(list.size(), 110 - 6);
    EXPECT_EQ(Config.FillFreeAddresses(list, 5), 0);
    EXPECT_EQ(list.first(), QStringLiteral("  5"));
    EXPECT_EQ(Config.FillFreeParts(list, 5), 3);
    EXPECT_EQ(list.mid(0, 5),
              (QStringList{QStringLiteral("  1"), QStringLiteral("  2"), QStringLiteral("  4"),
                           QStringLiteral("  5"), QStringLiteral("  6")}));
    EXPECT_EQ(Config.FillFreeUsers(list, 111), 107);
    EXPECT_EQ(list[107], QStringLiteral("111"));
    EXPECT_EQ(list.size(), 255 - 4 + 1);
}

TEST(Config, FullTablesGiveEmptyChoiceLists)
{
    TConfig c;
    for (int u = 1; u <= 255; ++u)
        AddUser(c, u, 0, 0);
    QStringList list{QStringLiteral("stale")};
    EXPECT_EQ(c.FillFreeUsers(list, 0), -1);
    EXPECT_TRUE(list.isEmpty());
    EXPECT_EQ(c.FillFreeUsers(list, 12), 0);
    EXPECT_EQ(list, QStringList{QStringLiteral(" 12")});
}

TEST_F(Site, FlagsAreClearedTogether)
{
    Config.WriteAll = true;
    Config.Device(2)->MarkDeleted();
    Config.Device(2)->NewNA = 9;
    Panel(Config, 2)->Loop(8)->Changed = true;
    Config.Device(1)->AsRelayDev()->Relay(2)->Changed = true;
    Config.Device(6)->AsIndicDev()->Indicator(40 - 32)->Changed = true;
    Config.Part(5)->MarkDeleted();
    Config.Part(5)->SMS(1)->Changed = true;
    Config.User(1)->MarkDeleted();
    Config.ClearFlags();
    EXPECT_FALSE(Config.WriteAll);
    EXPECT_FALSE(Config.Device(2)->Changed || Config.Device(2)->Deleted);
    EXPECT_EQ(Config.Device(2)->NewNA, 0);
    EXPECT_FALSE(Panel(Config, 2)->Loop(8)->Changed);
    EXPECT_FALSE(Config.Device(1)->AsRelayDev()->Relay(2)->Changed);
    EXPECT_FALSE(Config.Device(6)->AsIndicDev()->Indicator(8)->Changed);
    EXPECT_FALSE(Config.Part(5)->Changed || Config.Part(5)->Deleted);
    EXPECT_TRUE(Config.Part(5)->SMS(1)->Changed);
    EXPECT_FALSE(Config.User(1)->Changed || Config.User(1)->Deleted);
}

TEST(Config, ApplyRecordTakesEachCodeWithItsLogLine)
{
    TConfig c;
    c.ClearAll();
    TLogRecorder log;
    c.ApplyRecord(Reply(0x11, {4, 3}), &log);
    c.ApplyRecord(Reply(0x12, {9, 1, 0x22, 0x21, 0, 0x40, 0, 0, 0, 0, 5, 6}), &log);
    c.ApplyRecord(Reply(0x10, {2, 103, 0, 0x12, 0x21, 1, 2, 3, 4, 5, 6}), &log);
    c.ApplyRecord(Reply(0x10, {1, 1, 0, 0x12, 0x21, 9, 9, 9, 9, 9, 9}), &log);
    c.ApplyRecord(Reply(0x13, {2, 24, 4, 0x03, 2}), &log);
    c.ApplyRecord(Reply(0x13, {2, 25, 4, 0x03, 2}), &log); // no loop 25: logged, not taken
    c.ApplyRecord(Reply(0x15, {1, 1, 0x01, 3, 4}), &log);
    c.ApplyRecord(Reply(0x10, {3, 31, 0, 0, 0, 7, 7, 7, 7, 7, 7, 0x82, 4}), &log);
    c.ApplyRecord(Reply(0x14, {3, 40, 0x0A, 2}), &log);
    c.ApplyRecord(Reply(0x18, {4, 2, 0x39, 0x30, 0, 0, 0, 0, 0x40, 0x05}), &log);

    // Ignored without a log line.
    c.ApplyRecord(Reply(0x13, {1, 1, 4, 3, 2}), &log); // loop for a relay device
    c.ApplyRecord(Reply(0x13, {0, 1, 4, 3, 2}), &log); // address 0
    c.ApplyRecord(Reply(0x14, {2, 1, 1, 1}), &log);    // indicator for a panel
    c.ApplyRecord(Reply(0x15, {99, 1, 1, 1}), &log);   // empty slot
    c.ApplyRecord(Reply(0x18, {200, 1}), &log);        // partition 200
    c.ApplyRecord(Reply(0x18, {5, 1}), &log);          // missing partition
    c.ApplyRecord(Reply(0x10, {111, 1}), &log);        // address above 110
    c.ApplyRecord(Reply(0x10, {7, 101}), &log);        // code 101 names no model
    c.ApplyRecord(Reply(0x11, {128, 1}), &log);        // partition 128
    c.ApplyRecord(Reply(0x12, {0, 1}), &log);          // user 0
    c.ApplyRecord(Reply(0x16, {1, 1}), &log);
    c.ApplyRecord(Reply(0x17, {1, 1}), &log);
    c.ApplyRecord(Reply(0x0F, {1, 1}), &log);
    c.ApplyRecord(Reply(0x19, {1, 1}), &log);

    EXPECT_EQ(log.Lines, (QStringList{
                             QStringLiteral("  Раздел №4: OK"),
                             QStringLiteral("  Пользователь №9: OK"),
                             QStringLiteral("  ВЕКТ-24Р [2]: OK"),
                             QStringLiteral("  ЦМ [1]: OK"),
                             QStringLiteral("    Шлейф №24: OK"),
                             QStringLiteral("    Шлейф №25: OK"),
                             QStringLiteral("    Реле №1: OK"),
                             QStringLiteral("  ИБ-40 [3]: OK"),
                             QStringLiteral("    Индикатор №40: OK"),
                             QStringLiteral("    СМС №2: OK"),
                         }));
    EXPECT_EQ(c.DeviceCount(), 3);
    EXPECT_EQ(c.PartCount(), 1);
    EXPECT_EQ(c.UserCount(), 1);
    EXPECT_EQ(c.Part(4)->Delay, 30u);
    EXPECT_EQ(c.Device(2)->ID, QStringLiteral("060504030201"));
    EXPECT_EQ(c.Device(1)->ID, QStringLiteral("090909090909"));
    EXPECT_EQ(Panel(c, 2)->Loop(24)->Part, 4);
    EXPECT_EQ(Panel(c, 2)->Loop(24)->Delay, 20);
    EXPECT_EQ(c.Device(1)->AsRelayDev()->Relay(1)->Delay, 30);
    EXPECT_EQ(c.Device(1)->AsRelayDev()->Relay(1)->Device, 4);
    EXPECT_EQ(c.Device(3)->AsIndicDev()->Mode, 2);
    EXPECT_EQ(c.Device(3)->AsIndicDev()->Part, 4);
    EXPECT_EQ(c.Device(3)->AsIndicDev()->Indicator(40)->Shlf, 1);
    EXPECT_EQ(c.Part(4)->SMS(2)->Phone, QStringLiteral("12345"));
    EXPECT_EQ(c.Part(4)->SMS(2)->Plus, 1u);
    EXPECT_EQ(c.User(9)->Pswrd1, QStringLiteral("8482"));
    // Keys given to devices read from the module do not collide with partitions.
    EXPECT_NE(c.Device(2)->KeyDB, c.Part(4)->KeyDB);
    EXPECT_EQ(c.FindByKeyDB(c.Part(4)->KeyDB), 114);
}

// Whatever records arrive, cut short or with any byte values, nothing is read or written
// outside a table and nothing leaks (the sanitizer build checks both).
TEST(Config, ApplyRecordSurvivesArbitraryRecords)
{
    TConfig c;
    for (const char16_t *type :
         {u"ВЕКТ-24Р", u"ВЕКТ-8", u"БР-2", u"ИБ-40", u"ИБ-8", u"ВМС-16", u"КП"})
        ASSERT_TRUE(Add(c, c.FirstFreeAddress(), type));
    for (int p = 1; p <= 5; ++p)
        AddPart(c, p);
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> small(0, 12);
    std::uniform_int_distribution<int> code(15, 25);
    TLogRecorder log;
    for (int round = 0; round < 5000; ++round) {
        TVec data(static_cast<size_t>(small(rng) + (round % 3 == 0 ? 0 : 10)));
        for (auto &b : data)
            b = static_cast<std::uint8_t>(byte(rng));
        // Mostly addresses and numbers that exist, so the readers run.
        if (!data.empty() && round % 2 == 0)
            data[0] = static_cast<std::uint8_t>(1 + small(rng) % 8);
        c.ApplyRecord(Reply(static_cast<std::uint8_t>(code(rng)), data),
                      round % 5 ? &log : nullptr);
    }
    EXPECT_LE(c.DeviceCount(), 110);
    EXPECT_FALSE(log.Lines.isEmpty());
    c.ClearAll();
}
