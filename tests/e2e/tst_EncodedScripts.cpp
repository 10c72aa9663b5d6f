#include "EncodedScript.h"
#include "PosixLauncher.h"
#include "TestBench.h"
#include "WorkbenchTexts.h"
#include "frmMain.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <locale.h>

namespace T = WorkbenchText;

// Encoded scripts for real: the encode action starting quillet-encode through the real
// launcher, and what it wrote run by the script hosts' stand-ins under Wine: .jse by Wine's
// own JScript.Encode engine, a decoder nobody here wrote, and .vbe by Quillet's host.
class tst_EncodedScripts : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void encodeAction_data();
    void encodeAction();
    void jseRunsUnderWine_data();
    void jseRunsUnderWine();
    void vbeRunsInTheHosts_data();
    void vbeRunsInTheHosts();

private:
    QString encodeWithTheAction(const QString& source, const QStringList& steps, const QString& answer,
                                const QString& output);
    QString prepareWine();
    QByteArray runWithStandIn(const QString& host, const QString& path, int boxes = 0);
    QTemporaryDir m_dir;
    QString m_term; // the terminal stand-in's folder
};

namespace {

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray decoded(const QByteArray& bytes)
{
    const EncodedScript::Decoded d =
        EncodedScript::decodeScript(std::string_view(bytes.constData(), std::size_t(bytes.size())));
    return d.ok() && d.blocks > 0 ? QByteArray(d.text.data(), qsizetype(d.text.size()))
                                  : QByteArray("<not encoded>");
}

// "click:name" clicks a button of the main window, "menu:name" chooses a menu entry.
void perform(frmMain* main, const QStringList& steps)
{
    for (const QString& step : steps) {
        const QStringList p = step.split(u':');
        if (p[0] == QStringLiteral("click"))
            QTest::mouseClick(main->findChild<QAbstractButton*>(p[1]), Qt::LeftButton);
        else
            main->findChild<QAction*>(p[1])->trigger();
    }
}

} // namespace

void tst_EncodedScripts::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // The setting names the encoder by its bare name, as the manual advises: found on PATH.
    qputenv("PATH", QByteArray(QUILLET_BINARY_DIR "/bin:") + qgetenv("PATH"));
    QVERIFY(!QStandardPaths::findExecutable(QStringLiteral("quillet-encode")).isEmpty());
}

// Drives the main window with the real launcher; the encoder's output, once it is there.
QString tst_EncodedScripts::encodeWithTheAction(const QString& source, const QStringList& steps,
                                                const QString& answer, const QString& output)
{
    FakeServices fakes;
    PosixLauncher launcher(QStringLiteral(QUILLET_HOLD));
    TestBench bench(fakes.services(&launcher));
    frmMain main(bench.workbench);
    fakes.settings.values.insert(QStringLiteral("Quillet/Option/Encoder"), QStringLiteral("quillet-encode"));
    bench.workbench.selectFile(source);
    fakes.dialogs.inputAnswers = {answer};
    perform(&main, steps);
    const QStringList boxes = fakes.dialogs.described();
    // The input box last: no launch failure after it.
    if (boxes.isEmpty() || !boxes.last().startsWith(QStringLiteral("InputBox|") + T::EncodeTitle))
        return QStringLiteral("<boxes: %1>").arg(boxes.join(u'\n'));
    // The encoder writes through a rename: once the file is there, it is complete.
    if (!QTest::qWaitFor([&] { return QFile::exists(output); }, 20000))
        return QStringLiteral("<nothing written>");
    return output;
}

void tst_EncodedScripts::encodeAction_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("output");
    const QString d = FakeDialogs::AcceptDefault;
    QTest::newRow("VBScript, the default answer")
        << "a.vbs" << QStringList{"click:btnEncode"} << d << "a.vbs.VBE";
    QTest::newRow("JScript, from the File menu")
        << "b.js" << QStringList{"click:selJS", "menu:mnuFileEncode"} << d << "b.js.JSE";
    QTest::newRow("blanks and Japanese in the path")
        << "my scripts/挨拶 1.vbs" << QStringList{"click:btnEncode"} << d << "my scripts/挨拶 1.vbs.VBE";
    QTest::newRow("No CommLine: the encoder's own name for the output")
        << "c.vbs" << QStringList{"click:btnEncode"} << "No CommLine"
        << "c.vbe";
}

void tst_EncodedScripts::encodeAction()
{
    QFETCH(QString, file);
    QFETCH(QStringList, steps);
    QFETCH(QString, answer);
    QFETCH(QString, output);
    const QString source = m_dir.filePath(file);
    QVERIFY(QDir().mkpath(QFileInfo(source).path()));
    const QByteArray plain =
        cp932(QStringLiteral("' 作成者: テスト\r\nMsgBox \"こんにちは <b> @ \" & 1\r\n"));
    QVERIFY(writeFile(source, plain));
    QCOMPARE(encodeWithTheAction(source, steps, answer, m_dir.filePath(output)), m_dir.filePath(output));
    const QByteArray encoded = readAll(m_dir.filePath(output));
    QVERIFY(encoded.startsWith("#@~^"));
    QCOMPARE(decoded(encoded), plain);
    QCOMPARE(readAll(source), plain);
}

// Wine for the stand-ins, and a terminal that runs its command with the output kept and no
// key to wait for. What is missing, or empty.
QString tst_EncodedScripts::prepareWine()
{
    if (QStandardPaths::findExecutable(QStringLiteral("wine")).isEmpty())
        return QStringLiteral(
            "Wine is not installed (apt-get install wine): no engine to run the encoded script");
    if (!QFile::exists(QStringLiteral(QUILLET_BINARY_DIR "/libexec/quillet/cscript.exe")))
        return QStringLiteral("Quillet's script host was not built: mingw-w64 is missing (apt-get install "
                              "g++-mingw-w64-x86-64-posix)");
    qputenv("WINEPREFIX", QByteArray(QUILLET_BINARY_DIR) + "/wineprefix");
    qputenv("WINEDEBUG", "-all");
    qputenv("WINEDLLOVERRIDES", "mscoree,mshtml=");
    qunsetenv("DISPLAY");
    if (!m_term.isEmpty())
        return {};
    const QString term = m_dir.filePath(QStringLiteral("term"));
    if (!QDir().mkpath(term) ||
        !writeFile(term + QStringLiteral("/x-terminal-emulator"),
                   "#!/bin/sh\n[ \"$1\" = -e ] && shift\n"
                   "\"$@\" > \"$0.tmp\" 2>&1 < /dev/null\nmv \"$0.tmp\" \"$0.out\"\n"))
        return QStringLiteral("cannot write the terminal stand-in");
    QFile(term + QStringLiteral("/x-terminal-emulator"))
        .setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("PATH", (term + u':').toUtf8() + qgetenv("PATH"));
    m_term = term;
    return {};
}

// The stand-in for `host` given the script on its command line, as the file list cannot:
// what the console host's terminal showed, or every box the GUI host showed (QUILLET_HOST_BOXES
// set), once there are `boxes` of them.
QByteArray tst_EncodedScripts::runWithStandIn(const QString& host, const QString& path, int boxes)
{
    const bool gui = host == QStringLiteral("WSCRIPT.EXE");
    const QString out = gui ? QString::fromLocal8Bit(qgetenv("QUILLET_HOST_BOXES"))
                            : m_term + QStringLiteral("/x-terminal-emulator.out");
    QFile::remove(out);
    PosixLauncher launcher(QStringLiteral(QUILLET_HOLD));
    const LaunchResult r = launcher.Shell(QStringLiteral("%1 \"%2\"").arg(host, path), 1);
    if (r.pid <= 0)
        return "<launch failed: " + r.reason.toUtf8() + '>';
    if (gui) {
        if (!QTest::qWaitFor([&] { return readAll(out).count("\n\f\n") >= boxes; }, 180000))
            return "<the GUI host showed: " + readAll(out) + '>';
        return readAll(out);
    }
    if (!QTest::qWaitFor([&] { return QFile::exists(out); }, 180000))
        return "<the console host never ended>";
    return readAll(out);
}

void tst_EncodedScripts::jseRunsUnderWine_data()
{
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<QByteArray>("shown");
    QTest::newRow("escapes, tabs, quotes")
        << QByteArray("var s = \"a<b>c@d\\t\\\"q\\\"\";\r\nWScript.Echo(s);\r\n"
                      "WScript.Echo(1 < 2 ? \"yes\" : \"no\", \"@#@&\");\r\n")
        << QByteArray("a<b>c@d\t\"q\"\nyes @#@&\n");
    QTest::newRow("a plain copyright in Japanese before the marker")
        << cp932(QStringLiteral("// (C) 2001 作者\r\n//**Start Encode**\r\nfor (var i = 0; i < 3; i++)\r\n"
                                "\tWScript.Echo(\"line \" + i);\r\n"))
        << QByteArray("line 0\nline 1\nline 2\n");
}

// The console host's stand-in runs the .JSE that the encode action made, and shows what the
// plain script shows.
void tst_EncodedScripts::jseRunsUnderWine()
{
    QFETCH(QByteArray, script);
    QFETCH(QByteArray, shown);
    const QString missing = prepareWine();
    if (!missing.isEmpty())
        QSKIP(qPrintable(missing));
    // A new prefix knows the engine but not the extension: the registration a Windows system has.
    for (const QStringList& key : {QStringList{"HKCR\\.jse", "JSEFile"},
                                   QStringList{"HKCR\\JSEFile\\ScriptEngine", "JScript.Encode"}}) {
        QProcess reg;
        reg.start(QStringLiteral("wine"), {"reg", "add", key[0], "/ve", "/d", key[1], "/f"});
        QVERIFY(reg.waitForFinished(180000));
        QCOMPARE(reg.exitCode(), 0);
    }

    const QString source = m_dir.filePath(QStringLiteral("wine/%1.js").arg(QTest::currentDataTag()));
    QVERIFY(QDir().mkpath(QFileInfo(source).path()));
    QVERIFY(writeFile(source, script));
    const QString encodedPath = source + QStringLiteral(".JSE");
    QCOMPARE(encodeWithTheAction(source, {"click:selJS", "click:btnEncode"}, FakeDialogs::AcceptDefault,
                                 encodedPath),
             encodedPath);
    QVERIFY(readAll(encodedPath).contains("#@~^"));

    const QByteArray plainRun = runWithStandIn(QStringLiteral("CSCRIPT.EXE"), source);
    QVERIFY2(plainRun.contains(shown), plainRun.constData());
    QCOMPARE(runWithStandIn(QStringLiteral("CSCRIPT.EXE"), encodedPath), plainRun);
}

void tst_EncodedScripts::vbeRunsInTheHosts_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<QString>("shown"); // %1: the script's path
    QTest::addColumn<int>("boxes");     // the GUI host's; none: the terminal's text holds `shown`
    const QByteArray greeting =
        cp932(QStringLiteral("' 作成者: テスト\r\nWScript.Echo \"こんにちは <b> @\", 1\r\n"));
    const QByteArray failing = cp932(
        QStringLiteral("' 作成者: テスト\r\nWScript.Echo \"前\"\r\n  x = 1 / 0\r\nWScript.Echo \"後\"\r\n"));
    QTest::newRow("console host") << "CSCRIPT.EXE" << greeting
                                  << "\nこんにちは <b> @ 1\n\n続行するには何かキーを押してください" << 0;
    QTest::newRow("console host, an error on line 3")
        << "CSCRIPT.EXE" << failing
        << "\n前\n%1(3, 3) VBScript 実行時エラー: 0 で除算しました。\n\n"
           "プログラムは終了コード 1 で終了しました。\n続行するには何かキーを押してください"
        << 0;
    QTest::newRow("GUI host") << "WSCRIPT.EXE" << greeting << "Windows Script Host\nこんにちは <b> @ 1\n\f\n"
                              << 1;
    QTest::newRow("GUI host, the error box")
        << "WSCRIPT.EXE" << failing
        << "Windows Script Host\n前\n\f\nWindows Script Host\nスクリプト: %1\n行: 3\n文字: 3\n"
           "エラー: 0 で除算しました。\nコード: 800A000B\nソース: VBScript 実行時エラー\n\f\n"
        << 2;
}

// エンコード with quillet-encode makes a.vbs.VBE, and both hosts' stand-ins run it as they run
// a.vbs.
void tst_EncodedScripts::vbeRunsInTheHosts()
{
    QFETCH(QString, host);
    QFETCH(QByteArray, script);
    QFETCH(QString, shown);
    QFETCH(int, boxes);
    const QString missing = prepareWine();
    if (!missing.isEmpty())
        QSKIP(qPrintable(missing));
    if (locale_t l = newlocale(LC_ALL_MASK, "ja_JP.UTF-8", locale_t(nullptr)))
        freelocale(l);
    else
        QSKIP("No ja_JP.UTF-8 locale (scripts/deps adds it): the host's Japanese cannot show");
    // The user's locale, which the host speaks.
    const QByteArray oldLocale = qgetenv("LC_ALL");
    qputenv("LC_ALL", "ja_JP.UTF-8");
    const QString hook = m_dir.filePath(QStringLiteral("boxes"));
    qputenv("QUILLET_HOST_BOXES", QFile::encodeName(hook));
    const auto restore = qScopeGuard([&] {
        qputenv("LC_ALL", oldLocale);
        qunsetenv("QUILLET_HOST_BOXES");
    });

    const QString source = m_dir.filePath(QStringLiteral("vbe %1/a.vbs").arg(QTest::currentDataTag()));
    QVERIFY(QDir().mkpath(QFileInfo(source).path()));
    QVERIFY(writeFile(source, script));
    const QString encodedPath = source + QStringLiteral(".VBE");
    QCOMPARE(encodeWithTheAction(source, {"click:btnEncode"}, FakeDialogs::AcceptDefault, encodedPath),
             encodedPath);
    QVERIFY(readAll(encodedPath).startsWith("#@~^"));

    for (const QString& path : {source, encodedPath}) {
        const QString expected = QString(shown).replace(QStringLiteral("%1"), path);
        const QString ran = QString::fromUtf8(runWithStandIn(host, path, boxes));
        if (boxes > 0)
            QCOMPARE(ran, expected);
        else
            QVERIFY2(ran.contains(expected), qPrintable(ran));
    }
}

QTEST_MAIN(tst_EncodedScripts)
#include "tst_EncodedScripts.moc"
