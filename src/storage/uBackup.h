#pragma once

#include "storage/uIniFile.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

class TConfig;

// Where the configurations read from modules before a whole write are kept: section "Backup" of
// the INI file, key "Folder" (the user's data folder, ~/.local/share/lorim/backups, when
// missing) and key "Keep" (20 when missing or not a positive number): at most that many files
// per module, the oldest going first.
struct TBackupSettings {
    QString Folder;
    int Keep = 20;
};

TBackupSettings LoadBackupSettings(const TIniPath &iniPath);

// Saves a configuration read from a module as an ordinary configuration file,
// FOLDER/<module identifier>/<yyyy-MM-dd_hhmmss>.cfg, and removes that module's oldest backups
// beyond Keep. The file saved; empty, with failure telling why, when it could not be saved.
QString SaveBackup(TConfig &config, const TBackupSettings &settings, const QDateTime &when,
                   QString &failure);

// The backups of a module, newest first.
QStringList ListBackups(const TBackupSettings &settings, const QString &moduleID);
