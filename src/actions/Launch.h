#pragma once

#include <QString>

class Dialogs;
class Launcher;

// Starts `commandLine`; when nothing starts, tells the user which program and why, and
// goes on. True when a program was started, its process id in `pid` where asked for.
bool launchOrReport(Launcher& launcher, Dialogs& dialogs, const QString& commandLine, int windowStyle,
                    qint64* pid = nullptr);
