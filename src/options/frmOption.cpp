#include "frmOption.h"

#include "AppIcon.h"
#include "Dialogs.h"
#include "FitText.h"
#include "Fonts.h"
#include "Place.h"
#include "Twips.h"
#include "frmOptionTexts.h"
#include "mdlUtils.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>

namespace T = frmOptionText;

namespace {

// This system's own Script Encoder: beside the program (the build tree, the installed bin
// folder), else on PATH; empty when there is none.
QString ownEncoder()
{
    const QFileInfo beside(QCoreApplication::applicationDirPath() + QStringLiteral("/quillet-encode"));
    if (beside.isFile() && beside.isExecutable())
        return beside.absoluteFilePath();
    return QStandardPaths::findExecutable(QStringLiteral("quillet-encode"));
}

} // namespace

frmOption::frmOption(const Services& services, QWidget* parent)
    : QDialog(parent)
    , m_services(services)
{
    setObjectName(QStringLiteral("frmOption"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(T::Caption);
    setAccessibleName(T::Caption);
    setWindowIcon(appIcon());
    setFixedSize(twips(5835), twips(3720));

    const QFont labelFont = Fonts::sized(Fonts::Gothic, 11.25);
    auto label = [&](const char* name, const QString& caption, QRect geometry) {
        auto* l = place<QLabel>(this, name, geometry, caption);
        l->setFont(labelFont);
        return l;
    };
    auto field = [this](const char* name, QRect geometry, const QString& accessibleName) {
        auto* f = place<QLineEdit>(this, name, geometry);
        f->setAccessibleName(accessibleName);
        return f;
    };
    auto button = [this](const char* name, const QString& caption, QRect geometry,
                         const QString& accessibleName) {
        auto* b = place<QPushButton>(this, name, geometry, caption);
        b->setAccessibleName(accessibleName);
        b->setAutoDefault(false);
        return b;
    };
    // Rows a little taller than the design's, so that the Japanese text is not clipped.
    Label1 = label("Label1", T::Label1, twipsRect(360, 240, 1080, 270));
    fldUserName = field("fldUserName", twipsRect(1680, 225, 2655, 330), T::Label1);
    Label2 = label("Label2", T::Label2, twipsRect(600, 1200, 720, 270));
    fldEditor = field("fldEditor", twipsRect(1680, 1185, 2895, 330), T::Label2);
    btnBrowse = button("btnBrowse", T::Browse, twipsRect(4680, 1185, 375, 330), T::NameBrowseEditor);
    btnToroku = button("btnToroku", T::Toroku, twipsRect(960, 2760, 1095, 495), T::Toroku);
    btnCancel = button("btnCancel", T::Cancel, twipsRect(2280, 2760, 1095, 495), T::Cancel);
    btnHelp = button("btnHelp", T::Help, twipsRect(3600, 2760, 1095, 495), T::Help);
    cbNaizo = place<QCheckBox>(this, "cbNaizo", twipsRect(1320, 690, 2295, 330), T::Naizo);
    cbNaizo->setAccessibleName(T::Naizo);
    fldBrowser = field("fldBrowser", twipsRect(1680, 1665, 2895, 330), T::Label3);
    Label3 = label("Label3", T::Label3, twipsRect(600, 1680, 780, 270));
    btnBrowse2 = button("btnBrowse2", T::Browse, twipsRect(4680, 1665, 375, 330), T::NameBrowseBrowser);
    btnEncoder = button("btnEncoder", T::Browse, twipsRect(4680, 2145, 375, 330), T::NameBrowseEncoder);
    fldEncoder = field("fldEncoder", twipsRect(1680, 2145, 2895, 330), T::Label4);
    Label4 = label("Label4", T::Label4, twipsRect(600, 2160, 990, 270));
    for (QLabel* l : {Label1, Label2, Label3, Label4})
        fitToText(l);
    Label1->setBuddy(fldUserName);
    Label2->setBuddy(fldEditor);
    Label3->setBuddy(fldBrowser);
    Label4->setBuddy(fldEncoder);

    const QList<QWidget*> order{fldUserName, fldEditor,  btnBrowse,  btnToroku,  btnCancel, btnHelp,
                                cbNaizo,     fldBrowser, btnBrowse2, btnEncoder, fldEncoder};
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);

    connect(cbNaizo, &QCheckBox::clicked, this, &frmOption::cbNaizo_Click);
    connect(btnBrowse, &QPushButton::clicked, this, &frmOption::btnBrowse_Click);
    connect(btnBrowse2, &QPushButton::clicked, this, &frmOption::btnBrowse2_Click);
    connect(btnEncoder, &QPushButton::clicked, this, &frmOption::btnEncoder_Click);
    connect(btnToroku, &QPushButton::clicked, this, &frmOption::btnToroku_Click);
    connect(btnCancel, &QPushButton::clicked, this, &frmOption::btnCancel_Click);
    connect(btnHelp, &QPushButton::clicked, this, &frmOption::btnHelp_Click);
    Form_Load();
}

void frmOption::Form_Load()
{
    SettingsArea& s = m_services.settings;
    m_editor = mdlUtils::GetOption(s, mdlUtils::OptionKey::Editor, mdlUtils::DefaultEditor);
    m_userName = mdlUtils::GetOption(s, mdlUtils::OptionKey::UserName, T::DefaultUserName);
    m_browser = mdlUtils::GetOption(s, mdlUtils::OptionKey::Browser, T::DefaultBrowser);
    m_encoder = mdlUtils::GetOption(s, mdlUtils::OptionKey::Encoder, T::DefaultEncoder);
    fldUserName->setText(m_userName);
    fldEditor->setText(m_editor);
    fldBrowser->setText(m_browser);
    fldEncoder->setText(m_encoder);
}

void frmOption::cbNaizo_Click()
{
    fldEditor->setText(cbNaizo->isChecked() ? mdlUtils::InternalEditor : QString());
}

void frmOption::pickProgram(QLineEdit* field, const QString& fallback)
{
    const QFileInfo current(field->text());
    const QString start = current.isAbsolute() && current.dir().exists() ? current.absolutePath() : fallback;
    const QString chosen = m_services.dialogs.GetOpenFileName(T::PickTitle, T::PickFilter, start);
    // Cancelled: the field keeps what it had.
    if (!chosen.isEmpty())
        field->setText(chosen);
}

void frmOption::btnBrowse_Click()
{
    pickProgram(fldEditor);
}

void frmOption::btnBrowse2_Click()
{
    pickProgram(fldBrowser);
}

void frmOption::btnEncoder_Click()
{
    // Until a path is set, the dialog opens on quillet-encode, ready to be chosen.
    pickProgram(fldEncoder, ownEncoder());
}

void frmOption::btnHelp_Click()
{
    m_services.dialogs.MsgBox(T::HelpText, MsgFlags::OkOnly);
}

void frmOption::btnCancel_Click()
{
    close();
}

void frmOption::btnToroku_Click()
{
    m_userName = fldUserName->text();
    m_editor = fldEditor->text();
    m_browser = fldBrowser->text();
    m_encoder = fldEncoder->text();
    if (cbNaizo->isChecked()) {
        m_editor = mdlUtils::InternalEditor;
    } else if (fldEditor->text().isEmpty()) {
        m_services.dialogs.MsgBox(T::NoEditor, MsgFlags::OkOnly);
    } else {
        m_editor = fldEditor->text();
    }
    namespace Key = mdlUtils::OptionKey;
    const struct {
        const QString& key;
        const QString& value;
        const QString& failure;
    } writes[] = {{Key::UserName, m_userName, T::UserNameFailed},
                  {Key::Editor, m_editor, T::EditorFailed},
                  {Key::Browser, m_browser, T::BrowserFailed},
                  {Key::Encoder, m_encoder, T::EncoderFailed}};
    for (const auto& w : writes) {
        if (!mdlUtils::SaveOption(m_services.settings, w.key, w.value)) {
            m_services.dialogs.MsgBox(w.failure, MsgFlags::OkOnly);
            return;
        }
    }
    m_services.dialogs.MsgBox(T::Thanks, MsgFlags::OkOnly);
    close();
}
