#pragma once

#include "TextCodec.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

// A script file as the editor holds it: the text it shows, with LF line ends, and the
// file's own bytes, so that saving writes every line the user did not touch exactly as it
// was: its line end (CR LF, LF or CR, even mixed), bytes that decode to no character,
// and codes that decode to a character whose preferred code is another.
class ScriptText final {
public:
    explicit ScriptText(QByteArray bytes = {});

    // The text to show, line ends as LF; handed over once, since a 20 MB script should
    // not be held twice.
    QString takeText() { return std::move(m_text); }
    TextEncoding encoding() const { return m_encoding; }
    // Some bytes decode to U+FFFD (shown as such).
    bool hasUndecodableBytes() const { return m_undecodable; }
    // More than one kind of line end.
    bool hasMixedLineEnds() const { return m_mixedEnds; }
    // Some codes decode to a character whose own code is another (code page 932 keeps
    // several codes for one character).
    bool hasAliasedCodes() const { return m_aliased; }

    // What stands for U+FFFD in a changed line of an encoding that has no code for it.
    static constexpr char16_t UndecodableStandIn = u'?';

    // The bytes of `edited` (LF line ends): each line equal to a line of the file keeps
    // that line's bytes and line end; changed lines are encoded and take the line end of
    // the line they replace, or the file's first line end. nullopt when a changed line
    // holds a character the encoding cannot hold.
    std::optional<QByteArray> toBytes(QStringView edited) const;

private:
    struct Line {
        qsizetype start = 0; // in m_bytes
        qsizetype length = 0;
        qsizetype endLength = 0; // 0 for the last line
        qsizetype chars = 0;     // decoded length
        size_t hash = 0;         // of the decoded text
    };

    QByteArrayView content(const Line& l) const { return QByteArrayView(m_bytes).sliced(l.start, l.length); }
    QByteArrayView end(const Line& l) const
    {
        return QByteArrayView(m_bytes).sliced(l.start + l.length, l.endLength);
    }

    QByteArray m_bytes;
    QByteArray m_defaultEnd; // the first line end, in the file's encoding
    std::vector<Line> m_lines;
    QString m_text;
    TextEncoding m_encoding = TextEncoding::Cp932;
    bool m_undecodable = false;
    bool m_mixedEnds = false;
    bool m_aliased = false;
};
