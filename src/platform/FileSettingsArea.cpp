#include "FileSettingsArea.h"

#include "IniDocument.h"
#include "Installed.h"
#include "SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QScopeGuard>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {

constexpr int LockWaitMs = 5000;
// Four short settings fit a thousand times over; a larger file is not theirs, and reading it
// at every call would cost seconds and hundreds of megabytes.
constexpr qint64 MaxFileBytes = 1024 * 1024;

// The owner's permission bits count even for root, who passes every access() check: a file
// the user made read-only or unreadable is treated so.
bool ownerMay(const QFileInfo& fi, QFileDevice::Permission ownerBit, bool processMay)
{
    return processMay && (fi.permissions() & ownerBit);
}

enum class Load { Missing, Ok, Failed };

// Only a file that is not there is "nothing stored". A folder on the way that cannot be
// searched, a file where a folder should be or a loop of links hides whatever is stored,
// and the caller's default would pass for the user's setting.
Load loadDocument(const QString& path, std::optional<IniDocument>* doc)
{
    const QByteArray native = QFile::encodeName(path);
    // Non-blocking, so that a FIFO in the file's place is refused instead of waited on.
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        if (errno != ENOENT)
            return Load::Failed;
        // A dangling link is not "nothing stored": writing through it would be a surprise.
        struct stat st {};
        return ::lstat(native.constData(), &st) != 0 && errno == ENOENT ? Load::Missing : Load::Failed;
    }
    const auto closeFd = qScopeGuard([fd] { ::close(fd); });
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || !(st.st_mode & S_IRUSR) || st.st_size > MaxFileBytes)
        return Load::Failed;
    QFile f;
    if (!f.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
        return Load::Failed;
    const QByteArray bytes = f.read(MaxFileBytes + 1);
    if (f.error() != QFileDevice::NoError || bytes.size() > MaxFileBytes)
        return Load::Failed;
    *doc = IniDocument::parse(bytes);
    return *doc ? Load::Ok : Load::Failed;
}

} // namespace

FileSettingsArea::FileSettingsArea(QString folder)
    : m_folder(std::move(folder))
{
}

QString FileSettingsArea::defaultFolder()
{
    return Installed::userFolder();
}

QString FileSettingsArea::filePath(const QString& app) const
{
    return m_folder + u'/' + app + QStringLiteral(".ini");
}

std::optional<QString> FileSettingsArea::read(const QString& app, const QString& section, const QString& key,
                                              const QString& def) const
{
    std::optional<IniDocument> doc;
    switch (loadDocument(filePath(app), &doc)) {
    case Load::Missing:
        return def;
    case Load::Failed:
        return std::nullopt;
    case Load::Ok:
        break;
    }
    QString value;
    switch (doc->value(section, key, &value)) {
    case IniDocument::Lookup::Missing:
        return def;
    case IniDocument::Lookup::Malformed:
        return std::nullopt;
    case IniDocument::Lookup::Found:
        return value;
    }
    return std::nullopt;
}

bool FileSettingsArea::write(const QString& app, const QString& section, const QString& key,
                             const QString& value)
{
    if (app.isEmpty() || app.contains(u'/') || app.startsWith(u'.'))
        return false;
    if (!QDir().mkpath(m_folder))
        return false;
    const QString path = filePath(app);

    // Two copies of the program may save at once: without the lock one would drop the
    // other's key when it writes back the file it read.
    QLockFile lock(path + QStringLiteral(".lock"));
    if (!lock.tryLock(LockWaitMs))
        return false;

    std::optional<IniDocument> doc;
    switch (loadDocument(path, &doc)) {
    case Load::Failed:
        return false; // never rewrite what we could not read whole
    case Load::Missing:
        doc = IniDocument();
        break;
    case Load::Ok: {
        const QFileInfo fi(path);
        if (!ownerMay(fi, QFileDevice::WriteOwner, fi.isWritable()))
            return false;
        break;
    }
    }
    if (!doc->setValue(section, key, value))
        return false;

    // Complete or not at all, and the file keeps its owner, group and mode.
    QString reason;
    return SafeFile::replace(path, doc->serialize(), &reason);
}
