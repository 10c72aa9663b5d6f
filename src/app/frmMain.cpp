#include "frmMain.h"

#include "AppIcon.h"
#include "Dialogs.h"
#include "DirListBox.h"
#include "DriveList.h"
#include "Drives.h"
#include "FileListBox.h"
#include "FitText.h"
#include "Installed.h"
#include "Launch.h"
#include "Launcher.h"
#include "NativeName.h"
#include "OptionButton.h"
#include "Place.h"
#include "PosixFile.h"
#include "PreviewLoader.h"
#include "RunStarting.h"
#include "ScriptFiles.h"
#include "Twips.h"
#include "Workbench.h"
#include "frmAbout.h"
#include "frmMainTexts.h"
#include "frmOption.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>

namespace T = frmMainText;

namespace {

constexpr char HelpTopic[] = "helpTopic";

// Focus that moves into a menu or a drop-down list, or with the window's activation, and not
// from one control of the window to another: the control gets it back when that closes.
bool popupFocus(Qt::FocusReason reason)
{
    return reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason ||
           reason == Qt::MenuBarFocusReason || QApplication::activePopupWidget();
}

} // namespace

frmMain::frmMain(Workbench& workbench, QWidget* parent)
    : QMainWindow(parent)
    , m_workbench(workbench)
{
    setObjectName(QStringLiteral("frmMain"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(T::Caption);
    setWindowIcon(appIcon());
    createControls();
    createMenus();
    setTabOrder();
    installHints();
    connectActions();
    standOnWorkingFolder();
    Form_Load();
}

void frmMain::createControls()
{
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("frmMainClient"));
    const QSize client(twips(9630), twips(6195));
    m_client->setFixedSize(client);
    setCentralWidget(m_client);

    fldDrive = place<DriveList>(m_client, "fldDrive", twipsRect(120, 0, 2535, 300));
    fldDrive->setProperty(HelpTopic, 230);
    fldDrive->setAccessibleName(T::NameDrive);
    fitHeight(fldDrive);
    fldDir = place<DirListBox>(m_client, "fldDir", twipsRect(120, 360, 2535, 2610));
    fldDir->setProperty(HelpTopic, 260);
    fldDir->setAccessibleName(T::NameDir);
    fldFileList = place<FileListBox>(m_client, "fldFileList", twipsRect(120, 3000, 2535, 3150));
    fldFileList->setProperty(HelpTopic, 250);
    fldFileList->setAccessibleName(T::NameFileList);

    fldViewSrc = place<QPlainTextEdit>(m_client, "fldViewSrc", twipsRect(2760, 1320, 6735, 4815));
    fldViewSrc->setAccessibleName(T::NameViewSrc);
    PreviewLoader::setUpView(fldViewSrc);
    m_preview = new PreviewLoader(fldViewSrc);

    auto button = [this](const char* name, const QString& caption, QRect geometry, int topic) {
        auto* b = place<QPushButton>(m_client, name, geometry, caption);
        b->setAccessibleName(caption);
        b->setProperty(HelpTopic, topic);
        b->setAutoDefault(false);
        return b;
    };
    btnNew = button("btnNew", T::BtnNew, twipsRect(2760, 0, 1215, 495), 270);
    btnEdit = button("btnEdit", T::BtnEdit, twipsRect(4200, 0, 1095, 495), 240);
    btnRun = button("btnRun", T::BtnRun, twipsRect(5520, 0, 1095, 495), 280);
    btnEncode = button("btnEncode", T::BtnEncode, twipsRect(6840, 0, 1215, 495), 320);
    btnOption = button("btnOption", T::BtnOption, twipsRect(8280, 0, 1215, 495), 320);

    auto radio = [](QWidget* frame, const char* name, const QString& caption, QRect geometry) {
        auto* r = place<OptionButton>(frame, name, geometry, caption);
        r->setAccessibleName(caption);
        return r;
    };
    CInterp = place<QGroupBox>(m_client, "CInterp", twipsRect(2760, 600, 4095, 615));
    CInterp->setAccessibleName(T::NameInterp);
    cWSC = radio(CInterp, "cWSC", T::OptWsc, twipsRect(240, 240, 1815, 255));
    cCsc = radio(CInterp, "cCsc", T::OptCsc, twipsRect(2160, 240, 1695, 255));
    cWSC->setChecked(true);

    Frame1 = place<QGroupBox>(m_client, "Frame1", twipsRect(6960, 600, 2535, 615), T::Frame1);
    Frame1->setAccessibleName(T::Frame1);
    selJS = radio(Frame1, "selJS", T::SelJs, twipsRect(120, 240, 615, 255));
    selVBS = radio(Frame1, "selVBS", T::SelVbs, twipsRect(840, 240, 735, 255));
    selPls = radio(Frame1, "selPls", T::SelPls, twipsRect(1680, 240, 735, 255));
    selVBS->setChecked(true);
    clearFrameCaptions(m_client);

    sbMain = new QStatusBar(this);
    sbMain->setObjectName(QStringLiteral("sbMain"));
    sbMain->setSizeGripEnabled(false);
    sbMain->setFixedHeight(twips(375));
    sbMain->setAccessibleName(T::NameStatus);
    m_statusLabel = new QLabel(sbMain);
    m_statusLabel->setObjectName(QStringLiteral("sbMainText"));
    m_statusLabel->setTextFormat(Qt::PlainText);
    sbMain->addWidget(m_statusLabel, 1);
    setStatusBar(sbMain);
}

void frmMain::createMenus()
{
    auto entry = [this](QMenu* menu, const char* name, const QString& caption) {
        QAction* a = menu->addAction(caption);
        a->setObjectName(QLatin1String(name));
        return a;
    };
    auto separator = [](QMenu* menu, const char* name) {
        menu->addSeparator()->setObjectName(QLatin1String(name));
    };
    auto submenu = [this](QWidget* parent, const char* name, const QString& caption) {
        auto* m = new QMenu(caption, parent);
        m->setObjectName(QLatin1String(name));
        m->installEventFilter(this);
        return m;
    };

    QMenu* mnuFile = submenu(this, "mnuFile", T::MnuFile);
    menuBar()->addMenu(mnuFile);
    mnuFileNew = entry(mnuFile, "mnuFileNew", T::MnuFileNew);
    mnuFileNew->setProperty(HelpTopic, 270);
    mnuFileOpen = entry(mnuFile, "mnuFileOpen", T::MnuFileOpen);
    separator(mnuFile, "mnuFileSep1");
    mnuFileRun = entry(mnuFile, "mnuFileRun", T::MnuFileRun);
    mnuFileEncode = entry(mnuFile, "mnuFileEncode", T::MnuFileEncode);
    separator(mnuFile, "mnuFileSep2");
    mnuFileExit = entry(mnuFile, "mnuFileExit", T::MnuFileExit);
    connect(mnuFileExit, &QAction::triggered, this, &frmMain::mnuFileExit_Click);

    QMenu* mnuTool = submenu(this, "mnuTool", T::MnuTool);
    menuBar()->addMenu(mnuTool);
    QMenu* mnuToolScr = submenu(mnuTool, "mnuToolScr", T::MnuToolScr);
    mnuTool->addMenu(mnuToolScr);
    mnuToolScrJS = entry(mnuToolScr, "mnuToolScrJS", T::MnuToolScrJs);
    separator(mnuToolScr, "mnuSept11");
    mnuToolScrVBS = entry(mnuToolScr, "mnuToolScrVBS", T::MnuToolScrVbs);
    separator(mnuToolScr, "mnnuSept12");
    mnuToolScrPLS = entry(mnuToolScr, "mnuToolScrPLS", T::MnuToolScrPls);
    QMenu* mnuToolIpri = submenu(mnuTool, "mnuToolIpri", T::MnuToolIpri);
    mnuTool->addMenu(mnuToolIpri);
    mnuToolIpriWSCR = entry(mnuToolIpri, "mnuToolIpriWSCR", T::MnuToolIpriWscr);
    separator(mnuToolIpri, "mnuSept13");
    mnuToolIpriCSCR = entry(mnuToolIpri, "mnuToolIpriCSCR", T::MnuToolIpriCscr);
    mnuToolOption = entry(mnuTool, "mnuToolOption", T::MnuToolOption);

    QMenu* mnuHelp = submenu(this, "mnuHelp", T::MnuHelp);
    menuBar()->addMenu(mnuHelp);
    mnuHelpVOXTool = entry(mnuHelp, "mnuHelpVOXTool", T::MnuHelpUsage);
    separator(mnuHelp, "mnuHelpSep1");
    mnuHelpAbout = entry(mnuHelp, "mnuHelpAbout", T::MnuHelpAbout);
}

void frmMain::setTabOrder()
{
    // Frames and the status bar take no focus; the rest in the window's design order.
    const QList<QWidget*> order{fldDrive, fldDir, fldFileList, fldViewSrc, btnOption, btnRun, btnEdit,
                                btnNew,   selJS,  selVBS,      selPls,     cCsc,      cWSC,   btnEncode};
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);

    // An option group is one tab stop, its selected button; the arrow keys move within it.
    for (const QList<QRadioButton*>& group :
         {QList<QRadioButton*>{selJS, selVBS, selPls}, QList<QRadioButton*>{cWSC, cCsc}}) {
        auto update = [group] {
            for (QRadioButton* r : group)
                r->setFocusPolicy(r->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
        };
        for (QRadioButton* r : group)
            connect(r, &QRadioButton::toggled, this, update);
        update();
    }
}

void frmMain::addHint(QWidget* w, const Hint& hint)
{
    QList<QWidget*> targets{w};
    if (auto* area = qobject_cast<QAbstractScrollArea*>(w))
        targets.append(area->viewport());
    // A screen reader's user reads what the status bar would say.
    w->setAccessibleDescription(hint.onMouse.isEmpty() ? hint.onFocus : hint.onMouse);
    for (QWidget* t : targets) {
        m_hints.insert(t, hint);
        t->installEventFilter(this);
        t->setMouseTracking(true);
        // A move over a control is its own: the frame around it must not answer for it.
        t->setAttribute(Qt::WA_NoMousePropagation);
    }
}

void frmMain::installHints()
{
    addHint(btnNew, {T::HintNewFocus, T::HintNewMouse, true});
    addHint(btnEdit, {T::HintEdit, T::HintEdit, true});
    addHint(btnRun, {T::HintRun, T::HintRun, true});
    addHint(btnEncode, {{}, T::HintEncode, false});
    addHint(btnOption, {T::HintOption, T::HintOption, true});
    addHint(cWSC, {{}, T::HintWsc, true});
    addHint(cCsc, {{}, T::HintCsc, true});
    addHint(Frame1, {{}, T::HintFrame1, false});
    addHint(fldDrive, {T::HintDriveFocus, {}, true});
    addHint(fldDir, {T::HintDirFocus, T::HintDirMouse, true});
    addHint(fldFileList, {T::HintFileList, T::HintFileList, true});
    addHint(fldViewSrc, {{}, T::HintViewSrc, true});
    // Silent ones, registered so that moves over them stay theirs.
    for (QWidget* w : {static_cast<QWidget*>(selJS), static_cast<QWidget*>(selVBS),
                       static_cast<QWidget*>(selPls), static_cast<QWidget*>(CInterp)})
        addHint(w, {});
    addHint(sbMain, {});
    addHint(m_statusLabel, {});
}

bool frmMain::eventFilter(QObject* watched, QEvent* event)
{
    // F1 on a highlighted menu entry: its topic.
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
        if (auto* menu = qobject_cast<QMenu*>(watched)) {
            const QAction* a = menu->activeAction();
            showHelp(a ? a->property(HelpTopic).toInt() : 0);
            return true;
        }
    }
    const auto it = m_hints.constFind(watched);
    if (it == m_hints.cend())
        return QMainWindow::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::FocusIn:
        if (!it->onFocus.isEmpty())
            setStatusText(it->onFocus);
        break;
    case QEvent::FocusOut:
        // A menu or a drop-down list takes the keyboard while the control keeps the focus.
        if (it->idleOnFocusOut && !popupFocus(static_cast<QFocusEvent*>(event)->reason()))
            setStatusText(m_workbench.idleStatusText());
        break;
    case QEvent::MouseMove:
        if (watched == sbMain || watched == m_statusLabel)
            setStatusText(m_workbench.idleStatusText());
        else if (!it->onMouse.isEmpty())
            setStatusText(it->onMouse);
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::keyPressEvent(QKeyEvent* event)
{
    if (event->key() != Qt::Key_F1) {
        QMainWindow::keyPressEvent(event);
        return;
    }
    // The focused control's topic, or that of the control it belongs to.
    int topic = 0;
    for (QWidget* w = focusWidget(); w && w != this && !topic; w = w->parentWidget())
        topic = w->property(HelpTopic).toInt();
    showHelp(topic);
}

bool frmMain::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::StatusTip:
        return true; // menu entries must not write into the status bar
    case QEvent::WindowDeactivate:
        // Where a menu or a drop-down list of this window is what became active, the window
        // has not lost the user.
        if (!QApplication::activePopupWidget())
            setStatusText(m_workbench.idleStatusText());
        break;
    default:
        break;
    }
    return QMainWindow::event(event);
}

void frmMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (m_shownOnce)
        return;
    m_shownOnce = true;
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    // The first control in the tab order starts with the focus, and so with its hint.
    fldDrive->setFocus(Qt::ActiveWindowFocusReason);
    activateWindow();
}

QString frmMain::statusText() const
{
    return m_statusLabel->text();
}

void frmMain::setStatusText(const QString& text)
{
    m_statusLabel->setText(text);
    Q_EMIT statusTextSet(text);
}

void frmMain::Form_Load()
{
    m_helpFile = PosixFile::currentFolder() + u'/' + T::HelpFileName;
    setStatusText(T::LoadStatus);
    m_workbench.load();
}

void frmMain::mnuFileExit_Click()
{
    close();
}

void frmMain::standOnWorkingFolder()
{
    const QString cwd = PosixFile::currentFolder();
    Drives& drives = m_workbench.services().drives;
    const QString root = drives.rootOf(cwd);
    {
        const QSignalBlocker quiet(fldDrive);
        for (const Volume& v : drives.volumes())
            fldDrive->addItem(v.display(), v.root);
        fldDrive->setCurrentIndex(qMax(0, fldDrive->findData(root)));
    }
    connect(fldDrive, &QComboBox::currentIndexChanged, this, &frmMain::fldDrive_Change);
    connect(fldDir, &DirListBox::pathChanged, this, &frmMain::fldDir_Change);
    connect(fldDir, &DirListBox::openFailed, this,
            [this](const QString& path) { setStatusText(T::FolderUnreadable + path); });
    connect(fldFileList, &FileListBox::fileChosen, this, &frmMain::fldFileList_Click);
    connect(&m_workbench, &Workbench::scriptWritten, fldFileList, &FileListBox::refresh);
    connect(fldViewSrc, &QPlainTextEdit::textChanged, this, &frmMain::fldViewSrc_Change);
    if (!fldDir->setPath(cwd))
        fldDir->setPath(root);
}

void frmMain::fldDrive_Change()
{
    const Services& services = m_workbench.services();
    const QString root = fldDrive->currentData().toString();
    if (fldDir->setPath(services.drives.currentFolder(root)) || fldDir->setPath(root))
        return;
    // Not ready: say so and stand on the drive that is still shown.
    services.dialogs.MsgBox(T::DriveNotReady + root, MsgFlags::Exclamation);
    const QSignalBlocker quiet(fldDrive);
    fldDrive->setCurrentIndex(qMax(0, fldDrive->findData(services.drives.rootOf(fldDir->path()))));
}

void frmMain::fldDir_Change()
{
    m_workbench.services().drives.rememberFolder(fldDir->path());
    if (!fldFileList->setPath(fldDir->path()))
        setStatusText(T::FolderUnreadable + fldDir->path());
}

void frmMain::fldFileList_Click()
{
    const QString name = fldFileList->fileName();
    btnEdit->setEnabled(true);
    fldViewSrc->setEnabled(true);
    mnuFileOpen->setEnabled(true);
    m_workbench.selectFile(ScriptFiles::join(fldFileList->path(), name));
    const QString& selectedFile = m_workbench.selectedFile();
    // The real name acts; the readable one is shown.
    const QString shown = NativeName::display(selectedFile);
    switch (m_preview->load(selectedFile)) {
    case PreviewLoader::Result::Loaded:
        break;
    case PreviewLoader::Result::Truncated:
        static_assert(ScriptFiles::MaxBytes == 64 * 1024 * 1024, "the status text names the limit");
        setStatusText(T::FileTruncated + shown);
        break;
    case PreviewLoader::Result::Unreadable:
        setStatusText(T::FileUnreadable + shown);
        break;
    }
    setWindowTitle(shown + T::CaptionSuffix);
}

void frmMain::connectActions()
{
    // However a button becomes the selected one; and a click on the button that is already
    // selected confirms it again, so that the kind and host shown selected at start can be
    // made effective too.
    connect(selVBS, &OptionButton::chosen, this, &frmMain::selVBS_Click);
    connect(selJS, &OptionButton::chosen, this, &frmMain::selJS_Click);
    connect(selPls, &OptionButton::chosen, this, &frmMain::selPls_Click);
    connect(cWSC, &OptionButton::chosen, this, &frmMain::cWSC_Click);
    connect(cCsc, &OptionButton::chosen, this, &frmMain::cCsc_Click);
    for (QAction* a : {mnuToolScrJS, mnuToolScrVBS, mnuToolScrPLS, mnuToolIpriWSCR, mnuToolIpriCSCR})
        a->setCheckable(true);
    connect(mnuToolScrVBS, &QAction::triggered, this, &frmMain::mnuToolScrVBS_Click);
    connect(mnuToolScrJS, &QAction::triggered, this, &frmMain::mnuToolScrJS_Click);
    connect(mnuToolScrPLS, &QAction::triggered, this, &frmMain::mnuToolScrPLS_Click);
    connect(mnuToolIpriWSCR, &QAction::triggered, this, &frmMain::mnuToolIpriWSCR_Click);
    connect(mnuToolIpriCSCR, &QAction::triggered, this, &frmMain::mnuToolIpriCSCR_Click);
    connect(btnNew, &QPushButton::clicked, this, &frmMain::btnNew_Click);
    connect(mnuFileNew, &QAction::triggered, this, &frmMain::mnuFileNew_Click);
    connect(btnEdit, &QPushButton::clicked, this, &frmMain::btnEdit_Click);
    connect(mnuFileOpen, &QAction::triggered, this, &frmMain::mnuFileOpen_Click);
    connect(btnOption, &QPushButton::clicked, this, &frmMain::btnOption_Click);
    connect(mnuToolOption, &QAction::triggered, this, &frmMain::mnuToolOption_Click);
    connect(mnuHelpAbout, &QAction::triggered, this, &frmMain::mnuHelpAbout_Click);
    connect(mnuHelpVOXTool, &QAction::triggered, this, &frmMain::mnuHelpVOXTool_Click);
    connect(btnRun, &QPushButton::clicked, this, &frmMain::btnRun_Click);
    connect(mnuFileRun, &QAction::triggered, this, &frmMain::mnuFileRun_Click);
    connect(btnEncode, &QPushButton::clicked, this, &frmMain::btnEncode_Click);
    connect(&m_workbench, &Workbench::runStarted, this, &RunStarting::show);
    connect(mnuFileEncode, &QAction::triggered, this, &frmMain::mnuFileEncode_Click);
}

ScriptKind frmMain::selectedKind() const
{
    if (selVBS->isChecked())
        return ScriptKind::VBScript;
    if (selJS->isChecked())
        return ScriptKind::JavaScript;
    if (selPls->isChecked())
        return ScriptKind::PerlScript;
    return ScriptKind::VBScript;
}

void frmMain::chooseKind(ScriptKind kind, const QString& message)
{
    m_workbench.services().dialogs.MsgBox(message, MsgFlags::OkOnly);
    m_workbench.chooseKind(kind);
}

void frmMain::chooseHost(const QString& interpreter, const QString& message)
{
    m_workbench.services().dialogs.MsgBox(message, MsgFlags::Information, T::AppTitle);
    m_workbench.chooseHost(interpreter);
}

void frmMain::selVBS_Click()
{
    chooseKind(ScriptKind::VBScript, T::KindVbs);
}

void frmMain::selJS_Click()
{
    chooseKind(ScriptKind::JavaScript, T::KindJs);
}

void frmMain::selPls_Click()
{
    chooseKind(ScriptKind::PerlScript, T::KindPls);
}

void frmMain::cWSC_Click()
{
    chooseHost(Interpreter::Gui, T::HostWsc);
}

void frmMain::cCsc_Click()
{
    chooseHost(Interpreter::Console, T::HostCsc);
}

void frmMain::checkMenuEntry(QAction* chosen, const QList<QAction*>& entries)
{
    for (QAction* a : entries)
        a->setChecked(a == chosen);
}

void frmMain::mnuToolScrVBS_Click()
{
    checkMenuEntry(mnuToolScrVBS, {mnuToolScrJS, mnuToolScrVBS, mnuToolScrPLS});
    selVBS->choose();
}

void frmMain::mnuToolScrJS_Click()
{
    checkMenuEntry(mnuToolScrJS, {mnuToolScrJS, mnuToolScrVBS, mnuToolScrPLS});
    selJS->choose();
}

void frmMain::mnuToolScrPLS_Click()
{
    checkMenuEntry(mnuToolScrPLS, {mnuToolScrJS, mnuToolScrVBS, mnuToolScrPLS});
    selPls->choose();
}

void frmMain::mnuToolIpriWSCR_Click()
{
    checkMenuEntry(mnuToolIpriWSCR, {mnuToolIpriWSCR, mnuToolIpriCSCR});
    cWSC->choose();
}

void frmMain::mnuToolIpriCSCR_Click()
{
    checkMenuEntry(mnuToolIpriCSCR, {mnuToolIpriWSCR, mnuToolIpriCSCR});
    cCsc->choose();
}

void frmMain::btnNew_Click()
{
    m_workbench.newScript(fldFileList->path(), selectedKind(), Workbench::From::Button);
}

void frmMain::mnuFileNew_Click()
{
    m_workbench.newScript(fldFileList->path(), selectedKind(), Workbench::From::Menu);
}

void frmMain::btnEdit_Click()
{
    if (m_workbench.edit() == Workbench::Edit::NewScriptWanted)
        btnNew_Click();
}

void frmMain::mnuFileOpen_Click()
{
    m_workbench.open();
}

namespace {
// Shows the one window of its kind, made when there is none; it keeps what it shows. A
// window of its own, not a child of the main window, so that closing the main window
// neither closes it nor loses what was typed there.
template <class Window> void showOne(QPointer<QDialog>& slot, const Services& services)
{
    if (!slot)
        slot = new Window(services, nullptr);
    slot->show();
    slot->raise();
    slot->activateWindow();
}
} // namespace

void frmMain::btnOption_Click()
{
    showOne<frmOption>(m_option, m_workbench.services());
}

void frmMain::mnuToolOption_Click()
{
    btnOption_Click();
}

void frmMain::mnuHelpAbout_Click()
{
    showOne<frmAbout>(m_about, m_workbench.services());
}

namespace {
// The manual at `path`, or, when there is none, the one installed with the program.
QString manualAt(const QString& path)
{
    if (PosixFile::kind(path) == PosixFile::Kind::Regular)
        return path;
    const QFileInfo installed(Installed::dataFolder() + u'/' + frmMainText::HelpFileName);
    return installed.isFile() ? installed.canonicalFilePath() : path;
}
} // namespace

void frmMain::mnuHelpVOXTool_Click()
{
    // The working folder of the moment, not the one of the start.
    const QString path = PosixFile::currentFolder() + u'/' + T::HelpFileName;
    const Services& services = m_workbench.services();
    launchOrReport(services.launcher, services.dialogs, QStringLiteral("hh.exe ") + manualAt(path),
                   WindowStyle::NormalFocus);
}

void frmMain::showHelp(int topic)
{
    const QString mapid = topic > 0 ? QStringLiteral("-mapid %1 ").arg(topic) : QString();
    const Services& services = m_workbench.services();
    launchOrReport(services.launcher, services.dialogs,
                   QStringLiteral("hh.exe ") + mapid + manualAt(m_helpFile), WindowStyle::NormalFocus);
}

void frmMain::selectScript(const QString& name)
{
    fldFileList->selectName(name);
}

void frmMain::btnRun_Click()
{
    m_workbench.run(Workbench::From::Button);
}

void frmMain::mnuFileRun_Click()
{
    m_workbench.run(Workbench::From::Menu);
}

void frmMain::btnEncode_Click()
{
    m_workbench.encode(selectedKind());
}

void frmMain::mnuFileEncode_Click()
{
    btnEncode_Click();
}
