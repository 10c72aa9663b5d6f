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
    void topics_data();
    void topics();
    void contents_data();
    void contents();
    void decodeHtml_data();
    void decodeHtml();
};

namespace {

QByteArray record(quint16 code, const QByteArray& data)
{
    QByteArray r(4, '\0');
    qToLittleEndian<quint16>(code, r.data());
    qToLittleEndian<quint16>(quint16(data.size()), r.data() + 2);
    return r + data;
}

QByteArray cp932(const QString& s)
{
    QStringEncoder enc("CP932");
    return enc.encode(s);
}

QByteArray pairs(const QList<QPair<quint32, quint32>>& entries)
{
    QByteArray out(4, '\0');
    qToLittleEndian<quint32>(quint32(entries.size() * 8), out.data());
    for (const auto& [id, offset] : entries) {
        QByteArray p(8, '\0');
        qToLittleEndian<quint32>(id, p.data());
        qToLittleEndian<quint32>(offset, p.data() + 4);
        out += p;
    }
    return out;
}

} // namespace

void tst_ChmTables::system_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("defaultTopic");
    QTest::addColumn<QString>("contentsFile");
    const QByteArray version("\x03\0\0\0", 4);
    QTest::newRow("as a compiler writes it, the title in UTF-8")
        << version + record(9, "HHA Version 4.74.8702\0") + record(2, QByteArray("index.html\0", 11)) +
               record(3, QString::fromUtf8("Quilletの使い方").toUtf8() + '\0') +
               record(0, QByteArray("quillet.hhc\0", 12))
        << "Quilletの使い方"
        << "index.html"
        << "quillet.hhc";
    QTest::newRow("a Japanese title in code page 932, a topic with a slash")
        << version + record(3, cp932(QStringLiteral("ﾍﾙﾌﾟの目次")) + '\0') + record(2, "/start.htm")
        << "ﾍﾙﾌﾟの目次"
        << "start.htm" << QString();
    QTest::newRow("a record longer than the data: what came before it stays")
        << version + record(2, "a.htm") + QByteArray("\x03\0\xff\x7f", 4) + "Title" << QString() << "a.htm"
        << QString();
    QTest::newRow("nothing") << QByteArray() << QString() << QString() << QString();
    QTest::newRow("a version alone, a cut header")
        << version + QByteArray("\x02\0", 2) << QString() << QString() << QString();
}

void tst_ChmTables::system()
{
    QFETCH(QByteArray, data);
    QFETCH(QString, title);
    QFETCH(QString, defaultTopic);
    QFETCH(QString, contentsFile);
    const ChmTables::System s = ChmTables::system(data);
    QCOMPARE(s.title, title);
    QCOMPARE(s.defaultTopic, defaultTopic);
    QCOMPARE(s.contentsFile, contentsFile);
}

void tst_ChmTables::topics_data()
{
    QTest::addColumn<QByteArray>("ivb");
    QTest::addColumn<QByteArray>("strings");
    QTest::addColumn<QStringList>("expected"); // "id=page", sorted
    const QByteArray strings("\0/drive.html\0/edit.html\0", 24);
    QTest::newRow("two topics") << pairs({{230, 1}, {240, 13}}) << strings
                                << QStringList{"230=/drive.html", "240=/edit.html"};
    QTest::newRow("an offset past the strings is no topic")
        << pairs({{230, 1}, {250, 4000}}) << strings << QStringList{"230=/drive.html"};
    QTest::newRow("a cut pair is left out")
        << pairs({{230, 1}}) + QByteArray("\x01\x02\x03", 3) << strings << QStringList{"230=/drive.html"};
    QTest::newRow("a string without its end")
        << pairs({{260, 0}}) << QByteArray("/folder.html") << QStringList{"260=/folder.html"};
    QTest::newRow("nothing") << QByteArray() << QByteArray() << QStringList{};
}

void tst_ChmTables::topics()
{
    QFETCH(QByteArray, ivb);
    QFETCH(QByteArray, strings);
    QFETCH(QStringList, expected);
    const QHash<quint32, QString> t = ChmTables::topics(ivb, strings);
    QStringList got;
    for (auto it = t.cbegin(); it != t.cend(); ++it)
        got.append(QString::number(it.key()) + u'=' + it.value());
    got.sort();
    QCOMPARE(got, expected);
}

void tst_ChmTables::contents_data()
{
    QTest::addColumn<QString>("sitemap");
    QTest::addColumn<QStringList>("expected"); // "depth|name|local"
    QTest::newRow("flat, as the manual's")
        << QStringLiteral(
               "<UL>\n  <LI> <OBJECT type=\"text/sitemap\">\n    <param name=\"Name\" value=\"はじめに\">\n"
               "    <param name=\"Local\" value=\"index.html\">\n  </OBJECT>\n"
               "  <LI> <OBJECT type=\"text/sitemap\">\n    <param name=\"Name\" value=\"ドライブの選択\">\n"
               "    <param name=\"Local\" value=\"drive.html\">\n  </OBJECT>\n</UL>")
        << QStringList{"0|はじめに|index.html", "0|ドライブの選択|drive.html"};
    QTest::newRow("nested, a book without a page, attributes in any case and quoting")
        << QStringLiteral(
               "<ul><li><object type='text/sitemap'><PARAM NAME='Name' VALUE='操作'></object>"
               "<ul><li><object type=text/sitemap><param value=\"run.html#top\" name=\"Local\">"
               "<param name=Name value=\"実行 &amp; 終了 &#x41;&#66;\"></object></ul>"
               "<li><object type=\"text/sitemap\"><param name=\"Name\" value=\"  鍵  \"></object></ul>")
        << QStringList{"0|操作|", "1|実行 & 終了 AB|run.html#top", "0|鍵|"};
    QTest::newRow("an entry without a name is left out, a bad entity kept visible")
        << QStringLiteral("<ul><li><object><param name=Local value=a.htm></object>"
                          "<li><object><param name=Name value=\"x &#0; y\"></object></ul>")
        << QStringList{"0|x \uFFFD y|"};
    QTest::newRow("unbalanced lists and an unended entry")
        << QStringLiteral("</ul></ul><object><param name=Name value=a></object><ul><ul><ul><object><param "
                          "name=Name value=b>")
        << QStringList{"0|a|"};
    QTest::newRow("nothing") << QString() << QStringList{};
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

void tst_ChmTables::decodeHtml_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");
    const QString text = QStringLiteral("①ﾍﾙﾌﾟ目次");
    const QByteArray sjisMeta("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">");
    QTest::newRow("Shift_JIS named: code page 932, its circled numbers too")
        << sjisMeta + cp932(text) << QString::fromLatin1(sjisMeta) + text;
    QTest::newRow("UTF-8 named") << QByteArray("<meta charset=\"utf-8\">") + text.toUtf8()
                                 << "<meta charset=\"utf-8\">" + text;
    QTest::newRow("nothing named, valid UTF-8") << text.toUtf8() << text;
    QTest::newRow("nothing named, code page 932") << cp932(text) << text;
    QTest::newRow("UTF-8 named but not UTF-8: code page 932")
        << QByteArray("<meta charset=\"utf-8\">") + cp932(text) << "<meta charset=\"utf-8\">" + text;
}

void tst_ChmTables::decodeHtml()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    QCOMPARE(ChmTables::decodeHtml(bytes), expected);
}

QTEST_GUILESS_MAIN(tst_ChmTables)
#include "tst_ChmTables.moc"
