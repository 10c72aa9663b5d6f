#include "Fonts.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QHash>
#include <QStringList>

namespace {

// The Debian faces that carry each Windows family's glyphs, best first.
const QHash<QString, QStringList>& substitutes()
{
    static const QHash<QString, QStringList> table = [] {
        const QStringList proportional{Fonts::IpaPGothic, QStringLiteral("Noto Sans CJK JP"),
                                       QStringLiteral("VL PGothic"), Fonts::IpaGothic};
        const QStringList monospaced{Fonts::IpaGothic, QStringLiteral("Noto Sans Mono CJK JP"),
                                     QStringLiteral("VL Gothic")};
        // Arial's metric twin; no black weight of it is packaged, so its bold face stands in.
        const QStringList arial{Fonts::LiberationSans};
        QHash<QString, QStringList> t;
        for (const QString& family :
             {Fonts::Gothic, QStringLiteral("MS PGothic"), QStringLiteral("MS UI Gothic")})
            t.insert(family, proportional);
        for (const QString& family : {Fonts::FixedGothic, QStringLiteral("MS Gothic")})
            t.insert(family, monospaced);
        t.insert(Fonts::Arial, arial);
        t.insert(Fonts::ArialBlack, arial);
        return t;
    }();
    return table;
}

// The family first, then its stand-ins, so that a window finds the same face whether or
// not the substitutes are installed.
QFont withStandIns(const QString& family)
{
    QFont f(family);
    f.setFamilies(QStringList{family} + substitutes().value(family));
    return f;
}

} // namespace

void installFontSubstitutes()
{
    const QHash<QString, QStringList>& table = substitutes();
    for (auto it = table.cbegin(); it != table.cend(); ++it)
        QFont::insertSubstitutions(it.key(), it.value());
}

void installInterfaceFonts()
{
    installFontSubstitutes();
    QApplication::setFont(Fonts::interfaceFont(QApplication::font()));
}

namespace Fonts {

QFont interfaceFont(const QFont& desktop)
{
    const QFontInfo info(desktop);
    const QFontMetricsF m(desktop);
    // A Japanese locale makes fontconfig answer "sans-serif" with a fixed-pitch face (which
    // it calls dual-width, not fixed), and a Latin face leaves the kana to whatever fallback
    // comes first.
    const bool fixedPitch = info.fixedPitch() || m.horizontalAdvance(u'i') == m.horizontalAdvance(u'M');
    if (!fixedPitch && QFontDatabase::writingSystems(info.family()).contains(QFontDatabase::Japanese))
        return desktop;
    QFont f = withStandIns(Gothic);
    if (desktop.pointSizeF() > 0)
        f.setPointSizeF(desktop.pointSizeF());
    else
        f.setPixelSize(desktop.pixelSize());
    return f;
}

QFont design()
{
    QFont f = withStandIns(Gothic);
    f.setPixelSize(DesignPixels);
    return f;
}

qreal fontScale()
{
    // In points: the screen's resolution already enlarges every size given in points.
    const QFont app = QApplication::font();
    const qreal points = app.pointSizeF() > 0 ? app.pointSizeF() : QFontInfo(app).pointSizeF();
    return qMax(1.0, points / DesignPoints);
}

QFont sized(const QString& family, qreal points)
{
    QFont f = withStandIns(family);
    f.setPointSizeF(points * fontScale());
    return f;
}

} // namespace Fonts
