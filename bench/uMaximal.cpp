#include "uMaximal.h"

#include "model/uConfig.h"

using namespace Qt::StringLiterals;

namespace {

QString Digits(int n, int width) { return QString::number(n).rightJustified(width, u'0'); }

} // namespace

void FillMaximal(TConfig &c)
{
    for (int p = 1; p <= TConfig::MaxPart; ++p) {
        c.PutPart(p, c.CreatePart(static_cast<unsigned>(p % 16 * 10), QString()));
        for (int k = 1; k <= TPart::SMSCount; ++k)
            *c.Part(p)->SMS(k) = TSMS{.Type = static_cast<unsigned>(k),
                                      .Phone = u"7900"_s + Digits(p * 10 + k, 7),
                                      .Plus = static_cast<unsigned>(k % 2),
                                      .Code = static_cast<unsigned>(p % 2)};
    }
    for (int a = 2; a <= TConfig::MaxAddress; ++a) {
        c.AddDevice(a, u"ВЕКТ-24Р"_s, QString(), static_cast<std::uint8_t>(a), u"1.0"_s,
                    u"2.%1"_s.arg(a % 16), QString());
        TVEKT *v = c.Device(a)->AsVEKT();
        for (int n = 1; n <= v->Count(); ++n) {
            TShleif &l = *v->Loop(n);
            l.SetPart(static_cast<std::uint8_t>((a * 24 + n) % TConfig::MaxPart + 1));
            l.Type = static_cast<std::uint8_t>(n % 9 + 1);
            l.Flags = static_cast<std::uint8_t>(n % 8);
            l.Delay = l.HasDelay() ? static_cast<std::uint8_t>(n % 16 * 10) : 0;
        }
    }
    for (int u = 1; u <= TConfig::MaxUser; ++u)
        if (u != 111)
            c.AddUser(u, static_cast<unsigned>(u % 3), static_cast<unsigned>(u % 127 + 1),
                      static_cast<unsigned>((u + 5) % 127 + 1), Digits(u, 4), Digits(u + 1000, 5));
}
