#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class TConfig;

// Where a problem lies, as the editor's lists hold it: a device (by address), a partition or a
// user (by number), and within it, for a problem of one of its loops, relays, indicators or SMS
// records, that one.
struct TObjectRef {
    enum class TList { Devices, Parts, Users };
    enum class TPiece { Whole, Loop, Relay, Indicator, SMS };

    TList List = TList::Devices;
    int Number = 0;
    TPiece Piece = TPiece::Whole;
    int PieceNumber = 0;
};

// An error: the alarm system will not behave as configured. A warning: it will, but that is
// probably not what was meant.
enum class TSeverity { Error, Warning };

struct TProblem {
    TSeverity Severity = TSeverity::Error;
    TObjectRef Object;
    QString ObjectName; // as lines name it: "Устройство [3] ВЕКТ-16Р, шлейф 5"
    QString Text;       // what is wrong: "раздел №9 не существует"
};

// Checks a configuration as a whole before it goes to the module. Errors: references to
// devices, loops and partitions that are not there, or missing where a mode needs one; the
// module not at address 1, the administrator missing; identifiers and database keys used twice;
// identifiers, telephone numbers and passwords the records cannot carry; an SMS record with a
// type and no number. Warnings: a partition without loops, a loop whose type and partition do
// not go together, an "АСПТ" relay on a loop that is not a fire loop, a keypad or a user without
// a partition, an SMS number that is never used, the factory password, short or shared
// passwords. Errors come first, then warnings, each in the order of the objects: devices by
// address with their outputs, then partitions with their SMS records, then users.
QList<TProblem> CheckConfig(const TConfig &config);

int CountErrors(const QList<TProblem> &problems);
// "ошибка" or "предупреждение".
QString SeverityName(TSeverity severity);
// "Ошибок: 2, предупреждений: 1".
QString ProblemCounts(const QList<TProblem> &problems);
// One line per problem: "ошибка: Устройство [3] ВЕКТ-16Р, шлейф 5: раздел №9 не существует".
QStringList ProblemLines(const QList<TProblem> &problems);
// The problems in JSON, the schema "lorim-check", version 1 (docs/check-json.md).
QByteArray ProblemsJson(const QList<TProblem> &problems);
