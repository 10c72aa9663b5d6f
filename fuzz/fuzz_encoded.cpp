// Any bytes as an encoded script: decoding survives them; and as a plain script in every
// charset and language: what is encoded decodes to exactly those bytes again.
#include "EncodedScript.h"
#include "TextCodec.h"

#include <cstddef>
#include <cstdint>

namespace {

using namespace EncodedScript;

void roundTrip(std::string_view plain, Language language, Charset charset)
{
    const Encoded e = encodeScript(plain, language, charset);
    const Decoded d = decodeScript(e.bytes, charset);
    if (!d.ok() || d.text != plain)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // The host and the encoder must read a file as the preview and the editor do.
    const TextEncoding editors = TextCodec::detect(QByteArrayView(bytes.data(), qsizetype(size)));
    const Charset expected = editors == TextEncoding::Cp932     ? Charset::Cp932
                             : editors == TextEncoding::Utf16LE ? Charset::Utf16LE
                             : editors == TextEncoding::Utf16BE ? Charset::Utf16BE
                                                                : Charset::Utf8;
    if (detectCharset(bytes) != expected)
        __builtin_trap();
    const Decoded d = decodeScript(bytes);
    if (!d.ok() && (d.line == 0 || !d.text.empty() || d.error().empty()))
        __builtin_trap();
    // Blocks the decoder accepts, encoded anew, read back the same.
    if (d.ok())
        roundTrip(d.text, Language::VBScript, detectCharset(d.text));
    for (const Charset c : {Charset::Cp932, Charset::Utf8, Charset::Utf16LE, Charset::Utf16BE}) {
        (void)decodeScript(bytes, c);
        roundTrip(bytes, size % 2 ? Language::JScript : Language::VBScript, c);
    }
    // As the encoder is used: the detected charset, and the output read the same way.
    const Encoded e = encodeScript(bytes, Language::VBScript);
    if (detectCharset(e.bytes) != detectCharset(bytes) || decodeScript(e.bytes).text != bytes)
        __builtin_trap();
    return 0;
}
