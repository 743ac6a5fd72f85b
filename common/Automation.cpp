#include "Automation.h"

#include <oleauto.h>

#include <algorithm>

#include "AppError.h"
#include "Handles.h"

using Microsoft::WRL::ComPtr;

namespace {

AutomationObject ObjectFrom(VARIANT& v, const wchar_t* member)
{
    if (v.vt != VT_DISPATCH || v.pdispVal == nullptr)
        ThrowHresult(DISP_E_TYPEMISMATCH, member);
    return AutomationObject(ComPtr<IDispatch>(v.pdispVal));
}

}  // namespace

AutomationObject AutomationObject::Create(const wchar_t* progId)
{
    CLSID clsid{};
    HRESULT hr = CLSIDFromProgID(progId, &clsid);
    if (FAILED(hr))
        ThrowHresult(hr, L"CLSIDFromProgID", progId);
    ComPtr<IDispatch> object;
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_PPV_ARGS(&object));
    if (FAILED(hr))
        ThrowHresult(hr, L"CoCreateInstance", progId);
    return AutomationObject(std::move(object));
}

DISPID AutomationObject::IdOf(const wchar_t* member) const
{
    DISPID id = DISPID_UNKNOWN;
    auto* name = const_cast<LPOLESTR>(member);
    const HRESULT hr = object_->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr))
        ThrowHresult(hr, L"IDispatch::GetIDsOfNames", member);
    return id;
}

void AutomationObject::Invoke(const wchar_t* member, WORD flags, DISPPARAMS& params, VARIANT& result) const
{
    if (!object_)
        ThrowHresult(E_POINTER, member);
    EXCEPINFO exception{};
    const HRESULT hr =
        object_->Invoke(IdOf(member), IID_NULL, LOCALE_USER_DEFAULT, flags, &params, &result, &exception, nullptr);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    if (FAILED(hr))
        ThrowHresult(hr == DISP_E_EXCEPTION && FAILED(exception.scode) ? exception.scode : hr, member);
}

AutomationObject AutomationObject::CallWithString(const wchar_t* method, std::wstring_view argument) const
{
    const std::wstring text(argument);
    Bstr value(text.c_str());
    VARIANT arg;
    VariantInit(&arg);
    arg.vt = VT_BSTR;
    arg.bstrVal = value.get();
    DISPPARAMS params{&arg, nullptr, 1, 0};
    Variant result;
    Invoke(method, DISPATCH_METHOD, params, result.get());
    return ObjectFrom(result.get(), method);
}

AutomationObject AutomationObject::GetObjectProperty(const wchar_t* property) const
{
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    Variant result;
    Invoke(property, DISPATCH_PROPERTYGET, none, result.get());
    return ObjectFrom(result.get(), property);
}

AutomationObject::Walk AutomationObject::Items() const
{
    if (!object_)
        ThrowHresult(E_POINTER, L"_NewEnum");
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    Variant result;
    EXCEPINFO exception{};
    HRESULT hr = object_->Invoke(DISPID_NEWENUM, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD | DISPATCH_PROPERTYGET,
                                 &none, &result.get(), &exception, nullptr);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    if (FAILED(hr))
        ThrowHresult(hr, L"_NewEnum");
    IUnknown* unknown = result.get().vt == VT_UNKNOWN    ? result.get().punkVal
                        : result.get().vt == VT_DISPATCH ? result.get().pdispVal
                                                         : nullptr;
    if (unknown == nullptr)
        ThrowHresult(DISP_E_TYPEMISMATCH, L"_NewEnum");
    ComPtr<IEnumVARIANT> items;
    hr = unknown->QueryInterface(IID_PPV_ARGS(&items));
    if (FAILED(hr))
        ThrowHresult(hr, L"IEnumVARIANT");
    return Walk(std::move(items));
}

AutomationObject::Walk::Walk(ComPtr<IEnumVARIANT> items)
    : items_(std::move(items)), batch_(std::make_unique<Variant[]>(kBatch))
{
}

bool AutomationObject::Walk::Next(std::wstring& text)
{
    if (taken_ == fetched_) {
        if (last_)
            return false;
        for (ULONG i = 0; i < fetched_; ++i)
            VariantClear(&batch_[i].get());
        taken_ = fetched_ = 0;
        ULONG fetched = 0;
        const HRESULT hr = items_->Next(kBatch, &batch_[0].get(), &fetched);
        if (FAILED(hr))
            ThrowHresult(hr, L"IEnumVARIANT::Next");
        // S_FALSE: fewer items than asked for were left.
        fetched_ = std::min(fetched, kBatch);
        last_ = hr != S_OK;
        if (fetched_ == 0)
            return false;
    }
    VARIANT& item = batch_[taken_++].get();
    const HRESULT changed = VariantChangeType(&item, &item, 0, VT_BSTR);
    if (FAILED(changed))
        ThrowHresult(changed, L"VariantChangeType");
    const BSTR s = item.bstrVal;
    text.assign(s == nullptr ? L"" : s, s == nullptr ? 0 : SysStringLen(s));
    return true;
}

ComApartment::ComApartment() : initialized_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}

ComApartment::~ComApartment()
{
    if (initialized_)
        CoUninitialize();
}
