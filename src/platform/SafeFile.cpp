#include "SafeFile.h"

#include <QFileInfo>
#include <QSaveFile>

namespace SafeFile {

namespace {

const QString IsFolder = QStringLiteral("同じ名前のフォルダがあります。");
const QString NotRegular = QStringLiteral("通常のファイルではありません。");
const QString ReadOnly = QStringLiteral("読み取り専用のファイルです。");
const QString NoFolder = QStringLiteral("フォルダがありません。");
const QString ReadOnlyFolder = QStringLiteral("フォルダに書き込めません。");
const QString EmptyName = QStringLiteral("ファイル名がありません。");

// The owner's write bit counts even for root, who passes every access() check: what the
// user made read-only stays so.
bool mayWrite(const QFileInfo& fi)
{
    return fi.isWritable() && (fi.permissions() & QFileDevice::WriteOwner);
}

// The file a write must change: a link's target, so that the link stays a link. Empty
// and a reason when the path must not be written.
QString writableTarget(const QString& path, bool inFolder, QString* reason)
{
    if (path.isEmpty()) {
        *reason = EmptyName;
        return {};
    }
    QFileInfo fi(path);
    QString target = path;
    if (fi.isSymLink()) {
        // Through every link of a chain; a link to nowhere creates the file it names.
        target = fi.exists() ? fi.canonicalFilePath() : fi.symLinkTarget();
        fi = QFileInfo(target);
    }
    if (fi.exists()) {
        if (fi.isDir()) {
            *reason = IsFolder;
            return {};
        }
        if (!fi.isFile()) {
            *reason = NotRegular;
            return {};
        }
        if (!mayWrite(fi)) {
            *reason = ReadOnly;
            return {};
        }
    }
    if (!inFolder && fi.exists())
        return target;
    // A new file is made beside the old one before it takes its place.
    const QFileInfo folder(fi.absolutePath());
    if (!folder.isDir()) {
        *reason = NoFolder;
        return {};
    }
    if (!mayWrite(folder)) {
        *reason = ReadOnlyFolder;
        return {};
    }
    return target;
}

} // namespace

bool replace(const QString& path, const QByteArray& bytes, QString* reason)
{
    const QString target = writableTarget(path, true, reason);
    if (target.isEmpty())
        return false;
    QSaveFile f(target);
    if (!f.open(QIODevice::WriteOnly)) {
        *reason = f.errorString();
        return false;
    }
    // Flushed here: Qt 6.4's commit() renames even when its own final flush failed on a
    // full disk, which would leave an empty file in place of the old one.
    if (f.write(bytes) != bytes.size() || !f.flush()) {
        *reason = f.errorString();
        f.cancelWriting();
        f.commit();
        return false;
    }
    if (!f.commit()) {
        *reason = f.errorString();
        return false;
    }
    return true;
}

bool append(const QString& path, const QByteArray& bytes, QString* reason)
{
    const QString target = writableTarget(path, false, reason);
    if (target.isEmpty())
        return false;
    if (!QFileInfo::exists(target))
        return replace(target, bytes, reason);
    QFile f(target);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append)) {
        *reason = f.errorString();
        return false;
    }
    const qint64 before = f.size();
    if (f.write(bytes) == bytes.size() && f.flush())
        return true;
    *reason = f.errorString();
    f.resize(before);
    return false;
}

} // namespace SafeFile
