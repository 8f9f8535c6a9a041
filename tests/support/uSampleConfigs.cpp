#include "support/uSampleConfigs.h"

#include "model/uConfig.h"

namespace {

QString Digits(int n, int width) { return QString::number(n).rightJustified(width, u'0'); }

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

void SetRelay(TRelay &r, std::uint8_t mode, std::uint8_t device, std::uint8_t shlf,
              std::uint8_t delay, std::uint8_t twoShlf)
{
    r.Mode = mode;
    r.Device = device;
    r.Shlf = shlf;
    r.Delay = delay;
    r.TwoShlf = twoShlf;
}

void SetIndicator(TIndicator &i, std::uint8_t mode, std::uint8_t device, std::uint8_t shlf)
{
    i.Mode = mode;
    i.Device = device;
    i.Shlf = shlf;
}

void SetSMS(TPart &p, int k, unsigned type, const QString &phone, unsigned plus, unsigned code)
{
    TSMS *s = p.SMS(k);
    s->Type = type;
    s->Phone = phone;
    s->Plus = plus;
    s->Code = code;
}

void Diff(QStringList &out, const QString &where, const QString &a, const QString &b)
{
    if (a != b)
        out.append(where + QStringLiteral(": ") + a + QStringLiteral(" / ") + b);
}

void Diff(QStringList &out, const QString &where, qint64 a, qint64 b)
{
    Diff(out, where, QString::number(a), QString::number(b));
}

void DiffDevices(QStringList &out, const QString &at, const TDevice &a, const TDevice &b,
                 TCompare what)
{
    Diff(out, at + QStringLiteral(" Type"), a.Type, b.Type);
    Diff(out, at + QStringLiteral(" ID"), a.ID, b.ID);
    if (what == TCompare::All)
        Diff(out, at + QStringLiteral(" KeyDB"), a.KeyDB, b.KeyDB);
    if (what != TCompare::Settings) {
        Diff(out, at + QStringLiteral(" vSoft"), a.vSoft, b.vSoft);
        Diff(out, at + QStringLiteral(" vDev"), a.vDev, b.vDev);
        Diff(out, at + QStringLiteral(" State"), a.State, b.State);
    }
    if (a.Type != b.Type)
        return;
    if (const TVEKT *va = a.AsVEKT()) {
        const TVEKT *vb = b.AsVEKT();
        for (int n = 1; n <= va->Count(); ++n) {
            const TShleif &x = *va->Loop(n);
            const TShleif &y = *vb->Loop(n);
            const QString l = at + QStringLiteral(" loop ") + QString::number(n);
            Diff(out, l + QStringLiteral(" Type"), x.Type, y.Type);
            Diff(out, l + QStringLiteral(" Part"), x.Part, y.Part);
            Diff(out, l + QStringLiteral(" Flags"), x.Flags, y.Flags);
            Diff(out, l + QStringLiteral(" Delay"), x.Delay, y.Delay);
        }
    } else if (const TRelayDev *ra = a.AsRelayDev()) {
        const TRelayDev *rb = b.AsRelayDev();
        for (int n = 1; n <= ra->Count(); ++n) {
            const TRelay &x = *ra->Relay(n);
            const TRelay &y = *rb->Relay(n);
            const QString r = at + QStringLiteral(" relay ") + QString::number(n);
            Diff(out, r + QStringLiteral(" Mode"), x.Mode, y.Mode);
            Diff(out, r + QStringLiteral(" Device"), x.Device, y.Device);
            Diff(out, r + QStringLiteral(" Shlf"), x.Shlf, y.Shlf);
            Diff(out, r + QStringLiteral(" Delay"), x.Delay, y.Delay);
            Diff(out, r + QStringLiteral(" TwoShlf"), x.TwoShlf, y.TwoShlf);
        }
    } else if (const TIndicDev *ia = a.AsIndicDev()) {
        const TIndicDev *ib = b.AsIndicDev();
        Diff(out, at + QStringLiteral(" Mode"), ia->Mode, ib->Mode);
        Diff(out, at + QStringLiteral(" Sound"), ia->Sound, ib->Sound);
        Diff(out, at + QStringLiteral(" Part"), ia->Part, ib->Part);
        for (int n = 1; n <= ia->Count(); ++n) {
            const TIndicator &x = *ia->Indicator(n);
            const TIndicator &y = *ib->Indicator(n);
            const QString i = at + QStringLiteral(" indicator ") + QString::number(n);
            Diff(out, i + QStringLiteral(" Mode"), x.Mode, y.Mode);
            Diff(out, i + QStringLiteral(" Device"), x.Device, y.Device);
            Diff(out, i + QStringLiteral(" Shlf"), x.Shlf, y.Shlf);
        }
    } else if (const TKP *ka = a.AsKP()) {
        Diff(out, at + QStringLiteral(" Sound"), ka->Sound, b.AsKP()->Sound);
        Diff(out, at + QStringLiteral(" Part"), ka->Part, b.AsKP()->Part);
    }
}

// Compares the occupied slots of one table; f compares two objects present on both sides.
template <typename T, typename F>
void DiffTable(QStringList &out, const QString &name, int last, T get, F compare)
{
    for (int n = 1; n <= last; ++n) {
        const auto *a = get(0, n);
        const auto *b = get(1, n);
        const QString at = name + QString::number(n);
        if (!a != !b)
            out.append(at + (a ? QStringLiteral(" only in the first")
                               : QStringLiteral(" only in the second")));
        else if (a)
            compare(at, *a, *b);
    }
}

} // namespace

void FillEveryKind(TConfig &c)
{
    for (int p : {1, 2, 3, 10, 127}) {
        c.PutPart(p, c.CreatePart(static_cast<unsigned>(p * 10), QString()));
    }
    c.Part(2)->KeyDB = QStringLiteral("O'Brien \"Б\" -- ; склад");
    SetSMS(*c.Part(1), 1, 1, QStringLiteral("79001234567"), 1, 1);
    SetSMS(*c.Part(1), 2, 2, QStringLiteral("84951234567"), 0, 0);
    SetSMS(*c.Part(1), 3, 3, QStringLiteral("1234567890123456"), 1, 0);
    SetSMS(*c.Part(2), 2, 3, QStringLiteral("'12'"), 0, 1);

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
    c.Device(2)->vSoft = QStringLiteral("2.1");
    c.Device(2)->vDev = QStringLiteral("1.10");
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
    SetRelay(*cm->Relay(1), TRelay::ModeASPT, 6, 2, 30, 1);
    SetRelay(*cm->Relay(2), 1, 255, 0, 60, 0);
    SetRelay(*cm->Relay(3), 8, 3, 0, 0, 0);
    TRelayDev *br = c.Device(8)->AsRelayDev();
    for (std::uint8_t mode = 2; mode <= 9; ++mode) {
        if (mode != TRelay::ModeASPT)
            SetRelay(*br->Relay(mode % 2 + 1), mode, mode == 6 ? 127 : 1, 0, mode == 4 ? 10 : 0, 0);
    }
    SetRelay(*br->Relay(2), TRelay::ModeASPT, 2, 1, 0, 0);

    TIndicDev *vms8 = c.Device(9)->AsIndicDev();
    vms8->Mode = TIndicDev::ModeIndividual;
    vms8->Sound = 0;
    SetIndicator(*vms8->Indicator(1), TIndicator::ModePart, 255, 0);
    SetIndicator(*vms8->Indicator(2), TIndicator::ModePart, 10, 0);
    SetIndicator(*vms8->Indicator(8), TIndicator::ModeShlf, 6, 24);
    TIndicDev *vms16 = c.Device(10)->AsIndicDev();
    vms16->Mode = 2;
    vms16->Part = 1;
    TIndicDev *ib8 = c.Device(11)->AsIndicDev();
    ib8->Mode = 3;
    ib8->Part = 255;
    TIndicDev *ib40 = c.Device(12)->AsIndicDev();
    ib40->Mode = TIndicDev::ModeIndividual;
    SetIndicator(*ib40->Indicator(40), TIndicator::ModeShlf, 2, 1);
    SetIndicator(*ib40->Indicator(20), TIndicator::ModePart, 1, 0);

    c.AddUser(1, 0, 1, 2, QStringLiteral("0012"), QStringLiteral("9999"));
    c.AddUser(2, 1, 255, 0, QStringLiteral("1"), QStringLiteral("000000000000001"));
    c.AddUser(3, 2, 0, 0, QString(), QStringLiteral("7"));
    c.AddUser(255, 0, 127, 0, QStringLiteral("268435455"), QStringLiteral("9603"));
    c.User(111)->Pswrd1 = QStringLiteral("4321");
}

void FillMaximal(TConfig &c)
{
    for (int p = 1; p <= TConfig::MaxPart; ++p) {
        c.PutPart(p, c.CreatePart(static_cast<unsigned>(p % 16 * 10), QString()));
        for (int k = 1; k <= TPart::SMSCount; ++k)
            SetSMS(*c.Part(p), k, static_cast<unsigned>(k),
                   QStringLiteral("7900") + Digits(p * 10 + k, 7), static_cast<unsigned>(k % 2),
                   static_cast<unsigned>(p % 2));
    }
    for (int a = 2; a <= TConfig::MaxAddress; ++a) {
        c.AddDevice(a, QStringLiteral("ВЕКТ-24Р"), QString(), static_cast<std::uint8_t>(a),
                    QStringLiteral("1.0"), QStringLiteral("2.%1").arg(a % 16), QString());
        TVEKT *v = c.Device(a)->AsVEKT();
        for (int n = 1; n <= v->Count(); ++n)
            SetLoop(*v->Loop(n), static_cast<std::uint8_t>((a * 24 + n) % TConfig::MaxPart + 1),
                    static_cast<std::uint8_t>(n % 9 + 1), static_cast<std::uint8_t>(n % 8),
                    static_cast<std::uint8_t>(n % 16 * 10));
    }
    for (int u = 1; u <= TConfig::MaxUser; ++u)
        if (u != 111)
            c.AddUser(u, static_cast<unsigned>(u % 3), static_cast<unsigned>(u % 127 + 1),
                      static_cast<unsigned>((u + 5) % 127 + 1), Digits(u, 4), Digits(u + 1000, 5));
}

QStringList ConfigDifferences(const TConfig &a, const TConfig &b, TCompare what)
{
    QStringList out;
    const TConfig *both[] = {&a, &b};
    DiffTable(
        out, QStringLiteral("device "), TConfig::MaxAddress,
        [&](int side, int n) { return both[side]->Device(n); },
        [&](const QString &at, const TDevice &x, const TDevice &y) {
            DiffDevices(out, at, x, y, what);
        });
    DiffTable(
        out, QStringLiteral("partition "), TConfig::MaxPart,
        [&](int side, int n) { return both[side]->Part(n); },
        [&](const QString &at, const TPart &x, const TPart &y) {
            if (what == TCompare::All)
                Diff(out, at + QStringLiteral(" KeyDB"), x.KeyDB, y.KeyDB);
            Diff(out, at + QStringLiteral(" Delay"), x.Delay, y.Delay);
            for (int k = 1; k <= TPart::SMSCount; ++k) {
                const QString s = at + QStringLiteral(" SMS ") + QString::number(k);
                Diff(out, s + QStringLiteral(" Type"), x.SMS(k)->Type, y.SMS(k)->Type);
                Diff(out, s + QStringLiteral(" Phone"), x.SMS(k)->Phone, y.SMS(k)->Phone);
                Diff(out, s + QStringLiteral(" Plus"), x.SMS(k)->Plus, y.SMS(k)->Plus);
                Diff(out, s + QStringLiteral(" Code"), x.SMS(k)->Code, y.SMS(k)->Code);
            }
        });
    DiffTable(
        out, QStringLiteral("user "), TConfig::MaxUser,
        [&](int side, int n) { return both[side]->User(n); },
        [&](const QString &at, const TUser &x, const TUser &y) {
            Diff(out, at + QStringLiteral(" Type"), x.Type, y.Type);
            Diff(out, at + QStringLiteral(" Part1"), x.Part1, y.Part1);
            Diff(out, at + QStringLiteral(" Part2"), x.Part2, y.Part2);
            Diff(out, at + QStringLiteral(" Pswrd1"), x.Pswrd1, y.Pswrd1);
            Diff(out, at + QStringLiteral(" Pswrd2"), x.Pswrd2, y.Pswrd2);
        });
    return out;
}
