#pragma once

#include <QByteArray>
#include <QString>

#include <limits>
#include <optional>

// How a script file's bytes become text and back.
enum class TextEncoding { Cp932, Utf8, Utf8Bom, Utf16LE, Utf16BE };

namespace TextCodec {

// A byte-order mark decides; else text that is valid UTF-8 and holds a non-ASCII byte is
// UTF-8; else code page 932 (which also covers plain ASCII).
TextEncoding detect(QByteArrayView bytes);
qsizetype bomLength(TextEncoding encoding);

// Text after the byte-order mark, whole or a piece cut by chunkEnd(). Invalid bytes
// become U+FFFD; nothing is dropped silently.
QString decode(QByteArrayView body, TextEncoding encoding);

struct DecodedFile {
    QString text;
    TextEncoding encoding;
};
DecodedFile decodeFile(QByteArrayView bytes);

// Where a piece that starts at `from` may end, at least `minBytes` on: just after a line
// feed, which no multi-byte sequence of these encodings contains. Without a line feed
// before `from + maxBytes` it cuts there at a character boundary (for code page 932 after
// a byte below 0x40, which is never half of a pair). Always past `from`, at most the end.
qsizetype chunkEnd(QByteArrayView bytes, TextEncoding encoding, qsizetype from, qsizetype minBytes,
                   qsizetype maxBytes = std::numeric_limits<qsizetype>::max() / 2);

// Breaks lines longer than `maxChars` so that a viewer never lays out one huge line.
QString breakLongLines(QString text, qsizetype maxChars);

// CR LF and lone CR become LF, for a viewer that breaks lines on LF only.
QString toLf(QString text);

// Whether the text's line ends are CR LF (the first line end decides; none: CR LF).
bool usesCrLf(QStringView text);

// The bytes of `text` in `encoding` (with its byte-order mark), or nullopt when a
// character has no code there.
std::optional<QByteArray> encode(QStringView text, TextEncoding encoding);

bool isValidUtf8(QByteArrayView bytes);

// Code page 932 bytes holding a code whose character is written back with another code
// (NEC and IBM extensions share characters).
bool hasAliasedCodes(QByteArrayView bytes);

} // namespace TextCodec
