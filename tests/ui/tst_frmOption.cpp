#include "FileSettingsArea.h"
#include "TestBench.h"
#include "TestFiles.h"
#include "frmOption.h"

#include <QLineEdit>
#include <QTemporaryDir>

namespace {
const QString User = QStringLiteral("No User Name Setting"), Browser = QStringLiteral("No Browser Setting"),
              Encoder = QStringLiteral("No Encoder Path"), No = QStringLiteral("<none>");

// Steps ("stored:" Editor, "tick", "untick", "type:"), the write that fails, the box before the
// thanks or in their place, the four settings stored after.
struct Register {
    QStringList steps;
    QString failKey, box;
    QStringList written;
};
// The encoder's opens on quillet-encode ("<dir>": its folder on PATH) until its field names a
// program's folder, the others where their field points; chosen: empty when cancelled.
struct Browsing {
    bool encoderOnPath;
    QString button, text, start, chosen;
};
template <class Row> void row(const char* name, const Row& r)
{
    QTest::newRow(name) << r;
}
} // namespace

// The options dialog: what it reads, what it writes in which order, and every box on the way.
class tst_frmOption : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { m_fakes = {}; }
    void cleanup() { delete m_dlg; }

    // A first start: the defaults, the tab order and names, Enter, help and cancel.
    void firstStart()
    {
        make(m_fakes.services());
        QCOMPARE(m_fakes.settings.log,
                 (QStringList{"read Editor", "read UserName", "read Browser", "read Encoder"}));
        QCOMPARE(fields(), (QStringList{User, "notepad.exe", Browser, Encoder}));
        QVERIFY(!m_dlg->isModal());
        QCOMPARE(m_dlg->windowTitle(), QStringLiteral("ｵﾌﾟｼｮﾝ設定"));
        QStringList order;
        for (QWidget* w = field("fldUserName"); order.size() < 11; w = w->nextInFocusChain())
            if (w->focusPolicy() & Qt::TabFocus)
                order << w->objectName() + u'=' + w->accessibleName();
        QCOMPARE(order, (QStringList{"fldUserName=ユーザー名", "fldEditor=エディタ",
                                     "btnBrowse=エディタを選ぶ...", "btnToroku=登 録", "btnCancel=ｷｬﾝｾﾙ",
                                     "btnHelp=ﾍﾙﾌﾟ", "cbNaizo=内蔵エディタを使う", "fldBrowser=ブラウザ",
                                     "btnBrowse2=ブラウザを選ぶ...", "btnEncoder=エンコーダを選ぶ...",
                                     "fldEncoder=エンコーダ"}));
        // Enter in a field neither picks a program nor registers.
        field("fldUserName")->setText(QStringLiteral("変えた"));
        field("fldUserName")->setFocus();
        QTest::keyClick(field("fldUserName"), Qt::Key_Return);
        QVERIFY(m_fakes.dialogs.calls.isEmpty());
        perform(m_dlg, {"click:btnHelp"});
        QCOMPARE(m_fakes.dialogs.described(), QStringList{box(0, "", "ﾕｰｻﾞｰ名と編集用ｴﾃﾞｨﾀの設定をします")});
        perform(m_dlg, {"click:btnCancel"});
        QTRY_VERIFY(m_dlg.isNull());
        QVERIFY(m_fakes.settings.values.isEmpty());
    }

    void registering_data()
    {
        QTest::addColumn<Register>("r");
        const QString n = QStringLiteral("notepad.exe"), sys = QStringLiteral("System");
        row("the defaults become values", Register({}, "", "", {User, n, Browser, Encoder}));
        row("ticked, typed", Register({"tick", "type:vim"}, "", "", {User, sys, Browser, Encoder}));
        row("stored System: unticked", Register({"stored:System"}, "", "", {User, sys, Browser, Encoder}));
        row("unticked: a warning",
            Register({"tick", "untick"}, "", "ｴﾃﾞｨﾀの設定ができていません", {User, "", Browser, Encoder}));
        row("UserName fails", Register({}, "UserName", "ﾕｰｻﾞｰ名の登録ができません", {No, No, No, No}));
        row("Editor fails", Register({"type:kate"}, "Editor", "ｴﾃﾞｨﾀの登録ができません", {User, No, No, No}));
        row("Browser fails", Register({}, "Browser", "ﾌﾞﾗｳｻﾞの登録ができません", {User, n, No, No}));
        row("Encoder fails", Register({}, "Encoder", "エンコーダの登録ができません", {User, n, Browser, No}));
    }

    void registering()
    {
        QFETCH(Register, r);
        if (r.steps.value(0).startsWith(QStringLiteral("stored:")))
            m_fakes.settings.setOption("Editor", r.steps.takeFirst().mid(7));
        make(m_fakes.services());
        QVERIFY(!child<QAbstractButton>(m_dlg, "cbNaizo")->isChecked());
        for (const QString& step : r.steps)
            step.endsWith(QStringLiteral("tick")) ? perform(m_dlg, {"click:cbNaizo"})
                                                  : field("fldEditor")->setText(step.mid(5));
        m_fakes.settings.failKeys = QStringList{r.failKey};
        const QStringList shown = fields();
        perform(m_dlg, {"click:btnToroku"});
        QStringList boxes;
        if (!r.box.isEmpty())
            boxes << box(0, "", r.box);
        if (r.failKey.isEmpty())
            boxes << box(0, "",
                         "ﾕｰｻﾞｰの登録が行われました\r\nご使用いただきありがとうございます\r\n\r\n"
                         "登録した情報を有効にするには\r\n一度Quilletを終了させて再起動してください");
        QCOMPARE(m_fakes.dialogs.described(), boxes);
        const MemorySettings& s = m_fakes.settings;
        QCOMPARE(
            (QStringList{s.option("UserName"), s.option("Editor"), s.option("Browser"), s.option("Encoder")}),
            r.written);
        QTRY_COMPARE(m_dlg.isNull(), r.failKey.isEmpty());
        if (!r.failKey.isEmpty())
            QCOMPARE(fields(), shown);
    }

    void fileDialog_data()
    {
        QTest::addColumn<Browsing>("b");
        const QString own = QStringLiteral("<dir>/quillet-encode");
        row("encoder, fresh installation", Browsing{true, "btnEncoder", Encoder, own, "/opt/enc/screnc.exe"});
        row("encoder, a path that is set", Browsing{true, "btnEncoder", "/usr/bin/screnc", "/usr/bin", ""});
        row("encoder, none on this system", Browsing{false, "btnEncoder", Encoder, "", ""});
        row("editor: no fallback", Browsing{true, "btnBrowse", "notepad.exe", "", "/usr/bin/gedit"});
        row("browser", Browsing{true, "btnBrowse2", "/usr/bin/firefox", "/usr/bin", "/usr/bin/chromium"});
    }

    void fileDialog()
    {
        QFETCH(Browsing, b);
        QTemporaryDir dir;
        if (b.encoderOnPath)
            QVERIFY(!FakePrograms::install(dir.path(), QStringLiteral("quillet-encode")).isEmpty());
        SearchPath path({dir.path()});
        make(m_fakes.services());
        const QHash<QString, QString> fieldOf{
            {"btnBrowse", "fldEditor"}, {"btnBrowse2", "fldBrowser"}, {"btnEncoder", "fldEncoder"}};
        field(fieldOf[b.button])->setText(b.text);
        m_fakes.dialogs.fileAnswers = QStringList{b.chosen};
        perform(m_dlg, {"click:" + b.button});
        QCOMPARE(m_fakes.dialogs.described(),
                 QStringList{input("ｴﾃﾞｨﾀの設定", "ｴﾃﾞｨﾀ(*.EXE);;すべてのファイル (*)",
                                   b.start.replace("<dir>", dir.path()))});
        QCOMPARE(field(fieldOf[b.button])->text(), b.chosen.isEmpty() ? b.text : b.chosen);
    }

    // What "登 録" stored in the real file is what the next start reads; one dialog at a time.
    void nextStartReadsWhatWasRegistered()
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

private:
    void make(const Services& s) { (m_dlg = new frmOption(s))->show(); }
    QLineEdit* field(const QString& name) { return m_dlg->findChild<QLineEdit*>(name); }
    QStringList fields()
    {
        return {field("fldUserName")->text(), field("fldEditor")->text(), field("fldBrowser")->text(),
                field("fldEncoder")->text()};
    }
    FakeServices m_fakes;
    QPointer<frmOption> m_dlg;
};

QTEST_MAIN(tst_frmOption)
#include "tst_frmOption.moc"
