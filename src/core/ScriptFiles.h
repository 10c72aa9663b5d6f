#pragma once

#include <QString>
#include <QStringList>

#include <string>
#include <vector>

// The file list's rules: which names it shows and in what order.
namespace ScriptFiles {

// The most of a script file the program reads: far more than any script, so that a
// mistaken choice (a disk image named like a script) does not fill the memory.
constexpr qint64 MaxBytes = 64 * 1024 * 1024;

// The order of the file list: by name without regard to case, then by the exact name. The
// key is the case-folded name in UTF-8, whose byte order is the code point order, so that
// plain memcmp sorts it.
std::string sortKey(QStringView name);

struct Named {
    std::string key;
    QString name;
};
// Sorts by key, then name, and hands back the names.
QStringList sortedNames(std::vector<Named>&& entries);

// The path of a file in a folder: no special case for the root, whose path already ends
// in the separator ("//a.vbs").
inline QString join(const QString& folder, const QString& name)
{
    return folder + u'/' + name;
}

} // namespace ScriptFiles
