#include "RtfReader.h"

#include "TestFiles.h"

#include <QRegularExpression>
#include <QStringList>
#include <QTest>

namespace {

// One line per document: each run as [attributes:text], paragraphs joined by '¶', so a
// table row states text, formatting and run boundaries at once.
QString describe(const std::optional<RtfDocument>& doc)
{
    if (!doc)
        return QStringLiteral("null");
    QStringList paragraphs;
    for (const RtfParagraph& p : doc->paragraphs) {
        QString line;
        for (const RtfRun& r : p.runs) {
            const QString a = QString(r.bold ? " b" : "") + (r.italic ? " i" : "") +
                              (r.underline ? " u" : "") +
                              (r.halfPoints ? " " + QString::number(r.halfPoints) : QString()) +
                              (r.hasColor ? QString(" #%1").arg(r.rgb, 6, 16, QLatin1Char('0')) : QString());
            line += u'[' + (a.isEmpty() ? QString() : a.mid(1) + u':') + r.text + u']';
        }
        paragraphs << line;
    }
    return paragraphs.join(u'¶');
}

} // namespace

class tst_RtfReader : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void read_data();
    void read();
};

void tst_RtfReader::read_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("expected");
    auto rtf = [](const char* body) { return QByteArray("{\\rtf1") + body + '}'; };
    auto row = [](const char* name, const QByteArray& input, const QString& expected) {
        QTest::newRow(name) << input << expected;
    };
    auto file = [](const char* name) { return bytesOf(QStringLiteral(QUILLET_TESTDATA "/rtf/") + name); };
    // Both writers encode the same document; they must read the same.
    const QString head = QStringLiteral("[b:太字のスクリプト説明][ と ][i:斜体][ と ][u:下線][。]¶[");
    const QString tail = QStringLiteral("赤い大きな文字 ﾊﾝｶｸｶﾀｶﾅ ①②]¶[' ﾌｧｲﾙ名: C:\\Scripts\\NewFile.vbs]"
                                        "¶[WScript.Echo \"Hello, 世界\"]");
    row("pandoc", file("pandoc.rtf"), head + tail);
    // Bold and size of the Japanese text come as \ab and \afs after \dbch; red is entry 17.
    row("libreoffice", file("libreoffice-writer.rtf"), head + "32 #c00000:" + tail);
    // Shift-JIS pairs, half-width katakana as single bytes, NEC row 13 (①) and ㈱.
    row("richedit", file("richedit-cp932.rtf"),
        "[b 20:スクリプトの説明]¶[20:' ﾌｧｲﾙ名: C:\\Scripts\\NewFile.vbs]"
        "¶[28 #ff0000:赤い文字 ①㈱]¶[i 20:斜体 ｶﾀｶﾅ]");

    const char* colors = R"({\colortbl;\red255\green0\blue0;\red0\green0\blue255;})";
    row("one space delimits", rtf(R"(\b  x)"), "[b: x]");
    row("cr lf ignored", rtf(" a\r\nb\rc\nd"), "[abcd]");
    row("groups restore", rtf(R"( a{\b b{\i c}d}e)"), "[a][b:b][b i:c][b:d][e]");
    row("equal runs merge", rtf(R"( a{b}{\b0 c}{\b d}{\b e})"), "[abc][b:de]");
    row("control symbols", rtf(R"( \\\{\}\~\-\_)"), QStringLiteral("[\\{}\u00a0\u2011]"));
    row("backslash newline is par", rtf(" a\\\nb"), "[a]¶[b]");
    row("typography", rtf(R"( \lquote a\rquote \emdash\bullet)"), "[‘a’—•]");
    row("empty paragraph kept, no trailing one", rtf(R"( a\par\par b\par)"), "[a]¶¶[b]");
    row("line and tab", rtf(R"( a\tab b\line c)"), "[a\tb]¶[c]");
    row("page, sect, table breaks", rtf(R"( a\page b\par\sect c\cell d\cell\row e)"), "[a]¶[b]¶[c\td]¶[e]");
    row("pard keeps format", rtf(R"(\b a\par\pard b)"), "[b:a]¶[b:b]");
    row("bold off", rtf(R"(\b a\b0 b\b1 c)"), "[b:a][b][b:c]");
    row("underline kinds", rtf(R"(\ul a\ul0 b\uldb c\ulnone d\ulc1 e)"), "[u:a][b][u:c][de]");
    row("sizes", rtf(R"(\fs28 a\fs b\fs0 c\fs99999 d)"), "[28:a][24:b][1:c][3276:d]");
    row("colours", rtf(R"(\cf1 a\cf2 b\cf0 c\cf3 d)").insert(6, colors), "[#ff0000:a][#0000ff:b][cd]");
    row("colour table without auto entry",
        rtf(R"({\colortbl\red1\green2\blue3;\red4\green5\blue6}\cf0 a\cf1 b)"), "[a][#040506:b]");
    row("plain resets", rtf(R"(\b\i\ul\fs30\cf1 a\plain b)").insert(6, colors), "[b i u 30 #ff0000:a][b]");
    row("associated after dbch", rtf(R"({\dbch\ab\ai x}{\ab y}{\dbch\afs40 z}{\dbch\rtlch\afs40 w})"),
        "[b i:x][y][40:z][w]");
    row("hex in 1252", rtf(R"( caf\'e9)"), "[café]");
    row("ansicpg, hex and raw", rtf("\\ansicpg1251 \\'e9\xe9"), "[йй]");
    row("shift-jis pair", rtf(R"(\ansicpg932 \'82\'a0\'b1)"), "[あｱ]");
    row("raw shift-jis with escaped trail", rtf("\\ansicpg932 \x83\\\\"), "[ソ]");
    row("unknown code page", rtf(R"(\ansicpg12345 \'e9)"), "[é]");
    row("ascii path in 932", rtf(R"(\ansicpg932 C:\\Scripts\\a.vbs ~$)"), "[C:\\Scripts\\a.vbs ~$]");
    row("ascii beside a pair in 932", rtf(R"(\ansicpg932 {\b ab}\'82\'a0cd)"), "[b:ab][あcd]");
    row("font charset switches", rtf(R"({\fonttbl{\f0\fcharset0 A;}{\f1\fcharset128 B;}}\f0\'e9\f1\'82\'a0)"),
        "[éあ]");
    row("charset 0 follows ansicpg", rtf(R"(\ansicpg1251{\fonttbl{\f0\fcharset0 A;}}\f0\'e9)"), "[й]");
    row("symbol charset", rtf(R"(\ansicpg932{\fonttbl{\f0\fcharset2 Symbol;}}\f0\'82\'e9)"), "[‚é]");
    row("plain returns to default font",
        rtf(R"(\deff1{\fonttbl{\f0\fcharset0 A;}{\f1\fcharset128 B;}}\f0\plain\'82\'a0)"), "[あ]");
    row("u, negative, above 32767", rtf(R"( \u21517?x\u-28589?\u65418?)"), "[名x道ﾊ]");
    row("uc2 hex fallback", rtf(R"(\uc2\u21517\'96\'bc x)"), "[名 x]");
    row("uc is group scoped", rtf(R"({\uc2\u21517ab}\u21517ab{\uc0\u21517 x})"), "[名名b名x]");
    row("fallback counts a symbol, stops at a brace", rtf(R"( \u21517\\x\uc3\u21517{a})"), "[名x名a]");
    row("surrogates", rtf(R"( \u-10179?\u-8704?\u-10179?x\u-8704?\u-10179?\u-10179?\u-8704?)"),
        QStringLiteral("[😀\ufffdx\ufffd\ufffd😀]"));
    row("starred skipped", rtf(R"({\*\unknown a{b}}c)"), "[c]");
    row("tables, info, header skipped",
        rtf(R"({\fonttbl{\f0 Arial;}}{\colortbl;\red1;}{\stylesheet{\s0 Normal;}}{\info{\title t}}{\footerl f}x)"),
        "[x]");
    row("pict with bin", rtf(R"({\pict\bin4 }}{\ x}y)"), "[y]");
    row("field result",
        rtf(R"({\field{\*\fldinst HYPERLINK "u"}{\fldrslt link}} {\field{\fldinst P}{\fldrslt 2}})"),
        "[link 2]");
    row("upr shows unicode half", rtf(R"({\upr{a}{\*\ud{b}}})"), "[b]");
    // Damaged input: never more than it holds, never a crash
    row("empty", "", "null");
    row("not rtf", "hello", "null");
    row("leading space", " {\\rtf1 a}", "null");
    row("only header", "{\\rtf", "");
    row("256 levels", "{\\rtf1" + QByteArray(255, '{') + 'x' + QByteArray(256, '}'), "[x]");
    row("257 levels", "{\\rtf1" + QByteArray(256, '{') + 'x' + QByteArray(257, '}'), "null");
    row("1 MB of open braces", "{\\rtf1" + QByteArray(1 << 20, '{'), "null");
    row("1 MB of empty groups", "{\\rtf1 a" + QByteArray("{}").repeated(1 << 19) + '}', "[a]");
    row("stray close", "{\\rtf1 a} {b} c}", "null");
    row("trailing group is ignored", "{\\rtf1 a}{b}\r\n", "[a]");
    row("unterminated group", "{\\rtf1 a{\\b bold", "[a][b:bold]");
    row("cut in hex", "{\\rtf1 a\\'8", "[a]");
    row("cut after lead byte", "{\\rtf1\\ansicpg932 a\\'82", QStringLiteral("[a\ufffd]"));
    row("bad hex", "{\\rtf1 a\\'zq\\'8zq}", "[azqzq]");
    row("backslash at end", "{\\rtf1 a\\", "[a]");
    row("a control word in capitals is still one", "{\\rtf1 \\Abc x}", "[x]");
    row("u without digits", "{\\rtf1 a\\u b\\u-c\\u", "[ab-c]");
    row("huge sizes", "{\\rtf1\\fs99999999999999999999 x\\fs-99999999999999999999 y}", "[3276:x][1:y]");
    row("huge u", "{\\rtf1 \\u99999999999999?x\\u-99999999999?y}", QStringLiteral("[\ufffdx\ufffdy]"));
    row("huge uc", "{\\rtf1\\uc99999999999 \\u65 abcdefghij}", "[Aij]");
    row("huge colours", "{\\rtf1{\\colortbl;\\red99999999999\\blue-5;}\\cf99999999999 x\\cf-9 y\\cf1 z}",
        "[xy][#ff0000:z]");
    row("bin in starred group", "{\\rtf1 {\\*\\bin3 }}}x}y}", "[y]");
    row("negative bin", "{\\rtf1 a\\bin-5 b}", "[ab]");
    row("huge code page", "{\\rtf1\\ansicpg99999999999\\'e9}", "[é]");
    row("long control word", "{\\rtf1 \\" + QByteArray(100, 'b') + "1 x}", "[x]");
    row("nul bytes", QByteArray("{\\rtf1 a\0b\\'00c}", 16), "[abc]");
}

void tst_RtfReader::read()
{
    QFETCH(QByteArray, input);
    QFETCH(QString, expected);
    const std::optional<RtfDocument> doc = RtfReader::read(input);
    QCOMPARE(describe(doc), expected);
    // The plain text is the runs without their attributes, a line a paragraph.
    static const QRegularExpression markup(R"(\[((b|i|u|\d+|#\w{6}) ?)*:|[\[\]])");
    if (doc)
        QCOMPARE(doc->plainText(), QString(expected).remove(markup).replace(u'¶', u'\n'));
}

QTEST_APPLESS_MAIN(tst_RtfReader)
#include "tst_RtfReader.moc"
