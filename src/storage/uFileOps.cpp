#include "storage/uFileOps.h"

#include <QFile>
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
