#include "IniDocument.h"

#include <QTest>

class tst_IniDocument : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void roundTrip_data();
    void roundTrip();
    void handWrittenValues_data();
    void handWrittenValues();
    void keepsWhatItDoesNotOwn();
    void keepsEachLineEnd();
    void keepsASecondByteOrderMark();
    void appendsToTheRightSection();
    void rejectsWhatItCannotRewrite_data();
    void rejectsWhatItCannotRewrite();
    void rejectsUnwritableNames_data();
    void rejectsUnwritableNames();
};

void tst_IniDocument::roundTrip_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("empty") << QString();
    QTest::newRow("plain") << QStringLiteral("notepad.exe");
    QTest::newRow("leading and trailing blanks") << QStringLiteral("  a b \t");
    QTest::newRow("only blanks") << QStringLiteral("   ");
    QTest::newRow("equals, semicolon, at, hash") << QStringLiteral("a=b; c @d #e");
    QTest::newRow("starts with semicolon") << QStringLiteral(";not a comment");
    QTest::newRow("commas") << QStringLiteral("a, b,c");
    QTest::newRow("backslashes") << QStringLiteral("C:\\Program Files\\x\\");
    QTest::newRow("quotes") << QStringLiteral("\"quoted\" and \\\"escaped\\\"");
    QTest::newRow("starts with quote") << QStringLiteral("\"");
    QTest::newRow("CR LF") << QStringLiteral("one\r\ntwo\rthree\nfour");
    QTest::newRow("tab and control") << QStringLiteral("a\tb\x01"
                                                       "c\x7f");
    QTest::newRow("japanese") << QStringLiteral("山田 太郎 ｶﾀｶﾅ");
    QTest::newRow("outside the BMP") << QStringLiteral("𠮷野家 🎉");
    QTest::newRow("lone surrogate") << QString(QChar(0xD800)) + QStringLiteral("x") + QChar(0xDC00);
    QTest::newRow("brackets") << QStringLiteral("[Option]");
    QTest::newRow("the word Error") << QStringLiteral("Error");
    QTest::newRow("byte-order mark") << QStringLiteral("\uFEFF\uFEFFx");
    QTest::newRow("escape lookalike") << QStringLiteral("\\u0041\\n");
}

void tst_IniDocument::roundTrip()
{
    QFETCH(QString, value);
    IniDocument doc;
    QVERIFY(doc.setValue(QStringLiteral("Option"), QStringLiteral("Key"), value));
    const QByteArray bytes = doc.serialize();
    QVERIFY2(!bytes.contains('\r') && bytes.count('\n') == 2, bytes.constData()); // section and one line

    const std::optional<IniDocument> again = IniDocument::parse(bytes);
    QVERIFY(again);
    QString read;
    QCOMPARE(again->value(QStringLiteral("Option"), QStringLiteral("Key"), &read),
             IniDocument::Lookup::Found);
    QCOMPARE(read, value);
}

void tst_IniDocument::handWrittenValues_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("expected");
    QTest::newRow("list") << QByteArray("Editor=a, b") << QStringLiteral("a, b");
    QTest::newRow("windows path") << QByteArray("Editor=C:\\x\\notepad.exe")
                                  << QStringLiteral("C:\\x\\notepad.exe");
    QTest::newRow("blanks around") << QByteArray("  Editor  =  gedit  ") << QStringLiteral("gedit");
    QTest::newRow("empty") << QByteArray("Editor=") << QString();
    QTest::newRow("key case") << QByteArray("EDITOR=kate") << QStringLiteral("kate");
    QTest::newRow("quoted") << QByteArray("Editor=\" x \"") << QStringLiteral(" x ");
    QTest::newRow("equals inside") << QByteArray("Editor=a=b") << QStringLiteral("a=b");
    QTest::newRow("utf-8") << QByteArray("Editor=\xE7\xB7\xA8\xE9\x9B\x86") << QStringLiteral("編集");
}

void tst_IniDocument::handWrittenValues()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, expected);
    const auto doc = IniDocument::parse("[option]\r\n" + line + "\r\n");
    QVERIFY(doc);
    QString read;
    QCOMPARE(doc->value(QStringLiteral("Option"), QStringLiteral("Editor"), &read),
             IniDocument::Lookup::Found);
    QCOMPARE(read, expected);
}

void tst_IniDocument::keepsWhatItDoesNotOwn()
{
    const QByteArray original = "\xEF\xBB\xBF; written by hand\r\n"
                                "[Option]\r\n"
                                "this line is not a setting\r\n"
                                "Broken=\"unterminated\r\n"
                                "Editor=kate\r\n"
                                "\r\n"
                                "[Other]\r\n"
                                "Editor=vim";
    auto doc = IniDocument::parse(original);
    QVERIFY(doc);
    QString v;
    QCOMPARE(doc->value(QStringLiteral("Option"), QStringLiteral("Broken"), &v),
             IniDocument::Lookup::Malformed);
    QCOMPARE(doc->value(QStringLiteral("Option"), QStringLiteral("Editor"), &v), IniDocument::Lookup::Found);
    QCOMPARE(v, QStringLiteral("kate"));
    QCOMPARE(doc->value(QStringLiteral("Other"), QStringLiteral("Editor"), &v), IniDocument::Lookup::Found);
    QCOMPARE(v, QStringLiteral("vim"));
    QCOMPARE(doc->value(QStringLiteral("Option"), QStringLiteral("Missing"), &v),
             IniDocument::Lookup::Missing);

    QVERIFY(doc->setValue(QStringLiteral("Option"), QStringLiteral("Editor"), QStringLiteral("gedit")));
    QCOMPARE(doc->serialize(), QByteArray(original).replace("Editor=kate", "Editor=gedit"));
}

void tst_IniDocument::keepsEachLineEnd()
{
    // Found by fuzzing: an extra CR before a line end was lost on rewrite.
    const QByteArray original = "[Option]\nA=1\n[x]\r\r\nB=2\r\n";
    auto doc = IniDocument::parse(original);
    QVERIFY(doc);
    QVERIFY(doc->setValue(QStringLiteral("x"), QStringLiteral("C"), QStringLiteral("3")));
    QCOMPARE(doc->serialize(), QByteArray("[Option]\nA=1\n[x]\r\r\nB=2\r\nC=3\n"));
    QString v;
    QCOMPARE(IniDocument::parse(doc->serialize())->value(QStringLiteral("x"), QStringLiteral("C"), &v),
             IniDocument::Lookup::Found);

    // And an unterminated last line with a CR is the same line once something follows it.
    doc = IniDocument::parse("[Option]\nA=1\n[Other]\r");
    QVERIFY(doc->setValue(QStringLiteral("Option"), QStringLiteral("C"), QStringLiteral("3")));
    QVERIFY(doc->setValue(QStringLiteral("Other"), QStringLiteral("D"), QStringLiteral("4")));
    const auto again = IniDocument::parse(doc->serialize());
    QCOMPARE(again->value(QStringLiteral("Option"), QStringLiteral("C"), &v), IniDocument::Lookup::Found);
    QCOMPARE(again->value(QStringLiteral("Other"), QStringLiteral("D"), &v), IniDocument::Lookup::Found);
}

void tst_IniDocument::keepsASecondByteOrderMark()
{
    // Found by fuzzing: the decoder ate a second mark, so a rewrite dropped three bytes.
    const QByteArray original = "\xEF\xBB\xBF\xEF\xBB\xBF[Option]\nA=1\n";
    auto doc = IniDocument::parse(original);
    QVERIFY(doc);
    QString v;
    QCOMPARE(doc->value(QStringLiteral("Option"), QStringLiteral("A"), &v), IniDocument::Lookup::Missing);
    QVERIFY(doc->setValue(QStringLiteral("Other"), QStringLiteral("B"), QStringLiteral("2")));
    QVERIFY(doc->serialize().startsWith(original));
}

void tst_IniDocument::appendsToTheRightSection()
{
    auto doc = IniDocument::parse("[Option]\nA=1\n\n[Other]\nB=2\n");
    QVERIFY(doc);
    QVERIFY(doc->setValue(QStringLiteral("Option"), QStringLiteral("C"), QStringLiteral("3")));
    QVERIFY(doc->setValue(QStringLiteral("New"), QStringLiteral("D"), QStringLiteral("4")));
    QCOMPARE(doc->serialize(), QByteArray("[Option]\nA=1\nC=3\n\n[Other]\nB=2\n\n[New]\nD=4\n"));
}

void tst_IniDocument::rejectsWhatItCannotRewrite_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("latin-1") << QByteArray("[Option]\nEditor=caf\xE9\n");
    QTest::newRow("shift_jis") << QByteArray("[Option]\nUserName=\x8E\x52\x93\x63\n");
    QTest::newRow("nul") << QByteArray("[Option]\nEditor=a\0b\n", 19);
    QTest::newRow("truncated utf-8") << QByteArray("[Option]\nEditor=\xE7\xB7");
}

void tst_IniDocument::rejectsWhatItCannotRewrite()
{
    QFETCH(QByteArray, bytes);
    QVERIFY(!IniDocument::parse(bytes));
}

void tst_IniDocument::rejectsUnwritableNames_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::newRow("empty key") << QStringLiteral("Option") << QString();
    QTest::newRow("equals in key") << QStringLiteral("Option") << QStringLiteral("a=b");
    QTest::newRow("bracket in section") << QStringLiteral("Op]tion") << QStringLiteral("Key");
    QTest::newRow("newline in key") << QStringLiteral("Option") << QStringLiteral("a\nb");
    QTest::newRow("comment key") << QStringLiteral("Option") << QStringLiteral(";key");
    QTest::newRow("blank around key") << QStringLiteral("Option") << QStringLiteral(" key");
}

void tst_IniDocument::rejectsUnwritableNames()
{
    QFETCH(QString, section);
    QFETCH(QString, key);
    IniDocument doc;
    QVERIFY(!doc.setValue(section, key, QStringLiteral("v")));
    QCOMPARE(doc.serialize(), QByteArray());
}

QTEST_APPLESS_MAIN(tst_IniDocument)
#include "tst_IniDocument.moc"
