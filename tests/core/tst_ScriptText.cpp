#include "ScriptText.h"

#include <QTest>

// A file's bytes, a change to its text, and the bytes a save writes: every line the change
// did not touch keeps its bytes and its line end.
class tst_ScriptText : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void keepsWhatWasNotChanged_data();
    void keepsWhatWasNotChanged();
};

void tst_ScriptText::keepsWhatWasNotChanged_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("shown"); // the text the editor gets: the file's own line ends
    QTest::addColumn<QString>("edited");
    QTest::addColumn<QByteArray>("saved"); // empty: cannot be saved
    const QByteArray mixed("a\r\nb\nc\rd");
    QTest::newRow("untouched: every byte") << mixed << "a\r\nb\nc\rd"
                                           << "a\r\nb\nc\rd" << mixed;
    QTest::newRow("a line inserted takes the first line end")
        << mixed << "a\r\nb\nc\rd"
        << "a\nb\nnew\nc\nd" << QByteArray("a\r\nb\nnew\r\nc\rd");
    QTest::newRow("a line removed") << mixed << "a\r\nb\nc\rd"
                                    << "a\nc\nd" << QByteArray("a\r\nc\rd");
    QTest::newRow("the line before a lone CR removed") << mixed << "a\r\nb\nc\rd"
                                                       << "a\nb\nd" << QByteArray("a\r\nb\nd");
    QTest::newRow("a byte code page 932 lacks stays where untouched")
        << QByteArray("a\x80\r\nb\r\n") << "a\uFFFD\r\nb\r\n"
        << "a\uFFFD\r\nc\r\n"
        << QByteArray("a\x80\r\nc\r\n");
    QTest::newRow("lines swapped keep their own ends") << QByteArray("x\r\ny\nz\n") << "x\r\ny\nz\n"
                                                       << "y\nx\nz\n"
                                                       << QByteArray("y\nx\r\nz\n");
    QTest::newRow("a final line end added") << QByteArray("a\nb") << "a\nb"
                                            << "a\nb\n"
                                            << QByteArray("a\nb\n");
    QTest::newRow("everything replaced") << QByteArray("a\r\nb\r\n") << "a\r\nb\r\n"
                                         << "x" << QByteArray("x");
    QTest::newRow("uniform line ends: new lines take them, whatever was typed")
        << QByteArray("a\r\nb\r\n") << "a\r\nb\r\n"
        << "a\r\nb\nc\rd" << QByteArray("a\r\nb\r\nc\r\nd");
    QTest::newRow("an empty file: code page 932, CR LF") << QByteArray() << ""
                                                         << "ｱ\n1" << QByteArray("\xb1\r\n1");
    QTest::newRow("no line end at all: CR LF") << QByteArray("a") << "a"
                                               << "a\nb" << QByteArray("a\r\nb");
    QTest::newRow("UTF-16 LE, mark and line ends kept") << QByteArray("\xff\xfe"
                                                                      "a\0\n\0b\0\r\0\n\0",
                                                                      12)
                                                        << "a\nb\r\n"
                                                        << "a\nc\nb\n"
                                                        << QByteArray("\xff\xfe"
                                                                      "a\0\n\0c\0\n\0b\0\r\0\n\0",
                                                                      16);
    QTest::newRow("UTF-16 LE, an odd last byte, a line feed's")
        << QByteArray::fromHex("fffe61000a000a") << "a\n\uFFFD"
        << "b\n\uFFFD" << QByteArray::fromHex("fffe62000a000a");
    QTest::newRow("duplicate lines matched in order") << QByteArray("x\r\nx\ny\n") << "x\r\nx\ny\n"
                                                      << "x\nz\nx\ny\n"
                                                      << QByteArray("x\r\nz\r\nx\ny\n");
    QTest::newRow("a character code page 932 lacks") << QByteArray("a\r\n") << "a\r\n"
                                                     << "a\n한" << QByteArray();
    QTest::newRow("U+FFFD typed into code page 932 becomes ?") << QByteArray("a\r\n") << "a\r\n"
                                                               << "a\n\uFFFD" << QByteArray("a\r\n?");
}

void tst_ScriptText::keepsWhatWasNotChanged()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, shown);
    QFETCH(QString, edited);
    QFETCH(QByteArray, saved);
    ScriptText text(file);
    QCOMPARE(text.takeText(), shown);
    const std::optional<QByteArray> bytes = text.toBytes(edited);
    QCOMPARE(bytes.has_value(), !saved.isEmpty() || edited.isEmpty());
    if (bytes)
        QCOMPARE(*bytes, saved);
}

QTEST_APPLESS_MAIN(tst_ScriptText)
#include "tst_ScriptText.moc"
