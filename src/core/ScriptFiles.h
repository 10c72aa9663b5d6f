#pragma once

#include <QString>
#include <QStringList>

// The file list's rules: which names it shows and in what order.
namespace ScriptFiles {

inline const QString Pattern = QStringLiteral("*.vbs;*.js;*.pls");

// *.vbs, *.js, *.pls in any letter case; hidden (dot) files never.
bool matches(QStringView name);

// By name without regard to case, then by the exact name, so the order is stable.
void sortByName(QStringList& names);

// The path of a file in a folder: no special case for the root, whose path already ends
// in the separator ("//a.vbs").
inline QString join(const QString& folder, const QString& name)
{
    return folder + u'/' + name;
}

} // namespace ScriptFiles
