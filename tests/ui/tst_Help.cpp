#include "PosixLauncher.h"
#include "TestBench.h"
#include "TestFiles.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

// The manual from the help menu and from F1, and the manual itself: every topic number the
// main window carries names a page inside the compiled file, wherever the file is.
class tst_Help : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void menuOpensTheWorkingFoldersManual();
    void menuFallsBackToTheInstalledManual_data();
    void menuFallsBackToTheInstalledManual();
    void f1OpensTheFocusedControlsTopic_data();
    void f1OpensTheFocusedControlsTopic();
    void f1OnAHighlightedMenuEntry();
    void everyTopicNamesAPageOfTheMovedManual();

private:
    FakeServices m_fakes;
    std::unique_ptr<TestBench> m_bench;
    QTemporaryDir* m_dir = nullptr;
    QString m_folder;
    frmMain* m_main = nullptr;
};

namespace {
QString installedManual()
{
    return QFileInfo(QCoreApplication::applicationDirPath() + QStringLiteral("/../share/quillet/quillet.chm"))
        .canonicalFilePath();
}
} // namespace

void tst_Help::init()
{
    m_fakes = {};
    m_dir = new QTemporaryDir;
    m_folder = m_dir->path() + QStringLiteral("/my tools");
    QDir().mkpath(m_folder);
    QFile chm(m_folder + QStringLiteral("/quillet.chm"));
    QVERIFY(chm.open(QIODevice::WriteOnly));
    QDir::setCurrent(m_folder);
    m_bench = std::make_unique<TestBench>(m_fakes);
    m_main = new frmMain(m_bench->workbench);
    m_main->show();
    QApplication::setActiveWindow(m_main);
    QVERIFY(QTest::qWaitForWindowActive(m_main));
}

void tst_Help::cleanup()
{
    delete m_main;
    m_bench.reset();
    QDir::setCurrent(QDir::tempPath());
    delete m_dir;
}

// Through the real launcher to a fake hh.exe: the path is not quoted, so a blank splits it
// as Windows splits it (the real viewer takes the whole rest as one name).
void tst_Help::menuOpensTheWorkingFoldersManual()
{
    const QString bin = m_dir->path() + QStringLiteral("/bin");
    QVERIFY(!FakePrograms::install(bin, QStringLiteral("hh.exe")).isEmpty());
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", bin.toUtf8() + ':' + oldPath);
    const auto restore = qScopeGuard([&] { qputenv("PATH", oldPath); });
    PosixLauncher launcher;
    FakeServices& f = m_fakes;
    delete m_main;
    m_bench = std::make_unique<TestBench>(f.services(&launcher));
    m_main = new frmMain(m_bench->workbench);
    m_main->findChild<QAction*>(QStringLiteral("mnuHelpVOXTool"))->trigger();
    QCOMPARE(FakePrograms::waitForArgv(bin + QStringLiteral("/hh.exe")),
             (QStringList{m_dir->path() + QStringLiteral("/my"), QStringLiteral("tools/quillet.chm")}));
}

void tst_Help::menuFallsBackToTheInstalledManual_data()
{
    QTest::addColumn<QString>("folder"); // empty: the test's own, which has no manual
    QTest::newRow("a folder without a manual") << QString();
    QTest::newRow("the root, whose //quillet.chm is missing") << QStringLiteral("/");
}

void tst_Help::menuFallsBackToTheInstalledManual()
{
    QFETCH(QString, folder);
    if (installedManual().isEmpty())
        QSKIP("the manual was not built (chmcmd missing)");
    // The folder of the moment counts, not the one of the start.
    QDir::setCurrent(folder.isEmpty() ? m_dir->path() : folder);
    m_main->findChild<QAction*>(QStringLiteral("mnuHelpVOXTool"))->trigger();
    QCOMPARE(m_fakes.launcher.lines, QStringList{"1|hh.exe " + installedManual()});
    QCOMPARE(m_main->helpFile(), m_folder + QStringLiteral("/quillet.chm"));
}

void tst_Help::f1OpensTheFocusedControlsTopic_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("mapid"); // empty: the first page
    QTest::newRow("drive list") << "fldDrive"
                                << "-mapid 230 ";
    QTest::newRow("folder list") << "fldDir"
                                 << "-mapid 260 ";
    QTest::newRow("file list") << "fldFileList"
                               << "-mapid 250 ";
    QTest::newRow("new") << "btnNew"
                         << "-mapid 270 ";
    QTest::newRow("edit") << "btnEdit"
                          << "-mapid 240 ";
    QTest::newRow("run") << "btnRun"
                         << "-mapid 280 ";
    QTest::newRow("encode") << "btnEncode"
                            << "-mapid 320 ";
    QTest::newRow("options") << "btnOption"
                             << "-mapid 320 ";
    QTest::newRow("preview: no topic") << "fldViewSrc"
                                       << "";
    QTest::newRow("a kind button: no topic") << "selVBS"
                                             << "";
}

void tst_Help::f1OpensTheFocusedControlsTopic()
{
    QFETCH(QString, control);
    QFETCH(QString, mapid);
    QWidget* w = m_main->findChild<QWidget*>(control);
    w->setFocus();
    QTest::keyClick(w, Qt::Key_F1);
    QCOMPARE(m_fakes.launcher.lines, QStringList{"1|hh.exe " + mapid + m_folder + "/quillet.chm"});
}

void tst_Help::f1OnAHighlightedMenuEntry()
{
    auto* menu = m_main->findChild<QMenu*>(QStringLiteral("mnuFile"));
    menu->popup(QPoint(0, 0));
    QVERIFY(QTest::qWaitForWindowExposed(menu));
    menu->setActiveAction(m_main->findChild<QAction*>(QStringLiteral("mnuFileNew")));
    QTest::keyClick(menu, Qt::Key_F1);
    menu->setActiveAction(m_main->findChild<QAction*>(QStringLiteral("mnuFileRun")));
    QTest::keyClick(menu, Qt::Key_F1);
    menu->close();
    QCOMPARE(m_fakes.launcher.lines, (QStringList{"1|hh.exe -mapid 270 " + m_folder + "/quillet.chm",
                                                  "1|hh.exe " + m_folder + "/quillet.chm"}));
}

// The compiled manual, moved away from where it was built: its table of context numbers
// must name pages by their place inside the file.
void tst_Help::everyTopicNamesAPageOfTheMovedManual()
{
    if (installedManual().isEmpty())
        QSKIP("the manual was not built (chmcmd missing)");
    if (QStandardPaths::findExecutable(QStringLiteral("extract_chmLib")).isEmpty())
        QSKIP("extract_chmLib (libchm-bin) is not installed");
    const QString moved = m_dir->path() + QStringLiteral("/elsewhere/quillet.chm");
    QDir().mkpath(QFileInfo(moved).path());
    QVERIFY(QFile::copy(installedManual(), moved));
    const QString out = m_dir->path() + QStringLiteral("/extracted");
    QProcess extract;
    extract.start(QStringLiteral("extract_chmLib"), {moved, out});
    QVERIFY(extract.waitForFinished());

    auto read = [&](const QString& name) {
        QFile f(out + u'/' + name);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    const QByteArray ivb = read(QStringLiteral("#IVB")), strings = read(QStringLiteral("#STRINGS"));
    QVERIFY(ivb.size() >= 4);
    QHash<int, QString> pages;
    for (qsizetype at = 4; at + 8 <= ivb.size(); at += 8) {
        const quint32 id = qFromLittleEndian<quint32>(ivb.constData() + at);
        const quint32 offset = qFromLittleEndian<quint32>(ivb.constData() + at + 4);
        pages.insert(int(id), QString::fromUtf8(strings.mid(offset).constData()));
    }
    QSet<int> topics;
    for (QObject* o : m_main->findChildren<QObject*>())
        if (const int t = o->property("helpTopic").toInt())
            topics.insert(t);
    QCOMPARE(topics.size(), 7);
    for (const int t : topics) {
        QVERIFY2(pages.contains(t), qPrintable(QStringLiteral("no page for topic %1").arg(t)));
        const QString page = pages.value(t);
        QVERIFY2(page.startsWith(u'/') && !page.mid(1).contains(u'/'), qPrintable(page));
        QVERIFY2(QFileInfo(out + page).isFile(), qPrintable(page + QStringLiteral(" is not in the file")));
    }
}

QTEST_MAIN(tst_Help)
#include "tst_Help.moc"
