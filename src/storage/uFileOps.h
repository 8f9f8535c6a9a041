#pragma once

#include <QByteArray>
#include <QString>

// Creates a folder with the folders above it that are missing, each readable by its owner
// alone, as the files the tool keeps there hold every password of a site. Folders that were
// there keep their permissions. False when it cannot be created.
bool MakePrivatePath(const QString &path);

// Writes data into a file readable by its owner alone, replacing the file there atomically;
// false when it cannot be written, and then the file there is left as it was.
bool WritePrivateFile(const QString &path, const QByteArray &data);
