#include "link/uOptnLink.h"

#include "storage/uIniFile.h"

#include <limits>

namespace {

const QString Section = QStringLiteral("Link");

// The integer of a key when it lies in [low, high], else def.
int ReadRanged(const TIniFile &ini, const QString &key, int def, int low, int high)
{
    const int v = ini.ReadInteger(Section, key, def);
    return v >= low && v <= high ? v : def;
}

} // namespace

TOptnLink LoadLinkSettings(const TIniPath &iniPath)
{
    const TIniFile ini(iniPath);
    const TOptnLink defaults;
    TOptnLink link;
    link.Type = ReadRanged(ini, QStringLiteral("Type"), defaults.Type, 0, 1);
    // Names and addresses: blanks around a hand-edited value are no part of them.
    link.COMPort = ini.ReadString(Section, QStringLiteral("COMPort"), defaults.COMPort).trimmed();
    link.COMSpeed = ReadRanged(ini, QStringLiteral("COMSpeed"), defaults.COMSpeed, 1,
                               std::numeric_limits<int>::max());
    link.IP = ini.ReadString(Section, QStringLiteral("IP"), defaults.IP).trimmed();
    link.Port = ReadRanged(ini, QStringLiteral("Port"), defaults.Port, 1, 65535);
    return link;
}

bool SaveLinkSettings(const TIniPath &iniPath, const TOptnLink &link, TMessageSink &messages)
{
    TIniFile ini(iniPath);
    ini.ReplaceSection(Section, {
                                    {QStringLiteral("Type"), QString::number(link.Type)},
                                    {QStringLiteral("COMPort"), link.COMPort},
                                    {QStringLiteral("COMSpeed"), QString::number(link.COMSpeed)},
                                    {QStringLiteral("IP"), link.IP},
                                    {QStringLiteral("Port"), QString::number(link.Port)},
                                });
    return ini.Save(messages);
}

bool ParseUdpAddress(const QString &text, QString &address, int &port)
{
    const QStringList parts = text.split(u':');
    if (parts.size() > 2 || parts[0].isEmpty())
        return false;
    address = parts[0];
    if (parts.size() == 1)
        return true;
    bool ok = false;
    const int p = parts[1].toInt(&ok);
    if (!ok || p < 1 || p > 65535)
        return false;
    port = p;
    return true;
}
