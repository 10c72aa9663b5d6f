#include "NativeName.h"

#include <QTest>

// File names as the file system holds them: back to the same bytes always, and shown as a
// user reads them.
class tst_NativeName : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void names_data();
    void names();
};

void tst_NativeName::names_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("unicode");
    QTest::newRow("UTF-8") << QByteArray("/s/日本語.vbs") << "/s/日本語.vbs" << true;
    QTest::newRow("a byte that is not UTF-8")
        << QByteArray("/s/bad\x80.vbs") << "/s/bad\uFFFD.vbs (文字コード不明)" << false;
    QTest::newRow("U+FFFD itself, a name of its own")
        << QByteArray("/s/bad\xef\xbf\xbd.vbs") << "/s/bad\uFFFD.vbs" << true;
    QTest::newRow("code page 932 in one element, UTF-8 in the other")
        << QByteArray("/スクリプト/\x83\x65\x83\x58\x83\x67.vbs") << "/スクリプト/テスト.vbs" << false;
    QTest::newRow("a byte-order mark is part of the name") << QByteArray("\xef\xbb\xbf"
                                                                         "a.vbs")
                                                           << QString(QChar(0xFEFF)) + "a.vbs" << true;
    QTest::newRow("outside the first plane, in UTF-8")
        << QByteArray("/s/\xf0\x9f\x98\x80\xf3\x87\x82\x87.vbs")
        << QString::fromUtf8("/s/😀\xf3\x87\x82\x87.vbs") << true;
    QTest::newRow("outside the first plane, beside a bad byte")
        << QByteArray("/s/\xff\xf0\x9f\x98\x80\xf4\x80\x80\x80.vbs")
        << QString::fromUtf8("/s/\xef\xbf\xbd😀\xf4\x80\x80\x80.vbs (文字コード不明)") << false;
    QTest::newRow("code page 932 that reads as a private-use character")
        << QByteArray("/s/\xf0\x40.vbs") << "/s/\uFFFD@.vbs (文字コード不明)" << false;
    QTest::newRow("code page 932 with a control character") << QByteArray("/s/\x01\x83\x65.vbs")
                                                            << "/s/\x01\uFFFD"
                                                               "e.vbs (文字コード不明)"
                                                            << false;
    QTest::newRow("a lead byte cut off") << QByteArray("/s/a\x83") << "/s/a\uFFFD (文字コード不明)" << false;
}

void tst_NativeName::names()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, shown);
    QFETCH(bool, unicode);
    const QString name = NativeName::fromBytes(bytes);
    QCOMPARE(NativeName::toBytes(name), bytes);
    QCOMPARE(NativeName::isUnicode(name), unicode);
    QCOMPARE(NativeName::display(name), shown);
}

QTEST_APPLESS_MAIN(tst_NativeName)
#include "tst_NativeName.moc"
