// Points the program's calls to a system function at one of the engine's, through the import
// tables of the program's own modules, and gives them back. The engine's replacements answer
// only on the skinned thread and call the system's function everywhere else.
#pragma once

#include <windows.h>

#include <array>
#include <atomic>
#include <cstddef>
#include <mutex>
#include <span>
#include <string>
#include <vector>

namespace velum {

struct ImportReplacement {
    const void* original;  // the system's function, as GetProcAddress finds it
    const void* replacement;

    // A system function and the engine's of the same signature.
    template <class Fn>
    static ImportReplacement Of(Fn original, Fn replacement)
    {
        return {reinterpret_cast<const void*>(original), reinterpret_cast<const void*>(replacement)};
    }
};

// A function of user32 the program imports; null when this system has none of that name.
template <class Fn>
Fn User32Function(const char* name)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

// Whose imports are patched.
enum class PatchedModules {
    Program,         // the executable, and the DLLs outside the Windows folder
    AllButCore,      // every module but the system's core DLLs (ntdll, kernel32, kernelbase, win32u, user32, gdi32)
    CommonControls,  // comctl32 alone, whichever version the process loaded
};

// Both import tables are patched: the ordinary one, and the delay-load one, whose slots lead
// to the module's loader stub until first called. A delay-load slot is pointed at the
// replacement whether or not the stub has resolved it yet.
//
// A module loaded later is patched once the loader has finished with it: Windows announces a
// module before binding its imports, so the announcement only records it, and the skinned
// thread patches it as it next passes through the engine (`CatchUp`), when no thread is inside
// the loader. Locks are always taken in one order: the loader's, then the patches' own.
class ImportPatches {
public:
    ImportPatches();
    // An engine unloaded while still attached leaves no import calling into it.
    ~ImportPatches();
    ImportPatches(const ImportPatches&) = delete;
    ImportPatches& operator=(const ImportPatches&) = delete;

    // Every import of an original in the modules chosen calls the replacement from now on,
    // also in the modules of that choice loaded later. The modules listed in `except` (the
    // engine's own) are left alone. Idempotent.
    void Apply(std::span<const ImportReplacement> replacements, PatchedModules modules,
               std::span<const HMODULE> except);
    // Every patched import calls the original again. An import someone patched again after
    // the engine stays as it is: false then, as it may still call into the engine.
    bool Restore();
    bool Applied() const { return applied_; }

    // Patches the modules loaded since the last pass, in every set of patches, unless a
    // thread is inside the loader now (then at a later pass). Costs a test of a flag when no
    // module was loaded.
    static void CatchUp();

private:
    struct Slot {
        const void** slot;
        const void* was;  // what the slot held: the original, or a delay-load stub
        const void* replacement;
    };
    // A module the loader announced, or one it unloaded, in the loader's order.
    struct LoaderEvent {
        bool loaded = false;
        BYTE* base = nullptr;
        ULONG size = 0;
    };
    // A module announced and not yet bound, with its path and when it was first looked at.
    struct Waiting {
        BYTE* base;
        std::wstring path;
        ULONGLONG since;
    };
    static void CALLBACK ModuleLoaded(ULONG reason, const void* data, void* context);
    void CatchUpHere();
    void ApplyTo(HMODULE module);
    void ApplyToDelayLoads(BYTE* base);

    std::mutex lock_;  // the slots and the choice
    std::vector<Slot> slots_;
    std::vector<ImportReplacement> replacements_;
    std::vector<HMODULE> except_;
    PatchedModules modules_ = PatchedModules::Program;
    bool applied_ = false;
    void* loadCookie_ = nullptr;  // while modules loaded later are patched too

    std::vector<Waiting> waiting_;  // under lock_

    // Filled by the loader's announcements, taken by a pass. An announcement calls nothing
    // outside the engine (Microsoft's warning for the callback): no allocation, no system
    // lock, only this spin on a flag, held for a copy. More announcements than fit between
    // two passes are counted as an overflow, and the pass then looks at every module.
    std::atomic_flag eventsBusy_ = ATOMIC_FLAG_INIT;
    std::array<LoaderEvent, 64> events_{};
    std::size_t eventCount_ = 0;
    bool eventsOverflowed_ = false;
    std::atomic<bool> eventsWaiting_{false};
};

}  // namespace velum
