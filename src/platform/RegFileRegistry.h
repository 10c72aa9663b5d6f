#pragma once

#include "Registry.h"

#include <QStringList>

// The registry of a system that has none: registry export files, the user's own before the
// one shipped with the program. Every lookup reads them afresh, so an edit counts at once.
class RegFileRegistry final : public Registry {
public:
    explicit RegFileRegistry(QStringList files = defaultFiles());
    std::optional<RegValue> query(quint32 root, const QString& key, const QString& name) const override;

    // `$XDG_CONFIG_HOME/Quillet/registry.reg`, then `share/quillet/registry.reg` beside the
    // executable's folder (the build tree and an installed prefix alike).
    static QStringList defaultFiles();

private:
    QStringList m_files;
};
