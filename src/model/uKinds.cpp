#include "model/uKinds.h"

#include <algorithm>
#include <initializer_list>

namespace {

bool IsOneOf(QStringView name, std::initializer_list<const char16_t *> names)
{
    return std::any_of(names.begin(), names.end(),
                       [name](const char16_t *n) { return name == QStringView(n); });
}

} // namespace

QString KindName(std::uint8_t code)
{
    const auto it =
        std::find_if(Kinds.begin(), Kinds.end(), [code](const TKind &k) { return k.Code == code; });
    return it == Kinds.end() ? QString() : QString::fromUtf16(it->Name);
}

std::uint8_t KindCode(QStringView name)
{
    const auto it = std::find_if(Kinds.begin(), Kinds.end(),
                                 [name](const TKind &k) { return name == QStringView(k.Name); });
    return it == Kinds.end() ? 0 : it->Code;
}

bool IsCM(QStringView name) { return name == u"ЦМ"; }
bool IsBR(QStringView name) { return name == u"БР-2"; }
bool IsRelayDevKind(QStringView name) { return IsCM(name) || IsBR(name); }
bool IsKP(QStringView name) { return name == u"КП"; }

bool IsVEKT(QStringView name)
{
    return IsOneOf(name, {u"ВЕКТ-8", u"ВЕКТ-8 v4", u"ВЕКТ-8Р", u"ВЕКТ-16Р", u"ВЕКТ-24Р"});
}

bool IsVMSGroup(QStringView name) { return IsOneOf(name, {u"ВМС-8", u"ВМС-16", u"ИБ-40"}); }
bool IsIB8(QStringView name) { return name == u"ИБ-8"; }
bool IsIndicDevKind(QStringView name) { return IsVMSGroup(name) || IsIB8(name); }

std::uint8_t RelayCount(QStringView name)
{
    if (!IsRelayDevKind(name))
        return 0;
    return IsCM(name) ? 3 : 2;
}

std::uint8_t LoopCount(QStringView name)
{
    if (name == u"ВЕКТ-16Р")
        return 16;
    if (name == u"ВЕКТ-24Р")
        return 24;
    return IsVEKT(name) ? 8 : 0;
}

std::uint8_t IndicatorCount(QStringView name)
{
    if (name == u"ВМС-16")
        return 16;
    if (name == u"ИБ-40")
        return 40;
    return IsIndicDevKind(name) ? 8 : 0;
}
