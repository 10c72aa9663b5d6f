#include "Fakes.h"
#include "PosixLauncher.h"
#include "RegFileRegistry.h"
#include "TestFiles.h"
#include "frmAbout.h"
#include "frmAboutTexts.h"
#include "mdlUtils.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace T = frmAboutText;

// The two registry readers with their own conventions, the web helpers, and the About box's
// links and system information, each box and launch in the order a user meets them.
class tst_Registry : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void getKeyValue_data();
    void getKeyValue();
    void webOpen_data();
    void webOpen();
    void sysInfo_data();
    void sysInfo();
    void links_data();
    void links();
    void userFileBeforeShippedOne_data();
    void userFileBeforeShippedOne();
    void shippedFileDoesTheRealJob();

private:
    FakeServices m_fakes;
};

namespace {
const QString Key = QStringLiteral("Software\\Quillet");
RegValue bytes(quint32 type, const QByteArray& data)
{
    return {type, data};
}
QString webError(int n, const QString& description)
{
    return QStringLiteral("MsgBox|16|mdlUtils.webOpen|エラー %1: %2").arg(n).arg(description);
}
} // namespace

void tst_Registry::init()
{
    m_fakes = {};
}

void tst_Registry::getKeyValue_data()
{
    QTest::addColumn<bool>("present");
    QTest::addColumn<RegValue>("value");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("box");
    const QByteArray nul(2, '\0');
    QTest::newRow("missing: empty, no box") << false << RegValue{} << QString() << QString();
    QTest::newRow("string without its NUL")
        << true << FakeRegistry::string("xdg-open") << "xdg-open" << QString();
    QTest::newRow("stored without a NUL at all")
        << true << bytes(1, QByteArray("a\0b\0", 4)) << "ab" << QString();
    QTest::newRow("cut at the first NUL")
        << true << bytes(1, QByteArray("a\0\0\0b\0\0\0", 8)) << "a" << QString();
    QTest::newRow("expandable string, unexpanded")
        << true << FakeRegistry::string("%SystemRoot%\\x", 2) << "%SystemRoot%\\x" << QString();
    QTest::newRow("through code page 932") << true << FakeRegistry::string("メモ帳") << "メモ帳" << QString();
    QTest::newRow("a character code page 932 lacks")
        << true << FakeRegistry::string("한") << "?" << QString();
    QTest::newRow("binary: empty") << true << bytes(3, "abc") << QString() << QString();
    QTest::newRow("number 0") << true << bytes(4, QByteArray(4, '\0')) << "&h0" << QString();
    QTest::newRow("number 4096") << true << bytes(4, QByteArray("\0\x10\0\0", 4)) << "&h1000" << QString();
    QTest::newRow("number 255") << true << bytes(4, QByteArray("\xff\0\0\0", 4)) << "&hFF" << QString();
    QTest::newRow("1024 characters and the NUL: too long")
        << true << FakeRegistry::string(QString(1024, u'x')) << QString() << QString();
    QTest::newRow("1023 characters and the NUL fit")
        << true << FakeRegistry::string(QString(1023, u'x')) << QString(1023, u'x') << QString();
    QTest::newRow("a full buffer with no NUL: the error box")
        << true << bytes(3, QByteArray(1024, 'x')) << QString()
        << "MsgBox|16|mdlUtils.GetKeyValue|エラー 5: プロシージャの呼び出し、または引数が不正です。";
}

void tst_Registry::getKeyValue()
{
    QFETCH(bool, present);
    QFETCH(RegValue, value);
    QFETCH(QString, text);
    QFETCH(QString, box);
    if (present)
        m_fakes.registry.set(RegRoot::LocalMachine, Key, QStringLiteral("v"), value);
    QCOMPARE(mdlUtils::GetKeyValue(m_fakes.registry, m_fakes.dialogs, RegRoot::LocalMachine, Key,
                                   QStringLiteral("v")),
             text);
    QCOMPARE(m_fakes.dialogs.described(), box.isEmpty() ? QStringList{} : QStringList{box});
}

void tst_Registry::webOpen_data()
{
    QTest::addColumn<QString>("documentClass"); // empty: no ".htm" association
    QTest::addColumn<QString>("command");
    QTest::addColumn<LaunchFailure>("failure");
    QTest::addColumn<QStringList>("launched");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<bool>("result");
    const QString url = QStringLiteral("https://quillet.example.org/");
    QTest::newRow("the stored command, a blank, the address")
        << "htmlfile"
        << "\"/opt/My Browser/browser\" -nohome %1" << LaunchFailure::None
        << QStringList{"1|\"/opt/My Browser/browser\" -nohome %1 " + url} << QStringList{} << true;
    QTest::newRow("no association: a blank and the address, which cannot start")
        << QString() << QString() << LaunchFailure::NotFound << QStringList{"1| " + url}
        << QStringList{webError(53, "ファイルが見つかりません。")} << false;
    QTest::newRow("a command that may not run")
        << "htmlfile"
        << "/etc/hostname" << LaunchFailure::NotPermitted << QStringList{"1|/etc/hostname " + url}
        << QStringList{webError(70, "書き込みできません。")} << false;
}

void tst_Registry::webOpen()
{
    QFETCH(QString, documentClass);
    QFETCH(QString, command);
    QFETCH(LaunchFailure, failure);
    QFETCH(QStringList, launched);
    QFETCH(QStringList, boxes);
    QFETCH(bool, result);
    if (!documentClass.isEmpty()) {
        m_fakes.registry.set(RegRoot::ClassesRoot, ".htm", "", FakeRegistry::string(documentClass));
        m_fakes.registry.set(RegRoot::ClassesRoot, documentClass + "\\shell\\open\\command", "",
                             FakeRegistry::string(command));
    }
    if (failure != LaunchFailure::None)
        m_fakes.launcher.result = {0, QStringLiteral("x"), QStringLiteral("x"), failure};
    QCOMPARE(mdlUtils::webOpen(m_fakes.registry, m_fakes.dialogs, m_fakes.launcher,
                               QStringLiteral("https://quillet.example.org/")),
             result);
    QCOMPARE(m_fakes.launcher.lines, launched);
    QCOMPARE(m_fakes.dialogs.described(), boxes);
}

void tst_Registry::sysInfo_data()
{
    QTest::addColumn<QString>("location1"); // "<none>": absent; "<expand>": an expandable string
    QTest::addColumn<QString>("location2"); // %1: a folder of the test's
    QTest::addColumn<bool>("folderHasProgram");
    QTest::addColumn<bool>("launchWorks");
    QTest::addColumn<QStringList>("launched");
    QTest::addColumn<bool>("message");
    QTest::newRow("location 1, taken as it is")
        << "/nowhere/msinfo"
        << "<none>" << false << true << QStringList{"1|/nowhere/msinfo"} << false;
    QTest::newRow("location 1, whose launch fails")
        << "/nowhere/msinfo"
        << "<none>" << false << false << QStringList{"1|/nowhere/msinfo"} << true;
    QTest::newRow("location 2 with the program")
        << "<none>"
        << "%1" << true << true << QStringList{"1|%1/MSINFO32.EXE"} << false;
    QTest::newRow("location 2 without it: nothing launched")
        << "<none>"
        << "%1" << false << true << QStringList{} << true;
    QTest::newRow("neither") << "<none>"
                             << "<none>" << false << true << QStringList{} << true;
    QTest::newRow("location 1 expandable: read as empty, which cannot start")
        << "<expand>"
        << "<none>" << false << true << QStringList{"1|"} << true;
}

void tst_Registry::sysInfo()
{
    QFETCH(QString, location1);
    QFETCH(QString, location2);
    QFETCH(bool, folderHasProgram);
    QFETCH(bool, launchWorks);
    QFETCH(QStringList, launched);
    QFETCH(bool, message);
    QTemporaryDir dir;
    if (folderHasProgram) {
        QFile f(dir.path() + QStringLiteral("/MSINFO32.EXE"));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    const QString loc1 = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
    if (location1 == QStringLiteral("<expand>"))
        m_fakes.registry.set(RegRoot::LocalMachine, loc1, "PATH",
                             FakeRegistry::string("%ProgramFiles%\\x", 2));
    else if (location1 != QStringLiteral("<none>"))
        m_fakes.registry.set(RegRoot::LocalMachine, loc1, "PATH", FakeRegistry::string(location1));
    if (location2 != QStringLiteral("<none>"))
        m_fakes.registry.set(RegRoot::LocalMachine, "SOFTWARE\\Microsoft\\Shared Tools Location", "MSINFO",
                             FakeRegistry::string(location2.arg(dir.path())));
    if (!launchWorks)
        m_fakes.launcher.result = {0, QStringLiteral("x"), QStringLiteral("x"), LaunchFailure::NotFound};
    frmAbout about(m_fakes.services());
    about.show();
    QTest::mouseClick(about.findChild<QAbstractButton*>(QStringLiteral("cmdSysInfo")), Qt::LeftButton);
    for (QString& l : launched)
        l = l.arg(dir.path());
    QCOMPARE(m_fakes.launcher.lines, launched);
    QCOMPARE(m_fakes.dialogs.described(),
             message ? QStringList{QStringLiteral("MsgBox|0||") + T::NoSysInfo} : QStringList{});
    QVERIFY(about.isVisible());
}

void tst_Registry::links_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<bool>("associated");
    QTest::addColumn<bool>("launchWorks");
    QTest::addColumn<QStringList>("launched");
    QTest::addColumn<QStringList>("boxes");
    const QString bad = QStringLiteral("MsgBox|16|Quillet|") + T::BadSetup;
    QTest::newRow("home page") << "lblURL" << true << true
                               << QStringList{"1|xdg-open https://quillet.example.org/"} << QStringList{};
    QTest::newRow("home page, no association: two boxes in turn")
        << "lblURL" << false << false << QStringList{"1| https://quillet.example.org/"}
        << QStringList{webError(53, "ファイルが見つかりません。"), bad};
    QTest::newRow("mail, minimised") << "lblAddress" << true << true
                                     << QStringList{"2|rundll32.exe shdocvw.dll,OpenURL quillet@example.org"}
                                     << QStringList{};
    QTest::newRow("mail that cannot start")
        << "lblAddress" << true << false
        << QStringList{"2|rundll32.exe shdocvw.dll,OpenURL quillet@example.org"} << QStringList{bad};
}

void tst_Registry::links()
{
    QFETCH(QString, link);
    QFETCH(bool, associated);
    QFETCH(bool, launchWorks);
    QFETCH(QStringList, launched);
    QFETCH(QStringList, boxes);
    if (associated) {
        m_fakes.registry.set(RegRoot::ClassesRoot, ".htm", "", FakeRegistry::string("htmlfile"));
        m_fakes.registry.set(RegRoot::ClassesRoot, "htmlfile\\shell\\open\\command", "",
                             FakeRegistry::string("xdg-open"));
    }
    if (!launchWorks)
        m_fakes.launcher.result = {0, QStringLiteral("x"), QStringLiteral("x"), LaunchFailure::NotFound};
    frmAbout about(m_fakes.services());
    about.show();
    auto* label = about.findChild<QLabel*>(link);
    QTest::mouseClick(label, Qt::LeftButton);
    QCOMPARE(m_fakes.launcher.lines, launched);
    QCOMPARE(m_fakes.dialogs.described(), boxes);
    // The keyboard reaches the link too.
    m_fakes.launcher.lines.clear();
    label->setFocus();
    QTest::keyClick(label, Qt::Key_Return);
    QCOMPARE(m_fakes.launcher.lines, launched);
}

void tst_Registry::userFileBeforeShippedOne_data()
{
    QTest::addColumn<QString>("user"); // what the user's file is
    QTest::addColumn<QString>("browser");
    QTest::addColumn<QString>("afterEdit"); // after the user's file is rewritten
    QTest::newRow("an export: it wins, and an edit counts at once") << "export"
                                                                    << "firefox"
                                                                    << "chromium";
    QTest::newRow("missing: the shipped one") << "missing"
                                              << "xdg-open"
                                              << "chromium";
    QTest::newRow("a FIFO: passed over without waiting") << "fifo"
                                                         << "xdg-open"
                                                         << "xdg-open";
    QTest::newRow("a link to /dev/zero: passed over") << "zero"
                                                      << "xdg-open"
                                                      << "xdg-open";
    QTest::newRow("larger than any export: passed over") << "huge"
                                                         << "xdg-open"
                                                         << "chromium";
}

void tst_Registry::userFileBeforeShippedOne()
{
    QFETCH(QString, user);
    QFETCH(QString, browser);
    QFETCH(QString, afterEdit);
    QTemporaryDir dir;
    auto write = [&](const QString& name, const QByteArray& text) {
        QFile f(dir.path() + u'/' + name);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
    };
    auto browserIs = [](const QByteArray& command) {
        return "Windows Registry Editor Version "
               "5.00\r\n\r\n[HKEY_CLASSES_ROOT\\htmlfile\\shell\\open\\command]\r\n"
               "@=\"" +
               command + "\"\r\n";
    };
    const QString userFile = dir.path() + QStringLiteral("/user.reg");
    if (user == QStringLiteral("export"))
        write("user.reg", browserIs("firefox"));
    else if (user == QStringLiteral("fifo"))
        QCOMPARE(::mkfifo(QFile::encodeName(userFile).constData(), 0644), 0);
    else if (user == QStringLiteral("zero"))
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), userFile));
    else if (user == QStringLiteral("huge"))
        write("user.reg", browserIs("firefox") + QByteArray(2 * 1024 * 1024, ';'));
    write("shipped.reg",
          "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CLASSES_ROOT\\.htm]\r\n@=\"htmlfile\"\r\n\r\n"
          "[HKEY_CLASSES_ROOT\\htmlfile\\shell\\open\\command]\r\n@=\"xdg-open\"\r\n");
    write("broken.reg", QByteArray("\xff\xfe\x00garbage\x01\x02", 11));
    RegFileRegistry reg({dir.path() + "/broken.reg", userFile, dir.path() + "/shipped.reg"});
    QCOMPARE(mdlUtils::getBrowser(reg, m_fakes.dialogs), browser);
    if (user == QStringLiteral("export") || user == QStringLiteral("missing") ||
        user == QStringLiteral("huge"))
        write("user.reg", browserIs("chromium"));
    QCOMPARE(mdlUtils::getBrowser(reg, m_fakes.dialogs), afterEdit);
    QVERIFY(m_fakes.dialogs.calls.isEmpty());
}

// The file that ships with the program, read through the real launcher: the links and the
// system information reach the stand-ins (fakes of their names on PATH here).
void tst_Registry::shippedFileDoesTheRealJob()
{
    QTemporaryDir dir;
    const QString bin = dir.path() + QStringLiteral("/bin");
    for (const char* name : {"xdg-open", "hardinfo"})
        QVERIFY(!FakePrograms::install(bin, QLatin1String(name)).isEmpty());
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", bin.toUtf8() + ":/usr/bin:/bin");
    const auto restore = qScopeGuard([&] { qputenv("PATH", oldPath); });

    RegFileRegistry shipped({QStringLiteral(QUILLET_SOURCE_DIR "/data/registry/quillet.reg")});
    PosixLauncher launcher;
    Services s = m_fakes.services();
    frmAbout about(Services{s.dialogs, launcher, s.settings, s.clock, s.drives, shipped});
    about.show();
    QTest::mouseClick(about.findChild<QLabel*>(QStringLiteral("lblURL")), Qt::LeftButton);
    QCOMPARE(FakePrograms::waitForArgv(bin + QStringLiteral("/xdg-open")),
             QStringList{"https://quillet.example.org/"});
    QTest::mouseClick(about.findChild<QLabel*>(QStringLiteral("lblAddress")), Qt::LeftButton);
    QCOMPARE(FakePrograms::waitForArgv(bin + QStringLiteral("/xdg-open")),
             QStringList{"mailto:quillet@example.org"});
    QTest::mouseClick(about.findChild<QAbstractButton*>(QStringLiteral("cmdSysInfo")), Qt::LeftButton);
    QCOMPARE(FakePrograms::waitForArgv(bin + QStringLiteral("/hardinfo")), QStringList{});
    QVERIFY(m_fakes.dialogs.calls.isEmpty());
}

QTEST_MAIN(tst_Registry)
#include "tst_Registry.moc"
