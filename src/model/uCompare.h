#pragma once

#include <QStringList>

class TConfig;

// The differences between two configurations in what a module keeps of them, one line each and
// empty when they agree: devices by address with their loops, relays and indicators, then
// partitions with their SMS records, then users. A line names the object, the field and both
// values ("Устройство [3] ВЕКТ-16Р, шлейф 5: раздел 2 → 1"); an object on one side only, or a
// device of another model, is one line ("Устройство [7] ВЕКТ-8Р: нет → есть"). Fields the link
// does not carry count as it leaves them: database keys, versions and states are left out,
// delays count in the tens of seconds sent, and an output that is not sent counts as cleared.
QStringList CompareConfigs(const TConfig &first, const TConfig &second);
