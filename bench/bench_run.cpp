// Click-to-first-output of a hello-world .vbs run with the console host: through Quillet's
// stand-in (the run action's command line, the real launcher's resolution, quillet-hold and
// Quillet's host under Wine), beside Wine's own "wine cscript.exe" on the same script in
// the same run. Cold: no wineserver for the prefix. Warm: Wine kept started as Quillet does
// from its own start (WineWarmer). The terminal is left out: a stand-in runs its command.
//   bench_run [runs]      (WINEPREFIX: default the build tree's test prefix)
#include "PosixLauncher.h"
#include "ScriptCommands.h"
#include "StandIns.h"
#include "WineWarmer.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>

namespace {

// Milliseconds from the start of `program` to its first byte of output; -1 if none came.
double firstOutput(const QString& program, const QStringList& args, const QStringList& env)
{
    QProcess p;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    for (const QString& kv : env)
        e.insert(kv.section(u'=', 0, 0), kv.section(u'=', 1));
    p.setProcessEnvironment(e);
    p.setProcessChannelMode(QProcess::SeparateChannels);
    QElapsedTimer t;
    t.start();
    p.start(program, args);
    double ms = -1;
    while (p.waitForReadyRead(60000)) {
        if (p.readAllStandardOutput().contains("hello")) {
            ms = t.nsecsElapsed() / 1e6;
            break;
        }
    }
    p.closeWriteChannel(); // quillet-hold's key
    if (!p.waitForFinished(60000))
        p.kill();
    p.waitForFinished();
    return ms;
}

void stopWine(const QString& wineserver)
{
    QProcess::execute(wineserver, {QStringLiteral("-k")});
    QProcess::execute(wineserver, {QStringLiteral("-w")});
    QThread::msleep(500);
}

double median(QList<double> v)
{
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? -1 : v[v.size() / 2];
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    if (qEnvironmentVariableIsEmpty("WINEPREFIX"))
        qputenv("WINEPREFIX", QByteArray(QUILLET_BINARY_DIR) + "/wineprefix");
    const QString wine = QStandardPaths::findExecutable(QStringLiteral("wine"));
    const QString wineserver = QStandardPaths::findExecutable(QStringLiteral("wineserver"));
    const QString hostFolder = QStringLiteral(QUILLET_BINARY_DIR "/libexec/quillet");
    if (wine.isEmpty() || wineserver.isEmpty() ||
        !QFile::exists(hostFolder + QStringLiteral("/cscript.exe"))) {
        std::puts("skipped: Wine or Quillet's script host is not installed");
        return 0;
    }

    QTemporaryDir dir;
    const QString script = dir.path() + QStringLiteral("/hello.vbs");
    QFile f(script);
    if (!f.open(QIODevice::WriteOnly) || f.write("WScript.Echo \"hello\"\r\n") < 0)
        return 1;
    f.close();
    // The terminal stand-in runs its command in place, so that its output reaches us.
    const QString term = dir.path() + QStringLiteral("/x-terminal-emulator");
    QFile t(term);
    if (!t.open(QIODevice::WriteOnly) || t.write("#!/bin/sh\n[ \"$1\" = -e ] && shift\nexec \"$@\"\n") < 0)
        return 1;
    t.close();
    t.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("PATH", (dir.path() + u':' + qEnvironmentVariable("PATH")).toUtf8());

    // What a click on "実 行" with the console host chosen starts.
    PosixLauncher launcher(PosixLauncher::defaultHoldProgram().isEmpty()
                               ? QStringLiteral(QUILLET_BINARY_DIR "/libexec/quillet/quillet-hold")
                               : PosixLauncher::defaultHoldProgram(),
                           hostFolder);
    QString reason;
    const StandIns::Launch quillet =
        launcher.resolve(ScriptCommand::run(QStringLiteral("CSCRIPT.EXE"), script), &reason);
    if (quillet.program.isEmpty()) {
        std::printf("skipped: %s\n", qPrintable(reason));
        return 0;
    }
    const QStringList standInArgs = quillet.arguments;
    // Wine's own host, as a user would type it, with the same quiet environment.
    const QStringList wineArgs{QStringLiteral("cscript.exe"), QStringLiteral("//nologo"),
                               StandIns::wineForm(script)};

    QList<double> coldQuillet, coldWine, warmQuillet, warmWine;
    for (int i = 0; i < runs; ++i) {
        stopWine(wineserver);
        coldQuillet << firstOutput(quillet.program, standInArgs, quillet.environment);
        stopWine(wineserver);
        coldWine << firstOutput(wine, wineArgs, quillet.environment);
    }
    stopWine(wineserver);
    {
        WineWarmer warmer(hostFolder); // as Quillet's start does
        warmer.start();
        QThread::sleep(5); // the user picking a script
        for (int i = 0; i < runs; ++i) {
            warmQuillet << firstOutput(quillet.program, standInArgs, quillet.environment);
            warmWine << firstOutput(wine, wineArgs, quillet.environment);
        }
    }
    std::printf("click to first output of hello.vbs, median of %d runs (ms)\n", runs);
    std::printf("%-6s %24s %24s\n", "", "Quillet stand-in", "wine cscript.exe (floor)");
    std::printf("%-6s %24.0f %24.0f\n", "cold", median(coldQuillet), median(coldWine));
    std::printf("%-6s %24.0f %24.0f\n", "warm", median(warmQuillet), median(warmWine));
    return 0;
}
