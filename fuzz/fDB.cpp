// A configuration file of any content, opened and loaded as the editor and the password search
// open one: whatever the bytes, the loader neither crashes nor hangs. The seed is the demo site
// as lorim-cli reads it from lorim-sim, its pages shrunk to 512 bytes (sqlite3 FILE
// "PRAGMA page_size=512; VACUUM"), so that mutations reach the rows of every table and not only
// SQLite's header checks.

#include "model/uConfig.h"
#include "storage/uDB.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const QTemporaryDir dir;
    static const QString path = dir.filePath(QStringLiteral("input.cfg"));
    // What SQLite left beside the previous input (a journal, the log of a file in WAL mode) must
    // not be read with this one.
    for (const char *suffix : {"-journal", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(suffix));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(reinterpret_cast<const char *>(data), static_cast<qint64>(size)) !=
                static_cast<qint64>(size))
            std::abort(); // no input could be tried
    }
    TConfig config;
    TDBConfig db(&config, nullptr);
    if (db.Connect(path)) {
        db.ReadModuleID();
        db.ReadAdminPassword();
        db.LoadConfig();
    }
    return 0;
}
