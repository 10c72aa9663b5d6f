#include "ScriptFiles.h"

#include <algorithm>
#include <numeric>

namespace ScriptFiles {

bool matches(QStringView name)
{
    if (name.startsWith(u'.'))
        return false;
    for (const char* ext : {".vbs", ".js", ".pls"})
        if (name.endsWith(QLatin1String(ext), Qt::CaseInsensitive) && name.size() > qsizetype(strlen(ext)))
            return true;
    return false;
}

void sortByName(QStringList& names)
{
    // Folding once per name keeps a folder of 75,000 scripts fast to sort.
    QStringList keys;
    keys.reserve(names.size());
    for (const QString& n : names)
        keys.append(n.toCaseFolded());
    std::vector<qsizetype> order(names.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        const int c = keys[a].compare(keys[b]);
        return c != 0 ? c < 0 : names[a] < names[b];
    });
    QStringList sorted;
    sorted.reserve(names.size());
    for (qsizetype i : order)
        sorted.append(std::move(names[i]));
    names = std::move(sorted);
}

} // namespace ScriptFiles
