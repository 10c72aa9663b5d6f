#pragma once

#include <QRect>
#include <QtMath>

// Design-time layout is in twips: 15 twips are one pixel at 96 dpi with the design's font.
// Like a Windows dialog's units, a twip grows with the application font's measures, so that
// a larger font finds the room the design gave the smaller one; never below the design.
qreal twipsScale();

inline int twips(int t)
{
    return qRound(t * twipsScale() / 15);
}

// Edges rounded, not sizes, so that controls that touch in the design still touch.
inline QRect twipsRect(int left, int top, int width, int height)
{
    const int x = twips(left), y = twips(top);
    return QRect(x, y, twips(left + width) - x, twips(top + height) - y);
}
