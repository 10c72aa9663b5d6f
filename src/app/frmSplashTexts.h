#pragma once

#include <QString>

namespace frmSplashText {

inline const QString Title = QStringLiteral("Quillet");
inline const QString Company = QStringLiteral("Quillet Project");
// The product name has two labels; the name stands whole in the first, so that it reads as
// one word in one size, and the second carries nothing.
inline const QString ProductFirst = QStringLiteral("Quillet");
inline const QString ProductSecond;
inline const QString Version = QStringLiteral("Version 0.3.16");
inline const QString Description = QStringLiteral("Script Development Tool for Windows Scripting Host");
inline const QString Copyright = QStringLiteral("Copyright (C) 2026 Quillet Project");

} // namespace frmSplashText
