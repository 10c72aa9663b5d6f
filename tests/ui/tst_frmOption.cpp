#include "Fakes.h"
#include "FileSettingsArea.h"
#include "TestBench.h"
#include "TestFiles.h"
#include "frmOption.h"
#include "frmOptionTexts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

namespace T = frmOptionText;

// The options dialog's sequences: what it reads, what it writes in which order, and every
// box on the way.
class tst_frmOption : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void firstStartShowsTheDialogsDefaults();
    void tabOrderAndNames();
    void registering_data();
    void registering();
    void browseButtonsShareOneFileDialog();
    void fileDialogStartsWhereTheProgramIs_data();
    void fileDialogStartsWhereTheProgramIs();
    void helpAndCancel();
    void oneDialogBroughtForward();
    void nextStartReadsWhatWasRegistered();

private:
    void make();
    QLineEdit* field(const char* name) { return m_dlg->findChild<QLineEdit*>(QLatin1String(name)); }
    QAbstractButton* button(const char* name)
    {
        return m_dlg->findChild<QAbstractButton*>(QLatin1String(name));
    }
    QStringList fields()
    {
        return {field("fldUserName")->text(), field("fldEditor")->text(), field("fldBrowser")->text(),
                field("fldEncoder")->text()};
    }
    FakeServices m_fakes;
    QPointer<frmOption> m_dlg;
};

namespace {
QString box(const QString& text)
{
    return box(0, {}, text);
}
QString stored(const MemorySettings& s, const char* key)
{
    return s.values.value(QStringLiteral("Quillet/Option/") + QLatin1String(key), QStringLiteral("<none>"));
}
} // namespace

void tst_frmOption::init()
{
    m_fakes = {};
}

void tst_frmOption::cleanup()
{
    delete m_dlg;
}

void tst_frmOption::make()
{
    m_dlg = new frmOption(m_fakes.services());
    m_dlg->show();
}

void tst_frmOption::firstStartShowsTheDialogsDefaults()
{
    make();
    QCOMPARE(m_fakes.settings.log,
             (QStringList{"read Editor", "read UserName", "read Browser", "read Encoder"}));
    QCOMPARE(fields(),
             (QStringList{T::DefaultUserName, "notepad.exe", T::DefaultBrowser, T::DefaultEncoder}));
    QVERIFY(!m_dlg->isModal());
    QCOMPARE(m_dlg->windowTitle(), T::Caption);
}

void tst_frmOption::tabOrderAndNames()
{
    make();
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
}

void tst_frmOption::registering_data()
{
    QTest::addColumn<QString>("storedEditor"); // empty: nothing stored
    QTest::addColumn<QStringList>("steps");    // "tick", "type:text" into the editor field, "untick"
    QTest::addColumn<QStringList>("failKeys");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QStringList>("written"); // UserName, Editor, Browser, Encoder as stored after
    QTest::addColumn<bool>("closed");
    const QStringList defaults{T::DefaultUserName, "notepad.exe", T::DefaultBrowser, T::DefaultEncoder};
    QTest::newRow("fresh: the defaults become real values")
        << QString() << QStringList{} << QStringList{} << QStringList{box(T::Thanks)} << defaults << true;
    QTest::newRow("ticked: System, whatever the field says afterwards")
        << QString() << QStringList{"tick", "type:vim"} << QStringList{} << QStringList{box(T::Thanks)}
        << QStringList{T::DefaultUserName, "System", T::DefaultBrowser, T::DefaultEncoder} << true;
    QTest::newRow("stored System shows unticked and is stored again")
        << "System" << QStringList{} << QStringList{} << QStringList{box(T::Thanks)}
        << QStringList{T::DefaultUserName, "System", T::DefaultBrowser, T::DefaultEncoder} << true;
    QTest::newRow("unticking empties the field: the warning, then on")
        << QString() << QStringList{"tick", "untick"} << QStringList{}
        << QStringList{box(T::NoEditor), box(T::Thanks)}
        << QStringList{T::DefaultUserName, "", T::DefaultBrowser, T::DefaultEncoder} << true;
    QTest::newRow("the Editor write fails: UserName written, the rest not, still open")
        << QString() << QStringList{"type:kate"} << QStringList{"Editor"} << QStringList{box(T::EditorFailed)}
        << QStringList{T::DefaultUserName, "<none>", "<none>", "<none>"} << false;
    QTest::newRow("the Encoder write fails last")
        << QString() << QStringList{} << QStringList{"Encoder"} << QStringList{box(T::EncoderFailed)}
        << QStringList{T::DefaultUserName, "notepad.exe", T::DefaultBrowser, "<none>"} << false;
    QTest::newRow("the first write fails")
        << QString() << QStringList{} << QStringList{"UserName"} << QStringList{box(T::UserNameFailed)}
        << QStringList{"<none>", "<none>", "<none>", "<none>"} << false;
}

void tst_frmOption::registering()
{
    QFETCH(QString, storedEditor);
    QFETCH(QStringList, steps);
    QFETCH(QStringList, failKeys);
    QFETCH(QStringList, boxes);
    QFETCH(QStringList, written);
    QFETCH(bool, closed);
    if (!storedEditor.isEmpty())
        m_fakes.settings.values.insert(QStringLiteral("Quillet/Option/Editor"), storedEditor);
    make();
    QVERIFY(!m_dlg->findChild<QCheckBox*>(QStringLiteral("cbNaizo"))->isChecked());
    for (const QString& step : steps) {
        if (step == QStringLiteral("tick") || step == QStringLiteral("untick"))
            QTest::mouseClick(button("cbNaizo"), Qt::LeftButton);
        else
            field("fldEditor")->setText(step.mid(5));
    }
    m_fakes.settings.failKeys = failKeys;
    const QStringList shown = fields();
    QTest::mouseClick(button("btnToroku"), Qt::LeftButton);
    QCOMPARE(m_fakes.dialogs.described(), boxes);
    QCOMPARE((QStringList{stored(m_fakes.settings, "UserName"), stored(m_fakes.settings, "Editor"),
                          stored(m_fakes.settings, "Browser"), stored(m_fakes.settings, "Encoder")}),
             written);
    QTRY_COMPARE(m_dlg.isNull(), closed);
    if (!closed)
        QCOMPARE(fields(), shown);
}

void tst_frmOption::browseButtonsShareOneFileDialog()
{
    make();
    m_fakes.dialogs.fileAnswers = {"/usr/bin/gedit", "/usr/bin/firefox", "", "/opt/enc/screnc.exe"};
    for (const char* b : {"btnBrowse", "btnBrowse2", "btnEncoder", "btnEncoder"})
        QTest::mouseClick(button(b), Qt::LeftButton);
    QCOMPARE(fields(),
             (QStringList{T::DefaultUserName, "/usr/bin/gedit", "/usr/bin/firefox", "/opt/enc/screnc.exe"}));
    for (const FakeDialogs::Call& c : m_fakes.dialogs.calls) {
        QCOMPARE(c.title, T::PickTitle);
        QCOMPARE(c.text, T::PickFilter);
    }
    QCOMPARE(m_fakes.dialogs.calls.size(), 4);
}

// The encoder's "..." opens on quillet-encode until the field names a program's folder; the
// other buttons start where their field points, or wherever the dialog likes.
void tst_frmOption::fileDialogStartsWhereTheProgramIs_data()
{
    QTest::addColumn<QString>("which");
    QTest::addColumn<QString>("text"); // in the button's field
    QTest::addColumn<bool>("encoderOnPath");
    QTest::addColumn<QString>("start"); // %1: the folder on PATH that holds quillet-encode
    QTest::newRow("encoder, fresh installation")
        << "btnEncoder" << T::DefaultEncoder << true << "%1/quillet-encode";
    QTest::newRow("encoder, set by its bare name") << "btnEncoder"
                                                   << "quillet-encode" << true << "%1/quillet-encode";
    QTest::newRow("encoder, a path that is set") << "btnEncoder"
                                                 << "/usr/bin/screnc" << true << "/usr/bin";
    QTest::newRow("encoder, none on this system") << "btnEncoder" << T::DefaultEncoder << false << "";
    QTest::newRow("editor: no fallback") << "btnBrowse"
                                         << "notepad.exe" << true << "";
}

void tst_frmOption::fileDialogStartsWhereTheProgramIs()
{
    QFETCH(QString, which);
    QFETCH(QString, text);
    QFETCH(bool, encoderOnPath);
    QFETCH(QString, start);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    if (encoderOnPath)
        QVERIFY(!FakePrograms::install(dir.path(), QStringLiteral("quillet-encode")).isEmpty());
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", dir.path().toUtf8());
    const auto restore = qScopeGuard([&] { qputenv("PATH", oldPath); });
    make();
    field(which == QStringLiteral("btnEncoder") ? "fldEncoder" : "fldEditor")->setText(text);
    QTest::mouseClick(button(qPrintable(which)), Qt::LeftButton);
    QCOMPARE(m_fakes.dialogs.calls.size(), 1);
    QCOMPARE(m_fakes.dialogs.calls[0].def, start.arg(dir.path()));
}

void tst_frmOption::helpAndCancel()
{
    make();
    field("fldUserName")->setText(QStringLiteral("変えた"));
    QTest::mouseClick(button("btnHelp"), Qt::LeftButton);
    QCOMPARE(m_fakes.dialogs.described(), QStringList{box(T::HelpText)});
    QTest::mouseClick(button("btnCancel"), Qt::LeftButton);
    QTRY_VERIFY(m_dlg.isNull());
    QVERIFY(m_fakes.settings.values.isEmpty());
}

void tst_frmOption::oneDialogBroughtForward()
{
    TestBench bench(m_fakes);
    auto* main = new frmMain(bench.workbench);
    main->show();
    auto dialogs = [] {
        QList<frmOption*> out;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<frmOption*>(w); d && d->isVisible())
                out << d;
        return out;
    };
    QTest::mouseClick(main->findChild<QAbstractButton*>(QStringLiteral("btnOption")), Qt::LeftButton);
    QCOMPARE(dialogs().size(), 1);
    frmOption* first = dialogs().front();
    first->findChild<QLineEdit*>(QStringLiteral("fldUserName"))->setText(QStringLiteral("途中"));
    main->findChild<QAction*>(QStringLiteral("mnuToolOption"))->trigger();
    QCOMPARE(dialogs(), QList<frmOption*>{first});
    QCOMPARE(first->findChild<QLineEdit*>(QStringLiteral("fldUserName"))->text(), QStringLiteral("途中"));
    delete main;
    delete first;
}

// Through the real settings file: what "登 録" stored is what the next start reads.
void tst_frmOption::nextStartReadsWhatWasRegistered()
{
    QTemporaryDir dir;
    FileSettingsArea file(dir.path());
    Services s = m_fakes.services();
    Services real{s.dialogs, s.launcher, file, s.clock, s.drives, s.registry};
    m_dlg = new frmOption(real);
    m_dlg->show();
    QTest::mouseClick(button("cbNaizo"), Qt::LeftButton);
    field("fldUserName")->setText(QStringLiteral("山田 太郎"));
    QTest::mouseClick(button("btnToroku"), Qt::LeftButton);

    QDir::setCurrent(dir.path());
    TestBench bench(real);
    auto* main = new frmMain(bench.workbench);
    QCOMPARE(bench.workbench.editorPath(), QStringLiteral("System"));
    QCOMPARE(bench.workbench.userName(), QStringLiteral("山田 太郎"));
    bench.workbench.selectFile(dir.path() + QStringLiteral("/a.vbs"));
    QTest::mouseClick(main->findChild<QAbstractButton*>(QStringLiteral("btnEdit")), Qt::LeftButton);
    QVERIFY(bench.editor.window());
    delete main;
}

QTEST_MAIN(tst_frmOption)
#include "tst_frmOption.moc"
