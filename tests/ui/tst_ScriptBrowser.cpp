#include "DirListBox.h"
#include "FileListBox.h"
#include "NativeName.h"
#include "TestBench.h"
#include "frmMainTexts.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace T = frmMainText;

// A temporary tree of two "volumes"; the main window starts in vol1/scripts.
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
    void aVolumeThatIsGoneIsRefused();
    void aFileThatWentAwayLeavesThePreviewEmpty_data();
    void aFileThatWentAwayLeavesThePreviewEmpty();
    void aFolderThatWentAwayIsReported();
    void aFolderThatCannotBeListedIsReported();
    void aLargeFileShowsItsFirstScreenAtOnce();
    void aHugeFileIsCutAtTheLimit();
    void namesThatAreNotUtf8AddressTheirOwnFile_data();
    void namesThatAreNotUtf8AddressTheirOwnFile();

private:
    QString path(const QString& rel) const { return m_dir->path() + u'/' + rel; }
    void write(const QString& rel, const QByteArray& bytes);
    void copyTestFile(const QString& from, const QString& rel);
    template <class W = QWidget> W* child(const char* name)
    {
        return m_main->findChild<W*>(QLatin1String(name));
    }
    QStringList listed() { return child<FileListBox>("fldFileList") ? names() : QStringList(); }
    QStringList names();
    QStringList folderEntries();
    void choose(const QString& name);
    void openFolderEntry(const QString& text);
    QString preview() { return child<QPlainTextEdit>("fldViewSrc")->toPlainText(); }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_oldCwd;
    FakeServices m_fakes;
    std::unique_ptr<TestBench> m_bench;
    frmMain* m_main = nullptr;
};

void tst_ScriptBrowser::write(const QString& rel, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path(rel)).absolutePath());
    QFile f(path(rel));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

void tst_ScriptBrowser::copyTestFile(const QString& from, const QString& rel)
{
    QFile src(QStringLiteral(QUILLET_TESTDATA "/") + from);
    QVERIFY(src.open(QIODevice::ReadOnly));
    write(rel, src.readAll());
}

QStringList tst_ScriptBrowser::names()
{
    QStringList out;
    auto* view = child<QListView>("fldFileList");
    for (int i = 0; i < view->model()->rowCount(); ++i)
        out.append(view->model()->index(i, 0).data().toString());
    return out;
}

QStringList tst_ScriptBrowser::folderEntries()
{
    QStringList out;
    auto* view = child<QListView>("fldDir");
    for (int i = 0; i < view->model()->rowCount(); ++i)
        out.append(view->model()->index(i, 0).data().toString());
    return out;
}

void tst_ScriptBrowser::choose(const QString& name)
{
    auto* view = child<QListView>("fldFileList");
    const int row = names().indexOf(name);
    QVERIFY2(row >= 0, qPrintable(name));
    const QModelIndex index = view->model()->index(row, 0);
    view->scrollTo(index);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
}

void tst_ScriptBrowser::openFolderEntry(const QString& text)
{
    auto* list = child<QListView>("fldDir");
    const int row = folderEntries().indexOf(text);
    QVERIFY2(row >= 0, qPrintable(text));
    const QRect r = list->visualRect(list->model()->index(row, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, r.center());
}

void tst_ScriptBrowser::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    copyTestFile(QStringLiteral("text/cp932-greeting.vbs"), QStringLiteral("vol1/scripts/a.vbs"));
    copyTestFile(QStringLiteral("text/utf8-bom.js"), QStringLiteral("vol1/scripts/B.JS"));
    copyTestFile(QStringLiteral("text/cp932-perl.pls"), QStringLiteral("vol1/scripts/c.pls"));
    copyTestFile(QStringLiteral("text/utf16le-bom.vbs"), QStringLiteral("vol1/scripts/日本語.vbs"));
    copyTestFile(QStringLiteral("text/utf8-nobom.js"), QStringLiteral("vol1/scripts/with blank.js"));
    copyTestFile(QStringLiteral("rtf/richedit-cp932.rtf"), QStringLiteral("vol1/scripts/-rich.vbs"));
    copyTestFile(QStringLiteral("text/cp932-invalid-bytes.vbs"), QStringLiteral("vol1/scripts/broken.vbs"));
    write(QStringLiteral("vol1/scripts/notes.txt"), "not a script");
    write(QStringLiteral("vol1/scripts/tool.exe"), "MZ");
    write(QStringLiteral("vol1/scripts/.hidden.vbs"), "hidden");
    write(QStringLiteral("vol1/scripts/sub/inner.vbs"), "' inner");
    QDir().mkpath(path(QStringLiteral("vol1/scripts/folder.vbs")));
    write(QStringLiteral("vol2/top.js"), "// top");
    QVERIFY(QFile::link(path(QStringLiteral("vol1/scripts/a.vbs")),
                        path(QStringLiteral("vol1/scripts/link.vbs"))));

    m_fakes.drives.list = {{QStringLiteral("/"), {}},
                           {path(QStringLiteral("vol1")), QStringLiteral("ONE")},
                           {path(QStringLiteral("vol2")), {}},
                           {path(QStringLiteral("gone")), QStringLiteral("USB")}};
    m_fakes.drives.folders.clear();
    m_fakes.drives.rememberFolder(path(QStringLiteral("vol1/scripts")));
    m_fakes.dialogs.calls.clear();
    m_oldCwd = QDir::currentPath();
    QDir::setCurrent(path(QStringLiteral("vol1/scripts")));
    m_bench = std::make_unique<TestBench>(m_fakes);
    m_main = new frmMain(m_bench->workbench);
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main));
}

void tst_ScriptBrowser::cleanup()
{
    delete m_main;
    m_bench.reset();
    QDir::setCurrent(m_oldCwd);
    QFile::setPermissions(path(QStringLiteral("vol1/scripts")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    m_dir.reset();
}

void tst_ScriptBrowser::startsOnTheWorkingFolder()
{
    auto* drive = child<QComboBox>("fldDrive");
    QCOMPARE(drive->currentText(), path(QStringLiteral("vol1")) + QStringLiteral(" [ONE]"));
    QCOMPARE(drive->count(), 4);
    QCOMPARE(child<DirListBox>("fldDir")->path(), path(QStringLiteral("vol1/scripts")));
    QCOMPARE(names(), (QStringList{"-rich.vbs", "a.vbs", "B.JS", "broken.vbs", "c.pls", "link.vbs",
                                   "with blank.js", "日本語.vbs"}));
    QVERIFY(child<QListView>("fldFileList")->selectionModel()->selectedIndexes().isEmpty());
    QVERIFY(m_bench->workbench.selectedFile().isEmpty());
    QCOMPARE(m_main->windowTitle(), QStringLiteral("Quillet"));
    QVERIFY(preview().isEmpty());
    // The folder list: the ancestors open down to the folder, then its subfolders.
    const QStringList dirs = folderEntries();
    QCOMPARE(dirs.mid(dirs.size() - 3), (QStringList{"scripts", "folder.vbs", "sub"}));
    QCOMPARE(dirs.first(), QStringLiteral("/"));
}

void tst_ScriptBrowser::choosingAFileShowsItsText_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("shows");
    QTest::newRow("code page 932")
        << "a.vbs"
        << QStringLiteral("msg = \"こんにちは、\" & 名前 & \"さん ①②③ Ⅰ Ⅱ ㈱ ～ ￢ ∥ － 髙橋 﨑\"\n");
    QTest::newRow("half-width katakana") << "c.pls" << QStringLiteral("# ﾌｧｲﾙ名: C:\\Scripts\\a.pls\n");
    QTest::newRow("utf-8 with bom") << "B.JS" << QStringLiteral("var s = \"日本語のテキスト ﾊﾝｶｸ ①\";");
    QTest::newRow("utf-8") << "with blank.js"
                           << QStringLiteral("// ﾌｧｲﾙ名: /home/user/スクリプト/hello.js\n");
    QTest::newRow("utf-16") << "日本語.vbs" << QStringLiteral("名前 = \"ｸｲﾙｯﾄ\"\n");
    QTest::newRow("rich text") << "-rich.vbs" << QStringLiteral("スクリプトの説明");
    QTest::newRow("invalid bytes") << "broken.vbs"
                                   << QStringLiteral("' 壊れたバイト: \uFFFD\uFFFD\uFFFD \uFFFD  ok\n");
    QTest::newRow("a link") << "link.vbs" << QStringLiteral("Option Explicit\n");
}

void tst_ScriptBrowser::choosingAFileShowsItsText()
{
    QFETCH(QString, name);
    QFETCH(QString, shows);
    choose(name);
    const QString expected = path(QStringLiteral("vol1/scripts/")) + name;
    QCOMPARE(m_bench->workbench.selectedFile(), expected);
    QCOMPARE(m_main->windowTitle(), expected + QStringLiteral(" - Quillet Ver.0.1.5"));
    QVERIFY2(preview().contains(shows), qPrintable(preview().left(300)));
    QVERIFY(!preview().contains(u'\r'));
    QVERIFY(child<QPushButton>("btnEdit")->isEnabled());
}

void tst_ScriptBrowser::richTextIsFormattedAndDoesNotLeak()
{
    choose(QStringLiteral("-rich.vbs"));
    auto* view = child<QPlainTextEdit>("fldViewSrc");
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
    auto* view = child<QListView>("fldFileList");
    view->setFocus();
    QStringList seen;
    for (int i = 0; i < 3; ++i) {
        QTest::keyClick(view, Qt::Key_Down);
        seen.append(QFileInfo(m_bench->workbench.selectedFile()).fileName());
        QVERIFY(m_main->windowTitle().startsWith(m_bench->workbench.selectedFile()));
    }
    QCOMPARE(seen, (QStringList{"B.JS", "broken.vbs", "c.pls"}));
    QVERIFY(preview().contains(QStringLiteral("ﾊﾟｰﾙ")));
}

void tst_ScriptBrowser::openingAFolderKeepsTheChosenFile()
{
    choose(QStringLiteral("c.pls"));
    const QString chosen = m_bench->workbench.selectedFile();
    const QString title = m_main->windowTitle();
    const QString shown = preview();
    openFolderEntry(QStringLiteral("sub"));
    QCOMPARE(child<DirListBox>("fldDir")->path(), path(QStringLiteral("vol1/scripts/sub")));
    QCOMPARE(names(), QStringList{"inner.vbs"});
    QVERIFY(child<QListView>("fldFileList")->selectionModel()->selectedIndexes().isEmpty());
    QCOMPARE(m_bench->workbench.selectedFile(), chosen);
    QCOMPARE(m_main->windowTitle(), title);
    QCOMPARE(preview(), shown);
    // A list that only gains the focus chooses nothing.
    child("fldFileList")->setFocus();
    QCOMPARE(m_bench->workbench.selectedFile(), chosen);
    // Up again through an ancestor entry.
    openFolderEntry(QStringLiteral("vol1"));
    QCOMPARE(child<DirListBox>("fldDir")->path(), path(QStringLiteral("vol1")));
    QVERIFY(names().isEmpty());
}

void tst_ScriptBrowser::eachVolumeRemembersItsFolder()
{
    openFolderEntry(QStringLiteral("sub"));
    auto* drive = child<QComboBox>("fldDrive");
    drive->setCurrentIndex(drive->findData(path(QStringLiteral("vol2"))));
    QCOMPARE(child<DirListBox>("fldDir")->path(), path(QStringLiteral("vol2")));
    QCOMPARE(names(), QStringList{"top.js"});
    drive->setCurrentIndex(drive->findData(path(QStringLiteral("vol1"))));
    QCOMPARE(child<DirListBox>("fldDir")->path(), path(QStringLiteral("vol1/scripts/sub")));
    QVERIFY(m_fakes.dialogs.calls.isEmpty());
}

void tst_ScriptBrowser::aVolumeThatIsGoneIsRefused()
{
    auto* drive = child<QComboBox>("fldDrive");
    drive->setCurrentIndex(drive->findData(path(QStringLiteral("gone"))));
    QCOMPARE(m_fakes.dialogs.calls.size(), 1);
    QCOMPARE(m_fakes.dialogs.calls[0].text, T::DriveNotReady + path(QStringLiteral("gone")));
    QCOMPARE(m_fakes.dialogs.calls[0].flags, 48);
    QCOMPARE(drive->currentData().toString(), path(QStringLiteral("vol1")));
    QCOMPARE(child<DirListBox>("fldDir")->path(), path(QStringLiteral("vol1/scripts")));
}

void tst_ScriptBrowser::aFileThatWentAwayLeavesThePreviewEmpty_data()
{
    QTest::addColumn<bool>("becomesFolder");
    QTest::newRow("removed") << false;
    QTest::newRow("replaced by a folder") << true;
}

void tst_ScriptBrowser::aFileThatWentAwayLeavesThePreviewEmpty()
{
    QFETCH(bool, becomesFolder);
    choose(QStringLiteral("a.vbs"));
    QVERIFY(!preview().isEmpty());
    const QString victim = path(QStringLiteral("vol1/scripts/c.pls"));
    QVERIFY(QFile::remove(victim));
    if (becomesFolder)
        QVERIFY(QDir().mkdir(victim));
    choose(QStringLiteral("c.pls"));
    QCOMPARE(m_bench->workbench.selectedFile(), victim);
    QCOMPARE(m_main->windowTitle(), victim + T::CaptionSuffix);
    QVERIFY(preview().isEmpty());
    QCOMPARE(m_main->statusText(), T::FileUnreadable + victim);
}

void tst_ScriptBrowser::aFolderThatWentAwayIsReported()
{
    QVERIFY(QDir(path(QStringLiteral("vol1/scripts/sub"))).removeRecursively());
    openFolderEntry(QStringLiteral("sub"));
    QCOMPARE(m_main->statusText(), T::FolderUnreadable + path(QStringLiteral("vol1/scripts/sub")));
    QCOMPARE(child<DirListBox>("fldDir")->path(), path(QStringLiteral("vol1/scripts")));
    QVERIFY(!folderEntries().contains(QStringLiteral("sub")));
}

void tst_ScriptBrowser::aFolderThatCannotBeListedIsReported()
{
    // The shown folder itself vanishes; the lists go empty rather than showing stale names.
    const QString shown = path(QStringLiteral("vol1/scripts"));
    QVERIFY(QDir(shown).removeRecursively());
    auto* drive = child<QComboBox>("fldDrive");
    drive->setCurrentIndex(drive->findData(path(QStringLiteral("vol2"))));
    drive->setCurrentIndex(drive->findData(path(QStringLiteral("vol1"))));
    QCOMPARE(child<DirListBox>("fldDir")->path(), path(QStringLiteral("vol1")));
    QVERIFY(names().isEmpty());
}

void tst_ScriptBrowser::aLargeFileShowsItsFirstScreenAtOnce()
{
    QByteArray line =
        "WScript.Echo \"\x82\xB1\x82\xF1\x82\xC9\x82\xBF\x82\xCD \xB6\xC0\xB6\xC5\"\r\n"; // こんにちは ｶﾀｶﾅ
    QByteArray big;
    for (int i = 0; i < 100000; ++i)
        big += QByteArray::number(i) + ' ' + line;
    write(QStringLiteral("vol1/scripts/big.vbs"), big);
    child<FileListBox>("fldFileList")->setPath(path(QStringLiteral("vol1/scripts")));
    choose(QStringLiteral("big.vbs"));
    auto* view = child<QPlainTextEdit>("fldViewSrc");
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

void tst_ScriptBrowser::aHugeFileIsCutAtTheLimit()
{
    // 300 MB with no line end at all, sparse on disk.
    const QString huge = path(QStringLiteral("vol1/scripts/huge.js"));
    {
        QFile f(huge);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QVERIFY(f.resize(300LL * 1024 * 1024));
    }
    child<FileListBox>("fldFileList")->setPath(path(QStringLiteral("vol1/scripts")));
    choose(QStringLiteral("huge.js"));
    QCOMPARE(m_main->statusText(), T::FileTruncated + huge);
    auto* view = child<QPlainTextEdit>("fldViewSrc");
    QVERIFY(view->document()->firstBlock().text().size() <= 1000);
    choose(QStringLiteral("a.vbs")); // and it stops when another file is chosen
    QVERIFY(preview().startsWith(QStringLiteral("' Windows Scripting Host")));
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
    const QByteArray folder = QFile::encodeName(path(QStringLiteral("vol1/odd")));
    QVERIFY(QDir().mkpath(path(QStringLiteral("vol1/odd"))));
    const QList<std::pair<QByteArray, QByteArray>> files{{"bad\xff.vbs", "MsgBox 1"},
                                                         {"bad\xef\xbf\xbd.vbs", "MsgBox 2"},
                                                         {"\x83\x65\x83\x58\x83\x67.vbs", "MsgBox 3"}};
    for (const auto& [file, content] : files) {
        const int fd = ::open((folder + '/' + file).constData(), O_WRONLY | O_CREAT, 0644);
        QVERIFY(fd >= 0);
        QCOMPARE(::write(fd, content.constData(), size_t(content.size())), ssize_t(content.size()));
        ::close(fd);
    }
    const auto removeAll = qScopeGuard([&] {
        for (const auto& f : files)
            ::unlink((folder + '/' + f.first).constData());
    });
    // A folder whose name is not UTF-8 either: listed readably, entered by its real name.
    const QByteArray inner = folder + "/\x83\x74\x83\x48\x83\x8b\x83\x5f"; // フォルダ in code page 932
    QCOMPARE(::mkdir(inner.constData(), 0755), 0);
    const auto removeInner = qScopeGuard([&] { ::rmdir(inner.constData()); });
    child<DirListBox>("fldDir")->setPath(path(QStringLiteral("vol1/odd")));
    QCOMPARE(folderEntries().mid(folderEntries().indexOf(QStringLiteral("odd"))),
             (QStringList{"odd", "フォルダ"}));
    child<DirListBox>("fldDir")->setPath(NativeName::fromBytes(inner));
    QCOMPARE(folderEntries().last(), QStringLiteral("フォルダ"));
    QCOMPARE(NativeName::toBytes(child<DirListBox>("fldDir")->path()), inner);
    child<DirListBox>("fldDir")->setPath(path(QStringLiteral("vol1/odd")));
    QCOMPARE(names(), (QStringList{"bad\uFFFD.vbs", "bad\uFFFD.vbs (文字コード不明)", "テスト.vbs"}));
    choose(shown);
    QCOMPARE(preview(), text);
    QCOMPARE(NativeName::toBytes(m_bench->workbench.selectedFile()), folder + '/' + name);
    QCOMPARE(m_main->windowTitle(),
             path(QStringLiteral("vol1/odd/")) + shown + QStringLiteral(" - Quillet Ver.0.1.5"));
    // The run action's line names the same bytes.
    m_fakes.launcher.calls.clear();
    m_fakes.dialogs.inputAnswers = {FakeDialogs::AcceptDefault};
    QTest::mouseClick(child<QPushButton>("btnRun"), Qt::LeftButton);
    QCOMPARE(m_fakes.launcher.calls.size(), 1);
    QCOMPARE(NativeName::toBytes(m_fakes.launcher.calls.first().commandLine),
             "WSCRIPT.EXE \"" + folder + '/' + name + '"');
}

QTEST_MAIN(tst_ScriptBrowser)
#include "tst_ScriptBrowser.moc"
