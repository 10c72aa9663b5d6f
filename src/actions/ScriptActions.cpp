#include "ScriptActions.h"

#include "Dialogs.h"
#include "Launch.h"
#include "Launcher.h"
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
    launchOrReport(services.launcher, services.dialogs, ScriptCommand::withAnswer(line, answer),
                   WindowStyle::NormalFocus);
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

} // namespace ScriptActions
