#include "Fonts.h"
#include "TestBench.h"
#include "TestFiles.h"
#include "frmAbout.h"
#include "frmEdit.h"
#include "frmOption.h"
#include "frmSplash.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

// Every window at the font sizes Japanese desktops use, under a Japanese locale: the
// interface font is a proportional Japanese face, and no caption is cut or covered.
class tst_Layout : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanup();
    void windowFontsFollowTheInterfaceFont_data();
    void windowFontsFollowTheInterfaceFont();
    void nothingIsClipped_data();
    void nothingIsClipped();

private:
    QWidget* open(const QString& window);
    FakeServices m_fakes;
    TestBench m_bench{m_fakes};
    QTemporaryDir m_dir;
    QFont m_desktop;
    QPointer<QWidget> m_window; // one at a time
};

namespace {

// The application font as a desktop set to `points` of `family` would give it to the program.
void useDesktopFont(const QFont& desktop, qreal points, const char* family = nullptr)
{
    QFont f = desktop;
    f.setPointSizeF(points);
    if (family)
        f.setFamily(QString::fromLatin1(family));
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
    auto check = [&](const QWidget* w, const QString& what, int needs, int has) {
        if (needs > has)
            faults.append(
                QStringLiteral("%1: %2 needs %3 px, has %4").arg(where(w), what).arg(needs).arg(has));
    };
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(window) || w->isWindow())
            continue;
        const QFontMetrics fm = w->fontMetrics();
        if (w->parentWidget() && !w->parentWidget()->rect().contains(w->geometry()))
            faults.append(where(w) + QStringLiteral(": reaches out of ") + where(w->parentWidget()));
        auto* tool = qobject_cast<QToolButton*>(w);
        const bool showsText = !tool || tool->toolButtonStyle() != Qt::ToolButtonIconOnly;
        if (auto* b = qobject_cast<QAbstractButton*>(w); b && showsText && !b->text().isEmpty()) {
            QStyleOptionButton opt;
            opt.initFrom(b);
            opt.text = b->text();
            const QStyle::SubElement inner = qobject_cast<QRadioButton*>(b) ? QStyle::SE_RadioButtonContents
                                             : qobject_cast<QCheckBox*>(b)  ? QStyle::SE_CheckBoxContents
                                                                            : QStyle::SE_PushButtonContents;
            const QString what = QStringLiteral("「%1」").arg(b->text());
            check(w, what, fm.horizontalAdvance(visibleText(b->text())),
                  w->style()->subElementRect(inner, &opt, b).width());
            check(w, what + QStringLiteral(" in height"), fm.height(), b->height());
        } else if (auto* l = qobject_cast<QLabel*>(w); l && !l->text().isEmpty()) {
            const QString what = QStringLiteral("「%1」").arg(l->text());
            if (l->wordWrap()) {
                check(w, what + QStringLiteral(" in height"), l->heightForWidth(l->width()), l->height());
            } else {
                check(w, what, fm.horizontalAdvance(visibleText(l->text())), l->contentsRect().width());
                check(w, what + QStringLiteral(" in height"), fm.height(), l->contentsRect().height());
            }
        } else if (qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w)) {
            check(w, QStringLiteral("its text in height"), w->minimumSizeHint().height(), w->height());
        }
        if (auto* g = qobject_cast<QGroupBox*>(w)) {
            // The caption sits in the frame's top margin; no control may reach into it.
            for (QWidget* c : g->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                if (c->isVisibleTo(window) && !g->contentsRect().contains(c->geometry()))
                    faults.append(where(c) + QStringLiteral(": covers the caption or border of ") + where(g));
            check(g, QStringLiteral("caption 「%1」").arg(g->title()), fm.horizontalAdvance(g->title()),
                  g->contentsRect().width());
        }
    }
    return faults;
}

} // namespace

void tst_Layout::initTestCase()
{
    installFontSubstitutes();
    QApplication::setQuitOnLastWindowClosed(false);
    m_desktop = QApplication::font();
}

void tst_Layout::cleanup()
{
    delete m_window.data();
    delete m_bench.editor.window();
    QApplication::setFont(m_desktop);
}

QWidget* tst_Layout::open(const QString& window)
{
    if (window == QLatin1String("editor")) {
        const QString path = m_dir.filePath(QStringLiteral("a.vbs"));
        writeFile(path, "WScript.Echo 1\r\n");
        m_bench.editor.openFile(path);
        return m_bench.editor.window();
    }
    QWidget* w = window == QLatin1String("main")      ? static_cast<QWidget*>(new frmMain(m_bench.workbench))
                 : window == QLatin1String("options") ? new frmOption(m_fakes.services())
                 : window == QLatin1String("About") ? static_cast<QWidget*>(new frmAbout(m_fakes.services()))
                                                    : new frmSplash([]() -> QWidget* { return nullptr; });
    m_window = w;
    w->show();
    if (auto* timer = w->findChild<QTimer*>(QStringLiteral("Timer1")))
        timer->stop(); // the splash stays for as long as the test looks at it
    return w;
}

void tst_Layout::windowFontsFollowTheInterfaceFont_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QStringList>("families"); // what fontconfig may give for it
    QTest::addColumn<qreal>("points");         // at a 9 pt desktop
    const QStringList gothic{"IPA Pゴシック", "IPAPGothic", "Noto Sans CJK JP"};
    const QStringList arial{"Liberation Sans"};
    auto row = [](const char* window, const char* control, const QStringList& families, qreal points) {
        QTest::addRow("%s %s", window, control)
            << QString::fromLatin1(window) << QString::fromLatin1(control) << families << points;
    };
    row("main", "fldViewSrc", gothic, 9.75);
    row("main", "btnRun", gothic, 9.0);
    row("options", "Label1", gothic, 11.25);
    row("About", "lblVersion", gothic, 11.25);
    row("About", "lblDescription", gothic, 9.0);
    row("About", "lblURL", arial, 9.75);
    row("About", "lblTitle", arial, 14.25);
    row("splash", "lblCopyright", arial, 9.75);
    // The script itself in the fixed-width twin, so that its columns line up.
    row("editor", "fldEditSrc", {"IPAゴシック", "IPAGothic", "Noto Sans Mono CJK JP"}, 11.25);
}

void tst_Layout::windowFontsFollowTheInterfaceFont()
{
    QFETCH(QString, window);
    QFETCH(QString, control);
    QFETCH(QStringList, families);
    QFETCH(qreal, points);
    // Whatever face the desktop names: the locale's default, a Latin one, a fixed-pitch Japanese one.
    for (const auto& [desktop, family] :
         {std::pair<qreal, const char*>{9.0, nullptr}, {11.0, "DejaVu Sans"}, {14.0, "IPAGothic"}}) {
        useDesktopFont(m_desktop, desktop, family);
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
    QTest::addColumn<QSize>("twips"); // the design's client area
    QTest::newRow("main") << "main" << QSize(9630, 6195);
    QTest::newRow("options") << "options" << QSize(5835, 3720);
    QTest::newRow("About") << "About" << QSize(5730, 4035);
    QTest::newRow("splash") << "splash" << QSize(7380, 4245);
    QTest::newRow("editor") << "editor" << QSize();
}

void tst_Layout::nothingIsClipped()
{
    QFETCH(QString, window);
    QFETCH(QSize, twips);
    int lastWidth = 0;
    for (const qreal points : {9.0, 11.0, 14.0}) {
        useDesktopFont(m_desktop, points);
        QWidget* w = open(window);
        QVERIFY(QTest::qWaitForWindowExposed(w));
        const QStringList faults = clipped(w);
        QVERIFY2(faults.isEmpty(),
                 qPrintable(QString::number(points) + QStringLiteral(" pt\n") + faults.join(u'\n')));
        // At the design's size with the design's font, larger with a larger one.
        const QSize size = (window == QLatin1String("main") ? child(w, "frmMainClient") : w)->size();
        if (points == 9.0 && twips.isValid())
            QCOMPARE(size, twips / 15);
        QVERIFY2(!twips.isValid() || size.width() > lastWidth, qPrintable(QString::number(size.width())));
        lastWidth = size.width();
        QVERIFY2(!twips.isValid() ||
                     qAbs(size.height() - qRound(qreal(size.width()) * twips.height() / twips.width())) <= 1,
                 qPrintable(QStringLiteral("%1 x %2").arg(size.width()).arg(size.height())));
        cleanup();
    }
}

QTEST_MAIN(tst_Layout)
#include "tst_Layout.moc"
