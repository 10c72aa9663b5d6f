#include "Fakes.h"
#include "PosixLauncher.h"
#include "RegFileRegistry.h"
#include "TestFiles.h"
#include "frmAbout.h"
#include "mdlUtils.h"

#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

// The registry readers, the web helper, and the About box's links and system information,
// each box and launch in the order a user meets them.
class tst_Registry : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { m_fakes = {}; }
    void getKeyValue_data();
    void getKeyValue();
    void aboutBox_data();
    void aboutBox();
    void userFileBeforeShippedOne_data();
    void userFileBeforeShippedOne();
    void shippedFileDoesTheRealJob();

private:
    FakeServices m_fakes;
};

namespace {
const QString Key = QStringLiteral("Software\\Quillet");
const QString Url = QStringLiteral("https://quillet.example.org/");
QString webError(int n, const QString& description)
{
    return box(16, "mdlUtils.webOpen", QStringLiteral("エラー %1: %2").arg(n).arg(description));
}
QByteArray regFile(const QByteArray& body)
{
    return "Windows Registry Editor Version 5.00\r\n\r\n" + body;
}
QByteArray browserIs(const QByteArray& command)
{
    return regFile("[HKEY_CLASSES_ROOT\\htmlfile\\shell\\open\\command]\r\n@=\"" + command + "\"\r\n");
}
} // namespace

void tst_Registry::getKeyValue_data()
{
    QTest::addColumn<RegValue>("value"); // type 0: none stored
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("box");
    auto str = [](const QString& text, quint32 type = 1) { return FakeRegistry::string(text, type); };
    // A number shorter than four bytes whose buffer holds more behind its end.
    QByteArray shortNumber("\x05\x07\x09\x0b", 4);
    shortNumber.truncate(1);
    QTest::newRow("missing: empty, no box") << RegValue{} << QString() << QString();
    QTest::newRow("string without its NUL") << str("xdg-open") << "xdg-open" << QString();
    QTest::newRow("stored without a NUL at all") << RegValue{1, QByteArray("a\0b\0", 4)} << "ab" << QString();
    QTest::newRow("cut at the first NUL") << RegValue{1, QByteArray("a\0\0\0b\0\0\0", 8)} << "a" << QString();
    QTest::newRow("expandable, unexpanded") << str("%SystemRoot%\\x", 2) << "%SystemRoot%\\x" << QString();
    QTest::newRow("through code page 932") << str("メモ帳") << "メモ帳" << QString();
    QTest::newRow("a character code page 932 lacks") << str("한") << "?" << QString();
    QTest::newRow("binary: empty") << RegValue{3, "abc"} << QString() << QString();
    QTest::newRow("number, little-endian")
        << RegValue{4, QByteArray("\xff\x10\0\0", 4)} << "&h10FF" << QString();
    QTest::newRow("a short number, zero-extended") << RegValue{4, shortNumber} << "&h5" << QString();
    QTest::newRow("1024 characters and the NUL: too long")
        << str(QString(1024, u'x')) << QString() << QString();
    QTest::newRow("1023 characters and the NUL fit")
        << str(QString(1023, u'x')) << QString(1023, u'x') << QString();
    QTest::newRow("a full buffer with no NUL: the error box")
        << RegValue{3, QByteArray(1024, 'x')} << QString()
        << box(16, "mdlUtils.GetKeyValue", "エラー 5: プロシージャの呼び出し、または引数が不正です。");
}

void tst_Registry::getKeyValue()
{
    QFETCH(RegValue, value);
    QFETCH(QString, text);
    QFETCH(QString, box);
    if (value.type != 0)
        m_fakes.registry.set(RegRoot::LocalMachine, Key, QStringLiteral("v"), value);
    QCOMPARE(mdlUtils::GetKeyValue(m_fakes.registry, m_fakes.dialogs, RegRoot::LocalMachine, Key, "v"), text);
    QCOMPARE(m_fakes.dialogs.described(), box.isEmpty() ? QStringList{} : QStringList{box});
}

void tst_Registry::aboutBox_data()
{
    QTest::addColumn<QString>("control");
    // "browser:", "msinfo:", "expandable:" (location 1 as such), "location:" (2), "program" in <dir>
    QTest::addColumn<QStringList>("registry");
    QTest::addColumn<LaunchFailure>("failure");
    QTest::addColumn<QString>("launched"); // empty: nothing
    QTest::addColumn<QStringList>("boxes");
    const QString bad = box(16, "Quillet", "設定がきちんとしていません");
    const QStringList noInfo{box(0, "", "現時点ではｼｽﾃﾑ情報を使用できません")};
    const QString mail = QStringLiteral("2|rundll32.exe shdocvw.dll,OpenURL quillet@example.org");
    const QStringList xdg{"browser:xdg-open"}, msinfo{"msinfo:/nowhere/msinfo"}, none;
    const QString sys = QStringLiteral("cmdSysInfo"), url = QStringLiteral("lblURL"), mailTo = "lblAddress";
    const auto ok = LaunchFailure::None, lost = LaunchFailure::NotFound, denied = LaunchFailure::NotPermitted;
    QTest::newRow("home page: the stored command, a blank, the address")
        << url << QStringList{"browser:\"/opt/My Browser/browser\" -nohome %1"} << ok
        << "1|\"/opt/My Browser/browser\" -nohome %1 " + Url << none;
    QTest::newRow("no association: two boxes")
        << url << none << lost << "1| " + Url << QStringList{webError(53, "ファイルが見つかりません。"), bad};
    QTest::newRow("may not run") << url << QStringList{"browser:/etc/hostname"} << denied
                                 << "1|/etc/hostname " + Url
                                 << QStringList{webError(70, "書き込みできません。"), bad};
    QTest::newRow("mail, minimised") << mailTo << xdg << ok << mail << none;
    QTest::newRow("mail that cannot start") << mailTo << xdg << lost << mail << QStringList{bad};
    QTest::newRow("sysinfo, location 1") << sys << msinfo << ok << "1|/nowhere/msinfo" << none;
    QTest::newRow("location 1 fails") << sys << msinfo << lost << "1|/nowhere/msinfo" << noInfo;
    QTest::newRow("location 2 with the program")
        << sys << QStringList{"location:<dir>", "program"} << ok << "1|<dir>/MSINFO32.EXE" << none;
    QTest::newRow("location 2, no program") << sys << QStringList{"location:<dir>"} << ok << "" << noInfo;
    QTest::newRow("neither location") << sys << none << ok << "" << noInfo;
    QTest::newRow("location 1 expandable: read as empty, which cannot start")
        << sys << QStringList{"expandable:%ProgramFiles%\\x"} << ok << "1|" << noInfo;
}

void tst_Registry::aboutBox()
{
    QFETCH(QString, control);
    QFETCH(QStringList, registry);
    QFETCH(LaunchFailure, failure);
    QFETCH(QString, launched);
    QFETCH(QStringList, boxes);
    QTemporaryDir dir;
    const QString msinfo = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools");
    for (const QString& entry : registry) {
        const QString what = entry.section(u':', 0, 0);
        const QString value = entry.section(u':', 1).replace("<dir>", dir.path());
        if (what == QStringLiteral("browser"))
            m_fakes.registry.setBrowser(value);
        else if (what == QStringLiteral("program"))
            QVERIFY(writeFile(dir.path() + QStringLiteral("/MSINFO32.EXE"), {}));
        else if (what == QStringLiteral("location"))
            m_fakes.registry.set(RegRoot::LocalMachine, msinfo + " Location", "MSINFO",
                                 FakeRegistry::string(value));
        else
            m_fakes.registry.set(RegRoot::LocalMachine, msinfo + "\\MSINFO", "PATH",
                                 FakeRegistry::string(value, what == QStringLiteral("msinfo") ? 1 : 2));
    }
    if (failure != LaunchFailure::None)
        m_fakes.launcher.fail(failure);
    frmAbout about(m_fakes.services());
    about.show();
    auto* w = about.findChild<QWidget*>(control);
    QTest::mouseClick(w, Qt::LeftButton);
    const QStringList once =
        launched.isEmpty() ? QStringList{} : QStringList{launched.replace("<dir>", dir.path())};
    QCOMPARE(m_fakes.launcher.lines, once);
    QCOMPARE(m_fakes.dialogs.described(), boxes);
    QVERIFY(about.isVisible());
    w->setFocus();
    QTest::keyClick(w, Qt::Key_Space);
    QCOMPARE(m_fakes.launcher.lines, once + once);
}

void tst_Registry::userFileBeforeShippedOne_data()
{
    QTest::addColumn<QString>("user"); // what the user's file is
    QTest::addColumn<QString>("browser");
    QTest::addColumn<QString>("afterEdit"); // after the user's file is rewritten
    QTest::newRow("an export: it wins, and an edit counts at once") << QString("export") << "firefox"
                                                                    << "chromium";
    QTest::newRow("missing: the shipped one") << QString("missing") << "xdg-open"
                                              << "chromium";
    QTest::newRow("a FIFO: passed over without waiting") << QString("fifo") << "xdg-open"
                                                         << "xdg-open";
    QTest::newRow("a link to /dev/zero: passed over") << QString("zero") << "xdg-open"
                                                      << "xdg-open";
    QTest::newRow("larger than any export: passed over") << QString("huge") << "xdg-open"
                                                         << "chromium";
}

void tst_Registry::userFileBeforeShippedOne()
{
    QFETCH(QString, user);
    QFETCH(QString, browser);
    QFETCH(QString, afterEdit);
    QTemporaryDir dir;
    const QString userFile = dir.path() + QStringLiteral("/user.reg");
    if (user == QStringLiteral("export"))
        QVERIFY(writeFile(userFile, browserIs("firefox")));
    else if (user == QStringLiteral("fifo"))
        QCOMPARE(::mkfifo(QFile::encodeName(userFile).constData(), 0644), 0);
    else if (user == QStringLiteral("zero"))
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), userFile));
    else if (user == QStringLiteral("huge"))
        QVERIFY(writeFile(userFile, browserIs("firefox") + QByteArray(2 * 1024 * 1024, ';')));
    QVERIFY(
        writeFile(dir.path() + "/shipped.reg",
                  regFile("[HKEY_CLASSES_ROOT\\.htm]\r\n@=\"htmlfile\"\r\n\r\n") + browserIs("xdg-open")));
    QVERIFY(writeFile(dir.path() + "/broken.reg", QByteArray("\xff\xfe\x00garbage\x01\x02", 11)));
    RegFileRegistry reg({dir.path() + "/broken.reg", userFile, dir.path() + "/shipped.reg"});
    QCOMPARE(mdlUtils::getBrowser(reg, m_fakes.dialogs), browser);
    if (user != QStringLiteral("fifo") && user != QStringLiteral("zero"))
        QVERIFY(writeFile(userFile, browserIs("chromium")));
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
    SearchPath path({bin, "/usr/bin", "/bin"});
    RegFileRegistry shipped({QStringLiteral(QUILLET_SOURCE_DIR "/data/registry/quillet.reg")});
    PosixLauncher launcher;
    frmAbout about(m_fakes.services(&launcher, nullptr, &shipped));
    about.show();
    auto click = [&](const char* name, const char* program) {
        QTest::mouseClick(about.findChild<QWidget*>(QLatin1String(name)), Qt::LeftButton);
        return FakePrograms::waitForArgv(bin + u'/' + QLatin1String(program));
    };
    QCOMPARE(click("lblURL", "xdg-open"), QStringList{Url});
    QCOMPARE(click("lblAddress", "xdg-open"), QStringList{"mailto:quillet@example.org"});
    QCOMPARE(click("cmdSysInfo", "hardinfo"), QStringList{});
    QVERIFY(m_fakes.dialogs.calls.isEmpty());
}

QTEST_MAIN(tst_Registry)
#include "tst_Registry.moc"
