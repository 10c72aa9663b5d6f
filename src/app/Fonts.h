#pragma once

// Maps the Windows font families the windows ask for onto the Debian fonts that carry
// the same glyphs, so Japanese text renders in one face and not through a fallback chain.
void installFontSubstitutes();
