#include "Fonts.h"
#include "Palettes.h"
#include "TestBench.h"
#include "TestFiles.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

namespace {
const QString Idle = QStringLiteral("Quillet Ver. 0.3.0"),
              RunHint = QStringLiteral("選択したﾌｧｲﾙを実行します"),
              DriveHint = QStringLiteral("編集・実行するﾌｧｲﾙのあるﾄﾞﾗｲﾌﾞを選択します");

template <class Row> void row(const char* name, const Row& r)
{
    QTest::newRow(name) << r;
}

// The status bar on gaining and losing the focus (empty: unchanged) and under the mouse.
struct Hint {
    bool idleOnLoss;
    QString onFocus, onMouse;
};
// Words: the steps taken, the boxes as boxesSeen() names them, the entries checked or selected.
struct Choice {
    QString steps, boxes, commentMark, interpreter, checked;
};
// The script chosen before (empty: none), steps, and what the user saw (%1: the folder).
struct Action {
    QString chosen, steps, boxes, launched, listed;
};
struct Other {
    bool byMenu; // 終了(&X), else the title bar's close
    QString open, title;
};
} // namespace

// The main window as a user meets it; what its actions do is the workbench's.
class tst_frmMain : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_f = {};
        m_dir = std::make_unique<QTemporaryDir>();
        QDir::setCurrent(m_dir->path());
        QVERIFY(writeFile(m_dir->path() + QStringLiteral("/vol/top.js"), "// top")); // on a volume of its own
        m_f.drives.list.append({m_dir->path() + QStringLiteral("/vol"), QStringLiteral("USB")});
        m_f.settings.setOption(QStringLiteral("UserName"), QStringLiteral("山田 太郎"));
        m_bench = std::make_unique<TestBench>(m_f);
        m_bench->showMain();
    }

    void cleanup()
    {
        m_bench.reset();
        QDir::setCurrent(QDir::tempPath());
        m_dir.reset();
    }

    void texts()
    {
        QStringList seen{main()->windowTitle()};
        for (const char* name :
             {"btnNew", "btnEdit", "btnRun", "btnEncode", "btnOption", "cWSC", "cCsc", "selJS", "selVBS",
              "selPls", "Frame1", "CInterp", "fldDrive", "fldDir", "fldFileList", "fldViewSrc", "sbMain"}) {
            const QWidget* c = w(name);
            const char* text = c->property("text").isValid() ? "text" : "title";
            seen.append(QString("%1 %2 %3").arg(name, c->property(text).toString(), c->accessibleName()));
        }
        QCOMPARE(seen.join(u'|'),
                 QStringLiteral("Quillet|btnNew 新規作成 新規作成|btnEdit 編 集 編 集|btnRun 実 行 実 行|"
                                "btnEncode エンコード エンコード|btnOption オプション オプション|"
                                "cWSC WSCRIPT.EXE WSCRIPT.EXE|cCsc CSCRIPT.EXE CSCRIPT.EXE|"
                                "selJS JS JS|selVBS VBS VBS|selPls Perl Perl|"
                                "Frame1 スクリプトの種類 スクリプトの種類|CInterp  インタープリタ|"
                                "fldDrive  ドライブ|fldDir  フォルダ|fldFileList  スクリプトファイル|"
                                "fldViewSrc  スクリプトのソース|sbMain  ステータスバー"));
        // The menus, entry by entry, none checked or disabled.
        seen.clear();
        std::function<void(QMenu*, int)> walk = [&](QMenu* menu, int depth) {
            seen.append(QString(depth, u'>') + menu->objectName() + u' ' + menu->title());
            for (QAction* a : menu->actions()) {
                QVERIFY2(!a->isChecked() && a->isEnabled(), qPrintable(a->objectName()));
                if (a->menu())
                    walk(a->menu(), depth + 1);
                else
                    seen.append(QString(depth + 1, u'>') + a->objectName() + u' ' +
                                (a->isSeparator() ? "-" : a->text()));
            }
        };
        for (QAction* top : main()->menuBar()->actions())
            walk(top->menu(), 0);
        QCOMPARE(seen.join(u'|'),
                 QStringLiteral("mnuFile ファイル(&F)|>mnuFileNew 新規作成(&N)|>mnuFileOpen 開く(&O)|"
                                ">mnuFileSep1 -|>mnuFileRun 実行(&R)|>mnuFileEncode エンコード(&E)|"
                                ">mnuFileSep2 -|>mnuFileExit 終了(&X)|mnuTool ツール(&T)|"
                                ">mnuToolScr スクリプトの種類(&S)|>>mnuToolScrJS JavaScript(&J)|"
                                ">>mnuSept11 -|>>mnuToolScrVBS VBScript(&V)|>>mnnuSept12 -|"
                                ">>mnuToolScrPLS PerlScript(&P)|>mnuToolIpri インタープリタ(&I)|"
                                ">>mnuToolIpriWSCR WSCRIPT.EXE(&W)|>>mnuSept13 -|"
                                ">>mnuToolIpriCSCR CSCRIPT.EXE(&C)|>mnuToolOption オプション(&O)...|"
                                "mnuHelp ヘルプ(&H)|>mnuHelpVOXTool Quilletの使い方(&H)|>mnuHelpSep1 -|"
                                ">mnuHelpAbout バージョン情報(&A)..."));
    }

    // The load sets its own text, which the drive list's hint replaces as the window shows.
    void startsOnTheDriveListsHintThenTabs()
    {
        TestBench bench(m_f);
        frmMain unshown(bench.workbench);
        QCOMPARE(unshown.statusText(), QStringLiteral("Quillet Ver.0.3.0"));
        QVERIFY(!unshown.windowIcon().isNull());
        QCOMPARE(status(), DriveHint);
        auto press = [](Qt::Key key) {
            QTest::keyClick(QApplication::focusWidget(), key);
            return focused();
        };
        QStringList order{focused()};
        for (int i = 0; i < 11; ++i)
            order.append(press(Qt::Key_Tab));
        // One stop per option group: its selected button.
        QCOMPARE(order, (QStringList{"fldDrive", "fldDir", "fldFileList", "fldViewSrc", "btnOption", "btnRun",
                                     "btnEdit", "btnNew", "selVBS", "cWSC", "btnEncode", "fldDrive"}));
        // Within a group the arrow keys move the selection, and the tab stop with it.
        perform(main(), {"key:selVBS:Right"});
        QCOMPARE((QStringList{focused(), press(Qt::Key_Tab), press(Qt::Key_Backtab)}),
                 (QStringList{"selPls", "cWSC", "selPls"}));
    }

    void hints_data()
    {
        QTest::addColumn<Hint>("h");
        row("btnNew", Hint{true, "選択したﾌｫﾙﾀﾞにVOXﾌｧｲﾙを新規作成し編集をします",
                           "選択したﾌｫﾙﾀﾞにWSHﾌｧｲﾙを新規作成し編集をします"});
        row("btnEdit", Hint{true, "選択したﾌｧｲﾙを編集します", "選択したﾌｧｲﾙを編集します"});
        row("btnRun", Hint{true, "選択したﾌｧｲﾙを実行します", "選択したﾌｧｲﾙを実行します"});
        row("btnEncode", Hint{false, "", "スクリプトファイルのエンコードを実行します"});
        row("btnOption", Hint{true, "ｵﾌﾟｼｮﾝの設定をします", "ｵﾌﾟｼｮﾝの設定をします"});
        row("cWSC", Hint{true, "", "GUI版のWSCRIPT.EXEをインタープリタに使います"});
        row("cCsc", Hint{true, "", "コマンドライン版のCSCRIPT.EXEをインタープリタに使います"});
        row("Frame1", Hint{false, "", "VBS、JScript、PerlScriptのどれかを選択してください"});
        row("selJS", Hint{false, "", ""});
        row("fldDrive", Hint{true, "編集・実行するﾌｧｲﾙのあるﾄﾞﾗｲﾌﾞを選択します", ""});
        row("fldDir",
            Hint{true, "VOXﾌｧｲﾙのあるﾌｫﾙﾀﾞを選択します", "スクリプトファイルのあるフォルダを選択します"});
        row("fldFileList",
            Hint{true, "編集・実行するﾌｧｲﾙをﾘｽﾄから選択します", "編集・実行するﾌｧｲﾙをﾘｽﾄから選択します"});
        row("fldViewSrc", Hint{true, "", "ここにはｽｸﾘﾌﾟﾄのｿｰｽが表示されます"});
        row("sbMain", Hint{false, "", "Quillet Ver. 0.3.0"});
    }

    // Each hint in the status bar and for a screen reader: the mouse's, else the focus's.
    void hints()
    {
        QFETCH(Hint, h);
        const QString name = QString::fromLatin1(QTest::currentDataTag()), start = QStringLiteral("START");
        QWidget* c = w(name);
        if (c->focusPolicy() != Qt::NoFocus) {
            w("selPls")->setFocus(Qt::TabFocusReason); // no hints at all
            main()->setStatusText(start);
            c->setFocus(Qt::TabFocusReason);
            QCOMPARE(status(), h.onFocus.isEmpty() ? start : h.onFocus);
            main()->setStatusText(start);
            w("selPls")->setFocus(Qt::TabFocusReason);
            QCOMPARE(status(), h.idleOnLoss ? Idle : start);
        }
        // A point of the control that no child covers: frames are entered at their border.
        const QPoint at =
            qobject_cast<QGroupBox*>(c) ? QPoint(c->width() - 3, c->height() - 3) : c->rect().center();
        QTest::mouseMove(w("frmMainClient"), QPoint(180, 300));
        main()->setStatusText(start);
        QTest::mouseMove(c, at);
        QTest::qWait(20);
        QCOMPARE(status(), h.onMouse.isEmpty() ? start : h.onMouse);
        if (name != QLatin1String("sbMain"))
            QCOMPARE(QAccessible::queryAccessibleInterface(c)->text(QAccessible::Description),
                     h.onMouse.isEmpty() ? h.onFocus : h.onMouse);
    }

    void hintSequences()
    {
        // 実 行 to 編 集 passes the idle text; a control without a focus hint leaves it.
        w("btnRun")->setFocus(Qt::TabFocusReason);
        QSignalSpy spy(main(), &frmMain::statusTextSet);
        QTest::keyClick(w("btnRun"), Qt::Key_Tab);
        QCOMPARE(spy, (QList<QVariantList>{{Idle}, {QStringLiteral("選択したﾌｧｲﾙを編集します")}}));
        w("selVBS")->setFocus(Qt::TabFocusReason);
        QCOMPARE(status(), Idle);
        // The mouse leaves 実 行's hint over the background, until it reaches the status bar.
        QTest::mouseMove(w("btnRun"));
        QTest::mouseMove(w("frmMainClient"), QPoint(180, 300));
        QCOMPARE(status(), RunHint);
        QTest::mouseMove(w("sbMain"), QPoint(300, 10));
        QCOMPARE(status(), Idle);
        main()->setStatusText(QStringLiteral("START"));
        QWidget other;
        other.show();
        QApplication::setActiveWindow(&other);
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QCOMPARE(status(), Idle);
        // Menu entries do not write into the status bar, which stays visible.
        main()->setStatusText(QStringLiteral("START"));
        QStatusTipEvent tip(QString{});
        QApplication::sendEvent(main(), &tip);
        QCOMPARE(status(), QStringLiteral("START"));
        QVERIFY(child<QLabel>(main(), "sbMainText")->isVisible());
    }

    void popupsKeepTheHint_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("hint");
        QTest::newRow("File menu over 実 行") << "btnRun" << RunHint;
        QTest::newRow("its drop-down") << "fldDrive" << DriveHint;
    }

    // The control keeps the focus while a popup is open, and so its hint.
    void popupsKeepTheHint()
    {
        QFETCH(QString, control);
        QFETCH(QString, hint);
        QWidget* c = w(control);
        c->setFocus(Qt::TabFocusReason);
        QWidget* shown = child<QMenu>(main(), "mnuFile");
        if (auto* list = qobject_cast<QComboBox*>(c)) {
            list->showPopup();
            shown = list->view()->window();
        } else {
            main()->menuBar()->setActiveAction(static_cast<QMenu*>(shown)->menuAction());
        }
        QTRY_COMPARE(QApplication::activePopupWidget(), shown);
        QCOMPARE(status(), hint);
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
        QTRY_VERIFY(!shown->isVisible());
        // A menu closed by its key leaves the menu bar ready for the keyboard; one more leaves it.
        if (QApplication::focusWidget() == main()->menuBar())
            QTest::keyClick(main()->menuBar(), Qt::Key_Escape);
        QCOMPARE(QApplication::focusWidget(), c);
        QCOMPARE(status(), hint);
        w("selVBS")->setFocus(Qt::TabFocusReason); // a real loss
        QCOMPARE(status(), Idle);
    }

    // What a screen reader reads of the drive list; choosing a volume shows its scripts.
    void driveList()
    {
        auto* list = child<QComboBox>(main(), "fldDrive");
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(list);
        QVERIFY(a && a->actionInterface());
        QCOMPARE(a->text(QAccessible::Name), QStringLiteral("ドライブ"));
        QCOMPARE(a->text(QAccessible::Value), QStringLiteral("/"));
        a->actionInterface()->doAction(QAccessibleActionInterface::showMenuAction());
        QTRY_VERIFY(list->view()->isVisible());
        QVERIFY(a->state().expanded);
        list->hidePopup();
        QVERIFY(listed().isEmpty());
        list->setCurrentIndex(1);
        QCOMPARE(a->text(QAccessible::Value), m_dir->path() + QStringLiteral("/vol [USB]"));
        QCOMPARE(listed(), QStringList{"top.js"});
    }

    // The preview keeps the design's light grey, and so must keep dark text on it.
    void previewIsReadableInAnyTheme()
    {
        const QPalette before = QApplication::palette();
        const auto restore = qScopeGuard([&] { QApplication::setPalette(before); });
        for (const QPalette& theme : {before, darkPalette()}) {
            QApplication::setPalette(theme);
            m_bench->showMain();
            auto* preview = child<QPlainTextEdit>(main(), "fldViewSrc");
            preview->setPlainText(QStringLiteral("WScript.Echo \"日本語\""));
            const QImage shot = preview->viewport()->grab().toImage();
            const QColor grey(224, 224, 224);
            QCOMPARE(shot.pixelColor(shot.width() - 2, shot.height() - 2), grey);
            QVERIFY(contrast(ink(shot, grey), grey) >= 4.5);
        }
    }

    void choices_data()
    {
        QTest::addColumn<Choice>("c");
        row("at start", Choice("", "", "", "", "selVBS cWSC"));
        row("JS button", Choice("click:selJS", "js", "// ", "", "selJS cWSC"));
        row("Perl menu", Choice("menu:mnuToolScrPLS", "pls", "# ", "", "mnuToolScrPLS selPls cWSC"));
        row("both host menus", Choice("menu:mnuToolIpriWSCR menu:mnuToolIpriCSCR", "wsc csc", "",
                                      "CSCRIPT.EXE", "mnuToolIpriCSCR selVBS cCsc"));
        row("JS menu, VBS button",
            Choice("menu:mnuToolScrJS click:selVBS", "js vbs", "' ", "", "mnuToolScrJS selVBS cWSC"));
        row("start's selection",
            Choice("click:selVBS click:cWSC", "vbs wsc", "' ", "WSCRIPT.EXE", "selVBS cWSC"));
        row("a menu twice",
            Choice("menu:mnuToolScrJS menu:mnuToolScrJS", "js js", "// ", "", "mnuToolScrJS selJS cWSC"));
        row("marks per submenu",
            Choice("menu:mnuToolScrJS menu:mnuToolIpriCSCR menu:mnuToolScrVBS", "js csc vbs", "' ",
                   "CSCRIPT.EXE", "mnuToolIpriCSCR mnuToolScrVBS selVBS cCsc"));
        row("arrow key", Choice("key:selVBS:Right", "pls", "# ", "", "selPls cWSC"));
        row("screen reader's Toggle", Choice("toggle:selJS", "js", "// ", "", "selJS cWSC"));
        row("screen reader's Press", Choice("press:cCsc", "csc", "", "CSCRIPT.EXE", "selVBS cCsc"));
        row("Toggle on the selected", Choice("toggle:selVBS", "", "", "", "selVBS cWSC"));
        row("UI automation",
            Choice("set:selPls set:cCsc click:cWSC", "pls csc wsc", "# ", "WSCRIPT.EXE", "selPls cWSC"));
    }

    void choices()
    {
        QFETCH(Choice, c);
        perform(main(), c.steps.split(u' ', Qt::SkipEmptyParts));
        QCOMPARE(boxesSeen(), c.boxes);
        QCOMPARE(m_bench->workbench.commentMark(), c.commentMark);
        QCOMPARE(m_bench->workbench.interpreter(), c.interpreter);
        QStringList shown;
        for (const char* e : {"mnuToolIpriCSCR", "mnuToolIpriWSCR", "mnuToolScrJS", "mnuToolScrPLS",
                              "mnuToolScrVBS", "selJS", "selVBS", "selPls", "cWSC", "cCsc"})
            if (child<QObject>(main(), e)->property("checked").toBool())
                shown.append(e);
        QCOMPARE(shown.join(u' '), c.checked);
    }

    // Each button and menu entry: its action, with the selected option button's kind.
    void actions_data()
    {
        QTest::addColumn<Action>("c");
        const QString enc = "\"/opt/enc\" \"%1/a.vbs\" /f \"%1/a.vbs";
        row("実 行", Action("a.vbs", "click:btnRun", "run", "WSCRIPT.EXE \"%1/a.vbs\"", "a.vbs"));
        row("実行(&R)", Action("a.vbs", "menu:mnuFileRun", "runMenu", "WSCRIPT.EXE \"%1/a.vbs\"", "a.vbs"));
        row("エンコード", Action("a.vbs", "click:btnEncode", "encodeVBE", enc + ".VBE\"", "a.vbs"));
        row("エンコード(&E), JS",
            Action("a.vbs", "click:selJS menu:mnuFileEncode", "js encodeJSE", enc + ".JSE\"", "a.vbs"));
        row("新規作成",
            Action("", "click:selJS click:btnNew", "js new", "notepad.exe %1/NewFile.js", "NewFile.js"));
        row("新規作成(&N)", Action("", "click:selPls menu:mnuFileNew", "pls newMenu",
                                   "notepad.exe %1/NewFile.pls", "NewFile.pls"));
        row("the button's kind, not the menu's",
            Action("", "menu:mnuToolScrJS click:selVBS click:btnNew", "js vbs new",
                   "notepad.exe %1/NewFile.vbs", "NewFile.vbs"));
        row("編 集", Action("a.vbs", "click:btnEdit", "", "notepad.exe %1/a.vbs", "a.vbs"));
        row("編 集 of none: New", Action("", "click:selVBS click:btnEdit", "vbs ask new",
                                         "notepad.exe %1/NewFile.vbs", "NewFile.vbs"));
        row("開く(&O) of none",
            Action("", "menu:mnuFileOpen", "", "notepad.exe ﾌｧｲﾙが選択されていません", ""));
    }

    void actions()
    {
        QFETCH(Action, c);
        m_f.settings.setOption(QStringLiteral("Encoder"), QStringLiteral("/opt/enc"));
        if (!c.chosen.isEmpty()) {
            QVERIFY(writeFile(m_dir->path() + u'/' + c.chosen, "MsgBox 1\r\n"));
            m_bench->showMain(); // lists the new file
            main()->selectScript(c.chosen);
        }
        m_f.dialogs.inputAnswers = {FakeDialogs::AcceptDefault};
        m_f.dialogs.msgAnswers = QList<int>(3, MsgResult::Yes); // to every box
        perform(main(), c.steps.split(u' ', Qt::SkipEmptyParts));
        QCOMPARE(boxesSeen(), c.boxes);
        QCOMPARE(m_f.launcher.lines, QStringList{"1|" + c.launched.replace("%1", m_dir->path())});
        QCOMPARE(listed().join(u' '), c.listed);
    }

    // A busy cursor until the host's process is up or gone; the status bar keeps its text.
    void runShowsThatItIsStarting()
    {
        QProcess slow; // a host whose process never gets going
        slow.start(QStringLiteral("sleep"), {QStringLiteral("30")});
        QVERIFY(slow.waitForStarted());
        m_f.launcher.result.pid = slow.processId();
        m_bench->workbench.selectFile(QStringLiteral("/s/a.vbs"));
        m_f.dialogs.inputAnswers = {QStringLiteral("No CommLine")};
        perform(main(), {"click:btnRun"});
        QVERIFY(QGuiApplication::overrideCursor());
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::BusyCursor);
        QTest::qWait(300);
        QVERIFY(QGuiApplication::overrideCursor());
        QCOMPARE(status(), RunHint);
        slow.kill();
        slow.waitForFinished();
        QTRY_VERIFY(!QGuiApplication::overrideCursor());
    }

    void exitKeepsOtherWindowsAlive_data()
    {
        QTest::addColumn<Other>("o");
        row("options dialog, exit", Other{true, "click:btnOption", "ｵﾌﾟｼｮﾝ設定"});
        row("options from the menu, title bar", Other{false, "menu:mnuToolOption", "ｵﾌﾟｼｮﾝ設定"});
        row("About box, title bar", Other{false, "menu:mnuHelpAbout", "ﾊﾞｰｼﾞｮﾝ情報"});
        row("editor, exit", Other{true, "click:btnEdit", "スクリプトの編集"});
    }

    // Each real window stays open with what was typed; the program ends when it closes.
    void exitKeepsOtherWindowsAlive()
    {
        QFETCH(Other, o);
        m_f.settings.setOption(QStringLiteral("Editor"), QStringLiteral("System"));
        m_bench->showMain();
        m_bench->workbench.selectFile(QStringLiteral("/nonexistent/a.vbs"));
        perform(main(), {o.open});
        QPointer<QWidget> window;
        for (QWidget* t : QApplication::topLevelWidgets())
            if (t->windowTitle() == o.title && t->isVisible())
                window = t;
        QVERIFY(window);
        auto* field = window->findChild<QLineEdit*>();
        if (field)
            field->setText(QStringLiteral("入力した名前"));
        QPointer<frmMain> closing = main();
        bool aliveAfterExit = false;
        QTimer::singleShot(0, closing, [closing, o] {
            o.byMenu ? child<QAction>(closing, "mnuFileExit")->trigger() : void(closing->close());
        });
        QTimer::singleShot(300, qApp, [&] {
            aliveAfterExit = closing.isNull() && window && window->isVisible() &&
                             (!field || field->text() == QStringLiteral("入力した名前"));
            if (window) // its file was never read: closing it asks nothing
                window->close();
        });
        // The program's own loop, quitting on the last window closed; the guard ends it with 99.
        QApplication::setQuitOnLastWindowClosed(true);
        QTimer::singleShot(10000, qApp, [] { QCoreApplication::exit(99); });
        const int rc = QApplication::exec();
        QApplication::setQuitOnLastWindowClosed(false);
        QCOMPARE(rc, 0);
        QVERIFY(aliveAfterExit);
    }

private:
    frmMain* main() const { return m_bench->main; }
    QWidget* w(const QString& name) const { return child(main(), name); }
    QString status() const { return main()->statusText(); }
    // The boxes shown, by the names below; any other as it reads.
    QString boxesSeen() const
    {
        const QString encode = MainBoxes::encode("/f \"" + m_dir->path() + "/a.vbs%1\"");
        const QStringList names{"vbs", "js",      "pls",       "wsc",       "csc", "ask",
                                "run", "runMenu", "encodeVBE", "encodeJSE", "new", "newMenu"};
        const QStringList boxes({box(0, "", "VBScriptを作成します"), box(0, "", "JavaScriptを作成します"),
                                 box(0, "", "PerlScriptを作成します"),
                                 box(64, "Quillet", "GUI版のWSCRIPT.EXEを使ってスクリプトを実行します"),
                                 box(64, "Quillet", "スクリプトの実行にコンソール版のCSCRIPT.EXEを使います"),
                                 box(4, "ﾌｧｲﾙの編集", "ﾌｧｲﾙが選択されていません。\r\n新規ﾌｧｲﾙを作成しますか"),
                                 MainBoxes::run(), MainBoxes::runMenu(), encode.arg(".VBE"),
                                 encode.arg(".JSE"), MainBoxes::newScript(), MainBoxes::newScriptMenu()});
        QStringList seen;
        for (const QString& b : m_f.dialogs.described())
            seen.append(names.value(boxes.indexOf(b), b));
        return seen.join(u' ');
    }
    static QString focused() { return QApplication::focusWidget()->objectName(); }
    QStringList listed() const
    {
        QStringList rows;
        const QAbstractItemModel* model = child<QListView>(main(), "fldFileList")->model();
        for (int i = 0; i < model->rowCount(); ++i)
            rows.append(model->index(i, 0).data().toString());
        return rows;
    }
    FakeServices m_f;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TestBench> m_bench;
};

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false); // the suite outlives the windows it closes
    installInterfaceFonts();
    tst_frmMain t;
    return QTest::qExec(&t, argc, argv);
}
#include "tst_frmMain.moc"
