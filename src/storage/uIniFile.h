#pragma once

#include <QHash>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

class TMessageSink;

// Where an INI file is read from and written to. Both are one file, except while the program's
// file beside the executable cannot be written and no copy exists in the user's folder yet:
// then it is read beside the executable, and its first change goes to the user's folder.
struct TIniPath {
    // One file for both; implicit, so that a plain path serves wherever an INI path is asked.
    TIniPath(const QString &path)
        : Read(path), Write(path) {} // NOLINT(google-explicit-constructor)
    TIniPath(const QString &read, const QString &write) : Read(read), Write(write) {}

    QString Read;
    QString Write;
};

// An INI file with the semantics of the classic profile-file functions: sections and keys match
// without regard to case, a value is the text after the first "=" taken as it stands (no escapes,
// no quoting, no lists), and ";" starts a comment only at the start of a line. The file is read
// whole when the object is made; ReplaceSection rewrites one section in place, keeping every other
// line, comment and section order; Save replaces the file atomically. UTF-8 text.
class TIniFile {
public:
    using TEntries = QList<QPair<QString, QString>>;

    // Reads the file when it exists (the one written to, once it is there); a missing or
    // unreadable file reads as empty.
    explicit TIniFile(const TIniPath &path);

    QString ReadString(const QString &section, const QString &key, const QString &def) const;
    // A value that is not a decimal number reads as def.
    int ReadInteger(const QString &section, const QString &key, int def) const;
    // The keys of the section in lower case, in no particular order.
    QStringList Keys(const QString &section) const;

    // Replaces the whole section by the keys and values given, in order, where it stands, or
    // appends it at the end of the file. Later sections of the same name are dropped. A line break
    // inside a value cannot be stored in an INI file and is written as a blank.
    void ReplaceSection(const QString &section, const TEntries &entries);

    // Writes the file, creating its folder when missing; false when it cannot be written, and
    // then the file on disk is left as it was (it is replaced whole or not at all).
    bool Save() const;
    // Save, telling the user "Ошибка записи в ini-файл" when it fails.
    bool Save(TMessageSink &messages) const;

private:
    struct TSectionRange {
        qsizetype Header = -1; // line index of "[name]"
        qsizetype End = 0;     // one past its last line that is not blank
    };

    void Parse(const QString &text);
    void Reindex();
    QList<TSectionRange> FindSections(const QString &section) const;

    QString FWritePath;
    QStringList FLines;
    bool FCrLf = false;
    // lower-case section -> lower-case key -> value, the first occurrence of each
    QHash<QString, QHash<QString, QString>> FIndex;
};

// Where the program keeps its INI file: the executable's path with ".ini" appended (the file
// beside the executable) while that file, or the folder for a new one, can be written and the
// program is not an installed one (its template in share/lorim); else the same file name in
// the user's configuration folder, which is read from beside the executable until it exists.
TIniPath ChooseIniPath(const QString &besideExecutable, bool besideWritable,
                       const QString &userFile);
// ChooseIniPath for an executable, looking at the files and folders as they are.
TIniPath IniPathFor(const QString &executablePath);
// IniPathFor of the running program.
TIniPath DefaultIniPath();
