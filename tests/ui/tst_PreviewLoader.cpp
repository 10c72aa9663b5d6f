#include "PreviewLoader.h"

#include <QFile>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>

namespace {

// Each line of the preview as its runs, [attributes:text], so a table row states text,
// formatting and where lines break at once.
QStringList describe(const QTextDocument& doc)
{
    QStringList lines;
    for (QTextBlock b = doc.firstBlock(); b.isValid(); b = b.next()) {
        QString line;
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            QStringList attrs;
            if (f.fontWeight() == QFont::Bold)
                attrs << QStringLiteral("b");
            if (f.fontItalic())
                attrs << QStringLiteral("i");
            if (f.fontUnderline())
                attrs << QStringLiteral("u");
            if (f.fontPointSize() != 9)
                attrs << QString::number(f.fontPointSize());
            if (f.hasProperty(QTextFormat::ForegroundBrush))
                attrs << f.foreground().color().name();
            const QString text = it.fragment().text();
            line += u'[' + (attrs.isEmpty() ? QString() : attrs.join(u' ') + u':') +
                    (text.size() > 12 ? QString::number(text.size()) + QStringLiteral(" chars") : text) +
                    u']';
        }
        lines << line;
    }
    return lines;
}

QByteArray repeated(const QByteArray& piece, int times)
{
    QByteArray out;
    for (int i = 0; i < times; ++i)
        out += piece;
    return out;
}

} // namespace

class tst_PreviewLoader : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void richTextIsShownAsWritten_data();
    void richTextIsShownAsWritten();
    void richTextIsLaidOutOncePerPiece();
    void anotherFileDropsTheRestOfTheRichText();
    void controlCharactersShowAsDots();

private:
    QString write(const QString& name, const QByteArray& bytes);
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QPlainTextEdit> m_view;
    PreviewLoader* m_loader = nullptr;
};

void tst_PreviewLoader::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_view = std::make_unique<QPlainTextEdit>();
    QFont font = m_view->font();
    font.setPointSize(9);
    m_view->setFont(font);
    m_view->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_view->setUndoRedoEnabled(false);
    m_view->resize(449, 321);
    m_view->show();
    m_loader = new PreviewLoader(m_view.get());
}

QString tst_PreviewLoader::write(const QString& name, const QByteArray& bytes)
{
    const QString path = m_dir->path() + u'/' + name;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        return {};
    return path;
}

void tst_PreviewLoader::richTextIsShownAsWritten_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("paragraphs and formats")
        << QByteArray(
               R"({\rtf1{\colortbl;\red192\green0\blue0;}{\b a}{\i b}\par{\ul\fs28 c}\par\par {\cf1 d}})")
        << QStringList{"[b:a][i:b]", "[u 14:c]", "", "[#c00000:d]"};
    // A paragraph longer than a line of plain text is cut as plain text is.
    QTest::newRow("a long paragraph") << "{\\rtf1 " + repeated("x", 2500) + "{\\b y}}"
                                      << QStringList{"[1000 chars]", "[1000 chars]", "[500 chars][b:y]"};
    QTest::newRow("a long run at the end of a long line")
        << "{\\rtf1 " + repeated("x", 990) + "{\\i " + repeated("z", 20) + "}}"
        << QStringList{"[990 chars][i:zzzzzzzzzz]", "[i:zzzzzzzzzz]"};
    // A character outside the first plane is never cut in two, as in plain text.
    QTest::newRow("a pair of surrogates at the cut")
        << "{\\rtf1 " + repeated("x", 999) + "\\u-10179?\\u-8704?yz}" << QStringList{"[1001 chars]", "[yz]"};
    // So are lines with very many runs, which are slow to lay out and draw.
    QStringList manyRuns(2, repeated("[b:a][i:b]", 125));
    manyRuns << repeated("[b:a][i:b]", 50);
    QTest::newRow("a paragraph of 600 runs")
        << "{\\rtf1 " + repeated("{\\b a}{\\i b}", 300) + "}" << manyRuns;
    // More than the first piece: the rest follows from the event loop, in order.
    QStringList manyParagraphs;
    for (int i = 0; i < 3000; ++i)
        manyParagraphs << QStringLiteral("[b:%1][ plain]").arg(i);
    QByteArray many = "{\\rtf1 ";
    for (int i = 0; i < 3000; ++i)
        many += "{\\b " + QByteArray::number(i) + "} plain\\par ";
    QTest::newRow("3,000 paragraphs") << many + "}" << manyParagraphs;
}

void tst_PreviewLoader::richTextIsShownAsWritten()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QStringList, lines);
    QSignalSpy finished(m_loader, &PreviewLoader::finished);
    QCOMPARE(m_loader->load(write(QStringLiteral("a.vbs"), rtf)), PreviewLoader::Result::Loaded);
    QTRY_COMPARE(finished.size(), 1);
    QVERIFY(!m_loader->isLoading());
    QCOMPARE(describe(*m_view->document()), lines);
    // The preview stays at its top while the rest comes in.
    QCOMPARE(m_view->textCursor().position(), 0);
    QTest::qWait(20);
    QCOMPARE(finished.size(), 1);
}

// Each change of the document is a layout pass of the view; a run at a time, a paragraph of
// n runs was laid out n times, each pass as long as the paragraph.
void tst_PreviewLoader::richTextIsLaidOutOncePerPiece()
{
    const QString path =
        write(QStringLiteral("runs.vbs"), "{\\rtf1 " + repeated("{\\b a}{\\i b}", 1000) + "}");
    int passes = 0;
    connect(m_view->document(), &QTextDocument::contentsChange, this, [&passes] { ++passes; });
    QSignalSpy finished(m_loader, &PreviewLoader::finished);
    QCOMPARE(m_loader->load(path), PreviewLoader::Result::Loaded);
    QTRY_COMPARE(finished.size(), 1);
    QVERIFY2(passes <= 5, qPrintable(QString::number(passes)));
    QCOMPARE(m_view->document()->characterCount(), 2000 + 8); // 8 lines of 250 runs
}

void tst_PreviewLoader::anotherFileDropsTheRestOfTheRichText()
{
    QByteArray big = "{\\rtf1 ";
    for (int i = 0; i < 5000; ++i)
        big += "{\\b rich " + QByteArray::number(i) + "}\\par ";
    const QString rich = write(QStringLiteral("rich.vbs"), big + "}");
    const QString plain = write(QStringLiteral("plain.vbs"), "WScript.Echo 1\r\n");
    QSignalSpy finished(m_loader, &PreviewLoader::finished);
    m_loader->load(rich);
    QVERIFY(m_loader->isLoading());
    QCOMPARE(finished.size(), 0);
    QCOMPARE(m_view->document()->firstBlock().text(), QStringLiteral("rich 0"));
    m_loader->load(plain);
    QVERIFY(!m_loader->isLoading());
    QTest::qWait(50);
    QCOMPARE(m_view->toPlainText(), QStringLiteral("WScript.Echo 1\n"));
    QCOMPARE(finished.size(), 1);
    // And back: the rich text starts over.
    m_loader->load(rich);
    QTRY_VERIFY(!m_loader->isLoading());
    QCOMPARE(m_view->document()->blockCount(), 5000);
    QCOMPARE(m_view->document()->lastBlock().text(), QStringLiteral("rich 4999"));
}

// Control characters have no glyph in the preview's face, and a file of them kept the
// layout searching every installed font: they show as dots of its own.
void tst_PreviewLoader::controlCharactersShowAsDots()
{
    m_loader->load(write(QStringLiteral("zeros.vbs"), QByteArray("a\0\x01\tb\x1b\r\nc", 9)));
    QTRY_VERIFY(!m_loader->isLoading());
    QCOMPARE(m_view->toPlainText(), QStringLiteral("a\u30FB\u30FB\tb\u30FB\nc"));
}

QTEST_MAIN(tst_PreviewLoader)
#include "tst_PreviewLoader.moc"
