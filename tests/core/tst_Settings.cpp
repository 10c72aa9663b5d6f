#include "FileSettingsArea.h"
#include "mdlUtils.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using mdlUtils::GetOption;
using mdlUtils::SaveOption;

class tst_Settings : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void firstStartGivesEachReaderItsDefault();
    void emptyIsNotMissing();
    void valuesRoundTripThroughTheFile_data();
    void valuesRoundTripThroughTheFile();
    void everyCallReadsTheFileAfresh();
    void badFilesReadAsErrorAndAreNeverRewritten_data();
    void badFilesReadAsErrorAndAreNeverRewritten();
    void readOnlyFileRefusesWrites();
    void fullDiskKeepsTheOldFile();
    void missingFolderIsCreatedOnWrite();
    void unusableFolderFailsWrites();
    void hiddenSettingsReadAsError_data();
    void hiddenSettingsReadAsError();
    void malformedLineSurvivesWrites();
    void writeKeepsPermissionsAndLeavesNoDebris();
    void twoProcessesKeepBothKeys();

private:
    QString filePath() const { return m_dir->path() + QStringLiteral("/cfg/Quillet.ini"); }
    void writeFile(const QByteArray& bytes)
    {
        QDir().mkpath(m_dir->path() + QStringLiteral("/cfg"));
        QFile f(filePath());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray fileBytes() const
    {
        QFile f(filePath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
    }
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FileSettingsArea> m_area;
};

void tst_Settings::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_area = std::make_unique<FileSettingsArea>(m_dir->path() + QStringLiteral("/cfg"));
}

void tst_Settings::firstStartGivesEachReaderItsDefault()
{
    QCOMPARE(GetOption(*m_area, QStringLiteral("Editor"), QStringLiteral("notepad.exe")),
             QStringLiteral("notepad.exe"));
    QCOMPARE(GetOption(*m_area, QStringLiteral("Encoder"), QString()), QString());
    // A file that holds another section only: still nothing stored for us.
    writeFile("[Other]\nEditor=vim\n");
    QCOMPARE(GetOption(*m_area, QStringLiteral("Editor"), QStringLiteral("notepad.exe")),
             QStringLiteral("notepad.exe"));
}

void tst_Settings::emptyIsNotMissing()
{
    QVERIFY(SaveOption(*m_area, QStringLiteral("UserName"), QString()));
    QCOMPARE(GetOption(*m_area, QStringLiteral("UserName"), QStringLiteral("No User Name")), QString());
}

void tst_Settings::valuesRoundTripThroughTheFile_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("blanks") << QStringLiteral("  two sides  ");
    QTest::newRow("punctuation") << QStringLiteral("a=b;c@d,e");
    QTest::newRow("backslashes") << QStringLiteral("C:\\Program Files\\Script Encoder\\screnc.exe");
    QTest::newRow("CR LF") << QStringLiteral("line1\r\nline2");
    QTest::newRow("japanese") << QStringLiteral("ｵﾌﾟｼｮﾝ 山田");
    QTest::newRow("the word Error") << QStringLiteral("Error");
}

void tst_Settings::valuesRoundTripThroughTheFile()
{
    QFETCH(QString, value);
    QVERIFY(SaveOption(*m_area, QStringLiteral("Browser"), value));
    QVERIFY(SaveOption(*m_area, QStringLiteral("Editor"), QStringLiteral("kate")));
    QCOMPARE(GetOption(*m_area, QStringLiteral("Browser"), QStringLiteral("No Browser Setting")), value);
    QCOMPARE(GetOption(*m_area, QStringLiteral("Editor"), QString()), QStringLiteral("kate"));
    // Another reader of the same folder sees the same.
    const FileSettingsArea other(m_dir->path() + QStringLiteral("/cfg"));
    QCOMPARE(GetOption(other, QStringLiteral("Browser"), QString()), value);
}

void tst_Settings::everyCallReadsTheFileAfresh()
{
    QVERIFY(SaveOption(*m_area, QStringLiteral("Editor"), QStringLiteral("kate")));
    writeFile("[Option]\nEditor=gedit\n");
    QCOMPARE(GetOption(*m_area, QStringLiteral("Editor"), QString()), QStringLiteral("gedit"));
}

void tst_Settings::badFilesReadAsErrorAndAreNeverRewritten_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("permissions"); // octal owner bits; 0 leaves them
    QTest::newRow("unreadable") << QByteArray("[Option]\nEditor=kate\n") << 0200;
    QTest::newRow("not utf-8") << QByteArray("[Option]\nUserName=\x8E\x52\x93\x63\nEditor=kate\n") << 0;
    QTest::newRow("nul byte") << QByteArray("[Option]\nEditor=ka\0te\n", 22) << 0;
    // Not a settings file: reading it at every call would cost seconds and much memory.
    QTest::newRow("larger than a megabyte")
        << QByteArray("[Option]\nEditor=kate\n") + QByteArray(1024 * 1024, ';') << 0;
}

void tst_Settings::badFilesReadAsErrorAndAreNeverRewritten()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, permissions);
    writeFile(bytes);
    if (permissions)
        QVERIFY(QFile::setPermissions(filePath(), QFileDevice::WriteOwner));
    QCOMPARE(GetOption(*m_area, QStringLiteral("Editor"), QStringLiteral("notepad.exe")),
             QStringLiteral("Error"));
    QVERIFY(!SaveOption(*m_area, QStringLiteral("Editor"), QStringLiteral("vim")));
    QFile::setPermissions(filePath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QCOMPARE(fileBytes(), bytes);
}

void tst_Settings::readOnlyFileRefusesWrites()
{
    const QByteArray original("[Option]\nEditor=kate\n");
    writeFile(original);
    QVERIFY(QFile::setPermissions(filePath(), QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    QCOMPARE(GetOption(*m_area, QStringLiteral("Editor"), QString()), QStringLiteral("kate"));
    QVERIFY(!SaveOption(*m_area, QStringLiteral("Editor"), QStringLiteral("vim")));
    QCOMPARE(fileBytes(), original);
    // Owner, group and other bits; the user bits say what this process may do.
    QCOMPARE(int(QFile::permissions(filePath()) & 0x7077),
             int(QFileDevice::ReadOwner | QFileDevice::ReadGroup));
}

// The new file fits in the write buffer: only the flush meets the full disk.
void tst_Settings::fullDiskKeepsTheOldFile()
{
    const QString cfg = m_dir->path() + QStringLiteral("/cfg");
    QDir().mkpath(cfg);
    if (mount("tmpfs", cfg.toLocal8Bit().constData(), "tmpfs", 0, "size=16k") != 0)
        QSKIP("cannot mount a small tmpfs here (needs root)");
    const auto unmount = qScopeGuard([&] { umount(cfg.toLocal8Bit().constData()); });
    const QByteArray original = "[Option]\nEditor=kate\n" + QByteArray(4096 - 21, '#');
    writeFile(original);
    QFile filler(cfg + QStringLiteral("/filler"));
    QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    qint64 filled = 0;
    while (filler.write(QByteArray(4096, 'f')) == 4096)
        filled += 4096;
    QVERIFY(filled >= 4096);
    filler.resize(filled - 4096); // one page, which the lock file takes
    filler.close();
    QVERIFY(!SaveOption(*m_area, QStringLiteral("Editor"), QStringLiteral("vim")));
    QCOMPARE(fileBytes(), original);
}

void tst_Settings::missingFolderIsCreatedOnWrite()
{
    FileSettingsArea deep(m_dir->path() + QStringLiteral("/a/b/Quillet"));
    QCOMPARE(GetOption(deep, QStringLiteral("Editor"), QStringLiteral("notepad.exe")),
             QStringLiteral("notepad.exe"));
    QVERIFY(SaveOption(deep, QStringLiteral("Editor"), QStringLiteral("kate")));
    QCOMPARE(GetOption(deep, QStringLiteral("Editor"), QString()), QStringLiteral("kate"));
}

void tst_Settings::unusableFolderFailsWrites()
{
    // A folder where the file should be.
    QVERIFY(QDir().mkpath(filePath()));
    QCOMPARE(GetOption(*m_area, QStringLiteral("Editor"), QString()), QStringLiteral("Error"));
    QVERIFY(!SaveOption(*m_area, QStringLiteral("Editor"), QStringLiteral("vim")));
    QVERIFY(QFileInfo(filePath()).isDir());

    // A file where the folder should be.
    QFile blocker(m_dir->path() + QStringLiteral("/blocker"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    FileSettingsArea blocked(blocker.fileName() + QStringLiteral("/Quillet"));
    QVERIFY(!SaveOption(blocked, QStringLiteral("Editor"), QStringLiteral("vim")));
    QCOMPARE(blocker.size(), 0);
}

namespace {

constexpr uid_t Unprivileged = 65534;

// Root reads through any mode bits: the reads that must fail for the user run as another
// uid, from a copy of the reader that uid may execute. Empty when this process cannot.
QStringList readerCommand(const QString& scratch)
{
    if (geteuid() != 0)
        return {QStringLiteral(SETTINGS_READER)};
    const QString copy = scratch + QStringLiteral("/settings_reader");
    if (!QFile::copy(QStringLiteral(SETTINGS_READER), copy))
        return {};
    QStringList command{QStringLiteral("setpriv"),
                        QStringLiteral("--reuid=%1").arg(Unprivileged),
                        QStringLiteral("--regid=%1").arg(Unprivileged),
                        QStringLiteral("--clear-groups"),
                        QStringLiteral("--"),
                        copy};
    QProcess probe;
    probe.start(command.first(), command.mid(1) + QStringList{QStringLiteral("/"), {}, {}});
    if (!probe.waitForFinished(30000) || probe.exitStatus() != QProcess::NormalExit || probe.exitCode() != 0)
        return {};
    return command;
}

// Hands the tree to the uid that reads it, so that its mode bits are the owner's.
bool chownTree(const QString& path, uid_t uid)
{
    if (lchown(QFile::encodeName(path).constData(), uid, uid) != 0)
        return false;
    const QFileInfo fi(path);
    if (fi.isSymLink() || !fi.isDir())
        return true;
    const QStringList entries =
        QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& e : entries) {
        if (!chownTree(path + u'/' + e, uid))
            return false;
    }
    return true;
}

} // namespace

// home/Quillet/Quillet.ini, each part of it missing, replaced or closed off in turn.
void tst_Settings::hiddenSettingsReadAsError_data()
{
    QTest::addColumn<int>("homeMode");
    QTest::addColumn<QString>("folder"); // what stands at home/Quillet
    QTest::addColumn<int>("folderMode");
    QTest::addColumn<QString>("file"); // what stands at home/Quillet/Quillet.ini
    QTest::addColumn<int>("fileMode");
    QTest::addColumn<QString>("expected");

    const QString kate = QStringLiteral("kate");
    const QString def = QStringLiteral("notepad.exe");
    const QString error = QStringLiteral("Error");
    auto row = [](const char* name, int homeMode, const char* folder, int folderMode, const char* file,
                  int fileMode, const QString& expected) {
        QTest::newRow(name) << homeMode << QString::fromLatin1(folder) << folderMode
                            << QString::fromLatin1(file) << fileMode << expected;
    };
    row("stored", 0700, "folder", 0700, "settings", 0600, kate);
    row("nothing stored", 0700, "folder", 0700, "none", 0, def);
    row("no folder", 0700, "none", 0, "none", 0, def);
    row("folder listable, not searchable", 0700, "folder", 0600, "settings", 0600, error);
    row("folder at mode 000", 0700, "folder", 0000, "settings", 0600, error);
    row("folder at mode 000, empty", 0700, "folder", 0000, "none", 0, error);
    row("home at mode 000", 0000, "folder", 0700, "settings", 0600, error);
    row("home at mode 000, no folder", 0000, "none", 0, "none", 0, error);
    row("folder searchable, not listable", 0700, "folder", 0300, "settings", 0600, kate);
    row("folder searchable, not listable, empty", 0700, "folder", 0300, "none", 0, def);
    row("file write-only", 0700, "folder", 0700, "settings", 0200, error);
    row("file at mode 000", 0700, "folder", 0700, "settings", 0000, error);
    row("folder in the file's place", 0700, "folder", 0700, "folder", 0700, error);
    row("FIFO in the file's place", 0700, "folder", 0700, "fifo", 0600, error);
    row("file in the folder's place", 0700, "file", 0600, "none", 0, error);
    row("link loop in the file's place", 0700, "folder", 0700, "loop", 0, error);
    row("link loop in the folder's place", 0700, "loop", 0, "none", 0, error);
    row("dangling link in the file's place", 0700, "folder", 0700, "dangling", 0, error);
    row("link to the settings", 0700, "folder", 0700, "link", 0, kate);
}

void tst_Settings::hiddenSettingsReadAsError()
{
    QFETCH(int, homeMode);
    QFETCH(QString, folder);
    QFETCH(int, folderMode);
    QFETCH(QString, file);
    QFETCH(int, fileMode);
    QFETCH(QString, expected);

    const QString home = m_dir->path() + QStringLiteral("/home");
    const QString dir = home + QStringLiteral("/Quillet");
    const QString ini = dir + QStringLiteral("/Quillet.ini");
    const QByteArray settings("[Option]\nEditor=kate\n");
    auto put = [](const QString& path, const QByteArray& bytes) {
        QFile f(path);
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
    };
    auto link = [](const QString& target, const QString& path) {
        return symlink(QFile::encodeName(target).constData(), QFile::encodeName(path).constData()) == 0;
    };
    QVERIFY(QDir().mkpath(home));
    if (folder == QLatin1String("folder"))
        QVERIFY(QDir().mkpath(dir));
    else if (folder == QLatin1String("file"))
        QVERIFY(put(dir, settings));
    else if (folder == QLatin1String("loop"))
        QVERIFY(link(QStringLiteral("Quillet"), dir));
    if (file == QLatin1String("settings"))
        QVERIFY(put(ini, settings));
    else if (file == QLatin1String("folder"))
        QVERIFY(QDir().mkpath(ini));
    else if (file == QLatin1String("fifo"))
        QCOMPARE(mkfifo(QFile::encodeName(ini).constData(), 0600), 0);
    else if (file == QLatin1String("loop"))
        QVERIFY(link(QStringLiteral("Quillet.ini"), ini));
    else if (file == QLatin1String("dangling"))
        QVERIFY(link(QStringLiteral("gone.ini"), ini));
    else if (file == QLatin1String("link"))
        QVERIFY(put(dir + QStringLiteral("/real.ini"), settings) && link(QStringLiteral("real.ini"), ini));

    const QStringList command = readerCommand(m_dir->path());
    if (command.isEmpty())
        QSKIP("running as root, and setpriv cannot switch to an unprivileged uid here: mode bits would not "
              "keep root out");
    if (geteuid() == 0)
        QVERIFY(chownTree(m_dir->path(), Unprivileged));
    auto setMode = [](const QString& path, int mode) {
        return QFileInfo(path).isSymLink() || chmod(QFile::encodeName(path).constData(), mode_t(mode)) == 0;
    };
    if (file != QLatin1String("none"))
        QVERIFY(setMode(ini, fileMode));
    if (folder != QLatin1String("none"))
        QVERIFY(setMode(dir, folderMode));
    QVERIFY(setMode(home, homeMode));
    // Opened again so that the temporary folder can be removed.
    const auto reopen = qScopeGuard([&] {
        setMode(home, 0700);
        if (QFileInfo(dir).isDir())
            setMode(dir, 0700);
    });

    QProcess reader;
    reader.start(command.first(),
                 command.mid(1) + QStringList{dir, QStringLiteral("Editor"), QStringLiteral("notepad.exe")});
    QVERIFY(reader.waitForFinished(30000));
    QCOMPARE(reader.exitCode(), 0);
    QCOMPARE(QString::fromUtf8(reader.readAllStandardOutput()), expected);
}

void tst_Settings::malformedLineSurvivesWrites()
{
    writeFile("[Option]\r\n"
              "garbage without an equals sign\r\n"
              "Browser=\"never closed\r\n"
              "Editor=kate\r\n");
    QCOMPARE(GetOption(*m_area, QStringLiteral("Editor"), QString()), QStringLiteral("kate"));
    QCOMPARE(GetOption(*m_area, QStringLiteral("Browser"), QStringLiteral("x")), QStringLiteral("Error"));
    QVERIFY(SaveOption(*m_area, QStringLiteral("UserName"), QStringLiteral("山田")));
    QCOMPARE(fileBytes(), QByteArray("[Option]\r\n"
                                     "garbage without an equals sign\r\n"
                                     "Browser=\"never closed\r\n"
                                     "Editor=kate\r\n"
                                     "UserName=\xE5\xB1\xB1\xE7\x94\xB0\r\n"));
    // Writing the broken key itself mends that line and only that line.
    QVERIFY(SaveOption(*m_area, QStringLiteral("Browser"), QStringLiteral("firefox")));
    QCOMPARE(GetOption(*m_area, QStringLiteral("Browser"), QString()), QStringLiteral("firefox"));
    QVERIFY(fileBytes().contains("garbage without an equals sign\r\nBrowser=firefox\r\n"));
}

void tst_Settings::writeKeepsPermissionsAndLeavesNoDebris()
{
    writeFile("[Option]\nEditor=kate\n");
    const auto mode = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    QVERIFY(QFile::setPermissions(filePath(), mode));
    QVERIFY(SaveOption(*m_area, QStringLiteral("Editor"), QStringLiteral("vim")));
    QCOMPARE(int(QFile::permissions(filePath()) & 0x7077), int(mode));
    QCOMPARE(QDir(m_dir->path() + QStringLiteral("/cfg")).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("Quillet.ini")});
}

void tst_Settings::twoProcessesKeepBothKeys()
{
    const QString folder = m_dir->path() + QStringLiteral("/cfg");
    constexpr int count = 40;
    QProcess a, b;
    a.start(QStringLiteral(SETTINGS_WRITER), {folder, QStringLiteral("A"), QString::number(count)});
    b.start(QStringLiteral(SETTINGS_WRITER), {folder, QStringLiteral("B"), QString::number(count)});
    QVERIFY(a.waitForFinished(60000));
    QVERIFY(b.waitForFinished(60000));
    QCOMPARE(a.exitCode(), 0);
    QCOMPARE(b.exitCode(), 0);
    for (int i = 0; i < count; ++i) {
        QCOMPARE(GetOption(*m_area, QStringLiteral("A%1").arg(i), QString()),
                 QStringLiteral("value %1").arg(i));
        QCOMPARE(GetOption(*m_area, QStringLiteral("B%1").arg(i), QString()),
                 QStringLiteral("value %1").arg(i));
    }
}

QTEST_GUILESS_MAIN(tst_Settings)
#include "tst_Settings.moc"
