#pragma once

#include "RtfReader.h"
#include "TextCodec.h"

#include <QByteArray>
#include <QObject>

class QPlainTextEdit;

// Fills the preview with a file: the first screen at once, the rest in pieces from the
// event loop, so a 20 MB script neither blocks the window nor keeps it waiting.
class PreviewLoader final : public QObject {
    Q_OBJECT
public:
    static constexpr qsizetype FirstPieceBytes = 64 * 1024;
    static constexpr qsizetype PieceBytes = 256 * 1024;
    static constexpr qsizetype MaxLineChars = 1000;
    // Rich text goes in pieces of so many characters, each run counting as that many more:
    // laying out and drawing a run costs more than a character. A line of rich text ends
    // at MaxLineChars characters or MaxLineRuns runs, so that no line is slow to draw.
    static constexpr qsizetype FirstRtfPieceCost = 16 * 1024;
    static constexpr qsizetype RtfPieceCost = 64 * 1024;
    static constexpr qsizetype RtfRunCost = 32;
    static constexpr qsizetype MaxLineRuns = 250;
    static constexpr qsizetype CachedLineRuns = 32;

    explicit PreviewLoader(QPlainTextEdit* view);

    // The preview as the main window shows it: read only, unwrapped, without undo, in the
    // design's face and colours. One setup for the window and for the benchmark that times it.
    static void setUpView(QPlainTextEdit* view);

    enum class Result { Loaded, Truncated, Unreadable };
    // Replaces the preview's content; anything still loading from before is dropped. On
    // Unreadable the preview is left empty.
    Result load(const QString& path);
    bool isLoading() const { return m_pos < m_bytes.size() || (m_rtf && m_rtfGeneration == m_generation); }

Q_SIGNALS:
    void finished();

private:
    void showRtf(const RtfDocument& doc);
    void appendRtfPiece(qsizetype budget);
    void scheduleRtfPiece();
    void appendNextPiece();
    QString nextPiece(qsizetype minBytes);
    static QString showControls(QString text);

    QPlainTextEdit* m_view;
    QByteArray m_bytes;
    TextEncoding m_encoding = TextEncoding::Cp932;
    qsizetype m_pos = 0;
    quint64 m_generation = 0;

    // The rich text still being shown: the next run to insert, how much of it is in, and
    // how long the view's last line is.
    std::optional<RtfDocument> m_rtf;
    quint64 m_rtfGeneration = 0;
    qsizetype m_rtfParagraph = 0;
    qsizetype m_rtfRun = 0;
    qsizetype m_rtfOffset = 0;
    qsizetype m_rtfLineChars = 0;
    qsizetype m_rtfLineRuns = 0;
};
