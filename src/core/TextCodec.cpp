#include "TextCodec.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <cstring>

namespace TextCodec {

namespace {

constexpr char Cp932Name[] = "CP932";
constexpr char16_t Replacement = QChar::ReplacementCharacter;

constexpr bool isCp932Lead(unsigned b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Code page 932 as a table read once from the system's converter. The converter itself
// turns bad bytes into U+001A and drops a lead byte cut off at the end; the preview must
// show both as replacement characters, and a table lookup is also faster.
struct Cp932Table {
    char16_t single[256];
    bool lead[256];
    char16_t pair[64][256]; // lead 0x81..0x9F, 0xE0..0xFC folded into 0..62
    // Codes whose character is written back with another code.
    bool aliasedSingle[256];
    bool aliasedPair[64][256];
    bool valid = false;
    bool asciiIsAscii = true; // lets the decoder copy runs of plain ASCII eight bytes at a time

    static int leadIndex(unsigned char b) { return b <= 0x9F ? b - 0x81 : b - 0xE0 + 31; }

    Cp932Table()
    {
        QStringDecoder d(Cp932Name, QStringDecoder::Flag::Stateless);
        if (!d.isValid())
            return;
        auto one = [&d](const char* bytes, qsizetype n) -> char16_t {
            const QString s = d.decode(QByteArrayView(bytes, n));
            if (s.size() != 1 || (s[0] == u'\x1a' && !(n == 1 && bytes[0] == 0x1a)))
                return Replacement;
            return s[0].unicode();
        };
        for (int b = 0; b < 256; ++b) {
            lead[b] = isCp932Lead(b);
            const char c = char(b);
            single[b] = lead[b] ? Replacement : one(&c, 1);
            if (b < 0x80 && single[b] != b)
                asciiIsAscii = false;
        }
        QStringEncoder e(Cp932Name, QStringEncoder::Flag::Stateless);
        auto aliased = [&e](char16_t c, QByteArrayView bytes) {
            return c != Replacement && QByteArray(e.encode(QStringView(&c, 1))) != bytes;
        };
        for (int b = 0; b < 256; ++b) {
            const char c = char(b);
            aliasedSingle[b] = aliased(single[b], QByteArrayView(&c, 1));
        }
        for (int l = 0; l < 256; ++l) {
            if (!lead[l])
                continue;
            for (int t = 0; t < 256; ++t) {
                const char bytes[2] = {char(l), char(t)};
                const bool trail = (t >= 0x40 && t <= 0x7E) || (t >= 0x80 && t <= 0xFC);
                pair[leadIndex(l)][t] = trail ? one(bytes, 2) : Replacement;
                aliasedPair[leadIndex(l)][t] = aliased(pair[leadIndex(l)][t], QByteArrayView(bytes, 2));
            }
        }
        valid = true;
    }
};

const Cp932Table& cp932Table()
{
    static const Cp932Table table;
    return table;
}

QString decodeCp932(QByteArrayView body)
{
    const Cp932Table& table = cp932Table();
    if (!table.valid)
        return QString::fromLatin1(body);
    QString out(body.size(), Qt::Uninitialized);
    char16_t* o = reinterpret_cast<char16_t*>(out.data());
    const auto* p = reinterpret_cast<const unsigned char*>(body.data());
    const auto* end = p + body.size();
    char16_t* w = o;
    while (p < end) {
        if (table.asciiIsAscii && end - p >= 8) {
            quint64 word;
            std::memcpy(&word, p, 8);
            if (!(word & 0x8080808080808080ULL)) {
                for (int i = 0; i < 8; ++i)
                    w[i] = p[i];
                w += 8;
                p += 8;
                continue;
            }
        }
        const unsigned char b = *p;
        if (b < 0x80 || !table.lead[b]) {
            *w++ = table.single[b];
            ++p;
            continue;
        }
        if (p + 1 >= end) { // a lead byte cut off
            *w++ = Replacement;
            ++p;
            continue;
        }
        const char16_t c = table.pair[Cp932Table::leadIndex(b)][p[1]];
        if (c == Replacement) {
            // Only the lead byte is bad; the next byte may start a character of its own.
            *w++ = Replacement;
            ++p;
            continue;
        }
        *w++ = c;
        p += 2;
    }
    out.truncate(w - o);
    return out;
}

bool hasNonAscii(QByteArrayView bytes)
{
    const char* p = bytes.data();
    const char* end = p + bytes.size();
    for (; end - p >= 8; p += 8) {
        quint64 word;
        std::memcpy(&word, p, 8);
        if (word & 0x8080808080808080ULL)
            return true;
    }
    for (; p < end; ++p)
        if (static_cast<unsigned char>(*p) & 0x80)
            return true;
    return false;
}

} // namespace

bool hasAliasedCodes(QByteArrayView bytes)
{
    const Cp932Table& table = cp932Table();
    if (!table.valid)
        return false;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    while (p < end) {
        const unsigned char b = *p;
        if (b >= 0x80 && table.lead[b] && p + 1 < end &&
            table.pair[Cp932Table::leadIndex(b)][p[1]] != Replacement) {
            if (table.aliasedPair[Cp932Table::leadIndex(b)][p[1]])
                return true;
            p += 2;
            continue;
        }
        if (table.aliasedSingle[b])
            return true;
        ++p;
    }
    return false;
}

bool isValidUtf8(QByteArrayView bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    while (p < end) {
        if (end - p >= 8) {
            quint64 word;
            std::memcpy(&word, p, 8);
            if (!(word & 0x8080808080808080ULL)) {
                p += 8;
                continue;
            }
        }
        const unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int len;
        unsigned char lo = 0x80, hi = 0xBF; // bounds of the second byte
        if (c >= 0xC2 && c <= 0xDF) {
            len = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            len = 3;
            if (c == 0xE0)
                lo = 0xA0;
            else if (c == 0xED)
                hi = 0x9F; // no surrogates
        } else if (c >= 0xF0 && c <= 0xF4) {
            len = 4;
            if (c == 0xF0)
                lo = 0x90;
            else if (c == 0xF4)
                hi = 0x8F;
        } else {
            return false;
        }
        if (end - p < len || p[1] < lo || p[1] > hi)
            return false;
        for (int i = 2; i < len; ++i)
            if ((p[i] & 0xC0) != 0x80)
                return false;
        p += len;
    }
    return true;
}

TextEncoding detect(QByteArrayView bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return TextEncoding::Utf8Bom;
    if (bytes.startsWith("\xFF\xFE"))
        return TextEncoding::Utf16LE;
    if (bytes.startsWith("\xFE\xFF"))
        return TextEncoding::Utf16BE;
    if (hasNonAscii(bytes) && isValidUtf8(bytes))
        return TextEncoding::Utf8;
    return TextEncoding::Cp932;
}

qsizetype bomLength(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf8Bom:
        return 3;
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE:
        return 2;
    default:
        return 0;
    }
}

QString decode(QByteArrayView body, TextEncoding encoding)
{
    // The mark is the caller's to skip; a U+FEFF inside the text is text.
    const auto flags = QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom;
    switch (encoding) {
    case TextEncoding::Cp932:
        return decodeCp932(body);
    case TextEncoding::Utf8:
    case TextEncoding::Utf8Bom: {
        QStringDecoder d(QStringDecoder::Utf8, flags);
        return d.decode(body);
    }
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE: {
        QStringDecoder d(
            encoding == TextEncoding::Utf16LE ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE, flags);
        // Qt shows an odd last byte as U+FFFD only when a whole unit came before it.
        const bool odd = body.size() % 2;
        QString s = d.decode(body.first(body.size() - (odd ? 1 : 0)));
        if (odd)
            s += QChar(QChar::ReplacementCharacter);
        return s;
    }
    }
    return {};
}

DecodedFile decodeFile(QByteArrayView bytes)
{
    const TextEncoding encoding = detect(bytes);
    return {decode(bytes.sliced(bomLength(encoding)), encoding), encoding};
}

qsizetype chunkEnd(QByteArrayView bytes, TextEncoding encoding, qsizetype from, qsizetype minBytes,
                   qsizetype maxBytes)
{
    const qsizetype size = bytes.size();
    qsizetype at = from + qMax<qsizetype>(minBytes, 1);
    if (at >= size)
        return size;
    const qsizetype limit = from + qMax(maxBytes, qMax<qsizetype>(minBytes, 1)) < size
                                ? from + qMax(maxBytes, qMax<qsizetype>(minBytes, 1))
                                : size;
    if (encoding == TextEncoding::Utf16LE || encoding == TextEncoding::Utf16BE) {
        const qsizetype bom = bomLength(encoding);
        const bool le = encoding == TextEncoding::Utf16LE;
        // Code units start at even offsets after the mark.
        if ((at - bom) % 2)
            ++at;
        for (; at + 1 < size && at < limit; at += 2) {
            const char a = bytes[at], b = bytes[at + 1];
            if (le ? (a == '\n' && b == 0) : (a == 0 && b == '\n'))
                return at + 2;
        }
        if (at + 1 >= size || limit >= size)
            return size;
        // No line feed: cut between code units, not inside a surrogate pair.
        const uchar hi = uchar(le ? bytes[at + 1] : bytes[at]);
        return (hi >= 0xDC && hi <= 0xDF) ? at + 2 : at;
    }
    const qsizetype lf = bytes.sliced(0, limit).indexOf('\n', at);
    if (lf >= 0)
        return lf + 1;
    if (limit >= size)
        return size;
    qsizetype cut = limit;
    if (encoding == TextEncoding::Cp932) {
        while (cut > at && uchar(bytes[cut - 1]) >= 0x40)
            --cut;
        if (cut > at)
            return cut;
        // A long run of pairs: count them from the piece's start, itself a boundary.
        qsizetype i = from;
        while (i < limit) {
            const qsizetype width = isCp932Lead(uchar(bytes[i])) ? 2 : 1;
            if (i + width > limit)
                break;
            i += width;
        }
        return i > from ? i : qMin(from + 2, size);
    }
    while (cut > at && (uchar(bytes[cut]) & 0xC0) == 0x80) // not before a UTF-8 continuation byte
        --cut;
    return cut > from ? cut : limit;
}

QString breakLongLines(QString text, qsizetype maxChars)
{
    qsizetype run = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\n') {
            run = 0;
        } else if (++run > maxChars && !text[i].isLowSurrogate()) {
            text.insert(i, u'\n');
            run = 0;
        }
    }
    return text;
}

QString toLf(QString text)
{
    if (!text.contains(u'\r'))
        return text;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

bool usesCrLf(QStringView text)
{
    const qsizetype lf = text.indexOf(u'\n');
    if (lf < 0)
        return true;
    return lf > 0 && text[lf - 1] == u'\r';
}

std::optional<QByteArray> encode(QStringView text, TextEncoding encoding)
{
    QByteArray out;
    // Built in place: a moved-into encoder forgets its errors (Qt 6.4 with ICU).
    std::optional<QStringEncoder> e;
    switch (encoding) {
    case TextEncoding::Cp932:
        e.emplace(Cp932Name);
        break;
    case TextEncoding::Utf8:
        e.emplace(QStringEncoder::Utf8);
        break;
    case TextEncoding::Utf8Bom:
        e.emplace(QStringEncoder::Utf8);
        out = "\xEF\xBB\xBF";
        break;
    case TextEncoding::Utf16LE:
        e.emplace(QStringEncoder::Utf16LE);
        out = "\xFF\xFE";
        break;
    case TextEncoding::Utf16BE:
        e.emplace(QStringEncoder::Utf16BE);
        out = "\xFE\xFF";
        break;
    }
    if (!e->isValid())
        return std::nullopt;
    const QByteArray body = e->encode(text);
    if (e->hasError())
        return std::nullopt;
    return out + body;
}

} // namespace TextCodec
