#include "FileSettingsArea.h"
#include "mdlUtils.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/mount.h>

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
    QCOMPARE(GetOption(blocked, QStringLiteral("Editor"), QStringLiteral("d")), QStringLiteral("d"));
    QVERIFY(!SaveOption(blocked, QStringLiteral("Editor"), QStringLiteral("vim")));
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
