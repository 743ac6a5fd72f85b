#include "ModuleSkin.h"

#include <windows.h>

#include <algorithm>
#include <string>

#include "AnsiText.h"
#include "AppError.h"
#include "Handles.h"
#include "Velum.h"

namespace ModuleSkin {

namespace {

using AttachFn = int(WINAPI*)();
using AttachExFn = int(WINAPI*)(const char* themePath, const char* scheme);
using LastErrorTextFn = int(WINAPI*)(char* buffer, int size);

HMODULE Engine()
{
    // Held until the process ends: the engine's hooks and window procedures must outlive
    // every window it skinned.
    static UniqueModule engine;
    if (!engine) {
        engine.reset(LoadLibraryW(kEngineLibrary));
        if (!engine) {
            const DWORD code = GetLastError();
            const bool notFound = code == ERROR_MOD_NOT_FOUND || code == ERROR_FILE_NOT_FOUND;
            std::wstring text = notFound ? L"文件未找到: " : L"DLL 加载错误: ";
            text += kEngineLibrary;
            text += L" (LoadLibraryW 失败，错误 " + std::to_wstring(code) + L": " + SystemErrorText(code) + L")";
            throw AppError(notFound ? kErrorFileNotFound : kErrorBadDllLoad, text);
        }
    }
    return engine.get();
}

template <class Fn>
Fn EntryPoint(Fn& cached, const char* name)
{
    if (cached == nullptr) {
        const HMODULE engine = Engine();
        cached = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(engine, name)));
        if (cached == nullptr) {
            const DWORD code = GetLastError();
            std::wstring text = L"找不到 DLL 入口点 " + FromAnsi(name) + L" (" + kEngineLibrary + L")";
            text += L" (GetProcAddress 失败，错误 " + std::to_wstring(code) + L": " + SystemErrorText(code) + L")";
            throw AppError(kErrorNoEntryPoint, text);
        }
    }
    return cached;
}

// An entry point the engine may lack, or an engine that cannot be loaded: null then, and the
// engine's own calls report why. Kept once found.
template <class Fn>
Fn OptionalEntryPoint(Fn& cached, const char* name)
{
    if (cached == nullptr) {
        try {
            cached = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(Engine(), name)));
        } catch (const AppError&) {
            return nullptr;
        }
    }
    return cached;
}

AttachFn attach = nullptr;
AttachExFn attachEx = nullptr;
LastErrorTextFn lastErrorText = nullptr;

}  // namespace

int Velum_Attach()
{
    return EntryPoint(attach, "Velum_Attach")();
}

int Velum_AttachEx(std::wstring_view themePath, std::wstring_view scheme)
{
    const AttachExFn call = EntryPoint(attachEx, "Velum_AttachEx");
    const std::string path = ToAnsi(themePath);
    const std::string second = ToAnsi(scheme);
    return call(path.c_str(), second.c_str());
}

std::wstring Velum_GetLastErrorText()
{
    const LastErrorTextFn call = EntryPoint(lastErrorText, "Velum_GetLastErrorText");
    const int length = call(nullptr, 0);
    if (length <= 0)
        return {};
    std::string text(static_cast<size_t>(length) + 1, '\0');
    text.resize(static_cast<size_t>(std::min(call(text.data(), static_cast<int>(text.size())), length)));
    return FromAnsi(text);
}

int Velum_GetThemeColor(const char* part, const char* state, const char* key)
{
    using ThemeColorFn = int(WINAPI*)(const char*, const char*, const char*);
    static ThemeColorFn found = nullptr;
    const auto call = OptionalEntryPoint(found, "Velum_GetThemeColor");
    return call != nullptr ? call(part, state, key) : -1;
}

void Velum_ExcludeWindow(HWND window, bool exclude)
{
    using ExcludeWindowFn = int(WINAPI*)(HWND, int);
    static ExcludeWindowFn found = nullptr;
    const auto call = OptionalEntryPoint(found, "Velum_ExcludeWindow");
    if (call != nullptr)
        call(window, exclude ? 1 : 0);
}

UINT ThemeChangedMessage()
{
    static const UINT message = RegisterWindowMessageW(VELUM_THEMECHANGED_NAMEW);
    return message;
}

}  // namespace ModuleSkin
