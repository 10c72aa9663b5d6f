#pragma once

#include <QByteArray>
#include <QString>

#include <sys/types.h>

#include <optional>

// The file system by the names it really holds (NativeName.h): every path here may name a
// file whose name is not UTF-8, which Qt's own file classes would turn into another name.
namespace PosixFile {

// Why a call failed, in words a user reads.
QString reason(int error);

enum class Kind { Missing, Regular, Folder, Link, Other, Unknown };
// What the path names; a final link is followed unless `followLink` is false. Unknown
// (with `error` set) when it cannot be told, as in a folder that cannot be searched.
Kind kind(const QString& path, bool followLink = true, int* error = nullptr);

// What tells whether a file changed since it was read.
struct Stamp {
    dev_t device = 0;
    ino_t inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    bool operator==(const Stamp&) const = default;
};
std::optional<Stamp> stamp(const QString& path);

struct Read {
    bool ok = false;
    QByteArray bytes;
    bool truncated = false; // the file is longer than what was read
    bool tooLarge = false;  // refused for its size
    QString reason;         // when not ok
    Stamp stamp;            // of the file as it was opened
};
enum class Oversize { Refuse, Truncate };

// Reads a regular file, at most `maxBytes` of it. Opened without blocking and checked
// before reading, so that a FIFO or a device named like a script neither hangs the
// program nor fills its memory.
Read readRegular(const QString& path, qint64 maxBytes, Oversize oversize = Oversize::Refuse);

// The process's working folder, by its real name.
QString currentFolder();

inline const QString TooLarge = QStringLiteral("ファイルが大きすぎます。");
inline const QString NotRegular = QStringLiteral("通常のファイルではありません。");
inline const QString IsFolder = QStringLiteral("フォルダです。");

} // namespace PosixFile
