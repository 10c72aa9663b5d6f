#include "Fakes.h"
#include "PosixLauncher.h"
#include "RegFileRegistry.h"
#include "TestFiles.h"
#include "frmAbout.h"
#include "mdlUtils.h"

#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

// The registry readers and the About box's links and system information, boxes and launches in order.
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
const QByteArray Header = "Windows Registry Editor Version 5.00\r\n\r\n";
QByteArray browserIs(const QByteArray& command)
{
    return Header + ("[HKEY_CLASSES_ROOT\\htmlfile\\shell\\open\\command]\r\n@=\"" + command + "\"\r\n");
}
} // namespace

void tst_Registry::getKeyValue_data()
{
    QTest::addColumn<RegValue>("value"); // type 0: none stored
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("boxes");
    auto row = [](const char* name, const RegValue& value, const QString& text,
                  const QStringList& boxes = {}) { QTest::newRow(name) << value << text << boxes; };
    auto str = [](const QString& text, quint32 type = 1) { return FakeRegistry::string(text, type); };
    QByteArray shortNumber("\x05\x07\x09\x0b", 4);
    shortNumber.truncate(1);
    row("missing: empty, no box", RegValue{}, QString());
    row("string without its NUL", str("xdg-open"), "xdg-open");
    row("stored without a NUL at all", RegValue{1, QByteArray("a\0b\0", 4)}, "ab");
    row("cut at the first NUL", RegValue{1, QByteArray("a\0\0\0b\0\0\0", 8)}, "a");
    row("expandable, unexpanded", str("%SystemRoot%\\x", 2), "%SystemRoot%\\x");
    row("through code page 932", str("メモ帳"), "メモ帳");
    row("a character code page 932 lacks", str("한"), "?");
    row("binary: empty", RegValue{3, "abc"}, QString());
    row("number, little-endian", RegValue{4, QByteArray("\xff\x10\0\0", 4)}, "&h10FF");
    row("a number shorter than its buffer, zero-extended", RegValue{4, shortNumber}, "&h5");
    row("1024 characters and the NUL: too long", str(QString(1024, u'x')), QString());
    row("1023 characters and the NUL fit", str(QString(1023, u'x')), QString(1023, u'x'));
    row("a full buffer with no NUL: the error box", RegValue{3, QByteArray(1024, 'x')}, QString(),
        {box(16, "mdlUtils.GetKeyValue", "エラー 5: プロシージャの呼び出し、または引数が不正です。")});
}

void tst_Registry::getKeyValue()
{
    QFETCH(RegValue, value);
    if (value.type != 0)
        m_fakes.registry.set(RegRoot::LocalMachine, Key, QStringLiteral("v"), value);
    QTEST(mdlUtils::GetKeyValue(m_fakes.registry, m_fakes.dialogs, RegRoot::LocalMachine, Key, "v"), "text");
    QTEST(m_fakes.dialogs.described(), "boxes");
}

void tst_Registry::aboutBox_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QStringList>("registry"); // browser:, location 1 as msinfo: or expandable:, location:
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
        << url << none << lost << "1| " + Url
        << QStringList{box(16, "mdlUtils.webOpen", "エラー 53: ファイルが見つかりません。"), bad};
    QTest::newRow("a browser that may not run: two boxes")
        << url << QStringList{"browser:/etc/hostname"} << denied << "1|/etc/hostname " + Url
        << QStringList{box(16, "mdlUtils.webOpen", "エラー 70: 書き込みできません。"), bad};
    QTest::newRow("a browser that cannot start for another reason")
        << url << xdg << LaunchFailure::Other << "1|xdg-open " + Url
        << QStringList{box(16, "mdlUtils.webOpen", "エラー 75: パス名が無効です。"), bad};
    QTest::newRow("an empty command")
        << url << xdg << LaunchFailure::EmptyCommand << "1|xdg-open " + Url
        << QStringList{
               box(16, "mdlUtils.webOpen", "エラー 5: プロシージャの呼び出し、または引数が不正です。"), bad};
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
    const QStringList once = launched.replace("<dir>", dir.path()).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(m_fakes.launcher.lines, once);
    QTEST(m_fakes.dialogs.described(), "boxes");
    QVERIFY(about.isVisible());
    w->setFocus();
    QTest::keyClick(w, Qt::Key_Space);
    QCOMPARE(m_fakes.launcher.lines, once + once);
}

void tst_Registry::userFileBeforeShippedOne_data()
{
    QTest::addColumn<QString>("user");         // what the user's file is
    QTest::addColumn<QStringList>("browsers"); // before and after the user's file is rewritten
    QTest::newRow("an export wins; an edit counts at once") << "export" << QStringList{"firefox", "chromium"};
    QTest::newRow("the user's classes stand for the classes root")
        << "classes" << QStringList{"opera", "chromium"};
    QTest::newRow("missing: the shipped one") << "missing" << QStringList{"xdg-open", "chromium"};
    QTest::newRow("a FIFO: passed over without waiting") << "fifo" << QStringList{"xdg-open", "xdg-open"};
    QTest::newRow("a link to /dev/zero: passed over") << "zero" << QStringList{"xdg-open", "xdg-open"};
    QTest::newRow("larger than any export: passed over") << "huge" << QStringList{"xdg-open", "chromium"};
}

void tst_Registry::userFileBeforeShippedOne()
{
    QFETCH(QString, user);
    QTemporaryDir dir;
    const QString userFile = dir.path() + "/user.reg", shipped = dir.path() + "/shipped.reg";
    if (user == QStringLiteral("fifo"))
        QCOMPARE(::mkfifo(QFile::encodeName(userFile).constData(), 0644), 0);
    else if (user == QStringLiteral("zero"))
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), userFile));
    else if (user == QStringLiteral("classes"))
        QVERIFY(writeFile(userFile, Header + "[HKEY_CURRENT_USER\\Software\\Classes\\htmlfile\\shell\\open\\"
                                             "command]\r\n@=\"opera\"\r\n"));
    else if (user != QStringLiteral("missing"))
        QVERIFY(writeFile(userFile, browserIs("firefox") + QByteArray(user == "huge" ? 2 << 20 : 0, ';')));
    QVERIFY(writeFile(shipped, Header + "[HKEY_CLASSES_ROOT\\.htm]\r\n@=\"htmlfile\"\r\n\r\n" +
                                   browserIs("xdg-open")));
    QVERIFY(writeFile(dir.path() + "/broken.reg", QByteArray("\xff\xfe\x00garbage\x01\x02", 11)));
    RegFileRegistry reg({dir.path() + "/broken.reg", userFile, shipped});
    const QString before = mdlUtils::getBrowser(reg, m_fakes.dialogs);
    if (user != QStringLiteral("fifo") && user != QStringLiteral("zero"))
        QVERIFY(writeFile(userFile, browserIs("chromium")));
    QTEST(QStringList({before, mdlUtils::getBrowser(reg, m_fakes.dialogs)}), "browsers");
    QVERIFY(m_fakes.dialogs.calls.isEmpty());
}

// The shipped file through the real launcher: the links and system information reach fakes on PATH.
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
