#include "ScriptCommands.h"
#include "ScriptKind.h"
#include "WinCommandLine.h"

using WinCommandLine::quoted;

const ScriptKindInfo& scriptKindInfo(ScriptKind kind)
{
    static const ScriptKindInfo vbs{QStringLiteral("' "), QStringLiteral(".vbs"), QStringLiteral(".VBE")};
    static const ScriptKindInfo js{QStringLiteral("// "), QStringLiteral(".js"), QStringLiteral(".JSE")};
    static const ScriptKindInfo pls{QStringLiteral("# "), QStringLiteral(".pls"), QStringLiteral(".PLE")};
    switch (kind) {
    case ScriptKind::JavaScript:
        return js;
    case ScriptKind::PerlScript:
        return pls;
    case ScriptKind::VBScript:
        break;
    }
    return vbs;
}

namespace ScriptCommand {

QString run(const QString& interpreter, const QString& script)
{
    return interpreter + u' ' + quoted(script);
}

QString encode(const QString& encoder, const QString& script)
{
    // A program's name ends at the next quote: it cannot hold one.
    return u'"' + encoder + u'"' + u' ' + quoted(script);
}

QString encodeDefaultAnswer(const QString& script, const QString& encodedExtension)
{
    return QStringLiteral("/f ") + quoted(script + encodedExtension);
}

QString withAnswer(const QString& line, const QString& answer)
{
    return answer == NoCommLine ? line : line + u' ' + answer;
}

} // namespace ScriptCommand
