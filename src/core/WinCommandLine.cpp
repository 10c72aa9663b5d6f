#include "WinCommandLine.h"

namespace WinCommandLine {

namespace {
// What separates arguments; unlike the blanks of a settings line, a CR is text here.
bool isArgumentBreak(QChar c)
{
    return c == u' ' || c == u'\t';
}
} // namespace

QStringList splitArguments(QStringView s)
{
    QStringList argv;
    qsizetype i = 0;
    while (i < s.size() && isArgumentBreak(s[i]))
        ++i;
    if (i >= s.size())
        return argv;

    QString cur;
    int quotes = 0; // odd: inside quotes
    int backslashes = 0;
    while (i < s.size()) {
        const QChar c = s[i];
        if (isArgumentBreak(c) && quotes == 0) {
            argv.append(cur);
            cur.clear();
            backslashes = 0;
            while (i < s.size() && isArgumentBreak(s[i]))
                ++i;
            if (i >= s.size())
                return argv;
            continue;
        }
        if (c == u'\\') {
            cur += c;
            ++backslashes;
            ++i;
            continue;
        }
        if (c == u'"') {
            if (backslashes % 2 == 0) {
                cur.chop(backslashes / 2);
                ++quotes;
            } else {
                cur.chop(backslashes / 2 + 1);
                cur += u'"';
            }
            ++i;
            backslashes = 0;
            while (i < s.size() && s[i] == u'"') {
                if (++quotes == 3) {
                    cur += u'"';
                    quotes = 0;
                }
                ++i;
            }
            if (quotes == 2)
                quotes = 0;
            continue;
        }
        cur += c;
        backslashes = 0;
        ++i;
    }
    argv.append(cur);
    return argv;
}

QList<Candidate> programCandidates(const QString& line)
{
    const qsizetype start = 0;
    if (line.isEmpty() || isArgumentBreak(line[0]))
        return {};

    if (line[start] == u'"') {
        const qsizetype close = line.indexOf(u'"', start + 1);
        if (close < 0)
            return {{line.mid(start + 1), QString()}};
        return {{line.mid(start + 1, close - start - 1), line.mid(close + 1)}};
    }

    QList<Candidate> out;
    qsizetype i = start;
    while (i < line.size()) {
        while (i < line.size() && !isArgumentBreak(line[i]))
            ++i;
        out.append({line.mid(start, i - start), line.mid(i)});
        while (i < line.size() && isArgumentBreak(line[i]))
            ++i;
    }
    return out;
}

QString quoted(QStringView arg)
{
    QString out(u'"');
    qsizetype backslashes = 0;
    for (const QChar c : arg) {
        if (c == u'\\') {
            ++backslashes;
            continue;
        }
        out += QString(c == u'"' ? backslashes * 2 + 1 : backslashes, u'\\');
        backslashes = 0;
        out += c;
    }
    out += QString(backslashes * 2, u'\\');
    out += u'"';
    return out;
}

} // namespace WinCommandLine
