#include "ChmTables.h"

#include <QStringEncoder>
#include <QTest>
#include <QtEndian>

// The help file's tables as a viewer reads them, from the bytes that help compilers write
// and from damaged ones.
class tst_ChmTables : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void system_data();
    void system();
    void topics();
    void contents_data();
    void contents();
    void decodeHtml();
};

namespace {

QByteArray record(quint16 code, const QByteArray& data)
{
    const quint16 head[] = {qToLittleEndian(code), qToLittleEndian(quint16(data.size()))};
    return QByteArray(reinterpret_cast<const char*>(head), 4) + data;
}

const auto cp932 = [](const QString& s) -> QByteArray { return QStringEncoder("CP932").encode(s); };

// Little-endian 32-bit words: the table's length in bytes, then id and offset pairs.
QByteArray words(std::initializer_list<quint32> values)
{
    QByteArray out(qsizetype(4 * values.size()), '\0');
    qToLittleEndian<quint32>(values.begin(), qsizetype(values.size()), out.data());
    return out;
}

} // namespace

void tst_ChmTables::system_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("expected"); // title|default topic|contents file
    const QByteArray version("\x03\0\0\0", 4);
    QTest::newRow("as a compiler writes it, the title in UTF-8")
        << version + record(9, "HHA Version 4.74.8702\0") + record(2, QByteArray("index.html\0", 11)) +
               record(3, QStringLiteral("Quilletの使い方").toUtf8() + '\0') +
               record(0, QByteArray("quillet.hhc\0", 12))
        << "Quilletの使い方|index.html|quillet.hhc";
    QTest::newRow("a title in code page 932, a topic with a slash")
        << version + record(3, cp932(QStringLiteral("ﾍﾙﾌﾟの目次")) + '\0') + record(2, "/start.htm")
        << "ﾍﾙﾌﾟの目次|start.htm|";
    QTest::newRow("a record longer than the data: what came before it stays")
        << version + record(2, "a.htm") + QByteArray("\x03\0\xff\x7f", 4) + "Title"
        << "|a.htm|";
    QTest::newRow("a version alone, a cut header") << version + QByteArray("\x02\0", 2) << "||";
}

void tst_ChmTables::system()
{
    QFETCH(QByteArray, data);
    QFETCH(QString, expected);
    const ChmTables::System s = ChmTables::system(data);
    QCOMPARE(s.title + u'|' + s.defaultTopic + u'|' + s.contentsFile, expected);
}

void tst_ChmTables::topics()
{
    auto topics = [](const QByteArray& ivb, const QByteArray& strings) {
        const QHash<quint32, QString> t = ChmTables::topics(ivb, strings);
        QStringList got;
        for (auto it = t.cbegin(); it != t.cend(); ++it)
            got.append(QString::number(it.key()) + u'=' + it.value());
        got.sort();
        return got;
    };
    const QByteArray strings("\0/drive.html\0/edit.html\0", 24);
    QCOMPARE(topics(words({16, 230, 1, 240, 13}), strings),
             QStringList({"230=/drive.html", "240=/edit.html"}));
    // An offset past the strings and a cut pair are left out.
    QCOMPARE(topics(words({16, 230, 1, 250, 4000}) + "\x01\x02\x03", strings),
             QStringList{"230=/drive.html"});
    QCOMPARE(topics(words({8, 260, 0}), "/folder.html"), QStringList{"260=/folder.html"}); // no end
    QCOMPARE(topics({}, {}), QStringList{});
}

void tst_ChmTables::contents_data()
{
    QTest::addColumn<QString>("sitemap");
    QTest::addColumn<QStringList>("expected"); // "depth|name|local"
    QTest::newRow("flat, as the manual's")
        << QStringLiteral(
               "<UL>\n <LI> <OBJECT type=\"text/sitemap\">\n  <param name=\"Name\" value=\"はじめに\">\n"
               "  <param name=\"Local\" value=\"index.html\">\n </OBJECT>\n <LI><OBJECT>"
               "<param name=\"Name\" value=\"ドライブの選択\"><param name=\"Local\" "
               "value=\"drive.html\"></OBJECT></UL>")
        << QStringList{"0|はじめに|index.html", "0|ドライブの選択|drive.html"};
    QTest::newRow("nested, a book without a page, attributes in any case and quoting")
        << QStringLiteral(
               "<ul><li><object type='text/sitemap'><PARAM NAME='Name' VALUE='操作'></object>"
               "<ul><li><object type=text/sitemap><param value=\"run.html#top\" name=\"Local\">"
               "<param name=Name value=\"実行 &amp; 終了 &#x41;&#66;&lt;&gt;&quot;&apos;\"></object>"
               "</ul><li><object type=\"text/sitemap\"><param name=\"Name\" value=\"  鍵  \"></object></ul>")
        << QStringList{"0|操作|", "1|実行 & 終了 AB<>\"'|run.html#top", "0|鍵|"};
    QTest::newRow("an entry without a name is left out, a bad entity kept visible")
        << QStringLiteral("<ul><li><object><param name=Local value=a.htm></object>"
                          "<li><object><param name=Name value=\"x &#0; y\"></object></ul>")
        << QStringList{"0|x \uFFFD y|"};
    QTest::newRow("unbalanced lists and an unended entry")
        << QStringLiteral("</ul></ul><object><param name=Name value=a></object><ul><ul><ul><object><param "
                          "name=Name value=b>")
        << QStringList{"0|a|"};
}

void tst_ChmTables::contents()
{
    QFETCH(QString, sitemap);
    QFETCH(QStringList, expected);
    QStringList got;
    for (const ChmTables::Entry& e : ChmTables::contents(sitemap))
        got.append(QString::number(e.depth) + u'|' + e.name + u'|' + e.local);
    QCOMPARE(got, expected);
}

void tst_ChmTables::decodeHtml()
{
    const QString text = QStringLiteral("①ﾍﾙﾌﾟ目次");
    const QByteArray sjis("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">");
    const QByteArray utf8("<meta charset=\"utf-8\">");
    QCOMPARE(ChmTables::decodeHtml(sjis + cp932(text)), QString::fromLatin1(sjis) + text);
    QCOMPARE(ChmTables::decodeHtml(utf8 + text.toUtf8()), QString::fromLatin1(utf8) + text);
    QCOMPARE(ChmTables::decodeHtml(cp932(text)), text);
    QCOMPARE(ChmTables::decodeHtml(utf8 + cp932(text)),
             QString::fromLatin1(utf8) + text); // not UTF-8 after all
}

QTEST_GUILESS_MAIN(tst_ChmTables)
#include "tst_ChmTables.moc"
