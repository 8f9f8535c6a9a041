#pragma once

#include "model/uKinds.h"
#include "model/uNaming.h"

#include <QString>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class TFrame;

// Value tables, indexed by the stored value.
inline constexpr std::array<const char16_t *, 10> ShleifTypeNames{u"ИСКЛЮЧЁН",
                                                                  u"ПОЖАРНЫЙ ТИП1",
                                                                  u"ОХРАННЫЙ БЕЗ ЗАДЕРЖКИ",
                                                                  u"ОХРАННЫЙ С ЗАДЕРЖКОЙ",
                                                                  u"ПАТРУЛЬНЫЙ",
                                                                  u"КТС",
                                                                  u"ПРОХОДНОЙ",
                                                                  u"ПОЖАРНЫЙ ТИП2",
                                                                  u"ПОЖАРНЫЙ ТИП3",
                                                                  u"ТЕХНОЛОГИЧЕСКИЙ"};
inline constexpr std::array<const char16_t *, 10> RelayModeNames{u"Не определён",
                                                                 u"Раздел - сирена",
                                                                 u"Раздел - выносная индикация",
                                                                 u"Раздел - вкл.-выкл.",
                                                                 u"Раздел - выкл.-вкл.",
                                                                 u"АСПТ",
                                                                 u"Событие - вкл.-выкл.",
                                                                 u"Событие - выкл.-вкл.",
                                                                 u"ПЦН1",
                                                                 u"ПЦН2"};
inline constexpr std::array<const char16_t *, 3> IndicatorModeNames{
    u"Не определён", u"Состояние раздела", u"Состояние ШС"};
inline constexpr std::array<const char16_t *, 4> IndicDevModeNames{
    u"Не определён", u"Индивидуальный", u"Состояние раздела", u"Состояние ШС"};

// An alarm loop (ШС) of a control panel.
class TShleif {
public:
    // Flag values.
    static constexpr std::uint8_t ResetFire = 1; // "Контрольный сброс пожарного ШС"
    static constexpr std::uint8_t DoubleFire = 2; // "Двойное срабатывание (для пож. ШС)"
    static constexpr std::uint8_t Tamper = 4; // "Контроль взлома охранных ШС"

    std::uint8_t Type = 0; // ShleifTypeNames
    std::uint8_t Delay = 0;
    std::uint8_t Flags = 0;
    std::uint8_t Part = 0; // partition reference
    bool Changed = false;

    void Clear();
    void Assign(const TShleif &source);
    // Joins partition p; an excluded loop becomes "ОХРАННЫЙ БЕЗ ЗАДЕРЖКИ".
    void SetPart(std::uint8_t p);
    bool IsFire() const;
    bool HasDelay() const;
    QString TypeName() const { return TableName(ShleifTypeNames, Type); }
    QString PartText() const;
    QString DelayText() const;

    // The loop record from field 9 on; a loop outside every partition is stored cleared.
    void ReadRecord(const TFrame &frame);
    void WriteRecord(TFrame &frame) const;
};

class TRelay {
public:
    static constexpr std::uint8_t ModeASPT = 5;

    std::uint8_t Mode = 0; // RelayModeNames
    std::uint8_t Delay = 0;
    std::uint8_t Device = 0; // "АСПТ": a control panel's address; else a partition reference
    std::uint8_t Shlf = 0;   // "АСПТ": the loop number on that panel
    std::uint8_t TwoShlf = 0;
    bool Changed = false;

    void Clear();
    void Assign(const TRelay &source);
    bool HasDelay() const;
    bool IsASPT() const { return Mode == ModeASPT; }
    // An "АСПТ" relay points to a loop (Device, Shlf); any other to a partition (Device).
    bool PointsToLoop() const { return IsASPT(); }
    QString ModeName() const { return TableName(RelayModeNames, Mode); }
    QString PartText() const;
    QString DeviceText() const;
    QString ShlfText() const;

    void ReadRecord(const TFrame &frame);
    void WriteRecord(TFrame &frame) const;
};

class TIndicator {
public:
    static constexpr std::uint8_t ModePart = 1;
    static constexpr std::uint8_t ModeShlf = 2;

    std::uint8_t Mode = 0;   // IndicatorModeNames
    std::uint8_t Device = 0; // mode 1: a partition reference; mode 2: a control panel's address
    std::uint8_t Shlf = 0;   // mode 2: the loop number on that panel
    bool Changed = false;

    void Clear();
    void Assign(const TIndicator &source);
    bool IsShlfMode() const { return Mode == ModeShlf; }
    // A loop-state indicator points to a loop (Device, Shlf); any other to a partition.
    bool PointsToLoop() const { return IsShlfMode(); }
    QString ModeName() const { return TableName(IndicatorModeNames, Mode); }
    QString PartText() const;
    QString DeviceText() const;
    QString ShlfText() const;

    void ReadRecord(const TFrame &frame);
    void WriteRecord(TFrame &frame) const;
};

class TRelayDev;
class TVEKT;
class TIndicDev;
class TKP;

// A device on the alarm bus. Its model (Type) fixes its class and output count for life; its
// network address is its slot in the configuration, not a field.
class TDevice {
public:
    TDevice(const QString &type, const QString &id, const QString &keyDB, const QString &soft,
            const QString &dev, std::uint8_t state);
    TDevice(const TDevice &) = delete;
    TDevice &operator=(const TDevice &) = delete;
    virtual ~TDevice() = default;

    QString ID; // 12 upper-case hexadecimal digits, most significant first
    QString KeyDB;
    const QString Type;
    QString vSoft;
    QString vDev;
    std::uint8_t State = 0;
    bool Changed = false;
    bool Deleted = false;
    std::uint8_t NewNA = 0;

    // Copies identity, versions, state, the class's own fields and every output; no flags.
    // Outputs are copied as far as both devices have them.
    void Assign(const TDevice &source);
    // A new object of the same class and model with the same settings.
    std::unique_ptr<TDevice> Clone() const;

    // The identifier in pairs from the right: 00-20-FF-78-C5-34.
    QString IDText() const;
    void MarkDeleted();

    bool IsCM() const { return ::IsCM(Type); }
    bool IsKP() const { return ::IsKP(Type); }
    bool IsVEKT() const { return ::IsVEKT(Type); }
    bool IsIndicDevKind() const { return ::IsIndicDevKind(Type); }
    bool IsRelayDevKind() const { return ::IsRelayDevKind(Type); }

    // The device as its class, or null when it is of another class.
    TRelayDev *AsRelayDev();
    TKP *AsKP();
    TVEKT *AsVEKT();
    TIndicDev *AsIndicDev();
    const TRelayDev *AsRelayDev() const;
    const TKP *AsKP() const;
    const TVEKT *AsVEKT() const;
    const TIndicDev *AsIndicDev() const;

    // The identification record (code 0x10) from field 9 on: state, versions, identifier, and
    // the class's own fields.
    void ReadRecord(const TFrame &frame);
    // The device record of a write: kind code, identifier least significant byte first, and
    // the class's own fields.
    void WriteRecord(TFrame &frame) const;
};

// "ЦМ" and "БР-2": relays only.
class TRelayDev : public TDevice {
public:
    TRelayDev(const QString &type, const QString &id, const QString &keyDB, const QString &soft,
              const QString &dev, std::uint8_t state);
    explicit TRelayDev(const TRelayDev &source);
    // Copies the relays (used by TDevice::Assign).
    void AssignOwn(const TRelayDev &source);

    int Count() const { return static_cast<int>(FRelays.size()); }
    // Relay n (1..Count), or null.
    TRelay *Relay(int n);
    const TRelay *Relay(int n) const;

    void ClearRelaysOfPart(std::uint8_t p);
    void ClearRelaysOfDevice(std::uint8_t a);
    void ClearRelaysOfLoop(std::uint8_t a, std::uint8_t l);
    // A relay record (code 0x15); a relay number of 0 or above Count is ignored.
    void ReadRelay(const TFrame &frame);

private:
    std::vector<TRelay> FRelays;
};

// The control panels (ВЕКТ family): the devices with loops.
class TVEKT : public TDevice {
public:
    TVEKT(const QString &type, const QString &id, const QString &keyDB, const QString &soft,
          const QString &dev, std::uint8_t state);
    explicit TVEKT(const TVEKT &source);
    // Copies the loops (used by TDevice::Assign).
    void AssignOwn(const TVEKT &source);

    int Count() const { return static_cast<int>(FLoops.size()); }
    TShleif *Loop(int n);
    const TShleif *Loop(int n) const;

    // Clears each loop of partition p; with 255, each loop that is in any partition.
    void ClearLoopsOfPart(std::uint8_t p);
    bool HasBoundLoops() const;
    // The other loop of n's pair: loops pair as 1-2, 3-4, ...
    static int PairOf(int n) { return n % 2 == 1 ? n + 1 : n - 1; }
    // Whether the other loop of n's pair is a fire loop.
    bool PairIsFire(int n) const;
    void ReadLoop(const TFrame &frame);

private:
    std::vector<TShleif> FLoops;
};

// "ВМС-8", "ВМС-16", "ИБ-8", "ИБ-40": the devices with indicators.
class TIndicDev : public TDevice {
public:
    static constexpr std::uint8_t ModeIndividual = 1;

    TIndicDev(const QString &type, const QString &id, const QString &keyDB, const QString &soft,
              const QString &dev, std::uint8_t state);
    explicit TIndicDev(const TIndicDev &source);
    // Copies sound, mode, partition and the indicators (used by TDevice::Assign).
    void AssignOwn(const TIndicDev &source);

    std::uint8_t Sound = 1;
    std::uint8_t Mode = 0; // IndicDevModeNames
    std::uint8_t Part = 0; // partition reference

    int Count() const { return static_cast<int>(FIndicators.size()); }
    TIndicator *Indicator(int n);
    const TIndicator *Indicator(int n) const;

    bool IsIndividual() const { return Mode == ModeIndividual; }
    // "Состояние раздела" and "Состояние ШС" show the unit's partition: they need one.
    bool ModeNeedsPart() const { return Mode == 2 || Mode == 3; }
    // Whether the unit's record carries its partition: the indication expanders ("ИБ-8",
    // "ИБ-40") carry it only in the modes that need one.
    bool CarriesPart() const;
    QString ModeName() const { return TableName(IndicDevModeNames, Mode); }
    QString PartText() const;

    void ClearIndicatorsOfPart(std::uint8_t p);
    void ClearIndicatorsOfDevice(std::uint8_t a);
    void ClearIndicatorsOfLoop(std::uint8_t a, std::uint8_t l);
    void ReadIndicator(const TFrame &frame);

private:
    std::vector<TIndicator> FIndicators;
};

// "КП": a control keypad.
class TKP : public TDevice {
public:
    static constexpr std::uint8_t SoundOnKeys = 1; // "Нажатии на клавиатуру"
    static constexpr std::uint8_t SoundOnArm = 2;  // "Взятии / Снятии"

    TKP(const QString &type, const QString &id, const QString &keyDB, const QString &soft,
        const QString &dev, std::uint8_t state);
    explicit TKP(const TKP &source);
    // Copies sound and partition (used by TDevice::Assign).
    void AssignOwn(const TKP &source);

    std::uint8_t Sound = SoundOnKeys | SoundOnArm;
    std::uint8_t Part = 0; // partition reference

    QString PartText() const;
    bool SoundKeys() const { return (Sound & SoundOnKeys) != 0; }
    bool SoundArm() const { return (Sound & SoundOnArm) != 0; }
    void SetSound(bool keys, bool arm);
};

// A device of the class its model belongs to, with every output cleared; null for a name that
// is no model.
std::unique_ptr<TDevice> NewDevice(const QString &type, const QString &id, const QString &keyDB,
                                   const QString &soft, const QString &dev, std::uint8_t state);

// A version byte as text: high nibble "." low nibble, both decimal (0x1A gives 1.10).
QString VersionText(std::uint8_t b);

// The six bytes of an identifier text, least significant first: the text widened with leading
// "0" to 12 hexadecimal digits, then its digit pairs from the right; a pair that is not
// hexadecimal gives 0.
std::array<std::uint8_t, 6> IDBytes(const QString &id);
