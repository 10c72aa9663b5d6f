#include "Fakes.h"
#include "frmEdit.h"
#include "frmEditTexts.h"
#include "frmMain.h"

#include <QAction>
#include <QApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

#include <sys/mount.h>

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
    void oneWindowRefilledWithoutAQuestion();
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
        return frmEdit::instance()->findChild<W*>(QLatin1String(name));
    }
    FakeServices m_fakes;
    QTemporaryDir* m_dir = nullptr;
};

void tst_frmEdit::init()
{
    m_fakes = {};
    m_dir = new QTemporaryDir;
    QVERIFY(m_dir->isValid());
}

void tst_frmEdit::cleanup()
{
    delete frmEdit::instance();
    delete m_dir;
}

frmEdit* tst_frmEdit::open(const QString& path)
{
    frmEdit* w = frmEdit::openFile(m_fakes.services(), path);
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
    auto* box = child<QPlainTextEdit>("fldEditSrc");
    box->moveCursor(QTextCursor::End);
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
    QCOMPARE(child<QPlainTextEdit>("fldEditSrc")->accessibleName(), T::NameEditSrc);
    QCOMPARE(w->focusWidget(), child<QPlainTextEdit>("fldEditSrc"));
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
            QTest::keyClick(child<QPlainTextEdit>("fldEditSrc"), Qt::Key_Return);
        type(line);
    }
    QVERIFY(!w->isSaved);
    child<QAction>("mnuFileSave")->trigger();
    QCOMPARE(bytesOf(path), after);
    QVERIFY(w->isSaved);
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
    QTest::newRow("read-only folder") << "%1/a.vbs"
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
    QVERIFY(!w->isSaved);
    QVERIFY(child<QPlainTextEdit>("fldEditSrc")->toPlainText().endsWith(typed));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{"a.vbs"}); // no leftovers
    // Closing asks again; Cancel keeps everything.
    m_fakes.dialogs.msgAnswers = {MsgResult::Cancel};
    QVERIFY(!w->close());
    QVERIFY(frmEdit::instance());
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
    type(QString(20000, u'y'));
    child<QAction>("mnuFileSave")->trigger();
    QCOMPARE(m_fakes.dialogs.described(), QStringList{box(16, "Quillet", T::SaveFailed)});
    QCOMPARE(bytesOf(mnt + QStringLiteral("/a.vbs")), original);
    QCOMPARE(QDir(mnt).entryList(QDir::Files | QDir::Hidden).size(), 2);
    delete frmEdit::instance();
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
    QCOMPARE(frmEdit::instance() == nullptr, closed);
    QCOMPARE(bytesOf(path), onDisk);
    if (!closed)
        QCOMPARE(w->findChild<QLineEdit*>(QStringLiteral("fldFileName"))->text().isEmpty(), false);
}

void tst_frmEdit::oneWindowRefilledWithoutAQuestion()
{
    frmEdit* first = open(file("a.vbs", "first\r\n"));
    type(QStringLiteral("changed"));
    frmEdit* second = open(file("b.vbs", "second\r\n"));
    QCOMPARE(second, first);
    QCOMPARE(child<QLineEdit>("fldFileName")->text(), m_dir->path() + QStringLiteral("/b.vbs"));
    QCOMPARE(child<QPlainTextEdit>("fldEditSrc")->toPlainText(), QStringLiteral("second\n"));
    QVERIFY(m_fakes.dialogs.calls.isEmpty());
    QVERIFY(second->isSaved); // what is shown is what is on disk
    QCOMPARE(bytesOf(m_dir->path() + QStringLiteral("/a.vbs")), QByteArray("first\r\n"));
}

void tst_frmEdit::editMenuEntriesSayNotYet()
{
    open(file("a.vbs", "a"));
    for (const char* name : {"mnuEditUndo", "mnuEditCut", "mnuEditCopy", "mnuEditPaste"})
        child<QAction>(name)->trigger();
    QCOMPARE(m_fakes.dialogs.described(), QStringList(4, box(0, {}, T::NotImplemented)));
    QCOMPARE(child<QPlainTextEdit>("fldEditSrc")->toPlainText(), QStringLiteral("a"));
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
    auto* box = child<QPlainTextEdit>("fldEditSrc");
    if (select) {
        QTextCursor c = box->document()->find(QStringLiteral("こんにちは"));
        box->setTextCursor(c);
    }
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
    auto* main = new frmMain(m_fakes.services());
    main->show();
    open(file("a.vbs", "a"));
    QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);
    main->close();
    QTest::qWait(50);
    QVERIFY(frmEdit::instance() && frmEdit::instance()->isVisible());
    QCOMPARE(lastClosed.count(), 0);
}

void tst_frmEdit::warnsOfBytesItCannotRead()
{
    frmEdit* w = open(file("a.vbs", "a\x81\r\n")); // a lead byte with nothing after it
    QCOMPARE(m_fakes.dialogs.described(), QStringList{box(48, "Quillet", T::LossyText)});
    QVERIFY(w->isSaved);
}

QTEST_MAIN(tst_frmEdit)
#include "tst_frmEdit.moc"
