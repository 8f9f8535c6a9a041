#pragma once

#include "storage/uIniFile.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class TMessageSink;

// The folder of the executable, ending in the native separator; the template "config.md_" is
// found in it.
extern QString AppDir;

// The template every configuration file is made from, "config.md_": beside the executable (a
// build tree, a copied folder), else in the package's data folder ("share/lorim" beside the
// executable's "bin"). When there is none, the path beside the executable.
QString TemplatePath();

// Sets AppDir to a folder, appending the separator when the text does not end in one.
void SetAppDir(const QString &folder);
// Sets AppDir to the running program's folder.
void InitAppDir();

// One configuration file in the catalogue (section "Config" of the INI file).
struct TCatalogEntry {
    QString Name;
    QString Note; // the description
    QString Path;

    bool operator==(const TCatalogEntry &) const = default;
};

using TCatalog = QList<TCatalogEntry>;

// The entries in file order; an entry whose path is empty or blank is dropped, paths are trimmed.
// Paths come as they were stored, relative ones too.
TCatalog LoadCatalog(const TIniPath &iniPath);
// Appends the path of every entry to list, in order, as stored.
void ReadCatalogPaths(const TIniPath &iniPath, QStringList &list);
// The file a stored path names: a relative path is taken from the folder of the INI file that
// lists it, wherever the program runs from.
QString CatalogFilePath(const TIniPath &iniPath, const QString &storedPath);
// The catalogue's name for a file: the name of the first entry that lists it (by whatever path),
// else empty.
QString CatalogName(const TIniPath &iniPath, const QString &file);
// Rewrites section "Config" from the entries, numbered from 1; tells the user
// "Ошибка записи в ini-файл" and returns false when the file cannot be written.
bool SaveCatalog(const TIniPath &iniPath, const TCatalog &entries, TMessageSink &messages);
// Makes one change to the catalogue as it stands in the INI file, so that entries another copy
// of the program wrote meanwhile stay: under a lock file beside the INI file the catalogue is
// read again, changed and written back at once. The catalogue after the change, which it holds
// even when the file could not be written (the user is then told so).
TCatalog ChangeCatalog(const TIniPath &iniPath, const std::function<void(TCatalog &)> &change,
                       TMessageSink &messages);
