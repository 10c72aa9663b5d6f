#pragma once

#include <QLatin1String>
#include <QRect>

#include <utility>

// A control made at its design-time place, named as the code names it.
template <class W, class... Args> W* place(QWidget* parent, const char* name, QRect geometry, Args&&... args)
{
    auto* w = new W(std::forward<Args>(args)..., parent);
    w->setObjectName(QLatin1String(name));
    w->setGeometry(geometry);
    return w;
}
