#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// A settings file held as its own lines, so that changing one value rewrites only that
// line: comments, hand-written values and lines we cannot read survive every write.
//
// Values are taken literally as written (`a, b`, `C:\x`); a value that needs it is written
// in double quotes with the escapes \\ \" \r \n \t \uXXXX, so any text round-trips exactly.
class IniDocument final {
public:
    // Fails on text that is not UTF-8 or holds a NUL: rewriting it would lose bytes.
    static std::optional<IniDocument> parse(const QByteArray& bytes);

    enum class Lookup { Missing, Found, Malformed };
    Lookup value(const QString& section, const QString& key, QString* out) const;

    // False when the section or key cannot be written as a name (empty, '=', '[', ']', line
    // breaks, surrounding blanks).
    bool setValue(const QString& section, const QString& key, const QString& value);

    QByteArray serialize() const;

    static QString encodeValue(const QString& value);
    static std::optional<QString> decodeValue(QStringView raw);

private:
    enum class Kind { Other, Section, Entry };
    struct Line {
        QString text;
        Kind kind = Kind::Other;
        QString name;      // section name or key
        bool crlf = false; // ends in CR LF rather than LF
    };
    static Line classify(const QString& text);
    static bool isWritableName(const QString& name);

    QList<Line> m_lines;
    QString m_eol = QStringLiteral("\n");
    bool m_bom = false;
    bool m_finalEol = true;
};
