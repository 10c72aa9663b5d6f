#include "FakePrograms.h"
#include "PosixLauncher.h"
#include "TestBench.h"
#include "WorkbenchTexts.h"
#include "frmMainTexts.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QProcess>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

namespace T = frmMainText;
namespace W = WorkbenchText;

// The kind and host choices, and the run and encode actions, as a user meets them: every box
// in order (text, flags, title), every command line launched.
class tst_ScriptActions : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void choices_data();
    void choices();
    void run_data();
    void run();
    void encode_data();
    void encode();
    void launchFailureIsReportedAndSurvived();
    void runShowsThatItIsStarting();
    void commandLinesReachThePrograms_data();
    void commandLinesReachThePrograms();

private:
    void perform(const QStringList& steps);
    template <class W = QWidget> W* child(const QString& name) { return m_main->findChild<W*>(name); }
    FakeServices m_fakes;
    std::unique_ptr<TestBench> m_bench;
    frmMain* m_main = nullptr;
};

namespace {
const QString Kinds[] = {QStringLiteral("selJS"), QStringLiteral("selVBS"), QStringLiteral("selPls"),
                         QStringLiteral("cWSC"), QStringLiteral("cCsc")};
const QString Entries[] = {QStringLiteral("mnuToolScrJS"), QStringLiteral("mnuToolScrVBS"),
                           QStringLiteral("mnuToolScrPLS"), QStringLiteral("mnuToolIpriWSCR"),
                           QStringLiteral("mnuToolIpriCSCR")};

} // namespace

void tst_ScriptActions::init()
{
    m_fakes = {};
    m_bench = std::make_unique<TestBench>(m_fakes);
    m_main = new frmMain(m_bench->workbench);
    m_main->show();
    QApplication::setActiveWindow(m_main);
    QVERIFY(QTest::qWaitForWindowActive(m_main));
}

void tst_ScriptActions::cleanup()
{
    delete m_main;
    m_main = nullptr;
    m_bench.reset();
}

// "click:name" clicks a button with the mouse, "menu:name" chooses a menu entry,
// "key:name:Right" presses an arrow key on a focused option button; "toggle:name" and
// "press:name" are a screen reader's actions on a button, "set:name" a UI automation tool
// selecting it.
void tst_ScriptActions::perform(const QStringList& steps)
{
    for (const QString& step : steps) {
        const QStringList p = step.split(u':');
        if (p[0] == QStringLiteral("click")) {
            QTest::mouseClick(child<QAbstractButton>(p[1]), Qt::LeftButton);
        } else if (p[0] == QStringLiteral("menu")) {
            child<QAction>(p[1])->trigger();
        } else if (p[0] == QStringLiteral("toggle") || p[0] == QStringLiteral("press")) {
            auto* b = child<QAbstractButton>(p[1]);
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(b);
            QVERIFY(a && a->actionInterface());
            a->actionInterface()->doAction(p[0] == QStringLiteral("toggle")
                                               ? QAccessibleActionInterface::toggleAction()
                                               : QAccessibleActionInterface::pressAction());
            QTRY_VERIFY(!b->isDown()); // a press is an animated click
        } else if (p[0] == QStringLiteral("set")) {
            child<QAbstractButton>(p[1])->setChecked(true);
        } else if (p[0] == QStringLiteral("key")) {
            QWidget* w = child(p[1]);
            w->setFocus();
            QTest::keyClick(w, p[2] == QStringLiteral("Right") ? Qt::Key_Right : Qt::Key_Left);
        }
    }
}

void tst_ScriptActions::choices_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QString>("commentMark");
    QTest::addColumn<QString>("interpreter");
    QTest::addColumn<QStringList>("checkedEntries");
    QTest::addColumn<QStringList>("selectedButtons");

    const QString q = QStringLiteral("Quillet");
    const QString vbs = box(0, {}, T::KindVbs), js = box(0, {}, T::KindJs), pls = box(0, {}, T::KindPls);
    const QString wsc = box(64, q, T::HostWsc), csc = box(64, q, T::HostCsc);

    QTest::newRow("nothing chosen yet") << QStringList{} << QStringList{} << QString() << QString()
                                        << QStringList{} << QStringList{"selVBS", "cWSC"};
    QTest::newRow("JS button: box, mark, menu untouched")
        << QStringList{"click:selJS"} << QStringList{js} << "// " << QString() << QStringList{}
        << QStringList{"selJS", "cWSC"};
    QTest::newRow("PerlScript from the menu")
        << QStringList{"menu:mnuToolScrPLS"} << QStringList{pls} << "# " << QString()
        << QStringList{"mnuToolScrPLS"} << QStringList{"selPls", "cWSC"};
    QTest::newRow("both hosts from the menu, the last one holds")
        << QStringList{"menu:mnuToolIpriWSCR", "menu:mnuToolIpriCSCR"} << QStringList{wsc, csc} << QString()
        << "CSCRIPT.EXE" << QStringList{"mnuToolIpriCSCR"} << QStringList{"selVBS", "cCsc"};
    QTest::newRow("menu JS, then VBS button: the mark stays on JS")
        << QStringList{"menu:mnuToolScrJS", "click:selVBS"} << QStringList{js, vbs} << "' " << QString()
        << QStringList{"mnuToolScrJS"} << QStringList{"selVBS", "cWSC"};
    QTest::newRow("the rows shown selected at start can be made effective")
        << QStringList{"click:selVBS", "click:cWSC"} << QStringList{vbs, wsc} << "' "
        << "WSCRIPT.EXE" << QStringList{} << QStringList{"selVBS", "cWSC"};
    QTest::newRow("the same menu entry twice confirms twice and keeps its mark")
        << QStringList{"menu:mnuToolScrJS", "menu:mnuToolScrJS"} << QStringList{js, js} << "// " << QString()
        << QStringList{"mnuToolScrJS"} << QStringList{"selJS", "cWSC"};
    QTest::newRow("menu marks move within a submenu only")
        << QStringList{"menu:mnuToolScrJS", "menu:mnuToolIpriCSCR", "menu:mnuToolScrVBS"}
        << QStringList{js, csc, vbs} << "' "
        << "CSCRIPT.EXE" << QStringList{"mnuToolScrVBS", "mnuToolIpriCSCR"} << QStringList{"selVBS", "cCsc"};
    QTest::newRow("arrow key within the kind group")
        << QStringList{"key:selVBS:Right"} << QStringList{pls} << "# " << QString() << QStringList{}
        << QStringList{"selPls", "cWSC"};
    QTest::newRow("screen reader's Toggle on JS: box and mark, once")
        << QStringList{"toggle:selJS"} << QStringList{js} << "// " << QString() << QStringList{}
        << QStringList{"selJS", "cWSC"};
    QTest::newRow("screen reader's Press on CSCRIPT.EXE")
        << QStringList{"press:cCsc"} << QStringList{csc} << QString() << "CSCRIPT.EXE" << QStringList{}
        << QStringList{"selVBS", "cCsc"};
    QTest::newRow("Toggle on the selected VBS changes nothing")
        << QStringList{"toggle:selVBS"} << QStringList{} << QString() << QString() << QStringList{}
        << QStringList{"selVBS", "cWSC"};
    QTest::newRow("Press on the selected VBS confirms it, as a click does")
        << QStringList{"press:selVBS"} << QStringList{vbs} << "' " << QString() << QStringList{}
        << QStringList{"selVBS", "cWSC"};
    QTest::newRow("UI automation selects Perl, then WSCRIPT.EXE is confirmed")
        << QStringList{"set:selPls", "set:cCsc", "click:cWSC"} << QStringList{pls, csc, wsc} << "# "
        << "WSCRIPT.EXE" << QStringList{} << QStringList{"selPls", "cWSC"};
    QTest::newRow("a click after Toggle confirms once more")
        << QStringList{"toggle:selJS", "click:selJS"} << QStringList{js, js} << "// " << QString()
        << QStringList{} << QStringList{"selJS", "cWSC"};
    QTest::newRow("host button") << QStringList{"click:cCsc"} << QStringList{csc} << QString()
                                 << "CSCRIPT.EXE" << QStringList{} << QStringList{"selVBS", "cCsc"};
}

void tst_ScriptActions::choices()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, boxes);
    QFETCH(QString, commentMark);
    QFETCH(QString, interpreter);
    QFETCH(QStringList, checkedEntries);
    QFETCH(QStringList, selectedButtons);
    perform(steps);
    QCOMPARE(m_fakes.dialogs.described(), boxes);
    QCOMPARE(m_bench->workbench.commentMark(), commentMark);
    QCOMPARE(m_bench->workbench.interpreter(), interpreter);
    QStringList checked, selected;
    for (const QString& e : Entries)
        if (child<QAction>(e)->isChecked())
            checked.append(e);
    for (const QString& k : Kinds)
        if (child<QRadioButton>(k)->isChecked())
            selected.append(k);
    checked.sort();
    checkedEntries.sort();
    selected.sort();
    selectedButtons.sort();
    QCOMPARE(checked, checkedEntries);
    QCOMPARE(selected, selectedButtons);
    QVERIFY(m_fakes.launcher.calls.isEmpty());
}

void tst_ScriptActions::run_data()
{
    QTest::addColumn<QString>("trigger"); // a step
    QTest::addColumn<QString>("interpreter");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QStringList>("launched");
    QTest::addColumn<QString>("interpreterAfter");

    const QString btn = input(W::RunTitle, W::RunPrompt, QStringLiteral("No CommLine"));
    const QString menu = input(W::RunMenuTitle, W::RunMenuPrompt, QStringLiteral("No CommLine"));
    const QString noFile = box(0, {}, W::RunNoFile);
    const QString a = QStringLiteral("/home/u/Scripts/a.vbs");
    QTest::newRow("no host yet, default accepted: the GUI host and nothing after the path")
        << "click:btnRun" << QString() << a << FakeDialogs::AcceptDefault << QStringList{btn}
        << QStringList{"1|WSCRIPT.EXE \"/home/u/Scripts/a.vbs\""} << "WSCRIPT.EXE";
    QTest::newRow("console host with arguments")
        << "click:btnRun"
        << "CSCRIPT.EXE" << a << "-t 5" << QStringList{btn}
        << QStringList{"1|CSCRIPT.EXE \"/home/u/Scripts/a.vbs\" -t 5"} << "CSCRIPT.EXE";
    QTest::newRow("menu: its own wording, a path with blanks")
        << "menu:mnuFileRun" << QString() << "/home/u/My Scripts/a b.vbs" << FakeDialogs::AcceptDefault
        << QStringList{menu} << QStringList{"1|WSCRIPT.EXE \"/home/u/My Scripts/a b.vbs\""} << "WSCRIPT.EXE";
    QTest::newRow("other case is an argument")
        << "click:btnRun" << QString() << a << "no commline" << QStringList{btn}
        << QStringList{"1|WSCRIPT.EXE \"/home/u/Scripts/a.vbs\" no commline"} << "WSCRIPT.EXE";
    QTest::newRow("one blank") << "click:btnRun" << QString() << a << " " << QStringList{btn}
                               << QStringList{"1|WSCRIPT.EXE \"/home/u/Scripts/a.vbs\"  "} << "WSCRIPT.EXE";
    QTest::newRow("cancel launches nothing") << "click:btnRun" << QString() << a << QString()
                                             << QStringList{btn} << QStringList{} << "WSCRIPT.EXE";
    QTest::newRow("no file, button: no input box") << "click:btnRun" << QString() << QString() << QString()
                                                   << QStringList{noFile} << QStringList{} << "WSCRIPT.EXE";
    QTest::newRow("no file, menu: the same message")
        << "menu:mnuFileRun"
        << "CSCRIPT.EXE" << QString() << QString() << QStringList{noFile} << QStringList{} << "CSCRIPT.EXE";
}

void tst_ScriptActions::run()
{
    QFETCH(QString, trigger);
    QFETCH(QString, interpreter);
    QFETCH(QString, file);
    QFETCH(QString, answer);
    QFETCH(QStringList, boxes);
    QFETCH(QStringList, launched);
    QFETCH(QString, interpreterAfter);
    m_bench->workbench.chooseHost(interpreter);
    m_bench->workbench.selectFile(file);
    m_fakes.dialogs.inputAnswers = {answer};
    perform({trigger});
    QCOMPARE(m_fakes.dialogs.described(), boxes);
    QCOMPARE(m_fakes.launcher.lines(), launched);
    QCOMPARE(m_bench->workbench.interpreter(), interpreterAfter);
    // The host buttons and marks are the user's alone.
    QVERIFY(child<QRadioButton>(QStringLiteral("cWSC"))->isChecked());
    QVERIFY(!child<QAction>(QStringLiteral("mnuToolIpriWSCR"))->isChecked());
}

void tst_ScriptActions::encode_data()
{
    QTest::addColumn<QString>("encoder"); // empty: not set
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QStringList>("launched");

    const QString enc = QStringLiteral("/opt/enc/screnc.exe");
    auto offer = [](const QString& def) { return input(W::EncodeTitle, W::EncodePrompt, def); };
    const QString noFile = box(0, {}, W::EncodeNoFile);
    const QString js = box(0, {}, T::KindJs), pls = box(0, {}, T::KindPls);

    QTest::newRow("no encoder set: silent, even with no file")
        << QString() << QStringList{"click:btnEncode"} << QString() << QString() << QStringList{}
        << QStringList{};
    QTest::newRow("no file") << enc << QStringList{"click:btnEncode"} << QString() << QString()
                             << QStringList{noFile} << QStringList{};
    QTest::newRow("no file, from the menu: the button's message")
        << enc << QStringList{"menu:mnuFileEncode"} << QString() << QString() << QStringList{noFile}
        << QStringList{};
    QTest::newRow("right after start: .VBE")
        << enc << QStringList{"click:btnEncode"} << "/s/a.js" << FakeDialogs::AcceptDefault
        << QStringList{offer("/f \"/s/a.js.VBE\"")}
        << QStringList{"1|\"/opt/enc/screnc.exe\" \"/s/a.js\" /f \"/s/a.js.VBE\""};
    QTest::newRow("JavaScript, default accepted")
        << enc << QStringList{"click:selJS", "click:btnEncode"} << "/s/a.js" << FakeDialogs::AcceptDefault
        << QStringList{js, offer("/f \"/s/a.js.JSE\"")}
        << QStringList{"1|\"/opt/enc/screnc.exe\" \"/s/a.js\" /f \"/s/a.js.JSE\""};
    QTest::newRow("PerlScript from the menu, from the File menu")
        << enc << QStringList{"menu:mnuToolScrPLS", "menu:mnuFileEncode"} << "/s/my dir/b.pls"
        << FakeDialogs::AcceptDefault << QStringList{pls, offer("/f \"/s/my dir/b.pls.PLE\"")}
        << QStringList{"1|\"/opt/enc/screnc.exe\" \"/s/my dir/b.pls\" /f \"/s/my dir/b.pls.PLE\""};
    QTest::newRow("No CommLine: the source alone")
        << enc << QStringList{"click:btnEncode"} << "/s/a.vbs"
        << "No CommLine" << QStringList{offer("/f \"/s/a.vbs.VBE\"")}
        << QStringList{"1|\"/opt/enc/screnc.exe\" \"/s/a.vbs\""};
    QTest::newRow("a typed answer replaces the output name")
        << enc << QStringList{"click:btnEncode"} << "/s/a.vbs"
        << "/e vbs" << QStringList{offer("/f \"/s/a.vbs.VBE\"")}
        << QStringList{"1|\"/opt/enc/screnc.exe\" \"/s/a.vbs\" /e vbs"};
    QTest::newRow("cancel") << enc << QStringList{"click:btnEncode"} << "/s/a.vbs" << QString()
                            << QStringList{offer("/f \"/s/a.vbs.VBE\"")} << QStringList{};
    QTest::newRow("a quote in the chosen file's name is escaped")
        << enc << QStringList{"click:btnEncode"} << "/s/tool.vbs\" \"readme.vbs" << FakeDialogs::AcceptDefault
        << QStringList{offer("/f \"/s/tool.vbs\\\" \\\"readme.vbs.VBE\"")}
        << QStringList{"1|\"/opt/enc/screnc.exe\" \"/s/tool.vbs\\\" \\\"readme.vbs\" /f "
                       "\"/s/tool.vbs\\\" \\\"readme.vbs.VBE\""};
    QTest::newRow("a quote in the encoder's path cannot name a program")
        << "/opt/\"enc\"/x" << QStringList{"click:btnEncode"} << "/s/a.vbs" << QString()
        << QStringList{box(16, "Quillet",
                           "プログラムを起動できませんでした。\r\n/opt/\"enc\"/"
                           "x\r\nプログラムのパスに「\"」は使えません。")}
        << QStringList{};
}

void tst_ScriptActions::encode()
{
    QFETCH(QString, encoder);
    QFETCH(QStringList, steps);
    QFETCH(QString, file);
    QFETCH(QString, answer);
    QFETCH(QStringList, boxes);
    QFETCH(QStringList, launched);
    if (!encoder.isEmpty())
        m_fakes.settings.values.insert(QStringLiteral("Quillet/Option/Encoder"), encoder);
    m_bench->workbench.selectFile(file);
    m_fakes.dialogs.inputAnswers = {answer};
    m_fakes.settings.log.clear();
    perform(steps);
    QCOMPARE(m_fakes.dialogs.described(), boxes);
    QCOMPARE(m_fakes.launcher.lines(), launched);
    // Read afresh at every encode, so that a change in the options counts at once.
    QCOMPARE(m_fakes.settings.log, QStringList{"read Encoder"});
}

// A busy cursor from the click until the host's process is up or gone; the status bar is the
// main window's own and says what it said.
void tst_ScriptActions::runShowsThatItIsStarting()
{
    QProcess slow; // a host whose process never gets going
    slow.start(QStringLiteral("sleep"), {QStringLiteral("30")});
    QVERIFY(slow.waitForStarted());
    m_fakes.launcher.result.pid = slow.processId();
    m_bench->workbench.chooseHost(QStringLiteral("CSCRIPT.EXE"));
    m_bench->workbench.selectFile(QStringLiteral("/s/a.vbs"));
    m_fakes.dialogs.inputAnswers = {QStringLiteral("No CommLine")};
    perform({QStringLiteral("click:btnRun")});
    QCOMPARE(m_fakes.launcher.lines(), QStringList{QStringLiteral("1|CSCRIPT.EXE \"/s/a.vbs\"")});
    QVERIFY(QGuiApplication::overrideCursor());
    QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::BusyCursor);
    QTest::qWait(300);
    QVERIFY(QGuiApplication::overrideCursor());
    QCOMPARE(m_main->statusText(), QStringLiteral("選択したﾌｧｲﾙを実行します")); // the button's own hint
    slow.kill();
    slow.waitForFinished();
    QTRY_VERIFY(!QGuiApplication::overrideCursor());
}

void tst_ScriptActions::launchFailureIsReportedAndSurvived()
{
    // The settings cannot be read: "Error" is taken for the encoder's path, and fails to start.
    m_fakes.settings.failReads = true;
    m_fakes.launcher.result = {0, QStringLiteral("プログラムが見つかりません。"), QStringLiteral("Error"),
                               LaunchFailure::NotFound};
    m_bench->workbench.selectFile(QStringLiteral("/s/a.vbs"));
    m_fakes.dialogs.inputAnswers = {FakeDialogs::AcceptDefault, FakeDialogs::AcceptDefault};
    perform({"click:btnEncode", "click:btnRun"});
    const QString failed =
        box(16, QStringLiteral("Quillet"),
            QStringLiteral("プログラムを起動できませんでした。\r\nError\r\nプログラムが見つかりません。"));
    QCOMPARE(m_fakes.dialogs.described(),
             (QStringList{input(W::EncodeTitle, W::EncodePrompt, "/f \"/s/a.vbs.VBE\""), failed,
                          input(W::RunTitle, W::RunPrompt, "No CommLine"), failed}));
    QCOMPARE(m_fakes.launcher.lines(),
             (QStringList{"1|\"Error\" \"/s/a.vbs\" /f \"/s/a.vbs.VBE\"", "1|WSCRIPT.EXE \"/s/a.vbs\""}));
    QVERIFY(m_main->isVisible());
}

// The same actions with the real launcher: what the host or encoder receives, argument by
// argument, with fake programs of the hosts' names on PATH.
void tst_ScriptActions::commandLinesReachThePrograms_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("program"); // the fake that must have run, in the test's folder
    QTest::addColumn<QStringList>("argv");
    const QString d = FakeDialogs::AcceptDefault;
    const QString s = QStringLiteral("%1/My Scripts/a b.vbs");
    QTest::newRow("no host chosen: the GUI host, the path as one argument")
        << QStringList{"click:btnRun"} << d << "bin/WSCRIPT.EXE" << QStringList{s};
    QTest::newRow("from the menu too")
        << QStringList{"menu:mnuFileRun"} << d << "bin/WSCRIPT.EXE" << QStringList{s};
    QTest::newRow("console host with arguments") << QStringList{"click:cCsc", "click:btnRun"} << "-t 5"
                                                 << "bin/CSCRIPT.EXE" << QStringList{s, "-t", "5"};
    QTest::newRow("other case of No CommLine") << QStringList{"click:btnRun"} << "no commline"
                                               << "bin/WSCRIPT.EXE" << QStringList{s, "no", "commline"};
    QTest::newRow("one blank adds nothing") << QStringList{"click:btnRun"} << " "
                                            << "bin/WSCRIPT.EXE" << QStringList{s};
    QTest::newRow("quotes group, shell syntax is text")
        << QStringList{"click:btnRun"} << "\"x y\" ; rm -rf ~ $(id) `z` | > o && e"
        << "bin/WSCRIPT.EXE"
        << QStringList{s, "x y", ";", "rm", "-rf", "~", "$(id)", "`z`", "|", ">", "o", "&&", "e"};
    QTest::newRow("encoder, JavaScript, default answer") << QStringList{"click:selJS", "click:btnEncode"} << d
                                                         << "my enc/enc" << QStringList{s, "/f", s + ".JSE"};
    QTest::newRow("encoder, No CommLine") << QStringList{"click:btnEncode"} << "No CommLine"
                                          << "my enc/enc" << QStringList{s};
}

void tst_ScriptActions::commandLinesReachThePrograms()
{
    QFETCH(QStringList, steps);
    QFETCH(QString, answer);
    QFETCH(QString, program);
    QFETCH(QStringList, argv);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    for (const char* name : {"WSCRIPT.EXE", "CSCRIPT.EXE"})
        QVERIFY(!FakePrograms::install(dir.path() + QStringLiteral("/bin"), QLatin1String(name)).isEmpty());
    QVERIFY(!FakePrograms::install(dir.path() + QStringLiteral("/my enc"), QStringLiteral("enc")).isEmpty());
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", QByteArray(dir.path().toUtf8() + "/bin:" + oldPath));
    const auto restore = qScopeGuard([&] { qputenv("PATH", oldPath); });

    PosixLauncher launcher;
    FakeServices& f = m_fakes;
    delete m_main;
    m_bench = std::make_unique<TestBench>(
        Services{f.dialogs, launcher, f.settings, f.clock, f.drives, f.registry}, f.printing);
    m_main = new frmMain(m_bench->workbench);
    f.settings.values.insert(QStringLiteral("Quillet/Option/Encoder"),
                             dir.path() + QStringLiteral("/my enc/enc"));
    m_bench->workbench.selectFile(QStringLiteral("%1/My Scripts/a b.vbs").arg(dir.path()));
    f.dialogs.inputAnswers = {answer};
    perform(steps);
    for (QString& a : argv)
        a = a.arg(dir.path());
    QCOMPARE(FakePrograms::waitForArgv(dir.path() + u'/' + program), argv);
}

QTEST_MAIN(tst_ScriptActions)
#include "tst_ScriptActions.moc"
