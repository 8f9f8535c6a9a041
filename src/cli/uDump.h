#pragma once

#include <QStringList>

class TConfig;

// A configuration as readable text: devices with their outputs, partitions with their SMS
// records and loops, users.
QStringList DumpConfig(const TConfig &config);
