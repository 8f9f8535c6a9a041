#pragma once

class TConfig;

// The site the simulator answers as when it is given no configuration file: the module with
// identifier 0020FF78C534 and administrator password 8522, two control panels, a keypad, a
// relay expander and an indication unit; three partitions with loops and SMS records; users.
void FillDemoSite(TConfig &config);
