#include "Palettes.h"
#include "ScriptBox.h"
#include "TestBench.h"
#include "TestFiles.h"
#include "frmEdit.h"

#include <QInputMethodEvent>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QToolBar>

#include <optional>
#include <sys/stat.h>

namespace {
const QString SaveFailed = box(16, "Quillet", "ファイルの保存時にエラーが起きました");
const QString NotSaved = box(3, "Quillet", "まだ保存されていません。保存しますか");
const QString Unreadable =
    "このファイルには文字として読めないバイトがあります。その部分は「\uFFFD」と表示されます。\r\n"
    "変更しない行は元のバイトのまま保存されます。変更した行の「\uFFFD」は";
const QString Lossy = Unreadable + "「?」として保存されます。",
              LossyUnicode = Unreadable + "そのまま保存されます。";
const QString Aliased =
    "このファイルには、同じ文字に二つの文字コードがある文字 (NEC・IBM 拡張文字) が含まれています。\r\n"
    "変更しない行は元のバイトのまま保存されます。変更した行では、それらの文字は標準の文字コードで保存されます"
    "。";

// One row of a table: what the user did, and what followed.
struct Leave {
    bool close;        // else another file is opened into the window
    QString target;    // what the field says
    int answer;        // to the question, if one is asked
    QStringList boxes; // none: the text was not edited
    QByteArray onDisk; // at the target
};
struct Save {
    QByteArray before; // empty: the file does not exist yet
    int line;          // typed at its end, counted from 0; -1: the text's end
    QString typed;     // "\n": the Return key
    QByteArray after;
    QString warning; // %1: the path
};
struct Colours {
    QString name;
    QByteArray bytes;
    bool dark;
    QString probe; // a piece of the text
    int style;     // the lexer's style there; 0 and no lexer: plain
};
struct Reload {
    bool edited;
    int answer; // to reloading
    QString text;
    int overwrite; // when saving over a later change
};
template <class C> void row(const char* name, const C& c)
{
    QTest::newRow(name) << c;
}
} // namespace

// The internal editor with real files: what is on disk after each save, and every box a
// user sees on the way.
class tst_frmEdit : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_f = {};
        m_printing = {};
        m_editor = std::make_unique<InternalEditorWindow>(m_f.services(), m_printing);
        m_dir = std::make_unique<QTemporaryDir>();
    }

    // What a user reads and a screen reader names, the menus in order, and what each tool does.
    void controls()
    {
        frmEdit* w = open(file("a.vbs", "a"));
        QCOMPARE(w->focusWidget(), src());
        auto text = [w](const char* name, const char* property) {
            return child<QObject>(w, name)->property(property).toString();
        };
        QCOMPARE((QStringList{w->windowTitle(), w->accessibleName(), text("Label1", "text"),
                              text("fldFileName", "accessibleName"), text("fldEditSrc", "accessibleName"),
                              text("Toolbar1", "accessibleName"), text("SBfedit", "accessibleName"),
                              text("mnuFile", "title"), text("mnuEdit", "title")}),
                 (QStringList{"スクリプトの編集", "スクリプトの編集", "ﾌｧｲﾙ名", "ﾌｧｲﾙ名", "スクリプトの内容",
                              "ツールバー", "ステータスバー", "ﾌｧｲﾙ(&F)", "編集(&E)"}));
        QStringList actions;
        for (QAction* a : w->findChildren<QAction*>())
            if (a->objectName().contains(QRegularExpression(QStringLiteral("^(mnu|tool)"))))
                actions << (a->isSeparator() ? QStringLiteral("-")
                                             : a->text() + (a->isEnabled() ? "" : " (off)"));
        // New and open have nothing to open; cut and copy wait for a selection.
        QCOMPARE(actions,
                 (QStringList{"保存(&S)", "印刷(&P)", "-", "閉じる(&C)", "やり直し(&U)", "-", "切り取り(&T)",
                              "ｺﾋﾟｰ(&C)", "貼り付け(&P)", "新規作成 (off)", "開く (off)", "保存", "印刷",
                              "切り取り (off)", "コピー (off)", "貼り付け"}));
        QVERIFY(!child<QToolBar>(w, "Toolbar1")->isMovable() &&
                !child<QToolBar>(w, "Toolbar1")->isFloatable());
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
        QCOMPARE(canUndo(), 0);
        QTest::keyClick(src(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(src()->text(), QStringLiteral("a"));
        QVERIFY(w->isSaved());
    }

    void failedSavesLoseNothing_data()
    {
        QTest::addColumn<bool>("fullDisk"); // else a character code page 932 lacks
        QTest::newRow("a character code page 932 lacks") << false;
        QTest::newRow("a full disk") << true;
    }

    void failedSavesLoseNothing()
    {
        QFETCH(bool, fullDisk);
        const QByteArray original = cp932("' 元のまま\r\n");
        std::optional<SmallDisk> disk;
        if (fullDisk) {
            disk.emplace(m_dir->filePath("small"), 64);
            SMALL_DISK_OR_SKIP(*disk);
        }
        const QString path = file(fullDisk ? "small/a.vbs" : "a.vbs", original);
        if (disk)
            disk->fill();
        const QString typed = fullDisk ? QString(20000, u'y') : QStringLiteral("한");
        frmEdit* w = open(path);
        src()->insert(typed);
        save();
        QCOMPARE(m_f.dialogs.described(), QStringList{SaveFailed});
        QCOMPARE(bytesOf(path), original);
        QVERIFY(!w->isSaved());
        QVERIFY(src()->text().contains(typed));
        // No leftovers beside the file.
        QCOMPARE(QDir(QFileInfo(path).path()).entryList(QDir::Files | QDir::Hidden).filter("a.vbs"),
                 QStringList{"a.vbs"});
    }

    void asksAboutChanges_data()
    {
        QTest::addColumn<Leave>("c");
        const QStringList asked{NotSaved}, openFailed{NotSaved, SaveFailed},
            closeFailed{NotSaved, box(16, "Quillet", "ファイルの保存でエラーが起きました")};
        row("close untouched: no question", Leave{true, "a.vbs", 0, {}, "a\r\n"});
        row("close, Yes saves", Leave{true, "a.vbs", MsgResult::Yes, asked, "a\r\nb"});
        row("close, No: the file as it was", Leave{true, "a.vbs", MsgResult::No, asked, "a\r\n"});
        row("close, Cancel stays", Leave{true, "a.vbs", MsgResult::Cancel, asked, "a\r\n"});
        row("close, Yes, the save fails",
            Leave{true, "nowhere/a.vbs", MsgResult::Yes, closeFailed, "<none>"});
        row("open, Yes saves where the field says", Leave{false, "b2.vbs", MsgResult::Yes, asked, "a\r\nb"});
        row("open, No drops the changes", Leave{false, "a.vbs", MsgResult::No, asked, "a\r\n"});
        row("open, Cancel keeps the window", Leave{false, "a.vbs", MsgResult::Cancel, asked, "a\r\n"});
        row("open, Yes, the save fails", Leave{false, "nowhere/a.vbs", MsgResult::Yes, openFailed, "<none>"});
    }

    void asksAboutChanges()
    {
        QFETCH(Leave, c);
        const QString path = file("a.vbs", "a\r\n"), other = file("b.vbs", "second\r\n");
        frmEdit* w = open(path);
        if (!c.boxes.isEmpty())
            type(QStringLiteral("b"));
        const QString target = m_dir->filePath(c.target);
        field()->setText(target);
        m_f.dialogs.msgAnswers = {c.answer};
        if (c.close)
            child<QAction>(w, "mnuFileClose")->trigger();
        else
            QCOMPARE(open(other), w);
        QTest::qWait(0);
        QCOMPARE(m_f.dialogs.described(), c.boxes);
        QCOMPARE(bytesOf(target), c.onDisk);
        if (target != path)
            QCOMPARE(bytesOf(path), QByteArray("a\r\n"));
        const bool stays = c.onDisk == "<none>" || c.answer == MsgResult::Cancel;
        QCOMPARE(window() == nullptr, c.close && !stays);
        if (!window())
            return;
        QCOMPARE(field()->text(), stays ? target : other);
        QCOMPARE(src()->text(), stays ? QStringLiteral("a\r\nb") : QStringLiteral("second\r\n"));
        QCOMPARE(w->isSaved(), !stays);
        // The first file's edits are not steps to undo in the second.
        QCOMPARE(canUndo() != 0, stays);
    }

    void failedOpenReplacesNothingUnasked_data()
    {
        QTest::addColumn<bool>("large"); // else a FIFO
        QTest::addColumn<int>("answer"); // to the overwrite question
        QTest::newRow("too large, No") << true << MsgResult::No;
        QTest::newRow("too large, Yes") << true << MsgResult::Yes;
        QTest::newRow("a FIFO, No") << false << MsgResult::No;
    }

    // A window whose file could not be read shows an empty text; saving it must not silently
    // put that in the file's place. A FIFO is refused without blocking.
    void failedOpenReplacesNothingUnasked()
    {
        QFETCH(bool, large);
        QFETCH(int, answer);
        const QString path = m_dir->filePath("big.vbs");
        if (large) // sparse: no time, no space
            QVERIFY(writeFile(path, "") && QFile::resize(path, 100 * 1024 * 1024));
        else
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0644), 0);
        frmEdit* w = open(path);
        const QString reason = large ? "ファイルが大きすぎます。" : "通常のファイルではありません。";
        QCOMPARE(
            m_f.dialogs.described(),
            QStringList{box(48, "Quillet", "ファイルを開けませんでした。\r\n" + path + "\r\n" + reason)});
        QCOMPARE(src()->text(), QString());
        type(QStringLiteral("x"));
        m_f.dialogs.calls.clear();
        m_f.dialogs.msgAnswers = {answer};
        save();
        QCOMPARE(m_f.dialogs.described(),
                 QStringList{box(308, "Quillet",
                                 "このファイルは開けなかったため、内容を読み込んでいません。\r\n"
                                 "上書きすると元の内容は失われます。上書きしますか")});
        const bool written = answer == MsgResult::Yes;
        if (large)
            QCOMPARE(QFileInfo(path).size(), written ? 1 : 100 * 1024 * 1024);
        QCOMPARE(w->isSaved(), written);
    }

    void anotherProgramChangesTheFile_data()
    {
        QTest::addColumn<Reload>("c");
        row("untouched, Yes reloads", Reload{false, MsgResult::Yes, "a\r\nappended\r\n", MsgResult::Yes});
        row("untouched, No keeps the text", Reload{false, MsgResult::No, "a\r\n", MsgResult::No});
        row("edited, Yes drops the edit", Reload{true, MsgResult::Yes, "a\r\nappended\r\n", MsgResult::No});
        row("edited, No keeps the edit", Reload{true, MsgResult::No, "a\r\nb", MsgResult::Yes});
    }

    void anotherProgramChangesTheFile()
    {
        QFETCH(Reload, c);
        const QString path = file("a.vbs", "a\r\n");
        frmEdit* w = open(path);
        if (c.edited)
            type(QStringLiteral("b"));
        // Written in place and flushed, then dated as the other program likes.
        auto change = [&path](const QByteArray& bytes, int year) {
            QFile f(path);
            return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.flush() &&
                   f.setFileTime(QDateTime(QDate(year, 1, 1), QTime(0, 0)),
                                 QFileDevice::FileModificationTime);
        };
        auto activate = [w] {
            QEvent activation(QEvent::WindowActivate);
            QApplication::sendEvent(w, &activation);
            QTest::qWait(0);
        };
        // Only touched: nothing to offer.
        QVERIFY(change("a\r\n", 2000));
        activate();
        QCOMPARE(m_f.dialogs.calls.size(), 0);
        QVERIFY(change("a\r\nappended\r\n", 2001));
        m_f.dialogs.msgAnswers = {c.answer};
        activate();
        const QString changed = "このファイルは、ほかのプログラムによって変更されました。\r\n";
        const QString plain = changed + "読み込み直しますか";
        const QString losing =
            changed + "読み込み直すと、まだ保存していない変更は失われます。読み込み直しますか";
        QCOMPARE(m_f.dialogs.described(), QStringList{box(52, "Quillet", c.edited ? losing : plain)});
        QCOMPARE(src()->text(), c.text);
        QCOMPARE(w->isSaved(), c.answer == MsgResult::Yes || !c.edited);
        QCOMPARE(canUndo() != 0, !w->isSaved());
        // One question per change.
        activate();
        QCOMPARE(m_f.dialogs.calls.size(), 1);
        // Opened again, then a change that looks like the one offered before: offered anew. No
        // keeps the text, and a save asks before writing over that change.
        QStringList expected{
            box(52, "Quillet", plain),
            box(308, "Quillet",
                "このファイルは、読み込んだ後でほかのプログラムによって変更されています。\r\n"
                "上書きすると、その変更は失われます。上書きしますか")};
        if (!w->isSaved())
            expected.prepend(NotSaved); // answered No, as the reload question
        m_f.dialogs.calls.clear();
        m_f.dialogs.msgAnswers = QList<int>(expected.size() - 1, MsgResult::No) << c.overwrite;
        QVERIFY(change("x", 2002));
        open(path);
        QVERIFY(change("a\r\nAPPENDED\r\n", 2001));
        activate();
        save();
        QCOMPARE(m_f.dialogs.described(), expected);
        QCOMPARE(bytesOf(path),
                 c.overwrite == MsgResult::Yes ? QByteArray("x") : QByteArray("a\r\nAPPENDED\r\n"));
    }

    void savesInTheFilesOwnBytes_data()
    {
        QTest::addColumn<Save>("c");
        const QByteArray bad("' \x81\r\nMsgBox 1\r\n"), aliased("\xed\x40\x87\x90\r\n\n"),
            bom("\xef\xbb\xbf");
        const QString missing = "ファイルを開けませんでした。\r\n%1\r\nファイルまたはフォルダがありません。";
        row("code page 932, CR LF", Save{cp932("' 挨拶\r\n"), -1, "ﾃｽﾄ", cp932("' 挨拶\r\nﾃｽﾄ"), ""});
        row("UTF-8, LF", Save{"// \xe6\x8c\xa8\n", -1, "é\nf", "// \xe6\x8c\xa8\n\xc3\xa9\nf", ""});
        row("UTF-8 with its mark", Save{bom + "a\xc2\xa0\r\n", -1, "c", bom + "a\xc2\xa0\r\nc", ""});
        row("a new file: code page 932, CR LF", Save{"", -1, "ｱ\n1", cp932("ｱ\r\n1"), missing});
        row("code page 932, a bad byte untouched", Save{bad, 1, "X", "' \x81\r\nMsgBox 1X\r\n", Lossy});
        row("code page 932, a bad byte changed", Save{bad, 0, "X", "' ?X\r\nMsgBox 1\r\n", Lossy});
        row("UTF-8 with its mark, a bad byte changed",
            Save{bom + "' \xff\nx\n", 0, "X", bom + "' \xef\xbf\xbdX\nx\n", LossyUnicode});
        row("aliased codes untouched stay", Save{aliased, 1, "X", "\xed\x40\x87\x90\r\nX\n", Aliased});
        row("aliased codes changed: standard", Save{aliased, 0, "X", "\xfa\x5c\x81\xe0X\r\n\n", Aliased});
        row("both warnings in one box",
            Save{"\xed\x40\x81\r\n", 1, "X", "\xed\x40\x81\r\nX", Lossy + "\r\n\r\n" + Aliased});
    }

    // What a save cannot keep as it was is said once, when the file is read.
    void savesInTheFilesOwnBytes()
    {
        QFETCH(Save, c);
        const QString path = c.before.isEmpty() ? m_dir->filePath("new.vbs") : file("a.vbs", c.before);
        frmEdit* w = open(path);
        const QString warning = c.warning.contains(QStringLiteral("%1")) ? c.warning.arg(path) : c.warning;
        QCOMPARE(m_f.dialogs.described(),
                 warning.isEmpty() ? QStringList{} : QStringList{box(48, "Quillet", warning)});
        if (c.line >= 0)
            src()->setCursorPosition(c.line, int(src()->text(c.line).remove(u'\n').remove(u'\r').size()));
        const QStringList pieces = c.typed.split(u'\n');
        for (qsizetype i = 0; i < pieces.size(); ++i) {
            if (i > 0)
                QTest::keyClick(src(), Qt::Key_Return);
            type(pieces[i], c.line < 0);
        }
        save();
        QCOMPARE(bytesOf(path), c.after);
        QVERIFY(w->isSaved());
        // Read back, the text is what the window showed (Return broke the line as the file
        // does), but for U+FFFD in the changed line, which the warning said is written as "?".
        QString shown = src()->text();
        if (warning == Lossy)
            shown.replace(QStringLiteral("\uFFFDX"), QStringLiteral("?X"));
        delete window();
        open(path);
        QCOMPARE(src()->text(), shown);
    }

    void coloursReadablyByLanguage_data()
    {
        QTest::addColumn<Colours>("c");
        const QByteArray vbs = cp932("' 挨拶\r\nDim x: x = \"文字\"\r\n"), js("// c\nvar x = \"s\";\n"),
                         pls("# c\nmy $x = 'q';\n");
        row("VBScript: a comment", Colours{"a.vbs", vbs, false, "' 挨拶", 1});
        row("VBScript: a keyword, dark", Colours{"a.vbs", vbs, true, "Dim", 3});
        row("VBScript: a string", Colours{"a.vbs", vbs, false, "\"文字\"", 4});
        row("JScript: a comment, dark", Colours{"a.js", js, true, "// c", 2});
        row("JScript: a keyword", Colours{"a.js", js, false, "var", 5});
        row("JScript: a string, dark", Colours{"a.js", js, true, "\"s\"", 6});
        row("PerlScript: a comment", Colours{"a.pls", pls, false, "# c", 2});
        row("PerlScript: a string, dark", Colours{"a.pls", pls, true, "'q'", 7});
        row("rich text: its codes, uncoloured", Colours{"a.vbs", "{\\rtf1 ' x}", false, "' x", 0});
    }

    // Every style the languages use stands out from the paper the palette gives.
    void coloursReadablyByLanguage()
    {
        QFETCH(Colours, c);
        open(file(c.name, c.bytes));
        src()->setPalette(c.dark ? darkPalette() : QPalette(Qt::black, Qt::white));
        src()->SendScintilla(QsciScintillaBase::SCI_COLOURISE, 0, -1);
        const long at = long(src()->text().left(src()->text().indexOf(c.probe)).toUtf8().size());
        QCOMPARE(src()->SendScintilla(QsciScintillaBase::SCI_GETSTYLEAT, at), c.style);
        auto colour = [this](int message, int style) {
            const long bgr = src()->SendScintilla(message, style);
            return QColor(int(bgr & 0xff), int((bgr >> 8) & 0xff), int((bgr >> 16) & 0xff));
        };
        const int fore = QsciScintillaBase::SCI_STYLEGETFORE, back = QsciScintillaBase::SCI_STYLEGETBACK;
        QCOMPARE(colour(fore, c.style) != colour(fore, QsciScintillaBase::STYLE_DEFAULT), c.style != 0);
        QCOMPARE(colour(back, QsciScintillaBase::STYLE_DEFAULT).lightness() < 128, c.dark);
        for (int s = 0; s < 32; ++s)
            QVERIFY2(contrast(colour(fore, s), colour(back, s)) >= 3.0, qPrintable(QString::number(s)));
    }

    void goesToALineByNumber_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("line");
        QTest::newRow("a line") << "3" << 3;
        QTest::newRow("past the end: the last") << "99" << 4;
        QTest::newRow("not a number: stays") << "abc" << 1;
    }

    void goesToALineByNumber()
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
    }

    // A script too large for the box to announce each edit: typing still counts as a change,
    // and the line numbers still fit.
    void largeScriptsStillNoticeEdits()
    {
        QByteArray big;
        for (int i = 0; big.size() < 2 * 1024 * 1024; ++i)
            big += "WScript.Echo " + QByteArray::number(i) + "\r\n";
        const QString path = file("big.vbs", big);
        frmEdit* w = open(path);
        // The first screen shows at once, the rest comes in from the event loop, read only.
        QVERIFY(w->isSaved() && src()->isLoading() && src()->isReadOnly());
        QTRY_VERIFY(!src()->isLoading());
        QVERIFY(!src()->isReadOnly() && w->isSaved());
        QCOMPARE(canUndo(), 0);
        type(QStringLiteral("' end"));
        QVERIFY(!w->isSaved());
        save();
        QCOMPARE(bytesOf(path), big + "' end");
        QVERIFY(w->isSaved());
        type(QStringLiteral("!"));
        QVERIFY(!w->isSaved());
        QTest::qWait(0);
        QCOMPARE(src()->marginType(0), QsciScintilla::NumberMargin);
        QVERIFY(src()->marginWidth(0) >=
                QFontMetrics(src()->font()).horizontalAdvance(QString::number(src()->lines())));
    }

    void printsToPdf_data()
    {
        QTest::addColumn<bool>("select");
        QTest::newRow("whole text") << false;
        QTest::newRow("the selection") << true;
    }

    // On paper, or in a PDF file named for the script.
    void printsToPdf()
    {
        QFETCH(bool, select);
        const QString path = file("a.vbs", cp932("WScript.Echo \"こんにちは\"\r\n' 最後の行\r\n"));
        open(path);
        if (select)
            QVERIFY(src()->findFirst(QStringLiteral("こんにちは"), false, true, false, false));
        m_printing.pdfPath = m_dir->filePath("out.pdf");
        m_printing.printSelection = true;
        child<QAction>(window(), "mnuFilePrint")->trigger();
        QCOMPARE(m_printing.offeredSelection, QList<bool>{select});
        QProcess p;
        p.start("pdftotext", {m_printing.pdfPath, "-"});
        QVERIFY(p.waitForFinished());
        const QString text = QString::fromUtf8(p.readAllStandardOutput());
        QVERIFY2(text.contains("こんにちは") && text.contains("最後の行") != select, qPrintable(text));
        p.start("pdfinfo", {m_printing.pdfPath});
        QVERIFY(p.waitForFinished());
        QVERIFY(QString::fromUtf8(p.readAllStandardOutput())
                    .contains(QRegularExpression("Title: +" + QRegularExpression::escape(path) + u'\n')));
    }

private:
    frmEdit* open(const QString& path)
    {
        m_editor->openFile(path);
        return window();
    }

    QString file(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_dir->path() + u'/' + name;
        writeFile(path, bytes);
        return path;
    }

    // As an input method commits it.
    void type(const QString& text, bool atEnd = true)
    {
        if (atEnd)
            src()->SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
        QInputMethodEvent commit;
        commit.setCommitString(text);
        QApplication::sendEvent(src(), &commit);
    }
    void save() { child<QAction>(window(), "mnuFileSave")->trigger(); }
    frmEdit* window() const { return m_editor->window(); }
    ScriptBox* src() const { return child<ScriptBox>(window(), "fldEditSrc"); }
    QLineEdit* field() const { return child<QLineEdit>(window(), "fldFileName"); }
    long canUndo() const { return src()->SendScintilla(QsciScintillaBase::SCI_CANUNDO); }
    FakeServices m_f;
    FakePrinting m_printing;
    std::unique_ptr<InternalEditorWindow> m_editor;
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_MAIN(tst_frmEdit)
#include "tst_frmEdit.moc"
