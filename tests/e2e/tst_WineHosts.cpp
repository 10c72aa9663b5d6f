#include "PosixLauncher.h"
#include "ProcessTree.h"
#include "TestBench.h"
#include "TestFiles.h"
#include "WineWarmer.h"

#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <locale.h>

// Scripts run for real: the run action, the real launcher and Quillet's own script host under Wine. The
// terminal is a stand-in that keeps what it shows in a file; the GUI host's boxes go to a file too.
class tst_WineHosts : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void hosts_data();
    void hosts();
    void hostIsSeenStarting();
    void warmerEndsWithQuillet();

private:
    QTemporaryDir m_dir;
    QString m_scripts;
};

namespace {

// The header a new script starts with, then one line of code, in code page 932 with CR LF.
QByteArray script(const QString& code)
{
    return cp932(QStringLiteral("' 作成者: テスト\r\n' 作成日: 2001/05/12 9:03:27\r\n") + code +
                 QStringLiteral("\r\n"));
}

} // namespace

void tst_WineHosts::initTestCase()
{
    if (QStandardPaths::findExecutable(QStringLiteral("wine")).isEmpty() ||
        !QFile::exists(QStringLiteral(QUILLET_BINARY_DIR "/libexec/quillet/cscript.exe")))
        QSKIP("Wine or the script host is missing (apt-get install wine g++-mingw-w64-x86-64-posix)");
    QVERIFY(m_dir.isValid());
    locale_t l = newlocale(LC_ALL_MASK, "ja_JP.UTF-8", locale_t(nullptr));
    if (!l)
        QSKIP("No ja_JP.UTF-8 locale (scripts/deps adds it): the host's Japanese messages cannot show");
    freelocale(l);
    qputenv("LC_ALL", "ja_JP.UTF-8"); // the user's own locale: the host speaks Japanese
    qputenv("WINEPREFIX", QByteArray(QUILLET_BINARY_DIR) + "/wineprefix"); // one for all: making one is slow
    for (const char* v : {"WINEDEBUG", "DISPLAY"})
        qunsetenv(v);
    const QString shown = m_dir.path() + QStringLiteral("/shown");
    qputenv("QUILLET_HOST_BOXES", QFile::encodeName(shown));
    // The terminal runs its command with no key to wait for. What it shows, the GUI host's boxes and what
    // the encoder was given all land in one file.
    const QString term = m_dir.path() + QStringLiteral("/term/x-terminal-emulator");
    QVERIFY(writeFile(term, "#!/bin/sh\n[ \"$1\" = -e ] && shift\n"
                            "\"$@\" > \"$0.tmp\" 2>&1 < /dev/null\nmv \"$0.tmp\" \"$QUILLET_HOST_BOXES\"\n"));
    QFile::setPermissions(term, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("PATH", (QFileInfo(term).path() + u':' + qEnvironmentVariable("PATH")).toUtf8());
    m_scripts = m_dir.path() + QStringLiteral("/my scripts");
    for (const auto& [name, code] : std::initializer_list<std::pair<const char*, QString>>{
             {"hello.vbs",
              "Dim s, i: s = \"こんにちは \" & WScript.Arguments.Count: For i = 0 To WScript.Arguments.Count "
              "- 1: s = s & \" [\" & WScript.Arguments(i) & \"]\": Next: WScript.Echo s"},
             {"bad.vbs", "x = 1 / 0"},
             {"enc.vbs", "Set f = CreateObject(\"Scripting.FileSystemObject\").CreateTextFile(\"" +
                             StandIns::wineForm(shown) +
                             "\", True): f.Write WScript.Arguments(0) & \"|\" & "
                             "WScript.Arguments(1): f.Close"}})
        QVERIFY(writeFile(m_scripts + u'/' + QLatin1String(name), script(code)));
}

// What the user reads in the terminal window or the GUI host's boxes: the output, or the error with its
// line and the exit code. No Script Encoder comes with Debian: a copy of Wine's console host stands in
// for one, and runs the source script, which writes down the arguments that the encoder was given.
void tst_WineHosts::hosts_data()
{
    QTest::addColumn<QStringList>("run"); // the host (none: the encoder), the script, the answer
    QTest::addColumn<QStringList>("shown");
    const QString key = QStringLiteral("続行するには何かキーを押してください");
    // The host writes UTF-8 to anything that is not a console, whatever the locale.
    QTest::newRow("console host") << QStringList{"CSCRIPT.EXE", "hello.vbs", "x \"a b\" $(id)"}
                                  << QStringList{"こんにちは 3 [x] [a b] [$(id)]", key};
    QTest::newRow("an error in the console host")
        << QStringList{"CSCRIPT.EXE", "bad.vbs", "No CommLine"}
        << QStringList{m_scripts + "/bad.vbs(3, 1) VBScript 実行時エラー: 0 で除算しました。\n",
                       "プログラムは終了コード 1 で終了しました。", key};
    QTest::newRow("GUI host") << QStringList{"WSCRIPT.EXE", "hello.vbs", "p q"}
                              << QStringList{"Windows Script Host\nこんにちは 2 [p] [q]\n\f\n"};
    QTest::newRow("encoder") << QStringList{"", "enc.vbs", FakeDialogs::AcceptDefault}
                             << QStringList{"/f|" + StandIns::wineForm(m_scripts + "/enc.vbs.VBE")};
}

void tst_WineHosts::hosts()
{
    QFETCH(QStringList, run);
    QFETCH(QStringList, shown);
    const QString out = qEnvironmentVariable("QUILLET_HOST_BOXES");
    QFile::remove(out);
    FakeServices fakes;
    PosixLauncher launcher(QStringLiteral(QUILLET_HOLD));
    TestBench bench(fakes.services(&launcher));
    bench.workbench.selectFile(m_scripts + u'/' + run[1]);
    fakes.dialogs.inputAnswers = {run[2]};
    if (run[0].isEmpty()) {
        const QString encoder = m_scripts + QStringLiteral("/screnc.exe");
        QFile::copy(qEnvironmentVariable("WINEPREFIX") +
                        QStringLiteral("/drive_c/windows/system32/cscript.exe"),
                    encoder); // the earlier runs made the Wine prefix
        fakes.settings.values.insert(QStringLiteral("Quillet/Option/Encoder"), encoder);
        bench.workbench.encode(ScriptKind::VBScript);
    } else {
        bench.workbench.chooseHost(run[0]);
        bench.workbench.run(Workbench::From::Button);
    }
    // Only the input box: a failed launch would have added its message.
    QCOMPARE(fakes.dialogs.calls.size(), 1);
    for (const QString& piece : shown)
        QTRY_VERIFY2_WITH_TIMEOUT(QString::fromUtf8(bytesOf(out)).contains(piece), bytesOf(out).constData(),
                                  180000);
}

// The busy cursor waits for this: the GUI host's process, as Wine names it once loaded.
void tst_WineHosts::hostIsSeenStarting()
{
    const QString path = m_scripts + QStringLiteral("/sleep.vbs");
    QVERIFY(writeFile(path, script(QStringLiteral("WScript.Sleep 20000"))));
    PosixLauncher launcher(QStringLiteral(QUILLET_HOLD));
    const LaunchResult r = launcher.Shell(QStringLiteral("WSCRIPT.EXE \"%1\"").arg(path), 1);
    QVERIFY2(r.pid > 0, qPrintable(r.reason));
    QTRY_VERIFY_WITH_TIMEOUT(ProcessTree::hostUp(r.pid), 60000);
    QVERIFY(QFile::exists(QStringLiteral("/proc/%1").arg(r.pid))); // up, not ended
    ::kill(static_cast<pid_t>(r.pid), SIGKILL);
}

// The helper that keeps Wine started ends with Quillet and leaves no process behind.
void tst_WineHosts::warmerEndsWithQuillet()
{
    QList<qint64> started;
    {
        WineWarmer warmer(QStringLiteral(QUILLET_BINARY_DIR "/libexec/quillet"));
        QVERIFY(warmer.start());
        started = ProcessTree::withDescendants(QCoreApplication::applicationPid());
        started.removeAll(QCoreApplication::applicationPid());
        QVERIFY(!started.isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(ProcessTree::hostUp(started.front()), 60000);
    }
    for (qint64 pid : started)
        QVERIFY2(!QFile::exists(QStringLiteral("/proc/%1").arg(pid)), "the helper outlived its owner");
}

QTEST_GUILESS_MAIN(tst_WineHosts)
#include "tst_WineHosts.moc"
