#include "EncodedScript.h"

#include <cstdint>

namespace EncodedScript {

namespace {

constexpr std::string_view Open = "#@~^";
constexpr std::string_view Close = "^#~@";
constexpr std::string_view Base64 = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The characters the tables substitute: TAB and 0x20..0x7F, except "<", ">" and "@", which
// travel as escapes. For each of them in this order, the character each table writes.
constexpr std::string_view Tables[3] = {
    "dP\"Ja^][B`#e_~ORz!F &c*vG%,)i'gbAZf2sMCq9|SH1rnpI?Kj.\177(5}$-T7{=l4mN+0otkL3V:xWw;D/YE\\h6Xy\tu8UQ",
    "7~ZE:yY'vcbMQSR &Tq+f*X\177{01lIx_)$/93o!u(BFJ\\H6K}]jPi#\tpet,wD?m|C8^[nWL4r%VshUG25.dO;-Aaz\"`kN=g",
    "i,er[fuLEv*C3B cJZ8y2Wl+FRO=p{Qz~;GAwV_&xndtg}h5\"U:`jqoI\\]'Y%|#m(19\1776T4bN0^s\tKa$MkD!7SXH.P-)?/",
};
// The table for the n-th ASCII character of a block, n counted modulo 64.
constexpr std::string_view Pattern = "1201202002021020102011200210200211020201011201021020112001120102";

constexpr bool substituted(unsigned c)
{
    return c == '\t' || (c >= 0x20 && c <= 0x7F && c != '<' && c != '>' && c != '@');
}

struct Codes {
    unsigned char encode[3][128] = {};
    unsigned char decode[3][128] = {}; // 0: no table writes this character
    constexpr Codes()
    {
        for (int t = 0; t < 3; ++t) {
            std::size_t i = 0;
            for (unsigned c = 0; c < 128; ++c) {
                if (!substituted(c))
                    continue;
                const auto e = static_cast<unsigned char>(Tables[t][i++]);
                encode[t][c] = e;
                decode[t][e] = static_cast<unsigned char>(c);
            }
        }
    }
};
constexpr Codes codes;

int tableAt(std::uint32_t index)
{
    return Pattern[index % 64] - '0';
}

bool isCp932Lead(unsigned char b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

bool isCp932Trail(unsigned char b)
{
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

struct Char {
    std::size_t size = 1;
    int ascii = -1;     // its value when it is ASCII
    unsigned units = 1; // UTF-16 code units, which the length field counts
    bool loose = false; // would take the next byte with it if that byte changed
};

// The characters of a script's bytes, and ASCII written back in the same charset.
class Text {
public:
    Text(std::string_view bytes, Charset charset)
        : m_bytes(bytes)
        , m_charset(charset)
    {
    }

    std::size_t size() const { return m_bytes.size(); }
    std::string_view bytes(std::size_t from, std::size_t n) const { return m_bytes.substr(from, n); }

    Char at(std::size_t pos) const
    {
        const std::size_t left = m_bytes.size() - pos;
        const auto b = byte(pos);
        switch (m_charset) {
        case Charset::Utf16LE:
        case Charset::Utf16BE: {
            if (left < 2)
                return {1, -1, 1, true};
            const unsigned unit =
                m_charset == Charset::Utf16LE ? b | byte(pos + 1) << 8 : b << 8 | byte(pos + 1);
            return {2, unit < 0x80 ? int(unit) : -1, 1, false};
        }
        case Charset::Cp932:
            if (b < 0x80)
                return {1, int(b), 1, false};
            if (isCp932Lead(b)) {
                if (left >= 2 && isCp932Trail(byte(pos + 1)))
                    return {2, -1, 1, false};
                // A lead byte without its pair would pair with an encoded character after it.
                return {1, -1, 1, true};
            }
            return {1, -1, 1, false};
        case Charset::Utf8: {
            if (b < 0x80)
                return {1, int(b), 1, false};
            const std::size_t n = b >= 0xC2 && b <= 0xDF   ? 2
                                  : b >= 0xE0 && b <= 0xEF ? 3
                                  : b >= 0xF0 && b <= 0xF4 ? 4
                                                           : 1;
            if (n > left)
                return {1, -1, 1, false};
            for (std::size_t i = 1; i < n; ++i)
                if ((byte(pos + i) & 0xC0) != 0x80)
                    return {1, -1, 1, false};
            return {n, -1, n == 4 ? 2u : 1u, false};
        }
        }
        return {};
    }

    // Whether the characters at `pos` are exactly the ASCII text `s`; `end` gets where they end.
    bool matches(std::size_t pos, std::string_view s, std::size_t* end = nullptr) const
    {
        for (const char c : s) {
            if (pos >= m_bytes.size())
                return false;
            const Char ch = at(pos);
            if (ch.ascii != static_cast<unsigned char>(c))
                return false;
            pos += ch.size;
        }
        if (end)
            *end = pos;
        return true;
    }

    void put(std::string& out, unsigned char c) const
    {
        if (m_charset == Charset::Utf16LE) {
            out += char(c);
            out += '\0';
        } else if (m_charset == Charset::Utf16BE) {
            out += '\0';
            out += char(c);
        } else {
            out += char(c);
        }
    }
    void put(std::string& out, std::string_view s) const
    {
        for (const char c : s)
            put(out, static_cast<unsigned char>(c));
    }

    std::size_t bomLength() const
    {
        const auto starts = [this](std::string_view bom) { return m_bytes.substr(0, bom.size()) == bom; };
        switch (m_charset) {
        case Charset::Utf8:
            return starts("\xEF\xBB\xBF") ? 3 : 0;
        case Charset::Utf16LE:
            return starts("\xFF\xFE") ? 2 : 0;
        case Charset::Utf16BE:
            return starts("\xFE\xFF") ? 2 : 0;
        case Charset::Cp932:
            break;
        }
        return 0;
    }

private:
    unsigned byte(std::size_t pos) const { return static_cast<unsigned char>(m_bytes[pos]); }

    std::string_view m_bytes;
    Charset m_charset;
};

// A number as the format writes it: its four bytes, least significant first, in Base64.
std::string numberField(std::uint32_t n)
{
    const unsigned b[4] = {n & 0xFF, n >> 8 & 0xFF, n >> 16 & 0xFF, n >> 24};
    std::string s;
    s += Base64[b[0] >> 2];
    s += Base64[(b[0] & 3) << 4 | b[1] >> 4];
    s += Base64[(b[1] & 15) << 2 | b[2] >> 6];
    s += Base64[b[2] & 63];
    s += Base64[b[3] >> 2];
    s += Base64[(b[3] & 3) << 4];
    return s + "==";
}

enum class Read { Ok, End, Bad };

// Reads a number field at `pos`, moving `pos` past it.
Read readNumber(const Text& text, std::size_t& pos, std::uint32_t* n)
{
    unsigned d[6];
    for (int i = 0; i < 8; ++i) {
        if (pos >= text.size())
            return Read::End;
        const Char ch = text.at(pos);
        pos += ch.size;
        if (i >= 6) {
            if (ch.ascii != '=')
                return Read::Bad;
            continue;
        }
        const std::size_t v = ch.ascii < 0 ? std::string_view::npos : Base64.find(char(ch.ascii));
        if (v == std::string_view::npos)
            return Read::Bad;
        d[i] = unsigned(v);
    }
    const std::uint32_t b0 = d[0] << 2 | d[1] >> 4, b1 = (d[1] & 15) << 4 | d[2] >> 2,
                        b2 = (d[2] & 3) << 6 | d[3], b3 = (d[4] << 2 | d[5] >> 4) & 0xFF;
    *n = b0 | b1 << 8 | b2 << 16 | b3 << 24;
    return Read::Ok;
}

class BlockWriter {
public:
    BlockWriter(const Text& text, std::string& out)
        : m_text(text)
        , m_out(out)
    {
    }

    void add(const Char& ch, std::size_t pos)
    {
        // Far below the length field's limit, so that an escape never overflows it.
        if (m_units >= 0x7FFFFFF0u)
            flush();
        if (ch.ascii < 0) {
            m_data += m_text.bytes(pos, ch.size);
            m_units += ch.units;
            ++m_kept;
            return;
        }
        const auto c = static_cast<unsigned char>(ch.ascii);
        m_sum += c;
        const char* escape = c == '\r'   ? "@#"
                             : c == '\n' ? "@&"
                             : c == '<'  ? "@!"
                             : c == '>'  ? "@*"
                             : c == '@'  ? "@$"
                                         : nullptr;
        if (escape) {
            m_text.put(m_data, escape);
            m_units += 2;
        } else {
            m_text.put(m_data, substituted(c) ? codes.encode[tableAt(m_index)][c] : c);
            ++m_units;
        }
        ++m_index;
    }

    void flush()
    {
        if (m_units == 0)
            return;
        m_text.put(m_out, Open);
        m_text.put(m_out, numberField(m_units));
        m_out += m_data;
        m_text.put(m_out, numberField(m_sum));
        m_text.put(m_out, Close);
        ++m_blocks;
        m_data.clear();
        m_units = m_sum = m_index = 0;
    }

    std::size_t blocks() const { return m_blocks; }
    std::size_t kept() const { return m_kept; }

private:
    const Text& m_text;
    std::string& m_out;
    std::string m_data;
    std::uint32_t m_units = 0, m_sum = 0, m_index = 0;
    std::size_t m_blocks = 0, m_kept = 0;
};

const char* reason(Fault fault, bool japanese)
{
    switch (fault) {
    case Fault::None:
        break;
    case Fault::BadLength:
        return japanese ? "長さの欄が読めません" : "its length field cannot be read";
    case Fault::Truncated:
        return japanese ? "ブロックが途中で切れています" : "it is cut short";
    case Fault::BadEscape:
        return japanese ? "「@」の後に使えない文字があります" : "an unknown character follows \"@\"";
    case Fault::BadCharacter:
        return japanese ? "エンコーダが書かない文字があります"
                        : "it holds a character that no encoder writes";
    case Fault::LengthMismatch:
        return japanese ? "長さが中身と合いません" : "its length does not match its contents";
    case Fault::ChecksumMismatch:
        return japanese ? "チェックサムが合いません (書き換えられています)"
                        : "its checksum does not match (it was altered)";
    case Fault::NoTrailer:
        return japanese ? "終わりの印「^#~@」がありません" : "its end mark \"^#~@\" is missing";
    }
    return "";
}

// Decodes the block whose "#@~^" ends at `pos`; `pos` moves past its "^#~@".
Fault decodeBlock(const Text& text, std::size_t& pos, std::string& out)
{
    std::uint32_t length = 0;
    switch (readNumber(text, pos, &length)) {
    case Read::Ok:
        break;
    case Read::End:
        return Fault::Truncated;
    case Read::Bad:
        return Fault::BadLength;
    }
    std::uint64_t units = 0;
    std::uint32_t sum = 0, index = 0;
    while (units < length) {
        if (pos >= text.size())
            return Fault::Truncated;
        const Char ch = text.at(pos);
        pos += ch.size;
        if (ch.ascii < 0) {
            out += text.bytes(pos - ch.size, ch.size);
            units += ch.units;
            continue;
        }
        unsigned c = unsigned(ch.ascii);
        if (c == '@') {
            if (pos >= text.size())
                return Fault::Truncated;
            const Char e = text.at(pos);
            pos += e.size;
            switch (e.ascii) {
            case '#':
                c = '\r';
                break;
            case '&':
                c = '\n';
                break;
            case '!':
                c = '<';
                break;
            case '*':
                c = '>';
                break;
            case '$':
                c = '@';
                break;
            default:
                return Fault::BadEscape;
            }
            units += 2;
        } else {
            if (substituted(c) || c == '<' || c == '>') {
                c = codes.decode[tableAt(index)][c];
                if (c == 0)
                    return Fault::BadCharacter;
            }
            ++units;
        }
        text.put(out, static_cast<unsigned char>(c));
        sum += c;
        ++index;
    }
    // An escape that straddles the end.
    if (units != length)
        return Fault::LengthMismatch;
    std::uint32_t expected = 0;
    switch (readNumber(text, pos, &expected)) {
    case Read::Ok:
        break;
    case Read::End:
        return Fault::Truncated;
    case Read::Bad:
        return Fault::LengthMismatch;
    }
    if (sum != expected)
        return Fault::ChecksumMismatch;
    for (const char c : Close) {
        if (pos >= text.size())
            return Fault::Truncated;
        const Char ch = text.at(pos);
        if (ch.ascii != c)
            return Fault::NoTrailer;
        pos += ch.size;
    }
    return Fault::None;
}

bool validUtf8WithNonAscii(std::string_view bytes)
{
    const Text text(bytes, Charset::Utf8);
    bool nonAscii = false;
    for (std::size_t pos = 0; pos < bytes.size();) {
        const Char ch = text.at(pos);
        if (ch.ascii < 0) {
            // A single byte above 0x7F is never a character of its own in UTF-8.
            if (ch.size == 1)
                return false;
            const auto b0 = static_cast<unsigned char>(bytes[pos]),
                       b1 = static_cast<unsigned char>(bytes[pos + 1]);
            // Overlong forms, surrogates and code points beyond U+10FFFF.
            if ((b0 == 0xE0 && b1 < 0xA0) || (b0 == 0xED && b1 > 0x9F) || (b0 == 0xF0 && b1 < 0x90) ||
                (b0 == 0xF4 && b1 > 0x8F))
                return false;
            nonAscii = true;
        }
        pos += ch.size;
    }
    return nonAscii;
}

} // namespace

Charset detectCharset(std::string_view bytes)
{
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        return Charset::Utf8;
    if (bytes.substr(0, 2) == "\xFF\xFE")
        return Charset::Utf16LE;
    if (bytes.substr(0, 2) == "\xFE\xFF")
        return Charset::Utf16BE;
    return validUtf8WithNonAscii(bytes) ? Charset::Utf8 : Charset::Cp932;
}

std::string_view startMarker(Language language)
{
    return language == Language::VBScript ? "'**Start Encode**" : "//**Start Encode**";
}

Encoded encodeScript(std::string_view bytes, Language language, Charset charset)
{
    const Text text(bytes, charset);
    const std::string_view marker = startMarker(language);
    const std::size_t bom = text.bomLength();
    std::size_t start = bom;
    for (std::size_t pos = bom; pos < text.size(); pos += text.at(pos).size) {
        // Text before the marker that looks like a block would be read as one: it is encoded too.
        if (text.matches(pos, Open))
            break;
        std::size_t end = 0;
        if (text.matches(pos, marker, &end)) {
            start = end;
            break;
        }
    }

    Encoded result;
    result.bytes.reserve(bytes.size() + bytes.size() / 8 + 64);
    result.bytes += bytes.substr(0, start);
    BlockWriter block(text, result.bytes);
    for (std::size_t pos = start; pos < text.size();) {
        const Char ch = text.at(pos);
        if (ch.loose) {
            // Kept between two blocks, where the next byte is the "#" of a block or nothing.
            block.flush();
            result.bytes += text.bytes(pos, ch.size);
        } else {
            block.add(ch, pos);
        }
        pos += ch.size;
    }
    block.flush();
    result.blocks = block.blocks();
    result.keptCharacters = block.kept();
    return result;
}

Encoded encodeScript(std::string_view bytes, Language language)
{
    return encodeScript(bytes, language, detectCharset(bytes));
}

Decoded decodeScript(std::string_view bytes, Charset charset)
{
    const Text text(bytes, charset);
    Decoded result;
    result.text.reserve(bytes.size());
    std::size_t line = 1;
    for (std::size_t pos = 0; pos < text.size();) {
        std::size_t end = 0;
        if (text.matches(pos, Open, &end)) {
            const std::size_t from = pos;
            pos = end;
            const Fault fault = decodeBlock(text, pos, result.text);
            if (fault != Fault::None) {
                result.text.clear();
                result.fault = fault;
                result.line = line;
                return result;
            }
            ++result.blocks;
            // Line ends inside a block count too: a block may have been written by hand.
            for (std::size_t p = from; p < pos;) {
                const Char ch = text.at(p);
                line += ch.ascii == '\n';
                p += ch.size;
            }
            continue;
        }
        const Char ch = text.at(pos);
        result.text += text.bytes(pos, ch.size);
        line += ch.ascii == '\n';
        pos += ch.size;
    }
    return result;
}

Decoded decodeScript(std::string_view bytes)
{
    return decodeScript(bytes, detectCharset(bytes));
}

std::string Decoded::error(bool japanese) const
{
    if (ok())
        return {};
    const std::string n = std::to_string(line);
    return japanese ? n + " 行目のエンコードされたブロックが壊れています: " + reason(fault, japanese) + "。"
                    : "the encoded block on line " + n + " is damaged: " + reason(fault, japanese) + ".";
}

} // namespace EncodedScript
