#include "Twips.h"

#include "Fonts.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QScreen>

#include <algorithm>

qreal twipsScale()
{
    static QString measured;
    static qreal scale = 1;
    const QFont font = QApplication::font();
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QString key = font.key() + u'@' + QString::number(screen ? screen->logicalDotsPerInch() : 96);
    if (key == measured)
        return scale;
    measured = key;

    const QFontMetricsF d(Fonts::design()), f(font);
    // Height, Latin and Japanese widths each, as captions are written in both scripts.
    const QString latin = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const QString japanese = QStringLiteral("スクリプトの種類をファイルから選択します");
    scale =
        std::max({qreal(1), f.height() / d.height(), f.horizontalAdvance(latin) / d.horizontalAdvance(latin),
                  f.horizontalAdvance(japanese) / d.horizontalAdvance(japanese)});
    return scale;
}
