#include "Workbench.h"

#include "Clock.h"
#include "Dialogs.h"
#include "InternalEditor.h"
#include "Launch.h"
#include "Launcher.h"
#include "NativeName.h"
#include "NewScript.h"
#include "PosixFile.h"
#include "SafeFile.h"
#include "ScriptCommands.h"
#include "WorkbenchTexts.h"
#include "mdlUtils.h"

#include <QLocale>

namespace T = WorkbenchText;

Workbench::Workbench(const Services& services, InternalEditor& editor)
    : m_services(services)
    , m_editor(editor)
{
}

void Workbench::load()
{
    m_idleStatusText = T::IdleStatus;
    m_editorPath =
        mdlUtils::GetOption(m_services.settings, mdlUtils::OptionKey::Editor, mdlUtils::DefaultEditor);
    m_userName = mdlUtils::GetOption(m_services.settings, mdlUtils::OptionKey::UserName, T::DefaultUserName);
}

void Workbench::selectFile(const QString& path)
{
    m_selectedFile = path;
}

void Workbench::chooseKind(ScriptKind kind)
{
    m_commentMark = scriptKindInfo(kind).commentMark;
}

void Workbench::chooseHost(const QString& interpreter)
{
    m_interpreter = interpreter;
}

void Workbench::run(From from)
{
    if (m_interpreter.isEmpty())
        m_interpreter = Interpreter::Gui;
    if (m_selectedFile.isEmpty()) {
        m_services.dialogs.MsgBox(T::RunNoFile, MsgFlags::OkOnly);
        return;
    }
    const QString line = ScriptCommand::run(m_interpreter, m_selectedFile);
    const QString answer =
        from == From::Button
            ? m_services.dialogs.InputBox(T::RunPrompt, T::RunTitle, ScriptCommand::NoCommLine)
            : m_services.dialogs.InputBox(T::RunMenuPrompt, T::RunMenuTitle, ScriptCommand::NoCommLine);
    if (answer.isEmpty())
        return;
    qint64 pid = 0;
    if (launchOrReport(m_services.launcher, m_services.dialogs, ScriptCommand::withAnswer(line, answer),
                       WindowStyle::NormalFocus, &pid))
        Q_EMIT runStarted(pid);
}

void Workbench::encode(ScriptKind kind)
{
    const QString encoder = mdlUtils::GetOption(m_services.settings, mdlUtils::OptionKey::Encoder, QString());
    if (encoder.isEmpty())
        return;
    if (m_selectedFile.isEmpty()) {
        m_services.dialogs.MsgBox(T::EncodeNoFile, MsgFlags::OkOnly);
        return;
    }
    if (!ScriptCommand::encoderNameIsValid(encoder)) {
        m_services.dialogs.MsgBox(T::LaunchFailed + QStringLiteral("\r\n") + encoder +
                                      QStringLiteral("\r\n") + T::QuoteInProgram,
                                  MsgFlags::Critical, T::AppTitle);
        return;
    }
    const QString line = ScriptCommand::encode(encoder, m_selectedFile);
    const QString answer = m_services.dialogs.InputBox(
        T::EncodePrompt, T::EncodeTitle,
        ScriptCommand::encodeDefaultAnswer(m_selectedFile, scriptKindInfo(kind).encodedExtension));
    if (answer.isEmpty())
        return;
    launchOrReport(m_services.launcher, m_services.dialogs, ScriptCommand::withAnswer(line, answer),
                   WindowStyle::NormalFocus);
}

void Workbench::newScript(const QString& folder, ScriptKind kind, From from)
{
    Dialogs& dialogs = m_services.dialogs;
    const QString name =
        dialogs.InputBox(from == From::Button ? T::NewPrompt : T::NewMenuPrompt, T::NewTitle, T::NewDefault);
    if (name.isEmpty())
        return;
    if (m_commentMark.isEmpty()) {
        dialogs.MsgBox(T::NewNoKind, MsgFlags::Exclamation, T::AppTitle);
        return;
    }
    const QString path = NewScript::path(folder, name, scriptKindInfo(kind).sourceExtension);
    bool replace = false;
    // Exactly this one path: "*" or "?" in the name are characters, never a pattern. A
    // link, even to nowhere, is something there: a new script never goes through one.
    if (from == From::Button && PosixFile::kind(path, false) != PosixFile::Kind::Missing) {
        switch (dialogs.MsgBox(T::NewExists, MsgFlags::YesNoCancel | MsgFlags::Exclamation, T::AppTitle)) {
        case MsgResult::Yes:
            replace = true;
            break;
        case MsgResult::No:
            break;
        default:
            return;
        }
    }
    const QByteArray header =
        NewScript::headerBytes(NewScript::header(m_commentMark, NativeName::display(path), m_userName,
                                                 NewScript::generalDate(m_services.clock.now(), QLocale())));
    QString reason;
    if (!(replace ? SafeFile::replaceEntry(path, header, &reason)
                  : SafeFile::append(path, header, &reason))) {
        dialogs.MsgBox(T::NewFailed + QStringLiteral("\r\n") + NativeName::display(path) +
                           QStringLiteral("\r\n") + reason,
                       MsgFlags::Critical, T::AppTitle);
        return;
    }
    Q_EMIT scriptWritten(path);
    openInEditor(path);
}

Workbench::Edit Workbench::edit()
{
    if (m_selectedFile.isEmpty()) {
        return m_services.dialogs.MsgBox(T::EditNoFile, MsgFlags::YesNo, T::EditTitle) == MsgResult::Yes
                   ? Edit::NewScriptWanted
                   : Edit::Done;
    }
    openInEditor(m_selectedFile);
    return Edit::Done;
}

void Workbench::open()
{
    if (m_selectedFile.isEmpty())
        m_selectedFile = T::OpenNoFile;
    openInEditor(m_selectedFile);
}

void Workbench::openInEditor(const QString& path)
{
    if (m_editorPath == mdlUtils::InternalEditor) {
        m_editor.openFile(path);
        return;
    }
    launchOrReport(m_services.launcher, m_services.dialogs, m_editorPath + u' ' + path,
                   WindowStyle::NormalFocus);
}
