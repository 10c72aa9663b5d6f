#include "NativeName.h"

#include "TextCodec.h"

#include <QStringDecoder>

namespace NativeName {

namespace {

constexpr char16_t EscapeBase = 0xDC00;

// A stray byte kept as a lone low surrogate; the second half of a pair is a character's.
bool isEscape(QStringView s, qsizetype i)
{
    const char16_t c = s[i].unicode();
    return c >= 0xDC80 && c <= 0xDCFF && !(i > 0 && s[i - 1].isHighSurrogate());
}

// Length of the valid UTF-8 sequence at p, or 0.
int sequenceLength(const uchar* p, const uchar* end)
{
    const uchar c = *p;
    if (c < 0x80)
        return 1;
    int len;
    uchar lo = 0x80, hi = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
        len = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        len = 3;
        if (c == 0xE0)
            lo = 0xA0;
        else if (c == 0xED)
            hi = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        len = 4;
        if (c == 0xF0)
            lo = 0x90;
        else if (c == 0xF4)
            hi = 0x8F;
    } else {
        return 0;
    }
    if (end - p < len || p[1] < lo || p[1] > hi)
        return 0;
    for (int i = 2; i < len; ++i)
        if ((p[i] & 0xC0) != 0x80)
            return 0;
    return len;
}

// Code page 932 read a name whole and into characters a name would hold: the converter
// gives control characters and private-use ones for bytes it cannot map.
bool readable(QStringView s)
{
    for (QChar c : s) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == 0x7F || (u >= 0xE000 && u <= 0xF8FF) || u == QChar::ReplacementCharacter)
            return false;
    }
    return true;
}

// UTF-8 to text, a leading byte-order mark kept as the character it is: in a name it is part
// of the name.
QString utf8(QByteArrayView bytes)
{
    QStringDecoder d(QStringDecoder::Utf8,
                     QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    return d.decode(bytes);
}

} // namespace

QString fromBytes(QByteArrayView bytes)
{
    if (TextCodec::isValidUtf8(bytes))
        return utf8(bytes);
    QString out;
    out.reserve(bytes.size());
    const auto* p = reinterpret_cast<const uchar*>(bytes.data());
    const auto* end = p + bytes.size();
    while (p < end) {
        const int len = sequenceLength(p, end);
        if (len == 0) {
            out += QChar(char16_t(EscapeBase + *p));
            ++p;
            continue;
        }
        out += utf8(QByteArrayView(p, len));
        p += len;
    }
    return out;
}

QByteArray toBytes(QStringView name)
{
    if (isUnicode(name))
        return name.toUtf8();
    QByteArray out;
    out.reserve(name.size() * 3);
    qsizetype run = 0;
    for (qsizetype i = 0; i <= name.size(); ++i) {
        if (i < name.size() && !isEscape(name, i))
            continue;
        out += name.sliced(run, i - run).toUtf8();
        if (i < name.size())
            out += char(name[i].unicode() - EscapeBase);
        run = i + 1;
    }
    return out;
}

bool isUnicode(QStringView name)
{
    for (qsizetype i = 0; i < name.size(); ++i)
        if (isEscape(name, i))
            return false;
    return true;
}

QString display(QStringView name)
{
    if (isUnicode(name))
        return name.toString();
    QString out;
    qsizetype start = 0;
    while (start <= name.size()) {
        qsizetype slash = name.indexOf(u'/', start);
        if (slash < 0)
            slash = name.size();
        const QStringView element = name.sliced(start, slash - start);
        if (isUnicode(element)) {
            out += element;
        } else {
            const QByteArray bytes = toBytes(element);
            QStringDecoder cp932("CP932", QStringDecoder::Flag::Stateless);
            const QString read = cp932.decode(bytes);
            if (!cp932.hasError() && readable(read)) {
                out += read;
            } else {
                for (qsizetype i = 0; i < element.size(); ++i)
                    out += isEscape(element, i) ? QChar(QChar::ReplacementCharacter) : element[i];
                out += UnreadableMark;
            }
        }
        if (slash == name.size())
            break;
        out += u'/';
        start = slash + 1;
    }
    return out;
}

} // namespace NativeName
