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

// The actions behind the main window's buttons and menus: every box in order, every command
// line, every byte written and every file the editor window is asked to show.
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

const QString D = FakeDialogs::AcceptDefault;
const QString RunBox = MainBoxes::run();
const QString RunMenuBox = MainBoxes::runMenu();
const QString NewBox = MainBoxes::newScript();
const QString NewMenuBox = MainBoxes::newScriptMenu();
const QString Exists = box(51, "Quillet", "同名のファイルが存在します。上書きしますか");
QString notStarted(const QString& program, const QString& reason)
{
    return box(16, "Quillet", "プログラムを起動できませんでした。\r\n" + program + "\r\n" + reason);
}
QString notCreated(const QString& path, const QString& reason)
{
    return box(16, "Quillet", "ファイルを作成できませんでした。\r\n" + path + "\r\n" + reason);
}
QString noFile(const QString& button)
{
    return box(0, "",
               "ファイルが選択されていません。ファイルを選択してから\r\n［" + button +
                   "］ボタンをクリックしてください");
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

template <class C> void row(const char* name, const C& c)
{
    QTest::newRow(name) << c;
}

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
    bool fails; // the host cannot start
    QStringList boxes, launched;
    QString hostAfter;
};
struct Encode {
    QString encoder; // empty: not set; "<unreadable>": the settings cannot be read
    QString kind, file, answer;
    QStringList boxes, launched;
};
struct New {
    QString kind; // empty: none chosen yet (VBS shows selected)
    bool menu;
    QString there; // at NewFile.<ext> before: "", "file", "link", "dangling"
    QString name;
    int answer;        // to the question, if one is asked
    QStringList boxes; // after the input box; %1: the path
    QString file;      // the file that holds the header afterwards
    bool appended;     // after what was there
};
struct Edit {
    QString editor, selected;
    bool menu; // the File menu's open entry, else the button
    int answer;
    QStringList boxes, launched, opened; // opened: in the internal editor
    bool newWanted;
};

} // namespace

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
    QTest::addColumn<Load>("c");
    row("first start", Load("<none>", "<none>", false, "notepad.exe", "No User Name"));
    row("stored, an empty name is not a missing one", Load("System", "", false, "System", ""));
    row("unreadable settings read as Error", Load("vim", "x", true, "Error", "Error"));
}

void tst_Workbench::load()
{
    QFETCH(Load, c);
    if (c.editor != QStringLiteral("<none>"))
        m_f.settings.setOption(QStringLiteral("Editor"), c.editor);
    if (c.user != QStringLiteral("<none>"))
        m_f.settings.setOption(QStringLiteral("UserName"), c.user);
    m_f.settings.failReads = c.unreadable;
    Workbench w(m_f.services(), m_editor);
    QVERIFY(m_f.settings.log.isEmpty());
    w.load();
    QCOMPARE(m_f.settings.log, (QStringList{"read Editor", "read UserName"}));
    QCOMPARE(w.editorPath(), c.editorPath);
    QCOMPARE(w.userName(), c.userName);
    QCOMPARE(w.idleStatusText(), QStringLiteral("Quillet Ver. 0.3.0"));
    QVERIFY(w.selectedFile().isEmpty() && w.commentMark().isEmpty() && w.interpreter().isEmpty());
}

void tst_Workbench::run_data()
{
    QTest::addColumn<Run>("c");
    const QString a = QStringLiteral("/home/u/Scripts/a.vbs"), line = "1|WSCRIPT.EXE \"" + a + "\"";
    row("no host yet: the GUI host", Run("", a, false, D, false, {RunBox}, {line}, "WSCRIPT.EXE"));
    row("console host with arguments", Run("CSCRIPT.EXE", a, false, "-t 5", false, {RunBox},
                                           {"1|CSCRIPT.EXE \"" + a + "\" -t 5"}, "CSCRIPT.EXE"));
    row("menu: its own wording, a path with blanks",
        Run("", "/home/u/My Scripts/a b.vbs", true, D, false, {RunMenuBox},
            {"1|WSCRIPT.EXE \"/home/u/My Scripts/a b.vbs\""}, "WSCRIPT.EXE"));
    row("other case: an argument",
        Run("", a, false, "no commline", false, {RunBox}, {line + " no commline"}, "WSCRIPT.EXE"));
    row("one blank", Run("", a, false, " ", false, {RunBox}, {line + "  "}, "WSCRIPT.EXE"));
    row("cancel launches nothing", Run("", a, false, "", false, {RunBox}, {}, "WSCRIPT.EXE"));
    row("no file, button: no input box", Run("", "", false, "", false, {noFile("実行")}, {}, "WSCRIPT.EXE"));
    row("no file, menu: the same",
        Run("CSCRIPT.EXE", "", true, "", false, {noFile("実行")}, {}, "CSCRIPT.EXE"));
    row("cannot start: reported",
        Run("", a, false, D, true, {RunBox, notStarted("x", "x")}, {line}, "WSCRIPT.EXE"));
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
    QCOMPARE(w.interpreter(), c.hostAfter);
    QCOMPARE(started.size(), c.launched.isEmpty() || c.fails ? 0 : 1);
    if (!started.isEmpty())
        QCOMPARE(started.first().first().toLongLong(), 4242);
}

void tst_Workbench::encode_data()
{
    QTest::addColumn<Encode>("c");
    const QString enc = QStringLiteral("/opt/enc/screnc.exe"), line = "1|\"" + enc + "\" \"/s/a.vbs\"";
    row("no encoder set: silent, even with no file", Encode("", "VBS", "", "", {}, {}));
    row("no file", Encode(enc, "VBS", "", "", {noFile("エンコード")}, {}));
    row("VBScript, default accepted: .VBE after the whole name",
        Encode(enc, "VBS", "/s/a.js", D, {MainBoxes::encode("/f \"/s/a.js.VBE\"")},
               {"1|\"/opt/enc/screnc.exe\" \"/s/a.js\" /f \"/s/a.js.VBE\""}));
    row("JavaScript: .JSE", Encode(enc, "JS", "/s/a.js", D, {MainBoxes::encode("/f \"/s/a.js.JSE\"")},
                                   {"1|\"/opt/enc/screnc.exe\" \"/s/a.js\" /f \"/s/a.js.JSE\""}));
    row("PerlScript: .PLE, a folder with a blank",
        Encode(enc, "Perl", "/s/my dir/b.pls", D, {MainBoxes::encode("/f \"/s/my dir/b.pls.PLE\"")},
               {"1|\"/opt/enc/screnc.exe\" \"/s/my dir/b.pls\" /f \"/s/my dir/b.pls.PLE\""}));
    const QStringList offered{MainBoxes::encode("/f \"/s/a.vbs.VBE\"")};
    row("No CommLine: the source alone", Encode(enc, "VBS", "/s/a.vbs", "No CommLine", offered, {line}));
    row("a typed answer", Encode(enc, "VBS", "/s/a.vbs", "/e vbs", offered, {line + " /e vbs"}));
    row("cancel", Encode(enc, "VBS", "/s/a.vbs", "", offered, {}));
    row("a quote in the encoder's path cannot name a program",
        Encode("/opt/\"enc\"/x", "VBS", "/s/a.vbs", D,
               {notStarted("/opt/\"enc\"/x", "プログラムのパスに「\"」は使えません。")}, {}));
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
    row("VBScript, default name", New("VBS", false, "", D, 0, {}, "NewFile.vbs", false));
    row("JavaScript: every line starts with //", New("JS", false, "", D, 0, {}, "NewFile.js", false));
    row("PerlScript, from the menu", New("Perl", true, "", D, 0, {}, "NewFile.pls", false));
    row("a name left empty ends it", New("VBS", false, "", "", 0, {}, "", false));
    row("no kind chosen yet",
        New("", false, "", D, 0, {box(48, "Quillet", "ファイルに種類を選択してください")}, "", false));
    row("a typed extension stays in the name", New("JS", false, "", "test.js", 0, {}, "test.js.js", false));
    row("existing, Yes: replaced", New("VBS", false, "file", D, yes, {Exists}, "NewFile.vbs", false));
    row("existing, No: appended", New("VBS", false, "file", D, no, {Exists}, "NewFile.vbs", true));
    row("existing, Cancel", New("VBS", false, "file", D, MsgResult::Cancel, {Exists}, "", false));
    row("existing, menu: appended", New("VBS", true, "file", D, 0, {}, "NewFile.vbs", true));
    row("\"*\" is a character, not a pattern", New("VBS", false, "file", "*", 0, {}, "*.vbs", false));
    row("no such folder", New("VBS", false, "", "no such/x", 0,
                              {notCreated("%1/no such/x.vbs", "フォルダがありません。")}, "", false));
    row("link, Yes: replaced", New("JS", false, "link", D, yes, {Exists}, "NewFile.js", false));
    row("link, No: not through it", New("JS", false, "link", D, no, {Exists, toLink}, "", false));
    row("link, menu", New("JS", true, "link", D, 0, {toLink}, "", false));
    row("link to nowhere, menu", New("JS", true, "dangling", D, 0, {toLink}, "", false));
}

void tst_Workbench::newScript()
{
    QFETCH(New, c);
    const bool linked = c.there == QStringLiteral("link") || c.there == QStringLiteral("dangling");
    const QString ext = c.kind == "JS" ? ".js" : c.kind == "Perl" ? ".pls" : ".vbs";
    const QString existing = m_folder + "/NewFile" + ext;
    const QString target = m_dir->path() + (c.there == "dangling" ? "/autostart/evil.desktop" : "/notes.txt");
    const QByteArray old = cp932(QStringLiteral("' 前からある\r\n"));
    if (c.there == QStringLiteral("file") || c.there == QStringLiteral("link"))
        QVERIFY(writeFile(c.there == QStringLiteral("file") ? existing : target, old));
    if (linked)
        QVERIFY(QFile::link(target, existing));
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
    QCOMPARE(m_f.dialogs.described(), QStringList{c.menu ? NewMenuBox : NewBox} + c.boxes);
    const QString path = m_folder + u'/' + c.file;
    const QString mark = c.kind == "JS" ? "// " : c.kind == "Perl" ? "# " : "' ";
    if (!c.file.isEmpty())
        QCOMPARE(bytesOf(path), (c.appended ? old : QByteArray()) + header(mark, path));
    // The external editor gets the path unquoted, blanks and all.
    QCOMPARE(m_f.launcher.lines, c.file.isEmpty() ? QStringList{} : QStringList{"1|notepad.exe " + path});
    QCOMPARE(written.size(), c.file.isEmpty() ? 0 : 1);
    QCOMPARE(w.selectedFile(), QStringLiteral("/elsewhere/chosen.vbs"));
    // Nothing else was made, changed or followed.
    QStringList expected{c.file, c.there.isEmpty() ? QString() : "NewFile" + ext};
    expected.removeAll(QString());
    expected.removeDuplicates();
    expected.sort();
    QCOMPARE(QDir(m_folder).entryList(QDir::Files | QDir::System | QDir::Hidden), expected);
    if (c.there == QStringLiteral("file") && c.file != "NewFile" + ext)
        QCOMPARE(bytesOf(existing), old);
    if (linked) {
        QCOMPARE(QFileInfo(existing).isSymLink(), c.file.isEmpty());
        QCOMPARE(bytesOf(target), c.there == QStringLiteral("link") ? old : QByteArray("<none>"));
    }
}

// The header followed by a line of code is a program its language accepts.
void tst_Workbench::headersParse()
{
    const QList<QStringList> checks{{"JS", "/check.js", "node", "--check", "WScript.Echo(\"ok\");\r\n"},
                                    {"Perl", "/check.pls", "perl", "-c", "print \"ok\\n\";\r\n"}};
    for (const QStringList& c : checks) {
        if (QStandardPaths::findExecutable(c[2]).isEmpty()) {
            qInfo("%s is not installed: its check is not run", qPrintable(c[2]));
            continue;
        }
        Workbench& w = bench();
        w.chooseKind(kindNamed(c[0]));
        m_f.dialogs.inputAnswers = {QStringLiteral("check")};
        w.newScript(m_folder, kindNamed(c[0]), Workbench::From::Button);
        QFile f(m_folder + c[1]);
        QVERIFY(f.open(QIODevice::Append) && f.write(c[4].toUtf8()) > 0);
        f.close();
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(c[2], {c[3], f.fileName()});
        QVERIFY(p.waitForFinished());
        QVERIFY2(p.exitCode() == 0, p.readAll().constData());
    }
}

void tst_Workbench::failedWritesLoseNothing_data()
{
    QTest::addColumn<bool>("fullDisk"); // else read-only
    QTest::addColumn<int>("answer");
    for (bool full : {false, true})
        for (int answer : {MsgResult::Yes, MsgResult::No})
            QTest::addRow("%s, %s", full ? "full disk" : "read-only", answer == MsgResult::Yes ? "Yes" : "No")
                << full << answer;
}

void tst_Workbench::failedWritesLoseNothing()
{
    QFETCH(bool, fullDisk);
    QFETCH(int, answer);
    const QByteArray old(4000, 'x'); // one page, with room for less than a header
    const QString path = m_folder + QStringLiteral("/NewFile.vbs");
    std::optional<SmallDisk> disk;
    if (fullDisk) {
        disk.emplace(m_folder, 16);
        SMALL_DISK_OR_SKIP(*disk);
    }
    QVERIFY(writeFile(path, old));
    if (disk)
        disk->fill();
    else
        QFile(path).setPermissions(QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    Workbench& w = bench();
    w.chooseKind(ScriptKind::VBScript);
    m_f.dialogs.inputAnswers = {D};
    m_f.dialogs.msgAnswers = {answer};
    w.newScript(m_folder, ScriptKind::VBScript, Workbench::From::Button);
    const QString reason = fullDisk ? "ディスクに空きがありません。" : "読み取り専用のファイルです。";
    QCOMPARE(m_f.dialogs.described(), (QStringList{NewBox, Exists, notCreated(path, reason)}));
    QCOMPARE(bytesOf(path), old);
    QVERIFY(m_f.launcher.lines.isEmpty());
}

void tst_Workbench::edit_data()
{
    QTest::addColumn<Edit>("c");
    const QString none = QStringLiteral("ﾌｧｲﾙが選択されていません");
    const QString ask = box(4, "ﾌｧｲﾙの編集", "ﾌｧｲﾙが選択されていません。\r\n新規ﾌｧｲﾙを作成しますか");
    row("button: the editor, a blank, the path unquoted",
        Edit("notepad.exe", "/s/My Scripts/a.vbs", false, 0, {}, {"1|notepad.exe /s/My Scripts/a.vbs"}, {},
             false));
    row("menu: options kept", Edit("gedit -s", "/s/a.vbs", true, 0, {}, {"1|gedit -s /s/a.vbs"}, {}, false));
    row("System: the internal editor", Edit("System", "/s/a.vbs", false, 0, {}, {}, {"/s/a.vbs"}, false));
    row("\"system\" is a program's name",
        Edit("system", "/s/a.vbs", false, 0, {}, {"1|system /s/a.vbs"}, {}, false));
    row("nothing chosen, No", Edit("notepad.exe", "", false, MsgResult::No, {ask}, {}, {}, false));
    row("nothing chosen, Yes: a new script is wanted",
        Edit("System", "", false, MsgResult::Yes, {ask}, {}, {}, true));
    row("nothing chosen, menu: the editor gets the words",
        Edit("notepad.exe", "", true, 0, {}, {"1|notepad.exe " + none}, {}, false));
    row("nothing chosen, menu, internal editor", Edit("System", "", true, 0, {}, {}, {none}, false));
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
    row("encoder, JavaScript, default answer", "encode JS", D, "my enc/enc", {s, "/f", s + ".JSE"});
    row("encoder, No CommLine", "encode VBS", "No CommLine", "my enc/enc", {s});
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
    w.selectFile(dir + QStringLiteral("/My Scripts/a b.vbs"));
    if (action.endsWith(QStringLiteral("CSCRIPT.EXE")))
        w.chooseHost(QStringLiteral("CSCRIPT.EXE"));
    m_f.dialogs.inputAnswers = {answer};
    if (action.startsWith(QStringLiteral("run")))
        w.run(Workbench::From::Button);
    else if (action.startsWith(QStringLiteral("encode")))
        w.encode(kindNamed(action.section(u' ', 1)));
    else
        w.edit();
    for (QString& a : argv)
        a.replace(QStringLiteral("%1"), dir);
    QCOMPARE(FakePrograms::waitForArgv(dir + u'/' + program), argv);
}

QTEST_GUILESS_MAIN(tst_Workbench)
#include "tst_Workbench.moc"
