#pragma once

#include <QString>
#include <QStringView>

#include <array>
#include <cstdint>

// The twelve device models: a device's model is held as its name in memory and in the database
// and travels on the wire as a one-byte kind code. Model names are compared whole and exactly.

struct TKind {
    const char16_t *Name;
    std::uint8_t Code;
};

// In the order the create-device dialog offers the models.
inline constexpr std::array<TKind, 12> Kinds{{
    {u"ЦМ", 1},
    {u"ВЕКТ-8", 105},
    {u"ВЕКТ-8 v4", 100},
    {u"ВЕКТ-8Р", 102},
    {u"ВЕКТ-16Р", 104},
    {u"ВЕКТ-24Р", 103},
    {u"КП", 10},
    {u"БР-2", 40},
    {u"ВМС-8", 20},
    {u"ВМС-16", 22},
    {u"ИБ-8", 30},
    {u"ИБ-40", 31},
}};

// The model name of a kind code; empty for a code that names no model.
QString KindName(std::uint8_t code);
// The kind code of a model name; 0 for a name that is not a model.
std::uint8_t KindCode(QStringView name);

bool IsCM(QStringView name);
bool IsBR(QStringView name);
bool IsRelayDevKind(QStringView name);
bool IsKP(QStringView name);
bool IsVEKT(QStringView name);
bool IsVMSGroup(QStringView name);
bool IsIB8(QStringView name);
bool IsIndicDevKind(QStringView name);

// Outputs a model carries; 0 for a model outside the group that has them.
std::uint8_t RelayCount(QStringView name);
std::uint8_t LoopCount(QStringView name);
std::uint8_t IndicatorCount(QStringView name);
