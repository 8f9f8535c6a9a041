#pragma once

#include <QString>

// Copies source over target; true when the copy is complete. The target is replaced atomically:
// until the new content is whole on disk, an existing target keeps its old content.
bool CopyFileOver(const QString &source, const QString &target);
