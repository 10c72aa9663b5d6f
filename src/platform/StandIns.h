#pragma once

#include <QString>
#include <QStringList>

// What this system runs in place of a Windows program it does not have: Quillet's own
// script host under Wine (PerlScript under perl), the console host in a terminal window, notepad.exe as the
// desktop's text editor, hh.exe as a CHM viewer, MSINFO32.EXE as a system-information program, the internet
// shortcut handler as xdg-open, and any other *.exe under Wine.
namespace StandIns {

struct Launch {
    QString program; // absolute path; empty when there is nothing to start
    QStringList arguments;
    QStringList environment; // NAME=value, set on top of the program's own environment
};

// What the table depends on, read off the system by `Context::system()`.
struct Context {
    QString holdProgram;    // keeps a terminal window open until a key is pressed
    QString hostFolder;     // Quillet's cscript.exe, wscript.exe and quillet-pls
    QString wineLoader;     // Wine's 64-bit loader; empty: "wine64" or "wine" on PATH
    QString winePrefix;     // where Wine keeps its C: drive
    QString japaneseLocale; // a Japanese UTF-8 locale this system has, or empty
    QString currentLocale;  // what LC_ALL, LC_CTYPE or LANG say
    bool hasWineDebug = false;
    bool hasWineDllOverrides = false;
    static Context system(const QString& holdProgram, const QString& hostFolder);
};

// Wine's 64-bit loader itself, past the Debian wrapper script whose notices ("it looks like
// wine32 is missing") must not reach the user; empty where Wine is not installed.
QString findWineLoader();

// What every program started under Wine gets on top of the environment.
QStringList wineEnvironment(const Context& c);

// The stand-in for the program `name` (as the command line wrote it; matched by its last
// path element, without regard to case), with `rest` the text that followed it. Nothing
// matched: empty program and empty reason. Matched, but the stand-in is not installed:
// empty program and the reason.
Launch find(const QString& name, const QString& rest, const Context& context, QString* reason);

// A POSIX path as Wine's programs take it, on the drive Z: that Wine maps to "/".
QString wineForm(const QString& path);

} // namespace StandIns
