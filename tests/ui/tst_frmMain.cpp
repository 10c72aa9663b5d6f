#include "Fonts.h"
#include "Palettes.h"
#include "TestBench.h"
#include "TestFiles.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCursor>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>

// The main window as a user meets it: its texts, hints, keyboard and screen-reader access, and
// which action each button and menu entry starts, once; what the actions do is the workbench's.
class tst_frmMain : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void texts();
    void startsOnTheDriveListsHintThenTabs();
    void hints_data();
    void hints();
    void hintSequences();
    void popupsKeepTheHint_data();
    void popupsKeepTheHint();
    void driveList();
    void previewIsReadableInAnyTheme();
    void choices_data();
    void choices();
    void actions_data();
    void actions();
    void runShowsThatItIsStarting();
    void exitKeepsOtherWindowsAlive_data();
    void exitKeepsOtherWindowsAlive();

private:
    frmMain* main() const { return m_bench->main; }
    QWidget* w(const QString& name) const { return child(main(), name); }
    QString status() const { return main()->statusText(); }
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

namespace {
const QString Idle = QStringLiteral("Quillet Ver. 0.3.0");
const QString RunHint = QStringLiteral("選択したﾌｧｲﾙを実行します");
const QString EditHint = QStringLiteral("選択したﾌｧｲﾙを編集します");
const QString DriveHint = QStringLiteral("編集・実行するﾌｧｲﾙのあるﾄﾞﾗｲﾌﾞを選択します");

// A button or menu entry used, and what the user saw: boxes but the kind's and host's (%1: the
// folder), command lines, the file list.
struct Action {
    QString chosen; // the script chosen before; empty: none
    QStringList steps;
    QList<int> answers; // to the message boxes, in order
    QStringList boxes, launched, listed;
};

// Runs the application's event loop as the program does, with quit on the last window
// closed, until it quits by itself (0) or the guard ends it (99).
int runUntilQuit()
{
    QApplication::setQuitOnLastWindowClosed(true);
    QTimer::singleShot(10000, qApp, [] { QCoreApplication::exit(99); });
    const int rc = QApplication::exec();
    QApplication::setQuitOnLastWindowClosed(false);
    return rc;
}
} // namespace

void tst_frmMain::init()
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

void tst_frmMain::cleanup()
{
    m_bench.reset();
    QDir::setCurrent(QDir::tempPath());
    m_dir.reset();
}

// What each control, the window and the menus show, and what a screen reader names them.
void tst_frmMain::texts()
{
    QStringList seen{main()->windowTitle()};
    for (const char* name :
         {"btnNew", "btnEdit", "btnRun", "btnEncode", "btnOption", "cWSC", "cCsc", "selJS", "selVBS",
          "selPls", "Frame1", "CInterp", "fldDrive", "fldDir", "fldFileList", "fldViewSrc", "sbMain"}) {
        const QWidget* c = w(name);
        const QVariant text = c->property("text").isValid() ? c->property("text") : c->property("title");
        seen.append(
            QStringLiteral("%1 %2 %3").arg(QLatin1String(name), text.toString(), c->accessibleName()));
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
void tst_frmMain::startsOnTheDriveListsHintThenTabs()
{
    TestBench bench(m_f);
    frmMain unshown(bench.workbench);
    QCOMPARE(unshown.statusText(), QStringLiteral("Quillet Ver.0.3.0"));
    QVERIFY(!unshown.windowIcon().isNull());
    QCOMPARE(QApplication::focusWidget(), w("fldDrive"));
    QCOMPARE(status(), DriveHint);
    QVERIFY(child<QRadioButton>(main(), "selVBS")->isChecked() &&
            child<QRadioButton>(main(), "cWSC")->isChecked());
    QStringList order{QApplication::focusWidget()->objectName()};
    for (int i = 0; i < 11; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order.append(QApplication::focusWidget()->objectName());
    }
    // One stop per option group: its selected button.
    QCOMPARE(order, (QStringList{"fldDrive", "fldDir", "fldFileList", "fldViewSrc", "btnOption", "btnRun",
                                 "btnEdit", "btnNew", "selVBS", "cWSC", "btnEncode", "fldDrive"}));
    // Within a group the arrow keys move the selection, and the tab stop with it.
    perform(main(), {"key:selVBS:Right"});
    QCOMPARE(QApplication::focusWidget(), w("selPls"));
    QTest::keyClick(w("selPls"), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), w("cWSC"));
    QTest::keyClick(w("cWSC"), Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget(), w("selPls"));
}

void tst_frmMain::hints_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("onFocus"); // empty: gaining the focus changes nothing
    QTest::addColumn<bool>("idleOnLoss");
    QTest::addColumn<QString>("onMouse"); // empty: nothing; "<idle>": the idle text
    auto row = [](const char* name, const char* onFocus, bool idleOnLoss, const char* onMouse) {
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromUtf8(onFocus) << idleOnLoss
                            << QString::fromUtf8(onMouse);
    };
    row("btnNew", "選択したﾌｫﾙﾀﾞにVOXﾌｧｲﾙを新規作成し編集をします", true,
        "選択したﾌｫﾙﾀﾞにWSHﾌｧｲﾙを新規作成し編集をします");
    row("btnEdit", "選択したﾌｧｲﾙを編集します", true, "選択したﾌｧｲﾙを編集します");
    row("btnRun", "選択したﾌｧｲﾙを実行します", true, "選択したﾌｧｲﾙを実行します");
    row("btnEncode", "", false, "スクリプトファイルのエンコードを実行します");
    row("btnOption", "ｵﾌﾟｼｮﾝの設定をします", true, "ｵﾌﾟｼｮﾝの設定をします");
    row("cWSC", "", true, "GUI版のWSCRIPT.EXEをインタープリタに使います");
    row("cCsc", "", true, "コマンドライン版のCSCRIPT.EXEをインタープリタに使います");
    row("Frame1", "", false, "VBS、JScript、PerlScriptのどれかを選択してください");
    row("selJS", "", false, "");
    row("selVBS", "", false, "");
    row("selPls", "", false, "");
    row("CInterp", "", false, "");
    row("fldDrive", "編集・実行するﾌｧｲﾙのあるﾄﾞﾗｲﾌﾞを選択します", true, "");
    row("fldDir", "VOXﾌｧｲﾙのあるﾌｫﾙﾀﾞを選択します", true, "スクリプトファイルのあるフォルダを選択します");
    row("fldFileList", "編集・実行するﾌｧｲﾙをﾘｽﾄから選択します", true,
        "編集・実行するﾌｧｲﾙをﾘｽﾄから選択します");
    row("fldViewSrc", "", true, "ここにはｽｸﾘﾌﾟﾄのｿｰｽが表示されます");
    row("frmMainClient", "", false, ""); // the bare background
    row("sbMain", "", false, "<idle>");
}

// Each hint as the status bar shows it, and as a screen reader reads it out: the mouse's
// hint, else the focus's.
void tst_frmMain::hints()
{
    QFETCH(QString, name);
    QFETCH(QString, onFocus);
    QFETCH(bool, idleOnLoss);
    QFETCH(QString, onMouse);
    QWidget* c = w(name);
    const QString start = QStringLiteral("START");
    if (c->focusPolicy() != Qt::NoFocus && !qobject_cast<QGroupBox*>(c) && c != w("frmMainClient")) {
        // selPls has no hints at all: a neutral place to come from and go to.
        QWidget* neutral = w(name == QLatin1String("selPls") ? "selJS" : "selPls");
        neutral->setFocus(Qt::TabFocusReason);
        main()->setStatusText(start);
        c->setFocus(Qt::TabFocusReason);
        QCOMPARE(status(), onFocus.isEmpty() ? start : onFocus);
        main()->setStatusText(start);
        neutral->setFocus(Qt::TabFocusReason);
        QCOMPARE(status(), idleOnLoss ? Idle : start);
    }
    // A point of the control that no child covers: frames are entered at their border.
    const QPoint at = qobject_cast<QGroupBox*>(c) ? QPoint(c->width() - 3, c->height() - 3)
                      : c == w("frmMainClient")   ? QPoint(180, 300)
                                                  : c->rect().center();
    QTest::mouseMove(w("frmMainClient"), QPoint(180, 300));
    main()->setStatusText(start);
    QTest::mouseMove(c, at);
    QTest::qWait(20);
    QCOMPARE(status(), onMouse == QStringLiteral("<idle>") ? Idle : onMouse.isEmpty() ? start : onMouse);
    if (name.startsWith(QStringLiteral("sb")) || name.startsWith(QStringLiteral("frm")))
        return;
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(c);
    QVERIFY(a);
    QCOMPARE(a->text(QAccessible::Description), onMouse.isEmpty() ? onFocus : onMouse);
}

// The edge cases of the hints in sequence: what the status bar is given, in order.
void tst_frmMain::hintSequences()
{
    QSignalSpy spy(main(), &frmMain::statusTextSet);
    auto seen = [&spy] {
        QStringList texts;
        for (const auto& args : spy)
            texts.append(args.first().toString());
        spy.clear();
        return texts;
    };
    // Tabbing from 実 行 to 編 集 passes the idle text; on into a control without a focus
    // hint, the idle text stays.
    w("btnRun")->setFocus(Qt::TabFocusReason);
    seen();
    QTest::keyClick(w("btnRun"), Qt::Key_Tab);
    QCOMPARE(seen(), (QStringList{Idle, EditHint}));
    w("selVBS")->setFocus(Qt::TabFocusReason);
    QCOMPARE(status(), Idle);
    // The mouse leaves 実 行's hint over the background, until it reaches the status bar.
    QTest::mouseMove(w("btnRun"));
    QTest::mouseMove(w("frmMainClient"), QPoint(180, 300));
    QCOMPARE(status(), RunHint);
    QTest::mouseMove(w("sbMain"), QPoint(300, 10));
    QCOMPARE(status(), Idle);
    // Another window taking the focus.
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

void tst_frmMain::popupsKeepTheHint_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("popup"); // a menu of the menu bar, or "drop-down"
    QTest::addColumn<QString>("hint");
    QTest::newRow("the File menu over 実 行") << "btnRun"
                                              << "mnuFile" << RunHint;
    QTest::newRow("the drive list's own drop-down") << "fldDrive"
                                                    << "drop-down" << DriveHint;
}

// The control keeps the focus while a popup is open, and so its hint.
void tst_frmMain::popupsKeepTheHint()
{
    QFETCH(QString, control);
    QFETCH(QString, popup);
    QFETCH(QString, hint);
    QWidget* c = w(control);
    c->setFocus(Qt::TabFocusReason);
    QWidget* shown = nullptr;
    if (auto* list = qobject_cast<QComboBox*>(c); list && popup == QLatin1String("drop-down")) {
        list->showPopup();
        shown = list->view()->window();
    } else {
        auto* menu = child<QMenu>(main(), popup);
        main()->menuBar()->setActiveAction(menu->menuAction());
        shown = menu;
    }
    QVERIFY(QTest::qWaitForWindowExposed(shown));
    QTRY_COMPARE(QApplication::activePopupWidget(), shown);
    QCOMPARE(status(), hint);
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
    QTRY_VERIFY(!shown->isVisible());
    // A menu closed by its key leaves the menu bar ready for the keyboard; one more leaves it.
    if (QApplication::focusWidget() == main()->menuBar())
        QTest::keyClick(main()->menuBar(), Qt::Key_Escape);
    QCOMPARE(QApplication::focusWidget(), c);
    QCOMPARE(status(), hint);
    // Leaving the control for another is a real loss.
    w("selVBS")->setFocus(Qt::TabFocusReason);
    QCOMPARE(status(), Idle);
}

// What a screen reader reads of the drive list; choosing a volume shows its scripts.
void tst_frmMain::driveList()
{
    auto* list = child<QComboBox>(main(), "fldDrive");
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(list);
    QVERIFY(a && a->actionInterface());
    QCOMPARE(a->role(), QAccessible::ComboBox);
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
void tst_frmMain::previewIsReadableInAnyTheme()
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
        const QColor text = ink(shot, grey);
        QVERIFY2(contrast(text, grey) >= 4.5, qPrintable(text.name()));
    }
}

void tst_frmMain::choices_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QString>("commentMark");
    QTest::addColumn<QString>("interpreter");
    QTest::addColumn<QStringList>("checked"); // the menu entries with a check mark, the buttons selected
    const QString vbs = box(0, "", "VBScriptを作成します"), js = box(0, "", "JavaScriptを作成します"),
                  pls = box(0, "", "PerlScriptを作成します");
    const QString wsc = box(64, "Quillet", "GUI版のWSCRIPT.EXEを使ってスクリプトを実行します"),
                  csc = box(64, "Quillet", "スクリプトの実行にコンソール版のCSCRIPT.EXEを使います");
    auto row = [](const char* name, const QStringList& steps, const QStringList& boxes, const QString& mark,
                  const QString& host, const QStringList& checked) {
        QTest::newRow(name) << steps << boxes << mark << host << checked;
    };
    row("nothing chosen yet", {}, {}, "", "", {"selVBS", "cWSC"});
    row("JS button: box, mark, menu untouched", {"click:selJS"}, {js}, "// ", "", {"selJS", "cWSC"});
    row("PerlScript from the menu", {"menu:mnuToolScrPLS"}, {pls}, "# ", "",
        {"mnuToolScrPLS", "selPls", "cWSC"});
    row("both hosts from the menu, the last one holds", {"menu:mnuToolIpriWSCR", "menu:mnuToolIpriCSCR"},
        {wsc, csc}, "", "CSCRIPT.EXE", {"mnuToolIpriCSCR", "selVBS", "cCsc"});
    row("menu JS, then VBS button: the mark stays on JS", {"menu:mnuToolScrJS", "click:selVBS"}, {js, vbs},
        "' ", "", {"mnuToolScrJS", "selVBS", "cWSC"});
    row("the rows shown selected at start can be made effective", {"click:selVBS", "click:cWSC"}, {vbs, wsc},
        "' ", "WSCRIPT.EXE", {"selVBS", "cWSC"});
    row("the same menu entry twice confirms twice and keeps its mark",
        {"menu:mnuToolScrJS", "menu:mnuToolScrJS"}, {js, js}, "// ", "", {"mnuToolScrJS", "selJS", "cWSC"});
    row("menu marks move within a submenu only",
        {"menu:mnuToolScrJS", "menu:mnuToolIpriCSCR", "menu:mnuToolScrVBS"}, {js, csc, vbs}, "' ",
        "CSCRIPT.EXE", {"mnuToolIpriCSCR", "mnuToolScrVBS", "selVBS", "cCsc"});
    row("arrow key within the kind group", {"key:selVBS:Right"}, {pls}, "# ", "", {"selPls", "cWSC"});
    row("screen reader's Toggle on JS: box and mark, once", {"toggle:selJS"}, {js}, "// ", "",
        {"selJS", "cWSC"});
    row("screen reader's Press on CSCRIPT.EXE", {"press:cCsc"}, {csc}, "", "CSCRIPT.EXE", {"selVBS", "cCsc"});
    row("Toggle on the selected VBS changes nothing", {"toggle:selVBS"}, {}, "", "", {"selVBS", "cWSC"});
    row("UI automation selects Perl, then WSCRIPT.EXE is confirmed", {"set:selPls", "set:cCsc", "click:cWSC"},
        {pls, csc, wsc}, "# ", "WSCRIPT.EXE", {"selPls", "cWSC"});
}

void tst_frmMain::choices()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, boxes);
    QFETCH(QString, commentMark);
    QFETCH(QString, interpreter);
    QFETCH(QStringList, checked);
    perform(main(), steps);
    QCOMPARE(m_f.dialogs.described(), boxes);
    QCOMPARE(m_bench->workbench.commentMark(), commentMark);
    QCOMPARE(m_bench->workbench.interpreter(), interpreter);
    QStringList shown;
    for (const char* e : {"mnuToolIpriCSCR", "mnuToolIpriWSCR", "mnuToolScrJS", "mnuToolScrPLS",
                          "mnuToolScrVBS", "selJS", "selVBS", "selPls", "cWSC", "cCsc"})
        if (child<QObject>(main(), e)->property("checked").toBool())
            shown.append(e);
    QCOMPARE(shown, checked);
    QVERIFY(m_f.launcher.lines.isEmpty());
}

// Each button and menu entry starts its own action, with the kind of the selected option
// button; the new script appears in the file list.
void tst_frmMain::actions_data()
{
    QTest::addColumn<Action>("c");
    const QString run = MainBoxes::run(), runMenu = MainBoxes::runMenu();
    const QString encode = MainBoxes::encode("/f \"%1/a.vbs%2\"");
    const QString newFile = MainBoxes::newScript(), newMenu = MainBoxes::newScriptMenu();
    const QString ask = box(4, "ﾌｧｲﾙの編集", "ﾌｧｲﾙが選択されていません。\r\n新規ﾌｧｲﾙを作成しますか");
    auto row = [](const char* name, const Action& c) { QTest::newRow(name) << c; };
    row("実 行", Action("a.vbs", {"click:btnRun"}, {}, {run}, {"1|WSCRIPT.EXE \"%1/a.vbs\""}, {"a.vbs"}));
    row("実行(&R): the menu's own wording",
        Action("a.vbs", {"menu:mnuFileRun"}, {}, {runMenu}, {"1|WSCRIPT.EXE \"%1/a.vbs\""}, {"a.vbs"}));
    row("エンコード right after start: .VBE",
        Action("a.vbs", {"click:btnEncode"}, {}, {encode.arg("%1", ".VBE")},
               {"1|\"/opt/enc\" \"%1/a.vbs\" /f \"%1/a.vbs.VBE\""}, {"a.vbs"}));
    row("エンコード(&E) with JS selected: .JSE",
        Action("a.vbs", {"click:selJS", "menu:mnuFileEncode"}, {}, {encode.arg("%1", ".JSE")},
               {"1|\"/opt/enc\" \"%1/a.vbs\" /f \"%1/a.vbs.JSE\""}, {"a.vbs"}));
    row("新規作成 in the shown folder, listed at once",
        Action("", {"click:selJS", "click:btnNew"}, {}, {newFile}, {"1|notepad.exe %1/NewFile.js"},
               {"NewFile.js"}));
    row("新規作成(&N): the menu's own wording", Action("", {"click:selPls", "menu:mnuFileNew"}, {}, {newMenu},
                                                       {"1|notepad.exe %1/NewFile.pls"}, {"NewFile.pls"}));
    row("the kind of the selected button, not of the menu's mark",
        Action("", {"menu:mnuToolScrJS", "click:selVBS", "click:btnNew"}, {}, {newFile},
               {"1|notepad.exe %1/NewFile.vbs"}, {"NewFile.vbs"}));
    row("編 集", Action("a.vbs", {"click:btnEdit"}, {}, {}, {"1|notepad.exe %1/a.vbs"}, {"a.vbs"}));
    row("編 集 with nothing chosen, Yes: the button's New",
        Action("", {"click:selVBS", "click:btnEdit"}, {MsgResult::Ok, MsgResult::Yes}, {ask, newFile},
               {"1|notepad.exe %1/NewFile.vbs"}, {"NewFile.vbs"}));
    row("開く(&O) with nothing chosen",
        Action("", {"menu:mnuFileOpen"}, {}, {}, {"1|notepad.exe ﾌｧｲﾙが選択されていません"}, {}));
}

void tst_frmMain::actions()
{
    QFETCH(Action, c);
    const QString folder = m_dir->path();
    m_f.settings.setOption(QStringLiteral("Encoder"), QStringLiteral("/opt/enc"));
    if (!c.chosen.isEmpty()) {
        QVERIFY(writeFile(folder + u'/' + c.chosen, "MsgBox 1\r\n"));
        m_bench->showMain(); // lists the new file
        main()->selectScript(c.chosen);
    }
    m_f.dialogs.inputAnswers = {FakeDialogs::AcceptDefault};
    m_f.dialogs.msgAnswers = c.answers;
    perform(main(), c.steps);
    QStringList shown = m_f.dialogs.described();
    // The option buttons' own boxes are asserted elsewhere.
    shown.removeIf([](const QString& b) {
        return b.startsWith(QStringLiteral("MsgBox|0||")) || b.endsWith(QStringLiteral("を使います"));
    });
    for (QString& b : c.boxes)
        b.replace(QStringLiteral("%1"), folder);
    for (QString& l : c.launched)
        l.replace(QStringLiteral("%1"), folder);
    QCOMPARE(shown, c.boxes);
    QCOMPARE(m_f.launcher.lines, c.launched);
    QCOMPARE(listed(), c.listed);
}

// A busy cursor from the click until the host's process is up or gone; the status bar is
// the main window's own and says what it said.
void tst_frmMain::runShowsThatItIsStarting()
{
    QProcess slow; // a host whose process never gets going
    slow.start(QStringLiteral("sleep"), {QStringLiteral("30")});
    QVERIFY(slow.waitForStarted());
    m_f.launcher.result.pid = slow.processId();
    m_bench->workbench.selectFile(QStringLiteral("/s/a.vbs"));
    m_f.dialogs.inputAnswers = {QStringLiteral("No CommLine")};
    perform(main(), {"click:btnRun"});
    QCOMPARE(m_f.launcher.lines, QStringList{"1|WSCRIPT.EXE \"/s/a.vbs\""});
    QVERIFY(QGuiApplication::overrideCursor());
    QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::BusyCursor);
    QTest::qWait(300);
    QVERIFY(QGuiApplication::overrideCursor());
    QCOMPARE(status(), RunHint);
    slow.kill();
    slow.waitForFinished();
    QTRY_VERIFY(!QGuiApplication::overrideCursor());
}

void tst_frmMain::exitKeepsOtherWindowsAlive_data()
{
    QTest::addColumn<QString>("open");  // what opens the other window
    QTest::addColumn<QString>("title"); // its title
    QTest::addColumn<bool>("byMenu");   // 終了(&X), else the title bar's close
    QTest::newRow("options dialog, exit")
        << QStringLiteral("click:btnOption") << QStringLiteral("ｵﾌﾟｼｮﾝ設定") << true;
    QTest::newRow("options from the menu, title bar")
        << QStringLiteral("menu:mnuToolOption") << QStringLiteral("ｵﾌﾟｼｮﾝ設定") << false;
    QTest::newRow("About box, title bar")
        << QStringLiteral("menu:mnuHelpAbout") << QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報") << false;
    QTest::newRow("editor, exit") << QStringLiteral("click:btnEdit") << QStringLiteral("スクリプトの編集")
                                  << true;
}

// The real windows: each stays open with what was typed into it, and the program ends
// only when it is closed too.
void tst_frmMain::exitKeepsOtherWindowsAlive()
{
    QFETCH(QString, open);
    QFETCH(QString, title);
    QFETCH(bool, byMenu);
    m_f.settings.setOption(QStringLiteral("Editor"), QStringLiteral("System"));
    m_bench->showMain();
    m_bench->workbench.selectFile(QStringLiteral("/nonexistent/a.vbs"));
    perform(main(), {open});
    QWidget* other = nullptr;
    for (QWidget* t : QApplication::topLevelWidgets())
        if (t->windowTitle() == title && t->isVisible())
            other = t;
    QVERIFY(other);
    auto* field = other->findChild<QLineEdit*>();
    if (field)
        field->setText(QStringLiteral("入力した名前"));
    QPointer<QWidget> window = other;
    QPointer<frmMain> closing = main();
    bool aliveAfterExit = false;
    QTimer::singleShot(0, closing, [closing, byMenu] {
        if (byMenu)
            child<QAction>(closing, "mnuFileExit")->trigger();
        else
            closing->close();
    });
    QTimer::singleShot(300, qApp, [&] {
        aliveAfterExit = closing.isNull() && window && window->isVisible() &&
                         (!field || field->text() == QStringLiteral("入力した名前"));
        // The editor's file was never read: closing it asks nothing of what was not typed.
        if (window)
            window->close();
    });
    QCOMPARE(runUntilQuit(), 0);
    QVERIFY(aliveAfterExit);
}

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false); // the suite outlives the windows it closes
    installInterfaceFonts();
    tst_frmMain t;
    return QTest::qExec(&t, argc, argv);
}
#include "tst_frmMain.moc"
