// Start-up figures of Quillet beside an empty Qt Widgets program (bench_empty) measured in
// the same run: process start to the first paint of the splash, main-window construction,
// idle memory.
// Runs on whatever platform QT_QPA_PLATFORM names (offscreen when there is no display).
#include "AppIcon.h"
#include "Fonts.h"
#include "InternalEditorWindow.h"
#include "SystemServices.h"
#include "Workbench.h"
#include "frmMain.h"
#include "frmSplash.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>

#include <algorithm>
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

double median(QList<double> v)
{
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0 : v[v.size() / 2];
}

// Records the first paint of a window.
class FirstPaint final : public QObject {
public:
    qint64 at = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (!at && event->type() == QEvent::Paint)
            at = monotonicNs();
        return false;
    }
};

// Child: show one window, print the moment it is first painted and, after a second of
// idling, the resident memory.
int child(const QString& mode, int argc, char* argv[])
{
    QApplication app(argc, argv);
    QTemporaryDir settingsDir;
    SystemServices system(settingsDir.path());
    const Services services = system.services();
    InternalEditorWindow editor(services, system.printing);
    Workbench workbench(services, editor);

    if (mode == QLatin1String("--construct")) {
        installFontSubstitutes();
        QList<double> ms;
        for (int i = 0; i < 21; ++i) {
            QElapsedTimer t;
            t.start();
            delete new frmMain(workbench);
            ms.append(t.nsecsElapsed() / 1e6);
        }
        std::printf("%.3f\n", median(ms));
        return 0;
    }

    QWidget* window = nullptr;
    if (mode == QLatin1String("--splash")) {
        installFontSubstitutes();
        QApplication::setWindowIcon(appIcon());
        window = new frmSplash([&workbench]() -> QWidget* { return new frmMain(workbench); });
    } else {
        installFontSubstitutes();
        window = new frmMain(workbench);
    }
    FirstPaint painted;
    window->installEventFilter(&painted);
    window->show();
    QTimer::singleShot(1000, &app, [&] {
        std::printf("%lld %lld\n", static_cast<long long>(painted.at), static_cast<long long>(rssKiB()));
        std::fflush(stdout);
        QCoreApplication::exit(0);
    });
    return QApplication::exec();
}

struct ChildFigures {
    double startMs;
    double rssMiB;
};

ChildFigures runChild(const QString& self, const QString& mode)
{
    QProcess p;
    const qint64 before = monotonicNs();
    p.start(self, mode.isEmpty() ? QStringList() : QStringList{mode});
    p.waitForFinished(30000);
    const QList<QByteArray> parts = p.readAllStandardOutput().trimmed().split(' ');
    if (parts.size() != 2)
        return {-1, -1};
    return {(parts[0].toLongLong() - before) / 1e6, parts[1].toLongLong() / 1024.0};
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc > 1)
        return child(QString::fromLocal8Bit(argv[1]), argc, argv);

    QCoreApplication app(argc, argv);
    const QString self = QCoreApplication::applicationFilePath();
    constexpr int runs = 7;
    QList<double> floorStart, splashStart, floorRss, mainRss;
    for (int i = 0; i < runs; ++i) {
        const ChildFigures f = runChild(QStringLiteral(BENCH_EMPTY), QString());
        const ChildFigures s = runChild(self, QStringLiteral("--splash"));
        const ChildFigures m = runChild(self, QStringLiteral("--main"));
        floorStart.append(f.startMs);
        splashStart.append(s.startMs);
        floorRss.append(f.rssMiB);
        mainRss.append(m.rssMiB);
    }

    QProcess construct;
    construct.start(self, {QStringLiteral("--construct")});
    construct.waitForFinished(60000);
    const double constructMs = construct.readAllStandardOutput().trimmed().toDouble();

    const QByteArray platform =
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ? QByteArray("xcb") : qgetenv("QT_QPA_PLATFORM");
    std::printf("platform: %s, median of %d runs\n", platform.constData(), runs);
    std::printf("start to first paint    floor (empty Qt program) %8.1f ms   splash %8.1f ms   ratio %.2f\n",
                median(floorStart), median(splashStart), median(splashStart) / median(floorStart));
    std::printf("idle resident memory    floor (empty Qt program) %8.1f MiB  main   %8.1f MiB  ratio %.2f\n",
                median(floorRss), median(mainRss), median(mainRss) / median(floorRss));
    std::printf("main window construction                                       %8.1f ms   (%.2f of the "
                "floor's start)\n",
                constructMs, constructMs / median(floorStart));
    return 0;
}
