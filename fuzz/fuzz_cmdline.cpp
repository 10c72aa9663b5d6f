// Any text as a Windows command line: the program readings and the arguments. Arguments
// quoted back the way Windows programs quote them must split into the same arguments.
#include "WinCommandLine.h"

#include <cstddef>
#include <cstdint>

namespace {

// Bare where nothing needs quoting, as Windows programs write arguments.
QString quote(const QString& arg)
{
    if (!arg.isEmpty() && !arg.contains(u' ') && !arg.contains(u'\t') && !arg.contains(u'"'))
        return arg;
    return WinCommandLine::quoted(arg);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString line = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));

    for (const WinCommandLine::Candidate& c : WinCommandLine::programCandidates(line)) {
        if (c.program.isEmpty() && !line.startsWith(u'"'))
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
