#include "model/uCompare.h"

#include "model/uConfig.h"
#include "model/uKinds.h"
#include "model/uNaming.h"

#include <array>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

// Every object is described as pieces (the object itself, then its numbered outputs or SMS
// records), each a list of fields as the module keeps them. Two objects of the same kind give
// the same pieces and fields in the same order, so they are compared position by position.

namespace {

// A field's name and its value as shown; no value when the link does not carry the field for
// this object (a loop without a delay, a relay's loop outside "АСПТ").
struct TField {
    const char16_t *Name;
    std::optional<QString> Value;
};
using TFields = std::vector<TField>;

// A piece of an object: its name after the object's (", шлейф 5"), and its fields.
struct TPiece {
    QString Name;
    TFields Fields;
};
using TPieces = std::vector<TPiece>;

QString N(qint64 n) { return QString::number(n); }
QString YesNo(bool yes) { return yes ? QStringLiteral("да") : QStringLiteral("нет"); }
QString OrNone(const QString &text) { return text.isEmpty() ? QStringLiteral("нет") : text; }

std::optional<QString> Carried(bool carried, const QString &value)
{
    return carried ? std::optional<QString>(value) : std::nullopt;
}

// A partition reference the link does not carry is read back as none.
QString PartRef(bool carried, std::uint8_t part) { return NumToName(carried ? part : 0); }

// A delay travels in whole tens of seconds, kept to one byte.
QString DelayText(unsigned seconds) { return N((seconds & 0xFF) / 10 * 10) + QStringLiteral(" с"); }

// The identifier as it travels: six bytes, shown as pairs most significant first.
QString WireID(const QString &id)
{
    const std::array<std::uint8_t, 6> bytes = IDBytes(id);
    QStringList pairs;
    for (auto b = bytes.crbegin(); b != bytes.crend(); ++b)
        pairs << HexByte(*b);
    return pairs.join(u'-');
}

QString WirePassword(const QString &password)
{
    return OrNone(DecodePassword(EncodePassword(password)));
}

QString FlagsText(std::uint8_t flags)
{
    static constexpr std::array<std::pair<std::uint8_t, const char16_t *>, 3> names{
        {{TShleif::ResetFire, u"контрольный сброс"},
         {TShleif::DoubleFire, u"двойное срабатывание"},
         {TShleif::Tamper, u"контроль взлома"}}};
    QStringList set;
    for (const auto &[flag, name] : names)
        if ((flags & flag) != 0)
            set << QString::fromUtf16(name);
    return OrNone(set.join(QStringLiteral(", ")));
}

TFields LoopFields(const TShleif &loop)
{
    // A loop outside every partition is not sent: the module keeps it cleared.
    TShleif l;
    if (loop.Part != 0)
        l.Assign(loop);
    return {{u"раздел", l.PartText()},
            {u"тип", l.TypeName()},
            {u"флаги", FlagsText(l.Flags)},
            {u"задержка", Carried(l.HasDelay(), DelayText(l.Delay))}};
}

TFields RelayFields(const TRelay &relay)
{
    // A relay that names neither a partition nor a loop is not sent, and one without a mode is
    // read back cleared.
    TRelay r;
    if (relay.Mode != 0 && (relay.IsASPT() || relay.Device != 0))
        r.Assign(relay);
    const bool toLoop = r.PointsToLoop();
    return {{u"режим", r.ModeName()},
            {u"задержка", Carried(r.HasDelay(), DelayText(r.Delay))},
            {u"раздел", Carried(r.Mode != 0 && !toLoop, r.PartText())},
            {u"шлейф", Carried(toLoop, PairText(r.Device, r.Shlf))},
            {u"сработка по двум шлейфам", Carried(toLoop, YesNo(r.TwoShlf != 0))}};
}

TFields IndicatorFields(const TIndicator &indicator, bool sent)
{
    // An indicator that names neither a partition nor a loop is not sent.
    TIndicator i;
    if (sent && (indicator.PointsToLoop() || indicator.Device != 0))
        i.Assign(indicator);
    return {{u"режим", i.ModeName()},
            {u"раздел", Carried(i.Mode == TIndicator::ModePart, i.PartText())},
            {u"шлейф", Carried(i.PointsToLoop(), PairText(i.Device, i.Shlf))}};
}

TFields SMSFields(const TSMS &s)
{
    return {
        {u"тип", s.TypeName()}, {u"номер", OrNone(s.NumberText())}, {u"кодировка", s.CodeName()}};
}

TFields IndicDevFields(const TIndicDev &unit)
{
    // "ИБ-8" carries no sound.
    return {{u"режим", unit.ModeName()},
            {u"раздел", PartRef(unit.CarriesPart(), unit.Part)},
            {u"звук", Carried(!IsIB8(unit.Type), YesNo((unit.Sound & 0x01) != 0))}};
}

TFields KPFields(const TKP &k)
{
    return {{u"раздел", k.PartText()},
            {u"звук при нажатии", YesNo(k.SoundKeys())},
            {u"звук при взятии/снятии", YesNo(k.SoundArm())}};
}

TFields DeviceFields(const TDevice &d)
{
    TFields fields{{u"идентификатор", WireID(d.ID)}};
    const TFields own = d.AsKP()         ? KPFields(*d.AsKP())
                        : d.AsIndicDev() ? IndicDevFields(*d.AsIndicDev())
                                         : TFields();
    fields.insert(fields.end(), own.begin(), own.end());
    return fields;
}

// Adds a piece per number 1..count, named "word number".
template <typename F> void AddNumbered(TPieces &pieces, const char16_t *word, int count, F fieldsOf)
{
    for (int n = 1; n <= count; ++n)
        pieces.push_back({PieceName(word, n), fieldsOf(n)});
}

TPieces Pieces(const TDevice &d)
{
    TPieces pieces{{QString(), DeviceFields(d)}};
    if (const TVEKT *v = d.AsVEKT())
        AddNumbered(pieces, u"шлейф", v->Count(), [v](int n) { return LoopFields(*v->Loop(n)); });
    else if (const TRelayDev *r = d.AsRelayDev())
        AddNumbered(pieces, u"реле", r->Count(), [r](int n) { return RelayFields(*r->Relay(n)); });
    else if (const TIndicDev *i = d.AsIndicDev())
        // Only an individually set up unit has its indicators sent.
        AddNumbered(pieces, u"индикатор", i->Count(),
                    [i](int n) { return IndicatorFields(*i->Indicator(n), i->IsIndividual()); });
    return pieces;
}

TPieces Pieces(const TPart &part)
{
    TPieces pieces{{QString(), {{u"задержка на выход", DelayText(part.Delay)}}}};
    AddNumbered(pieces, u"СМС", TPart::SMSCount,
                [&part](int k) { return SMSFields(*part.SMS(k)); });
    return pieces;
}

TPieces Pieces(const TUser &u)
{
    return {{QString(),
             {{u"тип", u.TypeName()},
              {u"основной раздел", u.Part1Text()},
              {u"дополнительный раздел", PartRef(u.HasPart2(), static_cast<std::uint8_t>(u.Part2))},
              {u"пароль", WirePassword(u.Pswrd1)},
              {u"пароль тихой тревоги", WirePassword(u.Pswrd2)}}}};
}

QString Shown(const std::optional<QString> &value) { return value.value_or(QStringLiteral("—")); }

QString Change(const QString &first, const QString &second)
{
    return first + QStringLiteral(" → ") + second;
}

// A line per field in which two objects of the same kind differ.
void AddDifferences(QStringList &out, const QString &object, const TPieces &a, const TPieces &b)
{
    for (size_t p = 0; p < a.size(); ++p)
        for (size_t f = 0; f < a[p].Fields.size(); ++f) {
            const TField &x = a[p].Fields[f];
            const TField &y = b[p].Fields[f];
            if (x.Value != y.Value)
                out << object + a[p].Name + QStringLiteral(": ") + QString::fromUtf16(x.Name) +
                           u' ' + Change(Shown(x.Value), Shown(y.Value));
        }
}

// An object that either side may lack: one line when only one side has it.
template <typename T>
void CompareObject(QStringList &out, const QString &object, const T *a, const T *b)
{
    if (a && b)
        AddDifferences(out, object, Pieces(*a), Pieces(*b));
    else if (a || b)
        out << object + QStringLiteral(": ") +
                   (a ? Change(QStringLiteral("есть"), QStringLiteral("нет"))
                      : Change(QStringLiteral("нет"), QStringLiteral("есть")));
}

// A device of another model at the same address is another device: one line.
void CompareDevice(QStringList &out, int address, const TDevice *a, const TDevice *b)
{
    if (a && b && a->Type != b->Type)
        out << DeviceName(address, {}) + QStringLiteral(": модель ") + Change(a->Type, b->Type);
    else if (a || b)
        CompareObject(out, DeviceName(address, (a ? a : b)->Type), a, b);
}

} // namespace

QStringList CompareConfigs(const TConfig &first, const TConfig &second)
{
    QStringList out;
    for (int a = 1; a <= TConfig::MaxAddress; ++a)
        CompareDevice(out, a, first.Device(a), second.Device(a));
    for (int p = 1; p <= TConfig::MaxPart; ++p)
        CompareObject(out, PartName(p), first.Part(p), second.Part(p));
    for (int n = 1; n <= TConfig::MaxUser; ++n)
        CompareObject(out, UserName(n), first.User(n), second.User(n));
    return out;
}
