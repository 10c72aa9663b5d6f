#include "RegFileRegistry.h"

#include <QCoreApplication>
#include <QFile>
#include <QStandardPaths>

namespace {

// Larger than any export of the few keys the program reads; a bigger file is not read.
constexpr qint64 MaxFileSize = 16 * 1024 * 1024;

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
    return {QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                QStringLiteral("/Quillet/registry.reg"),
            QCoreApplication::applicationDirPath() + QStringLiteral("/../share/quillet/registry.reg")};
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
        QFile f(path);
        if (f.size() > MaxFileSize || !f.open(QIODevice::ReadOnly))
            continue;
        const std::optional<RegFile> reg = RegFile::parse(f.readAll());
        if (!reg)
            continue;
        for (const QString& k : keys)
            if (std::optional<RegValue> v = reg->value(k, name))
                return v;
    }
    return std::nullopt;
}
