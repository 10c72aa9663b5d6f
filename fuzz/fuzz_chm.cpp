// Any bytes as the tables of a help file and as its contents sitemap: every reader returns,
// and what it returns holds together.
#include "ChmTables.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const ChmTables::System s = ChmTables::system(bytes);
    if (s.defaultTopic.startsWith(u'/') || s.contentsFile.startsWith(u'/'))
        __builtin_trap();
    // The same bytes as the index and, from their middle on, as the strings.
    const qsizetype half = bytes.size() / 2;
    const QHash<quint32, QString> topics = ChmTables::topics(bytes, bytes.sliced(half));
    if (topics.size() > bytes.size() / 8)
        __builtin_trap();
    for (const ChmTables::Entry& e : ChmTables::contents(ChmTables::decodeHtml(bytes)))
        if (e.name.isEmpty() || e.depth < 0)
            __builtin_trap();
    return 0;
}
