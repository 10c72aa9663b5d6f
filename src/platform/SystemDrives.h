#pragma once

#include "Drives.h"

#include <QHash>

// Mounted volumes that hold a real file system, as QStorageInfo sees them.
class SystemDrives final : public Drives {
public:
    SystemDrives();
    QList<Volume> volumes() const override;
    QString rootOf(const QString& path) const override;
    QString currentFolder(const QString& root) const override;
    void rememberFolder(const QString& folder) override;

private:
    QHash<QString, QString> m_folders;
};
