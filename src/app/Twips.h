#pragma once

#include <QRect>
#include <QtMath>

// Design-time layout is in twips; 15 twips are one pixel at 96 dpi (Qt scales from there).
constexpr int twips(int t)
{
    return (t + 7) / 15;
}
inline QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twips(left), twips(top), twips(width), twips(height));
}
