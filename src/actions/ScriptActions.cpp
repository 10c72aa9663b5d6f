#include "ScriptActions.h"

#include "Clock.h"
#include "Dialogs.h"
#include "EditDispatch.h"
#include "Launch.h"
#include "Launcher.h"
#include "NativeName.h"
#include "NewScript.h"
#include "PosixFile.h"
#include "RunStarting.h"
#include "SafeFile.h"
#include "ScriptCommands.h"
#include "ScriptKind.h"
#include "frmMainTexts.h"
#include "mdlUtils.h"

namespace T = frmMainText;

namespace ScriptActions {

void run(const Services& services, QString& interpreter, const QString& selectedFile, const Prompt& prompt)
{
    if (interpreter.isEmpty())
        interpreter = Interpreter::Gui;
    if (selectedFile.isEmpty()) {
        services.dialogs.MsgBox(T::RunNoFile, MsgFlags::OkOnly);
        return;
    }
    const QString line = ScriptCommand::run(interpreter, selectedFile);
    const QString answer = services.dialogs.InputBox(prompt.text, prompt.title, ScriptCommand::NoCommLine);
    if (answer.isEmpty())
        return;
    qint64 pid = 0;
    if (launchOrReport(services.launcher, services.dialogs, ScriptCommand::withAnswer(line, answer),
                       WindowStyle::NormalFocus, &pid))
        RunStarting::show(pid);
}

void encode(const Services& services, const QString& selectedFile, const QString& encodedExtension)
{
    const QString encoder = mdlUtils::GetOption(services.settings, QStringLiteral("Encoder"), QString());
    if (encoder.isEmpty())
        return;
    if (selectedFile.isEmpty()) {
        services.dialogs.MsgBox(T::EncodeNoFile, MsgFlags::OkOnly);
        return;
    }
    if (!ScriptCommand::encoderNameIsValid(encoder)) {
        services.dialogs.MsgBox(LaunchText::Failed + QStringLiteral("\r\n") + encoder +
                                    QStringLiteral("\r\n") + LaunchText::QuoteInProgram,
                                MsgFlags::Critical, QStringLiteral("Quillet"));
        return;
    }
    const QString line = ScriptCommand::encode(encoder, selectedFile);
    const QString answer = services.dialogs.InputBox(
        T::EncodePrompt, T::EncodeTitle, ScriptCommand::encodeDefaultAnswer(selectedFile, encodedExtension));
    if (answer.isEmpty())
        return;
    launchOrReport(services.launcher, services.dialogs, ScriptCommand::withAnswer(line, answer),
                   WindowStyle::NormalFocus);
}

void newScript(const Services& services, const NewScriptRequest& r)
{
    const QString name = services.dialogs.InputBox(r.prompt, T::NewTitle, T::NewDefault);
    if (name.isEmpty())
        return;
    if (r.commentMark.isEmpty()) {
        services.dialogs.MsgBox(T::NewNoKind, MsgFlags::Exclamation, T::AppTitle);
        return;
    }
    const QString path = NewScript::path(r.folder, name, r.extension);
    bool replace = false;
    // Exactly this one path: "*" or "?" in the name are characters, never a pattern. A
    // link, even to nowhere, is something there: a new script never goes through one.
    if (r.askBeforeReplacing && PosixFile::kind(path, false) != PosixFile::Kind::Missing) {
        switch (services.dialogs.MsgBox(T::NewExists, MsgFlags::YesNoCancel | MsgFlags::Exclamation,
                                        T::AppTitle)) {
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
        NewScript::headerBytes(NewScript::header(r.commentMark, NativeName::display(path), r.userName,
                                                 NewScript::generalDate(services.clock.now(), QLocale())));
    QString reason;
    if (!(replace ? SafeFile::replaceEntry(path, header, &reason)
                  : SafeFile::append(path, header, &reason))) {
        services.dialogs.MsgBox(T::NewFailed + QStringLiteral("\r\n") + NativeName::display(path) +
                                    QStringLiteral("\r\n") + reason,
                                MsgFlags::Critical, T::AppTitle);
        return;
    }
    if (r.refreshFileList)
        r.refreshFileList();
    EditDispatch::open(services, r.editorPath, path);
}

} // namespace ScriptActions
