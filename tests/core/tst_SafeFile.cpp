#include "NativeName.h"
#include "SafeFile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

// Writes on real files: what is on disk afterwards, whose it is, and what a failed write
// leaves behind.
class tst_SafeFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void keepsOwnerGroupAndMode_data();
    void keepsOwnerGroupAndMode();
    void hardLinksStayLinked();
    void links_data();
    void links();
    void refusesWhatIsNotAFile_data();
    void refusesWhatIsNotAFile();
    void fullDiskInPlaceLosesNothing();
    void namesThatAreNotUtf8();

private:
    QString path(const QString& name) const { return m_dir->path() + u'/' + name; }
    static QByteArray bytesOf(const QString& path);
    static void write(const QString& path, const QByteArray& bytes);
    // Runs the writer as `user` ("uid:gid:groups", empty: this process).
    static std::pair<int, QString> run(const QString& user, const QString& how, const QString& path,
                                       const QByteArray& bytes);
    QStringList leftovers(const QString& folder) const;
    QTemporaryDir* m_dir = nullptr;
};

void tst_SafeFile::init()
{
    m_dir = new QTemporaryDir;
    QVERIFY(m_dir->isValid());
    ::chmod(QFile::encodeName(m_dir->path()).constData(), 0755);
}

void tst_SafeFile::cleanup()
{
    QProcess::execute(QStringLiteral("chmod"),
                      {QStringLiteral("-R"), QStringLiteral("u+rwx"), m_dir->path()});
    delete m_dir;
}

QByteArray tst_SafeFile::bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void tst_SafeFile::write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

std::pair<int, QString> tst_SafeFile::run(const QString& user, const QString& how, const QString& path,
                                          const QByteArray& bytes)
{
    QProcess p;
    QStringList args{how, path};
    QString program = QStringLiteral(SAFEFILE_WRITER);
    if (!user.isEmpty()) {
        const QStringList ids = user.split(u':');
        args = QStringList{QStringLiteral("--reuid=") + ids[0], QStringLiteral("--regid=") + ids[1],
                           ids.size() > 2 ? QStringLiteral("--groups=") + ids[2]
                                          : QStringLiteral("--clear-groups"),
                           QStringLiteral("--"), program} +
               args;
        program = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
    }
    p.start(program, args);
    p.write(bytes);
    p.closeWriteChannel();
    if (!p.waitForFinished(20000))
        return {-1, QStringLiteral("<hangs>")};
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput())};
}

QStringList tst_SafeFile::leftovers(const QString& folder) const
{
    return QDir(folder)
        .entryList(QDir::Files | QDir::Hidden | QDir::System)
        .filter(QStringLiteral(".quillet-"));
}

void tst_SafeFile::keepsOwnerGroupAndMode_data()
{
    QTest::addColumn<QString>("writer");      // uid:gid:groups of the saving process, empty: root
    QTest::addColumn<QString>("folderOwner"); // uid:gid mode
    QTest::addColumn<QString>("fileOwner");
    QTest::addColumn<bool>("sameInode"); // written in place
    QTest::newRow("a team file saved by another member") << "4243:4243:5000"
                                                         << "4242:5000 2775"
                                                         << "4242:5000 0664" << true;
    QTest::newRow("a user's file saved by root") << ""
                                                 << "4242:4242 0755"
                                                 << "4242:4242 0644" << false;
    QTest::newRow("a private file saved by root keeps its mode") << ""
                                                                 << "0:0 0755"
                                                                 << "0:0 0600" << false;
    QTest::newRow("a set-group-id program keeps the bit") << ""
                                                          << "0:0 0755"
                                                          << "4242:5000 2755" << false;
    QTest::newRow("a folder its owner cannot write: in place") << "4242:4242"
                                                               << "4242:4242 0555"
                                                               << "4242:4242 0644" << true;
}

void tst_SafeFile::keepsOwnerGroupAndMode()
{
    QFETCH(QString, writer);
    QFETCH(QString, folderOwner);
    QFETCH(QString, fileOwner);
    QFETCH(bool, sameInode);
    if (::geteuid() != 0)
        QSKIP("giving files to other users needs root; the two-user saves are not run");
    if (QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty())
        QSKIP("setpriv (util-linux) is missing; the two-user saves are not run");
    auto apply = [](const QString& p, const QString& spec) {
        const QStringList parts = spec.split(u' ');
        const QStringList ids = parts[0].split(u':');
        QVERIFY(::chown(QFile::encodeName(p).constData(), ids[0].toUInt(), ids[1].toUInt()) == 0);
        QVERIFY(::chmod(QFile::encodeName(p).constData(), mode_t(parts[1].toUInt(nullptr, 8))) == 0);
    };
    const QString folder = path(QStringLiteral("team"));
    QVERIFY(QDir().mkdir(folder));
    const QString file = folder + QStringLiteral("/a.vbs");
    write(file, "' old\r\n");
    apply(file, fileOwner);
    apply(folder, folderOwner);
    struct stat before {};
    QCOMPARE(::stat(QFile::encodeName(file).constData(), &before), 0);

    const auto [code, reason] = run(writer, QStringLiteral("replace"), file, "' new\r\n");
    QCOMPARE(reason, QString());
    QCOMPARE(code, 0);
    struct stat after {};
    QCOMPARE(::stat(QFile::encodeName(file).constData(), &after), 0);
    QCOMPARE(bytesOf(file), QByteArray("' new\r\n"));
    QCOMPARE(after.st_uid, before.st_uid);
    QCOMPARE(after.st_gid, before.st_gid);
    QCOMPARE(QString::number(after.st_mode & 07777, 8), QString::number(before.st_mode & 07777, 8));
    QCOMPARE(after.st_ino == before.st_ino, sameInode);
    QCOMPARE(leftovers(folder), QStringList());
}

void tst_SafeFile::hardLinksStayLinked()
{
    const QString a = path(QStringLiteral("a.vbs"));
    const QString b = path(QStringLiteral("b.vbs"));
    write(a, "old\r\n");
    QCOMPARE(::link(QFile::encodeName(a).constData(), QFile::encodeName(b).constData()), 0);
    QString reason;
    QVERIFY2(SafeFile::replace(a, "new, and longer\r\n", &reason), qPrintable(reason));
    QCOMPARE(bytesOf(b), QByteArray("new, and longer\r\n"));
    QVERIFY(SafeFile::replace(b, "s", &reason));
    QCOMPARE(bytesOf(a), QByteArray("s"));
    QCOMPARE(leftovers(m_dir->path()), QStringList());
    QVERIFY(QDir(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
                 QStringLiteral("/Quillet"))
                .entryList(QDir::Files | QDir::Hidden)
                .filter(QStringLiteral("a.vbs"))
                .isEmpty());
}

void tst_SafeFile::links_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("dangling");
    QTest::addColumn<QString>("reason");    // empty: it works
    QTest::addColumn<QByteArray>("target"); // afterwards; empty: does not exist
    QTest::addColumn<bool>("stillALink");
    QTest::newRow("a save writes through a link") << "replace" << false << "" << QByteArray("new") << true;
    QTest::newRow("a save through a link to nowhere creates nothing")
        << "replace" << true << "リンク先のファイルがありません。" << QByteArray() << true;
    QTest::newRow("a new file replaces the link, not its target")
        << "entry" << false << "" << QByteArray("target") << false;
    QTest::newRow("a new file replaces a link to nowhere") << "entry" << true << "" << QByteArray() << false;
    QTest::newRow("appending never goes through a link")
        << "append" << false << "シンボリックリンクには書き込みません。" << QByteArray("target") << true;
    QTest::newRow("appending to a link to nowhere creates nothing")
        << "append" << true << "シンボリックリンクには書き込みません。" << QByteArray() << true;
}

void tst_SafeFile::links()
{
    QFETCH(QString, how);
    QFETCH(bool, dangling);
    QFETCH(QString, reason);
    QFETCH(QByteArray, target);
    QFETCH(bool, stillALink);
    const QString real = path(QStringLiteral("notes.txt"));
    if (!dangling)
        write(real, "target");
    const QString link = path(QStringLiteral("NewFile.js"));
    QVERIFY(QFile::link(real, link));
    const auto [code, said] = run({}, how, link, "new");
    QCOMPARE(said, reason);
    QCOMPARE(code, reason.isEmpty() ? 0 : 1);
    QCOMPARE(QFileInfo::exists(real) ? bytesOf(real) : QByteArray(), target);
    QCOMPARE(QFileInfo(link).isSymLink(), stillALink);
    if (!stillALink)
        QCOMPARE(bytesOf(link), QByteArray("new"));
}

void tst_SafeFile::refusesWhatIsNotAFile_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("what");
    QTest::addColumn<QString>("reason");
    for (const char* how : {"replace", "entry", "append"}) {
        QTest::addRow("%s: a FIFO", how) << how << "fifo"
                                         << "通常のファイルではありません。";
        QTest::addRow("%s: a folder", how) << how << "folder"
                                           << "同じ名前のフォルダがあります。";
    }
    QTest::newRow("a save through a link to a device") << "replace"
                                                       << "device link"
                                                       << "通常のファイルではありません。";
}

void tst_SafeFile::refusesWhatIsNotAFile()
{
    QFETCH(QString, how);
    QFETCH(QString, what);
    QFETCH(QString, reason);
    const QString p = path(QStringLiteral("a.vbs"));
    if (what == QStringLiteral("fifo"))
        QCOMPARE(::mkfifo(QFile::encodeName(p).constData(), 0644), 0);
    else if (what == QStringLiteral("folder"))
        QVERIFY(QDir().mkdir(p));
    else
        QVERIFY(QFile::link(QStringLiteral("/dev/null"), p));
    const auto [code, said] = run({}, how, p, "new");
    QCOMPARE(said, reason);
    QCOMPARE(code, 1);
    QCOMPARE(leftovers(m_dir->path()), QStringList());
}

// A file written in place on a disk too full to hold its new content keeps the old one.
void tst_SafeFile::fullDiskInPlaceLosesNothing()
{
    const QString mnt = path(QStringLiteral("small"));
    QDir().mkdir(mnt);
    if (::mount("tmpfs", QFile::encodeName(mnt).constData(), "tmpfs", 0, "size=64k") != 0)
        QSKIP("cannot mount a small tmpfs here (needs root): the full-disk case is not run");
    const auto unmount = qScopeGuard([&] { ::umount(QFile::encodeName(mnt).constData()); });
    const QString a = mnt + QStringLiteral("/a.vbs");
    write(a, "' old\r\n");
    // A second link makes the write go in place.
    QCOMPARE(::link(QFile::encodeName(a).constData(),
                    QFile::encodeName(mnt + QStringLiteral("/b.vbs")).constData()),
             0);
    {
        QFile filler(mnt + QStringLiteral("/filler"));
        QVERIFY(filler.open(QIODevice::WriteOnly));
        while (filler.write(QByteArray(4096, 'x')) == 4096 && filler.flush()) {
        }
    }
    QString reason;
    QVERIFY(!SafeFile::replace(a, QByteArray(40000, 'y'), &reason));
    QCOMPARE(reason, QStringLiteral("ディスクに空きがありません。"));
    QCOMPARE(bytesOf(a), QByteArray("' old\r\n"));
    QCOMPARE(leftovers(mnt), QStringList());
}

// Two names that differ only in bytes that are not UTF-8 stay two files.
void tst_SafeFile::namesThatAreNotUtf8()
{
    const QByteArray folder = QFile::encodeName(m_dir->path());
    const QByteArray bad = folder + "/bad\xff.vbs";
    const QByteArray twin = folder + "/bad\xef\xbf\xbd.vbs";
    for (const QByteArray& p : {bad, twin}) {
        const int fd = ::open(p.constData(), O_WRONLY | O_CREAT, 0644);
        QVERIFY(fd >= 0);
        QCOMPARE(::write(fd, p.right(8).constData(), 8), ssize_t(8));
        ::close(fd);
    }
    QString reason;
    QVERIFY2(SafeFile::replace(NativeName::fromBytes(bad), "new", &reason), qPrintable(reason));
    QVERIFY(SafeFile::append(NativeName::fromBytes(twin), "+", &reason));
    auto read = [](const QByteArray& p) {
        QByteArray buf(64, '\0');
        const int fd = ::open(p.constData(), O_RDONLY);
        const ssize_t n = ::read(fd, buf.data(), 64);
        ::close(fd);
        return buf.left(n);
    };
    QCOMPARE(read(bad), QByteArray("new"));
    QCOMPARE(read(twin), twin.right(8) + "+");
    ::unlink(bad.constData()); // beyond what QTemporaryDir can name
}

QTEST_GUILESS_MAIN(tst_SafeFile)
#include "tst_SafeFile.moc"
