#include "model/uConfig.h"

#include "link/uFrame.h"
#include "support/uFrames.h"
#include "support/uTestSupport.h"

#include <gtest/gtest.h>

#include <set>
#include <tuple>

using namespace Qt::StringLiterals;

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
    ASSERT_TRUE(c.AddUser(number, 0, part1, part2, u"1"_s, u"2"_s));
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

// A fresh container holds the module and the administrator. The free-number searches offer
// the lowest free number up to the last one (address 110, partition 127, user 255), the keys
// and identifiers handed out on the way stay unique, and numbers past the ends are refused.
TEST(Config, TablesFillToTheirLastNumbers)
{
    TConfig c;
    EXPECT_TRUE(c.Device(1)->IsCM() && c.User(111) && c.DeviceCount() + c.UserCount() == 2);

    // Keys are trimmed, a partition's is found at 110 + its number; identifiers are compared
    // widened to 12 digits but with their case.
    ASSERT_TRUE(c.PutPart(1, c.CreatePart(0, QString())));
    ASSERT_TRUE(c.AddDevice(2, u"КП"_s, u"ABC"_s, 0, {}, {}, {}));
    const QString partKey = c.Part(1)->KeyDB;
    EXPECT_EQ((T3{c.FindByKeyDB(partKey), c.FindByKeyDB(u" 1 "_s), c.FindByKeyDB(u"  "_s)}),
              (T3{111, 1, 0}));
    EXPECT_EQ((T3{c.KeyOrIDUsed(u"1"_s, u"99"_s), c.KeyOrIDUsed(u"99"_s, partKey),
                  c.KeyOrIDUsed(QString(), QString())}),
              (T3{1, 2, 0}));
    EXPECT_EQ((T3{c.FindDeviceByID(u" 000000000ABC "_s), c.FindDeviceByID(u"abc"_s),
                  c.FindDeviceByID(QString())}),
              (T3{2, 0, 0}));
    EXPECT_EQ(c.CreateDevice(u"XYZ"_s, {}, 0, {}, {}, {}), nullptr);

    std::set<QString> keys{c.Device(1)->KeyDB, c.Device(2)->KeyDB, partKey};
    std::set<QString> ids{c.Device(1)->ID, c.Device(2)->ID};
    for (int a = 3; a <= 110; ++a) {
        ASSERT_EQ(c.FirstFreeAddress(), a);
        ASSERT_TRUE(Add(c, a, u"БР-2"));
        keys.insert(c.Device(a)->KeyDB);
        ids.insert(c.Device(a)->ID);
    }
    for (int p = 2; p <= 127; ++p) {
        ASSERT_EQ(c.FirstFreePart(), p);
        AddPart(c, p);
        keys.insert(c.Part(p)->KeyDB);
    }
    for (int u = 1; u <= 255; ++u)
        if (u != 111) {
            ASSERT_EQ(c.FirstFreeUser(), u);
            AddUser(c, u, 0, 0);
        }
    EXPECT_EQ((T3{c.FirstFreeAddress(), c.FirstFreePart(), c.FirstFreeUser()}), (T3{0, 0, 0}));
    EXPECT_EQ((T2{static_cast<int>(keys.size()), static_cast<int>(ids.size())}), (T2{237, 110}));
    // With every number taken nothing is listed; once free, the last number is listed too.
    QStringList list;
    EXPECT_TRUE(c.FillFreeUsers(list, 0) == -1 && list.isEmpty());
    c.DeleteUser(255);
    EXPECT_EQ(c.FillFreeUsers(list, 12), 0);
    EXPECT_EQ(list, (QStringList{u" 12"_s, u"255"_s}));

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
    EXPECT_EQ((T3{c.DeviceCount(), c.PartCount(), c.UserCount()}), (T3{110, 127, 254}));
    c.DeleteDevice(3, true);
    const QString moved = c.Device(2)->ID;
    c.MoveDevice(2, 3);
    EXPECT_TRUE(!c.Device(2) && c.Device(3)->ID == moved);
    c.ClearAll();
    EXPECT_EQ(c.DeviceCount() + c.PartCount() + c.UserCount(), 0);
}

// Unbinding a partition takes it out of whatever names it, and marks what changed; the marks are
// then cleared.
TEST_F(Site, UnbindingPartitionsOneByOne)
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
    EXPECT_TRUE(vms->Changed && ib->Changed);
    EXPECT_EQ((T2{ib->Indicator(1)->Mode, ib->Indicator(2)->Mode}), (T2{0, 0}));
    // Users lose the partition where they named it, and with the first the second, which the
    // module does not keep without a first; "any" stays.
    const auto users = [this] {
        return std::vector<unsigned>{Config.User(1)->Part1, Config.User(1)->Part2,
                                     Config.User(2)->Part2, Config.User(7)->Part1,
                                     Config.User(111)->Part1};
    };
    EXPECT_EQ(users(), (std::vector<unsigned>{0, 0, 0, 255, 255}));
    EXPECT_TRUE(Config.User(2)->Changed);
    EXPECT_FALSE(Config.User(7)->Changed);

    EXPECT_TRUE(Config.Part(3)->Changed && Config.Part(3)->Deleted);
    EXPECT_EQ(Config.PartCount(), 2);
    Config.DeletePart(3);
    EXPECT_EQ(Config.Part(3), nullptr);

    // With the last partition gone, "any partition" names nothing either; the administrator
    // keeps it.
    Config.UnbindPartition(5);
    EXPECT_EQ(Panel(Config, 2)->Loop(2)->Part, 0);
    EXPECT_EQ(cm->Relay(3)->Mode, 0);
    EXPECT_EQ(users()[3], 0u);
    EXPECT_TRUE(Config.User(7)->Changed);
    EXPECT_EQ(Config.User(111)->Part1, 255u);
    EXPECT_FALSE(Config.User(111)->Changed);
    Config.UnbindPartition(99); // no such partition: nothing happens

    // The marks are cleared together, but for the SMS records', which a write takes one by one.
    TDevice &d = *Config.Device(2);
    Config.WriteAll = true;
    d.MarkDeleted();
    d.NewNA = 9;
    Config.Device(1)->AsRelayDev()->Relay(2)->Changed = true;
    Config.Device(6)->AsIndicDev()->Indicator(8)->Changed = true;
    Config.Part(5)->SMS(1)->Changed = true;
    Config.User(1)->MarkDeleted();
    Config.ClearFlags();
    EXPECT_FALSE(Config.WriteAll || d.Changed || d.Deleted || d.NewNA || panel->Loop(1)->Changed ||
                 cm->Relay(2)->Changed || ib->Indicator(8)->Changed || Config.Part(5)->Changed ||
                 Config.Part(5)->Deleted || Config.User(1)->Changed || Config.User(1)->Deleted);
    EXPECT_TRUE(Config.Part(5)->SMS(1)->Changed);
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

    // Without a question to ask, the answer is No. A panel whose partitions all have loops
    // elsewhere needs no answer: its loops are unbound and it may go.
    Config.SetQuestion(nullptr);
    ASSERT_TRUE(Add(Config, 9, u"ВЕКТ-8"));
    AddPart(Config, 20);
    TVEKT *last = Panel(Config, 9);
    last->Loop(1)->SetPart(20);
    EXPECT_EQ(last->Loop(1)->Type, 2); // bound, it is no longer excluded
    EXPECT_FALSE(Config.PrepareDelete(9));
    last->Loop(1)->SetPart(3);
    last->Loop(2)->SetPart(5);
    EXPECT_TRUE(Config.PrepareDelete(9));
    EXPECT_FALSE(last->HasBoundLoops());
    EXPECT_TRUE(!Config.PrepareDelete(50) && Config.PrepareDelete(4)); // no device; no panel
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

// Renumbering carries the references of its own kind only: a partition number and a panel
// address may be the same number.
TEST_F(Site, RenumberingCarriesReferences)
{
    AddPart(Config, 2);
    TRelayDev &cm = *Config.Device(1)->AsRelayDev();
    Point(*cm.Relay(3), 1, 5);
    TIndicDev &ib = *Config.Device(6)->AsIndicDev();
    *ib.Indicator(3) = TIndicator{.Mode = TIndicator::ModePart, .Device = 2};
    Config.ClearFlags();

    // Occupied, missing, out of range, the same number: refused, nothing changes.
    for (const auto &[from, to] : {T2{3, 5}, T2{4, 9}, T2{3, 0}, T2{3, 128}, T2{3, 3}})
        EXPECT_FALSE(Config.RenumberPart(from, to));
    for (const auto &[from, to] : {T2{2, 4}, T2{50, 8}, T2{2, 111}, T2{2, 2}})
        EXPECT_FALSE(Config.RenumberDevice(from, to));
    EXPECT_TRUE(Config.Part(3) && Config.Device(2) && !Config.Part(9) && !Config.Device(8));
    EXPECT_FALSE(Panel(Config, 2)->Loop(1)->Changed || cm.Relay(2)->Changed);

    ASSERT_TRUE(Config.RenumberPart(3, 9));
    ASSERT_TRUE(Config.RenumberPart(2, 20));
    ASSERT_TRUE(Config.RenumberDevice(2, 8));
    ASSERT_TRUE(Config.RenumberDevice(5, 30));
    EXPECT_TRUE(!Config.Part(2) && !Config.Part(3) && Config.Part(9) && Config.Part(20));
    EXPECT_TRUE(!Config.Device(2) && !Config.Device(5) && Config.Device(30));

    const TVEKT &panel = *Panel(Config, 8);
    EXPECT_EQ((T3{panel.Loop(1)->Part, panel.Loop(2)->Part, panel.Loop(3)->Part}), (T3{9, 255, 5}));
    EXPECT_EQ((T3{panel.Loop(1)->Changed, panel.Loop(2)->Changed, panel.Loop(3)->Changed}),
              (T3{true, false, false}));
    // "АСПТ" relay and loop-state indicator on 2/1; partitions 3, 5 and 2.
    EXPECT_EQ((T3{cm.Relay(1)->Device, cm.Relay(2)->Device, cm.Relay(3)->Device}), (T3{8, 9, 5}));
    EXPECT_EQ((T3{cm.Relay(1)->Changed, cm.Relay(2)->Changed, cm.Relay(3)->Changed}),
              (T3{true, true, false}));
    EXPECT_EQ((T3{ib.Indicator(1)->Device, ib.Indicator(2)->Device, ib.Indicator(3)->Device}),
              (T3{8, 9, 20}));
    const TIndicDev &vms = *Config.Device(30)->AsIndicDev();
    EXPECT_EQ((T2{Config.Device(4)->AsKP()->Part, vms.Part}), (T2{9, 9}));
    EXPECT_TRUE(Config.Device(4)->Changed && vms.Changed);
    EXPECT_EQ((std::tuple{Config.User(1)->Part1, Config.User(1)->Part2, Config.User(2)->Part2,
                          Config.User(7)->Part1}),
              (std::tuple{9u, 5u, 9u, 255u}));
    EXPECT_EQ((T3{Config.User(1)->Changed, Config.User(2)->Changed, Config.User(7)->Changed}),
              (T3{true, true, false}));
}

// Records with nowhere to go are passed over without a log line. A record behind the address
// bytes of a reply whose first byte is 0x21 is read like any other.
TEST(Config, ApplyRecordPassesOverRecordsWithoutAPlace)
{
    const std::pair<std::uint8_t, TVec> ignored[] = {
        {0x13, {1, 1, 4, 3, 2}}, // loop for a relay device
        {0x13, {0, 1, 4, 3, 2}}, // address 0
        {0x14, {2, 1, 1, 1}},    // indicator for a panel
        {0x15, {99, 1, 1, 1}},   // empty slot
        {0x18, {200, 1}},        // partition 200
        {0x18, {5, 1}},          // missing partition
        {0x10, {111, 1}},        // address above 110
        {0x10, {8, 101}},        // code 101 names no model
        {0x11, {128, 1}},        // partition 128
        {0x12, {0, 1}},          // user 0
        {0x0F, {1, 1}},          // no such record
        {0x16, {1, 1}},          // no such record
        {0x17, {1, 1}},          // no such record
        {0x19, {1, 1}},          // no such record
    };
    TConfig c;
    TLogRecorder log;
    c.ApplyRecord(Reply(0x10, {2, 105, 0, 0x12, 0x21, 1, 2, 3, 4, 5, 6}, true), &log);
    for (const auto &[code, data] : ignored)
        c.ApplyRecord(Reply(code, data), &log);
    EXPECT_EQ(log.Lines, QStringList{u"  ВЕКТ-8 [2]: OK"_s});
    EXPECT_EQ(c.Device(2)->ID, u"060504030201"_s);
    EXPECT_EQ((T3{c.DeviceCount(), c.PartCount(), c.UserCount()}), (T3{2, 0, 1}));
}
