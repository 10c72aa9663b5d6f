#include "TextCodec.h"

#include <QFile>
#include <QTest>

Q_DECLARE_METATYPE(TextEncoding)

namespace {
QByteArray readTestFile(const QString& name)
{
    QFile f(QStringLiteral(QUILLET_TESTDATA "/text/") + name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

class tst_TextCodec : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void realFiles_data();
    void realFiles();
    void detection_data();
    void detection();
    void invalidBytesShowAsReplacements();
    void piecesDecodeLikeTheWhole_data();
    void piecesDecodeLikeTheWhole();
    void encodeRoundTrips_data();
    void encodeRoundTrips();
    void encodeRefusesWhatItCannotHold_data();
    void encodeRefusesWhatItCannotHold();
    void lineEnds();
};

void tst_TextCodec::realFiles_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<TextEncoding>("encoding");
    QTest::addColumn<QString>("contains");
    const QString greeting =
        QStringLiteral("msg = \"こんにちは、\" & 名前 & \"さん ①②③ Ⅰ Ⅱ ㈱ ～ ￢ ∥ － 髙橋 﨑\"\r\n");
    QTest::newRow("cp932") << "cp932-greeting.vbs" << TextEncoding::Cp932 << greeting;
    QTest::newRow("cp932 katakana") << "cp932-greeting.vbs" << TextEncoding::Cp932
                                    << QStringLiteral("' ﾌｧｲﾙ名: C:\\Scripts\\挨拶.vbs\r\n");
    QTest::newRow("cp932 perl") << "cp932-perl.pls" << TextEncoding::Cp932
                                << QStringLiteral("$WScript->Echo(\"ﾊﾟｰﾙ\");\r\n");
    QTest::newRow("utf-16 le") << "utf16le-bom.vbs" << TextEncoding::Utf16LE << greeting;
    QTest::newRow("utf-16 be") << "utf16be-bom.vbs" << TextEncoding::Utf16BE << greeting;
    QTest::newRow("utf-8 bom")
        << "utf8-bom.js" << TextEncoding::Utf8Bom
        << QStringLiteral("// Windows Scripting Host\r\n// ﾌｧｲﾙ名: /home/user/スクリプト/hello.js");
    QTest::newRow("utf-8") << "utf8-nobom.js" << TextEncoding::Utf8
                           << QStringLiteral("var s = \"日本語のテキスト ﾊﾝｶｸ ①\";\n");
    QTest::newRow("ascii") << "ascii-lf.vbs" << TextEncoding::Cp932
                           << QStringLiteral("' plain ascii\nWScript");
}

void tst_TextCodec::realFiles()
{
    QFETCH(QString, file);
    QFETCH(TextEncoding, encoding);
    QFETCH(QString, contains);
    const QByteArray bytes = readTestFile(file);
    QVERIFY(!bytes.isEmpty());
    const TextCodec::DecodedFile d = TextCodec::decodeFile(bytes);
    QCOMPARE(d.encoding, encoding);
    QVERIFY2(d.text.contains(contains), qPrintable(d.text));
    QVERIFY(!d.text.contains(QChar(QChar::ReplacementCharacter)));
    QVERIFY(!d.text.startsWith(QChar(0xFEFF)));
}

void tst_TextCodec::detection_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<TextEncoding>("encoding");
    QTest::newRow("empty") << QByteArray() << TextEncoding::Cp932;
    QTest::newRow("ascii") << QByteArray("abc\r\n") << TextEncoding::Cp932;
    QTest::newRow("utf-8") << QByteArray("\xE3\x81\x82") << TextEncoding::Utf8;
    QTest::newRow("utf-8 after 8 ascii bytes") << QByteArray("12345678\xE3\x81\x82") << TextEncoding::Utf8;
    QTest::newRow("sjis that is not utf-8") << QByteArray("\x82\xA0") << TextEncoding::Cp932;
    QTest::newRow("overlong utf-8") << QByteArray("\xC0\xAF") << TextEncoding::Cp932;
    QTest::newRow("utf-8 surrogate") << QByteArray("\xED\xA0\x80") << TextEncoding::Cp932;
    QTest::newRow("truncated utf-8") << QByteArray("a\xE3\x81") << TextEncoding::Cp932;
    QTest::newRow("utf-8 bom") << QByteArray("\xEF\xBB\xBF") << TextEncoding::Utf8Bom;
    QTest::newRow("utf-16 le bom") << QByteArray("\xFF\xFE"
                                                 "a\0",
                                                 4)
                                   << TextEncoding::Utf16LE;
    QTest::newRow("utf-16 be bom") << QByteArray("\xFE\xFF\0a", 4) << TextEncoding::Utf16BE;
}

void tst_TextCodec::detection()
{
    QFETCH(QByteArray, bytes);
    QFETCH(TextEncoding, encoding);
    QCOMPARE(TextCodec::detect(bytes), encoding);
}

void tst_TextCodec::invalidBytesShowAsReplacements()
{
    const QByteArray bytes = readTestFile(QStringLiteral("cp932-invalid-bytes.vbs"));
    const TextCodec::DecodedFile d = TextCodec::decodeFile(bytes);
    QCOMPARE(d.encoding, TextEncoding::Cp932);
    // 0x80, 0xA0 and 0xFD have no character; 0x81 before a blank is a lead byte alone.
    QCOMPARE(d.text, QStringLiteral("' 壊れたバイト: \uFFFD\uFFFD\uFFFD \uFFFD  ok\r\n' 最後の行\uFFFD"));
    // Odd bytes in UTF-16 and broken UTF-8 after a mark: shown, not dropped.
    QCOMPARE(TextCodec::decodeFile(QByteArray("\xFF\xFE"
                                              "a\0b",
                                              5))
                 .text,
             QStringLiteral("a\uFFFD"));
    QCOMPARE(TextCodec::decodeFile(QByteArray("\xEF\xBB\xBF"
                                              "a\xFF"
                                              "b"))
                 .text,
             QStringLiteral("a\uFFFDb"));
}

void tst_TextCodec::piecesDecodeLikeTheWhole_data()
{
    QTest::addColumn<QString>("file");
    for (const char* f : {"cp932-greeting.vbs", "cp932-invalid-bytes.vbs", "utf16le-bom.vbs",
                          "utf16be-bom.vbs", "utf8-bom.js", "utf8-nobom.js"})
        QTest::newRow(f) << QString::fromLatin1(f);
}

void tst_TextCodec::piecesDecodeLikeTheWhole()
{
    QFETCH(QString, file);
    const QByteArray bytes = readTestFile(file);
    const TextCodec::DecodedFile whole = TextCodec::decodeFile(bytes);
    for (qsizetype step : {1, 2, 3, 7, 64, 100000}) {
        QString pieces;
        int count = 0;
        for (qsizetype from = TextCodec::bomLength(whole.encoding); from < bytes.size(); ++count) {
            const qsizetype end = TextCodec::chunkEnd(bytes, whole.encoding, from, step);
            QVERIFY(end > from);
            pieces += TextCodec::decode(QByteArrayView(bytes).sliced(from, end - from), whole.encoding);
            from = end;
        }
        QCOMPARE(pieces, whole.text);
        if (step == 1)
            QVERIFY(count > 1);
    }
}

void tst_TextCodec::encodeRoundTrips_data()
{
    QTest::addColumn<TextEncoding>("encoding");
    QTest::newRow("cp932") << TextEncoding::Cp932;
    QTest::newRow("utf-8") << TextEncoding::Utf8;
    QTest::newRow("utf-8 bom") << TextEncoding::Utf8Bom;
    QTest::newRow("utf-16 le") << TextEncoding::Utf16LE;
    QTest::newRow("utf-16 be") << TextEncoding::Utf16BE;
}

void tst_TextCodec::encodeRoundTrips()
{
    QFETCH(TextEncoding, encoding);
    const QString text = QStringLiteral("' ﾌｧｲﾙ名: C:\\a\\挨拶.vbs ①Ⅰ㈱～\r\n");
    const std::optional<QByteArray> bytes = TextCodec::encode(text, encoding);
    QVERIFY(bytes);
    const TextCodec::DecodedFile back = TextCodec::decodeFile(*bytes);
    QCOMPARE(back.encoding, encoding);
    QCOMPARE(back.text, text);
}

void tst_TextCodec::encodeRefusesWhatItCannotHold_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("emoji") << QStringLiteral("a🎉");
    QTest::newRow("hangul") << QStringLiteral("한국어");
    QTest::newRow("outside jis") << QStringLiteral("𠮷");
}

void tst_TextCodec::encodeRefusesWhatItCannotHold()
{
    QFETCH(QString, text);
    QVERIFY(!TextCodec::encode(text, TextEncoding::Cp932));
    QVERIFY(TextCodec::encode(text, TextEncoding::Utf8));
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
