#include "PosixLauncher.h"

#include "WinCommandLine.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace {

const QString EmptyLine = QStringLiteral("コマンドラインが空です。");
const QString NotFound = QStringLiteral("プログラムが見つかりません。");
const QString NotExecutable = QStringLiteral("プログラムを実行する権限がありません。");

// An executable of exactly this name: a path as given, a bare name through PATH.
QString findProgram(const QString& name)
{
    if (name.isEmpty())
        return {};
    if (name.contains(u'/')) {
        const QFileInfo fi(name);
        return fi.isFile() && fi.isExecutable() ? fi.absoluteFilePath() : QString();
    }
    return QStandardPaths::findExecutable(name);
}

// A Windows program, which this system can only start under Wine, whatever its mode bits
// say (files on Windows file systems are all marked executable).
bool isWindowsProgram(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) && f.read(2) == "MZ";
}

} // namespace

PosixLauncher::PosixLauncher(QString holdProgram, QString hostFolder)
    : m_holdProgram(std::move(holdProgram))
    , m_hostFolder(std::move(hostFolder))
{
}

QString PosixLauncher::defaultHostFolder()
{
    const QString dir = QCoreApplication::applicationDirPath();
    for (const QString& candidate : {dir + QStringLiteral("/../libexec/quillet"), dir}) {
        if (QFileInfo(candidate + QStringLiteral("/cscript.exe")).isFile())
            return QFileInfo(candidate).canonicalFilePath();
    }
    return QFileInfo(dir + QStringLiteral("/../libexec/quillet")).absoluteFilePath();
}

QString PosixLauncher::defaultHoldProgram()
{
    const QString dir = QCoreApplication::applicationDirPath();
    for (const QString& candidate :
         {dir + QStringLiteral("/quillet-hold"), dir + QStringLiteral("/../libexec/quillet/quillet-hold")}) {
        const QFileInfo fi(candidate);
        if (fi.isFile() && fi.isExecutable())
            return fi.canonicalFilePath();
    }
    return {};
}

StandIns::Launch PosixLauncher::resolve(const QString& commandLine, QString* reason,
                                        LaunchFailure* failure) const
{
    LaunchFailure ignored;
    if (!failure)
        failure = &ignored;
    const QList<WinCommandLine::Candidate> candidates = WinCommandLine::programCandidates(commandLine);
    if (candidates.isEmpty()) {
        *reason = EmptyLine;
        *failure = LaunchFailure::EmptyCommand;
        return {};
    }
    const StandIns::Context context = StandIns::Context::system(m_holdProgram, m_hostFolder);
    QString standInReason;
    for (const WinCommandLine::Candidate& c : candidates) {
        const QString program = findProgram(c.program);
        if (!program.isEmpty() && !isWindowsProgram(program))
            return {program, WinCommandLine::splitArguments(c.rest), {}};
        QString why;
        StandIns::Launch standIn = StandIns::find(c.program, c.rest, context, &why);
        if (!standIn.program.isEmpty())
            return standIn;
        if (standInReason.isEmpty())
            standInReason = why;
    }
    if (!standInReason.isEmpty()) {
        *reason = standInReason;
        *failure = LaunchFailure::NotFound;
        return {};
    }
    const QFileInfo first(candidates.front().program);
    *reason = first.isFile() ? NotExecutable : NotFound;
    *failure = first.isFile() ? LaunchFailure::NotPermitted : LaunchFailure::NotFound;
    return {};
}

LaunchResult PosixLauncher::Shell(const QString& commandLine, int windowStyle)
{
    Q_UNUSED(windowStyle);
    const QString name = WinCommandLine::programCandidates(commandLine).value(0).program;
    QString reason;
    LaunchFailure failure = LaunchFailure::None;
    const StandIns::Launch r = resolve(commandLine, &reason, &failure);
    if (r.program.isEmpty())
        return {0, reason, name, failure};
    QProcess process;
    process.setProgram(r.program);
    process.setArguments(r.arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    if (!r.environment.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const QString& kv : r.environment) {
            const qsizetype eq = kv.indexOf(u'=');
            env.insert(kv.left(eq), kv.mid(eq + 1));
        }
        process.setProcessEnvironment(env);
    }
    qint64 pid = 0;
    if (!process.startDetached(&pid) || pid == 0)
        return {0, process.errorString(), name, LaunchFailure::Other};
    return {pid, {}, name, LaunchFailure::None};
}
