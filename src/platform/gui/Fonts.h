#pragma once

#include "FontFamilies.h"

#include <QFont>

// The windows' fonts; fontconfig stands Debian's faces in for the families they ask for
// (installFontSubstitutes).
namespace Fonts {

// The windows were designed with the proportional Gothic at 9 pt, 12 pixels at 96 dpi.
constexpr qreal DesignPoints = 9;
constexpr int DesignPixels = 12;

// The interface font for the desktop's font: that font where it is proportional and writes
// Japanese, else the proportional Gothic at its size.
QFont interfaceFont(const QFont& desktop);

// The design's font, the measure of its twips.
QFont design();

// How much larger than the design the application font is, never less than 1.
qreal fontScale();

// `family` at the design's `points`, grown in step with the application font, so that a
// desktop set to a larger font makes every text of a window larger alike.
QFont sized(const QString& family, qreal points);

} // namespace Fonts

// Maps the Windows font families the windows ask for onto the Debian fonts that carry
// the same glyphs, so Japanese text renders in one face and not through a fallback chain.
void installFontSubstitutes();

// The substitutes, and the application font made the interface font of the desktop's.
void installInterfaceFonts();
