#include "NativeName.h"
#include "PosixFile.h"
#include "SafeFile.h"
#include "TestFiles.h"

#include <QProcess>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>

// Writes on real files: what is on disk afterwards, whose it is, what a failure leaves.
class tst_SafeFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void keepsOwnerGroupAndMode_data();
    void keepsOwnerGroupAndMode();
    void writes_data();
    void writes();
    void errorsTheTestsCannotCause();
    void namesThatAreNotUtf8();

private:
    QString path(const QString& name) const { return m_dir->path() + u'/' + name; }
    std::optional<QTemporaryDir> m_dir;
};

namespace {

// Runs the writer, as another user when `user` holds setpriv's options; its exit code and what it said.
std::pair<int, QString> run(const QString& user, const QString& how, const QString& path,
                            const QByteArray& bytes)
{
    const QStringList writer{QStringLiteral(SAFEFILE_WRITER), how, path};
    QProcess p;
    p.start(user.isEmpty() ? writer[0] : "setpriv",
            user.isEmpty() ? writer.mid(1) : user.split(u' ') << "--" << writer);
    p.write(bytes);
    p.closeWriteChannel();
    return {p.waitForFinished(20000) ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput())};
}

QStringList leftovers(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System).filter(".quillet-");
}

const auto native = [](const QString& path) { return QFile::encodeName(path); };

} // namespace

void tst_SafeFile::init()
{
    m_dir.emplace();
    QVERIFY(m_dir->isValid());
    ::chmod(native(m_dir->path()).constData(), 0755);
}

void tst_SafeFile::keepsOwnerGroupAndMode_data()
{
    QTest::addColumn<QString>("writer"); // setpriv options; empty: root
    QTest::addColumn<QString>("folder"); // uid:gid mode
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("sameInode"); // written in place
    auto row = [](const char* name, const char* writer, const char* folder, const char* file, bool inPlace) {
        QTest::newRow(name) << writer << folder << file << inPlace;
    };
    row("a team file saved by another member", "--reuid=4243 --regid=4243 --groups=5000", "4242:5000 2775",
        "4242:5000 0664", true);
    row("a user's file in root's group saved by root", "", "4242:4242 0755", "4242:0 0644", false);
    row("a private file saved by root keeps its mode", "", "0:0 0755", "0:0 0600", false);
    row("a set-group-id program keeps the bit", "", "0:0 0755", "0:5000 2755", false);
    row("a folder its owner cannot write: in place", "--reuid=4242 --regid=4242 --clear-groups",
        "4242:4242 0555", "4242:4242 0644", true);
}

void tst_SafeFile::keepsOwnerGroupAndMode()
{
    QFETCH(QString, writer);
    QFETCH(QString, folder);
    QFETCH(QString, file);
    if (::geteuid() != 0)
        QSKIP("giving files to other users needs root; the two-user saves are not run");
    auto apply = [](const QString& p, const QString& owner) {
        const QStringList ids = owner.section(u' ', 0, 0).split(u':');
        QVERIFY(::chown(native(p).constData(), ids[0].toUInt(), ids[1].toUInt()) == 0);
        QVERIFY(::chmod(native(p).constData(), mode_t(owner.section(u' ', 1).toUInt(nullptr, 8))) == 0);
    };
    const QString team = path(QStringLiteral("team")), a = team + QStringLiteral("/a.vbs");
    QVERIFY(writeFile(a, "' old\r\n"));
    apply(a, file);
    apply(team, folder);
    auto stamp = [&a] {
        struct stat st {};
        ::stat(native(a).constData(), &st);
        return std::make_pair(
            QString("%1:%2 %3").arg(st.st_uid).arg(st.st_gid).arg(st.st_mode & 07777, 4, 8, QChar(u'0')),
            st.st_ino);
    };
    const auto before = stamp();
    QCOMPARE(run(writer, QStringLiteral("replace"), a, "' new\r\n"), std::make_pair(0, QString()));
    QCOMPARE(bytesOf(a), QByteArray("' new\r\n"));
    const auto after = stamp();
    QCOMPARE(QStringList{after.first} + leftovers(team), QStringList{file});
    QTEST(after.second == before.second, "sameInode");
}

void tst_SafeFile::writes_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("what"); // what stands at a.vbs
    QTest::addColumn<QString>("said");
    QTest::addColumn<QStringList>("after"); // notes.txt / a.vbs, and no temporary file left
    auto row = [](const char* how, const char* what, const char* said, const char* after) {
        QTest::addRow("%s %s", how, what)
            << how << what << QString::fromUtf8(said) << QString(after).split(" / ");
    };
    row("replace", "link", "", "new / link");
    row("replace", "dangling", "リンク先のファイルがありません。", "none / link");
    row("entry", "link", "", "target / new"); // the link replaced, not its target
    row("entry", "dangling", "", "none / new");
    row("append", "link", "シンボリックリンクには書き込みません。", "target / link");
    row("append", "dangling", "シンボリックリンクには書き込みません。", "none / link");
    for (const char* how : {"replace", "entry", "append"}) {
        row(how, "fifo", "通常のファイルではありません。", "none / other");
        row(how, "folder", "同じ名前のフォルダがあります。", "none / folder");
    }
    row("replace", "device link", "通常のファイルではありません。", "none / link");
    row("replace", "linked", "", "new / new"); // in place: hard links stay linked
    // A full disk: the old content stays, beside the file, in place (a second link) or appended to.
    row("replace", "full", "ディスクに空きがありません。", "none / old");
    row("replace", "full, linked", "ディスクに空きがありません。", "old / old");
    row("append", "full", "ディスクに空きがありません。", "none / old");
}

void tst_SafeFile::writes()
{
    QFETCH(QString, how);
    QFETCH(QString, what);
    const QString folder = path("f"), a = folder + "/a.vbs", notes = folder + "/notes.txt";
    std::optional<SmallDisk> disk;
    if (what.startsWith(QStringLiteral("full")))
        SMALL_DISK_OR_SKIP(disk.emplace(folder, 64));
    QVERIFY(QDir().mkpath(folder));
    if (what == QStringLiteral("link") || what == QStringLiteral("dangling")) {
        QVERIFY((what == QStringLiteral("dangling") || writeFile(notes, "target")) && QFile::link(notes, a));
        QCOMPARE(PosixFile::kind(a), what == "link" ? PosixFile::Kind::Regular : PosixFile::Kind::Missing);
    } else if (what == QStringLiteral("fifo") || what == QStringLiteral("folder")) {
        QVERIFY(what == "folder" ? QDir().mkdir(a) : ::mkfifo(native(a).constData(), 0644) == 0);
    } else if (what == QStringLiteral("device link")) {
        QVERIFY(QFile::link(QStringLiteral("/dev/null"), a));
    } else {
        QVERIFY(writeFile(a, "old"));
        if (what.endsWith(QStringLiteral("linked")))
            QCOMPARE(::link(native(a).constData(), native(notes).constData()), 0);
        if (disk)
            disk->fill();
    }
    const auto [code, said] = run({}, how, a, disk ? QByteArray(40000, 'y') : QByteArray("new"));
    QTEST(said, "said");
    QCOMPARE(code, said.isEmpty() ? 0 : 1);
    auto describe = [](const QString& p) {
        const QFileInfo fi(p);
        return fi.isSymLink() ? QStringLiteral("link")
               : fi.isDir()   ? QStringLiteral("folder")
               : !fi.exists() ? QStringLiteral("none")
               : !fi.isFile() ? QStringLiteral("other")
                              : QString::fromUtf8(bytesOf(p));
    };
    QTEST(QStringList({describe(notes), describe(a)}) + leftovers(folder), "after");
}

// What no test can make the system do on demand still reads as the user should read it.
void tst_SafeFile::errorsTheTestsCannotCause()
{
    QCOMPARE(PosixFile::reason(EIO), QStringLiteral("入出力エラーが起きました。"));
    QCOMPARE(PosixFile::reason(EDQUOT), QStringLiteral("ディスクの使用量の制限を超えています。"));
}

// Two names that differ only in bytes that are not UTF-8 stay two files.
void tst_SafeFile::namesThatAreNotUtf8()
{
    const QByteArray dir = native(m_dir->path()), bad = dir + "/bad\xff.vbs",
                     twin = dir + "/bad\xef\xbf\xbd.vbs";
    for (const QByteArray& p : {bad, twin}) {
        const int fd = ::open(p.constData(), O_WRONLY | O_CREAT, 0644);
        QVERIFY(::write(fd, p.right(8).constData(), 8) == 8 && ::close(fd) == 0);
    }
    QString reason;
    QVERIFY2(SafeFile::replace(NativeName::fromBytes(bad), "new", &reason), qPrintable(reason));
    QVERIFY(SafeFile::append(NativeName::fromBytes(twin), "+", &reason));
    // With no standard input, as when started from a desktop, the first file opened gets descriptor 0.
    const int in = ::dup(STDIN_FILENO);
    ::close(STDIN_FILENO);
    const PosixFile::Read first = PosixFile::readRegular(NativeName::fromBytes(bad), 64);
    ::dup2(in, STDIN_FILENO);
    ::close(in);
    QCOMPARE(first.bytes, QByteArray("new"));
    QCOMPARE(PosixFile::readRegular(NativeName::fromBytes(twin), 64).bytes, twin.right(8) + "+");
    ::unlink(bad.constData()); // beyond what QTemporaryDir can name
}

QTEST_GUILESS_MAIN(tst_SafeFile)
#include "tst_SafeFile.moc"
