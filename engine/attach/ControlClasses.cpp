#include "ControlClasses.h"

#include <map>
#include <mutex>

namespace velum {

namespace {

// Longer than any class name Windows registers (256 characters with the terminator).
constexpr int kClassNameLength = 257;

ControlFamily FamilyOfName(HWND hwnd, UINT(WINAPI* nameOf)(HWND, LPWSTR, UINT))
{
    wchar_t name[kClassNameLength] = L"";
    const UINT length = nameOf(hwnd, name, kClassNameLength);
    return length == 0 ? ControlFamily::Unknown : FamilyOfClassName({name, length});
}

UINT WINAPI ClassNameOf(HWND hwnd, LPWSTR name, UINT length)
{
    const int copied = GetClassNameW(hwnd, name, static_cast<int>(length));
    return copied > 0 ? static_cast<UINT>(copied) : 0;
}

bool IsUser32Family(ControlFamily family)
{
    switch (family) {
    case ControlFamily::Button:
    case ControlFamily::Static:
    case ControlFamily::Edit:
    case ControlFamily::ListBox:
    case ControlFamily::ComboBox:
    case ControlFamily::ComboList:
    case ControlFamily::ScrollBar: return true;
    default: return false;
    }
}

// A superclass copies the system class's procedure with GetClassInfoEx and registers it under
// its own name. Windows hands out different procedure values to ANSI and Unicode callers, so the
// window's class is compared in the character set of each question.
ControlFamily FamilyOfClassProcedure(HWND hwnd)
{
    const auto procedureW = static_cast<ULONG_PTR>(GetClassLongPtrW(hwnd, GCLP_WNDPROC));
    const auto procedureA = static_cast<ULONG_PTR>(GetClassLongPtrA(hwnd, GCLP_WNDPROC));
    if (procedureW == 0 && procedureA == 0)
        return ControlFamily::Unknown;
    // Asked for a comctl32 class, Wine loads comctl32 into the process: nearly 2 MiB and several
    // milliseconds of a program's start that uses no common control. A program that made one
    // has loaded it already.
    const bool commonControlsLoaded = GetModuleHandleW(L"comctl32.dll") != nullptr;
    for (const auto& known : SystemControlClasses()) {
        if (!commonControlsLoaded && !IsUser32Family(known.family))
            continue;
        wchar_t nameW[32] = L"";
        char nameA[32] = "";
        for (std::size_t i = 0; i < known.name.size() && i < 31; ++i) {
            nameW[i] = known.name[i];
            nameA[i] = static_cast<char>(known.name[i]);
        }
        WNDCLASSEXW classW{};
        classW.cbSize = sizeof classW;
        if (GetClassInfoExW(nullptr, nameW, &classW) && reinterpret_cast<ULONG_PTR>(classW.lpfnWndProc) == procedureW)
            return known.family;
        WNDCLASSEXA classA{};
        classA.cbSize = sizeof classA;
        if (GetClassInfoExA(nullptr, nameA, &classA) && reinterpret_cast<ULONG_PTR>(classA.lpfnWndProc) == procedureA)
            return known.family;
    }
    return ControlFamily::Unknown;
}

}  // namespace

ControlFamily ControlFamilyOf(HWND hwnd)
{
    if (!IsWindow(hwnd))
        return ControlFamily::Unknown;
    if (const auto family = FamilyOfName(hwnd, ClassNameOf); family != ControlFamily::Unknown)
        return family;
    if (const auto family = FamilyOfName(hwnd, RealGetWindowClassW); family != ControlFamily::Unknown)
        return family;
    return FamilyOfClassProcedure(hwnd);
}

namespace {

// What the engine asks of the module some code is in. Asked for every window the engine sees and
// every colour message of a system-drawn list, so each module is looked at once.
struct ModuleFacts {
    bool commonControls = false;  // comctl32, whichever version
    bool system = false;          // a module in the Windows folder
    bool program = false;         // the process's own executable, wherever it lies
};

ModuleFacts FactsOfCodeAt(const void* address)
{
    static std::map<HMODULE, ModuleFacts> known;
    static std::mutex lock;
    HMODULE module = nullptr;
    if (address == nullptr ||
        !GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            static_cast<LPCWSTR>(address), &module))
        return {};
    const std::lock_guard hold(lock);
    auto [entry, added] = known.try_emplace(module);
    if (!added)
        return entry->second;
    wchar_t path[MAX_PATH] = L"", folder[MAX_PATH] = L"";
    const DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
    const UINT folderLength = GetSystemWindowsDirectoryW(folder, MAX_PATH);
    const wchar_t* name = path;
    for (DWORD i = 0; i < length; ++i)
        if (path[i] == L'\\' || path[i] == L'/')
            name = path + i + 1;
    ModuleFacts& facts = entry->second;
    facts.commonControls = lstrcmpiW(name, L"comctl32.dll") == 0;
    facts.program = module == GetModuleHandleW(nullptr);
    facts.system = length > folderLength && folderLength > 0 && folderLength < MAX_PATH &&
                   CompareStringOrdinal(path, static_cast<int>(folderLength), folder, static_cast<int>(folderLength),
                                        TRUE) == CSTR_EQUAL &&
                   (path[folderLength] == L'\\' || folder[folderLength - 1] == L'\\');
    return facts;
}

}  // namespace

bool IsCommonControlWindow(HWND hwnd)
{
    return FactsOfCodeAt(reinterpret_cast<const void*>(GetClassLongPtrW(hwnd, GCLP_WNDPROC))).commonControls;
}

bool IsSystemCode(const void* address)
{
    return FactsOfCodeAt(address).system;
}

bool IsProgramCode(const void* address)
{
    const ModuleFacts facts = FactsOfCodeAt(address);
    return facts.program || !facts.system;
}

}  // namespace velum
