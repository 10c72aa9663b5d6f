#include "SafeFile.h"

#include "NativeName.h"
#include "PosixFile.h"

#include <QDir>
#include <QStandardPaths>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace SafeFile {

namespace {

struct Native {
    QByteArray path;
    QByteArray folder;
    QByteArray name;
};

Native split(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return {path, QByteArray("."), path};
    return {path, slash == 0 ? QByteArray("/") : path.left(slash), path.mid(slash + 1)};
}

bool fail(QString* reason, const QString& text)
{
    *reason = text;
    return false;
}

bool failErrno(QString* reason)
{
    return fail(reason, PosixFile::reason(errno));
}

mode_t currentUmask()
{
    // Read, not set: umask() can only be read by changing it.
    FILE* f = std::fopen("/proc/self/status", "re");
    if (f) {
        char line[256];
        while (std::fgets(line, sizeof line, f)) {
            unsigned value = 0;
            if (std::sscanf(line, "Umask: %o", &value) == 1) {
                std::fclose(f);
                return mode_t(value);
            }
        }
        std::fclose(f);
    }
    const mode_t m = ::umask(022);
    ::umask(m);
    return m;
}

bool writeAll(int fd, const char* data, qint64 size, off_t at, QString* reason)
{
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = ::pwrite(fd, data + done, size_t(qMin<qint64>(size - done, 1 << 30)), at + done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            return failErrno(reason);
        }
        done += n;
    }
    return true;
}

// A file of our own beside `folder`'s others, named so that nobody takes it for theirs.
int makeTemporary(const QByteArray& folder, const QByteArray& name, QByteArray* path)
{
    *path = folder + "/." + name.left(100) + ".quillet-XXXXXX";
    return ::mkostemp(path->data(), O_CLOEXEC);
}

// Writes `bytes` to a new file and renames it to `target` (replacing what is there when
// `overwrite`). Owner, group and mode as given, or the defaults of a new file. False with
// `inPlaceMayHelp` when writing beside the file is what failed.
bool viaRename(const Native& target, const QByteArray& bytes, const struct stat* old, bool overwrite,
               QString* reason, bool* inPlaceMayHelp)
{
    *inPlaceMayHelp = false;
    QByteArray tmp;
    const int fd = makeTemporary(target.folder, target.name, &tmp);
    if (fd < 0) {
        *inPlaceMayHelp = true;
        return failErrno(reason);
    }
    auto discard = [&](bool mayHelp) {
        const int saved = errno;
        ::close(fd);
        ::unlink(tmp.constData());
        errno = saved;
        *inPlaceMayHelp = mayHelp;
        return failErrno(reason);
    };
    if (old) {
        struct stat mine {};
        if (::fstat(fd, &mine) != 0)
            return discard(true);
        // The owner first: changing it clears the set-id bits that fchmod then restores.
        if ((mine.st_uid != old->st_uid || mine.st_gid != old->st_gid) &&
            ::fchown(fd, old->st_uid, old->st_gid) != 0)
            return discard(true);
        if (::fchmod(fd, old->st_mode & 07777) != 0)
            return discard(true);
    } else if (::fchmod(fd, 0666 & ~currentUmask()) != 0) {
        return discard(false);
    }
    if (!writeAll(fd, bytes.constData(), bytes.size(), 0, reason) || ::fdatasync(fd) != 0)
        return discard(true);
    if (::close(fd) != 0) {
        const int saved = errno;
        ::unlink(tmp.constData());
        errno = saved;
        *inPlaceMayHelp = true;
        return failErrno(reason);
    }
    int rc;
    if (overwrite) {
        rc = ::rename(tmp.constData(), target.path.constData());
    } else {
        // Never over something that appeared meanwhile.
        rc = ::renameat2(AT_FDCWD, tmp.constData(), AT_FDCWD, target.path.constData(), RENAME_NOREPLACE);
        if (rc != 0 && (errno == EINVAL || errno == ENOSYS)) {
            rc = ::link(tmp.constData(), target.path.constData());
            if (rc == 0)
                ::unlink(tmp.constData());
        }
    }
    if (rc != 0) {
        const int saved = errno;
        ::unlink(tmp.constData());
        errno = saved;
        return failErrno(reason);
    }
    return true;
}

// Where the copy of a file written in place goes: beside it, else the user's cache, else
// the temporary folder.
int makeCopy(const Native& target, QByteArray* path)
{
    int fd = makeTemporary(target.folder, target.name + ".copy", path);
    if (fd >= 0)
        return fd;
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (!cache.isEmpty()) {
        const QByteArray folder = NativeName::toBytes(cache) + "/Quillet";
        ::mkdir(NativeName::toBytes(cache).constData(), 0700);
        ::mkdir(folder.constData(), 0700);
        fd = makeTemporary(folder, target.name + ".copy", path);
        if (fd >= 0)
            return fd;
    }
    return makeTemporary(NativeName::toBytes(QDir::tempPath()), target.name + ".copy", path);
}

// Writes over the file itself, which keeps its inode, owner, mode and hard links. Its old
// content is copied first and put back when the write fails.
bool inPlace(const Native& target, const QByteArray& bytes, const struct stat& expected, QString* reason)
{
    const int fd = ::open(target.path.constData(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return failErrno(reason);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || st.st_dev != expected.st_dev || st.st_ino != expected.st_ino ||
        !S_ISREG(st.st_mode)) {
        ::close(fd);
        return fail(reason, Moved);
    }
    QByteArray old(qsizetype(st.st_size), Qt::Uninitialized);
    qint64 got = 0;
    while (got < old.size()) {
        const ssize_t n = ::pread(fd, old.data() + got, size_t(old.size() - got), got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const bool r = failErrno(reason);
            ::close(fd);
            return r;
        }
        if (n == 0)
            break;
        got += n;
    }
    old.truncate(got);

    QByteArray copyPath;
    const int copy = makeCopy(target, &copyPath);
    if (copy < 0) {
        const bool r = failErrno(reason);
        ::close(fd);
        return r;
    }
    if (!writeAll(copy, old.constData(), old.size(), 0, reason) || ::fdatasync(copy) != 0) {
        if (reason->isEmpty())
            *reason = PosixFile::reason(errno);
        ::close(copy);
        ::unlink(copyPath.constData());
        ::close(fd);
        return false;
    }
    ::close(copy);

    // Space first, so that a full disk fails before the old content is touched.
    if (bytes.size() > old.size()) {
        const int rc = ::posix_fallocate(fd, 0, off_t(bytes.size()));
        if (rc == ENOSPC || rc == EDQUOT || rc == EFBIG) {
            ::unlink(copyPath.constData());
            ::close(fd);
            return fail(reason, PosixFile::reason(rc));
        }
    }
    QString why;
    if (writeAll(fd, bytes.constData(), bytes.size(), 0, &why) && ::ftruncate(fd, off_t(bytes.size())) == 0 &&
        ::fdatasync(fd) == 0) {
        ::close(fd);
        ::unlink(copyPath.constData());
        return true;
    }
    if (why.isEmpty())
        why = PosixFile::reason(errno);
    QString ignored;
    const bool restored = writeAll(fd, old.constData(), old.size(), 0, &ignored) &&
                          ::ftruncate(fd, off_t(old.size())) == 0 && ::fdatasync(fd) == 0;
    ::close(fd);
    if (restored) {
        ::unlink(copyPath.constData());
        return fail(reason, why);
    }
    return fail(reason, why + QStringLiteral("\r\n") + CopyKept +
                            NativeName::display(NativeName::fromBytes(copyPath)));
}

bool folderReady(const Native& target, QString* reason)
{
    struct stat st {};
    if (::stat(target.folder.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return fail(reason, NoFolder);
    if (!(st.st_mode & S_IWUSR) ||
        ::faccessat(AT_FDCWD, target.folder.constData(), W_OK | X_OK, AT_EACCESS) != 0)
        return fail(reason, ReadOnlyFolder);
    return true;
}

// A regular file that exists: replaced beside itself where that keeps all it has, else in place.
bool replaceRegular(const Native& target, const QByteArray& bytes, const struct stat& st, QString* reason)
{
    // The owner's write bit counts even for root, who passes every access check: what the
    // user made read-only stays so.
    if (!(st.st_mode & S_IWUSR) || ::faccessat(AT_FDCWD, target.path.constData(), W_OK, AT_EACCESS) != 0)
        return fail(reason, ReadOnly);
    if (st.st_nlink <= 1) {
        bool inPlaceMayHelp = false;
        if (viaRename(target, bytes, &st, true, reason, &inPlaceMayHelp))
            return true;
        if (!inPlaceMayHelp)
            return false;
    }
    reason->clear();
    return inPlace(target, bytes, st, reason);
}

bool createNew(const Native& target, const QByteArray& bytes, bool overwrite, QString* reason)
{
    if (!folderReady(target, reason))
        return false;
    bool ignored = false;
    return viaRename(target, bytes, nullptr, overwrite, reason, &ignored);
}

} // namespace

bool replace(const QString& path, const QByteArray& bytes, QString* reason)
{
    if (path.isEmpty())
        return fail(reason, EmptyName);
    const QByteArray native = NativeName::toBytes(path);
    struct stat lst {};
    if (::lstat(native.constData(), &lst) != 0) {
        if (errno != ENOENT)
            return failErrno(reason);
        return createNew(split(native), bytes, false, reason);
    }
    if (S_ISDIR(lst.st_mode))
        return fail(reason, IsFolder);
    if (S_ISREG(lst.st_mode))
        return replaceRegular(split(native), bytes, lst, reason);
    if (!S_ISLNK(lst.st_mode))
        return fail(reason, NotRegular);

    // A link: opened through the kernel, which applies its own rules on following links,
    // then its target's name checked to be that very file.
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return errno == ENOENT ? fail(reason, DanglingLink) : failErrno(reason);
    struct stat st {};
    const int rc = ::fstat(fd, &st);
    ::close(fd);
    if (rc != 0)
        return failErrno(reason);
    if (S_ISDIR(st.st_mode))
        return fail(reason, IsFolder);
    if (!S_ISREG(st.st_mode))
        return fail(reason, NotRegular);
    char resolved[PATH_MAX];
    struct stat rst {};
    if (!::realpath(native.constData(), resolved) || ::lstat(resolved, &rst) != 0 ||
        rst.st_dev != st.st_dev || rst.st_ino != st.st_ino)
        return fail(reason, Moved);
    return replaceRegular(split(QByteArray(resolved)), bytes, rst, reason);
}

bool replaceEntry(const QString& path, const QByteArray& bytes, QString* reason)
{
    if (path.isEmpty())
        return fail(reason, EmptyName);
    const QByteArray native = NativeName::toBytes(path);
    struct stat lst {};
    if (::lstat(native.constData(), &lst) != 0) {
        if (errno != ENOENT)
            return failErrno(reason);
        return createNew(split(native), bytes, false, reason);
    }
    if (S_ISDIR(lst.st_mode))
        return fail(reason, IsFolder);
    if (S_ISREG(lst.st_mode))
        return replaceRegular(split(native), bytes, lst, reason);
    if (S_ISLNK(lst.st_mode))
        return createNew(split(native), bytes, true, reason);
    return fail(reason, NotRegular);
}

bool append(const QString& path, const QByteArray& bytes, QString* reason)
{
    if (path.isEmpty())
        return fail(reason, EmptyName);
    const QByteArray native = NativeName::toBytes(path);
    const int fd =
        ::open(native.constData(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        if (errno == ELOOP)
            return fail(reason, IsLink);
        if (errno == EISDIR)
            return fail(reason, IsFolder);
        if (errno == ENXIO)
            return fail(reason, NotRegular);
        if (errno != ENOENT)
            return errno == EACCES ? fail(reason, ReadOnly) : failErrno(reason);
        return createNew(split(native), bytes, false, reason);
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || !(st.st_mode & S_IWUSR)) {
        const bool regular = S_ISREG(st.st_mode);
        ::close(fd);
        return fail(reason, regular ? ReadOnly : NotRegular);
    }
    QString why;
    if (writeAll(fd, bytes.constData(), bytes.size(), st.st_size, &why) && ::fdatasync(fd) == 0) {
        ::close(fd);
        return true;
    }
    *reason = why.isEmpty() ? PosixFile::reason(errno) : why;
    // Undone: the file keeps the length it had.
    if (::ftruncate(fd, st.st_size) != 0) {
        // Nothing more to be done; the reason already says what went wrong.
    }
    ::close(fd);
    return false;
}

} // namespace SafeFile
