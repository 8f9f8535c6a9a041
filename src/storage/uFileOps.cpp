#include "storage/uFileOps.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

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
