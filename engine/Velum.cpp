// The engine's exported interface: argument checks and the calling thread's last error text;
// the work is done by the window registry and the parts it skins.
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "AnsiText.h"
#include "AppError.h"
#include "Engine.h"
#include "ThemeLoad.h"
#include "Velum.h"
#include "WindowSubclass.h"

namespace velum {

namespace {

// Each thread's last error text; a thread whose last call succeeded has none. Not a
// thread_local: a thread-local object with a destructor keeps its module loaded until the
// process ends (the runtime pins it), and the engine must unload when FreeLibrary says so.
class LastErrors {
public:
    void Set(std::string text)
    {
        AcquireSRWLockExclusive(&lock_);
        if (text.empty())
            texts_.erase(GetCurrentThreadId());
        else
            texts_[GetCurrentThreadId()] = std::move(text);
        ReleaseSRWLockExclusive(&lock_);
    }
    std::string Get()
    {
        AcquireSRWLockShared(&lock_);
        const auto found = texts_.find(GetCurrentThreadId());
        std::string text = found != texts_.end() ? found->second : std::string();
        ReleaseSRWLockShared(&lock_);
        return text;
    }

private:
    SRWLOCK lock_ = SRWLOCK_INIT;
    std::map<DWORD, std::string> texts_;
};
LastErrors lastErrors;

int Fail(int code, std::string text)
{
    lastErrors.Set(std::move(text));
    return code;
}

int Succeed()
{
    lastErrors.Set({});
    return VELUM_OK;
}

// A file time as one number of 100 ns units.
std::int64_t Ticks(const FILETIME& t)
{
    return static_cast<std::int64_t>((std::uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime);
}

std::string SystemText(DWORD code)
{
    return "error " + std::to_string(code) + ": " + ToAnsi(SystemErrorText(code));
}

// Makes `theme` the look of every window of the calling thread. All or nothing: on failure
// nothing changes.
int Apply(Theme theme)
{
    ReleaseEndedThread();
    if (SkinnedThread() != 0 && SkinnedThread() != GetCurrentThreadId())
        return Fail(VELUM_E_ARGUMENT, "the engine is attached to another thread's windows");
    auto resources = std::make_unique<ThemeResources>(std::move(theme));
    if (!resources->Complete())
        return Fail(VELUM_E_SYSTEM, "cannot create the theme's fonts and brushes: " + SystemText(GetLastError()));
    if (!SkinThreadWindows(std::move(resources)))
        return Fail(VELUM_E_SYSTEM, "SetWindowsHookExW: " + SystemText(GetLastError()));
    return Succeed();
}

int Detach()
{
    ReleaseEndedThread();
    if (SkinnedThread() == 0)
        return Succeed();
    if (SkinnedThread() != GetCurrentThreadId())
        return Fail(VELUM_E_ARGUMENT, "the engine is attached to another thread's windows");
    if (DetachWhenMessageReturns())
        return Succeed();
    StopSkinning();
    TrimFontCache();
    return Succeed();
}

// The exported calls run their work through this: one at a time in the process, and nothing
// may leave the DLL as an exception. A program may call the engine again from a message the
// engine sends while it applies or removes a look (a frame change, a repaint, an activation):
// that call is refused, since the engine is between two states of its windows.
template <class Work>
int Guarded(Work work)
{
    const EngineCallScope scope;
    if (!scope.Taken())
        return Fail(VELUM_E_BUSY, scope.HeldByThisThread()
                                      ? "called from a message the engine sent while it applies or removes a look; "
                                        "call again once that call has returned"
                                      : "another thread is inside a call of the engine");
    try {
        return work();
    } catch (const std::bad_alloc&) {
        return Fail(VELUM_E_SYSTEM, "out of memory");
    } catch (const AppError& e) {
        return Fail(VELUM_E_SYSTEM, ToAnsi(e.Description()));
    }
}

int AttachFile(const char* themePath, const char* schemeName)
{
    if (themePath == nullptr || *themePath == '\0')
        return Fail(VELUM_E_ARGUMENT, "no theme file given");
    const std::string ansiPath = themePath;
    const std::string scheme = schemeName != nullptr ? schemeName : "";
    const std::wstring path = FromAnsi(ansiPath);

    WIN32_FILE_ATTRIBUTE_DATA found{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &found))
        return Fail(VELUM_E_FILE, ansiPath + ": cannot open the theme file (" + SystemText(GetLastError()) + ")");
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return Fail(VELUM_E_FILE, ansiPath + ": is a folder, not a theme file");

    // Kept for every thread alike: a caller on another thread is refused only after the parse.
    static std::mutex parsing;
    static ParsedThemes parsed;
    const std::string utf8Path = ToUtf8(path);
    const FileStamp stamp{(std::uint64_t{found.nFileSizeHigh} << 32) | found.nFileSizeLow, Ticks(found.ftCreationTime),
                          Ticks(found.ftLastWriteTime)};
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    const bool settled = Settled(stamp, Ticks(now));
    if (settled) {
        std::optional<Theme> known;
        {
            const std::lock_guard<std::mutex> lock(parsing);
            known = parsed.Recall(utf8Path, scheme, stamp);
        }
        if (known)
            return Apply(std::move(*known));
    }
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return Fail(VELUM_E_FILE, ansiPath + ": cannot open the theme file (" + SystemText(GetLastError()) + ")");
    std::string bytes;
    DWORD readError = ERROR_SUCCESS;
    const ReadStatus read = ReadCapped(
        [&](char* buffer, size_t size) -> std::optional<size_t> {
            DWORD got = 0;
            const DWORD ask = static_cast<DWORD>(std::min<size_t>(size, MAXDWORD));
            if (!ReadFile(file.get(), buffer, ask, &got, nullptr)) {
                readError = GetLastError();
                return std::nullopt;
            }
            return got;
        },
        bytes);
    if (read == ReadStatus::Failed)
        return Fail(VELUM_E_FILE, ansiPath + ": cannot read the theme file (" + SystemText(readError) + ")");
    if (read == ReadStatus::TooLarge)
        return Fail(VELUM_E_TOO_LARGE, TooLargeText(ansiPath));

    // Diagnostics are UTF-8; the path in them is too.
    LoadedTheme loaded;
    {
        const std::lock_guard<std::mutex> lock(parsing);
        loaded = parsed.Parse(
            bytes, ansiPath, utf8Path, scheme, [](std::string_view utf8) { return ToAnsi(FromUtf8(utf8)); },
            settled ? std::optional<FileStamp>(stamp) : std::nullopt);
    }
    if (!loaded.theme)
        return Fail(static_cast<int>(loaded.status), std::move(loaded.error));
    return Apply(std::move(*loaded.theme));
}

}  // namespace
}  // namespace velum

extern "C" {

VELUM_API int VELUM_CALL Velum_Attach(void)
{
    return velum::Guarded([] { return velum::Apply(velum::DefaultTheme()); });
}

VELUM_API int VELUM_CALL Velum_AttachEx(const char* themePath, const char* scheme)
{
    return velum::Guarded([&] { return velum::AttachFile(themePath, scheme); });
}

VELUM_API int VELUM_CALL Velum_Detach(void)
{
    return velum::Guarded(velum::Detach);
}

VELUM_API int VELUM_CALL Velum_GetLastErrorText(char* buffer, int size)
{
    return velum::CopyErrorText(velum::lastErrors.Get(), buffer, size);
}

}  // extern "C"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        velum::SetEngineModule(instance);
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}
