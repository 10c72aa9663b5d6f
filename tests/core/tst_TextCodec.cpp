#include "TextCodec.h"

#include <QFile>
#include <QTest>

Q_DECLARE_METATYPE(TextEncoding)

namespace {
QByteArray readTestFile(const char* name)
{
    QFile f(QStringLiteral(QUILLET_TESTDATA "/text/") + QLatin1String(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

class tst_TextCodec : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void realFiles_data();
    void realFiles();
    void decode_data();
    void decode();
    void encode();
    void lineEnds();
};

// Whole, and in the pieces a viewer reads: the same text. In the invalid file 0x80, 0xA0 and
// 0xFD have no character, and 0x81 before a blank is a lead byte alone.
void tst_TextCodec::realFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<TextEncoding>("encoding");
    QTest::addColumn<QString>("contains");
    const QString greeting =
        QStringLiteral("msg = \"こんにちは、\" & 名前 & \"さん ①②③ Ⅰ Ⅱ ㈱ ～ ￢ ∥ － 髙橋 﨑\"\r\n");
    const QByteArray cp932 = readTestFile("cp932-greeting.vbs");
    QTest::newRow("cp932") << cp932 << TextEncoding::Cp932 << greeting;
    QTest::newRow("cp932 katakana") << cp932 << TextEncoding::Cp932
                                    << QStringLiteral("' ﾌｧｲﾙ名: C:\\Scripts\\挨拶.vbs\r\n");
    QTest::newRow("cp932 perl") << readTestFile("cp932-perl.pls") << TextEncoding::Cp932
                                << QStringLiteral("$WScript->Echo(\"ﾊﾟｰﾙ\");\r\n");
    QTest::newRow("cp932 invalid bytes")
        << readTestFile("cp932-invalid-bytes.vbs") << TextEncoding::Cp932
        << QStringLiteral("' 壊れたバイト: \uFFFD\uFFFD\uFFFD \uFFFD  ok\r\n' 最後の行\uFFFD");
    QTest::newRow("utf-16 le") << readTestFile("utf16le-bom.vbs") << TextEncoding::Utf16LE << greeting;
    QTest::newRow("utf-16 be") << readTestFile("utf16be-bom.vbs") << TextEncoding::Utf16BE << greeting;
    QTest::newRow("utf-8 bom")
        << readTestFile("utf8-bom.js") << TextEncoding::Utf8Bom
        << QStringLiteral("// Windows Scripting Host\r\n// ﾌｧｲﾙ名: /home/user/スクリプト/hello.js");
    QTest::newRow("utf-8") << readTestFile("utf8-nobom.js") << TextEncoding::Utf8
                           << QStringLiteral("var s = \"日本語のテキスト ﾊﾝｶｸ ①\";\n");
    QTest::newRow("ascii") << readTestFile("ascii-lf.vbs") << TextEncoding::Cp932
                           << QStringLiteral("' plain ascii\nWScript");
    const QString pairs = QStringLiteral("😀a😀😀 𠮷𠮷").repeated(8) + "\r\n😀";
    QTest::newRow("utf-16 le pairs") << *TextCodec::encode(pairs, TextEncoding::Utf16LE)
                                     << TextEncoding::Utf16LE << pairs;
    QTest::newRow("utf-16 be pairs") << *TextCodec::encode(pairs, TextEncoding::Utf16BE)
                                     << TextEncoding::Utf16BE << pairs;
}

void tst_TextCodec::realFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(TextEncoding, encoding);
    QFETCH(QString, contains);
    const TextCodec::DecodedFile whole = TextCodec::decodeFile(bytes);
    QCOMPARE(whole.encoding, encoding);
    QVERIFY2(whole.text.contains(contains), qPrintable(whole.text));
    QVERIFY(!whole.text.startsWith(QChar(0xFEFF)));
    for (qsizetype step : {1, 2, 3, 7, 64, 100000}) {
        // Pieces of at most twice the step: none may end inside a character. Uncut: whole lines.
        const bool cut = step >= 7;
        const qsizetype most = cut ? 2 * step : std::numeric_limits<qsizetype>::max() / 2;
        QString pieces;
        int count = 0;
        for (qsizetype from = TextCodec::bomLength(encoding); from < bytes.size(); ++count) {
            const qsizetype end = TextCodec::chunkEnd(bytes, encoding, from, step, most);
            QVERIFY(end > from);
            const QString piece = TextCodec::decode(QByteArrayView(bytes).sliced(from, end - from), encoding);
            QVERIFY(piece.isEmpty() || (!piece.back().isHighSurrogate() &&
                                        (cut || end == bytes.size() || piece.back() == u'\n')));
            pieces += piece;
            from = end;
        }
        QCOMPARE(pieces, whole.text);
        QVERIFY(step > 1 || count > 1);
    }
}

void tst_TextCodec::decode_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<TextEncoding>("encoding");
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QByteArray() << TextEncoding::Cp932 << "";
    QTest::newRow("ascii") << QByteArray("abc\r\n") << TextEncoding::Cp932 << "abc\r\n";
    QTest::newRow("utf-8 after 8 ascii bytes")
        << QByteArray("12345678\xE3\x81\x82") << TextEncoding::Utf8 << "12345678あ";
    QTest::newRow("sjis that is not utf-8") << QByteArray("\x82\xA0") << TextEncoding::Cp932 << "あ";
    QTest::newRow("overlong utf-8") << QByteArray("\xC0\xAF") << TextEncoding::Cp932 << "ﾀｯ";
    QTest::newRow("utf-8 surrogate") << QByteArray("\xED\xA0\x80") << TextEncoding::Cp932 << "\u605D\uFFFD";
    QTest::newRow("truncated utf-8") << QByteArray("a\xE3\x81") << TextEncoding::Cp932 << "a縺";
    QTest::newRow("utf-8 bom, broken after it")
        << QByteArray("\xEF\xBB\xBF") + "a\xFF" + 'b' << TextEncoding::Utf8Bom << "a\uFFFDb";
    QTest::newRow("utf-16 le, an odd byte")
        << QByteArray("\xFF\xFE") + 'a' + '\0' + 'b' << TextEncoding::Utf16LE << "a\uFFFD";
    QTest::newRow("utf-16 be") << QByteArray("\xFE\xFF\0a", 4) << TextEncoding::Utf16BE << "a";
}

void tst_TextCodec::decode()
{
    QFETCH(QByteArray, bytes);
    QFETCH(TextEncoding, encoding);
    QFETCH(QString, text);
    const TextCodec::DecodedFile d = TextCodec::decodeFile(bytes);
    QCOMPARE(d.encoding, encoding);
    QCOMPARE(d.text, text);
}

void tst_TextCodec::encode()
{
    const QString text = QStringLiteral("' ﾌｧｲﾙ名: C:\\a\\挨拶.vbs ①Ⅰ㈱～\r\n");
    for (TextEncoding e : {TextEncoding::Cp932, TextEncoding::Utf8, TextEncoding::Utf8Bom,
                           TextEncoding::Utf16LE, TextEncoding::Utf16BE}) {
        const QString held = e == TextEncoding::Cp932 ? text : text + "🎉";
        const std::optional<QByteArray> bytes = TextCodec::encode(held, e);
        QVERIFY(bytes);
        QCOMPARE(TextCodec::decodeFile(*bytes).encoding, e);
        QCOMPARE(TextCodec::decodeFile(*bytes).text, held);
    }
    for (const char* lacking : {"a🎉", "한국어", "𠮷"})
        QVERIFY2(!TextCodec::encode(QString::fromUtf8(lacking), TextEncoding::Cp932), lacking);
}

void tst_TextCodec::lineEnds()
{
    QCOMPARE(TextCodec::toLf(QStringLiteral("a\r\nb\rc\nd\r")), QStringLiteral("a\nb\nc\nd\n"));
    QVERIFY(TextCodec::usesCrLf(QStringLiteral("a\r\nb\n")));
    QVERIFY(!TextCodec::usesCrLf(QStringLiteral("a\nb\r\n")));
    QVERIFY(TextCodec::usesCrLf(QStringLiteral("no line end")));
}

QTEST_APPLESS_MAIN(tst_TextCodec)
#include "tst_TextCodec.moc"
