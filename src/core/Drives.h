#pragma once

#include <QList>
#include <QString>

// The volumes the drive list offers and the folder remembered on each.
struct Volume {
    QString root;  // the mount point; it stands where a drive letter would
    QString label; // may be empty
    QString display() const { return label.isEmpty() ? root : root + QStringLiteral(" [") + label + u']'; }
};

class Drives {
public:
    virtual ~Drives() = default;
    virtual QList<Volume> volumes() const = 0;
    // The volume that holds `path` (the longest mount point above it).
    virtual QString rootOf(const QString& path) const = 0;
    // The folder last shown on the volume: at first the working folder on its own volume,
    // the root on the others.
    virtual QString currentFolder(const QString& root) const = 0;
    virtual void rememberFolder(const QString& folder) = 0;
};
