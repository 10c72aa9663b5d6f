#include "DirListBox.h"
#include "NativeName.h"
#include "SystemDrives.h"
#include "TestBench.h"
#include "TestFiles.h"

#include <QComboBox>
#include <QListView>
#include <QPlainTextEdit>
#include <QTemporaryDir>

#include <fcntl.h>
#include <unistd.h>

// The drive, folder and file lists and the preview, over a temporary tree of two "volumes";
// the main window starts in vol1/scripts.
class tst_ScriptBrowser : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;
    FakeServices m_f;
    std::unique_ptr<TestBench> m_bench;
    frmMain* m_main = nullptr;
    static inline const QString Suffix = " - Quillet Ver.0.1.5";

    QString path(const QString& rel) const { return m_dir->path() + u'/' + rel; }
    void setDrive(const QString& rel) const
    {
        auto* drive = child<QComboBox>(m_main, "fldDrive");
        drive->setCurrentIndex(drive->findData(path(rel)));
    }
    QString preview() const { return child<QPlainTextEdit>(m_main, "fldViewSrc")->toPlainText(); }
    QString folder() const { return child<DirListBox>(m_main, "fldDir")->path(); }
    QStringList listed() const { return QStringList{folder()} + rows("fldFileList"); }
    QString selected() const { return m_bench->workbench.selectedFile(); }
    QStringList rows(const char* list) const
    {
        QStringList out;
        const QAbstractItemModel* model = child<QListView>(m_main, list)->model();
        for (int i = 0; i < model->rowCount(); ++i)
            out.append(model->index(i, 0).data().toString());
        return out;
    }

    // A mouse click on `entry` of the list; a double click opens a folder.
    void click(const char* list, const QString& entry, bool twice = false)
    {
        auto* view = child<QListView>(m_main, list);
        const int row = rows(list).indexOf(entry);
        QVERIFY2(row >= 0, qPrintable(entry));
        view->scrollTo(view->model()->index(row, 0));
        const QPoint at = view->visualRect(view->model()->index(row, 0)).center();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
        if (twice)
            QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        const QStringList files{
            "a.vbs",         "text/cp932-greeting.vbs",     "B.JS",       "text/utf8-bom.js",
            "c.pls",         "text/cp932-perl.pls",         "日本語.vbs", "text/utf16le-bom.vbs",
            "with blank.js", "text/utf8-nobom.js",          "-rich.vbs",  "rtf/richedit-cp932.rtf",
            "broken.vbs",    "text/cp932-invalid-bytes.vbs"};
        for (int i = 0; i < files.size(); i += 2)
            QVERIFY(
                writeFile(path("vol1/scripts/") + files[i], bytesOf(QUILLET_TESTDATA "/" + files[i + 1])));
        for (const char* other :
             {"notes.txt", "tool.exe", ".hidden.vbs", "sub/inner.vbs", "folder.vbs/notes.txt"})
            QVERIFY(writeFile(path("vol1/scripts/") + QLatin1String(other), "' x"));
        QVERIFY(writeFile(path("vol2/top.js"), "// top"));
        QVERIFY(QFile::link(path("vol1/scripts/a.vbs"), path("vol1/scripts/link.vbs")));
        m_f = {};
        m_f.drives.list = {{"/", {}}, {path("vol1"), "ONE"}, {path("vol2"), {}}, {path("gone"), "USB"}};
        m_f.drives.rememberFolder(path("vol1/scripts"));
        QDir::setCurrent(path("vol1/scripts"));
        m_bench = std::make_unique<TestBench>(m_f);
        m_main = m_bench->showMain();
    }

    void cleanup()
    {
        m_bench.reset();
        QDir::setCurrent(QDir::tempPath());
        m_dir.reset();
    }

    // The system's own volumes, the one holding the working folder among them and chosen, but
    // none the system keeps for itself: a tmpfs under /run is left out, one of ours shows (as root).
    void theDrivesAreTheMountedVolumes()
    {
        QTemporaryDir run(QStringLiteral("/run/tst_ScriptBrowser-XXXXXX"));
        SmallDisk system(run.path(), 64), usb(path("usb"), 64);
        SystemDrives drives;
        TestBench bench({m_f.dialogs, m_f.launcher, m_f.settings, m_f.clock, drives, m_f.registry});
        auto* drive = child<QComboBox>(bench.showMain(), "fldDrive");
        QCOMPARE(drive->currentData().toString(), drives.rootOf(path("vol1/scripts")));
        QStringList roots;
        for (int i = 0; i < drive->count(); ++i)
            roots.append(drive->itemData(i).toString());
        QVERIFY2(!roots.contains("/proc") &&
                     (!system.mounted() || (roots.contains(path("usb")) && !roots.contains(run.path()))),
                 qPrintable(roots.join(u' ')));
    }

    void choosingAFileShowsItsText_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("shows");
        QTest::addColumn<QString>("status"); // %1: the file; the list's hint when it can be read
        auto row = [](const char* file, const char* shows,
                      const char* status = "編集・実行するﾌｧｲﾙをﾘｽﾄから選択します",
                      const char* tag = nullptr) {
            QTest::newRow(tag ? tag : file) << QString(file) << QString(shows) << QString(status);
        };
        row("a.vbs", "msg = \"こんにちは、\" & 名前 & \"さん ①②③ Ⅰ Ⅱ ㈱ ～ ￢ ∥ － 髙橋 﨑\"\n");
        row("B.JS", "var s = \"日本語のテキスト ﾊﾝｶｸ ①\";");
        row("with blank.js", "// ﾌｧｲﾙ名: /home/user/スクリプト/hello.js\n");
        row("日本語.vbs", "名前 = \"ｸｲﾙｯﾄ\"\n");
        row("-rich.vbs", "スクリプトの説明");
        row("broken.vbs", "' 壊れたバイト: \uFFFD\uFFFD\uFFFD \uFFFD  ok\n");
        row("link.vbs", "Option Explicit\n");
        // The choice is made as with a file that can be read.
        row("c.pls", "", "ﾌｧｲﾙを読み込めません: %1", "removed since it was listed");
        row("c.pls", "・・・", "ﾌｧｲﾙが大きいため先頭の 64 MB だけを表示しています: %1", "huge");
    }

    void choosingAFileShowsItsText()
    {
        QFETCH(QString, name);
        QFETCH(QString, shows);
        QFETCH(QString, status);
        const QString file = path("vol1/scripts/") + name, tag = QTest::currentDataTag();
        if (tag == "huge") // 300 MB with no line end at all, sparse on disk
            QVERIFY(writeFile(file, "") && QFile::resize(file, 300LL * 1024 * 1024));
        else if (tag.startsWith("removed"))
            QVERIFY(QFile::remove(file));
        click("fldFileList", name);
        QCOMPARE((QStringList{selected(), m_main->windowTitle(), m_main->statusText()}),
                 (QStringList{file, file + Suffix, QString(status).replace("%1", file)}));
        QVERIFY2(preview().contains(shows), qPrintable(preview().left(300)));
        QCOMPARE(preview().isEmpty(), shows.isEmpty());
        QVERIFY(!preview().contains(u'\r') && preview().section(u'\n', 0, 0).size() <= 1000);
        QVERIFY(child<QWidget>(m_main, "btnEdit")->isEnabled());
        click("fldFileList", "a.vbs"); // stops what was still loading
        QVERIFY(preview().startsWith("' Windows Scripting Host"));
    }

    void arrowKeysChooseEachFilePassed()
    {
        click("fldFileList", QStringLiteral("a.vbs"));
        // A new script is listed at once, and the keys go on from the chosen file.
        m_f.dialogs.inputAnswers = {QStringLiteral("zz")};
        perform(m_main, {"click:selVBS", "click:btnNew"});
        QVERIFY(rows("fldFileList").contains(QStringLiteral("zz.vbs")));
        auto* view = child<QListView>(m_main, "fldFileList");
        view->setFocus();
        QStringList seen;
        for (int i = 0; i < 3; ++i) {
            QTest::keyClick(view, Qt::Key_Down);
            seen.append(QFileInfo(selected()).fileName());
            QCOMPARE(m_main->windowTitle(), selected() + Suffix);
        }
        QCOMPARE(seen, (QStringList{"B.JS", "broken.vbs", "c.pls"}));
        QVERIFY(preview().contains(QStringLiteral("ﾊﾟｰﾙ")));
    }

    void openingAFolderKeepsTheChosenFile()
    {
        auto* drive = child<QComboBox>(m_main, "fldDrive");
        QCOMPARE((QStringList{drive->currentText(), QString::number(drive->count()), selected(),
                              m_main->windowTitle()}),
                 (QStringList{path("vol1") + " [ONE]", "4", "", "Quillet"}));
        // Scripts only, of any letter case, files (a link to one too), no hidden ones.
        QCOMPARE(listed(), (QStringList{path("vol1/scripts"), "-rich.vbs", "a.vbs", "B.JS", "broken.vbs",
                                        "c.pls", "link.vbs", "with blank.js", "日本語.vbs"}));
        // The ancestors open down to the folder, then its subfolders.
        const QStringList dirs = rows("fldDir");
        QCOMPARE(QStringList{dirs.first()} + dirs.mid(dirs.size() - 3),
                 (QStringList{"/", "scripts", "folder.vbs", "sub"}));
        click("fldFileList", "c.pls");
        auto chosen = [this] { return QStringList{selected(), m_main->windowTitle(), preview()}; };
        const QStringList before = chosen();
        click("fldDir", "sub", true);
        QCOMPARE(listed(), (QStringList{path("vol1/scripts/sub"), "inner.vbs"}));
        QVERIFY(child<QListView>(m_main, "fldFileList")->selectionModel()->selectedIndexes().isEmpty());
        child(m_main, "fldFileList")->setFocus(); // gaining the focus chooses nothing
        QCOMPARE(chosen(), before);
        // Each volume remembers its folder.
        setDrive("vol2");
        QCOMPARE(listed(), (QStringList{path("vol2"), "top.js"}));
        setDrive("vol1");
        QCOMPARE(folder(), path("vol1/scripts/sub"));
        QVERIFY(m_f.dialogs.calls.isEmpty());
        click("fldDir", QStringLiteral("vol1"), true);
        QCOMPARE(listed(), QStringList{path("vol1")});
    }

    // Reported in the status bar, a volume in a box; what needs no report leaves the status as it was.
    void whatCannotBeReadIsReported()
    {
        auto state = [this] { return QStringList{m_main->statusText(), folder()} + m_f.dialogs.described(); };
        // A volume gone: back to the one before.
        setDrive("gone");
        QCOMPARE(child<QComboBox>(m_main, "fldDrive")->currentData().toString(), path("vol1"));
        QCOMPARE(state(), (QStringList{"編集・実行するﾌｧｲﾙのあるﾄﾞﾗｲﾌﾞを選択します", path("vol1/scripts"),
                                       box(48, "", "ﾄﾞﾗｲﾌﾞを読み込めません: " + path("gone"))}));
        // A folder removed after it was listed.
        m_f.dialogs.calls.clear();
        QVERIFY(QDir(path("vol1/scripts/sub")).removeRecursively());
        click("fldDir", "sub", true);
        QVERIFY(!rows("fldDir").contains("sub"));
        const QString status = "ﾌｫﾙﾀﾞを読み込めません: " + path("vol1/scripts/sub");
        QCOMPARE(state(), (QStringList{status, path("vol1/scripts")}));
        // The shown folder gone: the lists go empty.
        QVERIFY(QDir(path("vol1/scripts")).removeRecursively());
        setDrive("vol2");
        setDrive("vol1");
        QVERIFY(rows("fldFileList").isEmpty());
        QCOMPARE(state(), (QStringList{status, path("vol1")}));
    }

    void namesThatAreNotUtf8AddressTheirOwnFile()
    {
        const QByteArray odd = QFile::encodeName(path("vol1/scripts/folder.vbs")); // no script in it yet
        // A byte that is not UTF-8, its twin whose name holds U+FFFD itself, and code page 932 as
        // unzip leaves Windows archives: beyond what QTemporaryDir can name.
        const QList<QByteArray> files{"bad\xff.vbs", "bad\xef\xbf\xbd.vbs", "\x83\x65\x83\x58\x83\x67.vbs"};
        const QStringList shown{"bad\uFFFD.vbs (文字コード不明)", "bad\uFFFD.vbs", "テスト.vbs"};
        const auto removeAll = qScopeGuard([&] {
            for (const QByteArray& f : files)
                ::unlink((odd + '/' + f).constData());
        });
        for (int i = 0; i < files.size(); ++i) {
            const int fd = ::open((odd + '/' + files[i]).constData(), O_WRONLY | O_CREAT, 0644);
            QVERIFY(fd >= 0 && ::write(fd, "MsgBox " + QByteArray::number(i), 8) == 8);
            ::close(fd);
        }
        child<DirListBox>(m_main, "fldDir")->setPath(QFile::decodeName(odd));
        QCOMPARE(rows("fldFileList"), (QStringList{shown[1], shown[0], shown[2]}));
        for (int i = 0; i < files.size(); ++i) {
            click("fldFileList", shown[i]);
            QCOMPARE(preview(), QStringLiteral("MsgBox %1").arg(i));
            QCOMPARE(NativeName::toBytes(selected()), odd + '/' + files[i]);
            QCOMPARE(m_main->windowTitle(), path("vol1/scripts/folder.vbs/") + shown[i] + Suffix);
            m_f.dialogs.inputAnswers = {FakeDialogs::AcceptDefault}; // the run line names the same bytes
            perform(m_main, {"click:btnRun"});
            QCOMPARE(NativeName::toBytes(m_f.launcher.lines.takeFirst()),
                     "1|WSCRIPT.EXE \"" + odd + '/' + files[i] + '"');
        }
    }
};

QTEST_MAIN(tst_ScriptBrowser)
#include "tst_ScriptBrowser.moc"
