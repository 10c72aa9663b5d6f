#pragma once

#include <QByteArray>
#include <QString>

// Writes that never leave a file half-written: the old content stays until the new one is
// complete, and a failed write leaves the file as it was. Paths are real names
// (NativeName.h).
namespace SafeFile {

// Makes `path` hold exactly `bytes`: a link is written through (it stays a link), and the
// file keeps its owner, group and mode. The new content is written beside the old and
// renamed over it; where that cannot keep the file's owner or its other hard links, or
// the folder cannot be written, the file is written in place after a copy of its old
// content, which is put back if the write fails. A read-only file or anything that is not
// a regular file is refused.
bool replace(const QString& path, const QByteArray& bytes, QString* reason);

// As replace(), but a link at `path` is never followed: the link itself is replaced by
// the new file, and a dangling link creates nothing at its target.
bool replaceEntry(const QString& path, const QByteArray& bytes, QString* reason);

// Adds `bytes` at the end of `path`, creating it (complete or not at all) when nothing
// is there. Never through a link. A write that fails is undone, so the file keeps the
// length and bytes it had.
bool append(const QString& path, const QByteArray& bytes, QString* reason);

inline const QString IsFolder = QStringLiteral("同じ名前のフォルダがあります。");
inline const QString NotRegular = QStringLiteral("通常のファイルではありません。");
inline const QString ReadOnly = QStringLiteral("読み取り専用のファイルです。");
inline const QString NoFolder = QStringLiteral("フォルダがありません。");
inline const QString ReadOnlyFolder = QStringLiteral("フォルダに書き込めません。");
inline const QString EmptyName = QStringLiteral("ファイル名がありません。");
inline const QString IsLink = QStringLiteral("シンボリックリンクには書き込みません。");
inline const QString DanglingLink = QStringLiteral("リンク先のファイルがありません。");
inline const QString Moved = QStringLiteral("書き込む間にファイルが置き換えられました。");
inline const QString CopyKept = QStringLiteral("元の内容は次のファイルに残っています: ");

} // namespace SafeFile
