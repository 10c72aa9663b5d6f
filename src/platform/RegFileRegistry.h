#pragma once

#include "PosixFile.h"
#include "RegFile.h"
#include "Registry.h"

#include <QHash>
#include <QStringList>

#include <optional>

// The registry of a system that has none: registry export files, the user's own before the
// one shipped with the program. Every lookup looks at them afresh, so an edit counts at
// once; a file is parsed again only when it changed.
class RegFileRegistry final : public Registry {
public:
    explicit RegFileRegistry(QStringList files = defaultFiles());
    std::optional<RegValue> query(quint32 root, const QString& key, const QString& name) const override;

    // `$XDG_CONFIG_HOME/Quillet/registry.reg`, then `share/quillet/registry.reg` beside the
    // executable's folder (the build tree and an installed prefix alike).
    static QStringList defaultFiles();

private:
    const RegFile* parsed(const QString& path) const;
    struct Parsed {
        std::optional<PosixFile::Stamp> stamp;
        std::optional<RegFile> file;
    };
    QStringList m_files;
    mutable QHash<QString, Parsed> m_parsed;
};
