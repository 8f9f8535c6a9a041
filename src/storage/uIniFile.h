#pragma once

#include <QHash>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

class TMessageSink;

// An INI file with the semantics of the classic profile-file functions: sections and keys match
// without regard to case, a value is the text after the first "=" taken as it stands (no escapes,
// no quoting, no lists), and ";" starts a comment only at the start of a line. The file is read
// whole when the object is made; ReplaceSection rewrites one section in place, keeping every other
// line, comment and section order; Save replaces the file atomically. UTF-8 text.
class TIniFile {
public:
    using TEntries = QList<QPair<QString, QString>>;

    // Reads the file when it exists; a missing or unreadable file reads as empty.
    explicit TIniFile(QString path);

    const QString &Path() const { return FPath; }

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
    // then the file on disk is left as it was.
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

    QString FPath;
    QStringList FLines;
    bool FCrLf = false;
    // lower-case section -> lower-case key -> value, the first occurrence of each
    QHash<QString, QHash<QString, QString>> FIndex;
};

// Where the program keeps its INI file: the executable's path with ".ini" appended when its
// folder can be written, else the same file name in the user's configuration folder.
QString IniPathFor(const QString &executablePath);
// IniPathFor of the running program.
QString DefaultIniPath();
