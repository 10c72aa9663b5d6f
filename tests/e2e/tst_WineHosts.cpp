#include "PosixLauncher.h"
#include "ProcessTree.h"
#include "TestBench.h"
#include "WineWarmer.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include <clocale>
#include <csignal>
#include <locale.h>

// Scripts run for real: the run action's command line, the real launcher and Quillet's own
// script host under Wine. The console host's terminal is a stand-in that keeps what it
// shows in a file; the GUI host's script writes a file of its own.
class tst_WineHosts : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void consoleHost_data();
    void consoleHost();
    void consoleHostError();
    void guiHost();
    void encoderUnderWine();
    void hostIsSeenStarting();
    void warmerEndsWithQuillet();

private:
    void runScript(const QString& host, const QString& script, const QString& answer);
    QTemporaryDir m_dir;
    QString m_scripts;
};

namespace {

// A file Wine writes in UTF-16 LE with its byte-order mark, as far as it is written yet.
QString utf16File(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = f.readAll();
    if (bytes.size() < 2)
        return {};
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData() + 2),
                              (bytes.size() - 2) / 2);
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// The header a new script starts with, then one line of code, in code page 932 with CR LF.
QByteArray script(const QString& mark, const QString& code)
{
    QString text;
    for (const QString& line :
         {QStringLiteral("作成者: テスト"), QStringLiteral("作成日: 2001/05/12 9:03:27")})
        text += mark + line + QStringLiteral("\r\n");
    return cp932(text + code + QStringLiteral("\r\n"));
}

} // namespace

void tst_WineHosts::initTestCase()
{
    if (QStandardPaths::findExecutable(QStringLiteral("wine")).isEmpty())
        QSKIP("Wine is not installed (apt-get install wine): the scripts cannot run for real here");
    if (!QFile::exists(QStringLiteral(QUILLET_BINARY_DIR "/libexec/quillet/cscript.exe")))
        QSKIP("Quillet's script host was not built: mingw-w64 is missing (apt-get install "
              "g++-mingw-w64-x86-64-posix)");
    QVERIFY(m_dir.isValid());
    if (locale_t l = newlocale(LC_ALL_MASK, "ja_JP.UTF-8", locale_t(nullptr)))
        freelocale(l);
    else
        QSKIP("No ja_JP.UTF-8 locale (scripts/deps adds it): the host's Japanese messages cannot show");
    // The user's own locale: the host speaks Japanese.
    qputenv("LC_ALL", "ja_JP.UTF-8");
    // One Wine prefix for every run of the suite: making one takes many seconds.
    qputenv("WINEPREFIX", QByteArray(QUILLET_BINARY_DIR) + "/wineprefix");
    qunsetenv("WINEDEBUG");
    qunsetenv("DISPLAY");

    // The terminal: runs its command with the output kept, and no key to wait for.
    const QString term = m_dir.path() + QStringLiteral("/term");
    QDir().mkpath(term);
    QVERIFY(writeFile(term + QStringLiteral("/x-terminal-emulator"),
                      "#!/bin/sh\n[ \"$1\" = -e ] && shift\n"
                      "\"$@\" > \"$0.tmp\" 2>&1 < /dev/null\nmv \"$0.tmp\" \"$0.out\"\n"));
    QFile(term + QStringLiteral("/x-terminal-emulator"))
        .setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("PATH", (term + u':' + qEnvironmentVariable("PATH")).toUtf8());

    m_scripts = m_dir.path() + QStringLiteral("/my scripts");
    QDir().mkpath(m_scripts);
    const QString echo = QStringLiteral(
        "Dim s, i: s = \"こんにちは \" & WScript.Arguments.Count: For i = 0 To WScript.Arguments.Count - 1: "
        "s = s & \" [\" & WScript.Arguments(i) & \"]\": Next: WScript.Echo s");
    QVERIFY(writeFile(m_scripts + QStringLiteral("/hello.vbs"), script(QStringLiteral("' "), echo)));
    const QString jsEcho = QStringLiteral("var s = \"こんにちは \" + WScript.Arguments.length; for (var i = "
                                          "0; i < WScript.Arguments.length; i++) "
                                          "s += \" [\" + WScript.Arguments(i) + \"]\"; WScript.Echo(s);");
    QVERIFY(writeFile(m_scripts + QStringLiteral("/hello.js"), script(QStringLiteral("// "), jsEcho)));
    const QString gui = QStringLiteral(
        "Set f = CreateObject(\"Scripting.FileSystemObject\").CreateTextFile(Replace(WScript.ScriptFullName, "
        "\".vbs\", \".out\"), True, True): f.Write \"こんにちは \" & WScript.Arguments.Count: f.Close");
    QVERIFY(writeFile(m_scripts + QStringLiteral("/gui.vbs"), script(QStringLiteral("' "), gui)));
}

void tst_WineHosts::runScript(const QString& host, const QString& scriptPath, const QString& answer)
{
    FakeServices fakes;
    PosixLauncher launcher(QStringLiteral(QUILLET_HOLD));
    TestBench bench(fakes.services(&launcher));
    bench.workbench.chooseHost(host);
    bench.workbench.selectFile(scriptPath);
    fakes.dialogs.inputAnswers = {answer};
    bench.workbench.run(Workbench::From::Button);
    // Only the input box: a failed launch would have added its message.
    QCOMPARE(fakes.dialogs.calls.size(), 1);
}

void tst_WineHosts::consoleHost_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("VBScript") << QStringLiteral("hello.vbs");
    QTest::newRow("JavaScript") << QStringLiteral("hello.js");
}

void tst_WineHosts::consoleHost()
{
    QFETCH(QString, file);
    const QString out = m_dir.path() + QStringLiteral("/term/x-terminal-emulator.out");
    QFile::remove(out);
    runScript(QStringLiteral("CSCRIPT.EXE"), m_scripts + u'/' + file, QStringLiteral("x \"a b\" $(id)"));
    QVERIFY2(QTest::qWaitFor([&] { return QFile::exists(out); }, 180000), "the console host never ended");
    QFile f(out);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray shown = f.readAll();
    // The host writes UTF-8 to anything that is not a console, whatever the locale.
    const QByteArray expected = QStringLiteral("こんにちは 3 [x] [a b] [$(id)]").toUtf8();
    QVERIFY2(shown.contains(expected), shown.constData());
    QVERIFY2(QString::fromUtf8(shown).contains(QStringLiteral("続行するには何かキーを押してください")),
             shown.constData());
}

// What the user reads in the terminal window: the error with its line, and the exit code.
void tst_WineHosts::consoleHostError()
{
    const QString out = m_dir.path() + QStringLiteral("/term/x-terminal-emulator.out");
    QFile::remove(out);
    const QString path = m_scripts + QStringLiteral("/bad.vbs");
    QVERIFY(writeFile(path, script(QStringLiteral("' "), QStringLiteral("x = 1 / 0"))));
    runScript(QStringLiteral("CSCRIPT.EXE"), path, QStringLiteral("No CommLine"));
    QVERIFY2(QTest::qWaitFor([&] { return QFile::exists(out); }, 180000), "the console host never ended");
    QFile f(out);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QString shown = QString::fromUtf8(f.readAll());
    QVERIFY2(shown.contains(path + QStringLiteral("(3, 1) VBScript 実行時エラー: 0 で除算しました。\n")),
             qPrintable(shown));
    QVERIFY2(shown.contains(QStringLiteral("プログラムは終了コード 1 で終了しました。")), qPrintable(shown));
}

void tst_WineHosts::guiHost()
{
    const QString out = m_scripts + QStringLiteral("/gui.out");
    runScript(QStringLiteral("WSCRIPT.EXE"), m_scripts + QStringLiteral("/gui.vbs"), QStringLiteral("p q"));
    const QString expected = QStringLiteral("こんにちは 2");
    QTRY_VERIFY2_WITH_TIMEOUT(utf16File(out).endsWith(expected), "the GUI host wrote nothing", 180000);
}

// No Script Encoder comes with Debian: a copy of Wine's console host stands in for one, and
// runs the source script, which writes down the arguments that the encoder was given.
void tst_WineHosts::encoderUnderWine()
{
    const QString prefixHost =
        qEnvironmentVariable("WINEPREFIX") + QStringLiteral("/drive_c/windows/system32/cscript.exe");
    QVERIFY2(QFile::exists(prefixHost), "the earlier runs made the Wine prefix");
    const QString encoder = m_dir.path() + QStringLiteral("/enc dir/screnc.exe");
    QDir().mkpath(QFileInfo(encoder).path());
    QVERIFY(QFile::copy(prefixHost, encoder));
    const QString source = m_scripts + QStringLiteral("/enc.vbs");
    QVERIFY(writeFile(
        source,
        script(QStringLiteral("' "),
               QStringLiteral("Set f = CreateObject(\"Scripting.FileSystemObject\").CreateTextFile("
                              "WScript.ScriptFullName & \".out\", True, True): "
                              "f.Write WScript.Arguments(0) & \"|\" & WScript.Arguments(1): f.Close"))));

    FakeServices fakes;
    PosixLauncher launcher(QStringLiteral(QUILLET_HOLD));
    TestBench bench(fakes.services(&launcher));
    fakes.settings.values.insert(QStringLiteral("Quillet/Option/Encoder"), encoder);
    fakes.dialogs.inputAnswers = {FakeDialogs::AcceptDefault};
    bench.workbench.selectFile(source);
    bench.workbench.encode(ScriptKind::VBScript);
    QCOMPARE(fakes.dialogs.described().value(1), QString());

    const QString out = source + QStringLiteral(".out");
    QTRY_COMPARE_WITH_TIMEOUT(
        utf16File(out), QStringLiteral("/f|") + StandIns::wineForm(source + QStringLiteral(".VBE")), 180000);
}

// The busy cursor waits for this: the GUI host's process, as Wine names it once loaded.
void tst_WineHosts::hostIsSeenStarting()
{
    const QString path = m_scripts + QStringLiteral("/sleep.vbs");
    QVERIFY(writeFile(path, script(QStringLiteral("' "), QStringLiteral("WScript.Sleep 20000"))));
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
    auto helperPids = [] {
        QList<qint64> found;
        for (qint64 pid : ProcessTree::withDescendants(QCoreApplication::applicationPid()))
            if (pid != QCoreApplication::applicationPid())
                found.append(pid);
        return found;
    };
    QList<qint64> started;
    {
        WineWarmer warmer(QStringLiteral(QUILLET_BINARY_DIR "/libexec/quillet"));
        QVERIFY(warmer.start());
        started = helperPids();
        QVERIFY(!started.isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(ProcessTree::hostUp(started.front()), 60000);
    }
    for (qint64 pid : started)
        QVERIFY2(!QFile::exists(QStringLiteral("/proc/%1").arg(pid)), "the helper outlived its owner");
}

QTEST_GUILESS_MAIN(tst_WineHosts)
#include "tst_WineHosts.moc"
