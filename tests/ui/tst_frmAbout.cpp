#include "Fakes.h"
#include "Palettes.h"
#include "frmAbout.h"

#include <QAccessibleActionInterface>
#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QTest>

// The About box as keyboard and screen-reader users meet it, in any palette.
class tst_frmAbout : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup() { delete m_about.data(); }
    void opensOnOk_data();
    void opensOnOk();
    void links_data();
    void links();

private:
    FakeServices m_fakes;
    QPointer<frmAbout> m_about;
};

void tst_frmAbout::init()
{
    m_fakes = {};
    m_about = new frmAbout(m_fakes.services());
    m_about->show();
    QApplication::setActiveWindow(m_about);
    QVERIFY(QTest::qWaitForWindowActive(m_about));
}

void tst_frmAbout::opensOnOk_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("Enter") << int(Qt::Key_Return);
    QTest::newRow("Enter of the keypad") << int(Qt::Key_Enter);
    QTest::newRow("Esc") << int(Qt::Key_Escape);
}

// On OK, with its texts and its tab order; the keys close it without following a link.
void tst_frmAbout::opensOnOk()
{
    QFETCH(int, key);
    const QString version = m_about->findChild<QLabel*>(QStringLiteral("lblVersion"))->text();
    QCOMPARE(m_about->windowTitle() + u'|' + version, QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報|Version 0.3.16"));
    auto focused = [] {
        QWidget* w = QApplication::focusWidget();
        return w->objectName() + u'=' + QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name);
    };
    QStringList order{focused()};
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order << focused();
    }
    QCOMPARE(order, (QStringList{"cmdOK=OK", "cmdSysInfo=ｼｽﾃﾑ情報(S)...", "lblAddress=quillet@example.org",
                                 "lblURL=https://quillet.example.org/", "cmdOK=OK"}));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
    QTRY_VERIFY(m_about.isNull());
    QVERIFY(m_fakes.launcher.lines.isEmpty() && m_fakes.dialogs.calls.isEmpty());
}

// Readable and marked as links in any palette, to the eye and to a screen reader.
void tst_frmAbout::links_data()
{
    QTest::addColumn<bool>("dark");
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("launched");
    const QString mail = QStringLiteral("2|rundll32.exe shdocvw.dll,OpenURL quillet@example.org");
    // No browser is registered here: the web helper's command line has no program.
    const QString home = QStringLiteral("1| https://quillet.example.org/");
    for (const bool dark : {false, true}) {
        QTest::addRow("mail, %s", dark ? "dark" : "light") << dark << QString("lblAddress") << mail;
        QTest::addRow("home page, %s", dark ? "dark" : "light") << dark << QString("lblURL") << home;
    }
}

void tst_frmAbout::links()
{
    QFETCH(bool, dark);
    QFETCH(QString, link);
    QFETCH(QString, launched);
    const QPalette before = QApplication::palette();
    const auto restore = qScopeGuard([&] { QApplication::setPalette(before); });
    if (dark)
        QApplication::setPalette(darkPalette());
    cleanup();
    init();
    auto* label = m_about->findChild<QLabel*>(link);
    const QImage shot = label->grab().toImage();
    const QColor background = m_about->palette().color(QPalette::Window);
    QCOMPARE(shot.pixelColor(shot.width() - 1, 0), background);
    const QColor text = ink(shot, background);
    QVERIFY2(contrast(text, background) >= 4.5, qPrintable(text.name() + u' ' + background.name()));
    // Not the colour of the plain text beside it.
    QVERIFY(text != m_about->palette().color(QPalette::WindowText));
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(label);
    QVERIFY(a && a->actionInterface());
    QCOMPARE(a->role(), QAccessible::Link);
    QCOMPARE(a->text(QAccessible::Name), launched.section(u' ', -1));
    QVERIFY(a->state().focusable && a->state().linked);
    QCOMPARE(a->actionInterface()->actionNames(), QStringList{QAccessibleActionInterface::pressAction()});
    a->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(m_fakes.launcher.lines, QStringList{launched});
}

QTEST_MAIN(tst_frmAbout)
#include "tst_frmAbout.moc"
