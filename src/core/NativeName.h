#pragma once

#include <QByteArray>
#include <QString>

// File names as the file system holds them: bytes, usually but not always UTF-8. A name
// that is not UTF-8 keeps each byte that does not decode as one character of its own
// (U+DC80..U+DCFF, which no UTF-8 text decodes to), so that the text always turns back
// into the same bytes and two names never become one.
namespace NativeName {

QString fromBytes(QByteArrayView bytes);
QByteArray toBytes(QStringView name);

// True when the name is plain Unicode: its bytes are UTF-8, so that any program, Wine's
// among them, can be given it.
bool isUnicode(QStringView name);

// The name as a user reads it: each path element that is not UTF-8 is read as code page
// 932 where that decodes it whole (names from Windows archives), else its stray bytes
// show as U+FFFD and the element is marked as not readable.
QString display(QStringView name);

// Text that follows an element shown with U+FFFD in it.
inline const QString UnreadableMark = QStringLiteral(" (文字コード不明)");

} // namespace NativeName
