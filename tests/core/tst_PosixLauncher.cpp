#include "NativeName.h"
#include "PosixLauncher.h"
#include "ProcessTree.h"
#include "ScriptCommands.h"
#include "StandIns.h"
#include "TestFiles.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <csignal>

class tst_PosixLauncher : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void launches_data();
    void launches();
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
    void desktopProgramsInTheirOrder_data();
    void desktopProgramsInTheirOrder();

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
        return path.split(u':').replaceInStrings(QRegularExpression(QStringLiteral("^(?!/)")),
                                                 m_dir.path() + u'/');
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
    // Stand-ins, each the first of its kind looked for; Quillet's hosts as installed beside the helper.
    const QString fakes = QStringLiteral(
        "bin/WSCRIPT.EXE,my tools/enc,standins/wine,standins/x-terminal-emulator,standins/xdg-open,"
        "standins/hardinfo,standins/quillet-help,standins/xchm,standins/gnome-text-editor,standins/perl,"
        "otherviewer/xchm,hold/quillet-hold,host/cscript.exe,host/wscript.exe,host/quillet-pls,"
        "exact/notepad.exe,loader/wine64,own/wine64");
    for (const QString& f : fakes.split(u','))
        QVERIFY(!FakePrograms::install(dir + u'/' + f.section(u'/', 0, -2), f.section(u'/', -1)).isEmpty());
    // A program not executable, Wine's to run; an empty folder; Wine's own programs, nowhere on PATH.
    QVERIFY(writeFile(dir + "/enc dir/screnc.exe", {}) && writeFile(dir + "/empty/.keep", {}) &&
            writeFile(dir + "/prefix/drive_c/windows/system32/Regedit.EXE", "MZ"));
    qputenv("WINEPREFIX", QFile::encodeName(dir + QStringLiteral("/prefix")));
    // Records what a launched program inherits: the user's environment, and no blocked signal.
    QVERIFY(program(dir + QStringLiteral("/bin/probe"),
                    "#!/bin/sh\nprintf '%s\\0' \"$QUILLET_PROBE\" \"$(grep SigBlk /proc/self/status)\" > "
                    "\"$0.argv.tmp\"\nmv \"$0.argv.tmp\" \"$0.argv\"\n"));
    qputenv("QUILLET_PROBE", "inherited");
    sigset_t usr2{};
    sigaddset(&usr2, SIGUSR2);
    QCOMPARE(pthread_sigmask(SIG_BLOCK, &usr2, nullptr), 0);
    // A script marked executable, which an empty editor setting must not run.
    QVERIFY(program(dir + QStringLiteral("/ran.pls"), "#!/bin/sh\ntouch \"$0.ran\"\n"));
    // Debian's wine wrapper, which names the 64-bit loader.
    QVERIFY(program(dir + "/wrapper/wine",
                    "#!/bin/sh -e\nwine32=/usr/lib/wine/wine\nwine64=" + dir.toUtf8() + "/loader/wine64\n"));
}

void tst_PosixLauncher::launches_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("path"); // what PATH holds; by default the fake's folder
    QTest::addColumn<QString>("fake"); // what runs
    QTest::addColumn<QStringList>("argv");
    auto row = [](const QString& line, const QString& fake, const QStringList& argv,
                  const QString& path = {}) {
        QTest::newRow(qPrintable(line))
            << line << (path.isEmpty() ? fake.section(u'/', 0, -2) : path) << fake << argv;
    };
    using namespace ScriptCommand;
    const QString W = QStringLiteral("bin/WSCRIPT.EXE"), wine = QStringLiteral("standins/wine");
    const QString term = QStringLiteral("standins/x-terminal-emulator"),
                  ws = QStringLiteral("%1/host/wscript.exe");
    const QString hold = QStringLiteral("%1/hold/quillet-hold"), pls = QStringLiteral("%1/host/quillet-pls");
    row("WSCRIPT.EXE \"/tmp/my scripts/a.vbs\" x y", W, {"/tmp/my scripts/a.vbs", "x", "y"});
    row("WSCRIPT.EXE \"a.vbs\" ; rm -rf ~ $(id) `x` | > out && echo", W,
        {"a.vbs", ";", "rm", "-rf", "~", "$(id)", "`x`", "|", ">", "out", "&&", "echo"});
    row("WSCRIPT.EXE \"\" b", W, {"", "b"});
    row("%1/my tools/enc \"a b.vbs\"", "my tools/enc", {"a b.vbs"}, "bin");
    row("probe", "bin/probe", {"inherited", "SigBlk:\t0000000000000000"}); // no signal blocked
    const QString bad = NativeName::fromBytes("%1/bad\xff.vbs");
    row(withAnswer(run("WSCRIPT.EXE", bad), "x"), W, {bad, "x"});
    // A file name with quotes reaches the host and the encoder as that one file.
    for (const char* n : {"tool.vbs\" \"readme.vbs", "a\\\" x.vbs", "ends in a backslash\\"}) {
        const QString path = QStringLiteral("%1/") + QString::fromUtf8(n);
        row(withAnswer(run("WSCRIPT.EXE", path), NoCommLine), W, {path});
        row(withAnswer(encode("%1/my tools/enc", path), encodeDefaultAnswer(path, ".VBE")), "my tools/enc",
            {path, "/f", path + ".VBE"}, "bin");
    }
    // Quillet's hosts under Wine: the script in Wine's form, switches as typed.
    row("WSCRIPT.EXE \"%1/my scripts/a.vbs\" /x 1", wine, {ws, "%2\\my scripts\\a.vbs", "/x", "1"});
    row("wscript.exe \"%1/a.vbs\"", wine, {ws, "%2\\a.vbs"});
    row("WSCRIPT.EXE //B \"%1/a.vbs\" //x", wine, {ws, "//B", "%2\\a.vbs", "//x"});
    row("WSCRIPT.EXE \"//a.vbs\"", wine, {ws, "Z:\\a.vbs"});
    row("CSCRIPT.EXE \"%1/a.vbs\" -t 5", term,
        {"-e", hold, "%1/standins/wine", "%1/host/cscript.exe", "%2\\a.vbs", "-t", "5"});
    // PerlScript: perl, the path as it is.
    row("WSCRIPT.EXE //nologo \"%1/my scripts/a.PLS\" /k:v \"a b\"", "standins/perl",
        {pls, "--gui", "//nologo", "%1/my scripts/a.PLS", "/k:v", "a b"});
    row("CSCRIPT.EXE \"%1/a.pls\"", term, {"-e", hold, "%1/standins/perl", pls, "--console", "%1/a.pls"});
    row("notepad.exe %1/my scripts/a b.vbs", "standins/gnome-text-editor", {"%1/my scripts/a b.vbs"});
    row("notepad.exe /a b.vbs", "exact/notepad.exe", {"/a", "b.vbs"},
        "exact:standins"); // the exact name wins
    row("hh.exe -mapid 230 %1/my dir/quillet.chm", "standins/quillet-help",
        {"-mapid", "230", "%1/my dir/quillet.chm"});
    row("hh.exe -mapid 230 %1/quillet.chm", "otherviewer/xchm", {"--contextid=230", "%1/quillet.chm"});
    row("/opt/Common Files/MSInfo/MSINFO32.EXE", "standins/hardinfo", {});
    row("rundll32.exe shdocvw.dll,OpenURL https://quillet.example.org/", "standins/xdg-open",
        {"https://quillet.example.org/"});
    row("rundll32.exe shdocvw.dll,OpenURL quillet@example.org", "standins/xdg-open",
        {"mailto:quillet@example.org"});
    row("\"%1/enc dir/screnc.exe\" \"%1/s.vbs\" /f \"%1/s.vbs.VBE\"", wine,
        {"%1/enc dir/screnc.exe", "%2\\s.vbs", "/f", "%2\\s.vbs.VBE"});
    row("regedit.exe /s", wine, {"regedit.exe", "/s"});

    // Refusals: no program runs, the reason contains the text given.
    auto refused = [](const char* name, const QString& line, const char* path, const QString& reason) {
        QTest::newRow(name) << line << path << QString() << QStringList{reason};
    };
    refused("blank", " ", "bin", "コマンドラインが空です。");
    refused("unknown program", "no-such-program-q7 a", "bin", "プログラムが見つかりません。");
    refused("not executable", "/etc/hostname", "bin", "実行できる形式のファイルではありません。");
    refused("a folder", "/tmp", "bin", "プログラムが見つかりません。");
    // An empty editor setting: the script is a file to open, never a program to run.
    refused("a line that starts with a blank", " %1/ran.pls", "bin", "プログラム名がありません。");
    refused("no Wine for the GUI host", "WSCRIPT.EXE \"/a.vbs\"", "empty", "(wine)");
    refused("no terminal for the console host", "CSCRIPT.EXE \"/a.vbs\"", "bin", "(wine)");
    refused("no editor and no Wine", "notepad.exe /a.vbs", "empty", "gedit");
    refused("no address to open", "rundll32.exe shdocvw.dll,OpenURL ", "standins", "アドレス");
    refused("an .exe that is nowhere, nor in Wine", "zz-no-such.exe /x", "standins", "見つかりません");
    refused("an .exe path that is not there", "\"/nowhere/screnc.exe\" a", "standins", "見つかりません");
    refused("no perl for PerlScript", "WSCRIPT.EXE \"/a.pls\"", "empty", "(perl)");
    refused(
        "not UTF-8, for Wine", withAnswer(run("WSCRIPT.EXE", bad), "x"), "standins",
        "ファイル名の文字コードが UTF-8 ではないため、Windows のプログラムには渡せません: %1/bad\uFFFD.vbs "
        "(文字コード不明)");
}

void tst_PosixLauncher::launches()
{
    QFETCH(QString, line);
    QFETCH(QString, path);
    QFETCH(QString, fake);
    QFETCH(QStringList, argv);
    for (QString& a : argv)
        a = expand(a);
    const SearchPath searchPath(folders(fake.isEmpty() ? path : path + ":/usr/bin:/bin")); // fakes need mv
    PosixLauncher launcher(expand(QStringLiteral("%1/hold/quillet-hold")), expand(QStringLiteral("%1/host")));
    const LaunchResult r = launcher.Shell(expand(line), 1);
    if (!fake.isEmpty()) {
        QVERIFY2(r.pid > 0, qPrintable(r.reason));
        QCOMPARE(FakePrograms::waitForArgv(m_dir.path() + u'/' + fake), argv);
        return;
    }
    QCOMPARE(r.pid, 0);
    QVERIFY2(r.reason.contains(argv.value(0)), qPrintable(r.reason));
    QTest::qWait(100);
    QCOMPARE(QDir(m_dir.path() + "/standins").entryList({"*.argv"}), QStringList());
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
        const QList<QByteArray> stat = bytesOf("/proc/" + p + "/stat").split(')').last().split(' ');
        QVERIFY2(stat.value(2) != self || stat.value(1) != "Z", qPrintable("zombie child " + p));
    }
}

void tst_PosixLauncher::wineEnvironment_data()
{
    QTest::addColumn<QString>("japanese");
    QTest::addColumn<bool>("userSetWine");
    QTest::addColumn<QString>("current");
    QTest::addColumn<QStringList>("env");
    const QStringList quiet{"WINEDEBUG=-all", "WINEDLLOVERRIDES=mscoree,mshtml="};
    QTest::newRow("Japanese installed: the user's language passed on")
        << "ja_JP.UTF-8" << false << "C.UTF-8"
        << quiet + QStringList{"LC_ALL=ja_JP.UTF-8", "QUILLET_LANG=C.UTF-8"};
    QTest::newRow("already Japanese") << "ja_JP.UTF-8" << false << "ja_JP.UTF-8" << quiet;
    QTest::newRow("none installed") << "" << false << "en_US.UTF-8" << quiet;
    QTest::newRow("the user's Wine settings stay") << "" << true << "C" << QStringList();
}

void tst_PosixLauncher::wineEnvironment()
{
    QFETCH(QString, japanese);
    QFETCH(QString, current);
    QFETCH(bool, userSetWine);
    const SearchPath searchPath(folders(QStringLiteral("standins")));
    const StandIns::Context c{{},         m_dir.path() + "/host", {}, {}, japanese, current, userSetWine,
                              userSetWine};
    QString reason;
    QTEST(StandIns::find(QStringLiteral("WSCRIPT.EXE"), QStringLiteral("\"/a.vbs\""), c, &reason).environment,
          "env");
}

void tst_PosixLauncher::holdKeepsTheWindowUntilAKey_data()
{
    QTest::addColumn<QStringList>("command");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("output"); // the program's own
    QTest::newRow("output, then the prompt")
        << QStringList{"/bin/echo", "a b", "$(id)"} << 0 << "a b $(id)\n";
    QTest::newRow("the program's exit code") << QStringList{"/bin/false"} << 1 << QString();
    QTest::newRow("a program that cannot start") << QStringList{"/nonexistent/prog"} << 127 << QString();
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
    const QString ended =
        p.exitCode() ? QStringLiteral("プログラムは終了コード %1 で終了しました。\n").arg(p.exitCode()) : "";
    QCOMPARE(QString::fromUtf8(p.readAllStandardOutput()),
             output + "\n" + ended + "続行するには何かキーを押してください . . . \n");
}

void tst_PosixLauncher::wineLoaderPastTheWrapper_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");
    QTest::newRow("Debian's wrapper: the loader it names") << "wrapper" << QStringLiteral("%1/loader/wine64");
    QTest::newRow("wine64 on PATH") << "own:wrapper" << QStringLiteral("%1/own/wine64");
    QTest::newRow("some other wine: itself") << "standins" << QStringLiteral("%1/standins/wine");
    QTest::newRow("no Wine") << "empty" << QString();
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

// The first of the desktop's programs that is installed, whatever PATH's order: each name with
// what its command line starts with.
void tst_PosixLauncher::desktopProgramsInTheirOrder_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("programs");
    const QString editors =
        QStringLiteral("gnome-text-editor gedit kate kwrite mousepad pluma xed featherpad leafpad geany");
    QTest::newRow("editors") << "notepad.exe /a.vbs"
                             << editors.split(u' ').replaceInStrings(QRegularExpression("$"), " /a.vbs");
    QTest::newRow("terminals") << "CSCRIPT.EXE /a.pls"
                               << QStringList{"x-terminal-emulator -e", "xterm -T",
                                              "gnome-terminal --",      "konsole -e",
                                              "xfce4-terminal -x",      "mate-terminal -x"};
}

void tst_PosixLauncher::desktopProgramsInTheirOrder()
{
    QFETCH(QString, line);
    QFETCH(QStringList, programs);
    QStringList path{FakePrograms::install(m_dir.path() + "/desktop/perl", "perl").section(u'/', 0, -2)};
    for (const QString& p : programs) {
        const QString name = p.section(u' ', 0, 0);
        path.prepend(FakePrograms::install(m_dir.path() + "/desktop/" + name, name).section(u'/', 0, -2));
    }
    StandIns::Context c;
    c.holdProgram = m_dir.path() + QStringLiteral("/hold/quillet-hold");
    c.hostFolder = m_dir.path() + QStringLiteral("/host");
    for (const QString& p : programs) {
        const SearchPath searchPath(path);
        QString reason;
        const StandIns::Launch l =
            StandIns::find(line.section(u' ', 0, 0), line.section(u' ', 1), c, &reason);
        QCOMPARE(l.program.section(u'/', -1) + u' ' + l.arguments.value(0), p);
        path.removeAt(path.size() - 2);
    }
}

QTEST_GUILESS_MAIN(tst_PosixLauncher)
#include "tst_PosixLauncher.moc"
