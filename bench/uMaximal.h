#pragma once

class TConfig;

// The largest configuration: the module and 109 "ВЕКТ-24Р" panels with every loop bound,
// 127 partitions with three SMS records each, 255 users.
void FillMaximal(TConfig &config);
