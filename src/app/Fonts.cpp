#include "Fonts.h"

#include <QFont>
#include <QStringList>

void installFontSubstitutes()
{
    const QStringList proportional{QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"),
                                   QStringLiteral("Noto Sans CJK JP"), QStringLiteral("VL PGothic")};
    const QStringList monospaced{QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans Mono CJK JP"),
                                 QStringLiteral("VL Gothic")};
    for (const char* family : {"ＭＳ Ｐゴシック", "MS PGothic", "MS UI Gothic"})
        QFont::insertSubstitutions(QString::fromUtf8(family), proportional);
    for (const char* family : {"ＭＳ ゴシック", "MS Gothic"})
        QFont::insertSubstitutions(QString::fromUtf8(family), monospaced);
    QFont::insertSubstitutions(QStringLiteral("Arial"), {QStringLiteral("Liberation Sans")});
    // No black weight of a metric twin is packaged: the bold face stands in.
    QFont::insertSubstitutions(QStringLiteral("Arial Black"), {QStringLiteral("Liberation Sans")});
}
