#pragma once

#include "Launcher.h"

#include <QStringList>

// Starts programs as argument vectors, never through a shell, detached so that no child is
// left to reap. Window styles are a Windows notion: the X11 window of a started program
// is its own, so style 2 (minimised) cannot be imposed from here and is not.
class PosixLauncher final : public Launcher {
public:
    LaunchResult Shell(const QString& commandLine, int windowStyle) override;

    struct Resolved {
        QString program;
        QStringList arguments;
    };
    // The program and arguments a line resolves to, without starting anything; empty
    // program and a reason when nothing can be started.
    static Resolved resolve(const QString& commandLine, QString* reason);
};
