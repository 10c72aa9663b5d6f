#include "RegFile.h"

#include "TextCodec.h"
#include "TextScan.h"

#include <QtEndian>

#include <map>

namespace {

constexpr QStringView Header5 = u"Windows Registry Editor Version 5.00";
constexpr QStringView Header4 = u"REGEDIT4";

struct Root {
    QStringView name;
    QStringView abbreviation;
};
constexpr Root Roots[] = {
    {u"HKEY_CLASSES_ROOT", u"HKCR"}, {u"HKEY_CURRENT_USER", u"HKCU"},   {u"HKEY_LOCAL_MACHINE", u"HKLM"},
    {u"HKEY_USERS", u"HKU"},         {u"HKEY_CURRENT_CONFIG", u"HKCC"},
};

// One to eight hex digits, as in "dword:" and "hex(N)".
std::optional<quint32> parseHexNumber(QStringView s)
{
    if (s.isEmpty() || s.size() > 8)
        return std::nullopt;
    quint32 n = 0;
    for (QChar c : s) {
        const int d = hexDigit(c);
        if (d < 0)
            return std::nullopt;
        n = n << 4 | quint32(d);
    }
    return n;
}

// A quoted string at the start of `s`, with \\ and \" unescaped; any other backslash is
// kept as it is. `rest` gets what follows the closing quote.
std::optional<QString> parseQuoted(QStringView s, QStringView* rest)
{
    if (!s.startsWith(u'"'))
        return std::nullopt;
    QString out;
    for (qsizetype i = 1; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c == u'"') {
            *rest = s.sliced(i + 1);
            return out;
        }
        if (c == u'\\' && i + 1 < s.size() && (s[i + 1] == u'\\' || s[i + 1] == u'"'))
            ++i;
        out += s[i];
    }
    return std::nullopt;
}

QByteArray toUtf16Le(QStringView s)
{
    QByteArray out(s.size() * 2, Qt::Uninitialized);
    if (!s.isEmpty()) // an empty view may have no data pointer, which memcpy must not get
        qToLittleEndian<char16_t>(s.utf16(), s.size(), out.data());
    return out;
}

QString fromUtf16Le(const QByteArray& bytes)
{
    QString out(bytes.size() / 2, Qt::Uninitialized);
    if (!out.isEmpty())
        qFromLittleEndian<char16_t>(bytes.constData(), out.size(), out.data());
    return out;
}

// The comma-separated bytes of hex:..., fed a line at a time. Split lines join as if they
// were one, which is how the continuation backslash reads.
class HexList {
public:
    void feed(QStringView s)
    {
        for (QChar c : s) {
            if (!m_ok)
                return;
            if (const int d = hexDigit(c); d >= 0) {
                m_ok = m_digits < 2 && !(m_digits > 0 && m_gap);
                m_byte = m_byte << 4 | d;
                ++m_digits;
            } else if (c == u',') {
                m_ok = m_digits > 0;
                flush();
            } else if (c == u' ' || c == u'\t') {
                m_gap = m_digits > 0;
            } else {
                m_ok = false;
            }
        }
    }
    std::optional<QByteArray> finish()
    {
        flush();
        return m_ok ? std::optional(m_bytes) : std::nullopt;
    }

private:
    void flush()
    {
        if (m_digits > 0)
            m_bytes += char(m_byte);
        m_digits = 0;
        m_byte = 0;
        m_gap = false;
    }

    QByteArray m_bytes;
    int m_digits = 0;
    int m_byte = 0;
    bool m_gap = false;
    bool m_ok = true;
};

// Only digits, commas and blanks, so a key or value line after a cut-off list stays itself.
bool isHexContinuation(QStringView s)
{
    if (s.endsWith(u'\\'))
        s.chop(1);
    if (s.isEmpty())
        return false;
    for (QChar c : s)
        if (hexDigit(c) < 0 && c != u',' && c != u' ' && c != u'\t')
            return false;
    return true;
}

class Lines {
public:
    explicit Lines(QStringView text)
        : m_text(text)
    {
    }
    bool atEnd() const { return m_pos > m_text.size(); }
    QStringView peek(qsizetype* next = nullptr) const
    {
        qsizetype end = m_text.indexOf(u'\n', m_pos);
        if (end < 0)
            end = m_text.size();
        if (next)
            *next = end + 1;
        return trimBlanks(m_text.sliced(m_pos, end - m_pos));
    }
    QStringView take()
    {
        qsizetype next;
        const QStringView line = peek(&next);
        m_pos = next;
        return line;
    }

private:
    QStringView m_text;
    qsizetype m_pos = 0;
};

TextEncoding encodingOf(QByteArrayView bytes, qsizetype* bom)
{
    *bom = 0;
    if (bytes.startsWith("\xFF\xFE")) {
        *bom = 2;
        return TextEncoding::Utf16LE;
    }
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        *bom = 3;
        return TextEncoding::Utf8Bom;
    }
    // REGEDIT4 is always the ANSI code page; a newer header without a mark may have been
    // saved by an editor in either.
    qsizetype eol = bytes.indexOf('\n');
    QByteArrayView first = bytes.first(eol < 0 ? bytes.size() : eol).trimmed();
    if (first == "REGEDIT4" || !TextCodec::isValidUtf8(bytes))
        return TextEncoding::Cp932;
    return TextEncoding::Utf8;
}

// The value data after "name=", or nullopt when it cannot be read. Takes the continuation
// lines of a hex list from `lines`.
std::optional<RegValue> parseData(QStringView data, Lines& lines, bool ansi)
{
    if (data.startsWith(u'"')) {
        QStringView rest;
        const std::optional<QString> text = parseQuoted(data, &rest);
        if (!text || !trimBlanks(rest).isEmpty())
            return std::nullopt;
        return RegValue{RegType::String, toUtf16Le(*text) + QByteArray(2, '\0')};
    }
    if (data.startsWith(u"dword:", Qt::CaseInsensitive)) {
        const std::optional<quint32> n = parseHexNumber(trimBlanks(data.sliced(6)));
        if (!n)
            return std::nullopt;
        QByteArray bytes(4, Qt::Uninitialized);
        qToLittleEndian(*n, bytes.data());
        return RegValue{RegType::Dword, bytes};
    }
    if (!data.startsWith(u"hex", Qt::CaseInsensitive))
        return std::nullopt;
    data = data.sliced(3);
    std::optional<quint32> type = RegType::Binary;
    if (data.startsWith(u'(')) {
        const qsizetype close = data.indexOf(u')');
        type = close < 0 ? std::nullopt : parseHexNumber(data.sliced(1, close - 1));
        data = data.sliced(close + 1);
    }
    if (!data.startsWith(u':'))
        type = std::nullopt; // still take the continuation lines, so they are not read as values
    data = data.sliced(qMin<qsizetype>(1, data.size()));

    HexList list;
    bool cut = false;
    while (data.endsWith(u'\\')) {
        list.feed(data.chopped(1));
        if (lines.atEnd() || !isHexContinuation(lines.peek())) {
            cut = true;
            break;
        }
        data = lines.take();
    }
    if (!cut)
        list.feed(data);
    std::optional<QByteArray> bytes = list.finish();
    if (!type || !bytes || cut)
        return std::nullopt;
    // Windows converts the ANSI text of these types when it imports an old file.
    if (ansi && (*type == RegType::ExpandString || *type == RegType::MultiString))
        bytes = toUtf16Le(TextCodec::decode(*bytes, TextEncoding::Cp932));
    return RegValue{*type, *bytes};
}

QString foldedKey(QStringView key)
{
    return RegFile::canonicalKey(key).toCaseFolded();
}

void encodeAnsiRun(QStringView text, QByteArray& out)
{
    if (text.isEmpty())
        return;
    if (const std::optional<QByteArray> bytes = TextCodec::encode(text, TextEncoding::Cp932)) {
        out += *bytes;
        return;
    }
    // Halving finds the characters that have no code in a few passes, where one encoder per
    // character would be slow on a long value.
    if (text.size() == 1) {
        out += '?';
        return;
    }
    encodeAnsiRun(text.first(text.size() / 2), out);
    encodeAnsiRun(text.sliced(text.size() / 2), out);
}

// Code page 932 has nothing outside the BMP, and Windows converts unit by unit, so each
// half of a surrogate pair becomes a "?". Kept away from the encoder, which silently holds
// back a high surrogate at the end of a piece.
void encodeAnsi(QStringView text, QByteArray& out)
{
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isSurrogate()) {
            encodeAnsiRun(text.sliced(start, i - start), out);
            out += '?';
            start = i + 1;
        }
    }
    encodeAnsiRun(text.sliced(start), out);
}

} // namespace

std::optional<RegFile> RegFile::parse(QByteArrayView bytes)
{
    qsizetype bom;
    const TextEncoding encoding = encodingOf(bytes, &bom);
    const QString text = TextCodec::decode(bytes.sliced(bom), encoding);
    Lines lines(text);
    const QStringView header = lines.take();
    const bool ansi = header == Header4;
    if (!ansi && header != Header5)
        return std::nullopt;

    // Sorted while reading, so that deleting a key finds its subkeys in one run.
    std::map<QString, QHash<QString, RegValue>> keys;
    QHash<QString, RegValue>* current = nullptr;
    while (!lines.atEnd()) {
        const QStringView line = lines.take();
        if (line.startsWith(u'[')) {
            current = nullptr;
            const qsizetype close = line.lastIndexOf(u']');
            if (close < 0)
                continue;
            const QStringView path = line.sliced(1, close - 1);
            const bool remove = path.startsWith(u'-');
            const QString key = foldedKey(remove ? path.sliced(1) : path);
            if (key.isEmpty())
                continue;
            if (!remove) {
                current = &keys[key];
                continue;
            }
            if (!key.contains(u'\\'))
                continue; // a root cannot be deleted
            keys.erase(key);
            const QString prefix = key + u'\\';
            auto it = keys.lower_bound(prefix);
            while (it != keys.end() && it->first.startsWith(prefix))
                it = keys.erase(it);
            continue;
        }
        QString name;
        QStringView rest;
        if (line.startsWith(u'@')) {
            rest = line.sliced(1);
        } else if (std::optional<QString> quoted = parseQuoted(line, &rest)) {
            name = quoted->toCaseFolded();
        } else {
            continue; // a comment, a blank line or garbage
        }
        rest = trimBlanks(rest);
        if (!rest.startsWith(u'='))
            continue;
        rest = trimBlanks(rest.sliced(1));
        if (rest == u"-") {
            if (current)
                current->remove(name);
            continue;
        }
        std::optional<RegValue> value = parseData(rest, lines, ansi);
        if (value && current)
            current->emplace(std::move(name), std::move(*value));
    }

    RegFile file;
    file.m_keys.reserve(qsizetype(keys.size()));
    for (auto& [key, values] : keys)
        file.m_keys.insert(key, std::move(values));
    return file;
}

std::optional<RegValue> RegFile::value(QStringView key, QStringView name) const
{
    const auto k = m_keys.constFind(foldedKey(key));
    if (k == m_keys.cend())
        return std::nullopt;
    const auto v = k->constFind(name.toString().toCaseFolded());
    if (v == k->cend())
        return std::nullopt;
    return *v;
}

bool RegFile::hasKey(QStringView key) const
{
    return m_keys.contains(foldedKey(key));
}

QByteArray RegFile::ansiData(const RegValue& value)
{
    if (value.type != RegType::String && value.type != RegType::ExpandString &&
        value.type != RegType::MultiString)
        return value.data;
    QByteArray out;
    encodeAnsi(fromUtf16Le(value.data), out);
    return out;
}

QString RegFile::canonicalKey(QStringView key)
{
    QString out;
    out.reserve(key.size() + 16);
    for (QStringView part : key.tokenize(u'\\', Qt::SkipEmptyParts)) {
        if (!out.isEmpty()) {
            out += u'\\';
            out += part;
            continue;
        }
        for (const Root& root : Roots) {
            if (part.compare(root.name, Qt::CaseInsensitive) == 0 ||
                part.compare(root.abbreviation, Qt::CaseInsensitive) == 0) {
                out += root.name;
                break;
            }
        }
        if (out.isEmpty())
            return {};
    }
    return out;
}
