// The floor of the start-up benchmark: an empty Qt Widgets program and nothing else,
// printing the moment of its first paint and, after a second of idling, its resident
// memory, as bench_startup's children do for Quillet's windows.
#include <QApplication>
#include <QFile>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <ctime>

namespace {

qint64 monotonicNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

qint64 rssKiB()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    return -1;
}

class Empty final : public QWidget {
public:
    qint64 paintedAt = 0;

protected:
    void paintEvent(QPaintEvent*) override
    {
        if (!paintedAt)
            paintedAt = monotonicNs();
    }
};

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Empty window;
    window.resize(492, 283);
    window.show();
    QTimer::singleShot(1000, &app, [&] {
        std::printf("%lld %lld\n", static_cast<long long>(window.paintedAt),
                    static_cast<long long>(rssKiB()));
        std::fflush(stdout);
        QCoreApplication::exit(0);
    });
    return QApplication::exec();
}
