#include "ScriptActions.h"

#include "Clock.h"
#include "Dialogs.h"
#include "EditDispatch.h"
#include "Launch.h"
#include "Launcher.h"
#include "NewScript.h"
#include "RunStarting.h"
#include "SafeFile.h"
#include "ScriptCommands.h"
#include "ScriptKind.h"
#include "frmMainTexts.h"
#include "mdlUtils.h"

#include <QFileInfo>

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
    // Exactly this one path: "*" or "?" in the name are characters, never a pattern.
    if (r.askBeforeReplacing && QFileInfo::exists(path)) {
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
    const QByteArray header = NewScript::headerBytes(NewScript::header(
        r.commentMark, path, r.userName, NewScript::generalDate(services.clock.now(), QLocale())));
    QString reason;
    if (!(replace ? SafeFile::replace(path, header, &reason) : SafeFile::append(path, header, &reason))) {
        services.dialogs.MsgBox(T::NewFailed + QStringLiteral("\r\n") + path + QStringLiteral("\r\n") +
                                    reason,
                                MsgFlags::Critical, T::AppTitle);
        return;
    }
    if (r.refreshFileList)
        r.refreshFileList();
    EditDispatch::open(services, r.editorPath, path);
}

} // namespace ScriptActions
