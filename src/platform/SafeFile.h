#pragma once

#include <QByteArray>
#include <QString>

// Writes that never leave a file half-written: the old content stays until the new one is
// complete, and a failed write leaves the file as it was.
namespace SafeFile {

// Makes `path` hold exactly `bytes`, through a temporary file renamed over it. A link is
// written through (it stays a link), the file's permissions stay, and a read-only file or
// anything that is not a regular file is refused rather than replaced.
bool replace(const QString& path, const QByteArray& bytes, QString* reason);

// Adds `bytes` at the end of `path`, creating it as replace() does when it is missing. A
// write that fails is undone, so the file keeps the length and bytes it had.
bool append(const QString& path, const QByteArray& bytes, QString* reason);

} // namespace SafeFile
