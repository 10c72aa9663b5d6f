// Quillet's Windows script host: runs a .vbs, .vbe, .js or .jse with Wine's own script engines
// and reports every error with its line, as the Windows hosts do. Built twice: as the
// console host (cscript.exe) and, with QUILLET_GUI_HOST, as the GUI host (wscript.exe).

#include "EncodedScript.h"
#include "HostIO.h"
#include "HostOptions.h"
#include "Messages.h"
#include "WScriptObject.h"
#include "WinePrefix.h"

#include <activscp.h>
#include <objbase.h>
#include <shellapi.h>
#include <windows.h>

#include <string>
#include <vector>

using namespace host;

namespace {

#ifdef QUILLET_GUI_HOST
constexpr bool Gui = true;
#else
constexpr bool Gui = false;
#endif

const CLSID VBScriptId = {0xB54F3741, 0x5B07, 0x11CF, {0xA4, 0xB0, 0x00, 0xAA, 0x00, 0x4A, 0x55, 0xE8}};
const CLSID JScriptId = {0xF414C260, 0x6AC0, 0x11CF, {0xB6, 0xD1, 0x00, 0xAA, 0x00, 0xBB, 0xBB, 0x58}};
const CLSID JScriptEncodeId = {0xF414C262, 0x6AC0, 0x11CF, {0xB6, 0xD1, 0x00, 0xAA, 0x00, 0xBB, 0xBB, 0x58}};

// Not in mingw-w64's libuuid.
const IID ParseId = {0xC7EF7658, 0xE1EE, 0x480E, {0x97, 0xEA, 0xD5, 0x2C, 0xB4, 0xD7, 0x6D, 0x17}};

constexpr int FailureCode = 1;

std::wstring envVar(const wchar_t* name)
{
    wchar_t buffer[256];
    const DWORD n = GetEnvironmentVariableW(name, buffer, 256);
    return n > 0 && n < 256 ? std::wstring(buffer, n) : std::wstring();
}

// The language of the person at the terminal: Quillet's launcher passes the locale the
// user had before it chose one for Wine's code page.
bool userIsJapanese()
{
    for (const wchar_t* name : {L"QUILLET_LANG", L"LC_ALL", L"LC_MESSAGES", L"LANG"}) {
        const std::wstring v = envVar(name);
        if (!v.empty())
            return v.compare(0, 2, L"ja") == 0;
    }
    return false;
}

// A path as the user knows it: the Linux path where Wine can say, else the Windows one.
std::wstring shownPath(const std::wstring& windowsPath)
{
    using ToUnix = char*(__cdecl*)(const wchar_t*);
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    const auto toUnix = kernel ? reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
                                     GetProcAddress(kernel, "wine_get_unix_file_name")))
                               : nullptr;
    if (!toUnix)
        return windowsPath;
    char* unixPath = toUnix(windowsPath.c_str());
    if (!unixPath)
        return windowsPath;
    std::wstring w = decodeText(unixPath);
    HeapFree(GetProcessHeap(), 0, unixPath);
    return w.empty() ? windowsPath : w;
}

// The messages' own line breaks as the output takes them.
std::wstring withNewlines(const std::wstring& text, const wchar_t* newline)
{
    std::wstring t;
    for (wchar_t c : text) {
        if (c == L'\n')
            t += newline;
        else
            t += c;
    }
    return t;
}

struct ErrorReport {
    bool raised = false;
    HRESULT scode = S_OK;
    std::wstring description;
    std::wstring source;
    ULONG line = 0;
    LONG character = 0;
    bool compile = false; // raised before any of the script ran
};

class Site final : public IActiveScriptSite, public IActiveScriptSiteWindow {
public:
    explicit Site(IDispatch* wscript)
        : m_wscript(wscript)
    {
    }
    ErrorReport error;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override
    {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IActiveScriptSite))
            *out = static_cast<IActiveScriptSite*>(this);
        else if (IsEqualIID(riid, IID_IActiveScriptSiteWindow))
            *out = static_cast<IActiveScriptSiteWindow*>(this);
        else {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    // Lives on the stack for the whole run.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE GetLCID(LCID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetItemInfo(LPCOLESTR name, DWORD mask, IUnknown** item,
                                          ITypeInfo** info) override
    {
        if (item)
            *item = nullptr;
        if (info)
            *info = nullptr;
        if (CompareStringOrdinal(name, -1, L"WScript", -1, TRUE) != CSTR_EQUAL &&
            CompareStringOrdinal(name, -1, L"WSH", -1, TRUE) != CSTR_EQUAL)
            return TYPE_E_ELEMENTNOTFOUND;
        if ((mask & SCRIPTINFO_IUNKNOWN) && item) {
            *item = m_wscript;
            m_wscript->AddRef();
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDocVersionString(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnScriptTerminate(const VARIANT*, const EXCEPINFO*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnStateChange(SCRIPTSTATE) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnScriptError(IActiveScriptError* e) override
    {
        if (error.raised)
            return S_OK;
        error.raised = true;
        error.compile = !m_entered;
        EXCEPINFO ei{};
        if (SUCCEEDED(e->GetExceptionInfo(&ei))) {
            if (ei.pfnDeferredFillIn)
                ei.pfnDeferredFillIn(&ei);
            error.scode = ei.scode ? ei.scode : (ei.wCode ? HRESULT(0x800A0000u | ei.wCode) : E_FAIL);
            if (ei.bstrDescription)
                error.description.assign(ei.bstrDescription, SysStringLen(ei.bstrDescription));
            if (ei.bstrSource)
                error.source.assign(ei.bstrSource, SysStringLen(ei.bstrSource));
            SysFreeString(ei.bstrDescription);
            SysFreeString(ei.bstrSource);
            SysFreeString(ei.bstrHelpFile);
        } else {
            error.scode = E_FAIL;
        }
        DWORD context = 0;
        if (FAILED(e->GetSourcePosition(&context, &error.line, &error.character))) {
            error.line = 0;
            error.character = 0;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnEnterScript() override
    {
        m_entered = true;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnLeaveScript() override { return S_OK; }

    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override
    {
        *window = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }

private:
    IDispatch* m_wscript;
    bool m_entered = false;
};

class Host {
public:
    Host()
        : m_out(STD_OUTPUT_HANDLE, false)
        , m_err(STD_ERROR_HANDLE, false)
    {
    }
    int run(const std::vector<std::wstring>& argv);

private:
    void say(const std::wstring& text, bool error);
    int inputError(Text t, const std::wstring& a, const std::wstring& b = {});
    void reportScriptError(const ErrorReport& e, Engine engine);
    IActiveScript* createEngine(const CLSID& clsid);
    void startWatchdog();
    void stopWatchdog();
    static DWORD WINAPI watchdog(void* self);

    HostOptions m_options;
    Output m_out;
    Output m_err;
    Input* m_in = nullptr;
    std::wstring m_scriptPath; // full, as Windows programs take it
    std::wstring m_shownPath;  // as the user knows it
    HANDLE m_timerChanged = nullptr;
    HANDLE m_watchdog = nullptr;
    volatile LONG m_finished = 0;
    volatile LONG m_deadlineSeconds = 0;
    ULONGLONG m_start = 0;
    std::string m_timeoutBytes; // written from the watchdog without allocating
    std::wstring m_timeoutText;
};

void Host::say(const std::wstring& text, bool error)
{
    if (Gui) {
        if (!m_options.batch)
            messageBox(text, error ? MB_OK | MB_ICONERROR : MB_OK);
        return;
    }
    Output& o = error ? m_err : m_out;
    o.writeLine(withNewlines(text, o.newline()));
}

int Host::inputError(Text t, const std::wstring& a, const std::wstring& b)
{
    say(fill(t, a, b), true);
    return FailureCode;
}

void Host::reportScriptError(const ErrorReport& report, Engine engine)
{
    ErrorReport e = report;
    // Wine's VBScript parser says no more than "failed" (E_FAIL) for every syntax error.
    if (e.compile && e.scode == E_FAIL)
        e.scode = HRESULT(0x800A03EA);
    std::wstring description = e.description.empty() ? errorText(e.scode) : e.description;
    // The engines' own source names stand in for the host's; a script's own (Err.Raise) stays.
    std::wstring source = e.source;
    const bool engineSource = source.empty() || source.find(L"VBScript") != std::wstring::npos ||
                              source.find(L"JScript") != std::wstring::npos;
    if (engineSource)
        source = errorSource(engine, e.scode, e.compile);
    // Wine's engines speak Wine's language, which follows the code page Quillet picked for
    // it; where that is not the user's, the host's own sentence for the number is used.
    const bool wineJapanese = PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE;
    if (engineSource && wineJapanese != japanese() && !tableText(e.scode).empty())
        description = tableText(e.scode);
    const unsigned long line = e.line + 1;
    const long character = e.character + 1;
    if (m_options.batch)
        return;
    if (Gui) {
        wchar_t code[16];
        wsprintfW(code, L"%08X", static_cast<unsigned>(shownCode(e.scode)));
        // One blank after each label: Wine's tab stops do not line the values up.
        const std::wstring box = text(Text::BoxScript) + L" " + m_shownPath + L"\n" + text(Text::BoxLine) +
                                 L" " + std::to_wstring(line) + L"\n" + text(Text::BoxChar) + L" " +
                                 std::to_wstring(character) + L"\n" + text(Text::BoxError) + L" " +
                                 description + L"\n" + text(Text::BoxCode) + L" " + code + L"\n" +
                                 text(Text::BoxSource) + L" " + source;
        messageBox(box, MB_OK | MB_ICONERROR);
        return;
    }
    m_err.writeLine(m_shownPath + L"(" + std::to_wstring(line) + L", " + std::to_wstring(character) + L") " +
                    source + L": " + description);
}

IActiveScript* Host::createEngine(const CLSID& clsid)
{
    IActiveScript* engine = nullptr;
    if (SUCCEEDED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IActiveScript,
                                   reinterpret_cast<void**>(&engine))))
        return engine;
    // A prefix where the engines are not registered: ask their DLLs directly.
    const wchar_t* dll = IsEqualCLSID(clsid, VBScriptId) ? L"vbscript.dll" : L"jscript.dll";
    const HMODULE module = LoadLibraryW(dll);
    if (!module)
        return nullptr;
    using GetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
    const auto get = reinterpret_cast<GetClassObject>(
        reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
    IClassFactory* factory = nullptr;
    if (!get || FAILED(get(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory))))
        return nullptr;
    factory->CreateInstance(nullptr, IID_IActiveScript, reinterpret_cast<void**>(&engine));
    factory->Release();
    return engine;
}

DWORD WINAPI Host::watchdog(void* p)
{
    auto* self = static_cast<Host*>(p);
    for (;;) {
        if (self->m_finished)
            return 0;
        const LONG limit = self->m_deadlineSeconds;
        DWORD wait = INFINITE;
        if (limit > 0) {
            const ULONGLONG end = self->m_start + static_cast<ULONGLONG>(limit) * 1000;
            const ULONGLONG now = GetTickCount64();
            if (now >= end)
                break;
            wait = static_cast<DWORD>(end - now);
        }
        WaitForSingleObject(self->m_timerChanged, wait);
    }
    // The script is still running: nothing it holds may be waited for, so the message
    // is ready-made and the process ends at once.
    if (!self->m_options.batch) {
        if (Gui) {
            messageBox(self->m_timeoutText, MB_OK | MB_ICONERROR);
        } else {
            DWORD done = 0;
            const HANDLE h = GetStdHandle(STD_ERROR_HANDLE);
            DWORD mode = 0;
            if (GetConsoleMode(h, &mode))
                WriteConsoleW(h, self->m_timeoutText.data(), static_cast<DWORD>(self->m_timeoutText.size()),
                              &done, nullptr);
            else
                WriteFile(h, self->m_timeoutBytes.data(), static_cast<DWORD>(self->m_timeoutBytes.size()),
                          &done, nullptr);
        }
    }
    TerminateProcess(GetCurrentProcess(), FailureCode);
    return 0;
}

void Host::startWatchdog()
{
    m_start = GetTickCount64();
    m_deadlineSeconds = m_options.timeoutSeconds;
    std::wstring t = fill(Text::Timeout, m_shownPath);
    if (!Gui)
        t = withNewlines(t, m_err.newline()) + m_err.newline();
    m_timeoutText = t;
    m_timeoutBytes = toUtf8(t);
    m_timerChanged = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    m_watchdog = CreateThread(nullptr, 0, &Host::watchdog, this, 0, nullptr);
}

// The script is over: the watchdog ends before the process does, so that no thread of the
// host is cut off inside a call to Wine's server.
void Host::stopWatchdog()
{
    InterlockedExchange(&m_finished, 1);
    SetEvent(m_timerChanged);
    if (m_watchdog) {
        WaitForSingleObject(m_watchdog, 2000);
        CloseHandle(m_watchdog);
        m_watchdog = nullptr;
    }
}

int Host::run(const std::vector<std::wstring>& argv)
{
    m_options = parseHostOptions(argv);
    m_out = Output(STD_OUTPUT_HANDLE, m_options.unicode);
    m_err = Output(STD_ERROR_HANDLE, m_options.unicode);
    Input in(m_options.unicode);
    m_in = &in;

    if (!Gui && m_options.logo && !m_options.batch)
        say(text(Text::Logo), false);
    if (!m_options.badSwitch.empty())
        return inputError(m_options.badTimeout ? Text::BadTimeout : Text::UnknownOption, m_options.badSwitch);
    if (m_options.usage) {
        say(text(Text::Usage), false);
        return m_options.script.empty() && argv.empty() ? FailureCode : 0;
    }

    wchar_t full[4096];
    const DWORD n = GetFullPathNameW(m_options.script.c_str(), 4096, full, nullptr);
    m_scriptPath = n > 0 && n < 4096 ? std::wstring(full, n) : m_options.script;
    m_shownPath = shownPath(m_scriptPath);
    const DWORD attributes = GetFileAttributesW(m_scriptPath.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return inputError(Text::NoScriptFile, m_shownPath);

    EngineKind kind = EngineKind::None;
    if (!m_options.engine.empty()) {
        kind = engineForName(m_options.engine);
        if (kind == EngineKind::None)
            return inputError(Text::NoEngine, m_options.engine);
    } else {
        kind = engineForExtension(extensionOf(m_scriptPath));
        if (kind == EngineKind::None)
            return inputError(Text::NoEngineForExt, extensionOf(m_scriptPath));
    }

    // Read the whole script; a FIFO or a device is no script.
    const HANDLE file = CreateFileW(m_scriptPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return inputError(Text::UnreadableScript, m_shownPath);
    LARGE_INTEGER size{};
    std::string bytes;
    bool readOk = GetFileType(file) == FILE_TYPE_DISK && GetFileSizeEx(file, &size) &&
                  size.QuadPart < 256LL * 1024 * 1024;
    if (readOk) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD got = 0;
        readOk =
            bytes.empty() || (ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) &&
                              got == bytes.size());
    }
    CloseHandle(file);
    if (!readOk)
        return inputError(Text::UnreadableScript, m_shownPath);
    if (kind == EngineKind::EncodedVBScript) {
        std::wstring why;
        // Where the engine itself decodes, a damaged block is a script error: //B hides it.
        if (!decodeEncodedVBScript(bytes, &why))
            return m_options.batch ? FailureCode : inputError(Text::BadEncoding, m_shownPath, why);
    }
    const std::wstring code = decodeText(bytes);

    CLSID clsid = VBScriptId;
    Engine engine = Engine::VBScript;
    std::wstring engineName = L"VBScript";
    switch (kind) {
    case EngineKind::JScript:
        clsid = JScriptId;
        engine = Engine::JScript;
        engineName = L"JScript";
        break;
    case EngineKind::EncodedJScript:
        clsid = JScriptEncodeId;
        engine = Engine::JScript;
        engineName = L"JScript.Encode";
        break;
    default:
        break;
    }

    const size_t slash = m_scriptPath.find_last_of(L"\\/");
    wchar_t self[MAX_PATH];
    const DWORD selfLength = GetModuleFileNameW(nullptr, self, MAX_PATH);

    HostContext context;
    context.gui = Gui;
    context.interactive = !m_options.batch;
    context.timeoutSeconds = m_options.timeoutSeconds;
    context.scriptFullName = m_scriptPath;
    context.scriptName = slash == std::wstring::npos ? m_scriptPath : m_scriptPath.substr(slash + 1);
    context.hostFullName = std::wstring(self, selfLength);
    context.arguments = m_options.arguments;
    context.out = &m_out;
    context.err = &m_err;
    context.in = &in;
    context.timeoutChanged = [this](int seconds) {
        m_start = GetTickCount64();
        InterlockedExchange(&m_deadlineSeconds, seconds);
        SetEvent(m_timerChanged);
    };
    // Not ExitProcess: that detaches the engines' DLLs in the middle of their own call, and
    // Wine then now and then prints a "wine client error" on the way out. Output is unbuffered,
    // so nothing is lost.
    context.quit = [](int code) { TerminateProcess(GetCurrentProcess(), static_cast<UINT>(code)); };

    IActiveScript* script = createEngine(clsid);
    if (!script)
        return inputError(Text::EngineFailed, engineName);
    IActiveScriptParse* parse = nullptr;
    if (FAILED(script->QueryInterface(ParseId, reinterpret_cast<void**>(&parse)))) {
        script->Release();
        return inputError(Text::EngineFailed, engineName);
    }
    IDispatch* wscript = newWScript(context);
    Site site(wscript);
    parse->InitNew();
    script->SetScriptSite(&site);
    script->AddNamedItem(L"WScript", SCRIPTITEM_ISVISIBLE);
    script->AddNamedItem(L"WSH", SCRIPTITEM_ISVISIBLE);
    script->SetScriptState(SCRIPTSTATE_STARTED);
    startWatchdog();

    EXCEPINFO ei{};
    const HRESULT hr = parse->ParseScriptText(code.c_str(), nullptr, nullptr, nullptr, 0, 0,
                                              SCRIPTTEXT_ISVISIBLE, nullptr, &ei);
    SysFreeString(ei.bstrDescription);
    SysFreeString(ei.bstrSource);
    SysFreeString(ei.bstrHelpFile);
    stopWatchdog();

    int exitCode = 0;
    if (site.error.raised) {
        reportScriptError(site.error, engine);
        exitCode = FailureCode;
    } else if (FAILED(hr)) {
        ErrorReport e;
        e.scode = hr;
        reportScriptError(e, engine);
        exitCode = FailureCode;
    }
    script->Close();
    parse->Release();
    script->Release();
    wscript->Release();
    return exitCode;
}

// A crash inside an engine must end the run, not start Wine's debugger and wait.
LONG WINAPI onCrash(EXCEPTION_POINTERS*)
{
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

} // namespace

int main()
{
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(&onCrash);
    int argc = 0;
    wchar_t** wargv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::wstring> argv;
    for (int i = 1; wargv && i < argc; ++i)
        argv.emplace_back(wargv[i]);
    LocalFree(wargv);

    setJapanese(userIsJapanese());
    ensureJapaneseDialogFont();
    OleInitialize(nullptr);
    int code = 0;
    {
        Host host;
        code = host.run(argv);
    }
    OleUninitialize();
    return code;
}
