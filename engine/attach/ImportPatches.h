// Points the program's calls to a system function at one of the engine's, through the import
// tables of the program's own modules, and gives them back. The engine's replacements answer
// only on the skinned thread and call the system's function everywhere else.
#pragma once

#include <windows.h>

#include <mutex>
#include <span>
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

class ImportPatches {
public:
    ImportPatches() = default;
    // An engine unloaded while still attached leaves no import calling into it.
    ~ImportPatches() { Restore(); }
    ImportPatches(const ImportPatches&) = delete;
    ImportPatches& operator=(const ImportPatches&) = delete;

    // Every import of an original in the modules chosen calls the replacement from now on,
    // also in the modules of that choice loaded later (patched as they load, before their own
    // initialisation runs). The modules listed in `except` (the engine's own) are left alone.
    // Idempotent.
    void Apply(std::span<const ImportReplacement> replacements, PatchedModules modules,
               std::span<const HMODULE> except);
    // Every patched import calls the original again. An import someone patched again after
    // the engine stays as it is: false then, as it may still call into the engine.
    bool Restore();
    bool Applied() const { return !slots_.empty(); }

private:
    static void CALLBACK ModuleLoaded(ULONG reason, const void* data, void* context);
    struct Slot {
        const void** slot;
        const void* original;
        const void* replacement;
    };
    void ApplyTo(HMODULE module, std::span<const ImportReplacement> replacements);
    std::mutex lock_;  // a module may load on any thread
    std::vector<Slot> slots_;
    std::vector<ImportReplacement> replacements_;
    PatchedModules modules_ = PatchedModules::Program;
    void* loadCookie_ = nullptr;  // while modules loaded later are patched too
};

}  // namespace velum
