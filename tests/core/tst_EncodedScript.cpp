#include "EncodedScript.h"
#include "Fakes.h"
#include "TestFiles.h"
#include "TextCodec.h"

#include <QTest>

using EncodedScript::Charset;
using EncodedScript::Language;

Q_DECLARE_METATYPE(Language)

namespace {

QByteArray encode(const QByteArray& plain, Language language = Language::VBScript)
{
    return QByteArray::fromStdString(EncodedScript::encodeScript(plain.toStdString(), language).bytes);
}

QByteArray decode(const QByteArray& encoded)
{
    return QByteArray::fromStdString(EncodedScript::decodeScript(encoded.toStdString()).text);
}

QByteArray utf16le(const QString& s)
{
    return QByteArray("\xFF\xFE", 2) + QByteArray(reinterpret_cast<const char*>(s.utf16()), s.size() * 2);
}

// What lies between the length field and the checksum field of the only block; without one, all.
QByteArray blockText(const QByteArray& encoded)
{
    const qsizetype open = encoded.indexOf("#@~^");
    const qsizetype close = encoded.lastIndexOf("^#~@");
    return open < 0 || close < 0 ? encoded : encoded.mid(open + 12, close - 8 - (open + 12));
}

} // namespace

// What other programs' blocks say, round trips over real and generated scripts, damaged blocks.
class tst_EncodedScript : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void encodedForm_data();
    void encodedForm();
    void publishedSampleWithMarker();
    void realScriptsRoundTrip();
    void damagedBlocks_data();
    void damagedBlocks();
};

// Characters outside ASCII are copied whole: they count in the length as UTF-16 units, but move
// neither pattern nor checksum; a code page 932 second byte like "@" or "\\" is never taken for one.
void tst_EncodedScript::encodedForm_data()
{
    QTest::addColumn<QByteArray>("plain");
    // Without "~": only the text between length and checksum; ending in "#@~^": what stays readable.
    QTest::addColumn<QByteArray>("encoded");
    QTest::addColumn<Language>("language");
    auto row = [](const char* name, const QByteArray& plain, const QByteArray& encoded,
                  Language language = Language::VBScript) {
        QTest::newRow(name) << plain << encoded << language;
    };
    row("MsgBox, as a VBE decoder's manual shows it in hex", "MsgBox \"Hello\"",
        QByteArray::fromHex("23407E5E4467414141413D3D5C6B6F244B362C4A437F565E474A7141514141413D3D5E237E40"));
    row("empty text: nothing to encode", "", "");
    row("CR LF < > @ travel as escapes", "\r\n<>@", "@#@&@!@*@$");
    row("control characters stay", QByteArray("\x01\x1F\x0B", 3), QByteArray("\x01\x1F\x0B", 3));
    row("TAB is substituted", "\t\t\t", "7id");
    row("DEL is substituted", "\x7F", "g");
    row("NUL stays", QByteArray("\0a", 2), QByteArray("\0m", 2));
    // "a" alone encodes as "C" with length 1 and checksum 97 ("YQAAAA==").
    row("cp932 pair, second byte @", cp932(QStringLiteral("ァa")), "#@~^AgAAAA==\x83@CYQAAAA==^#~@");
    row("cp932 pair, second byte \\", cp932(QStringLiteral("ソa")), "#@~^AgAAAA==\x83\\CYQAAAA==^#~@");
    row("half-width katakana", cp932(QStringLiteral("ｱa")), "#@~^AgAAAA==\xB1\x43YQAAAA==^#~@");
    row("utf-8, 3 bytes, 1 unit", QStringLiteral("あa").toUtf8(), "#@~^AgAAAA==\xE3\x81\x82\x43YQAAAA==^#~@");
    row("utf-8, 2 units", QStringLiteral("𠀋a").toUtf8(), "#@~^AwAAAA==\xF0\xA0\x80\x8B\x43YQAAAA==^#~@");
    row("utf-16", utf16le(QStringLiteral("あa")), utf16le(QStringLiteral("#@~^AgAAAA==あCYQAAAA==^#~@")));
    row("a stray lead byte", "a\x81\r\n", "#@~^AQAAAA==CYQAAAA==^#~@\x81#@~^BAAAAA==@#@&FwAAAA==^#~@");
    row("a stray lead byte at the end", "a\x82", "#@~^AQAAAA==CYQAAAA==^#~@\x82");
    row("utf-16, odd byte at the end", utf16le(QStringLiteral("a")) + 'x',
        utf16le(QStringLiteral("#@~^AQAAAA==CYQAAAA==^#~@")) + 'x');
    const Language JS = Language::JScript;
    const QByteArray vb = "' (C) 2001 作者\r\n'**Start Encode**\r\nMsgBox 1\r\n";
    row("VBScript marker", vb, "' (C) 2001 作者\r\n'**Start Encode**#@~^");
    row("JScript's marker means nothing to VBScript", vb, "#@~^", JS);
    row("JScript marker", "//c\n//**Start Encode**\nx();", "//c\n//**Start Encode**#@~^", JS);
    row("marker at the end", "x = 1\r\n'**Start Encode**", "x = 1\r\n'**Start Encode**");
    row("the first marker counts", "'**Start Encode**a'**Start Encode**", "'**Start Encode**#@~^");
    row("a block look-alike before the marker", "s = \"#@~^\"\r\n'**Start Encode**\r\nx", "#@~^");
    row("no marker: the byte-order mark stays first", "\xEF\xBB\xBFx = \"日本\"", "\xEF\xBB\xBF#@~^");
    row("marker in UTF-16", utf16le(QStringLiteral("'**Start Encode**\r\nx")),
        utf16le(QStringLiteral("'**Start Encode**#@~^")));
}

void tst_EncodedScript::encodedForm()
{
    QFETCH(QByteArray, plain);
    QFETCH(QByteArray, encoded);
    QFETCH(Language, language);
    const EncodedScript::Encoded e = EncodedScript::encodeScript(plain.toStdString(), language);
    const QByteArray mine = QByteArray::fromStdString(e.bytes);
    if (encoded.endsWith("#@~^") || encoded.endsWith(QByteArray("~\0^\0", 4)))
        QCOMPARE(mine.left(encoded.size()), encoded);
    else
        QCOMPARE((encoded.contains('~') ? mine : blockText(mine)).toHex(' '), encoded.toHex(' '));
    QCOMPARE(decode(mine).toHex(' '), plain.toHex(' '));
    QCOMPARE(int(e.blocks), int(EncodedScript::decodeScript(mine.toStdString()).blocks));
}

// The encoder's documentation shows a page before and after; its block starts right after the
// marker and carries the marker line's CR LF. (The published page lost the block's tabs.)
void tst_EncodedScript::publishedSampleWithMarker()
{
    const QByteArray plain = "//**Start Encode**\r\n"
                             "function verifyCorrectBrowser(){\r\n"
                             "  if(navigator.appName == \"Microsoft Internet Explorer\")\r\n";
    const QByteArray published =
        "//**Start Encode**#@~^"
        "@#@&0;mDkWP7nDb0zZKD.n1YAMGhk+Dvb`@#@&P,kW`UC7kLlDGDcl22gl:n~{'~Jtr1DGkW6YP&xDnD+OPA62sKD+ME#@#@&";
    QByteArray mine = encode(plain, Language::JScript);
    mine.remove(22, 8); // the length field, which counts the whole published script
    QVERIFY2(mine.replace('\t', QByteArray()).startsWith(published), mine.constData());
}

// Read as the preview and editor read them, and kept in that encoding, the byte-order mark
// still first, the block one line.
void tst_EncodedScript::realScriptsRoundTrip()
{
    // UTF-8, code page 932, overlong, a surrogate, beyond U+10FFFF, cut short, byte-order marks
    QList<QByteArray> samples =
        QByteArray("abc|\xE3\x81\x82|\x82\xA0|\xC0\xAF|\xED\xA0\x80|\xF4\x90\x80\x80|a\xE3\x81|\xEF\xBB\xBFx")
            .split('|');
    samples << QByteArray("\xFF\xFEx\0", 4) << QByteArray("\xFE\xFF\0x", 4);
    for (const QFileInfo& f : QDir(QStringLiteral(QUILLET_TESTDATA "/text")).entryInfoList(QDir::Files))
        samples.append(bytesOf(f.filePath()));
    for (const QByteArray& plain : samples) {
        const TextEncoding editors = TextCodec::detect(plain);
        const Charset expected = editors == TextEncoding::Cp932     ? Charset::Cp932
                                 : editors == TextEncoding::Utf16LE ? Charset::Utf16LE
                                 : editors == TextEncoding::Utf16BE ? Charset::Utf16BE
                                                                    : Charset::Utf8;
        QVERIFY2(EncodedScript::detectCharset(plain.toStdString()) == expected,
                 plain.left(40).toHex(' ').constData());
        for (const Language language : {Language::VBScript, Language::JScript}) {
            const EncodedScript::Encoded e = EncodedScript::encodeScript(plain.toStdString(), language);
            const QByteArray encoded = QByteArray::fromStdString(e.bytes);
            QCOMPARE(TextCodec::detect(encoded), editors);
            QVERIFY(!TextCodec::decodeFile(encoded).text.contains(u'\n'));
            const EncodedScript::Decoded d = EncodedScript::decodeScript(encoded.toStdString());
            QVERIFY(d.ok() && d.blocks > 0 && d.blocks == e.blocks);
            QCOMPARE(QByteArray::fromStdString(d.text), plain);
        }
    }
    // Every ASCII character in every table of the pattern: the block holds no line end, "<" or ">".
    for (int shift = 0; shift < 64; ++shift) {
        QByteArray plain(shift, 'x');
        for (int c = 0; c < 128; ++c)
            plain += char(c);
        const QByteArray encoded = encode(plain);
        const QByteArray text = blockText(encoded);
        QVERIFY(!text.contains('\r') && !text.contains('\n') && !text.contains('<') && !text.contains('>'));
        QCOMPARE(decode(encoded), plain);
    }
}

void tst_EncodedScript::damagedBlocks_data()
{
    QTest::addColumn<QByteArray>("encoded");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("why");     // empty: not damaged
    QTest::addColumn<QString>("english"); // the same for a host that speaks English
    // "MsgBox 1" after two plain lines.
    const QByteArray head = "' a\r\n' b\r\n", block = encode("MsgBox 1"), good = head + block;
    QCOMPARE(block, "#@~^CAAAAA==\\ko$K6,FoQIAAA==^#~@");
    auto edit = [&](int at, int n, const char* w) { return head + QByteArray(block).replace(at, n, w); };
    auto row = [](const char* name, const QByteArray& encoded, int line, const char* why,
                  const char* english) {
        QTest::newRow(name) << encoded << line << QString::fromUtf8(why) << QString::fromUtf8(english);
    };
    const char *cut = "ブロックが途中で切れています", *cutEn = "it is cut short";
    const char *length = "長さの欄が読めません", *lengthEn = "its length field cannot be read";
    const char *mismatch = "長さが中身と合いません", *mismatchEn = "its length does not match its contents";
    row("no block at all", "plain", 0, "", "");
    row("trailer cut", good.chopped(1), 3, cut, cutEn);
    row("checksum cut", good.chopped(10), 3, cut, cutEn);
    row("text cut", good.left(head.size() + 16), 3, cut, cutEn);
    row("a character changed", edit(13, 1, "x"), 3, "チェックサムが合いません (書き換えられています)",
        "its checksum does not match (it was altered)");
    row("a character removed", edit(13, 1, ""), 3, mismatch, mismatchEn);
    row("length not Base64", edit(4, 1, "*"), 3, length, lengthEn);
    row("length without ==", edit(10, 2, "AA"), 3, length, lengthEn);
    row("unknown escape", edit(12, 2, "@x"), 3, "「@」の後に使えない文字があります",
        "an unknown character follows \"@\"");
    row("escape across the end", edit(19, 2, "@#"), 3, mismatch, mismatchEn);
    row("a raw <", edit(12, 1, "<"), 3, "エンコーダが書かない文字があります",
        "it holds a character that no encoder writes");
    row("trailer altered", edit(28, 1, "!"), 3, "終わりの印「^#~@」がありません",
        "its end mark \"^#~@\" is missing");
    row("only the opening", "#@~^", 1, cut, cutEn);
    row("second block", good + "\r\n" + QByteArray(good).replace("^#~@", "^#~"), 6, cut, cutEn);
}

void tst_EncodedScript::damagedBlocks()
{
    QFETCH(QByteArray, encoded);
    QFETCH(int, line);
    QFETCH(QString, why);
    QFETCH(QString, english);
    const EncodedScript::Decoded d = EncodedScript::decodeScript(encoded.toStdString());
    const QString error =
        QStringLiteral("%1 行目のエンコードされたブロックが壊れています: %2。").arg(line).arg(why);
    const QString errorEn =
        QStringLiteral("the encoded block on line %1 is damaged: %2.").arg(line).arg(english);
    QCOMPARE(QString::fromStdString(d.error()), why.isEmpty() ? QString() : error);
    QCOMPARE(QString::fromStdString(d.error(false)), why.isEmpty() ? QString() : errorEn);
    QCOMPARE(int(d.line), line);
    QCOMPARE(QByteArray::fromStdString(d.text), why.isEmpty() ? encoded : QByteArray());
}

QTEST_GUILESS_MAIN(tst_EncodedScript)
#include "tst_EncodedScript.moc"
