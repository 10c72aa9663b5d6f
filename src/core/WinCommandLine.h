#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Windows command lines, taken apart the way Windows does it, so that a line built for
// Windows reaches a POSIX program as the same argument vector.
namespace WinCommandLine {

// Everything after the program name, by the CommandLineToArgvW rules: backslashes count
// only before a quote, `""` is an empty argument, three quotes in a row give a literal one.
QStringList splitArguments(QStringView rest);

// One way to read the program out of a line: the program text and what follows it.
struct Candidate {
    QString program;
    QString rest;
};

// The readings to try in order. A quoted first word is the only reading. An unquoted one
// is read as CreateProcess does: each prefix up to a blank, shortest first, so that
// `C:\Program Files\x.exe a` is tried as `C:\Program` before `C:\Program Files\x.exe`.
// Empty when the line holds no program: also when it starts with a blank, as a command
// built from an empty program name does, whose first word is then a file and not a
// program to run.
QList<Candidate> programCandidates(const QString& line);

// `arg` in double quotes, so that splitArguments() gives back exactly `arg`: quotes in it
// escaped with a backslash, and backslashes doubled where they come before a quote.
QString quoted(QStringView arg);

} // namespace WinCommandLine
