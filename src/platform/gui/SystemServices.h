#pragma once

#include "FileSettingsArea.h"
#include "PosixLauncher.h"
#include "QtDialogs.h"
#include "QtPrinting.h"
#include "RegFileRegistry.h"
#include "Services.h"
#include "SystemClock.h"
#include "SystemDrives.h"

// The real implementation of every outside effect, owned in one place.
struct SystemServices {
    explicit SystemServices(const QString& settingsFolder = FileSettingsArea::defaultFolder())
        : settings(settingsFolder)
    {
    }
    QtDialogs dialogs;
    PosixLauncher launcher;
    FileSettingsArea settings;
    SystemClock clock;
    SystemDrives drives;
    QtPrinting printing;
    RegFileRegistry registry;
    Services services() { return {dialogs, launcher, settings, clock, drives, registry}; }
};
