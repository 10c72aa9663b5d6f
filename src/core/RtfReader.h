#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>

// A rich-text file reduced to what the preview shows: paragraphs of runs of text with
// bold, italic, underline, size and colour.
struct RtfRun {
    QString text;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int halfPoints = 0; // font size in half points; 0: the viewer's own size
    bool hasColor = false;
    quint32 rgb = 0; // 0xRRGGBB when hasColor
    bool operator==(const RtfRun&) const = default;
};

struct RtfParagraph {
    QList<RtfRun> runs;
    bool operator==(const RtfParagraph&) const = default;
};

struct RtfDocument {
    QList<RtfParagraph> paragraphs;
    QString plainText() const; // paragraphs joined with '\n'
};

namespace RtfReader {

// The file starts with "{\rtf".
bool looksLikeRtf(QByteArrayView bytes);

// nullopt when the text is not RTF the reader can trust (a stray '}', nesting too deep):
// the caller then shows the file as plain text. A file cut short yields what it holds.
std::optional<RtfDocument> read(QByteArrayView bytes);

} // namespace RtfReader
