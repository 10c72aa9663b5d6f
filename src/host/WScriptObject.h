#pragma once

// The WScript object (also named WSH) that every script sees, with its Arguments
// collections and the StdIn/StdOut/StdErr streams.

#include "Dispatch.h"
#include "HostIO.h"

#include <functional>
#include <string>
#include <vector>

namespace host {

struct HostContext {
    bool gui = false;
    bool interactive = true;
    int timeoutSeconds = 0;
    std::wstring scriptFullName; // as Windows programs take it
    std::wstring scriptName;
    std::wstring hostFullName;
    std::vector<std::wstring> arguments;
    Output* out = nullptr;
    Output* err = nullptr;
    Input* in = nullptr;
    std::function<void(int)> timeoutChanged; // the script set WScript.Timeout
    std::function<void(int)> quit;           // ends the process with this code
};

// A message box, or where the test hook asks for it, its title and text appended to a file
// instead (the GUI host must not wait for a click there).
int messageBox(const std::wstring& text, UINT flags);

IDispatch* newWScript(HostContext& context);

} // namespace host
