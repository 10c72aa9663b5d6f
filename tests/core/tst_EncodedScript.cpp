#include "EncodedScript.h"
#include "TextCodec.h"

#include <QDir>
#include <QFile>
#include <QTest>

using EncodedScript::Charset;
using EncodedScript::Fault;
using EncodedScript::Language;

Q_DECLARE_METATYPE(Charset)
Q_DECLARE_METATYPE(Fault)
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

QByteArray utf16le(const QString& s)
{
    return QByteArray("\xFF\xFE", 2) + QByteArray(reinterpret_cast<const char*>(s.utf16()), s.size() * 2);
}

QByteArray cp932(const QString& s)
{
    return *TextCodec::encode(s, TextEncoding::Cp932);
}

// What lies between the length field and the checksum field of the only block.
QByteArray blockText(const QByteArray& encoded)
{
    const qsizetype open = encoded.indexOf("#@~^");
    const qsizetype close = encoded.lastIndexOf("^#~@");
    return open < 0 || close < 0 ? QByteArray() : encoded.mid(open + 12, close - 8 - (open + 12));
}

} // namespace

// The encoded form of scripts: what other programs' blocks say, round trips over real and
// generated scripts, and every way a block can be damaged.
class tst_EncodedScript : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void publishedBlocks_data();
    void publishedBlocks();
    void publishedSampleWithMarker();
    void realScriptsRoundTrip_data();
    void realScriptsRoundTrip();
    void everyAsciiCharacterAtEveryPlace();
    void escapesAndUnencodedCharacters_data();
    void escapesAndUnencodedCharacters();
    void multiByteCharacters_data();
    void multiByteCharacters();
    void marker_data();
    void marker();
    void damagedBlocks_data();
    void damagedBlocks();
    void errorTexts();
    void charsetDetectionAgreesWithTheEditors_data();
    void charsetDetectionAgreesWithTheEditors();
};

// Blocks published beside their plain text: each decodes to it, and the encoder writes the
// same bytes.
void tst_EncodedScript::publishedBlocks_data()
{
    QTest::addColumn<QByteArray>("plain");
    QTest::addColumn<QByteArray>("encoded");
    QTest::newRow("MsgBox, as a VBE decoder's manual shows it in hex")
        << QByteArray("MsgBox \"Hello\"")
        << QByteArray::fromHex(
               "23407E5E4467414141413D3D5C6B6F244B362C4A437F565E474A7141514141413D3D5E237E40");
    QTest::newRow("empty text: nothing to encode") << QByteArray() << QByteArray();
}

void tst_EncodedScript::publishedBlocks()
{
    QFETCH(QByteArray, plain);
    QFETCH(QByteArray, encoded);
    QCOMPARE(encode(plain), encoded);
    const EncodedScript::Decoded d = EncodedScript::decodeScript(view(encoded));
    QVERIFY(d.ok());
    QCOMPARE(bytes(d.text), plain);
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

void tst_EncodedScript::realScriptsRoundTrip_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<Language>("language");
    QTest::addColumn<int>("blocks");
    const QDir dir(QStringLiteral(QUILLET_TESTDATA "/text"));
    for (const QString& f : dir.entryList(QDir::Files)) {
        // Lead bytes without their second byte stay between blocks, where nothing pairs with them.
        const int blocks = f == QStringLiteral("cp932-invalid-bytes.vbs") ? 2 : 1;
        QTest::addRow("%s as VBScript", qPrintable(f)) << dir.filePath(f) << Language::VBScript << blocks;
        QTest::addRow("%s as JScript", qPrintable(f)) << dir.filePath(f) << Language::JScript << blocks;
    }
}

void tst_EncodedScript::realScriptsRoundTrip()
{
    QFETCH(QString, file);
    QFETCH(Language, language);
    QFETCH(int, blocks);
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray plain = f.readAll();
    const EncodedScript::Encoded e = EncodedScript::encodeScript(view(plain), language);
    const QByteArray encoded = bytes(e.bytes);
    QCOMPARE(int(e.blocks), blocks);
    QVERIFY(encoded != plain);
    // The same encoding as the source, the byte-order mark still first.
    QCOMPARE(TextCodec::detect(encoded), TextCodec::detect(plain));
    const EncodedScript::Decoded d = EncodedScript::decodeScript(view(encoded));
    QVERIFY2(d.ok(), d.error().c_str());
    QCOMPARE(int(d.blocks), int(e.blocks));
    QCOMPARE(bytes(d.text), plain);
    // No line ends in the encoded text: the block is one line.
    const QString text = TextCodec::decodeFile(encoded).text;
    QVERIFY(!text.contains(u'\n'));
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
        const EncodedScript::Decoded d = EncodedScript::decodeScript(view(encoded));
        QVERIFY(d.ok());
        QCOMPARE(bytes(d.text), plain);
    }
}

void tst_EncodedScript::escapesAndUnencodedCharacters_data()
{
    QTest::addColumn<QByteArray>("plain");
    QTest::addColumn<QByteArray>("text"); // between the length and the checksum
    QTest::newRow("CR LF < > @ travel as escapes") << QByteArray("\r\n<>@") << QByteArray("@#@&@!@*@$");
    QTest::newRow("control characters stay, and count")
        << QByteArray("\x01\x1F\x0B", 3) << QByteArray("\x01\x1F\x0B", 3);
    QTest::newRow("TAB is substituted") << QByteArray("\t\t\t") << QByteArray("7id");
    QTest::newRow("DEL is substituted") << QByteArray("\x7F") << QByteArray("g");
    QTest::newRow("NUL stays") << QByteArray("\0a", 2) << QByteArray("\0m", 2);
}

void tst_EncodedScript::escapesAndUnencodedCharacters()
{
    QFETCH(QByteArray, plain);
    QFETCH(QByteArray, text);
    const QByteArray encoded = encode(plain);
    QCOMPARE(blockText(encoded), text);
    QCOMPARE(bytes(EncodedScript::decodeScript(view(encoded)).text), plain);
}

// Characters outside ASCII are copied whole: they count in the length as the engines count
// them (UTF-16 units), but move neither the pattern nor the checksum; a code page 932 second
// byte that looks like "@" or "\" is never taken for one.
void tst_EncodedScript::multiByteCharacters_data()
{
    QTest::addColumn<QByteArray>("plain");
    QTest::addColumn<Charset>("charset");
    QTest::addColumn<QByteArray>("encoded");
    // "a" alone encodes as "C" with length 1 and checksum 97 ("YQAAAA==").
    QTest::newRow("code page 932 pair, second byte @")
        << cp932(QStringLiteral("ァa")) << Charset::Cp932 << QByteArray("#@~^AgAAAA==\x83@CYQAAAA==^#~@");
    QTest::newRow("code page 932 pair, second byte backslash")
        << cp932(QStringLiteral("ソa")) << Charset::Cp932 << QByteArray("#@~^AgAAAA==\x83\\CYQAAAA==^#~@");
    QTest::newRow("half-width katakana") << cp932(QStringLiteral("ｱa")) << Charset::Cp932
                                         << QByteArray("#@~^AgAAAA==\xB1"
                                                       "CYQAAAA==^#~@");
    QTest::newRow("utf-8, three bytes, one unit") << QStringLiteral("あa").toUtf8() << Charset::Utf8
                                                  << QByteArray("#@~^AgAAAA==\xE3\x81\x82"
                                                                "CYQAAAA==^#~@");
    QTest::newRow("utf-8, four bytes, two units") << QStringLiteral("𠀋a").toUtf8() << Charset::Utf8
                                                  << QByteArray("#@~^AwAAAA==\xF0\xA0\x80\x8B"
                                                                "CYQAAAA==^#~@");
    QTest::newRow("utf-16, every character in two bytes")
        << utf16le(QStringLiteral("あa")) << Charset::Utf16LE
        << utf16le(QStringLiteral("#@~^AgAAAA==あCYQAAAA==^#~@"));
    QTest::newRow("a stray lead byte before a line end stays outside the blocks")
        << QByteArray("a\x81\r\n") << Charset::Cp932
        << QByteArray("#@~^AQAAAA==CYQAAAA==^#~@\x81#@~^BAAAAA==@#@&FwAAAA==^#~@");
    QTest::newRow("a stray lead byte at the end")
        << QByteArray("a\x82") << Charset::Cp932 << QByteArray("#@~^AQAAAA==CYQAAAA==^#~@\x82");
    QTest::newRow("utf-16 with an odd byte at the end")
        << utf16le(QStringLiteral("a")) + 'x' << Charset::Utf16LE
        << utf16le(QStringLiteral("#@~^AQAAAA==CYQAAAA==^#~@")) + 'x';
}

void tst_EncodedScript::multiByteCharacters()
{
    QFETCH(QByteArray, plain);
    QFETCH(Charset, charset);
    QFETCH(QByteArray, encoded);
    QCOMPARE(EncodedScript::detectCharset(view(plain)), charset);
    QCOMPARE(encode(plain).toHex(' '), encoded.toHex(' '));
    const EncodedScript::Decoded d = EncodedScript::decodeScript(view(encoded));
    QVERIFY2(d.ok(), d.error().c_str());
    QCOMPARE(bytes(d.text).toHex(' '), plain.toHex(' '));
}

void tst_EncodedScript::marker_data()
{
    QTest::addColumn<QByteArray>("plain");
    QTest::addColumn<Language>("language");
    QTest::addColumn<QByteArray>("plainPart"); // what stays readable before the first block
    QTest::addColumn<int>("blocks");
    const QByteArray vb = "' (C) 2001 作者\r\n'**Start Encode**\r\nMsgBox 1\r\n";
    QTest::newRow("VBScript marker") << vb << Language::VBScript
                                     << QByteArray("' (C) 2001 作者\r\n'**Start Encode**") << 1;
    QTest::newRow("JScript's marker means nothing to VBScript")
        << vb << Language::JScript << QByteArray() << 1;
    QTest::newRow("JScript marker") << QByteArray("//c\n//**Start Encode**\nx();") << Language::JScript
                                    << QByteArray("//c\n//**Start Encode**") << 1;
    QTest::newRow("marker at the end: nothing is encoded")
        << QByteArray("x = 1\r\n'**Start Encode**") << Language::VBScript
        << QByteArray("x = 1\r\n'**Start Encode**") << 0;
    QTest::newRow("the first marker counts") << QByteArray("'**Start Encode**a'**Start Encode**")
                                             << Language::VBScript << QByteArray("'**Start Encode**") << 1;
    QTest::newRow("what looks like a block before the marker is encoded too")
        << QByteArray("s = \"#@~^\"\r\n'**Start Encode**\r\nx") << Language::VBScript << QByteArray() << 1;
    QTest::newRow("no marker: the byte-order mark stays first")
        << QByteArray("\xEF\xBB\xBFx = \"日本\"") << Language::VBScript << QByteArray("\xEF\xBB\xBF") << 1;
    QTest::newRow("marker in UTF-16")
        << utf16le(QStringLiteral("'**Start Encode**\r\nx")) << Language::VBScript
        << utf16le(QStringLiteral("'**Start Encode**")) << 1;
}

void tst_EncodedScript::marker()
{
    QFETCH(QByteArray, plain);
    QFETCH(Language, language);
    QFETCH(QByteArray, plainPart);
    QFETCH(int, blocks);
    const EncodedScript::Encoded e = EncodedScript::encodeScript(view(plain), language);
    const QByteArray encoded = bytes(e.bytes);
    QCOMPARE(int(e.blocks), blocks);
    QVERIFY(encoded.startsWith(plainPart));
    if (blocks > 0) {
        const EncodedScript::Charset cs = EncodedScript::detectCharset(view(plain));
        const QByteArray open = cs == Charset::Utf16LE ? QByteArray("#\0@\0~\0^\0", 8) : QByteArray("#@~^");
        QCOMPARE(encoded.mid(plainPart.size(), open.size()), open);
    }
    QCOMPARE(bytes(EncodedScript::decodeScript(view(encoded)).text), plain);
}

void tst_EncodedScript::damagedBlocks_data()
{
    QTest::addColumn<QByteArray>("encoded");
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<int>("line");
    // "MsgBox 1" after two plain lines.
    const QByteArray head = "' a\r\n' b\r\n";
    const QByteArray good = head + encode("MsgBox 1");
    QCOMPARE(good, head + "#@~^CAAAAA==\\ko$K6,FoQIAAA==^#~@");
    auto changed = [&](qsizetype at, qsizetype n, const QByteArray& with) {
        return QByteArray(good).replace(head.size() + at, n, with);
    };
    QTest::newRow("trailer cut") << good.chopped(1) << Fault::Truncated << 3;
    QTest::newRow("checksum cut") << good.chopped(10) << Fault::Truncated << 3;
    QTest::newRow("text cut") << good.left(head.size() + 16) << Fault::Truncated << 3;
    QTest::newRow("a character changed") << changed(13, 1, "x") << Fault::ChecksumMismatch << 3;
    QTest::newRow("a character removed") << changed(13, 1, "") << Fault::LengthMismatch << 3;
    QTest::newRow("a character added") << changed(13, 0, "k") << Fault::LengthMismatch << 3;
    QTest::newRow("length made longer") << changed(4, 1, "D") << Fault::LengthMismatch << 3;
    QTest::newRow("length far too long") << changed(4, 6, "//////") << Fault::Truncated << 3;
    QTest::newRow("length not Base64") << changed(4, 1, "*") << Fault::BadLength << 3;
    QTest::newRow("length without ==") << changed(10, 2, "AA") << Fault::BadLength << 3;
    QTest::newRow("checksum altered") << changed(20, 1, "G") << Fault::ChecksumMismatch << 3;
    QTest::newRow("unknown escape") << changed(12, 2, "@x") << Fault::BadEscape << 3;
    QTest::newRow("escape across the end") << changed(19, 2, "@#") << Fault::LengthMismatch << 3;
    QTest::newRow("a raw <") << changed(12, 1, "<") << Fault::BadCharacter << 3;
    QTest::newRow("trailer altered") << changed(28, 1, "!") << Fault::NoTrailer << 3;
    QTest::newRow("only the opening") << QByteArray("#@~^") << Fault::Truncated << 1;
    QTest::newRow("the second block is damaged")
        << good + "\r\n" + QByteArray(good).replace("^#~@", "^#~") << Fault::Truncated << 6;
}

void tst_EncodedScript::damagedBlocks()
{
    QFETCH(QByteArray, encoded);
    QFETCH(Fault, fault);
    QFETCH(int, line);
    const EncodedScript::Decoded d = EncodedScript::decodeScript(view(encoded));
    QCOMPARE(d.fault, fault);
    QCOMPARE(int(d.line), line);
    QVERIFY(d.text.empty());
    QVERIFY(!d.error().empty());
}

void tst_EncodedScript::errorTexts()
{
    const QByteArray good = encode("MsgBox 1");
    const EncodedScript::Decoded d =
        EncodedScript::decodeScript(view("\n\n" + QByteArray(good).replace(13, 1, "x")));
    QCOMPARE(QString::fromStdString(d.error()),
             QStringLiteral("3 行目のエンコードされたブロックが壊れています: チェックサムが合いません "
                            "(書き換えられています)。"));
    QCOMPARE(QString::fromStdString(d.error(false)),
             QStringLiteral(
                 "the encoded block on line 3 is damaged: its checksum does not match (it was altered)."));
    const EncodedScript::Decoded cut = EncodedScript::decodeScript(view(good.chopped(4)));
    QCOMPARE(
        QString::fromStdString(cut.error()),
        QStringLiteral("1 行目のエンコードされたブロックが壊れています: ブロックが途中で切れています。"));
    QCOMPARE(EncodedScript::decodeScript("plain").error(), std::string());
}

// Encoded and plain files must be read as the same encoding the preview and editor see.
void tst_EncodedScript::charsetDetectionAgreesWithTheEditors_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("ascii") << QByteArray("abc");
    QTest::newRow("utf-8") << QByteArray("\xE3\x81\x82");
    QTest::newRow("cp932") << QByteArray("\x82\xA0");
    QTest::newRow("overlong") << QByteArray("\xC0\xAF");
    QTest::newRow("surrogate") << QByteArray("\xED\xA0\x80");
    QTest::newRow("beyond U+10FFFF") << QByteArray("\xF4\x90\x80\x80");
    QTest::newRow("cut utf-8") << QByteArray("a\xE3\x81");
    QTest::newRow("utf-8 bom") << QByteArray("\xEF\xBB\xBFx");
    QTest::newRow("utf-16 le") << QByteArray("\xFF\xFEx\0", 4);
    QTest::newRow("utf-16 be") << QByteArray("\xFE\xFF\0x", 4);
    const QDir dir(QStringLiteral(QUILLET_TESTDATA "/text"));
    for (const QString& f : dir.entryList(QDir::Files)) {
        QFile file(dir.filePath(f));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QTest::addRow("%s", qPrintable(f)) << file.readAll();
    }
}

void tst_EncodedScript::charsetDetectionAgreesWithTheEditors()
{
    QFETCH(QByteArray, bytes);
    const TextEncoding editors = TextCodec::detect(bytes);
    const Charset expected = editors == TextEncoding::Cp932     ? Charset::Cp932
                             : editors == TextEncoding::Utf16LE ? Charset::Utf16LE
                             : editors == TextEncoding::Utf16BE ? Charset::Utf16BE
                                                                : Charset::Utf8;
    QCOMPARE(EncodedScript::detectCharset(view(bytes)), expected);
}

QTEST_GUILESS_MAIN(tst_EncodedScript)
#include "tst_EncodedScript.moc"
