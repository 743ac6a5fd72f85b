// The engine's exported interface: argument checks and the calling thread's last error text;
// the work is done by the window registry and the parts it skins.
#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
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
#include "AttachSteps.h"
#include "Exclusions.h"
#include "Engine.h"
#include "PartColours.h"
#include "ScreenDpi.h"
#include "ThemeText.h"
#include "ThemeLoad.h"
#include "Velum.h"
#include "WindowRegistry.h"
#include "WindowSubclass.h"

namespace velum {

namespace {

// Each thread's last error text, in UTF-8; a thread whose last call succeeded has none. Not a
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
    return "error " + std::to_string(code) + ": " + ToUtf8(SystemErrorText(code));
}

// Makes `theme` the look of every window of the calling thread. All or nothing: on failure
// nothing changes.
int Apply(Theme theme, std::shared_ptr<const ThemeArtwork> artwork = nullptr)
{
    ReleaseEndedThread();
    if (AttachedThread() != 0 && AttachedThread() != GetCurrentThreadId())
        return Fail(VELUM_E_ARGUMENT, "the engine is attached to another thread's windows");
    auto resources = std::make_unique<ThemeResources>(std::move(theme), std::move(artwork));
    if (!resources->Complete())
        return Fail(VELUM_E_SYSTEM, "cannot create the theme's fonts and brushes: " + SystemText(GetLastError()));
    MarkStep("fonts and brushes made");
    if (!SkinThreadWindows(std::move(resources)))
        return Fail(VELUM_E_SYSTEM, "SetWindowsHookExW: " + SystemText(GetLastError()));
    return Succeed();
}

// `stopped`: the windows were given back now, not once a message returns.
int Detach(bool& stopped)
{
    ReleaseEndedThread();
    if (AttachedThread() == 0)
        return Succeed();
    if (AttachedThread() != GetCurrentThreadId())
        return Fail(VELUM_E_ARGUMENT, "the engine is attached to another thread's windows");
    if (DetachWhenMessageReturns())
        return Succeed();
    StopSkinning();
    stopped = true;
    return Succeed();
}

// Exclusions may be changed before attaching from any thread, and while attached from the
// skinned thread, whose windows change at once.
// Called from inside a message one of the engine's procedures handles (a program excluding a
// window from its own window procedure), the windows change as that message returns: the
// procedure on the stack may still use what a window is given back with.
int FollowExclusionsNow()
{
    if (SkinnedThread() == 0)
        return Succeed();
    if (!InsideEngineProcedure()) {
        FollowExclusions();
        return Succeed();
    }
    WhenOutsideEngineProcedures([] {
        const EngineCallScope scope;
        if (scope.Taken() && OnSkinnedThread())
            FollowExclusions();
    });
    return Succeed();
}

bool MayChangeExclusions()
{
    ReleaseEndedThread();
    return SkinnedThread() == 0 || SkinnedThread() == GetCurrentThreadId();
}

int ExcludeWindow(HWND hwnd, bool exclude)
{
    if (!MayChangeExclusions())
        return Fail(VELUM_E_ARGUMENT, "the engine is attached to another thread's windows");
    if (!SetWindowExcluded(hwnd, exclude))
        return Fail(VELUM_E_ARGUMENT, "not a window");
    return FollowExclusionsNow();
}

int ExcludeClass(const wchar_t* className, bool exclude)
{
    if (className == nullptr || *className == L'\0')
        return Fail(VELUM_E_ARGUMENT, "no window class named");
    if (!MayChangeExclusions())
        return Fail(VELUM_E_ARGUMENT, "the engine is attached to another thread's windows");
    SetClassExcluded(className, exclude);
    return FollowExclusionsNow();
}

// The theme's colours and fonts may be asked from any message of the skinned thread, also one
// the engine sent during a switch (the new theme is in place by then); other threads ask
// between the engine's calls.
template <class Work>
int Guarded(Work work);

template <class Work>
int ReadingTheme(Work work)
{
    if (OnSkinnedThread())
        return work();
    return Guarded(work);
}

int ThemeColour(const char* part, const char* state, const char* key)
{
    ThemeResources* theme = CurrentTheme();
    if (theme == nullptr) {
        Fail(VELUM_E_ARGUMENT, SteppedAside() ? "no theme is in use: the engine stands aside while high contrast is on"
                                              : "no theme is in use: the engine is not attached");
        return -1;
    }
    if (part == nullptr || key == nullptr) {
        Fail(VELUM_E_ARGUMENT, "no part or colour named");
        return -1;
    }
    const PartColour found = ColourOfPart(theme->Get(), theme->Controls(), part, state != nullptr ? state : "", key);
    if (!found.colour) {
        Fail(VELUM_E_ARGUMENT, found.error);
        return -1;
    }
    Succeed();
    return static_cast<int>(RGB(found.colour->r, found.colour->g, found.colour->b));
}

int ThemeFont(std::string_view part, LOGFONTW& font)
{
    ThemeResources* theme = CurrentTheme();
    if (theme == nullptr)
        return Fail(VELUM_E_ARGUMENT, SteppedAside()
                                          ? "no theme is in use: the engine stands aside while high contrast is on"
                                          : "no theme is in use: the engine is not attached");
    const int dpi = ScreenDpi();
    HFONT handle = nullptr;
    if (parse::EqualsIgnoreCase(part, "Caption"))
        handle = theme->CaptionFont(dpi);
    else if (parse::EqualsIgnoreCase(part, "MenuBar"))
        handle = theme->MenuFont(dpi);
    else if (parse::EqualsIgnoreCase(part, "Popup"))
        handle = theme->PopupFont(dpi);
    else
        return Fail(VELUM_E_ARGUMENT, "no font for the part \"" + std::string(part) + "\" (Caption, MenuBar or Popup)");
    if (GetObjectW(handle, sizeof font, &font) != sizeof font)
        return Fail(VELUM_E_SYSTEM, "GetObjectW: " + SystemText(GetLastError()));
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
        return Fail(VELUM_E_SYSTEM, ToUtf8(e.Description()));
    }
}

// A theme file's images are read from the folder it is in; one that cannot be used fails the
// whole call, as an error in the file does.
int ApplyWithArtwork(Theme theme, const std::wstring& path, const std::string& shown)
{
    std::shared_ptr<const ThemeArtwork> artwork;
    if (theme.images != FrameImages{} || !theme.partImages.empty()) {
        const std::size_t slash = path.find_last_of(L"\\/");
        const std::wstring folder = slash == std::wstring::npos ? L"." : path.substr(0, slash);
        std::string error;
        artwork = LoadArtworkKept(theme, folder, shown, error);
        if (!artwork)
            return Fail(VELUM_E_THEME, error);
        MarkStep("images read");
    }
    return Apply(std::move(theme), std::move(artwork));
}

// `path` and `scheme` as the caller gave them, in UTF-16.
int AttachFile(const std::wstring& path, const std::wstring& schemeName)
{
    if (path.empty())
        return Fail(VELUM_E_ARGUMENT, "no theme file given");
    const std::string shown = ToUtf8(path);
    const std::string scheme = ToUtf8(schemeName);

    WIN32_FILE_ATTRIBUTE_DATA found{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &found))
        return Fail(VELUM_E_FILE, shown + ": cannot open the theme file (" + SystemText(GetLastError()) + ")");
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return Fail(VELUM_E_FILE, shown + ": is a folder, not a theme file");

    // Kept for every thread alike: a caller on another thread is refused only after the parse.
    static std::mutex parsing;
    static ParsedThemes parsed;
    const std::string& utf8Path = shown;
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
        if (known) {
            MarkStep("theme file recalled");
            return ApplyWithArtwork(std::move(*known), path, shown);
        }
    }
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return Fail(VELUM_E_FILE, shown + ": cannot open the theme file (" + SystemText(GetLastError()) + ")");
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
        return Fail(VELUM_E_FILE, shown + ": cannot read the theme file (" + SystemText(readError) + ")");
    if (read == ReadStatus::TooLarge)
        return Fail(VELUM_E_TOO_LARGE, TooLargeText(shown));

    // Diagnostics are UTF-8, as the error texts are.
    LoadedTheme loaded;
    {
        const std::lock_guard<std::mutex> lock(parsing);
        loaded = parsed.Parse(
            bytes, shown, utf8Path, scheme, [](std::string_view utf8) { return std::string(utf8); },
            settled ? std::optional<FileStamp>(stamp) : std::nullopt);
    }
    if (!loaded.theme)
        return Fail(static_cast<int>(loaded.status), std::move(loaded.error));
    MarkStep("theme file read");
    return ApplyWithArtwork(std::move(*loaded.theme), path, shown);
}

}  // namespace
}  // namespace velum

extern "C" {

namespace {

int Attached(int result)
{
    if (result == VELUM_OK)
        velum::TellThemeChanged(GetCurrentThreadId(),
                                velum::SteppedAside() ? velum::kLookSteppedAside : velum::kLookApplied);
    velum::MarkStep("returned");
    velum::WriteSteps();
    return result;
}

std::wstring Wide(const wchar_t* text)
{
    return text != nullptr ? std::wstring(text) : std::wstring();
}

std::wstring FromAnsiArgument(const char* text)
{
    return text != nullptr ? FromAnsi(text) : std::wstring();
}

}  // namespace

VELUM_API int VELUM_CALL Velum_Attach(void)
{
    velum::MarkStep("Velum_Attach");
    return Attached(velum::Guarded([] { return velum::Apply(velum::DefaultTheme()); }));
}

VELUM_API int VELUM_CALL Velum_AttachEx(const char* themePath, const char* scheme)
{
    velum::MarkStep("Velum_AttachEx");
    return Attached(
        velum::Guarded([&] { return velum::AttachFile(FromAnsiArgument(themePath), FromAnsiArgument(scheme)); }));
}

VELUM_API int VELUM_CALL Velum_AttachExW(const wchar_t* themePath, const wchar_t* scheme)
{
    velum::MarkStep("Velum_AttachExW");
    return Attached(velum::Guarded([&] { return velum::AttachFile(Wide(themePath), Wide(scheme)); }));
}

VELUM_API int VELUM_CALL Velum_Detach(void)
{
    bool stopped = false;
    const int result = velum::Guarded([&] { return velum::Detach(stopped); });
    if (stopped)
        velum::TellThemeChanged(GetCurrentThreadId(), velum::kLookRemoved);
    return result;
}

VELUM_API int VELUM_CALL Velum_IsDrawing(void)
{
    return velum::SkinnedThread() != 0 ? 1 : 0;
}

VELUM_API int VELUM_CALL Velum_GetLastErrorText(char* buffer, int size)
{
    return velum::CopyErrorText(ToAnsi(FromUtf8(velum::lastErrors.Get())), buffer, size);
}

VELUM_API int VELUM_CALL Velum_GetLastErrorTextW(wchar_t* buffer, int size)
{
    return velum::CopyErrorText(FromUtf8(velum::lastErrors.Get()), buffer, size);
}

VELUM_API int VELUM_CALL Velum_ExcludeWindow(VELUM_HWND window, int exclude)
{
    return velum::Guarded([&] { return velum::ExcludeWindow(window, exclude != 0); });
}

VELUM_API int VELUM_CALL Velum_ExcludeClass(const char* className, int exclude)
{
    const std::wstring name = FromAnsiArgument(className);
    return velum::Guarded(
        [&] { return velum::ExcludeClass(className != nullptr ? name.c_str() : nullptr, exclude != 0); });
}

VELUM_API int VELUM_CALL Velum_ExcludeClassW(const wchar_t* className, int exclude)
{
    return velum::Guarded([&] { return velum::ExcludeClass(className, exclude != 0); });
}

VELUM_API int VELUM_CALL Velum_GetThemeColor(const char* part, const char* state, const char* key)
{
    int colour = -1;
    velum::ReadingTheme([&] {
        colour = velum::ThemeColour(part, state, key);
        return colour < 0 ? VELUM_E_ARGUMENT : VELUM_OK;
    });
    return colour;
}

VELUM_API int VELUM_CALL Velum_GetThemeFontW(const wchar_t* part, LOGFONTW* font)
{
    if (part == nullptr || font == nullptr)
        return velum::Fail(VELUM_E_ARGUMENT, "no part or font given");
    const std::string name = ToUtf8(part);
    return velum::ReadingTheme([&] { return velum::ThemeFont(name, *font); });
}

VELUM_API int VELUM_CALL Velum_GetThemeFont(const char* part, LOGFONTA* font)
{
    if (part == nullptr || font == nullptr)
        return velum::Fail(VELUM_E_ARGUMENT, "no part or font given");
    LOGFONTW wide{};
    const int result = velum::ReadingTheme([&] { return velum::ThemeFont(part, wide); });
    if (result != VELUM_OK)
        return result;
    static_assert(offsetof(LOGFONTA, lfFaceName) == offsetof(LOGFONTW, lfFaceName));
    std::memcpy(font, &wide, offsetof(LOGFONTW, lfFaceName));
    const std::string face = ToAnsi(wide.lfFaceName);
    velum::CopyErrorText(face, font->lfFaceName, LF_FACESIZE);
    return VELUM_OK;
}

}  // extern "C"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        velum::MarkStep("engine loaded");
        velum::SetEngineModule(instance);
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}
