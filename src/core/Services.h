#pragma once

class Clock;
class Dialogs;
class Drives;
class Launcher;
class Registry;
class SettingsArea;

// The outside world as the workbench and the windows see it. Production fills it with the
// real implementations, tests with fakes that record every call.
struct Services {
    Dialogs& dialogs;
    Launcher& launcher;
    SettingsArea& settings;
    Clock& clock;
    Drives& drives;
    Registry& registry;
};
