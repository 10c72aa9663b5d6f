#pragma once

// Scripts in the encoded form that the script engines' ".Encode" languages read: "#@~^", a
// length, the text put through three substitution tables, a checksum, "^#~@".
//
// Plain standard C++ on purpose, bytes in and bytes out: the Windows script host, which is
// built without Qt, compiles this file too.

#include <cstddef>
#include <string>
#include <string_view>

namespace EncodedScript {

// How a script's bytes hold its characters. The format changes only ASCII characters, so it
// must know where the others begin and end: the second byte of a code page 932 character can
// look like "@" or a letter.
enum class Charset { Cp932, Utf8, Utf16LE, Utf16BE };

// The rule scripts are read by everywhere in Quillet: a byte-order mark decides; else bytes
// that are valid UTF-8 and hold one above 0x7F are UTF-8; else code page 932.
Charset detectCharset(std::string_view bytes);

enum class Language { VBScript, JScript };

// The comment after which encoding starts: "'**Start Encode**" or "//**Start Encode**".
std::string_view startMarker(Language language);

struct Encoded {
    std::string bytes;
    std::size_t blocks = 0;         // none when nothing follows the marker
    std::size_t keptCharacters = 0; // non-ASCII characters in the blocks, which stay as they are
};

// Encodes what follows the language's start marker, or without one everything after the
// byte-order mark. Whatever the bytes, the result decodes to exactly them.
Encoded encodeScript(std::string_view bytes, Language language, Charset charset);
Encoded encodeScript(std::string_view bytes, Language language);

enum class Fault {
    None,
    BadLength,        // "#@~^" without a length after it
    Truncated,        // the bytes end inside a block
    BadEscape,        // "@" followed by something other than # & ! * $
    BadCharacter,     // a character no encoder writes
    LengthMismatch,   // no checksum where the length says the text ends
    ChecksumMismatch, // the text was altered
    NoTrailer,        // no "^#~@" after the checksum
};

struct Decoded {
    std::string text; // the bytes with every block decoded; empty after a fault
    Fault fault = Fault::None;
    std::size_t line = 0; // of the faulty block's "#@~^", from 1
    std::size_t blocks = 0;

    bool ok() const { return fault == Fault::None; }
    // One sentence for the user that names the line; empty when nothing went wrong.
    std::string error(bool japanese = true) const;
};

// Decodes every block and keeps the rest as it is, in the same charset; the first damaged
// block stops it with a fault.
Decoded decodeScript(std::string_view bytes);
Decoded decodeScript(std::string_view bytes, Charset charset);

} // namespace EncodedScript
