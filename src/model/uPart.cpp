#include "model/uPart.h"

#include "link/uFrame.h"
#include "model/uNaming.h"

// ---- TSMS ----

void TSMS::Assign(const TSMS &source)
{
    Type = source.Type;
    Phone = source.Phone;
    Plus = source.Plus;
    Code = source.Code;
}

QString TSMS::TypeName() const { return TableName(SMSTypeNames, Type); }
QString TSMS::CodeName() const { return TableName(SMSCodeNames, Code); }

QString TSMS::NumberText() const
{
    const quint64 value = DigitsValue(Phone) & ((quint64{1} << 54) - 1);
    return (Plus != 0 ? QStringLiteral("+") : QString()) +
           (value != 0 ? QString::number(value) : QString());
}

void TSMS::ReadRecord(const TFrame &frame)
{
    quint64 v = 0;
    for (int k = 14; k >= 9; --k)
        v = (v << 8) | frame.Field(k);
    v |= static_cast<quint64>(frame.Field(15) & 0x3F) << 48;
    // An empty number travels as 0, so 0 reads back as no number.
    Phone = v == 0 ? QString() : QString::number(v);
    Plus = (frame.Field(15) >> 6) & 0x01;
    Code = frame.Field(16) & 0x01;
    Type = (frame.Field(16) >> 2) & 0x07;
}

void TSMS::WriteRecord(TFrame &frame) const
{
    const quint64 v = DigitsValue(Phone);
    for (int i = 0; i < 6; ++i)
        frame.AddByte(static_cast<std::uint8_t>(v >> (8 * i)));
    frame.AddByte(static_cast<std::uint8_t>((v >> 48) | (Plus != 0 ? 0x40 : 0)));
    frame.AddByte(static_cast<std::uint8_t>(Code | (Type << 2)));
}

// ---- TPart ----

TPart::TPart(unsigned delay, const QString &keyDB) : KeyDB(keyDB), Delay(delay) {}

TPart::TPart(const TPart &source) : TPart(0, QString()) { Assign(source); }

TSMS *TPart::SMS(int k) { return k >= 1 && k <= SMSCount ? &FSMS[k - 1] : nullptr; }
const TSMS *TPart::SMS(int k) const { return const_cast<TPart *>(this)->SMS(k); }

void TPart::Assign(const TPart &source)
{
    KeyDB = source.KeyDB;
    Delay = source.Delay;
    for (int k = 0; k < SMSCount; ++k)
        FSMS[k].Assign(source.FSMS[k]);
}

void TPart::MarkDeleted()
{
    Changed = true;
    Deleted = true;
}

void TPart::ReadRecord(const TFrame &frame) { Delay = (frame.Field(8) * 10u) & 0xFF; }

void TPart::WriteRecord(TFrame &frame) const
{
    frame.AddByte(static_cast<std::uint8_t>((Delay & 0xFF) / 10));
}

void TPart::ReadSMS(const TFrame &frame)
{
    if (TSMS *s = SMS(frame.Field(8)))
        s->ReadRecord(frame);
}
