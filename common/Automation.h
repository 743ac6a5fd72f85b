// Late-bound calls on automation objects (IDispatch), each failure raised with the member's
// name and the HRESULT. Objects are released when their owner goes.
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <wrl/client.h>

#include <memory>
#include <string>
#include <string_view>

#include "Handles.h"

class AutomationObject {
public:
    // Creates an object by its programmatic identifier, e.g. "Scripting.FileSystemObject".
    static AutomationObject Create(const wchar_t* progId);

    explicit AutomationObject(Microsoft::WRL::ComPtr<IDispatch> object) noexcept : object_(std::move(object)) {}

    // Calls a method taking one string and returning an object.
    AutomationObject CallWithString(const wchar_t* method, std::wstring_view argument) const;
    // Reads a property holding an object.
    AutomationObject GetObjectProperty(const wchar_t* property) const;

    // Walks a collection through its enumerator, fetching up to kBatch items a call rather
    // than one, so a long walk makes few calls through the interface.
    class Walk {
    public:
        explicit Walk(Microsoft::WRL::ComPtr<IEnumVARIANT> items);
        // The next item converted to a string; false when the collection is exhausted.
        bool Next(std::wstring& text);

        static constexpr ULONG kBatch = 128;

    private:
        Microsoft::WRL::ComPtr<IEnumVARIANT> items_;
        std::unique_ptr<Variant[]> batch_;
        ULONG fetched_ = 0;
        ULONG taken_ = 0;
        bool last_ = false;  // the enumerator has nothing after the batch held
    };
    Walk Items() const;

private:
    DISPID IdOf(const wchar_t* member) const;
    void Invoke(const wchar_t* member, WORD flags, DISPPARAMS& params, VARIANT& result) const;

    Microsoft::WRL::ComPtr<IDispatch> object_;
};

// Initializes COM for the calling thread as a single-threaded apartment for a scope.
class ComApartment {
public:
    ComApartment();
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment();

private:
    bool initialized_;
};
