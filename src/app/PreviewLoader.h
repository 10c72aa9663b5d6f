#pragma once

#include "TextCodec.h"

#include <QByteArray>
#include <QObject>

class QPlainTextEdit;
struct RtfDocument;

// Fills the preview with a file: the first screen at once, the rest in pieces from the
// event loop, so a 20 MB script neither blocks the window nor keeps it waiting.
class PreviewLoader final : public QObject {
    Q_OBJECT
public:
    static constexpr qsizetype FirstPieceBytes = 64 * 1024;
    static constexpr qsizetype PieceBytes = 512 * 1024;
    static constexpr qsizetype MaxBytes = 64 * 1024 * 1024;
    static constexpr qsizetype MaxLineChars = 10000;

    explicit PreviewLoader(QPlainTextEdit* view);

    enum class Result { Loaded, Truncated, Unreadable };
    // Replaces the preview's content; anything still loading from before is dropped. On
    // Unreadable the preview is left empty.
    Result load(const QString& path);
    bool isLoading() const { return m_pos < m_bytes.size(); }

Q_SIGNALS:
    void finished();

private:
    void showRtf(const RtfDocument& doc);
    void appendNextPiece();
    QString nextPiece(qsizetype minBytes);

    QPlainTextEdit* m_view;
    QByteArray m_bytes;
    TextEncoding m_encoding = TextEncoding::Cp932;
    qsizetype m_pos = 0;
    quint64 m_generation = 0;
};
