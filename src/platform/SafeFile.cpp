#include "SafeFile.h"

#include <QFileInfo>
#include <QSaveFile>

namespace SafeFile {

namespace {

const QString IsFolder = QStringLiteral("同じ名前のフォルダがあります。");
const QString NotRegular = QStringLiteral("通常のファイルではありません。");
const QString ReadOnly = QStringLiteral("読み取り専用のファイルです。");
const QString NoFolder = QStringLiteral("フォルダがありません。");
const QString EmptyName = QStringLiteral("ファイル名がありません。");

// The file a write must change: a link's target, so that the link stays a link. Empty
// and a reason when the path must not be written.
QString writableTarget(const QString& path, QString* reason)
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
        if (!fi.isWritable()) {
            *reason = ReadOnly;
            return {};
        }
    } else if (!QFileInfo(fi.absolutePath()).isDir()) {
        *reason = NoFolder;
        return {};
    }
    return target;
}

} // namespace

bool replace(const QString& path, const QByteArray& bytes, QString* reason)
{
    const QString target = writableTarget(path, reason);
    if (target.isEmpty())
        return false;
    QSaveFile f(target);
    if (!f.open(QIODevice::WriteOnly)) {
        *reason = f.errorString();
        return false;
    }
    if (f.write(bytes) != bytes.size()) {
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
    const QString target = writableTarget(path, reason);
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
