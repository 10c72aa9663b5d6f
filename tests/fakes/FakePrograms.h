#pragma once

#include "NativeName.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTest>

// Fake programs for launch tests: each writes its argument vector, NUL-separated, to a file
// beside itself, so that a test sees exactly what a real program would have been given.
namespace FakePrograms {

inline QString install(const QString& folder, const QString& name)
{
    QDir().mkpath(folder);
    const QString path = folder + u'/' + name;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return {};
    f.write(
        "#!/bin/sh\n: > \"$0.argv.tmp\"\nfor a in \"$@\"; do printf '%s\\0' \"$a\" >> \"$0.argv.tmp\"; done\n"
        "mv \"$0.argv.tmp\" \"$0.argv\"\n");
    f.close();
    f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return path;
}

// The arguments the fake at `path` was last started with; consumed.
inline QStringList waitForArgv(const QString& path)
{
    QFile out(path + QStringLiteral(".argv"));
    if (!QTest::qWaitFor([&] { return out.exists(); }, 10000))
        return {QStringLiteral("<no output>")};
    if (!out.open(QIODevice::ReadOnly))
        return {QStringLiteral("<unreadable>")};
    const QByteArray bytes = out.readAll();
    out.remove();
    QStringList argv;
    for (const QByteArray& part : bytes.split('\0'))
        argv.append(NativeName::fromBytes(part)); // byte for byte, as the program got them
    argv.removeLast();                            // after the last NUL
    return argv;
}

} // namespace FakePrograms
