#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>

#include <memory>
#include <stdexcept>

struct sqlite3;

// A column that cannot be read as asked (missing, or text where a number belongs).
class TSqlError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One open SQLite file.
class TSqlConnection {
public:
    TSqlConnection();
    ~TSqlConnection();
    TSqlConnection(const TSqlConnection &) = delete;
    TSqlConnection &operator=(const TSqlConnection &) = delete;

    // Opens an existing database file for reading and writing. False for a missing file and for
    // one that is not an SQLite database (probed here, not at the first query).
    bool Open(const QString &path);
    // After a failed Open: whether the file was no SQLite database at all (rather than a
    // damaged one or one that could not be opened).
    bool NotADatabase() const { return FNotADatabase; }
    void Close();
    bool IsOpen() const { return FDb != nullptr; }

    // Runs a statement that returns no rows; false when it fails.
    bool Execute(const QString &sql);
    QString LastError() const { return FLastError; }

    sqlite3 *Handle() const { return FDb.get(); }

private:
    struct TCloser {
        void operator()(sqlite3 *db) const;
    };
    std::unique_ptr<sqlite3, TCloser> FDb;
    QString FLastError;
    bool FNotADatabase = false;
};

// The rows of one SELECT, read whole when it is opened, and a cursor over them. Columns are
// found by name without regard to case, or as "alias.name" / "table.name" for a joined query
// such as "SELECT * FROM [VEKT] tb INNER JOIN [Device] d ON tb.[NA]=d.[NA]".
class TSqlQuery {
public:
    // Runs the query; false when it cannot be opened (the query then has no rows).
    bool Open(TSqlConnection &connection, const QString &sql);
    void Close();

    int RecordCount() const { return static_cast<int>(FRows.size()); }
    bool Eof() const { return FRow >= FRows.size(); }
    void Next() { ++FRow; }

    bool HasColumn(const QString &name) const { return ColumnIndex(name) >= 0; }
    // NULL reads as 0; text reads as its decimal value; anything else throws TSqlError.
    qint64 AsInteger(const QString &name) const;
    // NULL reads as the empty text.
    QString AsText(const QString &name) const;

private:
    qsizetype ColumnIndex(const QString &name) const;
    const QVariant &Value(const QString &name) const;

    QList<QList<QVariant>> FRows;
    qsizetype FRow = 0;
    QHash<QString, qsizetype> FByName;      // lower-case column name -> first column
    QHash<QString, qsizetype> FByQualified; // lower-case "table.name" -> column
    QHash<QString, QString> FAliases;       // lower-case alias -> lower-case table
};
