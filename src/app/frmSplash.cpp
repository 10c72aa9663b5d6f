#include "frmSplash.h"

#include "AppIcon.h"
#include "FitText.h"
#include "Fonts.h"
#include "Twips.h"
#include "frmSplashTexts.h"

#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QTimer>

namespace T = frmSplashText;

namespace {

QLabel* label(QWidget* parent, const char* name, const QString& text, QRect geometry, const QString& family,
              qreal points, bool bold, bool italic, Qt::Alignment align)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    QFont f = Fonts::sized(family, points);
    f.setBold(bold);
    f.setItalic(italic);
    l->setFont(f);
    l->setAlignment(align | Qt::AlignTop);
    l->setGeometry(geometry);
    l->setAccessibleName(text);
    return l;
}

} // namespace

frmSplash::frmSplash(MainWindowFactory createMainWindow, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
    , m_createMainWindow(std::move(createMainWindow))
{
    setObjectName(QStringLiteral("frmSplash"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(T::Title);
    setAccessibleName(T::Title);
    setWindowIcon(appIcon());
    setFixedSize(twips(7380), twips(4245));
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(true);

    Frame1 = new QGroupBox(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(twipsRect(120, 0, 7200, 4170));
    Frame1->installEventFilter(this);

    auto* imgLogo = new QLabel(Frame1);
    imgLogo->setObjectName(QStringLiteral("imgLogo"));
    imgLogo->setGeometry(twipsRect(240, 600, 1575, 1905));
    imgLogo->setPixmap(appIcon().pixmap(256, 256));
    imgLogo->setScaledContents(true);
    imgLogo->setAccessibleName(T::Title);

    const QString& arial = Fonts::Arial;
    const QList<QLabel*> labels{
        label(Frame1, "lblCompanyProduct", T::Company, twipsRect(2040, 840, 2940, 435), arial, 18, true,
              false, Qt::AlignLeft),
        label(Frame1, "lblProductName", T::ProductFirst, twipsRect(2400, 1320, 1215, 615), arial, 26.25, true,
              false, Qt::AlignLeft),
        label(Frame1, "Label1", T::ProductSecond, twipsRect(3720, 1320, 2055, 375), arial, 18, true, false,
              Qt::AlignLeft),
        label(Frame1, "lblVersion", T::Version, twipsRect(4305, 1800, 1605, 285), arial, 12, true, false,
              Qt::AlignRight),
        label(Frame1, "Label2", T::Description, twipsRect(3120, 2520, 3015, 615), arial, 12, false, true,
              Qt::AlignHCenter),
        label(Frame1, "lblCopyright", T::Copyright, twipsRect(3480, 3360, 3375, 615), arial, 9.75, false,
              false, Qt::AlignLeft),
    };
    labels[4]->setWordWrap(true);
    labels[5]->setWordWrap(true);
    for (QLabel* l : labels) {
        fitToText(l);
        l->setAttribute(Qt::WA_TransparentForMouseEvents); // a click anywhere on the frame counts
    }
    imgLogo->setAttribute(Qt::WA_TransparentForMouseEvents);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setSingleShot(true);
    Timer1->setInterval(Interval);
    connect(Timer1, &QTimer::timeout, this, &frmSplash::Timer1_Timer);
}

void frmSplash::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (const QScreen* screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - rect().center());
    }
    activateWindow();
    setFocus();
    if (!Timer1->isActive() && !m_mainWindow)
        Timer1->start();
}

void frmSplash::Timer1_Timer()
{
    openMainWindow();
}

void frmSplash::Form_KeyPress()
{
    openMainWindow();
}

void frmSplash::Frame1_Click()
{
    openMainWindow();
}

void frmSplash::openMainWindow()
{
    Timer1->stop();
    if (!m_mainWindow)
        m_mainWindow = m_createMainWindow();
    if (m_mainWindow)
        m_mainWindow->show();
    close();
}

void frmSplash::keyPressEvent(QKeyEvent* event)
{
    if (event->text().isEmpty()) {
        QWidget::keyPressEvent(event);
        return;
    }
    Form_KeyPress();
}

bool frmSplash::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Frame1 && event->type() == QEvent::MouseButtonRelease) {
        Frame1_Click();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
