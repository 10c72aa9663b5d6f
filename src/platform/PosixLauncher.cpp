#include "PosixLauncher.h"

#include "WinCommandLine.h"

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

} // namespace

PosixLauncher::Resolved PosixLauncher::resolve(const QString& commandLine, QString* reason)
{
    const QList<WinCommandLine::Candidate> candidates = WinCommandLine::programCandidates(commandLine);
    if (candidates.isEmpty()) {
        *reason = EmptyLine;
        return {};
    }
    for (const WinCommandLine::Candidate& c : candidates) {
        const QString program = findProgram(c.program);
        if (!program.isEmpty())
            return {program, WinCommandLine::splitArguments(c.rest)};
    }
    const QFileInfo first(candidates.front().program);
    *reason = first.isFile() ? NotExecutable : NotFound;
    return {};
}

LaunchResult PosixLauncher::Shell(const QString& commandLine, int windowStyle)
{
    Q_UNUSED(windowStyle);
    QString reason;
    const Resolved r = resolve(commandLine, &reason);
    if (r.program.isEmpty())
        return {0, reason};
    qint64 pid = 0;
    QProcess process;
    process.setProgram(r.program);
    process.setArguments(r.arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    if (!process.startDetached(&pid) || pid == 0)
        return {0, process.errorString()};
    return {pid, {}};
}
