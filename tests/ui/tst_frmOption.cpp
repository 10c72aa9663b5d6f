#include "FileSettingsArea.h"
#include "TestBench.h"
#include "TestFiles.h"
#include "frmOption.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QTemporaryDir>

// The options dialog's sequences: what it reads, what it writes in which order, and every
// box on the way.
class tst_frmOption : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { m_fakes = {}; }
    void cleanup() { delete m_dlg; }
    void firstStart();
    void registering_data();
    void registering();
    void fileDialog_data();
    void fileDialog();
    void nextStartReadsWhatWasRegistered();

private:
    void make(const Services& s)
    {
        m_dlg = new frmOption(s);
        m_dlg->show();
    }
    QLineEdit* field(const QString& name) { return m_dlg->findChild<QLineEdit*>(name); }
    QStringList fields()
    {
        return {field("fldUserName")->text(), field("fldEditor")->text(), field("fldBrowser")->text(),
                field("fldEncoder")->text()};
    }
    FakeServices m_fakes;
    QPointer<frmOption> m_dlg;
};

namespace {
const QString User = QStringLiteral("No User Name Setting"), Browser = QStringLiteral("No Browser Setting"),
              Encoder = QStringLiteral("No Encoder Path");
const QString Thanks = box(0, "",
                           "ﾕｰｻﾞｰの登録が行われました\r\nご使用いただきありがとうございます\r\n\r\n"
                           "登録した情報を有効にするには\r\n一度Quilletを終了させて再起動してください");
} // namespace

// A first start: the defaults, the tab order and names, Enter, help and cancel.
void tst_frmOption::firstStart()
{
    make(m_fakes.services());
    QCOMPARE(m_fakes.settings.log,
             (QStringList{"read Editor", "read UserName", "read Browser", "read Encoder"}));
    QCOMPARE(fields(), (QStringList{User, "notepad.exe", Browser, Encoder}));
    QVERIFY(!m_dlg->isModal());
    QCOMPARE(m_dlg->windowTitle(), QStringLiteral("ｵﾌﾟｼｮﾝ設定"));
    QStringList order;
    QWidget* w = field("fldUserName");
    for (int i = 0; i < 11; ++i) {
        order << w->objectName() + u'=' + w->accessibleName();
        do
            w = w->nextInFocusChain();
        while (!(w->focusPolicy() & Qt::TabFocus));
    }
    QCOMPARE(order,
             (QStringList{"fldUserName=ユーザー名", "fldEditor=エディタ", "btnBrowse=エディタを選ぶ...",
                          "btnToroku=登 録", "btnCancel=ｷｬﾝｾﾙ", "btnHelp=ﾍﾙﾌﾟ", "cbNaizo=内蔵エディタを使う",
                          "fldBrowser=ブラウザ", "btnBrowse2=ブラウザを選ぶ...",
                          "btnEncoder=エンコーダを選ぶ...", "fldEncoder=エンコーダ"}));
    field("fldUserName")->setText(QStringLiteral("変えた"));
    // Enter in a field neither picks a program nor registers.
    field("fldUserName")->setFocus();
    QTest::keyClick(field("fldUserName"), Qt::Key_Return);
    QVERIFY(m_fakes.dialogs.calls.isEmpty());
    perform(m_dlg, {"click:btnHelp"});
    QCOMPARE(m_fakes.dialogs.described(), QStringList{box(0, "", "ﾕｰｻﾞｰ名と編集用ｴﾃﾞｨﾀの設定をします")});
    perform(m_dlg, {"click:btnCancel"});
    QTRY_VERIFY(m_dlg.isNull());
    QVERIFY(m_fakes.settings.values.isEmpty());
}

void tst_frmOption::registering_data()
{
    QTest::addColumn<QStringList>("steps"); // "stored:" Editor, then "tick", "untick", "type:" into its field
    QTest::addColumn<QString>("failKey");
    QTest::addColumn<QString>("box");         // before the thanks, or in place of them on a failure
    QTest::addColumn<QStringList>("written"); // UserName, Editor, Browser, Encoder as stored after
    const QStringList none;
    const QString no = QStringLiteral("<none>"), ok, notepad = QStringLiteral("notepad.exe");
    QTest::newRow("fresh: the defaults become real values")
        << none << ok << ok << QStringList{User, notepad, Browser, Encoder};
    QTest::newRow("ticked: System, whatever the field says afterwards")
        << QStringList{"tick", "type:vim"} << ok << ok << QStringList{User, "System", Browser, Encoder};
    QTest::newRow("stored System shows unticked and is stored again")
        << QStringList{"stored:System"} << ok << ok << QStringList{User, "System", Browser, Encoder};
    QTest::newRow("unticking empties the field: the warning, then on")
        << QStringList{"tick", "untick"} << ok << "ｴﾃﾞｨﾀの設定ができていません"
        << QStringList{User, "", Browser, Encoder};
    QTest::newRow("the first write fails")
        << none << QString("UserName") << "ﾕｰｻﾞｰ名の登録ができません" << QStringList{no, no, no, no};
    QTest::newRow("the Editor write fails: UserName written, the rest not")
        << QStringList{"type:kate"} << QString("Editor") << "ｴﾃﾞｨﾀの登録ができません"
        << QStringList{User, no, no, no};
    QTest::newRow("the Browser write fails")
        << none << QString("Browser") << "ﾌﾞﾗｳｻﾞの登録ができません" << QStringList{User, notepad, no, no};
    QTest::newRow("the Encoder write fails last")
        << none << QString("Encoder") << "エンコーダの登録ができません"
        << QStringList{User, notepad, Browser, no};
}

void tst_frmOption::registering()
{
    QFETCH(QStringList, steps);
    QFETCH(QString, failKey);
    QFETCH(QString, box);
    QFETCH(QStringList, written);
    if (steps.value(0).startsWith(QStringLiteral("stored:")))
        m_fakes.settings.setOption("Editor", steps.takeFirst().mid(7));
    make(m_fakes.services());
    QVERIFY(!m_dlg->findChild<QCheckBox*>(QStringLiteral("cbNaizo"))->isChecked());
    for (const QString& step : steps) {
        if (step.endsWith(QStringLiteral("tick")))
            perform(m_dlg, {"click:cbNaizo"});
        else
            field("fldEditor")->setText(step.mid(5));
    }
    m_fakes.settings.failKeys = QStringList{failKey};
    const QStringList shown = fields();
    perform(m_dlg, {"click:btnToroku"});
    QStringList boxes;
    if (!box.isEmpty())
        boxes << ::box(0, "", box);
    if (failKey.isEmpty())
        boxes << Thanks;
    QCOMPARE(m_fakes.dialogs.described(), boxes);
    const MemorySettings& s = m_fakes.settings;
    QCOMPARE(
        (QStringList{s.option("UserName"), s.option("Editor"), s.option("Browser"), s.option("Encoder")}),
        written);
    QTRY_COMPARE(m_dlg.isNull(), failKey.isEmpty());
    if (!failKey.isEmpty())
        QCOMPARE(fields(), shown);
}

// Each "..." offers programs; the encoder's opens on quillet-encode until its field names a
// program's folder, the others where their field points, or wherever the dialog likes.
void tst_frmOption::fileDialog_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("text"); // in its field
    QTest::addColumn<bool>("encoderOnPath");
    QTest::addColumn<QString>("start");  // <dir>: the folder on PATH that holds quillet-encode
    QTest::addColumn<QString>("chosen"); // empty: cancelled, the field keeps its text
    const QString enc = QStringLiteral("btnEncoder"), own = QStringLiteral("<dir>/quillet-encode"), no;
    QTest::newRow("encoder, fresh installation") << enc << Encoder << true << own << "/opt/enc/screnc.exe";
    QTest::newRow("encoder, a path that is set") << enc << "/usr/bin/screnc" << true << "/usr/bin" << no;
    QTest::newRow("encoder, none on this system") << enc << Encoder << false << no << no;
    QTest::newRow("editor: no fallback")
        << QString("btnBrowse") << "notepad.exe" << true << no << "/usr/bin/gedit";
    QTest::newRow("browser") << QString("btnBrowse2") << "/usr/bin/firefox" << true << "/usr/bin"
                             << "/usr/bin/chromium";
}

void tst_frmOption::fileDialog()
{
    QFETCH(QString, button);
    QFETCH(QString, text);
    QFETCH(bool, encoderOnPath);
    QFETCH(QString, start);
    QFETCH(QString, chosen);
    QTemporaryDir dir;
    if (encoderOnPath)
        QVERIFY(!FakePrograms::install(dir.path(), QStringLiteral("quillet-encode")).isEmpty());
    SearchPath path({dir.path()});
    make(m_fakes.services());
    const QHash<QString, QString> fieldOf{
        {"btnBrowse", "fldEditor"}, {"btnBrowse2", "fldBrowser"}, {"btnEncoder", "fldEncoder"}};
    field(fieldOf[button])->setText(text);
    m_fakes.dialogs.fileAnswers = QStringList{chosen};
    perform(m_dlg, {"click:" + button});
    QCOMPARE(m_fakes.dialogs.described(),
             QStringList{input("ｴﾃﾞｨﾀの設定", "ｴﾃﾞｨﾀ(*.EXE);;すべてのファイル (*)",
                               start.replace("<dir>", dir.path()))});
    QCOMPARE(field(fieldOf[button])->text(), chosen.isEmpty() ? text : chosen);
}

// Through the real settings file: what "登 録" stored is what the next start reads, and the
// main window brings its one dialog forward.
void tst_frmOption::nextStartReadsWhatWasRegistered()
{
    QTemporaryDir dir;
    FileSettingsArea file(dir.path());
    const Services real = m_fakes.services(nullptr, &file);
    make(real);
    perform(m_dlg, {"click:cbNaizo"});
    field("fldUserName")->setText(QStringLiteral("山田 太郎"));
    perform(m_dlg, {"click:btnToroku"});
    QDir::setCurrent(dir.path());
    TestBench bench(real);
    frmMain* main = bench.showMain();
    QCOMPARE(bench.workbench.editorPath(), QStringLiteral("System"));
    QCOMPARE(bench.workbench.userName(), QStringLiteral("山田 太郎"));
    bench.workbench.selectFile(dir.path() + QStringLiteral("/a.vbs"));
    perform(main, {"click:btnEdit", "click:btnOption"});
    QVERIFY(bench.editor.window());
    auto dialogs = [] {
        QList<frmOption*> out;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<frmOption*>(w); d && d->isVisible())
                out << d;
        return out;
    };
    QCOMPARE(dialogs().size(), 1);
    m_dlg = dialogs().front();
    QCOMPARE(fields(), (QStringList{"山田 太郎", "System", Browser, Encoder}));
    field("fldUserName")->setText(QStringLiteral("途中"));
    perform(main, {"menu:mnuToolOption"});
    QCOMPARE(dialogs(), QList<frmOption*>{m_dlg});
    QCOMPARE(field("fldUserName")->text(), QStringLiteral("途中"));
}

QTEST_MAIN(tst_frmOption)
#include "tst_frmOption.moc"
