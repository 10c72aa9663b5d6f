#include "PosixLauncher.h"

#include "WinCommandLine.h"

#include "Installed.h"
#include "NativeName.h"
#include "PosixFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

const QString EmptyLine = QStringLiteral("コマンドラインが空です。");
const QString NoProgram = QStringLiteral("プログラム名がありません。");
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
    const QString libexec = Installed::libexecFolder();
    for (const QString& candidate : {libexec, QCoreApplication::applicationDirPath()}) {
        if (QFileInfo(candidate + QStringLiteral("/cscript.exe")).isFile())
            return QFileInfo(candidate).canonicalFilePath();
    }
    return QFileInfo(libexec).absoluteFilePath();
}

QString PosixLauncher::defaultHoldProgram()
{
    const QString dir = QCoreApplication::applicationDirPath();
    for (const QString& candidate : {dir + QStringLiteral("/quillet-hold"),
                                     Installed::libexecFolder() + QStringLiteral("/quillet-hold")}) {
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
        *reason = commandLine.trimmed().isEmpty() ? EmptyLine : NoProgram;
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

namespace {

QString spawnFailure(int error)
{
    return error == ENOENT ? NotFound : error == EACCES ? NotExecutable : PosixFile::reason(error);
}

// Starts `program` as a process of its own: a child starts it and ends at once, so that
// it is adopted by init and never left for us to reap. Every string goes over as bytes,
// so a file whose name is not UTF-8 is the very file the program gets. Between fork and
// exec only async-signal-safe calls are made; everything is built before.
qint64 spawnDetached(const StandIns::Launch& launch, QString* reason)
{
    std::vector<QByteArray> strings;
    strings.push_back(NativeName::toBytes(launch.program));
    for (const QString& a : launch.arguments)
        strings.push_back(NativeName::toBytes(a));
    const size_t argc = strings.size();
    QList<QByteArray> overridden;
    for (const QString& kv : launch.environment) {
        strings.push_back(kv.toUtf8());
        overridden.append(kv.left(kv.indexOf(u'=') + 1).toUtf8());
    }
    std::vector<char*> argv, envp;
    for (size_t i = 0; i < argc; ++i)
        argv.push_back(strings[i].data());
    argv.push_back(nullptr);
    for (char** e = environ; e && *e; ++e) {
        bool replaced = false;
        for (const QByteArray& name : overridden)
            replaced = replaced || std::strncmp(*e, name.constData(), size_t(name.size())) == 0;
        if (!replaced)
            envp.push_back(*e);
    }
    for (size_t i = argc; i < strings.size(); ++i)
        envp.push_back(strings[i].data());
    envp.push_back(nullptr);

    int pidPipe[2], errorPipe[2];
    if (::pipe2(pidPipe, O_CLOEXEC) != 0) {
        *reason = PosixFile::reason(errno);
        return 0;
    }
    if (::pipe2(errorPipe, O_CLOEXEC) != 0) {
        *reason = PosixFile::reason(errno);
        ::close(pidPipe[0]);
        ::close(pidPipe[1]);
        return 0;
    }
    const int nullInput = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    const pid_t child = ::fork();
    if (child == 0) {
        const pid_t grandchild = ::fork();
        if (grandchild == 0) {
            ::setsid();
            if (nullInput >= 0)
                ::dup2(nullInput, STDIN_FILENO);
            sigset_t none;
            ::sigemptyset(&none);
            ::sigprocmask(SIG_SETMASK, &none, nullptr);
            ::signal(SIGPIPE, SIG_DFL);
            ::execve(argv[0], argv.data(), envp.data());
            const int error = errno;
            [[maybe_unused]] const ssize_t n = ::write(errorPipe[1], &error, sizeof error);
            ::_exit(127);
        }
        const qint64 pid = grandchild;
        [[maybe_unused]] const ssize_t n = ::write(pidPipe[1], &pid, sizeof pid);
        ::_exit(0);
    }
    const int forkError = errno;
    ::close(pidPipe[1]);
    ::close(errorPipe[1]);
    if (nullInput >= 0)
        ::close(nullInput);
    qint64 pid = 0;
    int execError = 0;
    if (child > 0) {
        int status = 0;
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        if (::read(pidPipe[0], &pid, sizeof pid) != sizeof pid)
            pid = 0;
        // Closed by a successful exec; holds the error of a failed one.
        ssize_t n;
        while ((n = ::read(errorPipe[0], &execError, sizeof execError)) < 0 && errno == EINTR) {
        }
        if (n != sizeof execError)
            execError = 0;
    }
    ::close(pidPipe[0]);
    ::close(errorPipe[0]);
    if (child < 0) {
        *reason = PosixFile::reason(forkError);
        return 0;
    }
    if (pid <= 0 || execError != 0) {
        *reason = spawnFailure(execError ? execError : ECHILD);
        return 0;
    }
    return pid;
}

} // namespace

LaunchResult PosixLauncher::Shell(const QString& commandLine, int windowStyle)
{
    Q_UNUSED(windowStyle);
    const QString name = WinCommandLine::programCandidates(commandLine).value(0).program;
    QString reason;
    LaunchFailure failure = LaunchFailure::None;
    const StandIns::Launch r = resolve(commandLine, &reason, &failure);
    if (r.program.isEmpty())
        return {0, reason, name, failure};
    const qint64 pid = spawnDetached(r, &reason);
    if (pid == 0)
        return {0, reason, name, LaunchFailure::Other};
    return {pid, {}, name, LaunchFailure::None};
}
