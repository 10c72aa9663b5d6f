#pragma once

// The host's command line: switches ("//B") up to the script, then the script and the
// arguments it gets. Plain C++ so that it builds for the tests on Linux too.

#include <string>
#include <vector>

namespace host {

struct HostOptions {
    bool batch = false;     // //B
    bool logo = true;       // //logo, //nologo
    bool unicode = false;   // //U
    bool usage = false;     // //? or no script at all
    int timeoutSeconds = 0; // //T:nn, 0 for none
    std::wstring engine;    // //E:name, as given
    std::wstring script;
    std::vector<std::wstring> arguments;
    std::wstring badSwitch; // the first switch not understood
    bool badTimeout = false;
};

HostOptions parseHostOptions(const std::vector<std::wstring>& argv);

// One named argument of the script ("/name:value", "/name"): the name and value.
struct NamedArgument {
    std::wstring name;
    std::wstring value;
};
bool isNamed(const std::wstring& argument);
NamedArgument splitNamed(const std::wstring& argument);

// The engine a file extension (".vbs") or an //E: name stands for.
enum class EngineKind { None, VBScript, JScript, EncodedVBScript, EncodedJScript };
EngineKind engineForExtension(const std::wstring& extension);
EngineKind engineForName(const std::wstring& name);

// The extension of a path, with its dot, or empty.
std::wstring extensionOf(const std::wstring& path);

} // namespace host
