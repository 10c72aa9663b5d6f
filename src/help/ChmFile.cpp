#include "ChmFile.h"

#include "NativeName.h"
#include "PosixFile.h"

#include <chm_lib.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {

// No page or table of a manual comes near this.
constexpr LONGUINT64 MaxObject = 32 * 1024 * 1024;

const QString NotHelp = QStringLiteral("ヘルプファイル (CHM) として読めません。");

} // namespace

ChmFile::~ChmFile()
{
    if (m_file)
        chm_close(m_file);
}

bool ChmFile::open(const QString& path, QString* reason)
{
    // Opened without blocking and checked before the library reads it, so that a FIFO or a
    // device neither hangs the viewer nor is read without end.
    const int fd = ::open(NativeName::toBytes(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *reason = PosixFile::reason(errno);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        *reason = S_ISDIR(st.st_mode) ? PosixFile::IsFolder : PosixFile::NotRegular;
        ::close(fd);
        return false;
    }
    m_file = chm_open(QByteArrayLiteral("/proc/self/fd/").append(QByteArray::number(fd)).constData());
    ::close(fd); // the library holds its own descriptor
    if (!m_file) {
        *reason = NotHelp;
        return false;
    }
    m_system = ChmTables::system(read(QStringLiteral("/#SYSTEM")).value_or(QByteArray()));
    m_topics = ChmTables::topics(read(QStringLiteral("/#IVB")).value_or(QByteArray()),
                                 read(QStringLiteral("/#STRINGS")).value_or(QByteArray()));
    return true;
}

std::optional<QByteArray> ChmFile::read(const QString& path) const
{
    if (!m_file)
        return std::nullopt;
    chmUnitInfo unit{};
    const QByteArray name = path.toUtf8();
    if (name.size() > CHM_MAX_PATHLEN ||
        chm_resolve_object(m_file, name.constData(), &unit) != CHM_RESOLVE_SUCCESS || unit.length > MaxObject)
        return std::nullopt;
    QByteArray bytes(qsizetype(unit.length), Qt::Uninitialized);
    const LONGINT64 got = chm_retrieve_object(m_file, &unit, reinterpret_cast<unsigned char*>(bytes.data()),
                                              0, LONGINT64(unit.length));
    if (got < 0)
        return std::nullopt;
    bytes.truncate(qsizetype(got));
    return bytes;
}

QString ChmFile::topic(quint32 id) const
{
    QString page = m_topics.value(id);
    if (!page.isEmpty() && !page.startsWith(u'/'))
        page.prepend(u'/');
    return page;
}

QList<ChmTables::Entry> ChmFile::contents() const
{
    if (m_system.contentsFile.isEmpty())
        return {};
    const std::optional<QByteArray> sitemap = read(u'/' + m_system.contentsFile);
    return sitemap ? ChmTables::contents(ChmTables::decodeHtml(*sitemap)) : QList<ChmTables::Entry>{};
}
