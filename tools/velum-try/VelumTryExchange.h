// What velum-try hands to its hook inside the started program, and what the hook answers.
// Both sides are built for the same architecture, so the block is a plain struct in a named
// file mapping; the mapping and the event that signals the answer are named after the started
// program's process id, which the hook reads from its own process.
#pragma once

#include <windows.h>

#include <string>

namespace velum_try {

// The message velum-try posts to the program's window; the hook acts on it and turns it into
// WM_NULL, so the program's own window procedure never sees it. velum-try --watch posts it
// again after each save of the theme, with the next request number.
inline constexpr wchar_t kAttachMessage[] = L"VelumTry.Attach";

// The hook procedure's exported name.
inline constexpr char kHookProcName[] = "VelumTryGetMessageHook";

enum class Stage : LONG {
    Waiting = 0,       // the hook has not answered yet
    Attached,          // Velum_AttachEx returned VELUM_OK
    EngineNotLoaded,   // LoadLibraryW of the engine failed: systemError
    EngineIncomplete,  // the engine lacks Velum_AttachEx or Velum_GetLastErrorText
    AttachFailed,      // Velum_AttachEx returned engineResult, engineError says why
    BadRequest,        // the block was written by another build of velum-try
};

struct Exchange {
    // Written by velum-try before it installs the hook.
    DWORD size;    // sizeof(Exchange) as velum-try sees it
    LONG request;  // 1 for the first attach, one more for each later one; each is answered once
    wchar_t enginePath[1024];
    wchar_t themePath[1024];
    wchar_t scheme[256];
    // Written by the hook, then the event is set.
    Stage stage;
    DWORD systemError;
    int engineResult;
    wchar_t engineError[2048];  // the engine's text
};

inline std::wstring ExchangeName(DWORD pid)
{
    return L"Local\\VelumTry.Exchange." + std::to_wstring(pid);
}

inline std::wstring AnsweredEventName(DWORD pid)
{
    return L"Local\\VelumTry.Answered." + std::to_wstring(pid);
}

}  // namespace velum_try
