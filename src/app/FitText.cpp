#include "FitText.h"

#include <QLabel>

void fitToText(QLabel* label)
{
    QRect r = label->geometry();
    if (label->wordWrap()) {
        const int needed = label->heightForWidth(r.width());
        if (needed > r.height())
            r.setHeight(needed);
    } else {
        const int needed = label->sizeHint().width();
        if (needed > r.width()) {
            const int extra = needed - r.width();
            const Qt::Alignment h = label->alignment() & Qt::AlignHorizontal_Mask;
            if (h & Qt::AlignRight)
                r.setLeft(r.left() - extra);
            else if (h & Qt::AlignHCenter)
                r.adjust(-extra / 2, 0, extra - extra / 2, 0);
            else
                r.setRight(r.right() + extra);
        }
        r.setHeight(qMax(r.height(), label->sizeHint().height()));
    }
    label->setGeometry(r);
}
