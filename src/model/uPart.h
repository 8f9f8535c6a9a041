#pragma once

#include <QString>

#include <array>

class TFrame;

inline constexpr std::array<const char16_t *, 4> SMSTypeNames{
    u"Нет сообщений", u"Все", u"Тревожные", u"Тревожные и Взятия/Снятия"};
inline constexpr std::array<const char16_t *, 2> SMSCodeNames{u"Транслит", u"Русский"};

// One SMS notification of a partition.
class TSMS {
public:
    unsigned Type = 0; // SMSTypeNames
    QString Phone;     // decimal digits, at most 16
    unsigned Plus = 0; // the number begins with "+"
    unsigned Code = 0; // SMSCodeNames
    bool Changed = false;

    void Assign(const TSMS &source);
    QString TypeName() const;
    QString CodeName() const;
    // The number as the module keeps it, behind "+" when Plus is set: it travels as a value of
    // 54 bits, so leading zeros are not kept.
    QString NumberText() const;

    // The SMS record from field 9 on.
    void ReadRecord(const TFrame &frame);
    // The eight bytes of the SMS record of a write.
    void WriteRecord(TFrame &frame) const;
};

// A partition: its number is its slot in the configuration; its loops point to it.
class TPart {
public:
    static constexpr int SMSCount = 3;

    TPart(unsigned delay, const QString &keyDB);
    explicit TPart(const TPart &source);
    TPart &operator=(const TPart &) = delete;

    QString KeyDB;
    unsigned Delay = 0; // exit delay in seconds
    bool Changed = false;
    bool Deleted = false;

    // SMS record k (1..3), or null.
    TSMS *SMS(int k);
    const TSMS *SMS(int k) const;

    // Copies key, delay and the SMS records; no flags.
    void Assign(const TPart &source);
    void MarkDeleted();

    // The partition record from field 8 on: the delay in tens of seconds.
    void ReadRecord(const TFrame &frame);
    void WriteRecord(TFrame &frame) const;
    // An SMS record (code 0x18); an SMS number other than 1..3 is ignored.
    void ReadSMS(const TFrame &frame);

private:
    std::array<TSMS, SMSCount> FSMS;
};
