// Any bytes as a script file: detect, decode whole and in the preview's pieces, and the two
// must agree; what decodes cleanly must encode back to the same bytes. The editor's text,
// saved untouched, is the file byte for byte, and a line added at its end keeps the rest;
// as a file name, the bytes come back unchanged.
#include "NativeName.h"
#include "ScriptText.h"
#include "TextCodec.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto [whole, enc] = TextCodec::decodeFile(bytes);

    QString pieces;
    qsizetype from = TextCodec::bomLength(enc);
    const qsizetype step = size ? qsizetype(data[0] % 16 + 1) : 1;
    while (from < bytes.size()) {
        const qsizetype end = TextCodec::chunkEnd(bytes, enc, from, step);
        if (end <= from)
            __builtin_trap();
        pieces += TextCodec::decode(bytes.sliced(from, end - from), enc);
        from = end;
    }
    if (pieces != whole)
        __builtin_trap();

    if (!whole.contains(QChar(QChar::ReplacementCharacter))) {
        const std::optional<QByteArray> back = TextCodec::encode(whole, enc);
        // Code page 932 has characters with two codes (NEC and IBM rows): text survives,
        // bytes need not.
        if (back && enc != TextEncoding::Cp932 && *back != bytes)
            __builtin_trap();
        if (back && TextCodec::decodeFile(*back).text != whole && enc != TextEncoding::Cp932)
            __builtin_trap();
    }
    (void)TextCodec::toLf(whole);

    // The same bytes as a file name: they come back as they were, whatever they are.
    if (NativeName::toBytes(NativeName::fromBytes(bytes)) != bytes)
        __builtin_trap();
    (void)NativeName::display(NativeName::fromBytes(bytes));

    ScriptText file{QByteArray(bytes.data(), bytes.size())};
    const QString shown = file.takeText();
    const std::optional<QByteArray> same = file.toBytes(shown);
    if (!same || *same != bytes)
        __builtin_trap();
    const std::optional<QByteArray> longer = file.toBytes(shown + QStringLiteral("\nx"));
    if (!longer || !longer->startsWith(bytes))
        __builtin_trap();
    return 0;
}
