#include "storage/uCatalog.h"

#include "model/uNaming.h"
#include "storage/uIniFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>

#include <algorithm>

QString AppDir;

namespace {

const QString Section = QStringLiteral("Config");

QString Key(const char16_t *name, qsizetype i)
{
    return QString::fromUtf16(name) + QString::number(i);
}

// The highest i of the keys "Path" + i the section holds.
int LastPathIndex(const TIniFile &ini)
{
    int last = 0;
    for (const QString &key : ini.Keys(Section))
        if (key.startsWith(u"path"))
            last = std::max(last, StrToIntDef(QStringView(key).sliced(4), 0));
    return last;
}

} // namespace

void SetAppDir(const QString &folder)
{
    const QString native = QDir::toNativeSeparators(folder);
    AppDir = native.endsWith(QDir::separator()) ? native : native + QDir::separator();
}

void InitAppDir() { SetAppDir(QCoreApplication::applicationDirPath()); }

QString TemplatePath()
{
    const QString name = QStringLiteral("config.md_");
    const QString beside = AppDir + name;
    if (QFileInfo::exists(beside))
        return beside;
    const QString installed =
        QDir::cleanPath(QDir(AppDir).absoluteFilePath(QStringLiteral("../share/lorim/") + name));
    return QFileInfo::exists(installed) ? installed : beside;
}

TCatalog LoadCatalog(const TIniPath &iniPath)
{
    const TIniFile ini(iniPath);
    // Entries past the last stored path can only be empty, so a huge Count costs nothing.
    const int count =
        std::min(ini.ReadInteger(Section, QStringLiteral("Count"), 0), LastPathIndex(ini));
    TCatalog entries;
    for (int i = 1; i <= count; ++i) {
        const QString path = TrimControls(ini.ReadString(Section, Key(u"Path", i), QString()));
        if (path.isEmpty())
            continue;
        entries.append({ini.ReadString(Section, Key(u"Name", i), QString()),
                        ini.ReadString(Section, Key(u"Note", i), QString()), path});
    }
    return entries;
}

void ReadCatalogPaths(const TIniPath &iniPath, QStringList &list)
{
    for (const TCatalogEntry &e : LoadCatalog(iniPath))
        list.append(e.Path);
}

QString CatalogFilePath(const TIniPath &iniPath, const QString &storedPath)
{
    return QFileInfo(iniPath.Read).absoluteDir().absoluteFilePath(storedPath);
}

QString CatalogName(const TIniPath &iniPath, const QString &file)
{
    const QString path = QFileInfo(file).canonicalFilePath();
    if (path.isEmpty())
        return QString();
    for (const TCatalogEntry &entry : LoadCatalog(iniPath))
        if (!entry.Name.isEmpty() &&
            QFileInfo(CatalogFilePath(iniPath, entry.Path)).canonicalFilePath() == path)
            return entry.Name;
    return QString();
}

bool SaveCatalog(const TIniPath &iniPath, const TCatalog &entries, TMessageSink &messages)
{
    TIniFile::TEntries keys{{QStringLiteral("Count"), QString::number(entries.size())}};
    for (qsizetype i = 1; i <= entries.size(); ++i) {
        const TCatalogEntry &e = entries[i - 1];
        keys.append({Key(u"Path", i), e.Path});
        keys.append({Key(u"Name", i), e.Name});
        keys.append({Key(u"Note", i), e.Note});
    }
    TIniFile ini(iniPath);
    ini.ReplaceSection(Section, keys);
    return ini.Save(messages);
}

TCatalog ChangeCatalog(const TIniPath &iniPath, const std::function<void(TCatalog &)> &change,
                       TMessageSink &messages)
{
    QDir().mkpath(QFileInfo(iniPath.Write).absolutePath());
    QLockFile lock(iniPath.Write + QStringLiteral(".lock"));
    // Another copy holds the lock only while it rewrites the file, and the lock of one that
    // died is taken over; should the wait run out all the same, the change is written rather
    // than lost.
    lock.tryLock(5000);
    TCatalog entries = LoadCatalog(iniPath);
    change(entries);
    SaveCatalog(iniPath, entries, messages);
    return entries;
}
