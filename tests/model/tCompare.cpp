// The differences between two configurations: one change at a time on a copy of the every-kind
// configuration, and changes the module does not keep. A module written to: tSoak.cpp.

#include "model/uCompare.h"
#include "model/uConfig.h"
#include "support/uSampleConfigs.h"
#include "support/uTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

using TChange = std::function<void(TConfig &)>;

struct TCase {
    const char *Name;
    TChange Change;
    QStringList Lines;
};

// The lines comparing the every-kind configuration with a copy changed by change.
QStringList AfterChange(const TChange &change, bool reversed = false)
{
    TConfig before;
    TConfig after;
    FillEveryKind(before);
    FillEveryKind(after);
    change(after);
    return reversed ? CompareConfigs(after, before) : CompareConfigs(before, after);
}

TRelay &CMRelay(TConfig &c, int n) { return *c.Device(1)->AsRelayDev()->Relay(n); }
TShleif &Loop(TConfig &c, int address, int n) { return *c.Device(address)->AsVEKT()->Loop(n); }
TIndicDev &Unit(TConfig &c, int address) { return *c.Device(address)->AsIndicDev(); }
TSMS &SMS(TConfig &c, int p, int k) { return *c.Part(p)->SMS(k); }

} // namespace

TEST(Compare, EachDifferenceIsOneLineWithBothValues)
{
    const TCase cases[] = {
        {"device added",
         [](TConfig &c) { c.AddDevice(13, u"ВЕКТ-8Р"_s, {}, 0, {}, {}, {}); },
         {u"Устройство [13] ВЕКТ-8Р: нет → есть"_s}},
        {"device of another model",
         [](TConfig &c) {
             c.DeleteDevice(4, true);
             c.AddDevice(4, u"ВЕКТ-16Р"_s, {}, 0, {}, {}, {});
         },
         {u"Устройство [4]: модель ВЕКТ-8Р → ВЕКТ-16Р"_s}},
        {"loop rebound",
         [](TConfig &c) { Loop(c, 6, 1).Part = 3; },
         {u"Устройство [6] ВЕКТ-24Р, шлейф 1: раздел 2 → 3"_s}},
        // An unbound loop is not sent, so every field of it counts as cleared.
        {"loop unbound",
         [](TConfig &c) { Loop(c, 6, 3).Part = 0; },
         {u"Устройство [6] ВЕКТ-24Р, шлейф 3: раздел 1 → Нет"_s,
          u"Устройство [6] ВЕКТ-24Р, шлейф 3: тип ОХРАННЫЙ С ЗАДЕРЖКОЙ → ИСКЛЮЧЁН"_s,
          u"Устройство [6] ВЕКТ-24Р, шлейф 3: флаги контрольный сброс, двойное срабатывание → нет"_s,
          u"Устройство [6] ВЕКТ-24Р, шлейф 3: задержка 40 с → —"_s}},
        {"relay mode",
         [](TConfig &c) { CMRelay(c, 3).Mode = 9; },
         {u"Устройство [1] ЦМ, реле 3: режим ПЦН1 → ПЦН2"_s}},
        {"relay from a loop to a partition",
         [](TConfig &c) {
             CMRelay(c, 1).Mode = 1;
             CMRelay(c, 1).Device = 2;
         },
         {u"Устройство [1] ЦМ, реле 1: режим АСПТ → Раздел - сирена"_s,
          u"Устройство [1] ЦМ, реле 1: раздел — → 2"_s,
          u"Устройство [1] ЦМ, реле 1: шлейф 6/2 → —"_s,
          u"Устройство [1] ЦМ, реле 1: сработка по двум шлейфам да → —"_s}},
        {"indicator's loop",
         [](TConfig &c) { Unit(c, 9).Indicator(8)->Shlf = 23; },
         {u"Устройство [9] ВМС-8, индикатор 8: шлейф 6/24 → 6/23"_s}},
        {"keypad sound",
         [](TConfig &c) { c.Device(7)->AsKP()->SetSound(true, true); },
         {u"Устройство [7] КП: звук при взятии/снятии нет → да"_s}},
        {"partition delay",
         [](TConfig &c) { c.Part(3)->Delay = 50; },
         {u"Раздел №3: задержка на выход 30 с → 50 с"_s}},
        {"SMS number",
         [](TConfig &c) { SMS(c, 1, 2).Phone = u"84957654321"_s; },
         {u"Раздел №1, СМС 2: номер 84951234567 → 84957654321"_s}},
        {"main partition: any",
         [](TConfig &c) { c.User(1)->Part1 = 255; },
         {u"Пользователь №1: основной раздел 1 → Любой"_s,
          u"Пользователь №1: дополнительный раздел 2 → Нет"_s}},
        {"devices, then partitions, then users",
         [](TConfig &c) {
             c.DeleteUser(2);
             c.PutPart(4, c.CreatePart(0, {}));
             c.Device(110)->AsKP()->Part = 1;
         },
         {u"Устройство [110] КП: раздел 3 → 1"_s, u"Раздел №4: нет → есть"_s,
          u"Пользователь №2: есть → нет"_s}},
    };
    for (const TCase &c : cases) {
        EXPECT_EQ(AfterChange(c.Change), c.Lines) << c.Name;
        EXPECT_EQ(AfterChange(c.Change, true).size(), c.Lines.size()) << c.Name;
    }
}

TEST(Compare, WhatTheModuleDoesNotKeepGivesNothing)
{
    for (const auto &[name, change] : UnkeptChanges())
        EXPECT_EQ(AfterChange(change), QStringList()) << name;
}
