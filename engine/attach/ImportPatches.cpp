#include "ImportPatches.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cwctype>
#include <string>

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

// The system's core DLLs: what they ask of each other is the system's own business.
bool IsCoreModule(const std::wstring& lowerPath)
{
    const std::wstring name = lowerPath.substr(lowerPath.find_last_of(L"\\/") + 1);
    for (const wchar_t* core : {L"ntdll.dll", L"kernel32.dll", L"kernelbase.dll", L"win32u.dll", L"user32.dll",
                                L"gdi32.dll", L"gdi32full.dll"})
        if (name == core)
            return true;
    return false;
}

// The executable always; then the DLLs outside the Windows folder (the program's own code), or
// every DLL but the core ones.
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
        const std::wstring path = Lower(entry.szExePath);
        const bool wanted = which == PatchedModules::Program
                                ? !system.empty() && path.compare(0, system.size(), system) != 0
                                : !IsCoreModule(path);
        if (wanted)
            modules.push_back(entry.hModule);
    }
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

}  // namespace

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
    for (HMODULE module : ModulesOf(modules))
        if (std::find(except.begin(), except.end(), module) == except.end())
            ApplyTo(module, replacements);
}

bool ImportPatches::Restore()
{
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
