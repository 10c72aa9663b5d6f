#include "EncodedScript.h"
#include "Fakes.h"
#include "TestFiles.h"

#include <QDirIterator>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

// quillet-encode as users and the encode action run it: what it prints, what it writes, and
// that a failure leaves every file as it was.
class tst_EncodeCommand : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void commandLines_data();
    void commandLines();

private:
    QString path(const QString& name) const { return m_dir->path() + u'/' + name; }
    std::unique_ptr<QTemporaryDir> m_dir;
};

namespace {

const QString Program = QStringLiteral(QUILLET_BINARY_DIR "/bin/quillet-encode");
const QByteArray PlainVbs = cp932(QStringLiteral("' 挨拶\r\nMsgBox \"こんにちは\" ' ソ表\r\n"));
const QByteArray PlainJs = "WScript.Echo(\"hi\" + (1 < 2));\r\n";
const QByteArray JapaneseJs = cp932(QStringLiteral("// 日本語\r\nWScript.Echo(1);\r\n"));

// Every file below `dir` with its bytes, so that a test sees anything that changed.
QMap<QString, QByteArray> snapshot(const QString& dir)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(dir, QDir::Files | QDir::System | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString p = it.next();
        files.insert(p.mid(dir.size() + 1), QFileInfo(p).isFile() ? bytesOf(p) : QByteArray("<special>"));
    }
    return files;
}

QByteArray decoded(const QByteArray& bytes)
{
    const EncodedScript::Decoded d = EncodedScript::decodeScript(bytes.toStdString());
    return d.ok() && d.blocks > 0 ? QByteArray::fromStdString(d.text) : QByteArray("<not encoded>");
}

} // namespace

void tst_EncodeCommand::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid() && writeFile(path("a.vbs"), PlainVbs) && writeFile(path("b.js"), PlainJs) &&
            writeFile(path("j.js"), JapaneseJs) && writeFile(path("c.pls"), "$WScript->Echo(1);\r\n") &&
            writeFile(path("s.txt"), PlainVbs) && writeFile(path("old.vbe"), "old") &&
            writeFile(path("locked.vbe"), "locked"));
    QByteArray encoded = QByteArray::fromStdString(
        EncodedScript::encodeScript(PlainVbs.toStdString(), EncodedScript::Language::VBScript).bytes);
    QVERIFY(writeFile(path("enc.vbe"), encoded) && writeFile(path("bad.vbe"), encoded.replace(13, 1, "x")));
    QVERIFY(QDir().mkpath(path("ro")) && QDir().mkpath(path("dir.vbs")) &&
            QFile::setPermissions(path("ro"), QFileDevice::ReadOwner | QFileDevice::ExeOwner) &&
            QFile::setPermissions(path("locked.vbe"), QFileDevice::ReadOwner));
    QCOMPARE(::link(QFile::encodeName(path("a.vbs")), QFile::encodeName(path("hard.vbe"))), 0);
    QCOMPARE(::mkfifo(QFile::encodeName(path("fifo.vbs")).constData(), 0600), 0);
}

void tst_EncodeCommand::commandLines_data()
{
    QTest::addColumn<QStringList>("arguments"); // %1: the test's folder, also the working folder
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");      // after an exit code 2, the usage follows it
    QTest::addColumn<QString>("written");  // the one file that may change
    QTest::addColumn<QByteArray>("holds"); // what it decodes to; "plain:" + bytes: what it holds
    auto row = [](const char* name, const QStringList& arguments, int code, const QString& out,
                  const QString& err, const QString& written = {}, const QByteArray& holds = {}) {
        QTest::newRow(name) << arguments << code << out << err << written << holds;
    };
    auto fails = [&](const QStringList& args, const QString& err) {
        row(qPrintable(args.join(u' ')), args, 1, "", err);
    };
    row("the encode action's default", {"%1/a.vbs", "/f", "%1/a.vbs.VBE"}, 0,
        "エンコードしました: %1/a.vbs → %1/a.vbs.VBE\n", "", "a.vbs.VBE", PlainVbs);
    row("switches anywhere", {"/S", "a.vbs", "-F", "/xl", "out.VBE"}, 0, "", "", "out.VBE", PlainVbs);
    row("no destination", {"a.vbs"}, 0, "エンコードしました: a.vbs → a.vbe\n", "", "a.vbe", PlainVbs);
    row("JScript by its extension", {"/s", "b.js"}, 0, "", "", "b.jse", PlainJs);
    row("/e, the type", {"/s", "/e", "VBS", "s.txt"}, 0, "", "", "s.vbe", PlainVbs);
    row("/l:language", {"/s", "/l:JScript", "s.txt", "s.x"}, 0, "", "", "s.x", PlainVbs);
    row("/f replaces", {"/s", "/f", "a.vbs", "old.vbe"}, 0, "", "", "old.vbe", PlainVbs);
    row("Japanese JScript", {"j.js", "j.jse"}, 0, "エンコードしました: j.js → j.jse\n",
        "注意: j.jse: エンコードした部分に ASCII 以外の文字が 3 個あります。Wine の JScript.Encode "
        "はこのファイルを実行できません (Windows では実行できます)。\n",
        "j.jse", JapaneseJs);
    row("help", {"/?"}, 0, "<usage>", "");

    fails({"%1/c.pls", "/f", "%1/c.pls.PLE"},
          "%1/c.pls: 拡張子から種類がわかりません。/e vbs か /e js で種類を指定してください。\n");
    fails({"a.vbs", "old.vbe"},
          "old.vbe: 出力ファイルがすでにあります。置き換えるには /f を付けてください。\n");
    fails({"/f", "none.vbs"}, "none.vbs: ファイルがありません。\n");
    fails({"dir.vbs", "x.vbe"}, "dir.vbs: 通常のファイルではありません。\n");
    fails({"fifo.vbs", "x.vbe"}, "fifo.vbs: 通常のファイルではありません。\n");
    fails({"a.vbs", "ro/a.vbe"}, "ro/a.vbe: 書き込めません: フォルダに書き込めません。\n");
    fails({"/f", "a.vbs", "locked.vbe"}, "locked.vbe: 書き込めません: 読み取り専用のファイルです。\n");
    fails({"/f", "a.vbs", "%1/./a.vbs"}, "%1/./a.vbs: 出力ファイルが元のファイルと同じです。\n");
    fails({"/f", "a.vbs", "hard.vbe"}, "hard.vbe: 出力ファイルが元のファイルと同じです。\n");
    fails({"/e", "vbs", "enc.vbe", "x.vbe"}, "enc.vbe: すでにエンコードされています。\n");
    fails({"/l", "PerlScript", "a.vbs"},
          "言語 PerlScript はエンコードできません (VBScript か JScript を指定してください)。\n");
    fails({"/e", "pls", "c.pls"}, "種類 pls はエンコードできません (vbs か js を指定してください)。\n");

    row("no file", {"/f"}, 2, "", "元のファイルが指定されていません。\n");
    row("/l without its value", {"a.vbs", "/l"}, 2, "", "/l の後に値がありません。\n");
    row("/l: with nothing after the colon", {"/l:", "a.vbs"}, 2, "", "/l: の後に値がありません。\n");
    row("three files", {"a.vbs", "x.vbe", "y.vbe"}, 2, "", "ファイル名が多すぎます: y.vbe\n");
    // Refused, not turned into another file's name.
    fails({"<\\x83\\x5C.vbs>"}, "\uFFFD\\.vbs: ファイル名が UTF-8 ではないため扱えません。\n");
    fails({"/e", "vbs", "--", "-s"}, "-s: ファイルがありません。\n");

    row("check", {"/d", "enc.vbe"}, 0, "enc.vbe: 正しくエンコードされています (ブロック 1 個)。\n", "");
    fails({"/D", "bad.vbe"},
          "bad.vbe: 1 行目のエンコードされたブロックが壊れています: チェックサムが合いません "
          "(書き換えられています)。\n");
    fails({"/d", "a.vbs"}, "a.vbs: エンコードされた部分がありません。\n");
    row("check: decoded into a file", {"/d", "enc.vbe", "back.vbs"}, 0,
        "デコードしました: enc.vbe → back.vbs\n", "", "back.vbs", "plain:" + PlainVbs);
}

void tst_EncodeCommand::commandLines()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QFETCH(QString, written);
    QFETCH(QByteArray, holds);
    const QString usage = QString::fromUtf8(
        R"(使い方: quillet-encode [/s] [/f] [/xl] [/l 言語] [/e 種類] 元のファイル [出力ファイル]
        quillet-encode /d [/s] [/f] エンコードされたファイル [出力ファイル]
スクリプト (.vbs、.js) をエンコードします。スイッチはどこに書いてもよく、大文字と小文字は区別しません。
  /s       うまくいったときは何も表示しません
  /f       出力ファイルがすでにあれば置き換えます
  /xl      受け付けますが、何もしません (ASP ファイル用のスイッチです)
  /l 言語  VBScript か JScript: 開始マーカーの形を決めます
  /e 種類  拡張子で種類が決まらないファイルの種類: vbs か js
  /d       エンコードされたファイルを確かめます。出力ファイルを指定すると、デコードした内容を書きます
出力ファイルを省くと、元のファイルの拡張子を .vbe (VBScript) か .jse (JScript) に変えた名前になります。
元のファイルに '**Start Encode** (JScript では //**Start Encode**) があれば、その後ろだけをエンコードします。
)");
    arguments.replaceInStrings(QStringLiteral("%1"), m_dir->path());
    out.replace(QStringLiteral("<usage>"), usage).replace(QStringLiteral("%1"), m_dir->path());
    err.replace(QStringLiteral("%1"), m_dir->path()).append(exitCode == 2 ? usage : QString());
    const QMap<QString, QByteArray> before = snapshot(m_dir->path());

    QProcess p;
    p.setWorkingDirectory(m_dir->path());
    if (arguments.value(0).startsWith(u'<')) // bytes no QString holds
        p.start(QStringLiteral("/bin/sh"), {"-c", "exec \"$0\" \"$(printf '\\203\\134.vbs')\"", Program});
    else
        p.start(Program, arguments);
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(QStringList({p.readAllStandardError(), p.readAllStandardOutput()}), QStringList({err, out}));
    QCOMPARE(p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, exitCode);

    QMap<QString, QByteArray> after = snapshot(m_dir->path()), expected = before;
    if (!written.isEmpty()) {
        expected.insert(written, after.value(written));
        QCOMPARE(holds.startsWith("plain:") ? "plain:" + after.value(written) : decoded(after.value(written)),
                 holds);
    }
    QCOMPARE(after, expected);
}

QTEST_GUILESS_MAIN(tst_EncodeCommand)
#include "tst_EncodeCommand.moc"
