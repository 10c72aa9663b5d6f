#pragma once

#include "TextCodec.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

// A script file as the editor holds it: the text it shows, with the file's own line ends,
// and what saving needs so that every line the user did not touch is written exactly as
// it was: its line end (CR LF, LF or CR, even mixed), bytes that decode to no character,
// and codes that decode to a character whose preferred code is another.
//
// Most files hold none of these: each of their lines comes back as it was from its text
// alone, and nothing beyond the text is kept. Only a file that holds one of them keeps
// its bytes and a table of its lines.
class ScriptText final {
public:
    explicit ScriptText(QByteArray bytes = {});

    // The text to show, with the file's line ends; handed over once, since a 20 MB script
    // should not be held twice.
    QString takeText() { return std::move(m_text); }
    TextEncoding encoding() const { return m_encoding; }
    // The file's first line end (CR LF when it has none): what a new line gets.
    QString lineEnd() const { return m_lineEnd; }
    // Some bytes decode to U+FFFD (shown as such).
    bool hasUndecodableBytes() const { return m_undecodable; }
    // More than one kind of line end.
    bool hasMixedLineEnds() const { return m_mixedEnds; }
    // Some codes decode to a character whose own code is another (code page 932 keeps
    // several codes for one character).
    bool hasAliasedCodes() const { return m_aliased; }

    // What stands for U+FFFD in a changed line of an encoding that has no code for it.
    static constexpr char16_t UndecodableStandIn = u'?';

    // The bytes of `edited` (any line ends): each line equal to a line of the file keeps
    // that line's bytes and line end; changed lines are encoded and take the line end of
    // the line they replace, or the file's first line end. nullopt when a changed line
    // holds a character the encoding cannot hold.
    std::optional<QByteArray> toBytes(QStringView edited) const;

private:
    struct Line {
        quint32 start = 0; // in m_bytes
        quint32 length = 0;
        quint32 chars = 0;    // decoded length
        quint8 endLength = 0; // 0 for the last line
        size_t hash = 0;      // of the decoded text
    };

    void keepLines(const QString& text);
    std::optional<QByteArray> encodeUniform(QStringView edited) const;
    QByteArrayView content(const Line& l) const { return QByteArrayView(m_bytes).sliced(l.start, l.length); }
    QByteArrayView end(const Line& l) const
    {
        return QByteArrayView(m_bytes).sliced(qsizetype(l.start) + l.length, l.endLength);
    }

    QString m_text;
    QString m_lineEnd = QStringLiteral("\r\n");
    TextEncoding m_encoding = TextEncoding::Cp932;
    QByteArray m_bom;
    // Kept only when some line does not come back from its text alone.
    QByteArray m_bytes;
    QByteArray m_defaultEnd; // m_lineEnd in the file's encoding
    std::vector<Line> m_lines;
    bool m_undecodable = false;
    bool m_mixedEnds = false;
    bool m_aliased = false;
};
