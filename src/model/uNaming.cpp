#include "model/uNaming.h"

#include "model/uNotify.h"

#include <algorithm>

namespace {

const QString NoPartName = QStringLiteral("Нет");
const QString AnyPartName = QStringLiteral("Любой");

// The value of a decimal text when it fits one byte, else 0.
std::uint8_t ByteValue(QStringView s)
{
    const int v = StrToIntDef(s, 0);
    return v >= 0 && v <= 255 ? static_cast<std::uint8_t>(v) : 0;
}

} // namespace

QString TrimControls(QStringView s)
{
    qsizetype first = 0;
    qsizetype last = s.size();
    while (first < last && s[first].unicode() <= 32)
        ++first;
    while (last > first && s[last - 1].unicode() <= 32)
        --last;
    return s.sliced(first, last - first).toString();
}

int StrToIntDef(QStringView s, int def)
{
    bool ok = false;
    const int v = TrimControls(s).toInt(&ok, 10);
    return ok ? v : def;
}

quint64 DigitsValue(QStringView s)
{
    const bool digitsOnly = !s.isEmpty() && std::all_of(s.begin(), s.end(), [](QChar c) {
        return c >= u'0' && c <= u'9';
    });
    bool ok = false;
    const quint64 v = digitsOnly ? s.toULongLong(&ok) : 0;
    return ok ? v : 0;
}

QString NumToName(std::uint8_t n)
{
    if (n == 0)
        return NoPartName;
    if (n == 255)
        return AnyPartName;
    return QString::number(n);
}

std::uint8_t NameToNum(QStringView s)
{
    const QString t = TrimControls(s);
    if (t == NoPartName)
        return 0;
    if (t == AnyPartName)
        return 255;
    return ByteValue(t);
}

QString PadLeft(const QString &s, QChar ch, int len)
{
    return s.size() >= len ? s : QString(len - s.size(), ch) + s;
}

QString PairText(int address, int loop)
{
    return QString::number(address) + u'/' + QString::number(loop);
}

bool ParsePair(QStringView s, std::uint8_t &a, std::uint8_t &b)
{
    a = 0;
    b = 0;
    const qsizetype slash = s.indexOf(u'/');
    if (slash < 0)
        return false;
    a = ByteValue(s.first(slash));
    if (a == 0)
        return false;
    b = ByteValue(s.sliced(slash + 1));
    return b != 0;
}

QString DeviceName(int address, const QString &model)
{
    const QString at = QStringLiteral("Устройство [") + QString::number(address) + u']';
    return model.isEmpty() ? at : at + u' ' + model;
}

QString PartName(int number) { return QStringLiteral("Раздел №") + QString::number(number); }

QString UserName(int number) { return QStringLiteral("Пользователь №") + QString::number(number); }

QString PieceName(QStringView word, int number)
{
    return QStringLiteral(", ") + word.toString() + u' ' + QString::number(number);
}

QString HexByte(std::uint8_t b) { return QString::number(b, 16).toUpper().rightJustified(2, u'0'); }

bool ConfirmChange(TQuestion &question)
{
    return question.AskYesNo(QStringLiteral("Вы действительно хотите изменить настройки?"),
                             QStringLiteral("Внимание"));
}
