#include "Fakes.h"
#include "PosixLauncher.h"
#include "TestFiles.h"
#include "Workbench.h"

#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

// The actions behind the main window's buttons and menus, without the window: every box in
// order (flags, title, text as the user reads them), every command line, every byte written
// and every file the editor window is asked to show.
class tst_Workbench : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void load_data();
    void load();
    void run_data();
    void run();
    void encode_data();
    void encode();
    void newScript_data();
    void newScript();
    void headersParse_data();
    void headersParse();
    void failedWritesLoseNothing_data();
    void failedWritesLoseNothing();
    void edit_data();
    void edit();
    void commandLinesReachThePrograms_data();
    void commandLinesReachThePrograms();

private:
    Workbench& bench(const QString& editor = QStringLiteral("notepad.exe"), Launcher* launcher = nullptr);
    FakeServices m_f;
    FakeEditor m_editor;
    std::unique_ptr<Workbench> m_bench;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_folder;
};

namespace {

const QString RunBox =
    input("スクリプトファイルの実行", "コマンドラインのオプションを指定してください", "No CommLine");
const QString RunMenuBox = input("WSHﾌｧｲﾙの実行", "ｺﾏﾝﾄﾞﾗｲﾝのｵﾌﾟｼｮﾝを指定してください", "No CommLine");
const QString NewBox =
    input("新規作成", "新しく作成するﾌｧｲﾙ名を入力してください\r\n拡張子は要りません", "NewFile");
const QString NewMenuBox =
    input("新規作成", "新しく作成するWSHﾌｧｲﾙ名を入力してください\r\n拡張子は要りません", "NewFile");
const QString Exists = box(51, "Quillet", "同名のファイルが存在します。上書きしますか");
QString encodeBox(const QString& offered)
{
    return input("スクリプトのエンコード", "コマンドラインのオプションを指定してください", offered);
}
QString notStarted(const QString& program, const QString& reason)
{
    return box(16, "Quillet", "プログラムを起動できませんでした。\r\n" + program + "\r\n" + reason);
}
QString notCreated(const QString& path, const QString& reason)
{
    return box(16, "Quillet", "ファイルを作成できませんでした。\r\n" + path + "\r\n" + reason);
}

// The five lines of a new script, written out here as the file must hold them.
QByteArray header(const QString& mark, const QString& path)
{
    return cp932(mark + "Windows Scripting Host\r\n" + mark + "ﾌｧｲﾙ名: " + path + "\r\n" + mark +
                 "作成者: 山田 太郎\r\n" + mark + "作成日時: 2001/05/12 9:03:27\r\n" + mark + "\r\n");
}

ScriptKind kindNamed(const QString& name)
{
    return name == QStringLiteral("JS")     ? ScriptKind::JavaScript
           : name == QStringLiteral("Perl") ? ScriptKind::PerlScript
                                            : ScriptKind::VBScript;
}

} // namespace

void tst_Workbench::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
}

void tst_Workbench::init()
{
    m_f = {};
    m_editor.opened.clear();
    m_dir = std::make_unique<QTemporaryDir>();
    m_folder = m_dir->path() + QStringLiteral("/my scripts");
    QDir().mkpath(m_folder);
}

Workbench& tst_Workbench::bench(const QString& editor, Launcher* launcher)
{
    m_f.settings.setOption(QStringLiteral("Editor"), editor);
    m_f.settings.setOption(QStringLiteral("UserName"), QStringLiteral("山田 太郎"));
    m_bench = std::make_unique<Workbench>(m_f.services(launcher), m_editor);
    m_bench->load();
    return *m_bench;
}

void tst_Workbench::load_data()
{
    QTest::addColumn<QString>("editor"); // "<none>": nothing stored
    QTest::addColumn<QString>("user");
    QTest::addColumn<bool>("unreadable");
    QTest::addColumn<QString>("editorPath");
    QTest::addColumn<QString>("userName");
    auto row = [](const char* name, const QString& editor, const QString& user, bool unreadable,
                  const QString& editorPath, const QString& userName) {
        QTest::newRow(name) << editor << user << unreadable << editorPath << userName;
    };
    row("first start", "<none>", "<none>", false, "notepad.exe", "No User Name");
    row("stored, an empty name is not a missing one", "System", "", false, "System", "");
    row("the dialog's placeholder is a name like any other", "<none>", "No User Name Setting", false,
        "notepad.exe", "No User Name Setting");
    row("unreadable settings read as Error", "vim", "x", true, "Error", "Error");
}

void tst_Workbench::load()
{
    QFETCH(QString, editor);
    QFETCH(QString, user);
    QFETCH(bool, unreadable);
    QFETCH(QString, editorPath);
    QFETCH(QString, userName);
    if (editor != QStringLiteral("<none>"))
        m_f.settings.setOption(QStringLiteral("Editor"), editor);
    if (user != QStringLiteral("<none>"))
        m_f.settings.setOption(QStringLiteral("UserName"), user);
    m_f.settings.failReads = unreadable;
    Workbench w(m_f.services(), m_editor);
    QVERIFY(m_f.settings.log.isEmpty());
    w.load();
    QCOMPARE(m_f.settings.log, (QStringList{"read Editor", "read UserName"}));
    QCOMPARE(w.editorPath(), editorPath);
    QCOMPARE(w.userName(), userName);
    QCOMPARE(w.idleStatusText(), QStringLiteral("Quillet Ver. 0.3.0"));
    QVERIFY(w.selectedFile().isEmpty() && w.commentMark().isEmpty() && w.interpreter().isEmpty());
}

void tst_Workbench::run_data()
{
    QTest::addColumn<QString>("host"); // chosen before; empty: none yet
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("menu");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("fails"); // the host cannot start
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QStringList>("launched");
    QTest::addColumn<QString>("hostAfter");
    const QString a = QStringLiteral("/home/u/Scripts/a.vbs"), d = FakeDialogs::AcceptDefault;
    const QString noFile = box(0, "",
                               "ファイルが選択されていません。ファイルを選択してから\r\n"
                               "［実行］ボタンをクリックしてください");
    auto row = [](const char* name, const QString& host, const QString& file, bool menu,
                  const QString& answer, bool fails, const QStringList& boxes, const QStringList& launched,
                  const QString& hostAfter) {
        QTest::newRow(name) << host << file << menu << answer << fails << boxes << launched << hostAfter;
    };
    row("no host yet, default accepted: the GUI host and nothing after the path", "", a, false, d, false,
        {RunBox}, {"1|WSCRIPT.EXE \"/home/u/Scripts/a.vbs\""}, "WSCRIPT.EXE");
    row("console host with arguments", "CSCRIPT.EXE", a, false, "-t 5", false, {RunBox},
        {"1|CSCRIPT.EXE \"/home/u/Scripts/a.vbs\" -t 5"}, "CSCRIPT.EXE");
    row("menu: its own wording, a path with blanks", "", "/home/u/My Scripts/a b.vbs", true, d, false,
        {RunMenuBox}, {"1|WSCRIPT.EXE \"/home/u/My Scripts/a b.vbs\""}, "WSCRIPT.EXE");
    row("other case is an argument", "", a, false, "no commline", false, {RunBox},
        {"1|WSCRIPT.EXE \"/home/u/Scripts/a.vbs\" no commline"}, "WSCRIPT.EXE");
    row("one blank", "", a, false, " ", false, {RunBox}, {"1|WSCRIPT.EXE \"/home/u/Scripts/a.vbs\"  "},
        "WSCRIPT.EXE");
    row("cancel launches nothing", "", a, false, "", false, {RunBox}, {}, "WSCRIPT.EXE");
    row("no file, button: no input box", "", "", false, "", false, {noFile}, {}, "WSCRIPT.EXE");
    row("no file, menu: the same message", "CSCRIPT.EXE", "", true, "", false, {noFile}, {}, "CSCRIPT.EXE");
    row("a host that cannot start is reported, and the program goes on", "", a, false, d, true,
        {RunBox, notStarted("x", "x")}, {"1|WSCRIPT.EXE \"/home/u/Scripts/a.vbs\""}, "WSCRIPT.EXE");
}

void tst_Workbench::run()
{
    QFETCH(QString, host);
    QFETCH(QString, file);
    QFETCH(bool, menu);
    QFETCH(QString, answer);
    QFETCH(bool, fails);
    QFETCH(QStringList, boxes);
    QFETCH(QStringList, launched);
    QFETCH(QString, hostAfter);
    Workbench& w = bench();
    QSignalSpy started(&w, &Workbench::runStarted);
    w.chooseHost(host);
    w.selectFile(file);
    m_f.dialogs.inputAnswers = {answer};
    if (fails)
        m_f.launcher.fail();
    w.run(menu ? Workbench::From::Menu : Workbench::From::Button);
    QCOMPARE(m_f.dialogs.described(), boxes);
    QCOMPARE(m_f.launcher.lines, launched);
    QCOMPARE(w.interpreter(), hostAfter);
    QCOMPARE(started.size(), launched.isEmpty() || fails ? 0 : 1);
    if (!started.isEmpty())
        QCOMPARE(started.first().first().toLongLong(), 4242);
}

void tst_Workbench::encode_data()
{
    QTest::addColumn<QString>("encoder"); // empty: not set; "<unreadable>": the settings cannot be read
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QStringList>("launched");
    const QString enc = QStringLiteral("/opt/enc/screnc.exe"), d = FakeDialogs::AcceptDefault;
    const QString noFile = box(0, "",
                               "ファイルが選択されていません。ファイルを選択してから\r\n"
                               "［エンコード］ボタンをクリックしてください");
    auto row = [](const char* name, const QString& encoder, const QString& kind, const QString& file,
                  const QString& answer, const QStringList& boxes, const QStringList& launched) {
        QTest::newRow(name) << encoder << kind << file << answer << boxes << launched;
    };
    row("no encoder set: silent, even with no file", "", "VBS", "", "", {}, {});
    row("no file", enc, "VBS", "", "", {noFile}, {});
    row("VBScript, default accepted: .VBE after the whole name", enc, "VBS", "/s/a.js", d,
        {encodeBox("/f \"/s/a.js.VBE\"")}, {"1|\"/opt/enc/screnc.exe\" \"/s/a.js\" /f \"/s/a.js.VBE\""});
    row("JavaScript: .JSE", enc, "JS", "/s/a.js", d, {encodeBox("/f \"/s/a.js.JSE\"")},
        {"1|\"/opt/enc/screnc.exe\" \"/s/a.js\" /f \"/s/a.js.JSE\""});
    row("PerlScript: .PLE, a folder with a blank", enc, "Perl", "/s/my dir/b.pls", d,
        {encodeBox("/f \"/s/my dir/b.pls.PLE\"")},
        {"1|\"/opt/enc/screnc.exe\" \"/s/my dir/b.pls\" /f \"/s/my dir/b.pls.PLE\""});
    row("No CommLine: the source alone", enc, "VBS", "/s/a.vbs", "No CommLine",
        {encodeBox("/f \"/s/a.vbs.VBE\"")}, {"1|\"/opt/enc/screnc.exe\" \"/s/a.vbs\""});
    row("a typed answer replaces the output name", enc, "VBS", "/s/a.vbs", "/e vbs",
        {encodeBox("/f \"/s/a.vbs.VBE\"")}, {"1|\"/opt/enc/screnc.exe\" \"/s/a.vbs\" /e vbs"});
    row("cancel", enc, "VBS", "/s/a.vbs", "", {encodeBox("/f \"/s/a.vbs.VBE\"")}, {});
    row("a quote in the chosen file's name is escaped", enc, "VBS", "/s/tool.vbs\" \"readme.vbs", d,
        {encodeBox("/f \"/s/tool.vbs\\\" \\\"readme.vbs.VBE\"")},
        {"1|\"/opt/enc/screnc.exe\" \"/s/tool.vbs\\\" \\\"readme.vbs\" /f \"/s/tool.vbs\\\" "
         "\\\"readme.vbs.VBE\""});
    row("a quote in the encoder's path cannot name a program", "/opt/\"enc\"/x", "VBS", "/s/a.vbs", d,
        {notStarted("/opt/\"enc\"/x", "プログラムのパスに「\"」は使えません。")}, {});
    row("unreadable settings: \"Error\" is the path, which cannot start", "<unreadable>", "VBS", "/s/a.vbs",
        d, {encodeBox("/f \"/s/a.vbs.VBE\""), notStarted("x", "x")},
        {"1|\"Error\" \"/s/a.vbs\" /f \"/s/a.vbs.VBE\""});
}

void tst_Workbench::encode()
{
    QFETCH(QString, encoder);
    QFETCH(QString, kind);
    QFETCH(QString, file);
    QFETCH(QString, answer);
    QFETCH(QStringList, boxes);
    QFETCH(QStringList, launched);
    Workbench& w = bench();
    if (encoder == QStringLiteral("<unreadable>")) {
        m_f.settings.failReads = true;
        m_f.launcher.fail();
    } else if (!encoder.isEmpty()) {
        m_f.settings.setOption(QStringLiteral("Encoder"), encoder);
    }
    w.selectFile(file);
    m_f.dialogs.inputAnswers = {answer};
    m_f.settings.log.clear();
    w.encode(kindNamed(kind));
    QCOMPARE(m_f.dialogs.described(), boxes);
    QCOMPARE(m_f.launcher.lines, launched);
    // Read afresh at every encode, so that a change in the options counts at once.
    QCOMPARE(m_f.settings.log, QStringList{"read Encoder"});
}

void tst_Workbench::newScript_data()
{
    QTest::addColumn<QString>("kind"); // empty: none chosen yet (VBS shows selected)
    QTest::addColumn<bool>("menu");
    QTest::addColumn<QString>("there"); // at NewFile.<ext> before: "", "file", "link", "dangling"
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("answer");        // to the question, if one is asked
    QTest::addColumn<QStringList>("boxes"); // after the input box; %1: the path
    QTest::addColumn<QString>("file");      // the file that holds the header afterwards
    QTest::addColumn<bool>("appended");     // after what was there
    const QString d = FakeDialogs::AcceptDefault;
    const QString toLink = notCreated("%1", "シンボリックリンクには書き込みません。");
    auto row = [](const char* name, const QString& kind, bool menu, const QString& there,
                  const QString& typed, int answer, const QStringList& boxes, const QString& file,
                  bool appended) {
        QTest::newRow(name) << kind << menu << there << typed << answer << boxes << file << appended;
    };
    row("VBScript, default name", "VBS", false, "", d, 0, {}, "NewFile.vbs", false);
    row("JavaScript: every line starts with //", "JS", false, "", d, 0, {}, "NewFile.js", false);
    row("PerlScript, from the menu", "Perl", true, "", d, 0, {}, "NewFile.pls", false);
    row("a name left empty ends it", "VBS", false, "", "", 0, {}, "", false);
    row("no kind chosen yet, though VBS shows selected", "", false, "", d, 0,
        {box(48, "Quillet", "ファイルに種類を選択してください")}, "", false);
    row("a typed extension stays in the name", "JS", false, "", "test.js", 0, {}, "test.js.js", false);
    row("existing, Yes: exactly the five lines", "VBS", false, "file", d, MsgResult::Yes, {Exists},
        "NewFile.vbs", false);
    row("existing, No: appended", "VBS", false, "file", d, MsgResult::No, {Exists}, "NewFile.vbs", true);
    row("existing, Cancel: untouched, no editor", "VBS", false, "file", d, MsgResult::Cancel, {Exists}, "",
        false);
    row("existing, from the menu: appended without a question", "VBS", true, "file", d, 0, {}, "NewFile.vbs",
        true);
    row("\"*\" is a character, not a pattern", "VBS", false, "file", "*", 0, {}, "*.vbs", false);
    row("a name into a folder that does not exist", "VBS", false, "", "no such/x", 0,
        {notCreated("%1/no such/x.vbs", "フォルダがありません。")}, "", false);
    row("a link to a file: asked, Yes replaces the link", "JS", false, "link", d, MsgResult::Yes, {Exists},
        "NewFile.js", false);
    row("a link to a file: asked, No writes nothing through it", "JS", false, "link", d, MsgResult::No,
        {Exists, toLink}, "", false);
    row("a link to a file, from the menu", "JS", true, "link", d, 0, {toLink}, "", false);
    row("a link to nowhere: asked, Yes replaces the link", "JS", false, "dangling", d, MsgResult::Yes,
        {Exists}, "NewFile.js", false);
    row("a link to nowhere, from the menu: nothing made there", "JS", true, "dangling", d, 0, {toLink}, "",
        false);
}

void tst_Workbench::newScript()
{
    QFETCH(QString, kind);
    QFETCH(bool, menu);
    QFETCH(QString, there);
    QFETCH(QString, name);
    QFETCH(int, answer);
    QFETCH(QStringList, boxes);
    QFETCH(QString, file);
    QFETCH(bool, appended);
    const QString ext = kind == QStringLiteral("JS")     ? ".js"
                        : kind == QStringLiteral("Perl") ? ".pls"
                                                         : ".vbs";
    const QString existing = m_folder + "/NewFile" + ext;
    const QString target = m_dir->path() + (there == "dangling" ? "/autostart/evil.desktop" : "/notes.txt");
    const QByteArray old = cp932(QStringLiteral("' 前からある\r\n"));
    if (there == QStringLiteral("file"))
        QVERIFY(writeFile(existing, old));
    if (there == QStringLiteral("link"))
        QVERIFY(writeFile(target, old));
    if (there.endsWith(QStringLiteral("link")) || there == QStringLiteral("dangling"))
        QVERIFY(QFile::link(target, existing));
    Workbench& w = bench();
    w.selectFile(QStringLiteral("/elsewhere/chosen.vbs"));
    if (!kind.isEmpty())
        w.chooseKind(kindNamed(kind));
    QSignalSpy written(&w, &Workbench::scriptWritten);
    m_f.dialogs.inputAnswers = {name};
    m_f.dialogs.msgAnswers = {answer};
    w.newScript(m_folder, kindNamed(kind), menu ? Workbench::From::Menu : Workbench::From::Button);

    for (QString& b : boxes)
        b = b.arg(b.contains("no such") ? m_folder : existing);
    QCOMPARE(m_f.dialogs.described(), QStringList{menu ? NewMenuBox : NewBox} + boxes);
    const QString path = m_folder + u'/' + file;
    const QString mark = kind == "JS" ? "// " : kind == "Perl" ? "# " : "' ";
    if (!file.isEmpty())
        QCOMPARE(bytesOf(path), (appended ? old : QByteArray()) + header(mark, path));
    // The external editor gets the path unquoted, blanks and all.
    QCOMPARE(m_f.launcher.lines, file.isEmpty() ? QStringList{} : QStringList{"1|notepad.exe " + path});
    QCOMPARE(written.size(), file.isEmpty() ? 0 : 1);
    QCOMPARE(w.selectedFile(), QStringLiteral("/elsewhere/chosen.vbs"));
    // Nothing else was made, changed or followed.
    QStringList present = QDir(m_folder).entryList(QDir::Files | QDir::System | QDir::Hidden);
    QStringList expected{file};
    if (!there.isEmpty() && file != "NewFile" + ext)
        expected << "NewFile" + ext;
    expected.removeAll(QString());
    expected.sort();
    QCOMPARE(present, expected);
    if (there == QStringLiteral("file") && file != "NewFile" + ext)
        QCOMPARE(bytesOf(existing), old);
    if (there.endsWith(QStringLiteral("link")) || there == QStringLiteral("dangling")) {
        QCOMPARE(QFileInfo(existing).isSymLink(), file.isEmpty());
        QCOMPARE(bytesOf(target), there == QStringLiteral("link") ? old : QByteArray("<none>"));
    }
}

// The header followed by a line of code is a program its language accepts.
void tst_Workbench::headersParse_data()
{
    QTest::addColumn<QString>("tool");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("code");
    QTest::newRow("JavaScript: node --check") << "node"
                                              << "JS"
                                              << "WScript.Echo(\"ok\");\r\n";
    QTest::newRow("PerlScript: perl -c") << "perl"
                                         << "Perl"
                                         << "print \"ok\\n\";\r\n";
}

void tst_Workbench::headersParse()
{
    QFETCH(QString, tool);
    QFETCH(QString, kind);
    QFETCH(QString, code);
    if (QStandardPaths::findExecutable(tool).isEmpty())
        QSKIP(qPrintable(tool + " is not installed"));
    Workbench& w = bench();
    w.chooseKind(kindNamed(kind));
    m_f.dialogs.inputAnswers = {QStringLiteral("check")};
    w.newScript(m_folder, kindNamed(kind), Workbench::From::Button);
    const QString path = m_folder + (kind == "JS" ? "/check.js" : "/check.pls");
    QFile f(path);
    QVERIFY(f.open(QIODevice::Append));
    f.write(code.toUtf8());
    f.close();
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(tool, {tool == "node" ? "--check" : "-c", path});
    QVERIFY(p.waitForFinished());
    QVERIFY2(p.exitCode() == 0, p.readAll().constData());
}

void tst_Workbench::failedWritesLoseNothing_data()
{
    QTest::addColumn<bool>("fullDisk"); // else read-only
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("reason");
    QTest::newRow("read-only, Yes") << false << int(MsgResult::Yes) << "読み取り専用のファイルです。";
    QTest::newRow("read-only, No") << false << int(MsgResult::No) << "読み取り専用のファイルです。";
    QTest::newRow("full disk, Yes") << true << int(MsgResult::Yes) << "ディスクに空きがありません。";
    // The first part of the header still fits: it is taken back.
    QTest::newRow("full disk, No") << true << int(MsgResult::No) << "ディスクに空きがありません。";
}

void tst_Workbench::failedWritesLoseNothing()
{
    QFETCH(bool, fullDisk);
    QFETCH(int, answer);
    QFETCH(QString, reason);
    const QByteArray old(4000, 'x'); // one page, with room for less than a header
    const QString path = m_folder + QStringLiteral("/NewFile.vbs");
    SmallDisk disk(fullDisk ? m_folder : QString(), 16);
    if (fullDisk)
        SMALL_DISK_OR_SKIP(disk);
    QVERIFY(writeFile(path, old));
    if (fullDisk)
        disk.fill();
    else
        QFile(path).setPermissions(QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    Workbench& w = bench();
    w.chooseKind(ScriptKind::VBScript);
    m_f.dialogs.inputAnswers = {FakeDialogs::AcceptDefault};
    m_f.dialogs.msgAnswers = {answer};
    w.newScript(m_folder, ScriptKind::VBScript, Workbench::From::Button);
    QCOMPARE(m_f.dialogs.described(), (QStringList{NewBox, Exists, notCreated(path, reason)}));
    QCOMPARE(bytesOf(path), old);
    QVERIFY(m_f.launcher.lines.isEmpty());
}

void tst_Workbench::edit_data()
{
    QTest::addColumn<QString>("editor");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<bool>("menu"); // the File menu's open entry, else the button
    QTest::addColumn<int>("answer");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QStringList>("launched");
    QTest::addColumn<QStringList>("opened"); // in the internal editor
    QTest::addColumn<bool>("newWanted");
    const QString none = QStringLiteral("ﾌｧｲﾙが選択されていません");
    const QString ask = box(4, "ﾌｧｲﾙの編集", "ﾌｧｲﾙが選択されていません。\r\n新規ﾌｧｲﾙを作成しますか");
    auto row = [](const char* name, const QString& editor, const QString& selected, bool menu, int answer,
                  const QStringList& boxes, const QStringList& launched, const QStringList& opened,
                  bool newWanted) {
        QTest::newRow(name) << editor << selected << menu << answer << boxes << launched << opened
                            << newWanted;
    };
    row("button: the editor, a blank, the path unquoted", "notepad.exe", "/s/My Scripts/a.vbs", false, 0, {},
        {"1|notepad.exe /s/My Scripts/a.vbs"}, {}, false);
    row("menu entry: the same, options kept", "gedit -s", "/s/a.vbs", true, 0, {}, {"1|gedit -s /s/a.vbs"},
        {}, false);
    row("System: the internal editor", "System", "/s/a.vbs", false, 0, {}, {}, {"/s/a.vbs"}, false);
    row("System from the menu", "System", "/s/a.vbs", true, 0, {}, {}, {"/s/a.vbs"}, false);
    row("\"system\" is a program's name", "system", "/s/a.vbs", false, 0, {}, {"1|system /s/a.vbs"}, {},
        false);
    row("nothing chosen, No", "notepad.exe", "", false, MsgResult::No, {ask}, {}, {}, false);
    row("nothing chosen, Yes: a new script is wanted", "System", "", false, MsgResult::Yes, {ask}, {}, {},
        true);
    row("nothing chosen, menu: the editor gets the words", "notepad.exe", "", true, 0, {},
        {"1|notepad.exe " + none}, {}, false);
    row("nothing chosen, menu, internal editor", "System", "", true, 0, {}, {}, {none}, false);
}

void tst_Workbench::edit()
{
    QFETCH(QString, editor);
    QFETCH(QString, selected);
    QFETCH(bool, menu);
    QFETCH(int, answer);
    QFETCH(QStringList, boxes);
    QFETCH(QStringList, launched);
    QFETCH(QStringList, opened);
    QFETCH(bool, newWanted);
    Workbench& w = bench(editor);
    w.selectFile(selected);
    m_f.dialogs.msgAnswers = {answer};
    if (menu)
        w.open();
    else
        QCOMPARE(w.edit() == Workbench::Edit::NewScriptWanted, newWanted);
    QCOMPARE(m_f.dialogs.described(), boxes);
    QCOMPARE(m_f.launcher.lines, launched);
    QCOMPARE(m_editor.opened, opened);
    // The words the menu entry opened stay the chosen file: the button opens them too.
    const QString after = w.selectedFile();
    QCOMPARE(after, menu && selected.isEmpty() ? QStringLiteral("ﾌｧｲﾙが選択されていません") : selected);
    if (!after.isEmpty()) {
        m_f.dialogs.calls.clear();
        w.edit();
        QVERIFY(m_f.dialogs.calls.isEmpty());
    }
}

// The same actions with the real launcher: what the host or encoder receives, argument by
// argument, with fake programs of the hosts' names on PATH.
void tst_Workbench::commandLinesReachThePrograms_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("program"); // the fake that must have run, in the test's folder
    QTest::addColumn<QStringList>("argv");
    const QString d = FakeDialogs::AcceptDefault, s = QStringLiteral("%1/My Scripts/a b.vbs");
    auto row = [](const char* name, const QString& action, const QString& answer, const QString& program,
                  const QStringList& argv) { QTest::newRow(name) << action << answer << program << argv; };
    row("no host chosen: the GUI host, the path as one argument", "run", d, "bin/WSCRIPT.EXE", {s});
    row("from the menu too", "run from the menu", d, "bin/WSCRIPT.EXE", {s});
    row("console host with arguments", "run CSCRIPT.EXE", "-t 5", "bin/CSCRIPT.EXE", {s, "-t", "5"});
    row("other case of No CommLine", "run", "no commline", "bin/WSCRIPT.EXE", {s, "no", "commline"});
    row("one blank adds nothing", "run", " ", "bin/WSCRIPT.EXE", {s});
    row("quotes group, shell syntax is text", "run", "\"x y\" ; rm -rf ~ $(id) `z` | > o && e",
        "bin/WSCRIPT.EXE", {s, "x y", ";", "rm", "-rf", "~", "$(id)", "`z`", "|", ">", "o", "&&", "e"});
    row("encoder, JavaScript, default answer", "encode JS", d, "my enc/enc", {s, "/f", s + ".JSE"});
    row("encoder, No CommLine", "encode", "No CommLine", "my enc/enc", {s});
    row("editor: the path split at its blanks", "edit", "", "bin/notepad.exe",
        {"%1/My", "Scripts/a", "b.vbs"});
}

void tst_Workbench::commandLinesReachThePrograms()
{
    QFETCH(QString, action);
    QFETCH(QString, answer);
    QFETCH(QString, program);
    QFETCH(QStringList, argv);
    const QString dir = m_dir->path();
    for (const char* name : {"WSCRIPT.EXE", "CSCRIPT.EXE", "notepad.exe"})
        QVERIFY(!FakePrograms::install(dir + QStringLiteral("/bin"), QLatin1String(name)).isEmpty());
    QVERIFY(!FakePrograms::install(dir + QStringLiteral("/my enc"), QStringLiteral("enc")).isEmpty());
    const SearchPath path({dir + QStringLiteral("/bin"), SearchPath::system()});
    PosixLauncher launcher;
    Workbench& w = bench(QStringLiteral("notepad.exe"), &launcher);
    m_f.settings.setOption(QStringLiteral("Encoder"), dir + QStringLiteral("/my enc/enc"));
    w.selectFile(QStringLiteral("%1/My Scripts/a b.vbs").arg(dir));
    if (action.endsWith(QStringLiteral("CSCRIPT.EXE")))
        w.chooseHost(QStringLiteral("CSCRIPT.EXE"));
    m_f.dialogs.inputAnswers = {answer};
    if (action.startsWith(QStringLiteral("run")))
        w.run(action.endsWith(QStringLiteral("menu")) ? Workbench::From::Menu : Workbench::From::Button);
    else if (action.startsWith(QStringLiteral("encode")))
        w.encode(kindNamed(action.section(u' ', 1)));
    else
        w.edit();
    for (QString& a : argv)
        a = a.arg(dir);
    QCOMPARE(FakePrograms::waitForArgv(dir + u'/' + program), argv);
}

QTEST_GUILESS_MAIN(tst_Workbench)
#include "tst_Workbench.moc"
