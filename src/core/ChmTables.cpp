#include "ChmTables.h"

#include "TextCodec.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <QtEndian>

namespace ChmTables {

namespace {

// A NUL-ended string of the file's own texts: UTF-8 where valid, else code page 932.
QString fileText(QByteArrayView bytes)
{
    const qsizetype nul = bytes.indexOf('\0');
    if (nul >= 0)
        bytes = bytes.first(nul);
    return TextCodec::decode(bytes, TextCodec::isValidUtf8(bytes) ? TextEncoding::Utf8 : TextEncoding::Cp932);
}

QString unescape(QString s)
{
    static const QRegularExpression entity(
        QStringLiteral("&(#x[0-9a-fA-F]{1,6}|#[0-9]{1,7}|amp|lt|gt|quot|apos);"));
    QString out;
    qsizetype from = 0;
    for (QRegularExpressionMatchIterator it = entity.globalMatch(s); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        out += QStringView(s).sliced(from, m.capturedStart() - from);
        const QString name = m.captured(1);
        if (name.startsWith(u'#')) {
            bool ok = false;
            const uint code = name.startsWith(QLatin1String("#x")) ? name.mid(2).toUInt(&ok, 16)
                                                                   : name.mid(1).toUInt(&ok, 10);
            if (ok && code > 0 && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF))
                out += QString::fromUcs4(reinterpret_cast<const char32_t*>(&code), 1);
            else
                out += QChar::ReplacementCharacter;
        } else {
            out += name == QLatin1String("amp")    ? u'&'
                   : name == QLatin1String("lt")   ? u'<'
                   : name == QLatin1String("gt")   ? u'>'
                   : name == QLatin1String("quot") ? u'"'
                                                   : u'\'';
        }
        from = m.capturedEnd();
    }
    out += QStringView(s).sliced(from);
    return out;
}

} // namespace

System system(QByteArrayView data)
{
    System s;
    qsizetype at = 4; // the version
    while (at + 4 <= data.size()) {
        const quint16 code = qFromLittleEndian<quint16>(data.data() + at);
        const quint16 length = qFromLittleEndian<quint16>(data.data() + at + 2);
        at += 4;
        if (length > data.size() - at)
            break;
        const QByteArrayView value = data.sliced(at, length);
        at += length;
        switch (code) {
        case 0:
            s.contentsFile = fileText(value);
            break;
        case 2:
            s.defaultTopic = fileText(value);
            break;
        case 3:
            s.title = fileText(value);
            break;
        default:
            break;
        }
    }
    while (s.defaultTopic.startsWith(u'/'))
        s.defaultTopic.remove(0, 1);
    while (s.contentsFile.startsWith(u'/'))
        s.contentsFile.remove(0, 1);
    return s;
}

QHash<quint32, QString> topics(QByteArrayView ivb, QByteArrayView strings)
{
    QHash<quint32, QString> pages;
    for (qsizetype at = 4; at + 8 <= ivb.size(); at += 8) {
        const quint32 id = qFromLittleEndian<quint32>(ivb.data() + at);
        const quint32 offset = qFromLittleEndian<quint32>(ivb.data() + at + 4);
        if (offset < quint64(strings.size()))
            pages.insert(id, fileText(strings.sliced(offset)));
    }
    return pages;
}

QList<Entry> contents(const QString& sitemap)
{
    // The tags that matter, in order: lists open and close, entries begin and end, and the
    // entries' parameters.
    static const QRegularExpression tag(QStringLiteral("<\\s*(/?)\\s*(ul|object|param)\\b([^>]*)>"),
                                        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression attribute(
        QStringLiteral("\\b(name|value)\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)'|([^\\s>]+))"),
        QRegularExpression::CaseInsensitiveOption);
    QList<Entry> entries;
    int depth = -1;
    bool inEntry = false;
    Entry entry;
    for (QRegularExpressionMatchIterator it = tag.globalMatch(sitemap); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const bool closing = !m.capturedView(1).isEmpty();
        const QString kind = m.captured(2).toLower();
        if (kind == QLatin1String("ul")) {
            depth += closing ? -1 : 1;
            depth = qMax(depth, -1);
        } else if (kind == QLatin1String("object")) {
            if (!closing) {
                inEntry = true;
                entry = {{}, {}, qMax(depth, 0)};
            } else if (inEntry) {
                inEntry = false;
                if (!entry.name.isEmpty())
                    entries.append(entry);
            }
        } else if (inEntry && !closing) {
            QString name, value;
            for (QRegularExpressionMatchIterator a = attribute.globalMatch(m.captured(3)); a.hasNext();) {
                const QRegularExpressionMatch am = a.next();
                const QString v = am.captured(2) + am.captured(3) + am.captured(4);
                (am.captured(1).compare(QLatin1String("name"), Qt::CaseInsensitive) == 0 ? name : value) = v;
            }
            if (name.compare(QLatin1String("Name"), Qt::CaseInsensitive) == 0)
                entry.name = unescape(value).simplified();
            else if (name.compare(QLatin1String("Local"), Qt::CaseInsensitive) == 0)
                entry.local = unescape(value).trimmed();
        }
    }
    return entries;
}

QString decodeHtml(QByteArrayView bytes)
{
    QStringDecoder byMeta = QStringDecoder::decoderForHtml(bytes);
    // ICU's name for the meta's "Shift_JIS" is not code page 932 itself: its extensions
    // (circled numbers, NEC and IBM rows) would be lost.
    if (byMeta.isValid() && byMeta.name() != nullptr) {
        const QByteArray name = QByteArray(byMeta.name()).toLower();
        if (name.contains("shift") || name.contains("sjis") || name.contains("932") || name.contains("31j"))
            return TextCodec::decode(bytes, TextEncoding::Cp932);
        if (name != "utf-8" || TextCodec::isValidUtf8(bytes))
            return byMeta.decode(bytes);
    }
    return TextCodec::decode(bytes, TextCodec::isValidUtf8(bytes) ? TextEncoding::Utf8 : TextEncoding::Cp932);
}

} // namespace ChmTables
