#pragma once

#include <QString>

// Every font family the program asks for by name: the families of the windows' design, and
// the Debian faces (fonts-ipafont-gothic, fonts-liberation) that carry their glyphs where a
// program outside Qt needs them named.
namespace Fonts {

// The proportional Gothic of the windows' design.
inline const QString Gothic = QStringLiteral("ＭＳ Ｐゴシック");
// Its fixed-width twin, for the text of scripts, where columns must line up.
inline const QString FixedGothic = QStringLiteral("ＭＳ ゴシック");
inline const QString Arial = QStringLiteral("Arial");
inline const QString ArialBlack = QStringLiteral("Arial Black");

inline const QString IpaGothic = QStringLiteral("IPAGothic");
inline const QString IpaPGothic = QStringLiteral("IPAPGothic");
inline const QString LiberationSans = QStringLiteral("Liberation Sans");
inline const QString LiberationMono = QStringLiteral("Liberation Mono");

} // namespace Fonts
