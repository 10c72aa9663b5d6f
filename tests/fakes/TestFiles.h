#pragma once

#include "NativeName.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTest>

#include <sys/mount.h>

// Files as the tests make and read them, programs that record what they were given, and a
// disk that runs full.

inline bool writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// What is on disk at `path`, or "<none>".
inline QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
}

// A file system of `kib` KiB mounted over `folder` (a tmpfs; only root may mount one),
// gone with this object. A test that cannot have one says so and skips.
class SmallDisk {
public:
    SmallDisk(const QString& folder, int kib)
        : m_folder(QFile::encodeName(folder))
    {
        QDir().mkpath(folder);
        m_mounted = ::mount("tmpfs", m_folder.constData(), "tmpfs", 0,
                            ("size=" + QByteArray::number(kib) + 'k').constData()) == 0;
    }
    ~SmallDisk()
    {
        if (m_mounted)
            ::umount2(m_folder.constData(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    bool mounted() const { return m_mounted; }
    // Takes every free page with a file of its own, then hands back `pagesLeft` of them.
    void fill(int pagesLeft = 0) const
    {
        if (!m_mounted)
            return;
        QFile filler(QFile::decodeName(m_folder) + QStringLiteral("/filler"));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return;
        qint64 size = 0;
        while (filler.write(QByteArray(4096, 'f')) == 4096)
            size += 4096;
        filler.resize(qMax<qint64>(0, size - 4096 * pagesLeft));
    }

private:
    QByteArray m_folder;
    bool m_mounted = false;
};
#define SMALL_DISK_OR_SKIP(disk)                                                                             \
    if (!(disk).mounted())                                                                                   \
    QSKIP("cannot mount a small tmpfs here (needs root): the full-disk case is not run")

// Fake programs for launch tests: each writes its argument vector, NUL-separated, to a file
// beside itself, so that a test sees exactly what a real program would have been given.
namespace FakePrograms {

inline QString install(const QString& folder, const QString& name)
{
    const QString path = folder + u'/' + name;
    if (!writeFile(path, "#!/bin/sh\n: > \"$0.argv.tmp\"\nfor a in \"$@\"; do printf '%s\\0' \"$a\" >> "
                         "\"$0.argv.tmp\"; done\nmv \"$0.argv.tmp\" \"$0.argv\"\n"))
        return {};
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
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

// PATH as `folders` while this object lives, the one before it afterwards.
class SearchPath {
public:
    explicit SearchPath(const QStringList& folders)
        : m_old(qgetenv("PATH"))
    {
        qputenv("PATH", folders.join(u':').toUtf8());
    }
    ~SearchPath() { qputenv("PATH", m_old); }
    SearchPath(const SearchPath&) = delete;
    SearchPath& operator=(const SearchPath&) = delete;
    static QString system() { return qEnvironmentVariable("PATH"); }

private:
    QByteArray m_old;
};
