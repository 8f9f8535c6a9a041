#include "cli/uDump.h"

#include "model/uConfig.h"

// Texts are joined with "+" rather than QString::arg, so that a name holding "%1" stays as it is.

namespace {

QString N(qint64 n) { return QString::number(n); }

QString Target(const QString &mode, bool toLoop, std::uint8_t device, std::uint8_t shlf,
               const QString &partText)
{
    return mode + QStringLiteral(", ") +
           (toLoop ? QStringLiteral("шлейф ") + PairText(device, shlf)
                   : QStringLiteral("раздел ") + partText);
}

void DumpLoops(QStringList &out, const TVEKT &v)
{
    for (int n = 1; n <= v.Count(); ++n) {
        const TShleif &l = *v.Loop(n);
        if (l.Part != 0)
            out << QStringLiteral("    шлейф ") + N(n) + QStringLiteral(": ") + l.TypeName() +
                       QStringLiteral(", раздел ") + l.PartText() + QStringLiteral(", флаги ") +
                       N(l.Flags) +
                       (l.HasDelay() ? QStringLiteral(", задержка ") + l.DelayText() : QString());
    }
}

void DumpRelays(QStringList &out, const TRelayDev &r)
{
    for (int n = 1; n <= r.Count(); ++n) {
        const TRelay &x = *r.Relay(n);
        if (x.Mode != 0)
            out << QStringLiteral("    реле ") + N(n) + QStringLiteral(": ") +
                       Target(x.ModeName(), x.IsASPT(), x.Device, x.Shlf, x.PartText()) +
                       (x.IsASPT() && x.TwoShlf ? QStringLiteral(" и парный") : QString()) +
                       (x.HasDelay() ? QStringLiteral(", задержка ") + N(x.Delay) : QString());
    }
}

void DumpIndicators(QStringList &out, const TIndicDev &i)
{
    out << QStringLiteral("    режим: ") + i.ModeName() + QStringLiteral(", раздел ") +
               i.PartText() + QStringLiteral(", звук ") + N(i.Sound);
    for (int n = 1; n <= i.Count(); ++n) {
        const TIndicator &x = *i.Indicator(n);
        if (x.Mode != 0)
            out << QStringLiteral("    индикатор ") + N(n) + QStringLiteral(": ") +
                       Target(x.ModeName(), x.IsShlfMode(), x.Device, x.Shlf, x.PartText());
    }
}

void DumpDevice(QStringList &out, int address, const TDevice &d)
{
    out << QStringLiteral("  [") + N(address) + QStringLiteral("] ") + d.Type +
               QStringLiteral(", ид. ") + d.IDText() + QStringLiteral(", ключ ") + d.KeyDB +
               QStringLiteral(", версии ") + d.vSoft + QStringLiteral(" / ") + d.vDev +
               QStringLiteral(", состояние ") + N(d.State);
    if (const TVEKT *v = d.AsVEKT())
        DumpLoops(out, *v);
    else if (const TRelayDev *r = d.AsRelayDev())
        DumpRelays(out, *r);
    else if (const TIndicDev *i = d.AsIndicDev())
        DumpIndicators(out, *i);
    else if (const TKP *k = d.AsKP())
        out << QStringLiteral("    раздел ") + k->PartText() +
                   QStringLiteral(", звук при нажатии ") + N(k->SoundKeys()) +
                   QStringLiteral(", при взятии/снятии ") + N(k->SoundArm());
}

void DumpPart(QStringList &out, const TConfig &c, int p, const TPart &part)
{
    out << QStringLiteral("  №") + N(p) + QStringLiteral(", ключ ") + part.KeyDB +
               QStringLiteral(", задержка на выход ") + N(part.Delay);
    for (int k = 1; k <= TPart::SMSCount; ++k) {
        const TSMS &s = *part.SMS(k);
        out << QStringLiteral("    СМС ") + N(k) + QStringLiteral(": ") + s.TypeName() +
                   QStringLiteral(", ") +
                   (s.Phone.isEmpty() ? QStringLiteral("без номера")
                                      : (s.Plus ? QStringLiteral("+") : QString()) + s.Phone) +
                   QStringLiteral(", ") + s.CodeName();
    }
    QStringList loops;
    for (const TLoopRow &row : c.FillLoopsOfPart(static_cast<std::uint8_t>(p)))
        loops << row.Pair;
    out << QStringLiteral("    шлейфы: ") +
               (loops.isEmpty() ? QStringLiteral("нет") : loops.join(QStringLiteral(", ")));
}

} // namespace

QStringList DumpConfig(const TConfig &c)
{
    QStringList out;
    out << QStringLiteral("Устройства: ") + N(c.DeviceCount());
    for (int a = 1; a <= TConfig::MaxAddress; ++a)
        if (const TDevice *d = c.Device(a))
            DumpDevice(out, a, *d);
    out << QStringLiteral("Разделы: ") + N(c.PartCount());
    for (int p = 1; p <= TConfig::MaxPart; ++p)
        if (const TPart *part = c.Part(p))
            DumpPart(out, c, p, *part);
    out << QStringLiteral("Пользователи: ") + N(c.UserCount());
    for (int n = 1; n <= TConfig::MaxUser; ++n)
        if (const TUser *u = c.User(n))
            out << QStringLiteral("  №") + N(n) + QStringLiteral(", ") + u->TypeName() +
                       QStringLiteral(", разделы ") + u->Part1Text() + QStringLiteral(" / ") +
                       u->Part2Text() + QStringLiteral(", пароли ") + u->Pswrd1 +
                       QStringLiteral(" / ") + u->Pswrd2;
    return out;
}
