#include "ScriptBox.h"
#include "TestBench.h"
#include "WorkbenchTexts.h"
#include "frmEdit.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QListView>
#include <QProcess>
#include <QStandardPaths>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include <sys/mount.h>

namespace W = WorkbenchText;

// The New action and the edit dispatch of the main window, in a real folder: the bytes of
// each new file, every box in order, and the editor each one opens.
class tst_NewAndEdit : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void headerForEachKind_data();
    void headerForEachKind();
    void headersParse_data();
    void headersParse();
    void newScript_data();
    void newScript();
    void newScriptNeverFollowsLinks_data();
    void newScriptNeverFollowsLinks();
    void newScriptOpensTheInternalEditor();
    void failedWritesLoseNothing_data();
    void failedWritesLoseNothing();
    void editDispatch_data();
    void editDispatch();

private:
    void makeMain(const QString& editor = QStringLiteral("notepad.exe"));
    void perform(const QStringList& steps);
    QByteArray header(const QString& mark, const QString& path);
    QByteArray bytesOf(const QString& path);
    FakeServices m_fakes;
    std::unique_ptr<TestBench> m_bench;
    QTemporaryDir* m_dir = nullptr;
    QString m_folder;
    frmMain* m_main = nullptr;
};

namespace {
QString newInput(const QString& prompt)
{
    return input(W::NewTitle, prompt, W::NewDefault);
}
} // namespace

void tst_NewAndEdit::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
}

void tst_NewAndEdit::init()
{
    m_fakes = {};
    m_dir = new QTemporaryDir;
    m_folder = m_dir->path() + QStringLiteral("/my scripts");
    QDir().mkpath(m_folder);
    QDir::setCurrent(m_folder);
}

void tst_NewAndEdit::cleanup()
{
    delete m_main;
    m_main = nullptr;
    m_bench.reset();
    QDir::setCurrent(QDir::tempPath());
    delete m_dir;
}

void tst_NewAndEdit::makeMain(const QString& editor)
{
    m_fakes.settings.values.insert(QStringLiteral("Quillet/Option/Editor"), editor);
    m_fakes.settings.values.insert(QStringLiteral("Quillet/Option/UserName"), QStringLiteral("山田 太郎"));
    m_bench = std::make_unique<TestBench>(m_fakes);
    m_main = new frmMain(m_bench->workbench);
    m_main->show();
}

// "click:name", "menu:name", "new:answer" (the name typed into the next input box).
void tst_NewAndEdit::perform(const QStringList& steps)
{
    for (const QString& step : steps) {
        const QString what = step.section(u':', 0, 0), arg = step.section(u':', 1);
        if (what == QStringLiteral("click"))
            QTest::mouseClick(m_main->findChild<QAbstractButton*>(arg), Qt::LeftButton);
        else if (what == QStringLiteral("menu"))
            m_main->findChild<QAction*>(arg)->trigger();
    }
}

// The example's five lines, written out here as the file must hold them.
QByteArray tst_NewAndEdit::header(const QString& mark, const QString& path)
{
    return cp932(mark + "Windows Scripting Host\r\n" + mark + "ﾌｧｲﾙ名: " + path + "\r\n" + mark +
                 "作成者: 山田 太郎\r\n" + mark + "作成日時: 2001/05/12 9:03:27\r\n" + mark + "\r\n");
}

QByteArray tst_NewAndEdit::bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
}

void tst_NewAndEdit::headerForEachKind_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("mark");
    QTest::addColumn<QString>("file");
    QTest::newRow("VBScript") << "selVBS"
                              << "' "
                              << "NewFile.vbs";
    QTest::newRow("JavaScript") << "selJS"
                                << "// "
                                << "NewFile.js";
    QTest::newRow("PerlScript") << "selPls"
                                << "# "
                                << "NewFile.pls";
}

void tst_NewAndEdit::headerForEachKind()
{
    QFETCH(QString, kind);
    QFETCH(QString, mark);
    QFETCH(QString, file);
    makeMain();
    m_bench->workbench.selectFile(QStringLiteral("/elsewhere/chosen.vbs"));
    m_fakes.dialogs.inputAnswers = {FakeDialogs::AcceptDefault};
    perform({"click:" + kind, "click:btnNew"});
    const QString path = m_folder + u'/' + file;
    QCOMPARE(bytesOf(path), header(mark, path));
    QCOMPARE(m_fakes.launcher.lines(), QStringList{"1|notepad.exe " + path}); // blanks and all, unquoted
    auto* list = m_main->findChild<QListView*>(QStringLiteral("fldFileList"));
    QStringList listed;
    for (int r = 0; r < list->model()->rowCount(); ++r)
        listed << list->model()->index(r, 0).data().toString();
    QCOMPARE(listed, QStringList{file});
    QCOMPARE(m_bench->workbench.selectedFile(), QStringLiteral("/elsewhere/chosen.vbs"));
}

// The header followed by a line of code is a program its language accepts.
void tst_NewAndEdit::headersParse_data()
{
    QTest::addColumn<QString>("tool");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("code");
    QTest::newRow("JavaScript: node --check") << "node" << QStringList{"--check"} << "selJS"
                                              << "WScript.Echo(\"ok\");\r\n";
    QTest::newRow("PerlScript: perl -c") << "perl" << QStringList{"-c"} << "selPls"
                                         << "print \"ok\\n\";\r\n";
}

void tst_NewAndEdit::headersParse()
{
    QFETCH(QString, tool);
    QFETCH(QStringList, args);
    QFETCH(QString, kind);
    QFETCH(QString, code);
    if (QStandardPaths::findExecutable(tool).isEmpty())
        QSKIP(qPrintable(tool + " is not installed"));
    makeMain();
    m_fakes.dialogs.inputAnswers = {QStringLiteral("check")};
    perform({"click:" + kind, "click:btnNew"});
    const QString path = m_folder + (kind == "selJS" ? "/check.js" : "/check.pls");
    QFile f(path);
    QVERIFY(f.open(QIODevice::Append));
    f.write(code.toUtf8());
    f.close();
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(tool, args << path);
    QVERIFY(p.waitForFinished());
    QVERIFY2(p.exitCode() == 0, p.readAll().constData());
}

void tst_NewAndEdit::newScript_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QByteArray>("existing"); // NewFile.vbs before; empty: none
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QList<int>>("buttons");
    QTest::addColumn<QStringList>("boxes"); // %1: the folder
    QTest::addColumn<QString>("file");      // what must hold the header
    QTest::addColumn<QByteArray>("before"); // what the header follows
    QTest::addColumn<bool>("editor");

    const QString d = FakeDialogs::AcceptDefault;
    const QString ask = box(51, "Quillet", W::NewExists);
    const QByteArray old = cp932("' 前からある\r\n");
    const QStringList vbs{"click:selVBS", "click:btnNew"};
    const QString kind = QStringList{"MsgBox", "0", "", "VBScriptを作成します"}.join(u'|');
    QTest::newRow("a name left empty ends it")
        << vbs << QByteArray() << QStringList{""} << QList<int>{} << QStringList{kind, newInput(W::NewPrompt)}
        << QString() << QByteArray() << false;
    QTest::newRow("no kind chosen yet, though VBS shows selected")
        << QStringList{"click:btnNew"} << QByteArray() << QStringList{d} << QList<int>{}
        << QStringList{newInput(W::NewPrompt), box(48, "Quillet", W::NewNoKind)} << QString() << QByteArray()
        << false;
    QTest::newRow("a typed extension stays in the name")
        << QStringList{"click:selJS", "click:btnNew"} << QByteArray() << QStringList{"test.js"}
        << QList<int>{}
        << QStringList{QStringList{"MsgBox", "0", "", "JavaScriptを作成します"}.join(u'|'),
                       newInput(W::NewPrompt)}
        << "test.js.js" << QByteArray() << true;
    QTest::newRow("existing, Yes: exactly the five lines")
        << vbs << old << QStringList{d} << QList<int>{MsgResult::Ok, MsgResult::Yes}
        << QStringList{kind, newInput(W::NewPrompt), ask} << "NewFile.vbs" << QByteArray() << true;
    QTest::newRow("existing, No: appended")
        << vbs << old << QStringList{d} << QList<int>{MsgResult::Ok, MsgResult::No}
        << QStringList{kind, newInput(W::NewPrompt), ask} << "NewFile.vbs" << old << true;
    QTest::newRow("existing, Cancel: untouched, no editor")
        << vbs << old << QStringList{d} << QList<int>{MsgResult::Ok, MsgResult::Cancel}
        << QStringList{kind, newInput(W::NewPrompt), ask} << QString() << QByteArray() << false;
    QTest::newRow("menu: appends without a question")
        << QStringList{"click:selVBS", "menu:mnuFileNew"} << old << QStringList{d} << QList<int>{}
        << QStringList{kind, newInput(W::NewMenuPrompt)} << "NewFile.vbs" << old << true;
    QTest::newRow("\"*\" is a character, not a pattern")
        << vbs << old << QStringList{"*"} << QList<int>{} << QStringList{kind, newInput(W::NewPrompt)}
        << "*.vbs" << QByteArray() << true;
    QTest::newRow("a name into a folder that does not exist")
        << vbs << QByteArray() << QStringList{"no such/x"} << QList<int>{}
        << QStringList{kind, newInput(W::NewPrompt),
                       box(16, "Quillet", W::NewFailed + "\r\n%1/no such/x.vbs\r\nフォルダがありません。")}
        << QString() << QByteArray() << false;
}

void tst_NewAndEdit::newScript()
{
    QFETCH(QStringList, steps);
    QFETCH(QByteArray, existing);
    QFETCH(QStringList, answers);
    QFETCH(QList<int>, buttons);
    QFETCH(QStringList, boxes);
    QFETCH(QString, file);
    QFETCH(QByteArray, before);
    QFETCH(bool, editor);
    if (!existing.isEmpty()) {
        QFile f(m_folder + QStringLiteral("/NewFile.vbs"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(existing);
    }
    makeMain();
    m_fakes.dialogs.inputAnswers = answers;
    m_fakes.dialogs.msgAnswers = buttons;
    perform(steps);
    for (QString& b : boxes)
        b = b.arg(m_folder);
    QCOMPARE(m_fakes.dialogs.described(), boxes);
    const QString path = m_folder + u'/' + file;
    if (!file.isEmpty())
        QCOMPARE(bytesOf(path), before + header(file.endsWith(".js") ? "// " : "' ", path));
    QCOMPARE(m_fakes.launcher.lines(), editor ? QStringList{"1|notepad.exe " + path} : QStringList{});
    // Nothing else was made or changed.
    const QStringList present = QDir(m_folder).entryList(QDir::Files | QDir::Hidden);
    QStringList expected;
    if (!existing.isEmpty())
        expected << QStringLiteral("NewFile.vbs");
    if (!file.isEmpty() && !expected.contains(file))
        expected << file;
    expected.sort();
    QCOMPARE(present, expected);
    if (!existing.isEmpty() && file != QStringLiteral("NewFile.vbs"))
        QCOMPARE(bytesOf(m_folder + QStringLiteral("/NewFile.vbs")), existing);
}

void tst_NewAndEdit::newScriptNeverFollowsLinks_data()
{
    QTest::addColumn<bool>("dangling");
    QTest::addColumn<QString>("entry"); // "click:btnNew" or "menu:mnuFileNew"
    QTest::addColumn<QList<int>>("buttons");
    QTest::addColumn<bool>("replaced"); // the link became the new script
    const QList<int> yes{MsgResult::Ok, MsgResult::Yes}, no{MsgResult::Ok, MsgResult::No};
    QTest::newRow("a link to a file: asked, Yes replaces the link") << false << "click:btnNew" << yes << true;
    QTest::newRow("a link to a file: asked, No appends to nothing") << false << "click:btnNew" << no << false;
    QTest::newRow("a link to a file, from the menu") << false << "menu:mnuFileNew" << QList<int>{} << false;
    QTest::newRow("a link to nowhere: asked, Yes replaces the link") << true << "click:btnNew" << yes << true;
    QTest::newRow("a link to nowhere, from the menu: nothing made there")
        << true << "menu:mnuFileNew" << QList<int>{} << false;
}

void tst_NewAndEdit::newScriptNeverFollowsLinks()
{
    QFETCH(bool, dangling);
    QFETCH(QString, entry);
    QFETCH(QList<int>, buttons);
    QFETCH(bool, replaced);
    const QString target =
        m_dir->path() + (dangling ? QStringLiteral("/autostart/evil.desktop") : QStringLiteral("/notes.txt"));
    if (!dangling) {
        QFile f(target);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("my notes\n");
    } else {
        QDir().mkdir(m_dir->path() + QStringLiteral("/autostart"));
    }
    const QString path = m_folder + QStringLiteral("/NewFile.js");
    QVERIFY(QFile::link(target, path));
    makeMain();
    m_fakes.dialogs.inputAnswers = {FakeDialogs::AcceptDefault};
    m_fakes.dialogs.msgAnswers = buttons;
    perform({"click:selJS", entry});
    QStringList boxes{
        box(0, {}, QStringLiteral("JavaScriptを作成します")),
        input(QStringLiteral("新規作成"),
              entry.startsWith(QStringLiteral("click"))
                  ? QStringLiteral("新しく作成するﾌｧｲﾙ名を入力してください\r\n拡張子は要りません")
                  : QStringLiteral("新しく作成するWSHﾌｧｲﾙ名を入力してください\r\n拡張子は要りません"),
              QStringLiteral("NewFile"))};
    if (entry.startsWith(QStringLiteral("click")))
        boxes << box(51, "Quillet", QStringLiteral("同名のファイルが存在します。上書きしますか"));
    if (!replaced)
        boxes << box(16, "Quillet",
                     "ファイルを作成できませんでした。\r\n" + path +
                         "\r\nシンボリックリンクには書き込みません。");
    QCOMPARE(m_fakes.dialogs.described(), boxes);
    QCOMPARE(QFileInfo(path).isSymLink(), !replaced);
    if (replaced)
        QCOMPARE(bytesOf(path), header("// ", path));
    QCOMPARE(bytesOf(target), dangling ? QByteArray("<none>") : QByteArray("my notes\n"));
    QCOMPARE(m_fakes.launcher.lines(), replaced ? QStringList{"1|notepad.exe " + path} : QStringList{});
}

void tst_NewAndEdit::newScriptOpensTheInternalEditor()
{
    makeMain(QStringLiteral("System"));
    m_fakes.dialogs.inputAnswers = {FakeDialogs::AcceptDefault};
    perform({"click:selPls", "click:btnNew"});
    const QString path = m_folder + QStringLiteral("/NewFile.pls");
    QVERIFY(m_bench->editor.window());
    QCOMPARE(m_bench->editor.window()->findChild<QLineEdit*>(QStringLiteral("fldFileName"))->text(), path);
    QCOMPARE(m_bench->editor.window()->findChild<ScriptBox*>(QStringLiteral("fldEditSrc"))->text(),
             QStringLiteral("# Windows Scripting Host\r\n# ﾌｧｲﾙ名: %1\r\n# 作成者: 山田 太郎\r\n"
                            "# 作成日時: 2001/05/12 9:03:27\r\n# \r\n")
                 .arg(path));
    QVERIFY(m_fakes.launcher.calls.isEmpty());
}

void tst_NewAndEdit::failedWritesLoseNothing_data()
{
    QTest::addColumn<QString>("where");
    QTest::addColumn<int>("answer");
    QTest::newRow("read-only, Yes") << "read-only" << int(MsgResult::Yes);
    QTest::newRow("read-only, No") << "read-only" << int(MsgResult::No);
    QTest::newRow("full disk, Yes") << "full disk" << int(MsgResult::Yes);
    QTest::newRow("full disk, No") << "full disk" << int(MsgResult::No);
}

void tst_NewAndEdit::failedWritesLoseNothing()
{
    QFETCH(QString, where);
    QFETCH(int, answer);
    const QByteArray old = QByteArray(4096, 'x'); // one whole page: the header needs another
    const QString path = m_folder + QStringLiteral("/NewFile.vbs");
    std::function<void()> undo = [] {};
    if (where == QStringLiteral("full disk")) {
        if (mount("tmpfs", m_folder.toLocal8Bit().constData(), "tmpfs", 0, "size=16k") != 0)
            QSKIP("cannot mount a small tmpfs here (needs root)");
        undo = [this] { umount(m_folder.toLocal8Bit().constData()); };
    }
    const auto cleanupMount = qScopeGuard([&] { undo(); });
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(old);
    }
    if (where == QStringLiteral("read-only")) {
        QFile(path).setPermissions(QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    } else {
        QFile filler(m_folder + QStringLiteral("/filler"));
        QVERIFY(filler.open(QIODevice::WriteOnly));
        while (filler.write(QByteArray(512, 'f')) == 512 && filler.flush()) {
        }
    }
    makeMain();
    m_fakes.dialogs.inputAnswers = {FakeDialogs::AcceptDefault};
    m_fakes.dialogs.msgAnswers = {MsgResult::Ok, answer};
    perform({"click:selVBS", "click:btnNew"});
    QCOMPARE(m_fakes.dialogs.calls.size(), 4);
    QVERIFY2(m_fakes.dialogs.calls.last().text.startsWith(W::NewFailed + "\r\n" + path + "\r\n"),
             qPrintable(m_fakes.dialogs.calls.last().text));
    QCOMPARE(bytesOf(path), old);
    QVERIFY(m_fakes.launcher.calls.isEmpty());
    delete m_main;
    m_main = nullptr;
}

void tst_NewAndEdit::editDispatch_data()
{
    QTest::addColumn<QString>("editor");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QList<int>>("buttons");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QStringList>("launched");
    QTest::addColumn<QString>("selectedAfter");
    const QString noFile = box(4, W::EditTitle, W::EditNoFile);
    const QString none = W::OpenNoFile;
    QTest::newRow("button: the editor, a blank, the path unquoted")
        << "notepad.exe"
        << "/s/My Scripts/a.vbs" << QStringList{"click:btnEdit"} << QList<int>{} << QStringList{}
        << QStringList{"1|notepad.exe /s/My Scripts/a.vbs"} << "/s/My Scripts/a.vbs";
    QTest::newRow("menu entry: the same")
        << "gedit -s"
        << "/s/a.vbs" << QStringList{"menu:mnuFileOpen"} << QList<int>{} << QStringList{}
        << QStringList{"1|gedit -s /s/a.vbs"} << "/s/a.vbs";
    QTest::newRow("\"system\" is a program's name")
        << "system"
        << "/s/a.vbs" << QStringList{"click:btnEdit"} << QList<int>{} << QStringList{}
        << QStringList{"1|system /s/a.vbs"} << "/s/a.vbs";
    QTest::newRow("nothing chosen, No") << "notepad.exe"
                                        << "" << QStringList{"click:btnEdit"} << QList<int>{MsgResult::No}
                                        << QStringList{noFile} << QStringList{} << "";
    QTest::newRow("nothing chosen, Yes: the New dialogue")
        << "notepad.exe"
        << "" << QStringList{"click:btnEdit"} << QList<int>{MsgResult::Yes}
        << QStringList{noFile, newInput(W::NewPrompt)} << QStringList{} << "";
    QTest::newRow("nothing chosen, menu: the editor gets the words, and they stay")
        << "notepad.exe"
        << "" << QStringList{"menu:mnuFileOpen", "click:btnEdit"} << QList<int>{} << QStringList{}
        << QStringList{"1|notepad.exe " + none, "1|notepad.exe " + none} << none;
}

void tst_NewAndEdit::editDispatch()
{
    QFETCH(QString, editor);
    QFETCH(QString, selected);
    QFETCH(QStringList, steps);
    QFETCH(QList<int>, buttons);
    QFETCH(QStringList, boxes);
    QFETCH(QStringList, launched);
    QFETCH(QString, selectedAfter);
    makeMain(editor);
    m_bench->workbench.selectFile(selected);
    m_fakes.dialogs.msgAnswers = buttons;
    perform(steps);
    QCOMPARE(m_fakes.dialogs.described(), boxes);
    QCOMPARE(m_fakes.launcher.lines(), launched);
    QCOMPARE(m_bench->workbench.selectedFile(), selectedAfter);
}

QTEST_MAIN(tst_NewAndEdit)
#include "tst_NewAndEdit.moc"
