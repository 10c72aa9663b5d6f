#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QLocale>
#include <QString>

// A new script: where it goes and the five header lines it starts with.
namespace NewScript {

// The folder, a separator, the name exactly as typed, the kind's extension. A root folder
// gives a doubled separator, as the file list reports it.
QString path(const QString& folder, const QString& name, const QString& extension);

// The locale's general date: short date, a blank, long time. Japanese and the C locale
// give the Japanese form, 2001/05/12 9:03:27.
QString generalDate(const QDateTime& when, const QLocale& locale);

// The header, each line the comment mark and a label, ending in CR LF.
QString header(const QString& commentMark, const QString& path, const QString& userName, const QString& when);

// The header in code page 932. A character it has no code for becomes "?", as Windows
// writes it: the header is a comment, and a file name the code page cannot spell must not
// stop the file from being made.
QByteArray headerBytes(const QString& header);

} // namespace NewScript
