#pragma once

#include <QString>

class SettingsArea;

namespace mdlUtils {

inline const QString AppName = QStringLiteral("Quillet");
inline const QString OptionSection = QStringLiteral("Option");
inline const QString ReadFailure = QStringLiteral("Error");

// The stored text, `def` only when the key was never stored, "Error" when it cannot be read.
QString GetOption(const SettingsArea& area, const QString& key, const QString& def);
bool SaveOption(SettingsArea& area, const QString& key, const QString& value);

} // namespace mdlUtils
