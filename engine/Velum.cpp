// The engine's exported interface and its state: the theme in use, the hook that sees new
// windows, and the calling thread's last error.
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <string>
#include <vector>

#include "AppError.h"
#include "Engine.h"
#include "ThemeLoad.h"
#include "Velum.h"

namespace velum {

namespace {

HINSTANCE engineModule = nullptr;

struct EngineState {
    DWORD thread = 0;
    HHOOK hook = nullptr;
    std::unique_ptr<ThemeResources> theme;
};

EngineState& State()
{
    static EngineState state;
    return state;
}

thread_local std::string lastError;

int Fail(int code, std::string text)
{
    lastError = std::move(text);
    return code;
}

// The portable loader numbers its outcomes as the engine's result codes.
static_assert(static_cast<int>(LoadStatus::Ok) == VELUM_OK && static_cast<int>(LoadStatus::TooLarge) == VELUM_E_TOO_LARGE &&
              static_cast<int>(LoadStatus::Broken) == VELUM_E_THEME &&
              static_cast<int>(LoadStatus::NoSuchScheme) == VELUM_E_SCHEME);

int Succeed()
{
    lastError.clear();
    return VELUM_OK;
}

std::wstring Widen(UINT codePage, const std::string& text)
{
    const int n = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(std::max(n, 0)), L'\0');
    if (n > 0)
        MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

std::string Narrow(UINT codePage, const std::wstring& text)
{
    const int n = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(std::max(n, 0)), '\0');
    if (n > 0)
        WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::string SystemText(DWORD code)
{
    return "error " + std::to_string(code) + ": " + Narrow(CP_ACP, SystemErrorText(code));
}

LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND && CurrentTheme() != nullptr) {
        auto hwnd = reinterpret_cast<HWND>(wParam);
        const auto* create = reinterpret_cast<const CBT_CREATEWNDW*>(lParam)->lpcs;
        wchar_t className[16] = L"";
        GetClassNameW(hwnd, className, 16);
        if (lstrcmpW(className, L"#32768") == 0)
            SkinPopupMenu(hwnd);
        else if ((create->style & WS_CHILD) == 0 && (create->style & WS_CAPTION) == WS_CAPTION)
            SkinFrameWindow(hwnd);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

BOOL CALLBACK SkinExisting(HWND hwnd, LPARAM)
{
    if (WantsFrameSkin(hwnd))
        SkinFrameWindow(hwnd);
    return TRUE;
}

// Makes `theme` the look of every window of the calling thread. All or nothing: on failure
// nothing changes.
int Apply(Theme theme)
{
    EngineState& state = State();
    if (state.hook != nullptr && state.thread != GetCurrentThreadId())
        return Fail(VELUM_E_ARGUMENT, "the engine is attached to another thread's windows");
    auto resources = std::make_unique<ThemeResources>(std::move(theme));
    if (!resources->Complete())
        return Fail(VELUM_E_SYSTEM, "cannot create the theme's fonts and brushes: " + SystemText(GetLastError()));
    if (state.hook == nullptr) {
        state.hook = SetWindowsHookExW(WH_CBT, CbtHook, engineModule, GetCurrentThreadId());
        if (state.hook == nullptr)
            return Fail(VELUM_E_SYSTEM, "SetWindowsHookExW: " + SystemText(GetLastError()));
        state.thread = GetCurrentThreadId();
    }
    // The old resources live until every window has been refreshed with the new ones.
    std::unique_ptr<ThemeResources> previous = std::move(state.theme);
    state.theme = std::move(resources);
    EnumThreadWindows(state.thread, SkinExisting, 0);
    RefreshSkinnedWindows();
    return Succeed();
}

int AttachFile(const char* themePath, const char* schemeName)
{
    if (themePath == nullptr || *themePath == '\0')
        return Fail(VELUM_E_ARGUMENT, "no theme file given");
    const std::string ansiPath = themePath;
    const std::string scheme = schemeName != nullptr ? schemeName : "";
    const std::wstring path = Widen(CP_ACP, ansiPath);

    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return Fail(VELUM_E_FILE, ansiPath + ": cannot open the theme file (" + SystemText(GetLastError()) + ")");
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return Fail(VELUM_E_FILE, ansiPath + ": is a folder, not a theme file");
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
    LoadedTheme loaded = ParseForAttach(bytes, ansiPath, Narrow(CP_UTF8, path), scheme,
                                        [](std::string_view utf8) { return Narrow(CP_ACP, Widen(CP_UTF8, std::string(utf8))); });
    if (!loaded.theme)
        return Fail(static_cast<int>(loaded.status), std::move(loaded.error));
    return Apply(std::move(*loaded.theme));
}

}  // namespace

ThemeResources* CurrentTheme()
{
    return State().theme.get();
}

}  // namespace velum

extern "C" {

VELUM_API int VELUM_CALL Velum_Attach(void)
{
    try {
        return velum::Apply(velum::DefaultTheme());
    } catch (const std::bad_alloc&) {
        return velum::Fail(VELUM_E_SYSTEM, "out of memory");
    }
}

VELUM_API int VELUM_CALL Velum_AttachEx(const char* themePath, const char* scheme)
{
    try {
        return velum::AttachFile(themePath, scheme);
    } catch (const std::bad_alloc&) {
        return velum::Fail(VELUM_E_SYSTEM, "out of memory");
    }
}

VELUM_API int VELUM_CALL Velum_Detach(void)
{
    velum::EngineState& state = velum::State();
    if (state.hook == nullptr)
        return velum::Succeed();
    if (state.thread != GetCurrentThreadId())
        return velum::Fail(VELUM_E_ARGUMENT, "the engine is attached to another thread's windows");
    velum::UnskinAll();
    UnhookWindowsHookEx(state.hook);
    state.hook = nullptr;
    state.thread = 0;
    state.theme.reset();
    velum::TrimFontCache();
    return velum::Succeed();
}

VELUM_API int VELUM_CALL Velum_GetLastErrorText(char* buffer, int size)
{
    return velum::CopyErrorText(velum::lastError, buffer, size);
}

}  // extern "C"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        velum::engineModule = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}
