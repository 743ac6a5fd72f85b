// Move-only owners for Windows handles: each handle has exactly one owner, and copying an
// owner does not compile.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <utility>

// Traits give the handle type, its "no handle" value and how to close it.
template <class Traits>
class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() noexcept = default;
    explicit UniqueHandle(Handle h) noexcept : handle_(h) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        reset(other.release());
        return *this;
    }
    ~UniqueHandle() { reset(); }

    Handle get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != Traits::Invalid(); }
    Handle release() noexcept { return std::exchange(handle_, Traits::Invalid()); }
    void reset(Handle h = Traits::Invalid()) noexcept
    {
        if (handle_ != Traits::Invalid())
            Traits::Close(handle_);
        handle_ = h;
    }

private:
    Handle handle_ = Traits::Invalid();
};

namespace handle_traits {
template <class H, auto CloseFn>
struct NullIsInvalid {
    using Handle = H;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { CloseFn(h); }
};
template <auto CloseFn>
struct MinusOneIsInvalid {
    using Handle = HANDLE;
    static Handle Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) noexcept { CloseFn(h); }
};
inline void CloseFind(HANDLE h)
{
    FindClose(h);
}
inline void CloseKernel(HANDLE h)
{
    CloseHandle(h);
}
inline void UnloadModule(HMODULE h)
{
    FreeLibrary(h);
}
inline void DeleteGdi(HGDIOBJ h)
{
    DeleteObject(h);
}
inline void DeleteMenuHandle(HMENU h)
{
    DestroyMenu(h);
}
inline void DeleteIconHandle(HICON h)
{
    DestroyIcon(h);
}
inline void DeleteDcHandle(HDC h)
{
    DeleteDC(h);
}
inline void UnmapView(void* view)
{
    UnmapViewOfFile(view);
}
inline void Unhook(HHOOK h)
{
    UnhookWindowsHookEx(h);
}
}  // namespace handle_traits

using UniqueFind = UniqueHandle<handle_traits::MinusOneIsInvalid<handle_traits::CloseFind>>;
using UniqueFile = UniqueHandle<handle_traits::MinusOneIsInvalid<handle_traits::CloseKernel>>;
// Toolhelp snapshots: CreateToolhelp32Snapshot fails with INVALID_HANDLE_VALUE, as files do.
using UniqueSnapshot = UniqueFile;
// Processes, threads, events and file mappings: their creating calls fail with null.
using UniqueKernel = UniqueHandle<handle_traits::NullIsInvalid<HANDLE, handle_traits::CloseKernel>>;
using UniqueView = UniqueHandle<handle_traits::NullIsInvalid<void*, handle_traits::UnmapView>>;
using UniqueHook = UniqueHandle<handle_traits::NullIsInvalid<HHOOK, handle_traits::Unhook>>;
using UniqueModule = UniqueHandle<handle_traits::NullIsInvalid<HMODULE, handle_traits::UnloadModule>>;
using UniqueFont = UniqueHandle<handle_traits::NullIsInvalid<HFONT, handle_traits::DeleteGdi>>;
using UniqueBrush = UniqueHandle<handle_traits::NullIsInvalid<HBRUSH, handle_traits::DeleteGdi>>;
using UniqueBitmap = UniqueHandle<handle_traits::NullIsInvalid<HBITMAP, handle_traits::DeleteGdi>>;
using UniqueRegion = UniqueHandle<handle_traits::NullIsInvalid<HRGN, handle_traits::DeleteGdi>>;
using UniquePen = UniqueHandle<handle_traits::NullIsInvalid<HPEN, handle_traits::DeleteGdi>>;
using UniqueMenu = UniqueHandle<handle_traits::NullIsInvalid<HMENU, handle_traits::DeleteMenuHandle>>;
using UniqueIcon = UniqueHandle<handle_traits::NullIsInvalid<HICON, handle_traits::DeleteIconHandle>>;
// A memory DC from CreateCompatibleDC (not one from GetDC, which is released instead).
using UniqueDc = UniqueHandle<handle_traits::NullIsInvalid<HDC, handle_traits::DeleteDcHandle>>;

// Selects an object into a DC for a scope and puts the previous one back.
class ScopedSelect {
public:
    ScopedSelect(HDC dc, HGDIOBJ object) noexcept : dc_(dc), previous_(SelectObject(dc, object)) {}
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;
    ~ScopedSelect()
    {
        if (previous_ != nullptr && previous_ != HGDI_ERROR)
            SelectObject(dc_, previous_);
    }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// A VARIANT that is cleared when it goes.
class Variant {
public:
    Variant() noexcept { VariantInit(&v_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    ~Variant() { VariantClear(&v_); }
    VARIANT* operator&() noexcept { return &v_; }
    VARIANT& get() noexcept { return v_; }

private:
    VARIANT v_;
};

// A BSTR that is freed when it goes.
class Bstr {
public:
    explicit Bstr(const wchar_t* text) : s_(SysAllocString(text)) {}
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { SysFreeString(s_); }
    BSTR get() const noexcept { return s_; }

private:
    BSTR s_;
};
