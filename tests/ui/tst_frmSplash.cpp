#include "Fonts.h"
#include "TestBench.h"
#include "frmSplash.h"

#include <QGroupBox>
#include <QLabel>
#include <QTimer>

class tst_frmSplash : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { installInterfaceFonts(); }
    void init();
    void cleanup()
    {
        delete m_splash;
        delete m_main;
    }
    void looksAsDesigned_data();
    void looksAsDesigned();
    void opensTheMainWindowOnce_data();
    void opensTheMainWindowOnce();

private:
    FakeServices m_fakes;
    TestBench m_bench{m_fakes};
    int m_created = 0;
    QPointer<QWidget> m_main;
    QPointer<frmSplash> m_splash;
};

void tst_frmSplash::init()
{
    m_created = 0;
    m_fakes.settings.log.clear();
    m_splash = new frmSplash([this]() -> QWidget* {
        ++m_created;
        return m_main = new frmMain(m_bench.workbench);
    });
    m_splash->show();
}

void tst_frmSplash::looksAsDesigned_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qreal>("points"); // of Arial
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("italic");
    QTest::newRow("lblCompanyProduct") << "Quillet Project" << 18.0 << true << false;
    QTest::newRow("lblProductName") << "Quillet" << 26.25 << true << false;
    QTest::newRow("Label1") << "" << 18.0 << true << false; // empty, yet styled as the name beside it
    QTest::newRow("lblVersion") << "Version 0.3.16" << 12.0 << true << false;
    QTest::newRow("Label2") << "Script Development Tool for Windows Scripting Host" << 12.0 << false << true;
    QTest::newRow("lblCopyright") << "Copyright (C) 2026 Quillet Project" << 9.75 << false << false;
}

void tst_frmSplash::looksAsDesigned()
{
    QFETCH(QString, text);
    QFETCH(qreal, points);
    QFETCH(bool, bold);
    QFETCH(bool, italic);
    QCOMPARE(m_splash->size(), QSize(492, 283));
    QCOMPARE(m_splash->windowTitle(), QStringLiteral("Quillet"));
    auto* label = child<QLabel>(m_splash, QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(label);
    QCOMPARE(label->text(), text);
    QCOMPARE(label->font().family(), QStringLiteral("Arial"));
    QCOMPARE(label->font().pointSizeF(), points);
    QCOMPARE(label->font().bold(), bold);
    QCOMPARE(label->font().italic(), italic);
    // Nothing clipped: the text fits the label, which stays inside the frame, as does the logo.
    const QRect frame = child(m_splash, "Frame1")->rect();
    QVERIFY(frame.contains(label->geometry()));
    QVERIFY(label->wordWrap() ? label->heightForWidth(label->width()) <= label->height()
                              : label->sizeHint().width() <= label->width());
    auto* logo = child<QLabel>(m_splash, "imgLogo");
    QVERIFY(logo && frame.contains(logo->geometry()) && !logo->pixmap().isNull());
    QCOMPARE(logo->accessibleName(), QStringLiteral("Quillet"));
    // Together the two name labels read the product name.
    QCOMPARE(child<QLabel>(m_splash, "lblProductName")->text() + child<QLabel>(m_splash, "Label1")->text(),
             QStringLiteral("Quillet"));
}

void tst_frmSplash::opensTheMainWindowOnce_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("the timer's tick") << "timer";
    QTest::newRow("two key presses, the second before the splash is gone") << "key";
    QTest::newRow("a click on a label: the whole frame counts") << "click";
}

void tst_frmSplash::opensTheMainWindowOnce()
{
    QFETCH(QString, how);
    auto* timer = child<QTimer>(m_splash, "Timer1");
    QCOMPARE(timer->interval(), 4000);
    QVERIFY(timer->isActive() && timer->isSingleShot());
    QVERIFY(m_fakes.settings.log.isEmpty()); // the settings are read with the main window
    if (how == QLatin1String("timer")) {
        timer->start(1); // the same tick, sooner
        QTRY_VERIFY(m_splash.isNull());
    } else if (how == QLatin1String("key")) {
        QTest::keyClick(m_splash, Qt::Key_A);
        QTest::keyClick(m_splash, Qt::Key_B);
    } else {
        QTest::mouseClick(child<QLabel>(m_splash, "lblVersion"), Qt::LeftButton);
    }
    QCOMPARE(m_created, 1);
    QVERIFY(m_main && m_main->isVisible());
    QVERIFY(!m_splash || !timer->isActive());
    QTRY_VERIFY(m_splash.isNull());
    QCOMPARE(m_fakes.settings.log, (QStringList{"read Editor", "read UserName"}));
    QTest::qWait(50);
    QCOMPARE(m_created, 1);
}

QTEST_MAIN(tst_frmSplash)
#include "tst_frmSplash.moc"
