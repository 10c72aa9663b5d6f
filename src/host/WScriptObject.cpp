#include "WScriptObject.h"

#include "HostOptions.h"
#include "Messages.h"

#include <objbase.h>
#include <oleauto.h>

namespace host {

namespace {

const HRESULT SubscriptOutOfRange = HRESULT(0x800A0009);
const HRESULT BadFileMode = HRESULT(0x800A0036);
const HRESULT NotSupported = HRESULT(0x800A01BD); // 445: object doesn't support this action

// Walks a list of texts for For Each and JScript's Enumerator.
class TextEnum final : public IEnumVARIANT {
public:
    explicit TextEnum(std::vector<std::wstring> items)
        : m_items(std::move(items))
    {
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override
    {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IEnumVARIANT)) {
            *out = static_cast<IEnumVARIANT*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&m_refs); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const LONG n = InterlockedDecrement(&m_refs);
        if (n == 0)
            delete this;
        return n;
    }
    HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* out, ULONG* fetched) override
    {
        ULONG n = 0;
        for (; n < count && m_pos < m_items.size(); ++n, ++m_pos) {
            VariantInit(&out[n]);
            setText(&out[n], m_items[m_pos]);
        }
        if (fetched)
            *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override
    {
        m_pos += count;
        if (m_pos > m_items.size()) {
            m_pos = m_items.size();
            return S_FALSE;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Reset() override
    {
        m_pos = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** out) override
    {
        auto* e = new TextEnum(m_items);
        e->m_pos = m_pos;
        *out = e;
        return S_OK;
    }

private:
    virtual ~TextEnum() = default;
    LONG m_refs = 1;
    std::vector<std::wstring> m_items;
    size_t m_pos = 0;
};

void setEnum(VARIANT* v, std::vector<std::wstring> items)
{
    VariantClear(v);
    V_VT(v) = VT_UNKNOWN;
    V_UNKNOWN(v) = new TextEnum(std::move(items));
}

bool sameName(const std::wstring& a, const std::wstring& b)
{
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                                TRUE) == CSTR_EQUAL;
}

// A property that returns a collection: `Named("x")` in VBScript comes with the index,
// which goes to the collection's Item.
void returnCollection(IDispatch* collection, const Args& args, VARIANT* result)
{
    if (args.count() == 0) {
        VariantClear(result);
        V_VT(result) = VT_DISPATCH;
        V_DISPATCH(result) = collection;
        return;
    }
    Variant index;
    VariantCopy(&index, &args.raw(0));
    DISPPARAMS one{&index, nullptr, 1, 0};
    EXCEPINFO ei{};
    const HRESULT hr =
        collection->Invoke(DISPID_VALUE, IID_NULL, 0, DISPATCH_PROPERTYGET, &one, result, &ei, nullptr);
    collection->Release();
    const std::wstring description = ei.bstrDescription ? ei.bstrDescription : L"";
    SysFreeString(ei.bstrDescription);
    SysFreeString(ei.bstrSource);
    SysFreeString(ei.bstrHelpFile);
    if (FAILED(hr))
        throw ScriptError{ei.scode ? ei.scode : hr, description};
}

enum : DISPID { IdCount = 1, IdLength, IdNamed, IdUnnamed, IdExists, IdItem, IdShowUsage };

// WScript.Arguments, its Named and its Unnamed collections.
class ArgCollection final : public Dispatch {
public:
    enum class Kind { All, Named, Unnamed };
    ArgCollection(Kind kind, const std::vector<std::wstring>& all)
        : m_kind(kind)
        , m_all(all)
    {
        for (const std::wstring& a : all) {
            if (kind == Kind::Unnamed && !isNamed(a))
                m_items.push_back(a);
            if (kind == Kind::Named && isNamed(a)) {
                const NamedArgument n = splitNamed(a);
                bool seen = false;
                for (size_t i = 0; i < m_items.size(); ++i) {
                    if (sameName(m_items[i], n.name)) { // the last one given wins
                        m_values[i] = n.value;
                        seen = true;
                    }
                }
                if (!seen) {
                    m_items.push_back(n.name);
                    m_values.push_back(n.value);
                }
            }
            if (kind == Kind::All)
                m_items.push_back(a);
        }
    }

protected:
    const std::vector<Member>& members() const override
    {
        static const std::vector<Member> all{{L"Item", DISPID_VALUE},      {L"Count", IdCount},
                                             {L"length", IdLength},        {L"Named", IdNamed},
                                             {L"Unnamed", IdUnnamed},      {L"ShowUsage", IdShowUsage},
                                             {L"_NewEnum", DISPID_NEWENUM}};
        static const std::vector<Member> named{{L"Item", DISPID_VALUE},
                                               {L"Count", IdCount},
                                               {L"length", IdLength},
                                               {L"Exists", IdExists},
                                               {L"_NewEnum", DISPID_NEWENUM}};
        static const std::vector<Member> unnamed{{L"Item", DISPID_VALUE},
                                                 {L"Count", IdCount},
                                                 {L"length", IdLength},
                                                 {L"_NewEnum", DISPID_NEWENUM}};
        return m_kind == Kind::All ? all : m_kind == Kind::Named ? named : unnamed;
    }

    std::wstring source() const override { return L"WScript.Arguments"; }

    void call(DISPID id, WORD flags, const Args& args, VARIANT* result) override
    {
        if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF))
            throw ScriptError{NotSupported, {}};
        switch (id) {
        case DISPID_VALUE:
            if (args.count() == 0) // Item needs its index or name
                throw ScriptError{HRESULT(0x800A01C2), {}};
            item(args, result);
            return;
        case IdCount:
        case IdLength:
            setLong(result, static_cast<long>(m_items.size()));
            return;
        case IdNamed:
            returnCollection(new ArgCollection(Kind::Named, m_all), args, result);
            return;
        case IdUnnamed:
            returnCollection(new ArgCollection(Kind::Unnamed, m_all), args, result);
            return;
        case IdExists:
            setBool(result, find(args.text(0)) >= 0);
            return;
        case IdShowUsage:
            return;
        case DISPID_NEWENUM:
            setEnum(result, m_items);
            return;
        }
        throw ScriptError{DISP_E_MEMBERNOTFOUND, {}};
    }

private:
    long find(const std::wstring& name) const
    {
        for (size_t i = 0; i < m_items.size(); ++i)
            if (sameName(m_items[i], name))
                return static_cast<long>(i);
        return -1;
    }

    void item(const Args& args, VARIANT* result)
    {
        if (m_kind == Kind::Named) {
            const long i = find(args.text(0));
            if (i >= 0)
                setText(result, m_values[static_cast<size_t>(i)]);
            return; // a name not given: Empty
        }
        const long i = args.number(0);
        if (i < 0 || static_cast<size_t>(i) >= m_items.size())
            throw ScriptError{SubscriptOutOfRange, {}};
        setText(result, m_items[static_cast<size_t>(i)]);
    }

    Kind m_kind;
    std::vector<std::wstring> m_all;
    std::vector<std::wstring> m_items;  // the arguments, or the names for Named
    std::vector<std::wstring> m_values; // Named only
};

enum : DISPID {
    TsRead = 1,
    TsReadLine,
    TsReadAll,
    TsWrite,
    TsWriteLine,
    TsWriteBlankLines,
    TsAtEndOfStream,
    TsAtEndOfLine,
    TsSkip,
    TsSkipLine,
    TsClose,
    TsLine,
    TsColumn
};

// StdIn, StdOut or StdErr.
class TextStream final : public Dispatch {
public:
    TextStream(Input* in, Output* out, const wchar_t* name)
        : m_in(in)
        , m_out(out)
        , m_name(name)
    {
    }

protected:
    const std::vector<Member>& members() const override
    {
        static const std::vector<Member> m{{L"Read", TsRead},
                                           {L"ReadLine", TsReadLine},
                                           {L"ReadAll", TsReadAll},
                                           {L"Write", TsWrite},
                                           {L"WriteLine", TsWriteLine},
                                           {L"WriteBlankLines", TsWriteBlankLines},
                                           {L"AtEndOfStream", TsAtEndOfStream},
                                           {L"AtEndOfLine", TsAtEndOfLine},
                                           {L"Skip", TsSkip},
                                           {L"SkipLine", TsSkipLine},
                                           {L"Close", TsClose},
                                           {L"Line", TsLine},
                                           {L"Column", TsColumn}};
        return m;
    }

    std::wstring source() const override { return m_name; }

    void call(DISPID id, WORD, const Args& args, VARIANT* result) override
    {
        switch (id) {
        case TsClose:
            return;
        case TsLine:
            setLong(result, m_in ? m_in->line() : m_out->line());
            return;
        case TsColumn:
            setLong(result, m_in ? m_in->column() : m_out->column());
            return;
        }
        if (id == TsWrite || id == TsWriteLine || id == TsWriteBlankLines) {
            if (!m_out)
                throw ScriptError{BadFileMode, {}};
            if (id == TsWrite)
                m_out->write(args.text(0));
            else if (id == TsWriteLine)
                m_out->writeLine(args.count() > 0 ? args.text(0) : std::wstring());
            else
                for (long n = args.number(0); n > 0; --n)
                    m_out->write(m_out->newline());
            return;
        }
        if (!m_in)
            throw ScriptError{BadFileMode, {}};
        switch (id) {
        case TsRead: {
            const long n = args.number(0);
            if (n <= 0)
                throw ScriptError{HRESULT(0x800A0005), {}};
            setText(result, m_in->read(static_cast<size_t>(n)));
            return;
        }
        case TsReadLine:
            if (m_in->atEndOfStream())
                throw ScriptError{HRESULT(0x800A003E), {}}; // input past end of file
            setText(result, m_in->readLine());
            return;
        case TsReadAll:
            setText(result, m_in->readAll());
            return;
        case TsAtEndOfStream:
            setBool(result, m_in->atEndOfStream());
            return;
        case TsAtEndOfLine:
            setBool(result, m_in->atEndOfLine());
            return;
        case TsSkip:
            m_in->skip(static_cast<size_t>(std::max(0L, args.number(0))));
            return;
        case TsSkipLine:
            m_in->skipLine();
            return;
        }
        throw ScriptError{DISP_E_MEMBERNOTFOUND, {}};
    }

private:
    Input* m_in;
    Output* m_out;
    const wchar_t* m_name;
};

enum : DISPID {
    WsEcho = 1,
    WsArguments,
    WsQuit,
    WsSleep,
    WsScriptName,
    WsScriptFullName,
    WsName,
    WsPath,
    WsFullName,
    WsVersion,
    WsBuildVersion,
    WsInteractive,
    WsTimeout,
    WsCreateObject,
    WsGetObject,
    WsConnectObject,
    WsDisconnectObject,
    WsStdIn,
    WsStdOut,
    WsStdErr,
    WsApplication
};

class WScript final : public Dispatch {
public:
    explicit WScript(HostContext& c)
        : m_c(c)
    {
    }

protected:
    const std::vector<Member>& members() const override
    {
        static const std::vector<Member> m{{L"Echo", WsEcho},
                                           {L"Arguments", WsArguments},
                                           {L"Quit", WsQuit},
                                           {L"Sleep", WsSleep},
                                           {L"ScriptName", WsScriptName},
                                           {L"ScriptFullName", WsScriptFullName},
                                           {L"Name", WsName},
                                           {L"Path", WsPath},
                                           {L"FullName", WsFullName},
                                           {L"Version", WsVersion},
                                           {L"BuildVersion", WsBuildVersion},
                                           {L"Interactive", WsInteractive},
                                           {L"Timeout", WsTimeout},
                                           {L"CreateObject", WsCreateObject},
                                           {L"GetObject", WsGetObject},
                                           {L"ConnectObject", WsConnectObject},
                                           {L"DisconnectObject", WsDisconnectObject},
                                           {L"StdIn", WsStdIn},
                                           {L"StdOut", WsStdOut},
                                           {L"StdErr", WsStdErr},
                                           {L"Application", WsApplication}};
        return m;
    }

    std::wstring source() const override { return L"WScript"; }

    void call(DISPID id, WORD flags, const Args& args, VARIANT* result) override
    {
        const bool put = flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF);
        if (put) {
            if (id == WsInteractive) {
                Variant b;
                if (FAILED(VariantChangeType(&b, &args.assigned(), 0, VT_BOOL)))
                    throw ScriptError{HRESULT(0x800A000D), {}};
                m_c.interactive = V_BOOL(&b) != VARIANT_FALSE;
                return;
            }
            if (id == WsTimeout) {
                Variant n;
                if (FAILED(VariantChangeType(&n, &args.assigned(), 0, VT_I4)) || V_I4(&n) < 0)
                    throw ScriptError{HRESULT(0x800A0005), {}};
                m_c.timeoutSeconds = V_I4(&n);
                if (m_c.timeoutChanged)
                    m_c.timeoutChanged(m_c.timeoutSeconds);
                return;
            }
            throw ScriptError{NotSupported, {}};
        }
        switch (id) {
        case DISPID_VALUE:
        case WsName:
            setText(result, L"Windows Script Host");
            return;
        case WsEcho:
            echo(args);
            return;
        case WsArguments:
            // WScript.Arguments(0) in VBScript arrives here with the index.
            returnCollection(new ArgCollection(ArgCollection::Kind::All, m_c.arguments), args, result);
            return;
        case WsQuit:
            m_c.quit(args.has(0) ? static_cast<int>(args.number(0)) : 0);
            return;
        case WsSleep: {
            const long ms = args.number(0);
            if (ms < 0)
                throw ScriptError{HRESULT(0x800A0005), {}};
            Sleep(static_cast<DWORD>(ms));
            return;
        }
        case WsScriptName:
            setText(result, m_c.scriptName);
            return;
        case WsScriptFullName:
            setText(result, m_c.scriptFullName);
            return;
        case WsPath: {
            const size_t cut = m_c.hostFullName.find_last_of(L'\\');
            setText(result, cut == std::wstring::npos ? m_c.hostFullName : m_c.hostFullName.substr(0, cut));
            return;
        }
        case WsFullName:
            setText(result, m_c.hostFullName);
            return;
        case WsVersion:
            setText(result, L"5.8");
            return;
        case WsBuildVersion:
            setLong(result, 18362);
            return;
        case WsInteractive:
            setBool(result, m_c.interactive);
            return;
        case WsTimeout:
            setLong(result, m_c.timeoutSeconds);
            return;
        case WsCreateObject:
            createObject(args, result);
            return;
        case WsGetObject:
            getObject(args, result);
            return;
        case WsConnectObject:
        case WsDisconnectObject:
            throw ScriptError{NotSupported, text(Text::EventsUnsupported)};
        case WsStdIn:
        case WsStdOut:
        case WsStdErr:
            stream(id, result);
            return;
        case WsApplication:
            setObject(result, this);
            return;
        }
        throw ScriptError{DISP_E_MEMBERNOTFOUND, {}};
    }

private:
    void echo(const Args& args)
    {
        std::wstring line;
        for (unsigned i = 0; i < args.count(); ++i) {
            if (i > 0)
                line += L' ';
            line += args.text(i);
        }
        if (!m_c.gui) {
            m_c.out->writeLine(line);
            return;
        }
        if (m_c.interactive)
            messageBox(line, MB_OK);
    }

    void stream(DISPID id, VARIANT* result)
    {
        if (m_c.gui)
            throw ScriptError{HRESULT(0x80070006), {}};
        Dispatch* s = id == WsStdIn    ? static_cast<Dispatch*>(new TextStream(m_c.in, nullptr, L"StdIn"))
                      : id == WsStdOut ? new TextStream(nullptr, m_c.out, L"StdOut")
                                       : new TextStream(nullptr, m_c.err, L"StdErr");
        VariantClear(result);
        V_VT(result) = VT_DISPATCH;
        V_DISPATCH(result) = s;
    }

    void createObject(const Args& args, VARIANT* result)
    {
        const std::wstring progId = args.text(0);
        if (args.has(1) && !args.text(1).empty())
            throw ScriptError{NotSupported, text(Text::EventsUnsupported)};
        CLSID clsid;
        HRESULT hr = progId.size() > 1 && progId[0] == L'{' ? CLSIDFromString(progId.c_str(), &clsid)
                                                            : CLSIDFromProgID(progId.c_str(), &clsid);
        IDispatch* d = nullptr;
        if (SUCCEEDED(hr))
            hr = CoCreateInstance(clsid, nullptr, CLSCTX_SERVER, IID_IDispatch, reinterpret_cast<void**>(&d));
        if (FAILED(hr) || !d)
            throw ScriptError{FAILED(hr) ? hr : E_FAIL, fill(Text::CreateFailed, progId)};
        VariantClear(result);
        V_VT(result) = VT_DISPATCH;
        V_DISPATCH(result) = d;
    }

    void getObject(const Args& args, VARIANT* result)
    {
        const std::wstring path = args.has(0) ? args.text(0) : std::wstring();
        const std::wstring progId = args.has(1) ? args.text(1) : std::wstring();
        IDispatch* d = nullptr;
        HRESULT hr = S_OK;
        if (!progId.empty()) {
            CLSID clsid;
            hr = CLSIDFromProgID(progId.c_str(), &clsid);
            if (SUCCEEDED(hr) && path.empty()) {
                IUnknown* u = nullptr;
                hr = GetActiveObject(clsid, nullptr, &u);
                if (SUCCEEDED(hr)) {
                    hr = u->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&d));
                    u->Release();
                }
            } else if (SUCCEEDED(hr)) {
                hr = CoCreateInstance(clsid, nullptr, CLSCTX_SERVER, IID_IDispatch,
                                      reinterpret_cast<void**>(&d));
                IPersistFile* pf = nullptr;
                if (SUCCEEDED(hr) &&
                    SUCCEEDED(hr = d->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&pf)))) {
                    hr = pf->Load(path.c_str(), STGM_READ);
                    pf->Release();
                }
            }
        } else {
            hr = CoGetObject(path.c_str(), nullptr, IID_IDispatch, reinterpret_cast<void**>(&d));
        }
        if (FAILED(hr) || !d) {
            if (d)
                d->Release();
            throw ScriptError{FAILED(hr) ? hr : E_FAIL,
                              fill(Text::GetFailed, progId.empty() ? path : progId)};
        }
        VariantClear(result);
        V_VT(result) = VT_DISPATCH;
        V_DISPATCH(result) = d;
    }

    HostContext& m_c;
};

// A Linux path ("/tmp/boxes") as Wine's programs take it.
std::wstring windowsPath(const std::wstring& path)
{
    if (path.empty() || path[0] != L'/')
        return path;
    using ToDos = wchar_t*(__cdecl*)(const char*);
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    const auto toDos = kernel ? reinterpret_cast<ToDos>(
                                    reinterpret_cast<void*>(GetProcAddress(kernel, "wine_get_dos_file_name")))
                              : nullptr;
    wchar_t* dos = toDos ? toDos(toUtf8(path).c_str()) : nullptr;
    if (!dos)
        return path;
    std::wstring w(dos);
    HeapFree(GetProcessHeap(), 0, dos);
    return w;
}

void appendUtf8(const std::wstring& path, const std::wstring& text)
{
    const HANDLE h = CreateFileW(windowsPath(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                 OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return;
    const std::string bytes = toUtf8(text);
    DWORD done = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
    CloseHandle(h);
}

} // namespace

int messageBox(const std::wstring& text, UINT flags)
{
    // Tests read back what the box would show, since nobody is there to click it.
    wchar_t hook[MAX_PATH + 1];
    const DWORD n = GetEnvironmentVariableW(L"QUILLET_HOST_BOXES", hook, MAX_PATH);
    if (n > 0 && n < MAX_PATH) {
        appendUtf8(hook, host::text(Text::BoxTitle) + L"\n" + text + L"\n\f\n");
        return IDOK;
    }
    return MessageBoxW(nullptr, text.c_str(), host::text(Text::BoxTitle).c_str(),
                       flags | MB_SETFOREGROUND | MB_TOPMOST);
}

IDispatch* newWScript(HostContext& context)
{
    return new WScript(context);
}

} // namespace host
