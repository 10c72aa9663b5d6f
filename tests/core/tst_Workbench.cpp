#include "Fakes.h"
#include "PosixLauncher.h"
#include "TestFiles.h"
#include "Workbench.h"

#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

// The main window's actions: every box in order, command line, byte written and file shown.
class tst_Workbench : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan)); }
    void init();
    void load_data();
    void load();
    void run_data();
    void run();
    void encode_data();
    void encode();
    void newScript_data();
    void newScript();
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

const QString D = FakeDialogs::AcceptDefault;
const QString RunBox = MainBoxes::run();
const QString Exists = box(51, "Quillet", "同名のファイルが存在します。上書きしますか");
const auto notStarted = [](const QString& program, const QString& reason) {
    return box(16, "Quillet", "プログラムを起動できませんでした。\r\n" + program + "\r\n" + reason);
};
const auto notCreated = [](const QString& path, const QString& reason) {
    return box(16, "Quillet", "ファイルを作成できませんでした。\r\n" + path + "\r\n" + reason);
};
const auto noFile = [](const QString& button) {
    return box(0, "",
               "ファイルが選択されていません。ファイルを選択してから\r\n［" + button +
                   "］ボタンをクリックしてください");
};
// The five lines of a new script, written out here as the file must hold them.
const auto header = [](const QString& mark, const QString& path) {
    return cp932(mark + "Windows Scripting Host\r\n" + mark + "ﾌｧｲﾙ名: " + path + "\r\n" + mark +
                 "作成者: 山田 太郎\r\n" + mark + "作成日時: 2001/05/12 9:03:27\r\n" + mark + "\r\n");
};
const auto kindNamed = [](const QString& n) {
    return n == "JS" ? ScriptKind::JavaScript : n == "Perl" ? ScriptKind::PerlScript : ScriptKind::VBScript;
};
const auto row = [](const char* name, const auto& c) { QTest::newRow(name) << c; };

// One row of each table: what the user did before and in the action, and what followed.
struct Load {
    QString editor, user; // "<none>": nothing stored
    bool unreadable;
    QString editorPath, userName;
};
struct Run {
    QString host, file; // chosen before; empty: none
    bool menu;
    QString answer;
    QStringList boxes, launched;
    bool fails = false; // the host cannot start
};
struct Encode {
    QString encoder; // empty: not set; "<unreadable>": the settings cannot be read
    QString kind, file, answer;
    QStringList boxes = {}, launched = {};
};
struct New {
    QString kind; // empty: none chosen yet (VBS shows selected)
    bool menu;
    QString there; // at NewFile.<ext> before: "", "file", "link", "dangling", "read-only", "full disk"
    QString name;
    int answer;            // to the question, if one is asked
    QStringList boxes;     // after the input box; %1: the path
    QString file = {};     // the file that holds the header afterwards
    bool appended = false; // after what was there
};
struct Edit {
    QString editor, selected;
    bool menu; // the File menu's open entry, else the button
    int answer;
    QStringList boxes = {}, launched = {}, opened = {}; // opened: in the internal editor
    bool newWanted = false;
};

} // namespace

void tst_Workbench::init()
{
    m_f = {};
    m_editor.opened.clear();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir().mkpath(m_folder = m_dir->path() + QStringLiteral("/my scripts")));
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
    QTest::addColumn<Load>("c");
    row("first start", Load("<none>", "<none>", false, "notepad.exe", "No User Name"));
    row("stored, an empty name is not a missing one", Load("System", "", false, "System", ""));
    row("unreadable settings read as Error", Load("vim", "x", true, "Error", "Error"));
}

void tst_Workbench::load()
{
    QFETCH(Load, c);
    for (const auto& [key, value] : {std::pair{"Editor", c.editor}, std::pair{"UserName", c.user}})
        if (value != QStringLiteral("<none>"))
            m_f.settings.setOption(key, value);
    m_f.settings.failReads = c.unreadable;
    Workbench w(m_f.services(), m_editor);
    QVERIFY(m_f.settings.log.isEmpty());
    w.load();
    QCOMPARE(m_f.settings.log, (QStringList{"read Editor", "read UserName"}));
    QCOMPARE((QStringList{w.editorPath(), w.userName(), w.idleStatusText()}),
             (QStringList{c.editorPath, c.userName, "Quillet Ver. 0.3.0"}));
    QVERIFY(w.selectedFile().isEmpty() && w.commentMark().isEmpty() && w.interpreter().isEmpty());
}

void tst_Workbench::run_data()
{
    QTest::addColumn<Run>("c");
    const QString a = QStringLiteral("/home/u/Scripts/a.vbs"), line = "1|WSCRIPT.EXE \"" + a + "\"";
    row("no host yet: the GUI host", Run("", a, false, D, {RunBox}, {line}));
    row("console host, arguments",
        Run("CSCRIPT.EXE", a, false, "-t 5", {RunBox}, {"1|CSCRIPT.EXE \"" + a + "\" -t 5"}));
    row("menu: its own wording, blanks",
        Run("", "/home/u/My Scripts/a b.vbs", true, D, {MainBoxes::runMenu()},
            {"1|WSCRIPT.EXE \"/home/u/My Scripts/a b.vbs\""}));
    row("other case: an argument", Run("", a, false, "no commline", {RunBox}, {line + " no commline"}));
    row("one blank", Run("", a, false, " ", {RunBox}, {line + "  "}));
    row("cancel launches nothing", Run("", a, false, "", {RunBox}, {}));
    row("no file, button: no input box", Run("", "", false, "", {noFile("実行")}, {}));
    row("no file, menu: the same", Run("CSCRIPT.EXE", "", true, "", {noFile("実行")}, {}));
    row("cannot start: reported", Run("", a, false, D, {RunBox, notStarted("x", "x")}, {line}, true));
}

void tst_Workbench::run()
{
    QFETCH(Run, c);
    Workbench& w = bench();
    QSignalSpy started(&w, &Workbench::runStarted);
    w.chooseHost(c.host);
    w.selectFile(c.file);
    m_f.dialogs.inputAnswers = {c.answer};
    if (c.fails)
        m_f.launcher.fail();
    w.run(c.menu ? Workbench::From::Menu : Workbench::From::Button);
    QCOMPARE(m_f.dialogs.described(), c.boxes);
    QCOMPARE(m_f.launcher.lines, c.launched);
    QCOMPARE(w.interpreter(), c.host.isEmpty() ? QStringLiteral("WSCRIPT.EXE") : c.host);
    QCOMPARE(QList<QVariantList>(started),
             c.launched.isEmpty() || c.fails ? QList<QVariantList>() : QList<QVariantList>{{4242}});
}

void tst_Workbench::encode_data()
{
    QTest::addColumn<Encode>("c");
    const QString enc = QStringLiteral("/opt/enc/screnc.exe"), line = "1|\"" + enc + "\" \"/s/a.vbs\"";
    row("no encoder set: silent, even with no file", Encode("", "VBS", "", ""));
    row("no file", Encode(enc, "VBS", "", "", {noFile("エンコード")}));
    auto accepted = [&](const char* kind, const QString& file, const QString& out) {
        const QString answer = "/f \"" + out + "\"";
        return Encode(enc, kind, file, D, {MainBoxes::encode(answer)},
                      {"1|\"" + enc + "\" \"" + file + "\" " + answer});
    };
    row("VBScript, default accepted: .VBE after the whole name", accepted("VBS", "/s/a.js", "/s/a.js.VBE"));
    row("JavaScript: .JSE", accepted("JS", "/s/a.js", "/s/a.js.JSE"));
    row("PerlScript: .PLE, a blank", accepted("Perl", "/s/my dir/b.pls", "/s/my dir/b.pls.PLE"));
    const QStringList offered{MainBoxes::encode("/f \"/s/a.vbs.VBE\"")};
    row("No CommLine: the source alone", Encode(enc, "VBS", "/s/a.vbs", "No CommLine", offered, {line}));
    row("a typed answer", Encode(enc, "VBS", "/s/a.vbs", "/e vbs", offered, {line + " /e vbs"}));
    row("cancel", Encode(enc, "VBS", "/s/a.vbs", "", offered));
    row("a quote in the path",
        Encode("/opt/\"enc\"/x", "VBS", "/s/a.vbs", D,
               {notStarted("/opt/\"enc\"/x", "プログラムのパスに「\"」は使えません。")}));
    row("unreadable settings: \"Error\" is the path, which cannot start",
        Encode("<unreadable>", "VBS", "/s/a.vbs", D, offered + QStringList{notStarted("x", "x")},
               {"1|\"Error\" \"/s/a.vbs\" /f \"/s/a.vbs.VBE\""}));
}

void tst_Workbench::encode()
{
    QFETCH(Encode, c);
    Workbench& w = bench();
    if (c.encoder == QStringLiteral("<unreadable>")) {
        m_f.settings.failReads = true;
        m_f.launcher.fail();
    } else if (!c.encoder.isEmpty()) {
        m_f.settings.setOption(QStringLiteral("Encoder"), c.encoder);
    }
    w.selectFile(c.file);
    m_f.dialogs.inputAnswers = {c.answer};
    m_f.settings.log.clear();
    w.encode(kindNamed(c.kind));
    QCOMPARE(m_f.dialogs.described(), c.boxes);
    QCOMPARE(m_f.launcher.lines, c.launched);
    // Read afresh at every encode, so that a change in the options counts at once.
    QCOMPARE(m_f.settings.log, QStringList{"read Encoder"});
}

void tst_Workbench::newScript_data()
{
    QTest::addColumn<New>("c");
    const QString toLink = notCreated("%1", "シンボリックリンクには書き込みません。");
    const int yes = MsgResult::Yes, no = MsgResult::No;
    row("VBScript, default name", New("VBS", false, "", D, 0, {}, "NewFile.vbs"));
    row("JavaScript: every line starts with //", New("JS", false, "", D, 0, {}, "NewFile.js"));
    row("PerlScript, from the menu", New("Perl", true, "", D, 0, {}, "NewFile.pls"));
    row("a name left empty ends it", New("VBS", false, "", "", 0, {}));
    row("no kind yet", New("", false, "", D, 0, {box(48, "Quillet", "ファイルに種類を選択してください")}));
    row("a typed extension stays in the name", New("JS", false, "", "test.js", 0, {}, "test.js.js"));
    row("existing, Yes: replaced", New("VBS", false, "file", D, yes, {Exists}, "NewFile.vbs"));
    row("existing, No: appended", New("VBS", false, "file", D, no, {Exists}, "NewFile.vbs", true));
    row("existing, Cancel", New("VBS", false, "file", D, MsgResult::Cancel, {Exists}));
    row("existing, menu: appended", New("VBS", true, "file", D, 0, {}, "NewFile.vbs", true));
    row("\"*\" is a character, not a pattern", New("VBS", false, "file", "*", 0, {}, "*.vbs"));
    row("no such folder",
        New("VBS", false, "", "no such/x", 0, {notCreated("%1/no such/x.vbs", "フォルダがありません。")}));
    row("link, Yes: replaced", New("JS", false, "link", D, yes, {Exists}, "NewFile.js"));
    row("link, No: not through it", New("JS", false, "link", D, no, {Exists, toLink}));
    row("link, menu", New("JS", true, "link", D, 0, {toLink}));
    row("link to nowhere, menu", New("JS", true, "dangling", D, 0, {toLink}));
    // A failed write loses nothing.
    const QString readOnly = notCreated("%1", "読み取り専用のファイルです。");
    const QString full = notCreated("%1", "ディスクに空きがありません。");
    row("read-only, Yes", New("VBS", false, "read-only", D, yes, {Exists, readOnly}));
    row("read-only, No", New("VBS", false, "read-only", D, no, {Exists, readOnly}));
    row("full disk, Yes", New("VBS", false, "full disk", D, yes, {Exists, full}));
    row("full disk, No", New("VBS", false, "full disk", D, no, {Exists, full}));
}

void tst_Workbench::newScript()
{
    QFETCH(New, c);
    const bool linked = c.there == QStringLiteral("link") || c.there == QStringLiteral("dangling");
    const QString ext = c.kind == "JS" ? ".js" : c.kind == "Perl" ? ".pls" : ".vbs";
    const QString existing = m_folder + "/NewFile" + ext;
    const QString target = m_dir->path() + (c.there == "dangling" ? "/autostart/evil.desktop" : "/notes.txt");
    std::optional<SmallDisk> disk;
    if (c.there == QStringLiteral("full disk")) {
        disk.emplace(m_folder, 16);
        SMALL_DISK_OR_SKIP(*disk);
    }
    const QByteArray old = cp932("' 前からある\r\n").repeated(285); // a page, no room for a header
    if (!c.there.isEmpty() && c.there != QStringLiteral("dangling"))
        QVERIFY(writeFile(c.there == QStringLiteral("link") ? target : existing, old));
    if (linked)
        QVERIFY(QFile::link(target, existing));
    if (disk)
        disk->fill();
    if (c.there == QStringLiteral("read-only"))
        QVERIFY(QFile::setPermissions(existing, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    Workbench& w = bench();
    w.selectFile(QStringLiteral("/elsewhere/chosen.vbs"));
    if (!c.kind.isEmpty())
        w.chooseKind(kindNamed(c.kind));
    QSignalSpy written(&w, &Workbench::scriptWritten);
    m_f.dialogs.inputAnswers = {c.name};
    m_f.dialogs.msgAnswers = {c.answer};
    w.newScript(m_folder, kindNamed(c.kind), c.menu ? Workbench::From::Menu : Workbench::From::Button);

    for (QString& b : c.boxes)
        b.replace("%1", b.contains("no such") ? m_folder : existing);
    QCOMPARE(m_f.dialogs.described(),
             QStringList{c.menu ? MainBoxes::newScriptMenu() : MainBoxes::newScript()} + c.boxes);
    const QString path = m_folder + u'/' + c.file;
    const QString mark = c.kind == "JS" ? "// " : c.kind == "Perl" ? "# " : "' ";
    if (!c.file.isEmpty())
        QCOMPARE(bytesOf(path), (c.appended ? old : QByteArray()) + header(mark, path));
    // The external editor gets the path unquoted, blanks and all.
    QCOMPARE(m_f.launcher.lines, c.file.isEmpty() ? QStringList{} : QStringList{"1|notepad.exe " + path});
    QCOMPARE(written.size(), c.file.isEmpty() ? 0 : 1);
    QCOMPARE(w.selectedFile(), QStringLiteral("/elsewhere/chosen.vbs"));
    // Nothing else was made, changed or followed.
    QSet<QString> expected{c.file, c.there.isEmpty() ? c.file : "NewFile" + ext, disk ? "filler" : c.file};
    expected.remove(QString());
    const QStringList files = QDir(m_folder).entryList(QDir::Files | QDir::System | QDir::Hidden);
    QCOMPARE(QSet<QString>(files.begin(), files.end()), expected);
    if (linked)
        QCOMPARE(QFileInfo(existing).isSymLink(), c.file.isEmpty());
    if (!c.there.isEmpty() && (linked || c.file != "NewFile" + ext)) // what was there stays as it was
        QCOMPARE(bytesOf(linked ? target : existing), c.there == "dangling" ? QByteArray("<none>") : old);
    // The header and a line of code make a program its language accepts.
    const QStringList check = c.kind == "JS" ? QStringList{"node", "--check"} : QStringList{"perl", "-c"};
    if (c.kind != "VBS" && !c.file.isEmpty() && !QStandardPaths::findExecutable(check[0]).isEmpty()) {
        QVERIFY(writeFile(path, bytesOf(path) + "print(1);\r\n"));
        QProcess p;
        p.start(check[0], {check[1], path});
        QVERIFY2(p.waitForFinished() && p.exitCode() == 0, p.readAllStandardError().constData());
    }
}

void tst_Workbench::edit_data()
{
    QTest::addColumn<Edit>("c");
    const QString none = QStringLiteral("ﾌｧｲﾙが選択されていません");
    const QString ask = box(4, "ﾌｧｲﾙの編集", "ﾌｧｲﾙが選択されていません。\r\n新規ﾌｧｲﾙを作成しますか");
    row("button: the editor, a blank, the path unquoted",
        Edit("notepad.exe", "/s/My Scripts/a.vbs", false, 0, {}, {"1|notepad.exe /s/My Scripts/a.vbs"}));
    row("menu: options kept", Edit("gedit -s", "/s/a.vbs", true, 0, {}, {"1|gedit -s /s/a.vbs"}));
    row("System: the internal editor", Edit("System", "/s/a.vbs", false, 0, {}, {}, {"/s/a.vbs"}));
    row("\"system\" is a program's name", Edit("system", "/s/a.vbs", false, 0, {}, {"1|system /s/a.vbs"}));
    row("nothing chosen, No", Edit("notepad.exe", "", false, MsgResult::No, {ask}));
    row("nothing chosen, Yes: new script", Edit("System", "", false, MsgResult::Yes, {ask}, {}, {}, true));
    row("no file, menu: the words", Edit("notepad.exe", "", true, 0, {}, {"1|notepad.exe " + none}));
    row("nothing chosen, menu, internal editor", Edit("System", "", true, 0, {}, {}, {none}));
}

void tst_Workbench::edit()
{
    QFETCH(Edit, c);
    Workbench& w = bench(c.editor);
    w.selectFile(c.selected);
    m_f.dialogs.msgAnswers = {c.answer};
    if (c.menu)
        w.open();
    else
        QCOMPARE(w.edit() == Workbench::Edit::NewScriptWanted, c.newWanted);
    QCOMPARE(m_f.dialogs.described(), c.boxes);
    QCOMPARE(m_f.launcher.lines, c.launched);
    QCOMPARE(m_editor.opened, c.opened);
    // The words the menu entry opened stay the chosen file: the button opens them too.
    const QString after = w.selectedFile();
    QCOMPARE(after, c.menu && c.selected.isEmpty() ? QStringLiteral("ﾌｧｲﾙが選択されていません") : c.selected);
    if (!after.isEmpty()) {
        m_f.dialogs.calls.clear();
        w.edit();
        QVERIFY(m_f.dialogs.calls.isEmpty());
    }
}

// With the real launcher, what the host, encoder or editor receives, argument by argument.
void tst_Workbench::commandLinesReachThePrograms_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("program"); // the fake that must have run, in the test's folder
    QTest::addColumn<QStringList>("argv");
    const QString s = QStringLiteral("%1/My Scripts/a b.vbs");
    auto row = [](const char* name, const QString& action, const QString& answer, const QString& program,
                  const QStringList& argv) { QTest::newRow(name) << action << answer << program << argv; };
    row("no host chosen: the GUI host, the path as one argument", "run", D, "bin/WSCRIPT.EXE", {s});
    row("console host with arguments", "run CSCRIPT.EXE", "-t 5", "bin/CSCRIPT.EXE", {s, "-t", "5"});
    row("encoder, JavaScript, default answer", "encode:JS", D, "my enc/enc", {s, "/f", s + ".JSE"});
    row("encoder, No CommLine", "encode:VBS", "No CommLine", "my enc/enc", {s});
    row("editor: split at the blanks", "edit", "", "bin/notepad.exe", {"%1/My", "Scripts/a", "b.vbs"});
}

void tst_Workbench::commandLinesReachThePrograms()
{
    QFETCH(QString, action);
    QFETCH(QString, answer);
    QFETCH(QString, program);
    QFETCH(QStringList, argv);
    const QString dir = m_dir->path();
    for (const QString f : {"bin/WSCRIPT.EXE", "bin/CSCRIPT.EXE", "bin/notepad.exe", "my enc/enc"})
        QVERIFY(!FakePrograms::install(dir + u'/' + f.section(u'/', 0, 0), f.section(u'/', 1)).isEmpty());
    const SearchPath path({dir + QStringLiteral("/bin"), SearchPath::system()});
    PosixLauncher launcher;
    Workbench& w = bench(QStringLiteral("notepad.exe"), &launcher);
    m_f.settings.setOption(QStringLiteral("Encoder"), dir + QStringLiteral("/my enc/enc"));
    w.selectFile(dir + QStringLiteral("/My Scripts/a b.vbs"));
    w.chooseHost(action.section(u' ', 1)); // "run CSCRIPT.EXE"
    m_f.dialogs.inputAnswers = {answer};
    if (action.startsWith(QStringLiteral("run")))
        w.run(Workbench::From::Button);
    else if (action.startsWith(QStringLiteral("encode")))
        w.encode(kindNamed(action.section(u':', 1)));
    else
        w.edit();
    QCOMPARE(FakePrograms::waitForArgv(dir + u'/' + program),
             argv.replaceInStrings(QStringLiteral("%1"), dir));
}

QTEST_GUILESS_MAIN(tst_Workbench)
#include "tst_Workbench.moc"
