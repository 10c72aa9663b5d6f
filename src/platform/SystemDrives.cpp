#include "SystemDrives.h"

#include "NativeName.h"
#include "PosixFile.h"

#include <QStorageInfo>

#include <algorithm>

namespace {

// Mounts the system keeps for itself: nobody keeps scripts there.
bool isSystemMount(const QString& root)
{
    for (const char* prefix : {"/proc", "/sys", "/dev", "/run", "/snap", "/boot/efi"})
        if (root == QLatin1String(prefix) || root.startsWith(QLatin1String(prefix) + u'/'))
            return true;
    return false;
}

} // namespace

SystemDrives::SystemDrives()
{
    const QString cwd = PosixFile::currentFolder();
    m_folders.insert(rootOf(cwd), cwd);
}

QList<Volume> SystemDrives::volumes() const
{
    QList<Volume> out;
    for (const QStorageInfo& v : QStorageInfo::mountedVolumes()) {
        if (!v.isValid() || !v.isReady() || isSystemMount(v.rootPath()))
            continue;
        out.append({v.rootPath(), v.name()});
    }
    std::sort(out.begin(), out.end(), [](const Volume& a, const Volume& b) { return a.root < b.root; });
    return out;
}

QString SystemDrives::rootOf(const QString& path) const
{
    // Qt names files by UTF-8: a folder whose name is not lies on the volume of the
    // nearest folder above it whose name is.
    QString named = path;
    while (!NativeName::isUnicode(named))
        named = named.left(qMax<qsizetype>(1, named.lastIndexOf(u'/')));
    const QStorageInfo info(named);
    return info.isValid() ? info.rootPath() : QStringLiteral("/");
}

QString SystemDrives::currentFolder(const QString& root) const
{
    return m_folders.value(root, root);
}

void SystemDrives::rememberFolder(const QString& folder)
{
    m_folders.insert(rootOf(folder), folder);
}
