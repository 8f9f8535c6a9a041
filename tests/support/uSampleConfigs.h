#pragma once

#include <QStringList>

#include <functional>
#include <utility>
#include <vector>

class TConfig;

// A configuration that uses every device model, every relay, loop and indicator mode, every
// kind of partition reference (none, a number, any), SMS records with "+" and quotes, and users.
void FillEveryKind(TConfig &config);

// Changes to the every-kind configuration that the module does not keep, each with its name: a
// configuration with them agrees with the module it was written to.
std::vector<std::pair<const char *, std::function<void(TConfig &)>>> UnkeptChanges();

// What two configurations are compared in: every field; all but the database keys (kept only
// in files, never exchanged with the module); or the settings alone, without the keys and the
// versions and states (reported by the devices, never written to them).
enum class TCompare { All, NoKeys, Settings };

// Every field in which two configurations differ, one line each; empty when they are equal.
QStringList ConfigDifferences(const TConfig &a, const TConfig &b, TCompare what = TCompare::All);
