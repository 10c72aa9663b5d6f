#include "ScriptFiles.h"

#include <algorithm>

namespace ScriptFiles {

std::string sortKey(QStringView name)
{
    std::string key;
    key.reserve(name.size());
    for (QChar c : name) {
        if (c.unicode() >= 0x80)
            return name.toString().toCaseFolded().toStdString();
        const char a = char(c.unicode());
        key.push_back(a >= 'A' && a <= 'Z' ? char(a + 32) : a);
    }
    return key;
}

QStringList sortedNames(std::vector<Named>&& entries)
{
    // Keys of short names live inside the string object: the sort touches no other memory.
    std::sort(entries.begin(), entries.end(), [](const Named& a, const Named& b) {
        const int c = a.key.compare(b.key);
        return c != 0 ? c < 0 : a.name < b.name;
    });
    QStringList out;
    out.reserve(qsizetype(entries.size()));
    for (Named& e : entries)
        out.append(std::move(e.name));
    return out;
}

} // namespace ScriptFiles
