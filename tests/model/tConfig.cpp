#include "model/uConfig.h"

#include "link/uFrame.h"
#include "support/uFrames.h"
#include "support/uTestSupport.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <tuple>

namespace {

using T2 = std::pair<int, int>;
using T3 = std::tuple<int, int, int>;
using T4 = std::tuple<int, int, int, int>;

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

void Point(TRelay &r, std::uint8_t mode, std::uint8_t device, std::uint8_t shlf = 0)
{
    r.Mode = mode;
    r.Device = device;
    r.Shlf = shlf;
}

// Panel 2 with loops in partitions 3, 255 and 5; the module's relays on panel 2's loop 1, on
// partition 3 and on any partition; a keypad and indicator devices on partition 3, the
// individual one with indicators on loop 2/1 and partition 3; users pointing to 3, 5 and 255.
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
        Point(*cm->Relay(1), TRelay::ModeASPT, 2, 1);
        Point(*cm->Relay(2), 1, 3);
        Point(*cm->Relay(3), 1, 255);
        ASSERT_TRUE(Add(Config, 4, u"КП"));
        Config.Device(4)->AsKP()->Part = 3;
        ASSERT_TRUE(Add(Config, 5, u"ВМС-8"));
        Config.Device(5)->AsIndicDev()->Part = 3;
        Config.Device(5)->AsIndicDev()->Mode = 2;
        ASSERT_TRUE(Add(Config, 6, u"ИБ-8"));
        TIndicDev *ib = Config.Device(6)->AsIndicDev();
        ib->Part = 3;
        ib->Mode = TIndicDev::ModeIndividual;
        *ib->Indicator(1) = TIndicator{.Mode = TIndicator::ModeShlf, .Device = 2, .Shlf = 1};
        *ib->Indicator(2) = TIndicator{.Mode = TIndicator::ModePart, .Device = 3};
        AddUser(Config, 1, 3, 5);
        AddUser(Config, 2, 5, 3);
        AddUser(Config, 7, 255, 0);
        Config.ClearFlags();
    }
};

} // namespace

TEST(Config, FreshAndFullTables)
{
    TConfig c;
    EXPECT_EQ((T3{c.DeviceCount(), c.PartCount(), c.UserCount()}), (T3{1, 0, 1}));
    EXPECT_EQ(c.Device(1)->Type + u' ' + c.Device(1)->ID, QStringLiteral("ЦМ 000000000001"));
    const TUser &admin = *c.User(111);
    EXPECT_EQ((std::tuple{admin.Type, admin.Part1, admin.Pswrd1}),
              (std::tuple{TUser::TypeAdmin, 255u, QStringLiteral("8522")}));
    for (int a = 2; a <= 110; ++a)
        ASSERT_TRUE(Add(c, a, u"БР-2"));
    for (int p = 1; p <= 127; ++p)
        AddPart(c, p);
    for (int u = 1; u <= 255; ++u)
        AddUser(c, u, 0, 0);
    EXPECT_EQ((T3{c.FirstFreeAddress(), c.FirstFreePart(), c.FirstFreeUser()}), (T3{0, 0, 0}));

    // Numbers out of range are ignored; moving onto an occupied slot is refused.
    EXPECT_FALSE(Add(c, 0, u"БР-2") || Add(c, 111, u"БР-2"));
    EXPECT_FALSE(c.PutPart(0, c.CreatePart(0, {})) || c.PutPart(128, c.CreatePart(0, {})));
    EXPECT_FALSE(c.AddUser(256, 0, 0, 0, {}, {}));
    EXPECT_TRUE(!c.Device(-1) && !c.Part(128) && !c.User(0));
    c.DeleteDevice(111, true);
    c.DeletePart(0);
    c.DeleteUser(300);
    c.MoveDevice(2, 0);
    c.MoveUser(1, 256);
    c.MoveDevice(2, 3);
    EXPECT_EQ((T3{c.DeviceCount(), c.PartCount(), c.UserCount()}), (T3{110, 127, 255}));
    c.DeleteDevice(3, true);
    const QString moved = c.Device(2)->ID;
    c.MoveDevice(2, 3);
    EXPECT_TRUE(!c.Device(2) && c.Device(3)->ID == moved);
    c.ClearAll();
    EXPECT_EQ(c.DeviceCount() + c.PartCount() + c.UserCount(), 0);
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
        const int a = c.FirstFreeAddress();
        const int p = c.FirstFreePart();
        ASSERT_TRUE(Add(c, a, u"ВЕКТ-16Р"));
        AddPart(c, p);
        keys.insert({c.Part(p)->KeyDB, c.Device(a)->KeyDB});
        ids.insert(c.Device(a)->ID);
    }
    EXPECT_EQ(keys.size(), 63u);
    EXPECT_EQ(ids.size(), 32u);
    EXPECT_EQ((T3{c.FirstFreeAddress(), c.FirstFreePart(), c.FirstFreeUser()}), (T3{33, 32, 1}));
    EXPECT_EQ(c.CreateDevice(QStringLiteral("XYZ"), {}, 0, {}, {}, {}), nullptr);
}

TEST_F(Site, UnbindingOnePartitionOfSeveral)
{
    Config.UnbindPartition(3);
    const TVEKT *panel = Panel(Config, 2);
    EXPECT_EQ((T3{panel->Loop(1)->Part, panel->Loop(2)->Part, panel->Loop(3)->Part}),
              (T3{0, 255, 5}));
    EXPECT_TRUE(panel->Loop(1)->Changed);
    // The relay on the now unbound loop 1 and the relay of partition 3 go; "any" stays.
    const TRelayDev *cm = Config.Device(1)->AsRelayDev();
    EXPECT_EQ((T3{cm->Relay(1)->Mode, cm->Relay(2)->Mode, cm->Relay(3)->Device}), (T3{0, 0, 255}));
    EXPECT_EQ(Config.Device(4)->AsKP()->Part, 0);
    EXPECT_TRUE(Config.Device(4)->Changed);
    // An indicator device that showed the partition falls back to mode 0; the individual one
    // keeps its mode and loses the indicators of the partition and of its loop.
    const TIndicDev *vms = Config.Device(5)->AsIndicDev();
    const TIndicDev *ib = Config.Device(6)->AsIndicDev();
    EXPECT_EQ((T4{vms->Part, vms->Mode, ib->Part, ib->Mode}),
              (T4{0, 0, 0, TIndicDev::ModeIndividual}));
    EXPECT_EQ((T2{ib->Indicator(1)->Mode, ib->Indicator(2)->Mode}), (T2{0, 0}));
    // Users lose the partition where they named it; "any" stays.
    const auto users = [this] {
        return std::vector<unsigned>{Config.User(1)->Part1, Config.User(1)->Part2,
                                     Config.User(2)->Part2, Config.User(7)->Part1,
                                     Config.User(111)->Part1};
    };
    EXPECT_EQ(users(), (std::vector<unsigned>{0, 5, 0, 255, 255}));
    EXPECT_TRUE(Config.User(2)->Changed);
    EXPECT_FALSE(Config.User(7)->Changed);

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
    const std::pair<int, std::uint8_t> loops[] = {{1, 2}, {2, 10}, {3, 10}, {4, 5}, {5, 255}};
    for (const auto &[loop, part] : loops) // partition 5 is shared with panel 2
        panel->Loop(loop)->SetPart(part);
    // References to loop 4, which stays in shared partition 5, go only with the device.
    TRelayDev *cm = Config.Device(1)->AsRelayDev();
    Point(*cm->Relay(3), TRelay::ModeASPT, 8, 4);
    TIndicator &indicator = *Config.Device(6)->AsIndicDev()->Indicator(3);
    indicator = TIndicator{.Mode = TIndicator::ModeShlf, .Device = 8, .Shlf = 4};
    Config.ClearFlags();

    TScriptedQuestion no(false);
    Config.SetQuestion(&no);
    Config.DeleteDevice(8, false);
    ASSERT_EQ(no.Texts, QStringList{QStringLiteral(
                            "Вместе с этим устройством бедет удален(ы) раздел(ы) № 10, 2. "
                            "Удалить устройство?")});
    EXPECT_EQ(no.Captions.first(), QStringLiteral("Внимание"));
    ASSERT_NE(Config.Device(8), nullptr);
    EXPECT_EQ(panel->Loop(2)->Part, 10);
    EXPECT_FALSE(panel->Loop(2)->Changed);
    EXPECT_EQ((T2{cm->Relay(3)->Device, indicator.Device}), (T2{8, 8}));
    EXPECT_FALSE(Config.Part(10)->Changed || Config.Part(2)->Changed);

    TScriptedQuestion yes(true);
    Config.SetQuestion(&yes);
    Config.DeleteDevice(8, false);
    EXPECT_EQ(yes.Texts.size(), 1);
    EXPECT_EQ(Config.Device(8), nullptr);
    EXPECT_TRUE(Config.Part(10)->Deleted && Config.Part(2)->Deleted);
    EXPECT_FALSE(Config.Part(5)->Deleted);
    EXPECT_EQ((T2{cm->Relay(3)->Mode, indicator.Mode}), (T2{0, 0}));
    // Partition 2 went; the relay and the indicator on panel 2's loop 1 stay.
    EXPECT_EQ((T2{cm->Relay(1)->Mode, Config.Device(6)->AsIndicDev()->Indicator(1)->Mode}),
              (T2{TRelay::ModeASPT, TIndicator::ModeShlf}));

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
    const TRelay &aspt = *Config.Device(1)->AsRelayDev()->Relay(1);
    // Still in a partition, or out of it but a fire loop: references stay.
    Config.DropLoopRefs(2, 1);
    EXPECT_EQ(aspt.Mode, TRelay::ModeASPT);
    loop->Part = 0;
    loop->Type = 7;
    Config.DropLoopRefs(2, 1);
    EXPECT_EQ(aspt.Mode, TRelay::ModeASPT);
    loop->Type = 2;
    Config.DropLoopRefs(2, 1);
    EXPECT_EQ(aspt.Mode, 0);
    EXPECT_EQ(Config.Device(6)->AsIndicDev()->Indicator(1)->Mode, 0);
    EXPECT_EQ(Config.Device(6)->AsIndicDev()->Indicator(2)->Mode, TIndicator::ModePart);
    Config.DropLoopRefs(2, 99);
    Config.DropLoopRefs(4, 1);
}

TEST_F(Site, LoopQueriesAndLists)
{
    ASSERT_TRUE(Add(Config, 3, u"ВЕКТ-16Р"));
    TShleif *last = Panel(Config, 3)->Loop(16);
    last->SetPart(5);
    last->Type = 3;
    last->Delay = 20;
    Panel(Config, 3)->Loop(4)->SetPart(5);
    EXPECT_EQ(Config.CountLoopsOfPart(5), 3);
    EXPECT_EQ(Config.CountPanelsOfPart(5), 2);
    EXPECT_EQ(Config.CountPanelsOfPart(77), 0);
    QStringList rows;
    for (const TLoopRow &r : Config.FillLoopsOfPart(5))
        rows << QStringList{r.Caption, r.Pair, r.TypeName, r.Delay}.join(u'|');
    EXPECT_EQ(rows.join(u'\n'), QStringLiteral(" 1|2/3|ОХРАННЫЙ БЕЗ ЗАДЕРЖКИ|\n"
                                               " 2|3/4|ОХРАННЫЙ БЕЗ ЗАДЕРЖКИ|\n"
                                               " 3|3/16|ОХРАННЫЙ С ЗАДЕРЖКОЙ|20"));

    // Each list with the index of the current value in it (-1 when the list is empty).
    QStringList list;
    const auto text = [&list](int first, int count) { return list.mid(first, count).join(u'|'); };
    EXPECT_EQ(Config.FillPartChoices(list, 255), 2);
    EXPECT_EQ(text(0, -1), QStringLiteral("  3|  5|Любой|Нет"));
    EXPECT_EQ((T3{Config.FillPartChoices(list, 5), Config.FillPartChoices(list, 0),
                  Config.FillPartChoices(list, 44)}),
              (T3{1, 3, 0}));
    EXPECT_EQ(TConfig().FillPartChoices(list, 255), 0);
    EXPECT_EQ(text(0, -1), QStringLiteral("Нет"));
    EXPECT_EQ(Config.FillFreeAddresses(list, 0), 0);
    EXPECT_EQ(text(0, 2) + u' ' + QString::number(list.size()), QStringLiteral("  7|  8 104"));
    EXPECT_EQ(Config.FillFreeAddresses(list, 5), 0);
    EXPECT_EQ(text(0, 2), QStringLiteral("  5|  7"));
    EXPECT_EQ(Config.FillFreeParts(list, 5), 3);
    EXPECT_EQ(text(0, 5), QStringLiteral("  1|  2|  4|  5|  6"));
    EXPECT_EQ(Config.FillFreeUsers(list, 111), 107);
    EXPECT_EQ(text(106, 3) + u' ' + QString::number(list.size()),
              QStringLiteral("110|111|112 252"));

    TConfig full;
    for (int u = 1; u <= 255; ++u)
        AddUser(full, u, 0, 0);
    EXPECT_EQ(full.FillFreeUsers(list, 0), -1);
    EXPECT_TRUE(list.isEmpty());
    EXPECT_EQ(full.FillFreeUsers(list, 12), 0);
    EXPECT_EQ(text(0, -1), QStringLiteral(" 12"));
}

TEST_F(Site, FlagsAreClearedTogether)
{
    TDevice &d = *Config.Device(2);
    Config.WriteAll = true;
    d.MarkDeleted();
    d.NewNA = 9;
    Panel(Config, 2)->Loop(8)->Changed = true;
    Config.Device(1)->AsRelayDev()->Relay(2)->Changed = true;
    Config.Device(6)->AsIndicDev()->Indicator(8)->Changed = true;
    Config.Part(5)->MarkDeleted();
    Config.Part(5)->SMS(1)->Changed = true;
    Config.User(1)->MarkDeleted();
    Config.ClearFlags();
    EXPECT_FALSE(Config.WriteAll || d.Changed || d.Deleted || d.NewNA);
    EXPECT_FALSE(Panel(Config, 2)->Loop(8)->Changed ||
                 Config.Device(1)->AsRelayDev()->Relay(2)->Changed ||
                 Config.Device(6)->AsIndicDev()->Indicator(8)->Changed);
    EXPECT_FALSE(Config.Part(5)->Changed || Config.Part(5)->Deleted || Config.User(1)->Changed ||
                 Config.User(1)->Deleted);
    EXPECT_TRUE(Config.Part(5)->SMS(1)->Changed);
}

// Every code, as sent and behind the address bytes of a reply whose first byte is 0x21.
TEST(Config, ApplyRecordTakesEachCodeWithItsLogLine)
{
    const std::tuple<std::uint8_t, TVec, const char *> records[] = {
        {0x11, {4, 3}, "  Раздел №4: OK"},
        {0x12, {9, 1, 0x22, 0x21, 0, 0x40, 0, 0, 0, 0, 5, 6}, "  Пользователь №9: OK"},
        {0x10, {2, 103, 0, 0x12, 0x21, 1, 2, 3, 4, 5, 6}, "  ВЕКТ-24Р [2]: OK"},
        {0x10, {1, 1, 0, 0x12, 0x21, 9, 9, 9, 9, 9, 9}, "  ЦМ [1]: OK"},
        {0x13, {2, 24, 4, 0x03, 2}, "    Шлейф №24: OK"},
        {0x13, {2, 25, 4, 0x03, 2}, "    Шлейф №25: OK"}, // no loop 25: logged only
        {0x15, {1, 1, 0x01, 3, 4}, "    Реле №1: OK"},
        {0x10, {3, 31, 0, 0, 0, 7, 7, 7, 7, 7, 7, 0x82, 4}, "  ИБ-40 [3]: OK"},
        {0x14, {3, 40, 0x0A, 2}, "    Индикатор №40: OK"},
        {0x18, {4, 2, 0x39, 0x30, 0, 0, 0, 0, 0x40, 0x05}, "    СМС №2: OK"},
        {0x10, {7, 10, 0, 0, 0, 8, 8, 8, 8, 8, 8, 0x04, 0x02}, "  КП [7]: OK"},
        // Ignored without a log line.
        {0x13, {1, 1, 4, 3, 2}, nullptr}, // loop for a relay device
        {0x13, {0, 1, 4, 3, 2}, nullptr}, // address 0
        {0x14, {2, 1, 1, 1}, nullptr},    // indicator for a panel
        {0x15, {99, 1, 1, 1}, nullptr},   // empty slot
        {0x18, {200, 1}, nullptr},        // partition 200
        {0x18, {5, 1}, nullptr},          // missing partition
        {0x10, {111, 1}, nullptr},        // address above 110
        {0x10, {8, 101}, nullptr},        // code 101 names no model
        {0x11, {128, 1}, nullptr},        // partition 128
        {0x12, {0, 1}, nullptr},          // user 0
        {0x0F, {1, 1}, nullptr},
        {0x16, {1, 1}, nullptr},
        {0x17, {1, 1}, nullptr},
        {0x19, {1, 1}, nullptr},
    };
    for (const bool addressed : {false, true}) {
        TConfig c;
        c.ClearAll();
        TLogRecorder log;
        QStringList expected;
        for (const auto &[code, data, line] : records) {
            c.ApplyRecord(Reply(code, data, addressed), &log);
            if (line)
                expected << QString::fromUtf8(line);
        }
        EXPECT_EQ(log.Lines, expected);
        EXPECT_EQ((T3{c.DeviceCount(), c.PartCount(), c.UserCount()}), (T3{4, 1, 1}));
        EXPECT_EQ(c.Device(2)->ID + u' ' + c.Device(1)->ID,
                  QStringLiteral("060504030201 090909090909"));
        EXPECT_EQ((T2{Panel(c, 2)->Loop(24)->Part, Panel(c, 2)->Loop(24)->Delay}), (T2{4, 20}));
        const TRelay &relay = *c.Device(1)->AsRelayDev()->Relay(1);
        EXPECT_EQ((T3{relay.Mode, relay.Delay, relay.Device}), (T3{1, 30, 4}));
        const TIndicDev &ib = *c.Device(3)->AsIndicDev();
        EXPECT_EQ((T3{ib.Mode, ib.Part, ib.Indicator(40)->Shlf}), (T3{2, 4, 1}));
        EXPECT_EQ((T2{c.Device(7)->AsKP()->Part, c.Device(7)->AsKP()->Sound}), (T2{4, 2}));
        EXPECT_EQ(c.Part(4)->SMS(2)->Phone + u' ' + c.User(9)->Pswrd1,
                  QStringLiteral("12345 8482"));
        // Keys given to devices read from the module do not collide with partitions.
        EXPECT_NE(c.Device(2)->KeyDB, c.Part(4)->KeyDB);
        EXPECT_EQ(c.FindByKeyDB(c.Part(4)->KeyDB), 114);
    }
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
        c.ApplyRecord(Reply(static_cast<std::uint8_t>(code(rng)), data, round % 7 == 0),
                      round % 5 ? &log : nullptr);
    }
    EXPECT_LE(c.DeviceCount(), 110);
    EXPECT_FALSE(log.Lines.isEmpty());
    c.ClearAll();
}
