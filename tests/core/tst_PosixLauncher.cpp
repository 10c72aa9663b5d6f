#include "NativeName.h"
#include "PosixLauncher.h"
#include "ProcessTree.h"
#include "ScriptCommands.h"
#include "StandIns.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class tst_PosixLauncher : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void startsWithTheWindowsArgumentVector_data();
    void startsWithTheWindowsArgumentVector();
    void reportsWhatCannotStart_data();
    void reportsWhatCannotStart();
    void leavesNoZombie();
    void actionLinesGiveBackThePath_data();
    void actionLinesGiveBackThePath();
    void anEmptyEditorRunsNothing();
    void namesThatAreNotUtf8_data();
    void namesThatAreNotUtf8();
    void standInsGetTheWindowsLine_data();
    void standInsGetTheWindowsLine();
    void exactNameWinsOverStandIn();
    void helpViewerFallsBackToAnother();
    void missingStandInsAreReported_data();
    void missingStandInsAreReported();
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
    void usePath(const QStringList& folders);
    QString installFake(const QString& folder, const QString& name);
    QStringList waitForArgv(const QString& fakePath);
    QTemporaryDir m_dir;
    QString m_systemPath;
};

QString tst_PosixLauncher::installFake(const QString& folder, const QString& name)
{
    return FakePrograms::install(folder, name);
}

QStringList tst_PosixLauncher::waitForArgv(const QString& fakePath)
{
    return FakePrograms::waitForArgv(fakePath);
}

void tst_PosixLauncher::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(!installFake(m_dir.path() + QStringLiteral("/bin"), QStringLiteral("WSCRIPT.EXE")).isEmpty());
    QVERIFY(!installFake(m_dir.path() + QStringLiteral("/my tools"), QStringLiteral("enc")).isEmpty());
    // The stand-ins, each the first of its kind that the table looks for.
    for (const char* name : {"wine", "x-terminal-emulator", "xdg-open", "hardinfo", "quillet-help", "xchm",
                             "gnome-text-editor", "perl"})
        QVERIFY(!installFake(m_dir.path() + QStringLiteral("/standins"), QLatin1String(name)).isEmpty());
    // Where Quillet's own help viewer is missing, another one.
    QVERIFY(!installFake(m_dir.path() + QStringLiteral("/otherviewer"), QStringLiteral("xchm")).isEmpty());
    QVERIFY(!installFake(m_dir.path() + QStringLiteral("/hold"), QStringLiteral("quillet-hold")).isEmpty());
    // Quillet's script hosts and PerlScript runner, as installed beside the helper.
    for (const char* name : {"cscript.exe", "wscript.exe", "quillet-pls"})
        QVERIFY(!installFake(m_dir.path() + QStringLiteral("/host"), QLatin1String(name)).isEmpty());
    QVERIFY(!installFake(m_dir.path() + QStringLiteral("/exact"), QStringLiteral("notepad.exe")).isEmpty());
    QDir().mkpath(m_dir.path() + QStringLiteral("/empty"));
    QDir().mkpath(m_dir.path() + QStringLiteral("/enc dir"));
    QFile exe(m_dir.path() + QStringLiteral("/enc dir/screnc.exe")); // not executable: Wine's to run
    QVERIFY(exe.open(QIODevice::WriteOnly));
    // A Windows program marked executable, as every file on a FAT or NTFS mount is.
    QFile marked(m_dir.path() + QStringLiteral("/exact/marked.exe"));
    QVERIFY(marked.open(QIODevice::WriteOnly) && marked.write(QByteArray("MZ\x90\0", 4)) == 4);
    marked.close();
    marked.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QFile src(m_dir.path() + QStringLiteral("/s.vbs"));
    QVERIFY(src.open(QIODevice::WriteOnly));
    m_systemPath = qEnvironmentVariable("PATH");
}

void tst_PosixLauncher::init()
{
    usePath({m_dir.path() + QStringLiteral("/bin"), m_systemPath});
}

void tst_PosixLauncher::usePath(const QStringList& folders)
{
    qputenv("PATH", folders.join(u':').toUtf8());
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

void tst_PosixLauncher::actionLinesGiveBackThePath_data()
{
    QTest::addColumn<QString>("name"); // the chosen script's file name
    QTest::addColumn<bool>("encode");
    const QStringList names{QStringLiteral("tool.vbs\" \"readme.vbs"), QStringLiteral("a\\\" x.vbs"),
                            QStringLiteral("ends in a backslash\\"), QStringLiteral("plain name.vbs")};
    for (const QString& n : names) {
        QTest::addRow("run: %s", qPrintable(n)) << n << false;
        QTest::addRow("encode: %s", qPrintable(n)) << n << true;
    }
}

// A file name with quotes reaches the host and the encoder as that one file, never as
// arguments of its own.
void tst_PosixLauncher::actionLinesGiveBackThePath()
{
    QFETCH(QString, name);
    QFETCH(bool, encode);
    const QString path = m_dir.path() + u'/' + name;
    const QString line =
        encode ? ScriptCommand::withAnswer(
                     ScriptCommand::encode(m_dir.path() + QStringLiteral("/my tools/enc"), path),
                     ScriptCommand::encodeDefaultAnswer(path, QStringLiteral(".VBE")))
               : ScriptCommand::withAnswer(ScriptCommand::run(QStringLiteral("WSCRIPT.EXE"), path),
                                           ScriptCommand::NoCommLine);
    PosixLauncher launcher;
    const LaunchResult r = launcher.Shell(line, 1);
    QVERIFY2(r.pid > 0, qPrintable(r.reason));
    const QStringList expected =
        encode ? QStringList{path, QStringLiteral("/f"), path + QStringLiteral(".VBE")} : QStringList{path};
    const QString fake = encode ? QStringLiteral("/my tools/enc") : QStringLiteral("/bin/WSCRIPT.EXE");
    QCOMPARE(waitForArgv(m_dir.path() + fake), expected);
}

// An empty editor setting leaves a line that starts with a blank: the script after it is
// a file to open, never a program to run, even when it is marked executable.
void tst_PosixLauncher::anEmptyEditorRunsNothing()
{
    const QString script = m_dir.path() + QStringLiteral("/ran.pls");
    const QString marker = m_dir.path() + QStringLiteral("/it ran");
    QFile f(script);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QStringLiteral("#!/bin/sh\ntouch '%1'\n").arg(marker).toUtf8());
    f.close();
    f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    PosixLauncher launcher;
    const LaunchResult r = launcher.Shell(QStringLiteral(" ") + script, 1);
    QCOMPARE(r.pid, 0);
    QCOMPARE(r.reason, QStringLiteral("プログラム名がありません。"));
    QCOMPARE(r.failure, LaunchFailure::EmptyCommand);
    QTest::qWait(300);
    QVERIFY(!QFile::exists(marker));
}

void tst_PosixLauncher::namesThatAreNotUtf8_data()
{
    QTest::addColumn<QString>("host"); // the folder that holds the WSCRIPT.EXE found first
    QTest::addColumn<QString>("fake"); // what runs; empty: refused
    QTest::newRow("a program of the host's name gets the very bytes") << "bin"
                                                                      << "bin/WSCRIPT.EXE";
    QTest::newRow("Wine cannot be given the name: refused, no other file") << "standins"
                                                                           << "";
}

void tst_PosixLauncher::namesThatAreNotUtf8()
{
    QFETCH(QString, host);
    QFETCH(QString, fake);
    usePath({m_dir.path() + u'/' + host, m_systemPath});
    const QString script = NativeName::fromBytes(QFile::encodeName(m_dir.path()) + "/bad\xff.vbs");
    PosixLauncher launcher(m_dir.path() + QStringLiteral("/hold/quillet-hold"));
    const LaunchResult r =
        launcher.Shell(ScriptCommand::withAnswer(ScriptCommand::run(QStringLiteral("WSCRIPT.EXE"), script),
                                                 QStringLiteral("x")),
                       1);
    if (fake.isEmpty()) {
        QCOMPARE(r.pid, 0);
        QCOMPARE(r.reason,
                 "ファイル名の文字コードが UTF-8 ではないため、Windows のプログラムには渡せません: " +
                     m_dir.path() + "/bad\uFFFD.vbs (文字コード不明)");
        QTest::qWait(200);
        QVERIFY(!QFile::exists(m_dir.path() + QStringLiteral("/standins/wine.argv")));
    } else {
        QVERIFY2(r.pid > 0, qPrintable(r.reason));
        const QStringList argv = waitForArgv(m_dir.path() + u'/' + fake);
        QCOMPARE(argv, (QStringList{script, QStringLiteral("x")}));
        QCOMPARE(NativeName::toBytes(argv.first()), QFile::encodeName(m_dir.path()) + "/bad\xff.vbs");
    }
}

void tst_PosixLauncher::standInsGetTheWindowsLine_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("fake");
    QTest::addColumn<QStringList>("argv"); // %1: the test's folder, %2: its Wine form

    QTest::newRow("GUI host: Quillet's, the script in Wine's form, arguments as typed")
        << "WSCRIPT.EXE \"%1/my scripts/a.vbs\" /x 1"
        << "wine" << QStringList{"%1/host/wscript.exe", "%2\\my scripts\\a.vbs", "/x", "1"};
    QTest::newRow("host named in lower case") << "wscript.exe \"%1/a.vbs\""
                                              << "wine" << QStringList{"%1/host/wscript.exe", "%2\\a.vbs"};
    QTest::newRow("host switches stay, the script after them converted")
        << "WSCRIPT.EXE //B \"%1/a.vbs\" //x"
        << "wine" << QStringList{"%1/host/wscript.exe", "//B", "%2\\a.vbs", "//x"};
    QTest::newRow("script at the root") << "WSCRIPT.EXE \"//a.vbs\""
                                        << "wine" << QStringList{"%1/host/wscript.exe", "Z:\\a.vbs"};
    QTest::newRow("console host in a terminal that waits for a key")
        << "CSCRIPT.EXE \"%1/a.vbs\" -t 5"
        << "x-terminal-emulator"
        << QStringList{
               "-e", "%1/hold/quillet-hold", "%1/standins/wine", "%1/host/cscript.exe", "%2\\a.vbs", "-t",
               "5"};
    QTest::newRow("PerlScript with the GUI host: perl, the path as it is")
        << "WSCRIPT.EXE //nologo \"%1/my scripts/a.PLS\" /k:v \"a b\""
        << "perl"
        << QStringList{"%1/host/quillet-pls", "--gui", "//nologo", "%1/my scripts/a.PLS", "/k:v", "a b"};
    QTest::newRow("PerlScript with the console host, in the terminal")
        << "CSCRIPT.EXE \"%1/a.pls\""
        << "x-terminal-emulator"
        << QStringList{
               "-e",      "%1/hold/quillet-hold", "%1/standins/perl", "%1/host/quillet-pls", "--console",
               "%1/a.pls"};
    QTest::newRow("notepad takes the whole rest as one file")
        << "notepad.exe %1/my scripts/a b.vbs"
        << "gnome-text-editor" << QStringList{"%1/my scripts/a b.vbs"};
    QTest::newRow("help viewer") << "hh.exe %1/my dir/quillet.chm"
                                 << "quillet-help" << QStringList{"%1/my dir/quillet.chm"};
    QTest::newRow("help viewer at a topic")
        << "hh.exe -mapid 230 %1/quillet.chm"
        << "quillet-help" << QStringList{"-mapid", "230", "%1/quillet.chm"};
    QTest::newRow("system information by full path") << "/opt/Common Files/MSInfo/MSINFO32.EXE"
                                                     << "hardinfo" << QStringList{};
    QTest::newRow("web page") << "rundll32.exe shdocvw.dll,OpenURL https://quillet.example.org/"
                              << "xdg-open" << QStringList{"https://quillet.example.org/"};
    QTest::newRow("bare mail address") << "rundll32.exe shdocvw.dll,OpenURL quillet@example.org"
                                       << "xdg-open" << QStringList{"mailto:quillet@example.org"};
    QTest::newRow("any other .exe under Wine, paths in Wine's form, switches not")
        << "\"%1/enc dir/screnc.exe\" \"%1/s.vbs\" /f \"%1/s.vbs.VBE\""
        << "wine" << QStringList{"%1/enc dir/screnc.exe", "%2\\s.vbs", "/f", "%2\\s.vbs.VBE"};
}

void tst_PosixLauncher::standInsGetTheWindowsLine()
{
    QFETCH(QString, line);
    QFETCH(QString, fake);
    QFETCH(QStringList, argv);
    const QString dir = m_dir.path();
    const QString wineDir = StandIns::wineForm(dir);
    for (QString& a : argv)
        a = a.replace(QStringLiteral("%1"), dir).replace(QStringLiteral("%2"), wineDir);
    usePath({dir + QStringLiteral("/standins"), QStringLiteral("/usr/bin"), QStringLiteral("/bin")});
    PosixLauncher launcher(dir + QStringLiteral("/hold/quillet-hold"), dir + QStringLiteral("/host"));
    const LaunchResult r = launcher.Shell(line.replace(QStringLiteral("%1"), dir), 1);
    QVERIFY2(r.pid > 0, qPrintable(r.reason));
    QCOMPARE(waitForArgv(dir + QStringLiteral("/standins/") + fake), argv);
}

void tst_PosixLauncher::helpViewerFallsBackToAnother()
{
    usePath(
        {m_dir.path() + QStringLiteral("/otherviewer"), QStringLiteral("/usr/bin"), QStringLiteral("/bin")});
    PosixLauncher launcher;
    QVERIFY(
        launcher
            .Shell(QStringLiteral("hh.exe -mapid 230 ") + m_dir.path() + QStringLiteral("/quillet.chm"), 1)
            .pid > 0);
    QCOMPARE(waitForArgv(m_dir.path() + QStringLiteral("/otherviewer/xchm")),
             (QStringList{"--contextid=230", m_dir.path() + QStringLiteral("/quillet.chm")}));
}

void tst_PosixLauncher::exactNameWinsOverStandIn()
{
    usePath({m_dir.path() + QStringLiteral("/exact"), m_dir.path() + QStringLiteral("/standins"),
             QStringLiteral("/usr/bin"), QStringLiteral("/bin")});
    PosixLauncher launcher;
    QVERIFY(launcher.Shell(QStringLiteral("notepad.exe /a b.vbs"), 1).pid > 0);
    QCOMPARE(waitForArgv(m_dir.path() + QStringLiteral("/exact/notepad.exe")), (QStringList{"/a", "b.vbs"}));
}

void tst_PosixLauncher::missingStandInsAreReported_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("path");   // folders under the test's folder
    QTest::addColumn<QString>("reason"); // a part of it
    QTest::newRow("no Wine for the GUI host") << "WSCRIPT.EXE \"/a.vbs\""
                                              << "empty"
                                              << "(wine)";
    QTest::newRow("no terminal for the console host") << "CSCRIPT.EXE \"/a.vbs\""
                                                      << "bin"
                                                      << "(wine)";
    QTest::newRow("no editor and no Wine") << "notepad.exe /a.vbs"
                                           << "empty"
                                           << "gedit";
    QTest::newRow("no address to open") << "rundll32.exe shdocvw.dll,OpenURL "
                                        << "standins"
                                        << "アドレス";
    QTest::newRow("an .exe that is nowhere") << "zz-no-such.exe /x"
                                             << "standins"
                                             << "見つかりません";
    QTest::newRow("an .exe path that is not there") << "\"/nowhere/screnc.exe\" a"
                                                    << "standins"
                                                    << "見つかりません";
    QTest::newRow("no perl for PerlScript") << "WSCRIPT.EXE \"/a.pls\""
                                            << "empty"
                                            << "(perl)";
}

void tst_PosixLauncher::missingStandInsAreReported()
{
    QFETCH(QString, line);
    QFETCH(QString, path);
    QFETCH(QString, reason);
    usePath({m_dir.path() + u'/' + path});
    PosixLauncher launcher(m_dir.path() + QStringLiteral("/hold/quillet-hold"),
                           m_dir.path() + QStringLiteral("/host"));
    const LaunchResult r = launcher.Shell(line, 1);
    QCOMPARE(r.pid, 0);
    QVERIFY2(r.reason.contains(reason), qPrintable(r.reason));
    QVERIFY(!r.program.isEmpty());
}

void tst_PosixLauncher::wineEnvironment_data()
{
    QTest::addColumn<QString>("japanese");
    QTest::addColumn<QString>("current");
    QTest::addColumn<bool>("userSetWine");
    QTest::addColumn<QStringList>("env");
    const QStringList quiet{"WINEDEBUG=-all", "WINEDLLOVERRIDES=mscoree,mshtml="};
    QTest::newRow("Japanese locale installed: the user's language passed on")
        << "ja_JP.UTF-8"
        << "C.UTF-8" << false << quiet + QStringList{"LC_ALL=ja_JP.UTF-8", "QUILLET_LANG=C.UTF-8"};
    QTest::newRow("already Japanese") << "ja_JP.UTF-8"
                                      << "ja_JP.UTF-8" << false << quiet;
    QTest::newRow("none installed") << QString() << "en_US.UTF-8" << false << quiet;
    QTest::newRow("the user's Wine settings stay") << QString() << "C" << true << QStringList{};
}

void tst_PosixLauncher::wineEnvironment()
{
    QFETCH(QString, japanese);
    QFETCH(QString, current);
    QFETCH(bool, userSetWine);
    QFETCH(QStringList, env);
    usePath({m_dir.path() + QStringLiteral("/standins")});
    StandIns::Context c;
    c.hostFolder = m_dir.path() + QStringLiteral("/host");
    c.japaneseLocale = japanese;
    c.currentLocale = current;
    c.hasWineDebug = c.hasWineDllOverrides = userSetWine;
    QString reason;
    QCOMPARE(
        StandIns::find(QStringLiteral("WSCRIPT.EXE"), QStringLiteral("\"/a.vbs\""), c, &reason).environment,
        env);
}

void tst_PosixLauncher::holdKeepsTheWindowUntilAKey_data()
{
    QTest::addColumn<QStringList>("command");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<QString>("status"); // what the window says of the exit code, if anything
    QTest::newRow("output, then the prompt")
        << QStringList{"/bin/echo", "a b", "$(id)"} << 0 << QByteArray("a b $(id)\n") << QString();
    QTest::newRow("the program's exit code")
        << QStringList{"/bin/false"} << 1 << QByteArray() << "プログラムは終了コード 1 で終了しました。";
    QTest::newRow("a program that cannot start") << QStringList{"/nonexistent/prog"} << 127 << QByteArray()
                                                 << "プログラムは終了コード 127 で終了しました。";
}

void tst_PosixLauncher::holdKeepsTheWindowUntilAKey()
{
    QFETCH(QStringList, command);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, output);
    QFETCH(QString, status);
    QProcess p;
    p.setProgram(QStringLiteral(QUILLET_HOLD));
    p.setArguments(command);
    p.start();
    QVERIFY(p.waitForStarted());
    QTest::qWait(300);
    QCOMPARE(p.state(), QProcess::Running); // still waiting for the key
    p.write("k");
    p.closeWriteChannel();
    QVERIFY(p.waitForFinished(5000));
    QCOMPARE(p.exitCode(), exitCode);
    const QByteArray out = p.readAllStandardOutput();
    QVERIFY2(out.startsWith(output), out.constData());
    QCOMPARE(QString::fromUtf8(out).contains(QStringLiteral("終了コード")), !status.isEmpty());
    if (!status.isEmpty())
        QVERIFY2(QString::fromUtf8(out).contains(QStringLiteral("\n") + status + QStringLiteral("\n")),
                 out.constData());
    QVERIFY(QString::fromUtf8(out).contains(QStringLiteral("続行するには何かキーを押してください")));
}

void tst_PosixLauncher::wineLoaderPastTheWrapper_data()
{
    QTest::addColumn<QString>("path");     // folders under the test's folder
    QTest::addColumn<QString>("expected"); // %1: the test's folder
    QTest::newRow("Debian's wrapper: the 64-bit loader it names") << "wrapper"
                                                                  << "%1/loader/wine64";
    QTest::newRow("wine64 on PATH") << "own:wrapper"
                                    << "%1/own/wine64";
    QTest::newRow("some other wine: itself") << "standins"
                                             << "%1/standins/wine";
    QTest::newRow("no Wine") << "empty"
                             << "";
}

void tst_PosixLauncher::wineLoaderPastTheWrapper()
{
    QFETCH(QString, path);
    QFETCH(QString, expected);
    const QString dir = m_dir.path();
    QVERIFY(!installFake(dir + QStringLiteral("/loader"), QStringLiteral("wine64")).isEmpty());
    QVERIFY(!installFake(dir + QStringLiteral("/own"), QStringLiteral("wine64")).isEmpty());
    QFile wrapper(dir + QStringLiteral("/wrapper/wine"));
    QDir().mkpath(dir + QStringLiteral("/wrapper"));
    QVERIFY(wrapper.open(QIODevice::WriteOnly));
    wrapper.write("#!/bin/sh -e\n\nwine32=/usr/lib/wine/wine\nwine64=" + dir.toUtf8() +
                  "/loader/wine64\n\nwine32_hint () {\n    echo \"it looks like wine32 is missing\"\n}\n");
    wrapper.close();
    wrapper.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QStringList folders;
    for (const QString& p : path.split(u':'))
        folders << dir + u'/' + p;
    usePath(folders);
    QCOMPARE(StandIns::findWineLoader(), expected.isEmpty() ? QString() : expected.arg(dir));
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
    QFETCH(bool, started);
    QCOMPARE(ProcessTree::looksStarted(cmdline.toUtf8().replace('|', '\0')), started);
}

// The console host runs two levels below the terminal that Quillet starts.
void tst_PosixLauncher::processTreeFindsGrandchildren()
{
    QProcess p;
    p.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("sleep 30 & sleep 30 & wait")});
    QVERIFY(p.waitForStarted());
    QTRY_COMPARE(ProcessTree::withDescendants(p.processId()).size(), 3);
    QVERIFY(!ProcessTree::hostUp(p.processId()));
    p.kill();
    p.waitForFinished();
    QVERIFY(ProcessTree::hostUp(p.processId())); // gone: nothing left to wait for
}

QTEST_GUILESS_MAIN(tst_PosixLauncher)
#include "tst_PosixLauncher.moc"
