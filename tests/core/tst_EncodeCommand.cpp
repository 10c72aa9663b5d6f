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
    const EncodedScript::Decoded d =
        EncodedScript::decodeScript(std::string_view(bytes.constData(), std::size_t(bytes.size())));
    return d.ok() && d.blocks > 0 ? QByteArray(d.text.data(), qsizetype(d.text.size()))
                                  : QByteArray("<not encoded>");
}

} // namespace

void tst_EncodeCommand::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(writeFile(path("a.vbs"), PlainVbs) && writeFile(path("b.js"), PlainJs) &&
            writeFile(path("j.js"), JapaneseJs) && writeFile(path("c.pls"), "$WScript->Echo(1);\r\n") &&
            writeFile(path("s.txt"), PlainVbs) && writeFile(path("old.vbe"), "old") &&
            writeFile(path("locked.vbe"), "locked"));
    const std::string enc =
        EncodedScript::encodeScript(std::string_view(PlainVbs.constData(), PlainVbs.size()),
                                    EncodedScript::Language::VBScript)
            .bytes;
    QByteArray encoded(enc.data(), qsizetype(enc.size()));
    QVERIFY(writeFile(path("enc.vbe"), encoded) && writeFile(path("bad.vbe"), encoded.replace(13, 1, "x")));
    QVERIFY(QDir().mkpath(path("ro")) && QDir().mkpath(path("dir.vbs")));
    QVERIFY(QFile::setPermissions(path("ro"), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    QVERIFY(QFile::setPermissions(path("locked.vbe"), QFileDevice::ReadOwner));
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
    row("the encode action's default answer", {"%1/a.vbs", "/f", "%1/a.vbs.VBE"}, 0,
        "エンコードしました: %1/a.vbs → %1/a.vbs.VBE\n", "", "a.vbs.VBE", PlainVbs);
    row("switches in any case and place, silent", {"/S", "a.vbs", "-F", "/xl", "out.VBE"}, 0, "", "",
        "out.VBE", PlainVbs);
    row("no destination: .vbe in place of .vbs", {"a.vbs"}, 0, "エンコードしました: a.vbs → a.vbe\n", "",
        "a.vbe", PlainVbs);
    row("JScript by its extension: .jse", {"/s", "b.js"}, 0, "", "", "b.jse", PlainJs);
    row("/e for a file the extension does not tell", {"/s", "/e", "VBS", "s.txt"}, 0, "", "", "s.vbe",
        PlainVbs);
    row("/l:language, the colon form", {"/s", "/l:JScript", "s.txt", "s.x"}, 0, "", "", "s.x", PlainVbs);
    row("/f replaces what is there", {"/s", "/f", "a.vbs", "old.vbe"}, 0, "", "", "old.vbe", PlainVbs);
    row("JScript with Japanese: Wine cannot run it, and is told", {"j.js", "j.jse"}, 0,
        "エンコードしました: j.js → j.jse\n",
        "注意: j.jse: エンコードした部分に ASCII 以外の文字が 3 個あります。Wine の JScript.Encode "
        "はこのファイルを実行できません (Windows では実行できます)。\n",
        "j.jse", JapaneseJs);
    row("help", {"/?"}, 0, "<usage>", "");

    row("PerlScript has no encoded form", {"%1/c.pls", "/f", "%1/c.pls.PLE"}, 1, "",
        "%1/c.pls: 拡張子から種類がわかりません。/e vbs か /e js で種類を指定してください。\n");
    row("an existing file without /f", {"a.vbs", "old.vbe"}, 1, "",
        "old.vbe: 出力ファイルがすでにあります。置き換えるには /f を付けてください。\n");
    row("a missing source", {"/f", "none.vbs"}, 1, "", "none.vbs: ファイルがありません。\n");
    row("a folder for a source", {"dir.vbs", "x.vbe"}, 1, "", "dir.vbs: 通常のファイルではありません。\n");
    row("a pipe for a source does not block", {"fifo.vbs", "x.vbe"}, 1, "",
        "fifo.vbs: 通常のファイルではありません。\n");
    row("destination in a read-only folder", {"a.vbs", "ro/a.vbe"}, 1, "",
        "ro/a.vbe: 書き込めません: フォルダに書き込めません。\n");
    row("a read-only destination, even with /f", {"/f", "a.vbs", "locked.vbe"}, 1, "",
        "locked.vbe: 書き込めません: 読み取り専用のファイルです。\n");
    row("the source as its own destination", {"/f", "a.vbs", "%1/./a.vbs"}, 1, "",
        "%1/./a.vbs: 出力ファイルが元のファイルと同じです。\n");
    row("the source through a hard link", {"/f", "a.vbs", "hard.vbe"}, 1, "",
        "hard.vbe: 出力ファイルが元のファイルと同じです。\n");
    row("an encoded source", {"/e", "vbs", "enc.vbe", "x.vbe"}, 1, "",
        "enc.vbe: すでにエンコードされています。\n");
    row("an unknown language", {"/l", "PerlScript", "a.vbs"}, 1, "",
        "言語 PerlScript はエンコードできません (VBScript か JScript を指定してください)。\n");
    row("an unknown type", {"/e", "pls", "c.pls"}, 1, "",
        "種類 pls はエンコードできません (vbs か js を指定してください)。\n");

    row("no file", {"/f"}, 2, "", "元のファイルが指定されていません。\n");
    row("/l without its value", {"a.vbs", "/l"}, 2, "", "/l の後に値がありません。\n");
    row("three files", {"a.vbs", "x.vbe", "y.vbe"}, 2, "", "ファイル名が多すぎます: y.vbe\n");
    // Refused, not turned into another file's name.
    row("a name that is not UTF-8", {"<\\x83\\x5C.vbs>"}, 1, "",
        "\uFFFD\\.vbs: ファイル名が UTF-8 ではないため扱えません。\n");
    row("after --, -s is a file name", {"/e", "vbs", "--", "-s"}, 1, "", "-s: ファイルがありません。\n");

    row("check: sound", {"/d", "enc.vbe"}, 0, "enc.vbe: 正しくエンコードされています (ブロック 1 個)。\n",
        "");
    row("check: tampered", {"/D", "bad.vbe"}, 1, "",
        "bad.vbe: 1 行目のエンコードされたブロックが壊れています: チェックサムが合いません "
        "(書き換えられています)。\n");
    row("check: not encoded", {"/d", "a.vbs"}, 1, "", "a.vbs: エンコードされた部分がありません。\n");
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
    const QString usage = QStringLiteral(
        "使い方: quillet-encode [/s] [/f] [/xl] [/l 言語] [/e 種類] 元のファイル [出力ファイル]\n"
        "        quillet-encode /d [/s] [/f] エンコードされたファイル [出力ファイル]\n"
        "スクリプト (.vbs、.js) "
        "をエンコードします。スイッチはどこに書いてもよく、大文字と小文字は区別しません。\n"
        "  /s       うまくいったときは何も表示しません\n"
        "  /f       出力ファイルがすでにあれば置き換えます\n"
        "  /xl      受け付けますが、何もしません (ASP ファイル用のスイッチです)\n"
        "  /l 言語  VBScript か JScript: 開始マーカーの形を決めます\n"
        "  /e 種類  拡張子で種類が決まらないファイルの種類: vbs か js\n"
        "  /d       "
        "エンコードされたファイルを確かめます。出力ファイルを指定すると、デコードした内容を書きます\n"
        "出力ファイルを省くと、元のファイルの拡張子を .vbe (VBScript) か .jse (JScript) "
        "に変えた名前になります。\n"
        "元のファイルに '**Start Encode** (JScript では //**Start Encode**) "
        "があれば、その後ろだけをエンコードします。\n");
    for (QString& a : arguments)
        a.replace(QStringLiteral("%1"), m_dir->path());
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
    QCOMPARE(QString::fromUtf8(p.readAllStandardError()), err);
    QCOMPARE(QString::fromUtf8(p.readAllStandardOutput()), out);
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), exitCode);

    QMap<QString, QByteArray> after = snapshot(m_dir->path());
    if (!written.isEmpty()) {
        const QByteArray bytes = after.take(written);
        QCOMPARE(holds.startsWith("plain:") ? bytes : decoded(bytes),
                 holds.startsWith("plain:") ? holds.mid(6) : holds);
        if (before.contains(written))
            after.insert(written, before.value(written));
    }
    QCOMPARE(after, before);
}

QTEST_GUILESS_MAIN(tst_EncodeCommand)
#include "tst_EncodeCommand.moc"
