#include "RegFile.h"
#include "TestFiles.h"
#include "TextCodec.h"

#include <QTest>

Q_DECLARE_METATYPE(std::optional<RegValue>)

namespace {
// A string value as Windows stores it: UTF-16 LE with its terminating NUL.
const auto str = [](const QString& text, quint32 type = RegType::String) -> std::optional<RegValue> {
    return RegValue{type, TextCodec::encode(text + QChar(0), TextEncoding::Utf16LE)->sliced(2)};
};
const auto bin = [](quint32 type, const char* hex) -> std::optional<RegValue> {
    return RegValue{type, QByteArray::fromHex(hex)};
};
const std::optional<RegValue> Refused = RegValue{0xffff, "the file is refused"};

const QByteArray Header = "Windows Registry Editor Version 5.00\r\n\r\n", After = "\"after\"=\"ok\"\r\n";
} // namespace

class tst_RegFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void files_data();
    void files();
    void keys();
    void ansiData();
    void largeInputs();
};

void tst_RegFile::files_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("name");
    QTest::addColumn<std::optional<RegValue>>("expected");
    auto real = [](const char* tag, const char* file, const QString& key, const QString& name,
                   const std::optional<RegValue>& value) {
        QTest::newRow(tag) << bytesOf(QUILLET_TESTDATA "/registry/" + QString(file)) << key << name << value;
    };
    const char *htm = "wine-classes-htm.reg", *htmlfile = "wine-classes-htmlfile.reg";
    real("default", htm, "HKEY_CLASSES_ROOT\\.htm", "", str("htmlfile"));
    real("named", htm, "hkcr\\.HTM", "content type", str("text/html"));
    real("hex(2) continued", htmlfile, "HKCR\\htmlfile\\DefaultIcon", "",
         str("C:\\Program Files\\Internet Explorer\\iexplore.exe,1", 2));
    real("escapes", htmlfile, "HKCR\\htmlfile\\shell\\open\\command", "",
         str("\"C:\\windows\\system32\\winebrowser.exe\" \"%1\""));
    real("environment", "wine-session-environment.reg",
         "HKLM\\System\\CurrentControlSet\\Control\\Session Manager\\Environment", "TMP",
         str("%SystemRoot%\\temp", 2));

    // Files of our own, under HKCU\T, end with a value "after" that must still count.
    auto row = [](const char* tag, const QByteArray& bytes, const std::optional<RegValue>& value,
                  const QString& name = {}) {
        QTest::newRow(tag) << bytes << QString("HKCU\\T") << name << value;
    };
    const QString v5 = QString::fromUtf8(Header + "[HKCU\\T]\r\n@=\"メモ\"\r\n" + After);
    const QString v4 =
        QString::fromUtf8("REGEDIT4\r\n\r\n[HKCU\\T]\r\n@=\"メモ\"\r\n\"x\"=hex(2):25,83,81,00\r\n" + After);
    const QByteArray v4bytes = *TextCodec::encode(v4, TextEncoding::Cp932);
    row("utf-16", *TextCodec::encode(v5, TextEncoding::Utf16LE), str("メモ"));
    row("utf-8", v5.toUtf8(), str("メモ"));
    row("LF only", v5.toUtf8().replace("\r\n", "\n"), str("メモ"));
    row("code page 932", *TextCodec::encode(v5, TextEncoding::Cp932), str("メモ"));
    row("regedit4", v4bytes, str("メモ"));
    // Windows converts the ANSI text of these types as it imports an old file.
    QByteArray swapped = QByteArray(v4bytes).replace("@=", "\"y\"=").replace("\"x\"", "@");
    row("regedit4 hex(2)", swapped, str("%メ", RegType::ExpandString));
    row("regedit4 hex", swapped.replace("hex(2)", "hex"), bin(3, "25838100"));
    row("no header", "[HKCU\\T]\r\n@=\"x\"\r\n", Refused);
    row("binary", QByteArray("\x00\xFF\xFE\x01\x80\n\n", 7), Refused);

    // One line of a version 5 file, whatever it does, before "after".
    auto line = [&row](const char* tag, const QByteArray& line, const std::optional<RegValue>& value,
                       const QString& name = QStringLiteral("v")) {
        row(tag, Header + "[HKEY_CURRENT_USER\\T]\r\n" + line + "\r\n" + After, value, name);
    };
    const std::optional<RegValue> absent;
    line("@", "@=\"x\"", str("x"), "");
    line("empty string", "\"v\"=\"\"", str(""), "V");
    line("escaped name", R"("a\"b\\c"="v")", str("v"), "A\"B\\c");
    line("escaped data", R"("v"="C:\\x \"q\" \n")", str("C:\\x \"q\" \\n"));
    line("dword", "\"v\"=dword:00001000", bin(4, "00100000"));
    line("hex", "\"v\"=hex:01,aB, ff", bin(3, "01abff"));
    line("hex(2)", "\"v\"=hex(2):41,00,\\\r\n  42,00,\\\r\n  00,00", bin(2, "410042000000"));
    line("hex(7)", "\"v\"=hex(7):61,00,00,\\\n  00,00,00", bin(7, "610000000000"));
    line("deleted", "\"v\"=\"1\"\r\n\"v\"=-", absent);
    line("bad value keeps old", "\"v\"=\"1\"\r\n\"v\"=hex:zz", str("1"));
    line("cut off list", "\"v\"=hex:01,02,\\", absent);
    line("three digits", "\"v\"=hex:012", absent);
    line("unterminated", "\"v\"=\"abc", absent);
    line("long dword", "\"v\"=dword:123456789", absent);
    line("bad type", "\"v\"=hex(x):00", absent);
    line("garbage", QByteArrayLiteral("\x00\xFF\xFE\x80 =\"x\"\r\n=\"y\"\r\n;@=\"z\""), absent, "");
}

void tst_RegFile::files()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, key);
    QFETCH(QString, name);
    const std::optional<RegFile> reg = RegFile::parse(bytes);
    QTEST(reg ? reg->value(key, name) : Refused, "expected");
    if (reg && key == QStringLiteral("HKCU\\T"))
        QCOMPARE(reg->value(key, u"after"), str("ok"));
}

void tst_RegFile::keys()
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
    QVERIFY(reg->hasKey(u"hkey_local_machine\\SOFTWARE\\a\\") && !reg->hasKey(u"HKEY_NOWHERE\\X"));
    QVERIFY(!reg->hasKey(u"HKLM\\Software\\A\\Sub") && !reg->hasKey(u"HKLM\\Software\\A\\Sub\\Deep"));
    QCOMPARE(reg->value(u"HKLM\\Software\\a", u"V"), str("1"));
    QCOMPARE(reg->value(u"HKLM\\Software\\A\\Subway", u""), str("4"));
    // Values after a deleted or unreadable key belong to no key.
    for (const char* name : {"gone", "early", "ignored", "lost"})
        QCOMPARE(reg->value(u"HKLM\\Software\\A", QString::fromLatin1(name)), std::nullopt);
    QCOMPARE(RegFile::canonicalKey(u"hkcr\\.htm"), "HKEY_CLASSES_ROOT\\.htm");
    QCOMPARE(RegFile::canonicalKey(u"HKU\\\\S-1-5\\Software\\"), "HKEY_USERS\\S-1-5\\Software");
    QCOMPARE(RegFile::canonicalKey(u"Hkey_Current_User\\SoftWare"), "HKEY_CURRENT_USER\\SoftWare");
    QCOMPARE(RegFile::canonicalKey(u"HKEY_DYN_DATA\\x"), QString());
}

// Strings as code page 932 with their NUL, '?' for each UTF-16 unit it lacks; other types as they are.
void tst_RegFile::ansiData()
{
    QCOMPARE(RegFile::ansiData(*str("メモ帳")), QByteArray("\x83\x81\x83\x82\x92\xA0", 7));
    QCOMPARE(RegFile::ansiData(*str("a한b😀", RegType::ExpandString)), QByteArray("a?b??", 6));
    QCOMPARE(RegFile::ansiData(*bin(7, "6100000062000000000063")), QByteArray("a\0b\0\0", 5));
    QCOMPARE(RegFile::ansiData(*bin(4, "00100000")), QByteArray("\x00\x10\x00\x00", 4));
}

void tst_RegFile::largeInputs()
{
    QByteArray hex = "[HKCU\\T]\r\n\"big\"=hex:ab";
    for (int i = 1; i < 100'000; ++i)
        hex += i % 25 ? ",ab" : ",\\\r\n  ab";
    const QByteArray deep = QByteArray("\\k").repeated(200'000);
    const std::optional<RegFile> reg = RegFile::parse(Header + hex + "\r\n\"" + QByteArray(1'000'000, 'n') +
                                                      "\"=\"\"\r\n[HKCU" + deep + "]\r\n@=\"\"\r\n");
    QVERIFY(reg);
    QCOMPARE(reg->value(u"HKCU\\T", u"big")->data.size(), 100'000);
    QVERIFY(reg->value(u"HKCU\\T", QString(1'000'000, u'N')));
    QVERIFY(reg->value(QString::fromLatin1("HKCU" + deep), u""));
}

QTEST_GUILESS_MAIN(tst_RegFile)
#include "tst_RegFile.moc"
