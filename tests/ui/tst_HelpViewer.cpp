#include "Fonts.h"
#include "HelpViewer.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextLayout>
#include <QToolBar>
#include <QTreeWidget>

#include <sys/stat.h>

// The manual as the help menu and F1 show it: in Quillet's own viewer, at the topic asked
// for, with Japanese paragraphs wrapped to the window and every contents entry whole.
class tst_HelpViewer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init() { m_viewer = new HelpViewer; }
    void cleanup() { delete m_viewer; }
    void opensAtTheTopic_data();
    void opensAtTheTopic();
    void contents();
    void unreadableFilesAreSaidSo_data();
    void unreadableFilesAreSaidSo();

private:
    QString m_manual;
    HelpViewer* m_viewer = nullptr;
    template <class W> W* child(const char* name) { return m_viewer->findChild<W*>(QLatin1String(name)); }
};

void tst_HelpViewer::initTestCase()
{
    installInterfaceFonts();
    m_manual = QStringLiteral(QUILLET_BINARY_DIR "/share/quillet/quillet.chm");
    if (!QFile::exists(m_manual))
        QSKIP("the manual was not built (chmcmd missing)");
}

void tst_HelpViewer::opensAtTheTopic_data()
{
    QTest::addColumn<int>("topic");
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("heading");   // the page's first line
    QTest::addColumn<QString>("paragraph"); // a part of a long one, which must wrap
    QTest::newRow("no topic: the first page") << 0 << QString("/index.html") << "Quillet の使い方"
                                              << "Quillet は、Windows Script Host で動くスクリプト";
    QTest::newRow("drive list") << 230 << QString("/drive.html") << "ドライブ一覧" << QString();
    QTest::newRow("file list") << 250 << QString("/filelist.html") << "スクリプトファイル一覧" << QString();
    QTest::newRow("run") << 280 << QString("/run.html") << "スクリプトを実行する"
                         << "選択されたファイルを実行します";
    QTest::newRow("encode") << 320 << QString("/encode.html") << "スクリプトをエンコードする" << QString();
    QTest::newRow("unknown: the first") << 999 << QString("/index.html") << "Quillet の使い方" << QString();
}

// At the viewer's own size, a long paragraph takes several lines and none runs off the
// right edge.
void tst_HelpViewer::opensAtTheTopic()
{
    QFETCH(int, topic);
    QFETCH(QString, page);
    QFETCH(QString, heading);
    QFETCH(QString, paragraph);
    QVERIFY(m_viewer->openFile(m_manual, quint32(topic)));
    QCOMPARE(m_viewer->windowTitle(), QStringLiteral("Quilletの使い方"));
    QCOMPARE(m_viewer->page(), page);
    auto* browser = child<QTextBrowser>("page");
    QString text = browser->toPlainText();
    // Past the line of links back to the first page, where a page has one.
    if (text.startsWith(QStringLiteral("Quillet の使い方 > ")))
        text = text.section(u'\n', 1);
    QCOMPARE(text.section(u'\n', 0, 0), heading);
    if (paragraph.isEmpty())
        return;
    m_viewer->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_viewer));
    QTextBlock block = browser->document()->begin();
    while (block.isValid() && !block.text().contains(paragraph))
        block = block.next();
    QVERIFY2(block.isValid(), qPrintable(text.left(400)));
    QVERIFY2(block.layout()->lineCount() > 1, qPrintable(QString::number(block.layout()->lineCount())));
    const qreal right = browser->document()->documentLayout()->blockBoundingRect(block).right();
    QVERIFY2(right <= browser->viewport()->width(), qPrintable(QString::number(right)));
    QCOMPARE(browser->horizontalScrollBar()->maximum(), 0);
}

// The contents follow the page however it was reached; every entry is whole, and every page
// names the menus as the menu bar shows them, not with the "&" of the program's source.
void tst_HelpViewer::contents()
{
    QVERIFY(m_viewer->openFile(m_manual, 230));
    m_viewer->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_viewer));
    auto* tree = child<QTreeWidget>("contents");
    auto* page = child<QTextBrowser>("page");
    QCOMPARE(tree->currentItem()->text(0), QStringLiteral("ドライブの選択"));
    // What a screen reader and UI automation find the window and its parts by.
    auto* bar = m_viewer->findChild<QToolBar*>();
    QStringList named{m_viewer->objectName(), tree->accessibleName(), page->accessibleName(),
                      bar->windowTitle()};
    for (QAction* a : bar->actions())
        named << a->text();
    QCOMPARE(named, QStringList({"helpViewer", "目次", "ページ", "ツールバー", "戻る", "進む", "ホーム"}));
    tree->setCurrentItem(tree->findItems(QStringLiteral("実行"), Qt::MatchExactly).value(0));
    QCOMPARE(m_viewer->page(), QStringLiteral("/run.html"));
    QCOMPARE(QList<bool>({bar->actions().at(0)->isEnabled(), bar->actions().at(1)->isEnabled()}),
             QList<bool>({true, false})); // 戻る, 進む
    page->backward();
    QCOMPARE(m_viewer->page(), QStringLiteral("/drive.html"));
    QCOMPARE(bar->actions().at(1)->isEnabled(), true); // 進む
    QCOMPARE(tree->currentItem()->text(0), QStringLiteral("ドライブの選択"));
    // The keyboard follows the link back to the first page.
    page->setFocus();
    QTest::keyClick(page, Qt::Key_Tab);
    QTest::keyClick(page, Qt::Key_Return);
    QCOMPARE(m_viewer->page(), QStringLiteral("/index.html"));
    QVERIFY(page->toPlainText().contains(QStringLiteral("［ファイル(F)］→［終了(X)］")));
    QStringList names;
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        names.append((*it)->text(0));
        const QRect r = tree->visualItemRect(*it);
        const int needed = tree->fontMetrics().horizontalAdvance(names.last());
        QVERIFY2(r.right() < tree->viewport()->width() && needed <= r.width(), qPrintable(names.last()));
        tree->setCurrentItem(*it);
        QVERIFY2(!page->toPlainText().contains(QStringLiteral("(&")), qPrintable(m_viewer->page()));
    }
    QCOMPARE(names.size(), 14);
    QCOMPARE(names.first(), QStringLiteral("はじめに"));
    QVERIFY(names.contains(QStringLiteral("スクリプトの種類とインタープリタ")));
    QCOMPARE(tree->horizontalScrollBar()->maximum(), 0);
}

void tst_HelpViewer::unreadableFilesAreSaidSo_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing") << QString("missing") << "ありません";
    QTest::newRow("a text file") << QString("text") << "ヘルプファイル (CHM) として読めません。";
    QTest::newRow("a FIFO, not waited on") << QString("fifo") << "通常のファイルではありません。";
    QTest::newRow("a folder") << QString("folder") << "フォルダです。";
}

void tst_HelpViewer::unreadableFilesAreSaidSo()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("quillet.chm"));
    QFile text(path);
    if (kind == QLatin1String("text"))
        QVERIFY(text.open(QIODevice::WriteOnly) && text.write("<html>not compiled</html>") > 0);
    else if (kind == QLatin1String("fifo"))
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    else if (kind == QLatin1String("folder"))
        QVERIFY(QDir().mkdir(path));
    text.close();
    QVERIFY(!m_viewer->openFile(path));
    const QString shown = child<QTextBrowser>("page")->toPlainText();
    QVERIFY2(shown.startsWith(QStringLiteral("ヘルプファイルを開けません\n") + path), qPrintable(shown));
    QVERIFY2(shown.contains(reason), qPrintable(shown));
}

QTEST_MAIN(tst_HelpViewer)
#include "tst_HelpViewer.moc"
