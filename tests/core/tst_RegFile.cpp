#include "RegFile.h"
#include "TextCodec.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTest>

Q_DECLARE_METATYPE(std::optional<RegValue>)

namespace {
// A string value as Windows stores it: UTF-16 LE with its terminating NUL.
std::optional<RegValue> str(const QString& text, quint32 type = RegType::String)
{
    return RegValue{type, TextCodec::encode(text + QChar(0), TextEncoding::Utf16LE)->sliced(2)};
}

std::optional<RegValue> bin(quint32 type, const char* hex)
{
    return RegValue{type, QByteArray::fromHex(hex)};
}

const QByteArray Header = "Windows Registry Editor Version 5.00\r\n\r\n";
} // namespace

class tst_RegFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void realFiles_data();
    void realFiles();
    void headers_data();
    void headers();
    void values_data();
    void values();
    void keysAndDeletion();
    void canonicalKey_data();
    void canonicalKey();
    void ansiData_data();
    void ansiData();
    void largeInputs();
};

void tst_RegFile::realFiles_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("name");
    QTest::addColumn<std::optional<RegValue>>("expected");
    const QString htm = "wine-classes-htm.reg", htmlfile = "wine-classes-htmlfile.reg";
    const QString env = "HKLM\\System\\CurrentControlSet\\Control\\Session Manager\\Environment";
    QTest::newRow("default") << htm << "HKEY_CLASSES_ROOT\\.htm" << QString() << str("htmlfile");
    QTest::newRow("named") << htm << "hkcr\\.HTM" << QString("content type") << str("text/html");
    QTest::newRow("hex(2) continued") << htmlfile << "HKCR\\htmlfile\\DefaultIcon" << QString()
                                      << str("C:\\Program Files\\Internet Explorer\\iexplore.exe,1", 2);
    QTest::newRow("escapes") << htmlfile << "HKCR\\htmlfile\\shell\\open\\command" << QString()
                             << str("\"C:\\windows\\system32\\winebrowser.exe\" \"%1\"");
    QTest::newRow("environment") << "wine-session-environment.reg" << env << QString("TMP")
                                 << str("%SystemRoot%\\temp", 2);
}

void tst_RegFile::realFiles()
{
    QFETCH(QString, file);
    QFETCH(QString, key);
    QFETCH(QString, name);
    QFETCH(std::optional<RegValue>, expected);
    QFile f(QStringLiteral(QUILLET_TESTDATA "/registry/") + file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const std::optional<RegFile> reg = RegFile::parse(f.readAll());
    QVERIFY(reg && reg->hasKey(key));
    QCOMPARE(reg->value(key, name), expected);
}

void tst_RegFile::headers_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<std::optional<RegValue>>("expected"); // of @ in HKCU\T
    const QString v5 = "Windows Registry Editor Version 5.00\r\n\r\n[HKCU\\T]\r\n@=\"メモ\"\r\n";
    const QString v4 = "REGEDIT4\r\n\r\n[HKCU\\T]\r\n@=\"メモ\"\r\n\"x\"=hex(2):25,83,81,00\r\n";
    const QByteArray v4bytes = *TextCodec::encode(v4, TextEncoding::Cp932);
    QTest::newRow("utf-16") << *TextCodec::encode(v5, TextEncoding::Utf16LE) << str("メモ");
    QTest::newRow("utf-8 bom") << *TextCodec::encode(v5, TextEncoding::Utf8Bom) << str("メモ");
    QTest::newRow("utf-8") << v5.toUtf8() << str("メモ");
    QTest::newRow("LF only") << v5.toUtf8().replace("\r\n", "\n") << str("メモ");
    QTest::newRow("code page 932") << *TextCodec::encode(v5, TextEncoding::Cp932) << str("メモ");
    QTest::newRow("regedit4") << v4bytes << str("メモ");
    // Windows converts the ANSI text of these types as it imports an old file.
    QByteArray swapped = QByteArray(v4bytes).replace("@=", "\"y\"=").replace("\"x\"", "@");
    QTest::newRow("regedit4 hex(2)") << swapped << str("%メ", RegType::ExpandString);
    QTest::newRow("regedit4 hex") << swapped.replace("hex(2)", "hex") << bin(3, "25838100");
    QTest::newRow("no header") << QByteArray("[HKCU\\T]\r\n@=\"x\"\r\n") << std::optional<RegValue>();
    QTest::newRow("binary") << QByteArray("\x00\xFF\xFE\x01\x80\n\n", 7) << std::optional<RegValue>();
}

void tst_RegFile::headers()
{
    QFETCH(QByteArray, bytes);
    QFETCH(std::optional<RegValue>, expected);
    const std::optional<RegFile> reg = RegFile::parse(bytes);
    QCOMPARE(bool(reg), bool(expected));
    if (reg)
        QCOMPARE(reg->value(u"HKCU\\T", u""), expected);
}

void tst_RegFile::values_data()
{
    QTest::addColumn<QByteArray>("lines");
    QTest::addColumn<QString>("name");
    QTest::addColumn<std::optional<RegValue>>("expected");
    const std::optional<RegValue> absent;
    QTest::newRow("@") << QByteArray("@=\"x\"") << "" << str("x");
    QTest::newRow("empty string") << QByteArray("\"v\"=\"\"") << "V" << str("");
    QTest::newRow("escaped name") << QByteArray(R"("a\"b\\c"="v")") << "A\"B\\c" << str("v");
    QTest::newRow("escaped data") << QByteArray(R"("v"="C:\\x \"q\" \n")") << "v" << str("C:\\x \"q\" \\n");
    QTest::newRow("dword 0") << QByteArray("\"v\"=dword:00000000") << "v" << bin(4, "00000000");
    QTest::newRow("dword") << QByteArray("\"v\"=dword:00001000") << "v" << bin(4, "00100000");
    QTest::newRow("hex") << QByteArray("\"v\"=hex:01,aB, ff") << "v" << bin(3, "01abff");
    QTest::newRow("hex(2)") << QByteArray("\"v\"=hex(2):41,00,\\\r\n  42,00,\\\r\n  00,00") << "v"
                            << bin(2, "410042000000");
    QTest::newRow("hex(7)") << QByteArray("\"v\"=hex(7):61,00,00,\\\n  00,00,00") << "v"
                            << bin(7, "610000000000");
    QTest::newRow("hex(b)") << QByteArray("\"v\"=hex(b):01,00,00,00,00,00,00,80") << "v"
                            << bin(11, "0100000000000080");
    QTest::newRow("deleted") << QByteArray("\"v\"=\"1\"\r\n\"v\"=-") << "v" << absent;
    QTest::newRow("bad value keeps old") << QByteArray("\"v\"=\"1\"\r\n\"v\"=hex:zz") << "v" << str("1");
    QTest::newRow("cut off list") << QByteArray("\"v\"=hex:01,02,\\") << "v" << absent;
    QTest::newRow("bad hex digit") << QByteArray("\"v\"=hex:01,0g") << "v" << absent;
    QTest::newRow("three digits") << QByteArray("\"v\"=hex:012") << "v" << absent;
    QTest::newRow("bad continuation") << QByteArray("\"v\"=hex:01,\\\r\n  0x") << "v" << absent;
    QTest::newRow("unterminated") << QByteArray("\"v\"=\"abc") << "v" << absent;
    QTest::newRow("long dword") << QByteArray("\"v\"=dword:123456789") << "v" << absent;
    QTest::newRow("bad type") << QByteArray("\"v\"=hex(x):00") << "v" << absent;
    QTest::newRow("garbage") << QByteArrayLiteral("\x00\xFF\xFE\x80 =\"x\"\r\n=\"y\"\r\n;@=\"z\"") << ""
                             << absent;
}

void tst_RegFile::values()
{
    QFETCH(QByteArray, lines);
    QFETCH(QString, name);
    QFETCH(std::optional<RegValue>, expected);
    // Whatever a line does, the next one must still count.
    const std::optional<RegFile> reg =
        RegFile::parse(Header + "[HKEY_CURRENT_USER\\T]\r\n" + lines + "\r\n\"after\"=\"ok\"\r\n");
    QVERIFY(reg);
    QCOMPARE(reg->value(u"HKCU\\T", name), expected);
    QCOMPARE(reg->value(u"HKCU\\T", u"after"), str("ok"));
}

void tst_RegFile::keysAndDeletion()
{
    const std::optional<RegFile> reg = RegFile::parse(Header + R"("early"="x"
[HKEY_LOCAL_MACHINE\Software\A]
"v"="1"
"gone"="2"
[HKLM\Software\A\Sub\Deep]
[HKLM\Software\A\Subway]
@="4"
[hklm\software\a\sub]
[-HKEY_LOCAL_MACHINE\Software\A\Sub]
"ignored"="5"
[-HKLM]
[HKEY_LOCAL_MACHINE\Software\A]
"gone"=-
[HKEY_NOWHERE\X]
"lost"="6"
)");
    QVERIFY(reg);
    QVERIFY(reg->hasKey(u"hkey_local_machine\\SOFTWARE\\a\\"));
    QVERIFY(!reg->hasKey(u"HKLM\\Software\\A\\Sub") && !reg->hasKey(u"HKLM\\Software\\A\\Sub\\Deep"));
    QVERIFY(!reg->hasKey(u"HKEY_NOWHERE\\X"));
    QCOMPARE(reg->value(u"HKLM\\Software\\a", u"V"), str("1"));
    QCOMPARE(reg->value(u"HKLM\\Software\\A\\Subway", u""), str("4"));
    // Values after a deleted or unreadable key belong to no key.
    for (const char* name : {"gone", "early", "ignored", "lost"})
        QCOMPARE(reg->value(u"HKLM\\Software\\A", QString::fromLatin1(name)), std::nullopt);
}

void tst_RegFile::canonicalKey_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("canonical");
    QTest::newRow("abbreviation") << "hkcr\\.htm" << QString("HKEY_CLASSES_ROOT\\.htm");
    QTest::newRow("backslashes") << "HKU\\\\S-1-5\\Software\\" << QString("HKEY_USERS\\S-1-5\\Software");
    QTest::newRow("keeps case") << "Hkey_Current_User\\SoftWare" << QString("HKEY_CURRENT_USER\\SoftWare");
    QTest::newRow("unknown root") << "HKEY_DYN_DATA\\x" << QString();
}

void tst_RegFile::canonicalKey()
{
    QFETCH(QString, key);
    QFETCH(QString, canonical);
    QCOMPARE(RegFile::canonicalKey(key), canonical);
}

void tst_RegFile::ansiData_data()
{
    QTest::addColumn<std::optional<RegValue>>("value");
    QTest::addColumn<QByteArray>("ansi");
    QTest::newRow("japanese") << str("メモ帳") << QByteArray("\x83\x81\x83\x82\x92\xA0", 7);
    QTest::newRow("no code") << str("a한b", RegType::ExpandString) << QByteArray("a?b", 4);
    QTest::newRow("outside the BMP") << str("x😀") << QByteArray("x??", 4);
    QTest::newRow("multi, odd byte") << bin(7, "6100000062000000000063") << QByteArray("a\0b\0\0", 5);
    QTest::newRow("empty") << bin(1, "") << QByteArray();
    QTest::newRow("dword") << bin(4, "00100000") << QByteArray("\x00\x10\x00\x00", 4);
}

void tst_RegFile::ansiData()
{
    QFETCH(std::optional<RegValue>, value);
    QFETCH(QByteArray, ansi);
    QCOMPARE(RegFile::ansiData(*value), ansi);
}

void tst_RegFile::largeInputs()
{
    QByteArray hex = "[HKCU\\T]\r\n\"big\"=hex:ab";
    for (int i = 1; i < 100'000; ++i)
        hex += i % 25 ? ",ab" : ",\\\r\n  ab";
    const QByteArray deep = QByteArray("\\k").repeated(200'000);
    QElapsedTimer timer;
    timer.start();
    const std::optional<RegFile> reg = RegFile::parse(Header + hex + "\r\n\"" + QByteArray(1'000'000, 'n') +
                                                      "\"=\"\"\r\n[HKCU" + deep + "]\r\n@=\"\"\r\n");
    QVERIFY(reg);
    QCOMPARE(reg->value(u"HKCU\\T", u"big")->data.size(), 100'000);
    QVERIFY(reg->value(u"HKCU\\T", QString(1'000'000, u'N')));
    QVERIFY(reg->value(QString::fromLatin1("HKCU" + deep), u""));
    QCOMPARE_LT(timer.elapsed(), 2000);
}

QTEST_GUILESS_MAIN(tst_RegFile)
#include "tst_RegFile.moc"
