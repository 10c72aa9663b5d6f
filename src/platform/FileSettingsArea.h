#pragma once

#include "SettingsArea.h"

// One INI file per application, `<folder>/<application>.ini`, read afresh on every call.
class FileSettingsArea final : public SettingsArea {
public:
    explicit FileSettingsArea(QString folder);
    // $XDG_CONFIG_HOME/Quillet, or ~/.config/Quillet
    static QString defaultFolder();

    std::optional<QString> read(const QString& app, const QString& section, const QString& key,
                                const QString& def) const override;
    bool write(const QString& app, const QString& section, const QString& key, const QString& value) override;

    QString filePath(const QString& app) const;

private:
    QString m_folder;
};
