// The check of a whole configuration: problems planted one at a time on the demo site, each
// found once with its kind on its object; the demo site and the every-kind site have no error
// of their own.

#include "model/uCheck.h"
#include "model/uConfig.h"
#include "sim/uDemoSite.h"
#include "support/uSampleConfigs.h"

#include <gtest/gtest.h>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

using TPlant = std::function<void(TConfig &)>;

struct TCase {
    TPlant Plant;
    TSeverity Severity;
    const char16_t *Object;
};

// The problems on the demo site with one problem planted, less those it had already.
QList<TProblem> Planted(const TPlant &plant)
{
    TConfig demo;
    FillDemoSite(demo);
    const QStringList before = ProblemLines(CheckConfig(demo));
    plant(demo);
    QList<TProblem> found;
    for (const TProblem &p : CheckConfig(demo))
        if (!before.contains(ProblemLines({p}).first()))
            found << p;
    return found;
}

TRelay &CMRelay(TConfig &c, int n) { return *c.Device(1)->AsRelayDev()->Relay(n); }
TShleif &Loop(TConfig &c, int address, int n) { return *c.Device(address)->AsVEKT()->Loop(n); }
TIndicDev &Unit(TConfig &c) { return *c.Device(6)->AsIndicDev(); }
TIndicator &Indicator(TConfig &c, int n) { return *Unit(c).Indicator(n); }

constexpr TSeverity E = TSeverity::Error;
constexpr TSeverity W = TSeverity::Warning;

} // namespace

TEST(Check, FindsEachPlantedProblemOnItsObject)
{
    const TCase cases[] = {
        {[](TConfig &c) { c.DeleteDevice(1, true); }, E, u"Устройство [1]"},
        {[](TConfig &c) { c.AddDevice(50, u"ЦМ"_s, {}, 0, {}, {}, {}); }, E, u"Устройство [50] ЦМ"},
        {[](TConfig &c) { c.Device(2)->ID = u"0020FF78C6XY"_s; }, E, u"Устройство [2] ВЕКТ-8"},
        {[](TConfig &c) { c.Device(3)->ID = u"20ff78c601"_s; }, E, u"Устройство [3] ВЕКТ-16Р"},
        {[](TConfig &c) { c.Part(2)->KeyDB = c.Device(5)->KeyDB + u' '; }, E, u"Раздел №2"},
        {[](TConfig &c) { Loop(c, 3, 1).Part = 9; }, E, u"Устройство [3] ВЕКТ-16Р, шлейф 1"},
        {[](TConfig &c) { CMRelay(c, 1).Device = 9; }, E, u"Устройство [1] ЦМ, реле 1"},
        {[](TConfig &c) { CMRelay(c, 1).Device = 0; }, E, u"Устройство [1] ЦМ, реле 1"},
        {[](TConfig &c) { CMRelay(c, 2).Device = 0; }, E, u"Устройство [1] ЦМ, реле 2"},
        {[](TConfig &c) { CMRelay(c, 2).Device = 4; }, E, u"Устройство [1] ЦМ, реле 2"},
        {[](TConfig &c) { CMRelay(c, 2).Shlf = 9; }, E, u"Устройство [1] ЦМ, реле 2"},
        {[](TConfig &c) { CMRelay(c, 2).Shlf = 7; }, E, u"Устройство [1] ЦМ, реле 2"},
        {[](TConfig &c) { Indicator(c, 1).Device = 127; }, E, u"Устройство [6] ВМС-8, индикатор 1"},
        {[](TConfig &c) { Indicator(c, 2).Device = 0; }, E, u"Устройство [6] ВМС-8, индикатор 2"},
        {[](TConfig &c) { Indicator(c, 2).Shlf = 15; }, E, u"Устройство [6] ВМС-8, индикатор 2"},
        {[](TConfig &c) { Unit(c).Mode = 3; }, E, u"Устройство [6] ВМС-8"},
        {[](TConfig &c) { Unit(c).Part = 200; }, E, u"Устройство [6] ВМС-8"},
        {[](TConfig &c) { c.Device(4)->AsKP()->Part = 9; }, E, u"Устройство [4] КП"},
        {[](TConfig &c) { c.Part(2)->SMS(2)->Type = 1; }, E, u"Раздел №2, СМС 2"},
        {[](TConfig &c) { c.Part(1)->SMS(1)->Phone = u"79001234567890123"_s; }, E,
         u"Раздел №1, СМС 1"},
        {[](TConfig &c) { c.User(1)->Part1 = 9; }, E, u"Пользователь №1"},
        {[](TConfig &c) { c.User(1)->Part2 = 9; }, E, u"Пользователь №1"},
        {[](TConfig &c) {
             c.Assign(TConfig());
             c.AddUser(5, 0, 255, 0, u"5555"_s, u"5556"_s);
         },
         E, u"Пользователь №5"},
        {[](TConfig &c) { c.User(1)->Pswrd2 = u"268435456"_s; }, E, u"Пользователь №1"},
        {[](TConfig &c) { c.DeleteUser(TUser::AdminNumber); }, E, u"Пользователь №111"},
        {[](TConfig &c) { c.User(TUser::AdminNumber)->Type = 1; }, E, u"Пользователь №111"},

        {[](TConfig &c) { c.PutPart(4, c.CreatePart(0, {})); }, W, u"Раздел №4"},
        {[](TConfig &c) { Loop(c, 2, 5).Type = 0; }, W, u"Устройство [2] ВЕКТ-8, шлейф 5"},
        {[](TConfig &c) { Loop(c, 2, 8).Type = 1; }, W, u"Устройство [2] ВЕКТ-8, шлейф 8"},
        {[](TConfig &c) { CMRelay(c, 2).Shlf = 1; }, W, u"Устройство [1] ЦМ, реле 2"},
        {[](TConfig &c) { Loop(c, 2, 4).Type = 2; }, W, u"Устройство [1] ЦМ, реле 2"},
        {[](TConfig &c) { c.Device(4)->AsKP()->Part = 0; }, W, u"Устройство [4] КП"},
        {[](TConfig &c) { c.Part(2)->SMS(2)->Phone = u"79001112233"_s; }, W, u"Раздел №2, СМС 2"},
        {[](TConfig &c) { c.User(2)->Part1 = 0; }, W, u"Пользователь №2"},
        {[](TConfig &c) { c.User(1)->Part2 = 1; }, W, u"Пользователь №1"},
        {[](TConfig &c) { c.User(2)->Pswrd1 = u"1234"_s; }, W, u"Пользователь №2"},
        {[](TConfig &c) { c.User(1)->Pswrd2 = QString(); }, W, u"Пользователь №1"},
    };
    for (const TCase &test : cases) {
        const QString object = QString::fromUtf16(test.Object);
        const QList<TProblem> found = Planted(test.Plant);
        ASSERT_EQ(found.size(), 1)
            << object.toStdString() << ": " << ProblemLines(found).join(u'\n').toStdString();
        EXPECT_EQ(found[0].Severity, test.Severity) << ProblemLines(found)[0].toStdString();
        EXPECT_EQ(found[0].ObjectName, object);
    }
}

// The demo site has warnings only, and the lines say what they are about.
TEST(Check, DemoAndEveryKindSitesHaveNoFalseError)
{
    TConfig demo;
    FillDemoSite(demo);
    const QList<TProblem> problems = CheckConfig(demo);
    EXPECT_EQ(ProblemLines(problems),
              QStringList({u"предупреждение: Пользователь №3: основной пароль короче 4 цифр"_s,
                           u"предупреждение: Пользователь №3: пароль тихой тревоги "
                           "короче 4 цифр"_s,
                           u"предупреждение: Пользователь №111: основной пароль — "
                           "заводской 8522"_s}));
    EXPECT_EQ(ProblemCounts(problems), u"Ошибок: 0, предупреждений: 3"_s);

    // Every device model, every kind of partition reference and many output modes: the one
    // error of the every-kind site is the SMS number with quotes it holds for the files.
    TConfig every;
    FillEveryKind(every);
    const QList<TProblem> found = CheckConfig(every);
    EXPECT_EQ(CountErrors(found), 1) << ProblemLines(found).join(u'\n').toStdString();
    EXPECT_EQ(found.value(0).ObjectName, u"Раздел №2, СМС 2"_s);
}
