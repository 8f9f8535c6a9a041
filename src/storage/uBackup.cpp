#include "storage/uBackup.h"

#include "model/uConfig.h"
#include "storage/uCatalog.h"
#include "storage/uDB.h"
#include "storage/uFileOps.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>

namespace {

const QString Section = QStringLiteral("Backup");

QString ModuleFolder(const TBackupSettings &settings, const QString &moduleID)
{
    return QDir(settings.Folder).filePath(moduleID);
}

// The backups of a module's folder, oldest first: the names are dates and times.
QStringList BackupNames(const QDir &folder)
{
    QStringList names =
        folder.entryList({QStringLiteral("*.cfg")}, QDir::Files | QDir::NoDotAndDotDot);
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TBackupSettings LoadBackupSettings(const TIniPath &iniPath)
{
    const TIniFile ini(iniPath);
    TBackupSettings settings;
    settings.Folder = ini.ReadString(Section, QStringLiteral("Folder"), QString()).trimmed();
    if (settings.Folder.isEmpty())
        settings.Folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                          QStringLiteral("/lorim/backups");
    const int keep = ini.ReadInteger(Section, QStringLiteral("Keep"), settings.Keep);
    settings.Keep = keep > 0 ? keep : TBackupSettings().Keep;
    return settings;
}

QString SaveBackup(TConfig &config, const TBackupSettings &settings, const QDateTime &when,
                   QString &failure)
{
    const TDevice *module = config.Device(1);
    if (!module || module->ID.isEmpty()) {
        failure = QStringLiteral("Нет идентификатора модуля");
        return QString();
    }
    const QDir folder(ModuleFolder(settings, module->ID));
    if (!MakePrivatePath(folder.path())) {
        failure = QStringLiteral("Не удалось создать папку ") + folder.path();
        return QString();
    }
    // Two backups within one second keep both.
    const QString stamp = when.toString(QStringLiteral("yyyy-MM-dd_hhmmss"));
    QString path = folder.filePath(stamp + QStringLiteral(".cfg"));
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = folder.filePath(stamp + u'_' + QString::number(n) + QStringLiteral(".cfg"));
    const TSaveResult saved = SaveConfigFile(config, path, TemplatePath(), nullptr, nullptr);
    if (saved != TSaveResult::Saved) {
        failure = SaveFailure(saved, path);
        return QString();
    }
    const QStringList names = BackupNames(folder);
    for (qsizetype i = 0; i + settings.Keep < names.size(); ++i)
        QFile::remove(folder.filePath(names[i]));
    return path;
}

QStringList ListBackups(const TBackupSettings &settings, const QString &moduleID)
{
    const QDir folder(ModuleFolder(settings, moduleID));
    QStringList paths;
    const QStringList names = BackupNames(folder);
    for (auto it = names.rbegin(); it != names.rend(); ++it)
        paths << folder.filePath(*it);
    return paths;
}
