#pragma once

#include <QtGlobal>

// Shows that a run is starting: a busy cursor over Quillet from the launch until the
// script host's process is up (Wine can take a second or more to start it), or until the
// process has ended, at most 15 s. The status bar, which the main window owns, is left alone.
namespace RunStarting {
void show(qint64 pid);
}
