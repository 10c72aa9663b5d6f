#pragma once

#include <QString>

#include <optional>

// The per-user settings area: text values under (application, section, key).
class SettingsArea {
public:
    virtual ~SettingsArea() = default;
    // The stored text, `def` when nothing is stored, nullopt when the area cannot be read.
    virtual std::optional<QString> read(const QString& app, const QString& section, const QString& key,
                                        const QString& def) const = 0;
    // False when the value could not be stored; what was stored before is then unchanged.
    virtual bool write(const QString& app, const QString& section, const QString& key,
                       const QString& value) = 0;
};
