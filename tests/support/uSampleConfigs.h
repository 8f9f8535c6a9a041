#pragma once

#include <QStringList>

class TConfig;

// A configuration that uses every device model, every relay, loop and indicator mode, every
// kind of partition reference (none, a number, any), SMS records with "+" and quotes, and users.
void FillEveryKind(TConfig &config);

// The largest configuration: the module and 109 "ВЕКТ-24Р" panels with every loop bound,
// 127 partitions with three SMS records each, 255 users.
void FillMaximal(TConfig &config);

// Every field in which two configurations differ, one line each; empty when they are equal.
QStringList ConfigDifferences(const TConfig &a, const TConfig &b);
