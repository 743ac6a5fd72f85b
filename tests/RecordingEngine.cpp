// A stand-in for the skin engine that records each call, with its arguments as the raw bytes
// it was given, to velum-calls.log beside itself. When attached it also records the Theme
// menu as the engine would find it: each item's command, state and text.
#include <windows.h>

#include <string>

namespace {

HMODULE self = nullptr;

std::wstring LogPath()
{
    std::wstring path(MAX_PATH, L'\0');
    const DWORD length = GetModuleFileNameW(self, path.data(), static_cast<DWORD>(path.size()));
    path.resize(length);
    path.replace(path.find_last_of(L'\\') + 1, std::wstring::npos, L"velum-calls.log");
    return path;
}

void Append(const std::string& line)
{
    HANDLE file = CreateFileW(LogPath().c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    const std::string text = line + "\n";
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

std::string Utf8(const std::wstring& text)
{
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), bytes, nullptr, nullptr);
    return out;
}

[[maybe_unused]] BOOL CALLBACK RecordMenus(HWND hwnd, LPARAM)
{
    HMENU bar = GetMenu(hwnd);
    if (bar == nullptr)
        return TRUE;
    HMENU popup = GetSubMenu(bar, 0);
    const int count = popup != nullptr ? GetMenuItemCount(popup) : -1;
    std::string lines = "menu-count " + std::to_string(count);
    for (int i = 0; i < count; ++i) {
        wchar_t text[512] = L"";
        MENUITEMINFOW item{};
        item.cbSize = sizeof item;
        item.fMask = MIIM_ID | MIIM_STATE | MIIM_STRING;
        item.dwTypeData = text;
        item.cch = 511;
        GetMenuItemInfoW(popup, static_cast<UINT>(i), TRUE, &item);
        lines += "\nmenu-item " + std::to_string(item.wID) + ((item.fState & MFS_GRAYED) ? " grayed " : " enabled ") +
                 Utf8(text);
    }
    Append(lines);
    return TRUE;
}

}  // namespace

extern "C" {

#ifndef RECORDING_WITHOUT_ATTACH
__declspec(dllexport) int __stdcall Velum_Attach(void)
{
    Append("Velum_Attach()");
    EnumThreadWindows(GetCurrentThreadId(), RecordMenus, 0);
    return 0;
}
#endif

#ifndef RECORDING_WITHOUT_ATTACHEX
__declspec(dllexport) int __stdcall Velum_AttachEx(const char* themePath, const char* scheme)
{
    Append(std::string("Velum_AttachEx(\"") + (themePath ? themePath : "(null)") + "\", \"" +
           (scheme ? scheme : "(null)") + "\")");
    return 0;
}
#endif

}  // extern "C"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        self = instance;
    return TRUE;
}
