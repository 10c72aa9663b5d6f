// Any bytes as a registry export: parse, then look up the keys and values its lines name and
// check that lookups agree with each other.
#include "RegFile.h"
#include "TextCodec.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<RegFile> reg = RegFile::parse(bytes);
    if (!reg)
        return 0;
    const QString text = TextCodec::decodeFile(bytes).text;
    QStringView key;
    for (QStringView line : QStringView(text).tokenize(u'\n')) {
        line = line.trimmed();
        if (line.startsWith(u'[')) {
            key = line.sliced(1, qMax<qsizetype>(line.lastIndexOf(u']') - 1, 0));
            const QString canonical = RegFile::canonicalKey(key);
            if (RegFile::canonicalKey(canonical) != canonical)
                __builtin_trap();
            if (reg->hasKey(key) &&
                (!reg->hasKey(canonical) || !reg->hasKey(canonical.toCaseFolded()) || canonical.isEmpty()))
                __builtin_trap(); // a key found one way must be found every way
            continue;
        }
        QString name; // read roughly: escapes only have to be right often enough to find values
        if (line.startsWith(u'"'))
            name = line.sliced(1)
                       .left(line.indexOf(u'"', 1) - 1)
                       .toString()
                       .replace(QStringLiteral("\\\\"), QStringLiteral("\\"));
        else if (!line.startsWith(u'@'))
            continue;
        const std::optional<RegValue> value = reg->value(key, name);
        if (!value)
            continue;
        if (!reg->hasKey(key) || reg->value(key, name.toCaseFolded()) != value)
            __builtin_trap();
        const QByteArray ansi = RegFile::ansiData(*value);
        if (value->type == RegType::String && ansi.size() > value->data.size())
            __builtin_trap(); // at most two bytes for each UTF-16 unit
    }
    return 0;
}
