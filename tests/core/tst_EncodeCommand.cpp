#include "EncodedScript.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

// quillet-encode as users and the encode action run it: its command lines, what it prints,
// what it writes, and that a failure leaves every file as it was.
class tst_EncodeCommand : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void commandLines_data();
    void commandLines();
    void nameThatIsNotUtf8();

private:
    QString path(const QString& name) const { return m_dir->path() + u'/' + name; }
    std::unique_ptr<QTemporaryDir> m_dir;
};

namespace {

const QString Program = QStringLiteral(QUILLET_BINARY_DIR "/bin/quillet-encode");

QByteArray cp932(const QString& s)
{
    QStringEncoder e("CP932");
    return e.encode(s);
}

const QByteArray PlainVbs = cp932(QStringLiteral("' 挨拶\r\nMsgBox \"こんにちは\" ' ソ表\r\n"));
const QByteArray PlainJs = "WScript.Echo(\"hi\" + (1 < 2));\r\n";

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// Every file below `dir` with its bytes, so that a test sees anything that changed.
QMap<QString, QByteArray> snapshot(const QString& dir)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(dir, QDir::Files | QDir::System | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString p = it.next();
        files.insert(p.mid(dir.size() + 1), QFileInfo(p).isFile() ? readAll(p) : QByteArray("<special>"));
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
    QVERIFY(writeFile(path("a.vbs"), PlainVbs));
    QVERIFY(writeFile(path("b.js"), PlainJs));
    QVERIFY(writeFile(path("j.js"), cp932(QStringLiteral("// 日本語\r\nWScript.Echo(1);\r\n"))));
    QVERIFY(writeFile(path("c.pls"), "$WScript->Echo(1);\r\n"));
    QVERIFY(writeFile(path("s.txt"), PlainVbs));
    QVERIFY(writeFile(path("old.vbe"), "old"));
    const std::string enc =
        EncodedScript::encodeScript(std::string_view(PlainVbs.constData(), PlainVbs.size()),
                                    EncodedScript::Language::VBScript)
            .bytes;
    QByteArray encoded(enc.data(), qsizetype(enc.size()));
    QVERIFY(writeFile(path("enc.vbe"), encoded));
    QVERIFY(writeFile(path("bad.vbe"), encoded.replace(13, 1, "x")));
    QVERIFY(QDir().mkpath(path("ro")));
    QVERIFY(QFile::setPermissions(path("ro"), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    QVERIFY(writeFile(path("locked.vbe"), "locked"));
    QVERIFY(QFile::setPermissions(path("locked.vbe"), QFileDevice::ReadOwner));
    QVERIFY(QDir().mkpath(path("dir.vbs")));
    QVERIFY(QFile::link(path("a.vbs"), path("link.vbe")));
    QVERIFY(::link(QFile::encodeName(path("a.vbs")).constData(),
                   QFile::encodeName(path("hard.vbe")).constData()) == 0);
    QVERIFY(::mkfifo(QFile::encodeName(path("fifo.vbs")).constData(), 0600) == 0);
}

void tst_EncodeCommand::commandLines_data()
{
    QTest::addColumn<QStringList>("arguments"); // %1: the test's folder, also the working folder
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    QTest::addColumn<QString>("written");  // the one file that may change
    QTest::addColumn<QByteArray>("holds"); // what it decodes to; "plain:" + bytes: what it holds

    const QByteArray none;
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
    QTest::newRow("the encode action's default answer") << QStringList{"%1/a.vbs", "/f", "%1/a.vbs.VBE"} << 0
                                                        << "エンコードしました: %1/a.vbs → %1/a.vbs.VBE\n"
                                                        << ""
                                                        << "a.vbs.VBE" << PlainVbs;
    QTest::newRow("switches in any case and place, silent")
        << QStringList{"/S", "a.vbs", "-F", "/xl", "out.VBE"} << 0 << ""
        << ""
        << "out.VBE" << PlainVbs;
    QTest::newRow("no destination: .vbe in place of .vbs")
        << QStringList{"a.vbs"} << 0 << "エンコードしました: a.vbs → a.vbe\n"
        << ""
        << "a.vbe" << PlainVbs;
    QTest::newRow("JScript by its extension: .jse") << QStringList{"/s", "b.js"} << 0 << ""
                                                    << ""
                                                    << "b.jse" << PlainJs;
    QTest::newRow("/e for a file the extension does not tell")
        << QStringList{"/s", "/e", "VBS", "s.txt"} << 0 << ""
        << ""
        << "s.vbe" << PlainVbs;
    QTest::newRow("/l:language, the colon form") << QStringList{"/s", "/l:JScript", "s.txt", "s.x"} << 0 << ""
                                                 << ""
                                                 << "s.x" << PlainVbs;
    QTest::newRow("/f replaces what is there") << QStringList{"/s", "/f", "a.vbs", "old.vbe"} << 0 << ""
                                               << ""
                                               << "old.vbe" << PlainVbs;
    QTest::newRow("JScript with Japanese: Wine cannot run it, and is told")
        << QStringList{"j.js", "j.jse"} << 0 << "エンコードしました: j.js → j.jse\n"
        << "注意: j.jse: エンコードした部分に ASCII 以外の文字が 3 個あります。Wine の JScript.Encode "
           "はこのファイルを実行できません (Windows では実行できます)。\n"
        << "j.jse" << cp932(QStringLiteral("// 日本語\r\nWScript.Echo(1);\r\n"));
    QTest::newRow("help") << QStringList{"/?"} << 0 << usage << ""
                          << "" << none;

    QTest::newRow("PerlScript has no encoded form")
        << QStringList{"%1/c.pls", "/f", "%1/c.pls.PLE"} << 1 << ""
        << "%1/c.pls: 拡張子から種類がわかりません。/e vbs か /e js で種類を指定してください。\n"
        << "" << none;
    QTest::newRow("an existing file without /f")
        << QStringList{"a.vbs", "old.vbe"} << 1 << ""
        << "old.vbe: 出力ファイルがすでにあります。置き換えるには /f を付けてください。\n"
        << "" << none;
    QTest::newRow("a missing source") << QStringList{"/f", "none.vbs"} << 1 << ""
                                      << "none.vbs: ファイルがありません。\n"
                                      << "" << none;
    QTest::newRow("a folder for a source") << QStringList{"dir.vbs", "x.vbe"} << 1 << ""
                                           << "dir.vbs: 通常のファイルではありません。\n"
                                           << "" << none;
    QTest::newRow("a pipe for a source does not block") << QStringList{"fifo.vbs", "x.vbe"} << 1 << ""
                                                        << "fifo.vbs: 通常のファイルではありません。\n"
                                                        << "" << none;
    QTest::newRow("destination in a missing folder")
        << QStringList{"a.vbs", "%1/no/a.vbe"} << 1 << ""
        << "%1/no/a.vbe: 書き込めません: フォルダがありません。\n"
        << "" << none;
    QTest::newRow("destination in a read-only folder")
        << QStringList{"a.vbs", "ro/a.vbe"} << 1 << ""
        << "ro/a.vbe: 書き込めません: フォルダに書き込めません。\n"
        << "" << none;
    QTest::newRow("a read-only destination, even with /f")
        << QStringList{"/f", "a.vbs", "locked.vbe"} << 1 << ""
        << "locked.vbe: 書き込めません: 読み取り専用のファイルです。\n"
        << "" << none;
    QTest::newRow("the source as its own destination")
        << QStringList{"/f", "a.vbs", "%1/./a.vbs"} << 1 << ""
        << "%1/./a.vbs: 出力ファイルが元のファイルと同じです。\n"
        << "" << none;
    QTest::newRow("the source through a link") << QStringList{"/f", "a.vbs", "link.vbe"} << 1 << ""
                                               << "link.vbe: 出力ファイルが元のファイルと同じです。\n"
                                               << "" << none;
    QTest::newRow("the source through a hard link") << QStringList{"/f", "a.vbs", "hard.vbe"} << 1 << ""
                                                    << "hard.vbe: 出力ファイルが元のファイルと同じです。\n"
                                                    << "" << none;
    QTest::newRow("an encoded source") << QStringList{"/e", "vbs", "enc.vbe", "x.vbe"} << 1 << ""
                                       << "enc.vbe: すでにエンコードされています。\n"
                                       << "" << none;
    QTest::newRow("an unknown language") << QStringList{"/l", "PerlScript", "a.vbs"} << 1 << ""
                                         << "言語 PerlScript はエンコードできません (VBScript か JScript "
                                            "を指定してください)。\n"
                                         << "" << none;
    QTest::newRow("an unknown type") << QStringList{"/e", "pls", "c.pls"} << 1 << ""
                                     << "種類 pls はエンコードできません (vbs か js を指定してください)。\n"
                                     << "" << none;

    QTest::newRow("no file") << QStringList{"/f"} << 2 << ""
                             << "元のファイルが指定されていません。\n" + usage << "" << none;
    QTest::newRow("/l without its value") << QStringList{"a.vbs", "/l"} << 2 << ""
                                          << "/l の後に値がありません。\n" + usage << "" << none;
    QTest::newRow("three files") << QStringList{"a.vbs", "x.vbe", "y.vbe"} << 2 << ""
                                 << "ファイル名が多すぎます: y.vbe\n" + usage << "" << none;
    QTest::newRow("after --, -s is a file name") << QStringList{"/e", "vbs", "--", "-s"} << 1 << ""
                                                 << "-s: ファイルがありません。\n"
                                                 << "" << none;

    QTest::newRow("check: sound") << QStringList{"/d", "enc.vbe"} << 0
                                  << "enc.vbe: 正しくエンコードされています (ブロック 1 個)。\n"
                                  << ""
                                  << "" << none;
    QTest::newRow("check: tampered")
        << QStringList{"/D", "bad.vbe"} << 1 << ""
        << "bad.vbe: 1 行目のエンコードされたブロックが壊れています: チェックサムが合いません "
           "(書き換えられています)。\n"
        << "" << none;
    QTest::newRow("check: not encoded") << QStringList{"/d", "a.vbs"} << 1 << ""
                                        << "a.vbs: エンコードされた部分がありません。\n"
                                        << "" << none;
    QTest::newRow("check: decoded into a file")
        << QStringList{"/d", "enc.vbe", "back.vbs"} << 0 << "デコードしました: enc.vbe → back.vbs\n"
        << ""
        << "back.vbs"
        << "plain:" + PlainVbs;
}

void tst_EncodeCommand::commandLines()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QFETCH(QString, written);
    QFETCH(QByteArray, holds);
    for (QString& a : arguments)
        a.replace(QStringLiteral("%1"), m_dir->path());
    const QMap<QString, QByteArray> before = snapshot(m_dir->path());

    QProcess p;
    p.setWorkingDirectory(m_dir->path());
    p.start(Program, arguments);
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(QString::fromUtf8(p.readAllStandardError()),
             QString(err).replace(QStringLiteral("%1"), m_dir->path()));
    QCOMPARE(QString::fromUtf8(p.readAllStandardOutput()),
             QString(out).replace(QStringLiteral("%1"), m_dir->path()));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), exitCode);

    QMap<QString, QByteArray> after = snapshot(m_dir->path());
    if (!written.isEmpty()) {
        const QByteArray bytes = after.take(written);
        if (holds.startsWith("plain:"))
            QCOMPARE(bytes, holds.mid(6));
        else
            QCOMPARE(decoded(bytes), holds);
        if (before.contains(written))
            after.insert(written, before.value(written));
    }
    QCOMPARE(after, before);
}

// A name that is not UTF-8 cannot become a QString and back: refused, not turned into another
// file's name.
void tst_EncodeCommand::nameThatIsNotUtf8()
{
    const QByteArray name = QFile::encodeName(m_dir->path()) + "/\x83\x5C.vbs";
    const QMap<QString, QByteArray> before = snapshot(m_dir->path());
    const QByteArray program = QFile::encodeName(Program), errFile = QFile::encodeName(path("err.txt"));
    const int fd = ::open(errFile.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    QVERIFY(fd >= 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fd, 2);
    char* argv[] = {const_cast<char*>(program.constData()), const_cast<char*>(name.constData()), nullptr};
    pid_t pid = 0;
    QCOMPARE(posix_spawn(&pid, program.constData(), &actions, nullptr, argv, environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fd);
    int status = 0;
    QCOMPARE(::waitpid(pid, &status, 0), pid);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 1);
    QVERIFY2(QString::fromUtf8(readAll(path("err.txt")))
                 .endsWith(QStringLiteral(".vbs: ファイル名が UTF-8 ではないため扱えません。\n")),
             readAll(path("err.txt")).constData());
    QFile::remove(path("err.txt"));
    QCOMPARE(snapshot(m_dir->path()), before);
}

QTEST_GUILESS_MAIN(tst_EncodeCommand)
#include "tst_EncodeCommand.moc"
