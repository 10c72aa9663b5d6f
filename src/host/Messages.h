#pragma once

// Every text the host shows, in Japanese under a Japanese locale and in English otherwise.
// Wine's engines leave many error descriptions empty, so the host keeps its own table,
// keyed by the error number the script sees.

#include <windows.h>

#include <string>

namespace host {

enum class Engine { VBScript, JScript };

bool japanese();
void setJapanese(bool on); // decided once at start (see HostMain)

// The VBScript/JScript error number an HRESULT stands for (Wine reports several of them
// as generic COM codes), or 0.
unsigned errorNumber(HRESULT hr);
// The code the error box shows: the engines' own form 800Annnn where there is one.
HRESULT shownCode(HRESULT hr);
// The host's own sentence for `hr`, or empty where its table has none.
std::wstring tableText(HRESULT hr);
// A sentence for `hr`, never empty.
std::wstring errorText(HRESULT hr);
// "VBScript runtime error" and the like.
std::wstring errorSource(Engine engine, HRESULT hr, bool compile);

// Texts with one or two %s, filled by `fill`.
enum class Text {
    BoxTitle,  // the error box's and every message box's title
    BoxScript, // labels of the error box
    BoxLine,
    BoxChar,
    BoxError,
    BoxCode,
    BoxSource,
    NoScriptFile, // %s: the path
    UnreadableScript,
    NoEngineForExt, // %s: the extension
    NoEngine,       // %s: the engine name
    EngineFailed,   // %s: the engine name
    UnknownOption,  // %s: the switch
    BadTimeout,     // %s: the switch
    BadEncoding,    // %s: the script, %s: why its encoded text cannot be read
    Timeout,        // %s: the script
    Logo,
    Usage,
    CreateFailed, // %s: the ProgID
    GetFailed,    // %s: the name
    NoConsole,    // StdIn/StdOut/StdErr in the GUI host
    EventsUnsupported,
    UnknownError,
};

std::wstring text(Text t);
std::wstring fill(Text t, const std::wstring& a, const std::wstring& b = {});

} // namespace host
