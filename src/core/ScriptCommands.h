#pragma once

#include <QString>

// The command lines of the run and encode actions, built as the host and the encoder
// expect them on Windows; the launcher takes them apart again.
namespace ScriptCommand {

// The answer that leaves a command line as built.
inline const QString NoCommLine = QStringLiteral("No CommLine");

// `interpreter`, a blank, the quoted script path. Quoted so that the Windows rules give
// back exactly the path, quotes in a file name included.
QString run(const QString& interpreter, const QString& script);

// The quoted encoder path, a blank, the quoted script path. An encoder path that holds a
// quote cannot be written as a program name (see encoderNameIsValid).
QString encode(const QString& encoder, const QString& script);

// What the encode input box offers: the switch and the quoted output path.
QString encodeDefaultAnswer(const QString& script, const QString& encodedExtension);

// `line` as it stands for NoCommLine (exactly, case and all), else a blank and the answer
// exactly as typed.
QString withAnswer(const QString& line, const QString& answer);

inline bool encoderNameIsValid(const QString& encoder)
{
    return !encoder.contains(u'"');
}

} // namespace ScriptCommand
