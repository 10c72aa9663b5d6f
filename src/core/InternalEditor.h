#pragma once

#include <QString>

// The program's own editor window, as the actions reach it: one window for the whole
// program, shown beside the main window.
class InternalEditor {
public:
    virtual ~InternalEditor() = default;
    // Shows the window (made first when there is none, else brought forward) with `path`
    // loaded. Unsaved changes are asked about first; Cancel, or a save that fails, leaves
    // the window as it was.
    virtual void openFile(const QString& path) = 0;
};
