#include "NativeName.h"
#include "PosixLauncher.h"
#include "ProcessTree.h"
#include "ScriptCommands.h"
#include "StandIns.h"
#include "TestFiles.h"

#include <QProcess>
#include <QTemporaryDir>

#include <csignal>

class tst_PosixLauncher : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void launches_data();
    void launches();
    void refusals_data();
    void refusals();
    void leavesNoZombie();
    void wineEnvironment_data();
    void wineEnvironment();
    void holdKeepsTheWindowUntilAKey_data();
    void holdKeepsTheWindowUntilAKey();
    void wineLoaderPastTheWrapper_data();
    void wineLoaderPastTheWrapper();
    void hostLooksStarted_data();
    void hostLooksStarted();
    void processTreeFindsGrandchildren();

private:
    // "%1" in `s` as the test's folder, "%2" as Wine's name for it.
    QString expand(QString s) const
    {
        return s.replace(QStringLiteral("%1"), m_dir.path())
            .replace(QStringLiteral("%2"), StandIns::wineForm(m_dir.path()));
    }
    // Folders ":"-separated, relative ones under the test's folder.
    QStringList folders(const QString& path) const
    {
        QStringList out;
        for (const QString& p : path.split(u':'))
            out << (p.startsWith(u'/') ? p : m_dir.path() + u'/' + p);
        return out;
    }
    QTemporaryDir m_dir;
};

void tst_PosixLauncher::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const QString dir = m_dir.path();
    auto program = [](const QString& path, const QByteArray& text) {
        return writeFile(path, text) &&
               QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    };
    // The stand-ins, each the first of its kind that the table looks for; Quillet's script hosts
    // and PerlScript runner as installed beside the helper; another help viewer; one exact name.
    const QString fakes = QStringLiteral(
        "bin/WSCRIPT.EXE,my tools/enc,standins/wine,standins/x-terminal-emulator,standins/xdg-open,"
        "standins/hardinfo,standins/quillet-help,standins/xchm,standins/gnome-text-editor,standins/perl,"
        "otherviewer/xchm,hold/quillet-hold,host/cscript.exe,host/wscript.exe,host/quillet-pls,"
        "exact/notepad.exe,loader/wine64,own/wine64");
    for (const QString& f : fakes.split(u','))
        QVERIFY(!FakePrograms::install(dir + u'/' + f.section(u'/', 0, -2), f.section(u'/', -1)).isEmpty());
    QVERIFY(writeFile(dir + QStringLiteral("/enc dir/screnc.exe"), {})); // not executable: Wine's to run
    QVERIFY(writeFile(dir + QStringLiteral("/empty/.keep"), {}));
    // Wine's own programs, which are nowhere on PATH.
    QVERIFY(writeFile(dir + QStringLiteral("/prefix/drive_c/windows/system32/Regedit.EXE"), "MZ"));
    qputenv("WINEPREFIX", QFile::encodeName(dir + QStringLiteral("/prefix")));
    // Records what a launched program inherits: the user's environment, and no blocked signal.
    QVERIFY(program(dir + QStringLiteral("/bin/probe"),
                    "#!/bin/sh\nprintf '%s\\0' \"$QUILLET_PROBE\" \"$(grep SigBlk /proc/self/status)\" > "
                    "\"$0.argv.tmp\"\nmv \"$0.argv.tmp\" \"$0.argv\"\n"));
    qputenv("QUILLET_PROBE", "inherited");
    sigset_t usr2;
    sigemptyset(&usr2);
    sigaddset(&usr2, SIGUSR2);
    QCOMPARE(pthread_sigmask(SIG_BLOCK, &usr2, nullptr), 0);
    // A script marked executable, which an empty editor setting must not run.
    QVERIFY(program(dir + QStringLiteral("/ran.pls"), "#!/bin/sh\ntouch \"$0.ran\"\n"));
    // Debian's wine wrapper, which names the 64-bit loader.
    QVERIFY(
        program(dir + QStringLiteral("/wrapper/wine"),
                "#!/bin/sh -e\n\nwine32=/usr/lib/wine/wine\nwine64=" + dir.toUtf8() +
                    "/loader/wine64\n\nwine32_hint () {\n    echo \"it looks like wine32 is missing\"\n}\n"));
}

void tst_PosixLauncher::launches_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("path"); // what PATH holds
    QTest::addColumn<QString>("fake"); // what runs
    QTest::addColumn<QStringList>("argv");
    auto row = [&](const char* name, const QString& line, const QString& path, const char* fake,
                   const QStringList& argv) {
        QTest::newRow(name) << line << path << QString::fromUtf8(fake) << argv;
    };
    row("a program on PATH: the Windows argument vector", "WSCRIPT.EXE \"/tmp/my scripts/a.vbs\" x y", "bin",
        "bin/WSCRIPT.EXE", {"/tmp/my scripts/a.vbs", "x", "y"});
    row("shell syntax stays text", "WSCRIPT.EXE \"a.vbs\" ; rm -rf ~ $(id) `x` | > out && echo", "bin",
        "bin/WSCRIPT.EXE", {"a.vbs", ";", "rm", "-rf", "~", "$(id)", "`x`", "|", ">", "out", "&&", "echo"});
    row("empty argument kept", "WSCRIPT.EXE \"\" b", "bin", "bin/WSCRIPT.EXE", {"", "b"});
    row("unquoted program path with a blank", "%1/my tools/enc \"a b.vbs\"", "bin", "my tools/enc",
        {"a b.vbs"});
    row("the user's environment, no signal blocked", "probe", "bin", "bin/probe",
        {"inherited", "SigBlk:\t0000000000000000"});
    const QString bad = NativeName::fromBytes("%1/bad\xff.vbs");
    row("a name that is not UTF-8: the very bytes",
        ScriptCommand::withAnswer(ScriptCommand::run(QStringLiteral("WSCRIPT.EXE"), bad),
                                  QStringLiteral("x")),
        "bin", "bin/WSCRIPT.EXE", {bad, "x"});
    // A file name with quotes reaches the host and the encoder as that one file.
    for (const char* n : {"tool.vbs\" \"readme.vbs", "a\\\" x.vbs", "ends in a backslash\\"}) {
        const QString path = QStringLiteral("%1/") + QString::fromUtf8(n);
        row(("run: " + QByteArray(n)).constData(),
            ScriptCommand::withAnswer(ScriptCommand::run(QStringLiteral("WSCRIPT.EXE"), path),
                                      ScriptCommand::NoCommLine),
            "bin", "bin/WSCRIPT.EXE", {path});
        row(("encode: " + QByteArray(n)).constData(),
            ScriptCommand::withAnswer(ScriptCommand::encode(QStringLiteral("%1/my tools/enc"), path),
                                      ScriptCommand::encodeDefaultAnswer(path, QStringLiteral(".VBE"))),
            "bin", "my tools/enc", {path, "/f", path + ".VBE"});
    }
    const QString s = QStringLiteral("standins");
    row("GUI host: Quillet's, the script in Wine's form, arguments as typed",
        "WSCRIPT.EXE \"%1/my scripts/a.vbs\" /x 1", s, "standins/wine",
        {"%1/host/wscript.exe", "%2\\my scripts\\a.vbs", "/x", "1"});
    row("host named in lower case", "wscript.exe \"%1/a.vbs\"", s, "standins/wine",
        {"%1/host/wscript.exe", "%2\\a.vbs"});
    row("host switches stay, the script after them converted", "WSCRIPT.EXE //B \"%1/a.vbs\" //x", s,
        "standins/wine", {"%1/host/wscript.exe", "//B", "%2\\a.vbs", "//x"});
    row("script at the root", "WSCRIPT.EXE \"//a.vbs\"", s, "standins/wine",
        {"%1/host/wscript.exe", "Z:\\a.vbs"});
    row("console host in a terminal that waits for a key", "CSCRIPT.EXE \"%1/a.vbs\" -t 5", s,
        "standins/x-terminal-emulator",
        {"-e", "%1/hold/quillet-hold", "%1/standins/wine", "%1/host/cscript.exe", "%2\\a.vbs", "-t", "5"});
    row("PerlScript with the GUI host: perl, the path as it is",
        "WSCRIPT.EXE //nologo \"%1/my scripts/a.PLS\" /k:v \"a b\"", s, "standins/perl",
        {"%1/host/quillet-pls", "--gui", "//nologo", "%1/my scripts/a.PLS", "/k:v", "a b"});
    row("PerlScript with the console host, in the terminal", "CSCRIPT.EXE \"%1/a.pls\"", s,
        "standins/x-terminal-emulator",
        {"-e", "%1/hold/quillet-hold", "%1/standins/perl", "%1/host/quillet-pls", "--console", "%1/a.pls"});
    row("notepad takes the whole rest as one file", "notepad.exe %1/my scripts/a b.vbs", s,
        "standins/gnome-text-editor", {"%1/my scripts/a b.vbs"});
    row("an exact name wins over the stand-in", "notepad.exe /a b.vbs", "exact:" + s, "exact/notepad.exe",
        {"/a", "b.vbs"});
    row("help viewer at a topic", "hh.exe -mapid 230 %1/my dir/quillet.chm", s, "standins/quillet-help",
        {"-mapid", "230", "%1/my dir/quillet.chm"});
    row("another help viewer at a topic", "hh.exe -mapid 230 %1/quillet.chm", "otherviewer",
        "otherviewer/xchm", {"--contextid=230", "%1/quillet.chm"});
    row("system information by full path", "/opt/Common Files/MSInfo/MSINFO32.EXE", s, "standins/hardinfo",
        {});
    row("web page", "rundll32.exe shdocvw.dll,OpenURL https://quillet.example.org/", s, "standins/xdg-open",
        {"https://quillet.example.org/"});
    row("bare mail address", "rundll32.exe shdocvw.dll,OpenURL quillet@example.org", s, "standins/xdg-open",
        {"mailto:quillet@example.org"});
    row("any other .exe under Wine, paths in Wine's form, switches not",
        "\"%1/enc dir/screnc.exe\" \"%1/s.vbs\" /f \"%1/s.vbs.VBE\"", s, "standins/wine",
        {"%1/enc dir/screnc.exe", "%2\\s.vbs", "/f", "%2\\s.vbs.VBE"});
    row("a program of Wine's own", "regedit.exe /s", s, "standins/wine", {"regedit.exe", "/s"});
}

void tst_PosixLauncher::launches()
{
    QFETCH(QString, line);
    QFETCH(QString, path);
    QFETCH(QString, fake);
    QFETCH(QStringList, argv);
    for (QString& a : argv)
        a = expand(a);
    const SearchPath searchPath(folders(path + QStringLiteral(":/usr/bin:/bin"))); // the fakes need mv
    PosixLauncher launcher(expand(QStringLiteral("%1/hold/quillet-hold")), expand(QStringLiteral("%1/host")));
    const LaunchResult r = launcher.Shell(expand(line), 1);
    QVERIFY2(r.pid > 0, qPrintable(r.reason));
    QCOMPARE(FakePrograms::waitForArgv(m_dir.path() + u'/' + fake), argv);
}

void tst_PosixLauncher::refusals_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("reason"); // a part of it
    auto row = [](const char* name, const QString& line, const char* path, const QString& reason) {
        QTest::newRow(name) << line << path << reason;
    };
    row("blank", " ", "bin", "コマンドラインが空です。");
    row("unknown program", "no-such-program-q7 a", "bin", "プログラムが見つかりません。");
    row("not executable", "/etc/hostname", "bin", "実行できる形式のファイルではありません。");
    row("a folder", "/tmp", "bin", "プログラムが見つかりません。");
    // An empty editor setting: the script is a file to open, never a program to run.
    row("a line that starts with a blank", " %1/ran.pls", "bin", "プログラム名がありません。");
    row("no Wine for the GUI host", "WSCRIPT.EXE \"/a.vbs\"", "empty", "(wine)");
    row("no terminal for the console host", "CSCRIPT.EXE \"/a.vbs\"", "bin", "(wine)");
    row("no editor and no Wine", "notepad.exe /a.vbs", "empty", "gedit");
    row("no address to open", "rundll32.exe shdocvw.dll,OpenURL ", "standins", "アドレス");
    row("an .exe that is nowhere, nor in Wine", "zz-no-such.exe /x", "standins", "見つかりません");
    row("an .exe path that is not there", "\"/nowhere/screnc.exe\" a", "standins", "見つかりません");
    row("no perl for PerlScript", "WSCRIPT.EXE \"/a.pls\"", "empty", "(perl)");
    row("a name that is not UTF-8 cannot be given to Wine",
        ScriptCommand::withAnswer(
            ScriptCommand::run(QStringLiteral("WSCRIPT.EXE"), NativeName::fromBytes("%1/bad\xff.vbs")),
            QStringLiteral("x")),
        "standins",
        "ファイル名の文字コードが UTF-8 ではないため、Windows のプログラムには渡せません: %1/bad\uFFFD.vbs "
        "(文字コード不明)");
}

void tst_PosixLauncher::refusals()
{
    QFETCH(QString, line);
    QFETCH(QString, path);
    QFETCH(QString, reason);
    const SearchPath searchPath(folders(path));
    PosixLauncher launcher(expand(QStringLiteral("%1/hold/quillet-hold")), expand(QStringLiteral("%1/host")));
    const LaunchResult r = launcher.Shell(expand(line), 1);
    QCOMPARE(r.pid, 0);
    QVERIFY2(r.reason.contains(expand(reason)), qPrintable(r.reason));
    QTest::qWait(100);
    QCOMPARE(QDir(m_dir.path() + QStringLiteral("/standins")).entryList({QStringLiteral("*.argv")}),
             QStringList());
    QVERIFY(!QFile::exists(m_dir.path() + QStringLiteral("/ran.pls.ran")));
}

void tst_PosixLauncher::leavesNoZombie()
{
    const SearchPath searchPath(folders(QStringLiteral("bin:/usr/bin:/bin")));
    PosixLauncher launcher;
    QVERIFY(launcher.Shell(QStringLiteral("WSCRIPT.EXE z"), 1).pid > 0);
    FakePrograms::waitForArgv(m_dir.path() + QStringLiteral("/bin/WSCRIPT.EXE"));
    QTest::qWait(200);
    const QByteArray self = QByteArray::number(QCoreApplication::applicationPid());
    for (const QString& p : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        const QByteArray stat = bytesOf(QStringLiteral("/proc/%1/stat").arg(p));
        const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1 && fields[1] == self)
            QVERIFY2(fields[0] != "Z", qPrintable(QStringLiteral("zombie child ") + p));
    }
}

void tst_PosixLauncher::wineEnvironment_data()
{
    QTest::addColumn<QString>("japanese");
    QTest::addColumn<QString>("current");
    QTest::addColumn<bool>("userSetWine");
    QTest::addColumn<QStringList>("env");
    const QStringList quiet{"WINEDEBUG=-all", "WINEDLLOVERRIDES=mscoree,mshtml="};
    auto row = [](const char* name, const char* japanese, const char* current, bool user,
                  const QStringList& env) {
        QTest::newRow(name) << QString::fromUtf8(japanese) << QString::fromUtf8(current) << user << env;
    };
    row("Japanese locale installed: the user's language passed on", "ja_JP.UTF-8", "C.UTF-8", false,
        quiet + QStringList{"LC_ALL=ja_JP.UTF-8", "QUILLET_LANG=C.UTF-8"});
    row("already Japanese", "ja_JP.UTF-8", "ja_JP.UTF-8", false, quiet);
    row("none installed", "", "en_US.UTF-8", false, quiet);
    row("the user's Wine settings stay", "", "C", true, {});
}

void tst_PosixLauncher::wineEnvironment()
{
    QFETCH(bool, userSetWine);
    const SearchPath searchPath(folders(QStringLiteral("standins")));
    StandIns::Context c;
    c.hostFolder = m_dir.path() + QStringLiteral("/host");
    QFETCH(QString, japanese);
    c.japaneseLocale = japanese;
    QFETCH(QString, current);
    c.currentLocale = current;
    c.hasWineDebug = c.hasWineDllOverrides = userSetWine;
    QString reason;
    QTEST(StandIns::find(QStringLiteral("WSCRIPT.EXE"), QStringLiteral("\"/a.vbs\""), c, &reason).environment,
          "env");
}

void tst_PosixLauncher::holdKeepsTheWindowUntilAKey_data()
{
    QTest::addColumn<QStringList>("command");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("output"); // before the prompt
    QTest::newRow("output, then the prompt")
        << QStringList{"/bin/echo", "a b", "$(id)"} << 0 << "a b $(id)\n";
    QTest::newRow("the program's exit code")
        << QStringList{"/bin/false"} << 1 << "\nプログラムは終了コード 1 で終了しました。\n";
    QTest::newRow("a program that cannot start")
        << QStringList{"/nonexistent/prog"} << 127 << "\nプログラムは終了コード 127 で終了しました。\n";
}

void tst_PosixLauncher::holdKeepsTheWindowUntilAKey()
{
    QFETCH(QStringList, command);
    QFETCH(QString, output);
    QProcess p;
    p.start(QStringLiteral(QUILLET_HOLD), command);
    QVERIFY(p.waitForStarted());
    QTest::qWait(300);
    QCOMPARE(p.state(), QProcess::Running); // still waiting for the key
    p.write("k");
    p.closeWriteChannel();
    QVERIFY(p.waitForFinished(5000));
    QTEST(p.exitCode(), "exitCode");
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    QVERIFY2(out.contains(output), qPrintable(out));
    QCOMPARE(out.count(QStringLiteral("終了コード")), output.count(QStringLiteral("終了コード")));
    QVERIFY(out.contains(QStringLiteral("続行するには何かキーを押してください")));
}

void tst_PosixLauncher::wineLoaderPastTheWrapper_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");
    auto row = [](const char* name, const char* path, const char* loader) {
        QTest::newRow(name) << QString::fromUtf8(path) << QString::fromUtf8(loader);
    };
    row("Debian's wrapper: the 64-bit loader it names", "wrapper", "%1/loader/wine64");
    row("wine64 on PATH", "own:wrapper", "%1/own/wine64");
    row("some other wine: itself", "standins", "%1/standins/wine");
    row("no Wine", "empty", "");
}

void tst_PosixLauncher::wineLoaderPastTheWrapper()
{
    QFETCH(QString, path);
    QFETCH(QString, expected);
    const SearchPath searchPath(folders(path));
    QCOMPARE(StandIns::findWineLoader(), expand(expected));
}

void tst_PosixLauncher::hostLooksStarted_data()
{
    QTest::addColumn<QString>("cmdline"); // "|" for the NULs between the arguments
    QTest::addColumn<bool>("started");
    QTest::newRow("Wine's loader, before it loaded the host")
        << "/usr/lib/wine/wine64|/usr/libexec/quillet/wscript.exe|Z:\\a.vbs|" << false;
    QTest::newRow("the host, once Wine loaded it") << "/usr/libexec/quillet/wscript.exe|Z:\\a.vbs|" << true;
    QTest::newRow("a program Wine names in its own form") << "C:\\windows\\system32\\CSCRIPT.EXE|" << true;
    QTest::newRow("the PerlScript runner") << "/usr/bin/perl|/usr/libexec/quillet/quillet-pls|--gui|" << true;
    QTest::newRow("a terminal") << "/usr/bin/xterm|-e|" << false;
    QTest::newRow("nothing") << "" << false;
}

void tst_PosixLauncher::hostLooksStarted()
{
    QFETCH(QString, cmdline);
    QTEST(ProcessTree::looksStarted(cmdline.toUtf8().replace('|', '\0')), "started");
}

// The console host runs two levels below the terminal that Quillet starts.
void tst_PosixLauncher::processTreeFindsGrandchildren()
{
    QProcess p;
    p.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("sleep 30 & sleep 30 & wait")});
    QVERIFY(p.waitForStarted());
    const qint64 pid = p.processId(); // 0 once it is gone
    QTRY_COMPARE(ProcessTree::withDescendants(pid).size(), 3);
    QVERIFY(!ProcessTree::hostUp(pid));
    p.kill();
    p.waitForFinished();
    QVERIFY(ProcessTree::hostUp(pid)); // gone: nothing left to wait for
}

QTEST_GUILESS_MAIN(tst_PosixLauncher)
#include "tst_PosixLauncher.moc"
