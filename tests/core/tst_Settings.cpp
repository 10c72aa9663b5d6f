#include "FileSettingsArea.h"
#include "TestFiles.h"
#include "mdlUtils.h"

#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <optional>

#include <sys/stat.h>
#include <unistd.h>

using namespace mdlUtils;

class tst_Settings : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void valuesRoundTripThroughTheFile_data();
    void valuesRoundTripThroughTheFile();
    void everyCallReadsTheFileAfresh();
    void refusedWritesLeaveTheFile_data();
    void refusedWritesLeaveTheFile();
    void hiddenSettingsReadAsError_data();
    void hiddenSettingsReadAsError();
    void malformedLineSurvivesWrites();
    void twoProcessesKeepBothKeys();

private:
    QString folder() const { return m_dir->path() + QStringLiteral("/cfg"); }
    QString filePath() const { return folder() + QStringLiteral("/Quillet.ini"); }
    QString editor(const QString& def = QStringLiteral("notepad.exe")) const
    {
        return GetOption(*m_area, "Editor", def);
    }
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FileSettingsArea> m_area;
};

void tst_Settings::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_area = std::make_unique<FileSettingsArea>(folder());
}

void tst_Settings::valuesRoundTripThroughTheFile_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("empty is not missing") << QString();
    QTest::newRow("blanks, punctuation, backslashes") << "  a=b;c@d,e C:\\Program Files\\screnc.exe  ";
    QTest::newRow("CR LF, Japanese") << "line1\r\nｵﾌﾟｼｮﾝ 山田";
    QTest::newRow("the word Error") << "Error";
}

void tst_Settings::valuesRoundTripThroughTheFile()
{
    QFETCH(QString, value);
    QCOMPARE(editor(), QStringLiteral("notepad.exe")); // first start: the reader's default
    QVERIFY(SaveOption(*m_area, "Browser", value));
    QVERIFY(SaveOption(*m_area, "Editor", "kate"));
    QCOMPARE(GetOption(*m_area, "Browser", "No Browser Setting"), value);
    QCOMPARE(editor(), QStringLiteral("kate"));
    QCOMPARE(GetOption(FileSettingsArea(folder()), "Browser", "x"), value); // so does another reader
}

void tst_Settings::everyCallReadsTheFileAfresh()
{
    // Only names within the settings folder are written.
    for (const char* app : {"", "../Quillet", ".Quillet", "sub/Quillet"})
        QVERIFY(!m_area->write(app, "Option", "Editor", "v"));
    QVERIFY(QDir(m_dir->path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    QVERIFY(writeFile(filePath(), "[Other]\nEditor=vim\n"));
    QCOMPARE(editor(), QStringLiteral("notepad.exe")); // another section only: nothing stored for us
    QVERIFY(writeFile(filePath(), "[Option]\nEditor=gedit\n"));
    QCOMPARE(editor(), QStringLiteral("gedit"));
    // A write keeps the file's mode and leaves nothing beside it.
    QVERIFY(QFile::setPermissions(filePath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    QVERIFY(SaveOption(*m_area, "Editor", "vim"));
    QCOMPARE(int(QFile::permissions(filePath()) & 0x7077),
             int(QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    QCOMPARE(QDir(folder()).entryList(QDir::Files | QDir::Hidden), QStringList{"Quillet.ini"});
    // Where the folder is missing, the first write makes it.
    FileSettingsArea deep(m_dir->path() + "/a/b/Quillet");
    QVERIFY(SaveOption(deep, "Editor", "kate"));
    QCOMPARE(GetOption(deep, "Editor", QString()), "kate");
}

// What cannot be read whole reads as "Error" and is never rewritten; a read-only file is not either.
void tst_Settings::refusedWritesLeaveTheFile_data()
{
    QTest::addColumn<QByteArray>("bytes"); // "<folder>": a folder; none: an empty file in the folder's place
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("read");
    const QByteArray kate("[Option]\nEditor=kate\n");
    QTest::newRow("unreadable") << kate << 0200 << "Error";
    QTest::newRow("read-only") << kate << 0440 << "kate";
    QTest::newRow("not utf-8") << QByteArray("[Option]\nU=\x93\x63\nEditor=kate\n") << 0600 << "Error";
    QTest::newRow("nul byte") << QByteArray("[Option]\nEditor=ka\0te\n", 22) << 0600 << "Error";
    // Not a settings file: reading it at every call would cost seconds and much memory.
    QTest::newRow("larger than a megabyte") << kate + QByteArray(1024 * 1024, ';') << 0600 << "Error";
    QTest::newRow("a folder in the file's place") << QByteArray("<folder>") << 0700 << "Error";
    // The new file fits in the write buffer: only the flush meets the full disk.
    QTest::newRow("a full disk") << kate + QByteArray(4096 - 21, '#') << 0600 << "kate";
    QTest::newRow("a file in the folder's place") << QByteArray() << 0600 << "Error";
}

void tst_Settings::refusedWritesLeaveTheFile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, mode);
    const QString p = bytes.isEmpty() ? folder() : filePath();
    std::optional<SmallDisk> disk;
    if (QTest::currentDataTag() == QByteArray("a full disk")) {
        disk.emplace(folder(), 16);
        SMALL_DISK_OR_SKIP(*disk);
    }
    QVERIFY(bytes == "<folder>" ? QDir().mkpath(p) : writeFile(p, bytes));
    QCOMPARE(::chmod(QFile::encodeName(p).constData(), mode_t(mode)), 0);
    if (disk)
        disk->fill(1); // one page, which the lock file takes
    QTEST(editor(), "read");
    QVERIFY(!SaveOption(*m_area, "Editor", "vim"));
    struct stat st {};
    QCOMPARE(::stat(QFile::encodeName(p).constData(), &st), 0);
    QCOMPARE(int(st.st_mode & 07777), mode);
    ::chmod(QFile::encodeName(p).constData(), 0700);
    QCOMPARE(QFileInfo(p).isDir() ? QByteArray("<folder>") : bytesOf(p), bytes);
}

// home/Quillet/Quillet.ini, each part of it missing, replaced or closed off in turn.
void tst_Settings::hiddenSettingsReadAsError_data()
{
    QTest::addColumn<int>("homeMode");
    QTest::addColumn<QString>("folder"); // what stands at home/Quillet
    QTest::addColumn<int>("folderMode");
    QTest::addColumn<QString>("file"); // what stands at home/Quillet/Quillet.ini
    QTest::addColumn<int>("fileMode");
    QTest::addColumn<QString>("expected");
    auto row = [](const char* name, int home, const char* folder, int folderMode, const char* file,
                  int fileMode, const char* read) {
        QTest::newRow(name) << home << folder << folderMode << file << fileMode << read;
    };
    row("stored", 0700, "folder", 0700, "settings", 0600, "kate");
    row("nothing stored", 0700, "folder", 0700, "none", 0, "notepad.exe");
    row("no folder", 0700, "none", 0, "none", 0, "notepad.exe");
    row("folder listable, not searchable", 0700, "folder", 0600, "settings", 0600, "Error");
    row("folder at mode 000, empty", 0700, "folder", 0000, "none", 0, "Error");
    row("home at mode 000", 0000, "folder", 0700, "settings", 0600, "Error");
    row("folder searchable, not listable", 0700, "folder", 0300, "settings", 0600, "kate");
    row("folder searchable, not listable, empty", 0700, "folder", 0300, "none", 0, "notepad.exe");
    row("file write-only", 0700, "folder", 0700, "settings", 0200, "Error");
    row("folder in the file's place", 0700, "folder", 0700, "folder", 0700, "Error");
    row("FIFO in the file's place", 0700, "folder", 0700, "fifo", 0600, "Error");
    row("file in the folder's place", 0700, "file", 0600, "none", 0, "Error");
    row("link loop in the file's place", 0700, "folder", 0700, "loop", 0, "Error");
    row("link loop in the folder's place", 0700, "loop", 0, "none", 0, "Error");
    row("dangling link in the file's place", 0700, "folder", 0700, "dangling", 0, "Error");
    row("link to the settings", 0700, "folder", 0700, "link", 0, "kate");
}

void tst_Settings::hiddenSettingsReadAsError()
{
    QFETCH(int, homeMode);
    QFETCH(QString, folder);
    QFETCH(int, folderMode);
    QFETCH(QString, file);
    QFETCH(int, fileMode);
    const QString home = m_dir->path() + "/home", dir = home + "/Quillet", ini = dir + "/Quillet.ini";
    const QByteArray settings("[Option]\nEditor=kate\n");
    QVERIFY(QDir().mkpath(folder == "folder" ? dir : home));
    if (folder == "file")
        QVERIFY(writeFile(dir, settings));
    else if (folder == "loop")
        QVERIFY(QFile::link(dir, dir));
    if (file == "settings")
        QVERIFY(writeFile(ini, settings));
    else if (file == "folder")
        QVERIFY(QDir().mkpath(ini));
    else if (file == "fifo")
        QCOMPARE(mkfifo(QFile::encodeName(ini).constData(), 0600), 0);
    else if (file != "none")
        QVERIFY(
            writeFile(dir + "/real.ini", settings) &&
            QFile::link(file == "loop" ? ini : dir + (file == "dangling" ? "/gone.ini" : "/real.ini"), ini));
    QStringList command{SETTINGS_READER};
    if (geteuid() == 0) {
        // Root reads through any mode bits: read as another uid owning the tree, from a copy it may run.
        const QString copy = m_dir->path() + "/settings_reader";
        QVERIFY(QFile::copy(command.first(), copy));
        command = QStringList{"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "--", copy};
        QCOMPARE(QProcess::execute("chown", {"-hR", "65534:65534", m_dir->path()}), 0);
    }
    auto setMode = [](const QString& path, int mode) {
        return QFileInfo(path).isSymLink() || chmod(QFile::encodeName(path).constData(), mode_t(mode)) == 0;
    };
    QVERIFY((file == "none" || setMode(ini, fileMode)) && (folder == "none" || setMode(dir, folderMode)) &&
            setMode(home, homeMode));
    const auto reopen =
        qScopeGuard([&] { setMode(home, 0700), setMode(dir, 0700); }); // so that it can be removed
    QProcess reader;
    reader.start(command.first(), command.mid(1) + QStringList{dir, "Editor", "notepad.exe"});
    QVERIFY(reader.waitForFinished(30000));
    QCOMPARE(reader.exitCode(), 0);
    QTEST(QString::fromUtf8(reader.readAllStandardOutput()), "expected");
}

void tst_Settings::malformedLineSurvivesWrites()
{
    const QByteArray broken(
        "[Option]\r\ngarbage without an equals sign\r\nBrowser=\"never closed\r\nEditor=kate\r\n");
    QVERIFY(writeFile(filePath(), broken));
    QCOMPARE(editor(), QStringLiteral("kate"));
    QCOMPARE(GetOption(*m_area, "Browser", "x"), "Error");
    QVERIFY(SaveOption(*m_area, "UserName", "山田"));
    QCOMPARE(bytesOf(filePath()), broken + "UserName=\xE5\xB1\xB1\xE7\x94\xB0\r\n");
    // Writing the broken key itself mends that line and only that line.
    QVERIFY(SaveOption(*m_area, "Browser", "firefox"));
    QCOMPARE(GetOption(*m_area, "Browser", QString()), "firefox");
    QVERIFY(bytesOf(filePath()).contains("garbage without an equals sign\r\nBrowser=firefox\r\n"));
}

void tst_Settings::twoProcessesKeepBothKeys()
{
    QProcess a, b;
    a.start(QStringLiteral(SETTINGS_WRITER), {folder(), QStringLiteral("A"), QStringLiteral("40")});
    b.start(QStringLiteral(SETTINGS_WRITER), {folder(), QStringLiteral("B"), QStringLiteral("40")});
    QVERIFY(a.waitForFinished(60000) && b.waitForFinished(60000));
    QCOMPARE(a.exitCode() + b.exitCode(), 0);
    for (int i = 0; i < 80; ++i)
        QCOMPARE(GetOption(*m_area, QString(u"AB"[i % 2]) + QString::number(i / 2), QString()),
                 QStringLiteral("value %1").arg(i / 2));
}

QTEST_GUILESS_MAIN(tst_Settings)
#include "tst_Settings.moc"
