// Any bytes as a settings file: parse, look up, change a value, write back, parse again.
#include "IniDocument.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    std::optional<IniDocument> doc = IniDocument::parse(bytes);
    if (!doc)
        return 0;
    QString v;
    doc->value(QStringLiteral("Option"), QStringLiteral("Editor"), &v);
    const QString written = QString::fromUtf8(bytes.left(64));
    if (doc->setValue(QStringLiteral("Option"), QStringLiteral("Editor"), written)) {
        std::optional<IniDocument> again = IniDocument::parse(doc->serialize());
        QString back;
        if (!again ||
            again->value(QStringLiteral("Option"), QStringLiteral("Editor"), &back) !=
                IniDocument::Lookup::Found ||
            back != written)
            __builtin_trap(); // what we write we must read back
    }
    return 0;
}
