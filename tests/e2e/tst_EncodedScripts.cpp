#include "EncodedScript.h"
#include "PosixLauncher.h"
#include "TestBench.h"
#include "TestFiles.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <locale.h>

// The encode action starting quillet-encode through the real launcher, and what it wrote run
// under Wine: .jse by Wine's own JScript.Encode, a decoder nobody here wrote; .vbe by our host.
class tst_EncodedScripts : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void encodeAndRun_data();
    void encodeAndRun();

private:
    QString prepareWine();
    QByteArray runWithStandIn(const QString& host, const QString& path, int boxes);
    QTemporaryDir m_dir;
    QString m_term; // the terminal stand-in's folder
};

void tst_EncodedScripts::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // The setting names the encoder by its bare name: found on PATH.
    qputenv("PATH", QByteArray(QUILLET_BINARY_DIR "/bin:") + qgetenv("PATH"));
    QVERIFY(!QStandardPaths::findExecutable(QStringLiteral("quillet-encode")).isEmpty());
}

// Wine with .jse registered as on Windows, a terminal that keeps its output, no key; what is missing.
QString tst_EncodedScripts::prepareWine()
{
    if (QStandardPaths::findExecutable(QStringLiteral("wine")).isEmpty())
        return "Wine is not installed (apt-get install wine)";
    if (!QFile::exists(QStringLiteral(QUILLET_BINARY_DIR "/libexec/quillet/cscript.exe")))
        return "Quillet's script host was not built: mingw-w64 is missing";
    locale_t l = newlocale(LC_ALL_MASK, "ja_JP.UTF-8", locale_t(nullptr));
    if (!l)
        return "No ja_JP.UTF-8 locale (scripts/deps adds it): the host's Japanese cannot show";
    freelocale(l);
    if (!m_term.isEmpty())
        return {};
    qputenv("WINEPREFIX", QByteArray(QUILLET_BINARY_DIR) + "/wineprefix");
    qputenv("WINEDEBUG", "-all");
    qputenv("WINEDLLOVERRIDES", "mscoree,mshtml=");
    qunsetenv("DISPLAY");
    for (const QStringList& key : {QStringList{"HKCR\\.jse", "JSEFile"},
                                   QStringList{"HKCR\\JSEFile\\ScriptEngine", "JScript.Encode"}}) {
        QProcess reg;
        reg.start("wine", {"reg", "add", key[0], "/ve", "/d", key[1], "/f"});
        if (!reg.waitForFinished(180000) || reg.exitCode() != 0)
            return "wine reg add failed";
    }
    const QString term = m_dir.filePath(QStringLiteral("term/x-terminal-emulator"));
    if (!writeFile(term, "#!/bin/sh\n[ \"$1\" = -e ] && shift\n"
                         "\"$@\" > \"$0.tmp\" 2>&1 < /dev/null\nmv \"$0.tmp\" \"$0.out\"\n"))
        return "cannot write the terminal stand-in";
    QFile(term).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    m_term = QFileInfo(term).path();
    qputenv("PATH", (m_term + u':').toUtf8() + qgetenv("PATH"));
    qputenv("LC_ALL", "ja_JP.UTF-8"); // the user's locale, which the host speaks
    qputenv("QUILLET_HOST_BOXES", QFile::encodeName(m_dir.filePath(QStringLiteral("boxes"))));
    return {};
}

// What the console host's terminal showed, or once there are `boxes` of them, the GUI host's boxes.
QByteArray tst_EncodedScripts::runWithStandIn(const QString& host, const QString& path, int boxes)
{
    const QString out = m_dir.filePath(boxes > 0 ? "boxes" : "term/x-terminal-emulator.out");
    QFile::remove(out);
    PosixLauncher launcher(QStringLiteral(QUILLET_HOLD));
    const LaunchResult r = launcher.Shell(QStringLiteral("%1 \"%2\"").arg(host, path), 1);
    if (r.pid <= 0)
        return "<launch failed: " + r.reason.toUtf8() + '>';
    if (!QTest::qWaitFor(
            [&] { return boxes > 0 ? bytesOf(out).count("\n\f\n") >= boxes : QFile::exists(out); }, 180000))
        return "<the host never ended: " + bytesOf(out) + '>';
    return bytesOf(out);
}

void tst_EncodedScripts::encodeAndRun_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("host");  // none: encoded, not run
    QTest::addColumn<QString>("shown"); // %1: the script's path; every GUI box, or in the terminal
    auto row = [](const char* name, const QString& file, const QByteArray& script, const QStringList& steps,
                  QString answer, QString output, QString host = {}, QString shown = {}) {
        QTest::newRow(name) << file << script << steps << answer << output << host << shown;
    };
    const QString d = FakeDialogs::AcceptDefault;
    const QByteArray greeting = cp932("' 作成者: テスト\r\nMsgBox \"こんにちは <b> @ \" & 1\r\n");
    const QStringList vbs{"click:btnEncode"}, js{"click:selJS", "click:btnEncode"};
    row("JScript from the File menu, blanks and Japanese in the path", "my scripts/挨拶 1.js", greeting,
        {"click:selJS", "menu:mnuFileEncode"}, d, "my scripts/挨拶 1.js.JSE");
    row("No CommLine: the encoder's own name", "c.vbs", greeting, vbs, "No CommLine", "c.vbe");

    row("JScript: escapes, tabs, quotes", "wine/a.js",
        "var s = \"a<b>c@d\\t\\\"q\\\"\";\r\nWScript.Echo(s);\r\nWScript.Echo(1 < 2 ? \"yes\" : \"no\", "
        "\"@#@&\");\r\n",
        js, d, "wine/a.js.JSE", "CSCRIPT.EXE", "a<b>c@d\t\"q\"\nyes @#@&\n");
    row("JScript: a plain copyright in Japanese before the marker", "wine/b.js",
        cp932(QString("// (C) 2001 作者\r\n//**Start Encode**\r\nfor (var i = 0; i < 3; i++)\r\n"
                      "\tWScript.Echo(\"line \" + i);\r\n")),
        js, d, "wine/b.js.JSE", "CSCRIPT.EXE", "line 0\nline 1\nline 2\n");
    const QByteArray failing = cp932(QString(
        "' 作成者: テスト\r\nWScript.Echo \"前 <b> @\", 1\r\n  x = 1 / 0\r\nWScript.Echo \"後\"\r\n"));
    row("VBScript in the console host, an error on line 3", "vbe/a.vbs", failing, vbs, d, "vbe/a.vbs.VBE",
        "CSCRIPT.EXE",
        "\n前 <b> @ 1\n%1(3, 3) VBScript 実行時エラー: 0 で除算しました。\n\n"
        "プログラムは終了コード 1 で終了しました。\n続行するには何かキーを押してください");
    row("VBScript in the GUI host, the error box", "vbe 2/a.vbs", failing, vbs, d, "vbe 2/a.vbs.VBE",
        "WSCRIPT.EXE",
        "Windows Script Host\n前 <b> @ 1\n\f\nWindows Script Host\nスクリプト: %1\n行: 3\n文字: 3\n"
        "エラー: 0 で除算しました。\nコード: 800A000B\nソース: VBScript 実行時エラー\n\f\n");
}

// The encoder's output decodes to the source, left as it was; the host shows for both the same.
void tst_EncodedScripts::encodeAndRun()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, script);
    QFETCH(QStringList, steps);
    QFETCH(QString, answer);
    QFETCH(QString, output);
    QFETCH(QString, host);
    QFETCH(QString, shown);
    const QString source = m_dir.filePath(file), encodedPath = m_dir.filePath(output);
    QVERIFY(writeFile(source, script));
    {
        FakeServices fakes;
        PosixLauncher launcher(QStringLiteral(QUILLET_HOLD));
        TestBench bench(fakes.services(&launcher));
        frmMain main(bench.workbench);
        fakes.settings.values.insert("Quillet/Option/Encoder", "quillet-encode");
        bench.workbench.selectFile(source);
        fakes.dialogs.inputAnswers = {answer};
        perform(&main, steps);
        // The input box last: no launch failure after it.
        const QStringList boxes = fakes.dialogs.described();
        QVERIFY2(boxes.value(boxes.size() - 1).startsWith("InputBox|スクリプトのエンコード|"),
                 qPrintable(boxes.join(u'\n')));
        // The encoder writes through a rename: once the file is there, it is complete.
        QVERIFY(QTest::qWaitFor([&] { return QFile::exists(encodedPath); }, 20000));
    }
    const EncodedScript::Decoded d = EncodedScript::decodeScript(bytesOf(encodedPath).toStdString());
    QCOMPARE(d.ok() && d.blocks > 0 ? QByteArray::fromStdString(d.text) : "<not encoded>", script);
    QCOMPARE(bytesOf(source), script);
    if (host.isEmpty())
        return;
    if (const QString missing = prepareWine(); !missing.isEmpty())
        QSKIP(qPrintable(missing));
    for (const QString& path : {source, encodedPath}) {
        const QString expected = QString(shown).replace(QStringLiteral("%1"), path);
        const QString ran = QString::fromUtf8(runWithStandIn(host, path, shown.count(u'\f')));
        QVERIFY2(shown.contains(u'\f') ? ran == expected : ran.contains(expected), qPrintable(ran));
    }
}

QTEST_MAIN(tst_EncodedScripts)
#include "tst_EncodedScripts.moc"
