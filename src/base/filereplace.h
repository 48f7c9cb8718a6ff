#pragma once

#include <QByteArray>
#include <QString>

// Replaces the file at path (the target of a symbolic link) by bytes. They go
// to a new file beside it, keeping the old file's permissions, and are
// written, flushed and synced with every step's error checked; only then is
// the new file renamed over the old one. On any failure the old file stays as
// it was, the new one is removed and *error holds the errno value.
bool ReplaceFile(const QString& path, const QByteArray& bytes, int* error);
