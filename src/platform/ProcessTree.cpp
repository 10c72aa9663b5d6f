#include "ProcessTree.h"

#include <QDir>
#include <QFile>
#include <QHash>

namespace ProcessTree {

namespace {

QByteArray readProc(qint64 pid, const char* what)
{
    QFile f(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(what)));
    return f.open(QIODevice::ReadOnly) ? f.read(4096) : QByteArray();
}

} // namespace

QList<qint64> withDescendants(qint64 root)
{
    QHash<qint64, QList<qint64>> children;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& e : entries) {
        bool ok = false;
        const qint64 pid = e.toLongLong(&ok);
        if (!ok)
            continue;
        const QByteArray stat = readProc(pid, "stat");
        // "pid (name) state ppid ...": the name may hold blanks and parentheses.
        const qsizetype close = stat.lastIndexOf(')');
        if (close < 0)
            continue;
        const QList<QByteArray> fields = stat.mid(close + 2).split(' ');
        if (fields.size() > 1)
            children[fields[1].toLongLong()].append(pid);
    }
    QList<qint64> all{root};
    for (qsizetype i = 0; i < all.size(); ++i)
        all += children.value(all[i]);
    return all;
}

bool looksStarted(const QByteArray& cmdline)
{
    const QByteArray first = cmdline.left(cmdline.indexOf('\0')).toLower();
    return first.endsWith(".exe") || cmdline.contains("/quillet-pls");
}

bool hostUp(qint64 root)
{
    if (root <= 0 || !QFile::exists(QStringLiteral("/proc/%1").arg(root)))
        return true;
    for (qint64 pid : withDescendants(root))
        if (looksStarted(readProc(pid, "cmdline")))
            return true;
    return false;
}

} // namespace ProcessTree
