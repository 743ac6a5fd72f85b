// The engine's exported interface: argument checks and the calling thread's last error text;
// the work is done by the window registry and the parts it skins.
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <string>
#include <vector>

#include "AnsiText.h"
#include "AppError.h"
#include "Engine.h"
#include "Velum.h"

namespace velum {

namespace {

thread_local std::string lastError;

int Fail(int code, std::string text)
{
    lastError = std::move(text);
    return code;
}

int Succeed()
{
    lastError.clear();
    return VELUM_OK;
}

std::string SystemText(DWORD code)
{
    return "error " + std::to_string(code) + ": " + ToAnsi(SystemErrorText(code));
}

// Makes `theme` the look of every window of the calling thread. All or nothing: on failure
// nothing changes.
int Apply(Theme theme)
{
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
    if (SkinnedThread() == 0)
        return Succeed();
    if (SkinnedThread() != GetCurrentThreadId())
        return Fail(VELUM_E_ARGUMENT, "the engine is attached to another thread's windows");
    StopSkinning();
    TrimFontCache();
    return Succeed();
}

// The exported calls run their work through this: nothing may leave the DLL as an exception.
template <class Work>
int Guarded(Work work)
{
    try {
        return work();
    } catch (const std::bad_alloc&) {
        return Fail(VELUM_E_SYSTEM, "out of memory");
    } catch (const AppError& e) {
        return Fail(VELUM_E_SYSTEM, ToAnsi(e.Description()));
    }
}

bool SameSchemeName(const std::string& a, const std::string& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

int AttachFile(const char* themePath, const char* schemeName)
{
    if (themePath == nullptr || *themePath == '\0')
        return Fail(VELUM_E_ARGUMENT, "no theme file given");
    const std::string ansiPath = themePath;
    const std::string scheme = schemeName != nullptr ? schemeName : "";
    const std::wstring path = FromAnsi(ansiPath);

    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return Fail(VELUM_E_FILE, ansiPath + ": cannot open the theme file (" + SystemText(GetLastError()) + ")");
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return Fail(VELUM_E_FILE, ansiPath + ": is a folder, not a theme file");
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return Fail(VELUM_E_FILE, ansiPath + ": cannot open the theme file (" + SystemText(GetLastError()) + ")");
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size))
        return Fail(VELUM_E_FILE, ansiPath + ": cannot read the theme file (" + SystemText(GetLastError()) + ")");
    if (static_cast<unsigned long long>(size.QuadPart) > kMaxThemeFileBytes)
        return Fail(VELUM_E_TOO_LARGE, ansiPath + ": the theme file is larger than " +
                                           std::to_string(kMaxThemeFileBytes) + " bytes");
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() && (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
                           read != bytes.size()))
        return Fail(VELUM_E_FILE, ansiPath + ": cannot read the theme file (" + SystemText(GetLastError()) + ")");

    // Diagnostics are UTF-8; the path in them is too.
    ParseResult parsed = ParseTheme(bytes, ToUtf8(path), scheme);
    if (!parsed.theme) {
        if (!scheme.empty()) {
            const auto schemes = ListThemeSchemes(bytes);
            const bool known = std::any_of(schemes.begin(), schemes.end(),
                                           [&](const std::string& s) { return SameSchemeName(s, scheme); });
            if (!known)
                return Fail(VELUM_E_SCHEME, ansiPath + ": the theme has no scheme named \"" + scheme + "\"");
        }
        std::string text;
        for (const auto& d : parsed.diagnostics) {
            if (d.severity != Severity::Error)
                continue;
            text = ToAnsi(FromUtf8(FormatDiagnostic(d)));
            break;
        }
        return Fail(VELUM_E_THEME, text.empty() ? ansiPath + ": not a usable theme file" : text);
    }
    return Apply(std::move(*parsed.theme));
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
    const std::string& text = velum::lastError;
    if (buffer != nullptr && size > 0) {
        const size_t n = std::min(text.size(), static_cast<size_t>(size - 1));
        text.copy(buffer, n);
        buffer[n] = '\0';
    }
    return static_cast<int>(text.size());
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
