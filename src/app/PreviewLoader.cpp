#include "PreviewLoader.h"

#include "PosixFile.h"
#include "RtfReader.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>

PreviewLoader::PreviewLoader(QPlainTextEdit* view)
    : QObject(view)
    , m_view(view)
{
}

PreviewLoader::Result PreviewLoader::load(const QString& path)
{
    ++m_generation;
    m_bytes.clear();
    m_pos = 0;
    m_view->clear();
    // Clearing keeps the last character format: a plain file after a rich one would
    // otherwise come out in its last run's bold or colour.
    m_view->setCurrentCharFormat(QTextCharFormat());

    // Only regular files: a pipe or device named like a script would block the read.
    PosixFile::Read read = PosixFile::readRegular(path, MaxBytes, PosixFile::Oversize::Truncate);
    if (!read.ok)
        return Result::Unreadable;
    const bool truncated = read.truncated;
    QByteArray bytes = std::move(read.bytes);

    if (RtfReader::looksLikeRtf(bytes)) {
        if (const std::optional<RtfDocument> doc = RtfReader::read(bytes)) {
            showRtf(*doc);
            Q_EMIT finished();
            return truncated ? Result::Truncated : Result::Loaded;
        }
    }

    m_bytes = std::move(bytes);
    m_encoding = TextCodec::detect(m_bytes);
    m_pos = TextCodec::bomLength(m_encoding);
    m_view->setPlainText(nextPiece(FirstPieceBytes));
    if (isLoading()) {
        const quint64 generation = m_generation;
        QTimer::singleShot(0, this, [this, generation] {
            if (generation == m_generation)
                appendNextPiece();
        });
    } else {
        m_bytes.clear();
        Q_EMIT finished();
    }
    return truncated ? Result::Truncated : Result::Loaded;
}

void PreviewLoader::appendNextPiece()
{
    QTextCursor cursor(m_view->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(nextPiece(PieceBytes));
    if (!isLoading()) {
        m_bytes.clear();
        m_bytes.squeeze();
        Q_EMIT finished();
        return;
    }
    const quint64 generation = m_generation;
    QTimer::singleShot(0, this, [this, generation] {
        if (generation == m_generation)
            appendNextPiece();
    });
}

QString PreviewLoader::nextPiece(qsizetype minBytes)
{
    const qsizetype end = TextCodec::chunkEnd(m_bytes, m_encoding, m_pos, minBytes, 2 * minBytes);
    const QByteArrayView piece = QByteArrayView(m_bytes).sliced(m_pos, end - m_pos);
    m_pos = end;
    // A piece may end inside a CR LF pair only where it was cut for length; a lone CR
    // then turns into a line end of its own, which the preview can live with.
    return TextCodec::breakLongLines(TextCodec::toLf(TextCodec::decode(piece, m_encoding)), MaxLineChars);
}

void PreviewLoader::showRtf(const RtfDocument& doc)
{
    QTextCursor cursor(m_view->document());
    const QFont base = m_view->font();
    bool first = true;
    for (const RtfParagraph& p : doc.paragraphs) {
        if (!first)
            cursor.insertBlock();
        first = false;
        for (const RtfRun& run : p.runs) {
            QTextCharFormat f;
            f.setFontWeight(run.bold ? QFont::Bold : QFont::Normal);
            f.setFontItalic(run.italic);
            f.setFontUnderline(run.underline);
            f.setFontPointSize(run.halfPoints > 0 ? run.halfPoints / 2.0 : base.pointSizeF());
            if (run.hasColor)
                f.setForeground(QColor::fromRgb(run.rgb));
            cursor.insertText(run.text, f);
        }
    }
    m_view->moveCursor(QTextCursor::Start);
}
