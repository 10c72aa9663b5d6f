#include "ScriptBox.h"
#include "TestBench.h"
#include "frmEdit.h"
#include "frmEditTexts.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QToolBar>

#include <cmath>

#include <sys/mount.h>
#include <sys/stat.h>

namespace T = frmEditText;

// The internal editor with real files: what is on disk after each save, and every box a
// user sees on the way.
class tst_frmEdit : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void controls();
    void saveKeepsTheFilesEncoding_data();
    void saveKeepsTheFilesEncoding();
    void failedSavesLoseNothing_data();
    void failedSavesLoseNothing();
    void fullDiskLosesNothing();
    void savesThroughALinkAndKeepsPermissions();
    void typedPathIsWhereTheSaveGoes();
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
    void loadingIsNotAnUndoStep();
    void goesToALineByNumber_data();
    void goesToALineByNumber();
    void textReadableThroughAccessibility();
    void largeScriptsStillNoticeEdits();
    void editMenuEntriesSayNotYet();
    void printsToPdf_data();
    void printsToPdf();
    void outlivesTheMainWindow();
    void warnsOfBytesItCannotRead();

private:
    frmEdit* open(const QString& path);
    QString file(const QString& name, const QByteArray& bytes);
    QByteArray bytesOf(const QString& path);
    void type(const QString& text);
    template <class W = QWidget> W* child(const char* name)
    {
        return m_editor->window()->findChild<W*>(QLatin1String(name));
    }
    FakeServices m_fakes;
    std::unique_ptr<InternalEditorWindow> m_editor;
    QTemporaryDir* m_dir = nullptr;
};

void tst_frmEdit::init()
{
    m_fakes = {};
    m_editor = std::make_unique<InternalEditorWindow>(m_fakes.services(), m_fakes.printing);
    m_dir = new QTemporaryDir;
    QVERIFY(m_dir->isValid());
}

void tst_frmEdit::cleanup()
{
    m_editor.reset();
    delete m_dir;
}

frmEdit* tst_frmEdit::open(const QString& path)
{
    m_editor->openFile(path);
    frmEdit* w = m_editor->window();
    w->activateWindow();
    return w;
}

QString tst_frmEdit::file(const QString& name, const QByteArray& bytes)
{
    const QString path = m_dir->path() + u'/' + name;
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
    return path;
}

QByteArray tst_frmEdit::bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

// At the end of the text, as an input method commits it.
void tst_frmEdit::type(const QString& text)
{
    auto* box = child<ScriptBox>("fldEditSrc");
    box->SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(box, &commit);
}

void tst_frmEdit::controls()
{
    frmEdit* w = open(file(QStringLiteral("a.vbs"), "x"));
    QCOMPARE(w->windowTitle(), T::Caption);
    QCOMPARE(w->accessibleName(), T::Caption);
    QCOMPARE(child<QLineEdit>("fldFileName")->accessibleName(), T::Label1);
    QCOMPARE(child<ScriptBox>("fldEditSrc")->accessibleName(), T::NameEditSrc);
    QCOMPARE(w->focusWidget(), child<ScriptBox>("fldEditSrc"));
    QStringList menus;
    for (QAction* a : w->findChildren<QAction*>())
        if (a->objectName().startsWith(QStringLiteral("mnu")))
            menus << (a->isSeparator() ? a->objectName() : a->text());
    QCOMPARE(menus,
             (QStringList{T::MnuFileSave, T::MnuFilePrint, "mnuFileSept", T::MnuFileClose, T::MnuEditUndo,
                          "mnuEditSep1", T::MnuEditCut, T::MnuEditCopy, T::MnuEditPaste}));
    QStringList tools;
    for (QAction* a : child<QToolBar>("Toolbar1")->actions())
        tools << a->text() + (a->isEnabled() ? QString() : QStringLiteral(" (off)"));
    // Cut and copy wait for a selection.
    QCOMPARE(tools, (QStringList{T::ToolNew + " (off)", T::ToolOpen + " (off)", T::ToolSave, T::ToolPrint,
                                 T::ToolCut + " (off)", T::ToolCopy + " (off)", T::ToolPaste}));
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
    for (const QString& line : typed.split(u'\n')) {
        if (line != typed.section(u'\n', 0, 0))
            QTest::keyClick(child<ScriptBox>("fldEditSrc"), Qt::Key_Return);
        type(line);
    }
    QVERIFY(!w->isSaved());
    child<QAction>("mnuFileSave")->trigger();
    QCOMPARE(bytesOf(path), after);
    QVERIFY(w->isSaved());
    QCOMPARE(m_fakes.dialogs.calls.size(), before.isEmpty() ? 1 : 0); // only the missing file's notice
}

void tst_frmEdit::failedSavesLoseNothing_data()
{
    QTest::addColumn<QString>("target"); // %1: the test's folder
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("typed");
    QTest::newRow("a character code page 932 lacks") << "%1/a.vbs"
                                                     << "" << QStringLiteral("한");
    QTest::newRow("folder that does not exist") << "%1/nowhere/a.vbs"
                                                << ""
                                                << "x";
    QTest::newRow("read-only file") << "%1/a.vbs"
                                    << "chmod a-w file"
                                    << "x";
    QTest::newRow("a new file in a read-only folder") << "%1/c.vbs"
                                                      << "chmod a-w folder"
                                                      << "x";
    QTest::newRow("a folder") << "%1/a.vbs"
                              << "folder in the way"
                              << "x";
    QTest::newRow("a device") << "/dev/full"
                              << ""
                              << "x";
}

void tst_frmEdit::failedSavesLoseNothing()
{
    QFETCH(QString, target);
    QFETCH(QString, setup);
    QFETCH(QString, typed);
    const QByteArray original = cp932("' 元のまま\r\n");
    const QString path = file("a.vbs", original);
    frmEdit* w = open(path);
    type(typed);
    target = target.arg(m_dir->path());
    child<QLineEdit>("fldFileName")->setText(target);
    if (setup == QStringLiteral("chmod a-w file"))
        QFile(path).setPermissions(QFileDevice::ReadOwner);
    if (setup == QStringLiteral("chmod a-w folder"))
        QFile(m_dir->path()).setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const QString folderPath = m_dir->path() + QStringLiteral("/b.vbs");
    if (setup == QStringLiteral("folder in the way")) {
        QDir().mkdir(folderPath);
        child<QLineEdit>("fldFileName")->setText(folderPath);
    }
    child<QAction>("mnuFileSave")->trigger();
    QFile(m_dir->path())
        .setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    QCOMPARE(m_fakes.dialogs.described(), QStringList{box(16, "Quillet", T::SaveFailed)});
    QCOMPARE(bytesOf(path), original);
    QVERIFY(QFileInfo(folderPath).isDir() || !QFileInfo::exists(folderPath));
    QVERIFY(!w->isSaved());
    QVERIFY(child<ScriptBox>("fldEditSrc")->text().endsWith(typed));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{"a.vbs"}); // no leftovers
    // Closing asks again; Cancel keeps everything.
    m_fakes.dialogs.msgAnswers = {MsgResult::Cancel};
    QVERIFY(!w->close());
    QVERIFY(m_editor->window());
}

// A small file system that fills up: the old file stays whole.
void tst_frmEdit::fullDiskLosesNothing()
{
    const QString mnt = m_dir->path() + QStringLiteral("/small");
    QDir().mkdir(mnt);
    if (mount("tmpfs", mnt.toLocal8Bit().constData(), "tmpfs", 0, "size=64k") != 0)
        QSKIP("cannot mount a small tmpfs here (needs root): the full-disk case is not run");
    const auto unmount = qScopeGuard([&] { umount(mnt.toLocal8Bit().constData()); });
    QFile filler(mnt + QStringLiteral("/filler"));
    QVERIFY(filler.open(QIODevice::WriteOnly));
    const QByteArray original = cp932("' 元のまま\r\n");
    {
        QFile f(mnt + QStringLiteral("/a.vbs"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(original);
    }
    while (filler.write(QByteArray(4096, 'x')) == 4096 && filler.flush()) {
    }
    filler.close();
    open(mnt + QStringLiteral("/a.vbs"));
    child<ScriptBox>("fldEditSrc")->insert(QString(20000, u'y')); // pasted: typing it would take long
    child<QAction>("mnuFileSave")->trigger();
    QCOMPARE(m_fakes.dialogs.described(), QStringList{box(16, "Quillet", T::SaveFailed)});
    QCOMPARE(bytesOf(mnt + QStringLiteral("/a.vbs")), original);
    QCOMPARE(QDir(mnt).entryList(QDir::Files | QDir::Hidden).size(), 2);
    delete m_editor->window();
}

void tst_frmEdit::savesThroughALinkAndKeepsPermissions()
{
    const QString real = file("real.vbs", "a\r\n");
    QFile(real).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup);
    const QString link = m_dir->path() + QStringLiteral("/link.vbs");
    QVERIFY(QFile::link(real, link));
    open(link);
    type(QStringLiteral("b"));
    child<QAction>("mnuFileSave")->trigger();
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(bytesOf(real), QByteArray("a\r\nb"));
    QCOMPARE(QFileInfo(real).permissions() & 0x0fff, // the process's own bits, as the mode has them
             QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ReadGroup);
}

void tst_frmEdit::typedPathIsWhereTheSaveGoes()
{
    const QString first = file("a.vbs", "a\r\n");
    open(first);
    type(QStringLiteral("b"));
    const QString other = m_dir->path() + QStringLiteral("/other name.vbs");
    child<QLineEdit>("fldFileName")->setText(other);
    child<QAction>("mnuFileSave")->trigger();
    QCOMPARE(bytesOf(other), QByteArray("a\r\nb"));
    QCOMPARE(bytesOf(first), QByteArray("a\r\n"));
}

void tst_frmEdit::closeAsksAboutChanges_data()
{
    QTest::addColumn<bool>("edit");
    QTest::addColumn<bool>("breakSave");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<bool>("closed");
    QTest::addColumn<QByteArray>("onDisk");
    const QString ask = box(3, "Quillet", T::NotSaved);
    QTest::newRow("untouched: no question")
        << false << false << 0 << QStringList{} << true << QByteArray("a\r\n");
    QTest::newRow("Yes saves and closes")
        << true << false << MsgResult::Yes << QStringList{ask} << true << QByteArray("a\r\nb");
    QTest::newRow("No closes, file as it was")
        << true << false << MsgResult::No << QStringList{ask} << true << QByteArray("a\r\n");
    QTest::newRow("Cancel stays") << true << false << MsgResult::Cancel << QStringList{ask} << false
                                  << QByteArray("a\r\n");
    QTest::newRow("Yes, but the save fails: its own text, and it stays")
        << true << true << MsgResult::Yes << QStringList{ask, box(16, "Quillet", T::SaveOnCloseFailed)}
        << false << QByteArray("a\r\n");
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
    frmEdit* w = open(path);
    if (edit)
        type(QStringLiteral("b"));
    if (breakSave)
        child<QLineEdit>("fldFileName")->setText(m_dir->path() + QStringLiteral("/nowhere/a.vbs"));
    m_fakes.dialogs.msgAnswers = {answer};
    child<QAction>("mnuFileClose")->trigger();
    QTest::qWait(0);
    QCOMPARE(m_fakes.dialogs.described(), boxes);
    QCOMPARE(m_editor->window() == nullptr, closed);
    QCOMPARE(bytesOf(path), onDisk);
    if (!closed)
        QCOMPARE(w->findChild<QLineEdit*>(QStringLiteral("fldFileName"))->text().isEmpty(), false);
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
    m_fakes.dialogs.msgAnswers = {answer};
    frmEdit* second = open(file("b.vbs", "second\r\n"));
    QCOMPARE(second, first);
    QCOMPARE(m_fakes.dialogs.described(),
             QStringList{box(3, "Quillet", QStringLiteral("まだ保存されていません。保存しますか"))});
    QCOMPARE(bytesOf(m_dir->path() + QStringLiteral("/a.vbs")), firstOnDisk);
    QCOMPARE(child<QLineEdit>("fldFileName")->text(), m_dir->path() + u'/' + shown);
    QCOMPARE(child<ScriptBox>("fldEditSrc")->text(), shown == QStringLiteral("b.vbs")
                                                         ? QStringLiteral("second\r\n")
                                                         : QStringLiteral("first\r\nchanged"));
    QCOMPARE(second->isSaved(), saved);
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
        QVERIFY(f.open(QIODevice::WriteOnly));
        QVERIFY(f.resize(100 * 1024 * 1024)); // sparse: no time, no space
    } else if (what == QStringLiteral("fifo")) {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0644), 0);
    } else {
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
    }
    frmEdit* w = open(path);
    QCOMPARE(m_fakes.dialogs.described(),
             QStringList{box(48, "Quillet", "ファイルを開けませんでした。\r\n" + path + "\r\n" + reason)});
    QCOMPARE(child<ScriptBox>("fldEditSrc")->text(), QString());
    type(QStringLiteral("x"));
    m_fakes.dialogs.calls.clear();
    m_fakes.dialogs.msgAnswers = {answer};
    child<QAction>("mnuFileSave")->trigger();
    const QString question = box(308, "Quillet",
                                 "このファイルは開けなかったため、内容を読み込んでいません。\r\n"
                                 "上書きすると元の内容は失われます。上書きしますか");
    const QString failed = box(16, "Quillet", QStringLiteral("ファイルの保存時にエラーが起きました"));
    const QStringList expected = answer == MsgResult::Yes && what != QStringLiteral("large")
                                     ? QStringList{question, failed}
                                     : QStringList{question};
    QCOMPARE(m_fakes.dialogs.described(), expected);
    if (what == QStringLiteral("large"))
        QCOMPARE(QFileInfo(path).size(), written ? 1 : 100 * 1024 * 1024);
    QCOMPARE(w->isSaved(), written);
    // Closing asks to save, then asks again before overwriting; No keeps the window open.
    if (!written) {
        m_fakes.dialogs.calls.clear();
        m_fakes.dialogs.msgAnswers = {MsgResult::Yes, MsgResult::No};
        QVERIFY(!w->close());
        QCOMPARE(m_fakes.dialogs.described(),
                 (QStringList{box(3, "Quillet", QStringLiteral("まだ保存されていません。保存しますか")),
                              question}));
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
    m_fakes.dialogs.msgAnswers = {answer};
    child<QAction>("mnuFileSave")->trigger();
    const QStringList asked{box(308, "Quillet",
                                "このファイルは、読み込んだ後でほかのプログラムによって変更されています。\r\n"
                                "上書きすると、その変更は失われます。上書きしますか")};
    QCOMPARE(m_fakes.dialogs.described(), changeContent ? asked : QStringList{});
    QCOMPARE(bytesOf(path), onDisk);
    QCOMPARE(w->isSaved(), onDisk == QByteArray("a\r\nb"));
}

void tst_frmEdit::offersToReloadWhenActivated_data()
{
    QTest::addColumn<bool>("edited");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("text");
    const QString unchanged = QStringLiteral("このファイルは、ほかのプログラムによって変更されました。\r\n"
                                             "読み込み直しますか");
    const QString losing =
        QStringLiteral("このファイルは、ほかのプログラムによって変更されました。\r\n"
                       "読み込み直すと、まだ保存していない変更は失われます。読み込み直しますか");
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
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::Append));
        f.write("appended\r\n");
    }
    m_fakes.dialogs.msgAnswers = {answer};
    auto activate = [w] {
        QEvent activation(QEvent::WindowActivate);
        QApplication::sendEvent(w, &activation);
        QTest::qWait(0);
    };
    activate();
    const QString question =
        edited ? QStringLiteral("このファイルは、ほかのプログラムによって変更されました。\r\n"
                                "読み込み直すと、まだ保存していない変更は失われます。読み込み直しますか")
               : QStringLiteral(
                     "このファイルは、ほかのプログラムによって変更されました。\r\n読み込み直しますか");
    QCOMPARE(m_fakes.dialogs.described(), QStringList{box(52, "Quillet", question)});
    QCOMPARE(child<ScriptBox>("fldEditSrc")->text(), text);
    QCOMPARE(w->isSaved(), answer == MsgResult::Yes || !edited);
    // One question per change.
    activate();
    QCOMPARE(m_fakes.dialogs.calls.size(), 1);
}

void tst_frmEdit::untouchedLinesKeepTheirBytes_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<int>("line"); // where "X" is typed at the end, counted from 0
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<QString>("warning"); // empty: none
    const QString lossy = QStringLiteral(
        "このファイルには文字として読めないバイトがあります。その部分は「\uFFFD」と表示されます。\r\n"
        "変更しない行は元のバイトのまま保存されます。変更した行の「\uFFFD」は「?」として保存されます。");
    QTest::newRow("code page 932, a bad byte in an untouched line")
        << QByteArray("' \x81\r\nMsgBox 1\r\n") << 1 << QByteArray("' \x81\r\nMsgBox 1X\r\n") << lossy;
    QTest::newRow("code page 932, a bad byte in the changed line")
        << QByteArray("' \x81\r\nMsgBox 1\r\n") << 0 << QByteArray("' ?X\r\nMsgBox 1\r\n") << lossy;
    QTest::newRow("UTF-8 without its mark, a bad byte")
        << QByteArray("' \xc3\xa9\xff\nx\n") << 1 << QByteArray("' \xc3\xa9\xff\nxX\n") << lossy;
    QTest::newRow("mixed line ends") << QByteArray("a\r\nb\nc\rd") << 3 << QByteArray("a\r\nb\nc\rdX") << "";
    QTest::newRow("a changed line keeps its own line end")
        << QByteArray("a\r\nb\nc\r\n") << 1 << QByteArray("a\r\nbX\nc\r\n") << "";
    const QString aliased = QStringLiteral(
        "このファイルには、同じ文字に二つの文字コードがある文字 (NEC・IBM 拡張文字) が含まれています。\r\n"
        "変更しない行は元のバイトのまま保存されます。変更した行では、それらの文字は標準の文字コードで保存され"
        "ます。");
    QTest::newRow("aliased codes of an untouched line stay")
        << QByteArray("\xed\x40\x87\x90\r\n\n") << 1 << QByteArray("\xed\x40\x87\x90\r\nX\n") << aliased;
    QTest::newRow("aliased codes of a changed line take the standard code")
        << QByteArray("\xed\x40\x87\x90\r\n\n") << 0 << QByteArray("\xfa\x5c\x81\xe0X\r\n\n") << aliased;
    QTest::newRow("both warnings in one box")
        << QByteArray("\xed\x40\x81\r\n") << 1 << QByteArray("\xed\x40\x81\r\nX")
        << lossy + "\r\n\r\n" + aliased;
}

void tst_frmEdit::untouchedLinesKeepTheirBytes()
{
    QFETCH(QByteArray, before);
    QFETCH(int, line);
    QFETCH(QByteArray, after);
    QFETCH(QString, warning);
    const QString path = file("a.vbs", before);
    open(path);
    QCOMPARE(m_fakes.dialogs.described(),
             warning.isEmpty() ? QStringList{} : QStringList{box(48, "Quillet", warning)});
    auto* box = child<ScriptBox>("fldEditSrc");
    box->setCursorPosition(line, int(box->text(line).remove(u'\n').remove(u'\r').size()));
    box->insert(QStringLiteral("X"));
    child<QAction>("mnuFileSave")->trigger();
    QCOMPARE(bytesOf(path), after);
    // Read back, the saved text is what the window showed, but for U+FFFD in the changed
    // line, which the warning said is written as "?".
    const QString shown = box->text().replace(QStringLiteral("\uFFFDX"), QStringLiteral("?X"));
    delete m_editor->window();
    open(path);
    QCOMPARE(child<ScriptBox>("fldEditSrc")->text(), shown);
}

void tst_frmEdit::editMenuEntriesSayNotYet()
{
    open(file("a.vbs", "a"));
    for (const char* name : {"mnuEditUndo", "mnuEditCut", "mnuEditCopy", "mnuEditPaste"})
        child<QAction>(name)->trigger();
    QCOMPARE(m_fakes.dialogs.described(), QStringList(4, box(0, {}, T::NotImplemented)));
    QCOMPARE(child<ScriptBox>("fldEditSrc")->text(), QStringLiteral("a"));
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

void tst_frmEdit::printsToPdf()
{
    QFETCH(bool, select);
    QFETCH(QStringList, present);
    QFETCH(QStringList, absent);
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    open(file("a.vbs", cp932("WScript.Echo \"こんにちは\"\r\n' 最後の行\r\n")));
    auto* box = child<ScriptBox>("fldEditSrc");
    if (select)
        QVERIFY(box->findFirst(QStringLiteral("こんにちは"), false, true, false, false));
    m_fakes.printing.pdfPath = m_dir->path() + QStringLiteral("/out.pdf");
    m_fakes.printing.printSelection = true;
    child<QAction>("mnuFilePrint")->trigger();
    QCOMPARE(m_fakes.printing.offeredSelection, QList<bool>{select});
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {m_fakes.printing.pdfPath, QStringLiteral("-")});
    QVERIFY(p.waitForFinished());
    const QString text = QString::fromUtf8(p.readAllStandardOutput());
    for (const QString& s : present)
        QVERIFY2(text.contains(s), qPrintable(text));
    for (const QString& s : absent)
        QVERIFY2(!text.contains(s), qPrintable(text));
}

void tst_frmEdit::outlivesTheMainWindow()
{
    QDir::setCurrent(m_dir->path());
    TestBench bench(m_fakes);
    auto* main = new frmMain(bench.workbench);
    main->show();
    open(file("a.vbs", "a"));
    QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);
    main->close();
    QTest::qWait(50);
    QVERIFY(m_editor->window() && m_editor->window()->isVisible());
    QCOMPARE(lastClosed.count(), 0);
}

void tst_frmEdit::warnsOfBytesItCannotRead()
{
    frmEdit* w = open(file("a.vbs", "a\x81\r\n")); // a lead byte with nothing after it
    QCOMPARE(m_fakes.dialogs.described(), QStringList{box(48, "Quillet", T::LossyText)});
    QVERIFY(w->isSaved());
}

void tst_frmEdit::coloursByLanguage_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("probe"); // a piece of the text
    QTest::addColumn<int>("style");     // the lexer's style there; 0 and no lexer: plain
    const QByteArray vbs = cp932("' 挨拶\r\nDim x: x = \"文字\"\r\n");
    QTest::newRow("VBScript: a comment") << "a.vbs" << vbs << "' 挨拶" << 1;
    QTest::newRow("VBScript: a keyword") << "a.vbs" << vbs << "Dim" << 3;
    QTest::newRow("VBScript: a string") << "a.vbs" << vbs << "\"文字\"" << 4;
    const QByteArray js("// c\nvar x = \"s\";\n");
    QTest::newRow("JScript: a comment") << "a.js" << js << "// c" << 2;
    QTest::newRow("JScript: a keyword") << "a.js" << js << "var" << 5;
    QTest::newRow("JScript: a string") << "a.js" << js << "\"s\"" << 6;
    const QByteArray pls("# c\nmy $x = 'q';\n");
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
    auto* box = child<ScriptBox>("fldEditSrc");
    box->SendScintilla(QsciScintillaBase::SCI_COLOURISE, 0, -1);
    const long at = long(box->text().left(box->text().indexOf(probe)).toUtf8().size());
    QCOMPARE(box->SendScintilla(QsciScintillaBase::SCI_GETSTYLEAT, at), style);
    const long fore = box->SendScintilla(QsciScintillaBase::SCI_STYLEGETFORE, style);
    const long plain =
        box->SendScintilla(QsciScintillaBase::SCI_STYLEGETFORE, QsciScintillaBase::STYLE_DEFAULT);
    QCOMPARE(fore != plain, style != 0);
    // Line numbers in the first margin.
    QCOMPARE(box->marginType(0), QsciScintilla::NumberMargin);
    QVERIFY(box->marginWidth(0) > 0);
}

namespace {
double luminance(QColor c)
{
    auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}
double contrast(QColor a, QColor b)
{
    const double la = luminance(a), lb = luminance(b);
    return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
}
QColor scintillaColour(long bgr)
{
    return QColor(int(bgr & 0xff), int((bgr >> 8) & 0xff), int((bgr >> 16) & 0xff));
}
} // namespace

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
    auto* box = child<ScriptBox>("fldEditSrc");
    QPalette p = box->palette();
    p.setColor(QPalette::Base, dark ? QColor(0x1e, 0x1e, 0x1e) : Qt::white);
    p.setColor(QPalette::Text, dark ? QColor(0xdd, 0xdd, 0xdd) : Qt::black);
    box->setPalette(p);
    const QColor paper = scintillaColour(
        box->SendScintilla(QsciScintillaBase::SCI_STYLEGETBACK, QsciScintillaBase::STYLE_DEFAULT));
    QCOMPARE(paper.lightness() < 128, dark);
    for (int style = 0; style < 32; ++style) {
        const QColor fore = scintillaColour(box->SendScintilla(QsciScintillaBase::SCI_STYLEGETFORE, style));
        const QColor back = scintillaColour(box->SendScintilla(QsciScintillaBase::SCI_STYLEGETBACK, style));
        QVERIFY2(contrast(fore, back) >= 3.0,
                 qPrintable(QStringLiteral("style %1: %2 on %3").arg(style).arg(fore.name(), back.name())));
    }
}

void tst_frmEdit::loadingIsNotAnUndoStep()
{
    frmEdit* w = open(file("a.vbs", "a\r\n"));
    auto* box = child<ScriptBox>("fldEditSrc");
    QCOMPARE(box->SendScintilla(QsciScintillaBase::SCI_CANUNDO), 0);
    QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(box->text(), QStringLiteral("a\r\n"));
    QVERIFY(w->isSaved());
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
    m_fakes.dialogs.inputAnswers = {answer};
    QApplication::setActiveWindow(w);
    QTest::keyClick(child<ScriptBox>("fldEditSrc"), Qt::Key_G, Qt::ControlModifier);
    QCOMPARE(
        m_fakes.dialogs.described(),
        QStringList{input(QStringLiteral("指定行へ移動"),
                          QStringLiteral("移動先の行番号を入力してください (1～4)"), QStringLiteral("1"))});
    QCOMPARE(child<ScriptBox>("fldEditSrc")->currentLine(), line);
    QVERIFY(w->isSaved());
}

// A screen reader reads the script itself, not only the box's name.
void tst_frmEdit::textReadableThroughAccessibility()
{
    open(file("a.vbs", cp932("' 挨拶\r\nMsgBox 1\r\n")));
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(child<ScriptBox>("fldEditSrc"));
    QVERIFY(a && a->textInterface());
    QCOMPARE(a->text(QAccessible::Name), QStringLiteral("スクリプトの内容"));
    QCOMPARE(a->textInterface()->text(0, a->textInterface()->characterCount()),
             QStringLiteral("' 挨拶\r\nMsgBox 1\r\n"));
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
    auto* box = child<ScriptBox>("fldEditSrc");
    QVERIFY(box->isLoading());
    QVERIFY(box->isReadOnly());
    QTRY_VERIFY(!box->isLoading());
    QVERIFY(!box->isReadOnly());
    QVERIFY(w->isSaved());
    QCOMPARE(box->SendScintilla(QsciScintillaBase::SCI_CANUNDO), 0);
    type(QStringLiteral("' end"));
    QVERIFY(!w->isSaved());
    child<QAction>("mnuFileSave")->trigger();
    QCOMPARE(bytesOf(path), big + "' end");
    QVERIFY(w->isSaved());
    type(QStringLiteral("!"));
    QVERIFY(!w->isSaved());
    QTest::qWait(0);
    QVERIFY(box->marginWidth(0) >=
            QFontMetrics(box->font()).horizontalAdvance(QString::number(box->lines())));
}

QTEST_MAIN(tst_frmEdit)
#include "tst_frmEdit.moc"
