#pragma once

// A scriptable object without a type library: names are looked up in a small table and
// every call goes to one function. Plain Win32, as the host runs under Wine.

#include <oaidl.h>
#include <windows.h>

#include <string>
#include <vector>

namespace host {

// Owns one BSTR.
class Bstr {
public:
    Bstr() = default;
    explicit Bstr(const std::wstring& s)
        : m_b(SysAllocStringLen(s.data(), static_cast<UINT>(s.size())))
    {
    }
    ~Bstr() { SysFreeString(m_b); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR* out()
    {
        SysFreeString(m_b);
        m_b = nullptr;
        return &m_b;
    }
    BSTR get() const { return m_b; }
    BSTR release()
    {
        BSTR b = m_b;
        m_b = nullptr;
        return b;
    }
    std::wstring str() const { return m_b ? std::wstring(m_b, SysStringLen(m_b)) : std::wstring(); }

private:
    BSTR m_b = nullptr;
};

// Owns one VARIANT.
struct Variant : VARIANT {
    Variant() { VariantInit(this); }
    ~Variant() { VariantClear(this); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
};

// Thrown inside a call and turned into the script's run-time error.
struct ScriptError {
    HRESULT scode;
    std::wstring description; // empty: the host's own text for `scode`
};

// The arguments of one call, first to last (DISPPARAMS keeps them in reverse).
class Args {
public:
    explicit Args(DISPPARAMS* p)
        : m_p(p)
    {
    }
    unsigned count() const { return m_p ? m_p->cArgs - m_p->cNamedArgs : 0; }
    bool has(unsigned i) const;          // given, and not a left-out optional argument
    std::wstring text(unsigned i) const; // as the script's own conversion would give it
    long number(unsigned i) const;       // a whole number
    VARIANT& raw(unsigned i) const;
    VARIANT& assigned() const; // for DISPATCH_PROPERTYPUT, the value assigned

private:
    DISPPARAMS* m_p;
};

// The text of a value as the script's own conversion gives it; Null reads "null".
std::wstring variantText(const VARIANT& v);

class Dispatch : public IDispatch {
public:
    struct Member {
        const wchar_t* name;
        DISPID id;
    };

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* excep, UINT* argErr) override;

protected:
    Dispatch() = default;
    virtual ~Dispatch() = default;
    virtual const std::vector<Member>& members() const = 0;
    // One call; throws ScriptError for the script's run-time error.
    virtual void call(DISPID id, WORD flags, const Args& args, VARIANT* result) = 0;
    // Where an error comes from, as the error box names it.
    virtual std::wstring source() const = 0;

private:
    LONG m_refs = 1;
};

// Result helpers.
void setText(VARIANT* v, const std::wstring& s);
void setLong(VARIANT* v, long n);
void setBool(VARIANT* v, bool b);
void setObject(VARIANT* v, IDispatch* d); // takes a new reference

} // namespace host
