#include "storage/uIniFile.h"

#include "model/uNaming.h"
#include "model/uNotify.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <utility>

namespace {

// The section name of a "[name]" line, or a null string for any other line.
QString SectionName(const QString &line)
{
    const QString t = line.trimmed();
    const qsizetype close = t.indexOf(u']');
    if (!t.startsWith(u'[') || close < 0)
        return {};
    return t.sliced(1, close - 1).trimmed();
}

bool IsBlank(const QString &line) { return line.trimmed().isEmpty(); }

QString SingleLine(QString value)
{
    value.replace(u'\r', u' ');
    value.replace(u'\n', u' ');
    return value;
}

} // namespace

TIniFile::TIniFile(const TIniPath &path) : FWritePath(path.Write)
{
    // Once the file has been written where it goes, that copy is the one read.
    QFile file(QFileInfo::exists(path.Write) ? path.Write : path.Read);
    if (file.open(QIODevice::ReadOnly))
        Parse(QString::fromUtf8(file.readAll()));
    Reindex();
}

void TIniFile::Parse(const QString &text)
{
    QString body = text;
    if (body.startsWith(QChar(0xFEFF)))
        body.remove(0, 1);
    FCrLf = body.contains(u"\r\n");
    FLines = body.split(u'\n');
    if (!FLines.isEmpty() && FLines.last().isEmpty())
        FLines.removeLast(); // the final line break
    for (QString &line : FLines)
        if (line.endsWith(u'\r'))
            line.chop(1);
}

void TIniFile::Reindex()
{
    FIndex.clear();
    QHash<QString, QString> *current = nullptr;
    for (const QString &line : std::as_const(FLines)) {
        const QString name = SectionName(line);
        if (!name.isNull()) {
            const QString lower = name.toLower();
            // Keys of a repeated section header still go to the first one's table.
            current = &FIndex[lower];
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (current == nullptr || line.startsWith(u';') || eq < 0)
            continue;
        const QString key = line.first(eq).trimmed().toLower();
        if (!key.isEmpty() && !current->contains(key))
            current->insert(key, line.sliced(eq + 1));
    }
}

QString TIniFile::ReadString(const QString &section, const QString &key, const QString &def) const
{
    const auto s = FIndex.constFind(section.toLower());
    if (s == FIndex.cend())
        return def;
    return s->value(key.toLower(), def);
}

int TIniFile::ReadInteger(const QString &section, const QString &key, int def) const
{
    return StrToIntDef(ReadString(section, key, QString()), def);
}

QStringList TIniFile::Keys(const QString &section) const
{
    const auto s = FIndex.constFind(section.toLower());
    return s == FIndex.cend() ? QStringList() : s->keys();
}

QList<TIniFile::TSectionRange> TIniFile::FindSections(const QString &section) const
{
    QList<TSectionRange> ranges;
    const QString wanted = section.toLower();
    for (qsizetype i = 0; i < FLines.size(); ++i) {
        const QString name = SectionName(FLines[i]);
        if (name.isNull())
            continue;
        if (!ranges.isEmpty() && ranges.last().End == 0)
            ranges.last().End = i;
        if (name.toLower() == wanted)
            ranges.append({i, 0});
    }
    if (!ranges.isEmpty() && ranges.last().End == 0)
        ranges.last().End = FLines.size();
    // Blank lines that separate a section from the next stay where they are.
    for (TSectionRange &r : ranges)
        while (r.End > r.Header + 1 && IsBlank(FLines[r.End - 1]))
            --r.End;
    return ranges;
}

void TIniFile::ReplaceSection(const QString &section, const TEntries &entries)
{
    QStringList block{u'[' + section + u']'};
    for (const auto &[key, value] : entries)
        block.append(key + u'=' + SingleLine(value));

    const QList<TSectionRange> ranges = FindSections(section);
    if (ranges.isEmpty()) {
        if (!FLines.isEmpty() && !IsBlank(FLines.last()))
            FLines.append(QString());
        FLines.append(block);
    } else {
        for (qsizetype r = ranges.size() - 1; r >= 1; --r)
            FLines.remove(ranges[r].Header, ranges[r].End - ranges[r].Header);
        const TSectionRange &first = ranges.first();
        FLines.remove(first.Header, first.End - first.Header);
        for (qsizetype i = 0; i < block.size(); ++i)
            FLines.insert(first.Header + i, block[i]);
    }
    Reindex();
}

bool TIniFile::Save() const
{
    const QFileInfo info(FWritePath);
    if (!QDir().mkpath(info.absolutePath()))
        return false;
    const QString eol = FCrLf ? QStringLiteral("\r\n") : QStringLiteral("\n");
    QString text;
    for (const QString &line : FLines)
        text += line + eol;
    // Written beside the file under a temporary name, then renamed over it; where no temporary
    // file can be made the save fails rather than write in place, which could leave it cut short.
    QSaveFile file(FWritePath);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = text.toUtf8();
    return file.write(bytes) == bytes.size() && file.commit();
}

bool TIniFile::Save(TMessageSink &messages) const
{
    if (Save())
        return true;
    messages.ShowMessage(QStringLiteral("Ошибка записи в ini-файл"));
    return false;
}

TIniPath ChooseIniPath(const QString &besideExecutable, bool besideWritable,
                       const QString &userFile)
{
    if (besideWritable)
        return besideExecutable;
    if (QFileInfo::exists(userFile) || !QFileInfo::exists(besideExecutable))
        return userFile;
    return TIniPath(besideExecutable, userFile);
}

TIniPath IniPathFor(const QString &executablePath)
{
    const QFileInfo exe(executablePath);
    const QString besideExe = exe.absoluteFilePath() + QStringLiteral(".ini");
    const QFileInfo ini(besideExe);
    const QFileInfo folder(exe.absolutePath());
    // An installed program (its template in the package's data folder, none beside it) keeps
    // its settings in the user's folder even where its own folder could be written (by root).
    const QDir exeDir(exe.absolutePath());
    const bool installed = !exeDir.exists(QStringLiteral("config.md_")) &&
                           exeDir.exists(QStringLiteral("../share/lorim/config.md_"));
    const bool writable =
        !installed && (ini.exists() ? ini.isWritable() : folder.isDir() && folder.isWritable());
    return ChooseIniPath(besideExe, writable,
                         QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                             u'/' + exe.fileName() + QStringLiteral(".ini"));
}

TIniPath DefaultIniPath() { return IniPathFor(QCoreApplication::applicationFilePath()); }
