#include "Fonts.h"
#include "ScriptBox.h"
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

namespace {

// What a user would see cut or covered in `window`, one line each.
QStringList clipped(QWidget* window)
{
    QStringList faults;
    auto where = [](const QWidget* w) {
        return w->objectName().isEmpty() ? w->metaObject()->className() : w->objectName();
    };
    auto check = [&](const QWidget* w, const QString& what, int needs, int has) {
        if (needs > has)
            faults.append(
                QStringLiteral("%1: %2 needs %3 px, has %4").arg(where(w), what).arg(needs).arg(has));
    };
    // "&S" shows as an underlined S; "&&" as one ampersand.
    auto shown = [](QString t) { return t.replace("&&", "\x01").remove(u'&').replace(u'\x01', u'&'); };
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(window) || w->isWindow())
            continue;
        const QFontMetrics fm = w->fontMetrics();
        if (w->parentWidget() && !w->parentWidget()->rect().contains(w->geometry()))
            faults.append(where(w) + ": reaches out of " + where(w->parentWidget()));
        auto* tool = qobject_cast<QToolButton*>(w);
        const bool showsText = !tool || tool->toolButtonStyle() != Qt::ToolButtonIconOnly;
        if (auto* b = qobject_cast<QAbstractButton*>(w); b && showsText && !b->text().isEmpty()) {
            QStyleOptionButton opt;
            opt.initFrom(b);
            opt.text = b->text();
            const QStyle::SubElement inner = qobject_cast<QRadioButton*>(b) ? QStyle::SE_RadioButtonContents
                                             : qobject_cast<QCheckBox*>(b)  ? QStyle::SE_CheckBoxContents
                                                                            : QStyle::SE_PushButtonContents;
            check(w, "「" + b->text() + "」", fm.horizontalAdvance(shown(b->text())),
                  w->style()->subElementRect(inner, &opt, b).width());
            check(w, "「" + b->text() + "」 in height", fm.height(), b->height());
        } else if (auto* l = qobject_cast<QLabel*>(w); l && !l->text().isEmpty()) {
            const QString what = "「" + l->text() + "」";
            if (!l->wordWrap())
                check(w, what, fm.horizontalAdvance(shown(l->text())), l->contentsRect().width());
            check(w, what + " in height", l->wordWrap() ? l->heightForWidth(l->width()) : fm.height(),
                  l->wordWrap() ? l->height() : l->contentsRect().height());
        } else if (qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w)) {
            check(w, "its text in height", w->minimumSizeHint().height(), w->height());
        }
        if (auto* g = qobject_cast<QGroupBox*>(w)) {
            // The caption sits in the frame's top margin; no control may reach into it.
            for (QWidget* c : g->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                if (c->isVisibleTo(window) && !g->contentsRect().contains(c->geometry()))
                    faults.append(where(c) + ": covers the caption or border of " + where(g));
            check(g, "caption 「" + g->title() + "」", fm.horizontalAdvance(g->title()),
                  g->contentsRect().width());
        }
    }
    return faults;
}

} // namespace

// Every window at the font sizes Japanese desktops use, under a Japanese locale: the
// interface font is a proportional Japanese face, and no caption is cut or covered.
class tst_Layout : public QObject {
    Q_OBJECT
    FakeServices m_fakes;
    TestBench m_bench{m_fakes};
    QTemporaryDir m_dir;
    QFont m_desktop;
    QPointer<QWidget> m_window; // one at a time

    // Shown under the application font a desktop set to `points` of `family` would give.
    QWidget* open(const QString& window, qreal points, const char* family = nullptr)
    {
        QFont f = m_desktop;
        f.setPointSizeF(points);
        if (family)
            f.setFamily(QString::fromLatin1(family));
        QApplication::setFont(Fonts::interfaceFont(f));
        if (window == "editor") {
            writeFile(m_dir.filePath("a.vbs"), "WScript.Echo 1\r\n");
            m_bench.editor.openFile(m_dir.filePath("a.vbs"));
            return m_bench.editor.window();
        }
        m_window = window == "main"      ? static_cast<QWidget*>(new frmMain(m_bench.workbench))
                   : window == "options" ? new frmOption(m_fakes.services())
                   : window == "About"   ? static_cast<QWidget*>(new frmAbout(m_fakes.services()))
                                         : new frmSplash([]() -> QWidget* { return nullptr; });
        m_window->show();
        if (auto* timer = m_window->findChild<QTimer*>("Timer1"))
            timer->stop(); // the splash stays for as long as the test looks at it
        return m_window;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QApplication::setQuitOnLastWindowClosed(false);
        m_desktop = QApplication::font();
        installInterfaceFonts(); // as the program starts
    }

    void cleanup()
    {
        delete m_window.data();
        delete m_bench.editor.window();
        QApplication::setFont(m_desktop);
    }

    void windowFontsFollowTheInterfaceFont_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QStringList>("families"); // what fontconfig may give for it
        QTest::addColumn<qreal>("points");         // at a 9 pt desktop
        const QStringList gothic{"IPA Pゴシック", "IPAPGothic", "Noto Sans CJK JP"}, arial{"Liberation Sans"};
        auto row = [](const char* window, const char* control, const QStringList& families, qreal points) {
            QTest::addRow("%s %s", window, control)
                << QString(window) << QString(control) << families << points;
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

    void windowFontsFollowTheInterfaceFont()
    {
        QFETCH(QString, window);
        QFETCH(QString, control);
        QFETCH(QStringList, families);
        QFETCH(qreal, points);
        // Whatever face the desktop names: the locale's default, a Latin one, a fixed-pitch Japanese one.
        for (const auto& [desktop, family] :
             {std::pair<qreal, const char*>{9.0, nullptr}, {11.0, "DejaVu Sans"}, {14.0, "IPAGothic"}}) {
            QWidget* w = open(window, desktop, family)->findChild<QWidget*>(control);
            QVERIFY(w);
            const QFontInfo info(w->font());
            QVERIFY2(families.contains(info.family()), qPrintable(info.family()));
            QVERIFY(control == "fldEditSrc" || !info.fixedPitch());
            // Scintilla gets the editor's face by its name alone: the columns must still line up.
            if (auto* sci = qobject_cast<QsciScintilla*>(w)) {
                auto width = [sci](const char* t) {
                    return sci->SendScintilla(sci->SCI_TEXTWIDTH, sci->STYLE_DEFAULT, t);
                };
                QCOMPARE((QList<long>{width("iiii"), width("MMMM")}),
                         (QList<long>{width("ああ"), width("ああ")}));
            }
            QCOMPARE(w->font().pointSizeF(), points * desktop / 9);
            cleanup();
        }
    }

    void nothingIsClipped_data()
    {
        QTest::addColumn<QSize>("twips"); // the design's client area
        QTest::newRow("main") << QSize(9630, 6195);
        QTest::newRow("options") << QSize(5835, 3720);
        QTest::newRow("About") << QSize(5730, 4035);
        QTest::newRow("splash") << QSize(7380, 4245);
        QTest::newRow("editor") << QSize();
    }

    void nothingIsClipped()
    {
        const QString window = QTest::currentDataTag();
        QFETCH(QSize, twips);
        int lastWidth = 0;
        for (const qreal points : {9.0, 11.0, 14.0}) {
            QWidget* w = open(window, points);
            QVERIFY(QTest::qWaitForWindowExposed(w));
            const QStringList faults = clipped(w);
            QVERIFY2(faults.isEmpty(), qPrintable(QString::number(points) + " pt\n" + faults.join(u'\n')));
            // At the design's size with the design's font, larger with a larger one, in proportion.
            const QSize size = (window == "main" ? child(w, "frmMainClient") : w)->size();
            if (points == 9.0 && twips.isValid())
                QCOMPARE(size, twips / 15);
            QVERIFY2(!twips.isValid() || size.width() > lastWidth, qPrintable(QString::number(size.width())));
            lastWidth = size.width();
            QVERIFY2(!twips.isValid() || qAbs(size.height() - qRound(qreal(size.width()) * twips.height() /
                                                                     twips.width())) <= 1,
                     qPrintable(QStringLiteral("%1 x %2").arg(size.width()).arg(size.height())));
            cleanup();
        }
    }
};

QTEST_MAIN(tst_Layout)
#include "tst_Layout.moc"
