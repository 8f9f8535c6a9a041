#include "storage/uSqlite.h"

#include <QRegularExpression>

#include <sqlite3.h>

#include <cmath>

namespace {

struct TStatementFinalizer {
    void operator()(sqlite3_stmt *s) const { sqlite3_finalize(s); }
};
using TStatement = std::unique_ptr<sqlite3_stmt, TStatementFinalizer>;

QString ErrorOf(sqlite3 *db) { return QString::fromUtf8(sqlite3_errmsg(db)); }

QVariant CellValue(sqlite3_stmt *s, int column)
{
    switch (sqlite3_column_type(s, column)) {
    case SQLITE_INTEGER:
        return QVariant(static_cast<qint64>(sqlite3_column_int64(s, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(s, column));
    case SQLITE_NULL:
        return QVariant();
    default: {
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(s, column));
        return QVariant(QString::fromUtf8(text, sqlite3_column_bytes(s, column)));
    }
    }
}

// "[Table] alias" pairs of a FROM clause; words that continue the statement are no aliases.
QHash<QString, QString> AliasesOf(const QString &sql)
{
    static const QRegularExpression pair(QStringLiteral(R"(\[(\w+)\]\s+(?:AS\s+)?(\w+))"),
                                         QRegularExpression::CaseInsensitiveOption |
                                             QRegularExpression::UseUnicodePropertiesOption);
    static const QStringList keywords{
        QStringLiteral("where"), QStringLiteral("inner"), QStringLiteral("left"),
        QStringLiteral("join"),  QStringLiteral("on"),    QStringLiteral("order"),
        QStringLiteral("group"), QStringLiteral("limit"), QStringLiteral("values")};
    QHash<QString, QString> aliases;
    for (auto it = pair.globalMatch(sql); it.hasNext();) {
        const auto m = it.next();
        const QString alias = m.captured(2).toLower();
        if (!keywords.contains(alias))
            aliases.insert(alias, m.captured(1).toLower());
    }
    return aliases;
}

} // namespace

// ---- TSqlConnection ----

void TSqlConnection::TCloser::operator()(sqlite3 *db) const { sqlite3_close_v2(db); }

TSqlConnection::TSqlConnection() = default;
TSqlConnection::~TSqlConnection() = default;

bool TSqlConnection::Open(const QString &path)
{
    Close();
    sqlite3 *db = nullptr;
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    FDb.reset(db); // a handle comes back even when opening fails, and must be closed
    if (rc != SQLITE_OK) {
        FLastError = ErrorOf(db);
        FNotADatabase = false;
        Close();
        return false;
    }
    // Another program holding the file briefly is waited for, not reported at once.
    sqlite3_busy_timeout(db, 1000);
    // A file that is not a database opens; reading its schema tells.
    if (!Execute(QStringLiteral("SELECT count(*) FROM sqlite_master"))) {
        FNotADatabase = sqlite3_errcode(db) == SQLITE_NOTADB;
        Close();
        return false;
    }
    return true;
}

void TSqlConnection::Close() { FDb.reset(); }

bool TSqlConnection::Execute(const QString &sql)
{
    if (!FDb)
        return false;
    char *error = nullptr;
    const int rc = sqlite3_exec(FDb.get(), sql.toUtf8().constData(), nullptr, nullptr, &error);
    FLastError = error ? QString::fromUtf8(error) : QString();
    sqlite3_free(error);
    return rc == SQLITE_OK;
}

// ---- TSqlQuery ----

bool TSqlQuery::Open(TSqlConnection &connection, const QString &sql)
{
    Close();
    if (!connection.IsOpen())
        return false;
    sqlite3 *db = connection.Handle();
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt *raw = nullptr;
    if (sqlite3_prepare_v2(db, text.constData(), static_cast<int>(text.size()), &raw, nullptr) !=
        SQLITE_OK)
        return false;
    const TStatement statement(raw);
    if (!statement)
        return false;

    const int columns = sqlite3_column_count(raw);
    for (int c = 0; c < columns; ++c) {
        const QString name = QString::fromUtf8(sqlite3_column_name(raw, c)).toLower();
        if (!FByName.contains(name))
            FByName.insert(name, c);
        if (const char *table = sqlite3_column_table_name(raw, c))
            FByQualified.insert(QString::fromUtf8(table).toLower() + u'.' + name, c);
    }
    FAliases = AliasesOf(sql);

    int rc;
    while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
        QList<QVariant> row;
        row.reserve(columns);
        for (int c = 0; c < columns; ++c)
            row.append(CellValue(raw, c));
        FRows.append(std::move(row));
    }
    if (rc != SQLITE_DONE) {
        Close();
        return false;
    }
    return true;
}

void TSqlQuery::Close()
{
    FRows.clear();
    FRow = 0;
    FByName.clear();
    FByQualified.clear();
    FAliases.clear();
}

qsizetype TSqlQuery::ColumnIndex(const QString &name) const
{
    const QString lower = name.toLower();
    const qsizetype dot = lower.indexOf(u'.');
    if (dot < 0)
        return FByName.value(lower, -1);
    const QString qualifier = lower.first(dot);
    const QString table = FAliases.value(qualifier, qualifier);
    return FByQualified.value(table + lower.sliced(dot), -1);
}

const QVariant &TSqlQuery::Value(const QString &name) const
{
    if (Eof())
        throw TSqlError("no current row");
    const qsizetype c = ColumnIndex(name);
    if (c < 0)
        throw TSqlError("no column " + name.toStdString());
    return FRows[FRow][c];
}

qint64 TSqlQuery::AsInteger(const QString &name) const
{
    const QVariant &v = Value(name);
    switch (v.typeId()) {
    case QMetaType::UnknownType:
        return 0;
    case QMetaType::LongLong:
        return v.toLongLong();
    case QMetaType::Double: {
        const double d = v.toDouble();
        // Only whole numbers that fit; 2^63 itself does not.
        if (std::isfinite(d) && d == std::trunc(d) && std::fabs(d) < 9.2e18)
            return static_cast<qint64>(d);
        break;
    }
    case QMetaType::QString: {
        bool ok = false;
        const qint64 n = v.toString().trimmed().toLongLong(&ok);
        if (ok)
            return n;
        break;
    }
    default:
        break;
    }
    throw TSqlError("column " + name.toStdString() + " is not an integer");
}

QString TSqlQuery::AsText(const QString &name) const
{
    const QVariant &v = Value(name);
    return v.isNull() ? QString() : v.toString();
}
