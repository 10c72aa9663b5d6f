// Any text as a Windows command line: the program readings and the arguments. Arguments
// quoted back the way Windows programs quote them must split into the same arguments.
#include "WinCommandLine.h"

#include <cstddef>
#include <cstdint>

namespace {

// The quoting that CommandLineToArgvW undoes: backslashes doubled only before a quote.
QString quote(const QString& arg)
{
    if (!arg.isEmpty() && !arg.contains(u' ') && !arg.contains(u'\t') && !arg.contains(u'"'))
        return arg;
    QString out(u'"');
    qsizetype backslashes = 0;
    for (const QChar c : arg) {
        if (c == u'\\') {
            ++backslashes;
            continue;
        }
        if (c == u'"')
            out += QString(backslashes * 2 + 1, u'\\');
        else
            out += QString(backslashes, u'\\');
        backslashes = 0;
        out += c;
    }
    out += QString(backslashes * 2, u'\\');
    out += u'"';
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString line = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));

    for (const WinCommandLine::Candidate& c : WinCommandLine::programCandidates(line)) {
        if (c.program.isEmpty() && !line.trimmed().startsWith(u'"'))
            __builtin_trap();
        if (!line.endsWith(c.rest))
            __builtin_trap();
    }

    const QStringList argv = WinCommandLine::splitArguments(line);
    QStringList quoted;
    for (const QString& a : argv)
        quoted.append(quote(a));
    if (WinCommandLine::splitArguments(quoted.join(u' ')) != argv)
        __builtin_trap();
    return 0;
}
