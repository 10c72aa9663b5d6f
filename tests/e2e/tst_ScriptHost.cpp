#include "Fakes.h"
#include "StandIns.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <clocale>
#include <locale.h>

// Quillet's own script host under Wine, run as the stand-ins run it, with real scripts:
// what a user sees on the terminal or through a pipe, and the exit code.
class tst_ScriptHost : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void badInput_data();
    void badInput();
    void arguments_data();
    void arguments();
    void quitCodes_data();
    void quitCodes();
    void timeout();
    void japaneseThroughPipes_data();
    void japaneseThroughPipes();
    void inputEndingMidCharacter();
    void encodedJScript();
    void encodedVBScript_data();
    void encodedVBScript();
    void guiErrorBox_data();
    void guiErrorBox();
    void sharedScripts_data();
    void sharedScripts();
    void perlScript_data();
    void perlScript();
    void perlGuiBoxes();

private:
    struct Result {
        int code = -1;
        QString out;
        QString err;
        qint64 ms = 0;
    };
    Result run(const QString& program, const QStringList& args, const QString& locale,
               const QByteArray& input = {}, const QString& env = {});
    QString write(const QString& name, const QByteArray& bytes);
    QString encode(const QString& source, const QString& destination);
    QTemporaryDir m_dir;
    QString m_scripts;
    QString m_wine;
    QString m_hosts;
};

namespace {

QByteArray utf16le(const QString& s)
{
    QByteArray b("\xFF\xFE");
    b.append(reinterpret_cast<const char*>(s.utf16()), s.size() * 2);
    return b;
}

QByteArray crlf(const QString& s)
{
    QString t = s;
    return cp932(t.replace(QStringLiteral("\n"), QStringLiteral("\r\n")));
}

bool hasLocale(const char* name)
{
    if (locale_t l = newlocale(LC_ALL_MASK, name, locale_t(nullptr))) {
        freelocale(l);
        return true;
    }
    return false;
}

} // namespace

void tst_ScriptHost::initTestCase()
{
    m_wine = StandIns::findWineLoader();
    if (m_wine.isEmpty())
        QSKIP("Wine is not installed (apt-get install wine wine64): the script host cannot run here");
    m_hosts = QStringLiteral(QUILLET_BINARY_DIR "/libexec/quillet");
    if (!QFile::exists(m_hosts + QStringLiteral("/cscript.exe")))
        QSKIP("The script host was not built: mingw-w64 is missing (apt-get install "
              "g++-mingw-w64-x86-64-posix)");
    if (!hasLocale("ja_JP.UTF-8"))
        QSKIP("No ja_JP.UTF-8 locale (scripts/deps adds it): the Japanese cases cannot run");
    QVERIFY(m_dir.isValid());
    m_scripts = m_dir.path() + QStringLiteral("/my スクリプト");
    QVERIFY(QDir().mkpath(m_scripts));
    // A new Wine prefix announces itself on the first run, as Quillet's start does for the user.
    run(QStringLiteral("cscript.exe"), {QStringLiteral("//nologo"), QStringLiteral("Z:\\nothing.vbs")},
        QStringLiteral("C.UTF-8"));
}

QString tst_ScriptHost::write(const QString& name, const QByteArray& bytes)
{
    const QString path = m_scripts + u'/' + name;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        return {};
    return path;
}

tst_ScriptHost::Result tst_ScriptHost::run(const QString& program, const QStringList& args,
                                           const QString& locale, const QByteArray& input, const QString& env)
{
    QProcess p;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    for (const char* v :
         {"LANG", "LANGUAGE", "LC_MESSAGES", "LC_CTYPE", "QUILLET_LANG", "DISPLAY", "WINEDEBUG"})
        e.remove(QLatin1String(v));
    e.insert(QStringLiteral("WINEPREFIX"), QStringLiteral(QUILLET_BINARY_DIR "/wineprefix"));
    e.insert(QStringLiteral("WINEDEBUG"), QStringLiteral("-all"));
    e.insert(QStringLiteral("WINEDLLOVERRIDES"), QStringLiteral("mscoree,mshtml="));
    e.insert(QStringLiteral("LC_ALL"), locale);
    if (!env.isEmpty()) // NAME=value
        e.insert(env.section(u'=', 0, 0), env.section(u'=', 1));
    p.setProcessEnvironment(e);
    p.setWorkingDirectory(m_scripts);
    if (program.endsWith(QStringLiteral(".exe"))) {
        p.setProgram(m_wine);
        p.setArguments(QStringList{m_hosts + u'/' + program} + args);
    } else {
        p.setProgram(QStringLiteral("perl"));
        p.setArguments(QStringList{m_hosts + u'/' + program} + args);
    }
    QElapsedTimer t;
    t.start();
    p.start();
    if (!p.waitForStarted())
        return {};
    p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished();
        return {-2, {}, QStringLiteral("<hung>"), t.elapsed()};
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError()),
            t.elapsed()};
}

void tst_ScriptHost::badInput_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("out"); // standard output, %1 the script's path
    QTest::addColumn<QString>("err"); // standard error
    QTest::addColumn<int>("code");

    const QString ja = QStringLiteral("ja_JP.UTF-8");
    const QString en = QStringLiteral("C.UTF-8");
    const QStringList nologo{QStringLiteral("//nologo")};
    QTest::newRow("VBScript that does not parse")
        << "syntax.vbs" << crlf("WScript.Echo \"前\"\nx = 1 +* 2\n") << ja << nologo << QString()
        << "%1(2, 8) VBScript コンパイル エラー: 構文エラーです。\n"
        << 1;
    QTest::newRow("division by zero, after output")
        << "div.vbs" << crlf("WScript.Echo \"日本語\"\nx = 1 / 0\n") << ja << nologo << "日本語\n"
        << "%1(2, 1) VBScript 実行時エラー: 0 で除算しました。\n"
        << 1;
    QTest::newRow("division by zero in English")
        << "div-en.vbs" << crlf("x = 1\n  y = x / 0\n") << en << nologo << QString()
        << "%1(2, 3) VBScript runtime error: Division by zero\n"
        << 1;
    QTest::newRow("Err.Raise 5")
        << "raise.vbs" << crlf("\nErr.Raise 5\n") << ja << nologo << QString()
        << "%1(2, 1) VBScript 実行時エラー: プロシージャ呼び出しまたは引数が正しくありません。\n"
        << 1;
    QTest::newRow("Err.Raise with the script's own source and text")
        << "raise-own.vbs" << crlf("Err.Raise 1000, \"在庫\", \"数が足りません\"\n") << ja << nologo
        << QString() << "%1(1, 1) 在庫: 数が足りません\n"
        << 1;
    QTest::newRow("undefined function")
        << "undefined.vbs" << crlf("Foo 1\n") << ja << nologo << QString()
        << "%1(1, 1) VBScript 実行時エラー: "
           "オブジェクトはこのプロパティまたはメソッドをサポートしていません\n"
        << 1;
    QTest::newRow("Option Explicit: Wine gives no reason")
        << "explicit.vbs" << crlf("Option Explicit\ny = 1\n") << ja << nologo << QString()
        << "%1(2, 1) VBScript 実行時エラー: スクリプトの実行中にエラーが発生しました。\n"
        << 1;
    QTest::newRow("call with a wrong argument count")
        << "argc.vbs" << crlf("WScript.Echo Len()\n") << en << nologo << QString()
        << "%1(1, 1) VBScript runtime error: Wrong number of arguments or invalid property assignment\n"
        << 1;
    QTest::newRow("index past the arguments")
        << "index.vbs" << crlf("WScript.Echo WScript.Arguments(0)\n") << ja << nologo << QString()
        << "%1(1, 1) WScript: インデックスが有効範囲にありません。\n"
        << 1;
    QTest::newRow("JScript throws") << "throw.js" << crlf("var a = 1;\nthrow new Error(\"失敗\");\n") << ja
                                    << nologo << QString() << "%1(2, 1) JScript 実行時エラー: 失敗\n"
                                    << 1;
    QTest::newRow("JScript throws a string")
        << "throw-string.js" << crlf("throw \"x\";\n") << en << nologo << QString()
        << "%1(1, 1) JScript runtime error: Exception thrown and not caught\n"
        << 1;
    QTest::newRow("JScript that does not parse")
        << "syntax.js" << crlf("var a = 1;\n  var b = ;\n") << ja << nologo << QString()
        << "%1(2, 11) JScript コンパイル エラー: 構文エラー\n"
        << 1;
    // Wine under a Japanese locale for code page 932, the user's own language English.
    QTest::newRow("Wine's Japanese text replaced for an English user")
        << "syntax-en.js" << crlf("var a = 1;\n  var b = ;\n") << "ja_JP.UTF-8+QUILLET_LANG=C.UTF-8" << nologo
        << QString() << "%1(2, 11) JScript compilation error: Syntax error\n"
        << 1;
    QTest::newRow("missing script") << "none.vbs" << QByteArray() << ja << nologo << QString()
                                    << "入力エラー: スクリプト ファイル \"%1\" が見つかりません。\n"
                                    << 1;
    QTest::newRow("unknown switch") << "fine.vbs" << crlf("WScript.Echo 1\n") << ja
                                    << QStringList{QStringLiteral("//nologo"), QStringLiteral("//zz")}
                                    << QString()
                                    << "入力エラー: 不明なオプション \"//zz\" が指定されました。\n"
                                    << 1;
    QTest::newRow("bad timeout") << "fine.vbs" << crlf("WScript.Echo 1\n") << en
                                 << QStringList{QStringLiteral("//nologo"), QStringLiteral("//T:x")}
                                 << QString() << "Input Error: Invalid timeout value in \"//T:x\".\n"
                                 << 1;
    QTest::newRow("//E: names the engine for any file")
        << "code.txt" << crlf("WScript.Echo(\"js\" + 1);\n") << en
        << QStringList{QStringLiteral("//nologo"), QStringLiteral("//E:JScript")} << "js1\n"
        << QString() << 0;
    QTest::newRow("//E: an engine there is none of")
        << "fine.vbs" << crlf("WScript.Echo 1\n") << ja
        << QStringList{QStringLiteral("//nologo"), QStringLiteral("//E:Ruby")} << QString()
        << "入力エラー: スクリプト エンジン \"Ruby\" が見つかりません。\n"
        << 1;
    QTest::newRow("an object that cannot be made")
        << "noobject.vbs" << crlf("\nSet o = WScript.CreateObject(\"No.Such\")\n") << ja << nologo
        << QString() << "%1(2, 1) WScript: \"No.Such\" という名前のオブジェクトを作成できませんでした。\n"
        << 1;
    QTest::newRow("no engine for .txt")
        << "notes.txt" << crlf("x\n") << ja << nologo << QString()
        << "入力エラー: ファイル拡張子 \".txt\" のスクリプト エンジンがありません。\n"
        << 1;
    // "WScript.Echo 1" after two plain lines, as the encoder writes it, then damaged by hand.
    const QByteArray head = "' a\r\n' b\r\n";
    const QByteArray block = "#@~^DgAAAA==\tUm.bwDR21tK~FygQAAA==^#~@";
    QTest::newRow("encoded block altered")
        << "altered.vbe" << head + QByteArray(block).replace(16, 1, "x") << ja << nologo << QString()
        << "スクリプト \"%1\" を実行できません。3 行目のエンコードされたブロックが壊れています: "
           "チェックサムが合いません (書き換えられています)。\n"
        << 1;
    QTest::newRow("encoded block cut short, in English")
        << "cut.vbe" << head + block.chopped(3) << en << nologo << QString()
        << "Can not run script \"%1\". The encoded block on line 3 is damaged: it is cut short.\n"
        << 1;
    QTest::newRow("encoded block with a wrong length")
        << "length.vbe" << head + QByteArray(block).replace(4, 1, "E") << ja << nologo << QString()
        << "スクリプト \"%1\" を実行できません。3 行目のエンコードされたブロックが壊れています: "
           "長さが中身と合いません。\n"
        << 1;
    QTest::newRow("the second encoded block damaged, named by //E:")
        << "two.txt" << block + "\r\n" + QByteArray(block).replace("^#~@", "^#~!") << en
        << QStringList{QStringLiteral("//nologo"), QStringLiteral("//E:VBScript.Encode")} << QString()
        << "Can not run script \"%1\". The encoded block on line 2 is damaged: its end mark \"^#~@\" is "
           "missing.\n"
        << 1;
    QTest::newRow("encoded block damaged under //B: the exit code says it")
        << "batch.vbe" << head + block.chopped(1) << ja << QStringList{QStringLiteral("//B")} << QString()
        << QString() << 1;
    QTest::newRow("an intact encoded block runs") << "intact.vbe" << head + block << ja << nologo << "1\n"
                                                  << QString() << 0;
    QTest::newRow("UTF-16 with byte-order mark")
        << "utf16.vbs" << utf16le(QStringLiteral("WScript.Echo \"ﾊﾝｶｸ ①\"\r\n")) << en << nologo << "ﾊﾝｶｸ ①\n"
        << QString() << 0;
    QTest::newRow("UTF-8 with byte-order mark")
        << "utf8bom.vbs" << QByteArray("\xEF\xBB\xBF") + QStringLiteral("WScript.Echo \"髙橋\"\r\n").toUtf8()
        << en << nologo << "髙橋\n"
        << QString() << 0;
    QTest::newRow("UTF-8 without byte-order mark")
        << "utf8.vbs" << QStringLiteral("WScript.Echo \"日本\"\r\n").toUtf8() << en << nologo << "日本\n"
        << QString() << 0;
    QTest::newRow("code page 932 under an English locale")
        << "cp932.vbs" << crlf("WScript.Echo \"ｸｲﾙｯﾄ ～ ∥\"\n") << en << nologo << "ｸｲﾙｯﾄ ～ ∥\n"
        << QString() << 0;
    QTest::newRow("//B: the error shown nowhere, the exit code still says it")
        << "batch.vbs" << crlf("x = 1 / 0\n") << ja << QStringList{QStringLiteral("//B")} << QString()
        << QString() << 1;
    QTest::newRow("the logo unless //nologo")
        << "logo.vbs" << crlf("WScript.Echo \"x\"\n") << en << QStringList()
        << "Quillet Script Host Version 5.812\nCopyright (C) 2026 Quillet Project\n\nx\n"
        << QString() << 0;
}

void tst_ScriptHost::badInput()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, locale);
    QFETCH(QStringList, args);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QFETCH(int, code);
    const QString path = bytes.isEmpty() ? m_scripts + u'/' + file : write(file, bytes);
    QVERIFY(!path.isEmpty());
    const Result r =
        run(QStringLiteral("cscript.exe"), args + QStringList{StandIns::wineForm(path)},
            locale.section(u'+', 0, 0), {}, locale.section(u'+', 1, 1, QString::SectionSkipEmpty));
    QCOMPARE(r.err, err.replace(QStringLiteral("%1"), path));
    QCOMPARE(r.out, out);
    QCOMPARE(r.code, code);
}

void tst_ScriptHost::arguments_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("out");
    const QStringList args{QStringLiteral("a \"b\" c"), QStringLiteral("/name:値"),
                           QStringLiteral("$(id);|>x"), QStringLiteral("/flag")};
    QTest::newRow("For Each over all")
        << "each.vbs"
        << "For Each a In WScript.Arguments: WScript.Echo \"[\" & a & \"]\": Next" << args
        << "[a \"b\" c]\n[/name:値]\n[$(id);|>x]\n[/flag]\n";
    QTest::newRow("Unnamed and Named")
        << "named.vbs"
        << "Set n = WScript.Arguments.Named: WScript.Echo WScript.Arguments.Count, "
           "WScript.Arguments.Unnamed.Count, n.Count, n(\"NAME\"), n.Exists(\"flag\"), n.Exists(\"x\"), "
           "\"[\" & n(\"flag\") & \"]\", WScript.Arguments.Unnamed(1)"
        << args << "4 2 2 値 -1 0 [] $(id);|>x\n";
    QTest::newRow("For Each over Named gives the names")
        << "each-named.vbs"
        << "For Each k In WScript.Arguments.Named: WScript.Echo k: Next" << args << "name\nflag\n";
    QTest::newRow("JScript: length, call form and Enumerator")
        << "args.js"
        << "var a = WScript.Arguments; var s = a.length + \":\" + a(0) + \":\" + a.Item(2);"
           "for (var e = new Enumerator(a.Unnamed); !e.atEnd(); e.moveNext()) s += \"|\" + e.item();"
           "WScript.Echo(s, a.Named.Item(\"name\"), WSH.Name);"
        << args << "4:a \"b\" c:$(id);|>x|a \"b\" c|$(id);|>x 値 Windows Script Host\n";
    QTest::newRow("script names") << "名前.vbs"
                                  << "WScript.Echo WScript.ScriptName & \"|\" & "
                                     "Right(WScript.FullName, 11) & \"|\" & WScript.Version"
                                  << QStringList() << "名前.vbs|cscript.exe|5.8\n";
    QTest::newRow("CreateObject and JScript's ActiveXObject")
        << "objects.js"
        << "var d = WScript.CreateObject(\"Scripting.Dictionary\"); d.Add(\"k\", \"値\");"
           "var f = new ActiveXObject(\"Scripting.FileSystemObject\");"
           "WScript.Echo(d.Item(\"k\"), d.Count, f.GetExtensionName(WScript.ScriptName));"
        << QStringList() << "値 1 js\n";
    QTest::newRow("StdErr and WriteBlankLines")
        << "streams.vbs"
        << "WScript.StdOut.Write \"a\": WScript.StdOut.WriteBlankLines 2: WScript.StdOut.WriteLine \"b\""
        << QStringList() << "a\n\nb\n";
}

void tst_ScriptHost::arguments()
{
    QFETCH(QString, file);
    QFETCH(QString, code);
    QFETCH(QStringList, args);
    QFETCH(QString, out);
    const QString path = write(file, cp932(code + QStringLiteral("\r\n")));
    const Result r = run(QStringLiteral("cscript.exe"),
                         QStringList{QStringLiteral("//nologo"), StandIns::wineForm(path)} + args,
                         QStringLiteral("ja_JP.UTF-8"));
    QCOMPARE(r.err, QString());
    QCOMPARE(r.out, out);
    QCOMPARE(r.code, 0);
}

void tst_ScriptHost::quitCodes_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");
    QTest::newRow("Quit") << "WScript.Echo 1: WScript.Quit: WScript.Echo 2" << 0 << "1\n";
    QTest::newRow("Quit 3 ends at once") << "WScript.Echo 1: WScript.Quit 3: WScript.Echo 2" << 3 << "1\n";
    QTest::newRow("Quit past On Error Resume Next")
        << "On Error Resume Next: WScript.Quit 255: WScript.Echo 2" << 255 << "";
    QTest::newRow("JScript Quit in try")
        << "try { WScript.Quit(7); } finally { WScript.Echo(2); }" << 7 << "";
}

void tst_ScriptHost::quitCodes()
{
    QFETCH(QString, code);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    const QString name =
        code.startsWith(QStringLiteral("try")) ? QStringLiteral("quit.js") : QStringLiteral("quit.vbs");
    const QString path = write(name, cp932(code + QStringLiteral("\r\n")));
    const Result r = run(QStringLiteral("cscript.exe"),
                         {QStringLiteral("//nologo"), StandIns::wineForm(path)}, QStringLiteral("C.UTF-8"));
    QCOMPARE(r.out, out);
    QCOMPARE(r.code, exitCode);
}

void tst_ScriptHost::timeout()
{
    const QString path = write(QStringLiteral("loop.vbs"), crlf("WScript.Echo \"始め\"\nDo\nLoop\n"));
    const Result r = run(QStringLiteral("cscript.exe"),
                         {QStringLiteral("//nologo"), QStringLiteral("//T:2"), StandIns::wineForm(path)},
                         QStringLiteral("ja_JP.UTF-8"));
    QCOMPARE(r.out, QStringLiteral("始め\n"));
    QCOMPARE(
        r.err,
        QStringLiteral("スクリプト \"%1\" の実行時間が制限を超えました。\nスクリプトの実行を中止しました。\n")
            .arg(path));
    QCOMPARE(r.code, 1);
    QVERIFY2(r.ms < 60000, "the host did not stop the script");
}

void tst_ScriptHost::japaneseThroughPipes_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QStringList>("switches");
    QTest::newRow("C.UTF-8") << "C.UTF-8" << QStringList{QStringLiteral("//nologo")};
    QTest::newRow("ja_JP.UTF-8") << "ja_JP.UTF-8" << QStringList{QStringLiteral("//nologo")};
}

void tst_ScriptHost::japaneseThroughPipes()
{
    QFETCH(QString, locale);
    QFETCH(QStringList, switches);
    const QString path = write(QStringLiteral("pipe.vbs"),
                               crlf("Do Until WScript.StdIn.AtEndOfStream\n"
                                    "  l = WScript.StdIn.ReadLine\n"
                                    "  WScript.StdOut.WriteLine \"入力: \" & l & \" (\" & Len(l) & \")\"\n"
                                    "Loop\nWScript.StdErr.WriteLine \"終わり\"\n"));
    const Result r = run(QStringLiteral("cscript.exe"), switches + QStringList{StandIns::wineForm(path)},
                         locale, QStringLiteral("あいう\r\n漢字ｶﾅ\n").toUtf8());
    QCOMPARE(r.out, QStringLiteral("入力: あいう (3)\n入力: 漢字ｶﾅ (4)\n"));
    QCOMPARE(r.err, QStringLiteral("終わり\n"));
    QCOMPARE(r.code, 0);
}

// Input cut off inside a UTF-8 character: the rest still reads, as code page 932.
void tst_ScriptHost::inputEndingMidCharacter()
{
    const QString path =
        write(QStringLiteral("cut.vbs"), crlf("Do Until WScript.StdIn.AtEndOfStream\n"
                                              "  WScript.Echo \"[\" & WScript.StdIn.ReadLine & \"]\"\n"
                                              "Loop\n"));
    const Result r =
        run(QStringLiteral("cscript.exe"), {QStringLiteral("//nologo"), StandIns::wineForm(path)},
            QStringLiteral("C.UTF-8"), QStringLiteral("あ\n").toUtf8() + QByteArray("\xE3\x81"));
    QCOMPARE(r.out, QStringLiteral("[あ]\n[縺]\n"));
    QCOMPARE(r.code, 0);
}

// Wine's own JScript.Encode engine decodes the script.
void tst_ScriptHost::encodedJScript()
{
    const QString path = write(QStringLiteral("enc.jse"),
                               QByteArray("#@~^RQAAAA==-mD~sX|:/TP{~J:+dYbxL~@!F@*@!+@*@!&@*eEI@#@&@#@&\x7f"
                                          "jm.raY 214Wv:zms/obI0xEAAA==^#~@"));
    const Result r = run(QStringLiteral("cscript.exe"),
                         {QStringLiteral("//nologo"), StandIns::wineForm(path)}, QStringLiteral("C.UTF-8"));
    QCOMPARE(r.err, QString());
    QCOMPARE(r.out, QStringLiteral("Testing <1><2><3>!\n"));
    QCOMPARE(r.code, 0);
}

QString tst_ScriptHost::encode(const QString& source, const QString& destination)
{
    QProcess p;
    p.start(QStringLiteral(QUILLET_BINARY_DIR "/bin/quillet-encode"),
            {source, QStringLiteral("/f"), destination});
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return QStringLiteral("<quillet-encode failed: %1>").arg(QString::fromUtf8(p.readAllStandardError()));
    return destination;
}

void tst_ScriptHost::encodedVBScript_data()
{
    QTest::addColumn<QString>("file"); // a name: written from `bytes`; a path: a real script
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("encoded"); // the encoder's output; with it, the host's switches
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("out"); // %2: the script's name
    QTest::addColumn<QString>("err"); // %1: the script's path
    QTest::addColumn<int>("code");

    const QString ja = QStringLiteral("ja_JP.UTF-8");
    const QString en = QStringLiteral("C.UTF-8");
    const QString vbe = QStringLiteral("%1.VBE");
    const QString data = QStringLiteral(QUILLET_TESTDATA "/text/");
    // MsgBox shows nothing here (no display): Echo says what ran.
    QTest::newRow("ASCII with LF") << data + "ascii-lf.vbs" << QByteArray() << vbe << en << "hi\n"
                                   << QString() << 0;
    QTest::newRow("code page 932 with a header")
        << data + "cp932-greeting.vbs" << QByteArray() << vbe << ja << "C:\\Program Files\\%2\n"
        << QString() << 0;
    QTest::newRow("UTF-16 LE") << data + "utf16le-bom.vbs" << QByteArray() << vbe << en
                               << "C:\\Program Files\\%2\n"
                               << QString() << 0;
    QTest::newRow("UTF-16 BE") << data + "utf16be-bom.vbs" << QByteArray() << vbe << ja
                               << "C:\\Program Files\\%2\n"
                               << QString() << 0;
    QTest::newRow("code page 932 with invalid bytes")
        << data + "cp932-invalid-bytes.vbs" << QByteArray() << vbe << ja << QString() << QString() << 0;
    QTest::newRow("Japanese, escapes, tabs and a block look-alike")
        << "escapes.vbs"
        << crlf("' 作成者: テスト\n"
                "s = \"<a> @ b\" & vbTab & \"@#@&@!@*@$\"\n"
                "WScript.Echo s, \"ｸｲﾙｯﾄ ～ ∥\"\n"
                "\tWScript.Echo Len(\"日本語\"), Chr(64) & \"#~^\", \"#@~^AAAAAA==^#~@\"\n")
        << vbe << ja << "<a> @ b\t@#@&@!@*@$ ｸｲﾙｯﾄ ～ ∥\n3 @#~^ #@~^AAAAAA==^#~@\n"
        << QString() << 0;
    QTest::newRow("UTF-8, a plain header before the start marker, LF and CR LF")
        << "marker.vbs"
        << QStringLiteral("' 著作権: 山田 太郎\r\n'**Start Encode**\r\nWScript.Echo \"髙橋\"\n"
                          "WScript.Echo WScript.ScriptName\r\n")
               .toUtf8()
        << vbe << en << "髙橋\n%2\n"
        << QString() << 0;
    QTest::newRow("a runtime error on line 3")
        << "runtime.vbs" << crlf("WScript.Echo \"前\"\n' コメント\n  x = 1 / 0\nWScript.Echo \"後\"\n") << vbe
        << ja << "前\n"
        << "%1(3, 3) VBScript 実行時エラー: 0 で除算しました。\n"
        << 1;
    QTest::newRow("Err.Raise on line 3 after the start marker, in English")
        << "raise.vbs" << crlf("' (C) 2001\n'**Start Encode**\n\tErr.Raise 5\n") << vbe << en << QString()
        << "%1(3, 2) VBScript runtime error: Invalid procedure call or argument\n"
        << 1;
    QTest::newRow("a syntax error") << "syntax.vbs"
                                    << crlf("WScript.Echo \"前\"\nIf x Then\n  x = 1 +* 2\nEnd If\n") << vbe
                                    << ja << QString()
                                    << "%1(3, 10) VBScript コンパイル エラー: 構文エラーです。\n"
                                    << 1;
    QTest::newRow("//E:VBScript.Encode for a file of any name")
        << "engine.vbs" << crlf("WScript.Echo \"エンジン\"\n") << "%1.enc" << ja << "エンジン\n"
        << QString() << 0;
}

// An encoded script runs exactly as its plain text does: output, errors with their line and
// character, exit code.
void tst_ScriptHost::encodedVBScript()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, encoded);
    QFETCH(QString, locale);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QFETCH(int, code);
    QString plain = file;
    if (!bytes.isEmpty())
        plain = write(file, bytes);
    QVERIFY(!plain.isEmpty());
    const QString encodedPath = m_scripts + u'/' + encoded.arg(QFileInfo(plain).fileName());
    QCOMPARE(encode(plain, encodedPath), encodedPath);
    QFile f(encodedPath);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray encodedBytes = f.readAll();
    // The encoder writes the block's marks in the script's own charset.
    QVERIFY(encodedBytes.contains("#@~^") || encodedBytes.contains(QByteArray("#\0@\0~\0^\0", 8)) ||
            encodedBytes.contains(QByteArray("\0#\0@\0~\0^", 8)));

    for (const QString& path : {plain, encodedPath}) {
        QStringList args{QStringLiteral("//nologo")};
        if (path == encodedPath && !path.endsWith(QStringLiteral(".VBE")))
            args << QStringLiteral("//E:VBScript.Encode");
        const Result r =
            run(QStringLiteral("cscript.exe"), args + QStringList{StandIns::wineForm(path)}, locale);
        QCOMPARE(r.err, QString(err).replace(QStringLiteral("%1"), path));
        QCOMPARE(r.out, QString(out).replace(QStringLiteral("%2"), QFileInfo(path).fileName()));
        QCOMPARE(r.code, code);
    }
}

void tst_ScriptHost::guiErrorBox_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("boxes"); // %1: the script's path
    QTest::addColumn<int>("code");
    QTest::newRow("Echo, then division by zero")
        << "gui.vbs" << crlf("WScript.Echo \"こんにちは\", 2\nx = 1 / 0\n") << "ja_JP.UTF-8"
        << "Windows Script Host\nこんにちは 2\n\f\n"
           "Windows Script Host\nスクリプト: %1\n行: 2\n文字: 1\nエラー: 0 で除算しました。\n"
           "コード: 800A000B\nソース: VBScript 実行時エラー\n\f\n"
        << 1;
    QTest::newRow("English")
        << "gui-en.js" << crlf("\n\n  foo.bar();\n") << "C.UTF-8"
        << "Windows Script Host\nScript: %1\nLine: 3\nChar: 3\nError: 'foo' is undefined\n"
           "Code: 800A1391\nSource: JScript runtime error\n\f\n"
        << 1;
    QTest::newRow("no console in the GUI host")
        << "gui-stdout.vbs" << crlf("WScript.StdOut.WriteLine 1\n") << "ja_JP.UTF-8"
        << "Windows Script Host\nスクリプト: %1\n行: 1\n文字: 1\nエラー: ハンドルが無効です。\n"
           "コード: 80070006\nソース: WScript\n\f\n"
        << 1;
    QTest::newRow("a damaged encoded block")
        << "gui-damaged.vbe" << QByteArray("\r\n#@~^DgAAAA==\tUm.bwDR21tK~FygQAAA==") << "ja_JP.UTF-8"
        << "Windows Script Host\nスクリプト \"%1\" を実行できません。2 "
           "行目のエンコードされたブロックが壊れています: "
           "ブロックが途中で切れています。\n\f\n"
        << 1;
}

void tst_ScriptHost::guiErrorBox()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, locale);
    QFETCH(QString, boxes);
    QFETCH(int, code);
    const QString path = write(file, bytes);
    const QString hook = m_dir.path() + QStringLiteral("/boxes-") + file;
    const Result r = run(QStringLiteral("wscript.exe"), {StandIns::wineForm(path)}, locale, {},
                         QStringLiteral("QUILLET_HOST_BOXES=") + hook);
    QCOMPARE(r.code, code);
    QFile f(hook);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(f.readAll()), boxes.replace(QStringLiteral("%1"), path));
}

void tst_ScriptHost::perlScript_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err"); // %1: the script's path
    QTest::addColumn<int>("code");
    QTest::newRow("code page 932, arguments")
        << "a.pls"
        << crlf("$WScript->Echo(\"ﾊﾟｰﾙ\", $WScript->Arguments->Count, $WScript->ScriptName);\n"
                "foreach my $a (in $WScript->Arguments) { $WScript->Echo(\"[$a]\") }\n"
                "$WScript->Echo($WScript->Arguments->Named->Item(\"k\"), "
                "$WScript->Arguments->Unnamed->Item(0));\n")
        << QStringList{QStringLiteral("日本 語"), QStringLiteral("/k:値")}
        << "ﾊﾟｰﾙ 2 a.pls\n[日本 語]\n[/k:値]\n値 日本 語\n"
        << QString() << 0;
    QTest::newRow("die names its line")
        << "die.pls" << crlf("print \"x\\n\";\n\ndie \"壊れました\";\n") << QStringList() << "x\n"
        << "%1(3, 1) PerlScript エラー: 壊れました\n"
        << 1;
    QTest::newRow("syntax error") << "syntax.pls" << crlf("my $x = 1;\nmy $y = ;\n") << QStringList()
                                  << QString() << "%1(2, 1) PerlScript エラー: syntax error\n"
                                  << 1;
    QTest::newRow("CreateObject names the limitation")
        << "com.pls" << crlf("\nmy $fso = $WScript->CreateObject(\"Scripting.FileSystemObject\");\n")
        << QStringList() << QString()
        << "%1(2, 1) PerlScript エラー: CreateObject と GetObject は使えません: Linux の perl には COM "
           "オブジェクトがありません。\n"
        << 1;
    QTest::newRow("Quit code") << "quit.pls"
                               << crlf("$WScript->Echo(1);\n$WScript->Quit(4);\n$WScript->Echo(2);\n")
                               << QStringList() << "1\n"
                               << QString() << 4;
}

// Scripts written by other programs, in every encoding the test data has.
void tst_ScriptHost::sharedScripts_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("out");
    QTest::newRow("UTF-8 with byte-order mark") << "utf8-bom.js"
                                                << "日本語のテキスト ﾊﾝｶｸ ①\n";
    QTest::newRow("UTF-8 without") << "utf8-nobom.js"
                                   << "日本語のテキスト ﾊﾝｶｸ ①\n";
    QTest::newRow("PerlScript in code page 932") << "cp932-perl.pls"
                                                 << "ﾊﾟｰﾙ\n";
}

void tst_ScriptHost::sharedScripts()
{
    QFETCH(QString, file);
    QFETCH(QString, out);
    const QString path = QStringLiteral(QUILLET_TESTDATA "/text/") + file;
    const bool perl = file.endsWith(QStringLiteral(".pls"));
    const Result r =
        perl ? run(QStringLiteral("quillet-pls"), {QStringLiteral("--console"), path},
                   QStringLiteral("C.UTF-8"))
             : run(QStringLiteral("cscript.exe"), {QStringLiteral("//nologo"), StandIns::wineForm(path)},
                   QStringLiteral("C.UTF-8"));
    QCOMPARE(r.err, QString());
    QCOMPARE(r.out, out);
    QCOMPARE(r.code, 0);
}

// PerlScript from the GUI host's stand-in: Echo and the error in boxes.
void tst_ScriptHost::perlGuiBoxes()
{
    if (QStandardPaths::findExecutable(QStringLiteral("perl")).isEmpty())
        QSKIP("perl is not installed");
    const QString path =
        write(QStringLiteral("gui.pls"), crlf("$WScript->Echo(\"ﾊﾟｰﾙ\");\n$WScript->StdOut;\n"));
    const QString hook = m_dir.path() + QStringLiteral("/boxes-gui.pls");
    const Result r = run(QStringLiteral("quillet-pls"), {QStringLiteral("--gui"), path},
                         QStringLiteral("ja_JP.UTF-8"), {}, QStringLiteral("QUILLET_HOST_BOXES=") + hook);
    QCOMPARE(r.code, 1);
    QFile f(hook);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(
        QString::fromUtf8(f.readAll()),
        QStringLiteral("Windows Script Host\nﾊﾟｰﾙ\n\f\nWindows Script Host\nスクリプト: %1\n行: 2\n文字: 1\n"
                       "エラー: ハンドルが無効です。\nソース: PerlScript エラー\n\f\n")
            .arg(path));
}

void tst_ScriptHost::perlScript()
{
    if (QStandardPaths::findExecutable(QStringLiteral("perl")).isEmpty())
        QSKIP("perl is not installed");
    QFETCH(QString, file);
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, args);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QFETCH(int, code);
    const QString path = write(file, bytes);
    const Result r = run(QStringLiteral("quillet-pls"), QStringList{QStringLiteral("--console"), path} + args,
                         QStringLiteral("ja_JP.UTF-8"));
    QCOMPARE(r.err, err.replace(QStringLiteral("%1"), path));
    QCOMPARE(r.out, out);
    QCOMPARE(r.code, code);
}

QTEST_GUILESS_MAIN(tst_ScriptHost)
#include "tst_ScriptHost.moc"
