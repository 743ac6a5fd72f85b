#include "ImportPatches.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cwctype>
#include <string>
#include <utility>

#include "Handles.h"

namespace velum {

namespace {

std::wstring Lower(std::wstring text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) { return std::towlower(c); });
    return text;
}

// The Windows folder with a trailing backslash, lower case.
std::wstring SystemFolder()
{
    wchar_t folder[MAX_PATH] = L"";
    const UINT length = GetSystemWindowsDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return {};
    std::wstring text = Lower(folder);
    if (text.back() != L'\\')
        text += L'\\';
    return text;
}

std::wstring BaseName(const std::wstring& lowerPath)
{
    return lowerPath.substr(lowerPath.find_last_of(L"\\/") + 1);
}

// The system's core DLLs: what they ask of each other is the system's own business.
bool IsCoreModule(const std::wstring& lowerPath)
{
    const std::wstring name = BaseName(lowerPath);
    for (const wchar_t* core : {L"ntdll.dll", L"kernel32.dll", L"kernelbase.dll", L"win32u.dll", L"user32.dll",
                                L"gdi32.dll", L"gdi32full.dll"})
        if (name == core)
            return true;
    return false;
}

// Whether a module other than the executable, by its full path, is one of the choice.
bool Chosen(PatchedModules which, const std::wstring& path, const std::wstring& system)
{
    const std::wstring lower = Lower(path);
    switch (which) {
    case PatchedModules::Program: return !system.empty() && lower.compare(0, system.size(), system) != 0;
    case PatchedModules::AllButCore: return !IsCoreModule(lower);
    case PatchedModules::CommonControls: return BaseName(lower) == L"comctl32.dll";
    }
    return false;
}

// The executable (but for comctl32 alone); then the DLLs outside the Windows folder (the
// program's own code), every DLL but the core ones, or comctl32.
std::vector<HMODULE> ModulesOf(PatchedModules which)
{
    std::vector<HMODULE> modules{GetModuleHandleW(nullptr)};
    UniqueSnapshot snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32, GetCurrentProcessId()));
    if (!snapshot)
        return modules;
    const std::wstring system = SystemFolder();
    MODULEENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Module32FirstW(snapshot.get(), &entry); more; more = Module32NextW(snapshot.get(), &entry)) {
        if (entry.hModule == modules.front())
            continue;
        if (Chosen(which, entry.szExePath, system))
            modules.push_back(entry.hModule);
    }
    if (which == PatchedModules::CommonControls)
        modules.erase(modules.begin());
    return modules;
}

// True when the slot could be given the value.
bool Write(const void** slot, const void* value)
{
    DWORD previous = 0;
    if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &previous))
        return false;
    *slot = value;
    VirtualProtect(slot, sizeof *slot, previous, &previous);
    return true;
}

// The loader's notice of a module loaded or unloaded (ntdll's LdrRegisterDllNotification).
struct LoaderString {
    USHORT length, maximumLength;
    PWSTR buffer;
};
struct LoadNotice {
    ULONG flags;
    const LoaderString* fullName;
    const LoaderString* baseName;
    void* base;
    ULONG size;
};
constexpr ULONG kModuleLoaded = 1;
using RegisterLoadsFn = LONG(NTAPI*)(ULONG, void(CALLBACK*)(ULONG, const void*, void*), void*, void**);
using UnregisterLoadsFn = LONG(NTAPI*)(void*);

template <class Fn>
Fn NtdllFunction(const char* name)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), name)));
}

}  // namespace

void CALLBACK ImportPatches::ModuleLoaded(ULONG reason, const void* data, void* context)
{
    if (reason != kModuleLoaded || data == nullptr)
        return;
    const auto& notice = *static_cast<const LoadNotice*>(data);
    auto& self = *static_cast<ImportPatches*>(context);
    const std::wstring path = notice.fullName != nullptr && notice.fullName->buffer != nullptr
                                  ? std::wstring(notice.fullName->buffer, notice.fullName->length / sizeof(wchar_t))
                                  : std::wstring();
    const std::lock_guard hold(self.lock_);
    if (self.loadCookie_ != nullptr && Chosen(self.modules_, path, SystemFolder()))
        self.ApplyTo(static_cast<HMODULE>(notice.base), self.replacements_);
}

void ImportPatches::ApplyTo(HMODULE module, std::span<const ImportReplacement> replacements)
{
    auto* base = reinterpret_cast<BYTE*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    if (dos->e_magic != IMAGE_DOS_SIGNATURE)
        return;
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    if (nt->Signature != IMAGE_NT_SIGNATURE)
        return;
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0 || imports.Size == 0)
        return;
    // Matched by address, not by name: whatever name or ordinal a module imported the function
    // under, its slot holds the function itself once loaded.
    for (auto* d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); d->Name != 0; ++d) {
        for (auto* thunk = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk); thunk->u1.Function != 0;
             ++thunk) {
            auto** slot = reinterpret_cast<const void**>(&thunk->u1.Function);
            for (const ImportReplacement& r : replacements)
                if (r.original != nullptr && *slot == r.original && Write(slot, r.replacement))
                    slots_.push_back({slot, r.original, r.replacement});
        }
    }
}

void ImportPatches::Apply(std::span<const ImportReplacement> replacements, PatchedModules modules,
                          std::span<const HMODULE> except)
{
    {
        const std::lock_guard hold(lock_);
        for (HMODULE module : ModulesOf(modules))
            if (std::find(except.begin(), except.end(), module) == except.end())
                ApplyTo(module, replacements);
        if (loadCookie_ != nullptr)
            return;
        replacements_.assign(replacements.begin(), replacements.end());
        modules_ = modules;
    }
    static const auto registerLoads = NtdllFunction<RegisterLoadsFn>("LdrRegisterDllNotification");
    void* cookie = nullptr;
    if (registerLoads != nullptr && registerLoads(0, &ModuleLoaded, this, &cookie) >= 0) {
        const std::lock_guard hold(lock_);
        loadCookie_ = cookie;
    }
}

bool ImportPatches::Restore()
{
    // No longer told of loads first: the loader holds its lock while it tells, so this must not
    // wait for it while holding the patches' own.
    void* cookie = nullptr;
    {
        const std::lock_guard hold(lock_);
        cookie = std::exchange(loadCookie_, nullptr);
    }
    static const auto unregisterLoads = NtdllFunction<UnregisterLoadsFn>("LdrUnregisterDllNotification");
    if (cookie != nullptr && unregisterLoads != nullptr)
        unregisterLoads(cookie);
    const std::lock_guard hold(lock_);
    bool clean = true;
    for (const Slot& s : slots_) {
        if (*s.slot == s.replacement)
            Write(s.slot, s.original);
        else
            clean = false;
    }
    slots_.clear();
    return clean;
}

}  // namespace velum
