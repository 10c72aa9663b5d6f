#include "ScriptText.h"

#include <QHash>
#include <QStringEncoder>

#include <unordered_map>

namespace {

constexpr char16_t Replacement = QChar::ReplacementCharacter;

struct Span {
    qsizetype start;
    qsizetype length;
    qsizetype endLength;
};

// Lines of the body as byte spans, split at CR LF, LF and lone CR; the last span has no
// end. UTF-16 is split at code units, the others at bytes (no multi-byte sequence of code
// page 932 or UTF-8 contains a CR or LF byte).
std::vector<Span> byteLines(QByteArrayView body, qsizetype offset, TextEncoding encoding)
{
    std::vector<Span> out;
    const auto* p = reinterpret_cast<const uchar*>(body.data());
    const qsizetype n = body.size();
    qsizetype start = 0;
    if (encoding == TextEncoding::Utf16LE || encoding == TextEncoding::Utf16BE) {
        const bool le = encoding == TextEncoding::Utf16LE;
        auto unit = [&](qsizetype i) { return le ? p[i] | p[i + 1] << 8 : p[i] << 8 | p[i + 1]; };
        qsizetype i = 0;
        while (i + 1 < n) {
            const int u = unit(i);
            if (u == '\n' || u == '\r') {
                const qsizetype endLength = (u == '\r' && i + 3 < n && unit(i + 2) == '\n') ? 4 : 2;
                out.push_back({offset + start, i - start, endLength});
                i += endLength;
                start = i;
            } else {
                i += 2;
            }
        }
    } else {
        for (qsizetype i = 0; i < n;) {
            const uchar c = p[i];
            if (c == '\n' || c == '\r') {
                const qsizetype endLength = (c == '\r' && i + 1 < n && p[i + 1] == '\n') ? 2 : 1;
                out.push_back({offset + start, i - start, endLength});
                i += endLength;
                start = i;
            } else {
                ++i;
            }
        }
    }
    out.push_back({offset + start, n - start, 0});
    return out;
}

// The decoded text split the same way; empty when a decoder took a line end into a
// character, so that the caller decodes line by line instead.
std::vector<QStringView> textLines(QStringView text, size_t expected)
{
    std::vector<QStringView> out;
    out.reserve(expected);
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size();) {
        const QChar c = text[i];
        if (c == u'\n' || c == u'\r') {
            out.push_back(text.sliced(start, i - start));
            i += (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ? 2 : 1;
            start = i;
        } else {
            ++i;
        }
    }
    out.push_back(text.sliced(start));
    if (out.size() != expected)
        out.clear();
    return out;
}

size_t hashOf(QStringView s)
{
    return qHash(s, 0);
}

std::optional<QStringEncoder> encoderFor(TextEncoding encoding)
{
    std::optional<QStringEncoder> e;
    switch (encoding) {
    case TextEncoding::Cp932:
        e.emplace("CP932");
        break;
    case TextEncoding::Utf8:
    case TextEncoding::Utf8Bom:
        e.emplace(QStringEncoder::Utf8);
        break;
    case TextEncoding::Utf16LE:
        e.emplace(QStringEncoder::Utf16LE);
        break;
    case TextEncoding::Utf16BE:
        e.emplace(QStringEncoder::Utf16BE);
        break;
    }
    return e;
}

// The line ends of `text`: the first one, and whether any other differs from it.
bool mixedLineEnds(QStringView text, QString* first)
{
    const QChar* p = text.data();
    const QChar* const end = p + text.size();
    QStringView seen;
    for (; p < end; ++p) {
        if (*p != u'\n' && *p != u'\r')
            continue;
        const qsizetype length = (*p == u'\r' && p + 1 < end && p[1] == u'\n') ? 2 : 1;
        const QStringView e(p, length);
        if (seen.isNull())
            seen = e;
        else if (e != seen)
            return true;
        p += length - 1;
    }
    if (!seen.isNull())
        *first = seen.toString();
    return false;
}

// `text` with every line end made `end`.
QString withLineEnds(QStringView text, QStringView end)
{
    QString out;
    out.reserve(text.size() + text.size() / 32);
    qsizetype from = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\n' && c != u'\r')
            continue;
        out += text.sliced(from, i - from);
        out += end;
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        from = i + 1;
    }
    out += text.sliced(from);
    return out;
}

// Lines of an edited text, split at any line end.
std::vector<QStringView> editedLines(QStringView text)
{
    std::vector<QStringView> out;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\n' && c != u'\r')
            continue;
        out.push_back(text.sliced(start, i - start));
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    out.push_back(text.sliced(start));
    return out;
}

} // namespace

ScriptText::ScriptText(QByteArray bytes)
{
    m_encoding = TextCodec::detect(bytes);
    const qsizetype bom = TextCodec::bomLength(m_encoding);
    m_bom = bytes.first(bom);
    const QByteArrayView body = QByteArrayView(bytes).sliced(bom);
    m_text = TextCodec::decode(body, m_encoding);

    m_mixedEnds = mixedLineEnds(m_text, &m_lineEnd);
    m_undecodable = m_text.contains(QChar(Replacement)) &&
                    !(m_encoding != TextEncoding::Cp932 &&
                      TextCodec::encode(m_text, m_encoding) == m_bom + QByteArray(body.data(), body.size()));
    m_aliased = m_encoding == TextEncoding::Cp932 && TextCodec::hasAliasedCodes(body);
    if (!m_undecodable && !m_aliased && !m_mixedEnds)
        return; // every line comes back as it was from its text
    m_bytes = std::move(bytes);
    keepLines(m_text);
}

void ScriptText::keepLines(const QString& text)
{
    const qsizetype bom = m_bom.size();
    const QByteArrayView body = QByteArrayView(m_bytes).sliced(bom);
    const std::vector<Span> spans = byteLines(body, bom, m_encoding);
    std::vector<QStringView> decoded = textLines(text, spans.size());
    std::vector<QString> separately;
    if (decoded.empty()) {
        // A decoder took a line end into a character: each line read on its own instead.
        separately.reserve(spans.size());
        m_text.clear();
        for (const Span& sp : spans) {
            separately.push_back(
                TextCodec::decode(QByteArrayView(m_bytes).sliced(sp.start, sp.length), m_encoding));
            m_text += separately.back() +
                      TextCodec::decode(QByteArrayView(m_bytes).sliced(sp.start + sp.length, sp.endLength),
                                        m_encoding);
        }
        decoded.assign(separately.begin(), separately.end());
    }
    m_lines.reserve(spans.size());
    for (size_t i = 0; i < spans.size(); ++i) {
        const Span& sp = spans[i];
        m_lines.push_back({quint32(sp.start), quint32(sp.length), quint32(decoded[i].size()),
                           quint8(sp.endLength), hashOf(decoded[i])});
        if (sp.endLength > 0 && m_defaultEnd.isEmpty())
            m_defaultEnd = QByteArrayView(m_bytes).sliced(sp.start + sp.length, sp.endLength).toByteArray();
    }
    if (m_defaultEnd.isEmpty()) {
        const std::optional<QByteArray> crlf = TextCodec::encode(QStringLiteral("\r\n"), m_encoding);
        m_defaultEnd = crlf ? crlf->sliced(TextCodec::bomLength(m_encoding)) : QByteArray("\r\n");
    }
}

std::optional<QByteArray> ScriptText::encodeUniform(QStringView edited) const
{
    QString normal;
    QString ignored;
    QString first = m_lineEnd;
    if (mixedLineEnds(edited, &first) || first != m_lineEnd)
        normal = withLineEnds(edited, m_lineEnd);
    else
        normal = edited.toString();
    if (m_encoding == TextEncoding::Cp932)
        normal.replace(QChar(Replacement), QChar(UndecodableStandIn));
    std::optional<QStringEncoder> encoder = encoderFor(m_encoding);
    if (!encoder || !encoder->isValid())
        return std::nullopt;
    QByteArray out = m_bom;
    out += encoder->encode(normal);
    if (encoder->hasError())
        return std::nullopt;
    return out;
}

std::optional<QByteArray> ScriptText::toBytes(QStringView edited) const
{
    if (m_lines.empty())
        return encodeUniform(edited);
    const std::vector<QStringView> lines = editedLines(edited);
    const qsizetype n = qsizetype(lines.size());
    const qsizetype m = qsizetype(m_lines.size());
    std::vector<qsizetype> match(size_t(n), -1); // the old line whose bytes a new line keeps
    std::vector<qsizetype> endOf(size_t(n), -1); // the old line whose line end it takes
    auto same = [&](qsizetype k, qsizetype i) {
        const Line& l = m_lines[size_t(i)];
        return lines[size_t(k)].size() == l.chars && hashOf(lines[size_t(k)]) == l.hash;
    };

    qsizetype head = 0;
    while (head < n && head < m && same(head, head)) {
        match[size_t(head)] = head;
        ++head;
    }
    qsizetype tail = 0;
    while (tail < n - head && tail < m - head && same(n - 1 - tail, m - 1 - tail)) {
        match[size_t(n - 1 - tail)] = m - 1 - tail;
        ++tail;
    }
    const qsizetype newMiddle = n - head - tail;
    const qsizetype oldMiddle = m - head - tail;
    if (newMiddle > 0 && oldMiddle > 0) {
        // Equal lines are found wherever they went, the first unused one first.
        std::unordered_map<size_t, std::vector<qsizetype>> byHash;
        for (qsizetype i = m - tail - 1; i >= head; --i)
            byHash[m_lines[size_t(i)].hash].push_back(i);
        for (qsizetype k = head; k < n - tail; ++k) {
            const auto it = byHash.find(hashOf(lines[size_t(k)]));
            if (it == byHash.end())
                continue;
            std::vector<qsizetype>& candidates = it->second;
            for (auto c = candidates.end(); c != candidates.begin();) {
                --c;
                if (same(k, *c)) {
                    match[size_t(k)] = *c;
                    candidates.erase(c);
                    break;
                }
            }
        }
        // Lines changed in place take the line end of the line they replace.
        if (newMiddle == oldMiddle)
            for (qsizetype k = head; k < n - tail; ++k)
                if (match[size_t(k)] < 0)
                    endOf[size_t(k)] = k;
    }

    std::optional<QStringEncoder> encoder = encoderFor(m_encoding);
    if (!encoder || !encoder->isValid())
        return std::nullopt;
    const bool hasStandIn = m_encoding == TextEncoding::Cp932;
    QByteArray out;
    out.reserve(m_bytes.size() + edited.size() / 8);
    out += m_bom;
    QString changed;
    for (qsizetype k = 0; k < n; ++k) {
        const qsizetype i = match[size_t(k)];
        if (i >= 0) {
            out += content(m_lines[size_t(i)]);
        } else {
            changed = lines[size_t(k)].toString();
            if (hasStandIn)
                changed.replace(QChar(Replacement), QChar(UndecodableStandIn));
            out += encoder->encode(changed);
            if (encoder->hasError())
                return std::nullopt;
        }
        if (k == n - 1)
            break;
        const qsizetype e = i >= 0 ? i : endOf[size_t(k)];
        if (e >= 0 && m_lines[size_t(e)].endLength > 0)
            out += end(m_lines[size_t(e)]);
        else
            out += m_defaultEnd;
    }
    return out;
}
