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
    void rewrites_data();
    void rewrites();
    void rejectsUnwritableNames();
};

void tst_IniDocument::roundTrip_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("empty") << QString();
    QTest::newRow("plain") << QStringLiteral("notepad.exe");
    QTest::newRow("leading and trailing blanks") << QStringLiteral("  a b \t");
    QTest::newRow("only blanks") << QStringLiteral("   ");
    QTest::newRow("signs, brackets, commas") << QStringLiteral("[Option] a=b; c @d #e, f,g Error");
    QTest::newRow("starts with semicolon") << QStringLiteral(";not a comment");
    QTest::newRow("backslashes and quotes") << QStringLiteral("C:\\x\\ \"q\" \\\"e\\\" \\u0041\\n\\");
    QTest::newRow("starts with quote") << QStringLiteral("\"");
    QTest::newRow("CR LF") << QStringLiteral("one\r\ntwo\rthree\nfour");
    QTest::newRow("tab and control") << QStringLiteral("a\tb\x01"
                                                       "c\x7f");
    QTest::newRow("japanese, outside the BMP") << QStringLiteral("山田 太郎 ｶﾀｶﾅ 𠮷野家 🎉");
    QTest::newRow("lone surrogates") << QString(QChar(0xD800)) + QStringLiteral("x") + QChar(0xDC00) +
                                            QChar(0xD800);
    QTest::newRow("byte-order mark") << QStringLiteral("\uFEFF\uFEFFx");
}

void tst_IniDocument::roundTrip()
{
    QFETCH(QString, value);
    IniDocument doc;
    QVERIFY(doc.setValue("Option", "Key", value));
    const QByteArray bytes = doc.serialize();
    QVERIFY2(!bytes.contains('\r') && bytes.count('\n') == 2, bytes.constData()); // section and one line

    const std::optional<IniDocument> again = IniDocument::parse(bytes);
    QVERIFY(again);
    QString read;
    QCOMPARE(again->value("Option", "Key", &read), IniDocument::Lookup::Found);
    QCOMPARE(read, value);
}

void tst_IniDocument::handWrittenValues_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("expected"); // null: the file is refused, it could not be rewritten
    QTest::newRow("list") << QByteArray("Editor=a, b") << QStringLiteral("a, b");
    QTest::newRow("windows path") << QByteArray("Editor=C:\\x\\notepad.exe")
                                  << QStringLiteral("C:\\x\\notepad.exe");
    QTest::newRow("blanks around") << QByteArray("  Editor  =  gedit  ") << QStringLiteral("gedit");
    QTest::newRow("empty") << QByteArray("Editor=") << QString("");
    QTest::newRow("key case") << QByteArray("EDITOR=kate") << QStringLiteral("kate");
    QTest::newRow("quoted") << QByteArray("Editor=\" x \"") << QStringLiteral(" x ");
    QTest::newRow("equals inside") << QByteArray("Editor=a=b") << QStringLiteral("a=b");
    QTest::newRow("utf-8") << QByteArray("Editor=\xE7\xB7\xA8\xE9\x9B\x86") << QStringLiteral("編集");
    QTest::newRow("latin-1") << QByteArray("Editor=caf\xE9") << QString();
    QTest::newRow("shift_jis") << QByteArray("UserName=\x8E\x52\x93\x63") << QString();
    QTest::newRow("nul") << QByteArray("Editor=a\0b", 10) << QString();
    QTest::newRow("truncated utf-8") << QByteArray("Editor=\xE7\xB7") << QString();
}

void tst_IniDocument::handWrittenValues()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, expected);
    const auto doc = IniDocument::parse("[option]\r\n" + line + "\r\n");
    QCOMPARE(bool(doc), !expected.isNull());
    if (!doc)
        return;
    QString read;
    QCOMPARE(doc->value("Option", "Editor", &read), IniDocument::Lookup::Found);
    QCOMPARE(read, expected);
}

namespace {
const QByteArray HandWritten = "\xEF\xBB\xBF; written by hand\r\n[Option]\r\nthis line is not a setting\r\n"
                               "Broken=\"unterminated\r\nEditor=kate\r\n\r\n[Other]\r\nEditor=vim";
}

void tst_IniDocument::keepsWhatItDoesNotOwn()
{
    const auto doc = IniDocument::parse(HandWritten);
    QVERIFY(doc);
    QString v;
    QCOMPARE(doc->value("Option", "Broken", &v), IniDocument::Lookup::Malformed);
    QCOMPARE(doc->value("Option", "Missing", &v), IniDocument::Lookup::Missing);
    QCOMPARE(doc->value("Other", "Editor", &v), IniDocument::Lookup::Found);
    QCOMPARE(v, "vim");
}

void tst_IniDocument::rewrites_data()
{
    QTest::addColumn<QByteArray>("original");
    QTest::addColumn<QStringList>("edits"); // section/key=value
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("what it does not own is kept") << HandWritten << QStringList{"Option/Editor=gedit"}
                                                  << QByteArray(HandWritten).replace("=kate", "=gedit");
    QTest::newRow("into the right section, a new one after a blank")
        << QByteArray("[Option]\nA=1\n\n[Other]\nB=2\n") << QStringList{"Option/C=3", "New/D=4"}
        << QByteArray("[Option]\nA=1\nC=3\n\n[Other]\nB=2\n\n[New]\nD=4\n");
    QTest::newRow("each line keeps its end, an extra CR too")
        << QByteArray("[Option]\nA=1\n[x]\r\r\nB=2\r\n") << QStringList{"x/C=3"}
        << QByteArray("[Option]\nA=1\n[x]\r\r\nB=2\r\nC=3\n");
    QTest::newRow("an unterminated last line with a CR")
        << QByteArray("[Option]\nA=1\n[Other]\r") << QStringList{"Option/C=3", "Other/D=4"}
        << QByteArray("[Option]\nA=1\nC=3\n[Other]\r\nD=4");
    QTest::newRow("an empty first line") << QByteArray("\n[Option]\r\nA=1\r\n") << QStringList{"Option/B=2"}
                                         << QByteArray("\n[Option]\r\nA=1\r\nB=2\n");
    QTest::newRow("a second byte-order mark is text")
        << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF[Option]\nA=1\n") << QStringList{"Option/B=2"}
        << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF[Option]\nA=1\n\n[Option]\nB=2\n");
}

void tst_IniDocument::rewrites()
{
    QFETCH(QByteArray, original);
    QFETCH(QStringList, edits);
    QFETCH(QByteArray, expected);
    auto doc = IniDocument::parse(original);
    QVERIFY(doc);
    for (const QString& e : edits)
        QVERIFY(
            doc->setValue(e.section(u'/', 0, 0), e.section(u'/', 1).section(u'=', 0, 0), e.section(u'=', 1)));
    QCOMPARE(doc->serialize(), expected);
}

void tst_IniDocument::rejectsUnwritableNames()
{
    IniDocument doc;
    for (const auto& [section, key] : std::initializer_list<std::pair<QString, QString>>{{"Option", ""},
                                                                                         {"Option", "a=b"},
                                                                                         {"Op]tion", "Key"},
                                                                                         {"Option", "a\nb"},
                                                                                         {"Option", ";key"},
                                                                                         {"Option", " key"}})
        QVERIFY2(!doc.setValue(section, key, "v"), qPrintable(section + u'/' + key));
    QCOMPARE(doc.serialize(), QByteArray());
}

QTEST_APPLESS_MAIN(tst_IniDocument)
#include "tst_IniDocument.moc"
