#pragma once

#include <QString>
#include <QStringView>

#include <array>
#include <cstddef>
#include <cstdint>

class TQuestion;

// Small text routines shared by the model, the storage and the windows.

// The text without leading and trailing characters of code 32 and below.
QString TrimControls(QStringView s);

// The decimal value of the text (blanks around it allowed), or def when it is not a decimal
// number that fits a signed 32-bit integer.
int StrToIntDef(QStringView s, int def);

// The value of a text of decimal digits only (passwords, telephone numbers); 0 for any other
// text, blanks and signs included, and for one too long for 64 bits.
quint64 DigitsValue(QStringView s);

// A partition reference as shown: "Нет" for 0, "Любой" for 255, else the decimal number.
QString NumToName(std::uint8_t n);
// The partition reference of a shown text: "Нет" 0, "Любой" 255, a decimal number its value;
// 0 for anything else, a number outside 0..255 included.
std::uint8_t NameToNum(QStringView s);

// s with ch prepended until it is at least len characters long.
QString PadLeft(const QString &s, QChar ch, int len);

// A loop as "address/loop": "2/5" is loop 5 of the device at address 2.
QString PairText(int address, int loop);
// Splits an "address/loop" text such as "2/5". True only when the text holds a "/" and both
// parts are numbers from 1 to 255; a part that is not such a number reads as 0.
bool ParsePair(QStringView s, std::uint8_t &a, std::uint8_t &b);

// The question every settings dialog asks before it changes an object that exists: true for Yes.
bool ConfirmChange(TQuestion &question);

// How lines and lists name the objects of a configuration: "Устройство [3] ВЕКТ-16Р" (a device
// by its address, and its model when it has one), "Раздел №2", "Пользователь №5"; an output or
// an SMS record follows its owner's name as ", шлейф 5".
QString DeviceName(int address, const QString &model);
QString PartName(int number);
QString UserName(int number);
QString PieceName(QStringView word, int number);

// A byte as two upper-case hexadecimal digits.
QString HexByte(std::uint8_t b);

// The name of a value in one of the system's value tables; empty for a value past the table,
// which a record from the wire may hold.
template <std::size_t N>
QString TableName(const std::array<const char16_t *, N> &names, unsigned value)
{
    return value < N ? QString::fromUtf16(names[value]) : QString();
}
