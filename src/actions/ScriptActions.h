#pragma once

#include "Services.h"

#include <QString>

#include <functional>

// The run and encode actions of the main window, apart from the window so that each step a
// user sees can be followed through the services.
namespace ScriptActions {

struct Prompt {
    QString text;
    QString title;
};

// Runs the selected script under `interpreter`, which falls back to the GUI host when no
// host has been chosen yet.
void run(const Services& services, QString& interpreter, const QString& selectedFile, const Prompt& prompt);

// Hands the selected script to the encoder of the settings, if one is set.
void encode(const Services& services, const QString& selectedFile, const QString& encodedExtension);

struct NewScriptRequest {
    QString folder; // as the file list reports it
    QString extension;
    QString commentMark;
    QString userName;
    QString editorPath;
    QString prompt;
    bool askBeforeReplacing = true; // the button asks; the menu entry always appends
    std::function<void()> refreshFileList;
};

// Makes a script that starts with the header in the folder, has the file list show it, and
// opens it in the editor. Nothing opens for a file that was not written.
void newScript(const Services& services, const NewScriptRequest& request);

} // namespace ScriptActions
