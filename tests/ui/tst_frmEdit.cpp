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

#include <optional>
#include <sys/stat.h>

using namespace MsgResult;
const QString SaveFailed = box(16, "Quillet", "ファイルの保存時にエラーが起きました");
const QString NotSaved = box(3, "Quillet", "まだ保存されていません。保存しますか");
const QString Unreadable =
    "このファイルには文字として読めないバイトがあります。その部分は「\uFFFD」と表示されます。\r\n"
    "変更しない行は元のバイトのまま保存されます。変更した行の「\uFFFD」は";
const QString Lossy = Unreadable + "「?」として保存されます。",
              LossyUnicode = Unreadable + "そのまま保存されます。";
const QString Aliased =
    "このファイルには、同じ文字に二つの文字コードがある文字 (NEC・IBM 拡張文字) が含まれています。\r\n"
    "変更しない行は元のバイトのまま保存されます。変更した行では、それらの文字は"
    "標準の文字コードで保存されます。";

struct Leave {
    bool close;        // else another file is opened into the window
    QString target;    // what the field says
    int answer;        // to the question, if one is asked
    QStringList boxes; // none: the text was not edited
    QByteArray onDisk; // at the target
};
struct Save {
    QByteArray before, after; // before empty: the file does not exist yet
    int line;                 // typed at its end, counted from 0; -1: the text's end
    QString typed, warning;   // "\n" typed: the Return key; %1 in the warning: the path
};
struct Colours {
    QString name;
    QByteArray bytes;
    QList<std::pair<QString, int>> styles; // a piece of the text, the lexer's style there; 0: plain
};
struct Reload {
    bool edited;
    int answer, overwrite; // to reloading, to saving over a later change
    QString text;
};

// The internal editor on real files: what is on disk after each save, and every box on the way.
class tst_frmEdit : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_f = {};
        m_editor = std::make_unique<InternalEditorWindow>(m_f.services(), m_printing);
        m_dir = std::make_unique<QTemporaryDir>();
    }

    // What a user reads and a screen reader names, the menus in order, and what each tool does.
    void controls()
    {
        frmEdit* w = open(file("a.vbs", "a\r\nb\r\nc\r\nd"));
        auto text = [w](const char* n, const char* p = "accessibleName") {
            return child<QObject>(w, n)->property(p).toString();
        };
        QCOMPARE((QStringList{w->windowTitle(), w->accessibleName(), text("Label1", "text"),
                              text("fldFileName"), text("fldEditSrc"), text("Toolbar1"), text("SBfedit"),
                              text("mnuFile", "title"), text("mnuEdit", "title"), text("Toolbar1", "movable"),
                              text("Toolbar1", "floatable")}),
                 (QStringList{"スクリプトの編集", "スクリプトの編集", "ﾌｧｲﾙ名", "ﾌｧｲﾙ名", "スクリプトの内容",
                              "ツールバー", "ステータスバー", "ﾌｧｲﾙ(&F)", "編集(&E)", "false", "false"}));
        QStringList actions;
        for (QAction* a : w->findChildren<QAction*>(QRegularExpression("^(mnu|tool)")))
            actions << (a->isSeparator() ? QString("-") : a->text() + (a->isEnabled() ? "" : " (off)"));
        // New and open have nothing to open; cut and copy wait for a selection.
        QCOMPARE(actions,
                 (QStringList{"保存(&S)", "印刷(&P)", "-", "閉じる(&C)", "やり直し(&U)", "-", "切り取り(&T)",
                              "ｺﾋﾟｰ(&C)", "貼り付け(&P)", "新規作成 (off)", "開く (off)", "保存", "印刷",
                              "切り取り (off)", "コピー (off)", "貼り付け"}));
        src()->selectAll();
        QVERIFY(child<QAction>(w, "toolcut")->isEnabled() && child<QAction>(w, "toolcopy")->isEnabled());
        // The edit menu's entries only say so; the box's own keys and the tools do the work.
        perform(w, {"menu:mnuEditUndo", "menu:mnuEditCut", "menu:mnuEditCopy", "menu:mnuEditPaste"});
        QCOMPARE(m_f.dialogs.described(), QStringList(4, box(0, "", "まだ機能が実装されていません")));
        // A screen reader reads the script itself, not only the box's name.
        QAccessibleTextInterface* t = QAccessible::queryAccessibleInterface(src())->textInterface();
        QCOMPARE(t ? t->text(0, t->characterCount()) : "<no text>", QStringLiteral("a\r\nb\r\nc\r\nd"));
        QVERIFY(w->focusWidget() == src() && w->isSaved() && canUndo() == 0); // loading: not a step to undo
        // Go to a line: past the end, the last; not a number, where it was.
        QApplication::setActiveWindow(w);
        QStringList seen; // the line offered, the line gone to
        for (const char* answer : {"3", "abc", "99", "0"}) {
            m_f.dialogs.inputAnswers = {answer};
            QTest::keyClick(src(), Qt::Key_G, Qt::ControlModifier);
            seen << m_f.dialogs.calls.last().def + " " + QString::number(src()->currentLine());
        }
        QCOMPARE(seen, (QStringList{"1 3", "3 3", "3 4", "4 1"}));
        QCOMPARE(m_f.dialogs.described().last(),
                 input("指定行へ移動", "移動先の行番号を入力してください (1～4)", "4"));
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
        if (fullDisk)
            SMALL_DISK_OR_SKIP(disk.emplace(m_dir->filePath("small"), 64));
        const QString path = file(fullDisk ? "small/a.vbs" : "a.vbs", original);
        if (disk)
            disk->fill();
        const QString typed = fullDisk ? QString(20000, u'y') : QStringLiteral("한");
        frmEdit* w = open(path);
        src()->insert(typed);
        save();
        QCOMPARE(m_f.dialogs.described(), QStringList{SaveFailed});
        QCOMPARE(bytesOf(path), original);
        QVERIFY(!w->isSaved() && src()->text().contains(typed));
        QCOMPARE(QDir(QFileInfo(path).path()).entryList(QDir::Files | QDir::Hidden).filter("a.vbs"),
                 QStringList{"a.vbs"}); // no leftovers beside it
    }

    void asksAboutChanges_data()
    {
        QTest::addColumn<Leave>("c");
        const QStringList asked{NotSaved}, openFailed{NotSaved, SaveFailed},
            closeFailed{NotSaved, box(16, "Quillet", "ファイルの保存でエラーが起きました")};
        row("close untouched: no question", Leave{true, "a.vbs", 0, {}, "a\r\n"});
        row("close, Yes saves", Leave{true, "a.vbs", Yes, asked, "a\r\nb"});
        row("close, No: the file as it was", Leave{true, "a.vbs", No, asked, "a\r\n"});
        row("close, Cancel stays", Leave{true, "a.vbs", Cancel, asked, "a\r\n"});
        row("close, Yes, the save fails", Leave{true, "nowhere/a.vbs", Yes, closeFailed, "<none>"});
        row("open, Yes saves where the field says", Leave{false, "b2.vbs", Yes, asked, "a\r\nb"});
        row("open, No drops the changes", Leave{false, "a.vbs", No, asked, "a\r\n"});
        row("open, Cancel keeps the window", Leave{false, "a.vbs", Cancel, asked, "a\r\n"});
        row("open, Yes, the save fails", Leave{false, "nowhere/a.vbs", Yes, openFailed, "<none>"});
    }

    void asksAboutChanges()
    {
        QFETCH(Leave, c);
        const QString path = file("a.vbs", "a\r\n"), other = file("b.vbs", "second\r\n");
        frmEdit* w = open(path);
        if (!c.boxes.isEmpty())
            type("b");
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
        QCOMPARE(bytesOf(path), target == path ? c.onDisk : QByteArray("a\r\n"));
        const bool stays = c.onDisk == "<none>" || c.answer == Cancel;
        QCOMPARE(window() == nullptr, c.close && !stays);
        if (!window())
            return;
        QCOMPARE((QStringList{field()->text(), src()->text()}),
                 (stays ? QStringList{target, "a\r\nb"} : QStringList{other, "second\r\n"}));
        // The first file's edits are not steps to undo in the second.
        QCOMPARE((QList<bool>{w->isSaved(), canUndo() != 0}), (QList<bool>{!stays, stays}));
    }

    void failedOpenReplacesNothingUnasked_data()
    {
        QTest::addColumn<int>("answer"); // to the overwrite question
        QTest::newRow("too large, No") << No;
        QTest::newRow("too large, Yes") << Yes;
        QTest::newRow("a FIFO, No") << No;
    }

    // An unread file's empty text never silently takes its place; a FIFO is refused without blocking.
    void failedOpenReplacesNothingUnasked()
    {
        QFETCH(int, answer);
        const bool large = QByteArray(QTest::currentDataTag()).startsWith("too large"); // else a FIFO
        const QString path = m_dir->filePath("big.vbs");
        if (large) // sparse: no time, no space
            QVERIFY(writeFile(path, "") && QFile::resize(path, 100 * 1024 * 1024));
        else
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0644), 0);
        m_f.dialogs.msgAnswers = {Ok, answer};
        frmEdit* w = open(path);
        type("x");
        save();
        const QString reason = large ? "ファイルが大きすぎます。" : "通常のファイルではありません。";
        QCOMPARE(m_f.dialogs.described(),
                 (QStringList{box(48, "Quillet", "ファイルを開けませんでした。\r\n" + path + "\r\n" + reason),
                              box(308, "Quillet",
                                  "このファイルは開けなかったため、内容を読み込んでいません。\r\n"
                                  "上書きすると元の内容は失われます。上書きしますか")}));
        if (large)
            QCOMPARE(QFileInfo(path).size(), answer == Yes ? 1 : 100 * 1024 * 1024);
        QCOMPARE(w->isSaved(), answer == Yes);
    }

    void anotherProgramChangesTheFile_data()
    {
        QTest::addColumn<Reload>("c");
        row("untouched, Yes reloads", Reload{false, Yes, Yes, "a\r\nappended\r\n"});
        row("untouched, No keeps the text", Reload{false, No, No, "a\r\n"});
        row("edited, Yes drops the edit", Reload{true, Yes, No, "a\r\nappended\r\n"});
        row("edited, No keeps the edit", Reload{true, No, Yes, "a\r\nb"});
    }

    void anotherProgramChangesTheFile()
    {
        QFETCH(Reload, c);
        const QString path = file("a.vbs", "a\r\n");
        frmEdit* w = open(path);
        if (c.edited)
            type("b");
        auto activate = [w] {
            QEvent e(QEvent::WindowActivate);
            QApplication::sendEvent(w, &e);
            QTest::qWait(0);
        };
        // Written in place and flushed, then dated as the other program likes.
        auto change = [&path](const QByteArray& bytes, int year) {
            QFile f(path);
            return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.flush() &&
                   f.setFileTime(QDate(year, 1, 1).startOfDay(), QFileDevice::FileModificationTime);
        };
        QVERIFY(change("a\r\n", 2000)); // only touched: nothing to offer
        activate();
        QVERIFY(change("a\r\nappended\r\n", 2001));
        m_f.dialogs.msgAnswers = {c.answer};
        activate();
        const QString changed = "このファイルは、ほかのプログラムによって変更されました。\r\n",
                      losing = "読み込み直すと、まだ保存していない変更は失われます。";
        QStringList expected{box(52, "Quillet", changed + (c.edited ? losing : "") + "読み込み直しますか")};
        QCOMPARE(m_f.dialogs.described(), expected);
        QCOMPARE(src()->text(), c.text);
        QCOMPARE((QList<bool>{w->isSaved(), canUndo() == 0}), QList<bool>(2, c.answer == Yes || !c.edited));
        activate(); // one question per change
        // Opened again, a change like the one offered before is offered anew; a save asks first.
        if (!w->isSaved())
            expected << NotSaved; // answered No, as the reload question
        expected << box(52, "Quillet", changed + "読み込み直しますか")
                 << box(308, "Quillet",
                        "このファイルは、読み込んだ後でほかのプログラムによって変更されています。\r\n"
                        "上書きすると、その変更は失われます。上書きしますか");
        m_f.dialogs.msgAnswers = QList<int>(expected.size() - 2, No) << c.overwrite;
        QVERIFY(change("x", 2002));
        open(path);
        QVERIFY(change("a\r\nAPPENDED\r\n", 2001));
        activate();
        save();
        QCOMPARE(m_f.dialogs.described(), expected);
        QCOMPARE(bytesOf(path), c.overwrite == Yes ? QByteArray("x") : QByteArray("a\r\nAPPENDED\r\n"));
    }

    void savesInTheFilesOwnBytes_data()
    {
        QTest::addColumn<Save>("c");
        const QByteArray bad("' \x81\r\nMsgBox 1\r\n"), alias("\xed\x40\x87\x90\r\n\n"), bom("\xef\xbb\xbf");
        const QString missing = "ファイルを開けませんでした。\r\n%1\r\nファイルまたはフォルダがありません。";
        row("code page 932, CR LF", Save{cp932("' 挨拶\r\n"), cp932("' 挨拶\r\nﾃｽﾄ"), -1, "ﾃｽﾄ", ""});
        row("UTF-8, LF", Save{"// \xe6\x8c\xa8\n", "// \xe6\x8c\xa8\n\xc3\xa9\nf", -1, "é\nf", ""});
        row("UTF-8 with its mark", Save{bom + "a\xc2\xa0\r\n", bom + "a\xc2\xa0\r\nc", -1, "c", ""});
        row("a new file: code page 932, CR LF", Save{"", cp932("ｱ\r\n1"), -1, "ｱ\n1", missing});
        row("code page 932, a bad byte untouched", Save{bad, "' \x81\r\nMsgBox 1X\r\n", 1, "X", Lossy});
        row("code page 932, a bad byte changed", Save{bad, "' ?X\r\nMsgBox 1\r\n", 0, "X", Lossy});
        row("UTF-8 with its mark, a bad byte changed",
            Save{bom + "' \xff\nx\n", bom + "' \xef\xbf\xbdX\nx\n", 0, "X", LossyUnicode});
        row("aliased codes untouched stay", Save{alias, "\xed\x40\x87\x90\r\nX\n", 1, "X", Aliased});
        row("aliased codes changed: standard", Save{alias, "\xfa\x5c\x81\xe0X\r\n\n", 0, "X", Aliased});
        row("both warnings in one box",
            Save{"\xed\x40\x81\r\n", "\xed\x40\x81\r\nX", 1, "X", Lossy + "\r\n\r\n" + Aliased});
    }

    // What a save cannot keep as it was is said once, when the file is read.
    void savesInTheFilesOwnBytes()
    {
        QFETCH(Save, c);
        const QString path = c.before.isEmpty() ? m_dir->filePath("new.vbs") : file("a.vbs", c.before);
        frmEdit* w = open(path);
        const QString warning = QString(c.warning).replace("%1", path);
        QCOMPARE(m_f.dialogs.described(), QStringList(!warning.isEmpty(), box(48, "Quillet", warning)));
        type(c.typed, c.line);
        save();
        QCOMPARE(bytesOf(path), c.after);
        QVERIFY(w->isSaved());
        // Read back as shown, Return breaking lines as the file does; a changed U+FFFD as the warning said.
        const QString shown = warning == Lossy ? src()->text().replace("\uFFFDX", "?X") : src()->text();
        delete window();
        open(path);
        QCOMPARE(src()->text(), shown);
    }

    void coloursReadablyByLanguage_data()
    {
        QTest::addColumn<Colours>("c");
        const QByteArray vbs = cp932("' 挨拶\r\nDim x: x = \"文字\"\r\n");
        row("VBScript", Colours{"a.vbs", vbs, {{"' 挨拶", 1}, {"Dim", 3}, {"\"文字\"", 4}}});
        row("JScript", Colours{"a.js", "// c\nvar x = \"s\";\n", {{"// c", 2}, {"var", 5}, {"\"s\"", 6}}});
        row("PerlScript", Colours{"a.pls", "# c\nmy $x = 'q';\n", {{"# c", 2}, {"'q'", 7}}});
        row("rich text: its codes, uncoloured", Colours{"a.vbs", "{\\rtf1 ' x}", {{"' x", 0}}});
    }

    // Every style the languages use stands out from the paper either palette gives.
    void coloursReadablyByLanguage()
    {
        QFETCH(Colours, c);
        open(file(c.name, c.bytes));
        auto colour = [this](int style, bool back = false) {
            const int bgr = src()->SendScintilla(back ? Sci::SCI_STYLEGETBACK : Sci::SCI_STYLEGETFORE, style);
            return QColor(bgr & 0xff, (bgr >> 8) & 0xff, (bgr >> 16) & 0xff);
        };
        for (const bool dark : {false, true}) {
            src()->setPalette(dark ? darkPalette() : QPalette(Qt::black, Qt::white));
            src()->SendScintilla(Sci::SCI_COLOURISE, 0, -1);
            for (const auto& [probe, style] : c.styles) {
                const long at = long(src()->text().left(src()->text().indexOf(probe)).toUtf8().size());
                QCOMPARE(src()->SendScintilla(Sci::SCI_GETSTYLEAT, at), style);
                QCOMPARE(colour(style) != colour(Sci::STYLE_DEFAULT), style != 0);
            }
            QCOMPARE(colour(Sci::STYLE_DEFAULT, true).lightness() < 128, dark);
            for (int s = 0; s < 32; ++s)
                QVERIFY2(contrast(colour(s), colour(s, true)) >= 3.0, qPrintable(QString::number(s)));
        }
    }

    // Too large for the box to announce each edit: typing still counts, the line numbers still fit.
    void largeScriptsStillNoticeEdits()
    {
        const QByteArray big = QByteArray("WScript.Echo 1\r\n").repeated(140000);
        const QString path = file("big.vbs", big);
        frmEdit* w = open(path);
        // The first screen shows at once, the rest comes in from the event loop, read only.
        QVERIFY(w->isSaved() && src()->isLoading() && src()->isReadOnly());
        QTRY_VERIFY(!src()->isLoading());
        QVERIFY(!src()->isReadOnly() && w->isSaved() && canUndo() == 0);
        type("' end");
        QVERIFY(!w->isSaved());
        save();
        QCOMPARE(bytesOf(path), big + "' end");
        QVERIFY(w->isSaved());
        type("!");
        QTest::qWait(0);
        QVERIFY(!w->isSaved() && src()->marginType(0) == QsciScintilla::NumberMargin);
        QVERIFY(src()->marginWidth(0) >=
                QFontMetrics(src()->font()).horizontalAdvance(QString::number(src()->lines())));
    }

    // On paper, or in a PDF file named for the script; the selection when there is one.
    void printsToPdf()
    {
        const QString path = file("a.vbs", cp932("WScript.Echo \"こんにちは\"\r\n' 最後の行\r\n"));
        open(path);
        m_printing.pdfPath = m_dir->filePath("out.pdf");
        m_printing.printSelection = true;
        QProcess p;
        for (const bool select : {false, true}) {
            if (select)
                QVERIFY(src()->findFirst("こんにちは", false, true, false, false));
            child<QAction>(window(), "mnuFilePrint")->trigger();
            p.start("pdftotext", {m_printing.pdfPath, "-"});
            const QString text = p.waitForFinished() ? QString::fromUtf8(p.readAllStandardOutput()) : "";
            QVERIFY2(text.contains("こんにちは") && text.contains("最後の行") != select, qPrintable(text));
        }
        QCOMPARE(m_printing.offeredSelection, (QList<bool>{false, true}));
        p.start("pdfinfo", {m_printing.pdfPath});
        QVERIFY(p.waitForFinished());
        QVERIFY(QString::fromUtf8(p.readAllStandardOutput())
                    .contains(QRegularExpression("Title: +" + QRegularExpression::escape(path) + u'\n')));
    }

private:
    using Sci = QsciScintillaBase;
    template <class C> static void row(const char* name, const C& c) { QTest::newRow(name) << c; }
    frmEdit* open(const QString& path)
    {
        m_editor->openFile(path);
        return window();
    }
    QString file(const QString& name, const QByteArray& bytes)
    {
        return writeFile(m_dir->filePath(name), bytes) ? m_dir->filePath(name) : QString("<not written>");
    }

    // At the end of `line` (-1: of the text) as an input method commits it, "\n" as the Return key.
    void type(const QString& text, int line = -1)
    {
        const long end =
            src()->SendScintilla(Sci::SCI_GETLINEENDPOSITION, line < 0 ? src()->lines() - 1 : line);
        src()->SendScintilla(Sci::SCI_GOTOPOS, end);
        const QStringList lines = text.split(u'\n');
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (i > 0)
                QTest::keyClick(src(), Qt::Key_Return);
            QInputMethodEvent commit;
            commit.setCommitString(lines[i]);
            QApplication::sendEvent(src(), &commit);
        }
    }
    void save() { child<QAction>(window(), "mnuFileSave")->trigger(); }
    frmEdit* window() const { return m_editor->window(); }
    ScriptBox* src() const { return child<ScriptBox>(window(), "fldEditSrc"); }
    QLineEdit* field() const { return child<QLineEdit>(window(), "fldFileName"); }
    long canUndo() const { return src()->SendScintilla(Sci::SCI_CANUNDO); }
    FakeServices m_f;
    FakePrinting m_printing;
    std::unique_ptr<InternalEditorWindow> m_editor;
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_MAIN(tst_frmEdit)
#include "tst_frmEdit.moc"
