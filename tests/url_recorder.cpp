// Stands in for the browser: appends the raw command line it was started with to the file
// named by URL_RECORDER_LOG (or url_recorder.log beside it).
#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    std::wstring log(MAX_PATH, L'\0');
    DWORD length = GetEnvironmentVariableW(L"URL_RECORDER_LOG", log.data(), static_cast<DWORD>(log.size()));
    if (length == 0 || length >= log.size()) {
        length = GetModuleFileNameW(nullptr, log.data(), static_cast<DWORD>(log.size()));
        log.resize(length);
        log.replace(log.find_last_of(L'\\') + 1, std::wstring::npos, L"url_recorder.log");
    } else {
        log.resize(length);
    }
    const std::wstring line = std::wstring(GetCommandLineW()) + L"\n";
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), utf8.data(), bytes, nullptr, nullptr);
    HANDLE file = CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    DWORD written = 0;
    WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    CloseHandle(file);
    return 0;
}
