#pragma once

#include "storage/uIniFile.h"

#include <QString>

class TMessageSink;

// How the tool reaches the communication module, kept in section "Link" of the INI file.
struct TOptnLink {
    int Type = 0;                             // 0 serial port, 1 UDP
    QString COMPort = QStringLiteral("COM1"); // serial port name
    int COMSpeed = 57600;                     // stored and shown only; the link runs at 57600
    QString IP;                               // the module's address, dotted decimal
    int Port = 10001;                         // the module's UDP port, also bound locally

    bool operator==(const TOptnLink &) const = default;
};

// The access password the link jobs log in with.
struct TOptnAccess {
    QString Password;

    bool operator==(const TOptnAccess &) const = default;
};

// Splits "ADDRESS[:PORT]" as given on a command line; the port stays as it was when the text
// names none. False when the port is not a number from 1 to 65535.
bool ParseUdpAddress(const QString &text, QString &address, int &port);

// Reads section "Link"; a missing key, or a value that is not a number or is out of its range
// (Type other than 0 or 1, Port outside 1..65535, COMSpeed not positive), reads as the default.
TOptnLink LoadLinkSettings(const TIniPath &iniPath);

// Rewrites section "Link" with the five keys in order. When the file cannot be written the
// messages get "Ошибка записи в ini-файл" and the result is false; the file is left as it was.
bool SaveLinkSettings(const TIniPath &iniPath, const TOptnLink &link, TMessageSink &messages);
