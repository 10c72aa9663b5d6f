#include "Fonts.h"
#include "HelpViewer.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextLayout>
#include <QTreeWidget>

#include <sys/stat.h>

// The manual as the help menu and F1 show it: in Quillet's own viewer, at the topic asked
// for, with Japanese paragraphs wrapped to the window and every contents entry whole.
class tst_HelpViewer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void opensAtTheTopic_data();
    void opensAtTheTopic();
    void japaneseParagraphsWrap_data();
    void japaneseParagraphsWrap();
    void contentsEntriesAreWhole();
    void contentsFollowThePage();
    void menusAreWrittenAsTheyShow();
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

void tst_HelpViewer::init()
{
    m_viewer = new HelpViewer;
}

void tst_HelpViewer::cleanup()
{
    delete m_viewer;
}

void tst_HelpViewer::opensAtTheTopic_data()
{
    QTest::addColumn<int>("topic");
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("heading"); // the page's first line
    QTest::newRow("no topic: the first page") << 0 << "/index.html"
                                              << "Quillet の使い方";
    QTest::newRow("drive list") << 230 << "/drive.html"
                                << "ドライブ一覧";
    QTest::newRow("edit") << 240 << "/edit.html"
                          << "スクリプトを編集する";
    QTest::newRow("file list") << 250 << "/filelist.html"
                               << "スクリプトファイル一覧";
    QTest::newRow("folder list") << 260 << "/folder.html"
                                 << "フォルダ一覧";
    QTest::newRow("new") << 270 << "/new.html"
                         << "スクリプトの新規作成";
    QTest::newRow("run") << 280 << "/run.html"
                         << "スクリプトを実行する";
    QTest::newRow("encode and options") << 320 << "/encode.html"
                                        << "スクリプトをエンコードする";
    QTest::newRow("a number the manual lacks: the first page") << 999 << "/index.html"
                                                               << "Quillet の使い方";
}

void tst_HelpViewer::opensAtTheTopic()
{
    QFETCH(int, topic);
    QFETCH(QString, page);
    QFETCH(QString, heading);
    QVERIFY(m_viewer->openFile(m_manual, quint32(topic)));
    QCOMPARE(m_viewer->windowTitle(), QStringLiteral("Quilletの使い方"));
    QCOMPARE(m_viewer->page(), page);
    QString text = child<QTextBrowser>("page")->toPlainText();
    // Past the line of links back to the first page, where a page has one.
    if (text.startsWith(QStringLiteral("Quillet の使い方 > ")))
        text = text.section(u'\n', 1);
    QCOMPARE(text.section(u'\n', 0, 0), heading);
}

void tst_HelpViewer::japaneseParagraphsWrap_data()
{
    QTest::addColumn<int>("topic");
    QTest::addColumn<QString>("paragraph"); // a part of it
    QTest::newRow("the first page") << 0 << "Quillet は、Windows Script Host で動くスクリプト";
    QTest::newRow("running a script") << 280 << "選択されたファイルを実行します";
}

// At the viewer's own size, a long paragraph takes several lines and none runs off the
// right edge.
void tst_HelpViewer::japaneseParagraphsWrap()
{
    QFETCH(int, topic);
    QFETCH(QString, paragraph);
    QVERIFY(m_viewer->openFile(m_manual, quint32(topic)));
    m_viewer->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_viewer));
    auto* page = child<QTextBrowser>("page");
    QTextBlock block = page->document()->begin();
    while (block.isValid() && !block.text().contains(paragraph))
        block = block.next();
    QVERIFY2(block.isValid(), qPrintable(page->toPlainText().left(400)));
    QVERIFY2(block.layout()->lineCount() > 1, qPrintable(QString::number(block.layout()->lineCount())));
    const QRectF box = page->document()->documentLayout()->blockBoundingRect(block);
    QVERIFY2(box.right() <= page->viewport()->width(),
             qPrintable(QStringLiteral("%1 > %2").arg(box.right()).arg(page->viewport()->width())));
    QCOMPARE(page->horizontalScrollBar()->maximum(), 0);
}

void tst_HelpViewer::contentsEntriesAreWhole()
{
    QVERIFY(m_viewer->openFile(m_manual));
    m_viewer->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_viewer));
    auto* tree = child<QTreeWidget>("contents");
    QStringList names;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = tree->topLevelItem(i);
        names.append(item->text(0));
        const QRect r = tree->visualItemRect(item);
        const int needed = tree->fontMetrics().horizontalAdvance(item->text(0));
        QVERIFY2(r.right() < tree->viewport()->width() && needed <= r.width(), qPrintable(item->text(0)));
    }
    QCOMPARE(names.size(), 14);
    QCOMPARE(names.first(), QStringLiteral("はじめに"));
    QVERIFY(names.contains(QStringLiteral("スクリプトの種類とインタープリタ")));
    QCOMPARE(tree->horizontalScrollBar()->maximum(), 0);
}

void tst_HelpViewer::contentsFollowThePage()
{
    QVERIFY(m_viewer->openFile(m_manual, 230));
    auto* tree = child<QTreeWidget>("contents");
    QCOMPARE(tree->currentItem()->text(0), QStringLiteral("ドライブの選択"));
    // Choosing an entry shows its page; going back shows the one before, and its entry.
    tree->setCurrentItem(tree->findItems(QStringLiteral("実行"), Qt::MatchExactly).value(0));
    QCOMPARE(m_viewer->page(), QStringLiteral("/run.html"));
    child<QTextBrowser>("page")->backward();
    QCOMPARE(m_viewer->page(), QStringLiteral("/drive.html"));
    QCOMPARE(tree->currentItem()->text(0), QStringLiteral("ドライブの選択"));
}

// The menus are named as the menu bar shows them, with the access key, not with the "&"
// that marks it in the program's source.
void tst_HelpViewer::menusAreWrittenAsTheyShow()
{
    QVERIFY(m_viewer->openFile(m_manual));
    auto* tree = child<QTreeWidget>("contents");
    int pages = 0;
    for (QTreeWidgetItemIterator it(tree); *it; ++it, ++pages) {
        tree->setCurrentItem(*it);
        const QString text = child<QTextBrowser>("page")->toPlainText();
        QVERIFY2(!text.contains(QStringLiteral("(&")), qPrintable(m_viewer->page()));
    }
    QCOMPARE(pages, 14);
    tree->setCurrentItem(tree->topLevelItem(0));
    QVERIFY(
        child<QTextBrowser>("page")->toPlainText().contains(QStringLiteral("［ファイル(F)］→［終了(X)］")));
}

void tst_HelpViewer::unreadableFilesAreSaidSo_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing") << "missing"
                             << "ありません";
    QTest::newRow("a text file") << "text"
                                 << "ヘルプファイル (CHM) として読めません。";
    QTest::newRow("a FIFO, not waited on") << "fifo"
                                           << "通常のファイルではありません。";
    QTest::newRow("a folder") << "folder"
                              << "フォルダです。";
}

void tst_HelpViewer::unreadableFilesAreSaidSo()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("quillet.chm"));
    if (kind == QLatin1String("text")) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("<html>not compiled</html>") > 0);
    } else if (kind == QLatin1String("fifo")) {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (kind == QLatin1String("folder")) {
        QVERIFY(QDir().mkdir(path));
    }
    QVERIFY(!m_viewer->openFile(path));
    const QString text = child<QTextBrowser>("page")->toPlainText();
    QVERIFY2(text.startsWith(QStringLiteral("ヘルプファイルを開けません\n") + path), qPrintable(text));
    QVERIFY2(text.contains(reason), qPrintable(text));
}

QTEST_MAIN(tst_HelpViewer)
#include "tst_HelpViewer.moc"
