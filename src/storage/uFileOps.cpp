#include "storage/uFileOps.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

bool CopyFileOver(const QString &source, const QString &target)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    constexpr qint64 Chunk = 1 << 16;
    while (!in.atEnd()) {
        const QByteArray block = in.read(Chunk);
        if (block.isEmpty() && in.error() != QFileDevice::NoError)
            return false;
        if (out.write(block) != block.size())
            return false;
    }
    return out.commit();
}

bool MakePrivatePath(const QString &path)
{
    const QFileInfo info(path);
    if (info.isDir())
        return true;
    if (info.exists() || !MakePrivatePath(info.absolutePath()) || !QDir().mkdir(path))
        return false;
    return QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

bool WritePrivateFile(const QString &path, const QByteArray &data)
{
    QSaveFile out(path);
    return out.open(QIODevice::WriteOnly) &&
           out.setPermissions(QFile::ReadOwner | QFile::WriteOwner) &&
           out.write(data) == data.size() && out.commit();
}
