#include "sim/uDemoSite.h"

#include "model/uConfig.h"

namespace {

void Add(TConfig &c, int address, const char16_t *type, const char *id, const char *soft)
{
    c.AddDevice(address, QString::fromUtf16(type), QString::fromLatin1(id), 0,
                QStringLiteral("1.0"), QString::fromLatin1(soft), QString());
}

void Loop(TVEKT &panel, int n, std::uint8_t part, std::uint8_t type, std::uint8_t delay)
{
    TShleif *l = panel.Loop(n);
    l->SetPart(part);
    l->Type = type;
    l->Delay = l->HasDelay() ? delay : 0;
}

void SMS(TPart &part, int k, unsigned type, const char *phone, unsigned plus)
{
    TSMS *s = part.SMS(k);
    s->Type = type;
    s->Phone = QString::fromLatin1(phone);
    s->Plus = plus;
    s->Code = 1;
}

} // namespace

void FillDemoSite(TConfig &c)
{
    c.ClearAll();
    Add(c, 1, u"ЦМ", "0020FF78C534", "2.1");
    Add(c, 2, u"ВЕКТ-8", "0020FF78C601", "1.10");
    Add(c, 3, u"ВЕКТ-16Р", "0020FF78C602", "2.0");
    Add(c, 4, u"КП", "0020FF78C701", "1.2");
    Add(c, 5, u"БР-2", "0020FF78C801", "1.1");
    Add(c, 6, u"ВМС-8", "0020FF78C901", "1.3");

    for (int p = 1; p <= 3; ++p)
        c.PutPart(p, c.CreatePart(static_cast<unsigned>(p * 10), QString()));
    SMS(*c.Part(1), 1, 1, "79001234567", 1);
    SMS(*c.Part(1), 2, 2, "84951234567", 0);
    SMS(*c.Part(2), 1, 3, "79007654321", 1);

    TVEKT &office = *c.Device(2)->AsVEKT();
    Loop(office, 1, 1, 3, 30);
    Loop(office, 2, 1, 2, 0);
    Loop(office, 3, 1, 1, 20);
    Loop(office, 4, 1, 7, 0);
    Loop(office, 5, 2, 2, 0);
    TVEKT &store = *c.Device(3)->AsVEKT();
    for (int n = 1; n <= 6; ++n)
        Loop(store, n, 2, n % 2 == 0 ? 2 : 3, 40);
    Loop(store, 16, 3, 5, 0);

    c.Device(4)->AsKP()->Part = 1;
    TRelayDev &cm = *c.Device(1)->AsRelayDev();
    cm.Relay(1)->Mode = 1;
    cm.Relay(1)->Device = 1;
    cm.Relay(1)->Delay = 60;
    cm.Relay(2)->Mode = TRelay::ModeASPT;
    cm.Relay(2)->Device = 2;
    cm.Relay(2)->Shlf = 3;
    cm.Relay(2)->TwoShlf = 1;
    TRelayDev &br = *c.Device(5)->AsRelayDev();
    br.Relay(1)->Mode = 8;
    br.Relay(1)->Device = 255;
    TIndicDev &vms = *c.Device(6)->AsIndicDev();
    vms.Mode = TIndicDev::ModeIndividual;
    vms.Indicator(1)->Mode = TIndicator::ModePart;
    vms.Indicator(1)->Device = 1;
    vms.Indicator(2)->Mode = TIndicator::ModeShlf;
    vms.Indicator(2)->Device = 3;
    vms.Indicator(2)->Shlf = 16;

    c.AddUser(1, 0, 1, 2, QStringLiteral("1234"), QStringLiteral("4321"));
    c.AddUser(2, 1, 255, 0, QStringLiteral("0042"), QStringLiteral("9603"));
    c.AddUser(3, 0, 3, 0, QStringLiteral("777"), QStringLiteral("778"));
    const TUser admin = TUser::Administrator();
    c.AddUser(TUser::AdminNumber, admin.Type, admin.Part1, admin.Part2, admin.Pswrd1, admin.Pswrd2);
}
