#include "Fonts.h"
#include "Palettes.h"
#include "TestBench.h"
#include "WorkbenchTexts.h"
#include "frmMainTexts.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

namespace T = frmMainText;
namespace W = WorkbenchText;

class tst_frmMain : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void loadsOnFirstStart();
    void loadTakesStoredAndFailedSettings();
    void helpFileAtTheRootHasADoubledSeparator();
    void controls_data();
    void controls();
    void menus();
    void showsWithFocusOnTheDriveList();
    void tabOrder();
    void focusHints_data();
    void focusHints();
    void mouseHints_data();
    void mouseHints();
    void tabbingFromRunToEditPassesTheIdleText();
    void mouseLeavesHintsUntilTheStatusBar();
    void losingTheWindowRestoresTheIdleText();
    void hintsAreAccessibleDescriptions_data();
    void hintsAreAccessibleDescriptions();
    void driveListIsNamedForWhatItChooses();
    void previewIsReadableInAnyTheme_data();
    void previewIsReadableInAnyTheme();
    void popupsKeepTheHint_data();
    void popupsKeepTheHint();
    void menuEntriesLeaveTheStatusBarAlone();
    void exitKeepsOtherWindowsAlive_data();
    void exitKeepsOtherWindowsAlive();
    void titleBarCloseEndsTheProgram();

private:
    frmMain* newMain();
    frmMain* showMain();
    template <class W = QWidget> W* child(const char* name)
    {
        return m_main->findChild<W*>(QLatin1String(name));
    }
    FakeServices m_fakes;
    std::unique_ptr<TestBench> m_bench;
    frmMain* m_main = nullptr;
};

// A main window over a workbench of its own.
frmMain* tst_frmMain::newMain()
{
    m_bench = std::make_unique<TestBench>(m_fakes);
    return new frmMain(m_bench->workbench);
}

void tst_frmMain::init()
{
    m_fakes.settings.values.clear();
    m_fakes.settings.log.clear();
    m_fakes.settings.failReads = false;
    m_main = newMain();
}

void tst_frmMain::cleanup()
{
    delete m_main;
    m_main = nullptr;
    m_bench.reset();
}

frmMain* tst_frmMain::showMain()
{
    m_main->show();
    QApplication::setActiveWindow(m_main);
    if (!QTest::qWaitForWindowActive(m_main))
        qWarning("main window not active");
    return m_main;
}

void tst_frmMain::loadsOnFirstStart()
{
    QCOMPARE(m_fakes.settings.log, (QStringList{"read Editor", "read UserName"}));
    QCOMPARE(m_bench->workbench.editorPath(), QStringLiteral("notepad.exe"));
    QCOMPARE(m_bench->workbench.userName(), QStringLiteral("No User Name"));
    QCOMPARE(m_bench->workbench.idleStatusText(), QStringLiteral("Quillet Ver. 0.3.0"));
    QVERIFY(m_bench->workbench.selectedFile().isEmpty());
    QVERIFY(m_bench->workbench.commentMark().isEmpty());
    QVERIFY(m_bench->workbench.interpreter().isEmpty());
    QCOMPARE(m_main->statusText(), QStringLiteral("Quillet Ver.0.3.0"));
    QCOMPARE(m_main->windowTitle(), QStringLiteral("Quillet"));
    QCOMPARE(m_main->helpFile(), QDir::currentPath() + QStringLiteral("/quillet.chm"));
    QVERIFY(!m_main->windowIcon().isNull());
    // The window takes the client size of its design, below its menu bar.
    QCOMPARE(m_main->centralWidget()->size(), QSize(642, 413));
}

void tst_frmMain::loadTakesStoredAndFailedSettings()
{
    delete m_main;
    m_fakes.settings.values.insert(QStringLiteral("Quillet/Option/Editor"), QStringLiteral("System"));
    m_fakes.settings.values.insert(QStringLiteral("Quillet/Option/UserName"), QString());
    m_main = newMain();
    QCOMPARE(m_bench->workbench.editorPath(), QStringLiteral("System"));
    QCOMPARE(m_bench->workbench.userName(), QString());

    delete m_main;
    m_fakes.settings.failReads = true;
    m_main = newMain();
    QCOMPARE(m_bench->workbench.editorPath(), QStringLiteral("Error"));
    QCOMPARE(m_bench->workbench.userName(), QStringLiteral("Error"));
}

void tst_frmMain::helpFileAtTheRootHasADoubledSeparator()
{
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(QStringLiteral("/")));
    TestBench bench(m_fakes);
    frmMain atRoot(bench.workbench);
    QDir::setCurrent(before);
    QCOMPARE(atRoot.helpFile(), QStringLiteral("//quillet.chm"));
}

void tst_frmMain::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("parentName");
    QTest::addColumn<QRect>("twips");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("helpTopic");
    auto row = [](const char* name, const char* parent, QRect r, const QString& caption, int topic) {
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(parent) << r << caption
                            << topic;
    };
    row("fldDrive", "frmMainClient", {120, 0, 2535, 300}, T::NameDrive, 230);
    row("fldDir", "frmMainClient", {120, 360, 2535, 2610}, T::NameDir, 260);
    row("fldFileList", "frmMainClient", {120, 3000, 2535, 3150}, T::NameFileList, 250);
    row("fldViewSrc", "frmMainClient", {2760, 1320, 6735, 4815}, T::NameViewSrc, 0);
    row("btnNew", "frmMainClient", {2760, 0, 1215, 495}, "新規作成", 270);
    row("btnEdit", "frmMainClient", {4200, 0, 1095, 495}, "編 集", 240);
    row("btnRun", "frmMainClient", {5520, 0, 1095, 495}, "実 行", 280);
    row("btnEncode", "frmMainClient", {6840, 0, 1215, 495}, "エンコード", 320);
    row("btnOption", "frmMainClient", {8280, 0, 1215, 495}, "オプション", 320);
    row("CInterp", "frmMainClient", {2760, 600, 4095, 615}, T::NameInterp, 0);
    row("cWSC", "CInterp", {240, 240, 1815, 255}, "WSCRIPT.EXE", 0);
    row("cCsc", "CInterp", {2160, 240, 1695, 255}, "CSCRIPT.EXE", 0);
    row("Frame1", "frmMainClient", {6960, 600, 2535, 615}, "スクリプトの種類", 0);
    row("selJS", "Frame1", {120, 240, 615, 255}, "JS", 0);
    row("selVBS", "Frame1", {840, 240, 735, 255}, "VBS", 0);
    row("selPls", "Frame1", {1680, 240, 735, 255}, "Perl", 0);
}

void tst_frmMain::controls()
{
    QFETCH(QString, name);
    QFETCH(QString, parentName);
    QFETCH(QRect, twips);
    QFETCH(QString, caption);
    QFETCH(int, helpTopic);
    QWidget* w = m_main->findChild<QWidget*>(name);
    QVERIFY(w);
    QCOMPARE(w->parentWidget()->objectName(), parentName);
    // At its place in the design, in proportion to the window: across exactly; down within
    // the few pixels that frames grow under their captions and the drive list to its font.
    const qreal scale = m_main->centralWidget()->width() / (9630 / 15.0);
    auto near = [](int actual, qreal expected, int slack) { return qAbs(actual - expected) <= slack; };
    const QRect g = w->geometry();
    QVERIFY2(near(g.x(), twips.x() * scale / 15, 1) && near(g.width(), twips.width() * scale / 15, 1) &&
                 near(g.y(), twips.y() * scale / 15, 6) && near(g.height(), twips.height() * scale / 15, 8),
             qPrintable(QStringLiteral("%1,%2 %3x%4").arg(g.x()).arg(g.y()).arg(g.width()).arg(g.height())));
    QCOMPARE(w->accessibleName(), caption);
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        QCOMPARE(b->text(), caption);
    QCOMPARE(w->property("helpTopic").toInt(), helpTopic);
    if (name == QLatin1String("selVBS") || name == QLatin1String("cWSC"))
        QVERIFY(qobject_cast<QAbstractButton*>(w)->isChecked());
}

void tst_frmMain::menus()
{
    QStringList seen;
    std::function<void(QMenu*, int)> walk = [&](QMenu* menu, int depth) {
        seen.append(QString(depth, u'>') + menu->objectName() + u' ' + menu->title());
        for (QAction* a : menu->actions()) {
            QVERIFY2(!a->isCheckable() || !a->isChecked(), qPrintable(a->objectName()));
            QVERIFY2(a->isEnabled(), qPrintable(a->objectName()));
            if (a->menu())
                walk(a->menu(), depth + 1);
            else
                seen.append(QString(depth + 1, u'>') + a->objectName() + u' ' +
                            (a->isSeparator() ? "-" : a->text()));
        }
    };
    for (QAction* top : m_main->menuBar()->actions())
        walk(top->menu(), 0);
    const QStringList expected{
        "mnuFile ファイル(&F)",
        ">mnuFileNew 新規作成(&N)",
        ">mnuFileOpen 開く(&O)",
        ">mnuFileSep1 -",
        ">mnuFileRun 実行(&R)",
        ">mnuFileEncode エンコード(&E)",
        ">mnuFileSep2 -",
        ">mnuFileExit 終了(&X)",
        "mnuTool ツール(&T)",
        ">mnuToolScr スクリプトの種類(&S)",
        ">>mnuToolScrJS JavaScript(&J)",
        ">>mnuSept11 -",
        ">>mnuToolScrVBS VBScript(&V)",
        ">>mnnuSept12 -",
        ">>mnuToolScrPLS PerlScript(&P)",
        ">mnuToolIpri インタープリタ(&I)",
        ">>mnuToolIpriWSCR WSCRIPT.EXE(&W)",
        ">>mnuSept13 -",
        ">>mnuToolIpriCSCR CSCRIPT.EXE(&C)",
        ">mnuToolOption オプション(&O)...",
        "mnuHelp ヘルプ(&H)",
        ">mnuHelpVOXTool Quilletの使い方(&H)",
        ">mnuHelpSep1 -",
        ">mnuHelpAbout バージョン情報(&A)...",
    };
    QCOMPARE(seen, expected);
    QCOMPARE(m_main->findChild<QAction*>(QStringLiteral("mnuFileNew"))->property("helpTopic").toInt(), 270);
}

void tst_frmMain::showsWithFocusOnTheDriveList()
{
    QSignalSpy spy(m_main, &frmMain::statusTextSet);
    showMain();
    QCOMPARE(QApplication::focusWidget(), child("fldDrive"));
    QCOMPARE(m_main->statusText(), T::HintDriveFocus);
    QCOMPARE(spy.first().first().toString(), T::HintDriveFocus);
}

void tst_frmMain::tabOrder()
{
    showMain();
    QStringList order{QApplication::focusWidget()->objectName()};
    for (int i = 0; i < 11; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order.append(QApplication::focusWidget()->objectName());
    }
    // One stop per option group: its selected button.
    QCOMPARE(order, (QStringList{"fldDrive", "fldDir", "fldFileList", "fldViewSrc", "btnOption", "btnRun",
                                 "btnEdit", "btnNew", "selVBS", "cWSC", "btnEncode", "fldDrive"}));

    // Within a group the arrow keys move the selection, and the tab stop with it.
    child("selVBS")->setFocus(Qt::TabFocusReason);
    QTest::keyClick(child("selVBS"), Qt::Key_Right);
    QCOMPARE(QApplication::focusWidget(), child("selPls"));
    QVERIFY(child<QAbstractButton>("selPls")->isChecked());
    QTest::keyClick(child("selPls"), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), child("cWSC"));
    QTest::keyClick(child("cWSC"), Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget(), child("selPls"));
}

void tst_frmMain::focusHints_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("onGain"); // "" : nothing changes
    QTest::addColumn<bool>("idleOnLoss");
    QTest::newRow("btnNew") << "btnNew" << T::HintNewFocus << true;
    QTest::newRow("btnEdit") << "btnEdit" << T::HintEdit << true;
    QTest::newRow("btnRun") << "btnRun" << T::HintRun << true;
    QTest::newRow("btnEncode") << "btnEncode" << QString() << false;
    QTest::newRow("btnOption") << "btnOption" << T::HintOption << true;
    QTest::newRow("cWSC") << "cWSC" << QString() << true;
    QTest::newRow("cCsc") << "cCsc" << QString() << true;
    QTest::newRow("selJS") << "selJS" << QString() << false;
    QTest::newRow("selVBS") << "selVBS" << QString() << false;
    QTest::newRow("selPls") << "selPls" << QString() << false;
    QTest::newRow("fldDrive") << "fldDrive" << T::HintDriveFocus << true;
    QTest::newRow("fldDir") << "fldDir" << T::HintDirFocus << true;
    QTest::newRow("fldFileList") << "fldFileList" << T::HintFileList << true;
    QTest::newRow("fldViewSrc") << "fldViewSrc" << QString() << true;
}

void tst_frmMain::focusHints()
{
    QFETCH(QString, name);
    QFETCH(QString, onGain);
    QFETCH(bool, idleOnLoss);
    showMain();
    // selPls has no hints at all: a neutral place to come from and go to.
    QWidget* neutral = child(name == QLatin1String("selPls") ? "selJS" : "selPls");
    QWidget* w = m_main->findChild<QWidget*>(name);
    neutral->setFocus(Qt::TabFocusReason);
    const QString start = QStringLiteral("START");
    m_main->setStatusText(start);
    w->setFocus(Qt::TabFocusReason);
    QCOMPARE(QApplication::focusWidget(), w);
    QCOMPARE(m_main->statusText(), onGain.isEmpty() ? start : onGain);

    m_main->setStatusText(start);
    neutral->setFocus(Qt::TabFocusReason);
    QCOMPARE(m_main->statusText(), idleOnLoss ? m_bench->workbench.idleStatusText() : start);
}

void tst_frmMain::mouseHints_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text"); // "" : nothing changes
    QTest::newRow("btnNew") << "btnNew" << T::HintNewMouse;
    QTest::newRow("btnEdit") << "btnEdit" << T::HintEdit;
    QTest::newRow("btnRun") << "btnRun" << T::HintRun;
    QTest::newRow("btnEncode") << "btnEncode" << T::HintEncode;
    QTest::newRow("btnOption") << "btnOption" << T::HintOption;
    QTest::newRow("cWSC") << "cWSC" << T::HintWsc;
    QTest::newRow("cCsc") << "cCsc" << T::HintCsc;
    QTest::newRow("Frame1") << "Frame1" << T::HintFrame1;
    QTest::newRow("selJS") << "selJS" << QString();
    QTest::newRow("selVBS") << "selVBS" << QString();
    QTest::newRow("selPls") << "selPls" << QString();
    QTest::newRow("CInterp") << "CInterp" << QString();
    QTest::newRow("fldDrive") << "fldDrive" << QString();
    QTest::newRow("fldDir") << "fldDir" << T::HintDirMouse;
    QTest::newRow("fldFileList") << "fldFileList" << T::HintFileList;
    QTest::newRow("fldViewSrc") << "fldViewSrc" << T::HintViewSrc;
    QTest::newRow("background") << "frmMainClient" << QString();
    QTest::newRow("sbMain") << "sbMain" << QStringLiteral("<idle>");
}

void tst_frmMain::mouseHints()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    showMain();
    QWidget* background = child("frmMainClient");
    QWidget* w = m_main->findChild<QWidget*>(name);
    QVERIFY(w);
    // A point of the control that no child covers: frames are entered at their border.
    QPoint at = w->rect().center();
    if (name == QLatin1String("Frame1") || name == QLatin1String("CInterp"))
        at = QPoint(w->width() - 3, w->height() - 3);
    if (name == QLatin1String("frmMainClient"))
        at = QPoint(180, 300);
    QTest::mouseMove(background, QPoint(180, 300));
    const QString start = QStringLiteral("START");
    m_main->setStatusText(start);
    QTest::mouseMove(w, at);
    QTest::qWait(20);
    const QString expected = text == QLatin1String("<idle>") ? m_bench->workbench.idleStatusText()
                             : text.isEmpty()                ? start
                                                             : text;
    QCOMPARE(m_main->statusText(), expected);
}

void tst_frmMain::tabbingFromRunToEditPassesTheIdleText()
{
    showMain();
    child("btnRun")->setFocus(Qt::TabFocusReason);
    QSignalSpy spy(m_main, &frmMain::statusTextSet);
    QTest::keyClick(child("btnRun"), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), child("btnEdit"));
    QStringList seen;
    for (const auto& args : spy)
        seen.append(args.first().toString());
    QCOMPARE(seen, (QStringList{W::IdleStatus, T::HintEdit}));

    // On into a control without a focus hint: the idle text stays.
    child("selVBS")->setFocus(Qt::TabFocusReason);
    QCOMPARE(m_main->statusText(), W::IdleStatus);
}

void tst_frmMain::mouseLeavesHintsUntilTheStatusBar()
{
    showMain();
    QTest::mouseMove(child("btnRun"));
    QCOMPARE(m_main->statusText(), T::HintRun);
    QTest::mouseMove(child("frmMainClient"), QPoint(180, 300));
    QCOMPARE(m_main->statusText(), T::HintRun);
    QTest::mouseMove(child("sbMain"), QPoint(300, 10));
    QCOMPARE(m_main->statusText(), W::IdleStatus);
}

void tst_frmMain::losingTheWindowRestoresTheIdleText()
{
    showMain();
    m_main->setStatusText(QStringLiteral("START"));
    QWidget other;
    other.setWindowTitle(QStringLiteral("other"));
    other.show();
    QApplication::setActiveWindow(&other);
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QCOMPARE(m_main->statusText(), W::IdleStatus);
}

void tst_frmMain::hintsAreAccessibleDescriptions_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description"); // what the mouse's hint says, else the focus's
    QTest::newRow("btnNew") << "btnNew"
                            << "選択したﾌｫﾙﾀﾞにWSHﾌｧｲﾙを新規作成し編集をします";
    QTest::newRow("btnEdit") << "btnEdit"
                             << "選択したﾌｧｲﾙを編集します";
    QTest::newRow("btnRun") << "btnRun"
                            << "選択したﾌｧｲﾙを実行します";
    QTest::newRow("btnEncode") << "btnEncode"
                               << "スクリプトファイルのエンコードを実行します";
    QTest::newRow("btnOption") << "btnOption"
                               << "ｵﾌﾟｼｮﾝの設定をします";
    QTest::newRow("cWSC") << "cWSC"
                          << "GUI版のWSCRIPT.EXEをインタープリタに使います";
    QTest::newRow("cCsc") << "cCsc"
                          << "コマンドライン版のCSCRIPT.EXEをインタープリタに使います";
    QTest::newRow("Frame1") << "Frame1"
                            << "VBS、JScript、PerlScriptのどれかを選択してください";
    QTest::newRow("fldDrive") << "fldDrive"
                              << "編集・実行するﾌｧｲﾙのあるﾄﾞﾗｲﾌﾞを選択します";
    QTest::newRow("fldDir") << "fldDir"
                            << "スクリプトファイルのあるフォルダを選択します";
    QTest::newRow("fldFileList") << "fldFileList"
                                 << "編集・実行するﾌｧｲﾙをﾘｽﾄから選択します";
    QTest::newRow("fldViewSrc") << "fldViewSrc"
                                << "ここにはｽｸﾘﾌﾟﾄのｿｰｽが表示されます";
    QTest::newRow("a kind button has none") << "selJS"
                                            << "";
}

// What a screen reader reads out, not only what the widget holds.
void tst_frmMain::hintsAreAccessibleDescriptions()
{
    QFETCH(QString, name);
    QFETCH(QString, description);
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(m_main->findChild<QWidget*>(name));
    QVERIFY(a);
    QCOMPARE(a->text(QAccessible::Description), description);
}

void tst_frmMain::driveListIsNamedForWhatItChooses()
{
    showMain();
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(child("fldDrive"));
    QVERIFY(a);
    QCOMPARE(a->role(), QAccessible::ComboBox);
    QCOMPARE(a->text(QAccessible::Name), QStringLiteral("ドライブ"));
    QCOMPARE(a->text(QAccessible::Value), QStringLiteral("/"));
    // Its own actions still open the list.
    QVERIFY(a->actionInterface());
    a->actionInterface()->doAction(QAccessibleActionInterface::showMenuAction());
    auto* list = child<QComboBox>("fldDrive");
    QTRY_VERIFY(list->view()->isVisible());
    QVERIFY(a->state().expanded);
    list->hidePopup();
    // The other lists, for comparison: named the same way.
    QCOMPARE(QAccessible::queryAccessibleInterface(child("fldDir"))->text(QAccessible::Name),
             QStringLiteral("フォルダ"));
}

void tst_frmMain::previewIsReadableInAnyTheme_data()
{
    QTest::addColumn<bool>("dark");
    QTest::newRow("light theme") << false;
    QTest::newRow("dark theme") << true;
}

// The preview keeps the design's light grey, and so must keep dark text on it.
void tst_frmMain::previewIsReadableInAnyTheme()
{
    QFETCH(bool, dark);
    const QPalette before = QApplication::palette();
    const auto restore = qScopeGuard([&] { QApplication::setPalette(before); });
    if (dark)
        QApplication::setPalette(darkPalette());
    delete m_main;
    m_main = newMain();
    showMain();
    auto* preview = child<QPlainTextEdit>("fldViewSrc");
    preview->setPlainText(QStringLiteral("WScript.Echo \"日本語\""));
    const QImage shot = preview->viewport()->grab().toImage();
    const QColor grey(224, 224, 224);
    QCOMPARE(shot.pixelColor(shot.width() - 2, shot.height() - 2), grey);
    const QColor text = ink(shot, grey);
    QVERIFY2(contrast(text, grey) >= 4.5, qPrintable(text.name()));
}

void tst_frmMain::popupsKeepTheHint_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("popup"); // a menu of the menu bar, or "drop-down"
    QTest::addColumn<QString>("hint");
    QTest::newRow("the File menu over 実 行") << "btnRun"
                                              << "mnuFile"
                                              << "選択したﾌｧｲﾙを実行します";
    QTest::newRow("the Help menu over the file list") << "fldFileList"
                                                      << "mnuHelp"
                                                      << "編集・実行するﾌｧｲﾙをﾘｽﾄから選択します";
    QTest::newRow("the drive list's own drop-down") << "fldDrive"
                                                    << "drop-down"
                                                    << "編集・実行するﾌｧｲﾙのあるﾄﾞﾗｲﾌﾞを選択します";
}

// The control keeps the focus while a popup is open, and so its hint.
void tst_frmMain::popupsKeepTheHint()
{
    QFETCH(QString, control);
    QFETCH(QString, popup);
    QFETCH(QString, hint);
    showMain();
    QWidget* w = m_main->findChild<QWidget*>(control);
    w->setFocus(Qt::TabFocusReason);
    QCOMPARE(m_main->statusText(), hint);
    QWidget* shown = nullptr;
    if (popup == QLatin1String("drop-down")) {
        auto* list = qobject_cast<QComboBox*>(w);
        list->showPopup();
        shown = list->view()->window();
    } else {
        auto* menu = m_main->findChild<QMenu*>(popup);
        m_main->menuBar()->setActiveAction(menu->menuAction());
        shown = menu;
    }
    QVERIFY(QTest::qWaitForWindowExposed(shown));
    QTRY_COMPARE(QApplication::activePopupWidget(), shown);
    QCOMPARE(m_main->statusText(), hint);
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
    QTRY_VERIFY(!shown->isVisible());
    QCOMPARE(m_main->statusText(), hint);
    // A menu closed by its key leaves the menu bar ready for the keyboard; one more leaves it.
    if (QApplication::focusWidget() == m_main->menuBar())
        QTest::keyClick(m_main->menuBar(), Qt::Key_Escape);
    QCOMPARE(QApplication::focusWidget(), w);
    QCOMPARE(m_main->statusText(), hint);
    // Leaving the control for another is a real loss.
    m_main->findChild<QWidget*>("selVBS")->setFocus(Qt::TabFocusReason);
    QCOMPARE(m_main->statusText(), W::IdleStatus);
}

void tst_frmMain::menuEntriesLeaveTheStatusBarAlone()
{
    showMain();
    m_main->setStatusText(QStringLiteral("START"));
    QStatusTipEvent tip(QString{});
    QApplication::sendEvent(m_main, &tip);
    QCOMPARE(m_main->statusText(), QStringLiteral("START"));
    QCOMPARE(m_main->findChild<QLabel*>(QStringLiteral("sbMainText"))->isVisible(), true);
}

namespace {
// Runs the application's event loop as the program does, with quit on the last window
// closed, until it quits by itself (0) or the guard ends it (99).
int runUntilQuit(int guardMs = 10000)
{
    QApplication::setQuitOnLastWindowClosed(true);
    QTimer::singleShot(guardMs, qApp, [] { QCoreApplication::exit(99); });
    const int rc = QApplication::exec();
    QApplication::setQuitOnLastWindowClosed(false);
    return rc;
}
} // namespace

void tst_frmMain::exitKeepsOtherWindowsAlive_data()
{
    QTest::addColumn<QString>("open");  // what opens the other window
    QTest::addColumn<QString>("title"); // its title
    QTest::addColumn<bool>("byMenu");   // 終了(&X), else the title bar's close
    for (bool byMenu : {true, false}) {
        const char* how = byMenu ? "exit" : "title bar";
        QTest::addRow("options dialog, %s", how) << "btnOption"
                                                 << "ｵﾌﾟｼｮﾝ設定" << byMenu;
        QTest::addRow("About box, %s", how) << "mnuHelpAbout"
                                            << "ﾊﾞｰｼﾞｮﾝ情報" << byMenu;
        QTest::addRow("editor, %s", how) << "btnEdit"
                                         << "スクリプトの編集" << byMenu;
    }
}

// The real windows: each stays open with what was typed into it, and the program ends
// only when it is closed too.
void tst_frmMain::exitKeepsOtherWindowsAlive()
{
    QFETCH(QString, open);
    QFETCH(QString, title);
    QFETCH(bool, byMenu);
    delete m_main;
    m_fakes.settings.values.insert(QStringLiteral("Quillet/Option/Editor"), QStringLiteral("System"));
    m_main = newMain();
    showMain();
    m_bench->workbench.selectFile(QStringLiteral("/nonexistent/a.vbs"));
    if (auto* button = child<QAbstractButton>(qPrintable(open)))
        button->click();
    else
        child<QAction>(qPrintable(open))->trigger();
    QWidget* other = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->windowTitle() == title && w->isVisible())
            other = w;
    QVERIFY(other);
    auto* field = other->findChild<QLineEdit*>();
    if (field)
        field->setText(QStringLiteral("入力した名前"));
    QPointer<QWidget> window = other;
    QPointer<frmMain> main = m_main;
    m_main = nullptr;
    bool aliveAfterExit = false;
    QTimer::singleShot(0, main, [main, byMenu] {
        if (byMenu)
            main->findChild<QAction*>(QStringLiteral("mnuFileExit"))->trigger();
        else
            main->close();
    });
    QTimer::singleShot(300, qApp, [&] {
        aliveAfterExit = main.isNull() && window && window->isVisible() &&
                         (!field || field->text() == QStringLiteral("入力した名前"));
        // The editor's file was never read: closing it asks nothing of what was not typed.
        if (window)
            window->close();
    });
    QCOMPARE(runUntilQuit(), 0);
    QVERIFY(aliveAfterExit);
}

void tst_frmMain::titleBarCloseEndsTheProgram()
{
    showMain();
    QPointer<frmMain> main = m_main;
    m_main = nullptr;
    QTimer::singleShot(0, main, [main] { main->close(); });
    QCOMPARE(runUntilQuit(), 0);
    QTRY_VERIFY(main.isNull());
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
