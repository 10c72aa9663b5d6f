#include "frmAbout.h"

#include "AppIcon.h"
#include "Dialogs.h"
#include "Fonts.h"
#include "Launcher.h"
#include "LinkLabel.h"
#include "Place.h"
#include "Registry.h"
#include "TextCodec.h"
#include "Twips.h"
#include "frmAboutTexts.h"
#include "mdlUtils.h"

#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace T = frmAboutText;

namespace {

// One line of the etched separator, in the theme's shadow or light: grey and white in a
// light theme, and no white stroke across a dark one.
QFrame* line(QWidget* parent, const char* name, int x1, int x2, int y, QPalette::ColorRole colour)
{
    auto* f = place<QFrame>(parent, name, QRect(twips(x1), twips(y), twips(x2 - x1), 1));
    f->setFrameShape(QFrame::NoFrame);
    f->setAutoFillBackground(true);
    f->setBackgroundRole(colour);
    return f;
}

} // namespace

frmAbout::frmAbout(const Services& services, QWidget* parent)
    : QDialog(parent)
    , m_services(services)
{
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(T::Caption);
    setAccessibleName(T::Caption);
    setWindowIcon(appIcon());
    setFixedSize(twips(5730), twips(4035));

    picIcon = place<QLabel>(this, "picIcon", twipsRect(240, 240, 540, 540));
    picIcon->setPixmap(appIcon().pixmap(twips(540), twips(540)));
    picIcon->setAccessibleName(T::NameIcon);
    lblTitle = place<QLabel>(this, "lblTitle", twipsRect(1050, 360, 3885, 480), T::Title);
    QFont title = Fonts::sized(Fonts::ArialBlack, 14.25);
    title.setWeight(QFont::Black);
    lblTitle->setFont(title);
    lblVersion = place<QLabel>(this, "lblVersion", twipsRect(1800, 960, 1965, 270), T::Version);
    lblVersion->setFont(Fonts::sized(Fonts::Gothic, 11.25));
    Label1 = place<QLabel>(this, "Label1", twipsRect(840, 1440, 4575, 255), T::Copyright);
    Label2 = place<QLabel>(this, "Label2", twipsRect(1200, 1905, 960, 225), T::MailLabel);
    lblAddress = place<LinkLabel>(this, "lblAddress", twipsRect(2160, 1890, 1950, 255), T::MailAddress);
    Label3 = place<QLabel>(this, "Label3", twipsRect(1200, 2265, 960, 225), T::HomeLabel);
    lblURL = place<LinkLabel>(this, "lblURL", twipsRect(2160, 2250, 2910, 255), T::HomePage);
    line(this, "Line1_0", 90, 5654, 2760, QPalette::Dark);
    line(this, "Line1_1", 105, 5654, 2775, QPalette::Light);
    cmdOK = place<QPushButton>(this, "cmdOK", twipsRect(4200, 2880, 1380, 345), T::Ok);
    cmdOK->setAccessibleName(T::Ok);
    cmdOK->setDefault(true);
    lblDescription = place<QLabel>(this, "lblDescription", twipsRect(360, 2880, 3705, 1050), T::Description);
    lblDescription->setWordWrap(true);
    lblDescription->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    cmdSysInfo = place<QPushButton>(this, "cmdSysInfo", twipsRect(4200, 3360, 1380, 345), T::SysInfo);
    cmdSysInfo->setAccessibleName(QString(T::SysInfo).remove(u'&'));
    for (QLabel* l : {picIcon, lblTitle, lblVersion, lblDescription, Label1, Label2, Label3})
        if (l->accessibleName().isEmpty())
            l->setAccessibleName(l->text());

    // OK first, so that Enter in a fresh box closes it rather than following a link.
    const QList<QWidget*> order{cmdOK, cmdSysInfo, lblAddress, lblURL};
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
    cmdOK->setFocus();
    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);
    connect(lblURL, &LinkLabel::clicked, this, &frmAbout::lblURL_Click);
    connect(lblAddress, &LinkLabel::clicked, this, &frmAbout::lblAddress_Click);
}

void frmAbout::cmdOK_Click()
{
    close();
}

void frmAbout::cmdSysInfo_Click()
{
    StartSysInfo();
}

bool frmAbout::GetKeyValue(quint32 root, const QString& key, const QString& name, QString& value) const
{
    const std::optional<RegValue> v = m_services.registry.query(root, key, name);
    if (!v) {
        value.clear();
        return false;
    }
    QByteArray bytes = RegFile::ansiData(*v);
    if (bytes.size() > RegValueBufferBytes) {
        value.clear();
        return false;
    }
    // The reported size, less a final NUL; a NUL inside stays.
    if (bytes.endsWith('\0'))
        bytes.chop(1);
    if (v->type == RegType::String) {
        value = TextCodec::decode(bytes, TextEncoding::Cp932);
    } else if (v->type == RegType::Dword) {
        value = mdlUtils::numberText(*v);
    }
    return true;
}

void frmAbout::StartSysInfo()
{
    const QString exe = QStringLiteral("MSINFO32.EXE");
    m_sysInfoPath.clear();
    bool found =
        GetKeyValue(RegRoot::LocalMachine, QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"),
                    QStringLiteral("PATH"), m_sysInfoPath);
    if (!found) {
        m_sysInfoPath.clear();
        if (GetKeyValue(RegRoot::LocalMachine, QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location"),
                        QStringLiteral("MSINFO"), m_sysInfoPath) &&
            QFileInfo(m_sysInfoPath + u'/' + exe).isFile()) {
            m_sysInfoPath += u'/' + exe;
            found = true;
        }
    }
    if (found && m_services.launcher.Shell(m_sysInfoPath, WindowStyle::NormalFocus))
        return;
    m_services.dialogs.MsgBox(T::NoSysInfo, MsgFlags::OkOnly);
}

void frmAbout::lblURL_Click()
{
    if (!mdlUtils::webOpen(m_services.registry, m_services.dialogs, m_services.launcher, T::HomePage))
        m_services.dialogs.MsgBox(T::BadSetup, MsgFlags::Critical, T::AppTitle);
}

void frmAbout::lblAddress_Click()
{
    if (!m_services.launcher.Shell(T::MailCommand + T::MailAddress, WindowStyle::MinimizedFocus))
        m_services.dialogs.MsgBox(T::BadSetup, MsgFlags::Critical, T::AppTitle);
}
