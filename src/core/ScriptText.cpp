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

} // namespace

ScriptText::ScriptText(QByteArray bytes)
    : m_bytes(std::move(bytes))
{
    m_encoding = TextCodec::detect(m_bytes);
    const qsizetype bom = TextCodec::bomLength(m_encoding);
    const QByteArrayView body = QByteArrayView(m_bytes).sliced(bom);
    const std::vector<Span> spans = byteLines(body, bom, m_encoding);

    const QString whole = TextCodec::decode(body, m_encoding);
    std::vector<QStringView> decoded = textLines(whole, spans.size());
    std::vector<QString> separately;
    if (decoded.empty()) {
        separately.reserve(spans.size());
        for (const Span& s : spans)
            separately.push_back(
                TextCodec::decode(QByteArrayView(m_bytes).sliced(s.start, s.length), m_encoding));
        decoded.assign(separately.begin(), separately.end());
    }

    m_text.reserve(whole.size());
    m_lines.reserve(spans.size());
    QByteArrayView firstEnd;
    for (size_t i = 0; i < spans.size(); ++i) {
        const Span& s = spans[i];
        const QStringView t = decoded[i];
        m_lines.push_back({s.start, s.length, s.endLength, t.size(), hashOf(t)});
        m_text += t;
        if (s.endLength == 0)
            continue;
        m_text += u'\n';
        const QByteArrayView e = QByteArrayView(m_bytes).sliced(s.start + s.length, s.endLength);
        if (firstEnd.isNull())
            firstEnd = e;
        else if (e != firstEnd)
            m_mixedEnds = true;
    }
    m_undecodable = whole.contains(QChar(Replacement)) &&
                    !(m_encoding != TextEncoding::Cp932 &&
                      TextCodec::encode(whole, m_encoding) == QByteArray(body.data(), body.size()));
    m_aliased = m_encoding == TextEncoding::Cp932 && TextCodec::hasAliasedCodes(body);

    if (!firstEnd.isNull()) {
        m_defaultEnd = firstEnd.toByteArray();
    } else {
        const std::optional<QByteArray> crlf = TextCodec::encode(QStringLiteral("\r\n"), m_encoding);
        m_defaultEnd = crlf ? crlf->sliced(TextCodec::bomLength(m_encoding)) : QByteArray("\r\n");
    }
}

std::optional<QByteArray> ScriptText::toBytes(QStringView edited) const
{
    std::vector<QStringView> lines;
    for (qsizetype start = 0;;) {
        const qsizetype lf = edited.indexOf(u'\n', start);
        if (lf < 0) {
            lines.push_back(edited.sliced(start));
            break;
        }
        lines.push_back(edited.sliced(start, lf - start));
        start = lf + 1;
    }
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
    out += QByteArrayView(m_bytes).first(TextCodec::bomLength(m_encoding));
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
