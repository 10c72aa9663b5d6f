#include "RtfReader.h"

#include <QElapsedTimer>
#include <QFile>
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
            QStringList attrs;
            if (r.bold)
                attrs << QStringLiteral("b");
            if (r.italic)
                attrs << QStringLiteral("i");
            if (r.underline)
                attrs << QStringLiteral("u");
            if (r.halfPoints)
                attrs << QString::number(r.halfPoints);
            if (r.hasColor)
                attrs << QStringLiteral("#%1").arg(r.rgb, 6, 16, QLatin1Char('0'));
            line += u'[' + (attrs.isEmpty() ? QString() : attrs.join(u' ') + u':') + r.text + u']';
        }
        paragraphs << line;
    }
    return paragraphs.join(u'¶');
}

QByteArray rtf(const char* body)
{
    return QByteArray("{\\rtf1") + body + '}';
}

} // namespace

class tst_RtfReader : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void realFiles_data();
    void realFiles();
    void features_data();
    void features();
    void malformed_data();
    void malformed();
};

void tst_RtfReader::realFiles_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("plain");

    // Both writers encode the same document; they must read the same.
    const QString plain = QStringLiteral("太字のスクリプト説明 と 斜体 と 下線。\n"
                                         "赤い大きな文字 ﾊﾝｶｸｶﾀｶﾅ ①②\n"
                                         "' ﾌｧｲﾙ名: C:\\Scripts\\NewFile.vbs\n"
                                         "WScript.Echo \"Hello, 世界\"");
    const QString tail =
        QStringLiteral("¶[' ﾌｧｲﾙ名: C:\\Scripts\\NewFile.vbs]¶[WScript.Echo \"Hello, 世界\"]");
    QTest::newRow("pandoc") << QStringLiteral("pandoc.rtf")
                            << "[b:太字のスクリプト説明][ と ][i:斜体][ と ][u:下線][。]"
                               "¶[赤い大きな文字 ﾊﾝｶｸｶﾀｶﾅ ①②]" +
                                   tail
                            << plain;
    // Bold and size of the Japanese text come as \ab and \afs after \dbch; red is entry 17.
    QTest::newRow("libreoffice") << QStringLiteral("libreoffice-writer.rtf")
                                 << "[b:太字のスクリプト説明][ と ][i:斜体][ と ][u:下線][。]"
                                    "¶[32 #c00000:赤い大きな文字 ﾊﾝｶｸｶﾀｶﾅ ①②]" +
                                        tail
                                 << plain;
    // Shift-JIS pairs, half-width katakana as single bytes, NEC row 13 (①) and ㈱.
    QTest::newRow("richedit") << QStringLiteral("richedit-cp932.rtf")
                              << QStringLiteral(
                                     "[b 20:スクリプトの説明]¶[20:' ﾌｧｲﾙ名: C:\\Scripts\\NewFile.vbs]"
                                     "¶[28 #ff0000:赤い文字 ①㈱]¶[i 20:斜体 ｶﾀｶﾅ]")
                              << QStringLiteral("スクリプトの説明\n' ﾌｧｲﾙ名: C:\\Scripts\\NewFile.vbs\n"
                                                "赤い文字 ①㈱\n斜体 ｶﾀｶﾅ");
}

void tst_RtfReader::realFiles()
{
    QFETCH(QString, file);
    QFETCH(QString, expected);
    QFETCH(QString, plain);
    QFile f(QStringLiteral(QUILLET_TESTDATA "/rtf/") + file);
    QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(f.fileName()));
    const QByteArray bytes = f.readAll();
    QVERIFY(RtfReader::looksLikeRtf(bytes));
    const auto doc = RtfReader::read(bytes);
    QCOMPARE(describe(doc), expected);
    QCOMPARE(doc->plainText(), plain);
}

void tst_RtfReader::features_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("expected");

    const char* colors = R"({\colortbl;\red255\green0\blue0;\red0\green0\blue255;})";
    auto row = [](const char* name, const QByteArray& input, const QString& expected) {
        QTest::newRow(name) << input << expected;
    };
    // Syntax
    row("text", rtf(" Hello"), "[Hello]");
    row("one space delimits", rtf(R"(\b  x)"), "[b: x]");
    row("cr lf ignored", rtf(" a\r\nb\rc\nd"), "[abcd]");
    row("groups restore", rtf(R"( a{\b b{\i c}d}e)"), "[a][b:b][b i:c][b:d][e]");
    row("equal runs merge", rtf(R"( a{b}{\b0 c}{\b d}{\b e})"), "[abc][b:de]");
    row("control symbols", rtf(R"( \\\{\}\~\-\_)"), QStringLiteral("[\\{}\u00a0\u2011]"));
    row("backslash newline is par", rtf(" a\\\nb"), "[a]¶[b]");
    row("typography", rtf(R"( \lquote a\rquote \emdash\bullet)"), "[‘a’—•]");
    // Paragraphs
    row("par", rtf(R"( a\par b)"), "[a]¶[b]");
    row("no trailing empty paragraph", rtf(R"( a\par)"), "[a]");
    row("empty paragraph kept", rtf(R"( a\par\par b\par)"), "[a]¶¶[b]");
    row("line and tab", rtf(R"( a\tab b\line c)"), "[a\tb]¶[c]");
    row("page and sect break", rtf(R"( a\page b\par\sect c)"), "[a]¶[b]¶[c]");
    row("table row", rtf(R"( a\cell b\cell\row c)"), "[a\tb]¶[c]");
    row("pard keeps format", rtf(R"(\b a\par\pard b)"), "[b:a]¶[b:b]");
    // Character format
    row("bold off", rtf(R"(\b a\b0 b\b1 c)"), "[b:a][b][b:c]");
    row("italic", rtf(R"(\i a\i0 b)"), "[i:a][b]");
    row("underline kinds", rtf(R"(\ul a\ul0 b\uldb c\ulnone d\ulc1 e)"), "[u:a][b][u:c][de]");
    row("sizes", rtf(R"(\fs28 a\fs b\fs0 c\fs99999 d)"), "[28:a][24:b][1:c][3276:d]");
    QByteArray colored = rtf(R"(\cf1 a\cf2 b\cf0 c\cf3 d)");
    colored.insert(6, colors);
    row("colours", colored, "[#ff0000:a][#0000ff:b][cd]");
    row("colour table without auto entry",
        rtf(R"({\colortbl\red1\green2\blue3;\red4\green5\blue6}\cf0 a\cf1 b)"), "[a][#040506:b]");
    QByteArray plain = rtf(R"(\b\i\ul\fs30\cf1 a\plain b)");
    plain.insert(6, colors);
    row("plain resets", plain, "[b i u 30 #ff0000:a][b]");
    row("associated after dbch", rtf(R"({\dbch\ab\ai x}{\ab y}{\dbch\afs40 z}{\dbch\rtlch\afs40 w})"),
        "[b i:x][y][40:z][w]");
    // Code pages
    row("hex in 1252", rtf(R"( caf\'e9)"), "[café]");
    row("ansicpg", rtf(R"(\ansicpg1251 \'e9)"), "[й]");
    row("raw bytes in code page", rtf("\\ansicpg1251 \xe9"), "[й]");
    row("shift-jis pair", rtf(R"(\ansicpg932 \'82\'a0\'b1)"), "[あｱ]");
    row("raw shift-jis with escaped trail", rtf("\\ansicpg932 \x83\\\\"), "[ソ]");
    row("unknown code page", rtf(R"(\ansicpg12345 \'e9)"), "[é]");
    row("ascii path in 932", rtf(R"(\ansicpg932 C:\\Scripts\\a.vbs ~$)"), "[C:\\Scripts\\a.vbs ~$]");
    row("ascii beside a pair in 932", rtf(R"(\ansicpg932 {\b ab}\'82\'a0cd)"), "[b:ab][あcd]");
    row("ascii in 866", rtf(R"(\ansicpg866 x ~ y\'e9)"), "[x ~ yщ]");
    row("font charset switches", rtf(R"({\fonttbl{\f0\fcharset0 A;}{\f1\fcharset128 B;}}\f0\'e9\f1\'82\'a0)"),
        "[éあ]");
    row("charset 0 follows ansicpg", rtf(R"(\ansicpg1251{\fonttbl{\f0\fcharset0 A;}}\f0\'e9)"), "[й]");
    row("symbol charset", rtf(R"(\ansicpg932{\fonttbl{\f0\fcharset2 Symbol;}}\f0\'82\'e9)"), "[‚é]");
    row("default font", rtf(R"(\deff1{\fonttbl{\f1\fcharset128 B;}}\'82\'a0)"), "[あ]");
    row("plain returns to default font",
        rtf(R"(\deff1{\fonttbl{\f0\fcharset0 A;}{\f1\fcharset128 B;}}\f0\plain\'82\'a0)"), "[あ]");
    // Unicode
    row("u", rtf(R"( \u21517?x)"), "[名x]");
    row("negative u", rtf(R"( \u-28589?)"), "[道]");
    row("above 32767", rtf(R"( \u65418?)"), "[ﾊ]");
    row("uc0", rtf(R"(\uc0\u21517 x)"), "[名x]");
    row("uc2 hex fallback", rtf(R"(\uc2\u21517\'96\'bc x)"), "[名 x]");
    row("uc is group scoped", rtf(R"({\uc2\u21517ab}\u21517ab)"), "[名名b]");
    row("fallback counts a symbol", rtf(R"( \u21517\\x)"), "[名x]");
    row("fallback stops at brace", rtf(R"(\uc3\u21517{a})"), "[名a]");
    row("surrogate pair", rtf(R"( \u-10179?\u-8704?)"), "[😀]");
    row("lone surrogates", rtf(R"( \u-10179?x\u-8704?)"), QStringLiteral("[\ufffdx\ufffd]"));
    // Destinations
    row("starred skipped", rtf(R"({\*\unknown a{b}}c)"), "[c]");
    row("tables and info skipped",
        rtf(R"({\fonttbl{\f0 Arial;}}{\colortbl;\red1;}{\stylesheet{\s0 Normal;}}{\info{\title t}}x)"),
        "[x]");
    row("pict with bin", rtf(R"({\pict\bin4 }}{\ x}y)"), "[y]");
    row("header and footer", rtf(R"({\header h}{\footerl f}x)"), "[x]");
    row("field result",
        rtf(R"({\field{\*\fldinst HYPERLINK "u"}{\fldrslt link}} {\field{\fldinst P}{\fldrslt 2}})"),
        "[link 2]");
    row("upr shows unicode half", rtf(R"({\upr{a}{\*\ud{b}}})"), "[b]");
}

void tst_RtfReader::features()
{
    QFETCH(QByteArray, input);
    QFETCH(QString, expected);
    QCOMPARE(describe(RtfReader::read(input)), expected);
}

void tst_RtfReader::malformed_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("expected");

    const QByteArray mb(1 << 20, '{');
    auto row = [](const char* name, const QByteArray& input, const QString& expected) {
        QTest::newRow(name) << input << expected;
    };
    row("empty", "", "null");
    row("not rtf", "hello", "null");
    row("leading space", " {\\rtf1 a}", "null");
    row("only header", "{\\rtf", "");
    row("256 levels", "{\\rtf1" + QByteArray(255, '{') + 'x' + QByteArray(256, '}'), "[x]");
    row("257 levels", "{\\rtf1" + QByteArray(256, '{') + 'x' + QByteArray(257, '}'), "null");
    row("deep starred groups", "{\\rtf1" + QByteArray("{\\*").repeated(300), "null");
    row("1 MB of open braces", "{\\rtf1" + mb, "null");
    row("1 MB of empty groups", "{\\rtf1 a" + QByteArray("{}").repeated(1 << 19) + '}', "[a]");
    row("stray close", "{\\rtf1 a}}", "null");
    row("stray close after junk", "{\\rtf1 a} {b} c}", "null");
    row("trailing group is ignored", "{\\rtf1 a}{b}\r\n", "[a]");
    row("unterminated group", "{\\rtf1 a{\\b bold", "[a][b:bold]");
    row("cut in hex", "{\\rtf1 a\\'8", "[a]");
    row("cut after lead byte", "{\\rtf1\\ansicpg932 a\\'82", QStringLiteral("[a\ufffd]"));
    row("bad hex", "{\\rtf1 a\\'zq}", "[azq]");
    row("backslash at end", "{\\rtf1 a\\", "[a]");
    row("u without digits", "{\\rtf1 a\\u b\\u-c\\u", "[ab-c]");
    row("huge size", "{\\rtf1\\fs99999999999999999999 x}", "[3276:x]");
    row("huge negative size", "{\\rtf1\\fs-99999999999999999999 x}", "[1:x]");
    row("huge u", "{\\rtf1 \\u99999999999999?x\\u-99999999999?y}", QStringLiteral("[\ufffdx\ufffdy]"));
    row("huge uc", "{\\rtf1\\uc99999999999 \\u65 abcdefghij}", "[Aij]");
    row("huge colour index", "{\\rtf1{\\colortbl;\\red1;}\\cf99999999999 x\\cf-9 y}", "[xy]");
    row("huge colour value", "{\\rtf1{\\colortbl;\\red99999999999\\blue-5;}\\cf1 x}", "[#ff0000:x]");
    row("huge bin", "{\\rtf1 a\\bin99999999999 }}}", "[a]");
    row("bin in starred group", "{\\rtf1 {\\*\\bin3 }}}x}y}", "[y]");
    row("bin after the end", "{\\rtf1 a}\\bin3 }}}", "[a]");
    row("cut in hex before a letter", "{\\rtf1 a\\'8zq}", "[azq]");
    row("negative bin", "{\\rtf1 a\\bin-5 b}", "[ab]");
    row("huge code page", "{\\rtf1\\ansicpg99999999999\\'e9}", "[é]");
    row("long control word", "{\\rtf1 \\" + QByteArray(100, 'b') + "1 x}", "[x]");
    row("nul bytes", QByteArray("{\\rtf1 a\0b\\'00c}", 16), "[abc]");
}

void tst_RtfReader::malformed()
{
    QFETCH(QByteArray, input);
    QFETCH(QString, expected);
    QElapsedTimer timer;
    timer.start();
    const auto doc = RtfReader::read(input);
    QVERIFY2(timer.elapsed() < 2000, "took more than 2 s");
    QCOMPARE(describe(doc), expected);
}

QTEST_APPLESS_MAIN(tst_RtfReader)
#include "tst_RtfReader.moc"
