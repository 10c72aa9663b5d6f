#include "PreviewLoader.h"

#include "Fonts.h"
#include "PosixFile.h"
#include "RtfReader.h"
#include "ScriptFiles.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>

PreviewLoader::PreviewLoader(QPlainTextEdit* view)
    : QObject(view)
    , m_view(view)
{
}

void PreviewLoader::setUpView(QPlainTextEdit* view)
{
    // For display only: nothing typed there would ever be saved.
    view->setReadOnly(true);
    view->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    view->setTabChangesFocus(true);
    view->setLineWrapMode(QPlainTextEdit::NoWrap);
    view->setUndoRedoEnabled(false);
    view->setFont(Fonts::sized(Fonts::Gothic, 9.75));
    // The design's light grey box keeps its dark text in any theme: a theme's text colour is
    // made for the theme's own background, which may be dark.
    QPalette pal = view->palette();
    pal.setColor(QPalette::Base, QColor(224, 224, 224));
    pal.setColor(QPalette::Text, Qt::black);
    pal.setColor(QPalette::Disabled, QPalette::Text, QColor(96, 96, 96));
    view->setPalette(pal);
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
    PosixFile::Read read = PosixFile::readRegular(path, ScriptFiles::MaxBytes, PosixFile::Oversize::Truncate);
    if (!read.ok)
        return Result::Unreadable;
    const bool truncated = read.truncated;
    QByteArray bytes = std::move(read.bytes);

    if (RtfReader::looksLikeRtf(bytes)) {
        if (const std::optional<RtfDocument> doc = RtfReader::read(bytes)) {
            showRtf(*doc);
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

// Control characters have no glyph in the preview's face: each one sent the layout
// searching every installed font, seconds for a file of NUL bytes. Shown as a dot the
// face holds.
QString PreviewLoader::showControls(QString text)
{
    char16_t* p = reinterpret_cast<char16_t*>(text.data());
    char16_t* const end = p + text.size();
    for (; p < end; ++p) {
        const char16_t c = *p;
        if (c < 0x20 && c != u'\n' && c != u'\t')
            *p = 0x30FB;
        else if (c == 0x7F)
            *p = 0x30FB;
    }
    return text;
}

QString PreviewLoader::nextPiece(qsizetype minBytes)
{
    const qsizetype end = TextCodec::chunkEnd(m_bytes, m_encoding, m_pos, minBytes, 2 * minBytes);
    const QByteArrayView piece = QByteArrayView(m_bytes).sliced(m_pos, end - m_pos);
    m_pos = end;
    // A piece may end inside a CR LF pair only where it was cut for length; a lone CR
    // then turns into a line end of its own, which the preview can live with.
    return TextCodec::breakLongLines(showControls(TextCodec::toLf(TextCodec::decode(piece, m_encoding))),
                                     MaxLineChars);
}

// The first screen at once, the rest in pieces from the event loop. Each piece goes in as
// one edit, so the view lays it out once: a run at a time, it laid out the paragraph again
// for every run.
void PreviewLoader::showRtf(const RtfDocument& doc)
{
    m_rtf = doc;
    m_rtfGeneration = m_generation;
    m_rtfParagraph = 0;
    m_rtfRun = 0;
    m_rtfOffset = 0;
    m_rtfLineChars = 0;
    m_rtfLineRuns = 0;
    appendRtfPiece(FirstRtfPieceCost);
    m_view->moveCursor(QTextCursor::Start);
    scheduleRtfPiece();
}

void PreviewLoader::scheduleRtfPiece()
{
    if (m_rtfParagraph < m_rtf->paragraphs.size()) {
        const quint64 generation = m_generation;
        QTimer::singleShot(0, this, [this, generation] {
            if (generation != m_generation) {
                // Another file was chosen; rich text of its own has its own timer.
                if (m_rtfGeneration != m_generation)
                    m_rtf.reset();
                return;
            }
            appendRtfPiece(RtfPieceCost);
            scheduleRtfPiece();
        });
        return;
    }
    m_rtf.reset();
    Q_EMIT finished();
}

void PreviewLoader::appendRtfPiece(qsizetype budget)
{
    const QList<RtfParagraph>& paragraphs = m_rtf->paragraphs;
    const double basePoints = m_view->font().pointSizeF();
    QTextCursor cursor(m_view->document());
    cursor.movePosition(QTextCursor::End);
    cursor.beginEditBlock();
    while (budget > 0 && m_rtfParagraph < paragraphs.size()) {
        const QList<RtfRun>& runs = paragraphs[m_rtfParagraph].runs;
        if (m_rtfRun >= runs.size()) {
            m_rtfRun = 0;
            if (++m_rtfParagraph < paragraphs.size()) {
                cursor.insertBlock();
                m_rtfLineChars = 0;
                m_rtfLineRuns = 0;
            }
            continue;
        }
        const RtfRun& run = runs[m_rtfRun];
        if (m_rtfLineChars >= MaxLineChars || m_rtfLineRuns >= MaxLineRuns) {
            cursor.insertBlock();
            m_rtfLineChars = 0;
            m_rtfLineRuns = 0;
        }
        qsizetype take = std::min({run.text.size() - m_rtfOffset, MaxLineChars - m_rtfLineChars, budget});
        // A pair of surrogates stays on one side of a cut.
        if (m_rtfOffset + take < run.text.size() && run.text[m_rtfOffset + take].isLowSurrogate())
            take += take > 1 ? -1 : 1;
        QTextCharFormat f;
        f.setFontWeight(run.bold ? QFont::Bold : QFont::Normal);
        f.setFontItalic(run.italic);
        f.setFontUnderline(run.underline);
        f.setFontPointSize(run.halfPoints > 0 ? run.halfPoints / 2.0 : basePoints);
        if (run.hasColor)
            f.setForeground(QColor::fromRgb(run.rgb));
        cursor.insertText(run.text.sliced(m_rtfOffset, take), f);
        m_rtfLineChars += take;
        // A line of many runs would be shaped again at every paint: its layout keeps the glyphs.
        if (++m_rtfLineRuns == CachedLineRuns)
            cursor.block().layout()->setCacheEnabled(true);
        m_rtfOffset += take;
        budget -= take + RtfRunCost;
        if (m_rtfOffset >= run.text.size()) {
            m_rtfOffset = 0;
            ++m_rtfRun;
        }
    }
    cursor.endEditBlock();
}
