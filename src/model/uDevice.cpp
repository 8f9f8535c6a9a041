#include "model/uDevice.h"

#include "link/uFrame.h"

#include <algorithm>

namespace {

void Put(TFrame &frame, unsigned value) { frame.AddByte(static_cast<std::uint8_t>(value)); }

// Tens of seconds on the wire, seconds in memory (kept to one byte).
std::uint8_t DelayFromWire(std::uint8_t tens) { return static_cast<std::uint8_t>(tens * 10); }
std::uint8_t DelayToWire(unsigned seconds)
{
    return static_cast<std::uint8_t>((seconds & 0xFF) / 10);
}

bool IsIB40(QStringView type) { return type == u"ИБ-40"; }
// The indication expanders carry their mode first and their partition only in modes 2 and 3.
bool IsIBKind(QStringView type) { return IsIB8(type) || IsIB40(type); }

QString NumberText(std::uint8_t n) { return QString::number(n); }

// Copies the outputs both lists have.
template <typename T> void AssignOutputs(std::vector<T> &to, const std::vector<T> &from)
{
    const size_t n = std::min(to.size(), from.size());
    for (size_t i = 0; i < n; ++i)
        to[i].Assign(from[i]);
}

template <typename T> T *Output(std::vector<T> &outputs, int n)
{
    return n >= 1 && n <= static_cast<int>(outputs.size()) ? &outputs[n - 1] : nullptr;
}

// Clears the outputs that match, marking them changed.
template <typename T, typename Pred> void ClearWhere(std::vector<T> &outputs, Pred matches)
{
    for (T &o : outputs)
        if (matches(o)) {
            o.Clear();
            o.Changed = true;
        }
}

// Reference removal shared by relays and indicators: each points either to a partition or,
// in its loop mode, to a loop of a control panel.
template <typename T> void ClearOfPart(std::vector<T> &outputs, std::uint8_t p)
{
    ClearWhere(outputs, [p](const T &o) { return !o.PointsToLoop() && o.Device == p; });
}

template <typename T> void ClearOfDevice(std::vector<T> &outputs, std::uint8_t a)
{
    ClearWhere(outputs, [a](const T &o) { return o.PointsToLoop() && o.Device == a; });
}

template <typename T> void ClearOfLoop(std::vector<T> &outputs, std::uint8_t a, std::uint8_t l)
{
    ClearWhere(outputs,
               [a, l](const T &o) { return o.PointsToLoop() && o.Device == a && o.Shlf == l; });
}

} // namespace

// ---- TShleif ----

void TShleif::Clear()
{
    Type = 0;
    Delay = 0;
    Flags = 0;
    Part = 0;
}

void TShleif::Assign(const TShleif &source)
{
    Type = source.Type;
    Delay = source.Delay;
    Flags = source.Flags;
    Part = source.Part;
}

void TShleif::SetPart(std::uint8_t p)
{
    Part = p;
    if (Type == 0)
        Type = 2;
}

bool TShleif::IsFire() const { return Type == 1 || Type == 7 || Type == 8; }

bool TShleif::HasDelay() const { return Type == 3 || (IsFire() && (Flags & DoubleFire) == 0); }

QString TShleif::PartText() const { return NumToName(Part); }

QString TShleif::DelayText() const { return HasDelay() ? NumberText(Delay) : QString(); }

void TShleif::ReadRecord(const TFrame &frame)
{
    Clear();
    const std::uint8_t part = frame.Field(9);
    if (part == 0)
        return;
    Part = part;
    Type = frame.Field(10) & 0x0F;
    Flags = frame.Field(10) >> 5;
    if (HasDelay())
        Delay = DelayFromWire(frame.Field(11));
}

void TShleif::WriteRecord(TFrame &frame) const
{
    Put(frame, Part);
    Put(frame, ((Flags & 0x07) << 5) | (Type & 0x0F));
    if (HasDelay())
        Put(frame, DelayToWire(Delay));
}

// ---- TRelay ----

void TRelay::Clear()
{
    Mode = 0;
    Delay = 0;
    Device = 0;
    Shlf = 0;
    TwoShlf = 0;
}

void TRelay::Assign(const TRelay &source)
{
    Mode = source.Mode;
    Delay = source.Delay;
    Device = source.Device;
    Shlf = source.Shlf;
    TwoShlf = source.TwoShlf;
}

bool TRelay::HasDelay() const
{
    return Mode == 1 || Mode == 3 || Mode == 4 || Mode == ModeASPT || Mode == 6 || Mode == 7;
}

QString TRelay::PartText() const { return IsASPT() ? QString() : NumToName(Device); }
QString TRelay::DeviceText() const { return IsASPT() ? NumberText(Device) : QString(); }
QString TRelay::ShlfText() const { return IsASPT() ? NumberText(Shlf) : QString(); }

void TRelay::ReadRecord(const TFrame &frame)
{
    Clear();
    const std::uint8_t modeByte = frame.Field(9);
    Mode = modeByte & 0x0F;
    if (IsASPT())
        TwoShlf = modeByte >> 7;
    int k = 10;
    if (HasDelay())
        Delay = DelayFromWire(frame.Field(k++));
    if (Mode == 0)
        return;
    Device = frame.Field(k);
    if (IsASPT())
        Shlf = frame.Field(k + 1);
}

void TRelay::WriteRecord(TFrame &frame) const
{
    Put(frame, Mode | (IsASPT() && TwoShlf != 0 ? 0x80 : 0));
    if (HasDelay())
        Put(frame, DelayToWire(Delay));
    Put(frame, Device);
    if (IsASPT())
        Put(frame, Shlf);
}

// ---- TIndicator ----

void TIndicator::Clear()
{
    Mode = 0;
    Device = 0;
    Shlf = 0;
}

void TIndicator::Assign(const TIndicator &source)
{
    Mode = source.Mode;
    Device = source.Device;
    Shlf = source.Shlf;
}

QString TIndicator::PartText() const { return Mode == ModePart ? NumToName(Device) : QString(); }
QString TIndicator::DeviceText() const { return IsShlfMode() ? NumberText(Device) : QString(); }
QString TIndicator::ShlfText() const { return IsShlfMode() ? NumberText(Shlf) : QString(); }

void TIndicator::ReadRecord(const TFrame &frame)
{
    Clear();
    Mode = frame.Field(9) & 0x07;
    Shlf = frame.Field(9) >> 3;
    Device = frame.Field(10);
}

void TIndicator::WriteRecord(TFrame &frame) const
{
    Put(frame, IsShlfMode() ? Mode | (Shlf << 3) : Mode);
    Put(frame, Device);
}

// ---- TDevice ----

TDevice::TDevice(const QString &type, const QString &id, const QString &keyDB, const QString &soft,
                 const QString &dev, std::uint8_t state)
    : ID(id), KeyDB(keyDB), Type(type), vSoft(soft), vDev(dev), State(state)
{
}

void TDevice::Assign(const TDevice &source)
{
    ID = source.ID;
    KeyDB = source.KeyDB;
    vSoft = source.vSoft;
    vDev = source.vDev;
    State = source.State;
    if (auto *r = AsRelayDev(); r && source.AsRelayDev())
        r->AssignOwn(*source.AsRelayDev());
    else if (auto *k = AsKP(); k && source.AsKP())
        k->AssignOwn(*source.AsKP());
    else if (auto *v = AsVEKT(); v && source.AsVEKT())
        v->AssignOwn(*source.AsVEKT());
    else if (auto *i = AsIndicDev(); i && source.AsIndicDev())
        i->AssignOwn(*source.AsIndicDev());
}

std::unique_ptr<TDevice> TDevice::Clone() const
{
    if (const auto *r = AsRelayDev())
        return std::make_unique<TRelayDev>(*r);
    if (const auto *k = AsKP())
        return std::make_unique<TKP>(*k);
    if (const auto *v = AsVEKT())
        return std::make_unique<TVEKT>(*v);
    if (const auto *i = AsIndicDev())
        return std::make_unique<TIndicDev>(*i);
    return nullptr;
}

QString TDevice::IDText() const
{
    if (ID.size() <= 2)
        return ID;
    QString text;
    for (qsizetype end = ID.size(); end > 0; end -= 2) {
        const qsizetype start = std::max<qsizetype>(0, end - 2);
        text.prepend(ID.sliced(start, end - start));
        if (start > 0)
            text.prepend(u'-');
    }
    return text;
}

void TDevice::MarkDeleted()
{
    Changed = true;
    Deleted = true;
}

TRelayDev *TDevice::AsRelayDev() { return dynamic_cast<TRelayDev *>(this); }
TKP *TDevice::AsKP() { return dynamic_cast<TKP *>(this); }
TVEKT *TDevice::AsVEKT() { return dynamic_cast<TVEKT *>(this); }
TIndicDev *TDevice::AsIndicDev() { return dynamic_cast<TIndicDev *>(this); }
const TRelayDev *TDevice::AsRelayDev() const { return dynamic_cast<const TRelayDev *>(this); }
const TKP *TDevice::AsKP() const { return dynamic_cast<const TKP *>(this); }
const TVEKT *TDevice::AsVEKT() const { return dynamic_cast<const TVEKT *>(this); }
const TIndicDev *TDevice::AsIndicDev() const { return dynamic_cast<const TIndicDev *>(this); }

void TDevice::ReadRecord(const TFrame &frame)
{
    State = frame.Field(9);
    vSoft = VersionText(frame.Field(10));
    vDev = VersionText(frame.Field(11));
    ID.clear();
    for (int k = 17; k >= 12; --k)
        ID += HexByte(frame.Field(k));

    const std::uint8_t b18 = frame.Field(18);
    const std::uint8_t b19 = frame.Field(19);
    if (auto *kp = AsKP()) {
        kp->Part = b18;
        kp->Sound = b19;
    } else if (auto *ind = AsIndicDev()) {
        if (IsIBKind(Type)) {
            ind->Mode = b18 & 0x07;
            if (IsIB40(Type))
                ind->Sound = b18 >> 7;
            if (ind->ModeNeedsPart())
                ind->Part = b19;
        } else {
            ind->Part = b18;
            ind->Sound = b19 & 0x01;
            ind->Mode = (b19 >> 1) & 0x07;
        }
    }
}

void TDevice::WriteRecord(TFrame &frame) const
{
    Put(frame, KindCode(Type));
    for (const std::uint8_t b : IDBytes(ID))
        Put(frame, b);

    if (const auto *kp = AsKP()) {
        Put(frame, kp->Part);
        Put(frame,
            (kp->SoundKeys() ? TKP::SoundOnKeys : 0) | (kp->SoundArm() ? TKP::SoundOnArm : 0));
    } else if (const auto *ind = AsIndicDev()) {
        const unsigned sound = ind->Sound & 0x01;
        if (IsIBKind(Type)) {
            Put(frame, IsIB40(Type) ? ind->Mode | (sound << 7) : ind->Mode);
            if (ind->ModeNeedsPart())
                Put(frame, ind->Part);
        } else {
            Put(frame, ind->Part);
            Put(frame, (ind->Mode << 1) | sound);
        }
    }
}

// ---- TRelayDev ----

TRelayDev::TRelayDev(const QString &type, const QString &id, const QString &keyDB,
                     const QString &soft, const QString &dev, std::uint8_t state)
    : TDevice(type, id, keyDB, soft, dev, state), FRelays(RelayCount(type))
{
}

TRelayDev::TRelayDev(const TRelayDev &source)
    : TRelayDev(source.Type, QString(), QString(), QString(), QString(), 0)
{
    Assign(source);
}

void TRelayDev::AssignOwn(const TRelayDev &source) { AssignOutputs(FRelays, source.FRelays); }

TRelay *TRelayDev::Relay(int n) { return Output(FRelays, n); }
const TRelay *TRelayDev::Relay(int n) const { return const_cast<TRelayDev *>(this)->Relay(n); }

void TRelayDev::ClearRelaysOfPart(std::uint8_t p) { ClearOfPart(FRelays, p); }

void TRelayDev::ClearRelaysOfDevice(std::uint8_t a) { ClearOfDevice(FRelays, a); }

void TRelayDev::ClearRelaysOfLoop(std::uint8_t a, std::uint8_t l) { ClearOfLoop(FRelays, a, l); }

void TRelayDev::ReadRelay(const TFrame &frame)
{
    if (TRelay *r = Relay(frame.Field(8)))
        r->ReadRecord(frame);
}

// ---- TVEKT ----

TVEKT::TVEKT(const QString &type, const QString &id, const QString &keyDB, const QString &soft,
             const QString &dev, std::uint8_t state)
    : TDevice(type, id, keyDB, soft, dev, state), FLoops(LoopCount(type))
{
}

TVEKT::TVEKT(const TVEKT &source)
    : TVEKT(source.Type, QString(), QString(), QString(), QString(), 0)
{
    Assign(source);
}

void TVEKT::AssignOwn(const TVEKT &source) { AssignOutputs(FLoops, source.FLoops); }

TShleif *TVEKT::Loop(int n) { return Output(FLoops, n); }
const TShleif *TVEKT::Loop(int n) const { return const_cast<TVEKT *>(this)->Loop(n); }

void TVEKT::ClearLoopsOfPart(std::uint8_t p)
{
    ClearWhere(FLoops, [p](const TShleif &l) { return p == 255 ? l.Part != 0 : l.Part == p; });
}

bool TVEKT::HasBoundLoops() const
{
    return std::any_of(FLoops.begin(), FLoops.end(), [](const TShleif &l) { return l.Part != 0; });
}

bool TVEKT::PairIsFire(int n) const
{
    if (n < 1 || n > Count())
        return false;
    const TShleif *partner = Loop(PairOf(n));
    return partner != nullptr && partner->IsFire();
}

void TVEKT::ReadLoop(const TFrame &frame)
{
    if (TShleif *l = Loop(frame.Field(8)))
        l->ReadRecord(frame);
}

// ---- TIndicDev ----

TIndicDev::TIndicDev(const QString &type, const QString &id, const QString &keyDB,
                     const QString &soft, const QString &dev, std::uint8_t state)
    : TDevice(type, id, keyDB, soft, dev, state), FIndicators(IndicatorCount(type))
{
}

TIndicDev::TIndicDev(const TIndicDev &source)
    : TIndicDev(source.Type, QString(), QString(), QString(), QString(), 0)
{
    Assign(source);
}

void TIndicDev::AssignOwn(const TIndicDev &source)
{
    Sound = source.Sound;
    Mode = source.Mode;
    Part = source.Part;
    AssignOutputs(FIndicators, source.FIndicators);
}

TIndicator *TIndicDev::Indicator(int n) { return Output(FIndicators, n); }
const TIndicator *TIndicDev::Indicator(int n) const
{
    return const_cast<TIndicDev *>(this)->Indicator(n);
}

QString TIndicDev::PartText() const { return NumToName(Part); }

bool TIndicDev::CarriesPart() const { return !IsIBKind(Type) || ModeNeedsPart(); }

void TIndicDev::ClearIndicatorsOfPart(std::uint8_t p) { ClearOfPart(FIndicators, p); }

void TIndicDev::ClearIndicatorsOfDevice(std::uint8_t a) { ClearOfDevice(FIndicators, a); }

void TIndicDev::ClearIndicatorsOfLoop(std::uint8_t a, std::uint8_t l)
{
    ClearOfLoop(FIndicators, a, l);
}

void TIndicDev::ReadIndicator(const TFrame &frame)
{
    if (TIndicator *i = Indicator(frame.Field(8)))
        i->ReadRecord(frame);
}

// ---- TKP ----

TKP::TKP(const QString &type, const QString &id, const QString &keyDB, const QString &soft,
         const QString &dev, std::uint8_t state)
    : TDevice(type, id, keyDB, soft, dev, state)
{
}

TKP::TKP(const TKP &source) : TKP(source.Type, QString(), QString(), QString(), QString(), 0)
{
    Assign(source);
}

void TKP::AssignOwn(const TKP &source)
{
    Sound = source.Sound;
    Part = source.Part;
}

QString TKP::PartText() const { return NumToName(Part); }

void TKP::SetSound(bool keys, bool arm)
{
    Sound = static_cast<std::uint8_t>((keys ? SoundOnKeys : 0) | (arm ? SoundOnArm : 0));
}

// ---- free functions ----

std::unique_ptr<TDevice> NewDevice(const QString &type, const QString &id, const QString &keyDB,
                                   const QString &soft, const QString &dev, std::uint8_t state)
{
    if (IsRelayDevKind(type))
        return std::make_unique<TRelayDev>(type, id, keyDB, soft, dev, state);
    if (IsKP(type))
        return std::make_unique<TKP>(type, id, keyDB, soft, dev, state);
    if (IsVEKT(type))
        return std::make_unique<TVEKT>(type, id, keyDB, soft, dev, state);
    if (IsIndicDevKind(type))
        return std::make_unique<TIndicDev>(type, id, keyDB, soft, dev, state);
    return nullptr;
}

QString VersionText(std::uint8_t b)
{
    return QString::number(b >> 4) + u'.' + QString::number(b & 0x0F);
}

std::array<std::uint8_t, 6> IDBytes(const QString &id)
{
    const QString digits = PadLeft(id, u'0', 12);
    std::array<std::uint8_t, 6> bytes{};
    for (int i = 0; i < 6; ++i) {
        bool ok = false;
        const uint v = digits.sliced(10 - 2 * i, 2).toUInt(&ok, 16);
        bytes[i] = ok ? static_cast<std::uint8_t>(v) : 0;
    }
    return bytes;
}
