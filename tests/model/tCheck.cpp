// The check of a whole configuration: problems planted one at a time on the demo site, each
// found once with its kind on its object; the demo site and a site set up as the dialogs allow
// have no error.

#include "model/uCheck.h"
#include "model/uConfig.h"
#include "sim/uDemoSite.h"

#include <gtest/gtest.h>

#include <functional>

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
        {[](TConfig &c) { c.AddDevice(50, QStringLiteral("ЦМ"), {}, 0, {}, {}, {}); }, E,
         u"Устройство [50] ЦМ"},
        {[](TConfig &c) { c.Device(2)->ID = QStringLiteral("0020FF78C6XY"); }, E,
         u"Устройство [2] ВЕКТ-8"},
        {[](TConfig &c) { c.Device(3)->ID = QStringLiteral("20ff78c601"); }, E,
         u"Устройство [3] ВЕКТ-16Р"},
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
        {[](TConfig &c) { c.Part(1)->SMS(1)->Phone = QStringLiteral("79001234567890123"); }, E,
         u"Раздел №1, СМС 1"},
        {[](TConfig &c) { c.User(1)->Part1 = 9; }, E, u"Пользователь №1"},
        {[](TConfig &c) { c.User(1)->Part2 = 9; }, E, u"Пользователь №1"},
        {[](TConfig &c) {
             c.Assign(TConfig());
             c.AddUser(5, 0, 255, 0, QStringLiteral("5555"), QStringLiteral("5556"));
         },
         E, u"Пользователь №5"},
        {[](TConfig &c) { c.User(1)->Pswrd2 = QStringLiteral("268435456"); }, E,
         u"Пользователь №1"},
        {[](TConfig &c) { c.DeleteUser(TUser::AdminNumber); }, E, u"Пользователь №111"},
        {[](TConfig &c) { c.User(TUser::AdminNumber)->Type = 1; }, E, u"Пользователь №111"},

        {[](TConfig &c) { c.PutPart(4, c.CreatePart(0, {})); }, W, u"Раздел №4"},
        {[](TConfig &c) { Loop(c, 2, 5).Type = 0; }, W, u"Устройство [2] ВЕКТ-8, шлейф 5"},
        {[](TConfig &c) { Loop(c, 2, 8).Type = 1; }, W, u"Устройство [2] ВЕКТ-8, шлейф 8"},
        {[](TConfig &c) { CMRelay(c, 2).Shlf = 1; }, W, u"Устройство [1] ЦМ, реле 2"},
        {[](TConfig &c) { Loop(c, 2, 4).Type = 2; }, W, u"Устройство [1] ЦМ, реле 2"},
        {[](TConfig &c) { c.Device(4)->AsKP()->Part = 0; }, W, u"Устройство [4] КП"},
        {[](TConfig &c) { c.Part(2)->SMS(2)->Phone = QStringLiteral("79001112233"); }, W,
         u"Раздел №2, СМС 2"},
        {[](TConfig &c) { c.User(2)->Part1 = 0; }, W, u"Пользователь №2"},
        {[](TConfig &c) { c.User(1)->Part2 = 1; }, W, u"Пользователь №1"},
        {[](TConfig &c) { c.User(2)->Pswrd1 = QStringLiteral("1234"); }, W, u"Пользователь №2"},
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
TEST(Check, DemoSiteHasNoError)
{
    TConfig demo;
    FillDemoSite(demo);
    const QList<TProblem> problems = CheckConfig(demo);
    EXPECT_EQ(ProblemLines(problems),
              QStringList(
                  {QStringLiteral("предупреждение: Пользователь №3: основной пароль короче 4 цифр"),
                   QStringLiteral("предупреждение: Пользователь №3: пароль тихой тревоги "
                                  "короче 4 цифр"),
                   QStringLiteral("предупреждение: Пользователь №111: основной пароль — "
                                  "заводской 8522")}));
    EXPECT_EQ(ProblemCounts(problems), QStringLiteral("Ошибок: 0, предупреждений: 3"));
}

// A site set up only with what the dialogs offer: every model at the address proposed, loops
// bound as the add-loops dialog binds them, every relay mode, indicator mode and unit mode on the
// first partition, panel and loop offered, users on the partitions offered.
TEST(Check, SiteSetUpAsTheDialogsAllowHasNoError)
{
    TConfig c;
    for (const TKind &kind : Kinds)
        if (!IsCM(QStringView(kind.Name)))
            c.PutDevice(c.FirstFreeAddress(),
                        c.CreateDevice(QString::fromUtf16(kind.Name), {}, 0, {}, {}, {}));
    for (int p = 1; p <= 3; ++p) {
        c.PutPart(p, c.CreatePart(0, {}));
        for (const TLoopRow &row : c.FillLoopsOfPart(0).mid(0, 4)) {
            std::uint8_t address = 0;
            std::uint8_t loop = 0;
            ParsePair(row.Pair, address, loop);
            c.Device(address)->AsVEKT()->Loop(loop)->SetPart(static_cast<std::uint8_t>(p));
            c.Device(address)->AsVEKT()->Loop(loop)->Type = loop % 2 == 0 ? 1 : 7;
        }
    }
    const auto first = [](const QStringList &offered) {
        return static_cast<std::uint8_t>(StrToIntDef(offered.value(0), 0));
    };
    const std::uint8_t panel = first(c.FirePanels());
    const std::uint8_t loop = first(c.FireLoops(panel));
    const std::uint8_t bound = first(c.BoundPanels());
    std::uint8_t mode = 0;
    for (int a = 1; a <= TConfig::MaxAddress; ++a) {
        TDevice *d = c.Device(a);
        if (TRelayDev *relays = d ? d->AsRelayDev() : nullptr)
            for (int n = 1; n <= relays->Count(); ++n) {
                mode = static_cast<std::uint8_t>(mode % 9 + 1);
                const bool aspt = mode == TRelay::ModeASPT;
                relays->Relay(n)->Assign({.Mode = mode,
                                          .Device = aspt ? panel : std::uint8_t{255},
                                          .Shlf = aspt ? loop : std::uint8_t{0},
                                          .TwoShlf = static_cast<std::uint8_t>(aspt)});
            }
        if (TIndicDev *unit = d ? d->AsIndicDev() : nullptr) {
            unit->Mode = static_cast<std::uint8_t>(a % 4);
            unit->Part = unit->Mode == 0 ? 0 : 1;
            unit->Indicator(1)->Assign({.Mode = TIndicator::ModePart, .Device = 255});
            unit->Indicator(2)->Assign({.Mode = TIndicator::ModeShlf,
                                        .Device = bound,
                                        .Shlf = first(c.BoundLoops(bound))});
        }
        if (TKP *keypad = d ? d->AsKP() : nullptr)
            keypad->Part = 2;
    }
    c.AddUser(1, 0, 1, 3, QStringLiteral("1357"), QStringLiteral("2468"));
    c.AddUser(2, 1, 255, 0, QStringLiteral("9753"), QStringLiteral("8642"));
    EXPECT_EQ(CountErrors(CheckConfig(c)), 0)
        << ProblemLines(CheckConfig(c)).join(u'\n').toStdString();
}
