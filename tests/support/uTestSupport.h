#pragma once

#include "model/uNotify.h"

#include <QFile>
#include <QString>
#include <QStringList>

// Records what the library tells the user.
struct TMessageRecorder : TMessageSink {
    QStringList Messages;
    void ShowMessage(const QString &text) override { Messages.append(text); }
};

inline void WriteText(const QString &path, const QString &text)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(text.toUtf8());
}

inline QString ReadText(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}
