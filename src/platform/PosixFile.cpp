#include "PosixFile.h"

#include "NativeName.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace PosixFile {

namespace {
Stamp stampOf(const struct stat& st)
{
    return {st.st_dev, st.st_ino, qint64(st.st_size),
            qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}
} // namespace

QString reason(int error)
{
    switch (error) {
    case ENOENT:
        return QStringLiteral("ファイルまたはフォルダがありません。");
    case EACCES:
    case EPERM:
        return QStringLiteral("アクセスが許可されていません。");
    case EISDIR:
        return IsFolder;
    case ENOTDIR:
        return QStringLiteral("パスの途中にフォルダではないものがあります。");
    case ELOOP:
        return QStringLiteral("シンボリックリンクです。");
    case ENAMETOOLONG:
        return QStringLiteral("パス名が長すぎます。");
    case ENOSPC:
        return QStringLiteral("ディスクに空きがありません。");
    case EDQUOT:
        return QStringLiteral("ディスクの使用量の制限を超えています。");
    case EROFS:
        return QStringLiteral("読み取り専用のファイルシステムです。");
    case EFBIG:
        return TooLarge;
    case EIO:
        return QStringLiteral("入出力エラーが起きました。");
    case EEXIST:
        return QStringLiteral("同じ名前のファイルがすでにあります。");
    case ENXIO:
    case ENODEV:
        return NotRegular;
    case EMFILE:
    case ENFILE:
        return QStringLiteral("開いているファイルが多すぎます。");
    case ENOMEM:
        return QStringLiteral("メモリが足りません。");
    case EBUSY:
    case ETXTBSY:
        return QStringLiteral("ファイルが使用中です。");
    case EXDEV:
        return QStringLiteral("別のファイルシステムにあります。");
    case ENOEXEC:
        return QStringLiteral("実行できる形式のファイルではありません。");
    default:
        return QStringLiteral("システムエラー %1 が起きました。").arg(error);
    }
}

Kind kind(const QString& path, bool followLink, int* error)
{
    struct stat st {};
    const QByteArray native = NativeName::toBytes(path);
    const int rc = followLink ? ::stat(native.constData(), &st) : ::lstat(native.constData(), &st);
    if (rc != 0) {
        if (error)
            *error = errno;
        return errno == ENOENT ? Kind::Missing : Kind::Unknown;
    }
    if (S_ISREG(st.st_mode))
        return Kind::Regular;
    if (S_ISDIR(st.st_mode))
        return Kind::Folder;
    if (S_ISLNK(st.st_mode))
        return Kind::Link;
    return Kind::Other;
}

Read readRegular(const QString& path, qint64 maxBytes, Oversize oversize)
{
    Read r;
    const QByteArray native = NativeName::toBytes(path);
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        r.reason = reason(errno);
        return r;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        r.reason = reason(errno);
        ::close(fd);
        return r;
    }
    if (!S_ISREG(st.st_mode)) {
        r.reason = S_ISDIR(st.st_mode) ? IsFolder : NotRegular;
        ::close(fd);
        return r;
    }
    if (st.st_size > maxBytes && oversize == Oversize::Refuse) {
        r.tooLarge = true;
        r.reason = TooLarge;
        ::close(fd);
        return r;
    }
    r.stamp = stampOf(st);
    const qint64 want = qMin<qint64>(st.st_size, maxBytes);
    r.bytes.resize(want);
    qint64 got = 0;
    while (got < want) {
        const ssize_t n = ::read(fd, r.bytes.data() + got, size_t(want - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            r.reason = reason(errno);
            r.bytes.clear();
            ::close(fd);
            return r;
        }
        if (n == 0)
            break; // shorter than it was a moment ago
        got += n;
    }
    r.bytes.truncate(got);
    r.truncated = st.st_size > maxBytes;
    r.ok = true;
    ::close(fd);
    return r;
}

std::optional<Stamp> stamp(const QString& path)
{
    struct stat st {};
    if (::stat(NativeName::toBytes(path).constData(), &st) != 0)
        return std::nullopt;
    return stampOf(st);
}

QString currentFolder()
{
    QByteArray buf(4096, Qt::Uninitialized);
    while (!::getcwd(buf.data(), size_t(buf.size()))) {
        if (errno != ERANGE)
            return {};
        buf.resize(buf.size() * 2);
    }
    return NativeName::fromBytes(QByteArrayView(buf.constData()));
}

} // namespace PosixFile
