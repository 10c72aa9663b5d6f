#include "Fakes.h"
#include "Palettes.h"
#include "frmAbout.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>

// The About box as keyboard and screen-reader users meet it, in any palette.
class tst_frmAbout : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void opensWithFocusOnOk();
    void keysActOnOk_data();
    void keysActOnOk();
    void tabOrder();
    void linksAreReadableInAnyTheme_data();
    void linksAreReadableInAnyTheme();
    void linksAreLinks_data();
    void linksAreLinks();

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

void tst_frmAbout::cleanup()
{
    delete m_about.data();
}

void tst_frmAbout::opensWithFocusOnOk()
{
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("cmdOK"));
    QCOMPARE(qobject_cast<QPushButton*>(QApplication::focusWidget())->text(), QStringLiteral("OK"));
}

void tst_frmAbout::keysActOnOk_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("Enter") << int(Qt::Key_Return);
    QTest::newRow("Enter of the keypad") << int(Qt::Key_Enter);
    QTest::newRow("Esc") << int(Qt::Key_Escape);
}

void tst_frmAbout::keysActOnOk()
{
    QFETCH(int, key);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
    // The box is gone, and no link was followed.
    QTRY_VERIFY(m_about.isNull());
    QVERIFY(m_fakes.launcher.lines.isEmpty());
    QVERIFY(m_fakes.dialogs.calls.isEmpty());
}

void tst_frmAbout::tabOrder()
{
    QStringList order{QApplication::focusWidget()->objectName()};
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order.append(QApplication::focusWidget()->objectName());
    }
    QCOMPARE(order, (QStringList{"cmdOK", "cmdSysInfo", "lblAddress", "lblURL", "cmdOK"}));
}

void tst_frmAbout::linksAreReadableInAnyTheme_data()
{
    QTest::addColumn<bool>("dark");
    QTest::addColumn<QString>("link");
    for (const bool dark : {false, true})
        for (const char* link : {"lblURL", "lblAddress"})
            QTest::addRow("%s, %s", dark ? "dark theme" : "light theme", link)
                << dark << QString::fromLatin1(link);
}

void tst_frmAbout::linksAreReadableInAnyTheme()
{
    QFETCH(bool, dark);
    QFETCH(QString, link);
    const QPalette before = QApplication::palette();
    const auto restore = qScopeGuard([&] { QApplication::setPalette(before); });
    if (dark)
        QApplication::setPalette(darkPalette());
    delete m_about.data();
    m_about = new frmAbout(m_fakes.services());
    m_about->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_about));
    auto* label = m_about->findChild<QLabel*>(link);
    const QImage shot = label->grab().toImage();
    const QColor background = m_about->palette().color(QPalette::Window);
    QCOMPARE(shot.pixelColor(shot.width() - 1, 0), background);
    const QColor text = ink(shot, background);
    QVERIFY2(contrast(text, background) >= 4.5, qPrintable(text.name() + u' ' + background.name()));
    // Still marked as a link: not the colour of the plain text beside it.
    QVERIFY(text != m_about->palette().color(QPalette::WindowText));
}

void tst_frmAbout::linksAreLinks_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("launched");
    QTest::newRow("mail") << "lblAddress"
                          << "quillet@example.org"
                          << "2|rundll32.exe shdocvw.dll,OpenURL quillet@example.org";
    // No browser is registered here: the web helper's command line has no program.
    QTest::newRow("home page") << "lblURL"
                               << "https://quillet.example.org/"
                               << "1| https://quillet.example.org/";
}

void tst_frmAbout::linksAreLinks()
{
    QFETCH(QString, link);
    QFETCH(QString, name);
    QFETCH(QString, launched);
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(m_about->findChild<QWidget*>(link));
    QVERIFY(a);
    QCOMPARE(a->role(), QAccessible::Link);
    QCOMPARE(a->text(QAccessible::Name), name);
    QVERIFY(a->state().focusable);
    QVERIFY(a->actionInterface());
    QCOMPARE(a->actionInterface()->actionNames(), QStringList{QAccessibleActionInterface::pressAction()});
    a->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(m_fakes.launcher.lines.value(0), launched);
}

QTEST_MAIN(tst_frmAbout)
#include "tst_frmAbout.moc"
