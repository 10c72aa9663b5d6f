#include "IniDocument.h"

#include "TextScan.h"

#include <QStringDecoder>

namespace {

// One table for both directions: the character and the letter that stands for it after '\\'.
struct Escape {
    char16_t character;
    char16_t letter;
};
constexpr Escape Escapes[] = {{u'\\', u'\\'}, {u'"', u'"'}, {u'\r', u'r'}, {u'\n', u'n'}, {u'\t', u't'}};

const Escape* escapeFor(char16_t c, char16_t Escape::*by)
{
    for (const Escape& e : Escapes)
        if (e.*by == c)
            return &e;
    return nullptr;
}

bool needsQuotes(const QString& v)
{
    if (v.isEmpty())
        return false;
    if (isLineBlank(v.front()) || isLineBlank(v.back()) || v.front() == u'"')
        return true;
    for (qsizetype i = 0; i < v.size(); ++i) {
        const char16_t c = v[i].unicode();
        if (c < 0x20 || c == 0x7f)
            return true;
        if (QChar::isHighSurrogate(c)) {
            if (i + 1 < v.size() && QChar::isLowSurrogate(v[i + 1].unicode()))
                ++i;
            else
                return true;
        } else if (QChar::isLowSurrogate(c)) {
            return true;
        }
    }
    return false;
}

} // namespace

std::optional<IniDocument> IniDocument::parse(const QByteArray& bytes)
{
    if (bytes.contains('\0'))
        return std::nullopt;
    IniDocument doc;
    QByteArrayView body(bytes);
    if (body.startsWith("\xEF\xBB\xBF")) {
        doc.m_bom = true;
        body = body.sliced(3);
    }
    // The mark was taken off above; a second one is text and must survive a rewrite.
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const QString text = utf8(body);
    if (utf8.hasError())
        return std::nullopt;
    if (text.isEmpty())
        return doc;

    const qsizetype firstLf = text.indexOf(u'\n');
    if (firstLf > 0 && text[firstLf - 1] == u'\r')
        doc.m_eol = QStringLiteral("\r\n");
    doc.m_finalEol = text.endsWith(u'\n');

    QStringList lines = text.split(u'\n');
    if (doc.m_finalEol)
        lines.removeLast();
    const bool defaultCrLf = doc.m_eol.size() == 2;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString& l = lines[i];
        // Each line keeps its own end, so a rewrite gives back every byte it did not change.
        const bool terminated = i + 1 < lines.size() || doc.m_finalEol;
        const bool crlf = terminated ? l.endsWith(u'\r') : defaultCrLf;
        if (terminated && crlf)
            l.chop(1);
        Line line = classify(l);
        line.crlf = crlf;
        doc.m_lines.append(line);
    }
    return doc;
}

IniDocument::Line IniDocument::classify(const QString& text)
{
    Line line{text, Kind::Other, {}, false};
    const QStringView t = trimBlanks(text);
    if (t.isEmpty() || t.front() == u';' || t.front() == u'#')
        return line;
    if (t.front() == u'[') {
        if (t.back() == u']') {
            line.kind = Kind::Section;
            line.name = trimBlanks(t.sliced(1, t.size() - 2)).toString();
        }
        return line;
    }
    const qsizetype eq = t.indexOf(u'=');
    if (eq > 0) {
        line.kind = Kind::Entry;
        line.name = trimBlanks(t.first(eq)).toString();
    }
    return line;
}

IniDocument::Lookup IniDocument::value(const QString& section, const QString& key, QString* out) const
{
    bool inSection = false;
    for (const Line& l : m_lines) {
        if (l.kind == Kind::Section) {
            inSection = l.name.compare(section, Qt::CaseInsensitive) == 0;
        } else if (inSection && l.kind == Kind::Entry && l.name.compare(key, Qt::CaseInsensitive) == 0) {
            const QStringView raw = trimBlanks(QStringView(l.text).sliced(l.text.indexOf(u'=') + 1));
            const std::optional<QString> v = decodeValue(raw);
            if (!v)
                return Lookup::Malformed;
            if (out)
                *out = *v;
            return Lookup::Found;
        }
    }
    return Lookup::Missing;
}

bool IniDocument::isWritableName(const QString& name)
{
    if (name.isEmpty() || isLineBlank(name.front()) || isLineBlank(name.back()))
        return false;
    if (name.front() == u';' || name.front() == u'#')
        return false;
    for (QChar c : name) {
        if (c.unicode() < 0x20 || c == u'=' || c == u'[' || c == u']' || c.isSurrogate())
            return false;
    }
    return true;
}

bool IniDocument::setValue(const QString& section, const QString& key, const QString& value)
{
    if (!isWritableName(section) || !isWritableName(key))
        return false;
    const QString text = key + u'=' + encodeValue(value);

    qsizetype sectionEnd = -1; // index after the last non-blank line of the first matching section
    bool inSection = false;
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const Line& l = m_lines[i];
        if (l.kind == Kind::Section) {
            if (inSection)
                break;
            inSection = l.name.compare(section, Qt::CaseInsensitive) == 0;
            if (inSection)
                sectionEnd = i + 1;
            continue;
        }
        if (!inSection)
            continue;
        if (l.kind == Kind::Entry && l.name.compare(key, Qt::CaseInsensitive) == 0) {
            const bool crlf = m_lines[i].crlf;
            m_lines[i] = classify(text);
            m_lines[i].crlf = crlf;
            return true;
        }
        if (!trimBlanks(l.text).isEmpty())
            sectionEnd = i + 1;
    }

    const bool crlf = m_eol.size() == 2;
    auto newLine = [crlf](const QString& t) {
        Line l = classify(t);
        l.crlf = crlf;
        return l;
    };
    if (sectionEnd < 0) {
        if (!m_lines.isEmpty() && !trimBlanks(m_lines.back().text).isEmpty())
            m_lines.append(newLine(QString()));
        m_lines.append(newLine(u'[' + section + u']'));
        sectionEnd = m_lines.size();
    }
    m_lines.insert(sectionEnd, newLine(text));
    return true;
}

QByteArray IniDocument::serialize() const
{
    QString out;
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        out += m_lines[i].text;
        if (i + 1 < m_lines.size() || m_finalEol)
            out += m_lines[i].crlf ? QStringLiteral("\r\n") : QStringLiteral("\n");
    }
    QByteArray bytes = out.toUtf8();
    if (m_bom)
        bytes.prepend("\xEF\xBB\xBF");
    return bytes;
}

QString IniDocument::encodeValue(const QString& value)
{
    if (!needsQuotes(value))
        return value;
    QString out = QStringLiteral("\"");
    for (qsizetype i = 0; i < value.size(); ++i) {
        const char16_t c = value[i].unicode();
        if (const Escape* e = escapeFor(c, &Escape::character)) {
            out += u'\\';
            out += QChar(e->letter);
            continue;
        }
        const bool pairedHigh = QChar::isHighSurrogate(c) && i + 1 < value.size() &&
                                QChar::isLowSurrogate(value[i + 1].unicode());
        if (pairedHigh) {
            out += value[i];
            out += value[++i];
        } else if (c < 0x20 || c == 0x7f || QChar::isSurrogate(c)) {
            out += QStringLiteral("\\u%1").arg(unsigned(c), 4, 16, QLatin1Char('0'));
        } else {
            out += value[i];
        }
    }
    out += u'"';
    return out;
}

std::optional<QString> IniDocument::decodeValue(QStringView raw)
{
    if (raw.isEmpty() || raw.front() != u'"')
        return raw.toString();
    if (raw.size() < 2 || raw.back() != u'"')
        return std::nullopt;
    const QStringView body = raw.sliced(1, raw.size() - 2);
    QString out;
    out.reserve(body.size());
    for (qsizetype i = 0; i < body.size(); ++i) {
        const QChar c = body[i];
        if (c == u'"')
            return std::nullopt; // an unescaped quote inside: not ours, do not guess
        if (c != u'\\') {
            out += c;
            continue;
        }
        if (++i >= body.size())
            return std::nullopt;
        if (const Escape* e = escapeFor(body[i].unicode(), &Escape::letter)) {
            out += QChar(e->character);
            continue;
        }
        if (body[i] != u'u' || i + 4 >= body.size())
            return std::nullopt;
        char16_t code = 0;
        for (QChar h : body.sliced(i + 1, 4)) {
            const int d = hexDigit(h);
            if (d < 0)
                return std::nullopt;
            code = char16_t(code * 16 + d);
        }
        out += QChar(code);
        i += 4;
    }
    return out;
}
