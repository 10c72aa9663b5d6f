#include "Dispatch.h"

#include "Messages.h"

namespace host {

namespace {

VARIANT& derefArg(VARIANT& v)
{
    if (V_VT(&v) == (VT_BYREF | VT_VARIANT) && V_VARIANTREF(&v))
        return *V_VARIANTREF(&v);
    return v;
}

} // namespace

std::wstring variantText(const VARIANT& in)
{
    VARIANT& v = derefArg(const_cast<VARIANT&>(in)); // only read
    if (V_VT(&v) == VT_NULL)
        return L"null";
    if (V_VT(&v) == VT_EMPTY || V_VT(&v) == VT_ERROR)
        return {};
    Variant s;
    const HRESULT hr = VariantChangeType(&s, &v, 0, VT_BSTR);
    if (FAILED(hr))
        throw ScriptError{hr == DISP_E_TYPEMISMATCH ? HRESULT(0x800A000D) : hr, {}};
    return std::wstring(V_BSTR(&s), SysStringLen(V_BSTR(&s)));
}

bool Args::has(unsigned i) const
{
    if (i >= count())
        return false;
    VARIANT& v = raw(i);
    return !(V_VT(&v) == VT_ERROR && V_ERROR(&v) == DISP_E_PARAMNOTFOUND) && V_VT(&v) != VT_EMPTY;
}

VARIANT& Args::raw(unsigned i) const
{
    return derefArg(m_p->rgvarg[m_p->cArgs - 1 - i]);
}

VARIANT& Args::assigned() const
{
    if (!m_p || m_p->cArgs == 0)
        throw ScriptError{HRESULT(0x800A01C2), {}}; // wrong number of arguments
    return derefArg(m_p->rgvarg[0]);
}

std::wstring Args::text(unsigned i) const
{
    if (i >= count())
        throw ScriptError{HRESULT(0x800A01C2), {}};
    return variantText(raw(i));
}

long Args::number(unsigned i) const
{
    if (i >= count())
        throw ScriptError{HRESULT(0x800A01C2), {}};
    Variant n;
    if (FAILED(VariantChangeType(&n, &raw(i), 0, VT_I4)))
        throw ScriptError{HRESULT(0x800A000D), {}};
    return V_I4(&n);
}

HRESULT STDMETHODCALLTYPE Dispatch::QueryInterface(REFIID riid, void** out)
{
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch)) {
        *out = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE Dispatch::AddRef()
{
    return InterlockedIncrement(&m_refs);
}

ULONG STDMETHODCALLTYPE Dispatch::Release()
{
    const LONG n = InterlockedDecrement(&m_refs);
    if (n == 0)
        delete this;
    return n;
}

HRESULT STDMETHODCALLTYPE Dispatch::GetTypeInfoCount(UINT* n)
{
    *n = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE Dispatch::GetTypeInfo(UINT, LCID, ITypeInfo**)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE Dispatch::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids)
{
    HRESULT hr = S_OK;
    for (UINT i = 0; i < count; ++i) {
        ids[i] = DISPID_UNKNOWN;
        if (i > 0) { // named arguments: none of ours has any
            hr = DISP_E_UNKNOWNNAME;
            continue;
        }
        bool found = false;
        for (const Member& m : members()) {
            if (CompareStringOrdinal(names[i], -1, m.name, -1, TRUE) == CSTR_EQUAL) {
                ids[i] = m.id;
                found = true;
                break;
            }
        }
        if (!found)
            hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
}

HRESULT STDMETHODCALLTYPE Dispatch::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                           VARIANT* result, EXCEPINFO* excep, UINT*)
{
    bool known = id == DISPID_VALUE || id == DISPID_NEWENUM;
    for (const Member& m : members())
        known = known || m.id == id;
    if (!known)
        return DISP_E_MEMBERNOTFOUND;
    Variant scratch;
    VARIANT* out = result ? result : &scratch;
    VariantInit(out);
    try {
        call(id, flags, Args(params), out);
        return S_OK;
    } catch (const ScriptError& e) {
        if (e.scode == DISP_E_MEMBERNOTFOUND)
            return e.scode;
        if (excep) {
            ZeroMemory(excep, sizeof *excep);
            excep->scode = e.scode;
            excep->wCode = 0;
            const std::wstring text = e.description.empty() ? errorText(e.scode) : e.description;
            excep->bstrDescription = SysAllocString(text.c_str());
            excep->bstrSource = SysAllocString(source().c_str());
        }
        return DISP_E_EXCEPTION;
    }
}

void setText(VARIANT* v, const std::wstring& s)
{
    VariantClear(v);
    V_VT(v) = VT_BSTR;
    V_BSTR(v) = SysAllocStringLen(s.data(), static_cast<UINT>(s.size()));
}

void setLong(VARIANT* v, long n)
{
    VariantClear(v);
    V_VT(v) = VT_I4;
    V_I4(v) = n;
}

void setBool(VARIANT* v, bool b)
{
    VariantClear(v);
    V_VT(v) = VT_BOOL;
    V_BOOL(v) = b ? VARIANT_TRUE : VARIANT_FALSE;
}

void setObject(VARIANT* v, IDispatch* d)
{
    VariantClear(v);
    V_VT(v) = VT_DISPATCH;
    V_DISPATCH(v) = d;
    if (d)
        d->AddRef();
}

} // namespace host
