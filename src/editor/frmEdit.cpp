#include "frmEdit.h"

#include "Dialogs.h"
#include "Fonts.h"
#include "NativeName.h"
#include "Printing.h"
#include "SafeFile.h"
#include "ScriptBox.h"
#include "ScriptFiles.h"
#include "Twips.h"
#include "frmEditTexts.h"

#include <QAction>

#define signals Q_SIGNALS
#define slots Q_SLOTS
#include <Qsci/qsciprinter.h>
#undef signals
#undef slots

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QScopedValueRollback>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

namespace T = frmEditText;

namespace {

QFont windowFont()
{
    return Fonts::sized(Fonts::Gothic, 11.25);
}

} // namespace

frmEdit::frmEdit(const Services& services, Printing& printing)
    : m_services(services)
    , m_printing(printing)
{
    setObjectName(QStringLiteral("frmEdit"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(T::Caption);
    setAccessibleName(T::Caption);
    setWindowIcon(QIcon(QStringLiteral(":/editor/frmEdit.png")));
    setFont(windowFont());
    createControls();
    createMenus();
    createToolbar();
    resize(twips(9000), twips(6450) + menuBar()->sizeHint().height());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    Form_Load();
}

bool frmEdit::mayRefill()
{
    if (m_isSaved)
        return true;
    raise();
    activateWindow();
    switch (m_services.dialogs.MsgBox(T::NotSaved, MsgFlags::YesNoCancel, T::Title)) {
    case MsgResult::Yes:
        return saveAsking(T::SaveFailed);
    case MsgResult::No:
        return true;
    default:
        return false;
    }
}

void frmEdit::showFile(const QString& path)
{
    show();
    raise();
    activateWindow();
    load(path);
    // Ready for typing into the script, not into its path.
    fldEditSrc->setFocus(Qt::OtherFocusReason);
}

void frmEdit::createControls()
{
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("frmEditClient"));
    Label1 = new QLabel(T::Label1, client);
    Label1->setObjectName(QStringLiteral("Label1"));
    fldFileName = new QLineEdit(client);
    fldFileName->setObjectName(QStringLiteral("fldFileName"));
    fldFileName->setAccessibleName(T::Label1);
    Label1->setBuddy(fldFileName);
    fldEditSrc = new ScriptBox(client);
    fldEditSrc->setObjectName(QStringLiteral("fldEditSrc"));
    fldEditSrc->setAccessibleName(T::NameEditSrc);
    // The box's modified flag, not its text-change events, which it leaves out for large
    // scripts.
    connect(fldEditSrc, &QsciScintilla::modificationChanged, this, [this](bool modified) {
        if (modified)
            fldEditSrc_Change();
    });
    // To the line an error message names; added to the window, not to its menus.
    auto* goTo = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_G), this);
    connect(goTo, &QShortcut::activated, this, &frmEdit::goToLine);

    auto* row = new QHBoxLayout;
    row->addWidget(Label1);
    row->addWidget(fldFileName, 1);
    auto* column = new QVBoxLayout(client);
    column->setContentsMargins(twips(60), twips(60), twips(60), 0);
    column->addLayout(row);
    column->addWidget(fldEditSrc, 1);
    setCentralWidget(client);

    SBfedit = new QStatusBar(this);
    SBfedit->setObjectName(QStringLiteral("SBfedit"));
    SBfedit->setAccessibleName(T::NameStatus);
    SBfedit->setFixedHeight(twips(375));
    setStatusBar(SBfedit);
}

void frmEdit::createMenus()
{
    auto entry = [](QMenu* menu, const char* name, const QString& caption) {
        QAction* a = menu->addAction(caption);
        a->setObjectName(QLatin1String(name));
        return a;
    };
    auto* mnuFile = new QMenu(T::MnuFile, this);
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    menuBar()->addMenu(mnuFile);
    connect(entry(mnuFile, "mnuFileSave", T::MnuFileSave), &QAction::triggered, this,
            &frmEdit::mnuFileSave_Click);
    connect(entry(mnuFile, "mnuFilePrint", T::MnuFilePrint), &QAction::triggered, this,
            &frmEdit::mnuFilePrint_Click);
    mnuFile->addSeparator()->setObjectName(QStringLiteral("mnuFileSept"));
    // Closes through the same question as the title bar's close box.
    connect(entry(mnuFile, "mnuFileClose", T::MnuFileClose), &QAction::triggered, this, &QWidget::close);

    auto* mnuEdit = new QMenu(T::MnuEdit, this);
    mnuEdit->setObjectName(QStringLiteral("mnuEdit"));
    menuBar()->addMenu(mnuEdit);
    connect(entry(mnuEdit, "mnuEditUndo", T::MnuEditUndo), &QAction::triggered, this,
            &frmEdit::mnuEditUndo_Click);
    mnuEdit->addSeparator()->setObjectName(QStringLiteral("mnuEditSep1"));
    connect(entry(mnuEdit, "mnuEditCut", T::MnuEditCut), &QAction::triggered, this,
            &frmEdit::mnuEditCut_Click);
    connect(entry(mnuEdit, "mnuEditCopy", T::MnuEditCopy), &QAction::triggered, this,
            &frmEdit::mnuEditCopy_Click);
    connect(entry(mnuEdit, "mnuEditPaste", T::MnuEditPaste), &QAction::triggered, this,
            &frmEdit::mnuEditPaste_Click);
}

void frmEdit::createToolbar()
{
    Toolbar1 = new QToolBar(this);
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setAccessibleName(T::NameToolbar);
    Toolbar1->setMovable(false);
    Toolbar1->setFloatable(false);
    Toolbar1->setIconSize(QSize(16, 15));
    Toolbar1->setFixedHeight(twips(525));
    Toolbar1->toggleViewAction()->setEnabled(false);
    addToolBar(Qt::TopToolBarArea, Toolbar1);
    auto button = [this](const char* image, const QString& name) {
        QAction* a =
            Toolbar1->addAction(QIcon(QStringLiteral(":/editor/%1.png").arg(QLatin1String(image))), name);
        a->setObjectName(QStringLiteral("tool") + QLatin1String(image));
        return a;
    };
    // New and open have nothing to do in a window that edits the file it was given.
    button("new", T::ToolNew)->setEnabled(false);
    button("open", T::ToolOpen)->setEnabled(false);
    connect(button("save", T::ToolSave), &QAction::triggered, this, &frmEdit::mnuFileSave_Click);
    connect(button("print", T::ToolPrint), &QAction::triggered, this, &frmEdit::mnuFilePrint_Click);
    QAction* cut = button("cut", T::ToolCut);
    QAction* copy = button("copy", T::ToolCopy);
    connect(cut, &QAction::triggered, fldEditSrc, &QsciScintilla::cut);
    connect(copy, &QAction::triggered, fldEditSrc, &QsciScintilla::copy);
    connect(button("paste", T::ToolPaste), &QAction::triggered, fldEditSrc, &QsciScintilla::paste);
    cut->setEnabled(false);
    copy->setEnabled(false);
    connect(fldEditSrc, &QsciScintilla::copyAvailable, cut, &QAction::setEnabled);
    connect(fldEditSrc, &QsciScintilla::copyAvailable, copy, &QAction::setEnabled);
}

void frmEdit::Form_Load()
{
    m_isSaved = true;
}

void frmEdit::fldEditSrc_Change()
{
    if (!m_loading)
        m_isSaved = false;
}

void frmEdit::reportOpenFailure(const QString& path, const QString& reason)
{
    m_services.dialogs.MsgBox(T::OpenFailed + QStringLiteral("\r\n") + NativeName::display(path) +
                                  QStringLiteral("\r\n") + reason,
                              MsgFlags::Exclamation, T::Title);
}

void frmEdit::load(const QString& path)
{
    m_fieldPath = path;
    fldFileName->setText(NativeName::display(path));
    // Refused whole rather than cut: a cut text saved back would lose the rest.
    const PosixFile::Read read = PosixFile::readRegular(path, ScriptFiles::MaxBytes);
    m_offered.reset();
    if (!read.ok) {
        reportOpenFailure(path, read.reason);
        m_file = ScriptText();
        m_path.clear();
        m_stamp.reset();
        // What is there was never shown, so a save must not silently put this text in its place.
        m_unread = path;
    } else {
        m_file = ScriptText(read.bytes);
        m_path = path;
        m_unread.clear();
        m_stamp = read.stamp;
        m_diskHash = qHash(read.bytes, 0);
        // What a save cannot keep as it was, said once, when the file is read.
        QStringList warnings;
        if (m_file.hasUndecodableBytes())
            warnings << (m_file.encoding() == TextEncoding::Cp932 ? T::LossyText : T::LossyUnicodeText);
        if (m_file.hasAliasedCodes())
            warnings << T::AliasedCodes;
        if (!warnings.isEmpty())
            m_services.dialogs.MsgBox(warnings.join(QStringLiteral("\r\n\r\n")), MsgFlags::Exclamation,
                                      T::Title);
    }
    // Loading is not a change: an untouched file closes without a question.
    m_loading = true;
    m_isSaved = true;
    fldEditSrc->showText(m_file.takeText(), path, m_file.lineEnd(), [this] {
        m_loading = false;
        m_isSaved = true;
    });
}

QString frmEdit::targetPath() const
{
    const QString shown = fldFileName->text();
    return shown == NativeName::display(m_fieldPath) ? m_fieldPath : shown;
}

void frmEdit::saveWsh(const QString& path, bool& success)
{
    const QString text = fldEditSrc->wholeText();
    const std::optional<QByteArray> bytes = m_file.toBytes(text);
    QString reason;
    success = bytes && SafeFile::replace(path, *bytes, &reason);
    if (!success)
        return;
    m_isSaved = true;
    // The next change leaves this state, and tells so.
    fldEditSrc->setModified(false);
    // From now on the window edits what it wrote.
    m_path = path;
    m_unread.clear();
    m_stamp = PosixFile::stamp(path);
    m_diskHash = qHash(*bytes, 0);
    m_offered.reset();
}

bool frmEdit::changedOnDisk(std::optional<PosixFile::Stamp>* now)
{
    if (m_path.isEmpty() || !m_stamp)
        return false;
    const std::optional<PosixFile::Stamp> current = PosixFile::stamp(m_path);
    if (now)
        *now = current;
    // Gone is not changed: a save puts it back.
    if (!current || *current == *m_stamp)
        return false;
    const PosixFile::Read read = PosixFile::readRegular(m_path, ScriptFiles::MaxBytes);
    if (read.ok && qHash(read.bytes, 0) == m_diskHash) {
        m_stamp = current; // touched, not changed
        return false;
    }
    return true;
}

bool frmEdit::mayOverwrite(const QString& path)
{
    constexpr int ask = MsgFlags::YesNo | MsgFlags::Exclamation | MsgFlags::DefaultButton2;
    if (!m_unread.isEmpty() && path == m_unread && PosixFile::kind(path) != PosixFile::Kind::Missing)
        return m_services.dialogs.MsgBox(T::OverwriteUnread, ask, T::Title) == MsgResult::Yes;
    if (path == m_path && changedOnDisk())
        return m_services.dialogs.MsgBox(T::OverwriteChanged, ask, T::Title) == MsgResult::Yes;
    return true;
}

bool frmEdit::saveAsking(const QString& failedText)
{
    const QString path = targetPath();
    const QScopedValueRollback asking(m_asking, true);
    if (!mayOverwrite(path))
        return false;
    bool success = false;
    saveWsh(path, success);
    if (!success)
        m_services.dialogs.MsgBox(failedText, MsgFlags::Critical, T::Title);
    return success;
}

void frmEdit::mnuFileSave_Click()
{
    saveAsking(T::SaveFailed);
}

void frmEdit::offerReload()
{
    if (m_asking || !isVisible())
        return;
    std::optional<PosixFile::Stamp> now;
    if (!changedOnDisk(&now) || (m_offered && now == m_offered))
        return;
    // Asked once per change: No keeps the window's text, and the save asks again.
    m_offered = now;
    const QScopedValueRollback asking(m_asking, true);
    if (m_services.dialogs.MsgBox(m_isSaved ? T::Reload : T::ReloadLosingChanges,
                                  MsgFlags::YesNo | MsgFlags::Exclamation, T::Title) == MsgResult::Yes) {
        const QString shown = fldFileName->text();
        const QString fieldPath = m_fieldPath;
        load(m_path);
        // A path the user typed stays where the next save goes.
        m_fieldPath = fieldPath;
        fldFileName->setText(shown);
    }
}

bool frmEdit::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate && !m_asking)
        QTimer::singleShot(0, this, &frmEdit::offerReload);
    return QMainWindow::event(event);
}

void frmEdit::mnuFilePrint_Click()
{
    QsciPrinter printer;
    printer.setDocName(fldFileName->text());
    // Long lines wrap on paper rather than run off the page.
    printer.setWrapMode(QsciScintilla::WrapCharacter);
    fldEditSrc->finishLoading();
    const bool hasSelection = fldEditSrc->hasSelectedText();
    if (!m_printing.choosePrinter(printer, hasSelection, this))
        return;
    if (hasSelection && printer.QPrinter::printRange() == QPrinter::Selection) {
        // The box prints whole lines, and one more than asked: the selection goes to paper
        // from a box of its own, in the same colours.
        ScriptBox selection;
        selection.showText(fldEditSrc->selectedText(), targetPath());
        printer.printRange(&selection);
        return;
    }
    printer.printRange(fldEditSrc);
}

void frmEdit::goToLine()
{
    fldEditSrc->finishLoading();
    const QString answer = m_services.dialogs.InputBox(T::GoToPrompt.arg(fldEditSrc->lines()), T::GoToTitle,
                                                       QString::number(fldEditSrc->currentLine()));
    bool ok = false;
    const int line = answer.trimmed().toInt(&ok);
    if (ok)
        fldEditSrc->goToLine(line);
}

void frmEdit::mnuEditUndo_Click()
{
    m_services.dialogs.MsgBox(T::NotImplemented, MsgFlags::OkOnly);
}

void frmEdit::mnuEditCut_Click()
{
    m_services.dialogs.MsgBox(T::NotImplemented, MsgFlags::OkOnly);
}

void frmEdit::mnuEditCopy_Click()
{
    m_services.dialogs.MsgBox(T::NotImplemented, MsgFlags::OkOnly);
}

void frmEdit::mnuEditPaste_Click()
{
    m_services.dialogs.MsgBox(T::NotImplemented, MsgFlags::OkOnly);
}

void frmEdit::Form_Unload(bool& cancel)
{
    if (m_isSaved)
        return;
    const QScopedValueRollback asking(m_asking, true);
    switch (m_services.dialogs.MsgBox(T::NotSaved, MsgFlags::YesNoCancel, T::Title)) {
    case MsgResult::Yes:
        if (!saveAsking(T::SaveOnCloseFailed))
            cancel = true;
        break;
    case MsgResult::No:
        break;
    default:
        cancel = true;
        break;
    }
}

void frmEdit::closeEvent(QCloseEvent* event)
{
    bool cancel = false;
    Form_Unload(cancel);
    if (cancel)
        event->ignore();
    else
        event->accept();
}
