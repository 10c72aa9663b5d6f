#include "Palettes.h"
#include "ScriptBox.h"
#include "TestBench.h"
#include "TestFiles.h"
#include "frmEdit.h"

#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QToolBar>

#include <sys/stat.h>

// The internal editor with real files: what is on disk after each save, and every box a
// user sees on the way.
class tst_frmEdit : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void texts_data();
    void texts();
    void menusAndTools();
    void opensWhatTheMainWindowSends();
    void saveKeepsTheFilesEncoding_data();
    void saveKeepsTheFilesEncoding();
    void failedSavesLoseNothing_data();
    void failedSavesLoseNothing();
    void savesWhereTheFieldSays();
    void closeAsksAboutChanges_data();
    void closeAsksAboutChanges();
    void refillAsksAboutChanges_data();
    void refillAsksAboutChanges();
    void failedOpenReplacesNothingUnasked_data();
    void failedOpenReplacesNothingUnasked();
    void changedOnDiskAsksBeforeOverwriting_data();
    void changedOnDiskAsksBeforeOverwriting();
    void offersToReloadWhenActivated_data();
    void offersToReloadWhenActivated();
    void untouchedLinesKeepTheirBytes_data();
    void untouchedLinesKeepTheirBytes();
    void coloursByLanguage_data();
    void coloursByLanguage();
    void readableInLightAndDark_data();
    void readableInLightAndDark();
    void goesToALineByNumber_data();
    void goesToALineByNumber();
    void largeScriptsStillNoticeEdits();
    void printsToPdf_data();
    void printsToPdf();

private:
    frmEdit* open(const QString& path);
    QString file(const QString& name, const QByteArray& bytes);
    void type(const QString& text);
    void save() { child<QAction>(window(), "mnuFileSave")->trigger(); }
    frmEdit* window() const { return m_editor->window(); }
    ScriptBox* src() const { return child<ScriptBox>(window(), "fldEditSrc"); }
    QLineEdit* field() const { return child<QLineEdit>(window(), "fldFileName"); }
    FakeServices m_f;
    FakePrinting m_printing;
    std::unique_ptr<InternalEditorWindow> m_editor;
    std::unique_ptr<QTemporaryDir> m_dir;
};

namespace {
const QString SaveFailed = box(16, "Quillet", "ファイルの保存時にエラーが起きました");
const QString NotSaved = box(3, "Quillet", "まだ保存されていません。保存しますか");
const QString Lossy =
    "このファイルには文字として読めないバイトがあります。その部分は「\uFFFD」と表示されます。\r\n"
    "変更しない行は元のバイトのまま保存されます。変更した行の「\uFFFD」は「?」として保存されます。";
const QString LossyUnicode =
    "このファイルには文字として読めないバイトがあります。その部分は「\uFFFD」と表示されます。\r\n"
    "変更しない行は元のバイトのまま保存されます。変更した行の「\uFFFD」はそのまま保存されます。";
const QString Aliased =
    "このファイルには、同じ文字に二つの文字コードがある文字 (NEC・IBM 拡張文字) が含まれています。\r\n"
    "変更しない行は元のバイトのまま保存されます。変更した行では、それらの文字は標準の文字コードで保存されます"
    "。";
} // namespace

void tst_frmEdit::init()
{
    m_f = {};
    m_printing = {};
    m_editor = std::make_unique<InternalEditorWindow>(m_f.services(), m_printing);
    m_dir = std::make_unique<QTemporaryDir>();
}

void tst_frmEdit::cleanup()
{
    m_editor.reset();
    QProcess::execute(QStringLiteral("chmod"),
                      {QStringLiteral("-R"), QStringLiteral("u+rwx"), m_dir->path()});
    m_dir.reset();
}

frmEdit* tst_frmEdit::open(const QString& path)
{
    m_editor->openFile(path);
    window()->activateWindow();
    return window();
}

QString tst_frmEdit::file(const QString& name, const QByteArray& bytes)
{
    const QString path = m_dir->path() + u'/' + name;
    writeFile(path, bytes);
    return path;
}

// At the end of the text, as an input method commits it.
void tst_frmEdit::type(const QString& text)
{
    src()->SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(src(), &commit);
}

void tst_frmEdit::texts_data()
{
    QTest::addColumn<QString>("name"); // empty: the window
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QString>("text");
    auto row = [](const char* name, const char* property, const char* text) {
        QTest::addRow("%s %s", name, property)
            << QString::fromLatin1(name) << QByteArray(property) << QString::fromUtf8(text);
    };
    row("", "windowTitle", "スクリプトの編集");
    row("", "accessibleName", "スクリプトの編集");
    row("Label1", "text", "ﾌｧｲﾙ名");
    row("fldFileName", "accessibleName", "ﾌｧｲﾙ名");
    row("fldEditSrc", "accessibleName", "スクリプトの内容");
    row("Toolbar1", "accessibleName", "ツールバー");
    row("SBfedit", "accessibleName", "ステータスバー");
    row("mnuFile", "title", "ﾌｧｲﾙ(&F)");
    row("mnuEdit", "title", "編集(&E)");
}

void tst_frmEdit::texts()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, property);
    QFETCH(QString, text);
    open(file(QStringLiteral("a.vbs"), "x"));
    const QObject* o = name.isEmpty() ? window() : child<QObject>(window(), name);
    QVERIFY(o);
    QCOMPARE(o->property(property.constData()).toString(), text);
}

// The menus in order, the tools as a screen reader names them, and what each one does.
void tst_frmEdit::menusAndTools()
{
    frmEdit* w = open(file(QStringLiteral("a.vbs"), "a"));
    QCOMPARE(w->focusWidget(), src());
    QStringList menus;
    for (QAction* a : w->findChildren<QAction*>())
        if (a->objectName().startsWith(QStringLiteral("mnu")))
            menus << (a->isSeparator() ? QStringLiteral("-") : a->text());
    QCOMPARE(menus, (QStringList{"保存(&S)", "印刷(&P)", "-", "閉じる(&C)", "やり直し(&U)", "-",
                                 "切り取り(&T)", "ｺﾋﾟｰ(&C)", "貼り付け(&P)"}));
    QStringList tools;
    for (QAction* a : child<QToolBar>(w, "Toolbar1")->actions())
        tools << a->text() + (a->isEnabled() ? QString() : QStringLiteral(" (off)"));
    // New and open have nothing to open; cut and copy wait for a selection.
    QCOMPARE(tools, (QStringList{"新規作成 (off)", "開く (off)", "保存", "印刷", "切り取り (off)",
                                 "コピー (off)", "貼り付け"}));
    src()->selectAll();
    QVERIFY(child<QAction>(w, "toolcut")->isEnabled() && child<QAction>(w, "toolcopy")->isEnabled());
    // The edit menu's entries only say so; the box's own keys and the tools do the work.
    for (const char* name : {"mnuEditUndo", "mnuEditCut", "mnuEditCopy", "mnuEditPaste"})
        child<QAction>(w, name)->trigger();
    QCOMPARE(m_f.dialogs.described(), QStringList(4, box(0, "", "まだ機能が実装されていません")));
    QCOMPARE(src()->text(), QStringLiteral("a"));
    // A screen reader reads the script itself, not only the box's name.
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(src());
    QVERIFY(a && a->textInterface());
    QCOMPARE(a->textInterface()->text(0, a->textInterface()->characterCount()), QStringLiteral("a"));
    // Loading is not a step to undo.
    QCOMPARE(src()->SendScintilla(QsciScintillaBase::SCI_CANUNDO), 0);
    QTest::keyClick(src(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(src()->text(), QStringLiteral("a"));
    QVERIFY(w->isSaved());
}

// A new script made with the internal editor chosen: its path and its five lines, whatever
// is chosen in the main window; the editor outlives the main window.
void tst_frmEdit::opensWhatTheMainWindowSends()
{
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    QDir::setCurrent(m_dir->path());
    m_f.settings.setOption(QStringLiteral("Editor"), QStringLiteral("System"));
    TestBench bench(m_f);
    frmMain* main = bench.showMain();
    bench.workbench.selectFile(file(QStringLiteral("chosen.vbs"), "x"));
    m_f.dialogs.inputAnswers = {FakeDialogs::AcceptDefault};
    perform(main, {"click:selPls", "click:btnNew"});
    const QString path = m_dir->path() + QStringLiteral("/NewFile.pls");
    frmEdit* w = bench.editor.window();
    QVERIFY(w && w->isVisible());
    QCOMPARE(child<QLineEdit>(w, "fldFileName")->text(), path);
    QCOMPARE(child<ScriptBox>(w, "fldEditSrc")->text(),
             QStringLiteral("# Windows Scripting Host\r\n# ﾌｧｲﾙ名: %1\r\n# 作成者: No User Name\r\n"
                            "# 作成日時: 2001/05/12 9:03:27\r\n# \r\n")
                 .arg(path));
    QVERIFY(m_f.launcher.lines.isEmpty());
    QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);
    main->close();
    QTest::qWait(50);
    QVERIFY(bench.editor.window() && bench.editor.window()->isVisible());
    QCOMPARE(lastClosed.count(), 0);
    QDir::setCurrent(QDir::tempPath());
}

void tst_frmEdit::saveKeepsTheFilesEncoding_data()
{
    QTest::addColumn<QByteArray>("before"); // empty: the file does not exist yet
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("code page 932, CR LF")
        << cp932("' 挨拶\r\nMsgBox 1\r\n") << QStringLiteral("ﾃｽﾄ") << cp932("' 挨拶\r\nMsgBox 1\r\nﾃｽﾄ");
    QTest::newRow("UTF-8, LF") << QByteArray("// \xe6\x8c\xa8\nx();\n") << QStringLiteral("é")
                               << QByteArray("// \xe6\x8c\xa8\nx();\n\xc3\xa9");
    QTest::newRow("UTF-8 with its mark, no-break space kept") << QByteArray("\xef\xbb\xbf"
                                                                            "a\xc2\xa0"
                                                                            "b\r\n")
                                                              << QStringLiteral("c")
                                                              << QByteArray("\xef\xbb\xbf"
                                                                            "a\xc2\xa0"
                                                                            "b\r\nc");
    QTest::newRow("UTF-16 LE with its mark") << QByteArray("\xff\xfe"
                                                           "a\0\r\0\n\0",
                                                           8)
                                             << QStringLiteral("b")
                                             << QByteArray("\xff\xfe"
                                                           "a\0\r\0\n\0b\0",
                                                           10);
    QTest::newRow("a new file: code page 932, CR LF")
        << QByteArray() << QStringLiteral("ｱ\n1") << cp932("ｱ\r\n1");
}

void tst_frmEdit::saveKeepsTheFilesEncoding()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, typed);
    QFETCH(QByteArray, after);
    const QString path =
        before.isEmpty() ? m_dir->path() + QStringLiteral("/new.vbs") : file("a.vbs", before);
    frmEdit* w = open(path);
    const QStringList lines = typed.split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0)
            QTest::keyClick(src(), Qt::Key_Return);
        type(lines[i]);
    }
    QVERIFY(!w->isSaved());
    save();
    QCOMPARE(bytesOf(path), after);
    QVERIFY(w->isSaved());
    QCOMPARE(m_f.dialogs.calls.size(), before.isEmpty() ? 1 : 0); // only the missing file's notice
}

void tst_frmEdit::failedSavesLoseNothing_data()
{
    QTest::addColumn<QString>("target"); // %1: the test's folder
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("typed");
    auto row = [](const char* name, const char* target, const char* setup, const QString& typed) {
        QTest::newRow(name) << QString::fromLatin1(target) << QString::fromLatin1(setup) << typed;
    };
    row("a character code page 932 lacks", "%1/a.vbs", "", QStringLiteral("한"));
    row("folder that does not exist", "%1/nowhere/a.vbs", "", "x");
    row("read-only file", "%1/a.vbs", "chmod a-w file", "x");
    row("a new file in a read-only folder", "%1/c.vbs", "chmod a-w folder", "x");
    row("a folder", "%1/b.vbs", "folder in the way", "x");
    row("a device", "/dev/full", "", "x");
    row("a full disk", "%1/small/a.vbs", "full disk", QString(20000, u'y'));
}

void tst_frmEdit::failedSavesLoseNothing()
{
    QFETCH(QString, target);
    QFETCH(QString, setup);
    QFETCH(QString, typed);
    const QByteArray original = cp932("' 元のまま\r\n");
    SmallDisk disk(setup == "full disk" ? m_dir->path() + "/small" : QString(), 64);
    if (setup == QStringLiteral("full disk"))
        SMALL_DISK_OR_SKIP(disk);
    target = target.arg(m_dir->path());
    const QString path = file(setup == "full disk" ? "small/a.vbs" : "a.vbs", original);
    disk.fill();
    frmEdit* w = open(path);
    if (typed.size() > 1)
        src()->insert(typed); // pasted: typing it would take long
    else
        type(typed);
    field()->setText(target);
    if (setup == QStringLiteral("chmod a-w file"))
        QFile(path).setPermissions(QFileDevice::ReadOwner);
    if (setup == QStringLiteral("chmod a-w folder"))
        QFile(m_dir->path()).setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    if (setup == QStringLiteral("folder in the way"))
        QDir().mkdir(target);
    save();
    QFile(m_dir->path())
        .setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    QCOMPARE(m_f.dialogs.described(), QStringList{SaveFailed});
    QCOMPARE(bytesOf(path), original);
    QVERIFY(!w->isSaved());
    QVERIFY(src()->text().contains(typed));
    // No leftovers beside the file.
    QCOMPARE(QDir(QFileInfo(path).path()).entryList(QDir::Files | QDir::Hidden).filter("a.vbs"),
             QStringList{"a.vbs"});
    QVERIFY(QFileInfo(target).isDir() || !QFileInfo::exists(target) || target == path ||
            target == "/dev/full");
    // Closing asks again; Cancel keeps everything.
    m_f.dialogs.msgAnswers = {MsgResult::Cancel};
    QVERIFY(!w->close());
    QVERIFY(window());
}

// Through a link to the file it names, which keeps its mode; to a path typed into the field,
// leaving the file that was opened as it was.
void tst_frmEdit::savesWhereTheFieldSays()
{
    const QString real = file("real.vbs", "a\r\n");
    QFile(real).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup);
    const QString link = m_dir->path() + QStringLiteral("/link.vbs");
    QVERIFY(QFile::link(real, link));
    open(link);
    type(QStringLiteral("b"));
    save();
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(bytesOf(real), QByteArray("a\r\nb"));
    QCOMPARE(QFileInfo(real).permissions() & 0x0fff, // the process's own bits, as the mode has them
             QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ReadGroup);
    const QString other = m_dir->path() + QStringLiteral("/other name.vbs");
    field()->setText(other);
    type(QStringLiteral("c"));
    save();
    QCOMPARE(bytesOf(other), QByteArray("a\r\nbc"));
    QCOMPARE(bytesOf(real), QByteArray("a\r\nb"));
}

void tst_frmEdit::closeAsksAboutChanges_data()
{
    QTest::addColumn<bool>("edit");
    QTest::addColumn<bool>("breakSave");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<bool>("closed");
    QTest::addColumn<QByteArray>("onDisk");
    QTest::newRow("untouched: no question")
        << false << false << 0 << QStringList{} << true << QByteArray("a\r\n");
    QTest::newRow("Yes saves and closes")
        << true << false << MsgResult::Yes << QStringList{NotSaved} << true << QByteArray("a\r\nb");
    QTest::newRow("No closes, file as it was")
        << true << false << MsgResult::No << QStringList{NotSaved} << true << QByteArray("a\r\n");
    QTest::newRow("Cancel stays") << true << false << MsgResult::Cancel << QStringList{NotSaved} << false
                                  << QByteArray("a\r\n");
    QTest::newRow("Yes, but the save fails: its own text, and it stays")
        << true << true << MsgResult::Yes
        << QStringList{NotSaved, box(16, "Quillet", "ファイルの保存でエラーが起きました")} << false
        << QByteArray("a\r\n");
}

void tst_frmEdit::closeAsksAboutChanges()
{
    QFETCH(bool, edit);
    QFETCH(bool, breakSave);
    QFETCH(int, answer);
    QFETCH(QStringList, boxes);
    QFETCH(bool, closed);
    QFETCH(QByteArray, onDisk);
    const QString path = file("a.vbs", "a\r\n");
    open(path);
    if (edit)
        type(QStringLiteral("b"));
    const QString target = breakSave ? m_dir->path() + QStringLiteral("/nowhere/a.vbs") : path;
    field()->setText(target);
    m_f.dialogs.msgAnswers = {answer};
    child<QAction>(window(), "mnuFileClose")->trigger();
    QTest::qWait(0);
    QCOMPARE(m_f.dialogs.described(), boxes);
    QCOMPARE(window() == nullptr, closed);
    QCOMPARE(bytesOf(path), onDisk);
    if (!closed) {
        QCOMPARE(field()->text(), target);
        QCOMPARE(src()->text(), QStringLiteral("a\r\nb"));
    }
}

void tst_frmEdit::refillAsksAboutChanges_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<QByteArray>("firstOnDisk");
    QTest::addColumn<QString>("shown"); // the file the window shows afterwards
    QTest::addColumn<bool>("saved");
    QTest::newRow("Yes saves, then opens")
        << MsgResult::Yes << QByteArray("first\r\nchanged") << "b.vbs" << true;
    QTest::newRow("No drops the changes, then opens")
        << MsgResult::No << QByteArray("first\r\n") << "b.vbs" << true;
    QTest::newRow("Cancel keeps the window as it was")
        << MsgResult::Cancel << QByteArray("first\r\n") << "a.vbs" << false;
}

void tst_frmEdit::refillAsksAboutChanges()
{
    QFETCH(int, answer);
    QFETCH(QByteArray, firstOnDisk);
    QFETCH(QString, shown);
    QFETCH(bool, saved);
    frmEdit* first = open(file("a.vbs", "first\r\n"));
    type(QStringLiteral("changed"));
    m_f.dialogs.msgAnswers = {answer};
    QCOMPARE(open(file("b.vbs", "second\r\n")), first);
    QCOMPARE(m_f.dialogs.described(), QStringList{NotSaved});
    QCOMPARE(bytesOf(m_dir->path() + QStringLiteral("/a.vbs")), firstOnDisk);
    QCOMPARE(field()->text(), m_dir->path() + u'/' + shown);
    QCOMPARE(src()->text(),
             shown == "b.vbs" ? QStringLiteral("second\r\n") : QStringLiteral("first\r\nchanged"));
    QCOMPARE(first->isSaved(), saved);
}

void tst_frmEdit::failedOpenReplacesNothingUnasked_data()
{
    QTest::addColumn<QString>("what");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<int>("answer"); // to the overwrite question
    QTest::addColumn<bool>("written");
    const QString tooLarge = QStringLiteral("ファイルが大きすぎます。");
    const QString notFile = QStringLiteral("通常のファイルではありません。");
    QTest::newRow("too large, No") << "large" << tooLarge << MsgResult::No << false;
    QTest::newRow("too large, Yes") << "large" << tooLarge << MsgResult::Yes << true;
    QTest::newRow("a FIFO, No") << "fifo" << notFile << MsgResult::No << false;
    QTest::newRow("a link to /dev/zero, No") << "zero" << notFile << MsgResult::No << false;
}

// A window whose file could not be read shows an empty text; saving it must not silently
// put that in the file's place. FIFOs and devices are refused without blocking.
void tst_frmEdit::failedOpenReplacesNothingUnasked()
{
    QFETCH(QString, what);
    QFETCH(QString, reason);
    QFETCH(int, answer);
    QFETCH(bool, written);
    const QString path = m_dir->path() + QStringLiteral("/big.vbs");
    if (what == QStringLiteral("large")) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.resize(100 * 1024 * 1024)); // sparse: no time, no space
    } else if (what == QStringLiteral("fifo")) {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0644), 0);
    } else {
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
    }
    frmEdit* w = open(path);
    QCOMPARE(m_f.dialogs.described(),
             QStringList{box(48, "Quillet", "ファイルを開けませんでした。\r\n" + path + "\r\n" + reason)});
    QCOMPARE(src()->text(), QString());
    type(QStringLiteral("x"));
    m_f.dialogs.calls.clear();
    m_f.dialogs.msgAnswers = {answer};
    save();
    const QString question = box(308, "Quillet",
                                 "このファイルは開けなかったため、内容を読み込んでいません。\r\n"
                                 "上書きすると元の内容は失われます。上書きしますか");
    const QStringList expected = answer == MsgResult::Yes && what != "large"
                                     ? QStringList{question, SaveFailed}
                                     : QStringList{question};
    QCOMPARE(m_f.dialogs.described(), expected);
    if (what == QStringLiteral("large"))
        QCOMPARE(QFileInfo(path).size(), written ? 1 : 100 * 1024 * 1024);
    QCOMPARE(w->isSaved(), written);
    // Closing asks to save, then asks again before overwriting; No keeps the window open.
    if (!written) {
        m_f.dialogs.calls.clear();
        m_f.dialogs.msgAnswers = {MsgResult::Yes, MsgResult::No};
        QVERIFY(!w->close());
        QCOMPARE(m_f.dialogs.described(), (QStringList{NotSaved, question}));
    }
}

void tst_frmEdit::changedOnDiskAsksBeforeOverwriting_data()
{
    QTest::addColumn<bool>("changeContent"); // else only touched
    QTest::addColumn<int>("answer");
    QTest::addColumn<QByteArray>("onDisk");
    QTest::newRow("changed, No keeps the other program's line")
        << true << MsgResult::No << QByteArray("a\r\nappended\r\n");
    QTest::newRow("changed, Yes writes the window's text") << true << MsgResult::Yes << QByteArray("a\r\nb");
    QTest::newRow("only touched: no question") << false << 0 << QByteArray("a\r\nb");
}

void tst_frmEdit::changedOnDiskAsksBeforeOverwriting()
{
    QFETCH(bool, changeContent);
    QFETCH(int, answer);
    QFETCH(QByteArray, onDisk);
    const QString path = file("a.vbs", "a\r\n");
    frmEdit* w = open(path);
    if (changeContent) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::Append));
        f.write("appended\r\n");
    } else {
        QVERIFY(QProcess::execute(QStringLiteral("touch"),
                                  {QStringLiteral("-d"), QStringLiteral("2001-05-12"), path}) == 0);
    }
    type(QStringLiteral("b"));
    m_f.dialogs.msgAnswers = {answer};
    save();
    const QStringList asked{box(308, "Quillet",
                                "このファイルは、読み込んだ後でほかのプログラムによって変更されています。\r\n"
                                "上書きすると、その変更は失われます。上書きしますか")};
    QCOMPARE(m_f.dialogs.described(), changeContent ? asked : QStringList{});
    QCOMPARE(bytesOf(path), onDisk);
    QCOMPARE(w->isSaved(), onDisk == QByteArray("a\r\nb"));
}

void tst_frmEdit::offersToReloadWhenActivated_data()
{
    QTest::addColumn<bool>("edited");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("text");
    QTest::newRow("untouched, Yes reloads") << false << MsgResult::Yes << "a\r\nappended\r\n";
    QTest::newRow("untouched, No keeps the text") << false << MsgResult::No << "a\r\n";
    QTest::newRow("edited, Yes drops the edit") << true << MsgResult::Yes << "a\r\nappended\r\n";
    QTest::newRow("edited, No keeps the edit") << true << MsgResult::No << "a\r\nb";
}

void tst_frmEdit::offersToReloadWhenActivated()
{
    QFETCH(bool, edited);
    QFETCH(int, answer);
    QFETCH(QString, text);
    const QString path = file("a.vbs", "a\r\n");
    frmEdit* w = open(path);
    QTest::qWait(0);
    if (edited)
        type(QStringLiteral("b"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::Append) && f.write("appended\r\n") == 10);
    f.close();
    m_f.dialogs.msgAnswers = {answer};
    auto activate = [w] {
        QEvent activation(QEvent::WindowActivate);
        QApplication::sendEvent(w, &activation);
        QTest::qWait(0);
    };
    activate();
    const QString question =
        edited ? "このファイルは、ほかのプログラムによって変更されました。\r\n"
                 "読み込み直すと、まだ保存していない変更は失われます。読み込み直しますか"
               : "このファイルは、ほかのプログラムによって変更されました。\r\n読み込み直しますか";
    QCOMPARE(m_f.dialogs.described(), QStringList{box(52, "Quillet", question)});
    QCOMPARE(src()->text(), text);
    QCOMPARE(w->isSaved(), answer == MsgResult::Yes || !edited);
    // One question per change.
    activate();
    QCOMPARE(m_f.dialogs.calls.size(), 1);
}

void tst_frmEdit::untouchedLinesKeepTheirBytes_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<int>("line"); // where "X" is typed at the end, counted from 0
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<QString>("warning"); // empty: none
    auto row = [](const char* name, const QByteArray& before, int line, const QByteArray& after,
                  const QString& warning) { QTest::newRow(name) << before << line << after << warning; };
    row("code page 932, a bad byte in an untouched line", "' \x81\r\nMsgBox 1\r\n", 1,
        "' \x81\r\nMsgBox 1X\r\n", Lossy);
    row("code page 932, a bad byte in the changed line", "' \x81\r\nMsgBox 1\r\n", 0, "' ?X\r\nMsgBox 1\r\n",
        Lossy);
    row("a lead byte with nothing after it", "a\x81\r\n", 1, "a\x81\r\nX", Lossy);
    row("UTF-8 without its mark, a bad byte", "' \xc3\xa9\xff\nx\n", 1, "' \xc3\xa9\xff\nxX\n", Lossy);
    row("UTF-8 with its mark, a bad byte in the changed line", "\xef\xbb\xbf' \xff\nx\n", 0,
        "\xef\xbb\xbf' \xef\xbf\xbdX\nx\n", LossyUnicode);
    row("mixed line ends", "a\r\nb\nc\rd", 3, "a\r\nb\nc\rdX", "");
    row("a changed line keeps its own line end", "a\r\nb\nc\r\n", 1, "a\r\nbX\nc\r\n", "");
    row("aliased codes of an untouched line stay", "\xed\x40\x87\x90\r\n\n", 1, "\xed\x40\x87\x90\r\nX\n",
        Aliased);
    row("aliased codes of a changed line take the standard code", "\xed\x40\x87\x90\r\n\n", 0,
        "\xfa\x5c\x81\xe0X\r\n\n", Aliased);
    row("both warnings in one box", "\xed\x40\x81\r\n", 1, "\xed\x40\x81\r\nX", Lossy + "\r\n\r\n" + Aliased);
}

void tst_frmEdit::untouchedLinesKeepTheirBytes()
{
    QFETCH(QByteArray, before);
    QFETCH(int, line);
    QFETCH(QByteArray, after);
    QFETCH(QString, warning);
    const QString path = file("a.vbs", before);
    frmEdit* w = open(path);
    QCOMPARE(m_f.dialogs.described(),
             warning.isEmpty() ? QStringList{} : QStringList{box(48, "Quillet", warning)});
    QVERIFY(w->isSaved());
    src()->setCursorPosition(line, int(src()->text(line).remove(u'\n').remove(u'\r').size()));
    src()->insert(QStringLiteral("X"));
    save();
    QCOMPARE(bytesOf(path), after);
    // Read back, the saved text is what the window showed, but for U+FFFD in the changed
    // line, which the warning said is written as "?".
    QString shown = src()->text();
    if (warning == Lossy)
        shown.replace(QStringLiteral("\uFFFDX"), QStringLiteral("?X"));
    delete window();
    open(path);
    QCOMPARE(src()->text(), shown);
}

void tst_frmEdit::coloursByLanguage_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("probe"); // a piece of the text
    QTest::addColumn<int>("style");     // the lexer's style there; 0 and no lexer: plain
    const QByteArray vbs = cp932("' 挨拶\r\nDim x: x = \"文字\"\r\n"), js("// c\nvar x = \"s\";\n"),
                     pls("# c\nmy $x = 'q';\n");
    QTest::newRow("VBScript: a comment") << "a.vbs" << vbs << "' 挨拶" << 1;
    QTest::newRow("VBScript: a keyword") << "a.vbs" << vbs << "Dim" << 3;
    QTest::newRow("VBScript: a string") << "a.vbs" << vbs << "\"文字\"" << 4;
    QTest::newRow("JScript: a comment") << "a.js" << js << "// c" << 2;
    QTest::newRow("JScript: a keyword") << "a.js" << js << "var" << 5;
    QTest::newRow("JScript: a string") << "a.js" << js << "\"s\"" << 6;
    QTest::newRow("PerlScript: a comment") << "a.pls" << pls << "# c" << 2;
    QTest::newRow("PerlScript: a string") << "a.pls" << pls << "'q'" << 7;
    QTest::newRow("rich text: its codes, uncoloured") << "a.vbs" << QByteArray("{\\rtf1 ' x}") << "' x" << 0;
}

void tst_frmEdit::coloursByLanguage()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, probe);
    QFETCH(int, style);
    open(file(name, bytes));
    src()->SendScintilla(QsciScintillaBase::SCI_COLOURISE, 0, -1);
    const long at = long(src()->text().left(src()->text().indexOf(probe)).toUtf8().size());
    QCOMPARE(src()->SendScintilla(QsciScintillaBase::SCI_GETSTYLEAT, at), style);
    const long fore = src()->SendScintilla(QsciScintillaBase::SCI_STYLEGETFORE, style);
    const long plain =
        src()->SendScintilla(QsciScintillaBase::SCI_STYLEGETFORE, QsciScintillaBase::STYLE_DEFAULT);
    QCOMPARE(fore != plain, style != 0);
    // Line numbers in the first margin.
    QCOMPARE(src()->marginType(0), QsciScintilla::NumberMargin);
    QVERIFY(src()->marginWidth(0) > 0);
}

void tst_frmEdit::readableInLightAndDark_data()
{
    QTest::addColumn<bool>("dark");
    QTest::addColumn<QString>("name");
    for (bool dark : {false, true})
        for (const char* name : {"a.vbs", "a.js", "a.pls"})
            QTest::addRow("%s, %s", dark ? "dark" : "light", name) << dark << name;
}

// Every style the languages use stands out from the paper the palette gives.
void tst_frmEdit::readableInLightAndDark()
{
    QFETCH(bool, dark);
    QFETCH(QString, name);
    open(file(name, "x\n"));
    src()->setPalette(dark ? darkPalette() : QPalette(Qt::black, Qt::white));
    auto colour = [this](int message, int style) {
        const long bgr = src()->SendScintilla(message, style);
        return QColor(int(bgr & 0xff), int((bgr >> 8) & 0xff), int((bgr >> 16) & 0xff));
    };
    QCOMPARE(colour(QsciScintillaBase::SCI_STYLEGETBACK, QsciScintillaBase::STYLE_DEFAULT).lightness() < 128,
             dark);
    for (int style = 0; style < 32; ++style) {
        const QColor fore = colour(QsciScintillaBase::SCI_STYLEGETFORE, style);
        const QColor back = colour(QsciScintillaBase::SCI_STYLEGETBACK, style);
        QVERIFY2(contrast(fore, back) >= 3.0,
                 qPrintable(QStringLiteral("style %1: %2 on %3").arg(style).arg(fore.name(), back.name())));
    }
}

void tst_frmEdit::goesToALineByNumber_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("line");
    QTest::newRow("a line") << "3" << 3;
    QTest::newRow("past the end: the last") << "99" << 4;
    QTest::newRow("not a number: stays") << "abc" << 1;
    QTest::newRow("cancelled: stays") << "" << 1;
}

void tst_frmEdit::goesToALineByNumber()
{
    QFETCH(QString, answer);
    QFETCH(int, line);
    frmEdit* w = open(file("a.vbs", "a\r\nb\r\nc\r\nd"));
    m_f.dialogs.inputAnswers = {answer};
    QApplication::setActiveWindow(w);
    QTest::keyClick(src(), Qt::Key_G, Qt::ControlModifier);
    QCOMPARE(m_f.dialogs.described(),
             QStringList{input("指定行へ移動", "移動先の行番号を入力してください (1～4)", "1")});
    QCOMPARE(src()->currentLine(), line);
    QVERIFY(w->isSaved());
}

// A script too large for the box to announce each edit: typing still counts as a change,
// and the line numbers still fit.
void tst_frmEdit::largeScriptsStillNoticeEdits()
{
    QByteArray big;
    for (int i = 0; big.size() < 2 * 1024 * 1024; ++i)
        big += "WScript.Echo " + QByteArray::number(i) + "\r\n";
    const QString path = file("big.vbs", big);
    frmEdit* w = open(path);
    QVERIFY(w->isSaved());
    // The first screen shows at once, the rest comes in from the event loop, read only.
    QVERIFY(src()->isLoading() && src()->isReadOnly());
    QTRY_VERIFY(!src()->isLoading());
    QVERIFY(!src()->isReadOnly());
    QVERIFY(w->isSaved());
    QCOMPARE(src()->SendScintilla(QsciScintillaBase::SCI_CANUNDO), 0);
    type(QStringLiteral("' end"));
    QVERIFY(!w->isSaved());
    save();
    QCOMPARE(bytesOf(path), big + "' end");
    QVERIFY(w->isSaved());
    type(QStringLiteral("!"));
    QVERIFY(!w->isSaved());
    QTest::qWait(0);
    QVERIFY(src()->marginWidth(0) >=
            QFontMetrics(src()->font()).horizontalAdvance(QString::number(src()->lines())));
}

void tst_frmEdit::printsToPdf_data()
{
    QTest::addColumn<bool>("select");
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QStringList>("absent");
    QTest::newRow("whole text") << false << QStringList{"WScript.Echo", "こんにちは", "最後の行"}
                                << QStringList{};
    QTest::newRow("the selection") << true << QStringList{"こんにちは"} << QStringList{"最後の行"};
}

// On paper, or in a PDF file named for the script.
void tst_frmEdit::printsToPdf()
{
    QFETCH(bool, select);
    QFETCH(QStringList, present);
    QFETCH(QStringList, absent);
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    const QString path = file("a.vbs", cp932("WScript.Echo \"こんにちは\"\r\n' 最後の行\r\n"));
    open(path);
    if (select)
        QVERIFY(src()->findFirst(QStringLiteral("こんにちは"), false, true, false, false));
    m_printing.pdfPath = m_dir->path() + QStringLiteral("/out.pdf");
    m_printing.printSelection = true;
    child<QAction>(window(), "mnuFilePrint")->trigger();
    QCOMPARE(m_printing.offeredSelection, QList<bool>{select});
    auto run = [](const QString& program, const QStringList& args) {
        QProcess p;
        p.start(program, args);
        p.waitForFinished();
        return QString::fromUtf8(p.readAllStandardOutput());
    };
    const QString text = run(QStringLiteral("pdftotext"), {m_printing.pdfPath, QStringLiteral("-")});
    for (const QString& s : present)
        QVERIFY2(text.contains(s), qPrintable(text));
    for (const QString& s : absent)
        QVERIFY2(!text.contains(s), qPrintable(text));
    const QRegularExpression title(QStringLiteral("Title: +") + QRegularExpression::escape(path) + u'\n');
    QVERIFY(run(QStringLiteral("pdfinfo"), {m_printing.pdfPath}).contains(title));
}

QTEST_MAIN(tst_frmEdit)
#include "tst_frmEdit.moc"
