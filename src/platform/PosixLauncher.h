#pragma once

#include "Launcher.h"
#include "StandIns.h"

#include <QStringList>

// Starts programs as argument vectors, never through a shell, detached so that no child is
// left to reap. A program of the exact name on PATH is started as it is; a Windows program
// this system lacks is replaced by its stand-in (StandIns.h).
//
// Window styles are a Windows notion. The started program maps its own X11 or Wayland
// window, and neither protocol lets the starter ask for it to be minimised, so style 2
// opens a normal window.
class PosixLauncher final : public Launcher {
public:
    // `holdProgram`: the helper that keeps the console host's terminal open; by default
    // the one beside this executable or in the installed libexec folder.
    // `hostFolder`: where Quillet's script hosts are; by default beside the helper.
    explicit PosixLauncher(QString holdProgram = defaultHoldProgram(),
                           QString hostFolder = defaultHostFolder());

    LaunchResult Shell(const QString& commandLine, int windowStyle) override;

    // What a line resolves to, without starting anything; empty program and a reason when
    // nothing can be started.
    StandIns::Launch resolve(const QString& commandLine, QString* reason,
                             LaunchFailure* failure = nullptr) const;

    static QString defaultHoldProgram();
    static QString defaultHostFolder();

private:
    QString m_holdProgram;
    QString m_hostFolder;
};
