#include "support/uSampleConfigs.h"

#include "model/uConfig.h"

#include <QMap>

using namespace Qt::StringLiterals;

namespace {

void AddDevice(TConfig &c, int address, const char16_t *type)
{
    c.AddDevice(address, QString::fromUtf16(type), QString(), 0, QString(), QString(), QString());
}

void SetLoop(TShleif &l, std::uint8_t part, std::uint8_t type, std::uint8_t flags,
             std::uint8_t delay)
{
    l.SetPart(part);
    l.Type = type;
    l.Flags = flags;
    l.Delay = l.HasDelay() ? delay : 0; // a loop without a delay keeps none
}

void SetSMS(TPart &p, int k, unsigned type, const QString &phone, unsigned plus, unsigned code)
{
    TSMS *s = p.SMS(k);
    s->Type = type;
    s->Phone = phone;
    s->Plus = plus;
    s->Code = code;
}

} // namespace

void FillEveryKind(TConfig &c)
{
    for (int p : {1, 2, 3, 10, 127}) {
        c.PutPart(p, c.CreatePart(static_cast<unsigned>(p * 10), QString()));
    }
    c.Part(2)->KeyDB = u"O'Brien \"Б\" -- ; склад"_s;
    SetSMS(*c.Part(1), 1, 1, u"79001234567"_s, 1, 1);
    SetSMS(*c.Part(1), 2, 2, u"84951234567"_s, 0, 0);
    SetSMS(*c.Part(1), 3, 3, u"1234567890123456"_s, 1, 0);
    SetSMS(*c.Part(2), 2, 3, u"'12'"_s, 0, 1);

    const char16_t *panels[] = {u"ВЕКТ-8", u"ВЕКТ-8 v4", u"ВЕКТ-8Р", u"ВЕКТ-16Р", u"ВЕКТ-24Р"};
    for (int i = 0; i < 5; ++i)
        AddDevice(c, 2 + i, panels[i]);
    TVEKT *v = c.Device(6)->AsVEKT();
    for (std::uint8_t type = 1; type <= 9; ++type)
        SetLoop(*v->Loop(type), type == 9 ? 127 : type % 3 + 1, type, type % 8, type == 3 ? 40 : 0);
    SetLoop(*v->Loop(10), 10, 1, 0, 150); // fire loop with a delay
    SetLoop(*v->Loop(24), 3, 7, TShleif::DoubleFire | TShleif::Tamper, 0);
    SetLoop(*c.Device(2)->AsVEKT()->Loop(1), 1, 3, 0, 20);
    SetLoop(*c.Device(5)->AsVEKT()->Loop(16), 2, 2, 0, 0);
    c.Device(2)->vSoft = u"2.1"_s;
    c.Device(2)->vDev = u"1.10"_s;
    c.Device(2)->State = 200;

    AddDevice(c, 7, u"КП");
    c.Device(7)->AsKP()->Part = 255;
    c.Device(7)->AsKP()->SetSound(true, false);
    AddDevice(c, 8, u"БР-2");
    AddDevice(c, 9, u"ВМС-8");
    AddDevice(c, 10, u"ВМС-16");
    AddDevice(c, 11, u"ИБ-8");
    AddDevice(c, 12, u"ИБ-40");
    AddDevice(c, 110, u"КП");
    c.Device(110)->AsKP()->Part = 3;

    TRelayDev *cm = c.Device(1)->AsRelayDev();
    cm->Relay(1)->Assign(
        {.Mode = TRelay::ModeASPT, .Delay = 30, .Device = 6, .Shlf = 2, .TwoShlf = 1});
    cm->Relay(2)->Assign({.Mode = 1, .Delay = 60, .Device = 255});
    cm->Relay(3)->Assign({.Mode = 8, .Device = 3});
    TRelayDev *br = c.Device(8)->AsRelayDev();
    br->Relay(1)->Assign({.Mode = 8, .Device = 1});
    br->Relay(2)->Assign({.Mode = TRelay::ModeASPT, .Device = 2, .Shlf = 1});

    TIndicDev *vms8 = c.Device(9)->AsIndicDev();
    vms8->Mode = TIndicDev::ModeIndividual;
    vms8->Sound = 0;
    vms8->Indicator(1)->Assign({.Mode = TIndicator::ModePart, .Device = 255});
    vms8->Indicator(2)->Assign({.Mode = TIndicator::ModePart, .Device = 10});
    vms8->Indicator(8)->Assign({.Mode = TIndicator::ModeShlf, .Device = 6, .Shlf = 24});
    TIndicDev *vms16 = c.Device(10)->AsIndicDev();
    vms16->Mode = 2;
    vms16->Part = 1;
    TIndicDev *ib8 = c.Device(11)->AsIndicDev();
    ib8->Mode = 3;
    ib8->Part = 255;
    TIndicDev *ib40 = c.Device(12)->AsIndicDev();
    ib40->Mode = TIndicDev::ModeIndividual;
    ib40->Indicator(40)->Assign({.Mode = TIndicator::ModeShlf, .Device = 2, .Shlf = 1});
    ib40->Indicator(20)->Assign({.Mode = TIndicator::ModePart, .Device = 1});

    c.AddUser(1, 0, 1, 2, u"0012"_s, u"9999"_s);
    c.AddUser(2, 1, 255, 0, u"1"_s, u"000000000000001"_s);
    c.AddUser(3, 2, 0, 0, QString(), u"7"_s);
    c.AddUser(255, 0, 127, 0, u"268435455"_s, u"9603"_s);
    c.User(111)->Pswrd1 = u"4321"_s;
}

namespace {

TShleif &Loop(TConfig &c, int address, int n) { return *c.Device(address)->AsVEKT()->Loop(n); }
TIndicDev &Unit(TConfig &c, int address) { return *c.Device(address)->AsIndicDev(); }

} // namespace

std::vector<std::pair<const char *, std::function<void(TConfig &)>>> UnkeptChanges()
{
    return {
        {"keys",
         [](TConfig &c) {
             c.Device(2)->KeyDB = u"K2"_s;
             c.Part(2)->KeyDB = u"K3"_s;
         }},
        {"versions, state and marks",
         [](TConfig &c) {
             c.Device(2)->vSoft = u"9.9"_s;
             c.Device(2)->vDev = u"9.9"_s;
             c.Device(2)->State = 1;
             c.Device(2)->Changed = true;
             c.User(1)->Changed = true;
         }},
        {"identifier spelled otherwise", [](TConfig &c) { c.Device(12)->ID = u"c"_s; }},
        {"delays within the same ten seconds",
         [](TConfig &c) {
             c.Part(2)->Delay = 29;
             Loop(c, 6, 10).Delay = 159;
         }},
        {"delay of a loop without one", [](TConfig &c) { Loop(c, 6, 2).Delay = 50; }},
        {"leftovers of an unbound loop",
         [](TConfig &c) {
             Loop(c, 3, 1).Type = 3;
             Loop(c, 3, 1).Flags = TShleif::Tamper;
         }},
        {"indicators of a unit not set up individually",
         [](TConfig &c) { Unit(c, 10).Indicator(1)->Mode = TIndicator::ModePart; }},
        {"sound of ИБ-8", [](TConfig &c) { Unit(c, 11).Sound = 0; }},
        {"additional partition while the main one is any",
         [](TConfig &c) { c.User(2)->Part2 = 5; }},
    };
}

namespace {

QString Text(const QString &s) { return s; }
QString Text(qint64 n) { return QString::number(n); }

// Puts fields given as name, value, name, value ... under "at name".
template <typename V, typename... TRest>
void Put(QMap<QString, QString> &m, const QString &at, const char *name, const V &value,
         const TRest &...rest)
{
    m.insert(at + u' ' + QLatin1String(name), Text(value));
    if constexpr (sizeof...(rest) > 0)
        Put(m, at, rest...);
}

QString At(const char *what, int n) { return QLatin1String(what) + u' ' + QString::number(n); }

// Every compared field of a configuration by where it is ("device 6 loop 3 Type"), and every
// object by its name alone ("device 6"), with an empty value.
QMap<QString, QString> Fields(const TConfig &c, TCompare what)
{
    QMap<QString, QString> m;
    for (int a = 1; a <= TConfig::MaxAddress; ++a) {
        const TDevice *d = c.Device(a);
        if (!d)
            continue;
        const QString at = At("device", a);
        m.insert(at, QString());
        Put(m, at, "Type", d->Type, "ID", d->ID);
        if (what == TCompare::All)
            Put(m, at, "KeyDB", d->KeyDB);
        if (what != TCompare::Settings)
            Put(m, at, "vSoft", d->vSoft, "vDev", d->vDev, "State", d->State);
        if (const TVEKT *v = d->AsVEKT())
            for (int n = 1; n <= v->Count(); ++n) {
                const TShleif &l = *v->Loop(n);
                Put(m, at + At(" loop", n), "Type", l.Type, "Part", l.Part, "Flags", l.Flags,
                    "Delay", l.Delay);
            }
        if (const TRelayDev *r = d->AsRelayDev())
            for (int n = 1; n <= r->Count(); ++n) {
                const TRelay &x = *r->Relay(n);
                Put(m, at + At(" relay", n), "Mode", x.Mode, "Device", x.Device, "Shlf", x.Shlf,
                    "Delay", x.Delay, "TwoShlf", x.TwoShlf);
            }
        if (const TIndicDev *i = d->AsIndicDev()) {
            Put(m, at, "Mode", i->Mode, "Sound", i->Sound, "Part", i->Part);
            for (int n = 1; n <= i->Count(); ++n) {
                const TIndicator &x = *i->Indicator(n);
                Put(m, at + At(" indicator", n), "Mode", x.Mode, "Device", x.Device, "Shlf",
                    x.Shlf);
            }
        }
        if (const TKP *k = d->AsKP())
            Put(m, at, "Sound", k->Sound, "Part", k->Part);
    }
    for (int p = 1; p <= TConfig::MaxPart; ++p)
        if (const TPart *part = c.Part(p)) {
            const QString at = At("partition", p);
            m.insert(at, QString());
            Put(m, at, "Delay", part->Delay);
            if (what == TCompare::All)
                Put(m, at, "KeyDB", part->KeyDB);
            for (int k = 1; k <= TPart::SMSCount; ++k) {
                const TSMS &s = *part->SMS(k);
                Put(m, at + At(" SMS", k), "Type", s.Type, "Phone", s.Phone, "Plus", s.Plus, "Code",
                    s.Code);
            }
        }
    for (int n = 1; n <= TConfig::MaxUser; ++n)
        if (const TUser *u = c.User(n)) {
            m.insert(At("user", n), QString());
            Put(m, At("user", n), "Type", u->Type, "Part1", u->Part1, "Part2", u->Part2, "Pswrd1",
                u->Pswrd1, "Pswrd2", u->Pswrd2);
        }
    return m;
}

} // namespace

QStringList ConfigDifferences(const TConfig &a, const TConfig &b, TCompare what)
{
    const QMap<QString, QString> x = Fields(a, what);
    const QMap<QString, QString> y = Fields(b, what);
    QMap<QString, QString> all = x;
    all.insert(y);
    QStringList out;
    for (auto it = all.cbegin(); it != all.cend(); ++it) {
        const QString &where = it.key();
        if (x.contains(where) && y.contains(where)) {
            if (x[where] != y[where])
                out.append(where + u": "_s + x[where] + u" / "_s + y[where]);
        } else if (where.count(u' ') == 1) { // an object on one side only
            out.append(where +
                       (x.contains(where) ? u" only in the first"_s : u" only in the second"_s));
        }
    }
    return out;
}
