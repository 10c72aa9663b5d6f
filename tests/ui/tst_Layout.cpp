#include "Fonts.h"
#include "TestBench.h"
#include "frmAbout.h"
#include "frmEdit.h"
#include "frmOption.h"
#include "frmSplash.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

// Every window at the font sizes Japanese desktops use, under a Japanese locale: the
// interface font is a proportional Japanese face, and no caption is cut or covered.
class tst_Layout : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanup();
    void interfaceFontIsProportionalJapanese_data();
    void interfaceFontIsProportionalJapanese();
    void windowFontsFollowTheInterfaceFont_data();
    void windowFontsFollowTheInterfaceFont();
    void nothingIsClipped_data();
    void nothingIsClipped();
    void windowsKeepTheirProportions_data();
    void windowsKeepTheirProportions();

private:
    QWidget* open(const QString& window);
    FakeServices m_fakes;
    TestBench m_bench{m_fakes};
    QTemporaryDir m_dir;
    QFont m_desktop;
    QList<QPointer<QWidget>> m_windows;
};

namespace {

// The application font as a desktop set to `points` would give it to the program.
void useDesktopFont(const QFont& desktop, qreal points)
{
    QFont f = desktop;
    f.setPointSizeF(points);
    QApplication::setFont(Fonts::interfaceFont(f));
}

QString visibleText(QString text)
{
    // "&S" shows as an underlined S; "&&" as one ampersand.
    return text.replace(QStringLiteral("&&"), QStringLiteral("\x01")).remove(u'&').replace(u'\x01', u'&');
}

QString where(const QWidget* w)
{
    return w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName();
}

// What a user would see cut or covered in `window`, one line each.
QStringList clipped(QWidget* window)
{
    QStringList faults;
    auto fault = [&](const QWidget* w, const QString& what) {
        faults.append(where(w) + QStringLiteral(": ") + what);
    };
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(window) || w->isWindow())
            continue;
        const QFontMetrics fm = w->fontMetrics();
        QStyle* style = w->style();
        if (w->parentWidget() && !w->parentWidget()->rect().contains(w->geometry()))
            fault(w, QStringLiteral("reaches out of %1").arg(where(w->parentWidget())));
        auto* tool = qobject_cast<QToolButton*>(w);
        const bool showsText = !tool || tool->toolButtonStyle() != Qt::ToolButtonIconOnly;
        if (auto* b = qobject_cast<QAbstractButton*>(w); b && showsText && !b->text().isEmpty()) {
            QStyleOptionButton opt;
            opt.initFrom(b);
            opt.text = b->text();
            const QStyle::SubElement inner = qobject_cast<QRadioButton*>(b) ? QStyle::SE_RadioButtonContents
                                             : qobject_cast<QCheckBox*>(b)  ? QStyle::SE_CheckBoxContents
                                                                            : QStyle::SE_PushButtonContents;
            const QRect room = style->subElementRect(inner, &opt, b);
            const int width = fm.horizontalAdvance(visibleText(b->text()));
            if (width > room.width())
                fault(
                    w,
                    QStringLiteral("「%1」 needs %2 px, has %3").arg(b->text()).arg(width).arg(room.width()));
            if (fm.height() > b->height())
                fault(w, QStringLiteral("「%1」 is %2 px high, the button %3")
                             .arg(b->text())
                             .arg(fm.height())
                             .arg(b->height()));
        } else if (auto* l = qobject_cast<QLabel*>(w); l && !l->text().isEmpty()) {
            const QRect room = l->contentsRect();
            if (l->wordWrap()) {
                if (l->heightForWidth(l->width()) > l->height())
                    fault(w, QStringLiteral("「%1」 needs %2 px of height, has %3")
                                 .arg(l->text())
                                 .arg(l->heightForWidth(l->width()))
                                 .arg(l->height()));
            } else {
                const int width = fm.horizontalAdvance(visibleText(l->text()));
                if (width > room.width())
                    fault(w, QStringLiteral("「%1」 needs %2 px, has %3")
                                 .arg(l->text())
                                 .arg(width)
                                 .arg(room.width()));
                if (fm.height() > room.height())
                    fault(w, QStringLiteral("「%1」 is %2 px high, the label %3")
                                 .arg(l->text())
                                 .arg(fm.height())
                                 .arg(room.height()));
            }
        } else if (qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w)) {
            if (w->minimumSizeHint().height() > w->height())
                fault(w, QStringLiteral("needs %1 px of height, has %2")
                             .arg(w->minimumSizeHint().height())
                             .arg(w->height()));
        }
        if (auto* g = qobject_cast<QGroupBox*>(w)) {
            // The caption sits in the frame's top margin; no control may reach into it.
            for (QWidget* c : g->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                if (c->isVisibleTo(window) && !g->contentsRect().contains(c->geometry()))
                    fault(c, QStringLiteral("covers the caption or border of %1").arg(where(g)));
            if (!g->title().isEmpty() && fm.horizontalAdvance(g->title()) > g->contentsRect().width())
                fault(g, QStringLiteral("caption 「%1」 is wider than the frame").arg(g->title()));
        }
    }
    return faults;
}

} // namespace

void tst_Layout::initTestCase()
{
    installFontSubstitutes();
    m_desktop = QApplication::font();
}

void tst_Layout::cleanup()
{
    for (const QPointer<QWidget>& w : std::as_const(m_windows))
        delete w.data();
    m_windows.clear();
    delete m_bench.editor.window();
    QApplication::setFont(m_desktop);
}

QWidget* tst_Layout::open(const QString& window)
{
    QWidget* w = nullptr;
    if (window == QLatin1String("main")) {
        w = new frmMain(m_bench.workbench);
    } else if (window == QLatin1String("options")) {
        w = new frmOption(m_fakes.services());
    } else if (window == QLatin1String("About")) {
        w = new frmAbout(m_fakes.services());
    } else if (window == QLatin1String("splash")) {
        w = new frmSplash([]() -> QWidget* { return nullptr; });
    } else if (window == QLatin1String("editor")) {
        const QString path = m_dir.filePath(QStringLiteral("a.vbs"));
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write("WScript.Echo 1\r\n");
        f.close();
        m_bench.editor.openFile(path);
        return m_bench.editor.window();
    }
    m_windows.append(w);
    w->show();
    if (auto* timer = w->findChild<QTimer*>(QStringLiteral("Timer1")))
        timer->stop(); // the splash stays for as long as the test looks at it
    return w;
}

void tst_Layout::interfaceFontIsProportionalJapanese_data()
{
    QTest::addColumn<QString>("family"); // empty: what the locale's desktop gives
    QTest::newRow("the Japanese locale's default") << QString();
    QTest::newRow("a Latin face") << "DejaVu Sans";
    QTest::newRow("a fixed-pitch Japanese face") << "IPAGothic";
    QTest::newRow("the proportional face itself") << "IPAPGothic";
}

void tst_Layout::interfaceFontIsProportionalJapanese()
{
    QFETCH(QString, family);
    QFont desktop = m_desktop;
    if (!family.isEmpty())
        desktop.setFamily(family);
    desktop.setPointSizeF(11);
    const QFont f = Fonts::interfaceFont(desktop);
    const QFontInfo info(f);
    QVERIFY2(!info.fixedPitch(), qPrintable(info.family()));
    QVERIFY2(QStringList({"IPA Pゴシック", "IPAPGothic", "Noto Sans CJK JP"}).contains(info.family()),
             qPrintable(info.family()));
    QCOMPARE(f.pointSizeF(), 11.0);
}

void tst_Layout::windowFontsFollowTheInterfaceFont_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QStringList>("families"); // what fontconfig may give for it
    QTest::addColumn<qreal>("points");         // at a 9 pt desktop
    const QStringList gothic{"IPA Pゴシック", "IPAPGothic", "Noto Sans CJK JP"};
    const QStringList arial{"Liberation Sans"};
    QTest::newRow("preview") << "main"
                             << "fldViewSrc" << gothic << 9.75;
    QTest::newRow("a button") << "main"
                              << "btnRun" << gothic << 9.0;
    QTest::newRow("options label") << "options"
                                   << "Label1" << gothic << 11.25;
    QTest::newRow("About version") << "About"
                                   << "lblVersion" << gothic << 11.25;
    QTest::newRow("About description") << "About"
                                       << "lblDescription" << gothic << 9.0;
    QTest::newRow("About link") << "About"
                                << "lblURL" << arial << 9.75;
    QTest::newRow("About title") << "About"
                                 << "lblTitle" << arial << 14.25;
    QTest::newRow("splash") << "splash"
                            << "lblCopyright" << arial << 9.75;
    // The script itself in the fixed-width twin, so that its columns line up.
    QTest::newRow("editor") << "editor"
                            << "fldEditSrc"
                            << QStringList{"IPAゴシック", "IPAGothic", "Noto Sans Mono CJK JP"} << 11.25;
}

void tst_Layout::windowFontsFollowTheInterfaceFont()
{
    QFETCH(QString, window);
    QFETCH(QString, control);
    QFETCH(QStringList, families);
    QFETCH(qreal, points);
    for (const qreal desktop : {9.0, 14.0}) {
        useDesktopFont(m_desktop, desktop);
        QWidget* w = open(window)->findChild<QWidget*>(control);
        QVERIFY(w);
        const QFontInfo info(w->font());
        QVERIFY2(families.contains(info.family()), qPrintable(info.family()));
        if (control != QStringLiteral("fldEditSrc"))
            QVERIFY(!info.fixedPitch());
        QCOMPARE(w->font().pointSizeF(), points * desktop / 9);
        cleanup();
    }
}

void tst_Layout::nothingIsClipped_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<qreal>("points");
    for (const char* window : {"main", "options", "About", "splash", "editor"})
        for (const qreal points : {9.0, 11.0, 14.0})
            QTest::addRow("%s, %g pt", window, points) << QString::fromLatin1(window) << points;
}

void tst_Layout::nothingIsClipped()
{
    QFETCH(QString, window);
    QFETCH(qreal, points);
    useDesktopFont(m_desktop, points);
    QWidget* w = open(window);
    QVERIFY(QTest::qWaitForWindowExposed(w));
    const QStringList faults = clipped(w);
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral("\n"))));
}

void tst_Layout::windowsKeepTheirProportions_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QSize>("twips"); // the design's client area
    QTest::newRow("main") << "main" << QSize(9630, 6195);
    QTest::newRow("options") << "options" << QSize(5835, 3720);
    QTest::newRow("About") << "About" << QSize(5730, 4035);
    QTest::newRow("splash") << "splash" << QSize(7380, 4245);
}

void tst_Layout::windowsKeepTheirProportions()
{
    QFETCH(QString, window);
    QFETCH(QSize, twips);
    int lastWidth = 0;
    for (const qreal points : {9.0, 11.0, 14.0}) {
        useDesktopFont(m_desktop, points);
        QWidget* w = open(window);
        const QWidget* client =
            window == QLatin1String("main") ? w->findChild<QWidget*>(QStringLiteral("frmMainClient")) : w;
        const QSize size = client->size();
        // At the design's size with the design's font, larger with a larger one.
        if (points == 9.0)
            QCOMPARE(size, twips / 15);
        QVERIFY2(size.width() > lastWidth, qPrintable(QString::number(size.width())));
        lastWidth = size.width();
        QVERIFY2(qAbs(size.height() - qRound(qreal(size.width()) * twips.height() / twips.width())) <= 1,
                 qPrintable(QStringLiteral("%1 x %2").arg(size.width()).arg(size.height())));
        cleanup();
    }
}

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    tst_Layout t;
    return QTest::qExec(&t, argc, argv);
}
#include "tst_Layout.moc"
