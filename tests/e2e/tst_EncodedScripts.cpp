#include "EncodedScript.h"
#include "PosixLauncher.h"
#include "TestBench.h"
#include "WorkbenchTexts.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace T = WorkbenchText;

// Encoded scripts for real: the encode action starting quillet-encode through the real
// launcher, and what it wrote run by the console host's stand-in under Wine, whose own
// JScript.Encode engine is a decoder nobody here wrote.
class tst_EncodedScripts : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void encodeAction_data();
    void encodeAction();
    void jseRunsUnderWine_data();
    void jseRunsUnderWine();

private:
    QString encodeWithTheAction(const QString& source, const QStringList& steps, const QString& answer,
                                const QString& output);
    QTemporaryDir m_dir;
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
    TestBench bench(
        Services{fakes.dialogs, launcher, fakes.settings, fakes.clock, fakes.drives, fakes.registry},
        fakes.printing);
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
    if (QStandardPaths::findExecutable(QStringLiteral("wine")).isEmpty())
        QSKIP("Wine is not installed (apt-get install wine): no JScript.Encode engine to run the encoded "
              "script");
    qputenv("WINEPREFIX", QByteArray(QUILLET_BINARY_DIR) + "/wineprefix");
    qputenv("WINEDEBUG", "-all");
    qputenv("WINEDLLOVERRIDES", "mscoree,mshtml=");
    qunsetenv("DISPLAY");
    // A new prefix knows the engine but not the extension: the registration a Windows system has.
    for (const QStringList& key : {QStringList{"HKCR\\.jse", "JSEFile"},
                                   QStringList{"HKCR\\JSEFile\\ScriptEngine", "JScript.Encode"}}) {
        QProcess reg;
        reg.start(QStringLiteral("wine"), {"reg", "add", key[0], "/ve", "/d", key[1], "/f"});
        QVERIFY(reg.waitForFinished(180000));
        QCOMPARE(reg.exitCode(), 0);
    }

    // The terminal: runs its command with the output kept, and no key to wait for.
    const QString term = m_dir.filePath(QStringLiteral("term"));
    QVERIFY(QDir().mkpath(term));
    QVERIFY(writeFile(term + QStringLiteral("/x-terminal-emulator"),
                      "#!/bin/sh\n[ \"$1\" = -e ] && shift\n"
                      "\"$@\" > \"$0.tmp\" 2>&1 < /dev/null\nmv \"$0.tmp\" \"$0.out\"\n"));
    QFile(term + QStringLiteral("/x-terminal-emulator"))
        .setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", (term + u':').toUtf8() + oldPath);
    const auto restore = qScopeGuard([&] { qputenv("PATH", oldPath); });

    const QString source = m_dir.filePath(QStringLiteral("wine/%1.js").arg(QTest::currentDataTag()));
    QVERIFY(QDir().mkpath(QFileInfo(source).path()));
    QVERIFY(writeFile(source, script));
    const QString encodedPath = source + QStringLiteral(".JSE");
    QCOMPARE(encodeWithTheAction(source, {"click:selJS", "click:btnEncode"}, FakeDialogs::AcceptDefault,
                                 encodedPath),
             encodedPath);
    QVERIFY(readAll(encodedPath).contains("#@~^"));

    auto runInConsoleHost = [&](const QString& path) -> QByteArray {
        const QString out = term + QStringLiteral("/x-terminal-emulator.out");
        QFile::remove(out);
        FakeServices fakes;
        PosixLauncher launcher(QStringLiteral(QUILLET_HOLD));
        TestBench bench(
            Services{fakes.dialogs, launcher, fakes.settings, fakes.clock, fakes.drives, fakes.registry},
            fakes.printing);
        bench.workbench.chooseHost(QStringLiteral("CSCRIPT.EXE"));
        bench.workbench.selectFile(path);
        fakes.dialogs.inputAnswers = {QStringLiteral("No CommLine")};
        bench.workbench.run(Workbench::From::Button);
        if (fakes.dialogs.calls.size() != 1)
            return "<launch failed: " + fakes.dialogs.described().join(u'\n').toUtf8() + '>';
        if (!QTest::qWaitFor([&] { return QFile::exists(out); }, 180000))
            return "<the console host never ended>";
        return readAll(out);
    };
    const QByteArray plainRun = runInConsoleHost(source);
    QVERIFY2(plainRun.contains(shown), plainRun.constData());
    QCOMPARE(runInConsoleHost(encodedPath), plainRun);
}

QTEST_MAIN(tst_EncodedScripts)
#include "tst_EncodedScripts.moc"
