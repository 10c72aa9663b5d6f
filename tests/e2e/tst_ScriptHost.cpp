#include "Fakes.h"
#include "StandIns.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <locale.h>

// Quillet's own script host under Wine (PerlScript under perl), run as the stand-ins run it, with real
// scripts: what a user sees on the terminal, through a pipe or in boxes, and the exit code.
class tst_ScriptHost : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void runs_data();
    void runs();
    void launches_data();
    void launches();

private:
    struct Result {
        int code = -1;
        QString out, err;
    };
    // `program`: cscript.exe or wscript.exe under Wine, otherwise perl's runner with its arguments.
    Result run(const QStringList& program, const QStringList& args, const QString& locale,
               const QByteArray& input = {}, const QString& env = {});
    QString pathOf(const QString& file, const QByteArray& bytes);
    QTemporaryDir m_dir;
    QString m_scripts, m_wine, m_hosts;
};

namespace {

const QString Ja = QStringLiteral("ja_JP.UTF-8");
const QString En = QStringLiteral("C.UTF-8");
const QString Data = QStringLiteral(QUILLET_TESTDATA "/text/");

QByteArray crlf(QString s)
{
    return cp932(s.replace(u'\n', QStringLiteral("\r\n")));
}

// `args`: the script where "*" is, else after them; first "wscript.exe": the GUI host, its boxes in `out`,
// each as its title, text and a form feed; first "%1.VBE": the encoder's output of the script
// under that name, both run. `locale` may add "+NAME=value" to the environment. %1 in `out` and `err`:
// the script's path; %2 in `out`: its name.
void row(const QByteArray& name, const QString& file, const QByteArray& bytes, const QString& out,
         const QString& err, int code, const QString& locale = Ja,
         const QStringList& args = {QStringLiteral("//nologo")}, const QByteArray& input = {})
{
    QTest::newRow(name.constData()) << file << bytes << args << locale << input << out << err << code;
}

} // namespace

void tst_ScriptHost::initTestCase()
{
    m_wine = StandIns::findWineLoader();
    if (m_wine.isEmpty())
        QSKIP("Wine is not installed (apt-get install wine wine64): the script host cannot run here");
    m_hosts = QStringLiteral(QUILLET_BINARY_DIR "/libexec/quillet");
    if (!QFile::exists(m_hosts + QStringLiteral("/cscript.exe")))
        QSKIP("No script host: mingw-w64 is missing (apt-get install g++-mingw-w64-x86-64-posix)");
    locale_t l = newlocale(LC_ALL_MASK, "ja_JP.UTF-8", locale_t(nullptr));
    if (!l)
        QSKIP("No ja_JP.UTF-8 locale (scripts/deps adds it): the Japanese cases cannot run");
    freelocale(l);
    if (QStandardPaths::findExecutable(QStringLiteral("perl")).isEmpty())
        QSKIP("perl is not installed");
    QVERIFY(m_dir.isValid());
    m_scripts = m_dir.path() + QStringLiteral("/my スクリプト");
    QVERIFY(QDir().mkpath(m_scripts));
    // A new Wine prefix announces itself on the first run, as Quillet's start does for the user.
    run({QStringLiteral("cscript.exe")}, {QStringLiteral("Z:\\nothing.vbs")}, En);
}

QString tst_ScriptHost::pathOf(const QString& file, const QByteArray& bytes)
{
    if (file.startsWith(u'/'))
        return file;
    const QString path = m_scripts + u'/' + file;
    return bytes.isEmpty() || writeFile(path, bytes) ? path : QString();
}

tst_ScriptHost::Result tst_ScriptHost::run(const QStringList& program, const QStringList& args,
                                           const QString& locale, const QByteArray& input, const QString& env)
{
    QProcess p;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    for (const char* v : {"LANG", "LANGUAGE", "LC_MESSAGES", "LC_CTYPE", "QUILLET_LANG", "DISPLAY"})
        e.remove(QLatin1String(v));
    const QStringList added{"WINEPREFIX=" QUILLET_BINARY_DIR "/wineprefix", "WINEDEBUG=-all",
                            "WINEDLLOVERRIDES=mscoree,mshtml=", "LC_ALL=" + locale, env};
    for (const QString& a : added)
        if (!a.isEmpty())
            e.insert(a.section(u'=', 0, 0), a.section(u'=', 1));
    p.setProcessEnvironment(e);
    p.setWorkingDirectory(m_scripts);
    p.setProgram(program.front().endsWith(QStringLiteral(".exe")) ? m_wine : QStringLiteral("perl"));
    p.setArguments(QStringList{m_hosts + u'/' + program.front()} + program.mid(1) + args);
    p.start();
    p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(120000))
        return {-2, {}, QStringLiteral("<not started or hung>")}; // killed as `p` goes
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

void tst_ScriptHost::runs_data()
{
    QTest::addColumn<QString>("file"); // a name in the scripts' folder, or a path
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    QTest::addColumn<int>("code");
    row("VBScript that does not parse", "syntax.vbs", crlf("WScript.Echo \"前\"\nx = 1 +* 2\n"), {},
        "%1(2, 8) VBScript コンパイル エラー: 構文エラーです。\n", 1);
    row("division by zero, after output", "div.vbs", crlf("WScript.Echo \"日本語\"\nx = 1 / 0\n"), "日本語\n",
        "%1(2, 1) VBScript 実行時エラー: 0 で除算しました。\n", 1);
    row("division by zero in English", "div-en.vbs", crlf("x = 1\n  y = x / 0\n"), {},
        "%1(2, 3) VBScript runtime error: Division by zero\n", 1, En);
    row("Err.Raise 5", "raise.vbs", crlf("\nErr.Raise 5\n"), {},
        "%1(2, 1) VBScript 実行時エラー: プロシージャ呼び出しまたは引数が正しくありません。\n", 1);
    row("Err.Raise with the script's own source and text", "raise-own.vbs",
        crlf("Err.Raise 1000, \"在庫\", \"数が足りません\"\n"), {}, "%1(1, 1) 在庫: 数が足りません\n", 1);
    row("undefined function", "undefined.vbs", crlf("Foo 1\n"), {},
        "%1(1, 1) VBScript 実行時エラー: オブジェクトはこのプロパティまたはメソッドをサポートしていません\n",
        1);
    row("Option Explicit: Wine gives no reason", "explicit.vbs", crlf("Option Explicit\ny = 1\n"), {},
        "%1(2, 1) VBScript 実行時エラー: スクリプトの実行中にエラーが発生しました。\n", 1);
    row("call with a wrong argument count", "argc.vbs", crlf("WScript.Echo Len()\n"), {},
        "%1(1, 1) VBScript runtime error: Wrong number of arguments or invalid property assignment\n", 1, En);
    row("index past the arguments", "index.vbs", crlf("WScript.Echo WScript.Arguments(0)\n"), {},
        "%1(1, 1) WScript: インデックスが有効範囲にありません。\n", 1);
    row("JScript throws", "throw.js", crlf("var a = 1;\nthrow new Error(\"失敗\");\n"), {},
        "%1(2, 1) JScript 実行時エラー: 失敗\n", 1);
    row("JScript throws a string", "throw-string.js", crlf("throw \"x\";\n"), {},
        "%1(1, 1) JScript runtime error: Exception thrown and not caught\n", 1, En);
    row("JScript that does not parse", "syntax.js", crlf("var a = 1;\n  var b = ;\n"), {},
        "%1(2, 11) JScript コンパイル エラー: 構文エラー\n", 1);
    // Wine under a Japanese locale for code page 932, the user's own language English.
    row("Wine's Japanese text replaced for an English user", "syntax-en.js",
        crlf("var a = 1;\n  var b = ;\n"), {}, "%1(2, 11) JScript compilation error: Syntax error\n", 1,
        Ja + "+QUILLET_LANG=C.UTF-8");
    row("missing script", "none.vbs", {}, {}, "入力エラー: スクリプト ファイル \"%1\" が見つかりません。\n",
        1);
    row("unknown switch", "fine.vbs", crlf("WScript.Echo 1\n"), {},
        "入力エラー: 不明なオプション \"//zz\" が指定されました。\n", 1, Ja, {"//nologo", "//zz"});
    row("bad timeout", "fine.vbs", crlf("WScript.Echo 1\n"), {},
        "Input Error: Invalid timeout value in \"//T:x\".\n", 1, En, {"//nologo", "//T:x"});
    row("//E: names the engine for any file", "code.txt", crlf("WScript.Echo(\"js\" + 1);\n"), "js1\n", {}, 0,
        En, {"//nologo", "//E:JScript"});
    row("//E: an engine there is none of", "fine.vbs", crlf("WScript.Echo 1\n"), {},
        "入力エラー: スクリプト エンジン \"Ruby\" が見つかりません。\n", 1, Ja, {"//nologo", "//E:Ruby"});
    row("an object that cannot be made", "noobject.vbs",
        crlf("\nSet o = WScript.CreateObject(\"No.Such\")\n"), {},
        "%1(2, 1) WScript: \"No.Such\" という名前のオブジェクトを作成できませんでした。\n", 1);
    row("a host method called without its argument", "noarg.vbs", crlf("x = 1\n  WScript.StdOut.Write\n"), {},
        "%1(2, 3) StdOut: 引数の数が一致していません。または不正なプロパティを指定しています。\n", 1);
    row("//? shows the usage on standard output", "fine.vbs", {},
        "Usage: CScript [host options...] scriptname [options and parameters to script]\n\nHost options:\n"
        " //B         Batch mode: suppresses script errors and prompts from displaying\n"
        " //E:engine  Use engine for executing script (VBScript, JScript, JScript.Encode)\n"
        " //I         Interactive mode (default)\n //logo      Display logo (default)\n"
        " //nologo    Prevent logo display\n"
        " //T:nn      Time out in seconds: maximum time a script is permitted to run\n"
        " //U         Use Unicode for redirected I/O from the console\n\n",
        {}, 0, En, {"//nologo", "//?"});
    row("no engine for .txt", "notes.txt", crlf("x\n"), {},
        "入力エラー: ファイル拡張子 \".txt\" のスクリプト エンジンがありません。\n", 1);

    // "WScript.Echo 1" after two plain lines, as the encoder writes it, then damaged by hand.
    const QByteArray head = "' a\r\n' b\r\n";
    const QByteArray block = "#@~^DgAAAA==\tUm.bwDR21tK~FygQAAA==^#~@";
    row("encoded block altered", "altered.vbe", head + QByteArray(block).replace(16, 1, "x"), {},
        "スクリプト \"%1\" を実行できません。3 行目のエンコードされたブロックが壊れています: "
        "チェックサムが合いません (書き換えられています)。\n",
        1);
    row("encoded block cut short, in English", "cut.vbe", head + block.chopped(3), {},
        "Can not run script \"%1\". The encoded block on line 3 is damaged: it is cut short.\n", 1, En);
    row("the second encoded block damaged, named by //E:", "two.txt",
        block + "\r\n" + QByteArray(block).replace("^#~@", "^#~!"), {},
        "Can not run script \"%1\". The encoded block on line 2 is damaged: its end mark \"^#~@\" is "
        "missing.\n",
        1, En, {"//nologo", "//E:VBScript.Encode"});
    row("encoded block damaged under //B: the exit code says it", "batch.vbe", head + block.chopped(1), {},
        {}, 1, Ja, {"//B"});
    row("an intact encoded block runs", "intact.vbe", head + block, "1\n", {}, 0);
    // Wine's own JScript.Encode engine decodes the script.
    row("encoded JScript", "enc.jse",
        "#@~^RQAAAA==-mD~sX|:/TP{~J:+dYbxL~@!F@*@!+@*@!&@*eEI@#@&@#@&\x7fjm.raY 214Wv:zms/obI0xEAAA==^#~@",
        "Testing <1><2><3>!\n", {}, 0, En);

    QByteArray utf16("\xFF\xFE");
    const QString u = QStringLiteral("WScript.Echo \"ﾊﾝｶｸ ①\"\r\n");
    utf16.append(reinterpret_cast<const char*>(u.utf16()), u.size() * 2);
    row("UTF-16 with byte-order mark", "utf16.vbs", utf16, "ﾊﾝｶｸ ①\n", {}, 0, En);
    row("code page 932 under an English locale", "cp932.vbs", crlf("WScript.Echo \"ｸｲﾙｯﾄ ～ ∥\"\n"),
        "ｸｲﾙｯﾄ ～ ∥\n", {}, 0, En);
    row("shared: UTF-8 JScript with byte-order mark", Data + "utf8-bom.js", {}, "日本語のテキスト ﾊﾝｶｸ ①\n",
        {}, 0, En);
    row("shared: UTF-8 JScript without", Data + "utf8-nobom.js", {}, "日本語のテキスト ﾊﾝｶｸ ①\n", {}, 0, En);
    row("//B: the error shown nowhere, the exit code still says it", "batch.vbs", crlf("x = 1 / 0\n"), {}, {},
        1, Ja, {"//B"});
    row("the logo unless //nologo", "logo.vbs", crlf("WScript.Echo \"x\"\n"),
        "Quillet Script Host Version 5.812\nCopyright (C) 2026 Quillet Project\n\nx\n", {}, 0, En, {});

    const QStringList args{"//nologo", "*", "a \"b\" c", "/name:値", "$(id);|>x", "/flag"};
    row("arguments: For Each over all", "each.vbs",
        crlf("For Each a In WScript.Arguments: WScript.Echo \"[\" & a & \"]\": Next\n"),
        "[a \"b\" c]\n[/name:値]\n[$(id);|>x]\n[/flag]\n", {}, 0, Ja, args);
    row("arguments: Unnamed and Named", "named.vbs",
        crlf("Set n = WScript.Arguments.Named: WScript.Echo WScript.Arguments.Count, "
             "WScript.Arguments.Unnamed.Count, n.Count, n(\"NAME\"), n.Exists(\"flag\"), n.Exists(\"x\"), "
             "\"[\" & n(\"flag\") & \"]\", WScript.Arguments.Unnamed(1)\n"
             "For Each k In n: WScript.Echo k: Next\n"),
        "4 2 2 値 -1 0 [] $(id);|>x\nname\nflag\n", {}, 0, Ja, args);
    row("arguments: JScript's length, call form and Enumerator", "args.js",
        crlf("var a = WScript.Arguments; var s = a.length + \":\" + a(0) + \":\" + a.Item(2);"
             "for (var e = new Enumerator(a.Unnamed); !e.atEnd(); e.moveNext()) s += \"|\" + e.item();"
             "WScript.Echo(s, a.Named.Item(\"name\"), WSH.Name, typeof WScript.StdOut.Write(\"\"));\n"),
        "4:a \"b\" c:$(id);|>x|a \"b\" c|$(id);|>x 値 Windows Script Host undefined\n", {}, 0, Ja, args);
    row("script names", "名前.vbs",
        crlf("WScript.Echo WScript.ScriptName & \"|\" & Right(WScript.FullName, 11) & \"|\" & "
             "WScript.Version\n"),
        "名前.vbs|cscript.exe|5.8\n", {}, 0);
    row("CreateObject and JScript's ActiveXObject", "objects.js",
        crlf("var d = WScript.CreateObject(\"Scripting.Dictionary\"); d.Add(\"k\", \"値\");"
             "var f = new ActiveXObject(\"Scripting.FileSystemObject\");"
             "WScript.Echo(d.Item(\"k\"), d.Count, f.GetExtensionName(WScript.ScriptName));\n"),
        "値 1 js\n", {}, 0);
    row("StdOut's Write and WriteBlankLines", "streams.vbs",
        crlf(
            "WScript.StdOut.Write \"a\": WScript.StdOut.WriteBlankLines 2: WScript.StdOut.WriteLine \"b\"\n"),
        "a\n\nb\n", {}, 0);
    // Read asks for more than is left at the end.
    row("Japanese through pipes", "pipe.vbs",
        crlf("s = WScript.StdIn.Read(2)\nDo Until WScript.StdIn.AtEndOfStream\n"
             "  l = WScript.StdIn.ReadLine\n"
             "  WScript.StdOut.WriteLine \"入力: \" & l & \" (\" & Len(l) & \")\"\n"
             "Loop\nWScript.StdErr.WriteLine s & \"[\" & WScript.StdIn.Read(100) & \"]\"\n"),
        "入力: う (1)\n入力: 漢字ｶﾅ (4)\n", "あい[]\n", 0, En, {"//nologo"},
        QStringLiteral("あいう\r\n漢字ｶﾅ\n").toUtf8());
    // Cut off inside a UTF-8 character: the rest still reads, as code page 932.
    row("input ending inside a character", "cut.vbs",
        crlf("Do Until WScript.StdIn.AtEndOfStream\n  WScript.Echo \"[\" & WScript.StdIn.ReadLine & "
             "\"]\"\nLoop\n"),
        "[あ]\n[縺]\n", {}, 0, En, {"//nologo"}, QStringLiteral("あ\n").toUtf8() + "\xE3\x81");

    row("Quit", "quit.vbs", crlf("WScript.Echo 1: WScript.Quit: WScript.Echo 2\n"), "1\n", {}, 0);
    row("Quit past On Error Resume Next", "quit255.vbs",
        crlf("On Error Resume Next: WScript.Quit 255: WScript.Echo 2\n"), {}, {}, 255);
    row("JScript Quit in try", "quit.js", crlf("try { WScript.Quit(7); } finally { WScript.Echo(2); }\n"), {},
        {}, 7);
    row("timeout", "loop.vbs", crlf("WScript.Echo \"始め\"\nDo\nLoop\n"), "始め\n",
        "スクリプト \"%1\" の実行時間が制限を超えました。\nスクリプトの実行を中止しました。\n", 1, Ja,
        {"//nologo", "//T:2"});

    row("PerlScript in code page 932, arguments", "a.pls",
        crlf("$WScript->Echo(\"ﾊﾟｰﾙ\", $WScript->Arguments->Count, $WScript->ScriptName);\n"
             "foreach my $a (in $WScript->Arguments) { $WScript->Echo(\"[$a]\") }\n"
             "$WScript->Echo($WScript->Arguments->Named->Item(\"k\"), "
             "$WScript->Arguments->Unnamed->Item(0));\n"),
        "ﾊﾟｰﾙ 2 a.pls\n[日本 語]\n[/k:値]\n値 日本 語\n", {}, 0, Ja, {"*", "日本 語", "/k:値"});
    row("PerlScript: die names its line", "die.pls", crlf("print \"x\\n\";\n\ndie \"壊れました\";\n"), "x\n",
        "%1(3, 1) PerlScript エラー: 壊れました\n", 1);
    row("PerlScript syntax error", "syntax.pls", crlf("my $x = 1;\nmy $y = ;\n"), {},
        "%1(2, 1) PerlScript エラー: syntax error\n", 1);
    row("PerlScript: CreateObject names the limitation", "com.pls",
        crlf("\nmy $fso = $WScript->CreateObject(\"Scripting.FileSystemObject\");\n"), {},
        "%1(2, 1) PerlScript エラー: CreateObject と GetObject は使えません: Linux の perl には COM "
        "オブジェクトがありません。\n",
        1);
    row("PerlScript Quit code", "quit.pls",
        crlf("$WScript->Echo(1);\n$WScript->Quit(4);\n$WScript->Echo(2);\n"), "1\n", {}, 4);
    row("shared: PerlScript in code page 932", Data + "cp932-perl.pls", {}, "ﾊﾟｰﾙ\n", {}, 0, En, {});

    const QStringList vbe{"%1.VBE"};
    const QString inFolder = QStringLiteral("C:\\Program Files\\%2\n");
    // MsgBox shows nothing here (no display): Echo says what ran.
    row("encoded: ASCII with LF", Data + "ascii-lf.vbs", {}, "hi\n", {}, 0, En, vbe);
    row("encoded: code page 932 with a header", Data + "cp932-greeting.vbs", {}, inFolder, {}, 0, Ja, vbe);
    row("encoded: UTF-16 LE", Data + "utf16le-bom.vbs", {}, inFolder, {}, 0, En, vbe);
    row("encoded: UTF-16 BE", Data + "utf16be-bom.vbs", {}, inFolder, {}, 0, Ja, vbe);
    row("encoded: cp932, invalid bytes", Data + "cp932-invalid-bytes.vbs", {}, {}, {}, 0, Ja, vbe);
    row("encoded: Japanese, escapes, tabs and a block look-alike", "escapes.vbs",
        crlf("' 作成者: テスト\ns = \"<a> @ b\" & vbTab & \"@#@&@!@*@$\"\nWScript.Echo s, \"ｸｲﾙｯﾄ ～ ∥\"\n"
             "\tWScript.Echo Len(\"日本語\"), Chr(64) & \"#~^\", \"#@~^AAAAAA==^#~@\"\n"),
        "<a> @ b\t@#@&@!@*@$ ｸｲﾙｯﾄ ～ ∥\n3 @#~^ #@~^AAAAAA==^#~@\n", {}, 0, Ja, vbe);
    row("encoded: UTF-8, a plain header before the start marker, LF and CR LF", "marker.vbs",
        "' 著作権: 山田 太郎\r\n'**Start Encode**\r\nWScript.Echo \"髙橋\"\nWScript.Echo "
        "WScript.ScriptName\r\n",
        "髙橋\n%2\n", {}, 0, En, vbe);
    row("encoded: a runtime error on line 3", "runtime.vbs",
        crlf("WScript.Echo \"前\"\n' コメント\n  x = 1 / 0\nWScript.Echo \"後\"\n"), "前\n",
        "%1(3, 3) VBScript 実行時エラー: 0 で除算しました。\n", 1, Ja, vbe);
    row("encoded: Err.Raise on line 3 after the start marker, in English", "raise.vbs",
        crlf("' (C) 2001\n'**Start Encode**\n\tErr.Raise 5\n"), {},
        "%1(3, 2) VBScript runtime error: Invalid procedure call or argument\n", 1, En, vbe);
    row("encoded: a syntax error", "syntax.vbs",
        crlf("WScript.Echo \"前\"\nIf x Then\n  x = 1 +* 2\nEnd If\n"), {},
        "%1(3, 10) VBScript コンパイル エラー: 構文エラーです。\n", 1, Ja, vbe);
    row("encoded: //E:VBScript.Encode for a file of any name", "engine.vbs",
        crlf("WScript.Echo \"エンジン\"\n"), "エンジン\n", {}, 0, Ja, {"%1.enc"});

    auto boxes = [](const QByteArray& name, const QString& file, const QByteArray& bytes,
                    const QString& locale, const QString& shown) {
        row("boxes: " + name, file, bytes, shown, {}, 1, locale, {"wscript.exe"});
    };
    boxes("Echo, then division by zero", "gui.vbs", crlf("WScript.Echo \"こんにちは\", 2\nx = 1 / 0\n"), Ja,
          "Windows Script Host\nこんにちは 2\n\f\nWindows Script Host\nスクリプト: %1\n行: 2\n文字: 1\n"
          "エラー: 0 で除算しました。\nコード: 800A000B\nソース: VBScript 実行時エラー\n\f\n");
    boxes("English", "gui-en.js", crlf("\n\n  foo.bar();\n"), En,
          "Windows Script Host\nScript: %1\nLine: 3\nChar: 3\nError: 'foo' is undefined\nCode: 800A1391\n"
          "Source: JScript runtime error\n\f\n");
    boxes("no console in the GUI host", "gui-stdout.vbs", crlf("WScript.StdOut.WriteLine 1\n"), En,
          "Windows Script Host\nScript: %1\nLine: 1\nChar: 1\nError: The handle is invalid.\nCode: 80070006\n"
          "Source: WScript\n\f\n");
    boxes("a damaged encoded block", "gui-damaged.vbe", "\r\n#@~^DgAAAA==\tUm.bwDR21tK~FygQAAA==", Ja,
          "Windows Script Host\nスクリプト \"%1\" を実行できません。"
          "2 行目のエンコードされたブロックが壊れています: ブロックが途中で切れています。\n\f\n");
    boxes("PerlScript: no console", "gui.pls", crlf("$WScript->Echo(\"ﾊﾟｰﾙ\");\n$WScript->StdOut;\n"), Ja,
          "Windows Script Host\nﾊﾟｰﾙ\n\f\nWindows Script Host\nスクリプト: %1\n行: 2\n文字: 1\n"
          "エラー: ハンドルが無効です。\nソース: PerlScript エラー\n\f\n");
}

void tst_ScriptHost::runs()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, args);
    QFETCH(QString, locale);
    QFETCH(QByteArray, input);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QFETCH(int, code);
    QStringList paths{pathOf(file, bytes)};
    QVERIFY(!paths[0].isEmpty());
    if (args.value(0).startsWith(u'%')) {
        paths << m_scripts + u'/' + args[0].arg(QFileInfo(paths[0]).fileName());
        args = QStringList{QStringLiteral("//nologo")};
        QProcess p;
        p.start(QStringLiteral(QUILLET_BINARY_DIR "/bin/quillet-encode"), {paths[0], "/f", paths[1]});
        QVERIFY(p.waitForFinished(60000));
        QVERIFY2(p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0,
                 p.readAllStandardError().constData());
        // The encoder writes the block's marks in the script's own charset.
        QVERIFY(bytesOf(paths[1]).contains("#@~^") ||
                bytesOf(paths[1]).contains(QByteArray("#\0@\0~\0^", 7)));
    }
    const bool perl = file.endsWith(QStringLiteral(".pls")), gui = args.value(0) == "wscript.exe";
    const QString hook = m_dir.path() + QStringLiteral("/boxes-") + QFileInfo(paths[0]).fileName();
    // An encoded script runs exactly as its plain text does: output, errors with their place, exit code.
    for (const QString& path : paths) {
        QStringList a = gui ? QStringList() : args;
        if (path != paths[0] && !path.endsWith(QStringLiteral(".VBE")))
            a << QStringLiteral("//E:VBScript.Encode");
        if (!a.contains(QStringLiteral("*")))
            a << QStringLiteral("*");
        a.replace(a.indexOf(QStringLiteral("*")), perl ? path : StandIns::wineForm(path));
        const Result r = run(perl ? QStringList{"quillet-pls", gui ? "--gui" : "--console"}
                                  : QStringList{gui ? "wscript.exe" : "cscript.exe"},
                             a, locale.section(u'+', 0, 0), input,
                             gui ? "QUILLET_HOST_BOXES=" + hook : locale.section(u'+', 1));
        QCOMPARE(r.err, QString(err).replace(QStringLiteral("%1"), path));
        QCOMPARE(gui ? QString::fromUtf8(bytesOf(hook)) : r.out,
                 QString(out).replace("%1", path).replace("%2", QFileInfo(path).fileName()));
        QCOMPARE(r.code, code);
    }
}

// What the run action starts for "host script" (the row's name): %T the terminal, also the hold
// program; %W Wine; %H the hosts' folder; %P perl; %S the script, Z:%S as Wine names it.
void tst_ScriptHost::launches_data()
{
    QTest::addColumn<QString>("argv");
    const QString xterm = QStringLiteral("%T|-T|CSCRIPT.EXE|-fa|Liberation Mono|-fd|IPAGothic|-fs|11|-e|%T|");
    QTest::newRow("CSCRIPT.EXE a.vbs") << xterm + "%W|%H/cscript.exe|Z:%S";
    QTest::newRow("CSCRIPT.EXE a.pls") << xterm + "%P|%H/quillet-pls|--console|%S";
    QTest::newRow("WSCRIPT.EXE a.pls") << "%P|%H/quillet-pls|--gui|%S";
}

void tst_ScriptHost::launches()
{
    QFETCH(QString, argv);
    const QString bin = m_dir.path() + QStringLiteral("/bin");
    const QString term = FakePrograms::install(bin, QStringLiteral("xterm"));
    QFile::link(QStandardPaths::findExecutable(QStringLiteral("perl")), bin + QStringLiteral("/perl"));
    const QString tag = QString::fromUtf8(QTest::currentDataTag());
    const QString path = m_scripts + u'/' + tag.section(u' ', 1);
    StandIns::Context c;
    c.holdProgram = term;
    c.hostFolder = m_hosts;
    c.wineLoader = m_wine;
    SearchPath only({bin});
    QString reason;
    const StandIns::Launch l = StandIns::find(tag.section(u' ', 0, 0), u'"' + path + u'"', c, &reason);
    QCOMPARE(reason, QString());
    QCOMPARE(QStringList(QStringList{l.program} + l.arguments).join(u'|'),
             argv.replace(QStringLiteral("%T"), term)
                 .replace(QStringLiteral("%W"), m_wine)
                 .replace(QStringLiteral("%H"), m_hosts)
                 .replace(QStringLiteral("%P"), bin + QStringLiteral("/perl"))
                 .replace(QStringLiteral("Z:%S"), StandIns::wineForm(path))
                 .replace(QStringLiteral("%S"), path));
}

QTEST_GUILESS_MAIN(tst_ScriptHost)
#include "tst_ScriptHost.moc"
