// Backups of modules' configurations: where they go, that only the newest are kept, and that
// only their owner may read them.

#include "storage/uBackup.h"

#include "model/uConfig.h"
#include "storage/uCatalog.h"
#include "support/uTestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(Backup, KeepsTheNewestPerModule)
{
    InitAppDir();
    QTemporaryDir dir;
    const QString ini = dir.filePath(u"lorim-config.ini"_s);
    WriteText(ini, u"[Backup]\nFolder="_s + dir.filePath(u"b"_s) + u"\nKeep=2\n"_s);
    const TBackupSettings settings = LoadBackupSettings(ini);
    TConfig config;
    config.Device(1)->ID = u"0020FF78C534"_s;
    const QDateTime start(QDate(2026, 12, 6), QTime(15, 30, 12));
    QStringList saved;
    QString failure;
    for (const int seconds : {0, 0, 60}) // two in one second, then a minute later
        saved << SaveBackup(config, settings, start.addSecs(seconds), failure);
    const QString folder = dir.filePath(u"b/0020FF78C534/"_s);
    EXPECT_EQ(saved, (QStringList{folder + u"2026-12-06_153012.cfg"_s,
                                  folder + u"2026-12-06_153012_2.cfg"_s,
                                  folder + u"2026-12-06_153112.cfg"_s}));
    EXPECT_EQ(ListBackups(settings, u"0020FF78C534"_s), (QStringList{saved[2], saved[1]}));
    const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                      QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    for (const QString &path : {saved[2], folder, dir.filePath(u"b"_s)})
        EXPECT_EQ(QFileInfo(path).permissions() & others, QFile::Permissions())
            << path.toStdString();

    // A folder that cannot be made, or a file that cannot be saved (no template), says so.
    const TBackupSettings blocked{dir.filePath(u"lorim-config.ini/x"_s), 20};
    EXPECT_TRUE(SaveBackup(config, blocked, start, failure).isEmpty());
    EXPECT_FALSE(failure.isEmpty());
    SetAppDir(dir.path());
    failure.clear();
    EXPECT_TRUE(SaveBackup(config, settings, start, failure).isEmpty());
    InitAppDir();
    EXPECT_FALSE(failure.isEmpty());
}
