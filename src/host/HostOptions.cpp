#include "HostOptions.h"

#include <cwctype>

namespace host {

namespace {

std::wstring lower(std::wstring s)
{
    for (wchar_t& c : s)
        c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    return s;
}

bool parseTimeout(const std::wstring& digits, int* seconds)
{
    if (digits.empty() || digits.size() > 5)
        return false;
    int n = 0;
    for (wchar_t c : digits) {
        if (c < L'0' || c > L'9')
            return false;
        n = n * 10 + (c - L'0');
    }
    *seconds = n;
    return true;
}

} // namespace

HostOptions parseHostOptions(const std::vector<std::wstring>& argv)
{
    HostOptions o;
    size_t i = 0;
    for (; i < argv.size(); ++i) {
        const std::wstring& a = argv[i];
        if (a.size() < 2 || a.compare(0, 2, L"//") != 0)
            break;
        const std::wstring s = lower(a.substr(2));
        if (s == L"b")
            o.batch = true;
        else if (s == L"i")
            o.batch = false;
        else if (s == L"nologo")
            o.logo = false;
        else if (s == L"logo")
            o.logo = true;
        else if (s == L"u")
            o.unicode = true;
        else if (s == L"?")
            o.usage = true;
        else if (s.compare(0, 2, L"t:") == 0) {
            if (!parseTimeout(s.substr(2), &o.timeoutSeconds) && o.badSwitch.empty()) {
                o.badSwitch = a;
                o.badTimeout = true;
            }
        } else if (s.compare(0, 2, L"e:") == 0 && s.size() > 2)
            o.engine = a.substr(4);
        else if (o.badSwitch.empty())
            o.badSwitch = a;
    }
    if (i < argv.size()) {
        o.script = argv[i];
        o.arguments.assign(argv.begin() + static_cast<std::ptrdiff_t>(i) + 1, argv.end());
    } else {
        o.usage = true;
    }
    return o;
}

bool isNamed(const std::wstring& a)
{
    return a.size() > 1 && a[0] == L'/';
}

NamedArgument splitNamed(const std::wstring& a)
{
    const std::wstring body = a.substr(1);
    const size_t colon = body.find(L':');
    if (colon == std::wstring::npos)
        return {body, {}};
    return {body.substr(0, colon), body.substr(colon + 1)};
}

std::wstring extensionOf(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L"\\/");
    const size_t dot = path.find_last_of(L'.');
    if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash))
        return {};
    return path.substr(dot);
}

EngineKind engineForExtension(const std::wstring& extension)
{
    const std::wstring e = lower(extension);
    if (e == L".vbs")
        return EngineKind::VBScript;
    if (e == L".js")
        return EngineKind::JScript;
    if (e == L".vbe")
        return EngineKind::EncodedVBScript;
    if (e == L".jse")
        return EngineKind::EncodedJScript;
    return EngineKind::None;
}

EngineKind engineForName(const std::wstring& name)
{
    const std::wstring n = lower(name);
    if (n == L"vbscript" || n == L"vbs")
        return EngineKind::VBScript;
    if (n == L"jscript" || n == L"javascript" || n == L"js")
        return EngineKind::JScript;
    if (n == L"vbscript.encode")
        return EngineKind::EncodedVBScript;
    if (n == L"jscript.encode")
        return EngineKind::EncodedJScript;
    return EngineKind::None;
}

} // namespace host
