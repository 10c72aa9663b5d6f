#pragma once

#include <QChar>
#include <QStringView>

// Small pieces of reading the line-based text files the program parses (settings, registry
// exports).

// A stray CR counts as blank: what a line means must not depend on how it ends.
inline bool isLineBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\r';
}

inline QStringView trimBlanks(QStringView s)
{
    qsizetype b = 0, e = s.size();
    while (b < e && isLineBlank(s[b]))
        ++b;
    while (e > b && isLineBlank(s[e - 1]))
        --e;
    return s.sliced(b, e - b);
}

// The value of one hexadecimal digit, either case; -1 for anything else.
inline int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}
