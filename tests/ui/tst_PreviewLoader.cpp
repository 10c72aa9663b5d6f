#include "PreviewLoader.h"
#include "TestFiles.h"

#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
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
            for (const auto& [on, name] : {std::pair{f.fontWeight() == QFont::Bold, "b"},
                                           {f.fontItalic(), "i"},
                                           {f.fontUnderline(), "u"}})
                if (on)
                    attrs << QString::fromLatin1(name);
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

} // namespace

class tst_PreviewLoader : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void richTextIsShownAsWritten_data();
    void richTextIsShownAsWritten();
    void anotherFileDropsTheRestOfTheRichText();

private:
    QString write(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_dir->filePath(name);
        return writeFile(path, bytes) ? path : QString();
    }
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QPlainTextEdit> m_view;
    PreviewLoader* m_loader = nullptr;
};

void tst_PreviewLoader::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_view = std::make_unique<QPlainTextEdit>();
    m_view->setFont(QFont(m_view->font().family(), 9));
    m_view->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_view->resize(449, 321);
    m_view->show();
    m_loader = new PreviewLoader(m_view.get());
}

void tst_PreviewLoader::richTextIsShownAsWritten_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("paragraphs and formats")
        << QByteArray(
               R"({\rtf1{\colortbl;\red192\green0\blue0;}{\b a}{\i b}\par{\ul\fs28 c}\par\par {\cf1 d}})")
        << QStringList{"[b:a][i:b]", "[u 14:c]", "", "[#c00000:d]"};
    // Long lines are cut as in plain text, never inside a pair of surrogates, and so are
    // lines of very many runs, which are slow to lay out and draw.
    QTest::newRow("a long paragraph") << "{\\rtf1 " + QByteArray("x").repeated(2500) + "{\\b y}}"
                                      << QStringList{"[1000 chars]", "[1000 chars]", "[500 chars][b:y]"};
    QTest::newRow("a pair of surrogates at the cut")
        << "{\\rtf1 " + QByteArray("x").repeated(999) + "\\u-10179?\\u-8704?yz}"
        << QStringList{"[1001 chars]", "[yz]"};
    QTest::newRow("a paragraph of 600 runs")
        << "{\\rtf1 " + QByteArray("{\\b a}{\\i b}").repeated(300) + "}"
        << QStringList{QString("[b:a][i:b]").repeated(125), QString("[b:a][i:b]").repeated(125),
                       QString("[b:a][i:b]").repeated(50)};
    // More than the first piece: the rest follows from the event loop, in order.
    QStringList manyParagraphs;
    QByteArray many = "{\\rtf1 ";
    for (int i = 0; i < 3000; ++i) {
        manyParagraphs << QStringLiteral("[b:%1][ plain]").arg(i);
        many += "{\\b " + QByteArray::number(i) + "} plain\\par ";
    }
    QTest::newRow("3,000 paragraphs") << many + "}" << manyParagraphs;
}

void tst_PreviewLoader::richTextIsShownAsWritten()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QStringList, lines);
    // Each change of the document is a layout pass of the view: a run at a time, a paragraph of
    // n runs was laid out n times, each pass as long as the paragraph.
    int passes = 0;
    connect(m_view->document(), &QTextDocument::contentsChange, this, [&passes] { ++passes; });
    QSignalSpy finished(m_loader, &PreviewLoader::finished);
    QCOMPARE(m_loader->load(write(QStringLiteral("a.vbs"), rtf)), PreviewLoader::Result::Loaded);
    QTRY_COMPARE(finished.size(), 1);
    QVERIFY(!m_loader->isLoading());
    QCOMPARE(describe(*m_view->document()), lines);
    QVERIFY2(lines.size() > 100 || passes <= 5, qPrintable(QString::number(passes)));
    QCOMPARE(m_view->textCursor().position(), 0); // at its top while the rest came in
    QTest::qWait(20);
    QCOMPARE(finished.size(), 1);
}

void tst_PreviewLoader::anotherFileDropsTheRestOfTheRichText()
{
    QByteArray big = "{\\rtf1 ";
    for (int i = 0; i < 5000; ++i)
        big += "{\\b rich " + QByteArray::number(i) + "}\\par ";
    const QString rich = write(QStringLiteral("rich.vbs"), big + "}");
    QSignalSpy finished(m_loader, &PreviewLoader::finished);
    m_loader->load(rich);
    QVERIFY(m_loader->isLoading());
    QCOMPARE(finished.size(), 0);
    QCOMPARE(m_view->document()->firstBlock().text(), QStringLiteral("rich 0"));
    // Control characters have no glyph in the preview's face, and a file of them kept the
    // layout searching every installed font: they show as dots of its own.
    m_loader->load(write(QStringLiteral("plain.vbs"), QByteArray("a\0\x01\tb\x1b\r\nc", 9)));
    QVERIFY(!m_loader->isLoading());
    QTest::qWait(50);
    QCOMPARE(m_view->toPlainText(), QStringLiteral("a\u30FB\u30FB\tb\u30FB\nc"));
    QCOMPARE(finished.size(), 1);
    // Nor does the last run's bold carry over.
    QVERIFY(!m_view->document()->firstBlock().begin().fragment().charFormat().font().bold());
    // And back: the rich text starts over.
    m_loader->load(rich);
    QTRY_VERIFY(!m_loader->isLoading());
    QCOMPARE(m_view->document()->blockCount(), 5000);
    QCOMPARE(m_view->document()->lastBlock().text(), QStringLiteral("rich 4999"));
}

QTEST_MAIN(tst_PreviewLoader)
#include "tst_PreviewLoader.moc"
