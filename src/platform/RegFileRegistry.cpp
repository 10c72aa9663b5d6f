#include "RegFileRegistry.h"

#include "Installed.h"
#include "PosixFile.h"

namespace {

// Far larger than an export of the few keys the program reads, and small enough to parse
// within a moment; a bigger file is not read.
constexpr qint64 MaxFileSize = 1024 * 1024;

QString rootName(quint32 root)
{
    switch (root) {
    case 0x80000000:
        return QStringLiteral("HKEY_CLASSES_ROOT");
    case 0x80000001:
        return QStringLiteral("HKEY_CURRENT_USER");
    case 0x80000002:
        return QStringLiteral("HKEY_LOCAL_MACHINE");
    case 0x80000003:
        return QStringLiteral("HKEY_USERS");
    case 0x80000005:
        return QStringLiteral("HKEY_CURRENT_CONFIG");
    default:
        return {};
    }
}

} // namespace

RegFileRegistry::RegFileRegistry(QStringList files)
    : m_files(std::move(files))
{
}

QStringList RegFileRegistry::defaultFiles()
{
    return {Installed::userFolder() + QStringLiteral("/registry.reg"),
            Installed::dataFolder() + QStringLiteral("/registry.reg")};
}

std::optional<RegValue> RegFileRegistry::query(quint32 root, const QString& key, const QString& name) const
{
    const QString rootText = rootName(root);
    if (rootText.isEmpty())
        return std::nullopt;
    QStringList keys{rootText + u'\\' + key};
    // The classes root is a view of the user's and the machine's classes.
    if (root == RegRoot::ClassesRoot)
        keys << QStringLiteral("HKEY_CURRENT_USER\\Software\\Classes\\") + key
             << QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\Classes\\") + key;
    for (const QString& path : m_files) {
        const RegFile* reg = parsed(path);
        if (!reg)
            continue;
        for (const QString& k : keys)
            if (std::optional<RegValue> v = reg->value(k, name))
                return v;
    }
    return std::nullopt;
}

const RegFile* RegFileRegistry::parsed(const QString& path) const
{
    // Read again only when the file changed, so that an edit counts at once.
    const std::optional<PosixFile::Stamp> stamp = PosixFile::stamp(path);
    Parsed& cached = m_parsed[path];
    if (!stamp) {
        cached = {};
        return nullptr;
    }
    if (cached.stamp == stamp)
        return cached.file ? &*cached.file : nullptr;
    // Only a regular file, opened without blocking: a FIFO or a device here would hang or
    // fill the memory.
    const PosixFile::Read read = PosixFile::readRegular(path, MaxFileSize);
    cached.stamp = read.ok ? read.stamp : *stamp;
    cached.file = read.ok ? RegFile::parse(read.bytes) : std::nullopt;
    return cached.file ? &*cached.file : nullptr;
}
