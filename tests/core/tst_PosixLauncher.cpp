#include "PosixLauncher.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// A fake program on PATH that writes its argument vector, NUL-separated, next to itself.
class tst_PosixLauncher : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void startsWithTheWindowsArgumentVector_data();
    void startsWithTheWindowsArgumentVector();
    void reportsWhatCannotStart_data();
    void reportsWhatCannotStart();
    void leavesNoZombie();

private:
    QString installFake(const QString& folder, const QString& name);
    QStringList waitForArgv(const QString& fakePath);
    QTemporaryDir m_dir;
};

QString tst_PosixLauncher::installFake(const QString& folder, const QString& name)
{
    QDir().mkpath(folder);
    const QString path = folder + u'/' + name;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return {};
    f.write("#!/bin/sh\nprintf '%s\\0' \"$@\" > \"$0.argv.tmp\" && mv \"$0.argv.tmp\" \"$0.argv\"\n");
    f.close();
    f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return path;
}

QStringList tst_PosixLauncher::waitForArgv(const QString& fakePath)
{
    QFile out(fakePath + QStringLiteral(".argv"));
    if (!QTest::qWaitFor([&] { return out.exists(); }, 10000))
        return {QStringLiteral("<no output>")};
    if (!out.open(QIODevice::ReadOnly))
        return {QStringLiteral("<unreadable>")};
    QByteArray bytes = out.readAll();
    out.remove();
    QStringList argv;
    for (const QByteArray& part : bytes.split('\0'))
        argv.append(QString::fromUtf8(part));
    argv.removeLast(); // after the last NUL
    return argv;
}

void tst_PosixLauncher::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(!installFake(m_dir.path() + QStringLiteral("/bin"), QStringLiteral("WSCRIPT.EXE")).isEmpty());
    QVERIFY(!installFake(m_dir.path() + QStringLiteral("/my tools"), QStringLiteral("enc")).isEmpty());
    qputenv("PATH", (m_dir.path() + QStringLiteral("/bin:") + qEnvironmentVariable("PATH")).toUtf8());
}

void tst_PosixLauncher::startsWithTheWindowsArgumentVector_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("fake");
    QTest::addColumn<QStringList>("argv");
    QTest::newRow("host with quoted script")
        << QStringLiteral("WSCRIPT.EXE \"/tmp/my scripts/a.vbs\" x y") << QStringLiteral("bin/WSCRIPT.EXE")
        << QStringList{"/tmp/my scripts/a.vbs", "x", "y"};
    QTest::newRow("shell syntax stays text")
        << QStringLiteral("WSCRIPT.EXE \"a.vbs\" ; rm -rf ~ $(id) `x` | > out && echo")
        << QStringLiteral("bin/WSCRIPT.EXE")
        << QStringList{"a.vbs", ";", "rm", "-rf", "~", "$(id)", "`x`", "|", ">", "out", "&&", "echo"};
    QTest::newRow("empty argument kept")
        << QStringLiteral("WSCRIPT.EXE \"\" b") << QStringLiteral("bin/WSCRIPT.EXE") << QStringList{"", "b"};
    QTest::newRow("unquoted program path with a blank")
        << QStringLiteral("%1/my tools/enc \"a b.vbs\"") << QStringLiteral("my tools/enc")
        << QStringList{"a b.vbs"};
}

void tst_PosixLauncher::startsWithTheWindowsArgumentVector()
{
    QFETCH(QString, line);
    QFETCH(QString, fake);
    QFETCH(QStringList, argv);
    PosixLauncher launcher;
    const LaunchResult r =
        launcher.Shell(line.contains(QStringLiteral("%1")) ? line.arg(m_dir.path()) : line, 1);
    QVERIFY2(r.pid > 0, qPrintable(r.reason));
    QCOMPARE(waitForArgv(m_dir.path() + u'/' + fake), argv);
}

void tst_PosixLauncher::reportsWhatCannotStart_data()
{
    QTest::addColumn<QString>("line");
    QTest::newRow("empty") << QString();
    QTest::newRow("blank") << QStringLiteral(" ");
    QTest::newRow("unknown program") << QStringLiteral("no-such-program-q7 a");
    QTest::newRow("not executable") << QStringLiteral("/etc/hostname");
    QTest::newRow("a folder") << QStringLiteral("/tmp");
}

void tst_PosixLauncher::reportsWhatCannotStart()
{
    QFETCH(QString, line);
    PosixLauncher launcher;
    const LaunchResult r = launcher.Shell(line, 1);
    QCOMPARE(r.pid, 0);
    QVERIFY(!r.reason.isEmpty());
}

void tst_PosixLauncher::leavesNoZombie()
{
    PosixLauncher launcher;
    QVERIFY(launcher.Shell(QStringLiteral("WSCRIPT.EXE z"), 1).pid > 0);
    waitForArgv(m_dir.path() + QStringLiteral("/bin/WSCRIPT.EXE"));
    QTest::qWait(200);
    const QString self = QString::number(QCoreApplication::applicationPid());
    const QStringList procs = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString& p : procs) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(p));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1 && fields[1] == self.toLatin1())
            QVERIFY2(fields[0] != "Z", qPrintable(QStringLiteral("zombie child ") + p));
    }
}

QTEST_GUILESS_MAIN(tst_PosixLauncher)
#include "tst_PosixLauncher.moc"
