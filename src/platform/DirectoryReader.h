#pragma once

#include <QString>
#include <QStringList>

// Plain readdir: the file list must keep pace with a folder of 100,000 entries, which
// QDir's per-entry stat and pattern matching do not.
namespace DirectoryReader {

// Names of the script files in `folder` (regular files, or links to them), sorted.
// False when the folder cannot be read.
bool scriptFiles(const QString& folder, QStringList* names);

// Names of the visible subfolders (or links to folders), sorted.
bool subfolders(const QString& folder, QStringList* names);

} // namespace DirectoryReader
