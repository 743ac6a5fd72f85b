/* A plug-in as a program loads it after the engine attached: it asks the system for the window
   colour. The tests build it twice, once importing GetSysColor as usual and once delay-loading
   it (lld-link's /delayload), and the engine must answer both.

   Built without a C runtime, it brings the delay-load helper a linker asks for: the one a C
   runtime ships would do the same, resolve a slot on its first call and write it. */
#include <windows.h>

DWORD WINAPI WindowColour(void)
{
    return GetSysColor(COLOR_WINDOW);
}

BOOL WINAPI PluginEntry(HINSTANCE instance, DWORD reason, void* reserved)
{
    (void)instance;
    (void)reason;
    (void)reserved;
    return TRUE;
}

/* The delay-load descriptor, with relative addresses. */
typedef struct {
    DWORD attributes, dllName, module, addresses, names, boundAddresses, unloadAddresses, stamp;
} DelayDescriptor;

extern IMAGE_DOS_HEADER __ImageBase;

FARPROC WINAPI __delayLoadHelper2(const DelayDescriptor* d, FARPROC* slot)
{
    BYTE* base = (BYTE*)&__ImageBase;
    HMODULE* module = (HMODULE*)(base + d->module);
    if (*module == NULL)
        *module = LoadLibraryA((const char*)(base + d->dllName));
    const IMAGE_THUNK_DATA* names = (const IMAGE_THUNK_DATA*)(base + d->names);
    const size_t index = (size_t)(slot - (FARPROC*)(base + d->addresses));
    const ULONG_PTR name = names[index].u1.AddressOfData;
    FARPROC function =
        GetProcAddress(*module, IMAGE_SNAP_BY_ORDINAL(name) ? (LPCSTR)IMAGE_ORDINAL(name)
                                                            : (LPCSTR)((IMAGE_IMPORT_BY_NAME*)(base + name))->Name);
    DWORD was = 0;
    VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &was);
    *slot = function;
    VirtualProtect(slot, sizeof *slot, was, &was);
    return function;
}
