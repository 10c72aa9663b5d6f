#include "PosixLauncher.h"
#include "TestBench.h"
#include "TestFiles.h"

#include <QMenu>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>

// The manual from the help menu and from F1; every topic number of the main window names a page in it.
class tst_Help : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup() { m_bench.reset(); } // the windows go before the fakes they use are reset
    void menuOpensTheWorkingFoldersManual();
    void helpOpens_data();
    void helpOpens();
    void everyTopicNamesAPageOfTheMovedManual();

private:
    FakeServices m_fakes;
    std::unique_ptr<TestBench> m_bench;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_folder;
    QPointer<frmMain> m_main;
};

static QString installedManual()
{
    return QFileInfo(QCoreApplication::applicationDirPath() + QStringLiteral("/../share/quillet/quillet.chm"))
        .canonicalFilePath();
}

void tst_Help::init()
{
    m_fakes = {};
    m_dir = std::make_unique<QTemporaryDir>();
    m_folder = m_dir->path() + QStringLiteral("/my tools");
    QVERIFY(writeFile(m_folder + QStringLiteral("/quillet.chm"), {}));
    QDir::setCurrent(m_folder);
    m_bench = std::make_unique<TestBench>(m_fakes);
    m_main = m_bench->showMain();
}

// Through the real launcher to a fake hh.exe: the unquoted path splits at its blank, as on Windows.
void tst_Help::menuOpensTheWorkingFoldersManual()
{
    const QString bin = m_dir->path() + QStringLiteral("/bin");
    QVERIFY(!FakePrograms::install(bin, QStringLiteral("hh.exe")).isEmpty());
    SearchPath path({bin, SearchPath::system()});
    PosixLauncher launcher;
    m_bench = std::make_unique<TestBench>(m_fakes.services(&launcher));
    perform(m_bench->showMain(), {"menu:mnuHelpVOXTool"});
    QCOMPARE(FakePrograms::waitForArgv(bin + QStringLiteral("/hh.exe")),
             (QStringList{m_dir->path() + QStringLiteral("/my"), QStringLiteral("tools/quillet.chm")}));
}

void tst_Help::helpOpens_data()
{
    QTest::addColumn<QString>("what"); // F1 on a control or a highlighted menu entry, or the help menu
    QTest::addColumn<QString>("line"); // after "hh.exe "
    const QString here = QStringLiteral("<here>");
    QTest::newRow("drive list") << QString("fldDrive") << "-mapid 230 " + here;
    QTest::newRow("folder list") << QString("fldDir") << "-mapid 260 " + here;
    QTest::newRow("file list") << QString("fldFileList") << "-mapid 250 " + here;
    QTest::newRow("new") << QString("btnNew") << "-mapid 270 " + here;
    QTest::newRow("edit") << QString("btnEdit") << "-mapid 240 " + here;
    QTest::newRow("run") << QString("btnRun") << "-mapid 280 " + here;
    QTest::newRow("encode") << QString("btnEncode") << "-mapid 320 " + here;
    QTest::newRow("options") << QString("btnOption") << "-mapid 320 " + here;
    QTest::newRow("preview: no topic") << QString("fldViewSrc") << here;
    QTest::newRow("a kind button: no topic") << QString("selVBS") << here;
    QTest::newRow("menu entry New") << QString("mnuFileNew") << "-mapid 270 " + here;
    QTest::newRow("menu entry Run: no topic") << QString("mnuFileRun") << here;
    // The folder of the moment counts, not the one of the start.
    QTest::newRow("help menu, a folder without a manual") << QString("menu:<dir>") << "<installed>";
    QTest::newRow("help menu, the root (no //quillet.chm)") << QString("menu:/") << "<installed>";
}

void tst_Help::helpOpens()
{
    QFETCH(QString, what);
    QFETCH(QString, line);
    if (line == QStringLiteral("<installed>") && installedManual().isEmpty())
        QSKIP("the manual was not built (chmcmd missing)");
    if (what.startsWith(QStringLiteral("menu:"))) {
        QDir::setCurrent(what.mid(5).replace("<dir>", m_dir->path()));
        perform(m_main, {"menu:mnuHelpVOXTool"});
        QCOMPARE(m_main->helpFile(), m_folder + QStringLiteral("/quillet.chm"));
    } else if (what.startsWith(QStringLiteral("mnu"))) {
        auto* menu = m_main->findChild<QMenu*>(QStringLiteral("mnuFile"));
        menu->popup(QPoint(0, 0));
        QVERIFY(QTest::qWaitForWindowExposed(menu));
        menu->setActiveAction(m_main->findChild<QAction*>(what));
        QTest::keyClick(menu, Qt::Key_F1);
        menu->close();
    } else {
        QWidget* w = m_main->findChild<QWidget*>(what);
        w->setFocus();
        QTest::keyClick(w, Qt::Key_F1);
    }
    line.replace("<here>", m_folder + "/quillet.chm").replace("<installed>", installedManual());
    QCOMPARE(m_fakes.launcher.lines, QStringList{"1|hh.exe " + line});
}

// Moved away from where it was built, the manual's table of context numbers still names its pages.
void tst_Help::everyTopicNamesAPageOfTheMovedManual()
{
    if (installedManual().isEmpty() || QStandardPaths::findExecutable("extract_chmLib").isEmpty())
        QSKIP("the manual was not built (chmcmd missing) or extract_chmLib (libchm-bin) is not installed");
    const QString moved = m_dir->path() + "/elsewhere.chm", out = m_dir->path() + "/extracted";
    QVERIFY(QFile::copy(installedManual(), moved));
    QProcess extract;
    extract.start(QStringLiteral("extract_chmLib"), {moved, out});
    QVERIFY(extract.waitForFinished() && extract.exitCode() == 0);
    const QByteArray ivb = bytesOf(out + "/#IVB"), strings = bytesOf(out + "/#STRINGS");
    QHash<int, QString> pages;
    for (qsizetype at = 4; at + 8 <= ivb.size(); at += 8) // after its size, pairs of id and offset
        pages.insert(
            qFromLittleEndian<qint32>(ivb.constData() + at),
            QString::fromUtf8(strings.mid(qFromLittleEndian<quint32>(ivb.constData() + at + 4)).constData()));
    QSet<int> topics;
    for (QObject* o : m_main->findChildren<QObject*>())
        if (const int t = o->property("helpTopic").toInt())
            topics.insert(t);
    QCOMPARE(topics.size(), 7);
    for (const int t : topics) {
        const QString page = pages.value(t);
        QVERIFY2(page.startsWith(u'/') && !page.mid(1).contains(u'/') && QFileInfo(out + page).isFile(),
                 qPrintable(QStringLiteral("topic %1: page \"%2\"").arg(t).arg(page)));
    }
}

QTEST_MAIN(tst_Help)
#include "tst_Help.moc"
