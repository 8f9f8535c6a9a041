#include "model/uUser.h"

#include "link/uFrame.h"
#include "model/uNaming.h"

namespace {

std::array<std::uint8_t, 4> PasswordAt(const TFrame &frame, int k)
{
    return {frame.Field(k), frame.Field(k + 1), frame.Field(k + 2), frame.Field(k + 3)};
}

void PutPassword(TFrame &frame, const QString &password)
{
    for (const std::uint8_t b : EncodePassword(password))
        frame.AddByte(b);
}

} // namespace

TUser::TUser(unsigned type, unsigned part1, unsigned part2, const QString &pswrd1,
             const QString &pswrd2)
    : Type(type), Part1(part1), Part2(part2), Pswrd1(pswrd1), Pswrd2(pswrd2)
{
}

TUser::TUser(const TUser &source) : TUser(0, 0, 0, QString(), QString()) { Assign(source); }

TUser TUser::Default()
{
    return TUser(0, 0, 0, QString::fromUtf16(DefaultPswrd1), QString::fromUtf16(DefaultPswrd2));
}

TUser TUser::Administrator()
{
    return TUser(TypeAdmin, 255, 0, QString::fromUtf16(DefaultPswrd1),
                 QString::fromUtf16(DefaultPswrd2));
}

void TUser::Assign(const TUser &source)
{
    Type = source.Type;
    Part1 = source.Part1;
    Part2 = source.Part2;
    Pswrd1 = source.Pswrd1;
    Pswrd2 = source.Pswrd2;
}

void TUser::MarkDeleted()
{
    Changed = true;
    Deleted = true;
}

QString TUser::TypeName() const { return TableName(UserTypeNames, Type); }
QString TUser::Part1Text() const { return NumToName(static_cast<std::uint8_t>(Part1)); }
QString TUser::Part2Text() const { return NumToName(static_cast<std::uint8_t>(Part2)); }

void TUser::ReadRecord(const TFrame &frame)
{
    Type = frame.Field(8);
    Pswrd1 = DecodePassword(PasswordAt(frame, 9));
    Pswrd2 = DecodePassword(PasswordAt(frame, 13));
    Part1 = frame.Field(17);
    Part2 = HasPart2() ? frame.Field(18) : 0;
}

void TUser::WriteRecord(TFrame &frame) const
{
    frame.AddByte(static_cast<std::uint8_t>(Type));
    PutPassword(frame, Pswrd1);
    PutPassword(frame, Pswrd2);
    frame.AddByte(static_cast<std::uint8_t>(Part1));
    if (HasPart2())
        frame.AddByte(static_cast<std::uint8_t>(Part2));
}

std::array<std::uint8_t, 4> EncodePassword(const QString &password)
{
    const quint64 v = DigitsValue(password);
    // The fourth byte keeps only bits 24..27 of the value, so the digit count stays intact.
    return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
            static_cast<std::uint8_t>(v >> 16),
            static_cast<std::uint8_t>(((v >> 24) & 0x0F) | (password.size() << 4))};
}

QString DecodePassword(const std::array<std::uint8_t, 4> &bytes)
{
    const quint32 value = bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) |
                          (static_cast<quint32>(bytes[3] & 0x0F) << 24);
    const int digits = bytes[3] >> 4;
    return PadLeft(QString::number(value).left(digits), u'0', digits);
}
