#include "RunStarting.h"

#include "ProcessTree.h"

#include <QCoreApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTimer>

namespace RunStarting {

void show(qint64 pid)
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return;
    QGuiApplication::setOverrideCursor(QCursor(Qt::BusyCursor));
    auto* timer = new QTimer(QCoreApplication::instance());
    QElapsedTimer since;
    since.start();
    QObject::connect(timer, &QTimer::timeout, timer, [timer, pid, since] {
        if (!ProcessTree::hostUp(pid) && since.elapsed() < 15000)
            return;
        timer->stop();
        QGuiApplication::restoreOverrideCursor();
        timer->deleteLater();
    });
    timer->start(50);
}

} // namespace RunStarting
