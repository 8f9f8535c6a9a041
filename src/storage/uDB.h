#pragma once

#include "model/uNotify.h"
#include "storage/uIniFile.h"
#include "storage/uSqlite.h"

#include <QString>

#include <utility>

class TConfig;
class TLogSink;
class TProgress;
class TDevice;

// Moves a configuration between a TConfig and a configuration file (an SQLite database with the
// tables of schema/config.sql), logging each step and moving the progress bar; answers the two
// point queries the password search needs. It shows no window.
class TDBConfig {
public:
    // config may be null for the point queries; log and progress may be null.
    TDBConfig(TConfig *config, TLogSink *log, TProgress *progress = nullptr);

    // Opens a configuration file, closing the one open before. False when the file is missing
    // or is not a database.
    bool Connect(const QString &path);

    // Fills a fresh container from the open file; false when [Part] or [User] cannot be read.
    // Rows that cannot be used are logged and passed over.
    bool LoadConfig();
    // Why the last Connect or LoadConfig failed, as the user is told: "файл не найден",
    // "не является файлом конфигурации", or "файл повреждён: " and what could not be read.
    QString Failure() const { return FFailure; }
    // Writes the container into the open file, whose tables must be empty, in one transaction.
    // True when every row was written and committed; a failed row is logged and the rest goes
    // on, but the transaction is then rolled back so the file keeps nothing half-written.
    bool SaveConfig();
    // Sets the main password of the administrator (user 111) in the open file; the rest of its
    // row and every other row stay. A file without the administrator gets the one a fresh
    // configuration has, with this password.
    bool SaveAdminPassword(const QString &password);

    QString ReadModuleID();
    QString ReadAdminPassword();

private:
    void Log(const QString &line);
    void Step();
    bool Run(const QString &sql);
    bool HasColumn(const QString &table, const QString &column);
    bool HasTable(const QString &table);
    void FailedToRead(const QString &table);

    void SaveParts();
    void SaveDevices();
    void SaveDeviceOutputs(int address, const TDevice &device);
    void SaveUsers();

    int CountRows();
    bool LoadParts();
    void LoadSMS();
    void LoadDevices(const QString &kindTable);
    void LoadLoops();
    void LoadRelays();
    void LoadIndicators();
    bool LoadUsers();
    void LoadDeviceRow(int address);
    // Walks [Part] or [User]: rows numbered 1..last are handed to place, which builds and
    // places the object and may throw to fail the row. False when the table cannot be opened.
    template <typename Place>
    bool LoadNumbered(const QString &table, const QString &header, int last, Place place);
    // Walks an output table ([Shleif], [Relay], [Indicator]): outputAt(address, number) gives
    // the output a row names, or null to pass the row over; fill may throw to fail the row.
    template <typename Out, typename Find, typename Fill>
    void LoadOutputs(const QString &table, const QString &header, const QString &word,
                     Find outputAt, Fill fill);
    // Device and Shlf of a relay or indicator row: in its loop mode a loop of a panel, else a
    // partition reference (Shlf 0). False when they name nothing that exists.
    bool ReadTarget(bool loopMode, int &device, int &shlf) const;
    // A partition reference that names an existing partition, or "any partition".
    bool IsPartRef(int ref) const;
    // Reads a column as a byte: the low 8 bits of its integer.
    int ByteOf(const QString &column) const;
    QString PlainText(const QString &column) const;
    // Runs a SELECT; logs the message when the table cannot be opened.
    bool OpenTable(const QString &sql, const QString &failure);

    TConfig *FConfig;
    TLogSink *FLog;
    TProgress *FProgress;
    TSqlConnection FConnection;
    TSqlQuery FQuery;
    bool FAllWritten = true;
    QString FFailure;
    bool FRelayTwoShlf = true;
};

// How a configuration file save ended.
enum class TSaveResult {
    Saved,
    NoTemplate,    // the template file is missing
    CannotCreate,  // the copy of the template beside the target cannot be made
    CannotOpen,    // the copy is not a database
    NotWritten,    // some rows could not be written, or the commit failed
    CannotReplace, // the finished copy could not take the target's place
    ReadOnly       // the target is read-only
};

// Saves a configuration into a file without ever endangering the file already there: the
// template is copied beside the target under a temporary name, the configuration is written
// into the copy, and only a complete copy is renamed over the target. On any failure the
// target is left as it was and the copy is removed. A read-only target is refused: renaming
// over it would replace it all the same.
TSaveResult SaveConfigFile(TConfig &config, const QString &path, const QString &templatePath,
                           TLogSink *log, TProgress *progress);

// What the user is told about a save into path that did not end with Saved.
QString SaveFailure(TSaveResult result, const QString &path);

// The access password search: the catalogue's configuration files are opened in order and the
// first whose module (device 1) has the identifier and whose user 111 has a main password gives
// that password. Files that do not open are passed over.
class TCatalogPasswordSearch : public TPasswordSearch {
public:
    explicit TCatalogPasswordSearch(TIniPath iniPath) : FIniPath(std::move(iniPath)) {}
    QString FindAccessPassword(const QString &moduleID) override;

private:
    TIniPath FIniPath;
};
