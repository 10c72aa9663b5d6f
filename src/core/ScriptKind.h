#pragma once

#include <QString>

// The three kinds of script a new file can be and an encoded copy is named after.
enum class ScriptKind { VBScript, JavaScript, PerlScript };

struct ScriptKindInfo {
    QString commentMark;      // starts each header line of a new script
    QString sourceExtension;  // of a new script
    QString encodedExtension; // appended to the source name by the encoder
};

const ScriptKindInfo& scriptKindInfo(ScriptKind kind);

// The two script hosts, named as the command line names them.
namespace Interpreter {
inline const QString Gui = QStringLiteral("WSCRIPT.EXE");
inline const QString Console = QStringLiteral("CSCRIPT.EXE");
} // namespace Interpreter
