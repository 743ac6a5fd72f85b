#include "ImportPatches.h"

#include <tlhelp32.h>

#include <algorithm>
#include <array>
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

// The Windows folder with a trailing backslash, lower case; read once, before any loader
// announcement can need it.
const std::wstring& SystemFolder()
{
    static const std::wstring folder = [] {
        wchar_t text[MAX_PATH] = L"";
        const UINT length = GetSystemWindowsDirectoryW(text, MAX_PATH);
        if (length == 0 || length >= MAX_PATH)
            return std::wstring();
        std::wstring lower = Lower(text);
        if (lower.back() != L'\\')
            lower += L'\\';
        return lower;
    }();
    return folder;
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

// Whether a module, by its base and full path, is one of the choice. The executable is the
// program's wherever it is (a program of the Windows folder is skinned too).
bool Chosen(PatchedModules which, HMODULE module, const std::wstring& path)
{
    const std::wstring lower = Lower(path);
    switch (which) {
    case PatchedModules::Program: {
        const std::wstring& system = SystemFolder();
        return module == GetModuleHandleW(nullptr) || (!system.empty() && lower.compare(0, system.size(), system) != 0);
    }
    case PatchedModules::AllButCore: return !IsCoreModule(lower);
    case PatchedModules::CommonControls: return BaseName(lower) == L"comctl32.dll";
    }
    return false;
}

// What the loader's own lists say of a module (the start of ntdll's LDR_DATA_TABLE_ENTRY,
// laid out alike on every version of Windows and in Wine).
struct LoaderString {
    USHORT length, maximumLength;
    PWSTR buffer;
};
struct LoaderEntry {
    LIST_ENTRY inLoadOrder, inMemoryOrder, inInitializationOrder;
    void* base;
    void* entryPoint;
    ULONG size;
    LoaderString fullName;
    LoaderString baseName;
};
// The loader's announcement of a module loaded or unloaded (LdrRegisterDllNotification).
struct LoadNotice {
    ULONG flags;
    const LoaderString* fullName;
    const LoaderString* baseName;
    void* base;
    ULONG size;
};
constexpr ULONG kModuleLoaded = 1;
constexpr ULONG kModuleUnloaded = 2;

std::wstring Text(const LoaderString* text)
{
    return text != nullptr && text->buffer != nullptr ? std::wstring(text->buffer, text->length / sizeof(wchar_t))
                                                      : std::wstring();
}

template <class Fn>
Fn NtdllFunction(const char* name)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), name)));
}

using RegisterLoadsFn = LONG(NTAPI*)(ULONG, void(CALLBACK*)(ULONG, const void*, void*), void*, void**);
using UnregisterLoadsFn = LONG(NTAPI*)(void*);
using EnumerateModulesFn = LONG(NTAPI*)(void*, void(NTAPI*)(LoaderEntry*, void*, BOOLEAN*), void*);
using LockLoaderFn = LONG(NTAPI*)(ULONG, ULONG*, ULONG_PTR*);
using UnlockLoaderFn = LONG(NTAPI*)(ULONG, ULONG_PTR);

// The loader's lock, held while modules are listed and patched: no module is half loaded or
// unloaded meanwhile. Not held when this system has no such lock to take.
class LoaderLock {
public:
    explicit LoaderLock(bool tryOnly)
    {
        static const auto lock = NtdllFunction<LockLoaderFn>("LdrLockLoaderLock");
        constexpr ULONG kTryOnly = 2;
        ULONG disposition = 0;
        if (lock == nullptr)
            held_ = !tryOnly;  // nothing to wait for; a pass then relies on the bound check alone
        else
            held_ = lock(tryOnly ? kTryOnly : 0, &disposition, &cookie_) >= 0 && (!tryOnly || disposition == 1);
        locked_ = lock != nullptr && held_;
    }
    ~LoaderLock()
    {
        static const auto unlock = NtdllFunction<UnlockLoaderFn>("LdrUnlockLoaderLock");
        if (locked_ && unlock != nullptr)
            unlock(0, cookie_);
    }
    LoaderLock(const LoaderLock&) = delete;
    LoaderLock& operator=(const LoaderLock&) = delete;
    bool Held() const { return held_; }

private:
    ULONG_PTR cookie_ = 0;
    bool held_ = false;
    bool locked_ = false;
};

struct LoadedModule {
    HMODULE module;
    std::wstring path;
};

void NTAPI NoteModule(LoaderEntry* entry, void* context, BOOLEAN*)
{
    static_cast<std::vector<LoadedModule>*>(context)->push_back(
        {static_cast<HMODULE>(entry->base), Text(&entry->fullName)});
}

// Every module of the process, from the loader's own list: no call leaves the process, as a
// tool-help snapshot's does.
std::vector<LoadedModule> LoadedModules()
{
    std::vector<LoadedModule> modules;
    static const auto enumerate = NtdllFunction<EnumerateModulesFn>("LdrEnumerateLoadedModules");
    if (enumerate != nullptr) {
        if (enumerate(nullptr, &NoteModule, &modules) >= 0)
            return modules;
        modules.clear();
    }
    UniqueSnapshot snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32, GetCurrentProcessId()));
    if (!snapshot)
        return {{GetModuleHandleW(nullptr), {}}};
    MODULEENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Module32FirstW(snapshot.get(), &entry); more; more = Module32NextW(snapshot.get(), &entry))
        modules.push_back({entry.hModule, entry.szExePath});
    return modules;
}

const IMAGE_NT_HEADERS* Headers(BYTE* base)
{
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    if (dos->e_magic != IMAGE_DOS_SIGNATURE)
        return nullptr;
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    return nt->Signature == IMAGE_NT_SIGNATURE ? nt : nullptr;
}

// Whether the loader has bound the module's imports: a slot still holding what the lookup
// table holds (a name's address or an ordinal) has not been bound yet.
bool ImportsBound(BYTE* base)
{
    const IMAGE_NT_HEADERS* nt = Headers(base);
    if (nt == nullptr)
        return true;
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0 || imports.Size == 0)
        return true;
    for (auto* d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); d->Name != 0; ++d) {
        if (d->OriginalFirstThunk == 0 || d->OriginalFirstThunk == d->FirstThunk)
            continue;
        const auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + d->OriginalFirstThunk);
        const auto* slots = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + d->FirstThunk);
        if (names->u1.AddressOfData != 0 && slots->u1.Function == names->u1.AddressOfData)
            return false;
    }
    return true;
}

constexpr DWORD kExecutable = PAGE_EXECUTE | PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;

// True when the slot could be given the value. The page keeps its right to run code: an
// import table may share a page with code another thread is running.
bool Write(const void** slot, const void* value)
{
    MEMORY_BASIC_INFORMATION page{};
    if (VirtualQuery(slot, &page, sizeof page) == 0)
        return false;
    const DWORD writable = (page.Protect & kExecutable) != 0 ? PAGE_EXECUTE_READWRITE : PAGE_READWRITE;
    DWORD previous = 0;
    if (!VirtualProtect(slot, sizeof *slot, writable, &previous))
        return false;
    *slot = value;
    VirtualProtect(slot, sizeof *slot, previous, &previous);
    return true;
}

// A spin on a flag: what the loader's announcement may take without calling out of the engine.
class EventsHold {
public:
    explicit EventsHold(std::atomic_flag& busy) : busy_(busy)
    {
        while (busy_.test_and_set(std::memory_order_acquire))
            YieldProcessor();
    }
    ~EventsHold() { busy_.clear(std::memory_order_release); }
    EventsHold(const EventsHold&) = delete;
    EventsHold& operator=(const EventsHold&) = delete;

private:
    std::atomic_flag& busy_;
};

// Every set of patches, for a pass to catch up with the loader.
std::array<std::atomic<ImportPatches*>, 8> everySet{};
std::atomic<bool> anyEventsWaiting{false};

}  // namespace

ImportPatches::ImportPatches()
{
    for (auto& place : everySet) {
        ImportPatches* empty = nullptr;
        if (place.compare_exchange_strong(empty, this))
            break;
    }
}

ImportPatches::~ImportPatches()
{
    Restore();
    for (auto& place : everySet) {
        ImportPatches* self = this;
        place.compare_exchange_strong(self, nullptr);
    }
}

void CALLBACK ImportPatches::ModuleLoaded(ULONG reason, const void* data, void* context)
{
    // With the module's imports perhaps not yet bound: only noted.
    if ((reason != kModuleLoaded && reason != kModuleUnloaded) || data == nullptr)
        return;
    const auto& notice = *static_cast<const LoadNotice*>(data);
    auto& self = *static_cast<ImportPatches*>(context);
    {
        const EventsHold hold(self.eventsBusy_);
        if (self.eventCount_ < self.events_.size())
            self.events_[self.eventCount_++] = {reason == kModuleLoaded, static_cast<BYTE*>(notice.base), notice.size};
        else
            self.eventsOverflowed_ = true;
    }
    self.eventsWaiting_ = true;
    anyEventsWaiting = true;
}

void ImportPatches::CatchUp()
{
    if (!anyEventsWaiting.load(std::memory_order_relaxed))
        return;
    const LoaderLock loader(true);
    if (!loader.Held())
        return;
    anyEventsWaiting = false;
    for (auto& place : everySet)
        if (ImportPatches* set = place.load())
            set->CatchUpHere();
}

void ImportPatches::CatchUpHere()
{
    if (!eventsWaiting_.exchange(false))
        return;
    decltype(events_) events;
    std::size_t count = 0;
    bool overflowed = false;
    {
        const EventsHold hold(eventsBusy_);
        events = events_;
        count = std::exchange(eventCount_, 0);
        overflowed = std::exchange(eventsOverflowed_, false);
    }
    // More than were noted: every module is looked at (patching is by address, so a module
    // patched already is left as it is).
    std::vector<LoadedModule> everyModule;
    if (overflowed)
        everyModule = LoadedModules();
    const std::lock_guard hold(lock_);
    for (std::size_t i = 0; i < count; ++i) {
        const LoaderEvent& e = events[i];
        if (!e.loaded) {
            // Its slots went with it, and a load not yet patched is moot.
            std::erase_if(slots_, [&](const Slot& s) {
                const auto* at = reinterpret_cast<const BYTE*>(s.slot);
                return at >= e.base && at < e.base + e.size;
            });
            std::erase_if(waiting_, [&](const Waiting& w) { return w.base == e.base; });
        } else if (applied_) {
            wchar_t path[MAX_PATH] = L"";
            GetModuleFileNameW(reinterpret_cast<HMODULE>(e.base), path, MAX_PATH);
            waiting_.push_back({e.base, path, GetTickCount64()});
        }
    }
    if (!applied_) {
        waiting_.clear();
        return;
    }
    for (const LoadedModule& m : everyModule)
        waiting_.push_back({reinterpret_cast<BYTE*>(m.module), m.path, GetTickCount64()});
    std::erase_if(waiting_, [&](const Waiting& w) {
        // Still being bound on another thread: a later pass tries again. One mapped without its
        // imports (DONT_RESOLVE_DLL_REFERENCES) is never bound, and is let go after 5 seconds.
        if (!ImportsBound(w.base))
            return GetTickCount64() - w.since > 5000;
        const auto module = reinterpret_cast<HMODULE>(w.base);
        if (Chosen(modules_, module, w.path) && std::find(except_.begin(), except_.end(), module) == except_.end())
            ApplyTo(module);
        return true;
    });
    if (!waiting_.empty()) {
        eventsWaiting_ = true;
        anyEventsWaiting = true;
    }
}

void ImportPatches::ApplyTo(HMODULE module)
{
    auto* base = reinterpret_cast<BYTE*>(module);
    const IMAGE_NT_HEADERS* nt = Headers(base);
    if (nt == nullptr)
        return;
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress != 0 && imports.Size != 0) {
        // Matched by address, not by name: whatever name or ordinal a module imported the
        // function under, its slot holds the function itself once bound.
        for (auto* d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); d->Name != 0;
             ++d) {
            for (auto* thunk = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk); thunk->u1.Function != 0;
                 ++thunk) {
                auto** slot = reinterpret_cast<const void**>(&thunk->u1.Function);
                for (const ImportReplacement& r : replacements_)
                    if (r.original != nullptr && *slot == r.original && Write(slot, r.replacement))
                        slots_.push_back({slot, r.original, r.replacement});
            }
        }
    }
    ApplyToDelayLoads(base);
}

void ImportPatches::ApplyToDelayLoads(BYTE* base)
{
    const IMAGE_NT_HEADERS* nt = Headers(base);
    const IMAGE_DATA_DIRECTORY& delayed = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT];
    if (delayed.VirtualAddress == 0 || delayed.Size == 0)
        return;
    for (auto* d = reinterpret_cast<const IMAGE_DELAYLOAD_DESCRIPTOR*>(base + delayed.VirtualAddress);
         d->DllNameRVA != 0; ++d) {
        // Only tables of relative addresses, as every linker of this century writes them.
        if ((d->Attributes.AllAttributes & 1) == 0 || d->ImportAddressTableRVA == 0 || d->ImportNameTableRVA == 0)
            continue;
        // A DLL not loaded holds none of the system functions replaced; it is not loaded here.
        const HMODULE from = GetModuleHandleA(reinterpret_cast<const char*>(base + d->DllNameRVA));
        const auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + d->ImportNameTableRVA);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->ImportAddressTableRVA);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            auto** slot = reinterpret_cast<const void**>(&slots->u1.Function);
            const void* function = *slot;  // resolved already, or the module's loader stub
            if (from != nullptr && std::none_of(replacements_.begin(), replacements_.end(), [&](const auto& r) {
                    return r.original == function || r.replacement == function;
                })) {
                const char* name =
                    IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)
                        ? MAKEINTRESOURCEA(IMAGE_ORDINAL(names->u1.Ordinal))
                        : reinterpret_cast<const char*>(
                              reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData)->Name);
                function = reinterpret_cast<const void*>(GetProcAddress(from, name));
            }
            for (const ImportReplacement& r : replacements_)
                if (r.original != nullptr && function == r.original && *slot != r.replacement) {
                    const void* was = *slot;
                    if (Write(slot, r.replacement))
                        slots_.push_back({slot, was, r.replacement});
                }
        }
    }
}

void ImportPatches::Apply(std::span<const ImportReplacement> replacements, PatchedModules modules,
                          std::span<const HMODULE> except)
{
    SystemFolder();  // read now: a loader announcement must not have to
    const LoaderLock loader(false);
    const std::vector<LoadedModule> loaded = LoadedModules();
    {
        const std::lock_guard hold(lock_);
        if (!applied_) {
            replacements_.assign(replacements.begin(), replacements.end());
            except_.assign(except.begin(), except.end());
            modules_ = modules;
        }
        for (const LoadedModule& m : loaded)
            if (Chosen(modules_, m.module, m.path) &&
                std::find(except_.begin(), except_.end(), m.module) == except_.end())
                ApplyTo(m.module);
        applied_ = true;
        if (loadCookie_ != nullptr)
            return;
    }
    // Still under the loader's lock: no module loads between the list and the announcements.
    static const auto registerLoads = NtdllFunction<RegisterLoadsFn>("LdrRegisterDllNotification");
    void* cookie = nullptr;
    if (registerLoads != nullptr && registerLoads(0, &ModuleLoaded, this, &cookie) >= 0) {
        const std::lock_guard hold(lock_);
        loadCookie_ = cookie;
    }
}

bool ImportPatches::Restore()
{
    void* cookie = nullptr;
    {
        const std::lock_guard hold(lock_);
        cookie = std::exchange(loadCookie_, nullptr);
        applied_ = false;  // a load noted but not patched is let go
    }
    static const auto unregisterLoads = NtdllFunction<UnregisterLoadsFn>("LdrUnregisterDllNotification");
    if (cookie != nullptr && unregisterLoads != nullptr)
        unregisterLoads(cookie);
    const LoaderLock loader(false);
    // Modules unloaded since the last pass take their slots with them.
    eventsWaiting_ = true;
    CatchUpHere();
    const std::lock_guard hold(lock_);
    bool clean = true;
    for (const Slot& s : slots_) {
        if (*s.slot == s.replacement)
            Write(s.slot, s.was);
        else
            clean = false;
    }
    slots_.clear();
    waiting_.clear();
    return clean;
}

}  // namespace velum
