#include "FitText.h"

#include <QGroupBox>
#include <QLabel>
#include <QSet>

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

void fitHeight(QWidget* control)
{
    control->resize(control->width(), qMax(control->height(), control->minimumSizeHint().height()));
}

void clearFrameCaptions(QWidget* container)
{
    const QList<QGroupBox*> frames = container->findChildren<QGroupBox*>(Qt::FindDirectChildrenOnly);
    // One shift for all, so that frames side by side stay alike.
    int shift = 0;
    for (const QGroupBox* frame : frames)
        for (const QWidget* c : frame->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            shift = qMax(shift, frame->contentsRect().top() - c->y());
    if (shift == 0)
        return;
    QSet<QWidget*> below;
    for (QGroupBox* frame : frames) {
        // The nearest control under the frame gives way.
        const QRect f = frame->geometry();
        QWidget* nearest = nullptr;
        for (QWidget* w : container->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            const QRect r = w->geometry();
            if (r.top() > f.bottom() && r.left() <= f.right() && r.right() >= f.left() &&
                (!nearest || r.top() < nearest->y()))
                nearest = w;
        }
        if (nearest)
            below.insert(nearest);
        for (QWidget* c : frame->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            c->move(c->x(), c->y() + shift);
        frame->resize(frame->width(), frame->height() + shift);
    }
    for (QWidget* w : std::as_const(below))
        w->setGeometry(w->geometry().adjusted(0, shift, 0, 0));
}
