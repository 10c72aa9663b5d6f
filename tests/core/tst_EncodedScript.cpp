#include "EncodedScript.h"
#include "Fakes.h"
#include "TestFiles.h"
#include "TextCodec.h"

#include <QTest>

using EncodedScript::Charset;
using EncodedScript::Language;

Q_DECLARE_METATYPE(Language)

namespace {

std::string_view view(const QByteArray& b)
{
    return {b.constData(), std::size_t(b.size())};
}

QByteArray bytes(const std::string& s)
{
    return QByteArray(s.data(), qsizetype(s.size()));
}

QByteArray encode(const QByteArray& plain, Language language = Language::VBScript)
{
    return bytes(EncodedScript::encodeScript(view(plain), language).bytes);
}

QByteArray decode(const QByteArray& encoded)
{
    return bytes(EncodedScript::decodeScript(view(encoded)).text);
}

QByteArray utf16le(const QString& s)
{
    return QByteArray("\xFF\xFE", 2) + QByteArray(reinterpret_cast<const char*>(s.utf16()), s.size() * 2);
}

// What lies between the length field and the checksum field of the only block.
QByteArray blockText(const QByteArray& encoded)
{
    const qsizetype open = encoded.indexOf("#@~^");
    const qsizetype close = encoded.lastIndexOf("^#~@");
    return open < 0 || close < 0 ? QByteArray() : encoded.mid(open + 12, close - 8 - (open + 12));
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
    void everyAsciiCharacterAtEveryPlace();
    void marker_data();
    void marker();
    void damagedBlocks_data();
    void damagedBlocks();
};

// Characters outside ASCII are copied whole: they count in the length as the engines count
// them (UTF-16 units), but move neither the pattern nor the checksum; a code page 932 second
// byte that looks like "@" or "\" is never taken for one.
void tst_EncodedScript::encodedForm_data()
{
    QTest::addColumn<QByteArray>("plain");
    QTest::addColumn<QByteArray>("encoded"); // without "~": only the text between length and checksum
    auto row = [](const char* name, const QByteArray& plain, const QByteArray& encoded) {
        QTest::newRow(name) << plain << encoded;
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
}

void tst_EncodedScript::encodedForm()
{
    QFETCH(QByteArray, plain);
    QFETCH(QByteArray, encoded);
    const QByteArray mine = encode(plain);
    QCOMPARE((encoded.contains('~') ? mine : blockText(mine)).toHex(' '), encoded.toHex(' '));
    QCOMPARE(decode(mine).toHex(' '), plain.toHex(' '));
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
        QVERIFY2(EncodedScript::detectCharset(view(plain)) == expected,
                 plain.left(40).toHex(' ').constData());
        for (const Language language : {Language::VBScript, Language::JScript}) {
            const EncodedScript::Encoded e = EncodedScript::encodeScript(view(plain), language);
            const QByteArray encoded = bytes(e.bytes);
            QCOMPARE(TextCodec::detect(encoded), editors);
            QVERIFY(!TextCodec::decodeFile(encoded).text.contains(u'\n'));
            const EncodedScript::Decoded d = EncodedScript::decodeScript(view(encoded));
            QVERIFY(d.ok() && d.blocks > 0 && d.blocks == e.blocks);
            QCOMPARE(bytes(d.text), plain);
        }
    }
}

// Every ASCII character in every table of the pattern: the block holds no line end, "<" or
// ">", and reads back.
void tst_EncodedScript::everyAsciiCharacterAtEveryPlace()
{
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

void tst_EncodedScript::marker_data()
{
    QTest::addColumn<QByteArray>("plain");
    QTest::addColumn<Language>("language");
    QTest::addColumn<QByteArray>("plainPart"); // what stays readable before the first block
    auto row = [](const char* name, const QByteArray& plain, Language language, const QByteArray& plainPart) {
        QTest::newRow(name) << plain << language << plainPart;
    };
    const Language VB = Language::VBScript, JS = Language::JScript;
    const QByteArray vb = "' (C) 2001 作者\r\n'**Start Encode**\r\nMsgBox 1\r\n";
    row("VBScript marker", vb, VB, "' (C) 2001 作者\r\n'**Start Encode**");
    row("JScript's marker means nothing to VBScript", vb, JS, "");
    row("JScript marker", "//c\n//**Start Encode**\nx();", JS, "//c\n//**Start Encode**");
    row("marker at the end", "x = 1\r\n'**Start Encode**", VB, "x = 1\r\n'**Start Encode**");
    row("the first marker counts", "'**Start Encode**a'**Start Encode**", VB, "'**Start Encode**");
    row("a block look-alike before the marker", "s = \"#@~^\"\r\n'**Start Encode**\r\nx", VB, "");
    row("no marker: the byte-order mark stays first", "\xEF\xBB\xBFx = \"日本\"", VB, "\xEF\xBB\xBF");
    row("marker in UTF-16", utf16le(QStringLiteral("'**Start Encode**\r\nx")), VB,
        utf16le(QStringLiteral("'**Start Encode**")));
}

void tst_EncodedScript::marker()
{
    QFETCH(QByteArray, plain);
    QFETCH(Language, language);
    QFETCH(QByteArray, plainPart);
    const EncodedScript::Encoded e = EncodedScript::encodeScript(view(plain), language);
    const QByteArray encoded = bytes(e.bytes);
    QCOMPARE(int(e.blocks), plain == plainPart ? 0 : 1);
    const bool utf16 = EncodedScript::detectCharset(view(plain)) == Charset::Utf16LE;
    const QByteArray open = utf16 ? QByteArray("#\0@\0~\0^\0", 8) : QByteArray("#@~^");
    QCOMPARE(encoded.left(plainPart.size() + open.size()), plain == plainPart ? plain : plainPart + open);
    QCOMPARE(decode(encoded), plain);
}

void tst_EncodedScript::damagedBlocks_data()
{
    QTest::addColumn<QByteArray>("encoded");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("why"); // empty: not damaged
    // "MsgBox 1" after two plain lines.
    const QByteArray head = "' a\r\n' b\r\n";
    const QByteArray good = head + encode("MsgBox 1");
    QCOMPARE(good, head + "#@~^CAAAAA==\\ko$K6,FoQIAAA==^#~@");
    auto changed = [&](qsizetype at, qsizetype n, const QByteArray& with) {
        return QByteArray(good).replace(head.size() + at, n, with);
    };
    const QString cut = QStringLiteral("ブロックが途中で切れています");
    const QString length = QStringLiteral("長さが中身と合いません");
    const QString badLength = QStringLiteral("長さの欄が読めません");
    QTest::newRow("no block at all") << QByteArray("plain") << 0 << QString();
    QTest::newRow("trailer cut") << good.chopped(1) << 3 << cut;
    QTest::newRow("checksum cut") << good.chopped(10) << 3 << cut;
    QTest::newRow("text cut") << good.left(head.size() + 16) << 3 << cut;
    QTest::newRow("a character changed")
        << changed(13, 1, "x") << 3 << "チェックサムが合いません (書き換えられています)";
    QTest::newRow("a character removed") << changed(13, 1, "") << 3 << length;
    QTest::newRow("length not Base64") << changed(4, 1, "*") << 3 << badLength;
    QTest::newRow("length without ==") << changed(10, 2, "AA") << 3 << badLength;
    QTest::newRow("unknown escape") << changed(12, 2, "@x") << 3 << "「@」の後に使えない文字があります";
    QTest::newRow("escape across the end") << changed(19, 2, "@#") << 3 << length;
    QTest::newRow("a raw <") << changed(12, 1, "<") << 3 << "エンコーダが書かない文字があります";
    QTest::newRow("trailer altered") << changed(28, 1, "!") << 3 << "終わりの印「^#~@」がありません";
    QTest::newRow("only the opening") << QByteArray("#@~^") << 1 << cut;
    QTest::newRow("second block") << good + "\r\n" + QByteArray(good).replace("^#~@", "^#~") << 6 << cut;
}

void tst_EncodedScript::damagedBlocks()
{
    QFETCH(QByteArray, encoded);
    QFETCH(int, line);
    QFETCH(QString, why);
    const EncodedScript::Decoded d = EncodedScript::decodeScript(view(encoded));
    const QString error =
        QStringLiteral("%1 行目のエンコードされたブロックが壊れています: %2。").arg(line).arg(why);
    QCOMPARE(QString::fromStdString(d.error()), why.isEmpty() ? QString() : error);
    QCOMPARE(int(d.line), line);
    QCOMPARE(bytes(d.text), why.isEmpty() ? encoded : QByteArray());
}

QTEST_GUILESS_MAIN(tst_EncodedScript)
#include "tst_EncodedScript.moc"
