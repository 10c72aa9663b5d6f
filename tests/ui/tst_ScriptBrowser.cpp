#include "DirListBox.h"
#include "NativeName.h"
#include "TestBench.h"
#include "TestFiles.h"

#include <QComboBox>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextBlock>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// The drive, folder and file lists and the preview, over a temporary tree of two "volumes";
// the main window starts in vol1/scripts.
class tst_ScriptBrowser : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void startsOnTheWorkingFolder();
    void choosingAFileShowsItsText_data();
    void choosingAFileShowsItsText();
    void richTextIsFormattedAndDoesNotLeak();
    void arrowKeysChooseEachFilePassed();
    void openingAFolderKeepsTheChosenFile();
    void eachVolumeRemembersItsFolder();
    void whatCannotBeReadIsReported_data();
    void whatCannotBeReadIsReported();
    void aLargeFileShowsItsFirstScreenAtOnce();
    void namesThatAreNotUtf8AddressTheirOwnFile_data();
    void namesThatAreNotUtf8AddressTheirOwnFile();

private:
    QString path(const QString& rel) const { return m_dir->path() + u'/' + rel; }
    QStringList rows(const char* list) const;
    void choose(const QString& name);
    void openFolderEntry(const QString& text);
    void setDrive(const QString& rel) const;
    QString preview() const { return child<QPlainTextEdit>(m_main, "fldViewSrc")->toPlainText(); }
    QString folder() const { return child<DirListBox>(m_main, "fldDir")->path(); }

    std::unique_ptr<QTemporaryDir> m_dir;
    FakeServices m_f;
    std::unique_ptr<TestBench> m_bench;
    frmMain* m_main = nullptr;
};

namespace {
const QString Suffix = QStringLiteral(" - Quillet Ver.0.1.5");
} // namespace

QStringList tst_ScriptBrowser::rows(const char* list) const
{
    QStringList out;
    const QAbstractItemModel* model = child<QListView>(m_main, list)->model();
    for (int i = 0; i < model->rowCount(); ++i)
        out.append(model->index(i, 0).data().toString());
    return out;
}

void tst_ScriptBrowser::choose(const QString& name)
{
    auto* view = child<QListView>(m_main, "fldFileList");
    const int row = rows("fldFileList").indexOf(name);
    QVERIFY2(row >= 0, qPrintable(name));
    const QModelIndex index = view->model()->index(row, 0);
    view->scrollTo(index);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
}

void tst_ScriptBrowser::openFolderEntry(const QString& text)
{
    auto* list = child<QListView>(m_main, "fldDir");
    const int row = rows("fldDir").indexOf(text);
    QVERIFY2(row >= 0, qPrintable(text));
    const QRect r = list->visualRect(list->model()->index(row, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, r.center());
}

void tst_ScriptBrowser::setDrive(const QString& rel) const
{
    auto* drive = child<QComboBox>(m_main, "fldDrive");
    drive->setCurrentIndex(drive->findData(path(rel)));
}

void tst_ScriptBrowser::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    const QList<std::pair<const char*, const char*>> copies{{"text/cp932-greeting.vbs", "a.vbs"},
                                                            {"text/utf8-bom.js", "B.JS"},
                                                            {"text/cp932-perl.pls", "c.pls"},
                                                            {"text/utf16le-bom.vbs", "日本語.vbs"},
                                                            {"text/utf8-nobom.js", "with blank.js"},
                                                            {"rtf/richedit-cp932.rtf", "-rich.vbs"},
                                                            {"text/cp932-invalid-bytes.vbs", "broken.vbs"}};
    for (const auto& [from, to] : copies)
        QVERIFY(writeFile(path("vol1/scripts/") + QString::fromUtf8(to),
                          bytesOf(QStringLiteral(QUILLET_TESTDATA "/") + QLatin1String(from))));
    for (const char* other : {"notes.txt", "tool.exe", ".hidden.vbs", "sub/inner.vbs"})
        QVERIFY(writeFile(path("vol1/scripts/") + QLatin1String(other), "' x"));
    QDir().mkpath(path("vol1/scripts/folder.vbs"));
    QVERIFY(writeFile(path("vol2/top.js"), "// top"));
    QVERIFY(QFile::link(path("vol1/scripts/a.vbs"), path("vol1/scripts/link.vbs")));

    m_f = {};
    m_f.drives.list = {{QStringLiteral("/"), {}},
                       {path("vol1"), QStringLiteral("ONE")},
                       {path("vol2"), {}},
                       {path("gone"), QStringLiteral("USB")}};
    m_f.drives.rememberFolder(path("vol1/scripts"));
    QDir::setCurrent(path("vol1/scripts"));
    m_bench = std::make_unique<TestBench>(m_f);
    m_main = m_bench->showMain();
}

void tst_ScriptBrowser::cleanup()
{
    m_bench.reset();
    QDir::setCurrent(QDir::tempPath());
    QFile::setPermissions(path("vol1/scripts"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    m_dir.reset();
}

void tst_ScriptBrowser::startsOnTheWorkingFolder()
{
    auto* drive = child<QComboBox>(m_main, "fldDrive");
    QCOMPARE(drive->currentText(), path("vol1") + QStringLiteral(" [ONE]"));
    QCOMPARE(drive->count(), 4);
    QCOMPARE(folder(), path("vol1/scripts"));
    // Scripts only, of any letter case, files (a link to one too), no hidden ones.
    QCOMPARE(rows("fldFileList"), (QStringList{"-rich.vbs", "a.vbs", "B.JS", "broken.vbs", "c.pls",
                                               "link.vbs", "with blank.js", "日本語.vbs"}));
    QVERIFY(child<QListView>(m_main, "fldFileList")->selectionModel()->selectedIndexes().isEmpty());
    QVERIFY(m_bench->workbench.selectedFile().isEmpty());
    QCOMPARE(m_main->windowTitle(), QStringLiteral("Quillet"));
    QVERIFY(preview().isEmpty());
    // The folder list: the ancestors open down to the folder, then its subfolders.
    const QStringList dirs = rows("fldDir");
    QCOMPARE(dirs.mid(dirs.size() - 3), (QStringList{"scripts", "folder.vbs", "sub"}));
    QCOMPARE(dirs.first(), QStringLiteral("/"));
}

void tst_ScriptBrowser::choosingAFileShowsItsText_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("shows");
    auto row = [](const char* name, const char* file, const char* shows) {
        QTest::newRow(name) << QString::fromUtf8(file) << QString::fromUtf8(shows);
    };
    row("code page 932", "a.vbs", "msg = \"こんにちは、\" & 名前 & \"さん ①②③ Ⅰ Ⅱ ㈱ ～ ￢ ∥ － 髙橋 﨑\"\n");
    row("half-width katakana", "c.pls", "# ﾌｧｲﾙ名: C:\\Scripts\\a.pls\n");
    row("utf-8 with bom", "B.JS", "var s = \"日本語のテキスト ﾊﾝｶｸ ①\";");
    row("utf-8", "with blank.js", "// ﾌｧｲﾙ名: /home/user/スクリプト/hello.js\n");
    row("utf-16", "日本語.vbs", "名前 = \"ｸｲﾙｯﾄ\"\n");
    row("rich text", "-rich.vbs", "スクリプトの説明");
    row("invalid bytes", "broken.vbs", "' 壊れたバイト: \uFFFD\uFFFD\uFFFD \uFFFD  ok\n");
    row("a link", "link.vbs", "Option Explicit\n");
}

void tst_ScriptBrowser::choosingAFileShowsItsText()
{
    QFETCH(QString, name);
    QFETCH(QString, shows);
    choose(name);
    const QString expected = path("vol1/scripts/") + name;
    QCOMPARE(m_bench->workbench.selectedFile(), expected);
    QCOMPARE(m_main->windowTitle(), expected + Suffix);
    QVERIFY2(preview().contains(shows), qPrintable(preview().left(300)));
    QVERIFY(!preview().contains(u'\r'));
    QVERIFY(child<QPushButton>(m_main, "btnEdit")->isEnabled());
}

void tst_ScriptBrowser::richTextIsFormattedAndDoesNotLeak()
{
    choose(QStringLiteral("-rich.vbs"));
    auto* view = child<QPlainTextEdit>(m_main, "fldViewSrc");
    const QTextBlock title = view->document()->firstBlock();
    QCOMPARE(title.text(), QStringLiteral("スクリプトの説明"));
    QVERIFY(title.begin().fragment().charFormat().font().bold());
    choose(QStringLiteral("a.vbs"));
    const QTextBlock plain = view->document()->firstBlock();
    QCOMPARE(plain.text(), QStringLiteral("' Windows Scripting Host"));
    QVERIFY(!plain.begin().fragment().charFormat().font().bold());
    QVERIFY(!plain.begin().fragment().charFormat().hasProperty(QTextFormat::ForegroundBrush));
}

void tst_ScriptBrowser::arrowKeysChooseEachFilePassed()
{
    choose(QStringLiteral("a.vbs"));
    auto* view = child<QListView>(m_main, "fldFileList");
    view->setFocus();
    QStringList seen;
    for (int i = 0; i < 3; ++i) {
        QTest::keyClick(view, Qt::Key_Down);
        seen.append(QFileInfo(m_bench->workbench.selectedFile()).fileName());
        QCOMPARE(m_main->windowTitle(), m_bench->workbench.selectedFile() + Suffix);
    }
    QCOMPARE(seen, (QStringList{"B.JS", "broken.vbs", "c.pls"}));
    QVERIFY(preview().contains(QStringLiteral("ﾊﾟｰﾙ")));
}

void tst_ScriptBrowser::openingAFolderKeepsTheChosenFile()
{
    choose(QStringLiteral("c.pls"));
    const QString chosen = m_bench->workbench.selectedFile(), title = m_main->windowTitle(),
                  shown = preview();
    openFolderEntry(QStringLiteral("sub"));
    QCOMPARE(folder(), path("vol1/scripts/sub"));
    QCOMPARE(rows("fldFileList"), QStringList{"inner.vbs"});
    QVERIFY(child<QListView>(m_main, "fldFileList")->selectionModel()->selectedIndexes().isEmpty());
    QCOMPARE(m_bench->workbench.selectedFile(), chosen);
    QCOMPARE(m_main->windowTitle(), title);
    QCOMPARE(preview(), shown);
    // A list that only gains the focus chooses nothing.
    child(m_main, "fldFileList")->setFocus();
    QCOMPARE(m_bench->workbench.selectedFile(), chosen);
    // Up again through an ancestor entry.
    openFolderEntry(QStringLiteral("vol1"));
    QCOMPARE(folder(), path("vol1"));
    QVERIFY(rows("fldFileList").isEmpty());
}

void tst_ScriptBrowser::eachVolumeRemembersItsFolder()
{
    openFolderEntry(QStringLiteral("sub"));
    setDrive("vol2");
    QCOMPARE(folder(), path("vol2"));
    QCOMPARE(rows("fldFileList"), QStringList{"top.js"});
    setDrive("vol1");
    QCOMPARE(folder(), path("vol1/scripts/sub"));
    QVERIFY(m_f.dialogs.calls.isEmpty());
}

void tst_ScriptBrowser::whatCannotBeReadIsReported_data()
{
    QTest::addColumn<QString>("what");
    QTest::addColumn<QString>("status"); // %1: the test's folder
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QString>("folder"); // where the folder list stands afterwards
    auto row = [](const char* what, const char* status, const QStringList& boxes, const char* folder) {
        QTest::newRow(what) << QString::fromLatin1(what) << QString::fromUtf8(status) << boxes
                            << QString::fromLatin1(folder);
    };
    row("a file removed since it was listed", "ﾌｧｲﾙを読み込めません: %1/vol1/scripts/c.pls", {},
        "vol1/scripts");
    row("a file replaced by a folder", "ﾌｧｲﾙを読み込めません: %1/vol1/scripts/c.pls", {}, "vol1/scripts");
    row("a huge file: its first part",
        "ﾌｧｲﾙが大きいため先頭の 64 MB だけを表示しています: %1/vol1/scripts/c.pls", {}, "vol1/scripts");
    row("a folder removed since it was listed", "ﾌｫﾙﾀﾞを読み込めません: %1/vol1/scripts/sub", {},
        "vol1/scripts");
    row("a volume that is gone: back to the one before", "", {box(48, "", "ﾄﾞﾗｲﾌﾞを読み込めません: %1/gone")},
        "vol1/scripts");
    row("the shown folder gone: the lists go empty", "", {}, "vol1");
}

void tst_ScriptBrowser::whatCannotBeReadIsReported()
{
    QFETCH(QString, what);
    QFETCH(QString, status);
    QFETCH(QStringList, boxes);
    QFETCH(QString, folder);
    const QString pls = path("vol1/scripts/c.pls");
    choose(QStringLiteral("a.vbs"));
    m_main->setStatusText(QString());
    if (what.startsWith(QStringLiteral("a file"))) {
        QVERIFY(QFile::remove(pls));
        if (what.endsWith(QStringLiteral("folder")))
            QVERIFY(QDir().mkdir(pls));
        choose(QStringLiteral("c.pls"));
    } else if (what.startsWith(QStringLiteral("a huge"))) {
        QFile f(pls); // 300 MB with no line end at all, sparse on disk
        QVERIFY(f.open(QIODevice::WriteOnly) && f.resize(300LL * 1024 * 1024));
        choose(QStringLiteral("c.pls"));
        QVERIFY(child<QPlainTextEdit>(m_main, "fldViewSrc")->document()->firstBlock().text().size() <= 1000);
    } else if (what.startsWith(QStringLiteral("a folder"))) {
        QVERIFY(QDir(path("vol1/scripts/sub")).removeRecursively());
        openFolderEntry(QStringLiteral("sub"));
        QVERIFY(!rows("fldDir").contains(QStringLiteral("sub")));
    } else if (what.startsWith(QStringLiteral("a volume"))) {
        setDrive("gone");
        QCOMPARE(child<QComboBox>(m_main, "fldDrive")->currentData().toString(), path("vol1"));
    } else {
        QVERIFY(QDir(path("vol1/scripts")).removeRecursively());
        setDrive("vol2");
        setDrive("vol1");
        QVERIFY(rows("fldFileList").isEmpty());
    }
    for (QString& b : boxes)
        b = b.arg(m_dir->path());
    QCOMPARE(m_main->statusText(), status.arg(m_dir->path()));
    QCOMPARE(m_f.dialogs.described(), boxes);
    QCOMPARE(this->folder(), path(folder));
    if (what.startsWith(QStringLiteral("a file")) || what.startsWith(QStringLiteral("a huge"))) {
        // The choice itself is made, as with a file that can be read.
        QCOMPARE(m_bench->workbench.selectedFile(), pls);
        QCOMPARE(m_main->windowTitle(), pls + Suffix);
        QCOMPARE(preview().isEmpty(), !what.startsWith(QStringLiteral("a huge")));
        // Another file stops what was still loading.
        choose(QStringLiteral("a.vbs"));
        QVERIFY(preview().startsWith(QStringLiteral("' Windows Scripting Host")));
    }
}

void tst_ScriptBrowser::aLargeFileShowsItsFirstScreenAtOnce()
{
    const QByteArray line = cp932(QStringLiteral("WScript.Echo \"こんにちは ｶﾀｶﾅ\"\r\n"));
    QByteArray big;
    for (int i = 0; i < 100000; ++i)
        big += QByteArray::number(i) + ' ' + line;
    QVERIFY(writeFile(path("vol1/scripts/big.vbs"), big));
    m_main = m_bench->showMain();
    choose(QStringLiteral("big.vbs"));
    auto* view = child<QPlainTextEdit>(m_main, "fldViewSrc");
    QVERIFY(view->document()->blockCount() < 100000); // the rest is still on its way
    QCOMPARE(view->document()->firstBlock().text(), QStringLiteral("0 WScript.Echo \"こんにちは ｶﾀｶﾅ\""));
    QTRY_COMPARE_WITH_TIMEOUT(view->document()->blockCount(), 100001, 20000);
    QCOMPARE(view->document()->lastBlock().previous().text(),
             QStringLiteral("99999 WScript.Echo \"こんにちは ｶﾀｶﾅ\""));
    // Choosing another file meanwhile drops what was still loading.
    choose(QStringLiteral("big.vbs"));
    choose(QStringLiteral("c.pls"));
    QTest::qWait(100);
    QVERIFY(!preview().contains(QStringLiteral("WScript.Echo")));
}

void tst_ScriptBrowser::namesThatAreNotUtf8AddressTheirOwnFile_data()
{
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QByteArray>("name"); // as the file system holds it
    QTest::addColumn<QString>("text");
    QTest::newRow("a byte that is not UTF-8")
        << "bad\uFFFD.vbs (文字コード不明)" << QByteArray("bad\xff.vbs") << "MsgBox 1";
    QTest::newRow("its twin, whose name holds U+FFFD itself")
        << "bad\uFFFD.vbs" << QByteArray("bad\xef\xbf\xbd.vbs") << "MsgBox 2";
    QTest::newRow("code page 932, as unzip leaves Windows archives")
        << "テスト.vbs" << QByteArray("\x83\x65\x83\x58\x83\x67.vbs") << "MsgBox 3";
}

void tst_ScriptBrowser::namesThatAreNotUtf8AddressTheirOwnFile()
{
    QFETCH(QString, shown);
    QFETCH(QByteArray, name);
    QFETCH(QString, text);
    const QByteArray odd = QFile::encodeName(path("vol1/odd"));
    QVERIFY(QDir().mkpath(path("vol1/odd")));
    const QList<std::pair<QByteArray, QByteArray>> files{{"bad\xff.vbs", "MsgBox 1"},
                                                         {"bad\xef\xbf\xbd.vbs", "MsgBox 2"},
                                                         {"\x83\x65\x83\x58\x83\x67.vbs", "MsgBox 3"}};
    for (const auto& [file, content] : files) {
        const int fd = ::open((odd + '/' + file).constData(), O_WRONLY | O_CREAT, 0644);
        QVERIFY(fd >= 0 && ::write(fd, content.constData(), 8) == 8);
        ::close(fd);
    }
    // A folder whose name is not UTF-8 either: listed readably, entered by its real name.
    const QByteArray inner = odd + "/\x83\x74\x83\x48\x83\x8b\x83\x5f"; // フォルダ in code page 932
    QCOMPARE(::mkdir(inner.constData(), 0755), 0);
    // Beyond what QTemporaryDir can name.
    const auto removeAll = qScopeGuard([&] {
        for (const auto& f : files)
            ::unlink((odd + '/' + f.first).constData());
        ::rmdir(inner.constData());
    });
    auto* dirs = child<DirListBox>(m_main, "fldDir");
    dirs->setPath(path("vol1/odd"));
    QCOMPARE(rows("fldDir").mid(rows("fldDir").indexOf(QStringLiteral("odd"))),
             (QStringList{"odd", "フォルダ"}));
    dirs->setPath(NativeName::fromBytes(inner));
    QCOMPARE(rows("fldDir").last(), QStringLiteral("フォルダ"));
    QCOMPARE(NativeName::toBytes(dirs->path()), inner);
    dirs->setPath(path("vol1/odd"));
    QCOMPARE(rows("fldFileList"),
             (QStringList{"bad\uFFFD.vbs", "bad\uFFFD.vbs (文字コード不明)", "テスト.vbs"}));
    choose(shown);
    QCOMPARE(preview(), text);
    QCOMPARE(NativeName::toBytes(m_bench->workbench.selectedFile()), odd + '/' + name);
    QCOMPARE(m_main->windowTitle(), path("vol1/odd/") + shown + Suffix);
    // The run action's line names the same bytes.
    m_f.dialogs.inputAnswers = {FakeDialogs::AcceptDefault};
    QTest::mouseClick(child<QPushButton>(m_main, "btnRun"), Qt::LeftButton);
    QCOMPARE(m_f.launcher.lines.size(), 1);
    QCOMPARE(NativeName::toBytes(m_f.launcher.lines.first()), "1|WSCRIPT.EXE \"" + odd + '/' + name + '"');
}

QTEST_MAIN(tst_ScriptBrowser)
#include "tst_ScriptBrowser.moc"
