-- The tables of a configuration file. The build turns this into the template "config.md_",
-- which every new or saved configuration file starts as.

CREATE TABLE [Part] (
    [Num] INTEGER,
    [KeyDB] TEXT,
    [Delay] INTEGER
);

CREATE TABLE [SMS] (
    [Part] INTEGER,
    [Num] INTEGER,
    [Type] INTEGER,
    [Phone] TEXT,
    [Plus] INTEGER,
    [Code] INTEGER
);

CREATE TABLE [Device] (
    [NA] INTEGER,
    [ID] TEXT,
    [KeyDB] TEXT,
    [Type] TEXT,
    [vSoft] TEXT,
    [vDev] TEXT,
    [State] INTEGER
);

CREATE TABLE [RelayDev] (
    [NA] INTEGER
);

CREATE TABLE [VEKT] (
    [NA] INTEGER
);

CREATE TABLE [IndicDev] (
    [NA] INTEGER,
    [Mode] INTEGER,
    [Sound] INTEGER,
    [Part] INTEGER
);

CREATE TABLE [KP] (
    [NA] INTEGER,
    [Sound] INTEGER,
    [Part] INTEGER
);

CREATE TABLE [Shleif] (
    [NA] INTEGER,
    [Num] INTEGER,
    [Type] INTEGER,
    [Delay] INTEGER,
    [Flags] INTEGER,
    [Part] INTEGER
);

-- TwoShlf: the "two loops" option of an "АСПТ" relay, written to the module with the relay.
CREATE TABLE [Relay] (
    [NA] INTEGER,
    [Num] INTEGER,
    [Mode] INTEGER,
    [Device] INTEGER,
    [Shlf] INTEGER,
    [Delay] INTEGER,
    [TwoShlf] INTEGER
);

CREATE TABLE [Indicator] (
    [NA] INTEGER,
    [Num] INTEGER,
    [Mode] INTEGER,
    [Device] INTEGER,
    [Shlf] INTEGER
);

CREATE TABLE [User] (
    [Num] INTEGER,
    [Type] INTEGER,
    [Part1] INTEGER,
    [Part2] INTEGER,
    [Pswrd1] TEXT,
    [Pswrd2] TEXT
);
