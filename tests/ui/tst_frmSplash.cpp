#include "Fonts.h"
#include "TestBench.h"
#include "frmSplash.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QTest>
#include <QTimer>

class tst_frmSplash : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { installInterfaceFonts(); }
    void init();
    void cleanup();
    void looksAsDesigned_data();
    void looksAsDesigned();
    void timerOpensTheMainWindowOnce();
    void settingsAreReadWhenTheMainWindowIsCreated();
    void earlyClose_data();
    void earlyClose();

private:
    frmSplash* makeSplash();
    FakeServices m_fakes;
    TestBench m_bench{m_fakes};
    int m_created = 0;
    QPointer<QWidget> m_main;
    QPointer<frmSplash> m_splash;
};

frmSplash* tst_frmSplash::makeSplash()
{
    m_splash = new frmSplash([this]() -> QWidget* {
        ++m_created;
        m_main = new frmMain(m_bench.workbench);
        return m_main;
    });
    return m_splash;
}

void tst_frmSplash::init()
{
    m_created = 0;
    m_fakes.settings.log.clear();
}

void tst_frmSplash::cleanup()
{
    delete m_splash;
    delete m_main;
}

void tst_frmSplash::looksAsDesigned_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("family");
    QTest::addColumn<qreal>("points");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("italic");
    QTest::newRow("lblCompanyProduct") << "lblCompanyProduct"
                                       << "Quillet Project"
                                       << "Arial" << 18.0 << true << false;
    QTest::newRow("lblProductName") << "lblProductName"
                                    << "Quillet"
                                    << "Arial" << 26.25 << true << false;
    QTest::newRow("lblVersion") << "lblVersion"
                                << "Version 0.3.16"
                                << "Arial" << 12.0 << true << false;
    QTest::newRow("Label2") << "Label2"
                            << "Script Development Tool for Windows Scripting Host"
                            << "Arial" << 12.0 << false << true;
    QTest::newRow("lblCopyright") << "lblCopyright"
                                  << "Copyright (C) 2026 Quillet Project"
                                  << "Arial" << 9.75 << false << false;
}

void tst_frmSplash::looksAsDesigned()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QString, family);
    QFETCH(qreal, points);
    QFETCH(bool, bold);
    QFETCH(bool, italic);
    frmSplash* s = makeSplash();
    s->show();
    QCOMPARE(s->size(), QSize(492, 283));
    auto* label = s->findChild<QLabel*>(name);
    QVERIFY(label);
    QCOMPARE(label->text(), text);
    QCOMPARE(label->font().family(), family);
    QCOMPARE(label->font().pointSizeF(), points);
    QCOMPARE(label->font().bold(), bold);
    QCOMPARE(label->font().italic(), italic);
    // Nothing clipped: the text fits the label, which stays inside the frame.
    const QRect frame = s->findChild<QGroupBox*>(QStringLiteral("Frame1"))->rect();
    QVERIFY2(frame.contains(label->geometry()), qPrintable(name));
    if (label->wordWrap())
        QVERIFY(label->heightForWidth(label->width()) <= label->height());
    else
        QVERIFY(label->sizeHint().width() <= label->width());
    // Together the two name labels read the product name.
    QCOMPARE(s->findChild<QLabel*>(QStringLiteral("lblProductName"))->text() +
                 s->findChild<QLabel*>(QStringLiteral("Label1"))->text(),
             QStringLiteral("Quillet"));
}

void tst_frmSplash::timerOpensTheMainWindowOnce()
{
    frmSplash* s = makeSplash();
    s->show();
    auto* timer = s->findChild<QTimer*>(QStringLiteral("Timer1"));
    QVERIFY(timer);
    QCOMPARE(timer->interval(), 4000);
    QVERIFY(timer->isActive());
    QVERIFY(timer->isSingleShot());
    QCOMPARE(m_created, 0);
    timer->start(1); // the same tick, sooner
    QTRY_VERIFY(m_splash.isNull());
    QCOMPARE(m_created, 1);
    QVERIFY(m_main && m_main->isVisible());
    QTest::qWait(50);
    QCOMPARE(m_created, 1);
}

void tst_frmSplash::settingsAreReadWhenTheMainWindowIsCreated()
{
    frmSplash* s = makeSplash();
    s->show();
    QVERIFY(m_fakes.settings.log.isEmpty());
    s->findChild<QTimer*>(QStringLiteral("Timer1"))->start(1);
    QTRY_COMPARE(m_fakes.settings.log, (QStringList{"read Editor", "read UserName"}));
}

void tst_frmSplash::earlyClose_data()
{
    QTest::addColumn<bool>("byKey");
    QTest::newRow("key press") << true;
    QTest::newRow("click on the frame") << false;
}

void tst_frmSplash::earlyClose()
{
    QFETCH(bool, byKey);
    frmSplash* s = makeSplash();
    s->show();
    QTimer* timer = s->findChild<QTimer*>(QStringLiteral("Timer1"));
    if (byKey) {
        QTest::keyClick(s, Qt::Key_A);
        QTest::keyClick(s, Qt::Key_B); // a second key before the splash is gone opens nothing new
    } else {
        // The click lands on a label: the whole frame counts.
        QTest::mouseClick(s->findChild<QLabel*>(QStringLiteral("lblVersion")), Qt::LeftButton);
    }
    QCOMPARE(m_created, 1);
    QVERIFY(m_main && m_main->isVisible());
    QVERIFY(!timer->isActive());
    QTRY_VERIFY(m_splash.isNull());
    QTest::qWait(50);
    QCOMPARE(m_created, 1);
}

QTEST_MAIN(tst_frmSplash)
#include "tst_frmSplash.moc"
